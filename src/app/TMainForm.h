// The main window: an MDI frame with the menu, the speed buttons and the status
// bar; keeps the settings file and the table of image windows, and opens files.
#pragma once

#include <QFont>
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <memory>

#include "app/FileDialogs.h"
#include "image/DocumentHost.h"
#include "process/ui/TArithForm.h"

class QAction;
class QPrinter;
class QMdiArea;
class QMenu;
class QToolButton;
class TIniFile;
class QtMessages;
class TMDIChild;
class TRenameForm;
class TAxesForm;

class TMainForm : public QMainWindow, public TArithHost {
  Q_OBJECT

 public:
  // At most this many child windows (image and tool windows together).
  static constexpr int kMaxChildWindows = 16;

  // `messages` null: Qt message boxes. `settingsPath` empty: the viewer's own file
  // beside the executable (or in the user's configuration folder).
  explicit TMainForm(Messages* messages = nullptr, const QString& settingsPath = {},
                     QWidget* parent = nullptr);
  ~TMainForm() override;

  // Slots 1..16 hold the open image windows; 0 is never used.
  std::array<QPointer<TMDIChild>, kMaxChildWindows + 1> ImageWindows;
  // Slot of the current image window, -1 before the first one.
  int ActiveIndex = -1;

  TIniFile& Settings() { return *settings_; }
  QMdiArea* MdiArea() const { return mdiArea_; }
  int ChildCount() override;
  // The current image window, ImageWindows[ActiveIndex]: the image window activated
  // last, also while a tool window is the active child. Null when the slot holds none.
  TMDIChild* CurrentImageWindow() const;
  // The active child window when it is an image window; null when no child is
  // active or the active one is a tool window.
  TMDIChild* ActiveImageChild() const;

  // Creates, registers and names a new image window. Refuses beyond 16 child
  // windows with "Too many Data!" and throws TooManyData; nothing is created then.
  TMDIChild* CreateImageWindow(const std::string& name);

  void OpenFile(const QString& fileName);
  // Opens the first argument after the program name; further ones are ignored.
  void OpenFromCommandLine(const QStringList& arguments);

  // TDocumentHost
  Messages& Msgs() override;
  TImageDoc& NewImage(const std::string& name) override;
  void ImageReady(TImageDoc& doc) override;
  void DiscardImage(TImageDoc& doc) override;
  void SetWaitCursor(bool on) override;
  // Remembered in "Save"/"Path" for the next open dialog.
  void FolderOpened(const std::string& folder) override;
  // TArithHost
  TImageDoc* DocInSlot(int slot) override;
  int SlotOfDragSource(QObject* source) override;

  TArithForm* ArithForm() const { return arithForm_; }
  TAxesForm* AxesForm() const { return axesForm_; }
  TRenameForm* RenameForm() const { return renameForm_; }

  // Menus and their items.
  QMenu *File1 = nullptr, *Edit1 = nullptr, *Process1 = nullptr, *View1 = nullptr,
        *Analyse1 = nullptr, *Window1 = nullptr, *Help1 = nullptr;
  QAction *FileOpenItem = nullptr, *FileCloseItem = nullptr, *CloseAllItem = nullptr,
          *Print1 = nullptr, *FileSaveItem = nullptr, *FileSaveAsItem = nullptr,
          *FileExportItem = nullptr, *FileExitItem = nullptr;
  QAction *CutItem = nullptr, *CopyItem = nullptr, *PasteItem = nullptr, *Doublicate1 = nullptr;
  QAction *Invers1 = nullptr, *LowPassItem = nullptr, *SlopeItem = nullptr, *NoiseItem = nullptr,
          *HistogramItem = nullptr, *ArithmeticItem = nullptr, *Zoom1 = nullptr, *Shere1 = nullptr,
          *Scale1 = nullptr, *FFTItem = nullptr;
  QAction *Refresh1 = nullptr, *PaletteItem = nullptr, *S3DItem = nullptr, *FontItem = nullptr,
          *ScaleBars1 = nullptr;
  QAction *Line1 = nullptr, *Roughness1 = nullptr;
  QAction *WindowCascadeItem = nullptr, *WindowTileItem = nullptr, *WindowArrangeItem = nullptr,
          *WindowMinimizeItem = nullptr, *Rename1 = nullptr;
  QAction* HelpAboutItem = nullptr;

  // Speed buttons.
  QToolButton *OpenBtn = nullptr, *SaveBtn = nullptr, *ExitBtn = nullptr, *FilterButton = nullptr,
              *LevelButton = nullptr, *HistoButton = nullptr;

 public slots:
  void DisplayHint(const QString& hint);
  void UpdateMenuItems();
  void OpenDialogeStart();
  void FileCloseItemClick();
  void CloseAllItemClick();
  void FileSaveItemClick();
  void FileSaveAsItemClick();
  void FileExportItemClick();
  void FileExitItemClick();
  void RefreshItemClick();
  void ScaleBars1Click();
  void WindowCascadeItemClick();
  void WindowTileItemClick();
  void WindowArrangeItemClick();
  void WindowMinimizeItemClick();
  void Rename1Click();
  void HelpAboutItemClick();
  void Duplicate1Click();
  void Invers1Click();
  void ArithmeticItemClick();
  void Scale1Click();
  void Roughness1Click();
  void Line1Click();
  void S3DItemClick();
  void FontItemClick();
  void CopyItemClick();
  void Print1Click();

 public:
  // Prints the active image window's rendered bitmap, five times its size at
  // (10, 10), the job titled with the window caption. False (after "Printing
  // Error") when the printer could not be used; also false without an image window.
  bool PrintActiveImage(QPrinter& printer);

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void FormCreate();
  void CreateMenus();
  void CreateSpeedButtons(QWidget* panel);
  void ReadFont();
  void FitStatusBar();
  void ChildDestroyed(QObject* child);
  int FreeSlot() const;
  // The window's rendered bitmap as a Windows bitmap; "Cannot create file ..." when
  // it cannot be written.
  bool WriteBitmapFile(TMDIChild& child, const QString& fileName);
  // True when `fileName` does not exist or the user agreed to replace it.
  bool MayReplace(const QString& fileName);
  TMDIChild* ChildOf(const TImageDoc& doc) const;

  std::unique_ptr<QtMessages> ownMessages_;
  Messages* messages_ = nullptr;
  std::unique_ptr<TIniFile> settings_;
  QMdiArea* mdiArea_ = nullptr;
  QColor fontColor_;
  TRenameForm* renameForm_ = nullptr;
  TAxesForm* axesForm_ = nullptr;
  TArithForm* arithForm_ = nullptr;
  bool arithPlaced_ = false;  // the arithmetic window has been given its first place
  TSaveDialog saveDialog_;
  bool destroying_ = false;
};

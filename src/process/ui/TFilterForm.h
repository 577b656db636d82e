// The processing workbench window: the unprocessed image and the result side by side,
// the panel of the mode it was opened in, and "do", "undo", "take over" and "cancel".
// The working copy, the modes and their rules are TWorkbench's; this window owns the
// controls, keeps them in step with the model, paints and keeps the "Filter" settings.
#pragma once

#include <QImage>
#include <QMdiSubWindow>
#include <functional>

#include "image/Messages.h"
#include "process/Workbench.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class TIniFile;
class TNumberEditKeys;
class TWorkbenchImage;

// The client area the window is designed for, and its smallest size.
inline constexpr int kFilterFormWidth = 800;
inline constexpr int kFilterFormHeight = 578;
inline constexpr int kFilterFormMinWidth = 600;
inline constexpr int kFilterFormMinHeight = 450;
// The radius of a marked point's mark, in pixels of the result's picture.
inline constexpr int kPointMarkRadius = 5;

class TFilterForm : public QMdiSubWindow {
  Q_OBJECT
 public:
  // `refresh` is the main window's Refresh command, run when the window closes so that
  // the image window shows a result that was taken over.
  TFilterForm(TIniFile& settings, Messages& messages, std::function<void()> refresh,
              QWidget* parent = nullptr);
  ~TFilterForm() override;

  // Opens on the image window's picture in `mode`: the working copy, both previews, the
  // lists from the settings and the mode's panel. False when no working copy could be
  // made (the reason has been said); the window is then of no use.
  bool OpenInMode(TVKMPicture* source, int mode);

  TWorkbench& Model() { return model_; }
  const TWorkbench& Model() const { return model_; }
  bool Busy() const { return busy_; }
  // The picture shown in Image2, with the marks drawn on it since the last render.
  const QImage& Image2Picture() const { return image2_; }
  const QImage& Image1Picture() const { return image1_; }

  QWidget* Form = nullptr;  // the client area
  TWorkbenchImage* Image1 = nullptr;
  TWorkbenchImage* Image2 = nullptr;
  QFrame* Panel1 = nullptr;
  QPushButton* Button1 = nullptr;  // undo
  QPushButton* Button2 = nullptr;  // cancel
  QPushButton* Button3 = nullptr;  // take over
  QPushButton* Button4 = nullptr;  // do
  QFrame* Panel2 = nullptr;        // bad points
  QLabel* Label2 = nullptr;
  QLineEdit* Edit2 = nullptr;
  QFrame* Panel3 = nullptr;  // 3x3 filters
  QComboBox* ComboBox1 = nullptr;
  QFrame* Panel4 = nullptr;  // histogram
  TWorkbenchImage* Image3 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label3 = nullptr;
  QFrame* Panel5 = nullptr;  // FFT
  QCheckBox* CheckBoxLog = nullptr;
  QFrame* Panel6 = nullptr;  // leveling
  QComboBox* ComboSlop = nullptr;
  QComboBox* ComboSlopOrder = nullptr;
  QFrame* Panel7 = nullptr;  // zoom and sphere
  // Created on Panel7 when the window opens in the sphere mode.
  QProgressBar* SphereProgress = nullptr;
  QLineEdit* RadiusEdit = nullptr;
  QLabel* UnitLabel = nullptr;
  QRadioButton* LowpassRadio = nullptr;
  QRadioButton* HighpassRadio = nullptr;

  // The panel shown in the mode the window was opened in (null for a mode without one).
  QFrame* ModePanel() const;

  // Handlers, as the controls call them.
  void Button1Click();  // undo
  void Button2Click();  // cancel
  void Button3Click();  // take over
  void Button4Click();  // do
  void FormResize();
  // The four buttons in the bottom-left panel: two rows of two while their texts fit.
  struct TButtonGrid {
    bool Pairs = true;
    int Gap = 6;
    int ButtonWidth = 0;
    int ButtonHeight = 0;
    int PanelHeight = 0;
  };
  TButtonGrid ButtonGrid() const;
  void UpdateMinimumSize();
  // Image2 in point leveling and in the zoom mode; positions in control pixels.
  void Image2MouseDownSlop3D(int x, int y);
  void Image2MouseDownZoom(int x, int y);
  void Image2MouseMoveZoom(int x, int y, bool leftHeld);
  void Image2MouseUpZoom(int x, int y);
  // Image3 of the histogram mode.
  void Image3MouseDown(int x, int y);
  void MouseMove1(int x, int y, bool leftHeld);
  void Image3MouseUp(int x, int y);
  // The sphere mode's radius edit (Enter) and radio buttons; the FFT's "Log".
  void Edit1KeyPress();
  void RadioButton1Click();
  void CheckBoxLogClick();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  QFrame* NewPanel(const char* name);
  void CreateSphereControls();
  void LayoutPanels();
  // The controls' texts and choices into the model, before it acts.
  void TakeControls();
  // The model's state into the controls and pictures.
  void ShowModel(bool image2 = true);
  void ShowImage1();
  void ShowImage2();
  void PaintHistogram(bool feedback = false, int from = 0, int to = 0);
  void StoreSettings();
  void ShowHint(const std::string& text);
  void ClearHint();
  // Inverts the closed outline of the zoom square on the result's picture.
  void InvertZoomOutline();

  TIniFile& settings_;
  Messages& messages_;
  std::function<void()> refresh_;
  TWorkbench model_;
  TNumberEditKeys* radiusKeys_ = nullptr;
  QImage image1_;  // Image1's picture (with the radius preview)
  QImage image2_;  // Image2's picture (with marks and the zoom outline)
  bool opened_ = false;
  bool busy_ = false;
  bool hintShown_ = false;  // a hint of ours is in the status bar
};

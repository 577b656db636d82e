// The image window: one child window of the main window per open image. It owns
// the image document, shows its composed view or its information text, and offers
// the display choices in a right-button popup menu remembered in "Scale".
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QMdiSubWindow>
#include <QPicture>
#include <QPointer>

#include "image/TImageDoc.h"

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QPlainTextEdit;
class TIniFile;
class TTitleBarStyle;
class Messages;

class TMDIChild : public QMdiSubWindow {
  Q_OBJECT

 public:
  // `settings` may be null (then every choice has its default and nothing is stored).
  TMDIChild(TIniFile* settings, Messages* messages, const QFont& font, QWidget* parent = nullptr);
  ~TMDIChild() override;

  // The document: picture, information text, channel name and caption, value texts.
  TImageDoc& Doc() { return doc_; }
  const TImageDoc& Doc() const { return doc_; }
  int Index() const { return doc_.Index; }

  // The composed view as last drawn (image, colour bar, labels, scale bar) as a
  // vector picture. It is recorded when asked for (Copy), not at every drawing: a
  // recorded picture stores the image compressed and the window would pay for that
  // on every open and resize. Empty while nothing has been drawn.
  const QPicture& ViewMetafile();

  // Controls.
  QLabel* Image1 = nullptr;   // hidden: the rendered 8-bit bitmap
  QLabel* Image3 = nullptr;   // the visible composed view at (0, 0)
  QWidget* Image2 = nullptr;  // transparent strip along the right edge
  QPlainTextEdit* ScanInfoMemo = nullptr;
  QMenu* PopupMenu1 = nullptr;
  QAction* ImageItem = nullptr;
  QAction* ScanInfoItem = nullptr;
  QAction* zscalingItem = nullptr;
  QAction* N0max1 = nullptr;
  QAction* minmax1 = nullptr;
  QAction* XYScalingnoItem = nullptr;
  QAction* XYScalingLabelItem = nullptr;
  QAction* XYScalingXYItem = nullptr;

  // The window's own font (the main window's font at creation, or the Font command).
  void SetWindowFont(const QFont& font);
  // The colour of that font: the colour-bar labels are written in it.
  void SetFontColor(const QColor& color) { fontColor_ = color; }
  QColor FontColor() const { return fontColor_; }
  void InitWindow(int index, const std::string& name);
  bool CreatePicture(int columns, int rows);
  // Render, value texts, then ComposeView; nothing without a picture with a matrix.
  void UpdateImage();
  // Fits the client area and draws the view from the last rendering.
  void ComposeView();

  // The natural size: one image pixel per value (at least the minimum client area),
  // limited to the main window's area by the window arrangement.
  QSize sizeHint() const override;

  // The client area (the window without its frame and title bar).
  QSize ClientSize() const;
  void SetClientSize(int width, int height);

  // True once the picture has been rendered into a bitmap of at least one pixel.
  bool HasRenderedImage() const;
  // The rendered 8-bit bitmap with its colours (what Save writes and Print prints).
  QImage RenderedImage() const;
  // The composed view as shown (image, colour bar, labels, scale bar).
  QImage ShownView() const;
  // Writes the rendered bitmap as an 8-bit Windows bitmap; false when there is none
  // or the file cannot be written.
  bool WriteBitmap(const QString& fileName) const;

  // Tool windows opened for this image (workbench, line profile, 3D view, palette
  // editor) are adopted by it and destroyed with it; the window does not need to
  // know their classes. A tool window that is closed before leaves the list.
  void AdoptToolWindow(QWidget* tool);
  // The adopted tool windows still alive, in the order adopted.
  QList<QWidget*> ToolWindows() const;

  // The title bar's style (the title elided in the middle).
  TTitleBarStyle* TitleStyle() const { return titleStyle_; }

  // The image window whose view a drag started from (the source of a drop event).
  static TMDIChild* FromDragSource(QObject* source);

  // The Qt MIME type of a dragged image view.
  static constexpr const char* kDragMimeType = "application/x-tarnisk-image-window";

 signals:
  // The window became the active child: the main window makes its slot current.
  void Activated(int index);

 public slots:
  void ImageItemClick();
  void ScanInfoItemClick();
  void zscalingItemClick();
  void minmax1Click();
  void XYScalingnoItemClick();
  void XYScalingLabelItemClick();
  void XYScalingXYItemClick();
  void Image2DblClick() {}

  // The system menu's Close keys are left to the main window's File > Close, which
  // closes the active child: with one such key in every child window the key would
  // be ambiguous and close nothing.
  static void LeaveCloseKeysToTheMenu(QMdiSubWindow& window);

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormCreate();
  void FormActivate();
  void FormResize();
  // True when the press is to open the popup: the right button alone, no key held.
  bool FormMouseDown(QWidget* receiver, const QPoint& pos, Qt::MouseButton button,
                     Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
  void LayoutControls();
  QSize FrameSize() const;
  // No smaller than the minimum client area and the title bar's buttons.
  void UpdateMinimumSize();
  void ShowInfoText();
  void WriteScale(const char* key, bool value);

  // What the last composition drew with, so the picture can be recorded later.
  struct TLastView {
    bool Drawn = false;
    int ClientW = 0, ClientH = 0, OuterW = 0, OuterH = 0;
    bool ZScale = false, ZeroMax = false, XYLabel = false;
    QFont Font;
    QColor FontColor;
  };

  TImageDoc doc_;
  TIniFile* settings_;
  TLastView lastView_;
  QPicture viewMetafile_;
  bool metafileStale_ = true;
  QList<QPointer<QWidget>> toolWindows_;
  QColor fontColor_ = Qt::black;
  QWidget* client_ = nullptr;
  TTitleBarStyle* titleStyle_ = nullptr;
  QPoint dragStart_;
  bool dragArmed_ = false;
  bool composing_ = false;
  bool designSizePending_ = true;
};

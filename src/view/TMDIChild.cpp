// The image window: controls, popup menu, "Scale" settings and the composed view.
#include "view/TMDIChild.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDrag>
#include <QHelpEvent>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QToolTip>
#include <algorithm>
#include <climits>
#include <initializer_list>

#include "image/TextEncoding.h"
#include "image/ViewGeometry.h"
#include "qtgui/ViewPainter.h"
#include "settings/IniFile.h"
#include "settings/SettingsKeys.h"
#include "view/TitleBarStyle.h"

namespace {

// Design size of the client area.
constexpr int kDesignClientWidth = 361;
constexpr int kDesignClientHeight = 219;

QAction* MakeItem(QMenu* menu, const char* name, const char* caption, bool checkable) {
  auto* a = menu->addAction(QString::fromUtf8(caption));
  a->setObjectName(QString::fromLatin1(name));
  a->setCheckable(checkable);
  return a;
}

// Checking one of the items unchecks the others.
void GroupItems(QMenu* menu, std::initializer_list<QAction*> items) {
  auto* group = new QActionGroup(menu);
  for (QAction* a : items) group->addAction(a);
}

}  // namespace

TMDIChild::TMDIChild(TIniFile* settings, Messages* messages, const QFont& font, QWidget* parent)
    : QMdiSubWindow(parent), doc_(messages), settings_(settings) {
  setAttribute(Qt::WA_DeleteOnClose);
  SetWindowFont(font);

  client_ = new QWidget(this);
  client_->setObjectName(QStringLiteral("ClientArea"));
  client_->setAutoFillBackground(true);
  client_->setContextMenuPolicy(Qt::NoContextMenu);
  setWidget(client_);

  Image1 = new QLabel(client_);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->hide();
  // The design bitmap: 100 x 100 in the default colour table.
  {
    TVKMPicture design;
    design.InitPalette();
    TBitmap8 bmp;
    bmp.SetSize(100, 100);
    bmp.Palette = design.ColourTable.palPalEntry;
    Image1->setPixmap(QPixmap::fromImage(ToQImage(bmp)));
  }

  Image3 = new QLabel(client_);
  Image3->setObjectName(QStringLiteral("Image3"));
  Image3->move(0, 0);
  Image3->setContextMenuPolicy(Qt::NoContextMenu);

  Image2 = new QWidget(client_);
  Image2->setObjectName(QStringLiteral("Image2"));
  Image2->setAttribute(Qt::WA_TranslucentBackground);
  Image2->setAttribute(Qt::WA_NoSystemBackground);
  Image2->setFixedWidth(0);

  ScanInfoMemo = new QPlainTextEdit(client_);
  ScanInfoMemo->setObjectName(QStringLiteral("ScanInfoMemo"));
  ScanInfoMemo->setReadOnly(true);
  ScanInfoMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
  ScanInfoMemo->setContextMenuPolicy(Qt::NoContextMenu);

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  ImageItem = MakeItem(PopupMenu1, "ImageItem", "&Image", true);
  ScanInfoItem = MakeItem(PopupMenu1, "ScanInfoItem", "&Scan info", true);
  GroupItems(PopupMenu1, {ImageItem, ScanInfoItem});
  ImageItem->setChecked(true);
  PopupMenu1->addSeparator();
  zscalingItem = MakeItem(PopupMenu1, "zscalingItem", "&Z Scalling", true);
  N0max1 = MakeItem(PopupMenu1, "N0max1", "  &0..max", true);
  minmax1 = MakeItem(PopupMenu1, "minmax1", "  &min..max", true);
  GroupItems(PopupMenu1, {N0max1, minmax1});
  minmax1->setChecked(true);
  PopupMenu1->addSeparator();
  XYScalingnoItem = MakeItem(PopupMenu1, "XYScalingnoItem", "XY Scaling &no", true);
  XYScalingLabelItem = MakeItem(PopupMenu1, "XYScalingLabelItem", "XY Scaling &Label", true);
  XYScalingXYItem = MakeItem(PopupMenu1, "XYScalingXYItem", "XY Scaling &XY", true);
  GroupItems(PopupMenu1, {XYScalingnoItem, XYScalingLabelItem, XYScalingXYItem});
  XYScalingnoItem->setChecked(true);
  XYScalingXYItem->setVisible(false);

  connect(ImageItem, &QAction::triggered, this, &TMDIChild::ImageItemClick);
  connect(ScanInfoItem, &QAction::triggered, this, &TMDIChild::ScanInfoItemClick);
  connect(zscalingItem, &QAction::triggered, this, &TMDIChild::zscalingItemClick);
  connect(N0max1, &QAction::triggered, this, &TMDIChild::minmax1Click);
  connect(minmax1, &QAction::triggered, this, &TMDIChild::minmax1Click);
  connect(XYScalingnoItem, &QAction::triggered, this, &TMDIChild::XYScalingnoItemClick);
  connect(XYScalingLabelItem, &QAction::triggered, this, &TMDIChild::XYScalingLabelItemClick);
  connect(XYScalingXYItem, &QAction::triggered, this, &TMDIChild::XYScalingXYItemClick);
  connect(this, &QMdiSubWindow::aboutToActivate, this, &TMDIChild::FormActivate);

  client_->installEventFilter(this);
  Image3->installEventFilter(this);
  Image2->installEventFilter(this);
  ScanInfoMemo->viewport()->installEventFilter(this);

  FormCreate();

  titleStyle_ = new TTitleBarStyle;
  titleStyle_->setParent(this);
  setStyle(titleStyle_);
  LeaveCloseKeysToTheMenu(*this);
}

void TMDIChild::LeaveCloseKeysToTheMenu(QMdiSubWindow& window) {
  if (QMenu* menu = window.systemMenu())
    for (QAction* a : menu->actions())
      if (a->shortcuts().contains(QKeySequence(QKeySequence::Close))) a->setShortcuts({});
}

bool TMDIChild::event(QEvent* e) {
  // A title cut in the middle shows whole as the tool tip of the title bar's label.
  if (e->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(e);
    QStyleOptionTitleBar opt;
    opt.initFrom(this);
    opt.rect = QRect(0, 0, width(), contentsMargins().top());
    opt.subControls = QStyle::SC_All;
    opt.titleBarFlags = windowFlags();
    opt.titleBarState = static_cast<int>(windowState());
    opt.text = windowTitle();
    const bool onLabel = opt.rect.contains(help->pos()) &&
                         style()->hitTestComplexControl(QStyle::CC_TitleBar, &opt, help->pos(),
                                                        this) == QStyle::SC_TitleBarLabel;
    if (onLabel && titleStyle_->LastDrawnTitle() != windowTitle()) {
      QToolTip::showText(help->globalPos(), windowTitle(), this);
      return true;
    }
  }
  return QMdiSubWindow::event(e);
}

void TMDIChild::showEvent(QShowEvent* event) {
  // The design client size is set once the frame is known (inside the MDI area).
  UpdateMinimumSize();
  if (designSizePending_) SetClientSize(kDesignClientWidth, kDesignClientHeight);
  QMdiSubWindow::showEvent(event);
}

void TMDIChild::changeEvent(QEvent* event) {
  // A minimised window is its title bar alone: the least client size would keep an
  // empty body below it. The limit is lifted before the area shrinks the window and
  // set again once the window is restored.
  const bool stateChange = event->type() == QEvent::WindowStateChange;
  if (stateChange && isMinimized()) setMinimumSize(0, 0);
  QMdiSubWindow::changeEvent(event);
  if (stateChange && !isMinimized()) UpdateMinimumSize();
}

TMDIChild::~TMDIChild() {
  // Tool windows go first, while this window is still whole: they may read its
  // picture as they are destroyed.
  const QList<QPointer<QWidget>> tools = toolWindows_;
  toolWindows_.clear();
  for (const QPointer<QWidget>& t : tools) delete t.data();
}

void TMDIChild::AdoptToolWindow(QWidget* tool) {
  if (!tool || toolWindows_.contains(tool)) return;
  toolWindows_.removeAll(nullptr);
  toolWindows_ << tool;
}

QList<QWidget*> TMDIChild::ToolWindows() const {
  QList<QWidget*> alive;
  for (const QPointer<QWidget>& t : toolWindows_)
    if (t) alive << t.data();
  return alive;
}

bool TMDIChild::HasRenderedImage() const {
  return doc_.Image1.Width > 0 && doc_.Image1.Height > 0;
}

QImage TMDIChild::RenderedImage() const {
  return HasRenderedImage() ? ToQImage(doc_.Image1) : QImage();
}

QImage TMDIChild::ShownView() const {
  return Image3->pixmap().toImage();
}

bool TMDIChild::WriteBitmap(const QString& fileName) const {
  return HasRenderedImage() && WriteBitmapFile(doc_.Image1, fileName);
}

void TMDIChild::FormCreate() {
  ScanInfoItem->setChecked(false);
  ImageItem->setChecked(true);
  Image3->show();
  ScanInfoMemo->hide();
  ScanInfoMemo->resize(800, ScanInfoMemo->height());

  viewMetafile_ = QPicture();
  metafileStale_ = false;

  auto read = [this](const char* key) {
    return settings_ ? settings_->ReadBool(settings::kScale, key, false) : false;
  };
  const bool zOn = read("zScaleOn");
  zscalingItem->setChecked(zOn);
  N0max1->setVisible(zOn);
  minmax1->setVisible(zOn);
  N0max1->setChecked(read("zScale0max"));
  minmax1->setChecked(read("zScaleminmax"));
  // Without "XYLabelOn" the "no" item keeps its tick.
  if (read("XYLabelOn")) XYScalingLabelItem->setChecked(true);

  doc_.ChannelCaption.clear();
  LayoutControls();
}

void TMDIChild::SetWindowFont(const QFont& font) {
  // Every attribute counts as set, so a later font change of the main window does
  // not reach windows that already exist.
  QFont own = font;
  own.setResolveMask(QFont::AllPropertiesResolved);
  setFont(own);
}

void TMDIChild::InitWindow(int index, const std::string& name) {
  doc_.InitWindow(index, name);
  setWindowTitle(QString::fromStdString(DisplayText(name)));
}

bool TMDIChild::CreatePicture(int columns, int rows) {
  return doc_.CreatePicture(columns, rows);
}

void TMDIChild::UpdateImage() {
  ShowInfoText();
  if (!doc_.HasImage()) return;
  doc_.Render(doc_.Msgs().DecimalSeparator());
  Image1->setPixmap(QPixmap::fromImage(ToQImage(doc_.Image1)));
  ComposeView();
}

void TMDIChild::UpdateMinimumSize() {
  if (isMinimized()) return;  // see changeEvent
  const TViewSize least = MinimumClient(zscalingItem->isChecked());
  const QSize frame = FrameSize();
  // The title bar needs room for its icon and buttons, and for some of the title.
  const int titleBar =
      QMdiSubWindow::minimumSizeHint().width() + 10 * fontMetrics().averageCharWidth();
  setMinimumSize(std::max(least.Width + frame.width(), titleBar), least.Height + frame.height());
}

QSize TMDIChild::sizeHint() const {
  const bool zScale = zscalingItem->isChecked();
  const int columns = doc_.HasImage() ? doc_.Picture->Columns : 0;
  const int rows = doc_.HasImage() ? doc_.Picture->Rows : 0;
  const TViewSize natural = NaturalClient(columns, rows, zScale, INT_MAX / 2, INT_MAX / 2);
  const QSize frame = FrameSize();
  return QSize(natural.Width + frame.width(), natural.Height + frame.height());
}

const QPicture& TMDIChild::ViewMetafile() {
  if (metafileStale_) {
    viewMetafile_ = QPicture();
    if (lastView_.Drawn) {
      TViewOptions options;
      options.ZScale = lastView_.ZScale;
      options.ZeroMax = lastView_.ZeroMax;
      options.XYLabel = lastView_.XYLabel;
      options.FontColor = lastView_.FontColor;
      PaintComposedView(viewMetafile_, doc_, options, lastView_.ClientW, lastView_.ClientH,
                        lastView_.OuterW, lastView_.OuterH, lastView_.Font,
                        doc_.Msgs().DecimalSeparator());
      viewMetafile_.setBoundingRect(QRect(0, 0, lastView_.ClientW, lastView_.ClientH));
    }
    metafileStale_ = false;
  }
  return viewMetafile_;
}

QSize TMDIChild::ClientSize() const {
  return client_->size();
}

QSize TMDIChild::FrameSize() const {
  // The frame and title bar are the window's contents margins once it sits in the
  // MDI area; the layout may not have placed the client yet.
  const QMargins m = contentsMargins();
  return QSize(m.left() + m.right(), m.top() + m.bottom());
}

void TMDIChild::SetClientSize(int width, int height) {
  designSizePending_ = false;
  const QSize frame = FrameSize();
  client_->resize(width, height);
  resize(width + frame.width(), height + frame.height());
}

void TMDIChild::ComposeView() {
  if (composing_) return;
  composing_ = true;

  // Fit the client area: 3 : 2 with the colour bar, square without it. A maximised or
  // minimised window keeps the size its state gives it.
  const bool zScale = zscalingItem->isChecked();
  UpdateMinimumSize();
  int cw = client_->width();
  int ch = client_->height();
  if (!(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized))) {
    const TViewSize fit = FitClient(cw, ch, zScale);
    cw = fit.Width;
    ch = fit.Height;
    SetClientSize(cw, ch);
  }

  const QSize frame = FrameSize();
  const int outerW = cw + frame.width();
  const int outerH = ch + frame.height();
  const int border = frame.width() / 2;

  TViewOptions options;
  options.ZScale = zScale;
  options.ZeroMax = N0max1->isChecked();
  options.XYLabel = XYScalingLabelItem->isChecked();
  options.FontColor = fontColor_;

  // Drawn straight onto the shown bitmap; the vector picture of the same drawing
  // is recorded only when it is asked for.
  int side = 0;
  QImage view(std::max(cw, 1), std::max(ch, 1), QImage::Format_RGB32);
  view.fill(Qt::white);
  if (cw > 0 && ch > 0) {
    QPainter painter(&view);
    side = PaintComposedView(painter, doc_, options, cw, ch, outerW, outerH, font(),
                             doc_.Msgs().DecimalSeparator());
  }
  lastView_ = {cw > 0 && ch > 0, cw,     ch,        outerW, outerH, options.ZScale, options.ZeroMax,
               options.XYLabel,  font(), fontColor_};
  metafileStale_ = true;
  Image2->setFixedWidth(std::max(0, outerW - side - 2 * border));

  Image3->setPixmap(QPixmap::fromImage(view));
  Image3->resize(view.size());
  LayoutControls();
  composing_ = false;
}

void TMDIChild::LayoutControls() {
  const QRect r = client_->rect();
  ScanInfoMemo->setGeometry(r);
  Image2->setGeometry(r.width() - Image2->width(), 0, Image2->width(), r.height());
  Image3->move(0, 0);
  Image2->raise();
  ScanInfoMemo->raise();
}

void TMDIChild::ShowInfoText() {
  QStringList lines;
  lines.reserve(static_cast<qsizetype>(doc_.InfoText.size()));
  for (const auto& l : doc_.InfoText) lines << QString::fromStdString(DisplayText(l));
  const QString text = lines.join(QLatin1Char('\n'));
  if (ScanInfoMemo->toPlainText() != text) ScanInfoMemo->setPlainText(text);
}

void TMDIChild::WriteScale(const char* key, bool value) {
  if (settings_) settings_->WriteBool(settings::kScale, key, value);
}

void TMDIChild::FormActivate() {
  emit Activated(doc_.Index);
}

void TMDIChild::FormResize() {
  UpdateImage();
}

bool TMDIChild::FormMouseDown(QWidget* receiver, const QPoint& pos, Qt::MouseButton button,
                              Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
  if (button != Qt::RightButton || buttons != Qt::RightButton || modifiers != Qt::NoModifier)
    return false;
  // The popup appears at the client origin plus the point in the receiving control.
  (void)receiver;
  PopupMenu1->popup(client_->mapToGlobal(pos));
  return true;
}

bool TMDIChild::eventFilter(QObject* watched, QEvent* event) {
  if (watched == client_ && event->type() == QEvent::Resize) {
    LayoutControls();
    if (!composing_) FormResize();
    return false;
  }
  if (watched == Image2 && event->type() == QEvent::MouseButtonDblClick) {
    Image2DblClick();
    return true;
  }
  const bool mouseTarget = watched == client_ || watched == Image3 || watched == Image2 ||
                           watched == ScanInfoMemo->viewport();
  if (!mouseTarget) return QMdiSubWindow::eventFilter(watched, event);

  if (event->type() == QEvent::MouseButtonPress) {
    auto* me = static_cast<QMouseEvent*>(event);
    if (FormMouseDown(static_cast<QWidget*>(watched), me->position().toPoint(), me->button(),
                      me->buttons(), me->modifiers()))
      return true;
    if (watched == Image3 && me->button() == Qt::LeftButton) {
      dragArmed_ = true;
      dragStart_ = me->position().toPoint();
    }
  } else if (event->type() == QEvent::MouseButtonRelease) {
    dragArmed_ = false;
  } else if (event->type() == QEvent::MouseMove && watched == Image3 && dragArmed_) {
    auto* me = static_cast<QMouseEvent*>(event);
    if ((me->buttons() & Qt::LeftButton) &&
        (me->position().toPoint() - dragStart_).manhattanLength() >=
            QApplication::startDragDistance()) {
      dragArmed_ = false;
      // The drag carries the view control; a receiver finds the window from it.
      auto* drag = new QDrag(Image3);
      auto* mime = new QMimeData;
      mime->setData(QString::fromLatin1(kDragMimeType), QByteArray::number(doc_.Index));
      drag->setMimeData(mime);
      drag->exec(Qt::CopyAction);
      return true;
    }
  }
  return QMdiSubWindow::eventFilter(watched, event);
}

TMDIChild* TMDIChild::FromDragSource(QObject* source) {
  for (QObject* o = source; o; o = o->parent())
    if (auto* w = qobject_cast<TMDIChild*>(o)) return w;
  return nullptr;
}

void TMDIChild::ImageItemClick() {
  ImageItem->setChecked(true);
  ScanInfoItem->setChecked(false);
  Image3->show();
  ScanInfoMemo->hide();
}

void TMDIChild::ScanInfoItemClick() {
  ScanInfoItem->setChecked(true);
  ImageItem->setChecked(false);
  Image3->hide();
  ScanInfoMemo->show();
  LayoutControls();
}

// The item has already toggled when its trigger arrives here.
void TMDIChild::zscalingItemClick() {
  const bool on = zscalingItem->isChecked();
  if (on) {
    const QSize c = ClientSize();
    SetClientSize(c.width() * 3 / 2, c.height());
  }
  WriteScale("zScaleOn", on);
  N0max1->setVisible(on);
  minmax1->setVisible(on);
  UpdateImage();
}

void TMDIChild::minmax1Click() {
  auto* clicked = qobject_cast<QAction*>(sender());
  if (clicked) clicked->setChecked(true);
  WriteScale("zScale0max", N0max1->isChecked());
  WriteScale("zScaleminmax", minmax1->isChecked());
  UpdateImage();
}

void TMDIChild::XYScalingnoItemClick() {
  XYScalingnoItem->setChecked(true);
  WriteScale("XYLabelOn", false);
  UpdateImage();
}

void TMDIChild::XYScalingLabelItemClick() {
  XYScalingLabelItem->setChecked(true);
  WriteScale("XYLabelOn", true);
  UpdateImage();
}

void TMDIChild::XYScalingXYItemClick() {
  XYScalingXYItem->setChecked(true);
  UpdateImage();
}

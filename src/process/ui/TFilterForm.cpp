// TFilterForm: controls, painting and settings over TWorkbench.
#include "process/ui/TFilterForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QStatusTipEvent>
#include <algorithm>
#include <cmath>

#include "process/NeighbourFilters.h"
#include "process/WorkbenchFft.h"
#include "process/ui/TWorkbenchImage.h"
#include "qtgui/NumberEditPaint.h"
#include "qtgui/ViewPainter.h"
#include "settings/IniFile.h"
#include "settings/SettingsKeys.h"
#include "view/QtProgress.h"

namespace {

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

// The item a drop-down list shows: its index, or -1 when its text (typed, or none)
// matches no item.
int ShownItem(const QComboBox* box) {
  return box->findText(box->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
}

void ShowItem(QComboBox* box, int index) {
  box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
}

QComboBox* NewList(QWidget* parent, const char* name, std::initializer_list<const char*> items) {
  auto* box = new QComboBox(parent);
  box->setObjectName(name);
  // The lists take typed text too; a text that matches no item selects none.
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  for (const char* item : items) box->addItem(item);
  return box;
}

}  // namespace

TFilterForm::TFilterForm(TIniFile& settings, Messages& messages, std::function<void()> refresh,
                         QWidget* parent)
    : QMdiSubWindow(parent),
      settings_(settings),
      messages_(messages),
      refresh_(std::move(refresh)),
      model_(messages) {
  setObjectName("FilterForm");
  Form = new QWidget(this);
  Form->setObjectName("Form");
  setWidget(Form);
  // The background of button shadows, so the light panels stand out.
  Form->setAutoFillBackground(true);
  QPalette back = Form->palette();
  back.setColor(QPalette::Window, back.color(QPalette::Dark));
  Form->setPalette(back);
  UpdateMinimumSize();
  resize(kFilterFormWidth, kFilterFormHeight);

  Image1 = new TWorkbenchImage(Form);
  Image1->setObjectName("Image1");
  Image2 = new TWorkbenchImage(Form);
  Image2->setObjectName("Image2");

  Panel1 = NewPanel("Panel1");
  Button4 = new QPushButton("do", Panel1);
  Button4->setObjectName("Button4");
  Button1 = new QPushButton("undo", Panel1);
  Button1->setObjectName("Button1");
  Button3 = new QPushButton("take over", Panel1);
  Button3->setObjectName("Button3");
  Button2 = new QPushButton("cancel", Panel1);
  Button2->setObjectName("Button2");
  for (QPushButton* b : {Button4, Button1, Button3, Button2}) b->setAutoDefault(false);
  Panel1->show();

  Panel2 = NewPanel("Panel2");
  Label2 = new QLabel("% of z-axes", Panel2);
  Label2->setObjectName("Label2");
  Edit2 = new QLineEdit("1", Panel2);
  Edit2->setObjectName("Edit2");

  Panel3 = NewPanel("Panel3");
  ComboBox1 = NewList(Panel3, "ComboBox1", {"LowPass", "HighPass", "Laplace", "Beleuchtung"});

  Panel4 = NewPanel("Panel4");
  Image3 = new TWorkbenchImage(Panel4);
  Image3->setObjectName("Image3");
  Label1 = new QLabel(Panel4);
  Label1->setObjectName("Label1");
  Label3 = new QLabel(Panel4);
  Label3->setObjectName("Label3");
  Label3->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

  Panel5 = NewPanel("Panel5");
  CheckBoxLog = new QCheckBox("Log", Panel5);
  CheckBoxLog->setObjectName("CheckBoxLog");

  Panel6 = NewPanel("Panel6");
  ComboSlop = NewList(Panel6, "ComboSlop", {"Points", "2Dim", "Lines", "Cols"});
  ComboSlopOrder = NewList(Panel6, "ComboSlopOrder", {"0. order", "1st order ", "2nd order"});

  Panel7 = NewPanel("Panel7");

  connect(Button1, &QPushButton::clicked, this, &TFilterForm::Button1Click);
  connect(Button2, &QPushButton::clicked, this, &TFilterForm::Button2Click);
  connect(Button3, &QPushButton::clicked, this, &TFilterForm::Button3Click);
  connect(Button4, &QPushButton::clicked, this, &TFilterForm::Button4Click);
  connect(CheckBoxLog, &QCheckBox::clicked, this, &TFilterForm::CheckBoxLogClick);
  // "cancel" is the window's cancel button: Escape presses it.
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  escape->setContext(Qt::WidgetWithChildrenShortcut);
  connect(escape, &QShortcut::activated, this, &TFilterForm::Button2Click);

  Image3->OnMouseDown = [this](int x, int y, Qt::MouseButton) { Image3MouseDown(x, y); };
  Image3->OnMouseMove = [this](int x, int y, Qt::MouseButtons held) {
    MouseMove1(x, y, held & Qt::LeftButton);
  };
  Image3->OnMouseUp = [this](int x, int y, Qt::MouseButton) { Image3MouseUp(x, y); };
  Image2->OnMouseLeave = [this] { ClearHint(); };
}

TFilterForm::~TFilterForm() {
  // FormDestroy: the lists' choices are kept for the next workbench.
  if (!opened_) return;
  TakeControls();
  settings_.WriteInteger(settings::kFilter, kKeyComboSlop, model_.ComboSlop);
  settings_.WriteInteger(settings::kFilter, kKeyComboSlopOrder, model_.ComboSlopOrder);
  settings_.WriteInteger(settings::kFilter, kKeyComboBox1, model_.ComboBox1);
  StoreSettings();
}

QFrame* TFilterForm::NewPanel(const char* name) {
  auto* panel = new QFrame(Form);
  panel->setObjectName(name);
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel->setAutoFillBackground(true);
  QPalette pal = panel->palette();
  pal.setColor(QPalette::Window, pal.color(QPalette::Button));
  panel->setPalette(pal);
  panel->hide();
  return panel;
}

void TFilterForm::CreateSphereControls() {
  RadiusEdit = new QLineEdit(Panel7);
  RadiusEdit->setObjectName("RadiusEdit");
  UnitLabel = new QLabel(Panel7);
  UnitLabel->setObjectName("UnitLabel");
  LowpassRadio = new QRadioButton("Lowpass", Panel7);
  LowpassRadio->setObjectName("LowpassRadio");
  HighpassRadio = new QRadioButton("Highpass", Panel7);
  HighpassRadio->setObjectName("HighpassRadio");
  SphereProgress = new QProgressBar(Panel7);
  SphereProgress->setObjectName("SphereProgress");
  SphereProgress->setTextVisible(false);
  radiusKeys_ = new TNumberEditKeys(RadiusEdit, model_.RadiusEdit);
  connect(radiusKeys_, &TNumberEditKeys::Enter, this, &TFilterForm::Edit1KeyPress);
  connect(LowpassRadio, &QRadioButton::clicked, this, &TFilterForm::RadioButton1Click);
  connect(HighpassRadio, &QRadioButton::clicked, this, &TFilterForm::RadioButton1Click);
}

bool TFilterForm::OpenInMode(TVKMPicture* source, int mode) {
  using namespace settings;
  TFilterSettings s;
  s.ComboBox1 = settings_.ReadInteger(kFilter, kKeyComboBox1, 0);
  s.ComboSlop = settings_.ReadInteger(kFilter, kKeyComboSlop, 0);
  s.ComboSlopOrder = settings_.ReadInteger(kFilter, kKeyComboSlopOrder, 0);
  s.Edit2 = settings_.ReadString(kFilter, kKeyEdit2, Edit2->text().toStdString());
  s.Kugel = settings_.ReadString(kFilter, kKeyKugel, kDefaultKugel);
  const TWorkbenchMode* row = FindWorkbenchMode(mode);
  if (row && row->SettingsKey && std::string(row->SettingsKey) == kKeyKugel) CreateSphereControls();
  if (!source || !model_.OpenInMode(*source, mode, s)) return false;
  opened_ = true;

  ShowItem(ComboBox1, model_.ComboBox1);
  ShowItem(ComboSlop, model_.ComboSlop);
  ShowItem(ComboSlopOrder, model_.ComboSlopOrder);
  Edit2->setText(Q(model_.Edit2));
  if (UnitLabel) UnitLabel->setText(Q(source->ScanPara.XPhysUnit));
  if (QFrame* panel = ModePanel()) {
    panel->show();
    panel->raise();
  }
  if (row) {
    switch (row->Image2Mouse) {
      case TImage2Mouse::Slop3D:
        Image2->OnMouseDown = [this](int x, int y, Qt::MouseButton) {
          Image2MouseDownSlop3D(x, y);
        };
        break;
      case TImage2Mouse::Zoom:
        Image2->OnMouseDown = [this](int x, int y, Qt::MouseButton) { Image2MouseDownZoom(x, y); };
        Image2->OnMouseMove = [this](int x, int y, Qt::MouseButtons held) {
          Image2MouseMoveZoom(x, y, held & Qt::LeftButton);
        };
        Image2->OnMouseUp = [this](int x, int y, Qt::MouseButton) { Image2MouseUpZoom(x, y); };
        break;
      case TImage2Mouse::None:
        break;
    }
  }
  FormResize();
  ShowModel();
  StoreSettings();
  return true;
}

QFrame* TFilterForm::ModePanel() const {
  const TWorkbenchMode* row = FindWorkbenchMode(model_.Mode);
  switch (row ? row->Panel : TFilterPanel::None) {
    case TFilterPanel::Panel2:
      return Panel2;
    case TFilterPanel::Panel3:
      return Panel3;
    case TFilterPanel::Panel4:
      return Panel4;
    case TFilterPanel::Panel5:
      return Panel5;
    case TFilterPanel::Panel6:
      return Panel6;
    case TFilterPanel::Panel7:
      return Panel7;
    case TFilterPanel::None:
      break;
  }
  return nullptr;
}

void TFilterForm::TakeControls() {
  model_.ComboBox1 = ShownItem(ComboBox1);
  model_.ComboSlop = ShownItem(ComboSlop);
  model_.ComboSlopOrder = ShownItem(ComboSlopOrder);
  model_.Edit2 = Edit2->text().toStdString();
  model_.CheckBoxLog = CheckBoxLog->isChecked();
  if (LowpassRadio) model_.LowpassRadio = LowpassRadio->isChecked();
  if (radiusKeys_) radiusKeys_->Take();
}

void TFilterForm::ShowModel(bool image2) {
  Edit2->setText(Q(model_.Edit2));
  CheckBoxLog->setChecked(model_.CheckBoxLog);
  ShowImage1();
  if (image2) ShowImage2();
  PaintHistogram();
  if (RadiusEdit) {
    radiusKeys_->Show();
    RadiusEdit->setToolTip(Q(model_.RadiusHint));
    LowpassRadio->setChecked(model_.LowpassRadio);
    HighpassRadio->setChecked(!model_.LowpassRadio);
    QtProgress::Show(SphereProgress, model_.SphereProgressPosition, model_.SphereProgressMax);
  }
}

void TFilterForm::ShowImage1() {
  image1_ = ToQImage(model_.Image1).convertToFormat(QImage::Format_RGB32);
  const int64_t rp = model_.RadiusArcPixels;
  if (rp >= 0 && !image1_.isNull() && Image1->width() > 0) {
    // The radius previewed as the lower half of a circle centred in the picture, drawn
    // inverting so that it shows on every colour.
    const int half = image1_.width() / 2;
    QPainter p(&image1_);
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    const int width = static_cast<int>(
        std::nearbyint(static_cast<double>(image1_.width()) / Image1->width() + 2.0));
    p.setPen(QPen(Qt::white, width));
    const int r = static_cast<int>(std::min<int64_t>(rp, 4 * kMaxPictureSide));
    p.drawArc(QRect(half - r, half - r, 2 * r, 2 * r), 180 * 16, 180 * 16);
  }
  Image1->SetPicture(image1_);
}

void TFilterForm::ShowImage2() {
  image2_ = ToQImage(model_.Image2).convertToFormat(QImage::Format_RGB32);
  Image2->SetPicture(image2_);
}

void TFilterForm::PaintHistogram(bool feedback, int from, int to) {
  if (ModePanel() != Panel4) return;
  const char sep = messages_.DecimalSeparator();
  Label1->setText(Q(HistogramLabel(model_.Histogram.HistMin, sep)));
  Label3->setText(Q(HistogramLabel(model_.Histogram.HistMax, sep)));
  const int h = std::max(1, Image3->height());
  const std::vector<uint32_t> rgb = ::DrawHistogram(model_.Histogram, h, feedback, from, to);
  QImage img(kHistogramImageWidth, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y) {
    auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < kHistogramImageWidth; ++x)
      line[x] = 0xFF000000u | rgb[static_cast<size_t>(y) * kHistogramImageWidth + x];
  }
  Image3->SetPicture(img);
}

void TFilterForm::StoreSettings() {
  for (const auto& [key, text] : model_.TakeSettingsToStore())
    settings_.WriteString(settings::kFilter, key, text);
}

void TFilterForm::ShowHint(const std::string& text) {
  // The main window shows the hint of the window under the pointer in its status bar.
  QStatusTipEvent tip(Q(text));
  QCoreApplication::sendEvent(this, &tip);
  hintShown_ = !text.empty();
}

void TFilterForm::ClearHint() {
  // The pixel read-out belongs to the pointer over the picture: it goes when the pointer
  // leaves the picture or the window closes, as the hint of any control would.
  if (hintShown_) ShowHint("");
}

// --- the buttons --------------------------------------------------------------------------

void TFilterForm::Button4Click() {
  if (busy_ || !opened_) return;
  TakeControls();
  if (RadiusEdit && model_.RadiusEdit.IsSilver()) {
    // An edited radius is accepted as Enter accepts it, and its preview is on the screen
    // before the run starts rather than after it.
    Edit1KeyPress();
    Image1->repaint();
  }
  busy_ = true;
  for (QPushButton* b : {Button1, Button2, Button3, Button4}) b->setEnabled(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  TDoOutcome outcome;
  {
    QtProgress progress(SphereProgress);
    outcome = model_.Do(progress);
  }
  QApplication::restoreOverrideCursor();
  for (QPushButton* b : {Button1, Button2, Button3, Button4}) b->setEnabled(true);
  busy_ = false;
  // An empty zoom square leaves the result as it is shown, outline and all.
  ShowModel(outcome != TDoOutcome::NotRendered);
  StoreSettings();
}

void TFilterForm::Button1Click() {
  if (busy_ || !opened_) return;
  TakeControls();
  model_.Undo();
  ShowModel();
}

void TFilterForm::Button3Click() {
  if (busy_) return;
  if (opened_) model_.TakeOver();
  close();
}

void TFilterForm::Button2Click() {
  if (busy_) return;
  close();
}

void TFilterForm::closeEvent(QCloseEvent* event) {
  if (busy_) {
    event->ignore();
    return;
  }
  // The window state goes back to normal first: a maximised child that closes would
  // otherwise hand its maximised state to the image window that becomes active.
  if (isMaximized()) showNormal();
  QMdiSubWindow::closeEvent(event);
  if (event->isAccepted()) ClearHint();
  if (event->isAccepted() && refresh_) refresh_();
}

// --- layout ---------------------------------------------------------------------------------

void TFilterForm::resizeEvent(QResizeEvent* event) {
  QMdiSubWindow::resizeEvent(event);
  FormResize();
}

void TFilterForm::changeEvent(QEvent* event) {
  QMdiSubWindow::changeEvent(event);
  if (event->type() == QEvent::FontChange) FormResize();
  if (event->type() == QEvent::FontChange || event->type() == QEvent::WindowStateChange)
    UpdateMinimumSize();
}

void TFilterForm::UpdateMinimumSize() {
  // A restored workbench is never smaller than its design minimum. Maximised it fills
  // the window area, and on a small screen at a large font that area can be lower than
  // the design minimum: it then needs only what the left column needs, so that every
  // button shows without scrolling.
  if (!isMaximized()) {
    setMinimumSize(kFilterFormMinWidth, kFilterFormMinHeight);
    return;
  }
  // The tallest panel is the sphere's: it ends below its progress bar (placed by
  // LayoutPanels for the font in use).
  const int panel = std::max(120, SphereProgress ? SphereProgress->geometry().bottom() + 1 + 8 : 0);
  const int frame = height() - Form->height();
  const int column = kFilterColumn + 2 + panel + 2 + ButtonGrid().PanelHeight;
  setMinimumSize(kFilterFormMinWidth, std::min(kFilterFormMinHeight, column + std::max(0, frame)));
}

TFilterForm::TButtonGrid TFilterForm::ButtonGrid() const {
  const QFontMetrics fm(Form->font());
  TButtonGrid g;
  g.ButtonHeight = std::max(25, fm.height() + 10);
  // Two buttons side by side while their texts fit, else one above the other.
  const int halfWidth = (kFilterColumn - 3 * g.Gap) / 2;
  int widest = 0;
  for (QPushButton* b : {Button4, Button1, Button3, Button2})
    widest = std::max(widest, fm.horizontalAdvance(b->text()) + 16);
  g.Pairs = widest <= halfWidth;
  const int rows = g.Pairs ? 2 : 4;
  g.ButtonWidth = g.Pairs ? halfWidth : kFilterColumn - 2 * g.Gap;
  g.PanelHeight = rows * g.ButtonHeight + (rows + 1) * g.Gap;
  return g;
}

void TFilterForm::FormResize() {
  if (!Form) return;
  const TButtonGrid grid = ButtonGrid();
  const TFilterLayout l = FilterFormLayout(Form->width(), Form->height(), grid.PanelHeight);
  auto place = [](QWidget* w, const TViewRect& r) {
    w->setGeometry(r.Left, r.Top, r.Width, r.Height);
  };
  place(Panel1, l.Panel1);
  place(Image1, l.Image1);
  place(Image2, l.Image2);
  QPushButton* order[] = {Button4, Button1, Button3, Button2};  // do, undo, take over, cancel
  for (int i = 0; i < 4; ++i) {
    const int col = grid.Pairs ? i % 2 : 0;
    const int row = grid.Pairs ? i / 2 : i;
    order[i]->setGeometry(grid.Gap + col * (grid.ButtonWidth + grid.Gap),
                          grid.Gap + row * (grid.ButtonHeight + grid.Gap), grid.ButtonWidth,
                          grid.ButtonHeight);
  }
  for (QFrame* panel : {Panel2, Panel3, Panel4, Panel5, Panel6, Panel7}) place(panel, l.ModePanel);
  LayoutPanels();
  // The histogram is drawn at the height Image3 has now.
  PaintHistogram();
  if (model_.RadiusArcPixels >= 0) ShowImage1();  // the preview's pen follows the size
}

void TFilterForm::LayoutPanels() {
  const QFontMetrics fm(Form->font());
  const int line = std::max(22, fm.height() + 8);
  const int inner = kFilterColumn - 16;
  const int editWidth = std::max(80, fm.horizontalAdvance("00000000") + 12);

  Label2->adjustSize();
  Label2->move(8, 8);
  Edit2->setGeometry(8, Label2->y() + Label2->height() + 4, editWidth, line);

  ComboBox1->setGeometry(8, 8, inner, line);

  // The value labels under the histogram need their line; the histogram keeps the rest.
  const int labelHeight = fm.height() + 2;
  const int image3Height = std::max(0, Panel4->height() - std::max(30, labelHeight + 10));
  Image3->setGeometry(5, 5, kHistogramImageWidth, image3Height);
  Label1->setGeometry(5, 5 + image3Height + 4, kHistogramImageWidth, labelHeight);
  Label3->setGeometry(5, 5 + image3Height + 4, kHistogramImageWidth, labelHeight);

  CheckBoxLog->adjustSize();
  CheckBoxLog->move(8, 8);

  ComboSlop->setGeometry(8, 8, inner, line);
  ComboSlopOrder->setGeometry(8, 8 + line + 6, inner, line);

  if (RadiusEdit) {
    RadiusEdit->setGeometry(10, 20, editWidth, line);
    UnitLabel->adjustSize();
    UnitLabel->move(RadiusEdit->x() + RadiusEdit->width() + 10, RadiusEdit->y() + 2);
    LowpassRadio->adjustSize();
    LowpassRadio->move(16, std::max(48, RadiusEdit->y() + line + 4));
    HighpassRadio->adjustSize();
    HighpassRadio->move(16, std::max(64, LowpassRadio->y() + LowpassRadio->height()));
    SphereProgress->setGeometry(10, std::max(90, HighpassRadio->y() + HighpassRadio->height() + 6),
                                kFilterColumn - 20, 16);
  }
}

// --- the result image -----------------------------------------------------------------------

void TFilterForm::Image2MouseDownSlop3D(int x, int y) {
  TakeControls();  // the method list must show "Points"
  const TPicturePixel px = model_.PicturePixel(x, y, Image2->width(), Image2->height());
  TPicturePixel at;
  if (!model_.MarkPoint(px, at) || image2_.isNull()) return;
  // A filled circle with the picture's pen (black) and a solid brush (white).
  QPainter p(&image2_);
  p.setPen(Qt::black);
  p.setBrush(Qt::white);
  p.drawEllipse(QRect(at.X - kPointMarkRadius, at.Y - kPointMarkRadius, 2 * kPointMarkRadius,
                      2 * kPointMarkRadius));
  p.end();
  Image2->SetPicture(image2_);
}

void TFilterForm::InvertZoomOutline() {
  if (image2_.isNull()) return;
  // Every pixel of the outline once, so drawing it twice erases it.
  for (const TPixel& px : ZoomOutlinePixels(ZoomSquareOf(model_)))
    if (px.X >= 0 && px.Y >= 0 && px.X < image2_.width() && px.Y < image2_.height())
      image2_.setPixel(px.X, px.Y, image2_.pixel(px.X, px.Y) ^ 0x00FFFFFFu);
  Image2->SetPicture(image2_);
}

void TFilterForm::Image2MouseDownZoom(int x, int y) {
  ZoomMouseDown(model_, model_.PicturePixel(x, y, Image2->width(), Image2->height()));
}

void TFilterForm::Image2MouseMoveZoom(int x, int y, bool leftHeld) {
  const TPicturePixel px = model_.PicturePixel(x, y, Image2->width(), Image2->height());
  if (leftHeld) InvertZoomOutline();  // the old square goes
  const TZoomMove move = ZoomMouseMove(model_, px, leftHeld);
  ShowHint(move.Hint);
  if (leftHeld) InvertZoomOutline();
}

void TFilterForm::Image2MouseUpZoom(int x, int y) {
  ZoomMouseUp(model_, model_.PicturePixel(x, y, Image2->width(), Image2->height()));
}

// --- the histogram --------------------------------------------------------------------------

void TFilterForm::Image3MouseDown(int x, int) {
  HistogramMouseDown(model_.Histogram, HistogramColumnAt(x));
}

void TFilterForm::MouseMove1(int x, int, bool leftHeld) {
  // Feedback only for the window being worked in, while the left button is held.
  if (!leftHeld || (mdiArea() && mdiArea()->activeSubWindow() != this)) return;
  PaintHistogram(true, model_.Histogram.Anchor, HistogramColumnAt(x));
}

void TFilterForm::Image3MouseUp(int x, int) {
  HistogramMouseUp(model_.Histogram, HistogramColumnAt(x));
  PaintHistogram();
}

// --- the sphere's and the FFT's controls ----------------------------------------------------

void TFilterForm::Edit1KeyPress() {
  if (busy_) return;
  model_.RadiusEditEnter();
  ShowModel(false);
  StoreSettings();
}

void TFilterForm::RadioButton1Click() {
  if (busy_) return;
  model_.LowpassRadio = LowpassRadio->isChecked();
  model_.RadioButton1Click();
  ShowImage2();
}

void TFilterForm::CheckBoxLogClick() {
  model_.CheckBoxLog = CheckBoxLog->isChecked();
}

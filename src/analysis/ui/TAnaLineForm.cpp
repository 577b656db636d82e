// TAnaLineForm: controls, painting and settings over TLineProfileModel.
#include "analysis/ui/TAnaLineForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>

#include "analysis/ui/TImageControl.h"
#include "analysis/ui/TReadoutGrid.h"
#include "qtgui/NumberEditPaint.h"
#include "qtgui/ViewPainter.h"
#include "settings/IniFile.h"
#include "settings/SettingsKeys.h"
#include "view/QtProgress.h"

namespace {

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

// The program's own folder with its final separator: where profiles are saved first.
std::string ProgramFolder() {
  return QCoreApplication::applicationDirPath().toStdString() + "/";
}

}  // namespace

TAnaLineForm::TAnaLineForm(TIniFile& settings, Messages& messages, std::function<void()> refresh,
                           QWidget* parent)
    : QMdiSubWindow(parent),
      settings_(settings),
      messages_(messages),
      refresh_(std::move(refresh)) {
  setObjectName("AnaLineForm");
  Form = new QWidget(this);
  Form->setObjectName("Form");
  setWidget(Form);
  resize(644, 476);

  ComboBox1 = new QComboBox(Form);
  ComboBox1->setObjectName("ComboBox1");
  for (const char* item : kProfileModeItems) ComboBox1->addItem(item);

  Label3 = new QLabel("width", Form);
  Label3->setObjectName("Label3");
  Edit1 = new QLineEdit(Form);
  Edit1->setObjectName("Edit1");
  Label2 = new QLabel("number", Form);
  Label2->setObjectName("Label2");
  Edit2 = new QLineEdit(Form);
  Edit2->setObjectName("Edit2");

  StringGrid1 = new TReadoutGrid(Form);
  StringGrid1->hide();

  Button1 = new QPushButton("&Copy", Form);
  Button1->setObjectName("Button1");
  SaveButton = new QPushButton("&Save", Form);
  SaveButton->setObjectName("SaveButton");
  CancelButton = new QPushButton("Cancel", Form);
  CancelButton->setObjectName("CancelButton");
  for (QPushButton* b : {Button1, SaveButton, CancelButton}) b->setAutoDefault(false);
  ProgressBar1 = new QProgressBar(Form);
  ProgressBar1->setObjectName("ProgressBar1");
  ProgressBar1->setTextVisible(false);
  ProgressBar1->hide();

  Image1 = new TImageControl(Form);
  Image1->setObjectName("Image1");
  Image2 = new TImageControl(Form);
  Image2->setObjectName("Image2");
  CheckBox1 = new QCheckBox("Cursor Stick to Graph", Form);
  CheckBox1->setObjectName("CheckBox1");
  CheckBox1->setChecked(true);  // always on
  CheckBox1->setEnabled(false);

  QLabel** labels[] = {&Label1, &Label5, &Label6, &Label7, &Label8, &Label9};
  const char* names[] = {"Label1", "Label5", "Label6", "Label7", "Label8", "Label9"};
  for (int i = 0; i < 6; ++i) {
    *labels[i] = new QLabel(Form);
    (*labels[i])->setObjectName(names[i]);
  }
  Label5->setText("0");
  Label6->setAutoFillBackground(true);

  QFrame** panels[] = {&Panel1, &Panel2};
  for (int i = 0; i < 2; ++i) {
    QFrame* p = new QFrame(Form);
    p->setObjectName(i == 0 ? "Panel1" : "Panel2");
    p->setAutoFillBackground(true);
    QPalette pal = p->palette();
    pal.setColor(QPalette::Window, i == 0 ? QColor(0, 0, 0) : QColor(0, 255, 0));
    p->setPalette(pal);
    p->resize(8, 8);
    p->setCursor(Qt::SizeAllCursor);
    p->installEventFilter(this);
    p->hide();
    *panels[i] = p;
  }

  Image1->OnMouseDown = [this](int x, int y) { Image1MouseDown(x, y); };
  Image1->OnMouseMove = [this](int x, int y) { Image1MouseMove(x, y); };
  Image2->OnMouseDown = [this](int x, int y) { Image2MouseDown(x, y); };
  Image2->OnMouseMove = [this](int x, int y) { Image2MouseMove(x, y); };

  edit1Keys_ = new TNumberEditKeys(Edit1, edit1_);
  edit2Keys_ = new TNumberEditKeys(Edit2, edit2_);
  connect(edit1Keys_, &TNumberEditKeys::Enter, this, &TAnaLineForm::Edit1Enter);
  connect(edit2Keys_, &TNumberEditKeys::Enter, this, &TAnaLineForm::Edit2Enter);
  connect(Button1, &QPushButton::clicked, this, &TAnaLineForm::CopyButtonClick);
  connect(SaveButton, &QPushButton::clicked, this, &TAnaLineForm::SaveButtonClick);
  connect(CancelButton, &QPushButton::clicked, this, &TAnaLineForm::CancelButtonClick);

  FormCreate();
}

TAnaLineForm::~TAnaLineForm() {
  FormDestroy();
}

void TAnaLineForm::FormCreate() {
  using namespace settings;
  const int dir = settings_.ReadInteger(kAnaLine, "Dir", kDefaultAnaDir);
  model_.Separator = messages_.DecimalSeparator();
  model_.Create(dir, settings_.ReadInteger(kAnaLine, "Width", kDefaultAnaWidth),
                settings_.ReadString(kAnaLine, "Number", kDefaultAnaNumber));
  ComboBox1->setCurrentIndex(model_.Mode);
  edit1_ = TNumberEdit(model_.WidthText, TEditState::White);
  edit2_ = TNumberEdit(model_.NumberText, TEditState::White);
  edit1Keys_->Show();
  edit2Keys_->Show();
}

void TAnaLineForm::FormDestroy() {
  using namespace settings;
  // The width and number are kept as typed, even when they are not numbers.
  settings_.WriteInteger(kAnaLine, "Dir", ComboBox1->currentIndex());
  settings_.WriteString(kAnaLine, "Width", Edit1->text().toStdString());
  settings_.WriteString(kAnaLine, "Number", Edit2->text().toStdString());
  settings_.WriteInteger(kAnaLine, "AnyPoint1X", model_.AnyPoint1X);
  settings_.WriteInteger(kAnaLine, "AnyPoint1Y", model_.AnyPoint1Y);
  settings_.WriteInteger(kAnaLine, "AnyPoint2X", model_.AnyPoint2X);
  settings_.WriteInteger(kAnaLine, "AnyPoint2Y", model_.AnyPoint2Y);
}

void TAnaLineForm::SetPicture(const TVKMPicture* picture) {
  using namespace settings;
  model_.AnyPoint1X = settings_.ReadInteger(kAnaLine, "AnyPoint1X", kDefaultAnyPoint1X);
  model_.AnyPoint1Y = settings_.ReadInteger(kAnaLine, "AnyPoint1Y", kDefaultAnyPoint1Y);
  model_.AnyPoint2X = settings_.ReadInteger(kAnaLine, "AnyPoint2X", kDefaultAnyPoint2X);
  model_.AnyPoint2Y = settings_.ReadInteger(kAnaLine, "AnyPoint2Y", kDefaultAnyPoint2Y);
  model_.Picture = picture;
  FormResize();  // the image copy at the size of Image1
  Prepare([this, picture](Progress* p) { model_.SetPicture(picture, p); });
  comboConnected_ = true;
  connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TAnaLineForm::ComboBox1Change);
  if (picture) StringGrid1->SetLabels(ReadoutLabels(picture->ScanPara));
  StringGrid1->show();
  ShowModel();
}

void TAnaLineForm::Prepare(const std::function<void(Progress*)>& work) {
  // The mode box and the width edit are disabled while the work runs, which would move
  // the keyboard focus away from them; it comes back to where the user left it.
  QPointer<QWidget> focus = QApplication::focusWidget();
  if (focus && !Form->isAncestorOf(focus)) focus = nullptr;
  busy_ = true;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  ComboBox1->setEnabled(false);
  Edit1->setEnabled(false);
  ProgressBar1->setValue(0);
  ProgressBar1->show();
  {
    QtProgress progress(ProgressBar1, CancelButton);
    work(&progress);
  }
  ProgressBar1->hide();
  ComboBox1->setEnabled(true);
  QApplication::restoreOverrideCursor();
  busy_ = false;
  edit1_.Text = model_.WidthText;
  edit2_.Text = model_.NumberText;
  edit1Keys_->Show();
  edit2Keys_->Show();
  ShowModel();
  if (focus && focus->isEnabled() && focus->isVisible()) focus->setFocus();
}

void TAnaLineForm::ComboBox1Change() {
  if (!comboConnected_ || busy_) return;
  const std::string width = Edit1->text().toStdString();
  const int index = ComboBox1->currentIndex();
  Prepare([&](Progress* p) { model_.ChangeMode(index, width, p); });
  edit1_.State = TEditState::White;
  edit1Keys_->Show();
}

void TAnaLineForm::Edit1Enter() {
  if (busy_) return;
  const std::string text = edit1_.Text;
  bool ok = false;
  Prepare([&](Progress* p) {
    bool cancelled = false;
    ok = model_.WidthEntered(text, cancelled, p);
  });
  edit1_.Text = ok ? model_.WidthText : text;
  edit1_.State = ok ? TEditState::White : TEditState::Red;
  edit1Keys_->Show();
}

void TAnaLineForm::Edit2Enter() {
  const std::string text = edit2_.Text;
  if (model_.NumberEntered(text)) {
    edit2_.Text = model_.NumberText;
    edit2_.State = TEditState::White;
    ShowModel();
  } else {
    edit2_.State = TEditState::Red;  // the profile stays as it is
  }
  edit2Keys_->Show();
}

void TAnaLineForm::Image1MouseDown(int x, int y) {
  Image1MouseMove(x, y);
}

void TAnaLineForm::Image1MouseMove(int x, int y) {
  if (model_.Mode == 2 || model_.Mode < 0) return;
  model_.ImageMouse(x, y);
  edit2_ = TNumberEdit(model_.NumberText, TEditState::White);
  edit2Keys_->Show();
  ShowModel();
}

void TAnaLineForm::Panel1MouseMove(QFrame* panel, int x, int y) {
  model_.DragPanel(panel == Panel1 ? 1 : 2, x, y);
  ShowModel();
}

void TAnaLineForm::Image2MouseDown(int x, int y) {
  if (model_.Cursors.NeedsSnapshot()) graphSnapshot_ = graph_;  // the clean graph
  model_.Cursors.MouseDown(x);
  Image2MouseMove(x, y);
}

void TAnaLineForm::Image2MouseMove(int x, int y) {
  model_.Cursors.MouseMove(x, y, model_.CursorContext(CheckBox1->isChecked()));
  DrawCrosses();
  StringGrid1->SetValues(model_.Cursors.Values);
}

void TAnaLineForm::SaveButtonClick() {
  QFileDialog dialog(this, "Save");
  dialog.setObjectName("SaveDialog1");
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilter("Text-File (*.dat)");
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setDirectory(Q(settings_.ReadString(settings::kSave, "Path", ProgramFolder())));
  dialog.selectFile(windowTitle());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  SaveTo(dialog.selectedFiles().first().toStdString());
}

bool TAnaLineForm::SaveTo(const std::string& chosenName) {
  const TProfileSaveResult r = SaveProfile(chosenName, model_.Profile, model_.Step);
  if (!r.Ok) {
    messages_.ShowMessage("Save not complete!");
    return false;
  }
  settings_.WriteString(settings::kSave, "Path", r.Folder);
  return true;
}

void TAnaLineForm::CopyButtonClick() {
  QGuiApplication::clipboard()->setText(
      Q(ProfileClipboardText(model_.Profile, model_.Step, model_.Separator)));
}

void TAnaLineForm::CancelButtonClick() {
  // While a preparation runs the button stops it (through the progress) and the
  // close below is refused; otherwise it closes the window.
  close();
}

void TAnaLineForm::keyPressEvent(QKeyEvent* event) {
  // Escape anywhere in the window presses Cancel: it stops a running preparation or
  // closes the window.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    CancelButton->click();
    event->accept();
    return;
  }
  QMdiSubWindow::keyPressEvent(event);
}

void TAnaLineForm::closeEvent(QCloseEvent* event) {
  if (busy_) {
    event->ignore();
    return;
  }
  QMdiSubWindow::closeEvent(event);
  if (event->isAccepted() && refresh_) refresh_();
}

void TAnaLineForm::resizeEvent(QResizeEvent* event) {
  QMdiSubWindow::resizeEvent(event);
  FormResize();
}

bool TAnaLineForm::eventFilter(QObject* watched, QEvent* event) {
  if ((watched == Panel1 || watched == Panel2) && event->type() == QEvent::MouseMove) {
    auto* me = static_cast<QMouseEvent*>(event);
    if (me->buttons() & Qt::LeftButton) {
      const QPoint pos = me->position().toPoint();
      Panel1MouseMove(static_cast<QFrame*>(watched), pos.x(), pos.y());
    }
    return true;
  }
  return QMdiSubWindow::eventFilter(watched, event);
}

void TAnaLineForm::LayoutLeftColumn() {
  // The controls left of the image take the room their texts need at the window's font.
  const QFontMetrics fm(Form->font());
  const int line = std::max(24, fm.height() + 8);
  const int labelWidth = std::max({fm.horizontalAdvance("number"), fm.horizontalAdvance("angle"),
                                   fm.horizontalAdvance("width")}) +
                         8;
  const int editWidth = std::max(45, fm.horizontalAdvance("0000") + 12);
  const int columnWidth =
      std::max(190, StringGrid1->ColumnWidth(0) + fm.horizontalAdvance("-8.888E-88") + 12);
  ComboBox1->setGeometry(8, 8, std::max(97, labelWidth + editWidth), line);
  int y = 8 + line + 8;
  Label3->setGeometry(8, y, labelWidth, line);
  Edit1->setGeometry(8 + labelWidth, y, editWidth, line);
  y += line + 8;
  Label2->setGeometry(8, y, labelWidth, line);
  Edit2->setGeometry(8 + labelWidth, y, editWidth, line);
  y += line + 12;
  StringGrid1->setGeometry(8, y, columnWidth, StringGrid1->GridHeight());
  y += StringGrid1->GridHeight() + 10;
  const int buttonWidth = (columnWidth - 10) / 2;
  const int buttonHeight = std::max(28, fm.height() + 10);
  Button1->setGeometry(8, y, buttonWidth, buttonHeight);
  SaveButton->setGeometry(8 + buttonWidth + 10, y, buttonWidth, buttonHeight);
  y += buttonHeight + 8;
  CancelButton->setGeometry(8, y, buttonWidth, buttonHeight);
  y += buttonHeight + 8;
  ProgressBar1->setGeometry(8, y, columnWidth, 18);
}

void TAnaLineForm::changeEvent(QEvent* event) {
  QMdiSubWindow::changeEvent(event);
  if (event->type() == QEvent::FontChange) FormResize();
}

void TAnaLineForm::FormResize() {
  if (!Form) return;
  LayoutLeftColumn();
  if (!isMaximized() && (width() < kLineFormMinWidth || height() < kLineFormMinHeight)) {
    resize(std::max(width(), kLineFormMinWidth), std::max(height(), kLineFormMinHeight));
    return;  // the resize comes back here
  }
  Label1->adjustSize();
  const TLineFormLayout l =
      LineFormLayout(Form->width(), Form->height(), width(), Label1->sizeHint().height());
  Image1->setGeometry(l.Image1.Left, l.Image1.Top, l.Image1.Width, l.Image1.Height);
  Image2->setGeometry(l.Image2.Left, l.Image2.Top, l.Image2.Width, l.Image2.Height);
  CheckBox1->adjustSize();
  // Above the graph; a font taller than the rule's 21 pixels moves it up so that it
  // does not run into the graph.
  CheckBox1->move(l.CheckBoxLeft, std::min(l.CheckBoxTop, l.Image2.Top - CheckBox1->height()));
  model_.Image1 = l.Image1;
  model_.GraphWidth = l.Image2.Width;
  model_.GraphHeight = l.Image2.Height;
  if (model_.Picture && model_.Picture->Bitmap.Width > 0 && l.s > 0) {
    imageCopy_ = ToQImage(model_.Picture->Bitmap)
                     .scaled(l.s, l.s, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                     .convertToFormat(QImage::Format_RGB32);
  }
  if (model_.Picture) model_.PlaceMarkers();
  if (!busy_) ShowLineAgain();
  ShowModel();
}

void TAnaLineForm::ShowLineAgain() {
  // The image copy is redrawn at its new size, so the line and its graph follow it.
  if (!model_.Picture) return;
  switch (model_.Mode) {
    case 0:
      model_.ShowRow(model_.RowNumber);
      break;
    case 1:
      model_.ShowColumn(model_.ColumnNumber);
      break;
    case 2:
      model_.ShowAnyLine();
      break;
    case 3:
      model_.ShowRadial(model_.Angle);
      break;
    default:
      break;
  }
}

void TAnaLineForm::ShowModel(bool graph) {
  Edit1->setEnabled(model_.WidthEnabled && !busy_);
  Edit2->setVisible(model_.NumberShown);
  const std::string numberLabel = model_.NumberLabel();
  Label2->setVisible(!numberLabel.empty());
  if (!numberLabel.empty()) Label2->setText(Q(numberLabel));
  Label1->setText(Q(model_.DistanceUnit));
  Label7->setText(Q(model_.MaxText));
  Label8->setText(Q(model_.ValueUnit));
  Label9->setText(Q(model_.MinText));
  Label6->setText(Q(model_.LengthText));
  QPalette pal = Label6->palette();
  pal.setColor(QPalette::Window,
               model_.Mode == 2 ? QColor(0, 255, 0) : palette().color(QPalette::Button));
  Label6->setPalette(pal);
  for (QLabel* l : {Label1, Label5, Label6, Label7, Label8, Label9}) {
    l->adjustSize();
    l->setVisible(model_.Profile.PointCount() > 0 || l == Label5 || l == Label1);
  }
  // The labels round the graph, placed by their sizes.
  const QRect g = Image2->geometry();
  const int s = g.width();
  const int under = g.bottom() + 1 + s / 30;
  Label5->move(g.left(), under);
  Label1->move(g.left() + s / 2 - Label1->width() / 2, under);
  Label6->move(g.left() + s - Label6->width(), under);
  // Each of the three labels left of the graph ends 10 pixels before it, so a longer
  // minimum ("-1.23E-3") does not run into the graph.
  Label7->move(g.left() - Label7->width() - 10, g.top());
  Label8->move(g.left() - Label8->width() - 10, g.top() + g.height() / 2);
  Label9->move(g.left() - Label9->width() - 10, g.top() + g.height() - Label9->height());

  Panel1->setVisible(model_.PanelsShown);
  Panel2->setVisible(model_.PanelsShown);
  Panel1->move(model_.Panel1Left, model_.Panel1Top);
  Panel2->move(model_.Panel2Left, model_.Panel2Top);
  Panel1->setToolTip(Q(model_.Panel1Hint));
  Panel2->setToolTip(Q(model_.Panel2Hint));
  Panel1->raise();
  Panel2->raise();
  DrawImage1();
  if (graph) DrawGraph();
  StringGrid1->SetValues(model_.Cursors.Values);
}

void TAnaLineForm::DrawImage1() {
  QImage img = imageCopy_;
  TMarkerLine line;
  if (!img.isNull() && model_.MarkerOf(model_.Mode, line)) {
    // The marker inverts what lies under it, so it shows on every colour.
    for (const auto& [x, y] : LinePixels(line))
      if (x >= 0 && y >= 0 && x < img.width() && y < img.height())
        img.setPixel(x, y, img.pixel(x, y) ^ 0x00FFFFFFu);
  }
  Image1->SetPicture(img);
}

void TAnaLineForm::DrawGraph() {
  const int w = std::max(1, model_.GraphWidth);
  const int h = std::max(1, model_.GraphHeight);
  graph_ = QImage(w, h, QImage::Format_RGB32);
  graph_.fill(Qt::white);
  QPainter p(&graph_);
  p.setPen(QPen(Qt::black, 1));
  QPolygon line;
  for (const auto& [x, y] : model_.Graph.Points) line << QPoint(x, y);
  if (line.size() == 1)
    p.drawPoint(line.first());
  else
    p.drawPolyline(line);
  p.end();
  Image2->SetPicture(graph_);
}

void TAnaLineForm::DrawCrosses() {
  QImage img = model_.Cursors.GraphSnapshotValid ? graphSnapshot_ : graph_;
  if (img.isNull()) return;
  QPainter p(&img);
  const int penWidth = CrossPenWidth(img.width(), Image2->width());
  for (int k = 0; k < 2; ++k) {
    if (!model_.Cursors.Drawn(k)) continue;
    p.setPen(
        QPen(k == 0 ? QColor(255, 0, 0) : QColor(0, 128, 0), penWidth, Qt::SolidLine, Qt::FlatCap));
    const TProfileCursor& c = model_.Cursors.Cursor[k];
    for (const auto& s : CrossStrokes(c.X, c.Y)) {
      // Each stroke without its end pixel: the centre stays open.
      const int x2 = s[2] - (s[2] > s[0] ? 1 : 0);
      const int y2 = s[3] - (s[3] > s[1] ? 1 : 0);
      p.drawLine(s[0], s[1], x2, y2);
    }
  }
  p.end();
  Image2->SetPicture(img);
}

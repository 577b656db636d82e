// TS3DForm: the edits, the Draw button and the stretched relief.
#include "analysis/ui/TS3DForm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "analysis/Relief3D.h"
#include "analysis/ui/TImageControl.h"
#include "qtgui/NumberEditPaint.h"
#include "qtgui/ViewPainter.h"
#include "settings/IniFile.h"
#include "settings/SettingsKeys.h"

namespace {
constexpr int kPanelWidth = 105;
}

TS3DForm::TS3DForm(TIniFile& settings, Messages& messages, QWidget* parent)
    : QMdiSubWindow(parent), settings_(settings), messages_(messages) {
  setObjectName("S3DForm");
  auto* form = new QWidget(this);
  setWidget(form);
  resize(532, 408);
  Panel1 = new QWidget(form);
  Panel1->setObjectName("Panel1");
  Label2 = new QLabel("z-Gain", Panel1);
  Label2->setObjectName("Label2");
  Edit1 = new QLineEdit(Panel1);
  Edit1->setObjectName("Edit1");
  Label3 = new QLabel("Shift", Panel1);
  Label3->setObjectName("Label3");
  Edit2 = new QLineEdit(Panel1);
  Edit2->setObjectName("Edit2");
  Button1 = new QPushButton("Draw", Panel1);
  Button1->setObjectName("Button1");
  Button1->setAutoDefault(false);
  Label1 = new QLabel("Time", Panel1);
  Label1->setObjectName("Label1");
  Image1 = new TImageControl(form);
  Image1->setObjectName("Image1");

  // Enter in either edit draws at once.
  edit1Keys_ = new TNumberEditKeys(Edit1, edit1_);
  edit2Keys_ = new TNumberEditKeys(Edit2, edit2_);
  connect(edit1Keys_, &TNumberEditKeys::Enter, this, &TS3DForm::Button1Click);
  connect(edit2Keys_, &TNumberEditKeys::Enter, this, &TS3DForm::Button1Click);
  connect(Button1, &QPushButton::clicked, this, &TS3DForm::Button1Click);
  FormCreate();
}

TS3DForm::~TS3DForm() {
  FormDestroy();
}

void TS3DForm::FormCreate() {
  using namespace settings;
  edit1_ = TNumberEdit(settings_.ReadString(kS3D, "zGain", kDefaultZGain), TEditState::White);
  edit2_ = TNumberEdit(settings_.ReadString(kS3D, "Shift", kDefaultShift), TEditState::White);
  edit1Keys_->Show();
  edit2Keys_->Show();
}

void TS3DForm::FormDestroy() {
  // The texts as they stand, numbers or not.
  settings_.WriteString(settings::kS3D, "zGain", Edit1->text().toStdString());
  settings_.WriteString(settings::kS3D, "Shift", Edit2->text().toStdString());
}

void TS3DForm::SetPicture(const TVKMPicture* picture) {
  picture_ = picture;
}

void TS3DForm::Button1Click() {
  edit1Keys_->Take();
  edit2Keys_->Take();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  QElapsedTimer clock;
  clock.start();
  const TReliefParams params = ReliefParams(edit1_.Text, edit2_.Text);
  if (params.GainReplaced) edit1_.Text = std::to_string(params.Gain);
  if (params.ShiftReplaced) edit2_.Text = std::to_string(params.Shift);
  edit1_.State = edit2_.State = TEditState::White;
  edit1Keys_->Show();
  edit2Keys_->Show();
  // Without values the view keeps its previous picture.
  if (picture_ && DrawRelief(*picture_, params.Gain, params.Shift, relief_)) {
    Image1->SetPicture(ToQImage(relief_), true);
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    Label1->setText(QString::fromStdString(ReliefTimeText(seconds, messages_.DecimalSeparator())));
  }
  QApplication::restoreOverrideCursor();
}

void TS3DForm::changeEvent(QEvent* event) {
  QMdiSubWindow::changeEvent(event);
  if (event->type() == QEvent::FontChange) resizeEvent(nullptr);
}

void TS3DForm::resizeEvent(QResizeEvent* event) {
  if (event) QMdiSubWindow::resizeEvent(event);
  QWidget* form = widget();
  if (!form) return;
  Panel1->setGeometry(0, 0, kPanelWidth, form->height());
  // The panel's controls as high as the window's font needs.
  const QFontMetrics fm(form->font());
  const int text = fm.height() + 2;
  const int line = std::max(24, fm.height() + 8);
  int y = 8;
  for (QWidget* w :
       std::initializer_list<QWidget*>{Label2, Edit1, Label3, Edit2, Button1, Label1}) {
    const bool label = w == Label1 || w == Label2 || w == Label3;
    const int h = label ? text : (w == Button1 ? std::max(28, line) : line);
    w->setGeometry(8, y, kPanelWidth - 16, h);
    y += h + (label ? 2 : 8);
  }
  Image1->setGeometry(kPanelWidth, 0, std::max(0, form->width() - kPanelWidth), form->height());
}

// TArithForm: the Qt controls over the core arithmetic.
#include "process/ui/TArithForm.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <algorithm>

#include "image/TextEncoding.h"
#include "qtgui/ViewPainter.h"
#include "settings/IniFile.h"
#include "settings/SettingsKeys.h"

namespace {
QLabel* MakeLabel(QWidget* parent, const char* name, int x, int y, int w = 200) {
  auto* l = new QLabel(parent);
  l->setObjectName(name);
  l->setGeometry(x, y, w, 16);
  return l;
}
QLabel* MakeImage(QWidget* parent, const char* name, int x) {
  auto* l = new QLabel(parent);
  l->setObjectName(name);
  l->setGeometry(x, 48, 201, 201);
  l->setFrameShape(QFrame::Box);
  return l;
}

// A picture stretched over the thumbnail without smoothing, as the image window
// draws it: each value stays a block of its own colour.
void ShowThumbnail(QLabel* label, const QImage& image) {
  if (image.isNull()) {
    label->setPixmap(QPixmap());
    return;
  }
  label->setPixmap(QPixmap::fromImage(
      image.scaled(label->contentsRect().size(), Qt::IgnoreAspectRatio, Qt::FastTransformation)));
}
}  // namespace

TArithForm::TArithForm(TArithHost& host, TIniFile* settings, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint),
      host_(host),
      settings_(settings),
      result_(std::make_unique<TVKMPicture>(&host.Msgs())) {
  setObjectName("ArithForm");
  setWindowTitle("ArithForm");
  setFixedSize(694, 326);
  Label2 = MakeLabel(this, "Label2", 16, 16);
  Image1 = MakeImage(this, "Image1", 16);
  Edit1 = new QLineEdit(this);
  Edit1->setObjectName("Edit1");
  Edit1->setGeometry(225, 147, 25, 28);
  QFont f("MS Sans Serif");
  f.setPointSize(12);
  Edit1->setFont(f);
  Label3 = MakeLabel(this, "Label3", 256, 16);
  Image2 = MakeImage(this, "Image2", 256);
  Label1 = MakeLabel(this, "Label1", 466, 144, 12);
  Label1->setText("=");
  Image3 = MakeImage(this, "Image3", 480);
  Label4 = MakeLabel(this, "Label4", 16, 264);
  Label5 = MakeLabel(this, "Label5", 16, 280);
  Label6 = MakeLabel(this, "Label6", 256, 264);
  Label7 = MakeLabel(this, "Label7", 256, 280);
  Label8 = MakeLabel(this, "Label8", 480, 264, 60);
  Label9 = MakeLabel(this, "Label9", 480, 280, 60);
  Button1 = new QPushButton("Use", this);
  Button1->setObjectName("Button1");
  Button1->setGeometry(544, 264, 75, 25);
  Button1->setEnabled(false);
  connect(Button1, &QPushButton::clicked, this, &TArithForm::Button1Click);
  for (QLabel* l : {Image1, Image2}) {
    l->setAcceptDrops(true);
    l->installEventFilter(this);
  }
  Image3->installEventFilter(this);
  Label1->installEventFilter(this);
  Edit1->installEventFilter(this);
  // FormCreate: the operator from the settings.
  const std::string op =
      settings_ ? settings_->ReadString(settings::kArithmetic, "Op", settings::kDefaultOp)
                : settings::kDefaultOp;
  Edit1->setText(QString::fromStdString(OperatorEditText(op)));
  LayoutLabels();
}

void TArithForm::LayoutLabels() {
  // Each pair of value labels stands at its design place, one under the other,
  // as wide and high as its text at the current font; "Use" stays right of the
  // result's labels, and the window grows when the texts need more room.
  constexpr int kTop = 264;
  int right = 0;
  int bottom = 0;
  const struct {
    QLabel* upper;
    QLabel* lower;
    int x;
  } pairs[] = {{Label4, Label5, 16}, {Label6, Label7, 256}, {Label8, Label9, 480}};
  for (const auto& p : pairs) {
    p.upper->adjustSize();
    p.lower->adjustSize();
    p.upper->move(p.x, kTop);
    p.lower->move(p.x, kTop + p.upper->height());
    right = std::max({right, p.upper->geometry().right(), p.lower->geometry().right()});
    bottom = std::max(bottom, p.lower->geometry().bottom());
  }
  // A caption may be as wide as its column; a longer one (an Omicron channel's
  // folder path) is cut in the middle, so its end shows, and is whole as tool tip.
  for (int which = 1; which <= 2; ++which) {
    QLabel* caption = which == 1 ? Label2 : Label3;
    const QString& full = captions_[which];
    caption->setText(caption->fontMetrics().elidedText(full, Qt::ElideMiddle, 232));
    caption->setToolTip(caption->text() == full ? QString() : full);
    caption->resize(232, caption->sizeHint().height());
  }
  const int useX = std::max({544, Label8->geometry().right() + 9, Label9->geometry().right() + 9});
  const QSize use = Button1->sizeHint().expandedTo(QSize(75, 25));
  Button1->setGeometry(useX, kTop, use.width(), use.height());
  right = std::max(right, Button1->geometry().right());
  bottom = std::max(bottom, Button1->geometry().bottom());
  setFixedSize(std::max(694, right + 17), std::max(326, bottom + 17));
}

void TArithForm::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::FontChange) LayoutLabels();
}

TArithForm::~TArithForm() = default;

TImageDoc* TArithForm::Operand(int which) {
  if (slots_[which] <= 0) return nullptr;
  TImageDoc* doc = host_.DocInSlot(slots_[which]);
  // A closed operand window counts as missing, also when its slot has been reused.
  if (!doc || doc->Serial() != chosen_[which]) return nullptr;
  return doc;
}

void TArithForm::SetOperand(int which, int slot) {
  TImageDoc* w = host_.DocInSlot(slot);
  if (!w) return;
  Button1->setEnabled(false);
  slots_[which] = slot;
  chosen_[which] = w->Serial();
  const TOperandTexts t = OperandTexts(*w);
  captions_[which] = QString::fromStdString(DisplayText(t.Caption));
  ShowThumbnail(which == 1 ? Image1 : Image2, w->HasImage() ? ToQImage(w->Image1) : QImage());
  (which == 1 ? Label4 : Label6)->setText(QString::fromStdString(DisplayText(t.Lower)));
  (which == 1 ? Label5 : Label7)->setText(QString::fromStdString(DisplayText(t.Upper)));
  LayoutLabels();
}

void TArithForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  const int n = host_.ChildCount();
  if (n > 1) {
    if (host_.DocInSlot(n)) SetOperand(1, n);
    if (host_.DocInSlot(n - 1)) SetOperand(2, n - 1);
    Compute();
  }
}

void TArithForm::Compute() {
  TImageDoc* a = Operand(1);
  TImageDoc* b = Operand(2);
  const TArithOutcome r = ComputeArithmetic(
      a ? a->Picture.get() : nullptr, b ? b->Picture.get() : nullptr, Edit1->text().toStdString(),
      *result_, resultBitmap_, host_.Msgs(), host_.Msgs().DecimalSeparator());
  if (!r.Computed()) return;
  ShowThumbnail(Image3, ToQImage(resultBitmap_));
  Label8->setText(QString::fromStdString(DisplayText(r.Label8)));
  Label9->setText(QString::fromStdString(DisplayText(r.Label9)));
  LayoutLabels();
  Button1->setEnabled(true);
}

void TArithForm::Button1Click() {
  const TImageDoc* first = Operand(1);
  if (!first || !result_->HasMatrix()) return;
  TImageDoc* w = nullptr;
  try {
    w = &host_.NewImage("Calculus");
  } catch (const TooManyData& e) {
    // The refusal was said by the host; the command stops with the error box.
    host_.Msgs().ShowMessage(e.what(), TMsgDlgType::mtError);
    return;
  }
  if (!MakeCalculusDoc(*w, w->Index, *result_, first)) {
    host_.DiscardImage(*w);
    return;
  }
  host_.ImageReady(*w);
  hide();
}

void TArithForm::Edit1KeyPress(char key) {
  const TOperatorKey k = OperatorKeyPress(key);
  Edit1->setText(QString::fromStdString(k.Edit1));
  if (k.StoreOp && settings_) settings_->WriteString(settings::kArithmetic, "Op", k.Op);
  if (k.Beep) host_.Msgs().Beep();
}

bool TArithForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Image1 || watched == Image2) {
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
      static_cast<QDropEvent*>(event)->acceptProposedAction();
      return true;
    }
    if (event->type() == QEvent::Drop) {
      auto* drop = static_cast<QDropEvent*>(event);
      const int slot = host_.SlotOfDragSource(drop->source());
      if (slot > 0) SetOperand(watched == Image1 ? 1 : 2, slot);  // anything else is ignored
      drop->acceptProposedAction();
      return true;
    }
  }
  if ((watched == Image3 || watched == Label1) && event->type() == QEvent::MouseButtonRelease) {
    if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) Compute();
    return true;
  }
  if (watched == Edit1 && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    const QString text = key->text();
    // Every key that types a character counts, control characters such as Backspace,
    // Enter or Ctrl+V included, so that nothing but an operator ever stands in the
    // edit. Tab moves the focus and Delete edits; neither types a character.
    const bool typed = !text.isEmpty() && key->key() != Qt::Key_Tab &&
                       key->key() != Qt::Key_Backtab && key->key() != Qt::Key_Delete &&
                       (text.at(0).isPrint() || text.at(0).unicode() < 0x20);
    if (typed) {
      Edit1KeyPress(text.at(0).unicode() < 128 ? static_cast<char>(text.at(0).unicode()) : '?');
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

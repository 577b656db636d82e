// TAxesForm: the Qt controls over TAxesModel. Colours carry the edit states.
#include "app/TAxesForm.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "image/TextEncoding.h"

namespace {
QColor ColourOf(TEditState s) {
  switch (s) {
    case TEditState::Silver:
      return QColor(192, 192, 192);
    case TEditState::Red:
      return QColor(255, 0, 0);
    case TEditState::White:
      break;
  }
  return QColor(255, 255, 255);
}
}  // namespace

TAxesForm::TAxesForm(Messages& messages, std::function<TImageDoc*()> current,
                     std::function<void()> update, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      messages_(messages),
      current_(std::move(current)),
      update_(std::move(update)) {
  setObjectName("AxesForm");
  setWindowTitle("Rescale");
  setModal(false);
  setFixedSize(254, 173);
  const char* rows[] = {"X Axes", "Y Axes", "Z Axes"};
  QLineEdit** numbers[] = {&Edit1, &Edit2, &Edit3};
  QLineEdit** units[] = {&Edit4, &Edit5, &Edit6};
  for (int i = 0; i < 3; ++i) {
    const int y = 16 + 24 * i;
    auto* label = new QLabel(rows[i], this);
    label->setGeometry(8, y + 3, 46, 16);
    *numbers[i] = new QLineEdit(this);
    (*numbers[i])->setObjectName(QString("Edit%1").arg(i + 1));
    (*numbers[i])->setGeometry(56, y, 121, 21);
    (*numbers[i])->installEventFilter(this);
    (*numbers[i])->setAutoFillBackground(true);
    *units[i] = new QLineEdit(this);
    (*units[i])->setObjectName(QString("Edit%1").arg(i + 4));
    (*units[i])->setGeometry(184, y, 49, 21);
  }
  BitBtn1 = new QPushButton("Cancel", this);
  BitBtn1->setObjectName("BitBtn1");
  BitBtn1->setGeometry(32, 104, 75, 25);
  BitBtn2 = new QPushButton("OK", this);
  BitBtn2->setObjectName("BitBtn2");
  BitBtn2->setGeometry(144, 104, 75, 25);
  BitBtn1->setAutoDefault(false);
  BitBtn2->setAutoDefault(false);
  setTabOrder(Edit1, Edit4);
  setTabOrder(Edit4, Edit2);
  setTabOrder(Edit2, Edit5);
  setTabOrder(Edit5, Edit3);
  setTabOrder(Edit3, Edit6);
  setTabOrder(Edit6, BitBtn1);
  setTabOrder(BitBtn1, BitBtn2);
  connect(BitBtn1, &QPushButton::clicked, this, &TAxesForm::BitBtn1Click);
  connect(BitBtn2, &QPushButton::clicked, this, &TAxesForm::BitBtn2Click);
  for (QLineEdit* e : {Edit1, Edit2, Edit3}) Paint(e, TEditState::White);
}

TNumberEdit& TAxesForm::ModelEdit(const QLineEdit* edit) {
  if (edit == Edit1) return model_.Edit1;
  if (edit == Edit2) return model_.Edit2;
  return model_.Edit3;
}

TEditState TAxesForm::StateOf(const QLineEdit* edit) const {
  return const_cast<TAxesForm*>(this)->ModelEdit(edit).State;
}

void TAxesForm::Paint(QLineEdit* edit, TEditState state) {
  QPalette p = edit->palette();
  p.setColor(QPalette::Base, ColourOf(state));
  edit->setPalette(p);
}

void TAxesForm::ToControls() {
  QLineEdit* numbers[] = {Edit1, Edit2, Edit3};
  for (QLineEdit* e : numbers) {
    e->setText(QString::fromStdString(ModelEdit(e).Text));
    Paint(e, ModelEdit(e).State);
  }
  Edit4->setText(QString::fromStdString(DisplayText(model_.Edit4)));
  Edit5->setText(QString::fromStdString(DisplayText(model_.Edit5)));
  Edit6->setText(QString::fromStdString(DisplayText(model_.Edit6)));
}

void TAxesForm::FromControls() {
  for (QLineEdit* e : {Edit1, Edit2, Edit3}) ModelEdit(e).Text = e->text().toStdString();
  model_.Edit4 = Edit4->text().toStdString();
  model_.Edit5 = Edit5->text().toStdString();
  model_.Edit6 = Edit6->text().toStdString();
}

void TAxesForm::showEvent(QShowEvent* event) {
  FormShow();
  QDialog::showEvent(event);
}

void TAxesForm::FormShow() {
  TImageDoc* doc = current_ ? current_() : nullptr;
  if (!doc || !doc->HasImage()) return;
  model_.FormShow(*doc->Picture, messages_.DecimalSeparator());
  ToControls();
}

bool TAxesForm::eventFilter(QObject* watched, QEvent* event) {
  auto* edit = qobject_cast<QLineEdit*>(watched);
  if (edit && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    TNumberEdit& m = ModelEdit(edit);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      m.Text = edit->text().toStdString();
      TAxesModel::EditEnter(m, messages_.DecimalSeparator());
      edit->setText(QString::fromStdString(m.Text));
      Paint(edit, m.State);
      return true;  // Enter never presses a button here
    }
    TAxesModel::EditKeyDown(m);
    Paint(edit, m.State);
  }
  return QDialog::eventFilter(watched, event);
}

void TAxesForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    BitBtn1Click();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TAxesForm::BitBtn1Click() {
  hide();
}

void TAxesForm::BitBtn2Click() {
  FromControls();
  TImageDoc* doc = current_ ? current_() : nullptr;
  TVKMPicture* picture = (doc && doc->HasImage()) ? doc->Picture.get() : nullptr;
  const TAxesOkResult r = model_.BitBtn2Click(picture, messages_, messages_.DecimalSeparator());
  for (QLineEdit* e : {Edit1, Edit2, Edit3}) {
    e->setText(QString::fromStdString(ModelEdit(e).Text));
    Paint(e, ModelEdit(e).State);
  }
  if (r != TAxesOkResult::Applied) return;
  if (picture && update_) update_();
  hide();
}

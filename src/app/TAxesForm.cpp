// TAxesForm: the Qt controls over TAxesModel. Colours carry the edit states.
#include "app/TAxesForm.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "image/TextEncoding.h"
#include "qtgui/NumberEditPaint.h"

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
  TNumberEdit* models[] = {&model_.Edit1, &model_.Edit2, &model_.Edit3};
  for (int i = 0; i < 3; ++i) {
    keys_[i] = new TNumberEditKeys(*numbers[i], *models[i]);
    connect(keys_[i], &TNumberEditKeys::Enter, this, [this, k = keys_[i]] {
      k->Model().AcceptAndRewriteSingle(messages_.DecimalSeparator());
      k->Show();
    });
    keys_[i]->Show();
  }
}

TNumberEditKeys* TAxesForm::KeysOf(const QLineEdit* edit) const {
  if (edit == Edit1) return keys_[0];
  if (edit == Edit2) return keys_[1];
  return keys_[2];
}

TEditState TAxesForm::StateOf(const QLineEdit* edit) const {
  return KeysOf(edit)->Model().State;
}

void TAxesForm::ToControls() {
  for (TNumberEditKeys* k : keys_) k->Show();
  Edit4->setText(QString::fromStdString(DisplayText(model_.Edit4)));
  Edit5->setText(QString::fromStdString(DisplayText(model_.Edit5)));
  Edit6->setText(QString::fromStdString(DisplayText(model_.Edit6)));
}

void TAxesForm::FromControls() {
  for (TNumberEditKeys* k : keys_) k->Take();
  // Units are kept in the byte encoding of texts read from files, so that a unit
  // that was only shown comes back byte for byte and a typed "Å" equals a file's.
  model_.Edit4 = FileText(Edit4->text().toStdString());
  model_.Edit5 = FileText(Edit5->text().toStdString());
  model_.Edit6 = FileText(Edit6->text().toStdString());
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
  for (TNumberEditKeys* k : keys_) k->Show();
  if (r != TAxesOkResult::Applied) return;
  if (picture && update_) update_();
  hide();
}

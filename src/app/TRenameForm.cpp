// TRenameForm: Enter in the edit or OK renames, Cancel or Escape just hides.
#include "app/TRenameForm.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TRenameForm::TRenameForm(std::function<void(const QString&)> apply, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      apply_(std::move(apply)) {
  setObjectName("RenameForm");
  setWindowTitle("Rename");
  setModal(false);
  setFixedSize(409, 116);
  auto* label = new QLabel("Name:", this);
  label->setGeometry(24, 19, 60, 16);
  Edit1 = new QLineEdit(this);
  Edit1->setObjectName("Edit1");
  Edit1->setGeometry(88, 15, 193, 21);
  BitBtn1 = new QPushButton("OK", this);
  BitBtn1->setObjectName("BitBtn1");
  BitBtn1->setGeometry(312, 13, 75, 25);
  BitBtn2 = new QPushButton("Cancel", this);
  BitBtn2->setObjectName("BitBtn2");
  BitBtn2->setGeometry(312, 48, 75, 25);
  // Enter in the edit is handled by keyPressEvent; no button is the default one.
  BitBtn1->setAutoDefault(false);
  BitBtn2->setAutoDefault(false);
  connect(BitBtn1, &QPushButton::clicked, this, &TRenameForm::BitBtn1Click);
  connect(BitBtn2, &QPushButton::clicked, this, &TRenameForm::BitBtn2Click);
  connect(Edit1, &QLineEdit::returnPressed, this, &TRenameForm::BitBtn1Click);
}

void TRenameForm::BitBtn1Click() {
  if (apply_) apply_(Edit1->text());
  hide();
}

void TRenameForm::BitBtn2Click() {
  hide();
}

void TRenameForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    BitBtn2Click();
    return;
  }
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->accept();  // consumed by the edit's returnPressed
    return;
  }
  QDialog::keyPressEvent(event);
}

// Number edits in Qt: colours and keys.
#include "qtgui/NumberEditPaint.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPalette>
#include <QVariant>

#include "image/TextEncoding.h"

QColor NumberEditColour(TEditState state) {
  switch (state) {
    case TEditState::Silver:
      return QColor(192, 192, 192);
    case TEditState::Red:
      return QColor(255, 0, 0);
    case TEditState::White:
      break;
  }
  return QColor(255, 255, 255);
}

void PaintNumberEdit(QObject* edit, TEditState state) {
  QPalette p = edit->property("palette").value<QPalette>();
  p.setColor(QPalette::Base, NumberEditColour(state));
  edit->setProperty("palette", QVariant::fromValue(p));
}

TNumberEditKeys::TNumberEditKeys(QObject* edit, TNumberEdit& model)
    : QObject(edit), edit_(edit), model_(model) {
  edit_->installEventFilter(this);
}

void TNumberEditKeys::Show() {
  edit_->setProperty("text", QString::fromStdString(DisplayText(model_.Text)));
  PaintNumberEdit(edit_, model_.State);
}

void TNumberEditKeys::Take() {
  model_.Text = edit_->property("text").toString().toStdString();
}

bool TNumberEditKeys::eventFilter(QObject* watched, QEvent* event) {
  if (watched == edit_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      Take();
      emit Enter();
      return true;
    }
    // Every other key marks the text as edited; the key itself still types.
    model_.KeyDown();
    PaintNumberEdit(edit_, model_.State);
  }
  return QObject::eventFilter(watched, event);
}

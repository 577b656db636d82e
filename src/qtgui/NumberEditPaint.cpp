// Number edits in Qt: colours and keys.
#include "qtgui/NumberEditPaint.h"

#include <QEvent>
#include <QKeyEvent>
#include <QKeySequence>
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

bool EditsText(const QKeyEvent& key) {
  switch (key.key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
      return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Escape:
      return false;
    default:
      break;
  }
  if (key.matches(QKeySequence::Paste) || key.matches(QKeySequence::Cut) ||
      key.matches(QKeySequence::Undo) || key.matches(QKeySequence::Redo))
    return true;
  // A printable character typed without Ctrl, Alt or Meta (those are commands such as
  // Ctrl+A or menu keys).
  if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
  const QString text = key.text();
  return !text.isEmpty() && text.at(0).isPrint();
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
    // A key that types or deletes marks the text as edited; the key itself still types.
    // Keys that only move the focus or the caret, modifiers alone and Escape leave the
    // colour, so tabbing through a form does not ask for every value to be confirmed
    // again.
    if (EditsText(*static_cast<QKeyEvent*>(event))) {
      model_.KeyDown();
      PaintNumberEdit(edit_, model_.State);
    }
  }
  return QObject::eventFilter(watched, event);
}

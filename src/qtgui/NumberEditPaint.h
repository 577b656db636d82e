// The Qt side of the number-edit rule (image/NumberEdit.h): the colour of each state
// and a key watcher that turns an edit control silver on every key that types and
// reports Enter, so that every dialog and tool window shows the states alike.
#pragma once

#include <QColor>
#include <QObject>

#include "image/NumberEdit.h"

// White (255, 255, 255), silver (192, 192, 192) or red (255, 0, 0).
QColor NumberEditColour(TEditState state);

// Gives an edit control (any widget with a "palette" property, such as QLineEdit)
// the background of the state.
void PaintNumberEdit(QObject* edit, TEditState state);

class QKeyEvent;

// Whether a key typed into an edit changes (or may change) its text: printable
// characters, Backspace, Delete, paste, cut, undo and redo. Tab, Escape, the caret keys
// and modifiers alone do not.
bool EditsText(const QKeyEvent& key);

// Watches one edit control for a TNumberEdit that lives in a window's model.
class TNumberEditKeys : public QObject {
  Q_OBJECT
 public:
  // `edit` is a control with a "text" property (QLineEdit); `model` must outlive
  // the watcher, which is owned by the control.
  TNumberEditKeys(QObject* edit, TNumberEdit& model);

  // The model's text and state into the control.
  void Show();
  // The control's text into the model (before the model's text is read).
  void Take();

  TNumberEdit& Model() { return model_; }

 signals:
  // Enter was pressed: the model holds the control's text now. The owner accepts
  // or rejects it by its rule and calls Show(). The key goes no further, so Enter
  // never presses a dialog's default button.
  void Enter();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QObject* edit_;
  TNumberEdit& model_;
};

// The rescale dialog: new scan ranges, z range and units for the current image
// window. It lives from start-up to the end and is only shown and hidden.
#pragma once

#include <QDialog>
#include <functional>

#include "image/Messages.h"
#include "image/TImageDoc.h"
#include "process/Rescale.h"

class QLineEdit;
class QPushButton;
class TNumberEditKeys;

class TAxesForm : public QDialog {
  Q_OBJECT
 public:
  // `current` finds the current image window's document (nullptr when there is
  // none); `update` re-renders that window after OK.
  TAxesForm(Messages& messages, std::function<TImageDoc*()> current, std::function<void()> update,
            QWidget* parent = nullptr);

  QLineEdit* Edit1;      // X range
  QLineEdit* Edit2;      // Y range
  QLineEdit* Edit3;      // Z range
  QLineEdit* Edit4;      // X unit
  QLineEdit* Edit5;      // Y unit
  QLineEdit* Edit6;      // Z unit
  QPushButton* BitBtn1;  // Cancel
  QPushButton* BitBtn2;  // OK

  void FormShow();
  void BitBtn1Click();
  void BitBtn2Click();

  // The state a number edit shows by its colour.
  TEditState StateOf(const QLineEdit* edit) const;

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  TNumberEditKeys* KeysOf(const QLineEdit* edit) const;
  void ToControls();
  void FromControls();

  Messages& messages_;
  std::function<TImageDoc*()> current_;
  std::function<void()> update_;
  TAxesModel model_;
  TNumberEditKeys* keys_[3] = {nullptr, nullptr, nullptr};  // of Edit1, Edit2, Edit3
};

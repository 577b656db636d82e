// The rename dialog: a new caption for the current image window. It lives from
// start-up to the end and is only shown and hidden.
#pragma once

#include <QDialog>
#include <functional>

class QLineEdit;
class QPushButton;

class TRenameForm : public QDialog {
  Q_OBJECT
 public:
  // `apply` sets the caption of the image window that is current when the name is
  // accepted.
  explicit TRenameForm(std::function<void(const QString&)> apply, QWidget* parent = nullptr);

  QLineEdit* Edit1;
  QPushButton* BitBtn1;  // OK
  QPushButton* BitBtn2;  // Cancel

  void BitBtn1Click();
  void BitBtn2Click();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  std::function<void(const QString&)> apply_;
};

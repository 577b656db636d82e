// The about box: a new one each time, closed by its OK button.
#pragma once

#include <QDialog>

class QPushButton;

class TAboutBox : public QDialog {
  Q_OBJECT
 public:
  explicit TAboutBox(QWidget* parent = nullptr);
  QPushButton* OKbtn;
};

// The simple 3D view: the image drawn as rows of bars, back to front and sheared,
// with its own colour table, on a z gain and a shift typed into two edits.
#pragma once

#include <QImage>
#include <QMdiSubWindow>

#include "image/Messages.h"
#include "image/NumberEdit.h"
#include "image/TVKMPicture.h"

class QLabel;
class QLineEdit;
class QPushButton;
class TIniFile;
class TImageControl;
class TNumberEditKeys;

class TS3DForm : public QMdiSubWindow {
  Q_OBJECT
 public:
  TS3DForm(TIniFile& settings, Messages& messages, QWidget* parent = nullptr);
  ~TS3DForm() override;

  // The image (not owned). Nothing is drawn until Draw is pressed.
  void SetPicture(const TVKMPicture* picture);

  QWidget* Panel1 = nullptr;  // the controls along the left edge
  QLabel* Label1 = nullptr;   // the time of the last drawing
  QLabel* Label2 = nullptr;   // "z-Gain"
  QLabel* Label3 = nullptr;   // "Shift"
  QLineEdit* Edit1 = nullptr;
  QLineEdit* Edit2 = nullptr;
  QPushButton* Button1 = nullptr;  // Draw
  TImageControl* Image1 = nullptr;

  // The bitmap B of the last drawing (before stretching).
  const TBitmap8& Relief() const { return relief_; }

  void Button1Click();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void FormCreate();
  void FormDestroy();

  TIniFile& settings_;
  Messages& messages_;
  const TVKMPicture* picture_ = nullptr;
  TBitmap8 relief_;
  TNumberEdit edit1_, edit2_;
  TNumberEditKeys* edit1Keys_ = nullptr;
  TNumberEditKeys* edit2Keys_ = nullptr;
};

// The arithmetic window: two image windows dragged onto its operand fields are
// combined cell by cell; "Use" puts the result into a new image window. It lives
// from start-up to the end, stays on top and is only shown and hidden.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "image/DocumentHost.h"
#include "image/TImageDoc.h"
#include "process/Arithmetic.h"

class QLabel;
class QLineEdit;
class QPushButton;
class TIniFile;

// What the arithmetic window needs of the main window.
class TArithHost : public TDocumentHost {
 public:
  // Number of child windows of the main window.
  virtual int ChildCount() = 0;
  // The image window document in that slot, nullptr when the slot holds none.
  virtual TImageDoc* DocInSlot(int slot) = 0;
  // The slot of the image window a drag was started from, 0 when the source is not
  // an image window's picture.
  virtual int SlotOfDragSource(QObject* source) = 0;
};

class TArithForm : public QWidget {
  Q_OBJECT
 public:
  TArithForm(TArithHost& host, TIniFile* settings, QWidget* parent = nullptr);
  ~TArithForm() override;

  QLabel* Label1;  // "=": click computes
  QLabel* Label2;  // first operand's caption
  QLabel* Label3;  // second operand's caption
  QLabel* Label4;
  QLabel* Label5;
  QLabel* Label6;
  QLabel* Label7;
  QLabel* Label8;
  QLabel* Label9;
  QLabel* Image1;  // first operand, drop target
  QLabel* Image2;  // second operand, drop target
  QLabel* Image3;  // result, click computes
  QLineEdit* Edit1;
  QPushButton* Button1;  // "Use"

  // Sets an operand (1 or 2) to the image window in `slot`.
  void SetOperand(int which, int slot);
  void Compute();       // Image3Click / Label1
  void Button1Click();  // "Use"
  void Edit1KeyPress(char key);

  const TVKMPicture& Result() const { return *result_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Sizes the value labels to their texts and places "Use" beside them.
  void LayoutLabels();
  // The operand's document when its window is still the one that was chosen.
  TImageDoc* Operand(int which);

  TArithHost& host_;
  TIniFile* settings_;
  std::unique_ptr<TVKMPicture> result_;
  TBitmap8 resultBitmap_;
  int slots_[3] = {0, 0, 0};
  QString captions_[3];             // the operands' whole captions
  uint64_t chosen_[3] = {0, 0, 0};  // serials of the chosen documents
};

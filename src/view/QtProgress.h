// Progress of long core work shown on a window's progress bar: the bar runs from 0
// to the total, pending events run at every step (so the window stays drawn and its
// Cancel button can be pressed), and a pressed Cancel button stops the work.
#pragma once

#include <QMetaObject>
#include <QPointer>

#include "image/Progress.h"

class QAbstractButton;
class QProgressBar;

class QtProgress : public Progress {
 public:
  // `bar` and `cancelButton` may be null. The button cancels while this object lives.
  explicit QtProgress(QProgressBar* bar, QAbstractButton* cancelButton = nullptr);
  ~QtProgress() override;
  QtProgress(const QtProgress&) = delete;
  QtProgress& operator=(const QtProgress&) = delete;

  void Step(int step, int total) override;

  // True once Cancel was pressed or Cancel() called, and also when the bar has been
  // destroyed or its window closed meanwhile: the window the work was for is gone,
  // so the work must stop.
  bool Cancelled() const override;

  void Cancel() { cancelled_ = true; }

  // Puts `bar` at `step` of 0 ... total. A total below 1 (work of a single step, such as
  // a picture of one row) is shown as 0 ... 1: a bar whose range is 0 ... 0 would show
  // an endless busy animation instead.
  static void Show(QProgressBar* bar, int step, int total);

 private:
  QPointer<QProgressBar> bar_;
  bool hadBar_;
  bool windowShown_;  // the bar's window was shown when the work began
  bool cancelled_ = false;
  QMetaObject::Connection cancelConnection_;
};

// QtProgress: a progress bar and a Cancel button over the core's Progress.
#include "view/QtProgress.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QProgressBar>

QtProgress::QtProgress(QProgressBar* bar, QAbstractButton* cancelButton)
    : bar_(bar), hadBar_(bar != nullptr) {
  if (cancelButton)
    cancelConnection_ =
        QObject::connect(cancelButton, &QAbstractButton::clicked, [this] { cancelled_ = true; });
}

QtProgress::~QtProgress() {
  QObject::disconnect(cancelConnection_);
}

void QtProgress::Step(int step, int total) {
  if (bar_) {
    if (bar_->minimum() != 0 || bar_->maximum() != total) bar_->setRange(0, total);
    bar_->setValue(step);
  }
  QCoreApplication::processEvents();
}

bool QtProgress::Cancelled() const {
  return cancelled_ || (hadBar_ && !bar_);
}

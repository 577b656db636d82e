// QtProgress: a progress bar and a Cancel button over the core's Progress.
#include "view/QtProgress.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QProgressBar>

QtProgress::QtProgress(QProgressBar* bar, QAbstractButton* cancelButton)
    : bar_(bar), hadBar_(bar != nullptr), windowShown_(bar && bar->window()->isVisible()) {
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
  if (cancelled_) return true;
  if (!hadBar_) return false;
  // A window closed while its work runs is only deleted once the work returns.
  return !bar_ || (windowShown_ && !bar_->window()->isVisible());
}

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

void QtProgress::Show(QProgressBar* bar, int step, int total) {
  if (!bar) return;
  const int maximum = total < 1 ? 1 : total;
  if (bar->minimum() != 0 || bar->maximum() != maximum) bar->setRange(0, maximum);
  bar->setValue(total < 1 ? 0 : step);
}

void QtProgress::Step(int step, int total) {
  Show(bar_, step, total);
  QCoreApplication::processEvents();
}

bool QtProgress::Cancelled() const {
  if (cancelled_) return true;
  if (!hadBar_) return false;
  // A window closed while its work runs is only deleted once the work returns.
  return !bar_ || (windowShown_ && !bar_->window()->isVisible());
}

// Answering a modal dialog from a test: the dialog's exec() blocks the test, so a
// timer looks for it while the event loop runs and hands it to the answer.
#pragma once

#include <QApplication>
#include <QTimer>

// Finds the modal dialog of type T once it is open and hands it to `answer`; the
// timer deletes itself after that one answer.
template <typename T, typename F>
void AnswerModal(F answer) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, answer] {
    if (auto* dlg = qobject_cast<T*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      answer(dlg);
    }
  });
  timer->start();
}

// Progress of long work on a window's progress bar, with its Cancel button.
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "view/QtProgress.h"

namespace {

// Long work as the core does it: a step per row, ending at the first check that
// finds the work cancelled. Returns the number of rows done.
int Work(Progress& progress, int rows, const std::function<void(int)>& atRow = {}) {
  for (int r = 0; r < rows; ++r) {
    if (progress.Cancelled()) return r;
    if (atRow) atRow(r);
    progress.Step(r + 1, rows);
  }
  return rows;
}

}  // namespace

class TestQtProgress : public QObject {
  Q_OBJECT

 private slots:
  void theBarRunsFromZeroToTheTotal() {
    QProgressBar bar;
    bar.setRange(0, 5);
    QtProgress progress(&bar);
    QList<int> seen;
    QCOMPARE(Work(progress, 10, [&](int) { seen << bar.value(); }), 10);
    QCOMPARE(bar.minimum(), 0);
    QCOMPARE(bar.maximum(), 10);
    QCOMPARE(bar.value(), 10);
    QCOMPARE(seen.mid(1, 3), (QList<int>{1, 2, 3}));
  }

  void workOfOneStepDoesNotShowTheBusyAnimation() {
    // A range of 0 ... 0 would make the bar an endless busy indicator.
    QProgressBar bar;
    QtProgress progress(&bar);
    progress.Step(0, 0);
    QCOMPARE(bar.minimum(), 0);
    QCOMPARE(bar.maximum(), 1);
    QCOMPARE(bar.value(), 0);
    progress.Step(2, 4);
    QCOMPARE(bar.maximum(), 4);
    QCOMPARE(bar.value(), 2);
  }

  void pendingEventsRunAtEachStep() {
    QtProgress progress(nullptr);
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    progress.Step(1, 3);
    QVERIFY(ran);
  }

  void aCancelPressedDuringTheWorkStopsItAtTheNextCheck() {
    QProgressBar bar;
    QPushButton cancel("Cancel");
    QtProgress progress(&bar, &cancel);
    // The click is queued like a user's and arrives while the work lets events run.
    const int done = Work(progress, 100, [&](int r) {
      if (r == 3) QTimer::singleShot(0, &cancel, &QPushButton::click);
    });
    QCOMPARE(done, 4);
    QVERIFY(progress.Cancelled());
  }

  void aButtonPressedAfterTheWorkDoesNotReachIt() {
    QPushButton cancel("Cancel");
    {
      QtProgress progress(nullptr, &cancel);
      QVERIFY(!progress.Cancelled());
    }
    cancel.click();  // the connection is gone with the progress: no stale write
  }

  void aBarDestroyedMeanwhileStopsTheWork() {
    auto* bar = new QProgressBar;
    QtProgress progress(bar);
    const int done = Work(progress, 50, [&](int r) {
      if (r == 2) delete bar;
    });
    QCOMPARE(done, 3);
    QVERIFY(progress.Cancelled());
  }

  void closingTheWindowMeanwhileStopsTheWork() {
    auto* window = new QWidget;
    window->setAttribute(Qt::WA_DeleteOnClose);
    auto* bar = new QProgressBar(window);
    window->show();
    QtProgress progress(bar);
    // The user closes the window while the work lets events run; it is deleted
    // only later, but the work stops at once.
    const int done = Work(progress, 50, [&](int r) {
      if (r == 5) QTimer::singleShot(0, window, &QWidget::close);
    });
    QCOMPARE(done, 6);
    QVERIFY(progress.Cancelled());
  }

  void cancelByCallWithoutAButton() {
    QtProgress progress(nullptr);
    QVERIFY(!progress.Cancelled());
    progress.Cancel();
    QCOMPARE(Work(progress, 5), 0);
  }
};

QTEST_MAIN(TestQtProgress)
#include "tst_progress.moc"

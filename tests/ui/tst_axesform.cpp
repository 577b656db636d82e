// The rescale dialog driven through its controls.
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "app/TAxesForm.h"
#include "support/RecordingMessages.h"

class TestAxesForm : public QObject {
  Q_OBJECT

  TImageDoc doc;
  int updates = 0;

  static QColor Background(const QLineEdit* e) { return e->palette().color(QPalette::Base); }

  void MakeImage() {
    doc.CreatePicture(2, 2);
    TVKMPicture& p = *doc.Picture;
    p.RowTable[0][0] = 0;
    p.RowTable[0][1] = 1;
    p.RowTable[1][0] = 2;
    p.RowTable[1][1] = 4;
    p.ScanPara.XScanRange = 25;
    p.ScanPara.YScanRange = 12.5f;
    p.ScanPara.XPhysUnit = "nm";
    p.ScanPara.YPhysUnit = "nm";
    p.ScanPara.PhysUnit = "pA";
    doc.Render('.');
    updates = 0;
  }

 private slots:
  void init() { MakeImage(); }

  void showFillsTheEditsFromTheCurrentImage() {
    RecordingMessages m;
    TAxesForm f(
        m, [&] { return &doc; }, [&] { ++updates; });
    QCOMPARE(f.windowTitle(), QString("Rescale"));
    f.show();
    QCOMPARE(f.Edit1->text(), QString("25"));
    QCOMPARE(f.Edit2->text(), QString("12.5"));
    QCOMPARE(f.Edit3->text(), QString("4"));
    QCOMPARE(f.Edit4->text(), QString("nm"));
    QCOMPARE(f.Edit6->text(), QString("pA"));
  }

  void okDoublesValuesForTwiceTheRangeAndTakesUnits() {
    RecordingMessages m;
    TAxesForm f(
        m, [&] { return &doc; }, [&] { ++updates; });
    f.show();
    f.Edit3->setText("8");
    f.Edit6->setText("nA");
    QTest::mouseClick(f.BitBtn2, Qt::LeftButton);
    QCOMPARE(updates, 1);
    QVERIFY(!f.isVisible());
    QCOMPARE(doc.Picture->RowTable[1][1], 8.0f);
    QCOMPARE(doc.Picture->RowTable[0][1], 2.0f);
    QCOMPARE(doc.Picture->ScanPara.PhysUnit, std::string("nA"));
  }

  void tabbingThroughTheValuesLeavesThemConfirmed() {
    RecordingMessages m;
    TAxesForm f(
        m, [&] { return &doc; }, [&] { ++updates; });
    f.show();
    f.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    f.Edit1->setFocus();
    QTest::keyClick(f.Edit1, Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    for (const QLineEdit* e : {f.Edit1, f.Edit2, f.Edit3})
      QCOMPARE(Background(e), QColor(255, 255, 255));
    QTest::mouseClick(f.BitBtn2, Qt::LeftButton);
    QVERIFY(m.shown.empty());  // not "Please confirm all values first!"
    QCOMPARE(updates, 1);
  }

  void redEditRefusesUntilTypedInto() {
    RecordingMessages m;
    TAxesForm f(
        m, [&] { return &doc; }, [&] { ++updates; });
    f.show();
    f.Edit2->setText("abc");
    QTest::mouseClick(f.BitBtn2, Qt::LeftButton);  // parse fails: red, no message
    QVERIFY(m.shown.empty());
    QCOMPARE(f.StateOf(f.Edit2), TEditState::Red);
    QCOMPARE(Background(f.Edit2), QColor(255, 0, 0));
    QCOMPARE(Background(f.Edit1), QColor(255, 255, 255));
    QVERIFY(f.isVisible());
    QTest::mouseClick(f.BitBtn2, Qt::LeftButton);
    QCOMPARE(m.Texts(), std::vector<std::string>{"Please confirm all values first!"});
    QCOMPARE(updates, 0);
    f.Edit2->setFocus();
    f.Edit2->selectAll();
    QTest::keyClicks(f.Edit2, "7,50");
    QCOMPARE(f.StateOf(f.Edit2), TEditState::Silver);
    QCOMPARE(Background(f.Edit2), QColor(192, 192, 192));
    QTest::keyClick(f.Edit2, Qt::Key_Return);
    QCOMPARE(f.StateOf(f.Edit2), TEditState::White);
    QCOMPARE(Background(f.Edit2), QColor(255, 255, 255));
    QCOMPARE(f.Edit2->text(), QString("7.5"));
    QTest::mouseClick(f.BitBtn2, Qt::LeftButton);
    QCOMPARE(updates, 1);
    QCOMPARE(doc.Picture->ScanPara.YScanRange, 7.5f);
  }

  void rangesBeyondTheSingleRangeTurnRed() {
    RecordingMessages m;
    TAxesForm f(
        m, [&] { return &doc; }, [&] { ++updates; });
    f.show();
    // Enter on a range that no single holds.
    f.Edit1->setFocus();
    f.Edit1->selectAll();
    QTest::keyClicks(f.Edit1, "1e39");
    QTest::keyClick(f.Edit1, Qt::Key_Return);
    QCOMPARE(f.StateOf(f.Edit1), TEditState::Red);
    QCOMPARE(Background(f.Edit1), QColor(255, 0, 0));
    QCOMPARE(f.Edit1->text(), QString("1e39"));
    // OK with a z range that would carry a value beyond the single range: the range
    // as last computed stays 4, so 3e38 would be multiplied by 1e38 / 4. Z turns red.
    f.Edit1->setText("30");
    QTest::keyClick(f.Edit1, Qt::Key_Return);
    f.Edit3->setText("1e38");
    doc.Picture->RowTable[1][1] = 3e38f;
    QTest::mouseClick(f.BitBtn2, Qt::LeftButton);
    QCOMPARE(f.StateOf(f.Edit3), TEditState::Red);
    QCOMPARE(Background(f.Edit3), QColor(255, 0, 0));
    QVERIFY(f.isVisible());
    QCOMPARE(updates, 0);
    QCOMPARE(doc.Picture->ScanPara.XScanRange, 25.0f);
    QCOMPARE(doc.Picture->RowTable[1][1], 3e38f);
  }

  void unitsKeepTheByteEncodingOfFileTexts() {
    // A Burleigh-like unit: the Angstrom sign as the Latin-1 byte.
    doc.Picture->ScanPara.PhysUnit = std::string(1, '\xC5');
    RecordingMessages m;
    TAxesForm f(
        m, [&] { return &doc; }, [&] { ++updates; });
    f.show();
    QCOMPARE(f.Edit6->text(), QString::fromUtf8("\xC3\x85"));  // shown as Å
    f.Edit5->setText(QString::fromUtf8("\xC2\xB5m"));          // µm typed
    QTest::mouseClick(f.BitBtn2, Qt::LeftButton);
    QCOMPARE(updates, 1);
    QCOMPARE(doc.Picture->ScanPara.PhysUnit, std::string("\xC5"));
    QCOMPARE(doc.Picture->ScanPara.YPhysUnit, std::string("\xB5m"));
    QCOMPARE(doc.Picture->ScanPara.XPhysUnit, std::string("nm"));
  }

  void cancelAndEscapeChangeNothing() {
    RecordingMessages m;
    TAxesForm f(
        m, [&] { return &doc; }, [&] { ++updates; });
    f.show();
    f.Edit1->setText("99");
    QTest::mouseClick(f.BitBtn1, Qt::LeftButton);
    QVERIFY(!f.isVisible());
    f.show();
    QTest::keyClick(&f, Qt::Key_Escape);
    QVERIFY(!f.isVisible());
    QCOMPARE(doc.Picture->ScanPara.XScanRange, 25.0f);
    QCOMPARE(updates, 0);
  }

  void okWithoutCurrentImageJustHides() {
    RecordingMessages m;
    TAxesForm f(
        m, [] { return static_cast<TImageDoc*>(nullptr); }, [&] { ++updates; });
    f.show();
    QTest::mouseClick(f.BitBtn2, Qt::LeftButton);
    QCOMPARE(updates, 0);
  }
};

QTEST_MAIN(TestAxesForm)
#include "tst_axesform.moc"

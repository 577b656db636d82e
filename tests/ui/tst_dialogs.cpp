// The rename dialog and the about box.
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

#include "app/TAboutBox.h"
#include "app/TRenameForm.h"

class TestDialogs : public QObject {
  Q_OBJECT
 private slots:
  void renameByEnterAppliesAndHides() {
    QString applied;
    int calls = 0;
    TRenameForm f([&](const QString& s) {
      applied = s;
      ++calls;
    });
    QCOMPARE(f.windowTitle(), QString("Rename"));
    f.show();
    f.Edit1->setText("old");
    f.Edit1->selectAll();
    QTest::keyClicks(f.Edit1, "new name");
    QTest::keyClick(f.Edit1, Qt::Key_Return);
    QCOMPARE(calls, 1);
    QCOMPARE(applied, QString("new name"));
    QVERIFY(!f.isVisible());
  }
  void renameOkAppliesCancelDoesNot() {
    QStringList applied;
    TRenameForm f([&](const QString& s) { applied << s; });
    f.show();
    f.Edit1->setText("A");
    QTest::mouseClick(f.BitBtn2, Qt::LeftButton);
    QVERIFY(!f.isVisible());
    QVERIFY(applied.isEmpty());
    f.show();
    QTest::keyClick(&f, Qt::Key_Escape);
    QVERIFY(!f.isVisible());
    QVERIFY(applied.isEmpty());
    f.show();
    QTest::mouseClick(f.BitBtn1, Qt::LeftButton);
    QCOMPARE(applied, QStringList{"A"});
  }
  void aboutBoxShowsVersionAndClosesItself() {
    QPointer<TAboutBox> box = new TAboutBox;
    QCOMPARE(box->windowTitle(), QString("About"));
    auto* v = box->findChild<QLabel*>("VersionLabel");
    QVERIFY(v);
    QCOMPARE(v->text(), QString("ver. 1.02b"));
    QVERIFY(!(box->windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(box->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(box->windowFlags() & Qt::WindowSystemMenuHint));
    box->show();
    QTest::mouseClick(box->OKbtn, Qt::LeftButton);
    QTRY_VERIFY(box.isNull());  // deleted on close
  }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"

// The arithmetic window over a fake main window.
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QtTest>
#include <deque>
#include <filesystem>
#include <memory>

#include "process/ui/TArithForm.h"
#include "settings/IniFile.h"
#include "support/RecordingMessages.h"

namespace {

class FakeHost : public TArithHost {
 public:
  RecordingMessages messages;
  std::vector<std::unique_ptr<TImageDoc>> table{17};
  int nextDragSlot = 0;  // the slot the next drag's source resolves to
  int ready = 0;
  int discarded = 0;

  Messages& Msgs() override { return messages; }
  int ChildCount() override {
    int n = 0;
    for (auto& s : table) n += s ? 1 : 0;
    return n;
  }
  TImageDoc* DocInSlot(int slot) override {
    return slot >= 0 && slot < 17 ? table[slot].get() : nullptr;
  }
  int SlotOfDragSource(QObject*) override { return nextDragSlot; }
  TImageDoc& NewImage(const std::string& name) override {
    if (ChildCount() >= 16) {
      messages.ShowMessage("Too many Data!", TMsgDlgType::mtInformation, "");
      throw TooManyData();
    }
    for (int s = 1; s < 17; ++s)
      if (!table[s]) {
        table[s] = std::make_unique<TImageDoc>(&messages);
        table[s]->InitWindow(s, name);
        return *table[s];
      }
    throw TooManyData();
  }
  void ImageReady(TImageDoc& doc) override {
    ++ready;
    doc.Render('.');
  }
  void DiscardImage(TImageDoc& doc) override {
    ++discarded;
    table[doc.Index].reset();
  }

  TImageDoc& Add(int slot, const std::string& caption, std::vector<float> values, int cols,
                 const std::string& unit) {
    table[slot] = std::make_unique<TImageDoc>(&messages);
    TImageDoc& d = *table[slot];
    d.InitWindow(slot, caption);
    d.CreatePicture(cols, static_cast<int>(values.size()) / cols);
    std::copy(values.begin(), values.end(), d.Picture->Data());
    d.Picture->ScanPara.PhysUnit = unit;
    d.Picture->ScanPara.XScanRange = 10;
    d.InfoText = {caption + " info"};
    d.Render('.');
    return d;
  }
};

void Drop(QWidget* target) {
  QMimeData mime;
  mime.setData("application/x-tarnisk-image-window", "1");
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
}

}  // namespace

class TestArithForm : public QObject {
  Q_OBJECT
  std::string iniPath;

 private slots:
  void init() {
    iniPath = (std::filesystem::temp_directory_path() / "tarnisk_arith_test.ini").string();
    std::filesystem::remove(iniPath);
  }
  void cleanup() { std::filesystem::remove(iniPath); }

  void showingProposesTheTwoNewestWindowsAndComputes() {
    FakeHost host;
    host.Add(1, "a", {6, 8, 10, 12}, 2, "nm");
    host.Add(2, "b", {2, 2, 5, 4}, 2, "nm");
    TIniFile ini(iniPath);
    TArithForm f(host, &ini);
    QCOMPARE(f.windowTitle(), QString("ArithForm"));
    QVERIFY(f.windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(f.Edit1->text(), QString(" /"));  // default operator
    f.show();
    QCOMPARE(f.Label2->text(), QString("b"));  // slot n is the first operand
    QCOMPARE(f.Label3->text(), QString("a"));
    QCOMPARE(f.Result().RowTable[0][0], 1.0f / 3.0f);
    QCOMPARE(f.Result().RowTable[1][1], 1.0f / 3.0f);
    QCOMPARE(f.Label8->text(), QString("0.25 "));  // nm / nm: no unit
    QVERIFY(f.Button1->isEnabled());
  }

  void droppingAWindowSetsTheOperandOtherDropsAreIgnored() {
    FakeHost host;
    host.Add(3, "left", {1, 2}, 2, "nm");
    host.Add(5, "right", {3, 4}, 2, "V");
    TArithForm f(host, nullptr);
    f.show();  // only two windows, but not in slots 2 and 1: nothing proposed
    QCOMPARE(f.Label2->text(), QString());
    host.nextDragSlot = 5;
    Drop(f.Image1);
    host.nextDragSlot = 3;
    Drop(f.Image2);
    QCOMPARE(f.Label2->text(), QString("right"));
    QCOMPARE(f.Label3->text(), QString("left"));
    QCOMPARE(f.Label4->text(), QString("3.000 V"));
    host.nextDragSlot = 0;  // something that is not an image window's picture
    Drop(f.Image1);
    QCOMPARE(f.Label2->text(), QString("right"));
    QVERIFY(!f.Image1->pixmap().isNull());
  }

  void operatorKeysAndBeep() {
    FakeHost host;
    TIniFile ini(iniPath);
    TArithForm f(host, &ini);
    f.show();
    QTest::keyClick(f.Edit1, '*');
    QCOMPARE(f.Edit1->text(), QString(" *"));
    QCOMPARE(TIniFile(iniPath).ReadString("Arithmetic", "Op", ""), std::string("*"));
    QTest::keyClick(f.Edit1, 'x');
    QCOMPARE(f.Edit1->text(), QString());
    QCOMPARE(host.messages.beeps, 1);
    QCOMPARE(TIniFile(iniPath).ReadString("Arithmetic", "Op", ""), std::string("*"));
    // Keys that type control characters are "other keys" too: Backspace does not
    // take one character away, Ctrl+V pastes nothing; both empty the edit and beep.
    QTest::keyClick(f.Edit1, '/');
    QTest::keyClick(f.Edit1, Qt::Key_Backspace);
    QCOMPARE(f.Edit1->text(), QString());
    QCOMPARE(host.messages.beeps, 2);
    QTest::keyClick(f.Edit1, '-');
    QGuiApplication::clipboard()->setText("+*");
    QKeyEvent paste(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
    QApplication::sendEvent(f.Edit1, &paste);
    QCOMPARE(f.Edit1->text(), QString());
    QCOMPARE(host.messages.beeps, 3);
    // Keys that type nothing leave the operator alone.
    QTest::keyClick(f.Edit1, '+');
    QTest::keyClick(f.Edit1, Qt::Key_Left);
    QTest::keyClick(f.Edit1, Qt::Key_Tab);
    QCOMPARE(f.Edit1->text(), QString(" +"));
    QCOMPARE(host.messages.beeps, 3);
    QCOMPARE(TIniFile(iniPath).ReadString("Arithmetic", "Op", ""), std::string("+"));
  }

  void sizeMismatchAndClosedOperands() {
    FakeHost host;
    host.Add(1, "a", {1, 2, 3, 4}, 2, "nm");
    host.Add(2, "b", {1, 2, 3}, 3, "nm");
    TArithForm f(host, nullptr);
    f.show();
    QCOMPARE(host.messages.Texts(), std::vector<std::string>{"Pictures must have some size!"});
    QVERIFY(!f.Button1->isEnabled());
    // Closing an operand window makes it missing: clicking "=" computes nothing.
    host.table[2].reset();
    host.Add(2, "c", {1, 1, 1, 1}, 2, "nm");  // same slot, another window
    QTest::mouseClick(f.Image3, Qt::LeftButton);
    QCOMPARE(host.messages.shown.size(), size_t(1));
    QVERIFY(!f.Button1->isEnabled());
  }

  void useCreatesCalculusWithTheFirstOperandsParameters() {
    FakeHost host;
    host.Add(1, "a", {1, 2, 3, 4}, 2, "V");
    host.Add(2, "b", {1, 1, 1, 1}, 2, "nm");
    TArithForm f(host, nullptr);
    f.show();
    QTest::mouseClick(f.Button1, Qt::LeftButton);
    QCOMPARE(host.ready, 1);
    QVERIFY(!f.isVisible());
    TImageDoc* w = host.DocInSlot(3);
    QVERIFY(w);
    QCOMPARE(w->Caption, std::string("Calculus"));
    QCOMPARE(w->Picture->ScanPara.PhysUnit, std::string("nm"));  // first operand: slot 2
    QCOMPARE(w->InfoText, std::vector<std::string>{"b info"});
    QCOMPARE(w->Picture->RowTable[1][1], 1.0f / 4.0f);
  }

  void useBeyondSixteenWindowsIsRefused() {
    FakeHost host;
    for (int s = 1; s <= 16; ++s) host.Add(s, "w", {1, 2, 3, 4}, 2, "nm");
    TArithForm f(host, nullptr);
    f.show();
    QVERIFY(f.Button1->isEnabled());
    QTest::mouseClick(f.Button1, Qt::LeftButton);
    QCOMPARE(host.messages.Texts(), (std::vector<std::string>{"Too many Data!", "Too many data!"}));
    QCOMPARE(host.ChildCount(), 16);
    QCOMPARE(host.ready, 0);
  }
};

QTEST_MAIN(TestArithForm)
#include "tst_arithform.moc"

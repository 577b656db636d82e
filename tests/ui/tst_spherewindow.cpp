// The workbench window in its sphere mode, driven as a user drives it: the radius typed
// and accepted with Enter (its colours, tool tip, preview and setting), "do" without
// Enter, the switch between low-pass and high-pass, the same values as the command
// line, and a long run during which the window answers but cannot be closed.
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cmath>
#include <cstring>
#include <random>

#include "cli/CliHost.h"
#include "cli/Operations.h"
#include "process/Sphere.h"
#include "process/ui/TFilterForm.h"
#include "settings/IniFile.h"
#include "support/PictureBits.h"
#include "support/RecordingMessages.h"

namespace {

// A rendered rough picture of `cols` x `rows`, 1 nm per pixel, heights in nm.
std::unique_ptr<TVKMPicture> Picture(int cols, int rows, unsigned seed = 5) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> height(0.0f, 40.0f);
  auto p = std::make_unique<TVKMPicture>();
  p->SetSize(cols, rows);
  for (size_t i = 0; i < p->ValueCount(); ++i) p->Data()[i] = height(rng);
  p->ScanPara.XPhysUnit = p->ScanPara.PhysUnit = "nm";
  p->ScanPara.XScanRange = static_cast<float>(cols);
  p->ScanPara.YScanRange = static_cast<float>(rows);
  p->ScanPara.xPixel = cols;
  p->ScanPara.yPixel = rows;
  TBitmap8 shown;
  p->Render(shown);
  return p;
}

// The values the command line leaves after `op` on a copy of `source`.
std::vector<float> ByCli(const TVKMPicture& source, const std::string& op) {
  CliMessages said('.', TModalResult::mrYes);
  TImageDoc doc(&said);
  doc.CreatePicture(source.Columns, source.Rows);
  std::memcpy(doc.Picture->Data(), source.Data(), source.ValueCount() * sizeof(float));
  doc.Picture->ScanPara = source.ScanPara;
  doc.Render('.');
  NoProgress none;
  TCliOpContext ctx{said, '.', none};
  if (!ApplyOperation(ParseOperation(op), doc, ctx)) return {};
  return Values(*doc.Picture);
}

}  // namespace

class TestSphereWindow : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  std::unique_ptr<TIniFile> ini_;
  RecordingMessages msgs_;

  std::unique_ptr<TFilterForm> Open(TVKMPicture* p) {
    auto f = std::make_unique<TFilterForm>(*ini_, msgs_, [] {});
    f->resize(kFilterFormWidth, kFilterFormHeight);
    f->show();
    if (!f->OpenInMode(p, 9)) return nullptr;
    return f;
  }

  static void Type(TFilterForm& f, const QString& text) {
    f.RadiusEdit->selectAll();
    QTest::keyClick(f.RadiusEdit, Qt::Key_Delete);
    QTest::keyClicks(f.RadiusEdit, text);
  }

 private slots:
  void init() {
    QFile::remove(dir_.filePath("tarnisk.ini"));
    ini_ = std::make_unique<TIniFile>(dir_.filePath("tarnisk.ini").toStdString());
    msgs_.shown.clear();
  }

  void theRadiusIsTypedAcceptedAndPreviewed() {
    auto p = Picture(64, 48);
    auto f = Open(p.get());
    QVERIFY(f);
    const QImage plain = f->Image1Picture();
    Type(*f, "40");  // above a quarter of 64 columns: 16 pixels
    QVERIFY(f->Model().RadiusEdit.IsSilver());
    QTest::keyClick(f->RadiusEdit, Qt::Key_Return);
    QVERIFY(f->Model().RadiusEdit.IsWhite());
    QCOMPARE(f->RadiusEdit->text(), QString("16"));
    QCOMPARE(f->RadiusEdit->toolTip(), QString("Radius=16 nm"));
    QCOMPARE(QString::fromStdString(ini_->ReadString("Filter", "Kugel", "")), QString("16"));
    // The lower half circle about the picture's centre (32, 32) in picture lines, drawn
    // inverting: its lowest point (32, 48) clipped away, its ends (16, 32) and (48, 32),
    // and (32 +- 11, 43) on the arc; nothing above the centre line changes.
    const QImage shown = f->Image1Picture();
    QCOMPARE(shown.size(), plain.size());
    QVERIFY(shown.pixel(16, 32) != plain.pixel(16, 32));
    QVERIFY(shown.pixel(47, 32) != plain.pixel(47, 32));
    QVERIFY(shown.pixel(32 - 11, 43) != plain.pixel(32 - 11, 43));
    QVERIFY(shown.pixel(32 + 11, 43) != plain.pixel(32 + 11, 43));
    QVERIFY(shown.pixel(32, 32) == plain.pixel(32, 32));  // the centre
    for (int y = 0; y < 28; ++y)
      for (int x = 0; x < shown.width(); ++x) QCOMPARE(shown.pixel(x, y), plain.pixel(x, y));

    // A text that is no number: red, and "do" runs nothing.
    Type(*f, "x1");
    QTest::keyClick(f->RadiusEdit, Qt::Key_Return);
    QVERIFY(f->Model().RadiusEdit.IsRed());
    QTest::mouseClick(f->Button4, Qt::LeftButton);
    QVERIFY(SameBits(Values(*f->Model().WorkPicture), Values(*p)));
    QCOMPARE(f->SphereProgress->value(), 0);
  }

  void doWithoutEnterRunsAndTheRadiosSwitchLikeTheCommandLine() {
    auto p = Picture(40, 30);
    auto f = Open(p.get());
    QVERIFY(f);
    Type(*f, "6");
    QTest::mouseClick(f->Button4, Qt::LeftButton);
    QVERIFY(f->Model().RadiusEdit.IsWhite());
    QCOMPARE(f->SphereProgress->value(), 29);
    const std::vector<float> low = ByCli(*p, "sphere:6:lowpass");
    QVERIFY(!low.empty());
    QVERIFY(SameBits(Values(*f->Model().WorkPicture), low));
    QVERIFY(!SameBits(low, Values(*p)));

    QTest::mouseClick(f->HighpassRadio, Qt::LeftButton);
    QVERIFY(f->HighpassRadio->isChecked());
    std::vector<float> high(low.size());
    for (size_t i = 0; i < low.size(); ++i) high[i] = p->Data()[i] - low[i];
    QVERIFY(SameBits(Values(*f->Model().WorkPicture), high));
    // The same button again: nothing.
    QTest::mouseClick(f->HighpassRadio, Qt::LeftButton);
    QVERIFY(SameBits(Values(*f->Model().WorkPicture), high));

    // Undo, then a high-pass run: the command line's high-pass.
    QTest::mouseClick(f->Button1, Qt::LeftButton);
    QCOMPARE(f->SphereProgress->value(), 0);
    QTest::mouseClick(f->LowpassRadio, Qt::LeftButton);
    QVERIFY(SameBits(Values(*f->Model().WorkPicture), Values(*p)));
    QTest::mouseClick(f->HighpassRadio, Qt::LeftButton);
    QTest::mouseClick(f->Button4, Qt::LeftButton);
    QVERIFY(SameBits(Values(*f->Model().WorkPicture), ByCli(*p, "sphere:6:highpass")));
  }

  void doWithAnEditedRadiusShowsItsPreviewBeforeTheRun() {
    auto p = Picture(64, 64);
    auto f = Open(p.get());
    QVERIFY(f);
    const QImage plain = f->Image1Picture();
    Type(*f, "16");
    QVERIFY(f->Model().RadiusEdit.IsSilver());
    QImage during;
    QTimer::singleShot(0, f.get(), [&] { during = f->Image1Picture(); });
    QTest::mouseClick(f->Button4, Qt::LeftButton);
    QVERIFY(!during.isNull());                             // taken while the filter ran
    QVERIFY(during.pixel(16, 32) != plain.pixel(16, 32));  // an end of the half circle
    QVERIFY(during == f->Image1Picture());
    QVERIFY(f->Model().RadiusEdit.IsWhite());
    QCOMPARE(QString::fromStdString(ini_->ReadString("Filter", "Kugel", "")), QString("16"));
  }

  void aPictureOfOneRowShowsAnEmptyBarNotABusyOne() {
    auto p = Picture(40, 1);
    auto f = Open(p.get());
    QVERIFY(f);
    QCOMPARE(f->SphereProgress->maximum(), 1);
    QCOMPARE(f->SphereProgress->value(), 0);
    Type(*f, "2");
    QTest::mouseClick(f->Button4, Qt::LeftButton);
    QVERIFY(f->Model().RadiusEdit.IsWhite());
    QCOMPARE(f->SphereProgress->maximum(), 1);
  }

  void aLongRunKeepsTheWindowAnsweringButOpen() {
    // The largest picture and radius: 514 / 4 = 128 pixels.
    auto p = Picture(514, 514, 11);
    auto f = Open(p.get());
    QVERIFY(f);
    Type(*f, "1000");
    QTest::keyClick(f->RadiusEdit, Qt::Key_Return);
    QCOMPARE(f->RadiusEdit->text(), QString("128"));
    bool ranDuring = false, busyDuring = false, closedDuring = true;
    int valueDuring = -1;
    QTimer::singleShot(0, f.get(), [&] {
      ranDuring = true;
      busyDuring = f->Busy();
      valueDuring = f->SphereProgress->value();
      f->close();
      closedDuring = !f->isVisible();
    });
    QTest::mouseClick(f->Button4, Qt::LeftButton);
    QVERIFY(ranDuring);      // events were handled during the run
    QVERIFY(busyDuring);     // ... while it ran
    QVERIFY(!closedDuring);  // and closing was refused then
    QVERIFY(valueDuring >= 0 && valueDuring < 513);
    QVERIFY(f->isVisible());
    QCOMPARE(f->SphereProgress->value(), 513);
    QVERIFY(!f->Busy());
    // The result is the filter's for the reduced radius.
    TVKMPicture plain;
    plain.SetSize(514, 514);
    RecordingMessages quiet;
    NoProgress none;
    QCOMPARE(SphereFilter(*p, plain, 128.0, true, none, quiet), TSphereRun::Done);
    QVERIFY(SameBits(Values(*f->Model().WorkPicture), Values(plain)));
    // Afterwards it closes.
    f->close();
    QVERIFY(!f->isVisible());
  }
};

QTEST_MAIN(TestSphereWindow)
#include "tst_spherewindow.moc"

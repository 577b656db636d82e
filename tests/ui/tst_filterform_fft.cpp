// The workbench window's histogram, FFT and zoom modes driven with the mouse and the
// buttons: the histogram drawn and marked by dragging, "Log", the zoom square and its
// hint, and the same numbers as tarnisk-cli's clip, fft and crop.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QStatusTipEvent>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>
#include <functional>

#include "cli/CliHost.h"
#include "cli/Operations.h"
#include "formats/OpenFile.h"
#include "process/Histogram.h"
#include "process/ui/TFilterForm.h"
#include "process/ui/TWorkbenchImage.h"
#include "settings/IniFile.h"
#include "support/PictureBits.h"
#include "support/RecordingMessages.h"

namespace {

const std::string kDemo = TARNISK_SAMPLES_DIR "/demo/demo.txt";

std::unique_ptr<TVKMPicture> Picture(int cols, int rows, const std::function<float(int, int)>& f) {
  auto p = std::make_unique<TVKMPicture>();
  p->SetSize(cols, rows);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) p->RowTable[r][c] = f(c, r);
  p->ScanPara.XScanRange = p->ScanPara.YScanRange = 100;
  p->ScanPara.xPixel = cols;
  p->ScanPara.yPixel = rows;
  TBitmap8 shown;
  p->Render(shown);
  return p;
}

// A control position on Image2 that rounds to picture pixel (x, line y).
QPoint PointerOn(const TFilterForm& f, int x, int y) {
  const int pw = f.Model().Image2.Width, ph = f.Model().Image2.Height;
  return QPoint(static_cast<int>((x + 0.25) * f.Image2->width() / pw),
                static_cast<int>((y + 0.25) * f.Image2->height() / ph));
}

void Move(QWidget* w, QPoint at, Qt::MouseButtons held) {
  QMouseEvent move(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, held, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &move);
}

// Drags over Image3 from column `from` to column `to`.
void DragHistogram(TFilterForm& f, int from, int to) {
  QTest::mousePress(f.Image3, Qt::LeftButton, {}, QPoint(from, 5));
  Move(f.Image3, QPoint(to, 5), Qt::LeftButton);
  QTest::mouseRelease(f.Image3, Qt::LeftButton, {}, QPoint(to, 5));
}

// Drags a zoom square on Image2 from picture pixel (x, y) to column x2.
void DragSquare(TFilterForm& f, int x, int y, int x2) {
  QTest::mousePress(f.Image2, Qt::LeftButton, {}, PointerOn(f, x, y));
  Move(f.Image2, PointerOn(f, x2, y), Qt::LeftButton);
  QTest::mouseRelease(f.Image2, Qt::LeftButton, {}, PointerOn(f, x2, y));
}

// Catches the status-bar hints a window sends.
class HintCatcher : public QObject {
 public:
  QString last;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::StatusTip) last = static_cast<QStatusTipEvent*>(e)->tip();
    return false;
  }
};

}  // namespace

class TestFilterFormFft : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  std::unique_ptr<TIniFile> ini_;
  RecordingMessages msgs_;
  int refreshed_ = 0;

  std::unique_ptr<TFilterForm> Open(TVKMPicture* p, int mode) {
    auto f = std::make_unique<TFilterForm>(*ini_, msgs_, [this] { ++refreshed_; });
    f->resize(kFilterFormWidth, kFilterFormHeight);
    f->show();
    if (!f->OpenInMode(p, mode)) return nullptr;
    return f;
  }

 private slots:
  void init() {
    QFile::remove(dir_.filePath("tarnisk.ini"));
    ini_ = std::make_unique<TIniFile>(dir_.filePath("tarnisk.ini").toStdString());
    refreshed_ = 0;
  }

  void theHistogramIsDrawnMarkedByDraggingAndClipped() {
    // 16 x 11 values 0..175: one value per column, two in the last, so every column but
    // the last is half as high as the picture.
    auto p = Picture(16, 11, [](int c, int r) { return static_cast<float>(16 * r + c); });
    auto f = Open(p.get(), 5);
    QVERIFY(f);
    QVERIFY(f->Panel4->isVisible());
    QCOMPARE(f->Label1->text(), QString("0.000"));
    QCOMPARE(f->Label3->text(), QString("175.000"));
    const QImage drawn = f->Image3->Picture();
    QCOMPARE(drawn.width(), kHistogramBins);
    const int h = drawn.height();
    QVERIFY(h > 20);
    const int top = h - static_cast<int>(std::nearbyint(h / 2.0));  // left out: the end point
    QCOMPARE(drawn.pixel(7, h - 1) & 0xFFFFFFu, kHistogramBlue);
    QCOMPARE(drawn.pixel(7, top + 1) & 0xFFFFFFu, kHistogramBlue);
    QCOMPARE(drawn.pixel(7, top) & 0xFFFFFFu, kHistogramWhite);
    QCOMPARE(drawn.pixel(174, 0) & 0xFFFFFFu, kHistogramWhite);  // the full column ends below
    QCOMPARE(drawn.pixel(174, 1) & 0xFFFFFFu, kHistogramBlue);

    // While dragging from 60 to 50 the columns 50..60 are shown red, the marks are not
    // made yet.
    QTest::mousePress(f->Image3, Qt::LeftButton, {}, QPoint(60, 5));
    Move(f->Image3, QPoint(50, 5), Qt::LeftButton);
    QImage feedback = f->Image3->Picture();
    QCOMPARE(feedback.pixel(50, h - 1) & 0xFFFFFFu, kHistogramRed);
    QCOMPARE(feedback.pixel(60, h - 1) & 0xFFFFFFu, kHistogramRed);
    QCOMPARE(feedback.pixel(49, h - 1) & 0xFFFFFFu, kHistogramBlue);
    QCOMPARE(feedback.pixel(61, h - 1) & 0xFFFFFFu, kHistogramBlue);
    QVERIFY(!f->Model().Histogram.Marked(55));
    // Moving on to 40 draws the feedback afresh; moving without the button does nothing.
    Move(f->Image3, QPoint(40, 5), Qt::LeftButton);
    QCOMPARE(f->Image3->Picture().pixel(45, h - 1) & 0xFFFFFFu, kHistogramRed);
    QTest::mouseRelease(f->Image3, Qt::LeftButton, {}, QPoint(40, 5));
    QVERIFY(f->Model().Histogram.Marked(40) && f->Model().Histogram.Marked(60));
    QVERIFY(!f->Model().Histogram.Marked(39) && !f->Model().Histogram.Marked(61));
    Move(f->Image3, QPoint(100, 5), Qt::NoButton);
    QCOMPARE(f->Image3->Picture().pixel(100, h - 1) & 0xFFFFFFu, kHistogramBlue);
    QCOMPARE(f->Image3->Picture().pixel(40, h - 1) & 0xFFFFFFu, kHistogramRed);

    // A second drag adds its marks; the clip spans from the lowest to the highest.
    DragHistogram(*f, 150, 152);
    f->Button4->click();
    std::vector<float> expected;
    for (int i = 0; i < 176; ++i) expected.push_back(static_cast<float>(std::clamp(i, 40, 152)));
    QCOMPARE(Values(*f->Model().WorkPicture), expected);
    QCOMPARE(Values(*p).back(), 175.0f);  // the image keeps its values until take over
    QCOMPARE(f->Label1->text(), QString("40.000"));
    QCOMPARE(f->Label3->text(), QString("152.000"));
    const QImage after = f->Image3->Picture();
    for (int x = 0; x < kHistogramBins; ++x)
      QVERIFY((after.pixel(x, h - 1) & 0xFFFFFFu) != kHistogramRed);

    // "undo" redraws the image's histogram without marks.
    DragHistogram(*f, 3, 9);
    f->Button1->click();
    QCOMPARE(f->Label3->text(), QString("175.000"));
    QVERIFY(!f->Model().Histogram.Marked(5));
    QCOMPARE(f->Image3->Picture().pixel(5, h - 1) & 0xFFFFFFu, kHistogramBlue);
  }

  void fftTakesLogAtTheNextDoAndTogglesItsFlag() {
    auto p = Picture(8, 6, [](int, int) { return 2.0f; });
    auto f = Open(p.get(), 6);
    QVERIFY(f);
    QVERIFY(f->Panel5->isVisible());
    QVERIFY(!f->CheckBoxLog->isChecked());
    f->Button4->click();
    QCOMPARE(f->Model().WorkPicture->RowTable[2][2], 32.0f);
    QCOMPARE(f->Model().WorkPicture->RowTable[0][0], 0.0f);
    QVERIFY(f->Model().WorkPicture->Transformed);
    QVERIFY(QApplication::overrideCursor() == nullptr);  // the hourglass is gone again
    // "Log" changes nothing by itself; the next "do" stores log2 of the magnitudes.
    QTest::mouseClick(f->CheckBoxLog, Qt::LeftButton);
    QVERIFY(f->CheckBoxLog->isChecked());
    QCOMPARE(f->Model().WorkPicture->RowTable[2][2], 32.0f);
    f->Button1->click();
    f->Button4->click();
    QCOMPARE(f->Model().WorkPicture->RowTable[2][2], 5.0f);
    QCOMPARE(f->Model().WorkPicture->RowTable[3][1], 4.0f);
    QCOMPARE(f->Model().WorkPicture->RowTable[5][7], 2.0f);
    // The result is shown: its largest value is the brightest colour index.
    QCOMPARE(f->Model().Image2.Width, 8);
    QCOMPARE(f->Model().WorkPicture->Max, 5.0f);
    f->Button3->click();
    QCOMPARE(p->RowTable[2][2], 5.0f);
    QVERIFY(!p->Transformed);
  }

  void theZoomSquareCropsWithItsHintAndTakeOverShrinksTheRanges() {
    auto p = Picture(40, 40, [](int c, int r) { return static_cast<float>(100 * r + c); });
    auto f = Open(p.get(), 8);
    QVERIFY(f);
    QVERIFY(f->Panel7->isVisible());
    HintCatcher hints;
    f->installEventFilter(&hints);
    Move(f->Image2, PointerOn(*f, 7, 33), Qt::NoButton);
    QCOMPARE(hints.last, QString("X= 7  Y= 33"));
    // The read-out goes with the pointer.
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(f->Image2, &leave);
    QCOMPARE(hints.last, QString());
    Move(f->Image2, PointerOn(*f, 7, 33), Qt::NoButton);
    QCOMPARE(hints.last, QString("X= 7  Y= 33"));

    // A click without movement: "do" leaves the working copy and the shown picture.
    QTest::mouseClick(f->Image2, Qt::LeftButton, {}, PointerOn(*f, 5, 5));
    const QImage before = f->Image2Picture();
    f->Button4->click();
    QCOMPARE(f->Model().WorkPicture->Columns, 40);
    QVERIFY(f->Image2Picture() == before);

    // Lines 5..14 from the top are rows 25..34, columns 10..19.
    DragSquare(*f, 10, 5, 20);
    QCOMPARE(hints.last, QString("X= 20  Y= 5"));
    f->Button4->click();
    QCOMPARE(f->Model().WorkPicture->Columns, 10);
    QCOMPARE(f->Model().WorkPicture->Rows, 10);
    QCOMPARE(f->Model().WorkPicture->RowTable[0][0], 2510.0f);
    QCOMPARE(f->Model().WorkPicture->RowTable[9][9], 3419.0f);
    QCOMPARE(f->Image2Picture().width(), 10);
    QCOMPARE(hints.last, QString("X= 20  Y= 5"));
    f->Button3->click();  // takes over and closes the window, and the read-out with it
    QCOMPARE(hints.last, QString());
    QCOMPARE(p->Columns, 10);
    QCOMPARE(p->Rows, 10);
    QCOMPARE(p->RowTable[0][0], 2510.0f);
    QCOMPARE(p->ScanPara.XScanRange, 25.0f);
    QCOMPARE(p->ScanPara.YScanRange, 25.0f);
    QCOMPARE(p->ScanPara.xPixel, 40);
    QTRY_COMPARE(refreshed_, 1);
  }

  void theWindowComputesWhatTheCommandLineComputes() {
    struct Case {
      int mode;
      std::function<void(TFilterForm&)> act;  // before the presses
      int presses;
      std::string op;
    };
    const std::vector<Case> cases = {
        {5, [](TFilterForm& f) { DragHistogram(f, 100, 80); }, 1, "clip:100-80"},
        {5,
         [](TFilterForm& f) {
           DragHistogram(f, 10, 20);
           DragHistogram(f, 160, 150);
         },
         2, "clip:10-20,160-150*2"},
        {6, [](TFilterForm&) {}, 1, "fft"},
        {6, [](TFilterForm& f) { QTest::mouseClick(f.CheckBoxLog, Qt::LeftButton); }, 2,
         "fft:log*2"},
        {8, [](TFilterForm& f) { DragSquare(f, 30, 40, 130); }, 1, "crop:30,40,130,140"},
        {8, [](TFilterForm& f) { DragSquare(f, 250, 200, 180); }, 1, "crop:250,200,180,130"},
    };
    for (const Case& k : cases) {
      CliMessages said('.', TModalResult::mrYes);
      said.File = kDemo;
      CliHost viewer(said), cli(said);
      OpenFile(kDemo, viewer);
      viewer.Finish();
      OpenFile(kDemo, cli);
      cli.Finish();
      TImageDoc& shown = *viewer.Images[0];
      {
        auto f = Open(shown.Picture.get(), k.mode);
        QVERIFY(f);
        k.act(*f);
        for (int i = 0; i < k.presses; ++i) f->Button4->click();
        f->Button3->click();
      }
      NoProgress none;
      TCliOpContext ctx{said, '.', none};
      QVERIFY(ApplyOperation(ParseOperation(k.op), *cli.Images[0], ctx));
      const TVKMPicture& a = *shown.Picture;
      const TVKMPicture& b = *cli.Images[0]->Picture;
      QVERIFY2(SameBits(a, b), k.op.c_str());
      QCOMPARE(a.ScanPara.XScanRange, b.ScanPara.XScanRange);
      QCOMPARE(a.ScanPara.YScanRange, b.ScanPara.YScanRange);
    }
  }
};

QTEST_MAIN(TestFilterFormFft)
#include "tst_filterform_fft.moc"

// The processing workbench window driven as a user drives it: the Process menu's
// commands with their guards and captions, every mode's panel, "do" twice, "undo",
// "take over", "cancel", point clicks, the zoom drag, the "Filter" settings, the layout
// at two fonts, and the same values the command line computes.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <cstring>
#include <functional>

#include "app/TMainForm.h"
#include "app/ToolCommands.h"
#include "cli/CliHost.h"
#include "cli/Operations.h"
#include "formats/OpenFile.h"
#include "process/Leveling.h"
#include "process/NeighbourFilters.h"
#include "process/ui/TFilterForm.h"
#include "process/ui/TWorkbenchImage.h"
#include "qtgui/ViewPainter.h"
#include "settings/IniFile.h"
#include "support/PictureBits.h"
#include "support/RecordingMessages.h"
#include "view/TMDIChild.h"

namespace {

const std::string kDemo = TARNISK_SAMPLES_DIR "/demo/demo.txt";

// A rendered picture of `cols` x `rows`, value f(c, r), with scan ranges in nm.
std::unique_ptr<TVKMPicture> Picture(int cols, int rows, const std::function<float(int, int)>& f) {
  auto p = std::make_unique<TVKMPicture>();
  p->SetSize(cols, rows);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) p->RowTable[r][c] = f(c, r);
  p->ScanPara.XPhysUnit = "nm";
  p->ScanPara.PhysUnit = "pA";
  p->ScanPara.XScanRange = p->ScanPara.YScanRange = 100;
  p->ScanPara.xPixel = cols;
  p->ScanPara.yPixel = rows;
  TBitmap8 shown;
  p->Render(shown);
  return p;
}

float Wavy(int c, int r) {
  return std::sin(0.7f * c) * 20.0f + 3.0f * r + ((c * 7 + r * 13) % 5);
}

// A control position on Image2 that rounds to picture pixel (x, line y).
QPoint PointerOn(const TFilterForm& f, int x, int y) {
  const int pw = f.Model().Image2.Width, ph = f.Model().Image2.Height;
  return QPoint(static_cast<int>((x + 0.25) * f.Image2->width() / pw),
                static_cast<int>((y + 0.25) * f.Image2->height() / ph));
}

void Choose(QComboBox* box, int index) {
  box->setCurrentIndex(index);
}

// Leveling "2Dim", order 0, on `image`: one "do", then "take over"; returns once the
// workbench is gone.
void LevelPlaneAndTakeOver(TMainForm& main, TMDIChild* image) {
  main.MdiArea()->setActiveSubWindow(image);
  main.SlopeItem->trigger();
  QPointer<TFilterForm> slop = qobject_cast<TFilterForm*>(main.MdiArea()->activeSubWindow());
  QVERIFY(slop);
  Choose(slop->ComboSlop, sm2Dim);
  Choose(slop->ComboSlopOrder, soZero);
  slop->Button4->click();
  slop->Button3->click();
  QTRY_VERIFY(!slop);
}

}  // namespace

class TestFilterForm : public QObject {
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

  static std::vector<QFrame*> ModePanels(const TFilterForm& f) {
    return {f.Panel2, f.Panel3, f.Panel4, f.Panel5, f.Panel6, f.Panel7};
  }

 private slots:
  void init() {
    QFile::remove(dir_.filePath("tarnisk.ini"));
    ini_ = std::make_unique<TIniFile>(dir_.filePath("tarnisk.ini").toStdString());
    msgs_.shown.clear();
    msgs_.beeps = 0;
    refreshed_ = 0;
  }

  void everyModeOpensWithItsPanelAndDoBeepsWithoutAnOperation() {
    auto p = Picture(16, 12, Wavy);
    struct Expect {
      int mode;
      QFrame* TFilterForm::*panel;
    };
    const Expect expected[] = {{0, &TFilterForm::Panel3},
                               {1, &TFilterForm::Panel3},
                               {2, &TFilterForm::Panel3},
                               {3, &TFilterForm::Panel3},
                               {4, &TFilterForm::Panel2},
                               {5, &TFilterForm::Panel4},
                               {6, &TFilterForm::Panel5},
                               {7, &TFilterForm::Panel6},
                               {8, &TFilterForm::Panel7},
                               {9, &TFilterForm::Panel7},
                               {12, nullptr}};
    for (const Expect& e : expected) {
      msgs_.beeps = 0;
      auto f = Open(p.get(), e.mode);
      QVERIFY(f);
      QFrame* shown = e.panel ? f.get()->*e.panel : nullptr;
      QCOMPARE(f->ModePanel(), shown);
      for (QFrame* panel : ModePanels(*f)) QCOMPARE(panel->isVisible(), panel == shown);
      QVERIFY(f->Panel1->isVisible());
      // A mode without a row beeps on opening already.
      const TWorkbenchMode* row = FindWorkbenchMode(e.mode);
      QCOMPARE(msgs_.beeps, row ? 0 : 1);
      // The result shows the image as last rendered.
      QCOMPARE(f->Image2Picture(), ToQImage(p->Bitmap).convertToFormat(QImage::Format_RGB32));
      const int before = msgs_.beeps;
      f->Button4->click();
      const bool hasDo = row && row->Do;
      QCOMPARE(msgs_.beeps - before, hasDo ? 0 : 1);
    }
  }

  void theRunTimeControlsOfTheSphereAndTheHistogramPanel() {
    auto p = Picture(16, 12, Wavy);
    auto f = Open(p.get(), 9);
    QVERIFY(f && f->RadiusEdit && f->UnitLabel && f->LowpassRadio && f->HighpassRadio &&
            f->SphereProgress);
    QCOMPARE(f->RadiusEdit->parentWidget(), f->Panel7);
    QCOMPARE(f->RadiusEdit->text(), QString("0"));  // no settings file: "0"
    QCOMPARE(f->UnitLabel->text(), QString("nm"));
    QVERIFY(f->LowpassRadio->isChecked());
    QVERIFY(!f->HighpassRadio->isChecked());
    QCOMPARE(f->SphereProgress->maximum(), 11);
    QCOMPARE(f->SphereProgress->value(), 0);
    // Only the sphere mode has them.
    auto leveling = Open(p.get(), 7);
    QVERIFY(!leveling->RadiusEdit && !leveling->SphereProgress);
    // The histogram is one pixel per column, 175 wide.
    auto histogram = Open(p.get(), 5);
    QCOMPARE(histogram->Image3->width(), 175);
    QCOMPARE(histogram->Image3->Picture().width(), 175);
    QCOMPARE(histogram->Image3->Picture().height(), histogram->Image3->height());
    QVERIFY(histogram->Label1->isVisible() && histogram->Label3->isVisible());
  }

  void doTwiceFiltersTwiceAndUndoRestoresBothPreviews() {
    auto p = Picture(16, 12, Wavy);
    const std::vector<float> source = Values(*p);
    auto f = Open(p.get(), 0);
    Choose(f->ComboBox1, fkLaplace);
    f->Button4->click();
    f->Button4->click();
    // The same two passes on a copy of the image.
    auto twice = Picture(16, 12, Wavy);
    Filter3x3(*twice, fkLaplace);
    Filter3x3(*twice, fkLaplace);
    QVERIFY(SameBits(Values(*f->Model().WorkPicture), Values(*twice)));
    QCOMPARE(f->Model().Mode, int(fkLaplace));  // "do" takes the list's filter as mode
    QVERIFY(SameBits(Values(*p), source));      // the image is untouched until take over
    // The result shows the working copy rendered.
    TBitmap8 rendered;
    twice->Render(rendered);
    QCOMPARE(f->Image2Picture(), ToQImage(rendered).convertToFormat(QImage::Format_RGB32));

    f->Button1->click();
    QVERIFY(SameBits(Values(*f->Model().WorkPicture), source));
    QCOMPARE(f->Image1Picture(), ToQImage(p->Bitmap).convertToFormat(QImage::Format_RGB32));
    QCOMPARE(f->Image2Picture(), f->Image1Picture());
    // A typed filter name that is no item runs nothing: a beep.
    f->ComboBox1->setEditText("Median");
    const std::vector<float> kept = Values(*f->Model().WorkPicture);
    f->Button4->click();
    QCOMPARE(msgs_.beeps, 1);
    QVERIFY(SameBits(Values(*f->Model().WorkPicture), kept));
  }

  void takeOverWritesBackAndCancelDoesNotBothRefresh() {
    auto p = Picture(16, 12, Wavy);
    {
      auto f = Open(p.get(), 7);
      Choose(f->ComboSlop, smLines);
      Choose(f->ComboSlopOrder, soZero);
      f->Button4->click();
      const std::vector<float> leveled = Values(*f->Model().WorkPicture);
      // Every row of the result has mean zero within the single rounding.
      for (int r = 0; r < 12; ++r) {
        double sum = 0;
        for (int c = 0; c < 16; ++c) sum += leveled[r * 16 + c];
        QVERIFY(std::fabs(sum / 16) < 1e-4);
      }
      f->Button3->click();
      QVERIFY(!f->isVisible());
      QCOMPARE(refreshed_, 1);
      QVERIFY(SameBits(Values(*p), leveled));
    }
    const std::vector<float> taken = Values(*p);
    auto f = Open(p.get(), 0);
    f->Button4->click();
    f->Button4->click();
    f->Button2->click();
    QVERIFY(!f->isVisible());
    QCOMPARE(refreshed_, 2);  // redrawn all the same
    QVERIFY(SameBits(Values(*p), taken));
    // Escape is the cancel button too.
    auto g = Open(p.get(), 4);
    g->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(g.get()));
    g->Edit2->setFocus();
    QTest::keyClick(g->Edit2, Qt::Key_Escape);
    QVERIFY(!g->isVisible());
    QCOMPARE(refreshed_, 3);
  }

  void pointClicksMarkUpToThirtyPointsAndTheLevelingUsesThem() {
    // A plane 3 + 2c + 5r on 10 x 10: marking the four corners and "do" leaves 3.
    auto p = Picture(10, 10, [](int c, int r) { return 3.0f + 2.0f * c + 5.0f * r; });
    auto f = Open(p.get(), 7);
    Choose(f->ComboSlop, smPoints);
    Choose(f->ComboSlopOrder, soFirst);
    const QImage clean = f->Image2Picture();
    // Bitmap line 0 is the top, matrix row 9.
    QTest::mouseClick(f->Image2, Qt::LeftButton, {}, PointerOn(*f, 0, 0));
    QCOMPARE(f->Model().PointCount, 1);
    QCOMPARE(f->Model().Points[0], (TSlopPoint{0, 9}));
    // The mark is drawn on the picture: its centre is the white brush now.
    QCOMPARE(f->Image2Picture().pixel(0, 0) & 0xFFFFFFu, 0xFFFFFFu);
    QVERIFY(f->Image2Picture() != clean);
    // One click is not enough.
    f->Button4->click();
    QCOMPARE(msgs_.Texts().back(),
             std::string("Not enough points!\nPlease mark points with left mouse button."));
    QCOMPARE(f->Model().PointCount, 1);
    // The right half of the last column rounds one past it: the last column is marked.
    QTest::mouseClick(f->Image2, Qt::LeftButton, {},
                      QPoint(f->Image2->width() - 1, PointerOn(*f, 0, 9).y()));
    QCOMPARE(f->Model().Points[1], (TSlopPoint{9, 0}));
    QTest::mouseClick(f->Image2, Qt::LeftButton, {}, PointerOn(*f, 9, 0));
    QTest::mouseClick(f->Image2, Qt::LeftButton, {}, PointerOn(*f, 0, 9));
    QCOMPARE(f->Model().PointCount, 4);
    f->Button4->click();
    QCOMPARE(f->Model().PointCount, 0);
    for (float v : Values(*f->Model().WorkPicture)) QCOMPARE(v, 3.0f);

    // Thirty points at most; the 31st click draws and records nothing.
    for (int i = 0; i < 30; ++i)
      QTest::mouseClick(f->Image2, Qt::LeftButton, {}, PointerOn(*f, i % 10, i / 10));
    QCOMPARE(f->Model().PointCount, 30);
    const QImage marked = f->Image2Picture();
    QTest::mouseClick(f->Image2, Qt::LeftButton, {}, PointerOn(*f, 5, 8));
    QCOMPARE(f->Model().PointCount, 30);
    QCOMPARE(f->Image2Picture(), marked);
    // Undo forgets them; with "Lines" chosen clicks mark nothing.
    f->Button1->click();
    QCOMPARE(f->Model().PointCount, 0);
    Choose(f->ComboSlop, smLines);
    QTest::mouseClick(f->Image2, Qt::LeftButton, {}, PointerOn(*f, 5, 5));
    QCOMPARE(f->Model().PointCount, 0);
    QCOMPARE(f->Image2Picture(), f->Image1Picture());
  }

  void theZoomSquareFollowsTheDragAndIsDrawnInverted() {
    auto p = Picture(40, 40, Wavy);
    auto f = Open(p.get(), 8);
    const QImage clean = f->Image2Picture();
    QTest::mousePress(f->Image2, Qt::LeftButton, {}, PointerOn(*f, 10, 5));
    QCOMPARE(f->Model().ZoomX1, 10);
    QCOMPARE(f->Model().ZoomY1, 5);
    // Moves with the button held: the square's side follows the horizontal drag only.
    QMouseEvent move(QEvent::MouseMove, PointerOn(*f, 20, 30), f->Image2->mapToGlobal(QPoint()),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(f->Image2, &move);
    QCOMPARE(f->Model().ZoomX2, 20);
    QCOMPARE(f->Model().ZoomY2, 15);
    // The outline's corner (10, 5) is inverted, a pixel inside the square is not.
    QCOMPARE(f->Image2Picture().pixel(10, 5) & 0xFFFFFFu, ~clean.pixel(10, 5) & 0xFFFFFFu);
    QCOMPARE(f->Image2Picture().pixel(15, 10), clean.pixel(15, 10));
    QMouseEvent further(QEvent::MouseMove, PointerOn(*f, 25, 2), f->Image2->mapToGlobal(QPoint()),
                        Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(f->Image2, &further);
    // The first outline is gone: its far corner (20, 15) is as it was.
    QCOMPARE(f->Image2Picture().pixel(20, 15), clean.pixel(20, 15));
    QCOMPARE(f->Image2Picture().pixel(10, 5) & 0xFFFFFFu, ~clean.pixel(10, 5) & 0xFFFFFFu);
    QTest::mouseRelease(f->Image2, Qt::LeftButton, {}, PointerOn(*f, 25, 2));
    QCOMPARE(f->Model().ZoomX2, 25);
    QCOMPARE(f->Model().ZoomY2, 20);
    // Moving without a button only changes nothing but the hint.
    QMouseEvent hover(QEvent::MouseMove, PointerOn(*f, 3, 3), f->Image2->mapToGlobal(QPoint()),
                      Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(f->Image2, &hover);
    QCOMPARE(f->Model().ZoomX2, 25);
    // "undo" keeps the square.
    f->Button1->click();
    QCOMPARE(f->Model().ZoomX1, 10);
    QCOMPARE(f->Model().ZoomY2, 20);
  }

  void theFilterSettingsAreReadAndWritten() {
    auto p = Picture(16, 12, Wavy);
    {
      // An empty settings file: LowPass, Points, 0. order, "1".
      auto f = Open(p.get(), 4);
      QCOMPARE(f->ComboBox1->currentText(), QString("LowPass"));
      QCOMPARE(f->ComboSlop->currentText(), QString("Points"));
      QCOMPARE(f->ComboSlopOrder->currentText(), QString("0. order"));
      QCOMPARE(f->Edit2->text(), QString("1"));
      // A threshold that is not a number counts as 0, is shown as "0" and kept.
      f->Edit2->setText("abc");
      f->Button4->click();
      QCOMPARE(f->Edit2->text(), QString("0"));
      QCOMPARE(ini_->ReadString("Filter", "Edit2", "?"), std::string("0"));
      f->Edit2->setText("2.5");
      f->Button4->click();
      QCOMPARE(ini_->ReadString("Filter", "Edit2", "?"), std::string("2.5"));
    }
    {
      auto f = Open(p.get(), 7);
      QCOMPARE(f->Edit2->text(), QString("1"));  // read only in the bad-point mode
      Choose(f->ComboSlop, smCols);
      Choose(f->ComboSlopOrder, soSecond);
      Choose(f->ComboBox1, fkBeleuchtung);
    }
    // Written when the window goes.
    QCOMPARE(ini_->ReadInteger("Filter", "ComboSlop", -9), int(smCols));
    QCOMPARE(ini_->ReadInteger("Filter", "ComboSlopOrder", -9), int(soSecond));
    QCOMPARE(ini_->ReadInteger("Filter", "ComboBox1", -9), int(fkBeleuchtung));
    {
      auto f = Open(p.get(), 4);
      QCOMPARE(f->ComboSlop->currentText(), QString("Cols"));
      QCOMPARE(f->ComboSlopOrder->currentText(), QString("2nd order"));
      QCOMPARE(f->ComboBox1->currentText(), QString("Beleuchtung"));
      QCOMPARE(f->Edit2->text(), QString("2.5"));
    }
    {
      // A typed order that matches no item selects none: "Method not supported!".
      auto g = Open(p.get(), 7);
      g->ComboSlopOrder->setEditText("1st order");  // without the item's trailing blank
      g->Button4->click();
      QCOMPARE(msgs_.Texts().back(), std::string("Method not supported!"));
    }
    QCOMPARE(ini_->ReadInteger("Filter", "ComboSlopOrder", -9), -1);
    auto f = Open(p.get(), 7);
    QCOMPARE(f->ComboSlopOrder->currentIndex(), -1);
    QCOMPARE(f->ComboSlopOrder->currentText(), QString());
  }

  void theLayoutFollowsTheColumnRuleAtTwoFonts() {
    auto p = Picture(16, 12, Wavy);
    for (int points : {8, 20}) {
      auto f = Open(p.get(), 9);
      QFont font = f->font();
      font.setPointSize(points);
      f->setFont(font);
      for (QSize size : {QSize(800, 578), QSize(1200, 700)}) {
        f->resize(size);
        QCoreApplication::processEvents();
        const QSize client = f->Form->size();
        QCOMPARE(f->Image1->geometry(), QRect(0, 0, 185, 185));
        const QRect image2 = f->Image2->geometry();
        QCOMPARE(image2.width(), image2.height());
        const int s = std::min(qRound((client.width() - 185) * 0.9), qRound(client.height() * 0.9));
        QVERIFY(std::abs(image2.width() - s) <= 1);
        // Centred right of the column.
        QVERIFY(std::abs(image2.center().x() - (185 + client.width()) / 2) <= 1);
        QVERIFY(std::abs(image2.center().y() - client.height() / 2) <= 1);
        // The buttons are at the bottom left, the panel between, nothing overlaps.
        QCOMPARE(f->Panel1->geometry().bottom(), client.height() - 1);
        QCOMPARE(f->Panel1->width(), 185);
        QCOMPARE(f->Panel7->geometry().top(), 187);
        QCOMPARE(f->Panel7->geometry().bottom(), f->Panel1->geometry().top() - 3);
        for (QPushButton* b : {f->Button1, f->Button2, f->Button3, f->Button4}) {
          QVERIFY(f->Panel1->rect().contains(b->geometry()));
          QVERIFY(b->width() >= b->fontMetrics().horizontalAdvance(b->text()));
        }
        for (QWidget* w : std::initializer_list<QWidget*>{f->RadiusEdit, f->LowpassRadio,
                                                          f->HighpassRadio, f->SphereProgress})
          QVERIFY(f->Panel7->rect().contains(w->geometry()));
        QVERIFY(!f->LowpassRadio->geometry().intersects(f->HighpassRadio->geometry()));
        QVERIFY(!f->RadiusEdit->geometry().intersects(f->LowpassRadio->geometry()));
      }
    }
  }

  void maximisedInALowWindowAreaEveryButtonShowsWithoutScrolling() {
    TMainForm main(&msgs_, dir_.filePath("low.ini"));
    main.resize(1000, 470);
    main.show();
    TImageDoc& doc = main.NewImage("scan");
    doc.CreatePicture(8, 8);
    main.ImageReady(doc);
    QWidget* viewport = main.MdiArea()->viewport();
    QVERIFY2(viewport->height() < kFilterFormMinHeight, "the area must be lower than the minimum");
    main.Shere1->trigger();  // the tallest panel
    auto* f = qobject_cast<TFilterForm*>(main.MdiArea()->activeSubWindow());
    QVERIFY(f && f->isMaximized());
    QTRY_VERIFY(f->height() <= viewport->height());
    for (QWidget* w : std::initializer_list<QWidget*>{f->Button1, f->Button2, f->Button3,
                                                      f->Button4, f->SphereProgress}) {
      const QRect r(w->mapTo(viewport, QPoint(0, 0)), w->size());
      QVERIFY2(viewport->rect().contains(r), qPrintable(w->objectName()));
    }
    QVERIFY(!f->SphereProgress->geometry().intersects(f->HighpassRadio->geometry()));
    // Restored, the window keeps its design minimum.
    f->showNormal();
    QCOMPARE(f->minimumHeight(), kFilterFormMinHeight);
    QCOMPARE(f->minimumWidth(), kFilterFormMinWidth);
    f->close();
  }

  void takeOverRedrawsItsOwnImageWindowAndLeavesItCurrent() {
    TMainForm main(&msgs_, dir_.filePath("owner.ini"));
    main.resize(1000, 760);
    main.show();
    std::vector<TMDIChild*> images;
    for (const char* name : {"first", "second", "third"}) {
      TImageDoc& doc = main.NewImage(name);
      doc.CreatePicture(8, 8);
      for (int i = 0; i < 64; ++i) doc.Picture->Data()[i] = static_cast<float>(i % 7);
      main.ImageReady(doc);
      images.push_back(main.ImageWindows[static_cast<size_t>(doc.Index)].data());
    }
    // The workbench on the middle window, which is neither the first nor the last made.
    TMDIChild* owner = images[1];
    LevelPlaneAndTakeOver(main, owner);
    QVERIFY(!QTest::currentTestFailed());
    QTRY_COMPARE(main.MdiArea()->activeSubWindow(), static_cast<QMdiSubWindow*>(owner));
    QCOMPARE(main.CurrentImageWindow(), owner);
    QTRY_VERIFY(owner->Doc().Picture->Min < 0);  // redrawn: the range is the leveled one
    for (TMDIChild* other : {images[0], images[2]}) QCOMPARE(other->Doc().Picture->Min, 0.0f);
  }

  void processMenuCommandsOpenWorkbenchesByTheirGuards() {
    TMainForm main(&msgs_, dir_.filePath("main.ini"));
    main.resize(1000, 760);
    main.show();
    TImageDoc& doc = main.NewImage("scan");
    doc.CreatePicture(8, 8);
    for (int i = 0; i < 64; ++i) doc.Picture->Data()[i] = static_cast<float>(i % 7);
    main.ImageReady(doc);
    TMDIChild* image = main.ImageWindows[static_cast<size_t>(doc.Index)].data();
    QVERIFY(image);
    const QString caption = QString::fromStdString(doc.Caption);
    struct Command {
      QAction* TMainForm::*item;
      int mode;
      const char* prefix;
    };
    const Command commands[] = {
        {&TMainForm::LowPassItem, 0, "LowPass of "},
        {&TMainForm::NoiseItem, 4, "Bad points removal of "},
        {&TMainForm::HistogramItem, 5, "Histogram of "},
        {&TMainForm::FFTItem, 6, "FFT of "},
        {&TMainForm::SlopeItem, 7, "Slop of "},
        {&TMainForm::Zoom1, 8, "Zoom of "},
        {&TMainForm::Shere1, 9, "Spherefilter "},
    };
    for (const Command& c : commands) {
      main.MdiArea()->setActiveSubWindow(image);
      (main.*c.item)->trigger();
      auto* f = qobject_cast<TFilterForm*>(main.MdiArea()->activeSubWindow());
      QVERIFY2(f, c.prefix);
      QCOMPARE(f->Model().Mode, c.mode);
      QCOMPARE(f->windowTitle(), c.prefix + caption);
      QVERIFY(f->isMaximized());
      QCOMPARE(f->Model().SourcePicture, doc.Picture.get());
      // With the workbench active, Histogram, Leveling, Zoom and Sphere do nothing,
      // while Simple Filter, Noise and FFT open a further one on the image window.
      const int children = int(main.MdiArea()->subWindowList().size());
      main.HistogramItem->trigger();
      main.SlopeItem->trigger();
      QCOMPARE(int(main.MdiArea()->subWindowList().size()), children);
      main.FFTItem->trigger();
      QCOMPARE(int(main.MdiArea()->subWindowList().size()), children + 1);
      auto* second = qobject_cast<TFilterForm*>(main.MdiArea()->activeSubWindow());
      QVERIFY(second && second != f);
      QCOMPARE(second->Model().SourcePicture, doc.Picture.get());
      second->close();
      f->close();
      QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // "take over" changes the image window's values and closing redraws it.
    main.MdiArea()->setActiveSubWindow(image);
    main.NoiseItem->trigger();
    QPointer<TFilterForm> noise = qobject_cast<TFilterForm*>(main.MdiArea()->activeSubWindow());
    QVERIFY(noise);
    LevelPlaneAndTakeOver(main, image);
    QVERIFY(!QTest::currentTestFailed());
    // The maximised workbench does not hand its state to the image window.
    QVERIFY(!image->isMaximized());
    // 0..6 repeating over 64 values: the global mean is removed.
    double sum = 0;
    for (int i = 0; i < 64; ++i) sum += doc.Picture->Data()[i];
    QVERIFY(std::fabs(sum / 64) < 1e-5);
    QTRY_VERIFY(doc.Picture->Min < 0);  // re-rendered: the range is the leveled one

    // Closing the image window closes its workbench too.
    QVERIFY(noise);
    image->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QTRY_VERIFY(!noise);
  }

  void theWindowComputesWhatTheCommandLineComputes() {
    // The demo's first image through the window (controls set, "do", "take over") and
    // through tarnisk-cli's operations, bit for bit.
    struct Case {
      int mode;
      std::function<void(TFilterForm&)> set;
      int presses;
      std::string op;
    };
    const std::vector<Case> cases = {
        {7,
         [](TFilterForm& f) {
           Choose(f.ComboSlop, smLines);
           Choose(f.ComboSlopOrder, soSecond);
         },
         1, "level:lines:2"},
        {7,
         [](TFilterForm& f) {
           Choose(f.ComboSlop, sm2Dim);
           Choose(f.ComboSlopOrder, soFirst);
         },
         2, "level:2dim:1*2"},
        {0, [](TFilterForm& f) { Choose(f.ComboBox1, fkLowPass); }, 3, "filter:lowpass*3"},
        {4, [](TFilterForm& f) { f.Edit2->setText("0.5"); }, 1, "badpoints:0.5"},
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
        k.set(*f);
        for (int i = 0; i < k.presses; ++i) f->Button4->click();
        f->Button3->click();
      }
      NoProgress none;
      TCliOpContext ctx{said, '.', none};
      QVERIFY(ApplyOperation(ParseOperation(k.op), *cli.Images[0], ctx));
      QVERIFY2(SameBits(Values(*shown.Picture), Values(*cli.Images[0]->Picture)), k.op.c_str());
    }
  }
};

QTEST_MAIN(TestFilterForm)
#include "tst_filterform.moc"

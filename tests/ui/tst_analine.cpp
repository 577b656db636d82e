// The line profile window and the 3D view driven as a user drives them: settings,
// modes, edits, markers, cursors, Save and Copy, the refusal to close while the
// radial preparation runs, and the same files the command line writes.
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cmath>

#include "analysis/Relief3D.h"
#include "analysis/ui/TAnaLineForm.h"
#include "analysis/ui/TImageControl.h"
#include "analysis/ui/TReadoutGrid.h"
#include "analysis/ui/TS3DForm.h"
#include "app/TMainForm.h"
#include "formats/OpenFile.h"
#include "qtgui/ViewPainter.h"
#include "settings/IniFile.h"
#include "support/CollectingHost.h"
#include "support/RecordingMessages.h"
#include "ui/AnswerModal.h"
#include "view/TMDIChild.h"

namespace {

QString Demo() {
  return QString(TARNISK_SAMPLES_DIR) + "/demo/demo.txt";
}

// A 256 x 256 picture, value 1000 r + c, rendered, with nm on every axis.
std::unique_ptr<TVKMPicture> IndexPicture(int cols = 256, int rows = 256) {
  auto p = std::make_unique<TVKMPicture>();
  p->SetSize(cols, rows);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) p->RowTable[r][c] = 1000.0f * r + c;
  p->ScanPara.XPhysUnit = p->ScanPara.YPhysUnit = p->ScanPara.PhysUnit = "nm";
  p->ScanPara.XScanRange = p->ScanPara.YScanRange = 1000;
  p->ScanPara.xPixel = cols;
  p->ScanPara.yPixel = rows;
  TBitmap8 out;
  p->Render(out);
  return p;
}

void Type(QLineEdit* edit, const QString& text) {
  edit->setFocus();
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Backspace);
  QTest::keyClicks(edit, text);
  QTest::keyClick(edit, Qt::Key_Return);
}

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class TestAnaLine : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  std::unique_ptr<TIniFile> ini_;
  RecordingMessages messages_;
  int refreshed_ = 0;

  std::unique_ptr<TAnaLineForm> MakeForm(const TVKMPicture* picture) {
    auto f = std::make_unique<TAnaLineForm>(*ini_, messages_, [this] { ++refreshed_; });
    f->resize(900, 640);
    f->show();
    f->SetPicture(picture);
    return f;
  }

 private slots:
  void init() {
    QFile::remove(dir_.filePath("tarnisk.ini"));
    ini_ = std::make_unique<TIniFile>(dir_.filePath("tarnisk.ini").toStdString());
    messages_.shown.clear();
    refreshed_ = 0;
  }

  void opensOnTheStoredModeAndNumber() {
    ini_->WriteInteger("AnaLine", "Dir", 1);
    ini_->WriteString("AnaLine", "Number", "40");
    auto p = IndexPicture();
    auto f = MakeForm(p.get());
    QCOMPARE(f->ComboBox1->currentIndex(), 1);
    QCOMPARE(f->Edit2->text(), QString("40"));
    QCOMPARE(f->Label2->text(), QString("number"));
    QVERIFY(f->StringGrid1->isVisible());
    QCOMPARE(f->StringGrid1->Cell(0, 10), QString("dXYZ [nm]"));
    // The column marker inverts the image copy under it and nothing beside it.
    const int x = f->Model().ColumnMarkX;
    QCOMPARE(x, qRound(40.0 / 256 * f->Image1->width()));
    const QImage shown = f->Image1->Picture();
    const int side = f->Image1->width();
    const QImage clean = ToQImage(p->Bitmap)
                             .scaled(side, side, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                             .convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.pixel(x, 20) & 0xFFFFFFu, ~clean.pixel(x, 20) & 0xFFFFFFu);
    QCOMPARE(shown.pixel(x + 3, 20), clean.pixel(x + 3, 20));
    QCOMPARE(f->Label6->text(), QString("1000"));  // 256 rows x 1000 / 256
  }

  void modesShowAndHideTheirControls() {
    auto p = IndexPicture();
    auto f = MakeForm(p.get());
    f->ComboBox1->setCurrentIndex(2);  // "any"
    QVERIFY(f->Panel1->isVisible() && f->Panel2->isVisible());
    QVERIFY(!f->Edit2->isVisible());
    QVERIFY(!f->Label2->isVisible());
    QCOMPARE(f->Edit1->text(), QString("1"));
    QVERIFY(!f->Edit1->isEnabled());
    QCOMPARE(f->Label6->palette().color(QPalette::Window), QColor(0, 255, 0));
    QVERIFY(f->Panel2->toolTip().startsWith("right: x/y [Pixel] : "));
    f->ComboBox1->setCurrentIndex(0);
    QVERIFY(!f->Panel1->isVisible());
    QVERIFY(f->Edit2->isVisible());
    QVERIFY(f->Edit1->isEnabled());
    f->ComboBox1->setCurrentIndex(3);
    QCOMPARE(f->Label2->text(), QString("angle"));
  }

  void typedNumbersAndWidthsShowTheirState() {
    auto p = IndexPicture();
    auto f = MakeForm(p.get());
    const std::vector<float> before = f->Model().Profile.Values;
    Type(f->Edit2, "abc");
    QCOMPARE(f->Edit2State(), TEditState::Red);
    QVERIFY(f->Model().Profile.Values == before);
    Type(f->Edit2, "12");
    QCOMPARE(f->Edit2State(), TEditState::White);
    QCOMPARE(f->Model().RowNumber, 12);
    QCOMPARE(f->Model().Profile.Values[0], 243000.0f);  // display row 12 = stored row 243
    Type(f->Edit2, "999");                              // held at the last row
    QCOMPARE(f->Edit2->text(), QString("255"));
    Type(f->Edit1, "0");
    QCOMPARE(f->Edit1->text(), QString("1"));
    QCOMPARE(f->Edit1State(), TEditState::White);
    Type(f->Edit1, "w");
    QCOMPARE(f->Edit1State(), TEditState::Red);
    QCOMPARE(f->Edit1->text(), QString("w"));
    QCOMPARE(f->Model().AverageWidth, 1);
  }

  void draggingOnTheImageAndTheMarkers() {
    auto p = IndexPicture();
    auto f = MakeForm(p.get());
    QTest::mouseClick(f->Image1, Qt::LeftButton, {}, QPoint(5, f->Image1->height() / 2));
    const int h = f->Image1->height();
    QCOMPARE(f->Model().RowNumber, static_cast<int>(std::nearbyint(256.0 * (h / 2) / h)));
    f->ComboBox1->setCurrentIndex(2);
    const QPoint before = f->Panel2->pos();
    // Dragged 30 pixels right and 20 down inside the image: the panel's centre follows.
    QMouseEvent move(QEvent::MouseMove, QPointF(34, 24), QPointF(34, 24), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f->Panel2, &move);
    QCOMPARE(f->Panel2->pos(), before + QPoint(30, 20));
    QCOMPARE(f->Panel2->toolTip(), QString::fromStdString(f->Model().Panel2Hint));
    QVERIFY(f->Model().Profile.PointCount() > 1);
  }

  void cursorsOnTheGraph() {
    auto p = IndexPicture();
    auto f = MakeForm(p.get());
    const int y = f->Image2->height() / 2;
    QTest::mouseClick(f->Image2, Qt::LeftButton, {}, QPoint(40, y));
    QVERIFY(!f->StringGrid1->Cell(1, 0).isEmpty());
    QVERIFY(f->StringGrid1->Cell(1, 3).isEmpty());
    QTest::mouseClick(f->Image2, Qt::LeftButton, {}, QPoint(140, y));
    QVERIFY(!f->StringGrid1->Cell(1, 10).isEmpty());
    // The red cross: 5 pixels left of cursor 0, on its graph line.
    const TProfileCursor& c0 = f->Model().Cursors.Cursor[0];
    bool red = false;
    for (int dy = -1; dy <= 1; ++dy)
      red = red || QColor(f->Image2->Picture().pixel(c0.X - 4, c0.Y + dy)) == QColor(255, 0, 0);
    QVERIFY(red);
    // Row mode: X difference of 100 pixels on a 256-point graph, no Y difference.
    QCOMPARE(f->StringGrid1->Cell(1, 7), QString("0"));
  }

  void saveWritesTheProfileAndRemembersTheFolder() {
    auto p = IndexPicture();
    auto f = MakeForm(p.get());
    f->setWindowTitle("scan");
    const QString chosen = dir_.filePath("profile");
    AnswerModal<QFileDialog>([&](QFileDialog* d) {
      QCOMPARE(d->selectedFiles().value(0).section('/', -1), QString("scan"));
      d->selectFile(chosen);
      static_cast<QDialog*>(d)->accept();  // the dialog's own check runs
    });
    f->SaveButtonClick();
    QCOMPARE(ReadAll(chosen + ".dat"),
             QByteArray::fromStdString(ProfileFileText(f->Model().Profile, f->Model().Step)));
    QCOMPARE(QString::fromStdString(ini_->ReadString("Save", "Path", "")), dir_.path() + "/");
    QVERIFY(messages_.shown.empty());
    // A folder that does not exist: "Save not complete!" and the setting stays.
    QVERIFY(!f->SaveTo(dir_.filePath("missing/profile.txt").toStdString()));
    QCOMPARE(messages_.shown.size(), size_t(1));
    QCOMPARE(messages_.shown[0].text, std::string("Save not complete!"));
    QCOMPARE(QString::fromStdString(ini_->ReadString("Save", "Path", "")), dir_.path() + "/");
  }

  void copyPutsTheProfileOnTheClipboard() {
    auto p = IndexPicture();
    auto f = MakeForm(p.get());
    f->Button1->click();
    QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromStdString(ProfileClipboardText(
                                                       f->Model().Profile, f->Model().Step, '.')));
  }

  void closingIsRefusedWhileTheRadialPreparationRuns() {
    ini_->WriteInteger("AnaLine", "Width", 90);  // arcs wide enough to change every cell
    auto p = IndexPicture(514, 514);
    auto f = MakeForm(p.get());
    bool refusedWhileBusy = false;
    // The first report of the preparation lets events run: the close is refused, then
    // Cancel stops the preparation.
    QTimer::singleShot(0, [&] {
      refusedWhileBusy = f->Busy() && !f->close();
      f->CancelButton->click();
    });
    f->ComboBox1->setCurrentIndex(3);
    QVERIFY(refusedWhileBusy);
    QVERIFY(f->isVisible());
    QVERIFY(!f->Busy());
    QCOMPARE(refreshed_, 0);
    // Stopped before any ring was averaged: the working copy is the image itself.
    QCOMPARE(f->Model().WorkCopy.At(257, 300), p->RowTable[257][300]);
    f->CancelButton->click();  // now it closes
    QVERIFY(!f->isVisible());
    QCOMPARE(refreshed_, 1);
  }

  void escapePressesCancelWhereverTheFocusIs() {
    ini_->WriteInteger("AnaLine", "Width", 90);  // arcs wide enough to change every cell
    auto p = IndexPicture(514, 514);
    auto f = MakeForm(p.get());
    f->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.get()));
    // During the radial preparation Escape stops it; the window stays.
    bool busyWhenPressed = false;
    QTimer::singleShot(0, [&] {
      busyWhenPressed = f->Busy();
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    });
    f->ComboBox1->setFocus();
    f->ComboBox1->setCurrentIndex(3);
    QVERIFY(busyWhenPressed);
    QVERIFY(!f->Busy());
    QVERIFY(f->isVisible());
    QCOMPARE(f->Model().WorkCopy.At(257, 300), p->RowTable[257][300]);  // stopped at once
    Type(f->Edit1, "90");  // run to its end, the same preparation averages that cell
    QVERIFY(f->Model().WorkCopy.At(257, 300) != p->RowTable[257][300]);
    // Afterwards Escape in an edit closes the window, as Cancel does.
    f->Edit2->setFocus();
    QTest::keyClick(f->Edit2, Qt::Key_Escape);
    QVERIFY(!f->isVisible());
    QCOMPARE(refreshed_, 1);
  }

  void keyboardFocusStaysWhereTheUserLeftIt() {
    auto p = IndexPicture();
    auto f = MakeForm(p.get());
    f->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.get()));
    // A new mode chosen with the arrow keys prepares (the box is disabled meanwhile) and
    // the box keeps the focus, so the next arrow key picks the next mode.
    f->ComboBox1->setFocus();
    QTest::keyClick(f->ComboBox1, Qt::Key_Down);
    QCOMPARE(f->ComboBox1->currentIndex(), 1);
    QCOMPARE(QApplication::focusWidget(), f->ComboBox1);
    QTest::keyClick(f->ComboBox1, Qt::Key_Down);
    QCOMPARE(f->ComboBox1->currentIndex(), 2);
    QTest::keyClick(f->ComboBox1, Qt::Key_Up);
    QCOMPARE(f->ComboBox1->currentIndex(), 1);
    // A width confirmed with Enter leaves the focus in the width edit.
    Type(f->Edit1, "5");
    QCOMPARE(f->Model().AverageWidth, 5);
    QCOMPARE(QApplication::focusWidget(), f->Edit1);
  }

  void keysThatDoNotTypeLeaveTheEditsColour() {
    auto p = IndexPicture();
    auto f = MakeForm(p.get());
    f->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.get()));
    f->Edit1->setFocus();
    for (Qt::Key key : {Qt::Key_Shift, Qt::Key_Left, Qt::Key_End, Qt::Key_Control}) {
      QTest::keyClick(f->Edit1, key);
      QCOMPARE(f->Edit1State(), TEditState::White);
    }
    QTest::keyClick(f->Edit1, Qt::Key_A, Qt::ControlModifier);  // select all
    QCOMPARE(f->Edit1State(), TEditState::White);
    QTest::keyClick(f->Edit1, Qt::Key_A, Qt::AltModifier);  // a menu key
    QCOMPARE(f->Edit1State(), TEditState::White);
    QTest::keyClick(f->Edit1, Qt::Key_Tab);  // on to the number edit, both still white
    QCOMPARE(QApplication::focusWidget(), f->Edit2);
    QCOMPARE(f->Edit1State(), TEditState::White);
    QTest::keyClick(f->Edit2, Qt::Key_Backtab);
    QCOMPARE(f->Edit2State(), TEditState::White);
    QCOMPARE(f->Edit1->palette().color(QPalette::Base), QColor(255, 255, 255));
    // Typing, deleting and pasting mark the text as edited.
    QTest::keyClick(f->Edit1, Qt::Key_7);
    QCOMPARE(f->Edit1State(), TEditState::Silver);
    QCOMPARE(f->Edit1->palette().color(QPalette::Base), QColor(192, 192, 192));
    Type(f->Edit1, "1");
    QTest::keyClick(f->Edit1, Qt::Key_Backspace);
    QCOMPARE(f->Edit1State(), TEditState::Silver);
    Type(f->Edit1, "1");
    QTest::keyClick(f->Edit1, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(f->Edit1State(), TEditState::Silver);
  }

  void settingsAreWrittenWhenTheWindowGoes() {
    auto p = IndexPicture();
    {
      auto f = MakeForm(p.get());
      f->ComboBox1->setCurrentIndex(1);
      f->Edit1->setText("0");  // typed, not confirmed: kept as typed
      f->Edit2->setText("17");
    }
    QCOMPARE(ini_->ReadInteger("AnaLine", "Dir", -1), 1);
    QCOMPARE(ini_->ReadString("AnaLine", "Width", ""), std::string("0"));
    QCOMPARE(ini_->ReadString("AnaLine", "Number", ""), std::string("17"));
    QCOMPARE(ini_->ReadInteger("AnaLine", "AnyPoint2X", -1), 10);
    // Read back: a width of 0 starts as 1.
    auto f = MakeForm(p.get());
    QCOMPARE(f->Edit1->text(), QString("1"));
  }

  void layoutKeepsTheGraphAndItsLabelsInside() {
    auto p = IndexPicture();
    auto f = MakeForm(p.get());
    for (QSize size : {QSize(640, 520), QSize(1200, 950), QSize(1500, 600)}) {
      f->resize(size);
      QApplication::processEvents();
      const QRect client = f->Form->rect();
      for (QWidget* w : std::initializer_list<QWidget*>{f->Image1, f->Image2, f->Label1, f->Label5,
                                                        f->Label6, f->Label7, f->Label9})
        QVERIFY2(client.contains(w->geometry()),
                 qPrintable(w->objectName() +
                            QString(" at %1x%2").arg(size.width()).arg(size.height())));
      QCOMPARE(f->Image1->width(), f->Image1->Picture().width());  // the copy follows the size
    }
    // A large font makes the check box taller than the gap the rule leaves above the
    // graph: it moves up instead of running into the graph.
    QFont big = f->font();
    big.setPointSize(16);
    f->setFont(big);
    f->resize(900, 640);
    QApplication::processEvents();
    QVERIFY(f->CheckBox1->height() > 21);
    QVERIFY(f->CheckBox1->geometry().bottom() < f->Image2->geometry().top());
    QVERIFY(f->CheckBox1->geometry().top() > f->Image1->geometry().bottom());
  }

  void sameFileAsTheCommandLine() {
    CollectingHost host;
    OpenFile(Demo().toStdString(), host);
    QVERIFY(!host.docs.empty());
    TImageDoc& doc = *host.docs[0];
    doc.Render('.');
    struct Case {
      int dir;
      const char* width;
      const char* number;
      const char* choice;
    };
    int run = 0;
    for (const Case& c :
         {Case{0, "3", "17", "row:17:3"}, Case{1, "4", "200", "col:200:4"},
          Case{1, "5000", "100", "col:100:5000"}, Case{3, "30", "0", "radial:0:30"}}) {
      ++run;
      ini_->WriteInteger("AnaLine", "Dir", c.dir);
      ini_->WriteString("AnaLine", "Width", c.width);
      ini_->WriteString("AnaLine", "Number", c.number);
      auto f = MakeForm(doc.Picture.get());
      // Fresh names per case: the dialog would ask before overwriting a file.
      const QString viewer = dir_.filePath(QString("viewer%1.dat").arg(run));
      QVERIFY(f->SaveTo(viewer.toStdString()));
      const QString cli = dir_.filePath(QString("cli%1.dat").arg(run));
      QProcess run;
      run.start(TARNISK_CLI_PATH, {"process", Demo(), "--profile", c.choice, cli});
      QVERIFY(run.waitForFinished(60000));
      QCOMPARE(run.exitCode(), 0);
      const QByteArray a = ReadAll(viewer);
      QVERIFY(!a.isEmpty());
      QCOMPARE(ReadAll(cli), a);
    }
  }

  void menuCommandsOpenTheWindowsOnTheCurrentImage() {
    TMainForm main(&messages_, dir_.filePath("main.ini"));
    main.resize(1000, 700);
    main.show();
    main.Line1->trigger();  // no image window: nothing
    main.S3DItem->trigger();
    QCOMPARE(main.MdiArea()->subWindowList().size(), 0);
    TImageDoc& doc = main.NewImage("scan");
    doc.CreatePicture(40, 30);
    for (size_t i = 0; i < doc.Picture->ValueCount(); ++i) doc.Picture->Data()[i] = float(i % 7);
    main.ImageReady(doc);
    TMDIChild* image = main.CurrentImageWindow();
    QVERIFY(image);
    main.Line1->trigger();
    auto* line = qobject_cast<TAnaLineForm*>(main.MdiArea()->currentSubWindow());
    QVERIFY(line);
    QCOMPARE(line->windowTitle(), QString::fromStdString(doc.Caption));
    QVERIFY(line->isMaximized());
    QCOMPARE(line->Model().Picture, doc.Picture.get());
    main.S3DItem->trigger();  // on the current image window, though the line window is active
    auto* relief = qobject_cast<TS3DForm*>(main.MdiArea()->currentSubWindow());
    QVERIFY(relief);
    QCOMPARE(image->ToolWindows().size(), 2);
    // Both go with their image window.
    QPointer<QWidget> a(line), b(relief);
    image->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(a.isNull() && b.isNull());
  }

  // ---- the 3D view ----

  void reliefDrawsOnEnterAndKeepsTypedSettings() {
    auto p = IndexPicture(20, 12);
    {
      TS3DForm f(*ini_, messages_);
      f.resize(500, 400);
      f.show();
      f.SetPicture(p.get());
      QCOMPARE(f.Edit1->text(), QString("10"));
      QCOMPARE(f.Edit2->text(), QString("10"));
      QCOMPARE(f.Label1->text(), QString("Time"));
      f.Button1->click();
      TBitmap8 expected;
      QVERIFY(DrawRelief(*p, 10, 10, expected));
      QCOMPARE(f.Relief().Pixels, expected.Pixels);
      QVERIFY(f.Label1->text().endsWith("s"));
      Type(f.Edit1, "25");  // Enter redraws at once
      QCOMPARE(f.Relief().Height, 11 + 25 + 40);
      Type(f.Edit2, "x");  // not a number: drawn with 0, the edit shows it
      QCOMPARE(f.Edit2->text(), QString("0"));
      QCOMPARE(f.Relief().Width, 19 + 40);
      f.Edit1->setText("abc");  // typed, not drawn
    }
    QCOMPARE(ini_->ReadString("S3D", "zGain", ""), std::string("abc"));
    QCOMPARE(ini_->ReadString("S3D", "Shift", ""), std::string("0"));
  }

  void reliefOfAFlatOrSingleRowImage() {
    auto flat = std::make_unique<TVKMPicture>();
    flat->SetSize(5, 1);
    TBitmap8 out;
    flat->Render(out);
    TS3DForm f(*ini_, messages_);
    f.show();
    f.SetPicture(flat.get());
    f.Button1->click();
    QCOMPARE(f.Relief().Width, 10 + 4 + 40);
    QCOMPARE(f.Relief().Height, 0 + 10 + 40);
  }
};

QTEST_MAIN(TestAnaLine)
#include "tst_analine.moc"

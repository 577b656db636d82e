// The main window's file commands on real files: opening a native measurement,
// Save (always a bitmap), Save As (bitmap or native) and the ASCII export.
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "app/TMainForm.h"
#include "formats/AsciiExport.h"
#include "settings/IniFile.h"
#include "support/RecordingMessages.h"
#include "ui/AnswerModal.h"
#include "view/TMDIChild.h"

namespace {

const QString kDemo = QStringLiteral(TARNISK_SAMPLES_DIR "/demo/demo.txt");

// Chooses `file` with the filter at `filterIndex` (1-based) and accepts.
void Choose(QFileDialog* dlg, const QString& file, int filterIndex) {
  dlg->selectNameFilter(dlg->nameFilters().at(filterIndex - 1));
  // Typed in full, as a user would: the dialog may still be filling its list.
  dlg->findChild<QLineEdit*>("fileNameEdit")->setText(file);
  static_cast<QDialog*>(dlg)->accept();
}

QByteArray ReadFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class TestMainFormFiles : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  RecordingMessages msgs_;
  std::unique_ptr<TMainForm> form_;

  QString Path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

 private slots:
  void init() {
    QFile::remove(Path("tarnisk.ini"));
    msgs_.shown.clear();
    msgs_.asked.clear();
    msgs_.answers.clear();
    form_ = std::make_unique<TMainForm>(&msgs_, Path("tarnisk.ini"));
    form_->resize(900, 700);
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
  }
  void cleanup() { form_.reset(); }

  void nativeFileOpensOneRenderedWindowPerChannel() {
    form_->OpenFile(kDemo);
    QVERIFY(msgs_.shown.empty());
    const auto windows = form_->MdiArea()->subWindowList();
    QCOMPARE(windows.size(), 2);
    QCOMPARE(windows[0]->windowTitle(), QStringLiteral("demo_topo.int - Topography"));
    QCOMPARE(windows[1]->windowTitle(), QStringLiteral("demo_current.sin - Current"));
    auto* last = qobject_cast<TMDIChild*>(windows[1]);
    QCOMPARE(form_->CurrentImageWindow(), last);
    QCOMPARE(form_->MdiArea()->currentSubWindow(), windows[1]);
    QCOMPARE(last->Doc().ChannelCaption, std::string("Current"));
    QCOMPARE(last->Image1->pixmap().size(), QSize(256, 256));
    QVERIFY(!last->Image3->pixmap().isNull());
    QVERIFY(last->ScanInfoMemo->toPlainText().contains(QStringLiteral("XScanRange")));
    QVERIFY(form_->FileSaveAsItem->isEnabled());
  }

  void saveAsProposesTheChannelNameAndWritesANativeFileThatReadsBack() {
    form_->OpenFile(kDemo);
    TMDIChild* source = form_->CurrentImageWindow();
    QVERIFY(source);
    QString proposed, startFilter;
    AnswerModal<QFileDialog>([&](QFileDialog* dlg) {
      proposed = dlg->directory().filePath(dlg->findChild<QLineEdit*>("fileNameEdit")->text());
      startFilter = dlg->selectedNameFilter();
      Choose(dlg, Path("copy.txt"), 2);
    });
    form_->FileSaveAsItemClick();
    QCOMPARE(startFilter, QStringLiteral("Morvane (*.txt & *.sin) (*.txt)"));
    QCOMPARE(QFileInfo(proposed).fileName(), QStringLiteral("demo_current"));
    QCOMPARE(QFileInfo(proposed).absolutePath(), QFileInfo(kDemo).absolutePath());
    QVERIFY(QFile::exists(Path("copy.txt")));
    QVERIFY(QFile::exists(Path("copy.sin")));
    QVERIFY(msgs_.shown.empty());

    form_->OpenFile(Path("copy.txt"));
    TMDIChild* copy = form_->CurrentImageWindow();
    QVERIFY(copy && copy != source);
    QCOMPARE(copy->windowTitle(), QStringLiteral("copy.sin - Current"));
    const TVKMPicture& a = *source->Doc().Picture;
    const TVKMPicture& b = *copy->Doc().Picture;
    QCOMPARE(b.Columns, a.Columns);
    QCOMPARE(b.Rows, a.Rows);
    QVERIFY(std::equal(a.Data(), a.Data() + a.ValueCount(), b.Data()));
  }

  void saveAsWithTheBitmapFilterWritesTheRenderedImage() {
    form_->OpenFile(kDemo);
    TMDIChild* w = form_->CurrentImageWindow();
    AnswerModal<QFileDialog>([&](QFileDialog* dlg) { Choose(dlg, Path("view"), 1); });
    form_->FileSaveAsItemClick();
    QImage img(Path("view.bmp"));
    QCOMPARE(img.size(), QSize(256, 256));
    QCOMPARE(img.format(), QImage::Format_Indexed8);
    const TBitmap8& bmp = w->Doc().Image1;
    for (int y : {0, 100, 255})
      for (int x : {0, 17, 255}) QCOMPARE(img.pixelIndex(x, y), int(bmp.ScanLine(y)[x]));
    QCOMPARE(img.color(0),
             qRgb(bmp.Palette[0].peRed, bmp.Palette[0].peGreen, bmp.Palette[0].peBlue));
  }

  void saveWritesABitmapWhateverFilterIsChosen() {
    form_->OpenFile(kDemo);
    AnswerModal<QFileDialog>([&](QFileDialog* dlg) { Choose(dlg, Path("plain.bmp"), 3); });
    form_->FileSaveItemClick();
    QImage img(Path("plain.bmp"));
    QCOMPARE(img.size(), QSize(256, 256));
    QVERIFY(!QFile::exists(Path("plain.int")));
    QVERIFY(!QFile::exists(Path("plain.txt")));

    // With a native filter the name still says what the file is, so it opens again.
    struct Case {
      const char* typed;
      int filter;
      const char* written;
    };
    for (const Case& c : {Case{"scan", 2, "scan.bmp"}, Case{"other.txt", 3, "other.bmp"},
                          Case{"third.sin", 2, "third.bmp"}, Case{"Fourth.BMP", 2, "Fourth.BMP"}}) {
      AnswerModal<QFileDialog>([&](QFileDialog* dlg) { Choose(dlg, Path(c.typed), c.filter); });
      form_->FileSaveItemClick();
      QCOMPARE(QImage(Path(c.written)).size(), QSize(256, 256));
      if (QString(c.typed) != c.written) QVERIFY2(!QFile::exists(Path(c.typed)), c.typed);
      QVERIFY(!QFile::exists(Path(c.written) + ".txt"));
    }
    QVERIFY(msgs_.shown.empty());
    QVERIFY(msgs_.asked.empty());
  }

  void saveAsksBeforeReplacingABitmap() {
    form_->OpenFile(kDemo);
    QFile old(Path("kept.bmp"));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    msgs_.answers = {TModalResult::mrNo};
    AnswerModal<QFileDialog>([&](QFileDialog* dlg) { Choose(dlg, Path("kept"), 2); });
    form_->FileSaveItemClick();
    QCOMPARE(msgs_.asked, std::vector<std::string>{Path("kept.bmp").toStdString() +
                                                   " already exists.\nDo you want to replace it?"});
    QCOMPARE(QFileInfo(Path("kept.bmp")).size(), 3);
    msgs_.answers = {TModalResult::mrYes};
    AnswerModal<QFileDialog>([&](QFileDialog* dlg) { Choose(dlg, Path("kept.bmp"), 1); });
    form_->FileSaveItemClick();
    QCOMPARE(msgs_.asked.size(), size_t(2));
    QCOMPARE(QImage(Path("kept.bmp")).size(), QSize(256, 256));
  }

  void saveAsLeavesAnExistingParameterFileToTheWritersRefusal() {
    form_->OpenFile(kDemo);
    QFile old(Path("taken.txt"));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("keep");
    old.close();
    // Any box the file dialog would put up itself is recorded and answered.
    QStringList boxes;
    QTimer watch;
    watch.setInterval(10);
    connect(&watch, &QTimer::timeout, [&] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        boxes << box->text();
        box->button(QMessageBox::Yes) ? box->button(QMessageBox::Yes)->click() : box->accept();
      }
    });
    watch.start();
    AnswerModal<QFileDialog>([&](QFileDialog* dlg) { Choose(dlg, Path("taken.txt"), 2); });
    form_->FileSaveAsItemClick();
    watch.stop();
    QCOMPARE(boxes, QStringList());
    QCOMPARE(msgs_.Texts(), std::vector<std::string>{"File exists! Abort!"});
    QVERIFY(msgs_.asked.empty());
    QCOMPARE(ReadFile(Path("taken.txt")), QByteArray("keep"));
  }

  void cancelledSaveWritesNothing() {
    form_->OpenFile(kDemo);
    const QStringList before = QDir(dir_.path()).entryList(QDir::Files);
    AnswerModal<QFileDialog>([&](QFileDialog* dlg) {
      dlg->selectFile(Path("never"));
      dlg->reject();
    });
    form_->FileSaveAsItemClick();
    QCOMPARE(QDir(dir_.path()).entryList(QDir::Files), before);
  }

  void exportWritesTheTableAndRemembersItsFolder() {
    form_->OpenFile(kDemo);
    TMDIChild* w = form_->CurrentImageWindow();
    QDir(dir_.path()).mkdir(QStringLiteral("out"));
    QStringList filters;
    AnswerModal<QFileDialog>([&](QFileDialog* dlg) {
      filters = dlg->nameFilters();
      Choose(dlg, Path("out/table"), 1);
    });
    form_->FileExportItemClick();
    QCOMPARE(filters, QStringList({"ASCII (*.dat)"}));
    QFile f(Path("out/table.dat"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray written = f.readAll();
    QCOMPARE(written.toStdString(), AsciiExportText(*w->Doc().Picture, '.'));
    QCOMPARE(written.count("\r\n"), 256);
    TIniFile disk(Path("tarnisk.ini").toStdString());
    QCOMPARE(QString::fromStdString(disk.ReadString("File", "ExportPath", "")), Path("out") + '/');

    // The next export starts there.
    QString startDir;
    AnswerModal<QFileDialog>([&](QFileDialog* dlg) {
      startDir = dlg->directory().absolutePath();
      dlg->reject();
    });
    form_->FileExportItemClick();
    QCOMPARE(startDir, Path("out"));
  }

  void fileCommandsWithoutACurrentImageDoNothing() {
    form_->FileSaveAsItemClick();
    form_->FileExportItemClick();
    form_->FileSaveItemClick();
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QVERIFY(msgs_.shown.empty());
  }
};

QTEST_MAIN(TestMainFormFiles)
#include "tst_mainform_files.moc"

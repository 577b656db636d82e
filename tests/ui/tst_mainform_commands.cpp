// The main window's commands on the current image window: Duplicate, Invers,
// Roughness, Rename, Refresh and the drag source of the arithmetic window.
#include <QClipboard>
#include <QColorDialog>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QtTest>

#include "app/TMainForm.h"
#include "app/TRenameForm.h"
#include "process/ui/TArithForm.h"
#include "settings/IniFile.h"
#include "support/RecordingMessages.h"
#include "ui/AnswerModal.h"
#include "view/TMDIChild.h"

class TestMainFormCommands : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  RecordingMessages msgs_;
  std::unique_ptr<TMainForm> form_;

  // A 3 x 2 picture with the values 1..6 and a recoloured entry 0.
  TMDIChild* AddImage(const std::string& name) {
    TImageDoc& doc = form_->NewImage(name);
    doc.CreatePicture(3, 2);
    for (int i = 0; i < 6; ++i) doc.Picture->Data()[i] = static_cast<float>(i + 1);
    doc.Picture->ScanPara.XScanRange = 7;
    doc.Picture->ScanPara.PhysUnit = "nm";
    doc.Picture->ColourTable.palPalEntry[0] = {1, 2, 3, 0};
    doc.InfoText = {"line one", "line two"};
    form_->ImageReady(doc);
    return form_->ImageWindows[static_cast<size_t>(doc.Index)].data();
  }

 private slots:
  void init() {
    msgs_.shown.clear();
    form_ = std::make_unique<TMainForm>(&msgs_, dir_.filePath("tarnisk.ini"));
    form_->resize(900, 700);
    form_->show();
  }
  void cleanup() { form_.reset(); }

  void duplicateCopiesValuesAndTextButNotColours() {
    TMDIChild* old = AddImage("scan1.int");
    old->setWindowTitle("scan1.int - Topography");
    form_->Duplicate1Click();
    TMDIChild* copy = form_->CurrentImageWindow();
    QVERIFY(copy && copy != old);
    QCOMPARE(copy->windowTitle(), QStringLiteral("scan1.int - Topography"));
    QCOMPARE(copy->Doc().ChannelName, std::string("scan1.int"));
    const TVKMPicture& a = *old->Doc().Picture;
    const TVKMPicture& b = *copy->Doc().Picture;
    QCOMPARE(b.Columns, 3);
    QCOMPARE(b.Rows, 2);
    QVERIFY(std::equal(a.Data(), a.Data() + 6, b.Data()));
    QCOMPARE(b.ScanPara.XScanRange, 7.0f);
    QCOMPARE(copy->Doc().InfoText, old->Doc().InfoText);
    QVERIFY(copy->Doc().ChannelCaption.empty());
    QVERIFY(!(b.ColourTable.palPalEntry[0] == a.ColourTable.palPalEntry[0]));
    QCOMPARE(form_->ActiveIndex, copy->Index());
  }

  void duplicateBeyondTheLimitSaysSoTwiceAndMakesNothing() {
    for (int i = 0; i < 16; ++i) AddImage("w");
    form_->Duplicate1Click();
    QCOMPARE(msgs_.Texts(), std::vector<std::string>({"Too many Data!", "Too many data!"}));
    QCOMPARE(form_->ChildCount(), 16);
  }

  void inversNegatesTheCurrentImageAndRerenders() {
    TMDIChild* w = AddImage("a");
    QCOMPARE(w->Doc().MaxText, std::string("6.000"));
    form_->Invers1Click();
    const float* d = w->Doc().Picture->Data();
    for (int i = 0; i < 6; ++i) QCOMPARE(d[i], -static_cast<float>(i + 1));
    QCOMPARE(w->Doc().MaxText, std::string("-1.000"));
    QCOMPARE(w->Doc().MinText, std::string("-6.000"));
  }

  void roughnessShowsMeanAndDeviation() {
    form_->Roughness1Click();  // no image: nothing
    QVERIFY(msgs_.shown.empty());
    AddImage("a");
    form_->Roughness1Click();
    QCOMPARE(msgs_.shown.size(), size_t(1));
    QVERIFY(msgs_.shown[0].text.rfind("Mean = 3.5\rStD  = ", 0) == 0);
  }

  void renameChangesOnlyTheTitle() {
    TMDIChild* w = AddImage("/data/scan.bmp");
    form_->Rename1Click();
    TRenameForm* dlg = form_->RenameForm();
    QVERIFY(dlg->isVisible());
    QCOMPARE(dlg->Edit1->text(), QStringLiteral("/data/scan.bmp"));
    dlg->Edit1->setText("renamed");
    dlg->BitBtn1->click();
    QCOMPARE(w->windowTitle(), QStringLiteral("renamed"));
    QCOMPARE(w->Doc().ChannelName, std::string("/data/scan.bmp"));
    QVERIFY(!dlg->isVisible());
  }

  void renamedCaptionIsWhatOtherWindowsShow() {
    TMDIChild* w = AddImage("scan.int");
    form_->Rename1Click();
    form_->RenameForm()->Edit1->setText("renamed");
    QTest::keyClick(form_->RenameForm()->Edit1, Qt::Key_Return);
    QCOMPARE(w->windowTitle(), QStringLiteral("renamed"));
    // The arithmetic window labels an operand with its window's caption.
    TArithForm* arith = form_->ArithForm();
    arith->SetOperand(1, w->Index());
    QCOMPARE(arith->Label2->text(), QStringLiteral("renamed"));
    // A duplicate takes the caption over, for its title and for what others show.
    form_->Duplicate1Click();
    TMDIChild* copy = form_->CurrentImageWindow();
    QVERIFY(copy && copy != w);
    QCOMPARE(copy->windowTitle(), QStringLiteral("renamed"));
    arith->SetOperand(2, copy->Index());
    QCOMPARE(arith->Label3->text(), QStringLiteral("renamed"));
    QCOMPARE(copy->Doc().ChannelName, std::string("scan.int"));
  }

  void theArithmeticWindowFirstOpensOverTheWindowAreaNotTheMenus() {
    // Inside the test platform's 800 x 600 screen.
    form_->move(10, 10);
    form_->resize(780, 560);
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    form_->ArithmeticItemClick();
    TArithForm* arith = form_->ArithForm();
    QVERIFY(arith->isVisible());
    QMdiArea* area = form_->MdiArea();
    const QRect areaOnScreen(area->viewport()->mapToGlobal(QPoint(0, 0)), area->viewport()->size());
    QVERIFY(areaOnScreen.contains(arith->frameGeometry().topLeft()));
    const QRect menus(
        form_->mapToGlobal(QPoint(0, 0)),
        QSize(form_->width(), areaOnScreen.top() - form_->mapToGlobal(QPoint(0, 0)).y()));
    QVERIFY(!arith->frameGeometry().intersects(menus));
    // Moved by the user, it opens there again.
    arith->hide();
    arith->move(arith->x() + 40, arith->y() + 30);
    const QPoint moved = arith->pos();
    form_->ArithmeticItemClick();
    QCOMPARE(arith->pos(), moved);
    arith->hide();
  }

  void refreshRendersTheCurrentWindowAgain() {
    TMDIChild* w = AddImage("a");
    w->Doc().Picture->Data()[0] = -10;
    form_->RefreshItemClick();
    QCOMPARE(w->Doc().MinText, std::string("-10.000"));
  }

  void fontGoesToTheSettingsTheFrameAndTheCurrentWindowOnly() {
    TMDIChild* other = AddImage("a");
    TMDIChild* current = AddImage("b");
    const QFont before = other->font();
    QFont wanted(QStringLiteral("DejaVu Serif"), 15);
    AnswerModal<QFontDialog>([wanted](QFontDialog* dlg) {
      dlg->setCurrentFont(wanted);
      dlg->accept();
    });
    // The colour dialog that follows is cancelled: the colour in use stays.
    QColor offered;
    AnswerModal<QColorDialog>([&](QColorDialog* dlg) {
      offered = dlg->currentColor();
      dlg->reject();
    });
    form_->FontItemClick();
    TIniFile disk(dir_.filePath("tarnisk.ini").toStdString());
    QCOMPARE(disk.ReadString("Font", "Name", ""), std::string("DejaVu Serif"));
    QCOMPARE(disk.ReadInteger("Font", "Size", 0), 15);
    QCOMPARE(offered, QColor(Qt::black));
    QCOMPARE(disk.ReadInteger("Font", "Color", -1), 0);
    QCOMPARE(form_->font().pointSize(), 15);
    QCOMPARE(current->font().pointSize(), 15);
    QCOMPARE(other->font(), before);
    QCOMPARE(AddImage("c")->font().pointSize(), 15);
  }

  void fontCommandChoosesTheColourTooAndStoresIt() {
    TMDIChild* other = AddImage("a");
    TMDIChild* current = AddImage("b");
    AnswerModal<QFontDialog>([](QFontDialog* dlg) { dlg->accept(); });
    AnswerModal<QColorDialog>([](QColorDialog* dlg) {
      dlg->setCurrentColor(QColor(0, 128, 255));
      dlg->accept();
    });
    form_->FontItemClick();
    // Stored with red in the low byte.
    TIniFile disk(dir_.filePath("tarnisk.ini").toStdString());
    QCOMPARE(disk.ReadInteger("Font", "Color", -1), 0xFF8000);
    QCOMPARE(current->FontColor(), QColor(0, 128, 255));
    QCOMPARE(other->FontColor(), QColor(Qt::black));
    QCOMPARE(AddImage("c")->FontColor(), QColor(0, 128, 255));
    // The next time the colour dialog starts on it.
    QColor offered;
    AnswerModal<QFontDialog>([](QFontDialog* dlg) { dlg->accept(); });
    AnswerModal<QColorDialog>([&](QColorDialog* dlg) {
      offered = dlg->currentColor();
      dlg->reject();
    });
    form_->FontItemClick();
    QCOMPARE(offered, QColor(0, 128, 255));
  }

  void copyPutsTheComposedViewOnTheClipboard() {
    TMDIChild* w = AddImage("a");
    QGuiApplication::clipboard()->clear();
    form_->CopyItemClick();
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    QVERIFY(mime);
    QVERIFY(mime->data("image/svg+xml").contains("<svg"));
    const QImage img = qvariant_cast<QImage>(mime->imageData());
    QCOMPARE(img.size(), w->ClientSize());
  }

  void clipboardSvgDrawsWhatThePngShows() {
    TMDIChild* w = AddImage("a");
    w->zscalingItem->trigger();  // colour bar and labels too
    QGuiApplication::clipboard()->clear();
    form_->CopyItemClick();
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    QVERIFY(mime);
    const QImage png =
        qvariant_cast<QImage>(mime->imageData()).convertToFormat(QImage::Format_RGB32);
    QSvgRenderer svg(mime->data("image/svg+xml"));
    QVERIFY(svg.isValid());
    QCOMPARE(svg.viewBox(), QRect(QPoint(0, 0), png.size()));
    QImage drawn(png.size(), QImage::Format_RGB32);
    drawn.fill(Qt::red);  // shows through wherever the drawing leaves its box empty
    {
      QPainter p(&drawn);
      svg.render(&p, QRectF(QPointF(0, 0), QSizeF(png.size())));
    }
    // Both show the same pixels, up to the smoothing of text and edges: the renderer draws
    // one-pixel frames on pixel borders smoothed over two pixels, about 1 % of this view.
    // Drawn at any other size than its box (three quarters, say), most pixels differ.
    int differing = 0;
    for (int y = 0; y < png.height(); ++y)
      for (int x = 0; x < png.width(); ++x) {
        const QColor a = png.pixelColor(x, y), b = drawn.pixelColor(x, y);
        if (std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                std::abs(a.blue() - b.blue()) >
            60)
          ++differing;
      }
    QVERIFY2(differing < png.width() * png.height() * 3 / 100,
             qPrintable(
                 QString("%1 of %2 pixels differ").arg(differing).arg(png.width() * png.height())));
  }

  void onlyAnImageViewIsADragSource() {
    TMDIChild* a = AddImage("a");
    TMDIChild* b = AddImage("b");
    QCOMPARE(form_->SlotOfDragSource(a->Image3), a->Index());
    QCOMPARE(form_->SlotOfDragSource(b->Image3), b->Index());
    QCOMPARE(form_->SlotOfDragSource(a->ScanInfoMemo), 0);
    QCOMPARE(form_->SlotOfDragSource(form_.get()), 0);
    QCOMPARE(form_->SlotOfDragSource(nullptr), 0);
    QCOMPARE(form_->DocInSlot(a->Index()), &a->Doc());
    QVERIFY(form_->DocInSlot(0) == nullptr);
    QVERIFY(form_->DocInSlot(17) == nullptr);
  }
};

QTEST_MAIN(TestMainFormCommands)
#include "tst_mainform_commands.moc"

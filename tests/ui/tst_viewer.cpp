// The viewer as a user meets it: window sizes and Cascade, the scrolling window
// area and where new windows go, the first start, texts that fit at two font sizes,
// the keyboard, unsmoothed thumbnails and long titles.
#include <QAbstractScrollArea>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyleOptionTitleBar>
#include <QTemporaryDir>
#include <QToolTip>
#include <QtTest>
#include <set>

#include "app/TAboutBox.h"
#include "app/TMainForm.h"
#include "app/WindowArrangement.h"
#include "process/ui/TArithForm.h"
#include "qtgui/ViewPainter.h"
#include "support/RecordingMessages.h"
#include "ui/AnswerModal.h"
#include "view/TMDIChild.h"
#include "view/TitleBarStyle.h"

namespace {

const QString kDemo = QStringLiteral(TARNISK_SAMPLES_DIR "/demo/demo.txt");

// The letter after the single "&" of a caption, lower case; 0 without one.
QChar AccessKey(const QString& caption) {
  for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != QLatin1Char('&')) continue;
    if (caption[i + 1] == QLatin1Char('&')) {
      ++i;
      continue;
    }
    return caption[i + 1].toLower();
  }
  return QChar();
}

// Every visible item of the menu has an access key, and no two share one.
void CheckAccessKeys(const QList<QAction*>& actions, const QString& where) {
  std::set<QChar> seen;
  for (QAction* a : actions) {
    if (a->isSeparator() || !a->isVisible()) continue;
    const QChar key = AccessKey(a->text());
    QVERIFY2(!key.isNull(), qPrintable(where + ": no access key in " + a->text()));
    QVERIFY2(seen.insert(key).second,
             qPrintable(where + ": access key of " + a->text() + " is used twice"));
  }
}

}  // namespace

class TestViewer : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  RecordingMessages msgs_;
  std::unique_ptr<TMainForm> form_;

  TMDIChild* AddImage(const std::string& name, int columns, int rows) {
    TImageDoc& doc = form_->NewImage(name);
    doc.CreatePicture(columns, rows);
    for (size_t i = 0; i < doc.Picture->ValueCount(); ++i)
      doc.Picture->Data()[i] = static_cast<float>(i % 7);
    doc.Picture->ScanPara.PhysUnit = "nm";
    form_->ImageReady(doc);
    return form_->ImageWindows[static_cast<size_t>(doc.Index)].data();
  }

  QRect Viewport() const { return form_->MdiArea()->viewport()->rect(); }

 private slots:
  void init() {
    msgs_.shown.clear();
    form_ = std::make_unique<TMainForm>(&msgs_, dir_.filePath("tarnisk.ini"));
    form_->resize(1000, 760);
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
  }
  void cleanup() {
    form_.reset();
    QFile::remove(dir_.filePath("tarnisk.ini"));
  }

  void cascadeGivesEveryWindowItsNaturalSizeWithinTheArea() {
    form_->resize(800, 560);
    QTRY_VERIFY(Viewport().height() < 514);
    form_->OpenFile(kDemo);  // two 256 x 256 images
    AddImage("small", 3, 2);
    AddImage("large", 514, 514);
    form_->WindowCascadeItemClick();
    const QList<QMdiSubWindow*> windows = form_->MdiArea()->subWindowList();
    QCOMPARE(windows.size(), 4);
    int previousY = -1;
    for (QMdiSubWindow* w : windows) {
      auto* child = qobject_cast<TMDIChild*>(w);
      QVERIFY(child);
      const QSize client = child->ClientSize();
      // Never a sliver: at least the 100 x 100 minimum, with room for the title bar.
      QVERIFY2(client.width() >= 100 && client.height() >= 100,
               qPrintable(w->windowTitle() +
                          QString(" %1x%2").arg(client.width()).arg(client.height())));
      QVERIFY(w->width() >= w->minimumSizeHint().width());
      QVERIFY(Viewport().contains(w->geometry()));
      QVERIFY(w->y() > previousY);  // each one lower than the one before
      previousY = w->y();
    }
    // Natural sizes: one pixel per value where the area has room, the minimum for
    // a tiny picture, the rest of the area for one that is too large.
    QCOMPARE(qobject_cast<TMDIChild*>(windows[0])->ClientSize(), QSize(256, 256));
    QCOMPARE(qobject_cast<TMDIChild*>(windows[1])->ClientSize(), QSize(256, 256));
    QCOMPARE(qobject_cast<TMDIChild*>(windows[2])->ClientSize(), QSize(100, 100));
    const QSize large = qobject_cast<TMDIChild*>(windows[3])->ClientSize();
    QVERIFY(large.width() < 514 && large.width() == large.height());
    QVERIFY(windows[3]->geometry().bottom() >= Viewport().bottom() - 1);
  }

  void tileSetsWindowsSideBySideAndManyInRows() {
    TMDIChild* a = AddImage("a", 64, 64);
    TMDIChild* b = AddImage("b", 64, 64);
    form_->WindowTileItemClick();
    // Two: two columns of the full height (each then fitted square).
    QCOMPARE(a->x(), 0);
    QCOMPARE(b->x(), Viewport().width() / 2);
    QCOMPARE(a->y(), 0);
    QCOMPARE(b->y(), 0);

    for (int i = 0; i < 12; ++i) AddImage(QString("w%1").arg(i).toStdString(), 64, 64);
    form_->WindowTileItemClick();
    const QList<QMdiSubWindow*> windows = form_->MdiArea()->subWindowList();
    QCOMPARE(windows.size(), 14);
    for (int i = 0; i < windows.size(); ++i) {
      QVERIFY(windows[i]->width() >= windows[i]->minimumWidth());
      QVERIFY(windows[i]->geometry().right() <= Viewport().right());
      for (int j = i + 1; j < windows.size(); ++j)
        QVERIFY2(!windows[i]->geometry().intersects(windows[j]->geometry()),
                 qPrintable(windows[i]->windowTitle() + " / " + windows[j]->windowTitle()));
    }
    QVERIFY(windows.last()->y() > 0);  // a second row
  }

  void aWindowCannotBeMadeSmallerThanItsMinimum() {
    TMDIChild* w = AddImage("scan", 256, 256);
    w->setGeometry(10, 10, 7, 25);  // what dragging a corner far inwards asks for
    QVERIFY(w->ClientSize().width() >= 100);
    QVERIFY(w->ClientSize().height() >= 100);
    QVERIFY(w->width() >= w->minimumSizeHint().width());
    // With the colour bar the minimum is 150 x 100.
    w->zscalingItem->trigger();
    w->setGeometry(10, 10, 7, 25);
    QVERIFY(w->ClientSize().width() >= 150);
    QVERIFY(w->ClientSize().height() >= 100);
  }

  void theAreaScrollsAndNewWindowsAppearInsideItsVisiblePart() {
    const QAbstractScrollArea* area = form_->MdiArea();
    QCOMPARE(area->horizontalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    QCOMPARE(area->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    TMDIChild* far = AddImage("far", 256, 256);
    far->move(Viewport().width() + 200, Viewport().height() + 100);
    QTRY_VERIFY(form_->MdiArea()->verticalScrollBar()->maximum() > 0);
    QTRY_VERIFY(form_->MdiArea()->horizontalScrollBar()->maximum() > 0);

    // A small main window: every new window still lies within the visible part.
    form_->resize(520, 420);
    QTRY_VERIFY(Viewport().height() < 400);
    for (int i = 0; i < 5; ++i) {
      TMDIChild* w = AddImage("w" + QString::number(i).toStdString(), 300, 300);
      QVERIFY2(Viewport().contains(w->geometry()), qPrintable(w->windowTitle()));
    }
    // The result of the arithmetic window too.
    TArithForm* arith = form_->ArithForm();
    arith->SetOperand(1, form_->CurrentImageWindow()->Index());
    arith->SetOperand(2, form_->CurrentImageWindow()->Index());
    arith->Compute();
    arith->Button1Click();
    TMDIChild* calculus = form_->CurrentImageWindow();
    QCOMPARE(calculus->windowTitle(), QStringLiteral("Calculus"));
    QVERIFY(Viewport().contains(calculus->geometry()));
  }

  void theFirstStartTakesFourFifthsOfTheScreenCentred() {
    QCOMPARE(FirstStartGeometry(QRect(0, 0, 1600, 1000)), QRect(160, 100, 1280, 800));
    QCOMPARE(FirstStartGeometry(QRect(1920, 30, 1366, 738)), QRect(2057, 104, 1092, 590));
  }

  void colourBarLabelsKeepTheirUnitsAtALargeFont() {
    TImageDoc doc;
    doc.CreatePicture(2, 2);
    float* v = doc.Picture->Data();
    v[0] = -102.8546f;
    v[1] = 0;
    v[2] = 3;
    v[3] = 50.5997f;
    doc.Picture->ScanPara.PhysUnit = "nm";
    doc.Render('.');
    TViewOptions options;
    options.ZScale = true;
    options.FontColor = QColor(255, 0, 0);
    for (int points : {8, 16}) {
      QFont font(QStringLiteral("DejaVu Sans"));
      font.setPointSize(points);
      const QImage view = ComposedViewImage(doc, options, 390, 260, font, '.');
      // The labels are the only red: their extent must be that of the whole text.
      int right = -1;
      for (int y = 0; y < view.height(); ++y)
        for (int x = 0; x < view.width(); ++x)
          if (view.pixelColor(x, y) == QColor(255, 0, 0)) right = std::max(right, x);
      QVERIFY(right >= 0);
      QVERIFY2(right < view.width() - 1, qPrintable(QString::number(points)));
      // The upper label reads "50.60 nm": its whole width fits between its start
      // and the right edge.
      const QFontMetrics fm(font, &view);
      const int width = fm.horizontalAdvance(QString::fromStdString(doc.MaxText + " nm"));
      QVERIFY2(width <= view.width(), qPrintable(QString::number(points)));
    }
  }

  void theStatusBarGrowsWithTheFont() {
    QFont big = form_->font();
    big.setPointSize(16);
    form_->setFont(big);
    form_->statusBar()->showMessage("Copy to clipboard");
    QTRY_VERIFY(form_->statusBar()->height() >= QFontMetrics(big).height());
    QFont small = big;
    small.setPointSize(8);
    form_->setFont(small);
    QTRY_VERIFY(form_->statusBar()->height() >= 19);
  }

  void theAboutBoxShowsItsWholeTextAtTwoFontSizes() {
    const QFont original = QApplication::font();
    for (int points : {9, 16}) {
      QFont f = original;
      f.setPointSize(points);
      QApplication::setFont(f);
      TAboutBox box;
      box.show();
      QVERIFY(QTest::qWaitForWindowExposed(&box));
      QVERIFY(box.width() >= 238 && box.height() >= 185);
      for (QLabel* l : box.findChildren<QLabel*>()) {
        if (l->text().isEmpty()) continue;
        QVERIFY2(l->width() >= l->sizeHint().width() && l->height() >= l->sizeHint().height(),
                 qPrintable(l->text() + QString(" at %1 pt").arg(points)));
        QVERIFY(box.rect().contains(l->geometry()));
      }
      QVERIFY(box.rect().contains(box.OKbtn->geometry()));
    }
    QApplication::setFont(original);
  }

  void arithmeticResultLabelsShowDigitsAndUnitBesideUse() {
    const QFont original = QApplication::font();
    for (int points : {9, 16}) {
      QFont f = original;
      f.setPointSize(points);
      QApplication::setFont(f);
      TMainForm form(&msgs_, dir_.filePath("arith.ini"));
      form.show();
      for (const float base : {-102.8546f, 50.5997f}) {
        TImageDoc& doc = form.NewImage("x");
        doc.CreatePicture(2, 1);
        doc.Picture->Data()[0] = base;
        doc.Picture->Data()[1] = base / 2;
        doc.Picture->ScanPara.PhysUnit = "nm";
        form.ImageReady(doc);
      }
      TArithForm* arith = form.ArithForm();
      arith->setFont(f);
      arith->SetOperand(1, 1);
      arith->SetOperand(2, 2);
      arith->Edit1KeyPress('-');
      arith->Compute();
      arith->show();
      for (QLabel* l : {arith->Label4, arith->Label5, arith->Label6, arith->Label7, arith->Label8,
                        arith->Label9}) {
        const QString where = l->objectName() + " " + l->text() + QString(" at %1 pt").arg(points);
        QVERIFY2(l->width() >= QFontMetrics(l->font()).horizontalAdvance(l->text()),
                 qPrintable(where));
        QVERIFY2(l->height() >= QFontMetrics(l->font()).height(), qPrintable(where));
        QVERIFY2(arith->rect().contains(l->geometry()), qPrintable(where));
      }
      QVERIFY(arith->Label8->text().endsWith(QLatin1String(" nm")));
      QVERIFY(arith->Label8->geometry().right() < arith->Button1->x());
      QVERIFY(arith->Label9->geometry().right() < arith->Button1->x());
      QVERIFY(arith->Label4->geometry().bottom() < arith->Label5->y());
      QVERIFY(arith->rect().contains(arith->Button1->geometry()));
      arith->hide();
    }
    QApplication::setFont(original);
  }

  void longOperandCaptionsShowTheirEnd() {
    const std::string title =
        "/work/shared/samples/real/omicron/stm-images_20ML_m3/m3_ori.tf0 :Z channel";
    TMDIChild* a = AddImage(title, 4, 4);
    TMDIChild* b = AddImage("b", 4, 4);
    TArithForm* arith = form_->ArithForm();
    arith->SetOperand(1, a->Index());
    arith->SetOperand(2, b->Index());
    const QString shown = arith->Label2->text();
    QVERIFY2(
        shown.endsWith(QLatin1String(":Z channel")) && shown.startsWith(QLatin1String("/work")),
        qPrintable(shown));
    QVERIFY(arith->Label2->width() <= 232);
    QCOMPARE(arith->Label2->toolTip(), QString::fromStdString(title));
    QCOMPARE(arith->Label3->text(), QStringLiteral("b"));
    QVERIFY(arith->Label3->toolTip().isEmpty());
  }

  void everyMenuHasUniqueAccessKeys() {
    AddImage("scan", 8, 8);
    CheckAccessKeys(form_->menuBar()->actions(), "menu bar");
    for (QAction* m : form_->menuBar()->actions()) CheckAccessKeys(m->menu()->actions(), m->text());
    TMDIChild* child = form_->CurrentImageWindow();
    child->zscalingItem->trigger();  // the label items show
    CheckAccessKeys(child->PopupMenu1->actions(), "image window menu");
  }

  void standardKeysRunTheirCommands() {
    // Shown in the menus.
    QCOMPARE(form_->FileOpenItem->shortcut(), QKeySequence(QKeySequence::Open));
    std::set<QString> keys;
    for (QAction* a :
         {form_->FileOpenItem, form_->FileSaveItem, form_->FileSaveAsItem, form_->Print1,
          form_->CopyItem, form_->FileCloseItem, form_->FileExitItem, form_->Refresh1}) {
      QVERIFY2(!a->shortcut().isEmpty(), qPrintable(a->objectName()));
      QVERIFY2(keys.insert(a->shortcut().toString()).second, qPrintable(a->objectName()));
    }

    form_->OpenFile(kDemo);
    TMDIChild* current = form_->CurrentImageWindow();
    QVERIFY(current);
    current->setFocus();
    QApplication::setActiveWindow(form_.get());

    // Refresh: the image is rendered again.
    current->Doc().Picture->Data()[0] = 1000;
    QTest::keySequence(form_.get(), form_->Refresh1->shortcut());
    QCOMPARE(current->Doc().Picture->Max, 1000.0f);

    // Copy: the view goes to the clipboard.
    QGuiApplication::clipboard()->clear();
    QTest::keySequence(form_.get(), form_->CopyItem->shortcut());
    QTRY_VERIFY(QGuiApplication::clipboard()->mimeData()->hasFormat("image/svg+xml"));

    // Open: the open dialog comes up (and is cancelled).
    bool opened = false;
    AnswerModal<QFileDialog>([&](QFileDialog* d) {
      opened = true;
      d->reject();
    });
    QTest::keySequence(form_.get(), form_->FileOpenItem->shortcut());
    QTRY_VERIFY(opened);
    QApplication::setActiveWindow(form_.get());
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));

    // Save: the save dialog comes up.
    bool saving = false;
    AnswerModal<QFileDialog>([&](QFileDialog* d) {
      saving = d->objectName() == QLatin1String("SaveDialog");
      d->reject();
    });
    QTest::keySequence(form_.get(), form_->FileSaveItem->shortcut());
    QTRY_VERIFY(saving);
    QApplication::setActiveWindow(form_.get());
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));

    // Close: the active image window goes.
    const int before = form_->ChildCount();

    QTest::keySequence(form_.get(), form_->FileCloseItem->shortcut());
    QTRY_COMPARE(form_->ChildCount(), before - 1);

    // Quit: the main window closes.
    QTest::keySequence(form_.get(), form_->FileExitItem->shortcut());
    QTRY_VERIFY(!form_->isVisible());
  }

  void thumbnailsOfTheArithmeticWindowAreNotSmoothed() {
    TMDIChild* a = AddImage("a", 3, 2);
    TMDIChild* b = AddImage("b", 3, 2);
    TArithForm* arith = form_->ArithForm();
    arith->SetOperand(1, a->Index());
    arith->SetOperand(2, b->Index());
    arith->Edit1KeyPress('+');
    arith->Compute();
    const QImage source = a->RenderedImage().convertToFormat(QImage::Format_RGB32);
    std::set<QRgb> colours;
    for (int y = 0; y < source.height(); ++y)
      for (int x = 0; x < source.width(); ++x) colours.insert(source.pixel(x, y));
    QCOMPARE(colours.size(), size_t(6));

    const QImage shown = arith->Image1->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.size(), arith->Image1->contentsRect().size());
    // Each value is a block of its own colour: no colour in between, and the corner
    // blocks have the colours of the corner cells.
    std::set<QRgb> seen;
    for (int y = 0; y < shown.height(); ++y)
      for (int x = 0; x < shown.width(); ++x) seen.insert(shown.pixel(x, y));
    QCOMPARE(seen, colours);
    QCOMPARE(shown.pixel(0, 0), source.pixel(0, 0));
    QCOMPARE(shown.pixel(shown.width() - 1, shown.height() - 1), source.pixel(2, 1));

    // The result's thumbnail likewise shows only the colours of its six cells.
    const QImage result = arith->Image3->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
    std::set<QRgb> resultColours;
    for (int y = 0; y < result.height(); ++y)
      for (int x = 0; x < result.width(); ++x) resultColours.insert(result.pixel(x, y));
    QVERIFY(resultColours.size() <= 6);
  }

  void longTitlesShowTheirEndAndTheWholeTitleAsToolTip() {
    const QString title = QStringLiteral(
        "/work/shared/samples/real/omicron/stm-images_20ML_m3/m3_ori.tf0 :Z channel");
    TMDIChild* w = AddImage(title.toStdString(), 256, 256);
    QCOMPARE(w->windowTitle(), title);  // the title keeps the whole text
    w->resize(320, 300);
    w->grab();  // paints the title bar
    const QString shown = w->TitleStyle()->LastDrawnTitle();
    QVERIFY2(shown.endsWith(QLatin1String(":Z channel")), qPrintable(shown));
    QVERIFY2(shown.startsWith(QLatin1String("/work")), qPrintable(shown));
    QVERIFY(shown.contains(QChar(0x2026)));  // the ellipsis in the middle
    QVERIFY(shown.size() < title.size());

    // Short titles show whole.
    TMDIChild* s = AddImage("demo_topo.int - Topography", 256, 256);
    s->resize(500, 400);
    s->grab();
    QCOMPARE(s->TitleStyle()->LastDrawnTitle(), QStringLiteral("demo_topo.int - Topography"));

    // The tool tip over the cut title is the whole title.
    QStyleOptionTitleBar opt;
    opt.initFrom(w);
    opt.rect = QRect(0, 0, w->width(), w->contentsMargins().top());
    opt.subControls = QStyle::SC_All;
    opt.titleBarFlags = w->windowFlags();
    const QRect label =
        w->style()->subControlRect(QStyle::CC_TitleBar, &opt, QStyle::SC_TitleBarLabel, w);
    QHelpEvent help(QEvent::ToolTip, label.center(), w->mapToGlobal(label.center()));
    QApplication::sendEvent(w, &help);
    QTRY_COMPARE(QToolTip::text(), title);
    QToolTip::hideText();
    QTRY_VERIFY(!QToolTip::isVisible());
    // Over the image there is no such tip.
    QHelpEvent below(QEvent::ToolTip, QPoint(w->width() / 2, w->height() / 2),
                     w->mapToGlobal(QPoint(w->width() / 2, w->height() / 2)));
    QApplication::sendEvent(w, &below);
    QVERIFY(QToolTip::text() != title);
  }
};

QTEST_MAIN(TestViewer)
#include "tst_viewer.moc"

// The image window: popup menu, "Scale" settings, right-button rule, view switching,
// client fitting and the rendering entry points.
#include <QActionGroup>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>

#include "settings/IniFile.h"
#include "support/RecordingMessages.h"
#include "view/TMDIChild.h"

class TestMDIChild : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  QMdiArea* area_ = nullptr;
  RecordingMessages msgs_;

  QString IniPath() const { return dir_.filePath(QStringLiteral("tarnisk.ini")); }

  TMDIChild* NewChild(TIniFile* ini) {
    auto* child = new TMDIChild(ini, &msgs_, area_->font());
    area_->addSubWindow(child);
    child->show();
    return child;
  }

  // A 4 x 4 picture with values 0..15.
  static void FillPicture(TMDIChild* child) {
    child->CreatePicture(4, 4);
    float* d = child->Doc().Picture->Data();
    for (int i = 0; i < 16; ++i) d[i] = static_cast<float>(i);
  }

 private slots:
  void init() {
    QFile::remove(IniPath());
    area_ = new QMdiArea;
    area_->resize(1200, 900);
    area_->show();
    QVERIFY(QTest::qWaitForWindowExposed(area_));
  }
  void cleanup() {
    delete area_;
    area_ = nullptr;
  }

  void popupMenuHasItsItemsInOrder() {
    TIniFile ini(IniPath().toStdString());
    TMDIChild* c = NewChild(&ini);
    const QList<QAction*> items = c->PopupMenu1->actions();
    const QStringList expected = {"ImageItem|&Image",
                                  "ScanInfoItem|&Scan info",
                                  "-",
                                  "zscalingItem|&Z Scalling",
                                  "N0max1|  &0..max",
                                  "minmax1|  &min..max",
                                  "-",
                                  "XYScalingnoItem|XY Scaling &no",
                                  "XYScalingLabelItem|XY Scaling &Label",
                                  "XYScalingXYItem|XY Scaling &XY"};
    QStringList actual;
    for (QAction* a : items)
      actual << (a->isSeparator() ? QStringLiteral("-") : a->objectName() + '|' + a->text());
    QCOMPARE(actual, expected);

    // Radio groups: view, labels, XY scaling; the z scaling item toggles alone.
    QVERIFY(c->ImageItem->actionGroup() == c->ScanInfoItem->actionGroup());
    QVERIFY(c->N0max1->actionGroup() == c->minmax1->actionGroup());
    QVERIFY(c->XYScalingnoItem->actionGroup() == c->XYScalingLabelItem->actionGroup());
    QVERIFY(c->XYScalingnoItem->actionGroup() == c->XYScalingXYItem->actionGroup());
    QVERIFY(c->ImageItem->actionGroup() != c->N0max1->actionGroup());
    QVERIFY(c->zscalingItem->actionGroup() == nullptr);
    QVERIFY(c->zscalingItem->isCheckable());
  }

  void emptySettingsGiveTheDesignStateWithNoLabelItemTicked() {
    TIniFile ini(IniPath().toStdString());
    TMDIChild* c = NewChild(&ini);
    QVERIFY(c->ImageItem->isChecked());
    QVERIFY(!c->ScanInfoItem->isChecked());
    QVERIFY(!c->zscalingItem->isChecked());
    QVERIFY(!c->N0max1->isChecked());
    QVERIFY(!c->minmax1->isChecked());
    QVERIFY(!c->N0max1->isVisible());
    QVERIFY(!c->minmax1->isVisible());
    QVERIFY(c->XYScalingnoItem->isChecked());
    QVERIFY(!c->XYScalingLabelItem->isChecked());
    QVERIFY(!c->XYScalingXYItem->isVisible());
    QVERIFY(c->Image3->isVisible());
    QVERIFY(!c->ScanInfoMemo->isVisible());
    QVERIFY(!c->Image1->isVisible());
    QVERIFY(c->Doc().ChannelCaption.empty());
  }

  void settingsAreReadAtCreation() {
    TIniFile ini(IniPath().toStdString());
    ini.WriteBool("Scale", "zScaleOn", true);
    ini.WriteBool("Scale", "zScale0max", true);
    ini.WriteBool("Scale", "XYLabelOn", true);
    TMDIChild* c = NewChild(&ini);
    QVERIFY(c->zscalingItem->isChecked());
    QVERIFY(c->N0max1->isVisible());
    QVERIFY(c->minmax1->isVisible());
    QVERIFY(c->N0max1->isChecked());
    QVERIFY(!c->minmax1->isChecked());
    QVERIFY(c->XYScalingLabelItem->isChecked());
    QVERIFY(!c->XYScalingnoItem->isChecked());
  }

  void popupCommandsWriteScaleAndANewWindowTakesThem() {
    TIniFile ini(IniPath().toStdString());
    TMDIChild* c = NewChild(&ini);
    c->zscalingItem->trigger();
    QVERIFY(c->zscalingItem->isChecked());
    QVERIFY(c->N0max1->isVisible());
    c->N0max1->trigger();
    c->XYScalingLabelItem->trigger();
    QVERIFY(!c->XYScalingnoItem->isChecked());

    // Written to disk at once: a fresh reader of the file sees them.
    TIniFile disk(IniPath().toStdString());
    QCOMPARE(disk.ReadString("Scale", "zScaleOn", "?"), std::string("1"));
    QCOMPARE(disk.ReadString("Scale", "zScale0max", "?"), std::string("1"));
    QCOMPARE(disk.ReadString("Scale", "zScaleminmax", "?"), std::string("0"));
    QCOMPARE(disk.ReadString("Scale", "XYLabelOn", "?"), std::string("1"));

    TMDIChild* next = NewChild(&ini);
    QVERIFY(next->zscalingItem->isChecked());
    QVERIFY(next->N0max1->isChecked());
    QVERIFY(next->XYScalingLabelItem->isChecked());

    // The other label item, then "no" scaling, then the XY item that stores nothing.
    c->minmax1->trigger();
    QVERIFY(c->minmax1->isChecked());
    QVERIFY(!c->N0max1->isChecked());
    c->XYScalingnoItem->trigger();
    c->XYScalingXYItem->trigger();
    QVERIFY(c->XYScalingXYItem->isChecked());
    QVERIFY(!c->XYScalingnoItem->isChecked());
    disk.Reload();
    QCOMPARE(disk.ReadString("Scale", "zScale0max", "?"), std::string("0"));
    QCOMPARE(disk.ReadString("Scale", "zScaleminmax", "?"), std::string("1"));
    QCOMPARE(disk.ReadString("Scale", "XYLabelOn", "?"), std::string("0"));

    // Unticking z scaling hides the label items and stores the state.
    c->zscalingItem->trigger();
    QVERIFY(!c->N0max1->isVisible());
    disk.Reload();
    QCOMPARE(disk.ReadString("Scale", "zScaleOn", "?"), std::string("0"));
  }

  void onlyAPlainRightPressOpensThePopup_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("opens");
    QTest::newRow("right") << int(Qt::RightButton) << int(Qt::NoModifier) << true;
    QTest::newRow("ctrl+right") << int(Qt::RightButton) << int(Qt::ControlModifier) << false;
    QTest::newRow("shift+right") << int(Qt::RightButton) << int(Qt::ShiftModifier) << false;
    QTest::newRow("left") << int(Qt::LeftButton) << int(Qt::NoModifier) << false;
    QTest::newRow("middle") << int(Qt::MiddleButton) << int(Qt::NoModifier) << false;
  }
  void onlyAPlainRightPressOpensThePopup() {
    QFETCH(int, button);
    QFETCH(int, modifiers);
    QFETCH(bool, opens);
    TMDIChild* c = NewChild(nullptr);
    for (QWidget* target : {static_cast<QWidget*>(c->Image3), c->widget()}) {
      QTest::mousePress(target, Qt::MouseButton(button), Qt::KeyboardModifiers(modifiers),
                        QPoint(5, 5));
      QCOMPARE(c->PopupMenu1->isVisible(), opens);
      c->PopupMenu1->hide();
      QTest::mouseRelease(target, Qt::MouseButton(button), Qt::KeyboardModifiers(modifiers),
                          QPoint(5, 5));
    }
    // Also over the information text.
    c->ScanInfoItem->trigger();
    QTest::mousePress(c->ScanInfoMemo->viewport(), Qt::MouseButton(button),
                      Qt::KeyboardModifiers(modifiers), QPoint(5, 5));
    QCOMPARE(c->PopupMenu1->isVisible(), opens);
    c->PopupMenu1->hide();
  }

  void aRightPressWhileTheLeftButtonIsHeldDoesNotOpenThePopup() {
    TMDIChild* c = NewChild(nullptr);
    QWidget* target = c->widget();
    QTest::mousePress(target, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mousePress(target, Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
    QVERIFY(!c->PopupMenu1->isVisible());
    QTest::mouseRelease(target, Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mouseRelease(target, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    // With the left button up again the plain right press opens it.
    QTest::mousePress(target, Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
    QVERIFY(c->PopupMenu1->isVisible());
    c->PopupMenu1->hide();
    QTest::mouseRelease(target, Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
  }

  void scanInfoFillsTheClientAreaAndTheImageComesBackUnchanged() {
    TMDIChild* c = NewChild(nullptr);
    FillPicture(c);
    c->Doc().InfoText = {"Version : 1.10", "XScanRange : 3"};
    c->UpdateImage();
    const QImage before = c->Image3->pixmap().toImage();
    QVERIFY(!before.isNull());

    c->ScanInfoItem->trigger();
    QVERIFY(c->ScanInfoItem->isChecked());
    QVERIFY(!c->ImageItem->isChecked());
    QVERIFY(c->ScanInfoMemo->isVisible());
    QVERIFY(!c->Image3->isVisible());
    QCOMPARE(c->ScanInfoMemo->geometry(), c->widget()->rect());
    QCOMPARE(c->ScanInfoMemo->toPlainText(), QStringLiteral("Version : 1.10\nXScanRange : 3"));

    c->ImageItem->trigger();
    QVERIFY(c->ImageItem->isChecked());
    QVERIFY(!c->ScanInfoItem->isChecked());
    QVERIFY(c->Image3->isVisible());
    QVERIFY(!c->ScanInfoMemo->isVisible());
    QCOMPARE(c->Image3->pixmap().toImage(), before);
  }

  void aNewWindowHasTheDesignClientSizeAndFitsItOnRendering() {
    TIniFile ini(IniPath().toStdString());
    TMDIChild* c = NewChild(&ini);
    QCOMPARE(c->ClientSize(), QSize(361, 219));
    QCOMPARE(c->size(),
             c->ClientSize() + QSize(c->contentsMargins().left() + c->contentsMargins().right(),
                                     c->contentsMargins().top() + c->contentsMargins().bottom()));
    FillPicture(c);
    c->UpdateImage();
    QCOMPARE(c->ClientSize(), QSize(219, 219));

    ini.WriteBool("Scale", "zScaleOn", true);
    TMDIChild* z = NewChild(&ini);
    FillPicture(z);
    z->UpdateImage();
    // s = min(219, (361 div 3) * 2) = 219: 328 x 219.
    QCOMPARE(z->ClientSize(), QSize(328, 219));
  }

  void zScalingWidensTheClientToThreeByTwo() {
    TMDIChild* c = NewChild(nullptr);
    c->SetClientSize(300, 300);
    QCOMPARE(c->ClientSize(), QSize(300, 300));
    c->zscalingItem->trigger();
    QCOMPARE(c->ClientSize(), QSize(450, 300));
  }

  void composedViewFitsTheClientAreaAndKeepsItConsistent() {
    TMDIChild* c = NewChild(nullptr);
    FillPicture(c);
    c->SetClientSize(300, 300);
    c->UpdateImage();
    QCOMPARE(c->ClientSize(), QSize(300, 300));

    c->zscalingItem->trigger();  // 450 x 300, already 3 : 2
    QCOMPARE(c->ClientSize(), QSize(450, 300));
    QCOMPARE(c->Image3->pixmap().size(), QSize(450, 300));
    QCOMPARE(c->ViewMetafile().boundingRect(), QRect(0, 0, 450, 300));
    // Side = min(300, round(450 * 0.7)) = 300; Image2 takes the rest of the width.
    QCOMPARE(c->Image2->width(), 150);

    // Without the colour bar the client area becomes square again.
    c->zscalingItem->trigger();
    QCOMPARE(c->ClientSize(), QSize(300, 300));

    // A wide window with the colour bar is cut to 3 : 2 by its height.
    c->zscalingItem->trigger();
    c->SetClientSize(700, 300);
    QCOMPARE(c->ClientSize(), QSize(450, 300));
    // A tall one by its width: s = min(500, (400 div 3) * 2) = 266, width 399.
    c->SetClientSize(400, 500);
    QCOMPARE(c->ClientSize(), QSize(399, 266));
  }

  void theRecordedPictureDrawsWhatTheWindowShows() {
    TMDIChild* c = NewChild(nullptr);
    FillPicture(c);
    c->zscalingItem->trigger();
    c->XYScalingLabelItem->trigger();
    c->SetClientSize(450, 300);
    c->UpdateImage();
    const QImage shown = c->ShownView().convertToFormat(QImage::Format_RGB32);
    QImage played(shown.size(), QImage::Format_RGB32);
    played.fill(Qt::white);
    {
      QPainter p(&played);
      p.drawPicture(0, 0, c->ViewMetafile());
    }
    QCOMPARE(played, shown);
    // A later composition (the font changed) is what the next recording holds.
    QFont big = c->font();
    big.setPointSize(big.pointSize() + 6);
    c->SetWindowFont(big);
    c->ComposeView();
    const QImage again = c->ShownView().convertToFormat(QImage::Format_RGB32);
    QVERIFY(again != shown);
    played.fill(Qt::white);
    {
      QPainter p(&played);
      p.drawPicture(0, 0, c->ViewMetafile());
    }
    QCOMPARE(played, again);
  }

  void updateImageNeedsAMatrix() {
    TMDIChild* c = NewChild(nullptr);
    c->UpdateImage();  // no picture at all
    QVERIFY(c->Image3->pixmap().isNull());
    QVERIFY(c->Doc().MinText.empty());

    c->CreatePicture(600, 600);  // refused size: a picture without a matrix
    QVERIFY(c->Doc().Picture != nullptr);
    QVERIFY(!c->Doc().HasImage());
    c->UpdateImage();
    QVERIFY(c->Image3->pixmap().isNull());
    QVERIFY(c->ViewMetafile().isNull());

    FillPicture(c);
    c->UpdateImage();
    QCOMPARE(c->Doc().MinText, std::string("0.000"));
    QCOMPARE(c->Doc().MaxText, std::string("15.000"));
    QCOMPARE(c->Image1->pixmap().size(), QSize(4, 4));
    QCOMPARE(c->Image3->pixmap().size(), c->ClientSize());
    QVERIFY(!c->ViewMetafile().isNull());
  }

  void initWindowNamesTheWindow() {
    TMDIChild* c = NewChild(nullptr);
    c->InitWindow(3, "/data/scan1.int");
    QCOMPARE(c->Index(), 3);
    QCOMPARE(c->Doc().ChannelName, std::string("/data/scan1.int"));
    QCOMPARE(c->windowTitle(), QStringLiteral("/data/scan1.int"));
  }

  void activationReportsTheSlot() {
    TMDIChild* a = NewChild(nullptr);
    TMDIChild* b = NewChild(nullptr);
    a->InitWindow(1, "a");
    b->InitWindow(2, "b");
    QSignalSpy spy(a, &TMDIChild::Activated);
    area_->setActiveSubWindow(a);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), 1);
  }

  void closingFreesTheWindow() {
    QPointer<TMDIChild> c = NewChild(nullptr);
    FillPicture(c);
    c->close();
    QTRY_VERIFY(c.isNull());
    QVERIFY(area_->subWindowList().isEmpty());
  }
};

QTEST_MAIN(TestMDIChild)
#include "tst_mdichild.moc"

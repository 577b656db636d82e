// Tool windows: created through ToolCommands, adopted by their image window and
// destroyed with it, counted among the child windows, found by the two guards.
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QtTest>

#include "app/TMainForm.h"
#include "app/ToolCommands.h"
#include "support/RecordingMessages.h"
#include "view/TMDIChild.h"

class TestToolCommands : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  RecordingMessages msgs_;
  std::unique_ptr<TMainForm> form_;

  TMDIChild* AddImage(const std::string& name) {
    TImageDoc& doc = form_->NewImage(name);
    doc.CreatePicture(3, 3);
    for (int i = 0; i < 9; ++i) doc.Picture->Data()[i] = static_cast<float>(i);
    form_->ImageReady(doc);
    return form_->ImageWindows[static_cast<size_t>(doc.Index)].data();
  }

  // A stand-in for a tool child window, recording which image it was made for.
  QMdiSubWindow* OpenTool(TToolTarget target, TMDIChild** madeFor = nullptr) {
    return OpenToolChild(*form_, target, [madeFor](TMDIChild& image) {
      if (madeFor) *madeFor = &image;
      auto* tool = new QMdiSubWindow;
      tool->setWidget(new QWidget);
      tool->setWindowTitle("LowPass of " + image.windowTitle());
      return tool;
    });
  }

  static void FlushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

 private slots:
  void init() {
    msgs_.shown.clear();
    form_ = std::make_unique<TMainForm>(&msgs_, dir_.filePath("tarnisk.ini"));
    form_->resize(900, 700);
    form_->show();
  }
  void cleanup() { form_.reset(); }

  void aToolChildIsAdoptedShownActiveAndCounted() {
    TMDIChild* image = AddImage("scan");
    TMDIChild* madeFor = nullptr;
    QMdiSubWindow* tool = OpenTool(TToolTarget::CurrentImage, &madeFor);
    QVERIFY(tool);
    QCOMPARE(madeFor, image);
    QCOMPARE(tool->mdiArea(), form_->MdiArea());
    QVERIFY(tool->isVisible());
    QCOMPARE(form_->MdiArea()->currentSubWindow(), tool);
    QCOMPARE(form_->ChildCount(), 2);
    QCOMPARE(image->ToolWindows(), QList<QWidget*>{tool});
    QCOMPARE(tool->windowTitle(), QStringLiteral("LowPass of scan"));
    // The tool window is active, the image window stays the current one.
    QCOMPARE(form_->CurrentImageWindow(), image);
    QVERIFY(form_->ActiveImageChild() == nullptr);
  }

  void closingTheImageWindowDestroysItsToolsAndOnlyThose() {
    TMDIChild* a = AddImage("a");
    QPointer<QMdiSubWindow> toolA = OpenTool(TToolTarget::CurrentImage);
    QPointer<QWidget> onTop =
        OpenToolOnTop(*form_, TToolTarget::CurrentImage, [](TMDIChild&) { return new QWidget; });
    QVERIFY(onTop);
    QVERIFY(onTop->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(onTop->isVisible());
    QCOMPARE(a->ToolWindows().size(), 2);
    TMDIChild* b = AddImage("b");
    QPointer<QMdiSubWindow> toolB = OpenTool(TToolTarget::CurrentImage);
    QCOMPARE(b->ToolWindows(), QList<QWidget*>{toolB.data()});

    a->close();
    FlushDeletes();
    QVERIFY(toolA.isNull());
    QVERIFY(onTop.isNull());
    QVERIFY(!toolB.isNull());
    QCOMPARE(form_->ChildCount(), 2);  // b and its tool
    QTRY_VERIFY(form_->FileCloseItem->isEnabled());
  }

  void aToolClosedFirstLeavesTheListAndTheImage() {
    TMDIChild* image = AddImage("scan");
    QPointer<QMdiSubWindow> tool = OpenTool(TToolTarget::CurrentImage);
    tool->close();
    FlushDeletes();
    QVERIFY(tool.isNull());
    QVERIFY(image->ToolWindows().isEmpty());
    QCOMPARE(form_->ChildCount(), 1);
    image->close();
    FlushDeletes();
    QCOMPARE(form_->ChildCount(), 0);
    QTRY_VERIFY(!form_->FileCloseItem->isEnabled());
  }

  void closeAllDestroysImagesWithTheirToolsSafely() {
    // The tool comes first in the area's list and is destroyed by its image window
    // before Close All reaches it.
    AddImage("a");
    OpenTool(TToolTarget::CurrentImage);
    AddImage("b");
    OpenTool(TToolTarget::CurrentImage);
    QCOMPARE(form_->ChildCount(), 4);
    form_->CloseAllItemClick();
    QCOMPARE(form_->ChildCount(), 0);
    QVERIFY(!form_->FileCloseItem->isEnabled());
  }

  void theGuardsDifferWhileAToolWindowIsActive() {
    TMDIChild* image = AddImage("scan");
    QCOMPARE(ToolTargetWindow(*form_, TToolTarget::ActiveImage), image);
    QVERIFY(OpenTool(TToolTarget::ActiveImage));
    // Now the tool is active: the "active image" guard finds nothing and makes
    // nothing; the "current image" guard opens a second tool on the image window.
    bool made = false;
    QVERIFY(OpenToolChild(*form_, TToolTarget::ActiveImage, [&](TMDIChild&) {
              made = true;
              return new QMdiSubWindow;
            }) == nullptr);
    QVERIFY(!made);
    TMDIChild* madeFor = nullptr;
    QVERIFY(OpenTool(TToolTarget::CurrentImage, &madeFor));
    QCOMPARE(madeFor, image);
    QCOMPARE(image->ToolWindows().size(), 2);
  }

  void withoutAnImageWindowNothingIsMade() {
    bool made = false;
    const auto make = [&](TMDIChild&) {
      made = true;
      return new QMdiSubWindow;
    };
    QVERIFY(OpenToolChild(*form_, TToolTarget::CurrentImage, make) == nullptr);
    QVERIFY(OpenToolChild(*form_, TToolTarget::ActiveImage, make) == nullptr);
    QVERIFY(!made);
    QCOMPARE(form_->ChildCount(), 0);
  }

  void toolWindowsCountTowardsTheSixteenChildren() {
    AddImage("first");
    OpenTool(TToolTarget::CurrentImage);
    for (int i = 0; i < 14; ++i) AddImage(QString("w%1").arg(i).toStdString());
    QCOMPARE(form_->ChildCount(), 16);
    QVERIFY_THROWS_EXCEPTION(TooManyData, form_->NewImage("one too many"));
    QCOMPARE(msgs_.Texts(), std::vector<std::string>{"Too many Data!"});
  }
};

QTEST_MAIN(TestToolCommands)
#include "tst_toolcommands.moc"

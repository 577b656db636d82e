// The main window: menu, hints, speed buttons, enabling, settings, the table of
// image windows with its limit, the open command and the positioned message box.
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <set>

#include "app/QtMessages.h"
#include "app/TMainForm.h"
#include "settings/IniFile.h"
#include "support/RecordingMessages.h"
#include "ui/AnswerModal.h"
#include "view/TMDIChild.h"

namespace {}  // namespace

class TestMainForm : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  RecordingMessages msgs_;

  QString IniPath() const { return dir_.filePath(QStringLiteral("tarnisk.ini")); }
  std::unique_ptr<TMainForm> NewForm() {
    auto form = std::make_unique<TMainForm>(&msgs_, IniPath());
    form->show();
    return form;
  }
  static TMDIChild* AddImage(TMainForm& form, const std::string& name) {
    TImageDoc& doc = form.NewImage(name);
    doc.CreatePicture(3, 3);
    for (int i = 0; i < 9; ++i) doc.Picture->Data()[i] = static_cast<float>(i);
    form.ImageReady(doc);
    return form.ImageWindows[static_cast<size_t>(doc.Index)].data();
  }

 private slots:
  void init() {
    QFile::remove(IniPath());
    msgs_.shown.clear();
  }

  void menuHasEveryItemInOrderWithCaptionsAndHints() {
    auto form = NewForm();
    QStringList menus;
    for (QAction* a : form->menuBar()->actions())
      menus << a->menu()->objectName() + '|' + a->text() + '|' + a->statusTip();
    QCOMPARE(menus, QStringList({"File1|&File|File related commands", "Edit1|&Edit|",
                                 "Process1|&Process|", "View1|&View|", "Analyse1|&Analyse|",
                                 "Window1|&Window|Window related commands such as Tile and Cascade",
                                 "Help1|&Help|Help topics"}));

    QStringList items;
    for (QAction* m : form->menuBar()->actions())
      for (QAction* a : m->menu()->actions())
        items << (a->isSeparator() ? QStringLiteral("-")
                                   : a->objectName() + '|' + a->text() + '|' + a->statusTip());
    const QStringList expected = {
        "FileOpenItem|&Open|Open an existing file",
        "FileCloseItem|&Close|Close current file",
        "CloseAllItem|Close a&ll|",
        "Print1|&Print|",
        "FileSaveItem|&Save|Save current file",
        "FileSaveAsItem|Save &As...|Save current file as...",
        "FileExportItem|&Export|Export current file as ASCII",
        "-",
        "FileExitItem|E&xit|Exit the application",
        "CutItem|Cu&t|Cut to clipboard",
        "CopyItem|&Copy|Copy to clipboard",
        "PasteItem|&Paste|Paste from clipboard",
        "Doublicate1|&Duplicate|",
        "Invers1|&Invers|",
        "LowPassItem|&Simple Filter|",
        "SlopeItem|&Leveling|",
        "NoiseItem|&Noise|",
        "HistogramItem|&Histogram|",
        "ArithmeticItem|&Arithmetic|",
        "Zoom1|&Zoom|",
        "Shere1|S&phere|",
        "Scale1|&Rescale|",
        "-",
        "FFTItem|&FFT|",
        "Refresh1|&Refresh|",
        "PaletteItem|&Palette|",
        "S3DItem|Simple&3D|",
        "FontItem|&Font|",
        "ScaleBars1|&ScaleBars|",
        "Line1|&Line|",
        "Roughness1|&Roughness|",
        "WindowCascadeItem|&Cascade|Arrange windows to overlap",
        "WindowTileItem|&Tile|Arrange windows without overlap",
        "WindowArrangeItem|&Arrange Icons|Arrange window icons at bottom of main window",
        "WindowMinimizeItem|&Minimize All|Minimize all windows",
        "-",
        "Rename1|Re&name...|",
        "HelpAboutItem|&About|",
    };
    QCOMPARE(items, expected);
  }

  void hintsReachTheStatusBar() {
    auto form = NewForm();
    form->FileOpenItem->showStatusText(form.get());
    QCOMPARE(form->statusBar()->currentMessage(), QStringLiteral("Open an existing file"));
    form->Window1->menuAction()->showStatusText(form.get());
    QCOMPARE(form->statusBar()->currentMessage(),
             QStringLiteral("Window related commands such as Tile and Cascade"));
    // An item without a hint clears the text.
    form->Print1->showStatusText(form.get());
    QCOMPARE(form->statusBar()->currentMessage(), QString());
    QCOMPARE(form->statusBar()->height(), 19);
  }

  void speedButtonsSplitTheirHints() {
    auto form = NewForm();
    struct B {
      QToolButton* b;
      const char* name;
      int x;
      const char* tip;
      const char* status;
    };
    const B buttons[] = {
        {form->OpenBtn, "OpenBtn", 10, "Open", ""},
        {form->SaveBtn, "SaveBtn", 36, "Save", ""},
        {form->ExitBtn, "ExitBtn", 62, "Exit", ""},
        {form->FilterButton, "FilterButton", 100, "Simple Filter", "Simple Filter"},
        {form->LevelButton, "LevelButton", 126, "Level", "Level"},
        {form->HistoButton, "HistoButton", 152, "Histogram", "Histogram"}};
    for (const B& b : buttons) {
      QCOMPARE(b.b->objectName(), QString::fromLatin1(b.name));
      QCOMPARE(b.b->geometry(), QRect(b.x, 3, 25, 25));
      QCOMPARE(b.b->toolTip(), QString::fromLatin1(b.tip));
      QCOMPARE(b.b->statusTip(), QString::fromLatin1(b.status));
      QVERIFY(b.b->autoRaise());
    }
    QCOMPARE(form->findChild<QWidget*>("SpeedBar")->height(), 30);
  }

  void commandsAreEnabledExactlyWhileChildWindowsExist() {
    auto form = NewForm();
    auto check = [&](bool any) {
      for (QAction* a :
           {form->FileCloseItem, form->CloseAllItem, form->FileSaveItem, form->FileSaveAsItem,
            form->FileExportItem, form->Print1, form->Edit1->menuAction(),
            form->Process1->menuAction(), form->View1->menuAction(), form->Window1->menuAction(),
            form->Analyse1->menuAction()})
        QVERIFY2(a->isEnabled() == any, qPrintable(a->objectName()));
      for (QToolButton* b :
           {form->SaveBtn, form->FilterButton, form->LevelButton, form->HistoButton})
        QVERIFY2(b->isEnabled() == any, qPrintable(b->objectName()));
      QVERIFY(!form->CutItem->isEnabled());
      QVERIFY(!form->PasteItem->isEnabled());
      QVERIFY(form->FileOpenItem->isEnabled());
      QVERIFY(form->FileExitItem->isEnabled());
      QVERIFY(form->OpenBtn->isEnabled());
      QVERIFY(form->ExitBtn->isEnabled());
      QVERIFY(form->Help1->menuAction()->isEnabled());
    };
    check(false);
    AddImage(*form, "a");
    check(true);
    form->FileCloseItemClick();
    QTRY_COMPARE(form->ChildCount(), 0);
    QTRY_VERIFY(!form->FileSaveItem->isEnabled());
    check(false);
    AddImage(*form, "b");
    AddImage(*form, "c");
    check(true);
    form->CloseAllItemClick();
    QCOMPARE(form->ChildCount(), 0);
    check(false);
    // Tool windows are child windows too.
    QMdiSubWindow* tool = form->MdiArea()->addSubWindow(new QWidget);
    tool->setAttribute(Qt::WA_DeleteOnClose);
    tool->show();
    form->MdiArea()->setActiveSubWindow(tool);
    QTRY_VERIFY(form->FileSaveItem->isEnabled());
    check(true);
    tool->close();
    QTRY_COMPARE(form->ChildCount(), 0);
    QTRY_VERIFY(!form->FileSaveItem->isEnabled());
    check(false);
  }

  void emptySettingsGiveFourFifthsOfTheScreenCentred() {
    auto form = NewForm();
    QCOMPARE(form->windowTitle(), QStringLiteral("tarnisk"));
    const QRect screen = form->screen()->availableGeometry();  // 800 x 800 offscreen
    const QSize size(screen.width() * 4 / 5, screen.height() * 4 / 5);
    QCOMPARE(form->size(), size);
    QCOMPARE(form->pos(), screen.topLeft() + QPoint((screen.width() - size.width()) / 2,
                                                    (screen.height() - size.height()) / 2));
    QCOMPARE(form->ActiveIndex, -1);
    QVERIFY(form->CurrentImageWindow() == nullptr);
  }

  void placeAndSizeAreWrittenOnCloseAndReadAtStart() {
    {
      auto form = NewForm();
      form->move(30, 40);
      form->resize(500, 350);
      form->FileExitItemClick();
      QVERIFY(!form->isVisible());
    }
    TIniFile disk(IniPath().toStdString());
    QCOMPARE(disk.ReadInteger("MainForm", "Left", -1), 30);
    QCOMPARE(disk.ReadInteger("MainForm", "Top", -1), 40);
    QCOMPARE(disk.ReadInteger("MainForm", "Width", -1), 500);
    QCOMPARE(disk.ReadInteger("MainForm", "Height", -1), 350);

    auto again = NewForm();
    QCOMPARE(again->pos(), QPoint(30, 40));
    QCOMPARE(again->size(), QSize(500, 350));
  }

  void fontComesFromTheSettingsAndGoesToNewImageWindows() {
    {
      TIniFile ini(IniPath().toStdString());
      ini.WriteString("Font", "Name", "DejaVu Serif");
      ini.WriteInteger("Font", "Size", 13);
    }
    auto form = NewForm();
    QCOMPARE(form->font().family(), QStringLiteral("DejaVu Serif"));
    QCOMPARE(form->font().pointSize(), 13);
    TMDIChild* child = AddImage(*form, "a");
    QCOMPARE(child->font().family(), QStringLiteral("DejaVu Serif"));
    QCOMPARE(child->font().pointSize(), 13);
  }

  void fontColourFromTheSettingsWritesTheColourBarLabels() {
    {
      TIniFile ini(IniPath().toStdString());
      ini.WriteInteger("Font", "Color", 0x0000FF);  // red: the low byte
      ini.WriteBool("Scale", "zScaleOn", true);
    }
    auto form = NewForm();
    TMDIChild* child = AddImage(*form, "a");
    QCOMPARE(child->FontColor(), QColor(255, 0, 0));
    // The labels are the only red on the white beside the image.
    const QImage view = child->Image3->pixmap().toImage();
    int red = 0;
    for (int y = 0; y < view.height(); ++y)
      for (int x = 0; x < view.width(); ++x) {
        const QColor c = view.pixelColor(x, y);
        if (c.red() > 200 && c.green() < 60 && c.blue() < 60) ++red;
      }
    QVERIFY(red > 10);
  }

  void theSeventeenthChildWindowIsRefused() {
    auto form = NewForm();
    // Tool windows count towards the limit as well.
    form->MdiArea()->addSubWindow(new QWidget)->show();
    for (int i = 0; i < 15; ++i) AddImage(*form, QString("w%1").arg(i).toStdString());
    QCOMPARE(form->ChildCount(), 16);
    QVERIFY(msgs_.shown.empty());

    QVERIFY_THROWS_EXCEPTION(TooManyData, form->NewImage("one too many"));
    QCOMPARE(msgs_.Texts(), std::vector<std::string>{"Too many Data!"});
    QCOMPARE(form->ChildCount(), 16);
    int images = 0;
    for (const auto& w : form->ImageWindows) images += w ? 1 : 0;
    QCOMPARE(images, 15);
    for (QMdiSubWindow* w : form->MdiArea()->subWindowList())
      QVERIFY(w->windowTitle() != QStringLiteral("one too many"));
  }

  void slotsStayUniqueAndAnEmptySlotIsSafe() {
    auto form = NewForm();
    TMDIChild* a = AddImage(*form, "a");
    TMDIChild* b = AddImage(*form, "b");
    TMDIChild* c = AddImage(*form, "c");
    QCOMPARE(a->Index(), 1);
    QCOMPARE(b->Index(), 2);
    QCOMPARE(c->Index(), 3);
    QCOMPARE(form->ActiveIndex, 3);
    QCOMPARE(form->CurrentImageWindow(), c);

    // The first window closes: its slot is cleared; the count of windows (2) is
    // still the slot of a live window, yet the next one gets a free slot.
    form->MdiArea()->setActiveSubWindow(a);
    QCOMPARE(form->ActiveIndex, 1);
    a->close();
    QTRY_VERIFY(form->ImageWindows[1].isNull());
    form->ActiveIndex = 1;
    QVERIFY(form->CurrentImageWindow() == nullptr);
    form->RefreshItemClick();  // nothing to refresh, no crash
    form->Rename1Click();

    TMDIChild* d = AddImage(*form, "d");
    std::set<int> used;
    for (size_t i = 1; i < form->ImageWindows.size(); ++i)
      if (auto* w = form->ImageWindows[i].data()) {
        QCOMPARE(w->Index(), static_cast<int>(i));
        QVERIFY(used.insert(w->Index()).second);
      }
    QCOMPARE(used.size(), size_t(3));
    QCOMPARE(form->CurrentImageWindow(), d);
    QVERIFY(d->Index() != b->Index() && d->Index() != c->Index());

    for (int bad : {-1, 0, 17, 100}) {
      form->ActiveIndex = bad;
      QVERIFY(form->CurrentImageWindow() == nullptr);
    }
  }

  void aDiscardedImageLeavesNothingBehind() {
    auto form = NewForm();
    TImageDoc& doc = form->NewImage("broken");
    QCOMPARE(form->ChildCount(), 1);
    const int slot = doc.Index;
    form->DiscardImage(doc);
    QCOMPARE(form->ChildCount(), 0);
    QVERIFY(form->ImageWindows[static_cast<size_t>(slot)].isNull());
    QVERIFY(!form->FileCloseItem->isEnabled());
  }

  void aReadyImageIsShownRenderedAndCurrent() {
    auto form = NewForm();
    AddImage(*form, "first");
    TImageDoc& doc = form->NewImage("scan1.int");
    doc.Caption = "scan1.int - Topography";
    doc.CreatePicture(2, 2);
    form->ImageReady(doc);
    TMDIChild* w = form->ImageWindows[static_cast<size_t>(doc.Index)].data();
    QVERIFY(w->isVisible());
    QCOMPARE(w->windowTitle(), QStringLiteral("scan1.int - Topography"));
    QCOMPARE(form->MdiArea()->currentSubWindow(), w);
    QCOMPARE(form->ActiveIndex, doc.Index);
    QVERIFY(!w->Image3->pixmap().isNull());
  }

  void unknownFileTypeIsAnErrorAndRemembersTheFolder() {
    auto form = NewForm();
    const QString name = dir_.filePath(QStringLiteral("scan.TXT"));
    form->OpenFile(name);
    QCOMPARE(msgs_.shown.size(), size_t(1));
    QCOMPARE(msgs_.shown[0].text, std::string("Unknown file type"));
    QCOMPARE(msgs_.shown[0].title, std::string("Error"));
    QVERIFY(msgs_.shown[0].kind == TMsgDlgType::mtError);
    QCOMPARE(form->ChildCount(), 0);
    TIniFile disk(IniPath().toStdString());
    QCOMPARE(QString::fromStdString(disk.ReadString("Save", "Path", "")), dir_.path() + '/');
  }

  void onlyTheFirstCommandLineArgumentIsOpened() {
    auto form = NewForm();
    form->OpenFromCommandLine({"tarnisk", dir_.filePath("first.zz"), "/elsewhere/second.zz"});
    QCOMPARE(msgs_.Texts(), std::vector<std::string>{"Unknown file type"});
    TIniFile disk(IniPath().toStdString());
    QCOMPARE(QString::fromStdString(disk.ReadString("Save", "Path", "")), dir_.path() + '/');
    msgs_.shown.clear();
    form->OpenFromCommandLine({"tarnisk"});
    QVERIFY(msgs_.shown.empty());
  }

  void openDialogStartsWhereTheLastOneEnded() {
    {
      TIniFile ini(IniPath().toStdString());
      ini.WriteString("Save", "Path", (dir_.path() + '/').toStdString());
      ini.WriteInteger("Save", "Index", 3);
    }
    QFile f(dir_.filePath("picked.xyz"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    auto form = NewForm();
    QStringList filters;
    QString startFilter, startDir;
    AnswerModal<QFileDialog>([&](QFileDialog* dlg) {
      filters = dlg->nameFilters();
      startFilter = dlg->selectedNameFilter();
      startDir = dlg->directory().absolutePath();
      dlg->selectNameFilter(filters.last());
      dlg->findChild<QLineEdit*>("fileNameEdit")->setText(dir_.filePath("picked.xyz"));
      static_cast<QDialog*>(dlg)->accept();
    });
    form->OpenDialogeStart();
    QCOMPARE(filters, QStringList({"Morvane (*.txt)", "Burleigh (*.img)", "Omicron (*.par)",
                                   "TopoMetrix (*.tfp; *.*fp; *.2fp; *.3fp )",
                                   "Windows-Bitmap (*.bmp)", "All files (*.*)"}));
    QCOMPARE(startFilter, QStringLiteral("Omicron (*.par)"));
    QCOMPARE(startDir, QDir(dir_.path()).absolutePath());
    QCOMPARE(msgs_.Texts(), std::vector<std::string>{"Unknown file type"});
    TIniFile disk(IniPath().toStdString());
    QCOMPARE(disk.ReadInteger("Save", "Index", -1), 6);
  }

  void openDialogListsFilesByEachPatternOfTheChosenFilter() {
    {
      TIniFile ini(IniPath().toStdString());
      ini.WriteInteger("Save", "Index", 4);
    }
    auto form = NewForm();
    QStringList startPatterns, bitmapPatterns, topoPatterns;
    AnswerModal<QFileDialog>([&](QFileDialog* dlg) {
      auto* model = dlg->findChild<QFileSystemModel*>();
      QVERIFY(model);
      startPatterns = model->nameFilters();
      // The user picks a filter in the dialog's list.
      auto* combo = dlg->findChild<QComboBox*>("fileTypeCombo");
      QVERIFY(combo);
      for (int i : {4, 3}) {
        combo->setCurrentIndex(i);
        emit combo->activated(i);
        emit combo->textActivated(combo->itemText(i));
        (i == 4 ? bitmapPatterns : topoPatterns) = model->nameFilters();
      }
      dlg->reject();
    });
    form->OpenDialogeStart();
    const QStringList topo = {"*.tfp", "*.*fp", "*.2fp", "*.3fp"};
    QCOMPARE(startPatterns, topo);
    QCOMPARE(bitmapPatterns, QStringList({"*.bmp"}));
    QCOMPARE(topoPatterns, topo);
  }

  void openDialogWithEmptySettingsStartsAtHomeOnTheFirstFilter() {
    auto form = NewForm();
    QString startFilter, startDir;
    AnswerModal<QFileDialog>([&](QFileDialog* dlg) {
      startFilter = dlg->selectedNameFilter();
      startDir = dlg->directory().absolutePath();
      dlg->reject();
    });
    form->OpenDialogeStart();
    QCOMPARE(startFilter, QStringLiteral("Morvane (*.txt)"));
    QCOMPARE(startDir, QDir::home().absolutePath());
    // Cancelled: nothing stored, nothing said.
    TIniFile disk(IniPath().toStdString());
    QVERIFY(!disk.ValueExists("Save", "Index"));
    QVERIFY(msgs_.shown.empty());
  }

  void windowCommandsArrangeTheChildren() {
    auto form = NewForm();
    form->resize(900, 600);
    TMDIChild* a = AddImage(*form, "a");
    TMDIChild* b = AddImage(*form, "b");
    form->WindowTileItemClick();
    QCOMPARE(a->y(), 0);
    QCOMPARE(b->y(), 0);
    QCOMPARE(a->x(), 0);
    QVERIFY(b->x() >= a->x() + a->width() - 1);
    form->WindowMinimizeItemClick();
    QVERIFY(a->isMinimized());
    QVERIFY(b->isMinimized());
    const int bottom = form->MdiArea()->viewport()->height();
    QCOMPARE(a->geometry().bottom() + 1, bottom);
    QCOMPARE(b->geometry().bottom() + 1, bottom);
    QVERIFY(a->x() != b->x());
    // Minimised windows are their title bars, without an empty body below.
    const int titleBar = a->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, a);
    QVERIFY2(a->height() <= titleBar + 12, qPrintable(QString::number(a->height())));
    QVERIFY(b->height() <= titleBar + 12);
    // Restored, they are no smaller than the least client area again.
    a->showNormal();
    QVERIFY(a->minimumHeight() >= 100);
    QVERIFY(a->height() >= 100);
  }

  void cascadeLeavesTheActiveWindowInFront() {
    auto form = NewForm();
    form->resize(900, 600);
    TMDIChild* a = AddImage(*form, "a");
    TMDIChild* b = AddImage(*form, "b");
    TMDIChild* c = AddImage(*form, "c");
    form->MdiArea()->setActiveSubWindow(a);
    form->WindowCascadeItemClick();
    QCOMPARE(form->MdiArea()->activeSubWindow(), static_cast<QMdiSubWindow*>(a));
    QCOMPARE(form->MdiArea()->subWindowList(QMdiArea::StackingOrder).last(),
             static_cast<QMdiSubWindow*>(a));
    // It takes the last step of the cascade, so every title bar stays in sight.
    QVERIFY(a->y() > c->y() && c->y() > b->y());
    QVERIFY(a->x() > c->x() && c->x() > b->x());
  }

  void messageDlgAtSitsBesideTheMainWindow() {
    QCOMPARE(MessageDlgAtPosition(100, 768), QPoint(300, 284));
    QWidget main;
    main.move(120, 50);
    main.resize(300, 200);
    main.show();
    QtMessages qtMsgs(&main);
    QPoint where;
    QString text;
    AnswerModal<QMessageBox>([&](QMessageBox* box) {
      where = box->pos();
      text = box->text();
      box->button(QMessageBox::No)->click();
    });
    const TModalResult r = qtMsgs.Ask("Found 1 topographic and0 spectroscopic image(s)",
                                      TMsgDlgType::mtConfirmation, mbYes | mbNo, true);
    QVERIFY(r == TModalResult::mrNo);
    QCOMPARE(text, QStringLiteral("Found 1 topographic and0 spectroscopic image(s)"));
    const int screenHeight = main.screen()->geometry().height();
    QCOMPARE(where, QPoint(main.x() + 200, screenHeight / 2 - 100));
  }

  void qtMessageBoxesKeepTheirTitle() {
    QtMessages qtMsgs;
    QString title, text;
    AnswerModal<QMessageBox>([&](QMessageBox* box) {
      title = box->windowTitle();
      text = box->text();
      box->accept();
    });
    qtMsgs.ShowMessage("Unknown file type", TMsgDlgType::mtError, "Error");
    QCOMPARE(title, QStringLiteral("Error"));
    QCOMPARE(text, QStringLiteral("Unknown file type"));
  }
};

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"

// The palette editor window driven as a user drives it: drawing curves, selecting
// blocks, the colour and file dialogs, the questions, menus, bars and captions.
#include <QColorDialog>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include "AnswerModal.h"
#include "palette/ui/TPaletteForm.h"
#include "support/RecordingMessages.h"
#include "view/TMDIChild.h"

namespace {

void Mouse(QWidget* w, QEvent::Type type, Qt::MouseButton button, QPoint p) {
  const Qt::MouseButtons held =
      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
  QMouseEvent e(type, QPointF(p), w->mapToGlobal(QPointF(p)), button, held, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

void Move(QWidget* w, QPoint p) {
  QMouseEvent e(QEvent::MouseMove, QPointF(p), w->mapToGlobal(QPointF(p)), Qt::NoButton,
                Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

// Answers the next colour dialog with `colour`, or cancels it.
void AnswerColour(std::optional<QColor> colour) {
  AnswerModal<QColorDialog>([colour](QColorDialog* d) {
    if (!colour) return d->reject();
    d->setCurrentColor(*colour);
    d->accept();
  });
}

// Answers the next file dialog with `path` and the filter `filter` (1..3), or cancels.
void AnswerFile(const QString& path, int filter) {
  AnswerModal<QFileDialog>([path, filter](QFileDialog* d) {
    if (path.isEmpty()) return d->reject();
    d->selectNameFilter(d->nameFilters().at(filter - 1));
    d->findChild<QLineEdit*>("fileNameEdit")->setText(path);
    static_cast<QDialog*>(d)->accept();
  });
}

QByteArray ReadFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TRgb TableEntry(TMDIChild* c, int i) {
  const TPaletteEntry& e = c->Doc().Picture->ColourTable.palPalEntry[i];
  return {e.peRed, e.peGreen, e.peBlue};
}

TRgb RenderedEntry(TMDIChild* c, int i) {
  const TPaletteEntry& e = c->Doc().Image1.Palette[i];
  return {e.peRed, e.peGreen, e.peBlue};
}

}  // namespace

class TestPaletteForm : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  QMdiArea* area_ = nullptr;
  RecordingMessages msgs_;

  // An image window whose colour table is grey: entry i = (i, i, i).
  TMDIChild* NewImage(const char* caption) {
    auto* child = new TMDIChild(nullptr, &msgs_, area_->font());
    area_->addSubWindow(child);
    child->InitWindow(1, caption);
    child->CreatePicture(4, 4);
    float* d = child->Doc().Picture->Data();
    for (int i = 0; i < 16; ++i) d[i] = static_cast<float>(i);
    for (int i = 0; i < 256; ++i)
      child->Doc().Picture->ColourTable.palPalEntry[i] = {uint8_t(i), uint8_t(i), uint8_t(i), 1};
    child->show();
    child->UpdateImage();
    return child;
  }

  TPaletteForm* NewEditor(TMDIChild* image) {
    auto* f = new TPaletteForm(msgs_);
    f->setAttribute(Qt::WA_DeleteOnClose);
    f->SetSource(image);
    f->show();
    return f;
  }

  QString Path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

 private slots:
  void init() {
    msgs_ = RecordingMessages();
    area_ = new QMdiArea;
    area_->resize(800, 600);
    area_->show();
  }
  void cleanup() {
    // Deleting an editor deletes its menus, which are top-level widgets too.
    QList<QPointer<TPaletteForm>> editors;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* f = qobject_cast<TPaletteForm*>(w)) editors << f;
    for (const QPointer<TPaletteForm>& f : editors) delete f.data();
    delete area_;
    area_ = nullptr;
  }

  void curveDrawingReachesTheImageAtOnce() {
    TMDIChild* image = NewImage("scan");
    TPaletteForm* f = NewEditor(image);
    QCOMPARE(EntryColour(f->Model().PaletteData, 77), (TRgb{77, 77, 77}));
    // Entry 10 is 10; pressing there and moving in one step to entry 20 at the
    // height of 110 ramps red by 10 per entry, green and blue stay.
    Mouse(f->Kanaele, QEvent::MouseButtonPress, Qt::LeftButton, {10, 200});
    QCOMPARE(TableEntry(image, 10), (TRgb{10, 10, 10}));
    Move(f->Kanaele, {20, 255 - 110});
    QCOMPARE(TableEntry(image, 15), (TRgb{60, 15, 15}));
    QCOMPARE(TableEntry(image, 20), (TRgb{110, 20, 20}));
    QCOMPARE(RenderedEntry(image, 15), (TRgb{60, 15, 15}));
    QCOMPARE(f->StatusPanel[0]->text(), QStringLiteral("Index 20"));
    QCOMPARE(f->StatusPanel[1]->text(), QStringLiteral("RGB 110, 20, 20"));
    QCOMPARE(f->StatusPanel[2]->text(), QStringLiteral("Kanal-Wert 110"));
    // Right to left from there: back down to 0 at entry 16.
    Move(f->Kanaele, {16, 255});
    QCOMPARE(TableEntry(image, 18), (TRgb{55, 18, 18}));
    QCOMPARE(TableEntry(image, 16), (TRgb{0, 16, 16}));
    Mouse(f->Kanaele, QEvent::MouseButtonRelease, Qt::LeftButton, {16, 255});
    QVERIFY(!f->Model().DrawingCurve);
    // The flags bytes of the table stay.
    QCOMPARE(image->Doc().Picture->ColourTable.palPalEntry[15].peFlags, uint8_t(1));
  }

  void channelViewMergesCoincidingCurves() {
    TMDIChild* image = NewImage("scan");
    TPaletteForm* f = NewEditor(image);
    // Grey: the three curves coincide: (255, 0, 0) | (0, 128, 0) | (0, 0, 255).
    QCOMPARE(f->Kanaele->Bitmap.pixel(100, 155), qRgb(255, 128, 255));
    f->SichtbarBlau->trigger();
    QVERIFY(!f->SichtbarBlau->isChecked());
    QCOMPARE(f->Kanaele->Bitmap.pixel(100, 155), qRgb(255, 128, 0));
    QCOMPARE(f->Kanaele->Bitmap.pixel(100, 154), qRgb(0, 0, 0));
  }

  void captionAndUndoFollowTheChanges() {
    TMDIChild* image = NewImage("scan");
    TPaletteForm* f = NewEditor(image);
    f->SetCaptionText("Choose Palette for scan");
    QCOMPARE(f->windowTitle(), QStringLiteral("Choose Palette for scan"));
    QVERIFY(!f->Rueckgaengig->isEnabled());
    QVERIFY(!f->UndoButton->isEnabled());

    f->SpiegelButton->click();  // the block 0..0: changes nothing, but is a change
    f->Model().BlockEnd = 3;
    f->SpiegelButton->click();
    QCOMPARE(f->windowTitle(), QStringLiteral("Paletten-Editor <neue Palette>*"));
    QVERIFY(f->Rueckgaengig->isEnabled());
    QVERIFY(f->UndoButton->isEnabled());
    QCOMPARE(TableEntry(image, 0), (TRgb{3, 3, 3}));

    f->UndoButton->click();
    QCOMPARE(TableEntry(image, 0), (TRgb{0, 0, 0}));
    QCOMPARE(f->windowTitle(), QStringLiteral("Paletten-Editor <neue Palette>*"));
    f->Rueckgaengig->trigger();
    QCOMPARE(f->windowTitle(), QStringLiteral("Paletten-Editor <neue Palette>"));
    QVERIFY(!f->Rueckgaengig->isEnabled());
    QVERIFY(!f->UndoButton->isEnabled());
  }

  void blockOperationsFromMenusAndButtons() {
    TMDIChild* image = NewImage("scan");
    TPaletteForm* f = NewEditor(image);
    f->Model().BlockStart = 0;
    f->Model().BlockEnd = 4;
    f->VerbindenButton->click();  // all channels active
    f->Invertieren->trigger();
    QCOMPARE(TableEntry(image, 4), (TRgb{251, 251, 251}));
    f->InversButton->click();
    f->Model().PaletteData[0] = 0;
    f->Model().PaletteData[12] = 100;
    f->VerlaufButton->click();
    QCOMPARE(TableEntry(image, 2), (TRgb{50, 2, 2}));
    f->GlaettenButton->click();
    QCOMPARE(TableEntry(image, 5).Red,
             uint8_t((5 + 0 + 25 + 50 + 75 + 100 + 5 + 6 + 7 + 8 + 9 + 10) / 11));
    f->PruefenButton->click();
    QCOMPARE(msgs_.Texts().back(), std::string("0 Wiederholungen, d.h. 256 verschiedene Farben."));
    QCOMPARE(msgs_.shown.back().kind, TMsgDlgType::mtCustom);
    QCOMPARE(int(f->Model().UndoList.size()), 4);
  }

  void channelButtonsAndMenuShowTheSameState() {
    TMDIChild* image = NewImage("scan");
    TPaletteForm* f = NewEditor(image);
    QVERIFY(f->RotButton->isChecked() && f->AktivRot->isChecked());
    f->GruenButton->click();
    QVERIFY(!f->RotButton->isChecked() && !f->AktivRot->isChecked());
    QVERIFY(f->GruenButton->isChecked() && f->AktivGruen->isChecked());
    f->GruenButton->click();  // the only active channel stays
    QVERIFY(f->GruenButton->isChecked());
    f->Verbinden->trigger();
    QVERIFY(f->VerbindenButton->isChecked());
    QVERIFY(f->AktivRot->isChecked() && f->AktivGruen->isChecked() && f->AktivBlau->isChecked());
    f->AktivRot->trigger();
    QVERIFY(!f->RotButton->isChecked() && f->BlauButton->isChecked());
    f->VerbindenButton->click();
    QVERIFY(!f->Verbinden->isChecked());
    QCOMPARE(f->Model().Active, (ChannelSet{false, true, false}));
  }

  void selectingBlocksInThePaletteView() {
    TMDIChild* image = NewImage("scan");
    TPaletteForm* f = NewEditor(image);
    Mouse(f->Palette, QEvent::MouseButtonPress, Qt::LeftButton, {3 * 16 + 5, 2 * 16 + 5});
    QCOMPARE(f->StatusPanel[0]->text(), QStringLiteral("Index 35"));
    QCOMPARE(f->StatusPanel[1]->text(), QStringLiteral("RGB 35, 35, 35"));
    Move(f->Palette, {14 * 16 + 3, 16 + 3});
    QCOMPARE(f->StatusPanel[2]->text(),
             QString::fromUtf8("Index 30 bis 35 ausgew\u00e4hlt (6 Eintr\u00e4ge)"));
    // The outline wraps: from the start cell's top left to the right border.
    QCOMPARE(f->Palette->Bitmap.pixel(224, 16), qRgb(255, 255, 255));
    QCOMPARE(f->Palette->Bitmap.pixel(256, 16), qRgb(255, 255, 255));
    QCOMPARE(f->Palette->Bitmap.pixel(40, 40), qRgb(34, 34, 34));
    Move(f->Palette, {0, 100});  // on the border: nothing
    QCOMPARE(f->Model().BlockStart, 30);
    Mouse(f->Palette, QEvent::MouseButtonRelease, Qt::LeftButton, {14 * 16 + 3, 16 + 3});
    Move(f->Palette, {100, 100});
    QCOMPARE(f->Model().BlockStart, 30);
    QCOMPARE(f->StatusPanel[2]->text(), QString());
    // A right press names the entry, keeps the block and offers the pop-up menu.
    Mouse(f->Palette, QEvent::MouseButtonPress, Qt::RightButton, {5, 5});
    QCOMPARE(f->Model().CurrentEntry, 0);
    QCOMPARE(f->Model().BlockEnd, 35);
  }

  void doubleClickEditsTheCurrentEntry() {
    TMDIChild* image = NewImage("scan");
    TPaletteForm* f = NewEditor(image);
    const QPoint cell(5 * 16 + 8, 16 + 8);  // entry 21
    Mouse(f->Palette, QEvent::MouseButtonPress, Qt::LeftButton, cell);
    Mouse(f->Palette, QEvent::MouseButtonRelease, Qt::LeftButton, cell);
    AnswerColour(QColor(1, 2, 3));
    Mouse(f->Palette, QEvent::MouseButtonDblClick, Qt::LeftButton, cell);
    QCOMPARE(TableEntry(image, 21), (TRgb{1, 2, 3}));
    QCOMPARE(f->Model().BlockStart, 21);
    QVERIFY(!f->Model().Selecting);
    QVERIFY(f->Rueckgaengig->isEnabled());
    // Cancelled: nothing changes and no snapshot is taken.
    AnswerColour(std::nullopt);
    Mouse(f->Palette, QEvent::MouseButtonDblClick, Qt::LeftButton, cell);
    QCOMPARE(int(f->Model().UndoList.size()), 1);
  }

  void otherButtonInTheChannelViewEditsOneEntry() {
    TMDIChild* image = NewImage("scan");
    TPaletteForm* f = NewEditor(image);
    Mouse(f->Kanaele, QEvent::MouseButtonPress, Qt::RightButton, {40, 10});
    QVERIFY(!f->Model().Modified());  // a right press draws nothing
    AnswerColour(QColor(200, 100, 50));
    Mouse(f->Kanaele, QEvent::MouseButtonRelease, Qt::RightButton, {40, 10});
    QCOMPARE(TableEntry(image, 40), (TRgb{200, 100, 50}));
    f->UndoButton->click();
    QCOMPARE(TableEntry(image, 40), (TRgb{40, 40, 40}));
  }

  void fillAsksForAColourAndACancelStillCounts() {
    TMDIChild* image = NewImage("scan");
    TPaletteForm* f = NewEditor(image);
    f->Model().CurrentEntry = 9;
    AnswerColour(std::nullopt);
    f->FuellButton->click();
    QVERIFY(f->Model().Modified());
    QCOMPARE(f->windowTitle(), QStringLiteral("Paletten-Editor <neue Palette>*"));
    QCOMPARE(TableEntry(image, 9), (TRgb{9, 9, 9}));
    // The one-entry block became the current entry; a block fills whole.
    f->Model().BlockEnd = 12;
    AnswerColour(QColor(7, 8, 9));
    f->Fuellen->trigger();
    for (int i = 9; i <= 12; ++i) QCOMPARE(TableEntry(image, i), (TRgb{7, 8, 9}));
    QCOMPARE(TableEntry(image, 13), (TRgb{13, 13, 13}));
  }

  void toolBarAndStatusBarResizeTheWindow() {
    TMDIChild* image = NewImage("scan");
    TPaletteForm* f = NewEditor(image);
    QVERIFY(QTest::qWaitForWindowExposed(f));
    const int h = f->height();
    const int boxY = f->GroupBox1->mapTo(f, QPoint(0, 0)).y();
    f->Symbole->trigger();
    QVERIFY(!f->Symbole->isChecked());
    QVERIFY(f->ToolBar->isHidden());
    QCOMPARE(f->height(), h - 25);
    QCOMPARE(f->GroupBox1->mapTo(f, QPoint(0, 0)).y(), boxY - 25);
    f->Symbole->trigger();
    QCOMPARE(f->height(), h);
    const int statusHeight = f->StatusBar->height();
    QVERIFY(statusHeight >= 17);
    f->Status->trigger();
    QVERIFY(!f->Status->isChecked());
    QCOMPARE(f->height(), h - statusHeight);
    f->StatusClick();
    QCOMPARE(f->height(), h);
    QVERIFY(f->Status->isChecked());
  }

  void menusHoldTheirItemsAndDisabledOnes() {
    TMDIChild* image = NewImage("scan");
    TPaletteForm* f = NewEditor(image);
    QStringList titles;
    for (QAction* a : f->MainMenu->actions()) titles << a->text();
    QCOMPARE(titles, QStringList({QStringLiteral("Datei"), QStringLiteral("Bearbeiten"),
                                  QString::fromUtf8("Farbkan\u00e4le"), QStringLiteral("Anzeige"),
                                  QStringLiteral("Hilfe")}));
    QCOMPARE(f->Oeffnen->text(), QString::fromUtf8("&\u00d6ffnen..."));
    QVERIFY(!f->Extrahieren->isEnabled());
    QVERIFY(f->Speichern->isEnabled());
    QVERIFY(!f->SortierenMenu->isEnabled());
    QCOMPARE(f->SortierenMenu->actions().size(), 10);
    QVERIFY(!f->FarbmodellMenu->isEnabled());
    QVERIFY(f->FarbmodellMenu->actions().at(0)->isChecked());
    QVERIFY(!f->Bedienung->isEnabled());
    QStringList block;
    for (QAction* a : f->BlockMenu->actions())
      block << (a->isSeparator() ? QStringLiteral("-")
                                 : a->text() + (a->isEnabled() ? "" : " (off)"));
    QCOMPARE(block,
             QStringList(
                 {"Ausschneiden (off)", "Kopieren (off)", QString::fromUtf8("Einf\u00fcgen (off)"),
                  QString::fromUtf8("L\u00f6schen (off)"), "-", QString::fromUtf8("Gl\u00e4tten"),
                  QString::fromUtf8("F\u00fcllen mit..."), "Verlauf", "-", "Invertieren",
                  "Offset (off)", "Spiegeln", "Verschieben (off)"}));
    QStringList popup;
    for (QAction* a : f->PopupMenu1->actions())
      popup << (a->isSeparator() ? QStringLiteral("-")
                                 : a->text() + (a->isEnabled() ? "" : " (off)"));
    QCOMPARE(popup, QStringList({"Farbe", "Verlauf", "-", "Invertieren", "Spiegeln", "-",
                                 "Verschieben (off)", "Offset (off)"}));
    int hidden = 0;
    for (QToolButton* b : f->ToolBar->findChildren<QToolButton*>()) hidden += b->isHidden() ? 1 : 0;
    QCOMPARE(hidden, 6);
    QCOMPARE(f->GroupBox1->title(), QString::fromUtf8("RGB-Kan\u00e4le"));
    QCOMPARE(f->GroupBox2->title(), QString::fromUtf8("Paletteneintr\u00e4ge"));
  }

  void saveAsWritesTheFileByteForByte() {
    TMDIChild* image = NewImage("scan");
    TPaletteForm* f = NewEditor(image);
    f->Model().BlockEnd = 255;
    f->InversButton->click();  // red 255 - i, green and blue i
    QByteArray expected = "JASC-PAL\r\n0100\r\n256\r\n";
    for (int i = 0; i < 256; ++i)
      expected += QByteArray::number(255 - i) + ' ' + QByteArray::number(i) + ' ' +
                  QByteArray::number(i) + "\r\n";

    // Save without a file kind asks for a name.
    AnswerFile(Path("inv.PAL"), 1);
    f->Speichern->trigger();
    QCOMPARE(ReadFile(Path("inv.PAL")), expected);
    QCOMPARE(f->windowTitle(), QStringLiteral("Paletten-Editor <inv.PAL>"));
    QVERIFY(!f->Rueckgaengig->isEnabled());
    QCOMPARE(f->SaveFolder(), QFileInfo(Path("inv.PAL")).absolutePath());

    // Then Save writes to the same file without a dialog, as text in binary form.
    f->Model().BlockEnd = 0;
    f->InversButton->click();
    QCOMPARE(f->windowTitle(), QStringLiteral("Paletten-Editor <inv.PAL>*"));
    f->SpeichernClick();
    expected.replace(QByteArray("JASC-PAL\r\n0100\r\n256\r\n255 0 0\r\n"),
                     QByteArray("JASC-PAL\r\n0100\r\n256\r\n0 0 0\r\n"));
    QCOMPARE(ReadFile(Path("inv.PAL")), expected);

    // Binary, with the save dialog's filter 3.
    AnswerFile(Path("inv.bin"), 3);
    f->SpeichernAlsClick();
    const QByteArray bin = ReadFile(Path("inv.bin"));
    QCOMPARE(bin.size(), 768);
    QCOMPARE(uint8_t(bin[3 * 200]), uint8_t(55));
    QCOMPARE(f->Model().PaletteKind, pkBinary);
  }

  void openReadsAFileWrittenIndependently() {
    TMDIChild* image = NewImage("scan");
    TPaletteForm* f = NewEditor(image);
    QFile file(Path("four.TXT"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("1 2 3\r\n300 0 0\r\n7\r\n");
    file.close();
    AnswerFile(Path("four.TXT"), 2);
    f->Oeffnen->trigger();
    QCOMPARE(TableEntry(image, 0), (TRgb{1, 2, 3}));
    QCOMPARE(TableEntry(image, 1), (TRgb{44, 0, 0}));
    QCOMPARE(TableEntry(image, 2), (TRgb{0, 0, 7}));
    QCOMPARE(TableEntry(image, 3), (TRgb{3, 3, 3}));
    QCOMPARE(RenderedEntry(image, 1), (TRgb{44, 0, 0}));
    QCOMPARE(f->windowTitle(), QStringLiteral("Paletten-Editor <four.TXT>"));
    QCOMPARE(f->OpenFolder(), QFileInfo(Path("four.TXT")).absolutePath());
    QVERIFY(msgs_.asked.empty());

    // A bad number: the message, and the entries before it are kept.
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("9 9 9\r\nneun 9 9\r\n");
    file.close();
    AnswerFile(Path("four.TXT"), 2);
    f->OeffnenClick();
    QCOMPARE(msgs_.Texts().back(), std::string("\"neun\" is not a valid integer value."));
    QCOMPARE(TableEntry(image, 0), (TRgb{9, 9, 9}));
    QCOMPARE(TableEntry(image, 1), (TRgb{44, 0, 0}));
  }

  void openWhileModifiedAsksAndCancelKeepsEverything() {
    TMDIChild* image = NewImage("scan");
    TPaletteForm* f = NewEditor(image);
    f->InversButton->click();
    const PaletteBytes edited = f->Model().PaletteData;
    msgs_.answers = {TModalResult::mrCancel};
    f->OeffnenClick();  // no dialog may open: the test would hang in it
    QCOMPARE(msgs_.asked, std::vector<std::string>{"Palette wurde ver\u00e4ndert. Speichern?"});
    QVERIFY(f->Model().PaletteData == edited);
    QCOMPARE(f->windowTitle(), QStringLiteral("Paletten-Editor <neue Palette>*"));
    QCOMPARE(f->Model().PaletteFileName, std::string("neue Palette"));

    // Yes, then the save dialog cancelled: the open does not go on either.
    msgs_.answers = {TModalResult::mrYes};
    AnswerFile(QString(), 1);
    f->OeffnenClick();
    QVERIFY(f->Model().PaletteData == edited);
    QVERIFY(f->Model().Modified());
  }

  void closingAModifiedEditorAsks() {
    TMDIChild* image = NewImage("scan");
    QPointer<TPaletteForm> f = NewEditor(image);
    f->InversButton->click();
    msgs_.answers = {TModalResult::mrCancel};
    QVERIFY(!f->close());
    QVERIFY(f->isVisible());
    // Yes with the save dialog cancelled keeps it open too.
    msgs_.answers = {TModalResult::mrYes};
    AnswerFile(QString(), 1);
    QVERIFY(!f->close());
    // Yes and saved: closes, the file is written.
    msgs_.answers = {TModalResult::mrYes};
    AnswerFile(Path("closing.TXT"), 2);
    f->BeendenClick();
    QTRY_VERIFY(f.isNull());
    QCOMPARE(ReadFile(Path("closing.TXT")).count('\n'), 256);
    // The edited colours stay in the image.
    QCOMPARE(TableEntry(image, 0), (TRgb{255, 0, 0}));

    QPointer<TPaletteForm> g = NewEditor(image);
    g->InversButton->click();
    msgs_.answers = {TModalResult::mrNo};
    QVERIFY(g->close());
    QTRY_VERIFY(g.isNull());
    QCOMPARE(msgs_.asked.size(), size_t(4));

    // Unmodified: closes without a question.
    QPointer<TPaletteForm> h = NewEditor(image);
    QVERIFY(h->close());
    QCOMPARE(msgs_.asked.size(), size_t(4));
  }

  void severalEditorsAtOnce() {
    TMDIChild* a = NewImage("a");
    TMDIChild* b = NewImage("b");
    TPaletteForm* fa = NewEditor(a);
    TPaletteForm* fb = NewEditor(b);
    TPaletteForm* fa2 = NewEditor(a);
    fa->Model().BlockEnd = 1;
    fa->InversButton->click();
    QCOMPARE(TableEntry(a, 1), (TRgb{254, 1, 1}));
    QCOMPARE(TableEntry(b, 1), (TRgb{1, 1, 1}));
    fb->Model().BlockStart = fb->Model().BlockEnd = 2;
    fb->InversButton->click();
    QCOMPARE(TableEntry(b, 2), (TRgb{253, 2, 2}));
    QCOMPARE(TableEntry(a, 2), (TRgb{2, 2, 2}));
    // The second editor of a works on its own copy; its change shows its palette.
    fa2->Model().BlockStart = fa2->Model().BlockEnd = 3;
    fa2->InversButton->click();
    QCOMPARE(TableEntry(a, 3), (TRgb{252, 3, 3}));
    QCOMPARE(TableEntry(a, 1), (TRgb{1, 1, 1}));
  }

  void editorOutlivesNoImageWindow() {
    TMDIChild* image = NewImage("scan");
    QPointer<TPaletteForm> f = NewEditor(image);
    delete image;
    // The editor without its image: changes stay in the editor, nothing crashes.
    f->InversButton->click();
    QVERIFY(f->SourceWindow() == nullptr);
    delete f;
  }
};

QTEST_MAIN(TestPaletteForm)
#include "tst_paletteform.moc"

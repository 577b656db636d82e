// The palette editor: a window that stays on top, opened for one image window and
// owned by it, editing that window's 256 colours live. The left view draws the red,
// green and blue curves of the entries, the right one shows them as a 16 x 16 grid
// in which a block of entries is selected; its texts are German.
#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <optional>
#include <string>

#include "image/Messages.h"
#include "palette/Palette.h"

class QAction;
class QFileDialog;
class QGroupBox;
class QLabel;
class QMenu;
class QMenuBar;
class QToolButton;
class TMDIChild;

// A view that shows a 257 x 257 picture; the editor handles its mouse events.
class TPaletteBitmapView : public QWidget {
  Q_OBJECT
 public:
  explicit TPaletteBitmapView(QWidget* parent = nullptr);
  QImage Bitmap;  // the off-screen picture, copied to the view on every paint
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

class TPaletteForm : public QWidget {
  Q_OBJECT

 public:
  // `messages` shows the editor's boxes and asks its questions.
  explicit TPaletteForm(Messages& messages, QWidget* parent = nullptr);
  ~TPaletteForm() override;

  // The image window whose colours are edited: its colours are taken, then shown.
  void SetSource(TMDIChild* window);
  TMDIChild* SourceWindow() const { return source_.data(); }
  // A caption set from outside (the Palette command's "Choose Palette for ...");
  // the editor's own caption rules replace it at the first change.
  void SetCaptionText(const std::string& caption);

  PaletteModel& Model() { return model_; }
  const PaletteModel& Model() const { return model_; }

  // The palette into the image window's colour table, and the image drawn again.
  void ApplyToImage();
  // Both views drawn again, then ApplyToImage.
  void Refresh();
  void KanaelePaint();
  void PalettePaint();
  // Status panels: "Index " and the entry, "RGB " and its colour, `text`.
  void UpdateStatus(int32_t index, const std::string& text);
  // Undo enabled as "Rückgängig" is, the channel buttons as the active channels.
  void SyncButtons();

  // Controls.
  QMenuBar* MainMenu = nullptr;
  QWidget* ToolBar = nullptr;
  QToolButton* UndoButton = nullptr;
  QToolButton* RotButton = nullptr;
  QToolButton* GruenButton = nullptr;
  QToolButton* BlauButton = nullptr;
  QToolButton* VerbindenButton = nullptr;
  QToolButton* GlaettenButton = nullptr;
  QToolButton* PruefenButton = nullptr;
  QToolButton* FuellButton = nullptr;
  QToolButton* VerlaufButton = nullptr;
  QToolButton* SpiegelButton = nullptr;
  QToolButton* InversButton = nullptr;
  QGroupBox* GroupBox1 = nullptr;  // "RGB-Kanäle"
  QGroupBox* GroupBox2 = nullptr;  // "Paletteneinträge"
  TPaletteBitmapView* Kanaele = nullptr;
  TPaletteBitmapView* Palette = nullptr;
  QWidget* StatusBar = nullptr;
  QLabel* StatusPanel[3] = {nullptr, nullptr, nullptr};
  QMenu* PopupMenu1 = nullptr;

  // Menu items.
  QAction* Oeffnen = nullptr;
  QAction* Extrahieren = nullptr;
  QAction* Speichern = nullptr;
  QAction* SpeichernAls = nullptr;
  QAction* Beenden = nullptr;
  QAction* Rueckgaengig = nullptr;
  QMenu* BlockMenu = nullptr;
  QMenu* SortierenMenu = nullptr;
  QAction* Glaetten = nullptr;
  QAction* Fuellen = nullptr;
  QAction* Verlauf = nullptr;
  QAction* Invertieren = nullptr;
  QAction* Spiegeln = nullptr;
  QAction* Pruefen = nullptr;
  QAction* AktivRot = nullptr;
  QAction* AktivGruen = nullptr;
  QAction* AktivBlau = nullptr;
  QAction* SichtbarRot = nullptr;
  QAction* SichtbarGruen = nullptr;
  QAction* SichtbarBlau = nullptr;
  QAction* Verbinden = nullptr;
  QAction* Symbole = nullptr;
  QAction* Status = nullptr;
  QMenu* FarbmodellMenu = nullptr;
  QAction* Ueber = nullptr;
  QAction* Bedienung = nullptr;

  // File commands. SpeichernAlsClick is true when the palette was written.
  void OeffnenClick();
  void SpeichernClick();
  bool SpeichernAlsClick();
  void BeendenClick();
  void UndoButtonClick();

  // Operations on the block and the channels.
  void FuellButtonClick();
  void VerlaufButtonClick();
  void SpiegelButtonClick();
  void InversButtonClick();
  void GlaettenClick();
  void PruefenClick();
  void AktivRotClick();
  void AktivGruenClick();
  void AktivBlauClick();
  void verbindenClick();
  void SichtbarRotClick();
  void SichtbarGruenClick();
  void SichtbarBlauClick();
  void SymboleClick();
  void StatusClick();
  void UeberClick();

  // Mouse input of the two views, in view pixels.
  void KanaeleMouseDown(Qt::MouseButton button, int x, int y);
  void KanaeleMouseMove(int x, int y);
  void KanaeleMouseUp(Qt::MouseButton button, int x, int y);
  void PaletteMouseDown(Qt::MouseButton button, int x, int y);
  void PaletteMouseMove(int x, int y);
  void PaletteMouseUp(Qt::MouseButton button);
  void PaletteDblClick();

  // The folders the file dialogs start in.
  QString OpenFolder() const { return openFolder_; }
  QString SaveFolder() const { return saveFolder_; }

 protected:
  // FormCloseQuery: a modified palette asks whether to save it first.
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void FormCreate();
  void PlaceBeside(const QWidget& window);
  void BuildMenus();
  void BuildToolBar();
  // The window's caption from the model, the undo items from its snapshots.
  void SyncCaption();
  void SyncMenus();
  void ShowStatus(const TPaletteStatus& status);
  // The colour dialog, preset; nothing when it was cancelled.
  std::optional<TRgb> ChooseColour(TRgb preset);
  // The open or save dialog; the chosen file and its filter index (1..3), or an
  // empty name when cancelled.
  QString RunFileDialog(bool save, int& filterIndex);
  // The question before a modified palette is replaced or left: true to go on.
  bool QuerySave();

  Messages& messages_;
  PaletteModel model_;
  QPointer<TMDIChild> source_;
  QString openFolder_;
  QString saveFolder_;
};

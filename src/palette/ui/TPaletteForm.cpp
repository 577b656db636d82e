// The palette editor window: menus, tool bar, the two views and the status bar, with
// handlers that call the palette model and redraw.
#include "palette/ui/TPaletteForm.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QColorDialog>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>

#include "palette/PaletteViews.h"
#include "palette/ui/PaletteIcons.h"
#include "view/TMDIChild.h"

namespace {

constexpr int kToolBarHeight = 25;
constexpr int kStatusBarHeight = 17;
constexpr int kPanelWidths[3] = {142, 142, 200};

QString Text(const char* utf8) {
  return QString::fromUtf8(utf8);
}

const char* const kOpenFilters[3] = {"JASC-Palette (*.PAL)", "Text-Datei (*.TXT)",
                                     "Bin\u00e4r-Datei(*.*)"};
const char* const kSaveFilters[3] = {"JASC-Palette (*.PAL)", "Text-Datei (*.TXT)",
                                     "Bin\u00e4r-Datei (*.*)"};

// The files a filter lists. A binary palette may have any name, also none with a
// dot, so its filter lists every file.
QStringList PatternsOfFilter(int index) {
  switch (index) {
    case 1:
      return {QStringLiteral("*.PAL")};
    case 2:
      return {QStringLiteral("*.TXT")};
    default:
      return {QStringLiteral("*")};
  }
}

QAction* AddItem(QMenu* menu, const char* name, const char* caption, bool enabled = true,
                 bool checkable = false) {
  QAction* a = menu->addAction(Text(caption));
  a->setObjectName(QString::fromLatin1(name));
  a->setEnabled(enabled);
  a->setCheckable(checkable);
  return a;
}

QImage ToImage(const ViewPixels& pixels) {
  QImage image(kPaletteViewSide, kPaletteViewSide, QImage::Format_RGB32);
  for (int y = 0; y < kPaletteViewSide; ++y)
    std::memcpy(image.scanLine(y), pixels.data() + static_cast<size_t>(y) * kPaletteViewSide,
                sizeof(uint32_t) * kPaletteViewSide);
  return image;
}

// The folder of the program's first command-line argument (the file it opened at
// start-up); the home folder when it was started without one.
QString StartFolder() {
  const QStringList args = QCoreApplication::arguments();
  if (args.size() >= 2 && !args.at(1).isEmpty()) {
    const QString folder = QFileInfo(args.at(1)).absolutePath();
    if (QDir(folder).exists()) return folder;
  }
  return QDir::homePath();
}

}  // namespace

TPaletteBitmapView::TPaletteBitmapView(QWidget* parent) : QWidget(parent) {
  setFixedSize(kPaletteViewSide, kPaletteViewSide);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  Bitmap = QImage(kPaletteViewSide, kPaletteViewSide, QImage::Format_RGB32);
  Bitmap.fill(Qt::black);
}

QSize TPaletteBitmapView::sizeHint() const {
  return {kPaletteViewSide, kPaletteViewSide};
}

void TPaletteBitmapView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawImage(0, 0, Bitmap);
}

TPaletteForm::TPaletteForm(Messages& messages, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                          Qt::WindowStaysOnTopHint),
      messages_(messages) {
  setObjectName(QStringLiteral("PaletteForm"));
  FormCreate();
}

TPaletteForm::~TPaletteForm() = default;

void TPaletteForm::FormCreate() {
  auto* root = new QVBoxLayout(this);
  root->setContentsMargins(0, 0, 0, 0);
  root->setSpacing(0);
  // A single border: the window has the size its contents need and follows them
  // when the tool bar or the status bar is shown or hidden.
  root->setSizeConstraint(QLayout::SetFixedSize);

  MainMenu = new QMenuBar(this);
  MainMenu->setObjectName(QStringLiteral("MainMenu"));
  root->setMenuBar(MainMenu);

  BuildToolBar();
  root->addWidget(ToolBar);

  auto* body = new QWidget(this);
  auto* row = new QHBoxLayout(body);
  row->setContentsMargins(8, 3, 8, 6);
  row->setSpacing(7);
  GroupBox1 = new QGroupBox(Text("RGB-Kan\u00e4le"), body);
  GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
  GroupBox2 = new QGroupBox(Text("Paletteneintr\u00e4ge"), body);
  GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
  Kanaele = new TPaletteBitmapView(GroupBox1);
  Kanaele->setObjectName(QStringLiteral("Kanaele"));
  Kanaele->setCursor(PenCursor());
  Palette = new TPaletteBitmapView(GroupBox2);
  Palette->setObjectName(QStringLiteral("Palette"));
  for (auto [box, view] : {std::pair{GroupBox1, Kanaele}, {GroupBox2, Palette}}) {
    auto* inner = new QVBoxLayout(box);
    inner->setContentsMargins(8, 8, 8, 8);
    inner->addWidget(view, 0, Qt::AlignCenter);
    view->installEventFilter(this);
  }
  row->addWidget(GroupBox1);
  row->addWidget(GroupBox2);
  root->addWidget(body);

  StatusBar = new QWidget(this);
  StatusBar->setObjectName(QStringLiteral("StatusBar"));
  auto* panels = new QHBoxLayout(StatusBar);
  panels->setContentsMargins(0, 0, 0, 0);
  panels->setSpacing(2);
  // Each panel is as wide as its design width or its longest text at the window's
  // font, whichever is more; the last one takes what the window has left.
  const char* const longest[3] = {"Index 255", "RGB 255, 255, 255",
                                  "Index 255 bis 255 ausgew\u00e4hlt (256 Eintr\u00e4ge)"};
  for (int i = 0; i < 3; ++i) {
    StatusPanel[i] = new QLabel(StatusBar);
    StatusPanel[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i + 1));
    StatusPanel[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    const int needed = StatusPanel[i]->fontMetrics().horizontalAdvance(Text(longest[i])) +
                       2 * StatusPanel[i]->frameWidth() + 8;
    StatusPanel[i]->setMinimumWidth(std::max(kPanelWidths[i], needed));
    if (i < 2) StatusPanel[i]->setMaximumWidth(std::max(kPanelWidths[i], needed));
    panels->addWidget(StatusPanel[i], i == 2 ? 1 : 0);
  }
  // 17 pixels, or as much as the font needs to show its descenders.
  StatusBar->setFixedHeight(std::max(kStatusBarHeight, fontMetrics().height() + 4));
  root->addWidget(StatusBar);

  BuildMenus();

  openFolder_ = saveFolder_ = StartFolder();
  SyncCaption();
  SyncButtons();
  KanaelePaint();
  PalettePaint();
}

void TPaletteForm::BuildToolBar() {
  ToolBar = new QWidget(this);
  ToolBar->setObjectName(QStringLiteral("ToolBar"));
  ToolBar->setFixedHeight(kToolBarHeight);
  auto* row = new QHBoxLayout(ToolBar);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  const auto button = [this, row](const char* name, const char* hint, TPaletteIcon icon,
                                  bool checkable, void (TPaletteForm::*handler)()) {
    auto* b = new QToolButton(ToolBar);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(Text(hint));
    b->setIcon(PaletteIcon(icon));
    b->setIconSize(QSize(16, 16));
    b->setFixedSize(kToolBarHeight, kToolBarHeight);
    b->setAutoRaise(true);
    b->setCheckable(checkable);
    if (handler) connect(b, &QToolButton::clicked, this, [this, handler] { (this->*handler)(); });
    row->addWidget(b);
    return b;
  };
  UndoButton = button("UndoButton", "R\u00fcckg\u00e4ngig", TPaletteIcon::Undo, false,
                      &TPaletteForm::UndoButtonClick);
  RotButton =
      button("RotButton", "Rot-Kanal", TPaletteIcon::Red, true, &TPaletteForm::AktivRotClick);
  GruenButton = button("GruenButton", "Gr\u00fcn-Kanal", TPaletteIcon::Green, true,
                       &TPaletteForm::AktivGruenClick);
  BlauButton =
      button("BlauButton", "Blau-Kanal", TPaletteIcon::Blue, true, &TPaletteForm::AktivBlauClick);
  VerbindenButton = button("VerbindenButton", "Kan\u00e4le verbinden", TPaletteIcon::Link, true,
                           &TPaletteForm::verbindenClick);
  GlaettenButton = button("GlaettenButton", "Gl\u00e4tten", TPaletteIcon::Smooth, false,
                          &TPaletteForm::GlaettenClick);
  PruefenButton = button("PruefenButton", "Auf Wiederholungen testen", TPaletteIcon::Check, false,
                         &TPaletteForm::PruefenClick);
  FuellButton = button("FuellButton", "Block mit Farbe f\u00fcllen", TPaletteIcon::Fill, false,
                       &TPaletteForm::FuellButtonClick);
  VerlaufButton = button("VerlaufButton", "Block mit Verlauf f\u00fcllen", TPaletteIcon::Gradient,
                         false, &TPaletteForm::VerlaufButtonClick);
  SpiegelButton = button("SpiegelButton", "Block spiegeln", TPaletteIcon::Mirror, false,
                         &TPaletteForm::SpiegelButtonClick);
  InversButton = button("InversButton", "Block invertieren", TPaletteIcon::Invert, false,
                        &TPaletteForm::InversButtonClick);
  // Block commands that exist in the bar without an action yet; they stay hidden.
  const std::pair<const char*, TPaletteIcon> hidden[] = {
      {"Block kopieren", TPaletteIcon::Copy},    {"Block einf\u00fcgen", TPaletteIcon::Paste},
      {"Block ausschneiden", TPaletteIcon::Cut}, {"Block l\u00f6schen", TPaletteIcon::Delete},
      {"Block verschieben", TPaletteIcon::Move}, {"Block senken/anheben", TPaletteIcon::Offset}};
  int n = 0;
  for (const auto& [hint, icon] : hidden) {
    const std::string name = "HiddenButton" + std::to_string(++n);
    button(name.c_str(), hint, icon, false, nullptr)->hide();
  }
  row->addStretch(1);
}

void TPaletteForm::BuildMenus() {
  const auto on = [this](QAction* a, void (TPaletteForm::*handler)()) {
    connect(a, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
  };

  QMenu* datei = MainMenu->addMenu(Text("Datei"));
  Oeffnen = AddItem(datei, "Oeffnen", "&\u00d6ffnen...");
  on(Oeffnen, &TPaletteForm::OeffnenClick);
  Extrahieren = AddItem(datei, "Extrahieren", "Extrahieren", false);
  Speichern = AddItem(datei, "Speichern", "Speichern");
  on(Speichern, &TPaletteForm::SpeichernClick);
  SpeichernAls = AddItem(datei, "SpeichernAls", "&Speichern als...");
  connect(SpeichernAls, &QAction::triggered, this, [this] { SpeichernAlsClick(); });
  datei->addSeparator();
  Beenden = AddItem(datei, "Beenden", "&Beenden");
  on(Beenden, &TPaletteForm::BeendenClick);

  QMenu* bearbeiten = MainMenu->addMenu(Text("Bearbeiten"));
  Rueckgaengig = AddItem(bearbeiten, "Rueckgaengig", "R\u00fcckg\u00e4ngig", false);
  on(Rueckgaengig, &TPaletteForm::UndoButtonClick);
  bearbeiten->addSeparator();
  BlockMenu = bearbeiten->addMenu(Text("Block"));
  BlockMenu->setObjectName(QStringLiteral("BlockMenu"));
  AddItem(BlockMenu, "Ausschneiden", "Ausschneiden", false);
  AddItem(BlockMenu, "Kopieren", "Kopieren", false);
  AddItem(BlockMenu, "Einfuegen", "Einf\u00fcgen", false);
  AddItem(BlockMenu, "Loeschen", "L\u00f6schen", false);
  BlockMenu->addSeparator();
  Glaetten = AddItem(BlockMenu, "Glaetten", "Gl\u00e4tten");
  on(Glaetten, &TPaletteForm::GlaettenClick);
  Fuellen = AddItem(BlockMenu, "Fuellen", "F\u00fcllen mit...");
  on(Fuellen, &TPaletteForm::FuellButtonClick);
  Verlauf = AddItem(BlockMenu, "Verlauf", "Verlauf");
  on(Verlauf, &TPaletteForm::VerlaufButtonClick);
  BlockMenu->addSeparator();
  Invertieren = AddItem(BlockMenu, "Invertieren", "Invertieren");
  on(Invertieren, &TPaletteForm::InversButtonClick);
  AddItem(BlockMenu, "Offset", "Offset", false);
  Spiegeln = AddItem(BlockMenu, "Spiegeln", "Spiegeln");
  on(Spiegeln, &TPaletteForm::SpiegelButtonClick);
  AddItem(BlockMenu, "Verschieben", "Verschieben", false);
  SortierenMenu = bearbeiten->addMenu(Text("Sortieren nach"));
  SortierenMenu->setObjectName(QStringLiteral("SortierenMenu"));
  for (const char* item : {"Rot", "Gr\u00fcn", "Blau", "Farbwert", "S\u00e4ttigung",
                           "Intensit\u00e4t", "Cyan", "Magenta", "Yellow", "HTML-Wert"})
    SortierenMenu->addAction(Text(item));
  SortierenMenu->setEnabled(false);
  bearbeiten->addSeparator();
  Pruefen = AddItem(bearbeiten, "Pruefen", "&Pr\u00fcfen");
  on(Pruefen, &TPaletteForm::PruefenClick);

  QMenu* kanaele = MainMenu->addMenu(Text("Farbkan\u00e4le"));
  QMenu* aktiv = kanaele->addMenu(Text("Bearbeiten"));
  AktivRot = AddItem(aktiv, "AktivRot", "Rot", true, true);
  on(AktivRot, &TPaletteForm::AktivRotClick);
  AktivGruen = AddItem(aktiv, "AktivGruen", "Gr\u00fcn", true, true);
  on(AktivGruen, &TPaletteForm::AktivGruenClick);
  AktivBlau = AddItem(aktiv, "AktivBlau", "Blau", true, true);
  on(AktivBlau, &TPaletteForm::AktivBlauClick);
  QMenu* anzeigen = kanaele->addMenu(Text("Anzeigen"));
  SichtbarRot = AddItem(anzeigen, "SichtbarRot", "Rot", true, true);
  on(SichtbarRot, &TPaletteForm::SichtbarRotClick);
  SichtbarGruen = AddItem(anzeigen, "SichtbarGruen", "Gr\u00fcn", true, true);
  on(SichtbarGruen, &TPaletteForm::SichtbarGruenClick);
  SichtbarBlau = AddItem(anzeigen, "SichtbarBlau", "Blau", true, true);
  on(SichtbarBlau, &TPaletteForm::SichtbarBlauClick);
  kanaele->addSeparator();
  Verbinden = AddItem(kanaele, "Verbinden", "Verbinden", true, true);
  on(Verbinden, &TPaletteForm::verbindenClick);

  QMenu* anzeige = MainMenu->addMenu(Text("Anzeige"));
  Symbole = AddItem(anzeige, "Symbole", "Symbolleiste", true, true);
  Symbole->setChecked(true);
  on(Symbole, &TPaletteForm::SymboleClick);
  Status = AddItem(anzeige, "Status", "Statusleiste", true, true);
  Status->setChecked(true);
  on(Status, &TPaletteForm::StatusClick);
  anzeige->addSeparator();
  FarbmodellMenu = anzeige->addMenu(Text("Farbmodell"));
  FarbmodellMenu->setObjectName(QStringLiteral("FarbmodellMenu"));
  // The colour models only switch their check marks among themselves.
  auto* models = new QActionGroup(FarbmodellMenu);
  for (const char* item : {"RGB", "HSI", "CMY", "Hex-Wert"}) {
    QAction* a = AddItem(FarbmodellMenu, item, item, true, true);
    models->addAction(a);
    a->setChecked(std::strcmp(item, "RGB") == 0);
  }
  FarbmodellMenu->setEnabled(false);

  QMenu* hilfe = MainMenu->addMenu(Text("Hilfe"));
  Ueber = AddItem(hilfe, "Ueber", "\u00dcber...");
  on(Ueber, &TPaletteForm::UeberClick);
  Bedienung = AddItem(hilfe, "Bedienung", "Bedienung", false);

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  on(AddItem(PopupMenu1, "Farbe", "Farbe"), &TPaletteForm::FuellButtonClick);
  on(AddItem(PopupMenu1, "PopupVerlauf", "Verlauf"), &TPaletteForm::VerlaufButtonClick);
  PopupMenu1->addSeparator();
  on(AddItem(PopupMenu1, "PopupInvertieren", "Invertieren"), &TPaletteForm::InversButtonClick);
  on(AddItem(PopupMenu1, "PopupSpiegeln", "Spiegeln"), &TPaletteForm::SpiegelButtonClick);
  PopupMenu1->addSeparator();
  AddItem(PopupMenu1, "PopupVerschieben", "Verschieben", false);
  AddItem(PopupMenu1, "PopupOffset", "Offset", false);
}

void TPaletteForm::SetSource(TMDIChild* window) {
  source_ = window;
  if (window && window->Doc().Picture) model_.TakeColours(window->Doc().Picture->ColourTable);
  Refresh();
  if (window) PlaceBeside(*window);
}

void TPaletteForm::PlaceBeside(const QWidget& window) {
  // Beside the image window, so the colours being edited can be watched on it; inside
  // the screen, and over the window only where the screen has no room beside it.
  adjustSize();
  const QRect image(window.mapToGlobal(QPoint(0, 0)), window.size());
  const QScreen* screen = window.screen();
  const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  const QSize outer = frameGeometry().size().expandedTo(size());
  int x = image.right() + 8;
  if (x + outer.width() > area.right()) x = image.left() - outer.width() - 8;
  if (x < area.left()) x = area.right() - outer.width();
  const int y =
      std::clamp(image.top(), area.top(), std::max(area.top(), area.bottom() - outer.height()));
  move(std::max(x, area.left()), y);
}

void TPaletteForm::SetCaptionText(const std::string& caption) {
  model_.Caption = caption;
  SyncCaption();
}

void TPaletteForm::ApplyToImage() {
  if (!source_ || !source_->Doc().Picture) return;
  model_.ApplyTo(source_->Doc().Picture->ColourTable);
  source_->UpdateImage();
}

void TPaletteForm::Refresh() {
  KanaelePaint();
  PalettePaint();
  ApplyToImage();
}

void TPaletteForm::KanaelePaint() {
  Kanaele->Bitmap = ToImage(ChannelViewPixels(model_.PaletteData, model_.Visible));
  Kanaele->update();
}

void TPaletteForm::PalettePaint() {
  Palette->Bitmap =
      ToImage(PaletteViewPixels(model_.PaletteData, model_.BlockStart, model_.BlockEnd));
  Palette->update();
}

void TPaletteForm::UpdateStatus(int32_t index, const std::string& text) {
  ShowStatus(model_.Status(index, text));
}

void TPaletteForm::ShowStatus(const TPaletteStatus& status) {
  StatusPanel[0]->setText(QString::fromStdString(status.Index));
  StatusPanel[1]->setText(QString::fromStdString(status.Rgb));
  StatusPanel[2]->setText(QString::fromStdString(status.Text));
}

void TPaletteForm::SyncCaption() {
  setWindowTitle(QString::fromStdString(model_.Caption));
}

void TPaletteForm::SyncMenus() {
  // "Rückgängig" is enabled exactly while there is a snapshot to go back to.
  Rueckgaengig->setEnabled(model_.Modified());
  SyncCaption();
  SyncButtons();
}

void TPaletteForm::SyncButtons() {
  UndoButton->setEnabled(Rueckgaengig->isEnabled());
  const ChannelSet& a = model_.Active;
  RotButton->setChecked(a[chRed]);
  GruenButton->setChecked(a[chGreen]);
  BlauButton->setChecked(a[chBlue]);
  VerbindenButton->setChecked(model_.Linked);
  AktivRot->setChecked(a[chRed]);
  AktivGruen->setChecked(a[chGreen]);
  AktivBlau->setChecked(a[chBlue]);
  Verbinden->setChecked(model_.Linked);
  SichtbarRot->setChecked(model_.Visible[chRed]);
  SichtbarGruen->setChecked(model_.Visible[chGreen]);
  SichtbarBlau->setChecked(model_.Visible[chBlue]);
}

// ---- files -------------------------------------------------------------------------

QString TPaletteForm::RunFileDialog(bool save, int& filterIndex) {
  QFileDialog dialog(this, save ? Text("Palette speichern") : Text("Palette \u00f6ffnen"),
                     save ? saveFolder_ : openFolder_);
  dialog.setObjectName(save ? QStringLiteral("PaletteSaveDialog")
                            : QStringLiteral("PaletteOpenDialog"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  QStringList filters;
  for (const char* f : save ? kSaveFilters : kOpenFilters) filters << Text(f);
  dialog.setNameFilters(filters);
  auto* model = dialog.findChild<QFileSystemModel*>();
  const auto follow = [&dialog, model, filters, save](const QString& filter) {
    const int index = static_cast<int>(filters.indexOf(filter)) + 1;
    if (model) model->setNameFilters(PatternsOfFilter(index));
    // A name typed without extension gets the one of the chosen text kind.
    if (save)
      dialog.setDefaultSuffix(index == 1   ? QStringLiteral("PAL")
                              : index == 2 ? QStringLiteral("TXT")
                                           : QString());
  };
  connect(&dialog, &QFileDialog::filterSelected, &dialog, follow);
  const int start = filterIndex >= 1 && filterIndex <= 3 ? filterIndex : 1;
  dialog.selectNameFilter(filters.at(start - 1));
  follow(filters.at(start - 1));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  const int chosen = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
  filterIndex = chosen > 0 ? chosen : start;
  return dialog.selectedFiles().constFirst();
}

bool TPaletteForm::QuerySave() {
  if (!model_.Modified()) return true;
  const TModalResult answer =
      messages_.Ask("Palette wurde ver\u00e4ndert. Speichern?", TMsgDlgType::mtConfirmation,
                    mbYes | mbNo | mbCancel, false);
  if (answer == TModalResult::mrNo) return true;
  // Yes goes on only once the palette is saved: a cancelled or failed save would
  // otherwise lose the changes it was meant to keep.
  if (answer == TModalResult::mrYes) return SpeichernAlsClick();
  return false;
}

void TPaletteForm::OeffnenClick() {
  if (!QuerySave()) return;
  int filter = model_.PaletteKind != pkNone ? model_.PaletteKind : 1;
  const QString name = RunFileDialog(false, filter);
  if (name.isEmpty()) return;
  openFolder_ = QFileInfo(name).absolutePath();
  model_.OpenFile(name.toStdString(), filter, messages_);
  SyncMenus();
  Refresh();
}

void TPaletteForm::SpeichernClick() {
  if (model_.CanSave()) {
    model_.SavePalette(messages_);
    SyncMenus();
  } else {
    SpeichernAlsClick();
  }
}

bool TPaletteForm::SpeichernAlsClick() {
  int filter = model_.PaletteKind != pkNone ? model_.PaletteKind : 1;
  const QString name = RunFileDialog(true, filter);
  if (name.isEmpty()) return false;
  saveFolder_ = QFileInfo(name).absolutePath();
  const bool saved = model_.SaveAs(name.toStdString(), filter, messages_);
  SyncMenus();
  return saved;
}

void TPaletteForm::BeendenClick() {
  close();
}

void TPaletteForm::closeEvent(QCloseEvent* event) {
  if (!QuerySave()) {
    event->ignore();
    return;
  }
  // Leeren: the snapshots go with the editor; the palette stays in the image.
  model_.UndoList.clear();
  event->accept();
}

void TPaletteForm::UndoButtonClick() {
  if (!model_.Undo()) return;
  SyncMenus();
  Refresh();
}

// ---- operations --------------------------------------------------------------------

void TPaletteForm::FuellButtonClick() {
  const int32_t preset = model_.BeginFill();
  SyncMenus();
  PalettePaint();
  // A cancelled dialog leaves the snapshot: the palette counts as modified.
  const std::optional<TRgb> colour = ChooseColour(EntryColour(model_.PaletteData, preset));
  if (!colour) return;
  model_.FinishFill(*colour);
  Refresh();
}

void TPaletteForm::VerlaufButtonClick() {
  model_.Gradient();
  SyncMenus();
  Refresh();
}

void TPaletteForm::SpiegelButtonClick() {
  model_.Mirror();
  SyncMenus();
  Refresh();
}

void TPaletteForm::InversButtonClick() {
  model_.Invert();
  SyncMenus();
  Refresh();
}

void TPaletteForm::GlaettenClick() {
  model_.Smooth();
  SyncMenus();
  Refresh();
}

void TPaletteForm::PruefenClick() {
  messages_.ShowMessage(model_.CheckRepetitions(), TMsgDlgType::mtCustom);
}

void TPaletteForm::AktivRotClick() {
  model_.AktivClick(chRed);
  SyncButtons();
}

void TPaletteForm::AktivGruenClick() {
  model_.AktivClick(chGreen);
  SyncButtons();
}

void TPaletteForm::AktivBlauClick() {
  model_.AktivClick(chBlue);
  SyncButtons();
}

void TPaletteForm::verbindenClick() {
  model_.VerbindenClick();
  SyncButtons();
}

void TPaletteForm::SichtbarRotClick() {
  model_.SichtbarClick(chRed);
  SyncButtons();
  KanaelePaint();
}

void TPaletteForm::SichtbarGruenClick() {
  model_.SichtbarClick(chGreen);
  SyncButtons();
  KanaelePaint();
}

void TPaletteForm::SichtbarBlauClick() {
  model_.SichtbarClick(chBlue);
  SyncButtons();
  KanaelePaint();
}

void TPaletteForm::SymboleClick() {
  // The views move down by the bar's height and the window grows by it (and back).
  const bool show = ToolBar->isHidden();
  ToolBar->setVisible(show);
  Symbole->setChecked(show);
  layout()->activate();
}

void TPaletteForm::StatusClick() {
  const bool show = StatusBar->isHidden();
  StatusBar->setVisible(show);
  Status->setChecked(show);
  layout()->activate();
}

void TPaletteForm::UeberClick() {
  messages_.ShowMessage("Paletten-Editor\rVersion 1.1", TMsgDlgType::mtCustom);
}

std::optional<TRgb> TPaletteForm::ChooseColour(TRgb preset) {
  QColorDialog dialog(QColor(preset.Red, preset.Green, preset.Blue), this);
  dialog.setObjectName(QStringLiteral("PaletteColorDialog"));
  dialog.setOption(QColorDialog::DontUseNativeDialog);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QColor c = dialog.selectedColor().toRgb();
  return TRgb{static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()),
              static_cast<uint8_t>(c.blue())};
}

// ---- mouse -------------------------------------------------------------------------

void TPaletteForm::KanaeleMouseDown(Qt::MouseButton button, int x, int y) {
  if (model_.KanaeleMouseDown(button == Qt::LeftButton, x, y)) SyncMenus();
}

void TPaletteForm::KanaeleMouseMove(int x, int y) {
  const bool drawing = model_.DrawingCurve;
  const std::optional<TPaletteStatus> s = model_.KanaeleMouseMove(x, y);
  if (!s) return;
  ShowStatus(*s);
  if (!drawing) return;
  KanaelePaint();
  // Live: the image follows the stroke, not only its end.
  ApplyToImage();
}

void TPaletteForm::KanaeleMouseUp(Qt::MouseButton button, int x, int y) {
  if (button == Qt::LeftButton) {
    model_.KanaeleMouseUp(true);
    Refresh();
    return;
  }
  // Another button edits the colour of the entry under it; a release outside the
  // curve area has no entry.
  if (x < 0 || x > 255 || y < 0 || y > 255) return;
  const std::optional<TRgb> colour = ChooseColour(EntryColour(model_.PaletteData, x));
  // The edit takes a snapshot like every other one, so it can be undone and a
  // palette changed only this way still asks to be saved.
  if (colour) model_.SetEntry(x, *colour);
  SyncMenus();
  Refresh();
}

void TPaletteForm::PaletteMouseDown(Qt::MouseButton button, int x, int y) {
  const TPaletteStatus s = model_.PaletteMouseDown(button == Qt::LeftButton, x, y);
  ShowStatus(s);
  PalettePaint();
}

void TPaletteForm::PaletteMouseMove(int x, int y) {
  const std::optional<TPaletteStatus> s = model_.PaletteMouseMove(x, y);
  if (!s) return;
  ShowStatus(*s);
  if (model_.Selecting) PalettePaint();
}

void TPaletteForm::PaletteMouseUp(Qt::MouseButton button) {
  model_.PaletteMouseUp(button == Qt::LeftButton);
}

void TPaletteForm::PaletteDblClick() {
  const std::optional<TRgb> colour =
      ChooseColour(EntryColour(model_.PaletteData, model_.CurrentEntry));
  if (colour) {
    model_.SetEntry(model_.CurrentEntry, *colour);
    SyncMenus();
    Refresh();
  }
  model_.Selecting = false;
}

bool TPaletteForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched != Kanaele && watched != Palette) return QWidget::eventFilter(watched, event);
  const bool channels = watched == Kanaele;
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      auto* e = static_cast<QMouseEvent*>(event);
      const QPoint p = e->position().toPoint();
      if (channels) {
        KanaeleMouseDown(e->button(), p.x(), p.y());
      } else {
        // The second press of a double click is a press too, then the double click.
        PaletteMouseDown(e->button(), p.x(), p.y());
        if (event->type() == QEvent::MouseButtonDblClick && e->button() == Qt::LeftButton)
          PaletteDblClick();
      }
      return true;
    }
    case QEvent::MouseMove: {
      const QPoint p = static_cast<QMouseEvent*>(event)->position().toPoint();
      if (channels)
        KanaeleMouseMove(p.x(), p.y());
      else
        PaletteMouseMove(p.x(), p.y());
      return true;
    }
    case QEvent::MouseButtonRelease: {
      auto* e = static_cast<QMouseEvent*>(event);
      const QPoint p = e->position().toPoint();
      if (channels)
        KanaeleMouseUp(e->button(), p.x(), p.y());
      else
        PaletteMouseUp(e->button());
      return true;
    }
    case QEvent::ContextMenu:
      if (!channels) PopupMenu1->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
      return true;
    default:
      break;
  }
  return QWidget::eventFilter(watched, event);
}

bool TPaletteForm::event(QEvent* event) {
  // The image shows the palette of the editor the user works in, also when several
  // editors are open on it.
  if (event->type() == QEvent::WindowActivate) ApplyToImage();
  return QWidget::event(event);
}

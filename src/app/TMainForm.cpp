// The main window: menu, speed buttons, status bar hints, settings, the table of
// image windows and the open command.
#include "app/TMainForm.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QColorDialog>
#include <QDir>
#include <QFileInfo>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "analysis/Roughness.h"
#include "app/ClipboardPrint.h"
#include "app/FileDialogs.h"
#include "app/Icons.h"
#include "app/QtMessages.h"
#include "app/TAboutBox.h"
#include "app/TAxesForm.h"
#include "app/TRenameForm.h"
#include "app/ToolCommands.h"
#include "app/WindowArrangement.h"
#include "formats/AsciiExport.h"
#include "formats/NativeWriter.h"
#include "formats/OpenFile.h"
#include "image/TextEncoding.h"
#include "process/Arithmetic.h"
#include "settings/IniFile.h"
#include "settings/SettingsKeys.h"
#include "view/TMDIChild.h"

namespace {

constexpr int kDesignWidth = 785;
constexpr int kDesignHeight = 563;

// A hint "short|long": the short part is the tool tip, the long part the status
// text; without "|" both are the whole hint.
void ApplyHint(QWidget* w, const QString& hint) {
  const qsizetype bar = hint.indexOf(QLatin1Char('|'));
  w->setToolTip(bar < 0 ? hint : hint.left(bar));
  w->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
}

QAction* AddItem(QMenu* menu, const char* name, const char* caption, const char* hint = nullptr) {
  QAction* a = menu->addAction(QString::fromUtf8(caption));
  a->setObjectName(QString::fromLatin1(name));
  if (hint) a->setStatusTip(QString::fromUtf8(hint));
  return a;
}

QMenu* AddMenu(QMenuBar* bar, const char* name, const char* caption, const char* hint = nullptr) {
  QMenu* m = bar->addMenu(QString::fromUtf8(caption));
  m->setObjectName(QString::fromLatin1(name));
  m->menuAction()->setObjectName(QString::fromLatin1(name) + QStringLiteral("Action"));
  if (hint) m->menuAction()->setStatusTip(QString::fromUtf8(hint));
  return m;
}

// The platform's keys for a standard command; where the platform has none (Save As
// and Quit on some desktops), the common one.
void SetStandardKeys(QAction* item, QKeySequence::StandardKey key, const char* fallback) {
  QList<QKeySequence> keys = QKeySequence::keyBindings(key);
  if (keys.isEmpty()) keys << QKeySequence(QString::fromLatin1(fallback));
  item->setShortcuts(keys);
}

// A stored colour value (0x00BBGGRR: red in the low byte) as a QColor.
QColor ColorFromValue(int value) {
  return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

}  // namespace

TMainForm::TMainForm(Messages* messages, const QString& settingsPath, QWidget* parent)
    : QMainWindow(parent) {
  if (messages) {
    messages_ = messages;
  } else {
    ownMessages_ = std::make_unique<QtMessages>(this);
    messages_ = ownMessages_.get();
  }
  const std::string path =
      settingsPath.isEmpty()
          ? settings::ChooseSettingsPath(
                (QCoreApplication::applicationDirPath() + QLatin1Char('/')).toStdString(),
                QDir::homePath().toStdString())
          : settingsPath.toStdString();
  settings_ = std::make_unique<TIniFile>(path);
  FormCreate();
}

TMainForm::~TMainForm() {
  // Detach first: the child windows die below and must not call back into a
  // half-destroyed frame.
  destroying_ = true;
  disconnect(qApp, nullptr, this, nullptr);
  disconnect(mdiArea_, nullptr, this, nullptr);
  for (QMdiSubWindow* w : mdiArea_->subWindowList()) disconnect(w, nullptr, this, nullptr);
  delete mdiArea_;
  mdiArea_ = nullptr;
  delete renameForm_;
  delete axesForm_;
  delete arithForm_;
}

void TMainForm::FormCreate() {
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(QStringLiteral("tarnisk"));
  setWindowIcon(ProgramIcon());
  resize(kDesignWidth, kDesignHeight);
  setFont(QFont(QString::fromLatin1(settings::kDefaultFontName), settings::kDefaultFontSize));

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* panel = new QWidget(central);
  panel->setObjectName(QStringLiteral("SpeedBar"));
  panel->setFixedHeight(30);
  layout->addWidget(panel);
  mdiArea_ = new QMdiArea(central);
  mdiArea_->setObjectName(QStringLiteral("MdiArea"));
  // Windows beyond the visible part stay within reach.
  mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  layout->addWidget(mdiArea_, 1);
  setCentralWidget(central);

  statusBar()->setObjectName(QStringLiteral("StatusBar"));
  FitStatusBar();
  statusBar()->setSizeGripEnabled(false);

  CreateMenus();
  CreateSpeedButtons(panel);

  // Application hints go to the status bar (event() routes status tips to DisplayHint).
  connect(mdiArea_, &QMdiArea::subWindowActivated, this, [this] { UpdateMenuItems(); });
  connect(qApp, &QApplication::focusChanged, this, [this] { UpdateMenuItems(); });

  const int top = settings_->ReadInteger(settings::kMainForm, "Top", settings::kDefaultTop);
  const int left = settings_->ReadInteger(settings::kMainForm, "Left", settings::kDefaultLeft);
  const int width = settings_->ReadInteger(settings::kMainForm, "Width", settings::kDefaultWidth);
  const int height =
      settings_->ReadInteger(settings::kMainForm, "Height", settings::kDefaultHeight);
  // A stored size is used as it is. Without one (the first start) the window takes
  // most of the screen, centred, so that what it opens shows whole: the default
  // 400 x 300 is smaller than one image window.
  const bool sizeStored = settings_->ValueExists(settings::kMainForm, "Width") &&
                          settings_->ValueExists(settings::kMainForm, "Height");
  const bool placeStored = settings_->ValueExists(settings::kMainForm, "Top") &&
                           settings_->ValueExists(settings::kMainForm, "Left");
  if (sizeStored || placeStored) {
    move(left, top);
    resize(width, height);
  }
  if (!sizeStored && screen()) {
    const QRect first = FirstStartGeometry(screen()->availableGeometry());
    resize(first.size());
    if (!placeStored) move(first.topLeft());
  }
  ActiveIndex = -1;
  ReadFont();

  // The rename and rescale dialogs and the arithmetic window live, hidden, from
  // start-up to the end.
  renameForm_ = new TRenameForm([this](const QString& name) {
    if (TMDIChild* child = CurrentImageWindow()) {
      child->setWindowTitle(name);
      // The caption is also what other windows show of this one (the arithmetic
      // window's operand labels); the channel name stays.
      child->Doc().Caption = name.toStdString();
    }
  });
  axesForm_ = new TAxesForm(
      *messages_,
      [this]() -> TImageDoc* {
        TMDIChild* child = CurrentImageWindow();
        return child ? &child->Doc() : nullptr;
      },
      [this] {
        if (TMDIChild* child = CurrentImageWindow()) child->UpdateImage();
      });
  arithForm_ = new TArithForm(*this, settings_.get());

  UpdateMenuItems();
}

void TMainForm::ReadFont() {
  QFont f = font();
  const std::string name = settings_->ReadString(settings::kFont, "Name", f.family().toStdString());
  const int size = settings_->ReadInteger(settings::kFont, "Size", f.pointSize());
  const int color = settings_->ReadInteger(settings::kFont, "Color", settings::kDefaultFontColor);
  f.setFamily(QString::fromStdString(name));
  if (size > 0) f.setPointSize(size);
  setFont(f);
  fontColor_ = ColorFromValue(color);
}

void TMainForm::CreateMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu1"));

  File1 = AddMenu(bar, "File1", "&File", "File related commands");
  FileOpenItem = AddItem(File1, "FileOpenItem", "&Open", "Open an existing file");
  FileCloseItem = AddItem(File1, "FileCloseItem", "&Close", "Close current file");
  CloseAllItem = AddItem(File1, "CloseAllItem", "Close a&ll");
  Print1 = AddItem(File1, "Print1", "&Print");
  FileSaveItem = AddItem(File1, "FileSaveItem", "&Save", "Save current file");
  FileSaveAsItem = AddItem(File1, "FileSaveAsItem", "Save &As...", "Save current file as...");
  FileExportItem = AddItem(File1, "FileExportItem", "&Export", "Export current file as ASCII");
  File1->addSeparator();
  FileExitItem = AddItem(File1, "FileExitItem", "E&xit", "Exit the application");

  Edit1 = AddMenu(bar, "Edit1", "&Edit");
  CutItem = AddItem(Edit1, "CutItem", "Cu&t", "Cut to clipboard");
  CopyItem = AddItem(Edit1, "CopyItem", "&Copy", "Copy to clipboard");
  PasteItem = AddItem(Edit1, "PasteItem", "&Paste", "Paste from clipboard");
  Doublicate1 = AddItem(Edit1, "Doublicate1", "&Duplicate");

  Process1 = AddMenu(bar, "Process1", "&Process");
  Invers1 = AddItem(Process1, "Invers1", "&Invers");
  LowPassItem = AddItem(Process1, "LowPassItem", "&Simple Filter");
  SlopeItem = AddItem(Process1, "SlopeItem", "&Leveling");
  NoiseItem = AddItem(Process1, "NoiseItem", "&Noise");
  HistogramItem = AddItem(Process1, "HistogramItem", "&Histogram");
  ArithmeticItem = AddItem(Process1, "ArithmeticItem", "&Arithmetic");
  Zoom1 = AddItem(Process1, "Zoom1", "&Zoom");
  Shere1 = AddItem(Process1, "Shere1", "S&phere");
  Scale1 = AddItem(Process1, "Scale1", "&Rescale");
  Process1->addSeparator();
  FFTItem = AddItem(Process1, "FFTItem", "&FFT");

  View1 = AddMenu(bar, "View1", "&View");
  Refresh1 = AddItem(View1, "Refresh1", "&Refresh");
  PaletteItem = AddItem(View1, "PaletteItem", "&Palette");
  S3DItem = AddItem(View1, "S3DItem", "Simple&3D");
  FontItem = AddItem(View1, "FontItem", "&Font");
  ScaleBars1 = AddItem(View1, "ScaleBars1", "&ScaleBars");

  Analyse1 = AddMenu(bar, "Analyse1", "&Analyse");
  Line1 = AddItem(Analyse1, "Line1", "&Line");
  Roughness1 = AddItem(Analyse1, "Roughness1", "&Roughness");

  Window1 = AddMenu(bar, "Window1", "&Window", "Window related commands such as Tile and Cascade");
  WindowCascadeItem =
      AddItem(Window1, "WindowCascadeItem", "&Cascade", "Arrange windows to overlap");
  WindowTileItem = AddItem(Window1, "WindowTileItem", "&Tile", "Arrange windows without overlap");
  WindowArrangeItem = AddItem(Window1, "WindowArrangeItem", "&Arrange Icons",
                              "Arrange window icons at bottom of main window");
  WindowMinimizeItem =
      AddItem(Window1, "WindowMinimizeItem", "&Minimize All", "Minimize all windows");
  Window1->addSeparator();
  Rename1 = AddItem(Window1, "Rename1", "Re&name...");

  Help1 = AddMenu(bar, "Help1", "&Help", "Help topics");
  HelpAboutItem = AddItem(Help1, "HelpAboutItem", "&About");

  // The platform's standard keys, shown beside the items.
  SetStandardKeys(FileOpenItem, QKeySequence::Open, "Ctrl+O");
  SetStandardKeys(FileCloseItem, QKeySequence::Close, "Ctrl+W");
  SetStandardKeys(Print1, QKeySequence::Print, "Ctrl+P");
  SetStandardKeys(FileSaveItem, QKeySequence::Save, "Ctrl+S");
  SetStandardKeys(FileSaveAsItem, QKeySequence::SaveAs, "Ctrl+Shift+S");
  SetStandardKeys(FileExitItem, QKeySequence::Quit, "Ctrl+Q");
  SetStandardKeys(CopyItem, QKeySequence::Copy, "Ctrl+C");
  SetStandardKeys(Refresh1, QKeySequence::Refresh, "F5");

  connect(FileOpenItem, &QAction::triggered, this, &TMainForm::OpenDialogeStart);
  connect(FileCloseItem, &QAction::triggered, this, &TMainForm::FileCloseItemClick);
  connect(CloseAllItem, &QAction::triggered, this, &TMainForm::CloseAllItemClick);
  connect(FileSaveItem, &QAction::triggered, this, &TMainForm::FileSaveItemClick);
  connect(FileSaveAsItem, &QAction::triggered, this, &TMainForm::FileSaveAsItemClick);
  connect(FileExportItem, &QAction::triggered, this, &TMainForm::FileExportItemClick);
  connect(FileExitItem, &QAction::triggered, this, &TMainForm::FileExitItemClick);
  connect(Refresh1, &QAction::triggered, this, &TMainForm::RefreshItemClick);
  connect(ScaleBars1, &QAction::triggered, this, &TMainForm::ScaleBars1Click);
  connect(WindowCascadeItem, &QAction::triggered, this, &TMainForm::WindowCascadeItemClick);
  connect(WindowTileItem, &QAction::triggered, this, &TMainForm::WindowTileItemClick);
  connect(WindowArrangeItem, &QAction::triggered, this, &TMainForm::WindowArrangeItemClick);
  connect(WindowMinimizeItem, &QAction::triggered, this, &TMainForm::WindowMinimizeItemClick);
  connect(Rename1, &QAction::triggered, this, &TMainForm::Rename1Click);
  connect(HelpAboutItem, &QAction::triggered, this, &TMainForm::HelpAboutItemClick);
  connect(Doublicate1, &QAction::triggered, this, &TMainForm::Duplicate1Click);
  connect(Invers1, &QAction::triggered, this, &TMainForm::Invers1Click);
  connect(ArithmeticItem, &QAction::triggered, this, &TMainForm::ArithmeticItemClick);
  connect(Scale1, &QAction::triggered, this, &TMainForm::Scale1Click);
  connect(Roughness1, &QAction::triggered, this, &TMainForm::Roughness1Click);
  connect(Line1, &QAction::triggered, this, &TMainForm::Line1Click);
  connect(S3DItem, &QAction::triggered, this, &TMainForm::S3DItemClick);
  connect(FontItem, &QAction::triggered, this, &TMainForm::FontItemClick);
  connect(CopyItem, &QAction::triggered, this, &TMainForm::CopyItemClick);
  connect(Print1, &QAction::triggered, this, &TMainForm::Print1Click);
  connect(PaletteItem, &QAction::triggered, this, [this] { PaletteItemClick(*this); });
  connect(LowPassItem, &QAction::triggered, this, [this] { LowPassItemClick(*this); });
  connect(NoiseItem, &QAction::triggered, this, [this] { NoiseItemClick(*this); });
  connect(HistogramItem, &QAction::triggered, this, [this] { HistogramItemClick(*this); });
  connect(FFTItem, &QAction::triggered, this, [this] { FFTItemClick(*this); });
  connect(SlopeItem, &QAction::triggered, this, [this] { SlopeItemClick(*this); });
  connect(Zoom1, &QAction::triggered, this, [this] { Zoom1Click(*this); });
  connect(Shere1, &QAction::triggered, this, [this] { Shere1Click(*this); });
}

void TMainForm::CreateSpeedButtons(QWidget* panel) {
  struct ButtonDef {
    QToolButton** button;
    const char* name;
    int x;
    const char* hint;
  };
  const ButtonDef defs[] = {
      {&OpenBtn, "OpenBtn", 10, "Open|"},
      {&SaveBtn, "SaveBtn", 36, "Save|"},
      {&ExitBtn, "ExitBtn", 62, "Exit|"},
      {&FilterButton, "FilterButton", 100, "Simple Filter"},
      {&LevelButton, "LevelButton", 126, "Level"},
      {&HistoButton, "HistoButton", 152, "Histogram"},
  };
  for (const ButtonDef& s : defs) {
    auto* b = new QToolButton(panel);
    b->setObjectName(QString::fromLatin1(s.name));
    b->setAutoRaise(true);
    b->setGeometry(s.x, 3, 25, 25);
    b->setIconSize(QSize(16, 16));
    ApplyHint(b, QString::fromLatin1(s.hint));
    *s.button = b;
  }
  OpenBtn->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
  SaveBtn->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
  ExitBtn->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
  FilterButton->setIcon(ButtonIcon(TButtonImage::Filter));
  LevelButton->setIcon(ButtonIcon(TButtonImage::Leveling));
  HistoButton->setIcon(ButtonIcon(TButtonImage::Histogram));
  SaveBtn->setEnabled(false);

  connect(OpenBtn, &QToolButton::clicked, this, &TMainForm::OpenDialogeStart);
  connect(SaveBtn, &QToolButton::clicked, this, &TMainForm::FileSaveItemClick);
  connect(ExitBtn, &QToolButton::clicked, this, &TMainForm::FileExitItemClick);
  connect(FilterButton, &QToolButton::clicked, LowPassItem, &QAction::trigger);
  connect(LevelButton, &QToolButton::clicked, SlopeItem, &QAction::trigger);
  connect(HistoButton, &QToolButton::clicked, HistogramItem, &QAction::trigger);
}

bool TMainForm::event(QEvent* e) {
  if (e->type() == QEvent::StatusTip) {
    DisplayHint(static_cast<QStatusTipEvent*>(e)->tip());
    return true;
  }
  if (e->type() == QEvent::FontChange && statusBar()) FitStatusBar();
  return QMainWindow::event(e);
}

void TMainForm::FitStatusBar() {
  // The design height, growing with a larger font so that no descender is cut.
  statusBar()->setMinimumHeight(std::max(19, QFontMetrics(font()).height() + 6));
}

void TMainForm::DisplayHint(const QString& hint) {
  statusBar()->showMessage(hint);
}

int TMainForm::ChildCount() {
  return mdiArea_ ? static_cast<int>(mdiArea_->subWindowList().size()) : 0;
}

void TMainForm::UpdateMenuItems() {
  if (destroying_) return;
  const bool any = ChildCount() > 0;
  for (QAction* a : {FileCloseItem, CloseAllItem, FileSaveItem, FileSaveAsItem, FileExportItem,
                     Print1, Edit1->menuAction(), Process1->menuAction(), View1->menuAction(),
                     Window1->menuAction(), Analyse1->menuAction()})
    a->setEnabled(any);
  for (QToolButton* b : {SaveBtn, FilterButton, LevelButton, HistoButton}) b->setEnabled(any);
  CutItem->setEnabled(false);
  PasteItem->setEnabled(false);
}

TMDIChild* TMainForm::CurrentImageWindow() const {
  if (ActiveIndex < 1 || ActiveIndex > kMaxChildWindows) return nullptr;
  return ImageWindows[static_cast<size_t>(ActiveIndex)].data();
}

TMDIChild* TMainForm::ActiveImageChild() const {
  return mdiArea_ ? qobject_cast<TMDIChild*>(mdiArea_->currentSubWindow()) : nullptr;
}

// A new window takes the lowest free slot. While no window has been closed that is
// the number of child windows including the new one; after closes it keeps the
// slots unique among the open windows.
int TMainForm::FreeSlot() const {
  for (int i = 1; i <= kMaxChildWindows; ++i)
    if (!ImageWindows[static_cast<size_t>(i)]) return i;
  return -1;
}

TMDIChild* TMainForm::CreateImageWindow(const std::string& name) {
  const int slot = FreeSlot();
  if (ChildCount() >= kMaxChildWindows || slot < 0) {
    messages_->ShowMessage("Too many Data!", TMsgDlgType::mtInformation);
    throw TooManyData();
  }
  auto* child = new TMDIChild(settings_.get(), messages_, font());
  child->SetFontColor(fontColor_);
  child->setWindowIcon(windowIcon());
  mdiArea_->addSubWindow(child);
  ImageWindows[static_cast<size_t>(slot)] = child;
  child->InitWindow(slot, name);
  connect(child, &TMDIChild::Activated, this, [this](int index) { ActiveIndex = index; });
  connect(child, &QObject::destroyed, this, &TMainForm::ChildDestroyed);
  child->show();
  UpdateMenuItems();
  return child;
}

void TMainForm::ChildDestroyed(QObject* child) {
  if (destroying_) return;
  for (auto& slot : ImageWindows)
    if (slot.isNull() || slot.data() == child) slot = nullptr;
  // The window list is updated once the destruction has finished.
  QTimer::singleShot(0, this, &TMainForm::UpdateMenuItems);
}

TMDIChild* TMainForm::ChildOf(const TImageDoc& doc) const {
  for (const auto& w : ImageWindows)
    if (w && &w->Doc() == &doc) return w.data();
  return nullptr;
}

Messages& TMainForm::Msgs() {
  return *messages_;
}

TImageDoc& TMainForm::NewImage(const std::string& name) {
  return CreateImageWindow(name)->Doc();
}

void TMainForm::ImageReady(TImageDoc& doc) {
  TMDIChild* child = ChildOf(doc);
  if (!child) return;
  if (!doc.Caption.empty()) child->setWindowTitle(QString::fromStdString(DisplayText(doc.Caption)));
  child->show();
  child->UpdateImage();
  PlaceInView(*mdiArea_, *child);
  mdiArea_->setActiveSubWindow(child);
  ActiveIndex = child->Index();
}

void TMainForm::DiscardImage(TImageDoc& doc) {
  TMDIChild* child = ChildOf(doc);
  if (!child) return;
  for (auto& slot : ImageWindows)
    if (slot.data() == child) slot = nullptr;
  delete child;
  UpdateMenuItems();
}

void TMainForm::SetWaitCursor(bool on) {
  if (on)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
}

void TMainForm::FolderOpened(const std::string& folder) {
  settings_->WriteString(settings::kSave, "Path", folder);
}

void TMainForm::OpenFile(const QString& fileName) {
  try {
    ::OpenFile(fileName.toStdString(), *this);
  } catch (const TooManyData&) {
    // Already said by the refused window; the command just stops.
  } catch (const std::exception& e) {
    messages_->ShowMessage(e.what(), TMsgDlgType::mtError);
  }
  UpdateMenuItems();
}

void TMainForm::OpenFromCommandLine(const QStringList& arguments) {
  if (arguments.size() >= 2) OpenFile(arguments.at(1));
}

void TMainForm::OpenDialogeStart() {
  QString folder = QString::fromStdString(settings_->ReadString(settings::kSave, "Path", "C:\\"));
  // The classic default "C:\" (and any folder that no longer exists) means home.
  if (folder == QLatin1String("C:\\") || folder.isEmpty() || !QDir(folder).exists())
    folder = QDir::homePath();
  int index = settings_->ReadInteger(settings::kSave, "Index", settings::kDefaultSaveIndex);
  const QString file = RunOpenDialog(this, folder, index);
  if (file.isEmpty()) return;
  settings_->WriteInteger(settings::kSave, "Index", index);
  OpenFile(file);
}

void TMainForm::FileCloseItemClick() {
  if (QMdiSubWindow* w = mdiArea_->currentSubWindow()) w->close();
}

void TMainForm::CloseAllItemClick() {
  // Destroyed directly, without close events. An image window takes its tool
  // windows with it, so the list is held by guarded pointers.
  QList<QPointer<QMdiSubWindow>> windows;
  for (QMdiSubWindow* w : mdiArea_->subWindowList()) windows << w;
  for (const QPointer<QMdiSubWindow>& w : windows) delete w.data();
  UpdateMenuItems();
}

bool TMainForm::WriteBitmapFile(TMDIChild& child, const QString& fileName) {
  // An empty bitmap is no file to write and no failure to report.
  if (!child.HasRenderedImage()) return false;
  if (!child.WriteBitmap(fileName)) {
    messages_->ShowMessage("Cannot create file " + fileName.toStdString(), TMsgDlgType::mtError);
    return false;
  }
  return true;
}

bool TMainForm::MayReplace(const QString& fileName) {
  if (!QFileInfo::exists(fileName)) return true;
  return messages_->Ask(fileName.toStdString() + " already exists.\nDo you want to replace it?",
                        TMsgDlgType::mtConfirmation, mbYes | mbNo, false) == TModalResult::mrYes;
}

void TMainForm::FileSaveItemClick() {
  TMDIChild* child = ActiveImageChild();
  if (!child) return;
  QString name = saveDialog_.LastFileName();
  if (saveDialog_.Run(this, name) == 0) return;
  // Save writes the rendered bitmap whatever filter was chosen, under a bitmap's name.
  name = BitmapSaveName(name);
  if (!MayReplace(name)) return;
  WriteBitmapFile(*child, name);
}

void TMainForm::FileSaveAsItemClick() {
  TMDIChild* child = CurrentImageWindow();
  if (!child) return;
  QString name = QString::fromStdString(ProposedSaveName(child->Doc().ChannelName));
  // A channel name without a folder (native channels) is proposed in the folder of
  // the file opened last, which is where its measurement lies.
  if (!name.isEmpty() && QFileInfo(name).path() == QLatin1String(".")) {
    const QString folder =
        QString::fromStdString(settings_->ReadString(settings::kSave, "Path", ""));
    if (!folder.isEmpty() && QDir(folder).exists()) name = QDir(folder).filePath(name);
  }
  const int index = saveDialog_.Run(this, name);
  if (index == 0) return;
  if (index == 1) {
    if (MayReplace(name)) WriteBitmapFile(*child, name);
    return;
  }
  // The writer refuses an existing parameter file itself ("File exists! Abort!").
  WriteNativeFiles(child->Doc(), name.toStdString(), NativeKindOfFilter(index), *messages_);
}

void TMainForm::FileExportItemClick() {
  TMDIChild* child = CurrentImageWindow();
  if (!child || !child->Doc().HasImage()) return;
  const QString folder = QString::fromStdString(
      settings_->ReadString(settings::kFile, "ExportPath", QDir::currentPath().toStdString()));

  const QString fileName = RunExportDialog(this, folder);
  if (fileName.isEmpty()) return;
  settings_->WriteString(settings::kFile, "ExportPath",
                         (QFileInfo(fileName).absolutePath() + QLatin1Char('/')).toStdString());
  if (!WriteAsciiExport(*child->Doc().Picture, fileName.toStdString(),
                        messages_->DecimalSeparator()))
    messages_->ShowMessage("Cannot create file " + fileName.toStdString(), TMsgDlgType::mtError);
}

void TMainForm::FileExitItemClick() {
  close();
}

void TMainForm::RefreshItemClick() {
  if (TMDIChild* child = CurrentImageWindow()) child->UpdateImage();
}

void TMainForm::ScaleBars1Click() {
  if (TMDIChild* child = ActiveImageChild()) child->PopupMenu1->popup(QPoint(x() + 150, y() + 60));
}

void TMainForm::WindowCascadeItemClick() {
  CascadeWindows(*mdiArea_);
}

void TMainForm::WindowTileItemClick() {
  TileWindows(*mdiArea_);
}

void TMainForm::WindowArrangeItemClick() {
  ArrangeIcons(*mdiArea_);
}

void TMainForm::WindowMinimizeItemClick() {
  MinimizeAll(*mdiArea_);
}

void TMainForm::Rename1Click() {
  TMDIChild* child = CurrentImageWindow();
  if (!child) return;
  renameForm_->Edit1->setText(child->windowTitle());
  renameForm_->show();
}

void TMainForm::HelpAboutItemClick() {
  auto* box = new TAboutBox(nullptr);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->show();
}

TImageDoc* TMainForm::DocInSlot(int slot) {
  if (slot < 1 || slot > kMaxChildWindows) return nullptr;
  TMDIChild* child = ImageWindows[static_cast<size_t>(slot)].data();
  return child ? &child->Doc() : nullptr;
}

int TMainForm::SlotOfDragSource(QObject* source) {
  TMDIChild* child = TMDIChild::FromDragSource(source);
  if (!child || source != child->Image3) return 0;
  return DocInSlot(child->Index()) == &child->Doc() ? child->Index() : 0;
}

void TMainForm::Duplicate1Click() {
  TMDIChild* old = CurrentImageWindow();
  if (!old || !old->Doc().HasImage()) return;
  TMDIChild* w = nullptr;
  try {
    w = CreateImageWindow(old->Doc().ChannelName);
  } catch (const TooManyData& e) {
    // The refusal is reported once more as the command's error, and it stops.
    messages_->ShowMessage(e.what(), TMsgDlgType::mtError);
    return;
  }
  if (!DuplicateDoc(w->Doc(), w->Index(), old->Doc())) {
    DiscardImage(w->Doc());
    return;
  }
  w->setWindowTitle(old->windowTitle());
  w->Doc().Caption = old->windowTitle().toStdString();
  w->UpdateImage();
  PlaceInView(*mdiArea_, *w);
  mdiArea_->setActiveSubWindow(w);
  ActiveIndex = w->Index();
}

void TMainForm::Invers1Click() {
  TMDIChild* child = CurrentImageWindow();
  if (!child || !child->Doc().HasImage()) return;
  InvertPicture(*child->Doc().Picture);
  child->UpdateImage();
}

void TMainForm::ArithmeticItemClick() {
  if (!arithPlaced_) {
    // The first time over the top left of the window area, inside the screen: a window
    // that stays on top must not cover the menus and tool bar. Later it opens where the
    // user left it.
    arithForm_->ensurePolished();
    arithForm_->adjustSize();
    const QRect area(mdiArea_->viewport()->mapToGlobal(QPoint(0, 0)), mdiArea_->viewport()->size());
    const QScreen* shown = screen();
    const QRect room = shown ? shown->availableGeometry() : area;
    const QSize outer = arithForm_->frameGeometry().size().expandedTo(arithForm_->size());
    const int x = std::clamp(area.left() + 8, room.left(),
                             std::max(room.left(), room.right() + 1 - outer.width()));
    const int y = std::clamp(area.top() + 8, room.top(),
                             std::max(room.top(), room.bottom() + 1 - outer.height()));
    arithForm_->move(x, y);
    arithPlaced_ = true;
  }
  arithForm_->show();
  arithForm_->raise();
}

void TMainForm::Scale1Click() {
  if (CurrentImageWindow()) axesForm_->show();
}

void TMainForm::Line1Click() {
  OpenLineProfile(*this);
}

void TMainForm::S3DItemClick() {
  OpenSimple3D(*this);
}

void TMainForm::Roughness1Click() {
  TMDIChild* child = CurrentImageWindow();
  const auto text =
      RoughnessMessage(child ? child->Doc().Picture.get() : nullptr, messages_->DecimalSeparator());
  if (text) messages_->ShowMessage(*text, TMsgDlgType::mtInformation);
}

void TMainForm::FontItemClick() {
  QFontDialog dialog(font(), this);
  dialog.setObjectName(QStringLiteral("FontDialog"));
  dialog.setOption(QFontDialog::DontUseNativeDialog);
  if (dialog.exec() != QDialog::Accepted) return;
  const QFont chosen = dialog.selectedFont();
  // The font dialog has no colour: the colour dialog follows, starting on the colour
  // in use. Cancelling it keeps that colour (the font is taken all the same).
  QColorDialog colours(fontColor_, this);
  colours.setObjectName(QStringLiteral("FontColorDialog"));
  colours.setWindowTitle(QStringLiteral("Font colour"));
  colours.setOption(QColorDialog::DontUseNativeDialog);
  if (colours.exec() == QDialog::Accepted && colours.selectedColor().isValid())
    fontColor_ = colours.selectedColor();
  settings_->WriteString(settings::kFont, "Name", chosen.family().toStdString());
  settings_->WriteInteger(settings::kFont, "Size", chosen.pointSize());
  settings_->WriteInteger(settings::kFont, "Color",
                          fontColor_.red() | (fontColor_.green() << 8) | (fontColor_.blue() << 16));
  setFont(chosen);
  // Only the current image window takes the new font now; later windows take it
  // from the main window.
  if (TMDIChild* child = CurrentImageWindow()) {
    child->SetWindowFont(chosen);
    child->SetFontColor(fontColor_);
    child->ComposeView();
  }
}

void TMainForm::CopyItemClick() {
  TMDIChild* child = CurrentImageWindow();
  if (!child || child->ViewMetafile().isNull()) return;
  QGuiApplication::clipboard()->setMimeData(
      ComposedViewMimeData(child->ViewMetafile(), child->ShownView(), child->windowTitle()));
}

void TMainForm::Print1Click() {
  // The printer's own resolution: a printer pixel is then a dot of the page (at the
  // screen's resolution a 256-pixel image printed 5 times would be 13 inches wide).
  QPrinter printer(QPrinter::HighResolution);
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() != QDialog::Accepted) return;
  PrintActiveImage(printer);
}

bool TMainForm::PrintActiveImage(QPrinter& printer) {
  TMDIChild* child = ActiveImageChild();
  if (!child || !child->Doc().HasImage() || !child->HasRenderedImage()) return false;
  // Only the image, without colour bar or labels.
  if (PrintImage(printer, child->RenderedImage(), child->windowTitle()) ==
      TPrintResult::PrinterFailed) {
    messages_->ShowMessage("Printing Error", TMsgDlgType::mtError);
    return false;
  }
  return true;
}

void TMainForm::closeEvent(QCloseEvent* e) {
  settings_->WriteInteger(settings::kMainForm, "Top", y());
  settings_->WriteInteger(settings::kMainForm, "Left", x());
  settings_->WriteInteger(settings::kMainForm, "Width", width());
  settings_->WriteInteger(settings::kMainForm, "Height", height());
  if (renameForm_) renameForm_->hide();
  if (axesForm_) axesForm_->hide();
  if (arithForm_) arithForm_->hide();
  QMainWindow::closeEvent(e);
}

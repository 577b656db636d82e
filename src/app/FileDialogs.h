// The main window's file dialogs: open (six filters, patterns separated by ";"),
// save (shared by Save and Save As, three filters) and the ASCII export.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The single patterns of a filter text "Description (patterns)", which are
// separated by ";" or blanks.
QStringList PatternsOfFilter(const QString& filter);

// The open dialog in `folder`, starting on filter `filterIndex` (1..6; anything else
// is the first). Returns the chosen file and sets `filterIndex` to the chosen filter,
// or returns an empty text when cancelled.
QString RunOpenDialog(QWidget* parent, const QString& folder, int& filterIndex);

// The name under which Save writes its bitmap: the chosen name with the extension of
// its file part replaced by ".bmp" (added when it has none), whatever filter was
// chosen, so that the file opens again as what it is. A ".bmp" in any case stays.
QString BitmapSaveName(const QString& fileName);

// The save dialog keeps its file name and filter for the session, like one dialog
// object would. It asks nothing about existing files: the command knows which file
// it writes and answers for it (a bitmap asks to replace, the native writer refuses).
class TSaveDialog {
 public:
  // Runs the dialog with `fileName` proposed. Returns the filter index 1..3 and sets
  // `fileName`, or 0 when cancelled. A name without extension gets the filter's.
  int Run(QWidget* parent, QString& fileName);

  int FilterIndex() const { return filterIndex_; }
  // The name chosen last, proposed again by Save.
  const QString& LastFileName() const { return fileName_; }

 private:
  int filterIndex_ = 2;  // the design filter
  QString fileName_;
};

// The export dialog ("ASCII (*.dat)") in `folder`. The chosen file, or empty.
QString RunExportDialog(QWidget* parent, const QString& folder);

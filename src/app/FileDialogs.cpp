// File dialogs of the main window.
#include "app/FileDialogs.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QRegularExpression>

#include "image/FileNames.h"

namespace {

// The open dialog's filters, index 1..6 in this order: a description and its
// patterns, which are separated by ";" (blanks around them do not count).
struct TOpenFilter {
  const char* description;
  const char* patterns;
};
const TOpenFilter kOpenFilters[] = {
    {"Morvane", "*.txt"},        {"Burleigh", "*.img"},
    {"Omicron", "*.par"},        {"TopoMetrix", "*.tfp; *.*fp; *.2fp; *.3fp "},
    {"Windows-Bitmap", "*.bmp"}, {"All files", "*.*"},
};

// The save dialog's filters, index 1..3 in this order.
const char* const kSaveFilters[] = {
    "Windows bitmap (*.bmp)",
    "Morvane (*.txt & *.sin) (*.txt)",
    "Morvane (*.txt & *.int) (*.txt)",
};

QString SuffixOfSaveFilter(int index) {
  return index == 1 ? QStringLiteral("bmp") : QStringLiteral("txt");
}

}  // namespace

QStringList PatternsOfFilter(const QString& filter) {
  const qsizetype open = filter.lastIndexOf(QLatin1Char('('));
  const qsizetype close = filter.lastIndexOf(QLatin1Char(')'));
  const QString list = open >= 0 && close > open ? filter.mid(open + 1, close - open - 1) : filter;
  QStringList patterns;
  for (const QString& p :
       list.split(QRegularExpression(QStringLiteral("[; ]")), Qt::SkipEmptyParts))
    patterns << p;
  return patterns;
}

QString RunOpenDialog(QWidget* parent, const QString& folder, int& filterIndex) {
  QFileDialog dialog(parent, QStringLiteral("Open"), folder);
  dialog.setObjectName(QStringLiteral("OpenDialog"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  QStringList filters;
  for (const TOpenFilter& f : kOpenFilters)
    filters << QString::fromLatin1(f.description) + QStringLiteral(" (") +
                   QString::fromLatin1(f.patterns) + QLatin1Char(')');
  dialog.setNameFilters(filters);
  // The dialog itself separates patterns by blanks only, so "*.tfp;" would match
  // nothing: the file list gets the patterns of the chosen filter one by one.
  auto* model = dialog.findChild<QFileSystemModel*>();
  const auto usePatterns = [model](const QString& filter) {
    if (model) model->setNameFilters(PatternsOfFilter(filter));
  };
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, usePatterns);
  // Index 0 (never chosen) and out-of-range values start on the first filter.
  const int start = filterIndex >= 1 && filterIndex <= filters.size() ? filterIndex : 1;
  dialog.selectNameFilter(filters.at(start - 1));
  usePatterns(filters.at(start - 1));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  const int chosen = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
  filterIndex = chosen > 0 ? chosen : start;
  return dialog.selectedFiles().constFirst();
}

QString BitmapSaveName(const QString& fileName) {
  const std::string name = fileName.toStdString();
  if (QString::fromStdString(FilePartExtension(name))
          .compare(QLatin1String("bmp"), Qt::CaseInsensitive) == 0)
    return fileName;
  return QString::fromStdString(WithoutExtension(name)) + QStringLiteral(".bmp");
}

int TSaveDialog::Run(QWidget* parent, QString& fileName) {
  QFileDialog dialog(parent, QStringLiteral("Save As"));
  dialog.setObjectName(QStringLiteral("SaveDialog"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  // Its own question would be about the name typed, not about the files written, and
  // a native save that it let pass would then be refused anyway.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  QStringList filters;
  for (const char* f : kSaveFilters) filters << QString::fromLatin1(f);
  dialog.setNameFilters(filters);
  const int start = filterIndex_ >= 1 && filterIndex_ <= 3 ? filterIndex_ : 2;
  dialog.selectNameFilter(filters.at(start - 1));
  // The default extension follows the filter, so that a native save never gets a
  // parameter file named *.bmp.
  dialog.setDefaultSuffix(SuffixOfSaveFilter(start));
  // Follow every change of the filter, by the user or by selectNameFilter.
  for (QComboBox* combo : dialog.findChildren<QComboBox*>()) {
    if (combo->count() != filters.size() || combo->itemText(0) != filters.at(0)) continue;
    QObject::connect(combo, &QComboBox::currentIndexChanged, &dialog,
                     [&dialog](int i) { dialog.setDefaultSuffix(SuffixOfSaveFilter(i + 1)); });
  }
  if (!fileName.isEmpty()) {
    const QFileInfo info(fileName);
    if (info.path() != QLatin1String(".")) dialog.setDirectory(info.path());
    dialog.selectFile(info.fileName());
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return 0;
  const int index = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
  filterIndex_ = index > 0 ? index : start;
  fileName = dialog.selectedFiles().constFirst();
  if (QFileInfo(fileName).suffix().isEmpty())
    fileName += QLatin1Char('.') + SuffixOfSaveFilter(filterIndex_);
  fileName_ = fileName;
  return filterIndex_;
}

QString RunExportDialog(QWidget* parent, const QString& folder) {
  QFileDialog dialog(parent, QStringLiteral("Export"), folder);
  dialog.setObjectName(QStringLiteral("ExportDialog"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(QStringLiteral("ASCII (*.dat)"));
  dialog.setDefaultSuffix(QStringLiteral("dat"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

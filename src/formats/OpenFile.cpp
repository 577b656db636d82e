// OpenFile: the folder is remembered first, then the extension decides the reader.
#include "formats/OpenFile.h"

#include <unistd.h>

#include "app/core/IniFile.h"
#include "app/core/SettingsKeys.h"
#include "formats/FileType.h"

namespace {

std::string CurrentFolder() {
  char buf[4096];
  if (::getcwd(buf, sizeof buf) == nullptr) return {};
  std::string s(buf);
  if (s.empty() || s.back() != '/') s += '/';
  return s;
}

}  // namespace

void OpenFile(const std::string& fileName, TDocumentHost& host, TIniFile* settings) {
  if (settings) {
    // A bare name (no folder) lies in the current folder: remember that one.
    std::string folder = FolderOf(fileName);
    if (folder.empty()) folder = CurrentFolder();
    settings->WriteString(settings::kSave, "Path", folder);
  }
  const TFileType type = FileTypeOf(fileName);
  if (type == TFileType::Unknown) {
    host.Msgs().ShowMessage("Unknown file type", TMsgDlgType::mtError, "Error");
    return;
  }
  // Readers are added format by format; a known type without one says so.
  host.Msgs().ShowMessage(std::string("Reading ") + FileTypeName(type) +
                              " files is not available in this version.",
                          TMsgDlgType::mtInformation);
}

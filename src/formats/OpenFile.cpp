// OpenFile: the folder is remembered first, then the extension decides the reader.
#include "formats/OpenFile.h"

#include <unistd.h>

#include "app/core/IniFile.h"
#include "app/core/SettingsKeys.h"
#include "formats/FileType.h"
#include "formats/OpenReaders.h"

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
  switch (type) {
    case TFileType::Unknown:
      host.Msgs().ShowMessage("Unknown file type", TMsgDlgType::mtError, "Error");
      return;
    case TFileType::Omicron:
      OpenOmicronFile(fileName, host);
      return;
    case TFileType::Native:
      OpenNativeFile(fileName, host);
      return;
    case TFileType::Bitmap:
    case TFileType::Burleigh:
    case TFileType::TopoMetrix:
      OpenSingleImageFile(fileName, type, host);
      return;
  }
}

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
    // The folder is remembered as an absolute one, so that the next open dialog
    // finds it whatever the current folder is then: a bare name lies in the current
    // folder, a relative folder is taken from there.
    std::string folder = FolderOf(fileName);
    const bool absolute = !folder.empty() && (folder[0] == '/' || folder[0] == '\\' ||
                                              (folder.size() > 1 && folder[1] == ':'));
    if (!absolute) folder = CurrentFolder() + folder;
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

// OpenFile: the folder is told first, then the extension decides the reader.
#include "formats/OpenFile.h"

#include "formats/FileType.h"
#include "formats/OpenReaders.h"
#include "image/FileNames.h"

void OpenFile(const std::string& fileName, TDocumentHost& host) {
  // The folder is told as an absolute one, so that the next open dialog finds it
  // whatever the current folder is then.
  host.FolderOpened(AbsoluteFolderOf(fileName, CurrentFolder()));
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

// File type by extension.
#include "formats/FileType.h"

std::string FileExtension(const std::string& fileName) {
  const size_t dot = fileName.rfind('.');
  if (dot == std::string::npos) return fileName.substr(0, 3);
  return fileName.substr(dot + 1, 3);
}

TFileType FileTypeOf(const std::string& fileName) {
  const std::string ext = FileExtension(fileName);
  // The tests run in this order and a later match overrides an earlier one.
  TFileType type = TFileType::Unknown;
  if (ext == "bmp") type = TFileType::Bitmap;
  if (ext == "img" || ext == "IMG") type = TFileType::Burleigh;
  if (ext == "par") type = TFileType::Omicron;
  if (ext == "txt") type = TFileType::Native;
  if (ext.size() == 3 && ext[1] == 'f' && ext[2] == 'p') type = TFileType::TopoMetrix;
  return type;
}

const char* FileTypeName(TFileType type) {
  switch (type) {
    case TFileType::Bitmap:
      return "Windows-Bitmap";
    case TFileType::Burleigh:
      return "Burleigh";
    case TFileType::Omicron:
      return "Omicron";
    case TFileType::Native:
      return "Morvane";
    case TFileType::TopoMetrix:
      return "TopoMetrix";
    case TFileType::Unknown:
      break;
  }
  return "unknown";
}

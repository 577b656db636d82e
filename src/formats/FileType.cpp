// File type by extension, and the parts of a file name.
#include "formats/FileType.h"

namespace {

// Where the file part begins: after the last separator, or 0.
size_t FilePartStart(const std::string& name) {
  const size_t sep = name.find_last_of("/\\");
  return sep == std::string::npos ? 0 : sep + 1;
}

// The "." that begins the file part's extension, or npos.
size_t ExtensionDot(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot == std::string::npos || dot < FilePartStart(name) ? std::string::npos : dot;
}

}  // namespace

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

std::string FolderOf(const std::string& fileName) {
  if (fileName.size() < 2) return {};
  for (size_t i = fileName.size() - 1; i-- > 0;) {
    if (fileName[i] == '/' || fileName[i] == '\\') return fileName.substr(0, i + 1);
  }
  return {};
}

std::string FileNamePart(const std::string& fileName) {
  return fileName.substr(FilePartStart(fileName));
}

std::string WithoutExtension(const std::string& fileName) {
  const size_t dot = ExtensionDot(fileName);
  return dot == std::string::npos ? fileName : fileName.substr(0, dot);
}

std::string FilePartExtension(const std::string& fileName) {
  const size_t dot = ExtensionDot(fileName);
  return dot == std::string::npos ? std::string() : fileName.substr(dot + 1);
}

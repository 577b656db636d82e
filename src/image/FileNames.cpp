// Parts of file names.
#include "image/FileNames.h"

#include <unistd.h>

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

std::string FolderOf(const std::string& fileName) {
  if (fileName.size() < 2) return {};
  for (size_t i = fileName.size() - 1; i-- > 0;) {
    if (fileName[i] == '/' || fileName[i] == '\\') return fileName.substr(0, i + 1);
  }
  return {};
}

std::string AbsoluteFolderOf(const std::string& fileName, const std::string& currentFolder) {
  const std::string folder = FolderOf(fileName);
  // "/x", "\x" and a drive "C:" are absolute already.
  const bool absolute = !folder.empty() && (folder[0] == '/' || folder[0] == '\\' ||
                                            (folder.size() > 1 && folder[1] == ':'));
  return absolute ? folder : currentFolder + folder;
}

std::string CurrentFolder() {
  char buf[4096];
  if (::getcwd(buf, sizeof buf) == nullptr) return {};
  std::string s(buf);
  if (s.empty() || s.back() != '/') s += '/';
  return s;
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

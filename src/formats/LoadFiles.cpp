// TLoadFiles construction; the readers live in the files of their formats.
#include "formats/LoadFiles.h"

#include <fstream>
#include <iterator>

#include "formats/FileType.h"

bool TByteStream::LoadFromFile(const std::string& path) {
  Position = 0;
  Bytes.clear();
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  Bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

TLoadFiles::TLoadFiles(const std::string& FileName, Messages* messages)
    : FileName(FileName), ParamFileName(FileName), messages_(messages) {
  FileNames[1] = FileName;
  FileCount = 0;
  Directory = FolderOf(FileName);
}

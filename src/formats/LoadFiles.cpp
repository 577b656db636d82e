// TLoadFiles construction; the readers live in the files of their formats.
#include "formats/LoadFiles.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "image/FileNames.h"

bool TByteStream::LoadFromFile(const std::string& path, size_t maxBytes) {
  Position = 0;
  Bytes.clear();
  // A folder opens as a stream too (an empty data file name names the folder).
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return false;
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return false;
  const std::streamoff size = in.tellg();
  if (size < 0) return false;
  const size_t want = std::min(static_cast<size_t>(size), maxBytes);
  Bytes.resize(want);
  in.seekg(0);
  in.read(Bytes.data(), static_cast<std::streamsize>(want));
  Bytes.resize(static_cast<size_t>(in.gcount()));
  return !in.bad();
}

TLoadFiles::TLoadFiles(const std::string& FileName, Messages* messages)
    : FileName(FileName), ParamFileName(FileName), messages_(messages) {
  FileNames[1] = FileName;
  FileCount = 0;
  Directory = FolderOf(FileName);
}

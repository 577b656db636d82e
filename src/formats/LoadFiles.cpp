// TLoadFiles construction; the readers live in the files of their formats.
#include "formats/LoadFiles.h"

#include <algorithm>

#include "formats/FileBytes.h"
#include "image/FileNames.h"

bool TByteStream::LoadFromFile(const std::string& path, size_t maxBytes) {
  Position = 0;
  Bytes.clear();
  std::FILE* file = OpenRegularFile(path);
  if (!file) return false;
  // Read in pieces up to `maxBytes`, so that no size claimed by the file decides
  // how much memory is taken.
  char buf[65536];
  while (Bytes.size() < maxBytes) {
    const size_t want = std::min(sizeof buf, maxBytes - Bytes.size());
    const size_t got = std::fread(buf, 1, want, file);
    Bytes.append(buf, got);
    if (got < want) break;
  }
  const bool ok = !std::ferror(file);
  std::fclose(file);
  return ok;
}

TLoadFiles::TLoadFiles(const std::string& FileName, Messages* messages)
    : FileName(FileName), ParamFileName(FileName), messages_(messages) {
  FileNames[1] = FileName;
  FileCount = 0;
  Directory = FolderOf(FileName);
}

// Opening files for reading only when they are regular files.
#include "formats/FileBytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>

namespace {
std::atomic<TReadFileObserver> readObserver{nullptr};
}  // namespace

void SetReadFileObserver(TReadFileObserver observer) {
  readObserver.store(observer);
}

bool IsRegularFile(const std::string& name) {
  struct stat st;
  return ::stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool PathExists(const std::string& name) {
  struct stat st;
  return ::stat(name.c_str(), &st) == 0;
}

std::FILE* OpenRegularFile(const std::string& name) {
  if (!IsRegularFile(name)) return nullptr;
  const int fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  // Reads of a regular file never wait anyway; the descriptor goes back to the usual mode.
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags != -1) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  std::FILE* file = ::fdopen(fd, "rb");
  if (!file) {
    ::close(fd);
    return nullptr;
  }
  if (const TReadFileObserver observer = readObserver.load())
    observer(static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino));
  return file;
}

// Bounded reading of binary measurement files. Readers ask for a range and get only
// the bytes the file really holds, so no size or offset taken from a file can make
// them read past its end or allocate more than it contains.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

// True for an existing regular file (links followed). Pipes, devices and folders are
// no data files: reading a pipe or a device can wait forever, and a folder opens for
// reading on some systems and then claims an enormous size.
bool IsRegularFile(const std::string& name);

// True when something exists under the name (links followed), of any type.
bool PathExists(const std::string& name);

// Opens a regular file for reading ("rb"); null for anything else. The type is checked
// before the file is opened, and again on the open file, which is opened without
// waiting, so that not even a file exchanged for a pipe in between can block.
std::FILE* OpenRegularFile(const std::string& name);

// Told of every file OpenRegularFile opens (its device and inode), from whichever
// thread opens it; null (the default) tells no one. A batch uses it to keep its
// outputs off the files it reads.
using TReadFileObserver = void (*)(uint64_t device, uint64_t inode);
void SetReadFileObserver(TReadFileObserver observer);

class TFileBytes {
 public:
  TFileBytes() = default;
  TFileBytes(const TFileBytes&) = delete;
  TFileBytes& operator=(const TFileBytes&) = delete;
  ~TFileBytes() { Close(); }

  // Opens the file for reading; false when it cannot be opened or is no regular file.
  bool Open(const std::string& name) {
    Close();
    file_ = OpenRegularFile(name);
    if (!file_) return false;
    if (std::fseek(file_, 0, SEEK_END) != 0) {
      Close();
      return false;
    }
    const long end = std::ftell(file_);
    if (end < 0) {
      Close();
      return false;
    }
    size_ = static_cast<uint64_t>(end);
    return true;
  }

  void Close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    size_ = 0;
  }

  bool IsOpen() const { return file_ != nullptr; }
  uint64_t Size() const { return size_; }

  // Up to `count` bytes from `offset` on; fewer (or none) where the file ends.
  std::vector<uint8_t> Read(uint64_t offset, uint64_t count) {
    std::vector<uint8_t> bytes;
    if (!file_ || offset >= size_) return bytes;
    if (count > size_ - offset) count = size_ - offset;
    bytes.resize(static_cast<size_t>(count));
    if (std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0) return {};
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file_));
    return bytes;
  }

 private:
  std::FILE* file_ = nullptr;
  uint64_t size_ = 0;
};

// The warning of a reader whose file holds fewer samples than its picture has points:
// the points it has are kept, the rest stay 0.
inline std::string EndsTooEarlyText(const std::string& fileName, uint64_t read, uint64_t cells) {
  return "The file " + fileName + " ends too early: " + std::to_string(read) + " of " +
         std::to_string(cells) + " points read, the rest are 0.";
}

// Little- and big-endian numbers from a byte buffer.
inline uint16_t LoadU16LE(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t LoadU32LE(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline int32_t LoadI32LE(const uint8_t* p) {
  return static_cast<int32_t>(LoadU32LE(p));
}
inline float LoadF32LE(const uint8_t* p) {
  const uint32_t bits = LoadU32LE(p);
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}
inline int16_t LoadI16BE(const uint8_t* p) {
  return static_cast<int16_t>((p[0] << 8) | p[1]);
}

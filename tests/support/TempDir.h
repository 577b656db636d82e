// A fresh temporary folder per test, removed afterwards, and a helper to write files.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

class TempDir {
 public:
  TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "tarnisk-XXXXXX").string();
    path_ = ::mkdtemp(tmpl.data()) ? tmpl : std::string();
  }
  ~TempDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder with a trailing '/'.
  std::string Folder() const { return path_ + "/"; }
  std::string Path(const std::string& name) const { return Folder() + name; }

  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    const std::string p = Path(name);
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return p;
  }
  std::string Write(const std::string& name, const std::string& text) const {
    return Write(name, std::vector<uint8_t>(text.begin(), text.end()));
  }

 private:
  std::string path_;
};

// Appending little- and big-endian numbers to a byte buffer.
inline void PutU16LE(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
inline void PutU32LE(std::vector<uint8_t>& b, uint32_t v) {
  PutU16LE(b, v & 0xFFFF);
  PutU16LE(b, v >> 16);
}
inline void PutF32LE(std::vector<uint8_t>& b, float f) {
  uint32_t v;
  static_assert(sizeof v == sizeof f);
  __builtin_memcpy(&v, &f, sizeof v);
  PutU32LE(b, v);
}
inline void SetU32LE(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void SetF32LE(std::vector<uint8_t>& b, size_t at, float f) {
  uint32_t v;
  __builtin_memcpy(&v, &f, sizeof v);
  SetU32LE(b, at, v);
}

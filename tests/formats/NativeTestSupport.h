// Helpers of the native format tests: a scratch folder, files from lines, and a
// document host that keeps its images in a list.
#pragma once

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "formats/OpenFile.h"
#include "image/TImageDoc.h"
#include "support/RecordingMessages.h"
#include "support/TempDir.h"

namespace nativetest {

// A fresh folder below the system's temporary folder, removed again at the end;
// `dir / "name"` is the path of a file in it.
class ScratchDir : public TempDir {
 public:
  std::string operator/(const std::string& name) const { return Path(name); }
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Lines joined with CR LF after each.
inline std::string Lines(const std::vector<std::string>& lines) {
  std::string s;
  for (const auto& l : lines) s += l + "\r\n";
  return s;
}

inline std::string Int32s(const std::vector<int32_t>& values) {
  std::string s(values.size() * 4, '\0');
  std::memcpy(s.data(), values.data(), s.size());  // the test machine is little-endian
  return s;
}

inline std::string Singles(const std::vector<float>& values) {
  std::string s(values.size() * 4, '\0');
  std::memcpy(s.data(), values.data(), s.size());
  return s;
}

// Keeps every image in a list; refuses images beyond `limit`.
class ListHost : public TDocumentHost {
 public:
  explicit ListHost(RecordingMessages& msgs, size_t limit = 16) : msgs_(msgs), limit_(limit) {}
  Messages& Msgs() override { return msgs_; }
  TImageDoc& NewImage(const std::string& name) override {
    if (docs.size() >= limit_) {
      msgs_.ShowMessage("Too many Data!", TMsgDlgType::mtInformation, {});
      throw TooManyData();
    }
    docs.push_back(std::make_unique<TImageDoc>(&msgs_));
    docs.back()->InitWindow(static_cast<int>(docs.size()), name);
    return *docs.back();
  }
  void ImageReady(TImageDoc& doc) override { ready.push_back(&doc); }
  void DiscardImage(TImageDoc& doc) override {
    ++discarded;
    for (auto it = docs.begin(); it != docs.end(); ++it)
      if (it->get() == &doc) {
        docs.erase(it);
        return;
      }
  }

  std::vector<std::unique_ptr<TImageDoc>> docs;
  std::vector<TImageDoc*> ready;
  int discarded = 0;

 private:
  RecordingMessages& msgs_;
  size_t limit_;
};

}  // namespace nativetest

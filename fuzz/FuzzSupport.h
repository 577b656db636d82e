// Shared parts of the fuzz targets: a host that checks what the readers leave
// behind, and fast writing of the input into files (the readers read files).
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "formats/OpenFile.h"
#include "image/Messages.h"

// Answers every question with Yes and says nothing.
class FuzzHost : public TDocumentHost {
 public:
  ~FuzzHost() override {
    // Every image the host handed out must have been shown or discarded.
    if (!pending_.empty()) std::abort();
  }
  Messages& Msgs() override { return messages_; }
  TImageDoc& NewImage(const std::string& name) override {
    if (shown_ + pending_.size() >= 16) throw TooManyData();
    pending_.push_back(std::make_unique<TImageDoc>(&messages_));
    pending_.back()->InitWindow(static_cast<int>(shown_ + pending_.size()), name);
    return *pending_.back();
  }
  void ImageReady(TImageDoc& doc) override {
    if (!doc.HasImage()) std::abort();  // a window without an image
    doc.Render('.');
    Remove(doc);
    ++shown_;
  }
  void DiscardImage(TImageDoc& doc) override { Remove(doc); }

 private:
  void Remove(TImageDoc& doc) {
    for (auto it = pending_.begin(); it != pending_.end(); ++it) {
      if (it->get() == &doc) {
        pending_.erase(it);
        return;
      }
    }
    std::abort();  // not one of ours
  }
  SilentMessages messages_;
  std::vector<std::unique_ptr<TImageDoc>> pending_;
  size_t shown_ = 0;
};

// A folder of this process for the input files, in memory when /dev/shm exists.
// The name is never freed, so the exit handler that removes the folder can use it.
inline const std::string& FuzzFolder() {
  static const std::string* const folder = [] {
    std::string t =
        access("/dev/shm", W_OK) == 0 ? "/dev/shm/tarnisk-fuzz-XXXXXX" : "/tmp/tarnisk-fuzz-XXXXXX";
    if (!mkdtemp(t.data())) std::abort();
    auto* name = new std::string(t + "/");
    std::atexit([] {
      const std::string cmd = "rm -rf '" + FuzzFolder() + "'";
      if (std::system(cmd.c_str()) != 0) {
        // Nothing more to do: a folder left behind in the temporary area is harmless.
      }
    });
    return name;
  }();
  return *folder;
}

inline std::string WriteFuzzFile(const std::string& name, const uint8_t* data, size_t size) {
  const std::string path = FuzzFolder() + name;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  if (size && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
  return path;
}

// Text-plus-data inputs: the part before the first zero byte is the parameter text,
// the rest the content of the data files.
struct SplitInput {
  const uint8_t* text;
  size_t textSize;
  const uint8_t* data;
  size_t dataSize;
};

inline SplitInput Split(const uint8_t* data, size_t size) {
  size_t i = 0;
  while (i < size && data[i] != 0) ++i;
  if (i == size) return {data, size, data + size, 0};
  return {data, i, data + i + 1, size - i - 1};
}

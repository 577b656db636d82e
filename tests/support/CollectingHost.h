// Test double for TDocumentHost: keeps every image it is given, records what
// happened to each and refuses new images past a limit, as the window table does.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "image/DocumentHost.h"
#include "support/RecordingMessages.h"

class CollectingHost : public TDocumentHost {
 public:
  explicit CollectingHost(int limit = 16) : limit(limit) {}

  RecordingMessages messages;
  std::vector<std::unique_ptr<TImageDoc>> docs;  // shown images, in order
  int limit;
  int created = 0;
  int discarded = 0;
  int readyWithoutImage = 0;         // ImageReady on a doc without matrix: a fault
  std::vector<bool> cursor;          // every SetWaitCursor call
  std::vector<std::string> folders;  // every FolderOpened call

  Messages& Msgs() override { return messages; }

  TImageDoc& NewImage(const std::string& name) override {
    if (static_cast<int>(docs.size() + pending_.size()) >= limit) {
      messages.ShowMessage("Too many Data!", TMsgDlgType::mtInformation, {});
      throw TooManyData();
    }
    ++created;
    pending_.push_back(std::make_unique<TImageDoc>(&messages));
    pending_.back()->InitWindow(created, name);
    return *pending_.back();
  }

  void ImageReady(TImageDoc& doc) override {
    if (!doc.HasImage()) ++readyWithoutImage;
    docs.push_back(Take(doc));
  }

  void DiscardImage(TImageDoc& doc) override {
    ++discarded;
    Take(doc);
  }

  void SetWaitCursor(bool on) override { cursor.push_back(on); }
  void FolderOpened(const std::string& folder) override { folders.push_back(folder); }

  // Images neither shown nor discarded: a window left behind.
  size_t Pending() const { return pending_.size(); }

 private:
  std::unique_ptr<TImageDoc> Take(TImageDoc& doc) {
    for (auto it = pending_.begin(); it != pending_.end(); ++it) {
      if (it->get() == &doc) {
        std::unique_ptr<TImageDoc> d = std::move(*it);
        pending_.erase(it);
        return d;
      }
    }
    return nullptr;
  }
  std::vector<std::unique_ptr<TImageDoc>> pending_;
};

// Opening an Omicron parameter file: one image per topographic channel, then one per
// frame of each spectroscopy channel, with the hourglass shown meanwhile.
#include <exception>
#include <string>

#include "formats/LoadFiles.h"
#include "formats/Omicron.h"
#include "formats/OpenReaders.h"

namespace {

// Creates one image, copies the parameter text into it and sizes its picture.
// Returns null (and leaves nothing behind) when the picture cannot be had; throws
// TooManyData when no further image may be created.
TImageDoc* NewOmicronImage(TDocumentHost& host, TLoadFiles& params, const std::string& title,
                           int32_t columns, int32_t rows) {
  TImageDoc& doc = host.NewImage(title);
  try {
    params.CopyParameterText(doc);
    doc.CreatePicture(columns, rows);
  } catch (...) {
    host.DiscardImage(doc);
    throw;
  }
  if (!doc.HasImage()) {
    host.DiscardImage(doc);  // the picture has said why
    return nullptr;
  }
  return &doc;
}

class TWaitCursor {
 public:
  explicit TWaitCursor(TDocumentHost& host) : host_(host) { host_.SetWaitCursor(true); }
  ~TWaitCursor() { host_.SetWaitCursor(false); }
  TWaitCursor(const TWaitCursor&) = delete;
  TWaitCursor& operator=(const TWaitCursor&) = delete;

 private:
  TDocumentHost& host_;
};

}  // namespace

void OpenOmicronFile(const std::string& fileName, TDocumentHost& host) {
  TWaitCursor wait(host);
  TOmicron omicron(host.Msgs());
  omicron.OpenParameterFile(fileName);
  // Every image carries the parameter text; the file is read once for all of them.
  TLoadFiles params(fileName, &host.Msgs());

  // A failure in one phase ends that phase quietly; images already shown stay.
  try {
    for (int i = 1; i <= omicron.ChannelCount(0); ++i) {
      const topographicInfo& info = omicron.Topographic(i);
      const std::string title = info.FileName + " :" + info.ChannelLetter + " channel";
      TImageDoc* doc = NewOmicronImage(host, params, title, info.X, info.Y);
      if (!doc) break;
      omicron.ReadTopographicData(i, *doc);
      host.ImageReady(*doc);
    }
  } catch (const std::exception&) {
  }

  try {
    for (int i = 1; i <= omicron.ChannelCount(1); ++i) {
      if (!omicron.OpenSpectroscopyFile(i)) break;
      const spectroscopicInfo& info = omicron.Spectroscopic(i);
      const int frames = omicron.SpectroscopyFrameCount();
      bool stop = false;
      for (int j = 1; j <= frames; ++j) {
        TImageDoc* doc = NewOmicronImage(host, params, std::to_string(j), info.X, info.Y);
        if (!doc) {
          stop = true;
          break;
        }
        omicron.ReadSpectroscopyFrame(i, *doc);
        host.ImageReady(*doc);
      }
      omicron.CloseSpectroscopyFile();
      if (stop) break;
    }
  } catch (const std::exception&) {
  }
  omicron.CloseSpectroscopyFile();
}

// Opening a native parameter file: one image per channel, in file order.
#include "formats/LoadFiles.h"
#include "formats/OpenReaders.h"

void OpenNativeFile(const std::string& fileName, TDocumentHost& host) {
  TLoadFiles loader(fileName, &host.Msgs());
  loader.ReadHeader();
  for (int i = 1; i <= loader.FileCount; ++i) {
    TImageDoc* doc = nullptr;
    try {
      doc = &host.NewImage(loader.FileNames[i]);
    } catch (const TooManyData&) {
      return;  // the host has said so; the images opened so far stay
    }
    const bool read =
        loader.Version == "1.10" ? loader.ReadChannelV110(*doc, i) : loader.ReadChannelV1(*doc, i);
    if (!read || !doc->HasImage()) {
      // No window is left without an image; the reader has said why.
      host.DiscardImage(*doc);
      return;
    }
    if (!loader.Caption.empty()) {
      doc->Caption += " - " + loader.Caption;
      doc->ChannelCaption = loader.Caption;
    }
    host.ImageReady(*doc);
  }
}

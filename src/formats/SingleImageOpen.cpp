// Opening the single-image formats: one image titled with the file's full path.
#include <exception>

#include "formats/LoadFiles.h"
#include "formats/OpenReaders.h"

void OpenSingleImageFile(const std::string& fileName, TFileType type, TDocumentHost& host) {
  TLoadFiles loader(fileName, &host.Msgs());
  TImageDoc* doc = nullptr;
  try {
    doc = &host.NewImage(fileName);
  } catch (const TooManyData&) {
    return;  // the host has said so
  }
  bool ok = false;
  try {
    switch (type) {
      case TFileType::Bitmap:
        ok = loader.ReadBitmap(*doc);
        break;
      case TFileType::Burleigh:
        ok = loader.ReadBurleigh(*doc);
        break;
      case TFileType::TopoMetrix:
        ok = loader.ReadTopoMetrix(*doc);
        break;
      default:
        break;
    }
  } catch (const std::exception&) {
    ok = false;
  }
  // A reader that failed leaves no image to show: the window goes again.
  if (!ok || !doc->HasImage()) {
    host.DiscardImage(*doc);
    return;
  }
  host.ImageReady(*doc);
}

// TImageDoc: picture creation and rendering with the value texts.
#include "image/TImageDoc.h"

#include <atomic>

#include "image/NumberFormat.h"

uint64_t TImageDoc::NextSerial() {
  static std::atomic<uint64_t> next{1};
  return next++;
}

bool TImageDoc::CreatePicture(int columns, int rows) {
  Picture = std::make_unique<TVKMPicture>(&Msgs());
  Picture->SetSize(columns, rows);
  Image1.SetSize(Picture->Columns, Picture->Rows);
  return true;
}

void TImageDoc::Render(char sep) {
  if (!HasImage()) return;
  Picture->Render(Image1);
  MinText = FormatFixed(Picture->Min, 4, 3, sep);
  MaxText = FormatFixed(Picture->Max, 4, 3, sep);
}

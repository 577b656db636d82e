// Opening the single-image formats.
#include "formats/OpenReaders.h"

void OpenSingleImageFile(const std::string& /*fileName*/, TFileType type, TDocumentHost& host) {
  ReportReaderMissing(FileTypeName(type), host);
}

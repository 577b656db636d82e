// Opening a native parameter file.
#include "formats/OpenReaders.h"

void OpenNativeFile(const std::string& /*fileName*/, TDocumentHost& host) {
  ReportReaderMissing(FileTypeName(TFileType::Native), host);
}

// Opening an Omicron parameter file.
#include "formats/OpenReaders.h"

void OpenOmicronFile(const std::string& /*fileName*/, TDocumentHost& host) {
  ReportReaderMissing(FileTypeName(TFileType::Omicron), host);
}

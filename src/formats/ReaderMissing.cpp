// The message of a known file type whose reader is not built in.
#include "formats/OpenReaders.h"

void ReportReaderMissing(const std::string& typeName, TDocumentHost& host) {
  host.Msgs().ShowMessage("Reading " + typeName + " files is not available in this version.",
                          TMsgDlgType::mtInformation);
}

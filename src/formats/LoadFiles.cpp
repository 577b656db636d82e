// TLoadFiles construction; the readers live in the files of their formats.
#include "formats/LoadFiles.h"

TLoadFiles::TLoadFiles(const std::string& FileName, Messages* messages) : messages_(messages) {
  FileNames[1] = FileName;
  FileCount = 0;
}

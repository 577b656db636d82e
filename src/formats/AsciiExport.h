// ASCII export: the values of a picture as a tab-separated text table, one line per
// matrix row from row 0, every line ended by CR LF, numbers in the general format.
#pragma once

#include <string>

#include "image/TVKMPicture.h"

// The whole table. A picture without a matrix gives an empty text.
std::string AsciiExportText(const TVKMPicture& picture, char sep);

// Writes the table to `fileName` (created or overwritten). False when the file could
// not be written; the caller reports it.
bool WriteAsciiExport(const TVKMPicture& picture, const std::string& fileName, char sep);

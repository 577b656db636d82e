// Texts read from measurement files are kept byte for byte (so that a saved file
// carries them unchanged); for display they are turned into UTF-8 here.
#pragma once

#include <string>

// True when `s` is well-formed UTF-8 (plain ASCII included).
bool IsValidUtf8(const std::string& s);

// The text as UTF-8 for display: well-formed UTF-8 stays as it is, anything else is
// read as Latin-1 (the single-byte texts of instrument files, such as 0xB5 for the
// micro sign or 0xC5 for the Angstrom sign).
std::string DisplayText(const std::string& s);

// A text typed by the user (UTF-8) in the byte encoding of texts read from files:
// Latin-1 when every character has a Latin-1 byte, so that a unit typed as "Å" equals
// the same unit read from a file and is saved as the same byte; otherwise the UTF-8
// bytes unchanged. Plain ASCII stays as it is.
std::string FileText(const std::string& utf8);

// Choosing a reader from a file name: the extension rule of the open command.
#pragma once

#include <string>

enum class TFileType { Unknown, Bitmap, Burleigh, Omicron, Native, TopoMetrix };

// The three characters after the last "." of the name, path included (fewer when the
// name ends sooner); the first three characters when there is no "." at all.
std::string FileExtension(const std::string& fileName);

// The reader for a name, decided by its extension only, case-sensitively:
// "bmp", "img"/"IMG", "par", "txt", "?fp"; anything else is unknown.
TFileType FileTypeOf(const std::string& fileName);

const char* FileTypeName(TFileType type);

// Choosing a reader from a file name, and the folder part of a file name.
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

// The text up to and including the last '/' or '\'; the search starts at the
// second-to-last character, so a trailing separator is passed over. Empty when the
// name has no separator.
std::string FolderOf(const std::string& fileName);

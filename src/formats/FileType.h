// Choosing a reader from a file name, and the folder, file and extension parts of a
// file name.
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

// The text after the last '/' or '\' (all of it when there is none).
std::string FileNamePart(const std::string& fileName);

// The name without the extension of its file part (the last "." there and what
// follows); unchanged when the file part has no ".", since a "." in a folder name is
// no extension.
std::string WithoutExtension(const std::string& fileName);

// The extension of the file part, without its "."; empty when the file part has none.
std::string FilePartExtension(const std::string& fileName);

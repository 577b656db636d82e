// The folder, file and extension parts of a file name. Names read from files may use
// '\' as separator, so both '/' and '\' separate folders.
#pragma once

#include <string>

// The text up to and including the last '/' or '\'; the search starts at the
// second-to-last character, so a trailing separator is passed over. Empty when the
// name has no separator.
std::string FolderOf(const std::string& fileName);

// The folder of `fileName` as an absolute one: a bare name lies in `currentFolder`,
// a relative folder is taken from there. `currentFolder` ends with a separator.
std::string AbsoluteFolderOf(const std::string& fileName, const std::string& currentFolder);

// The process's current folder with a trailing '/', empty when it cannot be had.
std::string CurrentFolder();

// The text after the last '/' or '\' (all of it when there is none).
std::string FileNamePart(const std::string& fileName);

// The name without the extension of its file part (the last "." there and what
// follows); unchanged when the file part has no ".", since a "." in a folder name is
// no extension.
std::string WithoutExtension(const std::string& fileName);

// The extension of the file part, without its "."; empty when the file part has none.
std::string FilePartExtension(const std::string& fileName);

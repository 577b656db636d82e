// Opening a file: choose the reader by name, create one image per channel through
// the host (the viewer makes windows, the CLI keeps a list), fill and render each.
#pragma once

#include <string>

#include "image/DocumentHost.h"

// Opens one file. The host is told the file's folder first (FolderOpened), also
// when the type then turns out to be unknown.
void OpenFile(const std::string& fileName, TDocumentHost& host);

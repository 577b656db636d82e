// The per-format halves of OpenFile: each creates its images through the host.
#pragma once

#include <string>

#include "formats/FileType.h"
#include "formats/OpenFile.h"

// One image per channel of a native parameter file (NativeOpen.cpp).
void OpenNativeFile(const std::string& fileName, TDocumentHost& host);

// Topographic channels, then spectroscopy frames (OmicronOpen.cpp).
void OpenOmicronFile(const std::string& fileName, TDocumentHost& host);

// Bitmap, Burleigh and TopoMetrix: one image (SingleImageOpen.cpp).
void OpenSingleImageFile(const std::string& fileName, TFileType type, TDocumentHost& host);

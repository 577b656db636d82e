// Native format reader (not built in yet: every call fails without a picture).
#include "formats/LoadFiles.h"

bool TLoadFiles::ReadHeader() { return false; }
bool TLoadFiles::ReadChannelV1(TImageDoc&, int) { return false; }
bool TLoadFiles::ReadChannelV110(TImageDoc&, int) { return false; }
void TLoadFiles::CopyParameterText(TImageDoc&) {}

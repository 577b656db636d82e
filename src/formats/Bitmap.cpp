// Bitmap reader (not built in yet).
#include "formats/LoadFiles.h"

bool TLoadFiles::ReadBitmap(TImageDoc&) { return false; }

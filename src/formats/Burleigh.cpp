// Burleigh reader (not built in yet).
#include "formats/LoadFiles.h"

bool TLoadFiles::ReadBurleigh(TImageDoc&) { return false; }

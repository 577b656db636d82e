// TopoMetrix reader (not built in yet).
#include "formats/LoadFiles.h"

bool TLoadFiles::ReadTopoMetrix(TImageDoc&) { return false; }

// The palette operation of `process --op`: palette:FILE, the palette editor opening
// FILE over the image's colours and handing them back to it.
#pragma once

#include <string>

#include "cli/Operations.h"

// Reads the arguments of palette:FILE (the file name as it stands, also with ':' or
// '*' in it); throws CliUsageError("malformed operation: " + text) without a name.
TCliApply ParsePaletteOp(const std::string& args, const std::string& text);

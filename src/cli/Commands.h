// The commands of tarnisk-cli: info, export, process and convert.
#pragma once

#include <string>

#include "cli/CliOptions.h"

// Runs the command on every file in turn; returns the exit status (0 or 1).
int RunCommand(const TCliOptions& options, char sep);

// The file part of a path without its extension.
std::string InputBaseName(const std::string& path);

// Where an output of image `n` (1-based) of a file with `count` images goes:
// DIR/<base>[_<n>].<ext> with --out-dir (the number only when the file holds several
// images), otherwise `explicitPath`.
std::string OutputPath(const std::string& outDir, const std::string& inputFile, int n, int count,
                       const std::string& ext, const std::string& explicitPath);

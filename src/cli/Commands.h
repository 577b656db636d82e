// The commands of tarnisk-cli: info, export, process and convert.
#pragma once

#include <string>

#include "cli/CliOptions.h"

// Runs the command on every file; returns the exit status (0 or 1). The files of a
// batch run at the same time on the processors the process may use, their outputs
// and messages written in the order of the files, as a run of one after the other
// writes them. Progress lines ("N%") are shown only when the files run one by one.
int RunCommand(const TCliOptions& options, char sep);

// True when the files of `options` may run at the same time: no file can write an
// output another one writes or reads. Outputs are named after the input's base name
// (plus "_<n>" for image n), so two inputs whose names differ only in folder,
// extension or such a number, or an operation's file (a palette, arith's operand)
// named like an input, make the batch run one file after the other.
bool FilesRunApart(const TCliOptions& options);

// Writes `text` to standard output and flushes it; false when that failed (now or
// before: the stream then stays failed).
bool WriteStandardOutput(const std::string& text);

// The file part of a path without its extension.
std::string InputBaseName(const std::string& path);

// Where an output of image `n` (1-based) of a file with `count` images goes:
// DIR/<base>[_<n>].<ext> with --out-dir (the number only when the file holds several
// images), otherwise `explicitPath`.
std::string OutputPath(const std::string& outDir, const std::string& inputFile, int n, int count,
                       const std::string& ext, const std::string& explicitPath);

// Keeps the outputs of one run of the command line off the files the run reads and off
// each other. A conversion into the folder of its input would otherwise replace the
// input's own data files (a native file's channels are read from files named like the
// outputs), and two files of a batch with the same base name would silently overwrite
// each other's results.
#pragma once

#include <string>

namespace output_guard {

// From now on every file a reader opens counts as an input of this run.
void Start();

// Empty when `path` may be written; otherwise why not, as a message.
std::string Refusal(const std::string& path);

// `path` has been written by this run: no later output may replace it.
void Written(const std::string& path);

}  // namespace output_guard

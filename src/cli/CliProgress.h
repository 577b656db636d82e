// Progress of long work on stderr: one line "tarnisk-cli: LABEL: N%" rewritten in
// place while the work runs, only when stderr is a terminal and --quiet is not
// given, so that logs and pipes never see it. The command line has no Cancel.
#pragma once

#include <ostream>
#include <string>

#include "image/Progress.h"

class CliProgress : public Progress {
 public:
  // `shown` false: reports nothing (see ProgressShown).
  CliProgress(std::ostream& out, bool shown, std::string label);
  ~CliProgress() override;
  CliProgress(const CliProgress&) = delete;
  CliProgress& operator=(const CliProgress&) = delete;

  // Writes only when the whole percentage changes; the last step ends the line.
  void Step(int step, int total) override;

  // What the line names: the file, or the file and the operation.
  void SetLabel(std::string label) { label_ = std::move(label); }

 private:
  void EndLine();

  std::ostream& out_;
  bool shown_;
  std::string label_;
  int percent_ = -1;
  bool lineOpen_ = false;
};

// True when progress goes to stderr: not --quiet, and stderr is a terminal.
bool ProgressShown(bool quiet);

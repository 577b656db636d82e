// Progress lines on stderr.
#include "cli/CliProgress.h"

#include <unistd.h>

CliProgress::CliProgress(std::ostream& out, bool shown, std::string label)
    : out_(out), shown_(shown), label_(std::move(label)) {}

CliProgress::~CliProgress() {
  EndLine();
}

void CliProgress::Step(int step, int total) {
  if (!shown_ || total <= 0) return;
  const int percent = static_cast<int>(static_cast<long long>(step) * 100 / total);
  if (percent != percent_) {
    percent_ = percent;
    out_ << "\rtarnisk-cli: " << label_ << ": " << percent << "%" << std::flush;
    lineOpen_ = true;
  }
  if (step >= total) EndLine();
}

void CliProgress::EndLine() {
  if (!lineOpen_) return;
  out_ << "\n" << std::flush;
  lineOpen_ = false;
  percent_ = -1;
}

bool ProgressShown(bool quiet) {
  return !quiet && ::isatty(STDERR_FILENO);
}

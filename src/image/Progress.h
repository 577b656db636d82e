// Progress of long work (the sphere filter, the radial profile preparation, batches):
// the core reports step/total and asks whether the user has cancelled; the viewer
// maps it to a progress bar, the command line to stderr.
#pragma once

class Progress {
 public:
  virtual ~Progress() = default;

  // `step` of `total` steps are done (0 <= step <= total). A window lets pending
  // events run here, so its Cancel button can be pressed.
  virtual void Step(int step, int total) = 0;

  // True once the user has asked to stop; the work then ends at the next check.
  virtual bool Cancelled() const { return false; }
};

// Reports nowhere and never cancels: for tests, benches and work that is too short
// to show progress.
class NoProgress : public Progress {
 public:
  void Step(int, int) override {}
};

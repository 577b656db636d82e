// Running the files of a batch on several threads with the output of a run of one
// file after the other: each file's standard output and messages are collected and
// written in the order of the files, as soon as that file and all before it are done.
#pragma once

#include <cstddef>
#include <functional>
#include <ostream>

// One file's work: writes to `out` and `err`, returns its exit status (0 or 1).
using TBatchWork = std::function<int(size_t index, std::ostream& out, std::ostream& err)>;

// Called on the calling thread just before item `index`'s output is written (or,
// with one thread, before it runs), to announce it on `err`.
using TBatchAnnounce = std::function<void(size_t index, std::ostream& err)>;

// Runs items 0 .. count - 1 on up to `threads` threads; returns the greatest status.
// With one thread (or one item) each item writes straight to `out` and `err` as it
// runs. A work that throws counts as status 1, its message written to `err`.
// With several threads an item's collected output is written to `out` later: when that
// write fails, `outputFailed` is called for the item (to say so on `err`) and the item
// counts as status 1, as a failed write of its own would.
int RunInOrder(size_t count, unsigned threads, const TBatchWork& work, std::ostream& out,
               std::ostream& err, const TBatchAnnounce& announce = {},
               const TBatchAnnounce& outputFailed = {});

// The number of processors this process may run on (at least 1).
unsigned UsableProcessors();

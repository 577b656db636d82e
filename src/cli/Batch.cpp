// Parallel batches with ordered output.
#include "cli/Batch.h"

#include <sched.h>

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <sstream>
#include <system_error>
#include <thread>
#include <vector>

namespace {

int Guarded(const TBatchWork& work, size_t index, std::ostream& out, std::ostream& err) {
  try {
    return work(index, out, err);
  } catch (const std::exception& e) {
    err << "tarnisk-cli: " << e.what() << "\n";
  } catch (...) {
    err << "tarnisk-cli: unexpected failure\n";
  }
  return 1;
}

}  // namespace

unsigned UsableProcessors() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) == 0) return std::max(1, CPU_COUNT(&set));
  return std::max(1u, std::thread::hardware_concurrency());
}

int RunInOrder(size_t count, unsigned threads, const TBatchWork& work, std::ostream& out,
               std::ostream& err, const TBatchAnnounce& announce,
               const TBatchAnnounce& outputFailed) {
  int status = 0;
  threads = static_cast<unsigned>(std::min<size_t>(threads, count));
  if (threads <= 1) {
    for (size_t i = 0; i < count; ++i) {
      if (announce) announce(i, err);
      status = std::max(status, Guarded(work, i, out, err));
    }
    return status;
  }

  // Everything below `mutex` is shared between the workers and the writer.
  struct TResult {
    bool done = false;
    int status = 0;
    std::string out, err;
  };
  std::vector<TResult> results(count);
  std::mutex mutex;
  std::condition_variable changed;
  size_t next = 0;     // the next item a worker takes
  size_t written = 0;  // items whose output has been written
  // A worker runs at most this far ahead of the writer, so that a slow first file
  // does not leave the texts of all later files waiting in memory.
  const size_t ahead = 4 * static_cast<size_t>(threads);

  const auto worker = [&] {
    for (;;) {
      size_t i;
      {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return next >= count || next < written + ahead; });
        if (next >= count) return;
        i = next++;
      }
      std::ostringstream o, e;
      const int s = Guarded(work, i, o, e);
      {
        std::lock_guard<std::mutex> lock(mutex);
        results[i].out = o.str();
        results[i].err = e.str();
        results[i].status = s;
        results[i].done = true;
      }
      changed.notify_all();
    }
  };
  std::vector<std::thread> pool;
  pool.reserve(threads);
  try {
    for (unsigned t = 0; t < threads; ++t) pool.emplace_back(worker);
  } catch (const std::system_error&) {
    // No more threads to be had: those started do the work, or the calling thread
    // does it alone when none started.
    if (pool.empty()) return RunInOrder(count, 1, work, out, err, announce, outputFailed);
  }

  // The calling thread alone writes to `out` and `err`: item after item, each one's
  // messages and then its output, as soon as it is done.
  for (size_t i = 0; i < count; ++i) {
    TResult r;
    {
      std::unique_lock<std::mutex> lock(mutex);
      changed.wait(lock, [&] { return results[i].done; });
      r = std::move(results[i]);
    }
    if (announce) announce(i, err);
    err << r.err;
    err.flush();
    if (!r.out.empty()) {
      out << r.out;
      out.flush();
      if (!out) {
        r.status = 1;
        if (outputFailed) outputFailed(i, err);
      }
    }
    status = std::max(status, r.status);
    {
      std::lock_guard<std::mutex> lock(mutex);
      written = i + 1;
    }
    changed.notify_all();
  }
  for (std::thread& t : pool) t.join();
  return status;
}

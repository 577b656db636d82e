// The files a run reads and writes, by device and inode, so that names which differ
// only in spelling ("./a.sin", "dir/../a.sin", a link) still count as the same file.
#include "cli/OutputGuard.h"

#include <sys/stat.h>

#include <mutex>
#include <set>
#include <utility>

#include "formats/FileBytes.h"

namespace output_guard {
namespace {

using TFileId = std::pair<uint64_t, uint64_t>;

std::mutex guard;
std::set<TFileId> inputs;
std::set<TFileId> outputs;

void ReadOne(uint64_t device, uint64_t inode) {
  const std::lock_guard<std::mutex> lock(guard);
  inputs.insert({device, inode});
}

bool IdOf(const std::string& path, TFileId& id) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  id = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
  return true;
}

}  // namespace

void Start() {
  SetReadFileObserver(&ReadOne);
}

std::string Refusal(const std::string& path) {
  TFileId id;
  if (!IdOf(path, id)) return {};  // a new file
  const std::lock_guard<std::mutex> lock(guard);
  if (inputs.count(id)) return "not written: " + path + " is a file this run reads";
  if (outputs.count(id)) return "not written: " + path + " was written before in this run";
  return {};
}

void Written(const std::string& path) {
  TFileId id;
  if (!IdOf(path, id)) return;
  const std::lock_guard<std::mutex> lock(guard);
  outputs.insert(id);
}

}  // namespace output_guard

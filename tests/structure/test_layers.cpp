// The layers of the source tree, read from its includes: the core is plain C++
// that knows no window, no Qt and no command line; the command line and the Qt
// glue shared with it know no window code.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kSrc = fs::path(TARNISK_SOURCE_DIR) / "src";

struct TInclude {
  std::string file;  // relative to src/
  std::string target;
  bool angled;
};

// `line` as `#include <target>` or `#include "target"`, blanks allowed around "#".
bool ParseInclude(const std::string& line, TInclude& inc) {
  size_t i = line.find_first_not_of(" \t");
  if (i == std::string::npos || line[i] != '#') return false;
  i = line.find_first_not_of(" \t", i + 1);
  if (i == std::string::npos || line.compare(i, 7, "include") != 0) return false;
  i = line.find_first_not_of(" \t", i + 7);
  if (i == std::string::npos || (line[i] != '<' && line[i] != '"')) return false;
  const char close = line[i] == '<' ? '>' : '"';
  const size_t end = line.find(close, i + 1);
  if (end == std::string::npos) return false;
  inc.angled = close == '>';
  inc.target = line.substr(i + 1, end - i - 1);
  return true;
}

// Every #include of the sources below src/<folder>, optionally leaving out the
// window code in its ui/ subfolders.
std::vector<TInclude> IncludesOf(const std::string& folder, bool withoutUi) {
  std::vector<TInclude> found;
  const fs::path root = kSrc / folder;
  if (!fs::exists(root)) return found;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    const std::string rel = fs::relative(entry.path(), kSrc).generic_string();
    if (withoutUi && rel.find("/ui/") != std::string::npos) continue;
    std::ifstream in(entry.path());
    std::string line;
    while (std::getline(in, line)) {
      TInclude inc{rel, {}, false};
      if (ParseInclude(line, inc)) found.push_back(inc);
    }
  }
  return found;
}

bool IsWindowCode(const std::string& target) {
  return target.rfind("app/", 0) == 0 || target.rfind("view/", 0) == 0 ||
         target.find("/ui/") != std::string::npos;
}

bool IsQt(const TInclude& inc) {
  return inc.angled && inc.target.size() > 1 && inc.target[0] == 'Q' &&
         std::isupper(static_cast<unsigned char>(inc.target[1]));
}

}  // namespace

TEST(Layers, TheCoreIncludesNoQtNoWindowNoCommandLine) {
  size_t seen = 0;
  for (const char* folder : {"image", "settings", "formats", "process", "analysis", "palette"}) {
    for (const TInclude& inc : IncludesOf(folder, true)) {
      ++seen;
      EXPECT_FALSE(IsQt(inc)) << inc.file << " includes " << inc.target;
      EXPECT_FALSE(inc.angled && inc.target.rfind("qt", 0) == 0)
          << inc.file << " includes " << inc.target;
      EXPECT_FALSE(IsWindowCode(inc.target)) << inc.file << " includes " << inc.target;
      EXPECT_NE(inc.target.rfind("qtgui/", 0), 0u) << inc.file << " includes " << inc.target;
      EXPECT_NE(inc.target.rfind("cli/", 0), 0u) << inc.file << " includes " << inc.target;
    }
  }
  EXPECT_GT(seen, 50u);  // the sources were found and read
}

TEST(Layers, TheCommandLineAndTheSharedQtGlueIncludeNoWindowCode) {
  for (const char* folder : {"cli", "qtgui"}) {
    const std::vector<TInclude> includes = IncludesOf(folder, false);
    EXPECT_FALSE(includes.empty()) << folder;
    for (const TInclude& inc : includes) {
      EXPECT_FALSE(IsWindowCode(inc.target)) << inc.file << " includes " << inc.target;
      EXPECT_NE(inc.target, "QtWidgets") << inc.file;
    }
  }
  for (const TInclude& inc : IncludesOf("qtgui", false))
    EXPECT_NE(inc.target.rfind("cli/", 0), 0u) << inc.file << " includes " << inc.target;
}

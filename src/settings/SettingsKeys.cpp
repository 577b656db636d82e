// Where the settings file lives.
#include "settings/SettingsKeys.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace settings {

namespace {
bool CanWriteIn(const std::string& folder, const std::string& file) {
  std::error_code ec;
  if (std::filesystem::exists(file, ec)) return ::access(file.c_str(), W_OK) == 0;
  return !folder.empty() && ::access(folder.c_str(), W_OK) == 0;
}
}  // namespace

std::string ChooseSettingsPath(const std::string& programFolder, const std::string& homeFolder) {
  const std::string beside = programFolder + kFileName;
  if (CanWriteIn(programFolder, beside) || homeFolder.empty()) return beside;
  std::filesystem::path dir = std::filesystem::path(homeFolder) / ".config" / "tarnisk";
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  return (dir / kFileName).string();
}

}  // namespace settings

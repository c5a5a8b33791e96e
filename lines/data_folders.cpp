#include "lines/data_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

namespace Lines {

namespace fs = std::filesystem;

fs::path UserDataFolder() {
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  // Relative values are invalid and ignored, as the XDG base directories say.
  if (dataHome != nullptr && fs::path(dataHome).is_absolute())
    return fs::path(dataHome) / "ridelon" / "site";
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') {
    const passwd* user = getpwuid(getuid());
    home = user != nullptr ? user->pw_dir : "/";
  }
  return fs::path(home) / ".local" / "share" / "ridelon" / "site";
}

bool Contains(const fs::path& folder, const fs::path& path) {
  const auto [folderEnd, pathAt] =
      std::mismatch(folder.begin(), folder.end(), path.begin(), path.end());
  return folderEnd == folder.end();
}

bool Inside(const fs::path& path, const fs::path& folder) {
  std::error_code error;
  const fs::path real = fs::canonical(path, error);
  if (error) return false;
  const fs::path root = fs::canonical(folder, error);
  return !error && Contains(root, real);
}

bool RegularFileInside(const fs::path& file, const fs::path& folder) {
  std::error_code error;
  return fs::is_regular_file(file, error) && Inside(file, folder);
}

std::vector<fs::path> DataFolders() {
  std::error_code error;
  const fs::path program = fs::canonical("/proc/self/exe", error);
  fs::path installed = program.parent_path().parent_path() / "share" / "ridelon" / "site";
  if (error || !fs::is_directory(installed, error)) installed = RIDELON_SITE_SOURCE_DATA;
  return {UserDataFolder(), installed};
}

}  // namespace Lines

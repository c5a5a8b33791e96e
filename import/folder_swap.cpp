#include "import/folder_swap.h"

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace Import {

namespace fs = std::filesystem;

namespace {

std::string PrefixBeside(const fs::path& target, std::string_view purpose) {
  return "." + target.filename().string() + "." + std::string(purpose) + "-";
}

}  // namespace

fs::path FolderBeside(const fs::path& target, std::string_view purpose) {
  return target.parent_path() / (PrefixBeside(target, purpose) + std::to_string(::getpid()));
}

namespace {

// Removes the entries of `folder` named "{prefix}{pid}" whose process is gone.
template <typename IsPrefix>
void RemoveLeftovers(const fs::path& folder, IsPrefix isPrefix) {
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    const std::size_t dash = name.rfind('-');
    if (dash == name.npos || !isPrefix(std::string_view(name).substr(0, dash + 1))) continue;
    const std::string pid = name.substr(dash + 1);
    if (pid.empty() || pid.size() > 9 || pid.find_first_not_of("0123456789") != pid.npos) continue;
    if (::kill(static_cast<pid_t>(std::stol(pid)), 0) != 0 && errno == ESRCH)
      fs::remove_all(entry.path(), error);
  }
}

}  // namespace

void RemoveLeftoversBeside(const fs::path& target, std::string_view purpose) {
  const std::string prefix = PrefixBeside(target, purpose);
  RemoveLeftovers(target.parent_path(), [&](std::string_view found) { return found == prefix; });
}

void RemoveCityLeftovers(const fs::path& folder) {
  RemoveLeftovers(folder, [](std::string_view found) {
    return found.starts_with('.') && (found.ends_with(".import-") || found.ends_with(".remove-") ||
                                      found.ends_with(".link-") || found.ends_with(".snapshot-"));
  });
}

void SwapIn(const fs::path& fresh, const fs::path& target) {
  if (::renameat2(AT_FDCWD, fresh.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0) {
    fs::remove_all(fresh);  // now what was there before
    return;
  }
  fs::rename(fresh, target);
}

CitiesLock::CitiesLock(const fs::path& dataFolder, Mode mode)
    : fd_(::open(dataFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
  if (fd_ >= 0)
    while (::flock(fd_, mode == Mode::Shared ? LOCK_SH : LOCK_EX) != 0 && errno == EINTR) {
    }
}

CitiesLock::~CitiesLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace Import

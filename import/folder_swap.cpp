#include "import/folder_swap.h"

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
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

void RemoveLeftoversBeside(const fs::path& target, std::string_view purpose) {
  const std::string prefix = PrefixBeside(target, purpose);
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(target.parent_path(), error)) {
    const std::string name = entry.path().filename().string();
    if (!name.starts_with(prefix)) continue;
    const std::string pid = name.substr(prefix.size());
    if (pid.empty() || pid.size() > 9 || pid.find_first_not_of("0123456789") != pid.npos) continue;
    if (::kill(static_cast<pid_t>(std::stol(pid)), 0) != 0 && errno == ESRCH)
      fs::remove_all(entry.path(), error);
  }
}

void SwapIn(const fs::path& fresh, const fs::path& target) {
  if (::renameat2(AT_FDCWD, fresh.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0) {
    fs::remove_all(fresh);  // now what was there before
    return;
  }
  fs::rename(fresh, target);
}

}  // namespace Import

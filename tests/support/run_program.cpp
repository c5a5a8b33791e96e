#include "tests/support/run_program.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace Testing {

namespace {

std::string Slurp(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

StartedProgram StartProgram(const std::string& program, const std::vector<std::string>& args,
                            const std::string& input) {
  // Standard input and both outputs go through files in a folder of its own.
  char folderTemplate[] = "/tmp/ridelon-run-XXXXXX";
  const std::filesystem::path folder = ::mkdtemp(folderTemplate);
  std::ofstream(folder / "in", std::ios::binary) << input;

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, (folder / "in").c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, (folder / "out").c_str(), O_WRONLY | O_CREAT, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, (folder / "err").c_str(), O_WRONLY | O_CREAT, 0600);
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) throw std::runtime_error("cannot start " + program);
  return {pid, folder.string()};
}

ProgramResult Wait(const StartedProgram& started) {
  const std::filesystem::path folder = started.folder;
  int status = 0;
  rusage usage{};
  ::wait4(started.pid, &status, 0, &usage);
  const auto seconds = [](const timeval& time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
  };
  ProgramResult result{WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status),
                       Slurp(folder / "out"), Slurp(folder / "err"), usage.ru_maxrss,
                       seconds(usage.ru_utime) + seconds(usage.ru_stime)};
  std::filesystem::remove_all(folder);
  return result;
}

}  // namespace Testing

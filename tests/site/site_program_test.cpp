// ridelon-site as an operator runs it: a whole process, its log on standard
// output, its exit status.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "tests/support/raw_server.h"
#include "tests/support/run_program.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string kSite = RIDELON_SITE;
const std::string kData = RIDELON_SITE_DATA;
const std::string kPage =
    "GET /jinan/xianlu/K55lu/ HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";

// Waits until the site answers on `port`, or 5 s.
bool Answering(int port) {
  for (int i = 0; i < 100; ++i) {
    try {
      if (Testing::RawServer::Exchange(port, kPage).starts_with("HTTP/1.1 200")) return true;
    } catch (const std::runtime_error&) {  // not listening yet
    }
    std::this_thread::sleep_for(50ms);
  }
  return false;
}

// Starts a site through `start` on a free port, again on another when a test
// running beside this one took the port first; the site's pid and port.
std::pair<pid_t, int> StartSite(const std::function<pid_t(int port)>& start) {
  for (int attempt = 0; attempt < 5; ++attempt) {
    const int port = Testing::RawServer::UnusedPort();
    const pid_t pid = start(port);
    const bool answering = Answering(port);
    if (answering && ::waitpid(pid, nullptr, WNOHANG) == 0) return {pid, port};
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
  }
  throw std::runtime_error("no site started");
}

// A site started by a test, killed if the test ends before stopping it.
struct RunningSite {
  explicit RunningSite(pid_t started) : pid(started) {}
  ~RunningSite() {
    if (pid == 0) return;
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
  }
  // SIGTERM, then the exit status, or -1 when it is still running after `wait`.
  int Stop(std::chrono::seconds wait) {
    ::kill(pid, SIGTERM);
    const auto stopping = std::chrono::steady_clock::now();
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() - stopping > wait) return -1;
      std::this_thread::sleep_for(20ms);
    }
    pid = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  pid_t pid;
};

// With file handles scarce and slow clients holding half-sent requests, a
// normal request is still answered, the site does not spin, and its log
// stays short.
TEST(SiteProgram, AnswersUnderALowFileLimitAndSlowClients) {
  Testing::StartedProgram started;
  const auto [pid, port] = StartSite([&started](int port) {
    started = Testing::StartProgram("/bin/sh", {"-c", "ulimit -n 64 && exec \"$0\" \"$@\"", kSite,
                                                "--port", std::to_string(port), "--data", kData});
    return started.pid;
  });
  RunningSite site(pid);
  std::vector<int> slow;
  for (int i = 0; i < 80; ++i) {
    slow.push_back(Testing::RawServer::Connect(port));
    Testing::RawServer::Send(slow.back(), "GET /jinan/xianlu/K55lu/ HTTP/1.1\r\nHost: x");
  }
  const auto asked = std::chrono::steady_clock::now();
  EXPECT_TRUE(Testing::RawServer::Exchange(port, kPage).starts_with("HTTP/1.1 200"));
  EXPECT_LT(std::chrono::steady_clock::now() - asked, 3s);
  for (const int socket : slow) ::close(socket);
  ::kill(started.pid, SIGTERM);
  const auto result = Testing::Wait(started);
  site.pid = 0;
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_LT(result.cpuSeconds, 1.0);
  EXPECT_LT(result.out.size(), 16'000u) << result.out.substr(0, 2000);
}

// SIGTERM stops the site in bounded time while its log pipe is full and
// nobody reads it.
TEST(SiteProgram, StopsOnSigtermWhateverItsLogOutputDoes) {
  int logPipe[2];
  ASSERT_EQ(::pipe(logPipe), 0);
  ::fcntl(logPipe[1], F_SETPIPE_SZ, 4096);
  const auto [pid, port] = StartSite([&logPipe](int port) {
    const std::string portText = std::to_string(port);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, logPipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, logPipe[0]);
    const char* argv[] = {kSite.c_str(), "--port",      portText.c_str(),
                          "--data",      kData.c_str(), nullptr};
    pid_t spawned = 0;
    posix_spawn(&spawned, kSite.c_str(), &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    return spawned;
  });
  RunningSite site(pid);
  ::close(logPipe[1]);
  for (int i = 0; i < 300; ++i) Testing::RawServer::Exchange(port, kPage);  // 300 log lines

  EXPECT_EQ(site.Stop(5s), 0);
  ::close(logPipe[0]);
}

// An address that is none is a bad command line; a port in use is status 3
// with the hint; another failure to listen is status 3 without it.
TEST(SiteProgram, ExitsWithTheStatusThatSaysWhyItCannotServe) {
  for (const char* address : {"999.1.1.1", ":::1::"}) {
    const auto result = Testing::RunProgram(kSite, {"--bind", address, "--data", kData});
    EXPECT_EQ(result.exitCode, 2) << address;
    EXPECT_NE(result.err.find("cannot listen on " + std::string(address)), std::string::npos)
        << result.err;
  }
  const Testing::RawServer taken([](int, const std::string&) {});
  auto result =
      Testing::RunProgram(kSite, {"--port", std::to_string(taken.port()), "--data", kData});
  EXPECT_EQ(result.exitCode, 3);
  EXPECT_NE(result.err.find("Address already in use (is the port taken by another program?)"),
            std::string::npos)
      << result.err;
  result =
      Testing::RunProgram(kSite, {"--bind", "192.0.2.1", "--data", kData});  // not this machine's
  EXPECT_EQ(result.exitCode, 3);
  EXPECT_EQ(result.err.find("taken"), std::string::npos) << result.err;
}

// Help lists the serving options beside the commands; output that cannot be
// written is a failure.
TEST(SiteProgram, SaysWhatItServesAndFailsOnOutputItCannotWrite) {
  const auto help = Testing::RunProgram(kSite, {"--help"});
  EXPECT_EQ(help.exitCode, 0);
  for (const char* option : {"--port N", "(default 18080; 1 to 65535)", "--bind ADDRESS",
                             "--data DIR", "import [OPTIONS] EXTRACT|FEED"})
    EXPECT_NE(help.out.find(option), std::string::npos) << option << '\n' << help.out;

  const fs::path out = fs::path(::testing::TempDir()) / "ridelon-full-export";
  const auto full =
      Testing::RunProgram("/bin/sh", {"-c", "exec \"$0\" \"$@\" >/dev/full", kSite, "export",
                                      "--data", kData, "--out", out.string()});
  EXPECT_EQ(full.exitCode, 2);
  EXPECT_EQ(full.err, "ridelon-site: cannot write the output\n");
  fs::remove_all(out);
}

}  // namespace

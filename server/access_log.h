#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace Server {

// One line per request, written by a thread of its own so that a slow or full
// output (a pipe nobody reads) never holds up serving: past `capacity` waiting
// lines, new ones are dropped and counted, and the count is written once the
// output drains.
class AccessLog {
 public:
  explicit AccessLog(int fd, std::size_t capacity = 10'000);
  ~AccessLog();  // writes what is queued, then stops
  AccessLog(const AccessLog&) = delete;
  AccessLog& operator=(const AccessLog&) = delete;

  void Write(std::string line);

 private:
  void Run();

  int fd_;
  std::size_t capacity_;
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<std::string> lines_;
  std::size_t dropped_ = 0;
  bool stopping_ = false;
  std::thread writer_;
};

// `text` with control characters and backslashes written as \xHH and \\, so
// that a request cannot forge, split or colour log lines.
std::string EscapeForLog(std::string_view text);

}  // namespace Server

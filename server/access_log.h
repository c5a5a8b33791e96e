#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace Server {

// One line per request, written by a thread of its own so that a slow or full
// output (a pipe nobody reads) never holds up serving: past `capacity` waiting
// lines, new ones are dropped and counted, and the count is written once the
// output drains.
class AccessLog {
 public:
  explicit AccessLog(int fd, std::size_t capacity = 10'000);
  // Writes what is queued, waiting at most `kStopWait` for an output that
  // takes nothing; then the writer is left to the end of the process.
  ~AccessLog();
  AccessLog(const AccessLog&) = delete;
  AccessLog& operator=(const AccessLog&) = delete;

  static constexpr std::chrono::seconds kStopWait{2};

  void Write(std::string line);

 private:
  struct Queue;  // shared with the writer, which may outlive the log
  std::shared_ptr<Queue> queue_;
};

// `text` made safe to read in a log line: control characters (C0, C1, DEL),
// bytes that are not UTF-8 and backslashes as \xHH and \\, and bidirectional
// controls and the line and paragraph separators as \uHHHH, so that nothing
// in a request or a file name can forge, split, reorder or colour log lines.
std::string EscapeForLog(std::string_view text);
// The same for one field of a line, its spaces escaped too (\x20), so that
// it cannot shift the fields after it.
std::string EscapeFieldForLog(std::string_view text);

}  // namespace Server

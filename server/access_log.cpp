#include "server/access_log.h"

#include <unistd.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "lines/utf8.h"

namespace Server {

namespace {

void WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = ::write(fd, text.data(), text.size());
    if (written <= 0) return;  // the output is gone; so is the log
    text.remove_prefix(static_cast<std::size_t>(written));
  }
}

constexpr char kHex[] = "0123456789abcdef";

void AppendEscaped(std::string& out, char prefix, unsigned value, int digits) {
  out += '\\';
  out += prefix;
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) out += kHex[(value >> shift) & 0xF];
}

// Characters that reorder text around them or end a line where some readers
// of logs (editors, JSON tools) see one.
bool IsBidiOrLineControl(char32_t c) {
  return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x2028 || c == 0x2029;
}

std::string Escape(std::string_view text, bool spaces) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if ((byte > 0x20 || (byte == 0x20 && !spaces)) && byte < 0x7F && byte != '\\') {
      out += text[i++];
      continue;
    }
    if (byte == '\\') {
      out += "\\\\";
      ++i;
      continue;
    }
    const auto [length, c] =
        byte >= 0x80 ? Lines::DecodeUtf8(text.substr(i)) : std::pair<std::size_t, char32_t>{0, 0};
    if (length == 0 || (c >= 0x80 && c <= 0x9F)) {
      // A control character, a space, or a byte that is no character: C1
      // controls are escaped byte by byte, like broken sequences.
      for (std::size_t j = 0; j < std::max<std::size_t>(length, 1); ++j)
        AppendEscaped(out, 'x', static_cast<unsigned char>(text[i + j]), 2);
      i += std::max<std::size_t>(length, 1);
    } else if (IsBidiOrLineControl(c)) {
      AppendEscaped(out, 'u', c, 4);
      i += length;
    } else {
      out.append(text.substr(i, length));
      i += length;
    }
  }
  return out;
}

}  // namespace

struct AccessLog::Queue {
  explicit Queue(int fd, std::size_t capacity) : fd(fd), capacity(capacity) {}

  void Run() {
    std::unique_lock lock(mutex);
    for (;;) {
      ready.wait(lock, [this] { return stopping || !lines.empty(); });
      if (lines.empty()) break;  // stopping, and everything written
      std::deque<std::string> batch;
      batch.swap(lines);
      const std::size_t lost = dropped;
      dropped = 0;
      lock.unlock();
      std::string text;
      for (const std::string& line : batch) text += line + '\n';
      if (lost > 0) text.append("(").append(std::to_string(lost)).append(" log lines dropped)\n");
      WriteAll(fd, text);
      lock.lock();
    }
    done = true;
    finished.notify_all();
  }

  const int fd;
  const std::size_t capacity;
  std::mutex mutex;
  std::condition_variable ready;
  std::condition_variable finished;
  std::deque<std::string> lines;
  std::size_t dropped = 0;
  bool stopping = false;
  bool done = false;
};

AccessLog::AccessLog(int fd, std::size_t capacity) : queue_(std::make_shared<Queue>(fd, capacity)) {
  std::thread([queue = queue_] { queue->Run(); }).detach();
}

AccessLog::~AccessLog() {
  std::unique_lock lock(queue_->mutex);
  queue_->stopping = true;
  queue_->ready.notify_one();
  // A writer stuck in write() keeps the queue alive and dies with the process.
  queue_->finished.wait_for(lock, kStopWait, [this] { return queue_->done; });
}

void AccessLog::Write(std::string line) {
  bool wasEmpty = false;
  {
    std::lock_guard lock(queue_->mutex);
    if (queue_->lines.size() >= queue_->capacity) {
      ++queue_->dropped;
      return;
    }
    wasEmpty = queue_->lines.empty();
    queue_->lines.push_back(std::move(line));
  }
  // The writer sleeps only on an empty queue: waking it once per batch is enough.
  if (wasEmpty) queue_->ready.notify_one();
}

std::string EscapeForLog(std::string_view text) { return Escape(text, false); }

std::string EscapeFieldForLog(std::string_view text) { return Escape(text, true); }

}  // namespace Server

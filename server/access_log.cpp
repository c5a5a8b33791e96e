#include "server/access_log.h"

#include <unistd.h>

namespace Server {

namespace {

void WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = ::write(fd, text.data(), text.size());
    if (written <= 0) return;  // the output is gone; so is the log
    text.remove_prefix(static_cast<std::size_t>(written));
  }
}

}  // namespace

AccessLog::AccessLog(int fd, std::size_t capacity)
    : fd_(fd), capacity_(capacity), writer_([this] { Run(); }) {}

AccessLog::~AccessLog() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  ready_.notify_one();
  writer_.join();
}

void AccessLog::Write(std::string line) {
  bool wasEmpty = false;
  {
    std::lock_guard lock(mutex_);
    if (lines_.size() >= capacity_) {
      ++dropped_;
      return;
    }
    wasEmpty = lines_.empty();
    lines_.push_back(std::move(line));
  }
  // The writer sleeps only on an empty queue: waking it once per batch is enough.
  if (wasEmpty) ready_.notify_one();
}

void AccessLog::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    ready_.wait(lock, [this] { return stopping_ || !lines_.empty(); });
    if (lines_.empty()) return;  // stopping, and everything written
    std::deque<std::string> batch;
    batch.swap(lines_);
    const std::size_t dropped = dropped_;
    dropped_ = 0;
    lock.unlock();
    std::string text;
    for (const std::string& line : batch) text += line + '\n';
    if (dropped > 0)
      text.append("(").append(std::to_string(dropped)).append(" log lines dropped)\n");
    WriteAll(fd_, text);
    lock.lock();
  }
}

std::string EscapeForLog(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    } else if (c == '\\') {
      out += "\\\\";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace Server

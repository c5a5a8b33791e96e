#pragma once

#include <concepts>
#include <cstdio>
#include <string>
#include <string_view>

namespace CommandLine {

// Where a command's text goes: standard output or error, or a file in memory
// in tests. C stdio rather than iostreams: setting up their locale would be a
// noticeable part of a short ridelon-cli run, which a user pays on every query.
class Output {
 public:
  explicit Output(std::FILE* file) : file_(file) {}

  Output& operator<<(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), file_);
    return *this;
  }
  Output& operator<<(char c) {
    std::fputc(c, file_);
    return *this;
  }
  template <std::integral Number>
  Output& operator<<(Number number) {
    return *this << std::string_view(std::to_string(number));
  }

  // Writes out what is buffered; false when some text could not be written.
  bool Flush() { return std::fflush(file_) == 0 && std::ferror(file_) == 0; }

 private:
  std::FILE* file_;
};

}  // namespace CommandLine

#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "command_line/output.h"

// The command lines of ridelon-cli and ridelon-site: each program declares its
// commands once, and that declaration drives parsing, dispatch and --help.
namespace CommandLine {

// A command line or input that cannot be used; what() is the one-line reason.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Streams {
  std::FILE* in;
  Output out;
  Output err;
};

struct OptionSpec {
  std::string_view name{};       // "--base"
  std::string_view valueName{};  // "URL"; empty for a flag
  std::string_view help{};
  // A value must be a whole number in [min, max] when max > 0; without one,
  // a number option has `fallback` when it has one.
  std::int64_t min = 0;
  std::int64_t max = 0;
  std::optional<std::int64_t> fallback{};
};

// What a command was given, checked against its declaration.
struct Arguments {
  std::vector<std::string> operands;
  std::set<std::string, std::less<>> flags;
  std::map<std::string, std::string, std::less<>> values;

  bool Has(std::string_view flag) const { return flags.contains(flag); }
  std::optional<std::string> Value(std::string_view name) const;
  // An option the command cannot do without; throws UsageError when absent.
  std::string Required(std::string_view name) const;
  // A number option's value (already range-checked), or its fallback.
  std::int64_t Number(std::string_view name) const;
};

struct Command {
  std::string_view name{};  // empty: what the program does when no command is named
  std::string_view operands{};
  std::size_t minOperands = 0;
  std::size_t maxOperands = 0;
  std::string_view summary{};
  std::vector<OptionSpec> options{};
  // Returns the exit status; throws UsageError for unusable input.
  std::function<int(const Arguments&, Streams&)> run{};
};

struct Program {
  std::string_view name{};
  std::string_view summary{};
  std::vector<Command> commands{};
  std::string_view epilogue{};  // exit statuses and the like, at the end of --help
};

// Splits `args` by the command's declaration: its flags, its options that take
// a value ("--name VALUE" or "--name=VALUE") and operands ("--" ends the
// options). Throws UsageError for anything else.
Arguments Parse(const Command& command, const std::vector<std::string>& args);

// Runs the program on its command line: --help and --version, then the named
// command (or the unnamed one). Every failure ends as one line on err, "NAME:
// reason", and exit status 2; so does output that cannot be written.
int Run(const Program& program, const std::vector<std::string>& args, Streams streams);

// Opens /dev/null on each of descriptors 0, 1 and 2 that is closed, before
// anything else can take them (a socket on 1 would take the program's output).
// It is opened the wrong way round (standard output for reading), so that
// output to a closed descriptor still fails, and is reported, as it would
// have: call it first in main.
void KeepStandardDescriptorsOpen();

}  // namespace CommandLine

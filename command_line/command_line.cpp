#include "command_line/command_line.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>

#include "ridelon/version.h"

namespace CommandLine {

namespace {

const OptionSpec kHelp{"--help", "", "show this help"};

const OptionSpec* FindOption(const Command& command, std::string_view name) {
  const auto found = std::find_if(command.options.begin(), command.options.end(),
                                  [name](const OptionSpec& option) { return option.name == name; });
  return found == command.options.end() ? nullptr : &*found;
}

void CheckNumber(const OptionSpec& option, const std::string& text) {
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < option.min ||
      value > option.max)
    throw UsageError(std::string(option.name) + " needs a whole number from " +
                     std::to_string(option.min) + " to " + std::to_string(option.max));
}

std::string Usage(const Program& program, const Command& command) {
  std::string usage(program.name);
  const std::string_view options = command.options.empty() ? "" : "[OPTIONS]";
  for (const std::string_view part : {command.name, options, command.operands}) {
    if (part.empty()) continue;
    usage += ' ';
    usage += part;
  }
  return usage;
}

void PrintRows(Output& out, const std::vector<std::pair<std::string, std::string>>& rows) {
  std::size_t width = 0;
  for (const auto& row : rows) width = std::max(width, row.first.size());
  for (const auto& [left, right] : rows)
    out << "  " << left << std::string(width - left.size() + 2, ' ') << right << '\n';
}

void PrintOptions(const Command& command, Output& out) {
  std::vector<std::pair<std::string, std::string>> rows;
  for (const OptionSpec& option : command.options) {
    std::string left(option.name);
    if (!option.valueName.empty()) left.append(" ").append(option.valueName);
    std::string right(option.help);
    std::string notes;
    if (option.fallback) notes = "default " + std::to_string(*option.fallback);
    if (option.max > 0)
      notes += (notes.empty() ? "" : "; ") + std::to_string(option.min) + " to " +
               std::to_string(option.max);
    if (!notes.empty()) right += " (" + notes + ")";
    rows.emplace_back(left, right);
  }
  rows.emplace_back(kHelp.name, kHelp.help);
  PrintRows(out, rows);
}

void PrintCommandHelp(const Program& program, const Command& command, Output& out) {
  out << "Usage: " << Usage(program, command) << "\n\n" << command.summary << "\n\nOptions:\n";
  PrintOptions(command, out);
}

void PrintProgramHelp(const Program& program, Output& out) {
  // A program that only does one thing has no commands to list.
  if (program.commands.size() == 1 && program.commands[0].name.empty()) {
    out << "Usage: " << Usage(program, program.commands[0]) << "\n\n"
        << program.summary << "\n\nOptions:\n";
    PrintOptions(program.commands[0], out);
    out << '\n' << program.epilogue;
    return;
  }
  out << "Usage: " << program.name << " COMMAND [OPTIONS] [ARGUMENTS]\n\n"
      << program.summary << "\n\nCommands:\n";
  std::vector<std::pair<std::string, std::string>> rows;
  for (const Command& command : program.commands) {
    std::string usage = Usage(program, command);
    usage.erase(0, std::min(usage.size(), program.name.size() + 1));
    rows.emplace_back(usage, std::string(command.summary));
  }
  PrintRows(out, rows);
  // What the program does without a command is what most users want first.
  for (const Command& command : program.commands)
    if (command.name.empty() && !command.options.empty()) {
      out << "\nOptions of \"" << Usage(program, command) << "\":\n";
      PrintOptions(command, out);
    }
  out << "\n\"" << program.name << " COMMAND --help\" lists a command's options.\n\n";
  PrintRows(out, {{"--help", "show this help"}, {"--version", "print the version"}});
  out << '\n' << program.epilogue;
}

int RunCommand(const Program& program, const std::vector<std::string>& args, Streams& streams) {
  try {
    const bool named = !args.empty() && !args[0].starts_with('-');
    const std::string_view wanted = named ? std::string_view(args[0]) : std::string_view();
    if (!named && !args.empty() && (args[0] == "--help" || args[0] == "-h")) {
      PrintProgramHelp(program, streams.out);
      return 0;
    }
    if (!named && !args.empty() && args[0] == "--version") {
      streams.out << RIDELON_VERSION << '\n';
      return 0;
    }
    const auto command =
        std::find_if(program.commands.begin(), program.commands.end(),
                     [wanted](const Command& candidate) { return candidate.name == wanted; });
    if (command == program.commands.end()) {
      if (!named) throw UsageError("missing command (see --help)");
      throw UsageError("unknown command " + args[0] + " (see --help)");
    }
    const std::vector<std::string> rest(args.begin() + (named ? 1 : 0), args.end());
    const auto end = std::find(rest.begin(), rest.end(), "--");
    if (std::find(rest.begin(), end, "--help") != end) {
      PrintCommandHelp(program, *command, streams.out);
      return 0;
    }
    return command->run(Parse(*command, rest), streams);
  } catch (const std::exception& error) {
    streams.err << program.name << ": " << error.what() << '\n';
    return 2;
  }
}

}  // namespace

std::optional<std::string> Arguments::Value(std::string_view name) const {
  const auto found = values.find(name);
  if (found == values.end()) return std::nullopt;
  return found->second;
}

std::string Arguments::Required(std::string_view name) const {
  auto value = Value(name);
  if (!value) throw UsageError(std::string(name) + " is required");
  return std::move(*value);
}

std::int64_t Arguments::Number(std::string_view name) const { return std::stoll(Required(name)); }

Arguments Parse(const Command& command, const std::vector<std::string>& args) {
  Arguments parsed;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      parsed.operands.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    const auto equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    const OptionSpec* option = FindOption(command, name);
    if (option == nullptr) throw UsageError("unknown option " + name);
    if (option->valueName.empty()) {
      if (equals != std::string::npos) throw UsageError(name + " takes no value");
      parsed.flags.insert(name);
      continue;
    }
    std::string value;
    if (equals != std::string::npos) {
      value = arg.substr(equals + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      throw UsageError(name + " needs a value");
    }
    if (option->max > 0) CheckNumber(*option, value);
    parsed.values[name] = value;
  }
  for (const OptionSpec& option : command.options)
    if (option.fallback)
      parsed.values.try_emplace(std::string(option.name), std::to_string(*option.fallback));
  if (parsed.operands.size() < command.minOperands) throw UsageError("missing arguments");
  if (parsed.operands.size() > command.maxOperands) throw UsageError("too many arguments");
  return parsed;
}

int Run(const Program& program, const std::vector<std::string>& args, Streams streams) {
  const int status = RunCommand(program, args, streams);
  if (streams.out.Flush()) return status;
  streams.err << program.name << ": cannot write the output\n";
  return 2;
}

void KeepStandardDescriptorsOpen() {
  for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
    if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF)
      ::open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY);  // the lowest free: fd
}

}  // namespace CommandLine

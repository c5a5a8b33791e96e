// ridelon-cli: the stop list of a bus or trolleybus line from the command line,
// over the same library as the window.
#include <iostream>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/commands.h"

namespace {

constexpr const char* kUsage = R"(Usage: ridelon-cli COMMAND [ARGUMENTS]

Commands:
  pinyin TEXT                         print the toneless pinyin of TEXT
  url [--trolleybus] [--base URL] CITY LINE
                                      print the address of the line's page
  extract [FILE]                      print the stop list of a page (UTF-8,
                                      from FILE or standard input)
  query [--trolleybus] [--base URL] [--raw] CITY LINE
                                      fetch the line's page and print its stops;
                                      --raw prints the page text first
        [--connect-timeout MS] [--idle-timeout MS] [--max-time MS]
        [--max-body BYTES]            shorten the client's limits

Options:
  --help       show this help
  --version    print the version

Exit status: 0 stops printed, 1 nothing found, 2 unusable command line or input.
)";

int Dispatch(const std::string& command, const std::vector<std::string>& args) {
  if (command == "pinyin") return Cli::PinyinCommand(args, std::cout);
  if (command == "url") return Cli::UrlCommand(args, std::cout);
  if (command == "extract") return Cli::ExtractCommand(args, std::cin, std::cout, std::cerr);
  if (command == "query") return Cli::QueryCommand(args, std::cout, std::cerr);
  throw Cli::UsageError("unknown command " + command + " (see --help)");
}

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  for (const std::string& arg : args) {
    if (arg == "--") break;
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (arg == "--version") {
      std::cout << "1.00\n";
      return 0;
    }
  }
  try {
    if (args.empty()) throw Cli::UsageError("missing command (see --help)");
    return Dispatch(args[0], {args.begin() + 1, args.end()});
  } catch (const Cli::UsageError& error) {
    std::cerr << "ridelon-cli: " << error.what() << '\n';
    return 2;
  }
}

#include "cli/arguments.h"

#include <charconv>

namespace Cli {

Arguments ParseArguments(const std::vector<std::string>& args, const std::set<std::string>& flags,
                         const std::set<std::string>& valued, std::size_t minPositional,
                         std::size_t maxPositional) {
  Arguments parsed;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      parsed.positional.push_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (flags.count(arg) != 0) {
      parsed.flags.insert(arg);
    } else if (const auto eq = arg.find('=');
               eq != std::string::npos && valued.count(arg.substr(0, eq))) {
      parsed.values[arg.substr(0, eq)] = arg.substr(eq + 1);
    } else if (valued.count(arg) != 0) {
      if (i + 1 == args.size()) throw UsageError(arg + " needs a value");
      parsed.values[arg] = args[++i];
    } else {
      throw UsageError("unknown option " + arg);
    }
  }
  if (parsed.positional.size() < minPositional) throw UsageError("missing arguments");
  if (parsed.positional.size() > maxPositional) throw UsageError("too many arguments");
  return parsed;
}

long NumericOption(const Arguments& arguments, const std::string& name, long fallback) {
  const auto found = arguments.values.find(name);
  if (found == arguments.values.end()) return fallback;
  const std::string& text = found->second;
  long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value <= 0)
    throw UsageError(name + " needs a positive whole number");
  return value;
}

}  // namespace Cli

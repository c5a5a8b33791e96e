#pragma once

#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace Cli {

// A command line that cannot be used; what() is the one-line reason.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Arguments {
  std::vector<std::string> positional;
  std::set<std::string> flags;
  std::map<std::string, std::string> values;

  bool Has(const std::string& flag) const { return flags.count(flag) != 0; }
};

// Splits a subcommand's arguments into the given flags, options that take a
// value (as "--name VALUE" or "--name=VALUE") and positional arguments ("--"
// ends the options). Throws UsageError for anything else or a wrong count of
// positional arguments.
Arguments ParseArguments(const std::vector<std::string>& args, const std::set<std::string>& flags,
                         const std::set<std::string>& valued, std::size_t minPositional,
                         std::size_t maxPositional);

// The value of a numeric option, or `fallback` when it is absent.
long NumericOption(const Arguments& arguments, const std::string& name, long fallback);

}  // namespace Cli

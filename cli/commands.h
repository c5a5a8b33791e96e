#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// The subcommands of ridelon-cli. Each takes its own arguments and returns the
// exit status: 0 done, 1 nothing found, 2 unusable input (UsageError).
namespace Cli {

int PinyinCommand(const std::vector<std::string>& args, std::ostream& out);
int UrlCommand(const std::vector<std::string>& args, std::ostream& out);
int ExtractCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                   std::ostream& err);
int QueryCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace Cli

#pragma once

#include "command_line/command_line.h"

namespace Cli {

// ridelon-cli's commands: pinyin, url, extract, query, lines, stop and transfer.
const CommandLine::Program& RidelonCli();

}  // namespace Cli

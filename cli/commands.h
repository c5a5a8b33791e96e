#pragma once

#include "cli/command_line.h"

namespace Cli {

// ridelon-cli's commands: pinyin, url, extract and query.
const Program& RidelonCli();

}  // namespace Cli

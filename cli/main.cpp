// ridelon-cli: the stop list of a bus or trolleybus line from the command line,
// over the same library as the window.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"

int main(int argc, char** argv) {
  CommandLine::KeepStandardDescriptorsOpen();
  return CommandLine::Run(Cli::RidelonCli(), {argv + 1, argv + argc},
                          {stdin, CommandLine::Output(stdout), CommandLine::Output(stderr)});
}

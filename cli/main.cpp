// ridelon-cli: the stop list of a bus or trolleybus line from the command line,
// over the same library as the window.
#include <iostream>
#include <string>
#include <vector>

#include "cli/commands.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  return CommandLine::Run(Cli::RidelonCli(), {argv + 1, argv + argc},
                          {std::cin, std::cout, std::cerr});
}

#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace Testing {

struct ProgramResult {
  int exitCode = -1;
  std::string out;
  std::string err;
  long maxResidentKb = 0;  // the program's peak memory
  double cpuSeconds = 0;   // user and system time
};

// A program started in the background; Wait collects what RunProgram gives.
struct StartedProgram {
  int pid = 0;
  std::string folder;  // holds its standard input and outputs
};
StartedProgram StartProgram(const std::string& program, const std::vector<std::string>& args,
                            const std::string& input = "");
ProgramResult Wait(const StartedProgram& started);

// Runs `program` with `args` (passed as they are, no shell), feeding `input`
// on standard input, and collects its exit status and both outputs.
inline ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                                const std::string& input = "") {
  return Wait(StartProgram(program, args, input));
}

}  // namespace Testing

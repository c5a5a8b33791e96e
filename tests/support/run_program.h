#pragma once

#include <string>
#include <vector>

namespace Testing {

struct ProgramResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs `program` with `args` (passed as they are, no shell), feeding `input`
// on standard input, and collects its exit status and both outputs.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input = "");

}  // namespace Testing

#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace Testing {

// An empty folder of the running test's own: ctest runs tests side by side.
inline std::filesystem::path ScratchFolder() {
  std::filesystem::path folder =
      std::filesystem::path(::testing::TempDir()) /
      ("ridelon-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder;
}

}  // namespace Testing

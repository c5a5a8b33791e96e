#include "import/on_every_core.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <numeric>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

TEST(OnEveryCore, DoesEveryItemOnceAndStopsAtTheFirstFailure) {
  std::vector<std::atomic<int>> visits(1000);
  Import::ForEachOnEveryCore(std::span(visits), [](std::atomic<int>& item) { ++item; });
  EXPECT_TRUE(std::ranges::all_of(visits, [](const auto& item) { return item == 1; }));

  std::vector<int> items(1000);
  std::iota(items.begin(), items.end(), 0);
  // Items that take a while, so that the threads are told to stop long
  // before they could have taken them all.
  std::atomic<int> started = 0;
  const auto failAtTen = [&started](int item) {
    ++started;
    if (item == 10) throw std::runtime_error("item 10");
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  };
  EXPECT_THROW(
      {
        try {
          Import::ForEachOnEveryCore(std::span(items), failAtTen);
        } catch (const std::runtime_error& failure) {
          EXPECT_STREQ(failure.what(), "item 10");
          throw;
        }
      },
      std::runtime_error);
  EXPECT_LT(started, 1000);
}

}  // namespace

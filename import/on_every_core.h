#pragma once

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

namespace Import {

// Calls `work` on every item, spread over one thread per core, and returns
// when all are done. Once an item throws, the threads stop taking items, and
// the first exception thrown is rethrown here.
template <typename Item, typename Work>
void ForEachOnEveryCore(std::span<Item> items, const Work& work) {
  std::atomic<std::size_t> next = 0;
  std::exception_ptr failure;
  std::mutex failureLock;
  const auto takeItems = [&] {
    for (std::size_t i = next++; i < items.size(); i = next++) {
      try {
        work(items[i]);
      } catch (...) {
        const std::lock_guard lock(failureLock);
        if (!failure) failure = std::current_exception();
        next = items.size();
      }
    }
  };
  {
    std::vector<std::jthread> helpers;
    for (unsigned core = 1; core < std::max(1U, std::thread::hardware_concurrency()); ++core)
      helpers.emplace_back(takeItems);
    takeItems();
  }
  if (failure) std::rethrow_exception(failure);
}

}  // namespace Import

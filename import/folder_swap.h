#pragma once

#include <filesystem>
#include <string_view>

namespace Import {

// A folder beside `target`, named for this process and `purpose`, to build
// what will replace `target`: ".{target's name}.{purpose}-{pid}".
std::filesystem::path FolderBeside(const std::filesystem::path& target, std::string_view purpose);

// Removes what FolderBeside built for `target` and `purpose` in processes
// that are no longer running: they were killed before they could swap it in.
void RemoveLeftoversBeside(const std::filesystem::path& target, std::string_view purpose);

// The same for every target in `folder`: what killed imports, removals and
// links of any city left there.
void RemoveCityLeftovers(const std::filesystem::path& folder);

// Puts the folder `fresh` in place of `target` in one step, then removes what
// was there; `target` need not exist.
void SwapIn(const std::filesystem::path& fresh, const std::filesystem::path& target);

// A lock on the cities of a data folder (the folder itself, locked with
// flock): imports and removals hold it alone while they swap a city's folder,
// an export shared while it takes its copy, so that the copy holds each city
// as one import wrote it. Where the folder cannot be opened, nothing is
// locked (nor imported into).
class CitiesLock {
 public:
  enum class Mode { Shared, Exclusive };
  CitiesLock(const std::filesystem::path& dataFolder, Mode mode);
  ~CitiesLock();
  CitiesLock(const CitiesLock&) = delete;
  CitiesLock& operator=(const CitiesLock&) = delete;

 private:
  int fd_ = -1;
};

}  // namespace Import

#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "gtfs/csv_reader.h"

struct zip;

namespace Gtfs {

// Whether `path` is a GTFS feed, by what it holds, not by its name: a zip
// archive (it begins "PK\3\4"), or a folder.
bool IsFeed(const std::filesystem::path& path);

// The files of a feed, in a zip archive (at its top or in the one folder that
// holds stops.txt) or a folder; an empty file counts as absent. A zip whose
// entries would unpack past kMaxUnpackedBytes in all, or to more than
// kMaxRatio times their packed size, is refused before anything is unpacked,
// and reading stops where what it really unpacks passes that; a zip with two
// entries of one name is refused. Throws Import::ImportError.
class FeedFiles {
 public:
  static constexpr std::uint64_t kMaxUnpackedBytes = std::uint64_t{2} << 30;
  static constexpr std::uint64_t kMaxRatio = 100;

  explicit FeedFiles(const std::filesystem::path& feed);
  ~FeedFiles();
  FeedFiles(const FeedFiles&) = delete;
  FeedFiles& operator=(const FeedFiles&) = delete;

  bool Has(const std::string& name) const;
  // A reader of the file `name`, which must be there.
  CsvReader Open(const std::string& name) const;

 private:
  void ReadEntries(const std::filesystem::path& feed);

  std::filesystem::path folder_;
  zip* archive_ = nullptr;
  std::string prefix_;                  // the folder in the archive that holds the feed, "name/"
  std::uint64_t budget_ = 0;            // bytes it may unpack
  mutable std::uint64_t unpacked_ = 0;  // bytes it unpacked
};

}  // namespace Gtfs

#include "gtfs/feed_files.h"

#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>

#include "import/city_import.h"
#include "lines/line_file.h"

namespace Gtfs {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void Refuse(const fs::path& feed, const std::string& why) {
  throw Import::ImportError(feed.string() + ": " + why);
}

}  // namespace

bool IsFeed(const fs::path& path) {
  std::error_code error;
  // A folder is never an extract: a folder without stops.txt is a feed that
  // lacks it, and is told so.
  if (fs::is_directory(path, error)) return true;
  std::ifstream file(path, std::ios::binary);
  char magic[4] = {};
  return file.read(magic, sizeof magic) && std::string_view(magic, 4) == "PK\x03\x04";
}

FeedFiles::FeedFiles(const fs::path& feed) {
  std::error_code error;
  if (fs::is_directory(feed, error)) {
    folder_ = feed;
    return;
  }
  int status = 0;
  archive_ = zip_open(feed.c_str(), ZIP_RDONLY, &status);
  if (archive_ == nullptr) Refuse(feed, "not a zip archive nor a folder of a feed");
  try {
    ReadEntries(feed);
  } catch (...) {
    zip_discard(archive_);
    throw;
  }
}

void FeedFiles::ReadEntries(const fs::path& feed) {
  std::uint64_t packed = 0, unpacked = 0;
  std::set<std::string> names;
  const zip_int64_t entries = zip_get_num_entries(archive_, 0);
  for (zip_int64_t i = 0; i < entries; ++i) {
    zip_stat_t entry;
    if (zip_stat_index(archive_, static_cast<zip_uint64_t>(i), 0, &entry) != 0) continue;
    packed += entry.comp_size;
    unpacked += entry.size;
    const std::string name = entry.name;
    // Which of two files of one name would be read is anybody's guess.
    if (!names.insert(name).second)
      Refuse(feed, "holds two entries named \"" + Lines::WithoutControls(name) + "\"");
    // Feeds are zipped as their files, or as the one folder that holds them.
    if (const std::size_t slash = name.find('/');
        slash != name.npos && name.substr(slash + 1) == "stops.txt")
      prefix_ = name.substr(0, slash + 1);
  }
  if (names.contains("stops.txt")) prefix_.clear();
  budget_ = std::min(kMaxUnpackedBytes, kMaxRatio * std::max<std::uint64_t>(packed, 1));
  if (unpacked > budget_)
    Refuse(feed, "its files would unpack to " + std::to_string(unpacked) +
                     " bytes, past what a feed holds");
}

FeedFiles::~FeedFiles() {
  if (archive_ != nullptr) zip_discard(archive_);
}

// An empty file is no file: optional files come empty from some publishers.
bool FeedFiles::Has(const std::string& name) const {
  if (archive_ != nullptr) {
    zip_stat_t entry;
    return zip_stat(archive_, (prefix_ + name).c_str(), 0, &entry) == 0 && entry.size > 0;
  }
  std::error_code error;
  return fs::is_regular_file(folder_ / name, error) && fs::file_size(folder_ / name, error) > 0;
}

CsvReader FeedFiles::Open(const std::string& name) const {
  if (archive_ != nullptr) {
    std::shared_ptr<zip_file_t> file(zip_fopen(archive_, (prefix_ + name).c_str(), 0), zip_fclose);
    if (!file) throw Import::ImportError(name + ": cannot be read from the archive");
    // The sizes an archive declares may lie: what is really unpacked counts.
    return CsvReader(name, [this, file, name](char* buffer, std::size_t size) -> std::size_t {
      const zip_int64_t read = zip_fread(file.get(), buffer, size);
      if (read < 0) throw Import::ImportError(name + ": the archive is damaged");
      unpacked_ += static_cast<std::uint64_t>(read);
      if (unpacked_ > budget_)
        throw Import::ImportError(name + ": the archive unpacks to more than " +
                                  std::to_string(budget_) + " bytes, past what it declares");
      return static_cast<std::size_t>(read);
    });
  }
  std::shared_ptr<std::FILE> file(std::fopen((folder_ / name).c_str(), "rb"), std::fclose);
  if (!file) throw Import::ImportError(name + ": cannot be read");
  return CsvReader(name, [file, name](char* buffer, std::size_t size) {
    const std::size_t read = std::fread(buffer, 1, size, file.get());
    if (read == 0 && std::ferror(file.get())) throw Import::ImportError(name + ": cannot be read");
    return read;
  });
}

}  // namespace Gtfs

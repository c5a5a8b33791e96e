#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace Lines {

// One line of the route site, as its file holds it: the first comment line is
// the title, every other non-empty line a stop, "name" or "name<TAB>location".
struct LineFile {
  struct Stop {
    std::string name;
    std::string location;
  };
  std::string title;
  std::vector<Stop> stops;
};

// Line files larger than this are refused: a line has tens of stops, not
// millions, and every page is kept in memory.
inline constexpr std::uintmax_t kMaxLineFileBytes = 1u << 20;

// The lines of a line file's text.
LineFile ParseLineFile(std::string_view text);

// Reads a line file; throws std::runtime_error, with the reason, when it cannot
// be read or is over the size limit.
LineFile ReadLineFile(const std::filesystem::path& file);

}  // namespace Lines

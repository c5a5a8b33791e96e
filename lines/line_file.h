#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace Lines {

// One line of the route site, as its file holds it (site/data/README.md):
// the first comment line ("# …") is the title, every other non-empty line a
// stop, "name", "name<TAB>location" or "name<TAB>location<TAB>times", in the
// line's first direction until a
// row "> note" starts another direction. A stop line starting with "\" has it
// dropped, so that "\#1号门" is the stop "#1号门". Control characters (C0, C1,
// DEL) in a name or location read as a space.
struct LineFile {
  struct Stop {
    std::string name;
    std::string location;
    std::string times{};  // first and last departure there, "06:05-24:40" (past 24: the next day)
  };
  using Stops = std::vector<Stop>;
  struct Direction {
    std::string note;
    Stops stops;
  };
  std::string title;
  Stops stops;  // the first direction, which a page's records carry
  std::vector<Direction> moreDirections{};
  // The line's ref as the data has it ("Daxing Airport"), from a comment
  // "# ref: …" after the title; the file name holds it upper-cased.
  std::string ref{};
  // Whether a comment credits OpenStreetMap's contributors: the import's lines.
  bool openStreetMap = false;
  // Where the data comes from, from a comment "# source: …" (a feed's agencies).
  std::string source{};
};

// Line files larger than this are refused: a line has tens of stops, not
// millions, and every page is kept in memory.
inline constexpr std::uintmax_t kMaxLineFileBytes = 1u << 20;

// The lines of a line file's text.
LineFile ParseLineFile(std::string_view text);

// The text of a line file that reads back as `line`, with `comments` as
// comment lines after the title. Control characters become spaces, here too.
std::string LineFileText(const LineFile& line, const std::vector<std::string>& comments);

// `text` with each control character (C0, C1 and DEL) replaced by a space.
std::string WithoutControls(std::string_view text);

// Reads a line file; throws std::runtime_error, with the reason, when it cannot
// be read or is over the size limit.
LineFile ReadLineFile(const std::filesystem::path& file);

}  // namespace Lines

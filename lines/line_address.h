#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The route site's addresses, the one place that knows their fixed words:
//   "/"                                the cities
//   "/{city}/xianlu/"                  a city's lines
//   "/{city}/xianlu/{LINE}lu/"         a bus line, file "{city}/{LINE}lu.txt"
//   "/{city}/xianlu/{LINE}ludianche/"  a trolleybus line, "{city}/{LINE}ludianche.txt"
//   "/{city}/zhandian/{STOP}/"         the lines that stop at a stop
//   "/{city}/huancheng/{FROM}/{TO}/"   ways from one stop to another
// A city is plain Latin letters; a line is a designation (not only spaces)
// that holds anything but path separators, control characters or a leading
// dot, in a file name of at most 255 bytes. Stop names in addresses are
// percent-encoded UTF-8.
namespace Lines {

enum class VehicleKind { Bus, Trolleybus };

inline constexpr std::string_view kLinesWord = "xianlu";
inline constexpr std::string_view kStopWord = "zhandian";
inline constexpr std::string_view kTransferWord = "huancheng";
inline constexpr std::string_view kBusSuffix = "lu";
inline constexpr std::string_view kTrolleybusSuffix = "ludianche";

// "{city}/{word}/{name}/…/", without a leading slash so that it follows a
// base ending in "/". Nothing is checked, changed or encoded: composing takes
// any text, in any character type, as it comes (the fetch encodes the wire).
template <typename Char>
std::basic_string<Char> ComposePath(std::basic_string_view<Char> city, std::string_view word,
                                    const std::vector<std::basic_string<Char>>& names) {
  std::basic_string<Char> path(city);
  const auto ascii = [&path](std::string_view text) { path.append(text.begin(), text.end()); };
  ascii("/");
  ascii(word);
  ascii("/");
  for (const auto& name : names) {
    path += name;
    ascii("/");
  }
  return path;
}

// "{city}/xianlu/{line}lu/" (or "ludianche/"), composed as ComposePath does.
template <typename Char>
std::basic_string<Char> LinePath(VehicleKind kind, std::basic_string_view<Char> city,
                                 std::basic_string_view<Char> line) {
  const std::string_view suffix = kind == VehicleKind::Bus ? kBusSuffix : kTrolleybusSuffix;
  std::basic_string<Char> named(line);
  named.append(suffix.begin(), suffix.end());
  return ComposePath<Char>(city, kLinesWord, {named});
}

// Whether `city` can name a city's folder and address: Latin letters only.
bool IsCityName(std::string_view city);

// What a request path asks for, its segments percent-decoded.
struct Address {
  enum class Kind { Cities, CityLines, Line, Stop, Transfer, Other };
  Kind kind = Kind::Other;
  std::string city{};
  std::string stop{};  // the stop, or where a transfer starts
  std::string to{};    // where a transfer ends
};
Address ParseAddress(std::string_view rawPath);

// Paths to link to and to ask for, for a city already romanised; each
// segment is encoded (EncodeSegment), so a name with "/" stays one segment.
std::string CityLinesPath(std::string_view city);
std::string StopPath(std::string_view city, std::string_view stop);
std::string TransferPath(std::string_view city, std::string_view from, std::string_view to);

// The longest guide address a client asks for: far below what the route
// site's header cap lets through, and far above any real stop name.
inline constexpr std::size_t kMaxGuidePathBytes = 4096;

// `text` with every byte but letters, digits and "-._~" as %XX.
std::string PercentEncode(std::string_view text);
// One path segment: PercentEncode, with "." and ".." encoded whole, so that
// no client reads them as dot segments.
std::string EncodeSegment(std::string_view text);
// Whether a stop's page has an address that browsers and static servers keep
// as it is: browsers resolve "." and ".." (even encoded) and static servers
// decode "/" into folders, so no piece between slashes may be empty, a dot
// segment, or longer than a file name. Other stops are shown unlinked.
bool HasStopPage(std::string_view stop);
// A path with each segment percent-encoded, its "/" kept: a link's href.
std::string EncodePath(std::string_view path);
// `text` with each %XX as its byte; a "%" without two hex digits stays.
std::string PercentDecode(std::string_view text);

// The file, relative to a data folder, for a percent-decoded request path, if
// it is a line's address.
std::optional<std::filesystem::path> LineFileName(std::string_view path);

// The request path of a line file named relative to its data folder, if it
// names a line.
std::optional<std::string> LineAddress(const std::filesystem::path& relativeFile);

// The line a file in a city's folder holds ("K55lu.txt": bus K55), if any.
struct LineName {
  VehicleKind kind;
  std::string designation;
};
std::optional<LineName> LineOfFile(std::string_view fileName);

}  // namespace Lines

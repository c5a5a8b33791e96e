#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// A line's address on the route site and its file under a data folder, the
// one place that knows the address's fixed words:
//   "/{city}/xianlu/{LINE}lu/"         is "{city}/{LINE}lu.txt"         (bus)
//   "/{city}/xianlu/{LINE}ludianche/"  is "{city}/{LINE}ludianche.txt"  (trolleybus)
// A city is plain Latin letters; a line is a designation (not only spaces)
// that holds anything but path separators, control characters or a leading
// dot, in a file name of at most 255 bytes.
namespace Lines {

enum class VehicleKind { Bus, Trolleybus };

inline constexpr std::string_view kLinesWord = "xianlu";
inline constexpr std::string_view kBusSuffix = "lu";
inline constexpr std::string_view kTrolleybusSuffix = "ludianche";

// "{city}/xianlu/{line}lu/" (or "ludianche/"), without a leading slash so that
// it follows a base ending in "/". Nothing is checked or changed: composing
// takes any text, in any character type, as it comes.
template <typename Char>
std::basic_string<Char> LinePath(VehicleKind kind, std::basic_string_view<Char> city,
                                 std::basic_string_view<Char> line) {
  const auto append = [](std::basic_string<Char>& to, std::string_view ascii) {
    to.append(ascii.begin(), ascii.end());
  };
  std::basic_string<Char> path(city);
  append(path, "/");
  append(path, kLinesWord);
  append(path, "/");
  path += line;
  append(path, kind == VehicleKind::Bus ? kBusSuffix : kTrolleybusSuffix);
  append(path, "/");
  return path;
}

// Whether `city` can name a city's folder and address: Latin letters only.
bool IsCityName(std::string_view city);

// The file, relative to a data folder, for a percent-decoded request path, if
// it is a line's address.
std::optional<std::filesystem::path> LineFileName(std::string_view path);

// The request path of a line file named relative to its data folder, if it
// names a line.
std::optional<std::string> LineAddress(const std::filesystem::path& relativeFile);

}  // namespace Lines

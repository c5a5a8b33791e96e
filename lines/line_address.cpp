#include "lines/line_address.h"

#include <algorithm>

namespace Lines {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kFileSuffix = ".txt";
constexpr std::size_t kMaxFileNameBytes = 255;  // NAME_MAX of Linux file systems

// A designation, then the suffix of its kind, in a file name that fits.
bool SafeLine(std::string_view line) {
  if (line.empty() || line[0] == '.') return false;
  if (line.size() + kFileSuffix.size() > kMaxFileNameBytes) return false;
  const auto designated = [line](std::string_view suffix) {
    return line.ends_with(suffix) &&
           line.substr(0, line.size() - suffix.size()).find_first_not_of(' ') != line.npos;
  };
  if (!designated(kBusSuffix) && !designated(kTrolleybusSuffix)) return false;
  return std::all_of(line.begin(), line.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x20 && c != '/' && c != '\\' && byte != 0x7F;
  });
}

}  // namespace

bool IsCityName(std::string_view city) {
  return !city.empty() && std::all_of(city.begin(), city.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
  });
}

std::optional<fs::path> LineFileName(std::string_view path) {
  if (!path.starts_with('/')) return std::nullopt;
  path.remove_prefix(1);
  if (!path.ends_with('/')) return std::nullopt;
  path.remove_suffix(1);
  const std::string separator = "/" + std::string(kLinesWord) + "/";
  const auto at = path.find(separator);
  if (at == path.npos) return std::nullopt;
  const std::string_view city = path.substr(0, at);
  const std::string_view line = path.substr(at + separator.size());
  if (!IsCityName(city) || !SafeLine(line)) return std::nullopt;
  return fs::u8path(city) / fs::u8path(std::string(line) + std::string(kFileSuffix));
}

std::optional<std::string> LineAddress(const fs::path& relativeFile) {
  const std::string city = relativeFile.parent_path().string();
  const std::string name = relativeFile.filename().string();
  if (!name.ends_with(kFileSuffix)) return std::nullopt;
  const std::string line = name.substr(0, name.size() - kFileSuffix.size());
  if (!IsCityName(city) || !SafeLine(line)) return std::nullopt;
  return "/" + city + "/" + std::string(kLinesWord) + "/" + line + "/";
}

}  // namespace Lines

#include "lines/line_address.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace Lines {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kFileSuffix = ".txt";

// "/a/b/": the segments, each after a "/", and a "/" at the end.
std::string Path(std::initializer_list<std::string_view> segments) {
  std::string path = "/";
  for (const std::string_view segment : segments) path.append(segment).append("/");
  return path;
}
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
  // No separator and no control character (C0, DEL, or C1: U+0080–U+009F,
  // 0xC2 0x80–0x9F in UTF-8).
  for (std::size_t i = 0; i < line.size(); ++i) {
    const auto byte = static_cast<unsigned char>(line[i]);
    if (byte < 0x20 || byte == 0x7F || line[i] == '/' || line[i] == '\\') return false;
    if (byte == 0xC2 && i + 1 < line.size() &&
        (static_cast<unsigned char>(line[i + 1]) & 0xE0) == 0x80)
      return false;
  }
  return true;
}

}  // namespace

bool IsCityName(std::string_view city) {
  return !city.empty() && std::all_of(city.begin(), city.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
  });
}

Address ParseAddress(std::string_view rawPath) {
  if (rawPath == "/") return {.kind = Address::Kind::Cities};
  if (rawPath.size() < 2 || !rawPath.starts_with('/') || !rawPath.ends_with('/')) return {};
  std::vector<std::string> segments;
  for (std::string_view rest = rawPath.substr(1, rawPath.size() - 2);;) {
    const auto slash = rest.find('/');
    segments.push_back(PercentDecode(rest.substr(0, slash)));
    if (slash == rest.npos) break;
    rest.remove_prefix(slash + 1);
  }
  if (segments.size() < 2 || !IsCityName(segments[0]) ||
      std::ranges::any_of(segments, &std::string::empty))
    return {};
  Address address{.city = segments[0]};
  const std::string_view word = segments[1];
  if (word == kLinesWord && segments.size() == 2) address.kind = Address::Kind::CityLines;
  if (word == kLinesWord && segments.size() == 3) address.kind = Address::Kind::Line;
  if (word == kStopWord && segments.size() == 3) {
    address.kind = Address::Kind::Stop;
    address.stop = segments[2];
  }
  if (word == kTransferWord && segments.size() == 4) {
    address.kind = Address::Kind::Transfer;
    address.stop = segments[2];
    address.to = segments[3];
  }
  return address;
}

std::string CityLinesPath(std::string_view city) { return Path({EncodeSegment(city), kLinesWord}); }

std::string StopPath(std::string_view city, std::string_view stop) {
  return Path({EncodeSegment(city), kStopWord, EncodeSegment(stop)});
}

std::string TransferPath(std::string_view city, std::string_view from, std::string_view to) {
  return Path({EncodeSegment(city), kTransferWord, EncodeSegment(from), EncodeSegment(to)});
}

std::string EncodeSegment(std::string_view text) {
  if (text == ".") return "%2E";
  if (text == "..") return "%2E%2E";
  return PercentEncode(text);
}

bool HasStopPage(std::string_view stop) {
  for (;;) {
    const auto slash = stop.find('/');
    const std::string_view piece = stop.substr(0, slash);
    if (piece.empty() || piece == "." || piece == ".." || piece.size() > kMaxFileNameBytes)
      return false;
    if (slash == stop.npos) return true;
    stop.remove_prefix(slash + 1);
  }
}

std::string PercentEncode(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (std::isalnum(byte) != 0 || c == '-' || c == '.' || c == '_' || c == '~') {
      out += c;
    } else {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    }
  }
  return out;
}

std::string EncodePath(std::string_view path) {
  std::string out;
  for (std::size_t slash; (slash = path.find('/')) != path.npos; path.remove_prefix(slash + 1))
    out += PercentEncode(path.substr(0, slash)) + "/";
  return out + PercentEncode(path);
}

std::string PercentDecode(std::string_view text) {
  const auto hex = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hex(text[i + 1]) >= 0 && hex(text[i + 2]) >= 0) {
      out += static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::optional<fs::path> LineFileName(std::string_view path) {
  if (!path.starts_with('/')) return std::nullopt;
  path.remove_prefix(1);
  if (!path.ends_with('/')) return std::nullopt;
  path.remove_suffix(1);
  const std::string separator = Path({kLinesWord});
  const auto at = path.find(separator);
  if (at == path.npos) return std::nullopt;
  const std::string_view city = path.substr(0, at);
  const std::string_view line = path.substr(at + separator.size());
  if (!IsCityName(city) || !SafeLine(line)) return std::nullopt;
  return fs::u8path(city) / fs::u8path(std::string(line) + std::string(kFileSuffix));
}

std::optional<LineName> LineOfFile(std::string_view fileName) {
  if (!fileName.ends_with(kFileSuffix)) return std::nullopt;
  const std::string_view line = fileName.substr(0, fileName.size() - kFileSuffix.size());
  if (!SafeLine(line)) return std::nullopt;
  // A trolleybus suffix ends in "che", so it cannot be read as a bus's "lu".
  if (line.ends_with(kTrolleybusSuffix))
    return LineName{VehicleKind::Trolleybus,
                    std::string(line.substr(0, line.size() - kTrolleybusSuffix.size()))};
  return LineName{VehicleKind::Bus, std::string(line.substr(0, line.size() - kBusSuffix.size()))};
}

std::optional<std::string> LineAddress(const fs::path& relativeFile) {
  const std::string city = relativeFile.parent_path().string();
  const std::string name = relativeFile.filename().string();
  if (!name.ends_with(kFileSuffix)) return std::nullopt;
  const std::string line = name.substr(0, name.size() - kFileSuffix.size());
  if (!IsCityName(city) || !SafeLine(line)) return std::nullopt;
  return Path({city, kLinesWord, line});
}

}  // namespace Lines

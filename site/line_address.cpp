#include "site/line_address.h"

#include <algorithm>

namespace Site {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kXianlu = "/xianlu/";
constexpr std::string_view kFileSuffix = ".txt";

bool SafeCity(std::string_view city) {
  return !city.empty() && std::all_of(city.begin(), city.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
  });
}

bool SafeLine(std::string_view line) {
  if (line.empty() || line[0] == '.') return false;
  if (!line.ends_with("lu") && !line.ends_with("ludianche")) return false;
  return std::all_of(line.begin(), line.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x20 && c != '/' && c != '\\' && byte != 0x7F;
  });
}

}  // namespace

std::optional<fs::path> LineFileName(std::string_view path) {
  if (!path.starts_with('/')) return std::nullopt;
  path.remove_prefix(1);
  if (!path.ends_with('/')) return std::nullopt;
  path.remove_suffix(1);
  const auto xianlu = path.find(kXianlu);
  if (xianlu == path.npos) return std::nullopt;
  const std::string_view city = path.substr(0, xianlu);
  const std::string_view line = path.substr(xianlu + kXianlu.size());
  if (!SafeCity(city) || !SafeLine(line)) return std::nullopt;
  return fs::u8path(city) / fs::u8path(std::string(line) + std::string(kFileSuffix));
}

std::optional<std::string> LineAddress(const fs::path& relativeFile) {
  const std::string city = relativeFile.parent_path().string();
  const std::string name = relativeFile.filename().string();
  if (!name.ends_with(kFileSuffix)) return std::nullopt;
  const std::string line = name.substr(0, name.size() - kFileSuffix.size());
  if (!SafeCity(city) || !SafeLine(line)) return std::nullopt;
  return "/" + city + std::string(kXianlu) + line + "/";
}

}  // namespace Site

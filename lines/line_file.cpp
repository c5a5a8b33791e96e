#include "lines/line_file.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace Lines {

LineFile ReadLineFile(const std::filesystem::path& file) {
  std::error_code error;
  const auto size = std::filesystem::file_size(file, error);
  if (error) throw std::runtime_error("cannot read " + file.string() + ": " + error.message());
  if (size > kMaxLineFileBytes)
    throw std::runtime_error(file.string() + " is over " + std::to_string(kMaxLineFileBytes) +
                             " bytes");
  std::ifstream in(file, std::ios::binary);
  std::string text(static_cast<std::size_t>(size), '\0');
  if (!in.read(text.data(), static_cast<std::streamsize>(text.size())))
    throw std::runtime_error("cannot read " + file.string());
  return ParseLineFile(text);
}

LineFile ParseLineFile(std::string_view text) {
  LineFile line;
  std::istringstream in{std::string(text)};
  std::string row;
  while (std::getline(in, row)) {
    if (!row.empty() && row.back() == '\r') row.pop_back();
    if (row.empty()) continue;
    if (row[0] == '#') {
      const auto title = row.find_first_not_of("# ");
      if (line.title.empty() && title != std::string::npos) line.title = row.substr(title);
      continue;
    }
    const auto tab = row.find('\t');
    line.stops.push_back({row.substr(0, tab), tab == row.npos ? "" : row.substr(tab + 1)});
  }
  return line;
}

}  // namespace Lines

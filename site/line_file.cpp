#include "site/line_file.h"

#include <fstream>
#include <stdexcept>

namespace Site {

LineFile ReadLineFile(const std::filesystem::path& file) {
  std::error_code error;
  const auto size = std::filesystem::file_size(file, error);
  if (error) throw std::runtime_error("cannot read " + file.string() + ": " + error.message());
  if (size > kMaxLineFileBytes)
    throw std::runtime_error(file.string() + " is over " + std::to_string(kMaxLineFileBytes) +
                             " bytes");
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + file.string());

  LineFile line;
  std::string row;
  while (std::getline(in, row)) {
    if (!row.empty() && row.back() == '\r') row.pop_back();
    if (row.empty()) continue;
    if (row[0] == '#') {
      const auto text = row.find_first_not_of("# ");
      if (line.title.empty() && text != std::string::npos) line.title = row.substr(text);
      continue;
    }
    const auto tab = row.find('\t');
    line.stops.push_back({row.substr(0, tab), tab == row.npos ? "" : row.substr(tab + 1)});
  }
  if (in.bad()) throw std::runtime_error("cannot read " + file.string());
  return line;
}

}  // namespace Site

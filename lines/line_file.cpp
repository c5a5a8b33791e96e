#include "lines/line_file.h"

#include <fstream>
#include <stdexcept>

namespace Lines {

namespace {

constexpr char kComment = '#';
constexpr char kEscape = '\\';
constexpr char kDirection = '>';
constexpr std::string_view kRef = "ref: ";
constexpr std::string_view kSource = "source: ";
constexpr std::string_view kOpenStreetMap = "© OpenStreetMap contributors";

void AppendStops(std::string& text, const LineFile::Stops& stops) {
  for (const LineFile::Stop& stop : stops) {
    const std::string name = WithoutControls(stop.name);
    if (name.empty() || name[0] == kComment || name[0] == kEscape || name[0] == kDirection)
      text += kEscape;
    text += name;
    if (!stop.location.empty() || !stop.times.empty())
      text.append("\t").append(WithoutControls(stop.location));
    if (!stop.times.empty()) text.append("\t").append(WithoutControls(stop.times));
    text += '\n';
  }
}

}  // namespace

std::string WithoutControls(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    // C1 controls are U+0080–U+009F: 0xC2 0x80 to 0xC2 0x9F in UTF-8.
    const bool c1 = byte == 0xC2 && i + 1 < text.size() &&
                    (static_cast<unsigned char>(text[i + 1]) & 0xE0) == 0x80;
    if (byte < 0x20 || byte == 0x7F || c1) {
      out += ' ';
      i += c1 ? 1 : 0;
    } else {
      out += text[i];
    }
  }
  return out;
}

LineFile ParseLineFile(std::string_view text) {
  LineFile line;
  while (!text.empty()) {
    const auto end = text.find('\n');
    std::string_view row = text.substr(0, end);
    text.remove_prefix(end == text.npos ? text.size() : end + 1);
    if (row.ends_with('\r')) row.remove_suffix(1);
    if (row.empty()) continue;
    if (row[0] == kComment) {
      const auto text = row.find_first_not_of("# ");
      if (text == row.npos) continue;
      const std::string_view comment = row.substr(text);
      line.openStreetMap = line.openStreetMap || comment.find(kOpenStreetMap) != comment.npos;
      if (line.title.empty())
        line.title = WithoutControls(comment);
      else if (comment.starts_with(kRef) && line.ref.empty())
        line.ref = WithoutControls(comment.substr(kRef.size()));
      else if (comment.starts_with(kSource) && line.source.empty())
        line.source = WithoutControls(comment.substr(kSource.size()));
      continue;
    }
    if (row[0] == kDirection) {
      const auto note = row.find_first_not_of("> ");
      line.moreDirections.push_back(
          {note == row.npos ? "" : WithoutControls(row.substr(note)), {}});
      continue;
    }
    if (row[0] == kEscape) row.remove_prefix(1);
    const auto tab = row.find('\t');
    const auto times = tab == row.npos ? row.npos : row.find('\t', tab + 1);
    (line.moreDirections.empty() ? line.stops : line.moreDirections.back().stops)
        .push_back({WithoutControls(row.substr(0, tab)),
                    tab == row.npos ? "" : WithoutControls(row.substr(tab + 1, times - tab - 1)),
                    times == row.npos ? "" : WithoutControls(row.substr(times + 1))});
  }
  return line;
}

std::string LineFileText(const LineFile& line, const std::vector<std::string>& comments) {
  std::string text;
  text.append("# ").append(WithoutControls(line.title)).append("\n");
  if (!line.ref.empty())
    text.append("# ").append(kRef).append(WithoutControls(line.ref)).append("\n");
  if (!line.source.empty())
    text.append("# ").append(kSource).append(WithoutControls(line.source)).append("\n");
  for (const std::string& comment : comments)
    text.append("# ").append(WithoutControls(comment)).append("\n");
  AppendStops(text, line.stops);
  for (const LineFile::Direction& direction : line.moreDirections) {
    text.append("> ").append(WithoutControls(direction.note)).append("\n");
    AppendStops(text, direction.stops);
  }
  return text;
}

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

}  // namespace Lines

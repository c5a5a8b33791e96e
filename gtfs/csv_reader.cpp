#include "gtfs/csv_reader.h"

#include <algorithm>
#include <cstring>

#include "import/city_import.h"
#include "lines/line_file.h"
#include "lines/utf8.h"

namespace Gtfs {

namespace {

constexpr std::size_t kChunk = 1 << 16;

// Whether `text` is well-formed UTF-8: ASCII runs are skipped fast.
bool IsUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    const auto [length, c] = Lines::DecodeUtf8(text.substr(i));
    if (length == 0) return false;
    i += length;
  }
  return true;
}

}  // namespace

CsvReader::CsvReader(std::string fileName, Source source)
    : fileName_(std::move(fileName)), source_(std::move(source)), buffer_(kChunk) {
  if (!ReadRecord()) Fail("no header");
  // A byte-order mark before the first column's name is no part of it.
  if (record_.starts_with("\xEF\xBB\xBF")) {
    record_.erase(0, 3);
    for (std::size_t& bound : bounds_) bound -= 3;
  }
  std::size_t begin = 0;
  for (const std::size_t end : bounds_) {
    std::string name = record_.substr(begin, end - begin);
    // Header names are trimmed: feeds write "stop_id, stop_name" too.
    name.erase(0, name.find_first_not_of(' '));
    name.erase(name.find_last_not_of(' ') + 1);
    header_.push_back(std::move(name));
    begin = end;
  }
}

std::optional<std::size_t> CsvReader::Column(std::string_view name) const {
  const auto found = std::ranges::find(header_, name);
  if (found == header_.end()) return std::nullopt;
  return static_cast<std::size_t>(found - header_.begin());
}

std::size_t CsvReader::RequiredColumn(std::string_view name) const {
  const auto column = Column(name);
  if (!column) {
    const_cast<CsvReader*>(this)->recordLine_ = 1;
    Fail("no column " + std::string(name));
  }
  return *column;
}

void CsvReader::Fail(std::string_view what) const {
  // What is quoted from the file reaches a terminal: no control character.
  throw Import::ImportError(fileName_ + ":" + std::to_string(recordLine_) + ": " +
                            Lines::WithoutControls(what));
}

void CsvReader::EndField() {
  const std::size_t begin = bounds_.empty() ? 0 : bounds_.back();
  if (record_.size() - begin > kMaxFieldBytes)
    Fail("a field over " + std::to_string(kMaxFieldBytes) + " bytes");
  bounds_.push_back(record_.size());
}

void CsvReader::Append(char c) {
  if (record_.size() == kMaxRecordBytes)
    Fail("a record over " + std::to_string(kMaxRecordBytes) + " bytes");
  record_ += c;
}

bool CsvReader::Refill() {
  end_ = source_(buffer_.data(), buffer_.size());
  at_ = 0;
  return end_ > 0;
}

// One record into record_ and bounds_; false at the end of the file. An empty
// line is no record.
bool CsvReader::ReadRecord() {
  for (;;) {
    record_.clear();
    bounds_.clear();
    recordLine_ = line_;
    bool inQuotes = false, any = false;
    // The common case: a whole line in the buffer without quotes, taken at once.
    if (at_ < end_) {
      const char* begin = buffer_.data() + at_;
      const char* newline = static_cast<const char*>(std::memchr(begin, '\n', end_ - at_));
      if (newline != nullptr &&
          std::memchr(begin, '"', static_cast<std::size_t>(newline - begin)) == nullptr) {
        std::string_view line(begin, static_cast<std::size_t>(newline - begin));
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (line.size() > kMaxRecordBytes)
          Fail("a record over " + std::to_string(kMaxRecordBytes) + " bytes");
        for (std::size_t comma; (comma = line.find(',')) != line.npos;
             line.remove_prefix(comma + 1)) {
          record_.append(line.substr(0, comma));
          EndField();
        }
        record_.append(line);
        EndField();
        at_ = static_cast<std::size_t>(newline - buffer_.data()) + 1;
        ++line_;
        if (bounds_.size() == 1 && record_.empty()) continue;  // an empty line
        if (!IsUtf8(record_)) Fail("bytes that are not UTF-8");
        return true;
      }
    }
    for (;;) {
      if (at_ == end_ && !Refill()) {
        if (inQuotes) Fail("a quoted field is not closed");
        if (!any) return false;
        break;
      }
      const char c = buffer_[at_++];
      any = true;
      if (inQuotes) {
        if (c == '"') {
          if (at_ == end_) Refill();
          if (at_ < end_ && buffer_[at_] == '"') {
            Append('"');
            ++at_;
          } else {
            inQuotes = false;
          }
        } else {
          if (c == '\n') ++line_;
          Append(c);
        }
        continue;
      }
      // Quotes open a field only at its start; inside one they are text.
      if (c == '"' && record_.size() == (bounds_.empty() ? 0 : bounds_.back())) {
        inQuotes = true;
      } else if (c == ',') {
        EndField();
      } else if (c == '\n') {
        ++line_;
        break;
      } else if (c != '\r') {
        Append(c);
      }
    }
    EndField();
    if (bounds_.size() == 1 && record_.empty()) {
      if (at_ == end_ && !Refill()) return false;
      continue;  // an empty line
    }
    if (!IsUtf8(record_)) Fail("bytes that are not UTF-8");
    return true;
  }
}

bool CsvReader::Next() {
  if (!ReadRecord()) return false;
  if (bounds_.size() != header_.size())
    Fail(std::to_string(bounds_.size()) + " fields where the header has " +
         std::to_string(header_.size()));
  fields_.clear();
  std::size_t begin = 0;
  for (const std::size_t end : bounds_) {
    fields_.emplace_back(record_.data() + begin, end - begin);
    begin = end;
  }
  return true;
}

}  // namespace Gtfs

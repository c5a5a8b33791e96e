#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Gtfs {

// Reads one CSV file of a feed record by record, as RFC 4180 writes it:
// fields apart by commas, quoted fields holding commas, line ends and doubled
// quotes, lines ending in CRLF or LF; a byte-order mark at the start is
// skipped. A quote inside an unquoted field is a quote, as feeds mean it. The
// first record is the header. Streams: it holds one record at a time. A fault
// (bytes that are not UTF-8, a record whose field count is not the header's, a
// quote left open, a field over kMaxFieldBytes or a record over
// kMaxRecordBytes) throws Import::ImportError naming the file and the line.
class CsvReader {
 public:
  static constexpr std::size_t kMaxFieldBytes = 64 << 10;
  static constexpr std::size_t kMaxRecordBytes = 1 << 20;

  // Fills `buffer` with up to `size` bytes and returns how many; 0 at the end.
  using Source = std::function<std::size_t(char* buffer, std::size_t size)>;

  CsvReader(std::string fileName, Source source);

  // The column of `name` in the header, if the file has it.
  std::optional<std::size_t> Column(std::string_view name) const;
  // The same, or a fault naming the column when the file does not have it.
  std::size_t RequiredColumn(std::string_view name) const;

  // The next record's fields, valid until the next call; false at the end.
  bool Next();
  std::string_view Field(std::size_t column) const { return fields_[column]; }
  std::string_view Field(std::optional<std::size_t> column) const {
    return column ? fields_[*column] : std::string_view();
  }
  // The line the current record starts on, for messages.
  std::size_t Line() const { return recordLine_; }
  [[noreturn]] void Fail(std::string_view what) const;

 private:
  bool ReadRecord();
  bool Refill();
  void EndField();
  void Append(char c);

  std::string fileName_;
  Source source_;
  std::vector<char> buffer_;
  std::size_t at_ = 0, end_ = 0;
  std::size_t line_ = 1, recordLine_ = 0;
  std::string record_;               // the current record's unquoted text
  std::vector<std::size_t> bounds_;  // where each field of record_ ends
  std::vector<std::string_view> fields_;
  std::vector<std::string> header_;
};

}  // namespace Gtfs

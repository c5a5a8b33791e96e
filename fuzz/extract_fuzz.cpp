// ExtractStationList on any UTF-16 text: it agrees with the step-by-step
// chain, keeps only double-byte characters, and finds nothing without "}]}".
#include "fuzz/fuzz_input.h"
#include "pinyin/char_code.h"
#include "query/station_list.h"
#include "tests/support/reference_extract.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::u16string page = Fuzz::Utf16Units(data, size);
  const Query::StationList list = Query::ExtractStationList(page);

  if (page.find(u"}]}") == std::u16string::npos) Fuzz::Require(!list.found);
  if (!list.found) Fuzz::Require(list.stops.empty());
  for (const char16_t unit : list.stops) Fuzz::Require(Pinyin::CharCode(unit) < 0);
  Fuzz::Require(list.stops.size() <= page.size());
  Fuzz::Require(list == Testing::ReferenceExtract(page));
  return 0;
}

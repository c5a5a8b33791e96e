// TextToPinyin and ComposeQueryUrl on any text: the pinyin holds only
// lower-case syllable letters and characters that code page 936 writes as one
// byte; the address always has its fixed pieces.
#include "fuzz/fuzz_input.h"
#include "pinyin/pinyin.h"
#include "query/query_url.h"
#include "query/text_trim.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::u16string text = Fuzz::Utf16Units(data, size);
  const auto split = text.find(u'\0');
  const std::u16string city = text.substr(0, split);
  const std::u16string line = split == std::u16string::npos ? u"" : text.substr(split + 1);

  const std::u16string pinyin = Pinyin::TextToPinyin(city);
  Fuzz::Require(pinyin.size() <= 6 * city.size());
  for (const char16_t unit : pinyin) {
    const auto code = Pinyin::CharCode(unit);
    Fuzz::Require(code > 0 && code < 160);
  }

  for (const auto kind : {Query::VehicleKind::Bus, Query::VehicleKind::Trolleybus}) {
    const std::u16string_view base = u"http://127.0.0.1:18080/";
    const std::u16string url = Query::ComposeQueryUrl(kind, city, line, base);
    const std::u16string_view end = kind == Query::VehicleKind::Bus ? u"lu/" : u"ludianche/";
    Fuzz::Require(url.starts_with(base));
    Fuzz::Require(url.ends_with(end));
    Fuzz::Require(url.find(u"/xianlu/", base.size()) != std::u16string::npos);
    // A trolleybus line is kept whole (upper-casing keeps its length); a bus
    // line can only lose its outer spaces.
    const std::size_t fixed = base.size() + Pinyin::TextToPinyin(Query::TrimSpaces(city)).size() +
                              std::u16string_view(u"/xianlu/").size() + end.size();
    if (kind == Query::VehicleKind::Trolleybus)
      Fuzz::Require(url.size() == fixed + line.size());
    else
      Fuzz::Require(url.size() <= fixed + line.size());
  }
  return 0;
}

// Romanising all 3,755 GB2312 level-1 characters against a plain lookup of
// each character's syllable in a ready-made table.
#include <benchmark/benchmark.h>

#include <array>
#include <string>
#include <string_view>

#include "bench/ratio_reporter.h"
#include "pinyin/pinyin.h"

namespace {

// Every level-1 character, in GB2312 order.
std::u16string Level1Text() {
  std::u16string text;
  for (char32_t unit = 0; unit < 0x10000; ++unit) {
    const auto code = Pinyin::CharCode(static_cast<char16_t>(unit));
    // GB2312's rows: trail bytes from 0xA1 (below are GBK's extensions).
    if (code >= Pinyin::kFirstLevel1 && code <= Pinyin::kLastLevel1 && (code & 0xFF) >= 0xA1)
      text += static_cast<char16_t>(unit);
  }
  return text;
}

void TextToPinyin(benchmark::State& state) {
  const std::u16string text = Level1Text();
  for (auto _ : state) benchmark::DoNotOptimize(Pinyin::TextToPinyin(text));
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void TableLookup(benchmark::State& state) {
  const std::u16string text = Level1Text();
  // The answer for every code unit, computed beforehand.
  static std::array<std::u16string, 0x10000> syllables;
  for (const char16_t unit : text) syllables[unit] = Pinyin::TextToPinyin(std::u16string(1, unit));
  for (auto _ : state) {
    std::u16string result;
    for (const char16_t unit : text) result += syllables[unit];
    benchmark::DoNotOptimize(result);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

BENCHMARK(TextToPinyin);
BENCHMARK(TableLookup);

}  // namespace

int main(int argc, char** argv) {
  return Bench::RunAndCompare(argc, argv, {{"TextToPinyin", "TableLookup", 3.0}});
}

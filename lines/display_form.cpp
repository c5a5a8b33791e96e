#include "lines/display_form.h"

#include <algorithm>
#include <utility>

#include "latin_base_letters.inc"

namespace Lines {

namespace {

constexpr char32_t kIdeographicSpace = 0x3000;
constexpr char32_t kFullWidthOffset = 0xFF01 - u'!';  // U+FF01–U+FF5E mirror "!" to "~"

void AppendUtf8(std::string& out, char32_t c) {  // c in the BMP, 0x80 or above
  if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
  }
  out += static_cast<char>(0x80 | (c & 0x3F));
}

// The length of the well-formed two- or three-byte sequence at the start of
// `text` and the character it encodes; 0 when there is none there.
std::pair<std::size_t, char32_t> DecodeBmp(std::string_view text) {
  const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const auto continues = [&](std::size_t i) { return i < text.size() && (byte(i) & 0xC0) == 0x80; };
  if (byte(0) >= 0xC2 && byte(0) <= 0xDF && continues(1))
    return {2, (char32_t{byte(0)} & 0x1F) << 6 | (byte(1) & 0x3F)};
  if ((byte(0) & 0xF0) == 0xE0 && continues(1) && continues(2)) {
    const char32_t c =
        (char32_t{byte(0)} & 0x0F) << 12 | (char32_t{byte(1)} & 0x3F) << 6 | (byte(2) & 0x3F);
    if (c >= 0x800 && (c < 0xD800 || c > 0xDFFF)) return {3, c};
  }
  return {0, 0};
}

char BaseLetterOf(char32_t c) {
  const auto found = std::lower_bound(
      std::begin(kLatinBaseLetters), std::end(kLatinBaseLetters), c,
      [](const std::pair<char16_t, char>& entry, char32_t unit) { return entry.first < unit; });
  return found != std::end(kLatinBaseLetters) && found->first == c ? found->second : '\0';
}

}  // namespace

std::string DisplayForm(std::string_view name) {
  std::string out;
  out.reserve(name.size() * 3);
  for (std::size_t i = 0; i < name.size();) {
    const auto byte = static_cast<unsigned char>(name[i]);
    if (byte < 0x80) {
      AppendUtf8(out, byte > u' ' && byte < 0x7F ? byte + kFullWidthOffset : kIdeographicSpace);
      ++i;
      continue;
    }
    const auto [length, c] = DecodeBmp(name.substr(i));
    if (const char base = length > 0 ? BaseLetterOf(c) : '\0'; base != '\0') {
      AppendUtf8(out, static_cast<unsigned char>(base) + kFullWidthOffset);
    } else {
      // Anything else as it is, down to a byte that is no character.
      out.append(name.substr(i, std::max<std::size_t>(length, 1)));
    }
    i += std::max<std::size_t>(length, 1);
  }
  return out;
}

}  // namespace Lines

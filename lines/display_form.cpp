#include "lines/display_form.h"

#include <algorithm>
#include <utility>

#include "latin_base_letters.inc"
#include "lines/utf8.h"

namespace Lines {

namespace {

constexpr char32_t kIdeographicSpace = 0x3000;
constexpr char32_t kFullWidthOffset = 0xFF01 - u'!';  // U+FF01–U+FF5E mirror "!" to "~"
// The stop list's separator is made of em dashes: in a name, one becomes the
// full-width hyphen, so that 甲——乙 still reads as one stop.
constexpr char32_t kEmDash = 0x2014;
constexpr char32_t kFullWidthHyphen = 0xFF0D;

void AppendUtf8(std::string& out, char32_t c) {  // c in the BMP, 0x80 or above
  if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
  }
  out += static_cast<char>(0x80 | (c & 0x3F));
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
    const auto [length, c] = DecodeUtf8(name.substr(i));
    if (const char base = length > 0 ? BaseLetterOf(c) : '\0'; base != '\0') {
      AppendUtf8(out, static_cast<unsigned char>(base) + kFullWidthOffset);
    } else if (length > 0 && c == kEmDash) {
      AppendUtf8(out, kFullWidthHyphen);
    } else {
      // Anything else as it is, down to a byte that is no character.
      out.append(name.substr(i, std::max<std::size_t>(length, 1)));
    }
    i += std::max<std::size_t>(length, 1);
  }
  return out;
}

std::string WidthFolded(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  for (std::size_t i = 0; i < name.size();) {
    const auto [length, c] = DecodeUtf8(name.substr(i));
    if (c == kIdeographicSpace) {
      out += ' ';
    } else if (length > 0 && c == kEmDash) {
      out += '-';
    } else if (c >= 0xFF01 && c <= 0xFF5E) {
      out += static_cast<char>(c - kFullWidthOffset);
    } else {
      out.append(name.substr(i, std::max<std::size_t>(length, 1)));
    }
    i += std::max<std::size_t>(length, 1);
  }
  return out;
}

}  // namespace Lines

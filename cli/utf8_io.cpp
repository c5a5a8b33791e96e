#include "cli/utf8_io.h"

#include <unicode/unistr.h>

#include <ostream>

#include "web/inets.h"

namespace Cli {

std::u16string FromUtf8(std::string_view bytes) {
  return Inets::BytesToText(Inets::Bytes(bytes.begin(), bytes.end()), u"UTF-8");
}

std::string ToUtf8(std::u16string_view text) {
  std::string utf8;
  icu::UnicodeString(false, text.data(), static_cast<int32_t>(text.size())).toUTF8String(utf8);
  return utf8;
}

void PrintLine(std::ostream& out, std::u16string_view text) { out << ToUtf8(text) << '\n'; }

}  // namespace Cli

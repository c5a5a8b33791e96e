#include "cli/utf8_io.h"

#include <ostream>

#include "web/inets.h"
#include "web/wire_url.h"

namespace Cli {

std::u16string FromUtf8(std::string_view bytes) {
  return Inets::BytesToText(Inets::Bytes(bytes.begin(), bytes.end()), u"UTF-8");
}

std::string ToUtf8(std::u16string_view text) { return Inets::ToUtf8(text); }

void PrintLine(std::ostream& out, std::u16string_view text) { out << ToUtf8(text) << '\n'; }

}  // namespace Cli

#pragma once

#include <string>
#include <string_view>

namespace Lines {

// A stop name (UTF-8) as a page's records carry it, so that a reader that
// keeps only what code page 936 writes with two bytes keeps all of it:
// printable ASCII as its full-width form (4 → ４, T → Ｔ, "," → "，"), a
// space or a control character as the ideographic space U+3000, and a Latin
// letter with marks that code page 936 cannot write with two bytes as its base
// letter in full width (É → Ｅ, ô → ｏ; é stays é), and an em dash, of which
// the stop list's separator is made, as the full-width hyphen (甲——乙 →
// 甲－－乙). Anything else stays as it is. No ASCII is left, so no name can
// forge the records' punctuation, nor a stop of the list.
std::string DisplayForm(std::string_view name);

// A name with its full-width letters, digits and punctuation as ASCII and
// ideographic spaces as spaces, em dashes as hyphens: what a name is compared
// by, so that a name copied from a query's display form (地铁３号线, 甲－－乙)
// finds the stop (地铁3号线, 甲——乙).
std::string WidthFolded(std::string_view name);

}  // namespace Lines

#pragma once

#include <string>
#include <string_view>

#include "lines/line_address.h"

namespace Query {

using Lines::VehicleKind;

// The address of a line's page: the base, then the line's path
// (Lines::LinePath) for the city's pinyin and the upper-cased line, its
// full-width letters and digits as ASCII and a trailing 路 dropped. The city
// is trimmed for both kinds, the line only for buses: trolleybus lines keep
// their spaces. Nothing is escaped here; the fetch puts the address on the
// wire.
std::u16string ComposeQueryUrl(VehicleKind kind, std::u16string_view cityText,
                               std::u16string_view lineText, std::u16string_view base);

// The city as addresses hold it: the trimmed text romanised as a place name
// (Pinyin::PlaceToPinyin).
std::u16string CityPinyin(std::u16string_view cityText);

// The same address without the base, for a city already romanised: what the
// route site files the line under.
std::u16string LinePath(VehicleKind kind, std::u16string_view cityPinyin,
                        std::u16string_view lineText);

}  // namespace Query

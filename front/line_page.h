#pragma once

#include <string>
#include <string_view>

#include "front/html.h"
#include "lines/line_file.h"

namespace Front {

using Lines::LineFile;

// A line's page: UTF-8 HTML with every direction as a list for people, its
// stops by their names as they are, each linked to its stop's page in `city`;
// and the first direction as records in a script for the tool,
// "[{name:'…',strlatlon:'…'},…]}", with the names in display form
// (DisplayForm) and the locations in the letters, digits and ".|+-" that
// coordinates are written with.
// Above its lists, a map of every direction where its stops have locations.
std::string LinePage(const LineFile& line, const PageCity& city);

// The page for an address that is no line.
std::string NotFoundPage(std::string_view path);

}  // namespace Front

#pragma once

#include <string>
#include <string_view>

#include "lines/line_file.h"

namespace Lines {

// A line's page: UTF-8 HTML with the stops as a list for people, with their
// names as they are, and as records in a script for the tool,
// "[{name:'…',strlatlon:'…'},…]}", with their names in display form
// (DisplayForm) and their locations in the letters, digits and ".|+-" that
// coordinates are written with.
std::string LinePage(const LineFile& line);

// The page for an address that is no line.
std::string NotFoundPage(std::string_view path);

}  // namespace Lines

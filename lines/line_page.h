#pragma once

#include <string>
#include <string_view>

#include "lines/line_file.h"

namespace Lines {

// A line's page: UTF-8 HTML with the stops as a list for people and as
// records in a script for the tool, "[{name:'…',strlatlon:'…'},…]}".
std::string LinePage(const LineFile& line);

// The page for an address that is no line.
std::string NotFoundPage(std::string_view path);

}  // namespace Lines

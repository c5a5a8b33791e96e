#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace Site {

// A line's address on the route site and its file under a data folder:
// "/{city}/xianlu/{LINE}lu/" is "{city}/{LINE}lu.txt" and
// "/{city}/xianlu/{LINE}ludianche/" is "{city}/{LINE}ludianche.txt". A city
// is plain Latin letters; a line may hold anything but path separators,
// control characters or a leading dot.

// The file for a percent-decoded request path, if it is a line's address.
std::optional<std::filesystem::path> LineFileName(std::string_view path);

// The request path of a line file named relative to its data folder, if it
// names a line.
std::optional<std::string> LineAddress(const std::filesystem::path& relativeFile);

}  // namespace Site

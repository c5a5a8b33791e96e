#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace Query {

// Why `base` cannot be a route site's base address, or nothing when it can: an
// absolute http:// or https:// address with a host, ending in "/", with no
// user info, query or fragment, and nothing that needs escaping (spaces,
// control or non-ASCII characters, quotes, backslashes, "%").
std::optional<std::string> CheckSiteBase(std::u16string_view base);

}  // namespace Query

#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace Query {

// Why a base address is refused, for the command line and for the window.
struct BaseReason {
  std::string_view english;
  std::u16string_view chinese;
};

// Why `base` cannot be a route site's base address, or nothing when it can: an
// absolute http:// or https:// address with a host, ending in "/", with no
// user info, query or fragment, and nothing that needs escaping (spaces,
// control or non-ASCII characters, quotes, backslashes, "%").
std::optional<BaseReason> CheckSiteBase(std::u16string_view base);

// Where a route site's base address may come from, strongest first. An unset
// or empty source gives nothing.
struct SiteBaseSources {
  std::optional<std::string> commandLine;  // --base
  std::optional<std::string> environment;  // RIDELON_ROUTE_SERVICE_BASE
  std::string_view configured;             // chosen at build time
};

// The process's sources: `commandLine` over the environment over the build.
SiteBaseSources SiteBaseSourcesOf(std::optional<std::string> commandLine);

// A base refused, with the source that gave it and the reason: what() in
// English, Chinese() for the window.
class BadSiteBase : public std::runtime_error {
 public:
  BadSiteBase(std::string_view source, std::u16string_view chineseSource, BaseReason reason);
  std::u16string Chinese() const { return chinese_; }

 private:
  std::u16string chinese_;
};

// The base the strongest source gives, checked; nothing when no source gives
// one, which means the lines on this machine. Throws BadSiteBase.
std::optional<std::u16string> ChooseSiteBase(const SiteBaseSources& sources);

}  // namespace Query

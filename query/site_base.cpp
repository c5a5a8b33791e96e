#include "query/site_base.h"

#include <cstdlib>

#include "query/configured_site_base.h"
#include "web/text_codec.h"

namespace Query {

inline constexpr char kBaseVariable[] = "RIDELON_ROUTE_SERVICE_BASE";

std::optional<std::string> CheckSiteBase(std::u16string_view base) {
  // The scheme in any case, as in any address.
  std::u16string lowered(base.substr(0, 8));
  for (char16_t& c : lowered)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  std::u16string_view rest;
  for (const std::u16string_view scheme : {u"http://", u"https://"})
    if (std::u16string_view(lowered).starts_with(scheme)) rest = base.substr(scheme.size());
  if (rest.empty()) return "the route site must start with http:// or https://";
  const auto pathStart = rest.find(u'/');
  if (pathStart == 0) return "the route site has no host";
  if (pathStart == std::u16string_view::npos || !base.ends_with(u'/'))
    return "the route site must end with \"/\"";
  if (rest.substr(0, pathStart).find(u'@') != std::u16string_view::npos)
    return "the route site must not hold a user name or password";
  for (const char16_t c : base) {
    if (c == u'?' || c == u'#') return "the route site must not hold a query or fragment";
    if (c <= u' ' || c >= 0x7F || c == u'"' || c == u'\\' || c == u'%')
      return "the route site must not hold spaces, quotes, backslashes, \"%\" or non-ASCII";
  }
  return std::nullopt;
}

SiteBaseSources SiteBaseSourcesOf(std::optional<std::string> commandLine) {
  SiteBaseSources sources{std::move(commandLine), std::nullopt, kConfiguredSiteBase};
  if (const char* value = std::getenv(kBaseVariable)) sources.environment = value;
  return sources;
}

std::optional<std::u16string> ChooseSiteBase(const SiteBaseSources& sources) {
  const std::pair<std::string_view, std::string> ranked[] = {
      {"--base", sources.commandLine.value_or("")},
      {kBaseVariable, sources.environment.value_or("")},
      {"the built-in route site", std::string(sources.configured)},
  };
  for (const auto& [source, value] : ranked) {
    if (value.empty()) continue;
    std::u16string base = Web::FromUtf8(value);
    if (const auto reason = CheckSiteBase(base))
      throw BadSiteBase(std::string(source) + ": " + *reason);
    return base;
  }
  return std::nullopt;
}

}  // namespace Query

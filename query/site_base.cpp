#include "query/site_base.h"

namespace Query {

std::optional<std::string> CheckSiteBase(std::u16string_view base) {
  std::u16string_view rest;
  for (const std::u16string_view scheme : {u"http://", u"https://"})
    if (base.starts_with(scheme)) rest = base.substr(scheme.size());
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

}  // namespace Query

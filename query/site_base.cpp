#include "query/site_base.h"

#include <cstdlib>
#include <tuple>

#include "query/configured_site_base.h"
#include "web/text_codec.h"

namespace Query {

inline constexpr char kBaseVariable[] = "RIDELON_ROUTE_SERVICE_BASE";

namespace {

constexpr BaseReason kNoScheme{"the route site must start with http:// or https://",
                               u"线路网站的地址必须以 http:// 或 https:// 开头"};
constexpr BaseReason kNoHost{"the route site has no host", u"线路网站的地址没有主机名"};
constexpr BaseReason kNoSlash{"the route site must end with \"/\"", u"线路网站的地址必须以“/”结尾"};
constexpr BaseReason kUserInfo{"the route site must not hold a user name or password",
                               u"线路网站的地址不能含有用户名或密码"};
constexpr BaseReason kQuery{"the route site must not hold a query or fragment",
                            u"线路网站的地址不能含有查询（?）或片段（#）"};
constexpr BaseReason kCharacters{
    "the route site must not hold spaces, quotes, backslashes, \"%\" or non-ASCII",
    u"线路网站的地址不能含有空格、引号、反斜杠、“%”或非ASCII字符"};

}  // namespace

BadSiteBase::BadSiteBase(std::string_view source, std::u16string_view chineseSource,
                         BaseReason reason)
    : std::runtime_error(std::string(source) + ": " + std::string(reason.english)),
      chinese_(std::u16string(chineseSource) + u"：" + std::u16string(reason.chinese)) {}

std::optional<BaseReason> CheckSiteBase(std::u16string_view base) {
  // The scheme in any case, as in any address.
  std::u16string lowered(base.substr(0, 8));
  for (char16_t& c : lowered)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  std::u16string_view rest;
  for (const std::u16string_view scheme : {u"http://", u"https://"})
    if (std::u16string_view(lowered).starts_with(scheme)) rest = base.substr(scheme.size());
  if (rest.empty()) return kNoScheme;
  const auto pathStart = rest.find(u'/');
  if (pathStart == 0) return kNoHost;
  if (pathStart == std::u16string_view::npos || !base.ends_with(u'/')) return kNoSlash;
  if (rest.substr(0, pathStart).find(u'@') != std::u16string_view::npos) return kUserInfo;
  for (const char16_t c : base) {
    if (c == u'?' || c == u'#') return kQuery;
    if (c <= u' ' || c >= 0x7F || c == u'"' || c == u'\\' || c == u'%') return kCharacters;
  }
  return std::nullopt;
}

SiteBaseSources SiteBaseSourcesOf(std::optional<std::string> commandLine) {
  SiteBaseSources sources{std::move(commandLine), std::nullopt, kConfiguredSiteBase};
  if (const char* value = std::getenv(kBaseVariable)) sources.environment = value;
  return sources;
}

std::optional<std::u16string> ChooseSiteBase(const SiteBaseSources& sources) {
  const std::tuple<std::string_view, std::u16string_view, std::string> ranked[] = {
      {"--base", u"--base", sources.commandLine.value_or("")},
      {kBaseVariable, u"环境变量 RIDELON_ROUTE_SERVICE_BASE", sources.environment.value_or("")},
      {"the built-in route site", u"内置的线路网站", std::string(sources.configured)},
  };
  for (const auto& [source, chineseSource, value] : ranked) {
    if (value.empty()) continue;
    std::u16string base = Web::FromUtf8(value);
    if (const auto reason = CheckSiteBase(base)) throw BadSiteBase(source, chineseSource, *reason);
    return base;
  }
  return std::nullopt;
}

}  // namespace Query

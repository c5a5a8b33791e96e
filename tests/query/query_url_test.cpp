#include "query/query_url.h"

#include <gtest/gtest.h>

#include "query/site_base.h"
#include "query/text_trim.h"

namespace {

using Query::ComposeQueryUrl;
using Query::VehicleKind;

const std::u16string B = u"http://127.0.0.1:18080/";

TEST(ComposeQueryUrl, BusAddresses) {
  EXPECT_EQ(ComposeQueryUrl(VehicleKind::Bus, u"济南", u"K55", B), B + u"jinan/xianlu/K55lu/");
  EXPECT_EQ(ComposeQueryUrl(VehicleKind::Bus, u"济南", u"k55", B), B + u"jinan/xianlu/K55lu/");
  EXPECT_EQ(ComposeQueryUrl(VehicleKind::Bus, u" 济南 ", u"  k 55  ", B),
            B + u"jinan/xianlu/K 55lu/");
  EXPECT_EQ(ComposeQueryUrl(VehicleKind::Bus, u"\u3000济南\u3000", u"\u3000K55 \u3000", B),
            B + u"jinan/xianlu/K55lu/");
  EXPECT_EQ(ComposeQueryUrl(VehicleKind::Bus, u"深圳", u"旅游1", B),
            B + u"shenzhen/xianlu/旅游1lu/");
  EXPECT_EQ(ComposeQueryUrl(VehicleKind::Bus, u"Jinan", u"1", B), B + u"Jinan/xianlu/1lu/");
  EXPECT_EQ(ComposeQueryUrl(VehicleKind::Bus, u"", u"", B), B + u"/xianlu/lu/");
  // Accented letters upper-case too; ß (upper case only as two letters),
  // symbols and Chinese stay. Full-width letters and digits, as an input
  // method types them, are ASCII; a trailing 路 is what the address adds.
  EXPECT_EQ(ComposeQueryUrl(VehicleKind::Bus, u"济南", u"ｋ5z#éß路口", B),
            B + u"jinan/xianlu/K5Z#Éß路口lu/");
  EXPECT_EQ(ComposeQueryUrl(VehicleKind::Bus, u"济南", u"Ｋ５５", B), B + u"jinan/xianlu/K55lu/");
  EXPECT_EQ(ComposeQueryUrl(VehicleKind::Bus, u"济南", u" B1路 ", B), B + u"jinan/xianlu/B1lu/");
  EXPECT_EQ(ComposeQueryUrl(VehicleKind::Bus, u"济南", u"路", B), B + u"jinan/xianlu/路lu/");
  EXPECT_EQ(ComposeQueryUrl(VehicleKind::Trolleybus, u"北京", u"１０３路", B),
            B + u"beijing/xianlu/103ludianche/");
}

TEST(ComposeQueryUrl, TrolleybusLinesKeepTheirSpaces) {
  EXPECT_EQ(ComposeQueryUrl(VehicleKind::Trolleybus, u"北京", u"103", B),
            B + u"beijing/xianlu/103ludianche/");
  EXPECT_EQ(ComposeQueryUrl(VehicleKind::Trolleybus, u" 济南 ", u" 1 ", B),
            B + u"jinan/xianlu/ 1 ludianche/");
  EXPECT_EQ(ComposeQueryUrl(VehicleKind::Trolleybus, u"济南\u3000", u"\u3000y1", B),
            B + u"jinan/xianlu/\u3000Y1ludianche/");
}

TEST(TrimSpaces, RemovesPlainAndIdeographicSpacesAtTheEndsOnly) {
  EXPECT_EQ(Query::TrimSpaces(u""), u"");
  EXPECT_EQ(Query::TrimSpaces(u" \u3000 "), u"");
  EXPECT_EQ(Query::TrimSpaces(u" a b\u3000"), u"a b");
  EXPECT_EQ(Query::TrimSpaces(u"\t济南\t"), u"\t济南\t");
}

TEST(CheckSiteBase, AcceptsPlainHttpAndHttpsBases) {
  for (const std::u16string_view base :
       {u"http://127.0.0.1:18080/", u"https://example.test/bus/", u"http://[::1]:8/a/b/",
        u"HTTP://example.test/", u"hTtPs://example.test/"})  // the scheme in any case
    EXPECT_EQ(Query::CheckSiteBase(base), std::nullopt) << std::string(base.begin(), base.end());
}

TEST(CheckSiteBase, RefusesWhatCannotStandBeforeTheCityWithTheReason) {
  const std::pair<std::u16string_view, std::string_view> bad[] = {
      {u"", "http://"},
      {u"ftp://example.test/", "http://"},
      {u"HTTPS:/example.test/", "http://"},
      {u"http:///", "no host"},
      {u"http://127.0.0.1:18091", "end with"},
      {u"http://h/a", "end with"},
      {u"http://user:pw@h/", "user name"},
      {u"http://h/?q=1/", "query"},
      {u"http://h/#f/", "query or fragment"},
      {u"http://h/a b/", "spaces"},
      {u"http://h/%41/", "spaces"},
      {u"http://h/\"/", "spaces"},
      {u"http://h/站/", "spaces"},
      {u"http://h/\u007f/", "spaces"},
  };
  for (const auto& [base, reason] : bad) {
    const auto refused = Query::CheckSiteBase(base);
    ASSERT_TRUE(refused) << std::string(base.begin(), base.end());
    EXPECT_NE(refused->english.find(reason), std::string::npos) << refused->english;
    EXPECT_FALSE(refused->chinese.empty());
  }
}

TEST(ChooseSiteBase, TheStrongestSetSourceWinsAndEachIsChecked) {
  using Query::ChooseSiteBase;
  const std::string cli = "http://cli.test/", env = "http://env.test/";
  const std::string_view built = "http://built.test/";
  EXPECT_EQ(ChooseSiteBase({cli, env, built}), u"http://cli.test/");
  EXPECT_EQ(ChooseSiteBase({std::nullopt, env, built}), u"http://env.test/");
  EXPECT_EQ(ChooseSiteBase({"", "", built}), u"http://built.test/");          // empty is unset
  EXPECT_EQ(ChooseSiteBase({std::nullopt, std::nullopt, ""}), std::nullopt);  // the local lines

  const auto reasonFor = [](const Query::SiteBaseSources& sources) {
    try {
      ChooseSiteBase(sources);
    } catch (const Query::BadSiteBase& bad) {
      return std::string(bad.what());
    }
    return std::string("accepted");
  };
  EXPECT_EQ(reasonFor({"http://h", env, built}), "--base: the route site must end with \"/\"");
  try {
    ChooseSiteBase({std::nullopt, "h/", built});
    ADD_FAILURE() << "h/ accepted";
  } catch (const Query::BadSiteBase& bad) {  // the window's words, Chinese throughout
    EXPECT_EQ(
        bad.Chinese(),
        u"环境变量 RIDELON_ROUTE_SERVICE_BASE：线路网站的地址必须以 http:// 或 https:// 开头");
  }
  EXPECT_EQ(reasonFor({std::nullopt, "h/", built}),
            "RIDELON_ROUTE_SERVICE_BASE: the route site must start with http:// or https://");
  EXPECT_NE(reasonFor({std::nullopt, std::nullopt, "http://u@h/"}).find("user name"),
            std::string::npos);
  // A weaker source, even a bad one, is never looked at.
  EXPECT_EQ(reasonFor({cli, "bad", "bad"}), "accepted");
}

}  // namespace

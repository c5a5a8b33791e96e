#pragma once

#include <string>
#include <string_view>

#include "lines/line_address.h"
#include "web/fetch_failure.h"

// The fixed texts a user reads during a query.
namespace Query {

inline constexpr std::u16string_view kQueryingStatus = u"正在查询，请稍候。。。";
inline constexpr std::u16string_view kFoundStatus = u"查询完毕！请查看！";
inline constexpr std::u16string_view kNotFoundText = u"没有找到要查询的信息！";
inline constexpr std::u16string_view kNotFoundStatus = u"查询完毕!没有找到要查询的信息!";
inline constexpr std::u16string_view kCityPrompt = u"请输入城市名称！";
inline constexpr std::u16string_view kLinePrompt = u"请输入线路名称！";
inline constexpr std::u16string_view kStopPrompt = u"请输入站点名称！";
inline constexpr std::u16string_view kLocalSiteName = u"本机线路";  // the in-process site
inline constexpr std::string_view kPageCharset = "UTF-8";

// Why no page arrived, for a reader of the Chinese interface; empty for None.
std::u16string_view FailureText(Web::FailureKind kind);

// Why a page that arrived held no stops: the site's answer by its HTTP status.
std::u16string PageWithoutStopsText(long status);

// After "北京 103": that the line is there as `kind`, and how to ask for it.
std::u16string_view OtherKindText(Lines::VehicleKind kind);

}  // namespace Query

#include "query/query_texts.h"

namespace Query {

std::u16string_view FailureText(Web::FailureKind kind) {
  using Web::FailureKind;
  switch (kind) {
    case FailureKind::None:
      return u"";
    case FailureKind::BadAddress:
      return u"线路网站的地址无法使用";
    case FailureKind::HostNotFound:
      return u"找不到线路网站的主机";
    case FailureKind::ConnectionRefused:
      return u"线路网站拒绝连接";
    case FailureKind::TimedOut:
      return u"线路网站响应超时";
    case FailureKind::ConnectionClosed:
      return u"页面未传完连接就断开了";
    case FailureKind::BodyTooLarge:
      return u"页面太大";
    case FailureKind::HeadersTooLarge:
      return u"响应头太大";
    case FailureKind::BadFraming:
      return u"响应的长度信息无法读取";
    case FailureKind::NotHttp:
      return u"对方的回答不是HTTP";
    case FailureKind::TooManyRedirects:
      return u"重定向次数太多";
    case FailureKind::RedirectRefused:
      return u"拒绝重定向到非HTTP地址";
    case FailureKind::BadCompression:
      return u"无法解压页面";
    case FailureKind::CertificateNotTrusted:
      return u"线路网站的证书不可信";
    case FailureKind::Other:
      break;
  }
  return u"请求失败";
}

std::u16string PageWithoutStopsText(long status) {
  if (status == 404) return u"线路网站没有这条线路（404）";
  if (status == 200) return u"线路网站的页面里没有站点";
  std::u16string text = u"线路网站的回答是 ";
  for (const char c : std::to_string(status)) text += static_cast<char16_t>(c);
  return text;
}

std::u16string_view OtherKindText(Lines::VehicleKind kind) {
  return kind == Lines::VehicleKind::Bus ? u" 是公交线路：请选择公交" : u" 是电车线路：请选择电车";
}

}  // namespace Query

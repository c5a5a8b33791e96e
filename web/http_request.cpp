#include "web/http_request.h"

#include <curl/curl.h>

#include <algorithm>

#include "web/wire_url.h"

namespace Inets {

namespace {

// curl_global_init is not thread-safe in every libcurl build; a function-local
// static makes it run once, before the first handle.
void InitialiseCurlOnce() {
  static const bool initialised = [] {
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
      throw FetchError("could not initialise the HTTP client");
    return true;
  }();
  (void)initialised;
}

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != text.npos; }

long Seconds(std::chrono::milliseconds duration) {
  return std::max<long>(1, static_cast<long>((duration.count() + 999) / 1000));
}

}  // namespace

HttpRequest::HttpRequest(const FetchLimits& limits) : limits_(limits) {
  InitialiseCurlOnce();
  curl_ = curl_easy_init();
  if (curl_ == nullptr) throw FetchError("could not create an HTTP request");
}

HttpRequest::~HttpRequest() {
  curl_slist_free_all(headers_);
  curl_easy_cleanup(curl_);
}

void HttpRequest::Open(std::u16string_view method, std::u16string_view url, bool async,
                       std::u16string_view user, std::u16string_view password) {
  std::u16string upper(method);
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](char16_t c) { return c >= u'a' && c <= u'z' ? c - u'a' + u'A' : c; });
  if (upper != u"GET") throw FetchError("unsupported request method");
  if (async) throw FetchError("asynchronous requests are not supported");

  const std::string wire = EncodeUrlForWire(url);
  curl_easy_setopt(curl_, CURLOPT_ERRORBUFFER, errorBuffer_);
  curl_easy_setopt(curl_, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl_, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(curl_, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl_, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl_, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl_, CURLOPT_MAXREDIRS, limits_.maxRedirects);
  curl_easy_setopt(curl_, CURLOPT_ACCEPT_ENCODING, "gzip, deflate");
  curl_easy_setopt(curl_, CURLOPT_CONNECTTIMEOUT_MS,
                   static_cast<long>(limits_.connectTimeout.count()));
  curl_easy_setopt(curl_, CURLOPT_TIMEOUT_MS, static_cast<long>(limits_.totalTimeout.count()));
  // "No byte for idleTimeout": slower than one byte a second over that span.
  curl_easy_setopt(curl_, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(curl_, CURLOPT_LOW_SPEED_TIME, Seconds(limits_.idleTimeout));
  curl_easy_setopt(curl_, CURLOPT_USERAGENT, "Ridelon/1.00");
  curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, &HttpRequest::OnBody);
  curl_easy_setopt(curl_, CURLOPT_WRITEDATA, this);
  if (curl_easy_setopt(curl_, CURLOPT_URL, wire.c_str()) != CURLE_OK)
    throw FetchError("malformed address");

  if (!user.empty() || !password.empty()) {
    user_ = ToUtf8(user);
    password_ = ToUtf8(password);
    curl_easy_setopt(curl_, CURLOPT_USERNAME, user_.c_str());
    curl_easy_setopt(curl_, CURLOPT_PASSWORD, password_.c_str());
  }
  opened_ = true;
}

void HttpRequest::SetRequestHeader(std::string_view name, std::string_view value) {
  if (!opened_) throw FetchError("request not opened");
  if (name.empty() || HasLineBreak(name) || HasLineBreak(value) || name.find(':') != name.npos)
    throw FetchError("invalid request header");
  curl_slist* grown =
      curl_slist_append(headers_, (std::string(name) + ": " + std::string(value)).c_str());
  if (grown == nullptr) throw FetchError("out of memory for a request header");
  headers_ = grown;
  curl_easy_setopt(curl_, CURLOPT_HTTPHEADER, headers_);
}

void HttpRequest::Send() {
  if (!opened_) throw FetchError("request not opened");
  body_.clear();
  bodyTooLarge_ = false;
  complete_ = false;
  errorBuffer_[0] = '\0';
  const CURLcode code = curl_easy_perform(curl_);
  if (code != CURLE_OK) {
    body_.clear();
    body_.shrink_to_fit();
    throw FetchError(DescribeFailure(code));
  }
  complete_ = true;
}

const Bytes& HttpRequest::ResponseBody() const {
  if (!complete_) throw FetchError("no response body");
  return body_;
}

std::size_t HttpRequest::OnBody(char* data, std::size_t size, std::size_t count, void* self) {
  auto& request = *static_cast<HttpRequest*>(self);
  const std::size_t length = size * count;
  if (length > request.limits_.maxBodyBytes - request.body_.size()) {
    request.bodyTooLarge_ = true;
    return 0;  // makes libcurl abandon the transfer
  }
  request.body_.insert(request.body_.end(), data, data + length);
  return length;
}

std::string HttpRequest::DescribeFailure(int code) const {
  long redirects = 0;
  curl_easy_getinfo(curl_, CURLINFO_REDIRECT_COUNT, &redirects);

  std::string reason;
  switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      reason = "host not found";
      break;
    case CURLE_COULDNT_CONNECT:
      reason = "connection refused";
      break;
    case CURLE_OPERATION_TIMEDOUT:
      reason = "timed out";
      break;
    case CURLE_TOO_MANY_REDIRECTS:
      reason = "too many redirects";
      break;
    case CURLE_UNSUPPORTED_PROTOCOL:
      reason = redirects > 0 ? "redirect refused" : "unsupported address";
      break;
    case CURLE_URL_MALFORMAT:
      reason = "malformed address";
      break;
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
      reason = "connection closed before the page was complete";
      break;
    case CURLE_BAD_CONTENT_ENCODING:
      reason = "could not unpack the compressed page";
      break;
    case CURLE_PEER_FAILED_VERIFICATION:
      reason = "certificate not trusted";
      break;
    case CURLE_WRITE_ERROR:
      if (bodyTooLarge_) {
        reason = "body too large (over " + std::to_string(limits_.maxBodyBytes) + " bytes)";
        break;
      }
      [[fallthrough]];
    default:
      reason = curl_easy_strerror(static_cast<CURLcode>(code));
  }
  if (errorBuffer_[0] != '\0' && !(code == CURLE_WRITE_ERROR && bodyTooLarge_))
    reason += std::string(": ") + errorBuffer_;
  std::replace_if(
      reason.begin(), reason.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  return reason;
}

}  // namespace Inets

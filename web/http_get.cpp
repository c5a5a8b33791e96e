#include "web/http_get.h"

#include <curl/curl.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "ridelon/version.h"

namespace Web {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::string_view kUserAgent = "Ridelon/" RIDELON_VERSION;
// Loopback never goes through a proxy, whatever the environment says.
constexpr std::string_view kNoProxy = "localhost,127.0.0.0/8,::1";

// curl_global_init is not thread-safe in every libcurl build; a function-local
// static makes it run once, before the first handle.
bool CurlReady() {
  static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  return ready;
}

std::string NoProxyList() {
  std::string list(kNoProxy);
  for (const char* name : {"no_proxy", "NO_PROXY"})
    if (const char* value = std::getenv(name); value != nullptr && *value != '\0')
      return list + "," + value;
  return list;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    const char c = text[i];
    if ((c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) != prefix[i]) return false;
  }
  return true;
}

// A Content-Length value libcurl would quietly ignore: not a plain number, or
// too large for 64 bits. Such a body has no knowable end.
bool UnreadableContentLength(std::string_view line) {
  constexpr std::string_view kName = "content-length:";
  if (!StartsWithNoCase(line, kName)) return false;
  std::string_view value = line.substr(kName.size());
  while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
  while (!value.empty() && (value.back() == '\r' || value.back() == '\n' || value.back() == ' ' ||
                            value.back() == '\t'))
    value.remove_suffix(1);
  std::uint64_t length = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), length);
  return error != std::errc() || end != value.data() + value.size();
}

// One request and what its callbacks saw.
class Transfer {
 public:
  Transfer(const FetchLimits& limits, std::stop_token stop)
      : limits_(limits),
        stop_(std::move(stop)),
        curl_(CurlReady() ? curl_easy_init() : nullptr, &curl_easy_cleanup) {}

  GetResult Run(const std::string& wireUrl) {
    if (!curl_) return {std::nullopt, {FailureKind::Other, "no HTTP client"}};
    const std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headers(
        curl_slist_append(nullptr, "If-Modified-Since: 0"), &curl_slist_free_all);
    const std::string noProxy = NoProxyList();
    CURL* curl = curl_.get();
    curl_easy_setopt(curl, CURLOPT_URL, wireUrl.c_str());
    // The path goes out as composed: "../" typed in a line is data, not a step up.
    curl_easy_setopt(curl, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(curl, CURLOPT_NOPROXY, noProxy.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, limits_.maxRedirects);
    curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "gzip, deflate");
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(limits_.connectTimeout.count()));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(limits_.totalTimeout.count()));
    curl_easy_setopt(curl, CURLOPT_USERAGENT, kUserAgent.data());
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer_);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &Transfer::OnHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Transfer::OnBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, this);
    // The idle limit is kept here rather than with libcurl's low-speed check,
    // which averages over its window and so lets a stall run past the limit.
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &Transfer::OnProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);

    lastByte_ = Clock::now();
    const CURLcode code = curl_easy_perform(curl);
    if (code == CURLE_OK) {
      long status = 0;
      curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
      return {std::move(body_), {}, status};
    }
    return {std::nullopt, Classify(code)};
  }

 private:
  static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self) {
    auto& transfer = *static_cast<Transfer*>(self);
    const std::size_t length = size * count;
    transfer.lastByte_ = Clock::now();
    transfer.headerBytes_ += length;
    if (transfer.headerBytes_ > transfer.limits_.maxHeaderBytes)
      return transfer.Abort(FailureKind::HeadersTooLarge,
                            "over " + std::to_string(transfer.limits_.maxHeaderBytes) + " bytes");
    if (UnreadableContentLength({data, length}))
      return transfer.Abort(FailureKind::BadFraming, "unreadable Content-Length");
    return length;
  }

  static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* self) {
    auto& transfer = *static_cast<Transfer*>(self);
    const std::size_t length = size * count;
    transfer.lastByte_ = Clock::now();
    if (transfer.body_.empty()) transfer.ReserveDeclaredLength();
    if (length > transfer.limits_.maxBodyBytes - transfer.body_.size())
      return transfer.Abort(FailureKind::BodyTooLarge,
                            "over " + std::to_string(transfer.limits_.maxBodyBytes) + " bytes");
    transfer.body_.insert(transfer.body_.end(), data, data + length);
    return length;
  }

  // One allocation for a body of known length, up to the cap, rather than a
  // doubling series whose copies together hold twice the body.
  void ReserveDeclaredLength() {
    curl_off_t declared = -1;
    curl_easy_getinfo(curl_.get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &declared);
    if (declared > 0)
      body_.reserve(std::min(static_cast<std::uint64_t>(declared), limits_.maxBodyBytes));
  }

  static int OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto& transfer = *static_cast<Transfer*>(self);
    if (transfer.stop_.stop_requested()) {
      transfer.Abort(FailureKind::Other, "stopped");
      return 1;
    }
    if (Clock::now() - transfer.lastByte_ <= transfer.limits_.idleTimeout) return 0;
    transfer.Abort(FailureKind::TimedOut,
                   "no data for " + std::to_string(transfer.limits_.idleTimeout.count()) + " ms");
    return 1;
  }

  // Ends the transfer from a callback, for a reason of our own.
  std::size_t Abort(FailureKind kind, std::string detail) {
    aborted_ = {kind, std::move(detail)};
    return 0;
  }

  FetchFailure Classify(CURLcode code) const {
    if (aborted_.kind != FailureKind::None) return aborted_;
    long redirects = 0;
    curl_easy_getinfo(curl_.get(), CURLINFO_REDIRECT_COUNT, &redirects);
    const char* peer = nullptr;
    curl_easy_getinfo(curl_.get(), CURLINFO_PRIMARY_IP, &peer);
    const bool connected = peer != nullptr && *peer != '\0';
    switch (code) {
      case CURLE_COULDNT_RESOLVE_HOST:
      case CURLE_COULDNT_RESOLVE_PROXY:
        return {FailureKind::HostNotFound, errorBuffer_};
      case CURLE_COULDNT_CONNECT:
        return {FailureKind::ConnectionRefused, errorBuffer_};
      case CURLE_OPERATION_TIMEDOUT:
        return {FailureKind::TimedOut, errorBuffer_};
      case CURLE_TOO_MANY_REDIRECTS:
        return {FailureKind::TooManyRedirects, {}};
      case CURLE_UNSUPPORTED_PROTOCOL:
        if (redirects > 0) return {FailureKind::RedirectRefused, errorBuffer_};
        // Having reached a peer, this is libcurl refusing an HTTP/0.9 answer.
        return {connected ? FailureKind::NotHttp : FailureKind::BadAddress, errorBuffer_};
      case CURLE_URL_MALFORMAT:
        return {FailureKind::BadAddress, errorBuffer_};
      case CURLE_PARTIAL_FILE:
      case CURLE_RECV_ERROR:
      case CURLE_GOT_NOTHING:
        return {FailureKind::ConnectionClosed, errorBuffer_};
      case CURLE_WEIRD_SERVER_REPLY:
        return {FailureKind::NotHttp, errorBuffer_};
      case CURLE_BAD_CONTENT_ENCODING:
        return {FailureKind::BadCompression, errorBuffer_};
      case CURLE_PEER_FAILED_VERIFICATION:
        return {FailureKind::CertificateNotTrusted, errorBuffer_};
      case CURLE_OUT_OF_MEMORY:
        // libcurl's answer to a single header line past its own limit.
        if (connected) return {FailureKind::HeadersTooLarge, errorBuffer_};
        break;
      default:
        break;
    }
    return {FailureKind::Other, errorBuffer_[0] != '\0' ? errorBuffer_ : curl_easy_strerror(code)};
  }

  const FetchLimits& limits_;
  std::stop_token stop_;
  std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl_;
  Bytes body_;
  std::uint64_t headerBytes_ = 0;
  Clock::time_point lastByte_;
  FetchFailure aborted_;
  char errorBuffer_[CURL_ERROR_SIZE] = {};
};

}  // namespace

GetResult HttpGet(const std::string& wireUrl, const FetchLimits& limits, std::stop_token stop) {
  try {
    return Transfer(limits, std::move(stop)).Run(wireUrl);
  } catch (const std::exception& error) {  // out of memory, say
    return {std::nullopt, {FailureKind::Other, error.what()}};
  }
}

}  // namespace Web

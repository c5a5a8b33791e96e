#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "web/fetch_limits.h"

using CURL = void;
struct curl_slist;

namespace Inets {

using Bytes = std::vector<std::uint8_t>;

// A failed request step; what() is a one-line reason fit for a user.
class FetchError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One synchronous HTTP request over libcurl, driven the way the fetch drives it:
// Open, SetRequestHeader, Send, ResponseBody. Every step throws FetchError when
// it fails. Redirects are followed to http and https only; compressed bodies
// are unpacked; a body cut short or over the size limit counts as no body.
class HttpRequest {
 public:
  explicit HttpRequest(const FetchLimits& limits = {});
  ~HttpRequest();
  HttpRequest(const HttpRequest&) = delete;
  HttpRequest& operator=(const HttpRequest&) = delete;

  // Only "GET" (in any case) and only synchronous requests are supported.
  // Empty user and password send no credentials.
  void Open(std::u16string_view method, std::u16string_view url, bool async,
            std::u16string_view user, std::u16string_view password);
  void SetRequestHeader(std::string_view name, std::string_view value);
  void Send();
  const Bytes& ResponseBody() const;

 private:
  static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* self);
  std::string DescribeFailure(int code) const;

  FetchLimits limits_;
  CURL* curl_ = nullptr;
  curl_slist* headers_ = nullptr;
  std::string user_;
  std::string password_;
  Bytes body_;
  char errorBuffer_[256] = {};
  bool opened_ = false;
  bool complete_ = false;
  bool bodyTooLarge_ = false;
};

}  // namespace Inets

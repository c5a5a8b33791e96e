#include "web/fetch_failure.h"

namespace Web {

namespace {

std::string_view Reason(FailureKind kind) {
  switch (kind) {
    case FailureKind::None:
      return "";
    case FailureKind::BadAddress:
      return "unusable address";
    case FailureKind::HostNotFound:
      return "host not found";
    case FailureKind::ConnectionRefused:
      return "connection refused";
    case FailureKind::TimedOut:
      return "timed out";
    case FailureKind::ConnectionClosed:
      return "connection closed before the page was complete";
    case FailureKind::BodyTooLarge:
      return "body too large";
    case FailureKind::HeadersTooLarge:
      return "response headers too large";
    case FailureKind::BadFraming:
      return "response framing cannot be read";
    case FailureKind::NotHttp:
      return "the answer is not HTTP";
    case FailureKind::TooManyRedirects:
      return "too many redirects";
    case FailureKind::RedirectRefused:
      return "redirect refused";
    case FailureKind::BadCompression:
      return "could not unpack the compressed page";
    case FailureKind::CertificateNotTrusted:
      return "certificate not trusted";
    case FailureKind::Other:
      break;
  }
  return "request failed";
}

}  // namespace

std::string FetchFailure::Describe() const {
  std::string line(Reason(kind));
  if (!detail.empty()) line += ": " + detail;
  for (char& c : line)
    if (c == '\r' || c == '\n') c = ' ';
  return line;
}

}  // namespace Web

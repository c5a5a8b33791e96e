#pragma once

#include <string>
#include <string_view>

namespace Web {

// Why a request gave no page. The window and the command line each say it in
// their own language, so the kind travels as a value and the wording is theirs.
enum class FailureKind {
  None,  // a page arrived
  BadAddress,
  HostNotFound,
  ConnectionRefused,
  TimedOut,
  ConnectionClosed,
  BodyTooLarge,
  HeadersTooLarge,
  BadFraming,
  NotHttp,
  TooManyRedirects,
  RedirectRefused,
  BadCompression,
  CertificateNotTrusted,
  Other,
};

struct FetchFailure {
  FailureKind kind = FailureKind::None;
  std::string detail;  // what the client said beyond the kind; may be empty

  // One English line, "connection refused: …".
  std::string Describe() const;
};

}  // namespace Web

#include "web/inets.h"

#include "web/decoding_stream.h"

namespace Inets {

// Each step that fails is skipped and leaves the result as it was, so the
// caller sees nothing, the bytes, or the text, and never an exception.
FetchOutcome FetchText(std::u16string_view url, std::u16string_view charset,
                       const FetchLimits& limits) {
  FetchOutcome outcome;
  try {
    HttpRequest request(limits);
    request.Open(u"Get", url, false, u"", u"");
    try {
      request.SetRequestHeader("If-Modified-Since", "0");
    } catch (const FetchError&) {
      // The request still goes out, without the header.
    }
    request.Send();
    outcome.result = request.ResponseBody();
  } catch (const std::exception& error) {
    outcome.failure = error.what();
    return outcome;
  } catch (...) {
    outcome.failure = "request failed";
    return outcome;
  }

  try {
    outcome.result = BytesToText(std::get<Bytes>(outcome.result), charset);
  } catch (const std::exception&) {
    // The undecoded bytes stay the result.
  }
  return outcome;
}

std::u16string BytesToText(const Bytes& bytes, std::u16string_view charset) {
  DecodingStream stream;
  stream.Write(bytes);
  stream.SetCharset(charset);
  return stream.ReadText();
}

}  // namespace Inets

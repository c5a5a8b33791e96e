#pragma once

#include <chrono>
#include <cstdint>

namespace Web {

// How long and how much the client puts up with before it gives a request up.
// The defaults are the product's; tests shorten them so that nothing waits long.
struct FetchLimits {
  std::chrono::milliseconds connectTimeout{15'000};  // until the connection stands
  std::chrono::milliseconds idleTimeout{30'000};     // without a single byte arriving
  std::chrono::milliseconds totalTimeout{60'000};    // for the whole request
  std::uint64_t maxBodyBytes = 32u << 20;            // a larger body is abandoned
  std::uint64_t maxHeaderBytes = 256u << 10;         // all header and trailer lines together
  long maxRedirects = 10;
};

}  // namespace Web

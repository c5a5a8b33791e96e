#pragma once

#include <chrono>
#include <cstddef>

namespace Inets {

// How long and how much the client puts up with before it gives a request up.
// The defaults are the product's; tests shorten them so that nothing waits long.
struct FetchLimits {
  static constexpr std::chrono::milliseconds kConnectTimeout{15'000};
  static constexpr std::chrono::milliseconds kIdleTimeout{30'000};
  static constexpr std::chrono::milliseconds kTotalTimeout{60'000};
  static constexpr std::size_t kMaxBodyBytes = 32u << 20;
  static constexpr long kMaxRedirects = 10;

  std::chrono::milliseconds connectTimeout = kConnectTimeout;  // until the connection stands
  std::chrono::milliseconds idleTimeout = kIdleTimeout;        // without a single byte arriving
  std::chrono::milliseconds totalTimeout = kTotalTimeout;      // for the whole request
  std::size_t maxBodyBytes = kMaxBodyBytes;                    // a larger body is abandoned
  long maxRedirects = kMaxRedirects;
};

}  // namespace Inets

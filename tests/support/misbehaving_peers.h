#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "tests/support/raw_server.h"
#include "web/fetch_failure.h"
#include "web/fetch_limits.h"

namespace Testing {

// A site that answers badly, and the reason the fetch gives for ending in
// "nothing".
struct MisbehavingPeer {
  std::string name;
  RawServer::Serve serve;
  Web::FailureKind reason;
};

// Every way of not delivering a whole page that the client must survive:
// silence, stalls, dripping, cuts, resets, an endless body, broken chunks,
// unreadable framing, floods of header or trailer lines, answers that are not
// HTTP, redirect loops and redirects to other schemes.
std::vector<MisbehavingPeer> MisbehavingPeers();

// The client limits these peers are meant for: short enough that no test
// waits long, long enough for a loaded machine.
Web::FetchLimits ShortLimits();

// An upper bound on how long a fetch under ShortLimits() may take.
inline constexpr std::chrono::seconds kShortLimitsBound{8};

}  // namespace Testing

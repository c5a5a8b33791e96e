#pragma once

#include <string>

namespace RouteSite {

// The lines on this machine served on a loopback port for as long as the
// object lives. Its server lives in a module of its own (local_site_module.cpp)
// that a program loads only when it serves them: a query of a named site then
// loads no server code and starts sooner.
class LocalSite {
 public:
  virtual ~LocalSite() = default;
  // "http://127.0.0.1:PORT/".
  virtual std::string Base() const = 0;
};

// The module's one entry point; throws when the lines cannot be served
// (std::system_error when it cannot listen).
using StartLocalSiteFunction = LocalSite* (*)();
inline constexpr const char* kStartLocalSite = "ridelon_start_local_site";

}  // namespace RouteSite

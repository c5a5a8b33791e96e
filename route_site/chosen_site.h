#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "command_line/command_line.h"
#include "route_site/local_site.h"

namespace RouteSite {

// The option that names a route site, for every program taking it.
inline const CommandLine::OptionSpec kBaseOption{
    .name = "--base",
    .valueName = "URL",
    .help =
        "ask the route site at URL (default: $RIDELON_ROUTE_SERVICE_BASE, else the lines on "
        "this machine)"};

// The route site a program's queries go to: the base that --base, the
// environment or the build names (Query::ChooseSiteBase), else the lines on
// this machine, served in-process for as long as this object lives.
class ChosenSite {
 public:
  // Throws Query::BadSiteBase for a base that is refused; anything else it
  // throws says why the lines on this machine cannot be served.
  explicit ChosenSite(std::optional<std::string> givenBase);

  const std::u16string& Base() const { return base_; }
  bool IsInProcess() const { return inProcess_ != nullptr; }

 private:
  std::unique_ptr<LocalSite> inProcess_;
  std::u16string base_;
};

}  // namespace RouteSite

// The module that serves the lines on this machine in-process; see
// local_site.h. Everything in it is hidden but its entry point.
#include "route_site/local_site.h"
#include "server/in_process_site.h"

namespace {

class ServedLines final : public RouteSite::LocalSite {
 public:
  std::string Base() const override { return site_.Base(); }

 private:
  Server::InProcessSite site_;
};

}  // namespace

extern "C" [[gnu::visibility("default")]] RouteSite::LocalSite* ridelon_start_local_site() {
  return new ServedLines();
}

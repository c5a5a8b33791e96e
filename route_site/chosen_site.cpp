#include "route_site/chosen_site.h"

#include <dlfcn.h>

#include <filesystem>
#include <stdexcept>
#include <string_view>
#include <system_error>

#include "query/site_base.h"
#include "web/text_codec.h"

namespace RouteSite {

namespace {

// The module beside this program: RIDELON_LOCAL_SITE_MODULE from the folder
// the program is in.
std::string ModulePath() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) throw std::system_error(error, "cannot find this program's folder");
  return (program.parent_path() / RIDELON_LOCAL_SITE_MODULE).lexically_normal();
}

[[noreturn]] void ThrowModuleError(std::string_view failed) {
  std::string reason(failed);
  throw std::runtime_error(reason.append(": ").append(dlerror()));
}

// Loads the local site's module and starts it. The module stays loaded: its
// threads may outlive the site object by a moment, and a process loads it at
// most once anyway.
std::unique_ptr<LocalSite> StartLocalSite() {
  void* module = dlopen(ModulePath().c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) ThrowModuleError("cannot load the local route site");
  const auto start = reinterpret_cast<StartLocalSiteFunction>(dlsym(module, kStartLocalSite));
  if (start == nullptr) ThrowModuleError("cannot start the local route site");
  return std::unique_ptr<LocalSite>(start());
}

}  // namespace

ChosenSite::ChosenSite(std::optional<std::string> givenBase) {
  if (auto base = Query::ChooseSiteBase(Query::SiteBaseSourcesOf(std::move(givenBase)))) {
    base_ = std::move(*base);
    return;
  }
  inProcess_ = StartLocalSite();
  base_ = Web::FromUtf8(inProcess_->Base());
}

}  // namespace RouteSite

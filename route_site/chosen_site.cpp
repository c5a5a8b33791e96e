#include "route_site/chosen_site.h"

#include "query/site_base.h"
#include "web/text_codec.h"

namespace RouteSite {

ChosenSite::ChosenSite(std::optional<std::string> givenBase) {
  if (auto base = Query::ChooseSiteBase(Query::SiteBaseSourcesOf(std::move(givenBase)))) {
    base_ = std::move(*base);
    return;
  }
  inProcess_.emplace();
  base_ = Web::FromUtf8(inProcess_->Base());
}

}  // namespace RouteSite

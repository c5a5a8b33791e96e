#include "front/assets.h"

#include "assets.inc"

namespace Front {

std::optional<Page> Asset(std::string_view path) {
  if (path == kAssetPaths[0]) return Page{200, std::string(kStylesheet), "text/css; charset=utf-8"};
  if (path == kAssetPaths[1])
    return Page{200, std::string(kScript), "text/javascript; charset=utf-8"};
  // The search page: its script reads the form's question, finds the page
  // that answers it, and goes there, or shows the answer itself.
  if (path == kAssetPaths[2])
    return Page{200, HtmlPage("查询",
                              "<div id=\"answer\"><p>正在查询……</p></div>\n"
                              "<noscript><p>查询需要浏览器的脚本。</p></noscript>\n")};
  return std::nullopt;
}

}  // namespace Front

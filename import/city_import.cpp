#include "import/city_import.h"

#include <algorithm>

#include "import/city_folder.h"
#include "lines/line_address.h"
#include "query/query_url.h"
#include "web/text_codec.h"

namespace Import {

namespace {

// The city as a query composes it from what the user types.
std::string TypedCityPinyin(const ImportRequest& request) {
  return Web::ToUtf8(Query::CityPinyin(Web::FromUtf8(request.city)));
}

bool IsFolderOf(const ImportRequest& request, const std::string& pinyin) {
  return std::ranges::count(FoldersOfPlace(request.dataFolder, request.city), pinyin) > 0;
}

}  // namespace

std::string CityFolderName(const ImportRequest& request) {
  std::string pinyin = request.pinyin ? *request.pinyin : TypedCityPinyin(request);
  if (pinyin.empty())
    throw ImportError("\"" + request.city +
                      "\" romanises to nothing: give its pinyin with --pinyin");
  if (!Lines::IsCityName(pinyin))
    throw ImportError("the city's pinyin \"" + pinyin + "\" must be Latin letters only");
  if (const auto other = CityIn(request.dataFolder, pinyin);
      other && !request.replace && !IsFolderOf(request, pinyin))
    throw ImportError((request.dataFolder / pinyin).string() + " holds the lines of " + *other +
                      ": import " + request.city +
                      " under a pinyin of its own (--pinyin LETTERS), or take the folder over "
                      "with --replace");
  return pinyin;
}

void WriteCity(const ImportRequest& request, const std::string& pinyin,
               const std::vector<LineText>& lines, ImportReport& report) {
  try {
    report.cityFolder = WriteCityFolder(lines, request.dataFolder, pinyin, request.city);
    // Earlier imports of the city under another pinyin go: one city, one folder.
    for (const auto& removed : RemoveCity(request.dataFolder, request.city, pinyin))
      report.notes.push_back("removed the city's earlier lines at " + removed.string());
    // Typing the city's name must find it too, when it romanises to another pinyin.
    const std::string typed = TypedCityPinyin(request);
    if (typed != pinyin && Lines::IsCityName(typed) && !LinkCity(request.dataFolder, typed, pinyin))
      report.notes.push_back("\"" + request.city + "\" romanises to \"" + typed +
                             "\", which holds other lines: type " + pinyin + " to find these");
  } catch (const std::exception& failure) {
    throw ImportError(failure.what());
  }
}

}  // namespace Import

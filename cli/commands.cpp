#include "cli/commands.h"

#include <chrono>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "cli/arguments.h"
#include "cli/console_window.h"
#include "cli/utf8_io.h"
#include "pinyin/pinyin.h"
#include "query/query_texts.h"
#include "query/query_url.h"
#include "query/run_query.h"
#include "query/station_list.h"
#include "query/text_trim.h"

namespace Cli {

namespace {

const std::set<std::string> kAddressFlags = {"--trolleybus"};

struct Address {
  Query::VehicleKind kind;
  std::u16string city;
  std::u16string line;
  std::u16string base;
};

Address ReadAddress(const Arguments& arguments) {
  Address address{
      arguments.Has("--trolleybus") ? Query::VehicleKind::Trolleybus : Query::VehicleKind::Bus,
      FromUtf8(arguments.positional[0]), FromUtf8(arguments.positional[1]),
      Query::RouteServiceBase};
  if (const auto base = arguments.values.find("--base"); base != arguments.values.end())
    address.base = FromUtf8(base->second);
  return address;
}

std::u16string Compose(const Address& address) {
  return Query::ComposeQueryUrl(address.kind, address.city, address.line, address.base);
}

std::string ReadAll(std::istream& in) {
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Inets::FetchLimits LimitsFrom(const Arguments& arguments) {
  using std::chrono::milliseconds;
  Inets::FetchLimits limits;
  limits.connectTimeout = milliseconds(
      NumericOption(arguments, "--connect-timeout", Inets::FetchLimits::kConnectTimeout.count()));
  limits.idleTimeout = milliseconds(
      NumericOption(arguments, "--idle-timeout", Inets::FetchLimits::kIdleTimeout.count()));
  limits.totalTimeout = milliseconds(
      NumericOption(arguments, "--max-time", Inets::FetchLimits::kTotalTimeout.count()));
  limits.maxBodyBytes = static_cast<std::size_t>(
      NumericOption(arguments, "--max-body", static_cast<long>(Inets::FetchLimits::kMaxBodyBytes)));
  return limits;
}

}  // namespace

int PinyinCommand(const std::vector<std::string>& args, std::ostream& out) {
  const Arguments arguments = ParseArguments(args, {}, {}, 1, 1);
  PrintLine(out, Pinyin::TextToPinyin(FromUtf8(arguments.positional[0])));
  return 0;
}

int UrlCommand(const std::vector<std::string>& args, std::ostream& out) {
  const Arguments arguments = ParseArguments(args, kAddressFlags, {"--base"}, 2, 2);
  PrintLine(out, Compose(ReadAddress(arguments)));
  return 0;
}

int ExtractCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                   std::ostream& err) {
  const Arguments arguments = ParseArguments(args, {}, {}, 0, 1);
  std::string bytes;
  if (arguments.positional.empty() || arguments.positional[0] == "-") {
    bytes = ReadAll(in);
  } else {
    std::ifstream file(arguments.positional[0], std::ios::binary);
    if (!file) throw UsageError("cannot read " + arguments.positional[0]);
    bytes = ReadAll(file);
  }

  const Query::StationList stations = Query::ExtractStationList(FromUtf8(bytes));
  if (!stations.found) {
    PrintLine(err, Query::kNotFoundText);
    return 1;
  }
  PrintLine(out, stations.stops);
  return 0;
}

int QueryCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const Arguments arguments = ParseArguments(
      args, {"--trolleybus", "--raw"},
      {"--base", "--connect-timeout", "--idle-timeout", "--max-time", "--max-body"}, 2, 2);
  const Address address = ReadAddress(arguments);
  if (Query::TrimSpaces(address.city).empty()) throw UsageError(ToUtf8(Query::kCityPrompt));
  if (Query::TrimSpaces(address.line).empty()) throw UsageError(ToUtf8(Query::kLinePrompt));
  const Inets::FetchLimits limits = LimitsFrom(arguments);

  PrintLine(err, Query::kQueryingStatus);
  ConsoleWindow window(Compose(address), arguments.Has("--raw"), out, err);
  const Inets::FetchOutcome fetched =
      Query::RunQuery(window, [&](std::u16string_view url, std::u16string_view charset) {
        return Inets::FetchText(url, charset, limits);
      });

  if (window.StatusText() == Query::kFoundStatus) {
    PrintLine(out, window.ResultsText());
    return 0;
  }
  PrintLine(err, window.ResultsText());
  if (!fetched.failure.empty()) err << "ridelon-cli: " << fetched.failure << '\n';
  return 1;
}

}  // namespace Cli

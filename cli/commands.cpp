#include "cli/commands.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>

#include "cli/console_window.h"
#include "query/guide_query.h"
#include "query/query_texts.h"
#include "query/query_url.h"
#include "query/run_query.h"
#include "query/site_base.h"
#include "query/station_list.h"
#include "query/text_trim.h"
#include "route_site/chosen_site.h"
#include "web/text_codec.h"

namespace Cli {

namespace {

using CommandLine::Arguments;
using CommandLine::OptionSpec;
using CommandLine::Output;
using CommandLine::Program;
using CommandLine::Streams;
using CommandLine::UsageError;

constexpr std::int64_t kMaxMilliseconds = 3'600'000;  // an hour: past that, a typo
constexpr std::int64_t kMaxBodyOption = std::int64_t{4} << 30;
constexpr Web::FetchLimits kDefaults;
const std::uint64_t kMaxInputBytes = kDefaults.maxBodyBytes;  // a page is a page

const OptionSpec kTrolleybus{.name = "--trolleybus",
                             .help = "the trolleybus line (default: the bus line)"};
const OptionSpec& kBase = RouteSite::kBaseOption;

void PrintLine(Output& out, std::u16string_view text) { out << Web::ToUtf8(text) << '\n'; }

// The route site the command line, the environment or the build names, if any.
std::optional<std::u16string> ChosenBase(const Arguments& arguments) {
  try {
    return Query::ChooseSiteBase(Query::SiteBaseSourcesOf(arguments.Value(kBase.name)));
  } catch (const Query::BadSiteBase& bad) {
    throw UsageError(bad.what());
  }
}

std::u16string ComposeFrom(const Arguments& arguments, std::u16string_view base) {
  const auto kind =
      arguments.Has(kTrolleybus.name) ? Query::VehicleKind::Trolleybus : Query::VehicleKind::Bus;
  return Query::ComposeQueryUrl(kind, Web::FromUtf8(arguments.operands[0]),
                                Web::FromUtf8(arguments.operands[1]), base);
}

// A page from a file or standard input ("-"), refused past the body cap.
std::string ReadPage(const Arguments& arguments, std::FILE* standardInput) {
  const bool fromFile = !arguments.operands.empty() && arguments.operands[0] != "-";
  const std::string name = fromFile ? arguments.operands[0] : "standard input";
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(nullptr, &std::fclose);
  if (fromFile) {
    std::error_code error;
    if (std::filesystem::is_directory(name, error)) throw UsageError(name + " is a folder");
    file.reset(std::fopen(name.c_str(), "rb"));
    if (!file) throw UsageError("cannot read " + name);
  }
  std::FILE* in = fromFile ? file.get() : standardInput;
  std::string bytes;
  char buffer[1 << 16];
  while (const std::size_t count = std::fread(buffer, 1, sizeof buffer, in)) {
    bytes.append(buffer, count);
    if (bytes.size() > kMaxInputBytes)
      throw UsageError(name + " is larger than " + std::to_string(kMaxInputBytes) + " bytes");
  }
  if (std::ferror(in)) throw UsageError("cannot read " + name);
  return bytes;
}

int Pinyin(const Arguments& arguments, Streams& io) {
  PrintLine(io.out, Query::CityPinyin(Web::FromUtf8(arguments.operands[0])));
  return 0;
}

int Url(const Arguments& arguments, Streams& io) {
  // With no route site set, the line's address on the lines of this machine
  // is just its path: their in-process site has no fixed port.
  PrintLine(io.out, ComposeFrom(arguments, ChosenBase(arguments).value_or(u"/")));
  return 0;
}

int Extract(const Arguments& arguments, Streams& io) {
  const Query::StationList stations =
      Query::ExtractStationList(Web::FromUtf8(ReadPage(arguments, io.in)));
  if (!stations.found) {
    PrintLine(io.err, Query::kNotFoundText);
    return 1;
  }
  PrintLine(io.out, stations.stops);
  return 0;
}

// Refuses the operand with `prompt` when it is only spaces.
void RequireText(const Arguments& arguments, std::size_t operand, std::u16string_view prompt) {
  if (Query::TrimSpaces(Web::FromUtf8(arguments.operands[operand])).empty())
    throw UsageError(Web::ToUtf8(prompt));
}

RouteSite::ChosenSite ChosenSite(const Arguments& arguments) {
  try {
    return RouteSite::ChosenSite(arguments.Value(kBase.name));
  } catch (const Query::BadSiteBase& bad) {
    throw UsageError(bad.what());
  }
}

int QueryLine(const Arguments& arguments, Streams& io) {
  RequireText(arguments, 0, Query::kCityPrompt);
  RequireText(arguments, 1, Query::kLinePrompt);
  using std::chrono::milliseconds;
  const Web::FetchLimits limits{
      .connectTimeout = milliseconds(arguments.Number("--connect-timeout")),
      .idleTimeout = milliseconds(arguments.Number("--idle-timeout")),
      .totalTimeout = milliseconds(arguments.Number("--max-time")),
      .maxBodyBytes = static_cast<std::uint64_t>(arguments.Number("--max-body"))};
  const RouteSite::ChosenSite site = ChosenSite(arguments);
  ConsoleWindow window(ComposeFrom(arguments, site.Base()), arguments.Has("--raw"), io.out, io.err);

  PrintLine(io.err, Query::kQueryingStatus);
  const Query::QueryOutcome outcome = Query::RunQuery(window, limits);
  if (outcome.found) {
    PrintLine(io.out, outcome.stops);
    return 0;
  }
  PrintLine(io.err, Query::kNotFoundText);
  if (outcome.failure.kind != Web::FailureKind::None) {
    io.err << "ridelon-cli: " << outcome.failure.Describe() << '\n';
    return 1;
  }
  // Asked as the other kind, the line may be there: say so.
  const bool trolleybus = arguments.Has(kTrolleybus.name);
  const auto other = trolleybus ? Query::VehicleKind::Bus : Query::VehicleKind::Trolleybus;
  if (Query::HasLine(other, Web::FromUtf8(arguments.operands[0]),
                     Web::FromUtf8(arguments.operands[1]), site.Base(), limits))
    io.err << arguments.operands[0] << ' ' << arguments.operands[1]
           << (trolleybus ? " is a bus line: leave out --trolleybus\n"
                          : " is a trolleybus line: add --trolleybus\n");
  return 1;
}

// A page of the guide: its items on stdout, one a line, status 0; for a page
// the site does not have, its heading and items on stderr, status 1.
int PrintGuide(const Query::GuideOutcome& outcome, Streams& io) {
  if (outcome.failure.kind != Web::FailureKind::None) {
    io.err << "ridelon-cli: " << outcome.failure.Describe() << '\n';
    return 1;
  }
  Output& out = outcome.found ? io.out : io.err;
  if (!outcome.found) out << outcome.page.heading << '\n';
  for (const std::string& item : outcome.page.items) out << item << '\n';
  return outcome.found ? 0 : 1;
}

// Asks for a guide page and prints it; names too long for an address are
// unusable input.
template <typename Ask>
int PrintGuide(const Ask& ask, Streams& io) {
  try {
    return PrintGuide(ask(), io);
  } catch (const Query::AddressTooLong& tooLong) {
    throw UsageError(tooLong.what());
  }
}

int ListLines(const Arguments& arguments, Streams& io) {
  RequireText(arguments, 0, Query::kCityPrompt);
  const RouteSite::ChosenSite site = ChosenSite(arguments);
  return PrintGuide(
      [&] { return Query::AskForLines(site.Base(), Web::FromUtf8(arguments.operands[0])); }, io);
}

int StopLines(const Arguments& arguments, Streams& io) {
  RequireText(arguments, 0, Query::kCityPrompt);
  RequireText(arguments, 1, Query::kStopPrompt);
  const RouteSite::ChosenSite site = ChosenSite(arguments);
  return PrintGuide(
      [&] {
        return Query::AskForStop(site.Base(), Web::FromUtf8(arguments.operands[0]),
                                 Web::FromUtf8(arguments.operands[1]));
      },
      io);
}

int FindWays(const Arguments& arguments, Streams& io) {
  RequireText(arguments, 0, Query::kCityPrompt);
  for (const std::size_t stop : {1, 2}) RequireText(arguments, stop, Query::kStopPrompt);
  const RouteSite::ChosenSite site = ChosenSite(arguments);
  return PrintGuide(
      [&] {
        return Query::AskForWays(site.Base(), Web::FromUtf8(arguments.operands[0]),
                                 Web::FromUtf8(arguments.operands[1]),
                                 Web::FromUtf8(arguments.operands[2]));
      },
      io);
}

Program MakeProgram() {
  return {
      .name = "ridelon-cli",
      .summary = "The stops of a bus or trolleybus line, from the command line.",
      .commands =
          {
              {.name = "pinyin",
               .operands = "TEXT",
               .minOperands = 1,
               .maxOperands = 1,
               .summary = "print the toneless pinyin of TEXT, as a city's address has it",
               .run = Pinyin},
              {.name = "url",
               .operands = "CITY LINE",
               .minOperands = 2,
               .maxOperands = 2,
               .summary = "print the address of the line's page (its path, for the lines on "
                          "this machine)",
               .options = {kTrolleybus, kBase},
               .run = Url},
              {.name = "extract",
               .operands = "[FILE]",
               .maxOperands = 1,
               .summary = "print the stop list of a page (UTF-8, from FILE or standard input)",
               .run = Extract},
              {.name = "query",
               .operands = "CITY LINE",
               .minOperands = 2,
               .maxOperands = 2,
               .summary = "fetch the line's page and print its stops; status texts go to stderr",
               .options = {kTrolleybus,
                           kBase,
                           {.name = "--raw", .help = "print the page text first"},
                           {.name = "--connect-timeout",
                            .valueName = "MS",
                            .help = "give up without a connection after MS",
                            .min = 1,
                            .max = kMaxMilliseconds,
                            .fallback = kDefaults.connectTimeout.count()},
                           {.name = "--idle-timeout",
                            .valueName = "MS",
                            .help = "give up after MS without a byte",
                            .min = 1,
                            .max = kMaxMilliseconds,
                            .fallback = kDefaults.idleTimeout.count()},
                           {.name = "--max-time",
                            .valueName = "MS",
                            .help = "give up after MS in all",
                            .min = 1,
                            .max = kMaxMilliseconds,
                            .fallback = kDefaults.totalTimeout.count()},
                           {.name = "--max-body",
                            .valueName = "BYTES",
                            .help = "give up on a page larger than BYTES",
                            .min = 1,
                            .max = kMaxBodyOption,
                            .fallback = static_cast<std::int64_t>(kDefaults.maxBodyBytes)}},
               .run = QueryLine},
              {.name = "lines",
               .operands = "CITY",
               .minOperands = 1,
               .maxOperands = 1,
               .summary = "list the city's bus and trolleybus lines",
               .options = {kBase},
               .run = ListLines},
              {.name = "stop",
               .operands = "CITY STOP",
               .minOperands = 2,
               .maxOperands = 2,
               .summary = "list the lines that stop at STOP, each with its direction",
               .options = {kBase},
               .run = StopLines},
              {.name = "transfer",
               .operands = "CITY FROM TO",
               .minOperands = 3,
               .maxOperands = 3,
               .summary = "list ways from one stop to another, with at most one change",
               .options = {kBase},
               .run = FindWays},
          },
      .epilogue =
          "Exit status: 0 found and printed, 1 nothing found, 2 unusable command line or "
          "input.\n"};
}

}  // namespace

const CommandLine::Program& RidelonCli() {
  static const Program program = MakeProgram();
  return program;
}

}  // namespace Cli

// ridelon-site: the route site, serving one page per line file; it also
// imports lines from OpenStreetMap extracts and GTFS feeds, removes a city's
// imported lines, and exports its pages as static files.
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>

#include "command_line/command_line.h"
#include "gtfs/feed_files.h"
#include "gtfs/feed_import.h"
#include "import/city_folder.h"
#include "import/city_import.h"
#include "lines/data_folders.h"
#include "osm/line_export.h"
#include "osm/line_import.h"
#include "server/http_server.h"
#include "server/line_pages.h"
#include "server/listen_socket.h"

namespace {

using CommandLine::Arguments;
using CommandLine::OptionSpec;
using CommandLine::Streams;
using CommandLine::UsageError;

const OptionSpec kData{
    .name = "--data",
    .valueName = "DIR",
    .help = "folder of line files (default: ~/.local/share/ridelon/site, then the sample lines)"};

const OptionSpec kImportData{
    .name = "--out",
    .valueName = "DIR",
    .help = "data folder of the imported lines (default: ~/.local/share/ridelon/site)"};

// The folders a command reads lines from: --data, else the usual ones.
std::vector<std::filesystem::path> DataFolders(const Arguments& arguments) {
  const auto data = arguments.Value(kData.name);
  if (!data) return Lines::DataFolders();
  if (!std::filesystem::is_directory(*data)) throw UsageError("no data folder at " + *data);
  return {*data};
}

// "reading … 42%" on a terminal, once reading has taken a second.
class ProgressLine {
 public:
  explicit ProgressLine(std::string what) : what_(std::move(what)) {}
  ~ProgressLine() {
    if (shown_) std::fputs("\n", stderr);
  }
  void operator()(double fraction) {
    if (!shown_ && (!isatty(STDERR_FILENO) || Clock::now() - start_ < std::chrono::seconds(1)))
      return;
    shown_ = true;
    std::fprintf(stderr, "\r%s … %3d%%", what_.c_str(), static_cast<int>(fraction * 100));
  }

 private:
  using Clock = std::chrono::steady_clock;
  std::string what_;
  Clock::time_point start_ = Clock::now();
  bool shown_ = false;
};

int ImportCity(const Arguments& arguments, Streams& io) {
  const Import::ImportRequest request{
      .source = arguments.operands[0],
      .city = arguments.Required("--city"),
      .pinyin = arguments.Value("--pinyin"),
      .dataFolder = arguments.Value("--out").value_or(Lines::UserDataFolder().string()),
      .replace = arguments.Has("--replace")};
  Import::ImportReport report;
  try {
    // A feed or an extract, by what it holds.
    if (Gtfs::IsFeed(request.source)) {
      report = Gtfs::ImportFeed(request);
    } else {
      ProgressLine progress("reading " + request.source.string());
      report = Osm::ImportLines(request, std::ref(progress));
    }
  } catch (const Import::ImportError& error) {
    throw UsageError(error.what());
  }
  io.out << request.city << ": " << report.busLines << " bus and " << report.trolleybusLines
         << " trolleybus lines written to " << report.cityFolder.string() << '\n';
  for (const std::string& note : report.notes) io.out << "  " << note << '\n';
  for (const auto& [what, count] : report.counts) io.out << "  " << what << ": " << count << '\n';
  return 0;
}

int Remove(const Arguments& arguments, Streams& io) {
  const std::string city = arguments.Required("--city");
  const std::filesystem::path data =
      arguments.Value("--out").value_or(Lines::UserDataFolder().string());
  std::vector<std::filesystem::path> removed;
  try {
    removed = Import::RemoveCity(data, city);
  } catch (const Import::ImportError& error) {
    throw UsageError(error.what());
  } catch (const std::filesystem::filesystem_error& error) {
    throw UsageError(error.what());
  }
  if (removed.empty()) throw UsageError("no imported lines of " + city + " in " + data.string());
  for (const auto& path : removed) io.out << "removed " << path.string() << '\n';
  return 0;
}

int Export(const Arguments& arguments, Streams& io) {
  const std::filesystem::path out = arguments.Required("--out");
  Osm::ExportReport report;
  try {
    report = Osm::ExportPages(DataFolders(arguments), out);
  } catch (const std::exception& error) {
    throw UsageError(error.what());
  }
  io.out << report.pages << " pages written under " << out.string() << '\n';
  if (report.stopsLeftOut > 0)
    io.out << "  stop pages left out, their names cannot be a folder's: " << report.stopsLeftOut
           << '\n';
  for (const std::string& problem : report.problems) io.err << "ridelon-site: " << problem << '\n';
  return report.problems.empty() ? 0 : 2;
}

int Serve(const Arguments& arguments, Streams& io) {
  Server::HttpServer::Options options;
  options.port = static_cast<int>(arguments.Number("--port"));
  options.address = arguments.Value("--bind").value_or(options.address);
  const std::vector<std::filesystem::path> dataFolders = DataFolders(arguments);

  // Signals are taken by one thread with sigwait, which stops the server;
  // every other thread inherits the blocked mask.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);  // a client gone mid-answer is no reason to stop

  Server::AccessLog log(STDOUT_FILENO);
  try {
    Server::HttpServer server(options, Server::ServeLinePages(dataFolders, log), log);
    std::string folders;
    for (const auto& folder : dataFolders)
      folders += (folders.empty() ? "" : ", ") + folder.string();
    log.Write("ridelon-site: serving " + folders + " at http://" + options.address + ':' +
              std::to_string(server.Port()) + "/");
    int signal = 0;
    sigwait(&stopSignals, &signal);
  } catch (const Server::BadAddress& bad) {
    throw UsageError(bad.what());
  } catch (const std::system_error& error) {
    const bool taken = error.code() == std::errc::address_in_use;
    io.err << "ridelon-site: " << error.what()
           << (taken ? " (is the port taken by another program?)" : "") << '\n';
    return 3;
  } catch (const std::runtime_error& error) {  // a call of the event library failed
    io.err << "ridelon-site: " << error.what() << '\n';
    return 3;
  }
  log.Write("ridelon-site: stopped");
  return 0;
}

const CommandLine::Program kProgram{
    .name = "ridelon-site",
    .summary =
        "Serves bus and trolleybus lines, one file per line under a data folder, as line "
        "pages:\n"
        "  /{city}/xianlu/{LINE}lu/          bus\n"
        "  /{city}/xianlu/{LINE}ludianche/   trolleybus\n"
        "Stops on SIGINT or SIGTERM.",
    .commands =
        {{.summary = "serve the lines (the user's, then the bundled sample lines, unless --data "
                     "names a folder)",
          .options = {{.name = "--port",
                       .valueName = "N",
                       .help = "port to listen on",
                       .min = 1,
                       .max = 65535,
                       .fallback = 18080},
                      {.name = "--bind",
                       .valueName = "ADDRESS",
                       .help = "address to listen on (default 127.0.0.1)"},
                      kData},
          .run = Serve},
         {.name = "import",
          .operands = "EXTRACT|FEED",
          .minOperands = 1,
          .maxOperands = 1,
          .summary = "write the bus and trolleybus lines of an OpenStreetMap extract (.osm.pbf, "
                     ".osm, .osm.bz2, .osm.gz) or of a GTFS feed (a .zip, or a folder of its "
                     ".txt files) as the city's lines",
          .options = {{.name = "--city",
                       .valueName = "NAME",
                       .help = "the city, as typed in the window (required)"},
                      {.name = "--pinyin",
                       .valueName = "LETTERS",
                       .help = "the city's pinyin, when its name does not romanise"},
                      {.name = "--replace",
                       .help = "take the city's folder over when it holds another city's lines"},
                      kImportData},
          .run = ImportCity},
         {.name = "remove",
          .summary = "remove an imported city's lines (its folder and the links to it)",
          .options =
              {{.name = "--city", .valueName = "NAME", .help = "the city, as imported (required)"},
               kImportData},
          .run = Remove},
         {.name = "export",
          .summary = "write the site's pages (lines, cities, stops; not transfers) as static "
                     "files, DIR/{address}/index.html, in place of what DIR held",
          .options = {kData,
                      {.name = "--out",
                       .valueName = "DIR",
                       .help = "folder to write the pages to (required)"}},
          .run = Export}},
    .epilogue =
        "Exit status: 0 done or stopped, 2 bad command line or input, 3 cannot listen "
        "(port taken, say).\n"};

}  // namespace

int main(int argc, char** argv) {
  CommandLine::KeepStandardDescriptorsOpen();
  return CommandLine::Run(kProgram, {argv + 1, argv + argc},
                          {stdin, CommandLine::Output(stdout), CommandLine::Output(stderr)});
}

// ridelon-site: the route site, serving one page per line file; it also
// imports lines from OpenStreetMap and exports its pages as static files.
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <thread>

#include "cli/command_line.h"
#include "site/line_export.h"
#include "site/line_folders.h"
#include "site/line_import.h"
#include "site/site_server.h"

namespace {

const Cli::OptionSpec kData{"--data", "DIR",
                            "folder of line files (default: ~/.local/share/ridelon/site, then "
                            "the sample lines)"};

// The folders a command reads lines from: --data, else the usual ones.
std::vector<std::filesystem::path> DataFolders(const Cli::Arguments& arguments) {
  const auto data = arguments.Value(kData.name);
  if (!data) return Site::LineFolders();
  if (!std::filesystem::is_directory(*data)) throw Cli::UsageError("no data folder at " + *data);
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

int Import(const Cli::Arguments& arguments, Cli::Streams& io) {
  Site::ImportRequest request{arguments.operands[0], arguments.Required("--city"),
                              arguments.Value("--pinyin"),
                              arguments.Value("--out").value_or(Site::UserLineFolder().string())};
  Site::ImportReport report;
  try {
    ProgressLine progress("reading " + request.extract.string());
    report = Site::ImportLines(request, std::ref(progress));
  } catch (const Site::ImportError& error) {
    throw Cli::UsageError(error.what());
  }
  io.out << request.city << ": " << report.busLines << " bus and " << report.trolleybusLines
         << " trolleybus lines written to " << report.cityFolder.string() << '\n';
  for (const std::string& note : report.notes) io.out << "  " << note << '\n';
  io.out << "  stops without a name, left out: " << report.unnamedStops << '\n';
  return 0;
}

int Export(const Cli::Arguments& arguments, Cli::Streams& io) {
  const std::filesystem::path out = arguments.Required("--out");
  const std::size_t pages = Site::ExportPages(DataFolders(arguments), out);
  io.out << pages << " line pages written under " << out.string() << '\n';
  return 0;
}

int Serve(const Cli::Arguments& arguments, Cli::Streams& io) {
  Site::SiteServer::Options options;
  options.port = static_cast<int>(arguments.Number("--port", 18080));
  options.address = arguments.Value("--bind").value_or(options.address);
  options.dataDirs = DataFolders(arguments);

  // Signals are taken by one thread with sigwait, which stops the server;
  // every other thread inherits the blocked mask.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);  // a client gone mid-answer is no reason to stop

  Site::AccessLog log(STDOUT_FILENO);
  try {
    Site::SiteServer server(options, log);
    std::string folders;
    for (const auto& folder : options.dataDirs)
      folders += (folders.empty() ? "" : ", ") + folder.string();
    log.Write("ridelon-site: serving " + folders + " at http://" + options.address + ':' +
              std::to_string(server.Port()) + "/");
    int signal = 0;
    sigwait(&stopSignals, &signal);
  } catch (const std::system_error& error) {
    io.err << "ridelon-site: " << error.what() << " (is the port taken by another program?)\n";
    return 3;
  }
  log.Write("ridelon-site: stopped");
  return 0;
}

const Cli::Program kProgram{
    "ridelon-site",
    "Serves bus and trolleybus lines, one file per line under a data folder, as line pages:\n"
    "  /{city}/xianlu/{LINE}lu/          bus\n"
    "  /{city}/xianlu/{LINE}ludianche/   trolleybus\n"
    "Stops on SIGINT or SIGTERM.",
    {{"",
      "",
      0,
      0,
      "serve the lines (the user's, then the bundled sample lines, unless --data names a folder)",
      {{"--port", "N", "port to listen on (default 18080)", 1, 65535},
       {"--bind", "ADDRESS", "address to listen on (default 127.0.0.1)"},
       kData},
      Serve},
     {"import",
      "EXTRACT",
      1,
      1,
      "write the bus and trolleybus lines of an OpenStreetMap extract (.osm.pbf, .osm, "
      ".osm.bz2, .osm.gz) as the city's lines",
      {{"--city", "NAME", "the city, as typed in the window (required)"},
       {"--pinyin", "LETTERS", "the city's pinyin, when its name does not romanise"},
       {"--out", "DIR", "data folder to write to (default: ~/.local/share/ridelon/site)"}},
      Import},
     {"export",
      "",
      0,
      0,
      "write every line's page as a static file, DIR/{city}/xianlu/{LINE}lu/index.html",
      {kData, {"--out", "DIR", "folder to write the pages to (required)"}},
      Export}},
    "Exit status: 0 done or stopped, 2 bad command line or input, 3 cannot listen (port taken, "
    "say).\n"};

}  // namespace

int main(int argc, char** argv) {
  return Cli::Run(kProgram, {argv + 1, argv + argc}, {std::cin, std::cout, std::cerr});
}

// ridelon-site: the route site, serving one page per line file, so that
// Ridelon has something to ask on a machine without internet.
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <thread>

#include "cli/command_line.h"
#include "site/line_folders.h"
#include "site/site_server.h"

namespace {

int Serve(const Cli::Arguments& arguments, Cli::Streams& io) {
  Site::SiteServer::Options options;
  options.port = static_cast<int>(arguments.Number("--port", 18080));
  options.address = arguments.Value("--bind").value_or(options.address);
  if (const auto data = arguments.Value("--data")) {
    if (!std::filesystem::is_directory(*data)) throw Cli::UsageError("no data folder at " + *data);
    options.dataDirs = {*data};
  } else {
    options.dataDirs = Site::LineFolders();
  }

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
       {"--data", "DIR",
        "folder of line files (default: ~/.local/share/ridelon/site, then the sample lines)"}},
      Serve}},
    "Exit status: 0 stopped, 2 bad command line, 3 cannot listen (port taken, say).\n"};

}  // namespace

int main(int argc, char** argv) {
  return Cli::Run(kProgram, {argv + 1, argv + argc}, {std::cin, std::cout, std::cerr});
}

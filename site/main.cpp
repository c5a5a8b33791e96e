// ridelon-site: the bundled local route site with sample lines, so that
// Ridelon has something to ask on a machine without internet.
#include <httplib.h>
#include <pthread.h>
#include <signal.h>

#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <thread>

#include "cli/command_line.h"
#include "site/route_site.h"

namespace {

// The installed layout (bin/ beside share/ridelon/site) first, then the
// source tree the binary was built from.
std::filesystem::path DefaultDataDir() {
  std::error_code error;
  const auto exe = std::filesystem::canonical("/proc/self/exe", error);
  auto installed = exe.parent_path() / ".." / "share" / "ridelon" / "site";
  if (std::filesystem::is_directory(installed, error))
    return std::filesystem::weakly_canonical(installed, error);
  return RIDELON_SITE_SOURCE_DATA;
}

int Serve(const Cli::Arguments& arguments, Cli::Streams& io) {
  const auto port = static_cast<int>(arguments.Number("--port", 18080));
  const std::string bind = arguments.Value("--bind").value_or("127.0.0.1");
  const std::filesystem::path data = arguments.Value("--data").value_or(DefaultDataDir().string());
  if (!std::filesystem::is_directory(data))
    throw Cli::UsageError("no data folder at " + data.string());
  // Signals are taken by one thread with sigwait, which may stop the server
  // safely; every other thread inherits the blocked mask.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  httplib::Server server;
  // The library's default also sets SO_REUSEPORT, which would let a second
  // site share the port silently; a taken port must be an error instead.
  server.set_socket_options([](socket_t socket) {
    const int yes = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
  const Site::RouteSite site(data);
  site.Mount(server);
  if (!server.bind_to_port(bind, port)) {
    io.err << "ridelon-site: cannot listen on " << bind << ':' << port
           << " (is the port taken by another program?)\n";
    return 3;
  }

  std::thread([&server, stopSignals] {
    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.stop();
  }).detach();

  io.out << "ridelon-site: serving " << data.string() << " at http://" << bind << ':' << port << "/"
         << std::endl;
  const bool clean = server.listen_after_bind();
  io.out << "ridelon-site: stopped" << std::endl;
  return clean ? EXIT_SUCCESS : EXIT_FAILURE;
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
      "serve the lines (the bundled sample lines, 示例数据, unless --data names others)",
      {{"--port", "N", "port to listen on (default 18080)", 1, 65535},
       {"--bind", "ADDRESS", "address to listen on (default 127.0.0.1)"},
       {"--data", "DIR", "folder of line files (default: the bundled sample data)"}},
      Serve}},
    "Exit status: 0 stopped, 2 bad command line, 3 cannot listen (port taken, say).\n"};

}  // namespace

int main(int argc, char** argv) {
  return Cli::Run(kProgram, {argv + 1, argv + argc}, {std::cin, std::cout, std::cerr});
}

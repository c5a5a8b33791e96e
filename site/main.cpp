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

#include "site/route_site.h"

namespace {

constexpr const char* kUsage = R"(Usage: ridelon-site [--port N] [--bind ADDRESS] [--data DIR]

Serves the sample bus and trolleybus lines (示例数据) under DIR as line pages:
  /{city}/xianlu/{LINE}lu/          bus
  /{city}/xianlu/{LINE}ludianche/   trolleybus

  --port N         port to listen on (default 18080)
  --bind ADDRESS   address to listen on (default 127.0.0.1)
  --data DIR       folder of line files (default: the bundled sample data)

Stops on SIGINT or SIGTERM. Exit status: 0 stopped, 2 bad command line,
3 cannot listen (port taken, say).
)";

// The installed layout (bin/ beside share/ridelon/site) first, then the
// source tree the binary was built from.
std::filesystem::path DefaultDataDir(const char* argv0) {
  std::error_code error;
  const auto exe = std::filesystem::canonical("/proc/self/exe", error);
  const auto base = error ? std::filesystem::path(argv0).parent_path() : exe.parent_path();
  auto installed = base / ".." / "share" / "ridelon" / "site";
  if (std::filesystem::is_directory(installed, error))
    return std::filesystem::weakly_canonical(installed, error);
  return RIDELON_SITE_SOURCE_DATA;
}

int Fail(int status, const std::string& message) {
  std::cerr << "ridelon-site: " << message << '\n';
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  int port = 18080;
  std::string bind = "127.0.0.1";
  std::filesystem::path data = DefaultDataDir(argv[0]);

  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (arg != "--port" && arg != "--bind" && arg != "--data")
      return Fail(2, "unknown argument " + arg);
    if (i + 1 == argc) return Fail(2, arg + " needs a value");
    const std::string value = argv[++i];
    if (arg == "--port") {
      const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), port);
      if (error != std::errc() || end != value.data() + value.size() || port < 1 || port > 65535)
        return Fail(2, "--port needs a number from 1 to 65535");
    } else if (arg == "--bind") {
      bind = value;
    } else {
      data = value;
    }
  }
  if (!std::filesystem::is_directory(data)) return Fail(2, "no data folder at " + data.string());

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
  if (!server.bind_to_port(bind, port))
    return Fail(3, "cannot listen on " + bind + ":" + std::to_string(port) +
                       " (is the port taken by another program?)");

  std::thread([&server, stopSignals] {
    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.stop();
  }).detach();

  std::cout << "ridelon-site: serving " << data.string() << " at http://" << bind << ':' << port
            << "/ (示例数据)" << std::endl;
  const bool clean = server.listen_after_bind();
  std::cout << "ridelon-site: stopped" << std::endl;
  return clean ? EXIT_SUCCESS : EXIT_FAILURE;
}

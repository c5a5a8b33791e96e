#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace Server {

// What a handler answers: an HTTP status and a body, HTML unless `type` names
// another media type.
struct Response {
  int status = 200;
  std::string html;
  std::string_view type = "text/html; charset=utf-8";
};

// Answers a GET or HEAD for a request path as received, percent-encoded, so
// that an encoded "/" stays apart from the path's own. Called only from the
// event loop that owns it.
using RequestHandler = std::function<Response(std::string_view path)>;

// Makes one handler per event loop, so that no handler is shared between
// threads.
using HandlerFactory = std::function<RequestHandler()>;

}  // namespace Server

#pragma once

#include <functional>
#include <stop_token>
#include <string>
#include <string_view>

namespace Query {

// What a query run needs of a window. The Qt window implements it, and so do
// the command line's console and the tests, so the run needs no real window.
class QueryWindow {
 public:
  virtual ~QueryWindow() = default;

  // The address the run fetches.
  virtual std::u16string QueryUrl() const = 0;
  // Replaces the whole text of the results box.
  virtual void SetResultsText(std::u16string_view text) = 0;
  // Replaces the text of the status panel.
  virtual void SetStatusText(std::u16string_view text) = 0;
  // An information box titled with the window's caption that closes by itself;
  // returns when it has closed.
  virtual void ShowTimedMessage(std::u16string_view text) = 0;
  // Runs `work` (the request) to its end. A window that must stay painted
  // meanwhile runs it elsewhere and waits, and may ask it to stop through the
  // token it hands it (when it is closed, say); the default runs it in place.
  virtual void RunWhileWaiting(const std::function<void(std::stop_token)>& work) { work({}); }
};

}  // namespace Query

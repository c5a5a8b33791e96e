#pragma once

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "query/query_window.h"

namespace Testing {

// Writes down every window operation in order; can be told to fail one kind.
class RecordingWindow : public Query::QueryWindow {
 public:
  explicit RecordingWindow(std::u16string url) : url_(std::move(url)) {}

  std::u16string QueryUrl() const override { return url_; }
  void SetResultsText(std::u16string_view text) override { Record(u"results", text); }
  void SetStatusText(std::u16string_view text) override { Record(u"status", text); }
  void ShowTimedMessage(std::u16string_view text) override { Record(u"message", text); }

  std::u16string failing;  // the operation that throws
  using Events = std::vector<std::pair<std::u16string, std::u16string>>;
  Events events;

 private:
  void Record(std::u16string_view what, std::u16string_view text) {
    if (what == failing) throw std::runtime_error("window operation failed");
    events.emplace_back(what, text);
  }
  std::u16string url_;
};

}  // namespace Testing

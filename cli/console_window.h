#pragma once

#include <iosfwd>
#include <string>

#include "query/query_window.h"

namespace Cli {

// The query run's window on a terminal: status texts go to stderr as they are
// written; the results box is kept for the end, and with `raw` its first text
// (the page itself) is printed to stdout at once. The timed message has no
// console counterpart and returns immediately.
class ConsoleWindow : public Query::QueryWindow {
 public:
  ConsoleWindow(std::u16string queryUrl, bool raw, std::ostream& out, std::ostream& err);

  std::u16string QueryUrl() const override { return queryUrl_; }
  void SetResultsText(std::u16string_view text) override;
  void SetStatusText(std::u16string_view text) override;
  void ShowTimedMessage(std::u16string_view) override {}

  const std::u16string& ResultsText() const { return results_; }
  const std::u16string& StatusText() const { return status_; }

 private:
  std::u16string queryUrl_;
  bool raw_;
  bool pageShown_ = false;
  std::ostream& out_;
  std::ostream& err_;
  std::u16string results_;
  std::u16string status_;
};

}  // namespace Cli

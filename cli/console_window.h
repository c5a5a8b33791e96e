#pragma once

#include <string>

#include "command_line/output.h"
#include "query/query_window.h"

namespace Cli {

// The query run's window on a terminal: status texts go to stderr as they are
// written; with `raw`, the results box's first text (the page itself) goes to
// stdout at once. The timed message has no console counterpart.
class ConsoleWindow : public Query::QueryWindow {
 public:
  ConsoleWindow(std::u16string queryUrl, bool raw, CommandLine::Output& out,
                CommandLine::Output& err);

  std::u16string QueryUrl() const override { return queryUrl_; }
  void SetResultsText(std::u16string_view text) override;
  void SetStatusText(std::u16string_view text) override;
  void ShowTimedMessage(std::u16string_view) override {}

 private:
  std::u16string queryUrl_;
  bool raw_;
  bool pageShown_ = false;
  CommandLine::Output& out_;
  CommandLine::Output& err_;
};

}  // namespace Cli

#include "cli/console_window.h"

#include <utility>

#include "web/text_codec.h"

namespace Cli {

ConsoleWindow::ConsoleWindow(std::u16string queryUrl, bool raw, CommandLine::Output& out,
                             CommandLine::Output& err)
    : queryUrl_(std::move(queryUrl)), raw_(raw), out_(out), err_(err) {}

void ConsoleWindow::SetResultsText(std::u16string_view text) {
  if (raw_ && !pageShown_) (out_ << Web::ToUtf8(text) << '\n').Flush();
  pageShown_ = true;
}

void ConsoleWindow::SetStatusText(std::u16string_view text) {
  (err_ << Web::ToUtf8(text) << '\n').Flush();
}

}  // namespace Cli

#include "cli/console_window.h"

#include <ostream>
#include <utility>

#include "cli/utf8_io.h"

namespace Cli {

ConsoleWindow::ConsoleWindow(std::u16string queryUrl, bool raw, std::ostream& out,
                             std::ostream& err)
    : queryUrl_(std::move(queryUrl)), raw_(raw), out_(out), err_(err) {}

void ConsoleWindow::SetResultsText(std::u16string_view text) {
  results_ = text;
  if (raw_ && !pageShown_) {
    PrintLine(out_, text);
    out_.flush();
  }
  pageShown_ = true;
}

void ConsoleWindow::SetStatusText(std::u16string_view text) {
  status_ = text;
  PrintLine(err_, text);
  err_.flush();
}

}  // namespace Cli

// ridelon: the window. Asks the route site given by --base, the environment
// or the build; with none, serves the lines on this machine in-process.
#include <QApplication>
#include <QMessageBox>
#include <algorithm>
#include <cstdio>
#include <exception>
#include <optional>

#include "command_line/command_line.h"
#include "query/query_texts.h"
#include "query/site_base.h"
#include "route_site/chosen_site.h"
#include "ui/chinese_qt_texts.h"
#include "ui/main_window.h"
#include "ui/qt_text.h"

namespace {

// Said before any window opens: on standard error (in English, as every
// program's errors there) and in a message box (in Chinese, as the window).
int Refuse(const std::string& reason, const QString& chineseReason, int status) {
  CommandLine::Output(stderr) << "ridelon: " << reason << '\n';
  QMessageBox::critical(nullptr, QStringLiteral("公交线路查询器"),
                        QStringLiteral("无法使用线路网站：\n") + chineseReason);
  return status;
}

int OpenWindow(const CommandLine::Arguments& arguments) {
  std::optional<RouteSite::ChosenSite> site;
  try {
    site.emplace(arguments.Value(RouteSite::kBaseOption.name));
  } catch (const Query::BadSiteBase& bad) {
    return Refuse(bad.what(), Ui::ToQString(bad.Chinese()), 2);
  } catch (const std::exception& cannotServe) {
    return Refuse(cannotServe.what(), QStringLiteral("本机的线路无法提供（安装不完整）"), 3);
  }
  const QString siteName =
      Ui::ToQString(site->IsInProcess() ? Query::kLocalSiteName : site->Base());
  Ui::MainWindow window(site->Base(), siteName);
  window.show();
  return QApplication::exec();
}

const CommandLine::Program kProgram{
    .name = "ridelon",
    .summary = "The stops of a bus or trolleybus line, in a window (公交线路查询器).",
    .commands = {{.options = {RouteSite::kBaseOption},
                  .run = [](const CommandLine::Arguments& arguments,
                            CommandLine::Streams&) { return OpenWindow(arguments); }}},
    .epilogue =
        "Exit status: 0 closed, 2 bad command line or route site, 3 the lines on this "
        "machine cannot be served.\n"};

}  // namespace

int main(int argc, char** argv) {
  CommandLine::KeepStandardDescriptorsOpen();
  const std::vector<std::string> args(argv + 1, argv + argc);
  const CommandLine::Streams streams{stdin, CommandLine::Output(stdout),
                                     CommandLine::Output(stderr)};
  // Help and version need no display: answered before Qt looks for one.
  if (std::ranges::any_of(args, [](const std::string& arg) {
        return arg == "--help" || arg == "-h" || arg == "--version";
      }))
    return CommandLine::Run(kProgram, args, streams);
  QApplication app(argc, argv);  // takes Qt's own options (-platform …) out of argv
  QApplication::setApplicationName(QStringLiteral("ridelon"));
  Ui::UseChineseQtTexts(app);
  return CommandLine::Run(kProgram, {argv + 1, argv + argc}, streams);
}

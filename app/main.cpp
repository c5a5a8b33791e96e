// ridelon: the window. Asks the route site given by --base, the environment
// or the build; with none, serves the lines on this machine in-process.
#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <iostream>
#include <optional>
#include <system_error>

#include "query/query_texts.h"
#include "query/site_base.h"
#include "ridelon/version.h"
#include "route_site/chosen_site.h"
#include "ui/main_window.h"
#include "ui/qt_text.h"

namespace {

// Said before any window opens: on standard error and in a message box.
int Refuse(const QString& reason, int status) {
  std::cerr << "ridelon: " << reason.toStdString() << '\n';
  QMessageBox::critical(nullptr, QStringLiteral("公交线路查询器"),
                        QStringLiteral("无法使用线路网站：\n") + reason);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("ridelon"));
  QApplication::setApplicationVersion(QStringLiteral(RIDELON_VERSION));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("The stops of a bus or trolleybus line."));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption baseOption(
      QStringLiteral("base"), QString::fromUtf8(RouteSite::kBaseOptionHelp), QStringLiteral("URL"));
  parser.addOption(baseOption);
  parser.process(app);  // --help, --version and unknown options end here

  std::optional<std::string> given;
  if (parser.isSet(baseOption)) given = parser.value(baseOption).toStdString();
  std::optional<RouteSite::ChosenSite> site;
  try {
    site.emplace(given);
  } catch (const Query::BadSiteBase& bad) {
    return Refuse(QString::fromUtf8(bad.what()), 2);
  } catch (const std::system_error& error) {
    return Refuse(QString::fromUtf8(error.what()), 3);
  }
  const QString siteName =
      Ui::ToQString(site->IsInProcess() ? Query::kLocalSiteName : site->Base());

  Ui::MainWindow window(site->Base(), siteName);
  window.show();
  return QApplication::exec();
}

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
#include "site/local_site.h"
#include "ui/main_window.h"
#include "ui/qt_text.h"
#include "web/text_codec.h"

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
      QStringLiteral("base"),
      QStringLiteral("Ask the route site at <URL> (default: $RIDELON_ROUTE_SERVICE_BASE, "
                     "else the lines on this machine)."),
      QStringLiteral("URL"));
  parser.addOption(baseOption);
  parser.process(app);  // --help, --version and unknown options end here

  std::optional<std::string> given;
  if (parser.isSet(baseOption)) given = parser.value(baseOption).toStdString();
  std::optional<std::u16string> base;
  try {
    base = Query::ChooseSiteBase(Query::SiteBaseSourcesOf(given));
  } catch (const Query::BadSiteBase& bad) {
    return Refuse(QString::fromUtf8(bad.what()), 2);
  }

  std::optional<Site::LocalSite> localSite;
  QString siteName;
  if (base) {
    siteName = Ui::ToQString(*base);
  } else {
    try {
      localSite.emplace();
    } catch (const std::system_error& error) {
      return Refuse(QString::fromUtf8(error.what()), 3);
    }
    base = Web::FromUtf8(localSite->Base());
    siteName = Ui::ToQString(Query::kLocalSiteName);
  }

  Ui::MainWindow window(std::move(*base), siteName);
  window.show();
  return QApplication::exec();
}

#include <QApplication>

#include "ridelon/version.h"
#include "ui/main_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Ridelon"));
  QApplication::setApplicationVersion(QStringLiteral(RIDELON_VERSION));
  Ui::MainWindow window;
  window.show();
  return QApplication::exec();
}

#include <QApplication>

#include "ui/ridelon_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Ridelon"));
  QApplication::setApplicationVersion(QStringLiteral("1.00"));
  Ridelon window;
  window.show();
  return QApplication::exec();
}

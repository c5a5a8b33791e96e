#include "ui/timed_message.h"

#include <QMessageBox>
#include <QTimer>

namespace Ui {

void ShowTimedMessage(QWidget* owner, const QString& text, std::chrono::milliseconds timeout) {
  QMessageBox box(QMessageBox::Information, owner->windowTitle(), text, QMessageBox::Ok, owner);
  box.setWindowModality(Qt::WindowModal);
  QTimer::singleShot(timeout, &box, [&box] { box.done(QMessageBox::Ok); });
  box.exec();
  // Give the keyboard back to the owner even where no window manager does.
  owner->activateWindow();
}

}  // namespace Ui

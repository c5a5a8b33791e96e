#include "ui/run_while_repainting.h"

#include <QApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <thread>

namespace Ui {

void RunWhileRepainting(const std::function<void(std::stop_token)>& work, std::stop_token stop) {
  QEventLoop loop;
  std::thread worker([&] {
    work(stop);
    // Queued, so it takes effect once the loop runs even if the work was quick.
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });

  QApplication::setOverrideCursor(Qt::BusyCursor);
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  QApplication::restoreOverrideCursor();
  worker.join();
}

}  // namespace Ui

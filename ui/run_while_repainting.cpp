#include "ui/run_while_repainting.h"

#include <QApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <thread>

namespace Ui {

namespace {

// Takes the user's keys, clicks and wheel while work runs, and nothing else:
// a close request from the window manager goes through, so that the window
// can be closed mid-query. (A loop that excludes user input would hold that
// request back too: Qt counts it as input.)
class InputBlocker : public QObject {
 public:
  InputBlocker() { qApp->installEventFilter(this); }
  ~InputBlocker() override { qApp->removeEventFilter(this); }
  InputBlocker(const InputBlocker&) = delete;
  InputBlocker& operator=(const InputBlocker&) = delete;

 protected:
  bool eventFilter(QObject*, QEvent* event) override { return event->isInputEvent(); }
};

}  // namespace

void RunWhileRepainting(const std::function<void(std::stop_token)>& work, std::stop_token stop) {
  QEventLoop loop;
  std::thread worker([&] {
    work(stop);
    // Queued, so it takes effect once the loop runs even if the work was quick.
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });

  QApplication::setOverrideCursor(Qt::BusyCursor);
  {
    const InputBlocker blocker;
    loop.exec();
  }
  QApplication::restoreOverrideCursor();
  worker.join();
}

}  // namespace Ui

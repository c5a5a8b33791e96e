#include "ui/background_fetch.h"

#include <QApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <string>
#include <thread>

namespace Ui {

Inets::FetchOutcome FetchWhileRepainting(std::u16string_view url, std::u16string_view charset,
                                         const Inets::FetchLimits& limits) {
  Inets::FetchOutcome outcome;
  QEventLoop loop;
  std::thread worker([&, url = std::u16string(url), charset = std::u16string(charset)] {
    outcome = Inets::FetchText(url, charset, limits);
    // Queued, so it takes effect once the loop runs even if the fetch was quick.
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });

  QApplication::setOverrideCursor(Qt::BusyCursor);
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  QApplication::restoreOverrideCursor();
  worker.join();
  return outcome;
}

}  // namespace Ui

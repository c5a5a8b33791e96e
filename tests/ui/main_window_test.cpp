#include "ui/main_window.h"

#include <gtest/gtest.h>
#include <qpa/qwindowsysteminterface.h>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <functional>
#include <map>
#include <mutex>

#include "query/query_texts.h"
#include "tests/support/loopback_server.h"
#include "tests/support/raw_server.h"
#include "web/text_codec.h"

namespace {

using namespace std::chrono_literals;

QString Q(std::u16string_view text) { return QString::fromStdU16String(std::u16string(text)); }

struct Box {
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Watches for timed message boxes while a handler runs, writes each down and
// (unless told to leave it) presses its OK button, so that nothing blocks.
class BoxWatcher {
 public:
  explicit BoxWatcher(bool pressOk = true) {
    timer_.setInterval(20);
    QObject::connect(&timer_, &QTimer::timeout, [this, pressOk] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr || box == last_) return;
      last_ = box;
      boxes.push_back({box->windowTitle(), box->text(), box->icon()});
      if (pressOk) box->button(QMessageBox::Ok)->click();
    });
    timer_.start();
  }
  std::vector<Box> boxes;

 private:
  QTimer timer_;
  QMessageBox* last_ = nullptr;
};

// Counts the paint events a widget receives.
struct PaintCounter : QObject {
  int* count;
  explicit PaintCounter(int* c) : count(c) {}
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++*count;
    return false;
  }
};

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    site.server().Get(".*", [this](const httplib::Request& request, httplib::Response& r) {
      ++requests;
      {
        std::lock_guard lock(pathsMutex);
        paths.push_back(request.path);
      }
      const auto page = pages.find(request.path);
      r.status = page == pages.end() ? 404 : 200;
      if (page != pages.end()) r.set_content(page->second, "text/html; charset=utf-8");
    });
    site.Start();
    Open(site.Url(""));
  }

  // A shown window that asks the site at `base`, in place of the last one.
  void Open(const std::u16string& base, const Query::FetchLimits& limits = QuickLimits(2s)) {
    window = std::make_unique<Ui::MainWindow>(base, QStringLiteral("test site"));
    window->SetTimedMessageTimeout(5s);
    window->SetFetchLimits(limits);
    QObject::connect(Results(), &QPlainTextEdit::textChanged,
                     [this] { resultsTexts.append(Results()->toPlainText()); });
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  }

  static Query::FetchLimits QuickLimits(std::chrono::milliseconds idle) {
    Query::FetchLimits limits;
    limits.idleTimeout = idle;
    limits.totalTimeout = 5s;
    return limits;
  }

  template <typename T>
  T* Find(const char* name) {
    T* widget = window->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QComboBox* City() { return Find<QComboBox>("cityBox"); }
  QComboBox* Line() { return Find<QComboBox>("lineBox"); }
  QLabel* Status() { return Find<QLabel>("statusPanel"); }
  QPlainTextEdit* Results() { return Find<QPlainTextEdit>("resultsBox"); }
  void PressQuery() { QTest::mouseClick(Find<QPushButton>("queryButton"), Qt::LeftButton); }

  const std::map<std::string, std::string> pages = {
      {"/jinan/xianlu/K55lu/",
       "<p>示例数据</p>[{name:'东站',strlatlon:'1'},{name:'西门',x:'2'}]};"},
      {"/beijing/xianlu/103ludianche/", "[{name:'北京站东',strlatlon:'1'}]}"}};
  Testing::LoopbackServer site;
  std::atomic<int> requests{0};
  std::mutex pathsMutex;
  std::vector<std::string> paths;  // every path asked for, in order
  // The paths asked for while `press` ran.
  std::vector<std::string> PathsOf(const std::function<void()>& press) {
    std::size_t before = 0;
    {
      std::lock_guard lock(pathsMutex);
      before = paths.size();
    }
    press();
    std::lock_guard lock(pathsMutex);
    return {paths.begin() + static_cast<std::ptrdiff_t>(before), paths.end()};
  }
  using Paths = std::vector<std::string>;
  std::unique_ptr<Ui::MainWindow> window;
  QStringList resultsTexts;  // every text the results box was given, in order
};

TEST_F(MainWindowTest, StartsWithItsLayoutAndDefaults) {
  EXPECT_EQ(window->windowTitle(), QStringLiteral("公交线路查询器"));
  EXPECT_EQ(window->size(), QSize(796, 101));
  EXPECT_EQ(window->minimumSize(), window->maximumSize());

  EXPECT_EQ(City()->currentText(), QStringLiteral("济南"));
  EXPECT_EQ(Line()->currentText(), QStringLiteral("K55"));
  for (QComboBox* box : {City(), Line()}) {
    EXPECT_EQ(box->count(), 0);
    EXPECT_TRUE(box->isEditable());
    EXPECT_EQ(box->insertPolicy(), QComboBox::NoInsert);
  }
  EXPECT_TRUE(Find<QRadioButton>("busOption")->isChecked());
  EXPECT_FALSE(Find<QRadioButton>("trolleybusOption")->isChecked());
  EXPECT_TRUE(Results()->toPlainText().isEmpty());
  EXPECT_TRUE(Results()->isReadOnly());
  EXPECT_TRUE(Status()->text().isEmpty());
  EXPECT_EQ(Find<QLabel>("namePanel")->text(), QStringLiteral("Ridelon源码"));
  EXPECT_EQ(Find<QLabel>("sitePanel")->text(), QStringLiteral("test site"));
  EXPECT_EQ(Find<QPushButton>("queryButton")->text(), QStringLiteral("查询"));
  EXPECT_EQ(Find<QGroupBox>("inputsFrame")->title(), QStringLiteral("城市、线路："));
  EXPECT_EQ(Find<QGroupBox>("vehicleFrame")->title(), QStringLiteral("车型："));
  EXPECT_EQ(Find<QGroupBox>("resultsFrame")->title(), QStringLiteral("查询结果"));
  EXPECT_EQ(Find<QLabel>("lineLabel")->text(), QStringLiteral("线路："));

  EXPECT_EQ(City()->parentWidget()->objectName(), QStringLiteral("inputsFrame"));
  EXPECT_EQ(Find<QWidget>("trolleybusOption")->parentWidget()->objectName(),
            QStringLiteral("vehicleFrame"));

  EXPECT_TRUE(City()->hasFocus());
  EXPECT_EQ(window->QueryUrl(), site.Url("jinan/xianlu/K55lu/"));  // composed on load
}

TEST_F(MainWindowTest, TabVisitsTheControlsInOrderAndOnlyTheCheckedOption) {
  const auto tabFrom = [](QWidget* from) {
    from->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QWidget* focused = QApplication::focusWidget();
    // An editable combo box's line edit stands for the box.
    if (focused && focused->parentWidget() && qobject_cast<QComboBox*>(focused->parentWidget()))
      focused = focused->parentWidget();
    return focused ? focused->objectName() : QString();
  };
  EXPECT_EQ(tabFrom(City()), "queryButton");
  EXPECT_EQ(tabFrom(Find<QWidget>("queryButton")), "lineBox");
  EXPECT_EQ(tabFrom(Line()), "busOption");
  EXPECT_EQ(tabFrom(Find<QWidget>("busOption")), "resultsBox");
  EXPECT_EQ(tabFrom(Results()), "cityBox");

  Find<QRadioButton>("trolleybusOption")->setChecked(true);
  EXPECT_EQ(tabFrom(Line()), "trolleybusOption");
  EXPECT_EQ(tabFrom(Find<QWidget>("trolleybusOption")), "resultsBox");
  QTest::mouseClick(Find<QRadioButton>("busOption"), Qt::LeftButton);
  EXPECT_EQ(tabFrom(Line()), "busOption");
}

TEST_F(MainWindowTest, OptionClicksRecomposeTheAddressTypingDoesNot) {
  const std::u16string base = site.Url("");
  City()->setEditText(QStringLiteral(" 北京 "));
  Line()->setEditText(QStringLiteral(" 103 "));
  EXPECT_NE(window->QueryUrl(), base + u"beijing/xianlu/ 103 ludianche/");
  QTest::mouseClick(Find<QRadioButton>("trolleybusOption"), Qt::LeftButton);
  EXPECT_EQ(window->QueryUrl(), base + u"beijing/xianlu/ 103 ludianche/");
  QTest::mouseClick(Find<QRadioButton>("busOption"), Qt::LeftButton);
  EXPECT_EQ(window->QueryUrl(), base + u"beijing/xianlu/103lu/");
  EXPECT_EQ(requests.load(), 0);
}

TEST_F(MainWindowTest, RefusesAnEmptyCityThenAnEmptyLine) {
  const std::u16string before = window->QueryUrl();
  City()->setEditText(QStringLiteral(" \u3000 "));
  Line()->setEditText(QStringLiteral("  "));
  {
    BoxWatcher watcher;
    PressQuery();
    ASSERT_EQ(watcher.boxes.size(), 1u);
    EXPECT_EQ(watcher.boxes[0].text, Q(Query::kCityPrompt));
    EXPECT_EQ(watcher.boxes[0].title, QStringLiteral("公交线路查询器"));
    EXPECT_EQ(watcher.boxes[0].icon, QMessageBox::Information);
  }
  EXPECT_EQ(City()->currentText(), QString());
  EXPECT_TRUE(QTest::qWaitFor([this] { return City()->hasFocus(); }, 2000));
  EXPECT_EQ(Line()->currentText(), QStringLiteral("  "));  // not examined

  City()->setEditText(QStringLiteral("济南"));
  {
    BoxWatcher watcher;
    PressQuery();
    ASSERT_EQ(watcher.boxes.size(), 1u);
    EXPECT_EQ(watcher.boxes[0].text, Q(Query::kLinePrompt));
  }
  EXPECT_EQ(Line()->currentText(), QString());
  EXPECT_TRUE(QTest::qWaitFor([this] { return Line()->hasFocus(); }, 2000));

  EXPECT_EQ(window->QueryUrl(), before);
  EXPECT_TRUE(Status()->text().isEmpty());
  EXPECT_EQ(City()->count() + Line()->count(), 0);
  EXPECT_EQ(requests.load(), 0);
}

TEST_F(MainWindowTest, AQueryShowsTheStopsAndRecordsTheInputs) {
  City()->setEditText(QStringLiteral(" 济南\u3000"));
  Line()->setEditText(QStringLiteral("k55 "));
  for (int round = 1; round <= 2; ++round) {
    resultsTexts.clear();
    BoxWatcher watcher;
    PressQuery();
    ASSERT_EQ(watcher.boxes.size(), 1u);
    EXPECT_EQ(watcher.boxes[0].text, QStringLiteral("东站——西门"));
    EXPECT_EQ(watcher.boxes[0].title, QStringLiteral("公交线路查询器"));
    // A bus query shows its address, then the page, then the stops.
    EXPECT_EQ(resultsTexts, (QStringList{Q(window->QueryUrl()),
                                         QString::fromStdString(pages.at("/jinan/xianlu/K55lu/")),
                                         QStringLiteral("东站——西门")}));
    EXPECT_EQ(Status()->text(), Q(Query::kFoundStatus));
    EXPECT_TRUE(Status()->toolTip().isEmpty());
    EXPECT_EQ(City()->count(), round);
    EXPECT_EQ(City()->itemText(round - 1), QStringLiteral("济南"));
    EXPECT_EQ(Line()->itemText(round - 1), QStringLiteral("k55"));
    EXPECT_EQ(City()->currentText(),
              QStringLiteral(" 济南\u3000"));  // the box keeps what was typed
  }
  EXPECT_EQ(requests.load(), 2);
}

// Qt's own texts speak the interface's language, and the window shows the
// program's icon (drawn, so the SVG plugins are there).
TEST_F(MainWindowTest, SpeaksChineseOnQtsOwnButtonsAndShowsItsIcon) {
  QMessageBox box(QMessageBox::Information, QString(), QString(), QMessageBox::Ok);
  EXPECT_EQ(box.button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
  EXPECT_FALSE(window->windowIcon().pixmap(32).isNull());
}

// A query that finds nothing says why where the user looks, in Chinese, as
// the results box's second line (and in the status panel's tooltip): the
// line is there as the other kind, the site has no such page, the site
// refused the connection. The texts and outcome stay those of not found.
TEST_F(MainWindowTest, SaysWhyAQueryFoundNothing) {
  const auto query = [this](const QString& line) {
    City()->setEditText(QStringLiteral(" 北京"));
    Line()->setEditText(line);
    PressQuery();
    EXPECT_EQ(Status()->text(), Q(Query::kNotFoundStatus));
    const QStringList lines = Results()->toPlainText().split(u'\n');
    EXPECT_EQ(lines.size(), 2) << Results()->toPlainText().toStdString();
    EXPECT_EQ(lines.front(), Q(Query::kNotFoundText));
    EXPECT_EQ(lines.back(), Status()->toolTip());
    return lines.back();
  };
  EXPECT_EQ(query(QStringLiteral("103")), QStringLiteral("北京 103 是电车线路：请选择电车"));
  EXPECT_EQ(query(QStringLiteral("104")), QStringLiteral("线路网站没有这条线路（404）"));
  Open(u"http://127.0.0.1:" + Web::FromUtf8(std::to_string(Testing::RawServer::UnusedPort())) +
       u"/");
  EXPECT_EQ(query(QStringLiteral("104")),
            Q(Query::FailureText(Web::FailureKind::ConnectionRefused)));
}

// Closed through the window manager while a site holds a query (its close
// request comes through the platform's queue, as a real one does), the
// window goes and the query ends at once, long before the client would have
// given the site up.
TEST_F(MainWindowTest, ClosingTheWindowEndsAQueryAtOnce) {
  Testing::RawServer stalled(
      [](int s, const std::string&) { Testing::RawServer::WaitForClose(s, 10'000); });
  Open(stalled.Url(""), QuickLimits(30s));
  for (const auto delay : {300ms, 1000ms}) {
    window->show();
    QTimer::singleShot(delay, window.get(), [this] {
      QWindowSystemInterface::handleCloseEvent(window->windowHandle());
    });
    const auto started = std::chrono::steady_clock::now();
    PressQuery();
    EXPECT_LT(std::chrono::steady_clock::now() - started, delay + 1500ms);
    EXPECT_FALSE(window->isVisible());
  }
}

// A site that answers nothing: the window keeps serving repaints, shows its
// progress, refuses a second query, then ends not found.
TEST_F(MainWindowTest, AStalledSiteNeverLeavesTheWindowUnpaintedOrOpenToInput) {
  std::atomic<int> connections{0};
  Testing::RawServer stalled([&connections](int s, const std::string&) {
    ++connections;
    Testing::RawServer::WaitForClose(s, 10'000);
  });
  Open(stalled.Url(""), QuickLimits(1s));

  int paints = 0;
  PaintCounter counter(&paints);
  Status()->installEventFilter(&counter);
  int paintsAtFirstSample = -1, paintsAtLastSample = -1;
  QString statusDuringRequest;
  QTimer sampler;  // a look inside the window every 20 ms during the request
  QObject::connect(&sampler, &QTimer::timeout, [&] {
    if (QApplication::overrideCursor() == nullptr) return;  // not querying
    if (paintsAtFirstSample < 0) {
      paintsAtFirstSample = paints;
      statusDuringRequest = Status()->text();
      Find<QPushButton>("queryButton")->click();  // a second press while the first runs
      QTest::keyClick(City(), Qt::Key_Return);
    }
    paintsAtLastSample = paints;
    Status()->update();  // a repaint request that must be served during the stall
  });
  sampler.start(20);
  BoxWatcher watcher;
  PressQuery();

  EXPECT_GT(paintsAtLastSample, paintsAtFirstSample);
  EXPECT_EQ(statusDuringRequest, Q(Query::kQueryingStatus));
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(connections.load(), 1);
  EXPECT_EQ(City()->count(), 1);

  EXPECT_EQ(Status()->text(), Q(Query::kNotFoundStatus));
  EXPECT_EQ(Status()->toolTip(), Q(Query::FailureText(Web::FailureKind::TimedOut)));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(watcher.boxes.empty());
}

TEST_F(MainWindowTest, ATrolleybusQueryDoesNotShowItsAddress) {
  City()->setEditText(QStringLiteral("北京"));
  Line()->setEditText(QStringLiteral("103"));
  QTest::mouseClick(Find<QRadioButton>("trolleybusOption"), Qt::LeftButton);
  BoxWatcher watcher;
  PressQuery();
  EXPECT_EQ(resultsTexts, (QStringList{QStringLiteral("[{name:'北京站东',strlatlon:'1'}]}"),
                                       QStringLiteral("北京站东")}));
}

TEST_F(MainWindowTest, TheMessageClosesByItselfAndEnterQueriesToo) {
  window->SetTimedMessageTimeout(300ms);
  BoxWatcher watcher(/*pressOk=*/false);
  QElapsedTimer elapsed;
  elapsed.start();
  QSignalSpy pressed(Find<QPushButton>("queryButton"), &QPushButton::clicked);
  QTest::keyClick(City(), Qt::Key_Return);
  EXPECT_EQ(pressed.count(), 1);
  EXPECT_EQ(requests.load(), 1);
  ASSERT_EQ(watcher.boxes.size(), 1u);
  EXPECT_GE(elapsed.elapsed(), 300);
  EXPECT_LT(elapsed.elapsed(), 5000);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(Results()->toPlainText(), QStringLiteral("东站——西门"));
}

// What the user types is what is queried: the boxes complete nothing from
// their lists, neither while typing nor when they lose focus or take Enter.
TEST_F(MainWindowTest, TypedTextIsQueriedExactlyAsTyped) {
  // Keys go to the box, the focus widget, as a keyboard's would.
  const auto typeInto = [](QComboBox* box, const QString& text) {
    box->setFocus();
    box->lineEdit()->selectAll();
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClicks(box, text);
  };
  BoxWatcher watcher;
  typeInto(City(), QStringLiteral("Jinan"));
  typeInto(Line(), QStringLiteral("103"));
  // Not found as a bus: then asked as a trolleybus, for the tooltip's hint.
  EXPECT_EQ(PathsOf([this] { PressQuery(); }),
            (Paths{"/Jinan/xianlu/103lu/", "/Jinan/xianlu/103ludianche/"}));

  typeInto(Line(), QStringLiteral("1"));
  EXPECT_EQ(Line()->currentText(), QStringLiteral("1"));
  EXPECT_EQ(PathsOf([this] { PressQuery(); }),
            (Paths{"/Jinan/xianlu/1lu/", "/Jinan/xianlu/1ludianche/"}));

  typeInto(City(), QStringLiteral("jinan"));
  EXPECT_EQ(PathsOf([this] { QTest::keyClick(City(), Qt::Key_Return); }),
            (Paths{"/jinan/xianlu/1lu/", "/jinan/xianlu/1ludianche/"}));
  EXPECT_EQ(City()->currentText(), QStringLiteral("jinan"));
  EXPECT_EQ(City()->count(), 3);
}

}  // namespace

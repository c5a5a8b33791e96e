#include "ui/ridelon_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
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

#include "query/query_texts.h"
#include "tests/support/loopback_server.h"
#include "tests/support/raw_server.h"

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

// Runs `probe` every 20 ms while a handler runs: a look inside the window
// during a request.
class Sampler {
 public:
  explicit Sampler(std::function<void()> probe) {
    QObject::connect(&timer_, &QTimer::timeout, std::move(probe));
    timer_.start(20);
  }

 private:
  QTimer timer_;
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

class RidelonWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    site.server().Get(".*", [this](const httplib::Request& request, httplib::Response& r) {
      ++requests;
      r.set_content(pages.at(request.path), "text/html; charset=utf-8");
    });
    site.Start();
    window.SetRouteServiceBase(Base(site.Base()));
    window.SetTimedMessageTimeout(5s);
    Inets::FetchLimits limits;
    limits.idleTimeout = 2s;
    limits.totalTimeout = 5s;
    window.SetFetchLimits(limits);
    QObject::connect(Results(), &QPlainTextEdit::textChanged,
                     [this] { resultsTexts.append(Results()->toPlainText()); });
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  }

  static std::u16string Base(const std::string& base) { return {base.begin(), base.end()}; }

  template <typename T>
  T* Find(const char* name) {
    T* widget = window.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QComboBox* City() { return Find<QComboBox>("Combo1"); }
  QComboBox* Line() { return Find<QComboBox>("Combo2"); }
  QLabel* Status() { return Find<QLabel>("StatusPanel"); }
  QPlainTextEdit* Results() { return Find<QPlainTextEdit>("Text1"); }
  void PressQuery() { QTest::mouseClick(Find<QPushButton>("Command1"), Qt::LeftButton); }

  const std::map<std::string, std::string> pages = {
      {"/jinan/xianlu/K55lu/",
       "<p>示例数据</p>[{name:'东站',strlatlon:'1'},{name:'西门',x:'2'}]};"},
      {"/beijing/xianlu/103ludianche/", "[{name:'北京站东',strlatlon:'1'}]}"}};
  Testing::LoopbackServer site;
  std::atomic<int> requests{0};
  Ridelon window;
  QStringList resultsTexts;  // every text the results box was given, in order
};

TEST_F(RidelonWindowTest, StartsWithItsLayoutAndDefaults) {
  EXPECT_EQ(window.windowTitle(), QStringLiteral("公交线路查询器"));
  EXPECT_EQ(window.size(), QSize(796, 101));
  EXPECT_EQ(window.minimumSize(), window.maximumSize());

  EXPECT_EQ(City()->currentText(), QStringLiteral("济南"));
  EXPECT_EQ(Line()->currentText(), QStringLiteral("K55"));
  for (QComboBox* box : {City(), Line()}) {
    EXPECT_EQ(box->count(), 0);
    EXPECT_TRUE(box->isEditable());
    EXPECT_EQ(box->insertPolicy(), QComboBox::NoInsert);
  }
  EXPECT_TRUE(Find<QRadioButton>("Option1")->isChecked());
  EXPECT_FALSE(Find<QRadioButton>("Option2")->isChecked());
  EXPECT_TRUE(Results()->toPlainText().isEmpty());
  EXPECT_TRUE(Results()->isReadOnly());
  EXPECT_TRUE(Status()->text().isEmpty());
  EXPECT_EQ(Find<QLabel>("Panel1")->text(), QStringLiteral("Ridelon源码"));
  EXPECT_FALSE(Find<QLabel>("Panel2")->text().isEmpty());
  EXPECT_EQ(Find<QPushButton>("Command1")->text(), QStringLiteral("查询"));
  EXPECT_EQ(Find<QGroupBox>("Frame1")->title(), QStringLiteral("城市、线路："));
  EXPECT_EQ(Find<QGroupBox>("Frame4")->title(), QStringLiteral("车型："));
  EXPECT_EQ(Find<QGroupBox>("Frame2")->title(), QStringLiteral("查询结果"));
  EXPECT_EQ(Find<QLabel>("Label1")->text(), QStringLiteral("线路："));

  // Twips ÷ 15, relative to the container.
  EXPECT_EQ(Find<QWidget>("Command1")->geometry(), QRect(152, 48, 65, 33));
  EXPECT_EQ(Line()->geometry(), QRect(112, 16, 81, 20));
  EXPECT_EQ(Results()->geometry(), QRect(8, 16, 553, 57));
  EXPECT_EQ(Find<QWidget>("StatusBar1")->geometry(), QRect(0, 84, 796, 17));
  EXPECT_EQ(City()->parentWidget()->objectName(), QStringLiteral("Frame1"));
  EXPECT_EQ(Find<QWidget>("Option2")->parentWidget()->objectName(), QStringLiteral("Frame4"));

  EXPECT_TRUE(City()->hasFocus());
}

TEST_F(RidelonWindowTest, LoadComposesTheBusAddressWithTheStartTexts) {
  Ridelon fresh;
  EXPECT_EQ(fresh.QueryUrl(), std::u16string(Query::RouteServiceBase) + u"jinan/xianlu/K55lu/");
}

TEST_F(RidelonWindowTest, TabVisitsTheControlsInOrderAndOnlyTheCheckedOption) {
  const auto tabFrom = [](QWidget* from) {
    from->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QWidget* focused = QApplication::focusWidget();
    // An editable combo box's line edit stands for the box.
    if (focused && focused->parentWidget() && qobject_cast<QComboBox*>(focused->parentWidget()))
      focused = focused->parentWidget();
    return focused ? focused->objectName() : QString();
  };
  EXPECT_EQ(tabFrom(City()), "Command1");
  EXPECT_EQ(tabFrom(Find<QWidget>("Command1")), "Combo2");
  EXPECT_EQ(tabFrom(Line()), "Option1");
  EXPECT_EQ(tabFrom(Find<QWidget>("Option1")), "Text1");
  EXPECT_EQ(tabFrom(Results()), "Combo1");

  Find<QRadioButton>("Option2")->setChecked(true);
  EXPECT_EQ(tabFrom(Line()), "Option2");
  EXPECT_EQ(tabFrom(Find<QWidget>("Option2")), "Text1");
  QTest::mouseClick(Find<QRadioButton>("Option1"), Qt::LeftButton);
  EXPECT_EQ(tabFrom(Line()), "Option1");
}

TEST_F(RidelonWindowTest, ResultsCanBeCopiedButNotTyped) {
  window.SetResultsText(u"东站——西门");
  Results()->setFocus();
  QTest::keyClicks(Results(), "abc");
  QTest::keyClick(Results(), Qt::Key_Backspace);
  EXPECT_EQ(Results()->toPlainText(), QStringLiteral("东站——西门"));
  Results()->selectAll();
  Results()->copy();
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("东站——西门"));
}

TEST_F(RidelonWindowTest, OptionClicksRecomposeTheAddressTypingDoesNot) {
  const std::u16string base = Base(site.Base());
  City()->setEditText(QStringLiteral(" 北京 "));
  Line()->setEditText(QStringLiteral(" 103 "));
  EXPECT_NE(window.QueryUrl(), base + u"beijing/xianlu/ 103 ludianche/");
  QTest::mouseClick(Find<QRadioButton>("Option2"), Qt::LeftButton);
  EXPECT_EQ(window.QueryUrl(), base + u"beijing/xianlu/ 103 ludianche/");
  QTest::mouseClick(Find<QRadioButton>("Option1"), Qt::LeftButton);
  EXPECT_EQ(window.QueryUrl(), base + u"beijing/xianlu/103lu/");
  EXPECT_EQ(requests.load(), 0);
}

TEST_F(RidelonWindowTest, RefusesAnEmptyCityThenAnEmptyLine) {
  const std::u16string before = window.QueryUrl();
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

  EXPECT_EQ(window.QueryUrl(), before);
  EXPECT_TRUE(Status()->text().isEmpty());
  EXPECT_EQ(City()->count() + Line()->count(), 0);
  EXPECT_EQ(requests.load(), 0);
}

TEST_F(RidelonWindowTest, AQueryShowsTheStopsAndRecordsTheInputs) {
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
    EXPECT_EQ(resultsTexts, (QStringList{Q(window.QueryUrl()),
                                         QString::fromStdString(pages.at("/jinan/xianlu/K55lu/")),
                                         QStringLiteral("东站——西门")}));
    EXPECT_EQ(Status()->text(), Q(Query::kFoundStatus));
    EXPECT_EQ(City()->count(), round);
    EXPECT_EQ(City()->itemText(round - 1), QStringLiteral("济南"));
    EXPECT_EQ(Line()->itemText(round - 1), QStringLiteral("k55"));
    EXPECT_EQ(City()->currentText(),
              QStringLiteral(" 济南\u3000"));  // the box keeps what was typed
  }
  EXPECT_EQ(requests.load(), 2);
}

// A site that answers nothing: the window keeps serving repaints, shows its
// progress, refuses a second query and closing, then ends not found.
TEST_F(RidelonWindowTest, AStalledSiteNeverLeavesTheWindowUnpaintedOrOpenToInput) {
  std::atomic<int> connections{0};
  Testing::RawServer stalled([&connections](int s, const std::string&) {
    ++connections;
    Testing::RawServer::WaitForClose(s, 10'000);
  });
  window.SetRouteServiceBase(stalled.Url(""));
  Inets::FetchLimits limits;
  limits.idleTimeout = 1s;
  limits.totalTimeout = 3s;
  window.SetFetchLimits(limits);

  int paints = 0;
  PaintCounter counter(&paints);
  Status()->installEventFilter(&counter);
  int paintsAtFirstSample = -1, paintsAtLastSample = -1;
  QString statusDuringRequest;
  bool closedDuringRequest = true;
  Sampler sampler([&] {
    if (QApplication::overrideCursor() == nullptr) return;  // not querying
    if (paintsAtFirstSample < 0) {
      paintsAtFirstSample = paints;
      statusDuringRequest = Status()->text();
      closedDuringRequest = window.close();
      Find<QPushButton>("Command1")->click();  // a second press while the first runs
      QTest::keyClick(City(), Qt::Key_Return);
    }
    paintsAtLastSample = paints;
    Status()->update();  // a repaint request that must be served during the stall
  });
  BoxWatcher watcher;
  PressQuery();

  EXPECT_GT(paintsAtLastSample, paintsAtFirstSample);
  EXPECT_EQ(statusDuringRequest, Q(Query::kQueryingStatus));
  EXPECT_FALSE(closedDuringRequest);
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(connections.load(), 1);
  EXPECT_EQ(City()->count(), 1);

  EXPECT_EQ(Status()->text(), Q(Query::kNotFoundStatus));
  EXPECT_TRUE(Status()->toolTip().startsWith(QStringLiteral("timed out")))
      << Status()->toolTip().toStdString();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(watcher.boxes.empty());
}

TEST_F(RidelonWindowTest, ATrolleybusQueryDoesNotShowItsAddress) {
  City()->setEditText(QStringLiteral("北京"));
  Line()->setEditText(QStringLiteral("103"));
  QTest::mouseClick(Find<QRadioButton>("Option2"), Qt::LeftButton);
  BoxWatcher watcher;
  PressQuery();
  EXPECT_EQ(resultsTexts, (QStringList{QStringLiteral("[{name:'北京站东',strlatlon:'1'}]}"),
                                       QStringLiteral("北京站东")}));
}

TEST_F(RidelonWindowTest, AnUnreachableSiteGivesTheNotFoundTextsAndTheReason) {
  window.SetRouteServiceBase(u"http://127.0.0.1:" +
                             Base(std::to_string(Testing::RawServer::UnusedPort())) + u"/");
  BoxWatcher watcher;
  PressQuery();
  EXPECT_TRUE(watcher.boxes.empty());
  EXPECT_EQ(Results()->toPlainText(), Q(Query::kNotFoundText));
  EXPECT_EQ(Status()->text(), Q(Query::kNotFoundStatus));
  EXPECT_TRUE(Status()->toolTip().contains(QStringLiteral("connection refused")))
      << Status()->toolTip().toStdString();
}

TEST_F(RidelonWindowTest, TheMessageClosesByItselfAndEnterQueriesToo) {
  window.SetTimedMessageTimeout(300ms);
  BoxWatcher watcher(/*pressOk=*/false);
  QElapsedTimer elapsed;
  elapsed.start();
  QSignalSpy pressed(Find<QPushButton>("Command1"), &QPushButton::clicked);
  QTest::keyClick(City(), Qt::Key_Return);
  EXPECT_EQ(pressed.count(), 1);
  EXPECT_EQ(requests.load(), 1);
  ASSERT_EQ(watcher.boxes.size(), 1u);
  EXPECT_GE(elapsed.elapsed(), 300);
  EXPECT_LT(elapsed.elapsed(), 5000);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(Results()->toPlainText(), QStringLiteral("东站——西门"));
}

TEST_F(RidelonWindowTest, LongStatusTextIsCutAtTheRightEdge) {
  window.SetStatusText(std::u16string(400, u'长'));
  EXPECT_EQ(Status()->geometry().right(), 795);
  EXPECT_EQ(Find<QLabel>("Panel1")->width(), 96);
  EXPECT_EQ(Find<QLabel>("Panel2")->width(), 163);
  EXPECT_EQ(Find<QLabel>("Panel1")->text(), QStringLiteral("Ridelon源码"));
}

}  // namespace

#pragma once

#include <QWidget>
#include <chrono>
#include <string>

#include "query/query_url.h"
#include "query/query_window.h"
#include "ui/timed_message.h"
#include "web/fetch_limits.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace Ui {
class StatusBar;
}

// The one window: city and line boxes, bus or trolleybus, the query button,
// the results box and the status bar. Controls carry the object names the
// rest of the program and its tests know them by (Combo1, Command1, …).
class Ridelon : public QWidget, public Query::QueryWindow {
 public:
  explicit Ridelon(QWidget* parent = nullptr);

  // Event handlers.
  void Form_Load();
  void Option1_Click();
  void Option2_Click();
  void Command1_Click();

  // What a query run needs of the window.
  std::u16string QueryUrl() const override { return queryUrl_; }
  void SetResultsText(std::u16string_view text) override;
  void SetStatusText(std::u16string_view text) override;
  void ShowTimedMessage(std::u16string_view text) override;

  // Tests shorten these so that nothing waits long.
  void SetTimedMessageTimeout(std::chrono::milliseconds timeout) { messageTimeout_ = timeout; }
  void SetFetchLimits(const Inets::FetchLimits& limits) { fetchLimits_ = limits; }
  void SetRouteServiceBase(std::u16string base) { routeServiceBase_ = std::move(base); }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  void ComposeQueryUrl(Query::VehicleKind kind);
  void GiveTabFocusToTheCheckedOption();
  bool RefuseEmpty(QComboBox* box, std::u16string_view prompt);

  QGroupBox* Frame1 = nullptr;
  QComboBox* Combo1 = nullptr;
  QLabel* Label1 = nullptr;
  QComboBox* Combo2 = nullptr;
  QPushButton* Command1 = nullptr;
  QGroupBox* Frame4 = nullptr;
  QRadioButton* Option1 = nullptr;
  QRadioButton* Option2 = nullptr;
  QGroupBox* Frame2 = nullptr;
  QPlainTextEdit* Text1 = nullptr;
  Ui::StatusBar* StatusBar1 = nullptr;
  QLabel* StatusPanel = nullptr;

  std::u16string queryUrl_;
  std::u16string routeServiceBase_ = Query::RouteServiceBase;
  std::chrono::milliseconds messageTimeout_ = Ui::kTimedMessageTimeout;
  Inets::FetchLimits fetchLimits_;
  bool querying_ = false;
};

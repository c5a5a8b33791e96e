#pragma once

#include <QWidget>
#include <chrono>
#include <stop_token>
#include <string>

#include "query/query_url.h"
#include "query/query_window.h"
#include "query/run_query.h"
#include "ui/timed_message.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace Ui {

class StatusBar;

// The one window: city and line boxes, bus or trolleybus, the query button,
// the results box and the status bar. Controls carry object names by role
// (cityBox, queryButton, …), which the tests find them by.
class MainWindow : public QWidget, public Query::QueryWindow {
 public:
  // Queries go to the route site at `siteBase`; status panel 2 names it.
  MainWindow(std::u16string siteBase, const QString& siteName, QWidget* parent = nullptr);

  // Event handlers.
  void OnLoad();
  void OnBusChosen();
  void OnTrolleybusChosen();
  void OnQueryPressed();

  // What a query run needs of the window.
  std::u16string QueryUrl() const override { return queryUrl_; }
  void SetResultsText(std::u16string_view text) override;
  void SetStatusText(std::u16string_view text) override;
  void ShowTimedMessage(std::u16string_view text) override;
  void RunWhileWaiting(const std::function<void(std::stop_token)>& work) override;

  // Tests shorten these so that nothing waits long.
  void SetTimedMessageTimeout(std::chrono::milliseconds timeout) { messageTimeout_ = timeout; }
  void SetFetchLimits(const Query::FetchLimits& limits) { fetchLimits_ = limits; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls(const QString& siteName);
  void ComposeQueryUrl(Query::VehicleKind kind);
  void GiveTabFocusToTheCheckedOption();
  bool RefuseEmpty(QComboBox* box, std::u16string_view prompt);

  QGroupBox* inputsFrame_ = nullptr;
  QComboBox* cityBox_ = nullptr;
  QLabel* lineLabel_ = nullptr;
  QComboBox* lineBox_ = nullptr;
  QPushButton* queryButton_ = nullptr;
  QGroupBox* vehicleFrame_ = nullptr;
  QRadioButton* busOption_ = nullptr;
  QRadioButton* trolleybusOption_ = nullptr;
  QGroupBox* resultsFrame_ = nullptr;
  QPlainTextEdit* resultsBox_ = nullptr;
  StatusBar* statusBar_ = nullptr;
  QLabel* statusPanel_ = nullptr;

  std::u16string queryUrl_;
  std::u16string siteBase_;
  std::chrono::milliseconds messageTimeout_ = kTimedMessageTimeout;
  Query::FetchLimits fetchLimits_;
  bool querying_ = false;
  std::stop_source queryStop_;  // asked to stop when the window closes mid-query
};

}  // namespace Ui

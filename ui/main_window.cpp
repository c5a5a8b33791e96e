#include "ui/main_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "query/guide_query.h"
#include "query/query_texts.h"
#include "query/text_trim.h"
#include "ui/qt_text.h"
#include "ui/run_while_repainting.h"
#include "ui/status_bar.h"

namespace Ui {

namespace {

// Positions and sizes in pixels: the layout's twips divided by 15.
constexpr int kClientWidth = 796;
constexpr int kClientHeight = 101;

template <typename Widget, typename... Args>
Widget* Place(QWidget* parent, const char* name, QRect geometry, Args&&... args) {
  auto* widget = new Widget(std::forward<Args>(args)..., parent);
  widget->setObjectName(QString::fromLatin1(name));
  widget->setGeometry(geometry);
  return widget;
}

QComboBox* PlaceCombo(QWidget* parent, const char* name, QRect geometry, const QString& text) {
  auto* combo = Place<QComboBox>(parent, name, geometry);
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);  // entries come only from the query button
  // A plain free-text field: no completion from the list, which would change
  // what was typed (and, being case-insensitive, even its case).
  combo->setCompleter(nullptr);
  combo->setEditText(text);
  return combo;
}

}  // namespace

MainWindow::MainWindow(std::u16string siteBase, const QString& siteName, QWidget* parent)
    : QWidget(parent), siteBase_(std::move(siteBase)) {
  setObjectName(QStringLiteral("mainWindow"));
  setWindowTitle(QStringLiteral("公交线路查询器"));
  setWindowIcon(QIcon(QStringLiteral(":/ridelon.svg")));
  setFixedSize(kClientWidth, kClientHeight);
  BuildControls(siteName);
  OnLoad();
}

void MainWindow::BuildControls(const QString& siteName) {
  inputsFrame_ =
      Place<QGroupBox>(this, "inputsFrame", {8, 0, 201, 41}, QStringLiteral("城市、线路："));
  cityBox_ = PlaceCombo(inputsFrame_, "cityBox", {8, 16, 57, 20}, QStringLiteral("济南"));
  lineLabel_ = Place<QLabel>(inputsFrame_, "lineLabel", {72, 16, 41, 17}, QStringLiteral("线路："));
  lineBox_ = PlaceCombo(inputsFrame_, "lineBox", {112, 16, 81, 20}, QStringLiteral("K55"));
  queryButton_ = Place<QPushButton>(this, "queryButton", {152, 48, 65, 33}, QStringLiteral("查询"));
  vehicleFrame_ =
      Place<QGroupBox>(this, "vehicleFrame", {0, 40, 145, 41}, QStringLiteral("车型："));
  busOption_ =
      Place<QRadioButton>(vehicleFrame_, "busOption", {8, 16, 49, 17}, QStringLiteral("公交"));
  trolleybusOption_ = Place<QRadioButton>(vehicleFrame_, "trolleybusOption", {88, 16, 49, 17},
                                          QStringLiteral("电车"));
  resultsFrame_ =
      Place<QGroupBox>(this, "resultsFrame", {224, 0, 569, 81}, QStringLiteral("查询结果"));
  resultsBox_ = Place<QPlainTextEdit>(resultsFrame_, "resultsBox", {8, 16, 553, 57});
  statusBar_ = new StatusBar(QStringLiteral("Ridelon源码"), siteName, this);
  statusBar_->Panel(2)->setToolTip(siteName);  // a long address is cut off in the panel
  statusBar_->setObjectName(QStringLiteral("statusBar"));
  statusBar_->setGeometry(0, 84, kClientWidth, 17);
  statusPanel_ = statusBar_->Panel(3);

  busOption_->setChecked(true);  // before the handlers are connected: no click at creation
  // Selectable but not editable: read-only.
  resultsBox_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  resultsBox_->setFocusPolicy(Qt::StrongFocus);

  // Tab: city → query button → line → the checked option → results → city.
  setTabOrder(cityBox_, queryButton_);
  setTabOrder(queryButton_, lineBox_);
  setTabOrder(lineBox_, busOption_);
  setTabOrder(busOption_, trolleybusOption_);
  setTabOrder(trolleybusOption_, resultsBox_);
  GiveTabFocusToTheCheckedOption();
  cityBox_->setFocus();

  connect(busOption_, &QRadioButton::clicked, this, [this] { OnBusChosen(); });
  connect(trolleybusOption_, &QRadioButton::clicked, this, [this] { OnTrolleybusChosen(); });
  connect(busOption_, &QRadioButton::toggled, this, [this] { GiveTabFocusToTheCheckedOption(); });
  connect(queryButton_, &QPushButton::clicked, this, [this] { OnQueryPressed(); });
  // Enter in either box presses the query button.
  for (QComboBox* box : {cityBox_, lineBox_})
    connect(box->lineEdit(), &QLineEdit::returnPressed, queryButton_, &QPushButton::click);
}

// Tab enters the option group at the option that last had focus, which need
// not be the checked one; so only the checked option takes Tab focus.
void MainWindow::GiveTabFocusToTheCheckedOption() {
  busOption_->setFocusPolicy(busOption_->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
  trolleybusOption_->setFocusPolicy(trolleybusOption_->isChecked() ? Qt::StrongFocus
                                                                   : Qt::ClickFocus);
}

void MainWindow::ComposeQueryUrl(Query::VehicleKind kind) {
  queryUrl_ = Query::ComposeQueryUrl(kind, ToU16(cityBox_->currentText()),
                                     ToU16(lineBox_->currentText()), siteBase_);
}

void MainWindow::OnLoad() { ComposeQueryUrl(Query::VehicleKind::Bus); }

void MainWindow::OnBusChosen() { ComposeQueryUrl(Query::VehicleKind::Bus); }

void MainWindow::OnTrolleybusChosen() { ComposeQueryUrl(Query::VehicleKind::Trolleybus); }

bool MainWindow::RefuseEmpty(QComboBox* box, std::u16string_view prompt) {
  if (!Query::TrimSpaces(ToU16(box->currentText())).empty()) return false;
  ShowTimedMessage(prompt);
  box->setEditText(QString());
  box->setFocus();
  return true;
}

void MainWindow::OnQueryPressed() {
  if (querying_) return;
  if (RefuseEmpty(cityBox_, Query::kCityPrompt) || RefuseEmpty(lineBox_, Query::kLinePrompt))
    return;

  SetStatusText(Query::kQueryingStatus);
  for (QComboBox* box : {cityBox_, lineBox_}) {
    // Adding the first entry would put it into the edit field; keep what was typed.
    const QString typed = box->currentText();
    box->addItem(ToQString(Query::TrimSpaces(ToU16(typed))));
    box->setEditText(typed);
  }

  const bool bus = busOption_->isChecked();
  ComposeQueryUrl(bus ? Query::VehicleKind::Bus : Query::VehicleKind::Trolleybus);
  if (bus) SetResultsText(queryUrl_);

  querying_ = true;
  queryStop_ = {};
  const Query::QueryOutcome outcome = Query::RunQuery(*this, fetchLimits_);
  // Tells a network failure apart from a missing line, and a line of the
  // other kind from one that is not there: in the tooltip, and as the
  // results box's second line, where a user looks.
  std::u16string tip(Query::FailureText(outcome.failure.kind));
  if (!outcome.found && outcome.failure.kind == Web::FailureKind::None) {
    tip = Query::PageWithoutStopsText(outcome.status);
    const auto other = bus ? Query::VehicleKind::Trolleybus : Query::VehicleKind::Bus;
    bool otherKind = false;
    RunWhileWaiting([&](std::stop_token stop) {
      otherKind =
          Query::HasLine(other, ToU16(cityBox_->currentText()), ToU16(lineBox_->currentText()),
                         siteBase_, fetchLimits_, std::move(stop));
    });
    if (otherKind)
      tip = Query::TrimSpaces(ToU16(cityBox_->currentText())) + u" " +
            Query::TrimSpaces(ToU16(lineBox_->currentText())) +
            std::u16string(Query::OtherKindText(other));
  }
  querying_ = false;
  statusPanel_->setToolTip(ToQString(tip));
  if (!outcome.found && !tip.empty())
    SetResultsText(std::u16string(Query::kNotFoundText) + u"\n" + tip);
}

void MainWindow::SetResultsText(std::u16string_view text) {
  resultsBox_->setPlainText(ToQString(text));
}

void MainWindow::SetStatusText(std::u16string_view text) { statusPanel_->setText(ToQString(text)); }

void MainWindow::ShowTimedMessage(std::u16string_view text) {
  Ui::ShowTimedMessage(this, ToQString(text), messageTimeout_);
}

void MainWindow::RunWhileWaiting(const std::function<void(std::stop_token)>& work) {
  RunWhileRepainting(work, queryStop_.get_token());
}

// Closing the window during a query ends the query at once: the user is done
// with it, and a window that cannot be closed looks hung.
void MainWindow::closeEvent(QCloseEvent* event) {
  if (querying_) queryStop_.request_stop();
  QWidget::closeEvent(event);
}

}  // namespace Ui

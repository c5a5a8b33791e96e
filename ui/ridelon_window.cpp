#include "ui/ridelon_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "pinyin/syllable_table.h"
#include "query/query_texts.h"
#include "query/run_query.h"
#include "query/text_trim.h"
#include "ui/background_fetch.h"
#include "ui/status_bar.h"

namespace {

// Positions and sizes in pixels: the layout's twips divided by 15.
constexpr int kClientWidth = 796;
constexpr int kClientHeight = 101;

const QString kPublisherAddress = QStringLiteral("https://ridelon.invalid/");

QString ToQString(std::u16string_view text) {
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

std::u16string ToU16(const QString& text) { return text.toStdU16String(); }

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
  combo->setEditText(text);
  return combo;
}

}  // namespace

Ridelon::Ridelon(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Ridelon"));
  setWindowTitle(QStringLiteral("公交线路查询器"));
  setFixedSize(kClientWidth, kClientHeight);
  BuildControls();
  Form_Load();
}

void Ridelon::BuildControls() {
  Frame1 = Place<QGroupBox>(this, "Frame1", {8, 0, 201, 41}, QStringLiteral("城市、线路："));
  Combo1 = PlaceCombo(Frame1, "Combo1", {8, 16, 57, 20}, QStringLiteral("济南"));
  Label1 = Place<QLabel>(Frame1, "Label1", {72, 16, 41, 17}, QStringLiteral("线路："));
  Combo2 = PlaceCombo(Frame1, "Combo2", {112, 16, 81, 20}, QStringLiteral("K55"));
  Command1 = Place<QPushButton>(this, "Command1", {152, 48, 65, 33}, QStringLiteral("查询"));
  Frame4 = Place<QGroupBox>(this, "Frame4", {0, 40, 145, 41}, QStringLiteral("车型："));
  Option1 = Place<QRadioButton>(Frame4, "Option1", {8, 16, 49, 17}, QStringLiteral("公交"));
  Option2 = Place<QRadioButton>(Frame4, "Option2", {88, 16, 49, 17}, QStringLiteral("电车"));
  Frame2 = Place<QGroupBox>(this, "Frame2", {224, 0, 569, 81}, QStringLiteral("查询结果"));
  Text1 = Place<QPlainTextEdit>(Frame2, "Text1", {8, 16, 553, 57});
  StatusBar1 = new Ui::StatusBar(QStringLiteral("Ridelon源码"), kPublisherAddress, this);
  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
  StatusBar1->setGeometry(0, 84, kClientWidth, 17);
  StatusPanel = StatusBar1->Panel(3);

  Option1->setChecked(true);  // before the handlers are connected: no click at creation
  Text1->setReadOnly(true);
  Text1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  Text1->setFocusPolicy(Qt::StrongFocus);
  Text1->setTabChangesFocus(true);

  // Tab: city → query button → line → the checked option → results → city.
  setTabOrder(Combo1, Command1);
  setTabOrder(Command1, Combo2);
  setTabOrder(Combo2, Option1);
  setTabOrder(Option1, Option2);
  setTabOrder(Option2, Text1);
  GiveTabFocusToTheCheckedOption();
  Combo1->setFocus();

  connect(Option1, &QRadioButton::clicked, this, [this] { Option1_Click(); });
  connect(Option2, &QRadioButton::clicked, this, [this] { Option2_Click(); });
  connect(Option1, &QRadioButton::toggled, this, [this] { GiveTabFocusToTheCheckedOption(); });
  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
  // Enter in either box presses the query button.
  for (QComboBox* box : {Combo1, Combo2})
    connect(box->lineEdit(), &QLineEdit::returnPressed, Command1, &QPushButton::click);
}

// Tab enters the option group at the option that last had focus, which need
// not be the checked one; so only the checked option takes Tab focus.
void Ridelon::GiveTabFocusToTheCheckedOption() {
  Option1->setFocusPolicy(Option1->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
  Option2->setFocusPolicy(Option2->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
}

void Ridelon::ComposeQueryUrl(Query::VehicleKind kind) {
  queryUrl_ = Query::ComposeQueryUrl(kind, ToU16(Combo1->currentText()),
                                     ToU16(Combo2->currentText()), routeServiceBase_);
}

void Ridelon::Form_Load() {
  Pinyin::BuildPinyinTable();
  ComposeQueryUrl(Query::VehicleKind::Bus);
}

void Ridelon::Option1_Click() { ComposeQueryUrl(Query::VehicleKind::Bus); }

void Ridelon::Option2_Click() { ComposeQueryUrl(Query::VehicleKind::Trolleybus); }

bool Ridelon::RefuseEmpty(QComboBox* box, std::u16string_view prompt) {
  if (!Query::TrimSpaces(ToU16(box->currentText())).empty()) return false;
  ShowTimedMessage(prompt);
  box->setEditText(QString());
  box->setFocus();
  return true;
}

void Ridelon::Command1_Click() {
  if (querying_) return;
  if (RefuseEmpty(Combo1, Query::kCityPrompt) || RefuseEmpty(Combo2, Query::kLinePrompt)) return;

  SetStatusText(Query::kQueryingStatus);
  for (QComboBox* box : {Combo1, Combo2}) {
    // Adding the first entry would put it into the edit field; keep what was typed.
    const QString typed = box->currentText();
    box->addItem(ToQString(Query::TrimSpaces(ToU16(typed))));
    box->setEditText(typed);
  }

  const bool bus = Option1->isChecked();
  ComposeQueryUrl(bus ? Query::VehicleKind::Bus : Query::VehicleKind::Trolleybus);
  if (bus) SetResultsText(queryUrl_);

  querying_ = true;
  Query::RunQuery(*this, [this](std::u16string_view url, std::u16string_view charset) {
    Inets::FetchOutcome fetched = Ui::FetchWhileRepainting(url, charset, fetchLimits_);
    // Tells a network failure apart from a missing line.
    StatusPanel->setToolTip(QString::fromStdString(fetched.failure));
    return fetched;
  });
  querying_ = false;
}

void Ridelon::SetResultsText(std::u16string_view text) { Text1->setPlainText(ToQString(text)); }

void Ridelon::SetStatusText(std::u16string_view text) { StatusPanel->setText(ToQString(text)); }

void Ridelon::ShowTimedMessage(std::u16string_view text) {
  Ui::ShowTimedMessage(this, ToQString(text), messageTimeout_);
}

// A query holds the window until it ends; closing meanwhile would pull the
// window from under the run.
void Ridelon::closeEvent(QCloseEvent* event) {
  if (querying_) {
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

#include "ui/status_bar.h"

#include <QLabel>

namespace Ui {

namespace {

constexpr int kPanel1Width = 96;   // 1440 twips
constexpr int kPanel2Width = 163;  // 2440 twips

}  // namespace

StatusBar::StatusBar(const QString& panel1, const QString& panel2, QWidget* parent)
    : QFrame(parent) {
  const QString texts[] = {panel1, panel2, QString()};
  for (int i = 0; i < 3; ++i) {
    auto* panel = new QLabel(texts[i], this);
    static const char* const kNames[] = {"namePanel", "sitePanel", "statusPanel"};
    panel->setObjectName(QString::fromLatin1(kNames[i]));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setContentsMargins(2, 0, 2, 0);
    panel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    panels_[static_cast<std::size_t>(i)] = panel;
  }
}

void StatusBar::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  const int h = height();
  panels_[0]->setGeometry(0, 0, kPanel1Width, h);
  panels_[1]->setGeometry(kPanel1Width, 0, kPanel2Width, h);
  const int rest = kPanel1Width + kPanel2Width;
  panels_[2]->setGeometry(rest, 0, width() - rest, h);
}

}  // namespace Ui

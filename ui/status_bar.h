#pragma once

#include <QFrame>
#include <array>

class QLabel;

namespace Ui {

// A slim status bar of three sunken panels, numbered from 1: two of fixed
// width and a third that runs to the right edge and cuts long text off.
// The whole 17 px height goes to the panels, so their text keeps its descenders.
class StatusBar : public QFrame {
 public:
  StatusBar(const QString& panel1, const QString& panel2, QWidget* parent);

  QLabel* Panel(int index) const { return panels_.at(static_cast<std::size_t>(index - 1)); }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  std::array<QLabel*, 3> panels_{};
};

}  // namespace Ui

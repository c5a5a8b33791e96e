#include <gtest/gtest.h>

#include <QApplication>

#include "ui/chinese_qt_texts.h"

// Widgets need a QApplication; tests run on the offscreen platform unless the
// environment names another (a real X server, say).
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  Ui::UseChineseQtTexts(app);  // as the program does
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

#include "ui/chinese_qt_texts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace Ui {

void UseChineseQtTexts(QCoreApplication& app) {
  auto* translator = new QTranslator(&app);  // the application's, for as long as it runs
  if (translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                       QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QCoreApplication::installTranslator(translator);
}

}  // namespace Ui

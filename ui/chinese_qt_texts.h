#pragma once

class QCoreApplication;

namespace Ui {

// Qt's own texts in Chinese, as the rest of the interface: 确定 rather than
// "OK" on standard buttons. Where Qt's translations are not installed
// (Debian: qt6-translations-l10n) they stay in English.
void UseChineseQtTexts(QCoreApplication& app);

}  // namespace Ui

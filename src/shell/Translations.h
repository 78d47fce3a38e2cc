#pragma once
// Qt's own Chinese texts for what Qt draws itself: the standard dialogs
// (file, folder, colour), the buttons of message boxes and button boxes,
// the context menus of text boxes. The app's own texts are Chinese already.

#include <QString>

class QCoreApplication;
class QTranslator;

namespace h5 {

// Where Qt's Chinese translation of its base modules is expected: the
// translations folder of this Qt installation (Debian's
// qt6-translations-l10n puts qtbase_zh_CN.qm there).
QString qtChineseTranslationFile();

// Loads and installs Qt's Chinese translation into `app`; the translator
// belongs to `app` afterwards. Null when the file is missing or does not
// load (Qt's texts then stay English; the app still runs).
QTranslator *installQtChinese(QCoreApplication &app);

} // namespace h5

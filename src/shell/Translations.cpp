#include "shell/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace h5 {

QString qtChineseTranslationFile()
{
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_zh_CN.qm");
}

QTranslator *installQtChinese(QCoreApplication &app)
{
    auto *translator = new QTranslator(&app);
    if (!translator->load(qtChineseTranslationFile()) || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return nullptr;
    }
    return translator;
}

} // namespace h5

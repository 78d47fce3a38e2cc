#include "shell/Startup.h"

#include "shell/CMainFrame.h"
#include "shell/CMyApp.h"
#include "shell/Commands.h"
#include "shell/IconCheck.h"
#include "shell/Translations.h"

#include "model/FontFaces.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QLocale>
#include <QTextStream>
#include <QTimer>
#include <cstring>

namespace h5 {

void prepareStudio(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--check-icons") == 0)
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

QTranslator *configureStudio(QApplication &application)
{
    QApplication::setApplicationName(QStringLiteral("h5800-studio"));
    // No display name: the platform would add it to the title of every
    // window, and a form's title is its own caption only. The main window
    // names the product itself.
    QApplication::setDesktopFileName(QStringLiteral("h5800-studio"));
    // The standard dialogs and buttons speak Chinese with the app.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    loadPackagedFonts();
    QTranslator *chinese = installQtChinese(application);
    if (!chinese)
        QTextStream(stderr) << "h5800-studio: Qt's Chinese texts not found at "
                            << qtChineseTranslationFile() << Qt::endl;
    return chinese;
}

int runStudio(QApplication &application)
{
    configureStudio(application);

    QCommandLineParser parser;
    parser.setApplicationDescription(productTitle());
    parser.addHelpOption();
    const QCommandLineOption openAll(QStringLiteral("open-all"),
                                     QStringLiteral("Open every page of the project."));
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("Save a picture of the main window to PATH and quit."), QStringLiteral("PATH"));
    const QCommandLineOption delay(QStringLiteral("screenshot-delay"),
                                   QStringLiteral("Milliseconds before the screenshot (1500)."),
                                   QStringLiteral("MS"), QStringLiteral("1500"));
    const QCommandLineOption checkIcons(
        QStringLiteral("check-icons"),
        QStringLiteral("Load every icon of the app and check that BMP and JPEG pictures can be read; "
                       "exit 1 naming what fails."));
    parser.addOption(checkIcons);
    parser.addOption(openAll);
    parser.addOption(screenshot);
    parser.addOption(delay);
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("A page file (.wlp) or a project file (.wgc)."),
                                 QStringLiteral("[FILE]"));
    parser.process(application);

    if (parser.isSet(checkIcons)) {
        QTextStream out(stdout);
        QTextStream err(stderr);
        return runIconCheck(out, err);
    }

    CMyApp app;
    CMainFrame frame(app);
    frame.show();

    // The program opens no empty page at start; only what the command line
    // names.
    const QStringList files = parser.positionalArguments();
    if (!files.isEmpty()) {
        // A page outside any project refuses the start, as the shell's
        // open request fails.
        if (!app.openDocument(files.first()) && !app.isProjectOpen())
            return 1;
    }
    if (parser.isSet(openAll) && app.isProjectOpen())
        app.openAllPages();

    if (parser.isSet(screenshot)) {
        const QString path = parser.value(screenshot);
        bool ok = false;
        const int ms = parser.value(delay).toInt(&ok);
        QTimer::singleShot(ok && ms >= 0 ? ms : 1500, &frame, [&frame, path] {
            const bool saved = frame.grab().save(path);
            QTextStream err(stderr);
            if (!saved)
                err << "h5800-studio: cannot write " << path << Qt::endl;
            QApplication::exit(saved ? 0 : 2);
        });
    }
    return application.exec();
}

} // namespace h5

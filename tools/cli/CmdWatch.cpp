// h5800 watch: hot reload from the command line. Watches a project and,
// after every save, builds it and sends what changed to the terminal on
// the port (port/HotReload.h), one line per round on stdout.

#include "Cli.h"

#include "port/HotReload.h"
#include "port/PortLine.h"
#include "project/Project.h"

#include <QCoreApplication>
#include <QDateTime>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <QSocketNotifier>

#include <csignal>
#include <unistd.h>
#endif

using namespace h5cli;

namespace {

// Ctrl-C and kill end the watch through the event loop, so the line is
// closed properly (the built-in terminal then saves its flash).
#ifdef Q_OS_WIN
// Windows calls the console handler on a thread of its own: the exit is
// posted to the event loop.
BOOL WINAPI onConsoleStop(DWORD)
{
    QMetaObject::invokeMethod(QCoreApplication::instance(), [] { QCoreApplication::exit(0); },
                              Qt::QueuedConnection);
    return TRUE;
}
#else
int gSignalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    const ssize_t n = ::write(gSignalPipe[1], &c, 1);
    (void)n;
}
#endif

int watch(const QStringList &argsIn)
{
    QStringList args = argsIn;
    // Saves come on the real clock: the built-in terminal keeps it too.
    const PortOptions port = takePortOptions(args, /*virtualClockAllowed=*/false);
    const bool noInitial = takeFlag(args, "no-initial");
    const QString settle = takeOption(args, "settle");
    const QString roundsText = takeOption(args, "rounds");
    expectPositional(args, 1, "watch");
    if (port.device.isEmpty())
        throw UsageError{QStringLiteral("--port DEVICE is required")};
    bool ok = true;
    const int settleMs = settle.isNull() ? 50 : settle.toInt(&ok);
    if (!ok || settleMs < 0 || settleMs > 60000)
        throw UsageError{QStringLiteral("--settle takes 0..60000 milliseconds")};
    const int rounds = roundsText.isNull() ? 0 : roundsText.toInt(&ok);
    if (!ok || rounds < 0)
        throw UsageError{QStringLiteral("--rounds takes a number of rounds")};
    if (!projectFileFits(args[0]))
        return ExitBadInput;

    h5::Project project;
    QString error;
    if (!h5::Project::open(args[0], project, &error)) {
        err() << "h5800: " << error << Qt::endl;
        return ExitBadInput;
    }
    h5::PortLine line;
    if (!openPort(line, port))
        return ExitBadInput;

    h5::HotReload reload(project, line);
    reload.setSettleMs(settleMs);
    int status = ExitOk;
    int done = 0;
    QObject::connect(&reload, &h5::HotReload::roundDone, [&](const h5::HotReload::Round &round) {
        out() << QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss.zzz")) << ' '
              << round.text() << Qt::endl;
        ++done;
        if (rounds > 0 && done >= rounds)
            QCoreApplication::exit(0);
    });
    QObject::connect(&reload, &h5::HotReload::lineLost, [&](const QString &text) {
        err() << "h5800: " << line.device() << ": " << text << Qt::endl;
        status = ExitBadInput;
        QCoreApplication::exit(0);
    });

#ifdef Q_OS_WIN
    SetConsoleCtrlHandler(onConsoleStop, TRUE);
#else
    if (::pipe(gSignalPipe) == 0) {
        std::signal(SIGINT, onSignal);
        std::signal(SIGTERM, onSignal);
    }
    QSocketNotifier stopper(gSignalPipe[0], QSocketNotifier::Read);
    QObject::connect(&stopper, &QSocketNotifier::activated, [] { QCoreApplication::exit(0); });
#endif

    err() << "h5800: watching " << project.dir << " (Ctrl-C ends)" << Qt::endl;
    reload.start(!noInitial);
    if (!(rounds > 0 && done >= rounds) && status == ExitOk)
        QCoreApplication::exec();
    reload.stop();
    line.close();
#ifdef Q_OS_WIN
    SetConsoleCtrlHandler(onConsoleStop, FALSE);
#endif
    return status;
}

Registrar regWatch{{
    "watch",
    "build and send a project to the terminal after every save (hot reload)",
    "usage: h5800 watch PROJECT.wgc --port DEVICE [--baud RATE] [--no-initial]\n"
    "                   [--settle MS] [--rounds N]\n\n"
    "Watches the project's page files (*.wlp) and its picture folder. After\n"
    "every save (once the files have been quiet for --settle ms, default 50)\n"
    "it builds the project, reusing what earlier builds converted and compiled,\n"
    "and sends what changed in one download: the project data alone when no\n"
    "picture changed, with the changed pictures when some did. Then it tells\n"
    "the terminal to show the page that changed (1B 50 n). A save during a\n"
    "download waits for it to end.\n"
    "The first round sends the whole project and every picture its pages use;\n"
    "--no-initial skips it when the terminal holds the project already.\n"
    "One line per round on stdout: what was sent, the page shown and how long\n"
    "it took. A build that fails or reports a problem (a missing or damaged\n"
    "picture, a page that does not open, clashing control IDs) sends nothing\n"
    "and says why. --port builtin is the terminal built into this program.\n"
    "Runs until Ctrl-C, or for N rounds with --rounds. Exit status 0, 1 when\n"
    "the project or the port cannot be opened or the line is lost.",
    watch,
}};

} // namespace

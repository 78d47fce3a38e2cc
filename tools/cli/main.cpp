// h5800: the command-line face of H5800 Studio. Each subcommand lives in a
// Cmd*.cpp file and calls the same core code the desktop app uses.

#include "Cli.h"

#include "model/FontFaces.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <memory>
#include <algorithm>
#ifdef Q_OS_WIN
#include <windows.h>
#include <shellapi.h>
#endif

using namespace h5cli;

namespace {

void printHelp()
{
    out() << "usage: h5800 COMMAND [ARGS...]\n\ncommands:\n";
    auto list = commands();
    std::sort(list.begin(), list.end(),
              [](const Command &a, const Command &b) { return a.name < b.name; });
    for (const Command &c : list)
        out() << "  " << c.name.leftJustified(18) << c.summary << "\n";
    out() << "\n'h5800 help COMMAND' shows the details of one command.\n"
          << "Exit status: 0 success, 1 bad input, 2 wrong usage, 3 problems reported.\n";
    out().flush();
}

// Qt's picture decoders write their own complaints to stderr
// ("qt.gui.imageio.jpeg: Corrupt JPEG data…", "libpng error: …"). The
// commands name a picture that does not decode in a message of their own,
// so these lines are dropped; every other message goes on to Qt's handler.
QtMessageHandler qtHandler = nullptr;

void dropDecoderMessages(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    const QLatin1String imageio("qt.gui.imageio");
    if ((context.category && QLatin1String(context.category).startsWith(imageio))
        || text.startsWith(QLatin1String("libpng ")))
        return;
    if (qtHandler)
        qtHandler(type, context, text);
}

const Command *find(const QStringList &args, int &consumed)
{
    // Longest match first: "page dump" before "page".
    const Command *best = nullptr;
    int bestWords = 0;
    for (const Command &c : commands()) {
        const QStringList words = c.name.split(' ');
        if (words.size() > args.size() || words.size() <= bestWords)
            continue;
        if (std::equal(words.begin(), words.end(), args.begin())) {
            best = &c;
            bestWords = int(words.size());
        }
    }
    consumed = bestWords;
    return best;
}

// The exit status of a run that printed on stdout: a run whose output did
// not all arrive has failed, whatever it did besides.
int finish(int rc)
{
    if (!finishOutput() && (rc == ExitOk || rc == ExitProblems))
        return ExitBadInput;
    return rc;
}

int run(int argc, char **argv);

} // namespace

int main(int argc, char **argv)
{
    qtHandler = qInstallMessageHandler(dropDecoderMessages);
    guardStandardDescriptors();
    return finish(run(argc, argv));
}

namespace {

// The arguments as typed. On Windows argv holds them in the ANSI code page,
// which cannot spell every file name: they are taken from the wide command
// line instead.
QStringList arguments(int argc, char **argv)
{
    QStringList args;
#ifdef Q_OS_WIN
    int count = 0;
    if (wchar_t **wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i)
            args << QString::fromWCharArray(wide[i]);
        LocalFree(wide);
        return args;
    }
#endif
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}

int run(int argc, char **argv)
{
    QStringList args = arguments(argc, argv);

    // No window system is needed: pictures are decoded and drawn into
    // QImages. Only commands that draw text start the GUI application, on
    // the offscreen platform unless told otherwise. Windows' own platform
    // needs no display and offers the system's fonts, so it stays there.
    int used = 0;
    const Command *c = find(args, used);
    std::unique_ptr<QCoreApplication> app;
    if (c && c->needsGui) {
#ifndef Q_OS_WIN
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
        if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
            const QString runtime = QDir::tempPath() + QStringLiteral("/h5800-runtime");
            QDir().mkpath(runtime);
            QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                               | QFileDevice::ExeOwner);
            qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
        }
        app = std::make_unique<QGuiApplication>(argc, argv);
        h5::loadPackagedFonts();
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }

    if (args.isEmpty()) {
        printHelp();
        return ExitUsage;
    }
    if (args.first() == "--help" || args.first() == "-h") {
        printHelp();
        return ExitOk;
    }
    if (args.first() == "help") {
        args.removeFirst();
        if (args.isEmpty()) {
            printHelp();
            return ExitOk;
        }
        int words = 0;
        const Command *topic = find(args, words);
        if (!topic || words != args.size()) {
            err() << "h5800: no command '" << args.join(' ') << "'" << Qt::endl;
            return ExitUsage;
        }
        out() << topic->usage << Qt::endl;
        return ExitOk;
    }

    if (!c) {
        err() << "h5800: unknown command '" << args.join(' ') << "' (see h5800 --help)"
              << Qt::endl;
        return ExitUsage;
    }
    args = args.mid(used);
    if (args.contains("--help") || args.contains("-h")) {
        out() << c->usage << Qt::endl;
        return ExitOk;
    }
    try {
        const int rc = c->run(args);
        out().flush();
        err().flush();
        return rc;
    } catch (const UsageError &e) {
        out().flush();
        err() << "h5800 " << c->name << ": " << e.text << "\n\n" << c->usage << Qt::endl;
        return ExitUsage;
    }
}

} // namespace

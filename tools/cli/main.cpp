// h5800: the command-line face of H5800 Studio. Each subcommand lives in a
// Cmd*.cpp file and calls the same core code the desktop app uses; Run.cpp
// runs a command line.

#include "Cli.h"

#include "model/FontFaces.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <memory>
#ifdef Q_OS_WIN
#include <windows.h>
#include <shellapi.h>
#endif

using namespace h5cli;

namespace {

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
    installMessageFilter();
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
    const Command *c = findCommand(args, used);
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

    return runArguments(args);
}

} // namespace

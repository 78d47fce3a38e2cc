#pragma once
// h5800 run with `--port builtin` against the terminal built into it, with
// its data folder (and so the terminal's flash) in a temporary folder of
// its own. On the virtual clock (H5_BUILTIN_CLOCK=virtual) the tool's waits
// take no real time: handshake probes, time-outs and monitor --seconds run
// as soon as nothing else is due.

#include "support/TestUtil.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

namespace h5test {

class BuiltinCli
{
public:
    enum class Clock { Virtual, Real };

    // Runs the tool on `clock`. Every run shares one data folder, so what
    // one command downloads the next one finds.
    CliResult run(const QStringList &args, Clock clock = Clock::Virtual, int timeoutMs = 120000) const
    {
#ifdef Q_OS_WIN
        // The data folder is set through XDG_DATA_HOME, which Windows does
        // not read; the tests using this are Unix only.
        (void)args, (void)clock, (void)timeoutMs;
        CliResult refused;
        refused.err = "BuiltinCli: needs Unix";
        return refused;
#else
        // In the tool's environment only: the test program's own stays as
        // it is for the tests after this one.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_data.path());
        if (clock == Clock::Virtual)
            env.insert(QStringLiteral("H5_BUILTIN_CLOCK"), QStringLiteral("virtual"));
        else
            env.remove(QStringLiteral("H5_BUILTIN_CLOCK"));
        return runCliProcess(args, timeoutMs, {}, env);
#endif
    }

    // Where the terminal keeps its flash.
    QString flashPath() const { return m_data.filePath(QStringLiteral("h5800-studio/builtin-terminal.flash")); }

    // The flash summarised as h5800-sim --dump-flash does.
    QJsonObject flash() const
    {
        QProcess dump;
        dump.start(QStringLiteral(H5_SIM_PATH), {QStringLiteral("--dump-flash"), flashPath()});
        dump.waitForFinished(20000);
        return QJsonDocument::fromJson(dump.readAllStandardOutput()).object();
    }

private:
    QTemporaryDir m_data;
};

} // namespace h5test

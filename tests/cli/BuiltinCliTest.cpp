// `--port builtin`: the command-line tool talks to the terminal built into
// the program, whose flash it keeps in the user's data folder between
// commands (shared with the app), so a download is there for the next
// command.

#include "support/TestUtil.h"
#include "support/UnixOnly.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>

using h5test::runCli;

namespace {

// Runs the tool with its data folder in `dataHome`.
h5test::CliResult runIn(const QTemporaryDir &dataHome, const QStringList &args)
{
#ifdef Q_OS_WIN
    (void)dataHome;
    return runCli(args, 120000);
#else
    const QByteArray home = QFile::encodeName(dataHome.path());
    return runCli(args, 120000, [home] { ::setenv("XDG_DATA_HOME", home.constData(), 1); });
#endif
}

QJsonObject dumpFlash(const QString &path)
{
    QProcess dump;
    dump.start(QStringLiteral(H5_SIM_PATH), {QStringLiteral("--dump-flash"), path});
    dump.waitForFinished(20000);
    return QJsonDocument::fromJson(dump.readAllStandardOutput()).object();
}

QString sha1Of(const QByteArray &b)
{
    return QString::fromLatin1(QCryptographicHash::hash(b, QCryptographicHash::Sha1).toHex());
}

} // namespace

TEST(BuiltinCliTest, DownloadIntoTheBuiltinTerminalIsKeptForTheNextCommand)
{
    H5_UNIX_ONLY("h5800-sim reads the flash; the data folder is set through XDG_DATA_HOME");
    QTemporaryDir work, data;
    const auto made = runCli({QStringLiteral("demo"), work.path()});
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
    const QString wgc = work.filePath(QStringLiteral("demo/demo.wgc"));
    const QString cbm = work.filePath(QStringLiteral("demo/图象位置信息.cbm"));

    const auto ports = runIn(data, {QStringLiteral("ports")});
    EXPECT_EQ(ports.exitCode, 0);
    EXPECT_TRUE(ports.out.split('\n').contains("builtin")) << ports.out.toStdString();

    const auto down = runIn(data, {QStringLiteral("download"), QStringLiteral("--port"), QStringLiteral("builtin"),
                                   QStringLiteral("--project"), wgc, QStringLiteral("--pictures"), cbm});
    ASSERT_EQ(down.exitCode, 0) << down.err.toStdString();
    const QString flash = data.filePath(QStringLiteral("h5800-studio/builtin-terminal.flash"));
    ASSERT_TRUE(QFile::exists(flash)) << "the flash is kept in the user's data folder";
    QFile project(wgc);
    ASSERT_TRUE(project.open(QIODevice::ReadOnly));
    const QJsonObject summary = dumpFlash(flash);
    EXPECT_EQ(summary["projectSha1"].toString(), sha1Of(project.readAll().mid(102406)));
    const int pictures = int(summary["registry"].toArray().size());
    EXPECT_GT(pictures, 0);

    // The next command finds the terminal as the download left it.
    const auto live = runIn(data, {QStringLiteral("live"), QStringLiteral("--port"), QStringLiteral("builtin"),
                                   QStringLiteral("page"), QStringLiteral("1")});
    EXPECT_EQ(live.exitCode, 0) << live.err.toStdString();
    const auto debug = runIn(data, {QStringLiteral("monitor"), QStringLiteral("--port"), QStringLiteral("builtin"),
                                    QStringLiteral("--seconds"), QStringLiteral("1")});
    EXPECT_EQ(debug.exitCode, 0) << debug.err.toStdString();
    EXPECT_EQ(int(dumpFlash(flash)["registry"].toArray().size()), pictures);
}

// `--port builtin`: the command-line tool talks to the terminal built into
// the program, whose flash it keeps in the user's data folder between
// commands (shared with the app), so a download is there for the next
// command.

#include "support/BuiltinCli.h"
#include "support/TestUtil.h"
#include "support/UnixOnly.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using h5test::BuiltinCli;
using h5test::runCli;

namespace {

QString sha1Of(const QByteArray &b)
{
    return QString::fromLatin1(QCryptographicHash::hash(b, QCryptographicHash::Sha1).toHex());
}

} // namespace

// The download runs on the real clock, as a user runs it; the commands
// after it find the same flash with the tool on the virtual clock
// (H5_BUILTIN_CLOCK=virtual), so monitor's second takes no real time.
TEST(BuiltinCliTest, DownloadIntoTheBuiltinTerminalIsKeptForTheNextCommand)
{
    H5_UNIX_ONLY("h5800-sim reads the flash; the data folder is set through XDG_DATA_HOME");
    QTemporaryDir work;
    const BuiltinCli user;
    const auto real = BuiltinCli::Clock::Real;
    const auto made = runCli({QStringLiteral("demo"), work.path()});
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
    const QString wgc = work.filePath(QStringLiteral("demo/demo.wgc"));
    const QString cbm = work.filePath(QStringLiteral("demo/图象位置信息.cbm"));

    const auto ports = user.run({QStringLiteral("ports")}, real);
    EXPECT_EQ(ports.exitCode, 0);
    EXPECT_TRUE(ports.out.split('\n').contains("builtin")) << ports.out.toStdString();

    const auto down = user.run({QStringLiteral("download"), QStringLiteral("--port"), QStringLiteral("builtin"),
                                QStringLiteral("--project"), wgc, QStringLiteral("--pictures"), cbm},
                               real);
    ASSERT_EQ(down.exitCode, 0) << down.err.toStdString();
    const QString flash = user.flashPath();
    ASSERT_TRUE(QFile::exists(flash)) << "the flash is kept in the user's data folder";
    QFile project(wgc);
    ASSERT_TRUE(project.open(QIODevice::ReadOnly));
    const QJsonObject summary = user.flash();
    EXPECT_EQ(summary["projectSha1"].toString(), sha1Of(project.readAll().mid(102406)));
    const int pictures = int(summary["registry"].toArray().size());
    EXPECT_GT(pictures, 0);

    // The next command finds the terminal as the download left it.
    const auto live = user.run({QStringLiteral("live"), QStringLiteral("--port"), QStringLiteral("builtin"),
                                QStringLiteral("page"), QStringLiteral("1")});
    EXPECT_EQ(live.exitCode, 0) << live.err.toStdString();
    const auto debug = user.run({QStringLiteral("monitor"), QStringLiteral("--port"), QStringLiteral("builtin"),
                                 QStringLiteral("--seconds"), QStringLiteral("1")});
    EXPECT_EQ(debug.exitCode, 0) << debug.err.toStdString();
    EXPECT_EQ(int(user.flash()["registry"].toArray().size()), pictures);
}

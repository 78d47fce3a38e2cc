// `h5800 watch` end to end, in real time on the built-in terminal: the
// first round sends the demo project, a page saved while it watches is
// built and sent alone, and the terminal's flash holds the new build.

#include "support/TestUtil.h"
#include "support/UnixOnly.h"

#include "common/Notifier.h"
#include "project/Project.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using h5test::element;
using h5test::readAll;
using h5test::runCli;

TEST(WatchCliTest, APageSavedWhileWatchingReachesTheBuiltinTerminal)
{
    H5_UNIX_ONLY("h5800-sim reads the flash; the data folder is set through XDG_DATA_HOME");
    QTemporaryDir work, data;
    const auto made = runCli({QStringLiteral("demo"), work.path()});
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
    const QString wgc = work.filePath(QStringLiteral("demo/demo.wgc"));

    QProcess watch;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), data.path());
    // Asked for the built-in terminal's virtual clock (as the other
    // built-in command tests run), watch keeps the real one: its rounds
    // start with saves on the real clock, and on the virtual one the first
    // round's download never went on.
    env.insert(QStringLiteral("H5_BUILTIN_CLOCK"), QStringLiteral("virtual"));
    watch.setProcessEnvironment(env);
    watch.start(QStringLiteral(H5_CLI_PATH),
                {QStringLiteral("watch"), wgc, QStringLiteral("--port"), QStringLiteral("builtin"),
                 QStringLiteral("--settle"), QStringLiteral("50"), QStringLiteral("--rounds"),
                 QStringLiteral("2")});
    ASSERT_TRUE(watch.waitForStarted());
    QByteArray out;
    while (!out.contains('\n') && watch.waitForReadyRead(60000))
        out += watch.readAllStandardOutput();
    ASSERT_TRUE(out.contains('\n')) << watch.readAllStandardError().toStdString();
    EXPECT_TRUE(QString::fromUtf8(out).contains(QStringLiteral("已发送 工程数据 + 图片"))) << out.toStdString();

    // Page 1 saved as the editor saves it, with one more rectangle.
    h5::Project project;
    ASSERT_TRUE(h5::Project::open(wgc, project, nullptr));
    h5::OpenPage page;
    ASSERT_TRUE(project.openPage(project.pagePath(1), page, nullptr));
    page.page.elements.push_back(element(h5::Kind::SolidRect, 0, {300, 300}, {340, 330}));
    h5::RecordingNotifier notifier;
    QString error;
    ASSERT_TRUE(project.savePage(page, notifier, &error)) << error.toStdString();

    ASSERT_TRUE(watch.waitForFinished(60000)) << "no second round";
    out += watch.readAllStandardOutput();
    EXPECT_EQ(watch.exitCode(), 0) << watch.readAllStandardError().toStdString();
    const QStringList lines = QString::fromUtf8(out).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << out.toStdString();
    EXPECT_TRUE(lines[1].contains(QStringLiteral("已发送 工程数据（"))) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].contains(QStringLiteral("显示画面 1"))) << lines[1].toStdString();

    // The flash the terminal kept holds the project data of the new build.
    QProcess dump;
    dump.start(QStringLiteral(H5_SIM_PATH),
               {QStringLiteral("--dump-flash"), data.filePath(QStringLiteral("h5800-studio/builtin-terminal.flash"))});
    ASSERT_TRUE(dump.waitForFinished(20000));
    const QJsonObject flash = QJsonDocument::fromJson(dump.readAllStandardOutput()).object();
    const QByteArray built = readAll(wgc).mid(102406);
    EXPECT_EQ(flash["projectSha1"].toString(),
              QString::fromLatin1(QCryptographicHash::hash(built, QCryptographicHash::Sha1).toHex()));
}

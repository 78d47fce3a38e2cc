// Every command that writes files, run with too little room to write them:
// under a lowered file-size limit (as a full disk looks to a program, with
// SIGXFSZ ignored; on Windows the limit the file helpers take from the
// environment, support/FileSizeLimit.h), and on a really full small file system when one is given
// in H5_FULL_DISK_DIR (CI mounts a small tmpfs there). Each must fail with
// the system's reason, leave every file exactly as it was (no empty file, no
// half-updated project, no temporary left behind) and work when retried
// with room.

#include "support/FileSizeLimit.h"
#include "support/TestUtil.h"
#include "support/UnixOnly.h"

#include "common/Gbk.h"
#include "model/Page.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#ifndef Q_OS_WIN
#include <csignal>
#include <sys/resource.h>
#endif

using namespace h5;
using h5test::readAll;
using h5test::writeRaw;

namespace {

// Every file under `dir` (hidden ones too) with its content.
std::map<QString, QByteArray> snapshot(const QString &dir)
{
    std::map<QString, QByteArray> files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::System | QDir::Dirs | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files[QDir(dir).relativeFilePath(path)] = QFileInfo(path).isDir() ? QByteArray("<dir>") : readAll(path);
    }
    return files;
}

QString differences(const std::map<QString, QByteArray> &before, const std::map<QString, QByteArray> &after)
{
    QStringList lines;
    for (const auto &[path, bytes] : before) {
        const auto it = after.find(path);
        if (it == after.end())
            lines << QStringLiteral("gone: ") + path;
        else if (it->second != bytes)
            lines << QStringLiteral("changed: %1 (%2 -> %3 bytes)").arg(path).arg(bytes.size()).arg(it->second.size());
    }
    for (const auto &[path, bytes] : after)
        if (!before.count(path))
            lines << QStringLiteral("new: ") + path;
    return lines.join(QLatin1Char('\n'));
}

h5test::CliResult runLimited(const QStringList &args, qint64 fileSizeLimit)
{
    // A process of its own: a limit is the process's (rlimit) or its
    // environment's, never the test program's.
    if (fileSizeLimit <= 0)
        return h5test::runCliProcess(args, 60000);
#ifdef Q_OS_WIN
    // The tool inherits the limit with the environment.
    h5test::FileSizeLimit limit(fileSizeLimit);
    return h5test::runCliProcess(args, 60000);
#else
    return h5test::runCliProcess(args, 60000, [fileSizeLimit]() {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = rlim_t(fileSizeLimit);
        setrlimit(RLIMIT_FSIZE, &limit);
    });
#endif
}

// A command, what to prepare so that it has something large to write, and
// the file-size limit that stops it.
struct Case
{
    const char *name;
    qint64 limit;
    // Prepares the project in `dir` (the demo project is at dir/demo) and
    // returns the command's arguments.
    std::function<QStringList(const QString &dir)> prepare;
};

// Commands that write into the project.
std::vector<Case> projectCases()
{
    return {
        {"page save of a page whose instruction file must be written", 1000,
         [](const QString &dir) {
             QFile::remove(dir + QStringLiteral("/demo/指令wlc文件/0.wlc"));
             return QStringList{"page", "save", dir + QStringLiteral("/demo/0.wlp")};
         }},
        {"build whose picture data and one instruction file must be written", 100000,
         [](const QString &dir) {
             // The small instruction file fits; the picture data does not.
             QFile::resize(dir + QStringLiteral("/demo/图象位置信息.cbm"), 1236000);
             QFile::remove(dir + QStringLiteral("/demo/指令wlc文件/1.wlc"));
             return QStringList{"build", dir + QStringLiteral("/demo/demo.wgc")};
         }},
        {"bundle", 2000,
         [](const QString &dir) {
             return QStringList{"bundle", "-o", dir + QStringLiteral("/all.uwl"), "--project",
                                dir + QStringLiteral("/demo/demo.wgc")};
         }},
        {"project new", 1000,
         [](const QString &dir) {
             return QStringList{"project", "new", dir, QStringLiteral("新工程")};
         }},
        {"demo", 50000,
         [](const QString &dir) {
             return QStringList{"demo", dir + QStringLiteral("/again")};
         }},
    };
}

// Commands that export a page, a picture list or a pointer file.
std::vector<Case> exportCases()
{
    return {
        {"export-txt over an older export", 100,
         [](const QString &dir) {
             writeRaw(dir + QStringLiteral("/out.txt"), "older export");
             return QStringList{"export-txt", dir + QStringLiteral("/demo/0.wlp"), "-o", dir + QStringLiteral("/out.txt")};
         }},
        {"export-ids", 10,
         [](const QString &dir) {
             return QStringList{"export-ids", dir + QStringLiteral("/demo/0.wlp"), "-o", dir + QStringLiteral("/ids.txt")};
         }},
        {"pointer make over an older pointer file", 20,
         [](const QString &dir) {
             writeRaw(dir + QStringLiteral("/needle.MGL"), "older");
             return QStringList{"pointer", "make", dir + QStringLiteral("/needle.MGL")};
         }},
        {"render to PNG", 100,
         [](const QString &dir) {
             return QStringList{"render", dir + QStringLiteral("/demo/0.wlp"), "-o", dir + QStringLiteral("/page.png")};
         }},
        {"render to BMP", 100,
         [](const QString &dir) {
             return QStringList{"render", dir + QStringLiteral("/demo/0.wlp"), "-o", dir + QStringLiteral("/page.bmp")};
         }},
        {"pictures save", 2000,
         [](const QString &dir) {
             return QStringList{"pictures", "save", dir + QStringLiteral("/list.tbm"),
                                dir + QStringLiteral("/demo/素材/表盘.bmp")};
         }},
    };
}

std::vector<Case> cases()
{
    std::vector<Case> all = projectCases();
    for (Case &c : exportCases())
        all.push_back(std::move(c));
    return all;
}

void makeDemo(const QString &dir)
{
    const auto r = h5test::runCli({"demo", dir});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
}

// The demo project, made once; each case works on a copy of it.
const QString &pristineDemo()
{
    static QTemporaryDir dir;
    static const bool made = [] {
        const auto r = h5test::runCli({"demo", dir.path()});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        return r.exitCode == 0;
    }();
    static const QString demo = made ? dir.filePath(QStringLiteral("demo")) : QString();
    return demo;
}

// A copy of the demo project at dir/demo, its folders included.
void copyDemo(const QString &dir)
{
    const QString from = pristineDemo();
    ASSERT_FALSE(from.isEmpty());
    ASSERT_TRUE(QDir().mkpath(dir + QStringLiteral("/demo")));
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString to = dir + QStringLiteral("/demo/") + QDir(from).relativeFilePath(path);
        if (QFileInfo(path).isDir())
            ASSERT_TRUE(QDir().mkpath(to)) << to.toStdString();
        else
            ASSERT_TRUE(QDir().mkpath(QFileInfo(to).path()) && QFile::copy(path, to)) << to.toStdString();
    }
}

void failsWithoutRoom(const std::vector<Case> &cases)
{
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir tmp;
        copyDemo(tmp.path());
        if (::testing::Test::HasFatalFailure())
            return;
        const QStringList args = c.prepare(tmp.path());
        const auto before = snapshot(tmp.path());

        const auto r = runLimited(args, c.limit);
        EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
        const QString err = QString::fromUtf8(r.err);
        EXPECT_TRUE(err.contains(h5test::FileSizeLimit::reason())) << err.toStdString();
        EXPECT_FALSE(err.contains(QStringLiteral("Unknown error"))) << err.toStdString();
        EXPECT_FALSE(r.out.contains("编译完成")) << r.out.toStdString();
        EXPECT_FALSE(r.out.contains("保存路径为")) << r.out.toStdString();
        EXPECT_EQ(differences(before, snapshot(tmp.path())).toStdString(), "");

        // With room, the same command works (nothing half made is in the way).
        const auto retry = runLimited(args, 0);
        EXPECT_TRUE(retry.exitCode == 0 || retry.exitCode == 3) << retry.err.toStdString();
    }
}

TEST(FullDiskCliTest, ACommandWithoutRoomFailsWithTheReasonAndChangesNothing)
{
    failsWithoutRoom(projectCases());
}

TEST(FullDiskExportCliTest, ACommandWithoutRoomFailsWithTheReasonAndChangesNothing)
{
    failsWithoutRoom(exportCases());
}

// The same on a file system that is really full. Runs where a small file
// system is given (CI mounts a tmpfs and sets H5_FULL_DISK_DIR).
TEST(FullDiskCliTest, OnAFullFileSystemEveryCommandFailsAndChangesNothing)
{
    const QString root = qEnvironmentVariable("H5_FULL_DISK_DIR");
    if (root.isEmpty())
        GTEST_SKIP() << "H5_FULL_DISK_DIR not set";
    for (const Case &c : cases()) {
        SCOPED_TRACE(c.name);
        const QString dir = root + QStringLiteral("/case");
        QDir(dir).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(dir));
        makeDemo(dir);
        const QStringList args = c.prepare(dir);
        // Fill what is left of the file system.
        {
            QFile filler(root + QStringLiteral("/filler"));
            ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
            const QByteArray block(4096, 'f');
            while (filler.write(block) == block.size() && filler.flush()) {
            }
        }
        const auto before = snapshot(dir);
        const auto r = runLimited(args, 0);
        EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
        const QString err = QString::fromUtf8(r.err);
        EXPECT_TRUE(err.contains(h5test::noSpaceReason())) << err.toStdString();
        EXPECT_EQ(differences(before, snapshot(dir)).toStdString(), "");
        QFile::remove(root + QStringLiteral("/filler"));
        QDir(dir).removeRecursively();
    }
}

// What a command prints on standard output goes to a full disk (/dev/full
// as stdout): the command must not exit 0 over an empty file, and says why.
TEST(FullDiskStdoutCliTest, OutputThroughStandardOutputToAFullDiskFailsWithTheReason)
{
    H5_UNIX_ONLY("/dev/full");
    QTemporaryDir tmp;
    const QString dir = tmp.path();
    ASSERT_EQ(h5test::runCli({"project", "new", dir, "p"}).exitCode, 0);
    const QString project = dir + QStringLiteral("/p/p.wgc");
    Page page;
    page.elements.push_back(h5test::element(Kind::HollowRect, 0, {1, 2}, {30, 40}));
    const QString pagePath = dir + QStringLiteral("/p/0.wlp");
    ASSERT_TRUE(page.save(pagePath, nullptr));
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(dir + QStringLiteral("/a.bmp")));
    const QString list = dir + QStringLiteral("/list.tbm");
    ASSERT_EQ(h5test::runCli({"pictures", "save", list, dir + QStringLiteral("/a.bmp")}).exitCode, 0);

    const QStringList commands[] = {
        {"page", "dump", pagePath},
        {"project", "info", "--json", project},
        {"project", "info", project},
        {"pictures", "list", "--json", list},
        {"pictures", "list", list},
        {"help", "page", "dump"},
    };
    for (const QStringList &args : commands) {
        SCOPED_TRACE(args.join(' ').toStdString());
        QProcess p;
        p.setProgram(QStringLiteral(H5_CLI_PATH));
        p.setArguments(args);
        p.setStandardOutputFile(QStringLiteral("/dev/full"));
        p.start();
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 1);
        const QString err = QString::fromUtf8(p.readAllStandardError());
        EXPECT_TRUE(err.contains(QStringLiteral("No space left on device"))) << err.toStdString();

        // With room the same command works.
        EXPECT_EQ(h5test::runCli(args).exitCode, 0);
    }
}

} // namespace

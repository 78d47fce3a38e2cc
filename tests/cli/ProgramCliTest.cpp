// The h5800 program itself against the same command lines run inside the
// test program (runCliInProcess, which most CLI tests use): the program's
// main adds its own argument decoding (the wide command line on Windows),
// its application object and fonts, and the check of standard output.
// Whatever a command line prints, the status it ends with and every file
// it writes must come out the same both ways, or the other tests would be
// testing something the users do not run.

#include "support/TestUtil.h"

#include "common/Gbk.h"

#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>

namespace {

// Every file under `root`, by its path relative to `root`.
std::map<QString, QByteArray> filesUnder(const QString &root)
{
    std::map<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files[QDir(root).relativeFilePath(path)] = h5test::readAll(path);
    }
    return files;
}

} // namespace

TEST(ProgramCliTest, TheProgramAndTheInProcessRunPrintWriteAndExitAlike)
{
    // Two folders of the same shape, under a name with Chinese and a space.
    QTemporaryDir top;
    const QString roots[2] = {top.filePath(QStringLiteral("进程 A")), top.filePath(QStringLiteral("进程 B"))};
    for (const QString &root : roots)
        ASSERT_TRUE(QDir().mkpath(root));

    struct Case
    {
        const char *name;
        QStringList args; // "%R" stands for the folder
        int exitCode;
    };
    const Case cases[] = {
        {"demo made and built", {"demo", "%R"}, 0},
        {"project info", {"project", "info", "%R/demo/demo.wgc"}, 0},
        {"page rendered with its texts", {"render", "%R/demo/1.wlp", "-o", "%R/页面1.png"}, 0},
        {"page previewed from the build", {"preview", "%R/demo/demo.wgc", "--page", "0", "-o", "%R/预览0.png"}, 0},
        {"page the build lacks", {"preview", "%R/demo/demo.wgc", "--page", "9", "-o", "%R/none.png"}, 1},
        {"page dumped on stdout", {"page", "dump", "%R/demo/0.wlp"}, 0},
        {"build with a picture gone", {"build", "%R/demo/demo.wgc"}, 3},
        {"help on a command", {"help", "build"}, 0},
        {"help on no command", {"help", "frobnicate"}, 2},
        {"wrong arguments", {"render"}, 2},
        {"unreadable project", {"project", "info", "%R/nothing.wgc"}, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        if (QString::fromUtf8(c.name).startsWith(QStringLiteral("build with a picture gone")))
            for (const QString &root : roots) {
                ASSERT_TRUE(QFile::remove(root + QStringLiteral("/demo/图片文件/lamp_on.bmp")));
            }
        h5test::CliResult results[2];
        for (int i = 0; i < 2; ++i) {
            QStringList args;
            for (const QString &a : c.args)
                args << QString(a).replace(QStringLiteral("%R"), roots[i]);
            results[i] = i == 0 ? h5test::runCliProcess(args) : h5test::runCliInProcess(args);
        }
        const auto same = [&](QByteArray text, int i) {
            return QString::fromUtf8(text)
                .replace(roots[i], QStringLiteral("%R"))
                .replace(QDir::toNativeSeparators(roots[i]), QStringLiteral("%R"));
        };
        EXPECT_EQ(results[0].exitCode, c.exitCode) << results[0].err.toStdString();
        EXPECT_EQ(results[1].exitCode, c.exitCode) << results[1].err.toStdString();
        EXPECT_EQ(same(results[0].out, 0), same(results[1].out, 1));
        EXPECT_EQ(same(results[0].err, 0), same(results[1].err, 1));
        const auto a = filesUnder(roots[0]);
        const auto b = filesUnder(roots[1]);
        ASSERT_EQ(a.size(), b.size());
        // Page files keep their pictures' full paths (in GBK, with either
        // separator): the folders' names are the same length, so one
        // stands in for the other.
        const auto gbk = [](const QString &text) { return QByteArray::fromStdString(h5::toGbk(text)); };
        for (const auto &[path, bytes] : a) {
            const auto other = b.find(path);
            ASSERT_TRUE(other != b.end()) << path.toStdString();
            const QByteArray asB = QByteArray(bytes)
                                       .replace(gbk(QDir::toNativeSeparators(roots[0])),
                                                gbk(QDir::toNativeSeparators(roots[1])))
                                       .replace(gbk(roots[0]), gbk(roots[1]));
            qsizetype at = 0;
            while (at < asB.size() && at < other->second.size() && asB[at] == other->second[at])
                ++at;
            EXPECT_TRUE(other->second == asB)
                << path.toStdString() << " differs from byte " << at << ": "
                << h5test::toHex(asB.mid(at, 24)) << " / " << h5test::toHex(other->second.mid(at, 24));
        }
    }
}

// Files of a size no page, picture list or project can have are refused by
// the commands that read them, before they are read, with one line that
// names the file; the largest real sizes are still taken. Sparse files
// stand in for the large ones, so the test writes next to nothing.

#include "support/TestUtil.h"

#include "common/Flash.h"
#include "model/Page.h"
#include "pictures/PictureList.h"
#include "project/ProjectFile.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using h5test::runCli;

namespace {

// `head` followed by zero bytes up to `size` (a hole, not written data).
bool sparseFile(const QString &path, const QByteArray &head, qint64 size)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(head) == head.size()
        && f.resize(size);
}

TEST(FileSizeCliTest, SizeNoFileOfItsKindCanHaveIsRefusedByName)
{
    QTemporaryDir dir;
    ASSERT_EQ(runCli({"project", "new", dir.path(), "p"}).exitCode, 0);
    const QByteArray projectHead = h5::ProjectFile::newFile(4);
    const QByteArray emptyPage = h5::Page().toPageFile();

    struct Case
    {
        const char *name;
        const char *file;
        QByteArray head;
        qint64 size;
        QStringList args; // FILE stands for the file
        const char *reason; // nullptr: taken (exit 0)
    };
    // The largest project file: slots, project data of 16,638 stream pages
    // and 5120 control blocks.
    const qint64 maxProject = 102406 + 7 + 2048 + 1024 * 11 + qint64(16638) * 2112 + qint64(5120) * 2121;
    const Case cases[] = {
        {"page longer than any page file", "big.wlp", emptyPage, h5::kMaxPageFileBytes + 1,
         {"page", "dump", "FILE"}, "超过页面文件的上限"},
        {"600-slot list of the whole picture store", "full.tbm", {}, h5::kSlotAreaSize + 600 * qint64(135168),
         {"pictures", "list", "FILE"}, nullptr},
        {"600-slot list beyond the picture store", "big.tbm", {}, h5::kSlotAreaSize + 600 * qint64(135168) + 1,
         {"pictures", "list", "FILE"}, "过大"},
        {"record list of 600 records", "full.wbm", {}, 601 * qint64(2060) - 1, {"pictures", "list", "FILE"},
         nullptr},
        {"record list of 601 records", "big.wbm", {}, 601 * qint64(2060), {"pictures", "list", "FILE"}, "过大"},
        {"largest project file", "p/p.wgc", projectHead, maxProject, {"project", "info", "FILE"}, nullptr},
        {"project file beyond it", "p/p.wgc", projectHead, maxProject + 1, {"project", "info", "FILE"},
         "超过工程文件的上限"},
        {"project file of another kind", "p/p.wgc", QByteArray("\x89PNG\r\n\x1a\n"), 200000,
         {"project", "info", "FILE"}, "文件头"},
        {"project file beyond it, built", "p/p.wgc", projectHead, maxProject + 1, {"build", "FILE"},
         "超过工程文件的上限"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QString::fromUtf8(c.file));
        ASSERT_TRUE(sparseFile(path, c.head, c.size));
        QStringList args = c.args;
        args.replaceInStrings(QStringLiteral("FILE"), path);
        const auto r = runCli(args, 60000);
        const QString err = QString::fromUtf8(r.err);
        if (!c.reason) {
            EXPECT_EQ(r.exitCode, 0) << err.toStdString();
            continue;
        }
        EXPECT_EQ(r.exitCode, 1) << err.toStdString();
        EXPECT_EQ(err.count(QLatin1Char('\n')), 1) << err.toStdString();
        EXPECT_TRUE(err.contains(QString::fromUtf8(c.file))) << err.toStdString();
        EXPECT_TRUE(err.contains(QString::fromUtf8(c.reason))) << err.toStdString();
        EXPECT_EQ(QFileInfo(path).size(), c.size) << "the file was changed";
    }
}

} // namespace

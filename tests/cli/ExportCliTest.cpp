// h5800 export-txt and export-ids, run as a user runs them.

#include "support/TestUtil.h"

#include "common/Gbk.h"
#include "common/Notifier.h"
#include "model/Page.h"
#include "project/Project.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace h5;
using h5test::runCli;

namespace {

class ExportCli : public ::testing::Test
{
protected:
    QTemporaryDir tmp;

    // Page 3, a main page on layer 0 on black: a white line, a button with
    // ID 7, a picture 2 and a string control with ID 5.
    static void writePage(const QString &path)
    {
        Page page;
        page.settings = CTypeGraph(1, 0, 3, 1024, 0, RGB(0, 0, 0));
        CGraph line = h5test::element(Kind::Line, 0, {1, 2}, {3, 4});
        CGraph button = h5test::element(Kind::ButtonCtrl, 7, {20, 20}, {60, 40});
        CGraph bitmap = h5test::element(Kind::Bitmap, 0, {100, 100}, {120, 120});
        bitmap.m_nNumber = 2;
        CGraph str = h5test::element(Kind::StringCtrl, 5, {10, 50}, {40, 60});
        page.elements = {line, button, bitmap, str};
        QString error;
        ASSERT_TRUE(page.save(path, &error)) << error.toStdString();
    }

    QString makeProjectPage(QString *projectDir)
    {
        RecordingNotifier notifier;
        Project project;
        QString error;
        EXPECT_TRUE(Project::create(tmp.path(), QStringLiteral("工程"), 1, project, notifier, &error))
            << error.toStdString();
        *projectDir = project.dir;
        const QString page = project.dir + QStringLiteral("/3.wlp");
        writePage(page);
        return page;
    }
};

const char kText[] = "1b 42 00 00 ff ff ee ff \r\n"
                     "1b 46 ff ff 01 00 02 00 03 00 04 00 ff ff ee ff \r\n"
                     "1b 29 02 00 64 00 64 00 ff ff ee ff \r\n"
                     "1b 53 00 ff ff ee ff \r\n"
                     "1b 50 ff ff ff ff ee ff \r\n";

TEST_F(ExportCli, ProjectPageWritesIntoTheProjectFolder)
{
    QString dir;
    const QString page = makeProjectPage(&dir);

    struct Case { const char *fault; const char *command; QString file; QByteArray expected; };
    const std::vector<Case> cases = {
        {"text export not named N.txt in the project folder", "export-txt", dir + QStringLiteral("/3.txt"),
         QByteArray(kText)},
        {"ID list not named N_ID.txt in the project folder", "export-ids", dir + QStringLiteral("/3_ID.txt"),
         QByteArray::fromStdString(toGbk(QStringLiteral("控件ID编号：\r\n5,\r\n7 \r\n图片编号：\r\n2 \r\n")))},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fault);
        // An older file of that name is replaced.
        QFile old(c.file);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old content that is longer than nothing");
        old.close();
        const auto r = runCli({c.command, page});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(h5test::toHex(h5test::readAll(c.file)), h5test::toHex(c.expected));
        EXPECT_TRUE(QString::fromUtf8(r.out).startsWith(QStringLiteral("保存路径为")));
    }
}

TEST_F(ExportCli, OutputOptionAndLoosePage)
{
    QDir(tmp.path()).mkpath(QStringLiteral("loose"));
    const QString page = tmp.filePath(QStringLiteral("loose/3.wlp"));
    writePage(page);

    auto r = runCli({"export-txt", page});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(h5test::readAll(tmp.filePath(QStringLiteral("loose/3.txt"))), QByteArray(kText));

    const QString out = tmp.filePath(QStringLiteral("ids.txt"));
    r = runCli({"export-ids", page, "-o", out});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(h5test::readAll(out),
              QByteArray::fromStdString(toGbk(QStringLiteral("控件ID编号：\r\n5,\r\n7 \r\n图片编号：\r\n2 \r\n"))));
}

TEST_F(ExportCli, BadInputIsReported)
{
    struct Case { const char *fault; QStringList args; int exit; };
    const QString garbage = tmp.filePath(QStringLiteral("bad.wlp"));
    QFile f(garbage);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("no page");
    f.close();
    const std::vector<Case> cases = {
        {"missing page accepted", {"export-txt", tmp.filePath(QStringLiteral("none.wlp"))}, 1},
        {"unreadable page accepted", {"export-ids", garbage}, 1},
        {"missing page argument accepted", {"export-txt"}, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fault);
        const auto r = runCli(c.args);
        EXPECT_EQ(r.exitCode, c.exit) << r.err.toStdString();
    }
}

} // namespace

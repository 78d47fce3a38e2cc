// The sample project: made, built, and holding every kind the editor makes.

#include "support/TestUtil.h"

#include "model/Page.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <set>

TEST(DemoCliTest, SampleProjectUsesEveryEditorKindAndBuildsClean)
{
    QTemporaryDir dir;
    const auto r = h5test::runCli({"demo", dir.path()});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("编译完成!")) << r.out.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();

    std::set<int> kinds;
    for (int n : {0, 1}) {
        h5::Page page;
        QString error;
        ASSERT_TRUE(page.load(dir.filePath(QStringLiteral("demo/%1.wlp").arg(n)), &error))
            << error.toStdString();
        for (const h5::CGraph &g : page.elements)
            kinds.insert(g.m_nKind);
    }
    const std::set<int> editorKinds = {70, 90, 65, 73, 74, 89, 79, 43, 49, 75, 76,
                                       105, 106, 107, 108, 109, 111};
    for (int k : editorKinds)
        EXPECT_TRUE(kinds.count(k)) << "kind " << k << " missing from the sample";

    // A second run refuses to overwrite the sample it made.
    EXPECT_EQ(h5test::runCli({"demo", dir.path()}).exitCode, 1);
}

// A picture whose file went missing, or that does not decode, is reported
// (exit 3) but keeps its place in the picture data, so the built project
// still goes into a bundle exactly as a download would take it.
TEST(DemoCliTest, ABuildWithABadPictureIsReportedAndStillDownloadable)
{
    struct Case { const char *name; bool remove; QByteArray content; const char *line; };
    const Case cases[] = {
        {"picture file missing", true, {}, "图片lamp_off.bmp丢失!"},
        {"picture file empty", false, {}, "图片lamp_off.bmp渲染失败!"},
        {"picture file not a picture", false, "BM...", "图片lamp_off.bmp渲染失败!"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        ASSERT_EQ(h5test::runCli({"demo", dir.path()}).exitCode, 0);
        const QString picture = dir.filePath(QStringLiteral("demo/图片文件/lamp_off.bmp"));
        if (c.remove)
            ASSERT_TRUE(QFile::remove(picture));
        else
            ASSERT_TRUE(h5test::writeRaw(picture, c.content));
        const auto build = h5test::runCli({"build", dir.filePath(QStringLiteral("demo/demo.wgc"))});
        EXPECT_EQ(build.exitCode, 3) << build.err.toStdString();
        EXPECT_TRUE(QString::fromUtf8(build.out).contains(QString::fromUtf8(c.line))) << build.out.toStdString();
        EXPECT_FALSE(build.out.contains("编译完成")) << build.out.toStdString();

        const auto bundle = h5test::runCli({"bundle", "-o", dir.filePath("all.uwl"), "--project",
                                            dir.filePath(QStringLiteral("demo/demo.wgc")), "--pictures",
                                            dir.filePath(QStringLiteral("demo/图象位置信息.cbm"))});
        EXPECT_EQ(bundle.exitCode, 0) << bundle.err.toStdString();
    }
}

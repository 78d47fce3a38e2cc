// The sample project: made, built, and holding every kind the editor makes.

#include "support/TestUtil.h"

#include "model/Page.h"

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

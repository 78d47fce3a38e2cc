// h5800-sim runs the pages of the project in its flash: after a download,
// h5800 live page 1 makes its screenshot show page 1 exactly as h5800
// preview draws it, and a simulator started on that flash shows page 0.
// Page 1's delay bringing page 0 back is the same terminal code on a
// virtual clock (BuiltinLineTest), so no test waits its five seconds.

#include "port/PortTestSupport.h"
#include "support/SimProcess.h"
#include "support/TestUtil.h"

#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using h5test::runCli;

namespace {

bool sameImage(const QString &a, const QString &b)
{
    const QImage x = QImage(a).convertToFormat(QImage::Format_RGB32);
    const QImage y = QImage(b).convertToFormat(QImage::Format_RGB32);
    return !x.isNull() && x == y;
}

} // namespace

TEST(SimPages, LivePageSwitchShowsThePageAndStartUpShowsPageZero)
{
    H5_UNIX_ONLY("pseudo-terminal and h5800-sim");
    QTemporaryDir tmp;
    auto r = runCli({"demo", tmp.path()});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString wgc = tmp.filePath("demo/demo.wgc");
    const QString cbm = tmp.filePath(QStringLiteral("demo/图象位置信息.cbm"));
    const QString page0 = tmp.filePath("p0.png"), page1 = tmp.filePath("p1.png");
    ASSERT_EQ(runCli({"preview", wgc, "--page", "0", "-o", page0}).exitCode, 0);
    ASSERT_EQ(runCli({"preview", wgc, "--page", "1", "-o", page1}).exitCode, 0);

    const QString simDir = tmp.filePath("sim");
    ASSERT_TRUE(QDir().mkpath(simDir));
    const QString shot = tmp.filePath("screen.png");
    {
        h5test::SimProcess sim(simDir, {"--screenshot", shot});
        ASSERT_TRUE(sim.ok());
        r = runCli({"download", "--port", sim.port(), "--project", wgc, "--pictures", cbm});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        r = runCli({"live", "--port", sim.port(), "page", "1"});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_TRUE(h5test::waitFor([&] { return sameImage(shot, page1); }, 20000));
    }
    QFile::remove(shot);
    h5test::SimProcess again(simDir, {"--screenshot", shot});
    ASSERT_TRUE(again.ok());
    EXPECT_TRUE(h5test::waitFor([&] { return sameImage(shot, page0); }, 20000));
}

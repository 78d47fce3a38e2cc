// h5800-sim's control FIFO takes the steps of a screen test: bytes taken as
// the controller's, a wait holding the lines after it, the checks told on
// stderr, passed and failed, and a failing screen check writing the actual
// and difference pictures.

#include "port/PortTestSupport.h"
#include "support/SimProcess.h"
#include "support/TestUtil.h"
#include "support/UnixOnly.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(SimSteps, ControlLinesTakeTheScreenTestStepsAndTellTheirResults)
{
    H5_UNIX_ONLY("pseudo-terminal and h5800-sim");
    QTemporaryDir tmp;
    // A 10 x 10 red corner, the colour of fill F800.
    QImage red(10, 10, QImage::Format_RGB32);
    red.fill(qRgb(255, 0, 0));
    ASSERT_TRUE(red.save(tmp.filePath("red.png")));
    QImage blue = red;
    blue.setPixel(3, 4, qRgb(0, 0, 255));
    ASSERT_TRUE(blue.save(tmp.filePath("one-blue.png")));

    h5test::SimProcess sim(tmp.path(), {}, true);
    ASSERT_TRUE(sim.ok());
    const QByteArray redPath = QFile::encodeName(tmp.filePath("red.png"));
    const QByteArray bluePath = QFile::encodeName(tmp.filePath("one-blue.png"));
    ASSERT_TRUE(sim.control("host 1b 42 00 f8 ff ff ee ff\n"
                            "wait 300\n"
                            "expect-screen " + redPath + " 0 0 10 10\n"
                            "expect-sent\n"
                            "expect-page 3\n"
                            "expect-screen " + bluePath + " 0 0 10 10\n"
                            "wait -1\n"));
    QByteArray said;
    const auto has = [&](const char *text) { return said.contains(text); };
    EXPECT_TRUE(h5test::waitFor(
        [&] {
            said += sim.process().readAllStandardError();
            // The refused wait is the last line told.
            return has("one-blue.png 失败") && has("3600000");
        },
        20000))
        << said.toStdString();
    const QString text = QString::fromUtf8(said);
    EXPECT_TRUE(text.contains(QStringLiteral("control: expect-screen %1 通过").arg(tmp.filePath("red.png"))))
        << said.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("control: expect-sent 通过"))) << said.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("control: expect-page 3 失败：显示的页面是 （无）"))) << said.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("1 个像素不同，第一个在 (3, 4)"))) << said.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("control: “-1”不是 0 到 3600000 之间的整数"))) << said.toStdString();
    // Beside the reference.
    EXPECT_FALSE(QImage(tmp.filePath("one-blue.diff.png")).isNull());
    EXPECT_FALSE(QImage(tmp.filePath("one-blue.actual.png")).isNull());
}

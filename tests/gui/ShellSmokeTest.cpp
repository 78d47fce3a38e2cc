// The real desktop app under a virtual X server (tests/gui/smoke.sh): it
// starts on the demo project, opens all pages, draws them and quits by
// itself after saving a screenshot. Skipped where xvfb-run is missing.

#include "support/TestUtil.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(ShellSmokeTest, StudioStartsOnTheDemoProjectAndShowsItsPages)
{
    if (QStandardPaths::findExecutable(QStringLiteral("xvfb-run")).isEmpty())
        GTEST_SKIP() << "xvfb-run is not installed";
    const QString buildDir = QFileInfo(QStringLiteral(H5_CLI_PATH)).absolutePath();
    const QString studio = buildDir + QStringLiteral("/h5800-studio");
    if (!QFileInfo(studio).isExecutable())
        GTEST_SKIP() << "h5800-studio is not built";
    const QString script = QDir(QStringLiteral(H5_FIXTURES_DIR)).filePath(QStringLiteral("../gui/smoke.sh"));

    QTemporaryDir dir;
    const QString shot = dir.filePath(QStringLiteral("studio.png"));
    QProcess run;
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.start(QStringLiteral("bash"), {script, buildDir, shot});
    // The script stops the app itself after 90 s; this is the outer bound.
    const bool finished = run.waitForFinished(150000);
    if (!finished) {
        run.kill();
        run.waitForFinished();
    }
    const QByteArray output = run.readAll();
    ASSERT_TRUE(finished) << output.toStdString();
    if (run.exitCode() == 77)
        GTEST_SKIP() << output.toStdString();
    ASSERT_EQ(run.exitCode(), 0) << output.toStdString();

    QImage image;
    ASSERT_TRUE(image.load(shot)) << output.toStdString();
    EXPECT_GE(image.width(), 800);
    EXPECT_GE(image.height(), 480);
    // The last page opened (page 1 of the demo) lies on top: its black
    // background and the face of its "返回" button show as solid patches.
    auto hasPatch = [&image](QColor colour, int size) {
        for (int y0 = 0; y0 + size <= image.height(); y0 += 5)
            for (int x0 = 0; x0 + size <= image.width(); x0 += 5) {
                bool solid = true;
                for (int y = y0; solid && y < y0 + size; ++y)
                    for (int x = x0; solid && x < x0 + size; ++x)
                        solid = image.pixelColor(x, y) == colour;
                if (solid)
                    return true;
            }
        return false;
    };
    EXPECT_TRUE(hasPatch(QColor(0, 0, 0), 40)) << "no page background in " << shot.toStdString();
    EXPECT_TRUE(hasPatch(QColor(212, 208, 200), 15)) << "no button face in " << shot.toStdString();
}

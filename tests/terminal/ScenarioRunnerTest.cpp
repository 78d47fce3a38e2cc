// Screen tests run on the demo project: each step kind in a scenario that
// passes and in one that fails with its message; a screen that differs in
// one pixel fails naming that pixel, with the actual and the difference
// pictures written beside the scenario; what cannot run (a point or a
// rectangle off the screen, a missing host file, a damaged reference) is
// refused with its line before any step runs.

#include "support/TestUtil.h"

#include "terminal/ScenarioRunner.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using h5::ScenarioResult;
using h5test::runCli;
using Outcome = h5::ScenarioResult::Outcome;

namespace {

// The demo project and references drawn by h5800 preview, which draws a
// page on a black screen as the terminal does at power-on.
struct Bench
{
    QTemporaryDir dir;
    QString wgc;
    QImage page0, page1;
    Bench()
    {
        auto r = runCli({"demo", dir.path()});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        wgc = dir.filePath("demo/demo.wgc");
        for (int page : {0, 1}) {
            const QString png = dir.filePath(QStringLiteral("p%1.png").arg(page));
            r = runCli({"preview", wgc, "--page", QString::number(page), "-o", png});
            EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
            (page ? page1 : page0) = QImage(png).convertToFormat(QImage::Format_RGB32);
        }
        // Page 0 with one pixel one green level off, and a corner of it.
        QImage off = page0;
        const QRgb c = off.pixel(123, 45);
        off.setPixel(123, 45, qRgb(qRed(c), qGreen(c) >= 128 ? qGreen(c) - 4 : qGreen(c) + 4, qBlue(c)));
        EXPECT_TRUE(off.save(dir.filePath("p0-one-pixel.png")));
        EXPECT_TRUE(page0.copy(100, 240, 200, 100).save(dir.filePath("p0-shapes.png")));
        EXPECT_TRUE(off.copy(100, 20, 50, 50).save(dir.filePath("p0-corner-off.png")));
        EXPECT_TRUE(h5test::writeRaw(dir.filePath("page1.bin"), h5test::hex("1b 50 01 00 ff ff ee ff")));
        EXPECT_TRUE(h5test::writeRaw(dir.filePath("broken.png"), "not a picture"));
    }

    ScenarioResult run(const QString &name, const QByteArray &steps, bool update = false)
    {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(h5test::writeRaw(path, "project demo/demo.wgc\n" + steps));
        h5::ScenarioOptions options;
        options.update = update;
        return h5::runScenarioFile(path, options);
    }
};

Bench &bench()
{
    static Bench b;
    return b;
}

const char *const kPage1 = "host 1b 50 01 00 ff ff ee ff\n";

struct Case
{
    const char *name;
    QByteArray steps;
    Outcome outcome;
    int line;          // the line at fault (the project line is 1)
    const char *says;  // part of the message
};

void runCases(const std::vector<Case> &cases)
{
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const ScenarioResult r = bench().run(QStringLiteral("case.scenario"), c.steps);
        EXPECT_EQ(int(r.outcome), int(c.outcome)) << r.where().toStdString();
        EXPECT_EQ(r.line, c.line) << r.where().toStdString();
        EXPECT_TRUE(r.message.contains(QString::fromUtf8(c.says))) << r.message.toStdString();
    }
}

} // namespace

TEST(ScenarioRunner, EachStepKindPasses)
{
    const QByteArray page1(kPage1);
    runCases({
        {"start shows page 0 and sends nothing", "start\nexpect-page 0\nexpect-sent\nexpect-screen p0.png\n",
         Outcome::Passed, 0, ""},
        {"touch reports the point, release sends no break code by default",
         "start\ntouch 10 276\nexpect-sent fe fe 0a 00 14 01\nrelease\nexpect-sent\n", Outcome::Passed, 0, ""},
        {"a page switch from the controller", "start\n" + page1 + "expect-sent\nexpect-page 1\nexpect-screen p1.png\n",
         Outcome::Passed, 0, ""},
        {"the same bytes from a file", "start\nhost-file page1.bin\nexpect-page 1\nexpect-screen p1.png\n",
         Outcome::Passed, 0, ""},
        {"a frame the terminal acknowledges", "start\nhost aa\nexpect-sent 33\n", Outcome::Passed, 0, ""},
        {"page 1's delay of 5 s brings page 0 back",
         "start\n" + page1 + "wait 4999\nexpect-page 1\nwait 1\nexpect-page 0\nexpect-screen p0.png\n",
         Outcome::Passed, 0, ""},
        {"continuous touch with break code every 100 ms",
         "start\nhost 1b 20 03 ff ff ee ff 1b 21 05 00 ff ff ee ff\nexpect-sent\ntouch 1 2\nwait 250\n"
         "release\nexpect-sent fe fe 01 00 02 00 fe fe 01 00 02 00 fe fe 01 00 02 00 fe f0 01 00 02 00\n",
         Outcome::Passed, 0, ""},
        {"a rectangle of the screen", "start\nexpect-screen p0-shapes.png 100 240 200 100\n", Outcome::Passed, 0, ""},
        {"a pixel one level off within tolerance 1",
         "start\nexpect-screen p0-corner-off.png 100 20 50 50 tolerance 1\n", Outcome::Passed, 0, ""},
        {"start again powers on", "start\n" + page1 + "start\nexpect-page 0\nexpect-screen p0.png\n",
         Outcome::Passed, 0, ""},
    });
}

TEST(ScenarioRunner, EachStepKindFailsWithItsMessage)
{
    const QByteArray page1(kPage1);
    runCases({
        {"expect-page after start", "start\nexpect-page 1\n", Outcome::Failed, 3, "显示的页面是 0，应为 1"},
        {"a touch at another point",
         "start\ntouch 10 20\nexpect-sent fe fe 0a 00 14 01\n", Outcome::Failed, 4,
         "终端发出的字节不符：应为 fe fe 0a 00 14 01，实为 fe fe 0a 00 14 00"},
        {"nothing expected, a touch sent", "start\ntouch 1 1\nrelease\nexpect-sent\n", Outcome::Failed, 5,
         "应为 （无），实为 fe fe 01 00 01 00"},
        {"a break code expected in mode 0",
         "start\ntouch 1 1\nexpect-sent fe fe 01 00 01 00\nrelease\nexpect-sent fe f0 01 00 01 00\n",
         Outcome::Failed, 6, "实为 （无）"},
        {"the page switch not sent", "start\nhost 1b 50 07 00 ff ff ee ff\nexpect-page 1\n", Outcome::Failed, 4,
         "显示的页面是 0，应为 1"},
        {"host-file of another page", "start\nhost-file page1.bin\nexpect-page 0\n", Outcome::Failed, 4,
         "显示的页面是 1，应为 0"},
        {"not waited long enough", "start\n" + page1 + "wait 4999\nexpect-page 0\n", Outcome::Failed, 5,
         "显示的页面是 1，应为 0"},
        {"another page on the screen", "start\nexpect-screen p1.png\n", Outcome::Failed, 3,
         "画面与参考图片"},
        {"a rectangle of another size", "start\nexpect-screen p0.png 0 0 10 10\n", Outcome::Failed, 3,
         "为 800x480，比较的画面为 10x10"},
        {"a pixel one level off without tolerance", "start\nexpect-screen p0-corner-off.png 100 20 50 50\n",
         Outcome::Failed, 3, "1 个像素不同，第一个在 (123, 45)"},
        {"a missing reference", "start\nexpect-screen missing.png\n", Outcome::Failed, 3,
         "参考图片不存在"},
    });
}

TEST(ScenarioRunner, WhatCannotRunIsRefusedWithItsLineBeforeAnyStep)
{
    runCases({
        {"a touch off the screen", "start\nexpect-page 0\ntouch 800 0\n", Outcome::Refused, 4,
         "触摸点 (800, 0) 不在 800x480 的屏幕上"},
        {"a touch off a smaller screen", "size 480x272\nstart\ntouch 10 272\n", Outcome::Refused, 4,
         "不在 480x272 的屏幕上"},
        {"a rectangle off the screen", "start\nexpect-screen p0.png 700 400 200 100\n", Outcome::Refused, 3,
         "区域 700 400 200 100 超出 800x480 的屏幕"},
        {"a host file that is not there", "start\nhost-file none.bin\n", Outcome::Refused, 3,
         "host-file 无法读取"},
        {"a reference that is no picture", "start\nexpect-screen broken.png\n", Outcome::Refused, 3,
         "参考图片无法读取"},
        {"a wrong argument", "start\nwait soon\n", Outcome::Refused, 3, "“soon”不是"},
    });
    // Refused before any step: nothing ran, so the missing reference of a
    // later line was not written as an actual picture.
    const ScenarioResult r =
        bench().run(QStringLiteral("late.scenario"), "start\nexpect-screen late.png\ntouch 900 1\n");
    EXPECT_EQ(r.outcome, Outcome::Refused);
    EXPECT_EQ(r.stepsRun, 0);
    EXPECT_FALSE(QFile::exists(bench().dir.filePath("late.actual.png")));
}

TEST(ScenarioRunner, OnePixelOffFailsNamingThePixelAndWritesActualAndDifferencePictures)
{
    Bench &b = bench();
    const ScenarioResult r = b.run(QStringLiteral("pixel.scenario"), "start\nexpect-screen p0-one-pixel.png\n");
    ASSERT_EQ(r.outcome, Outcome::Failed) << r.where().toStdString();
    EXPECT_EQ(r.line, 3);
    const QRgb want = QImage(b.dir.filePath("p0-one-pixel.png")).pixel(123, 45);
    const QRgb got = b.page0.pixel(123, 45);
    const auto hex565 = [](QRgb c) {
        const uint16_t v = uint16_t(((qRed(c) >> 3) << 11) | ((qGreen(c) >> 2) << 5) | (qBlue(c) >> 3));
        return QStringLiteral("0x") + QString::number(v, 16).toUpper().rightJustified(4, '0');
    };
    EXPECT_TRUE(r.message.contains(QStringLiteral("1 个像素不同，第一个在 (123, 45)，应为 %1，实为 %2")
                                       .arg(hex565(want), hex565(got))))
        << r.message.toStdString();

    const QString actual = b.dir.filePath("p0-one-pixel.actual.png");
    const QString diff = b.dir.filePath("p0-one-pixel.diff.png");
    EXPECT_EQ(r.written, QStringList({actual, diff}));
    EXPECT_TRUE(r.message.contains(actual) && r.message.contains(diff)) << r.message.toStdString();
    EXPECT_EQ(QImage(actual).convertToFormat(QImage::Format_RGB32), b.page0);
    const QImage d = QImage(diff).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(d.size(), QSize(800, 480));
    int red = 0;
    for (int y = 0; y < d.height(); ++y)
        for (int x = 0; x < d.width(); ++x)
            red += d.pixel(x, y) == qRgb(255, 0, 0);
    EXPECT_EQ(red, 1);
    EXPECT_EQ(d.pixel(123, 45), qRgb(255, 0, 0));
}

// With update a missing reference is written from the screen once; an
// existing one that differs fails as without it and is left alone.
TEST(ScenarioRunner, UpdateWritesAMissingReferenceOnceAndNeverReplacesOne)
{
    Bench &b = bench();
    const QString ref = b.dir.filePath("made-by-update.png");
    ScenarioResult r = b.run(QStringLiteral("update.scenario"), "start\nexpect-screen made-by-update.png\n", true);
    ASSERT_EQ(r.outcome, Outcome::Passed) << r.where().toStdString();
    EXPECT_EQ(r.written, QStringList{ref});
    EXPECT_EQ(QImage(ref).convertToFormat(QImage::Format_RGB32), b.page0);
    const QByteArray written = h5test::readAll(ref);

    r = b.run(QStringLiteral("update.scenario"), "start\nexpect-screen made-by-update.png\n", true);
    EXPECT_EQ(r.outcome, Outcome::Passed);
    EXPECT_TRUE(r.written.isEmpty());

    r = b.run(QStringLiteral("update.scenario"), QByteArray("start\n") + kPage1 + "expect-screen made-by-update.png\n",
              true);
    EXPECT_EQ(r.outcome, Outcome::Failed);
    EXPECT_TRUE(r.message.contains("不符")) << r.message.toStdString();
    EXPECT_EQ(h5test::readAll(ref), written);
}

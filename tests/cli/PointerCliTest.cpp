// h5800 pointer make / show / preview, run as a user runs them.

#include "support/TestUtil.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using h5test::hex;
using h5test::pointerFileBytes;
using h5test::writeRaw;
using h5test::readAll;
using h5test::runCli;
using h5test::toHex;

TEST(PointerCli, MakeWritesTheMakersBytes)
{
    QTemporaryDir dir;
    struct Case { const char *fault; QStringList options; const char *name; const char *numbers; };
    const Case cases[] = {
        {"numbers in the wrong byte order", {"--length", "20", "--tip", "5", "--start", "0", "--end", "180"},
         "Len(20,5); 0?-180", "0014 0005 0000 00B4 FF 00"},
        {"negative angle stored unsigned", {"--length", "20", "--tip", "0", "--start", "-45", "--end", "45"},
         "Len(20,0); -45?-45", "0014 0000 FFD3 002D FF 00"},
        {"options taken in the wrong order", {"--end=90", "--start=10", "--tip=3", "--length=40"},
         "Len(40,3); 10?-90", "0028 0003 000A 005A FF 00"},
        {"defaults differ from the form's initial numbers", {}, "Len(20,0); 0?-180", "0014 0000 0000 00B4 FF 00"},
    };
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fault);
        const QString path = dir.filePath(QStringLiteral("p%1.MGL").arg(n++));
        const auto r = runCli(QStringList{"pointer", "make", path} + c.options);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(toHex(readAll(path)), toHex(pointerFileBytes(c.name, c.numbers)));
    }
}

TEST(PointerCli, ShowPrintsEveryField)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("hand.MGL"));
    ASSERT_TRUE(writeRaw(path, pointerFileBytes("hand made", "0190 000A FFD3 FE98 10 00")));
    const auto r = runCli({"pointer", "show", path});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.toStdString(),
              "name: hand made\nlength: 400\ntip: 10\nstart: -45\nend: -360\npositions: 16\n");
}

TEST(PointerCli, MadeFileShowsItsNumbers)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("round.MGL"));
    ASSERT_EQ(runCli({"pointer", "make", path, "--length", "33", "--tip", "4", "--start", "-90", "--end", "270"}).exitCode, 0);
    const auto r = runCli({"pointer", "show", path});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.toStdString(),
              "name: Len(33,4); -90?-270\nlength: 33\ntip: 4\nstart: -90\nend: 270\npositions: 255\n");
}

TEST(PointerCli, BadFilesAndNumbersAreRefused)
{
    QTemporaryDir dir;
    const QString shortPath = dir.filePath(QStringLiteral("short.MGL"));
    ASSERT_TRUE(writeRaw(shortPath, pointerFileBytes("s", "0014 0005 0000").left(40)));
    const QString out = dir.filePath(QStringLiteral("out.MGL"));
    struct Case { const char *fault; QStringList args; int exit; const char *message; };
    const Case cases[] = {
        {"short file shown as zeros", {"pointer", "show", shortPath}, 1, "40字节"},
        {"missing file not reported", {"pointer", "show", dir.filePath(QStringLiteral("none.MGL"))}, 1, "none.MGL"},
        {"length over 16 bits wrapped", {"pointer", "make", out, "--length", "70000"}, 2, "full length"},
        {"negative tip cut wrapped", {"pointer", "make", out, "--tip", "-1"}, 2, "tip cut"},
        {"word taken as a number", {"pointer", "make", out, "--start", "left"}, 2, "--start"},
        {"missing output accepted", {"pointer", "make", "--length", "20"}, 2, ""},
        {"unwritable folder not reported", {"pointer", "make", dir.filePath(QStringLiteral("no/such/dir/x.MGL"))}, 1, "x.MGL"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fault);
        const auto r = runCli(c.args);
        EXPECT_EQ(r.exitCode, c.exit) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(out)) << "a refused make must not leave a file";
}

TEST(PointerCli, PreviewDrawsTheNeedles)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.MGL"));
    ASSERT_TRUE(writeRaw(path, pointerFileBytes("p", "0014 0005 0000 00B4 FF 00")));
    const QString png = dir.filePath(QStringLiteral("p.png"));
    const auto r = runCli({"pointer", "preview", path, "--output", png, "--width", "300", "--height", "200", "--scale"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QImage image(png);
    ASSERT_EQ(image.size(), QSize(300, 200));
    EXPECT_EQ(image.pixelColor(0, 0), QColor(73, 73, 73));
    EXPECT_EQ(image.pixelColor(135, 100), QColor(Qt::white)) << "start needle";
    EXPECT_EQ(image.pixelColor(150, 85), QColor(Qt::white)) << "90 degrees of the sweep";
}

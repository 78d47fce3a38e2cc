// h5800 live and h5800 fonts wzk end to end: the exact bytes that arrive on
// a pseudo-terminal the test holds for every command, the realtime picture
// answered by the test, the refused commands that send nothing (and never
// open the port), and the .wzk file against the core's font bytes.

#include "port/PortTestSupport.h"
#include "support/SimProcess.h"
#include "support/TestUtil.h"

#include "link/LiveCommands.h"
#include "terminal/LiveMirror.h"
#include "pictures/PictureConvert.h"

#include <QDir>
#include <QDeadlineTimer>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#ifndef Q_OS_WIN
#include <unistd.h>
#endif

using h5test::hex;
using h5test::toHex;

namespace {

struct LiveRun
{
    int exitCode = -1;
    QByteArray err;
    QByteArray wire; // what arrived at the terminal's end
};

// Runs h5800 with `args` while reading the terminal's end of `pty`. With
// `answer` set, that byte is written back once `answerAfter` bytes came.
LiveRun runWithPty(h5test::PtyPair &pty, const QStringList &args, int answerAfter = -1, char answer = 'U')
{
    QProcess p;
    p.setProgram(QStringLiteral(H5_CLI_PATH));
    p.setArguments(args);
    p.start();
    LiveRun r;
    bool answered = false;
    QDeadlineTimer deadline(60000);
    while (!p.waitForFinished(5)) {
        r.wire += pty.readNow();
        if (answerAfter >= 0 && !answered && r.wire.size() >= answerAfter) {
            answered = true;
            pty.write(QByteArray(1, answer));
        }
        if (deadline.hasExpired() || p.state() == QProcess::NotRunning)
            break;
    }
    if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished();
        r.exitCode = -2;
    } else {
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -3;
    }
    r.wire += pty.readNow();
    r.err = p.readAllStandardError();
    return r;
}

LiveRun live(h5test::PtyPair &pty, const QStringList &command)
{
    return runWithPty(pty, QStringList{"live", "--port", pty.device()} + command);
}

struct SentCase
{
    const char *name;
    QStringList command;
    const char *bytes;
};

TEST(LiveCli, EveryCommandWritesItsFrameAndNothingElse)
{
    H5_UNIX_ONLY("pseudo-terminal and h5800-sim");
    h5test::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    const QString x300(300, QLatin1Char('x'));
    const SentCase cases[] = {
        {"picture", {"picture", "5"}, "1B 29 05 00 00 00 00 00 FF FF EE FF"},
        {"page", {"page", "300"}, "1B 50 2C 01 FF FF EE FF"},
        {"clear on the initial blue", {"clear"}, "1B 42 1F 00 FF FF EE FF"},
        {"clear on red", {"clear", "--bg", "#FF0000"}, "1B 42 00 F8 FF FF EE FF"},
        {"backlight", {"backlight", "63"}, "1B 64 3F FF FF EE FF"},
        {"layer", {"layer", "1", "--resolution", "800x480"}, "1B 40 01 FF FF EE FF"},
        {"layer of a one-layer resolution is not checked", {"layer", "3", "--resolution", "1024X768"},
         "1B 40 03 FF FF EE FF"},
        {"calibrate", {"calibrate"}, "1B 38 FF FF EE FF"},
        {"point with the initial end point", {"point", "1", "2"},
         "1B 47 FF FF 01 00 02 00 00 00 00 00 FF FF EE FF"},
        {"line, colour rounded", {"line", "0", "0", "-1", "300", "--color", "#040204"},
         "1B 46 21 08 00 00 00 00 FF FF 2C 01 FF FF EE FF"},
        {"rect", {"rect", "1", "2", "3", "4"}, "1B 5A FF FF 01 00 02 00 03 00 04 00 FF FF EE FF"},
        {"fill-rect example", {"fill-rect", "10", "20", "110", "70"},
         "1B 41 FF FF 0A 00 14 00 6E 00 46 00 FF FF EE FF"},
        {"ellipse example", {"ellipse", "0", "0", "5", "3"}, "1B 49 FF FF 02 00 01 00 02 00 01 00 FF FF EE FF"},
        {"fill-ellipse", {"fill-ellipse", "10", "10", "21", "30", "--color", "#0000FF"},
         "1B 4A 1F 00 0F 00 14 00 05 00 0A 00 FF FF EE FF"},
        {"circle of radius 5", {"circle", "100", "100", "5", "--color", "#00FF00"},
         "1B 59 E0 07 64 00 64 00 05 00 FF FF EE FF"},
        {"fill-circle", {"fill-circle", "7", "8", "300"}, "1B 4F FF FF 07 00 08 00 2C 01 FF FF EE FF"},
        {"text with the initial style", {"text", "10", "20", "Ab中"},
         "1B 23 FF FF 00 00 1F 00 0A 00 14 00 00 20 41 62 D6 D0 FF FF EE FF"},
        {"text with every option",
         {"text", "1", "2", "A", "--size", "48", "--face", "黑体", "--mode", "1", "--colsp", "300", "--rowsp", "7",
          "--color", "#FF0000", "--text-bg", "#000000"},
         "1B 23 00 F8 2C 07 00 00 01 00 02 00 01 62 41 FF FF EE FF"},
        {"touch-mode continuous with break code, interval 5",
         {"touch-mode", "continuous", "--break-code", "--interval", "5"},
         "1B 20 03 FF FF EE FF 1B 21 05 00 FF FF EE FF"},
        {"touch-mode continuous, interval 1", {"touch-mode", "continuous"},
         "1B 20 02 FF FF EE FF 1B 21 01 00 FF FF EE FF"},
        {"touch-mode single with break code", {"touch-mode", "single", "--break-code"}, "1B 20 01 FF FF EE FF"},
        {"copy on 800X480", {"copy", "--resolution", "800X480", "--from-layer", "1", "--to-layer", "0", "1", "2", "3",
                             "4", "5", "6"},
         "1B 40 04 FF FF EE FF 1B 28 01 00 02 00 03 00 04 00 05 00 06 00 FF FF EE FF"},
        {"copy on 1024X768", {"copy", "--resolution", "1024x768", "1", "2", "3", "4", "5", "6"},
         "1B 28 01 00 02 00 03 00 04 00 05 00 06 00 FF FF EE FF"},
        {"hex text", {"hex", "1b 64 3F ff ff ee FF"}, "1B 64 3F FF FF EE FF"},
    };
    for (const SentCase &c : cases) {
        SCOPED_TRACE(c.name);
        const LiveRun r = live(pty, c.command);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(toHex(r.wire), toHex(hex(c.bytes)));
    }
    // The 255-byte text.
    const LiveRun r = live(pty, {"text", "0", "0", QString(255, QLatin1Char('x'))});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.wire.size(), 273);
}

struct RefusedCase
{
    const char *name;
    QStringList command;
    QString message;
};

TEST(LiveRefusedCli, RefusedCommandsSayWhyAndNeverOpenThePort)
{
    H5_UNIX_ONLY("pseudo-terminal and h5800-sim");
    QTemporaryDir dir;
    const QString lone = dir.filePath(QStringLiteral("lone.txt"));
    ASSERT_TRUE(h5test::writeRaw(lone, "1b 64 3f f"));
    const RefusedCase cases[] = {
        {"rectangle backwards", {"rect", "50", "10", "40", "90"}, QStringLiteral("坐标设置错误。")},
        {"filled ellipse upwards", {"fill-ellipse", "0", "10", "5", "3"}, QStringLiteral("坐标设置错误。")},
        {"text of 256 bytes", {"text", "0", "0", QString(256, QLatin1Char('x'))}, QStringLiteral("文本过长。")},
        {"text of 128 Chinese characters", {"text", "0", "0", QString(128, QChar(0x4E2D))},
         QStringLiteral("文本过长。")},
        {"text GBK lacks", {"text", "0", "0", QStringLiteral("a\u0E01")}, QStringLiteral("U+0E01")},
        {"layer 2 on two layers", {"layer", "2", "--resolution", "800X480"}, QStringLiteral("此分辨率为两层叠加")},
        {"layer 4 on four layers", {"layer", "4", "--resolution", "272x480"}, QStringLiteral("此分辨率为四层叠加")},
        {"copy from layer 2 on two layers",
         {"copy", "--resolution", "640x480", "--from-layer", "2", "0", "0", "1", "1", "0", "0"},
         QStringLiteral("此分辨率为两层叠加")},
        {"touch interval 0", {"touch-mode", "continuous", "--interval", "0"},
         QStringLiteral("请填入一个在1和65535之间的整数。")},
        {"touch interval 65536", {"touch-mode", "continuous", "--interval", "65536"},
         QStringLiteral("请填入一个在1和65535之间的整数。")},
        {"hex text of 1501 characters", {"hex", QString(1501, QLatin1Char('a'))}, QStringLiteral("指令过长！")},
        {"hex text with a lone digit", {"hex", "12 3 45"}, QStringLiteral("第4个字符")},
        {"lone digit counted in characters", {"hex", QStringLiteral("中文 12 3")}, QStringLiteral("第7个字符")},
        {"hex file with a lone digit", {"hex", "--file", lone}, lone + QStringLiteral(": 第10个字符")},
        {"picture that cannot be opened", {"show-image", dir.filePath("none.png")}, QStringLiteral("无法打开图片")},
    };
    // The port named does not exist: a refused command never gets to it.
    const QString noPort = dir.filePath(QStringLiteral("no-such-port"));
    for (const RefusedCase &c : cases) {
        SCOPED_TRACE(c.name);
        const h5test::CliResult r = h5test::runCli(QStringList{"live", "--port", noPort} + c.command);
        EXPECT_EQ(r.exitCode, 1);
        const QString err = QString::fromUtf8(r.err);
        EXPECT_TRUE(err.contains(c.message)) << err.toStdString();
        EXPECT_FALSE(err.contains(QStringLiteral("no-such-port"))) << err.toStdString();
        EXPECT_EQ(err.count(QLatin1Char('\n')), 1) << err.toStdString();
    }
    // And on a port that is there, nothing arrives.
    h5test::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    for (const RefusedCase &c : cases) {
        SCOPED_TRACE(c.name);
        const LiveRun r = live(pty, c.command);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.wire.isEmpty()) << toHex(r.wire);
    }
}

TEST(LiveRefusedCli, ShapesWithNothingToDrawSendNothingWithoutAFault)
{
    H5_UNIX_ONLY("pseudo-terminal and h5800-sim");
    h5test::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    const QStringList commands[] = {{"rect", "50", "10", "50", "90"}, {"fill-ellipse", "1", "5", "9", "5"},
                                    {"circle", "3", "3", "0"}};
    for (const QStringList &c : commands) {
        SCOPED_TRACE(c.join(' ').toStdString());
        const LiveRun r = live(pty, c);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_TRUE(r.wire.isEmpty());
    }
}

TEST(LiveRefusedCli, WrongArgumentsAreUsageErrors)
{
    const QStringList cases[] = {
        {"live", "--port", "/dev/null", "dance"},
        {"live", "picture", "5"},
        {"live", "--port", "/dev/null", "backlight", "64"},
        {"live", "--port", "/dev/null", "layer", "1"},
        {"live", "--port", "/dev/null", "layer", "1", "--resolution", "801x480"},
        {"live", "--port", "/dev/null", "text", "0", "0", "A", "--size", "48", "--face", "仿宋"},
        {"live", "--port", "/dev/null", "text", "0", "0", "A", "--size", "8", "--face", "黑体"},
        {"live", "--port", "/dev/null", "clear", "--bg", "red"},
        {"live", "--port", "/dev/null", "line", "0", "0", "1"},
        {"live", "--port", "/dev/null", "touch-mode", "single", "--interval", "5"},
        {"fonts", "wzk", "out.wzk"},
    };
    for (const QStringList &args : cases) {
        SCOPED_TRACE(args.join(' ').toStdString());
        EXPECT_EQ(h5test::runCli(args).exitCode, 2);
    }
}

TEST(LiveCli, HexFileOfMoreThanOneChunkArrivesWhole)
{
    H5_UNIX_ONLY("pseudo-terminal and h5800-sim");
    h5test::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    QTemporaryDir dir;
    QByteArray bytes;
    for (int i = 0; i < 7000; ++i)
        bytes.append(char(i * 7 + 3));
    const QString path = dir.filePath(QStringLiteral("cmd.txt"));
    ASSERT_TRUE(h5test::writeRaw(path, bytes.toHex(' ').toUpper()));
    const LiveRun r = live(pty, {"hex", "--file", path});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.wire.size(), bytes.size());
    EXPECT_TRUE(r.wire == bytes);
}

QString makeImage(const QString &path, int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(x * 5 & 0xFF, y * 9 & 0xFF, (x ^ y) & 0xFF));
    EXPECT_TRUE(img.save(path));
    return path;
}

TEST(LiveCli, ShowImageSendsTheHeaderThenThePixelsAfterTheTerminalsU)
{
    H5_UNIX_ONLY("pseudo-terminal and h5800-sim");
    h5test::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    QTemporaryDir dir;
    const QString image = makeImage(dir.filePath(QStringLiteral("p.png")), 100, 50);
    QByteArray pixels;
    ASSERT_TRUE(h5::convertPicture(image, 100, 50, pixels));
    ASSERT_EQ(pixels.size(), 10000);

    const LiveRun r = runWithPty(pty, {"live", "--port", pty.device(), "show-image", image, "--x", "300", "--y", "2"},
                                 /*answerAfter=*/14);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(toHex(r.wire.left(14)), toHex(hex("1B 24 2C 01 02 00 64 00 32 00 FF FF EE FF")));
    EXPECT_EQ(r.wire.size(), 14 + 10000);
    EXPECT_TRUE(r.wire.mid(14) == pixels);
    EXPECT_TRUE(QString::fromUtf8(r.err).contains(QStringLiteral("下载完毕"))) << r.err.toStdString();
}

TEST(LiveCli, ShowImageAnsweredWrongSendsNoPixels)
{
    H5_UNIX_ONLY("pseudo-terminal and h5800-sim");
    h5test::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    QTemporaryDir dir;
    const QString image = makeImage(dir.filePath(QStringLiteral("p.png")), 20, 10);
    const LiveRun r =
        runWithPty(pty, {"live", "--port", pty.device(), "show-image", image}, /*answerAfter=*/14, 'x');
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(toHex(r.wire), toHex(hex("1B 24 00 00 00 00 14 00 0A 00 FF FF EE FF")));
    EXPECT_TRUE(QString::fromUtf8(r.err).contains(QStringLiteral("串口连接错误3!"))) << r.err.toStdString();
}

// The RGB565 value of a screenshot pixel (channels widened by bit
// replication, so the top bits are the terminal's).
uint16_t pixel565(const QImage &img, int x, int y)
{
    const QRgb c = img.pixel(x, y);
    return uint16_t(((qRed(c) >> 3) << 11) | ((qGreen(c) >> 2) << 5) | (qBlue(c) >> 3));
}

TEST(LiveSimCli, PictureAndShapesReachTheSimulatorsScreen)
{
    H5_UNIX_ONLY("pseudo-terminal and h5800-sim");
    QTemporaryDir dir;
    const QString shot = dir.filePath(QStringLiteral("screen.png"));
    h5test::SimProcess sim(dir.path(), {"--size", "320x240", "--screenshot", shot});
    ASSERT_TRUE(sim.ok());
    const QString image = makeImage(dir.filePath(QStringLiteral("p.png")), 40, 30);
    QByteArray pixels;
    ASSERT_TRUE(h5::convertPicture(image, 40, 30, pixels));

    const h5test::CliResult shown =
        h5test::runCli({"live", "--port", sim.port(), "show-image", image, "--x", "10", "--y", "20"});
    ASSERT_EQ(shown.exitCode, 0) << shown.err.toStdString();
    const h5test::CliResult drawn =
        h5test::runCli({"live", "--port", sim.port(), "fill-rect", "100", "100", "110", "105", "--color", "#FF0000"});
    ASSERT_EQ(drawn.exitCode, 0) << drawn.err.toStdString();

    auto onScreen = [&] {
        const QImage img(shot);
        if (img.size() != QSize(320, 240) || pixel565(img, 105, 102) != 0xF800)
            return false;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) {
                const int i = (y * 40 + x) * 2;
                if (pixel565(img, 10 + x, 20 + y) != (uchar(pixels[i]) | (uchar(pixels[i + 1]) << 8)))
                    return false;
            }
        return true;
    };
    EXPECT_TRUE(h5test::waitFor(onScreen, 10000));
}

// ---- fonts wzk ----

TEST(FontsWzkCli, FontsWzkWritesTheFontPagesBytes)
{
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a.txt"));
    const QString b = dir.filePath(QStringLiteral("b.txt"));
    ASSERT_TRUE(h5test::writeRaw(a, "01 02 03"));
    QByteArray big;
    for (int i = 0; i < 3000; ++i)
        big += QByteArray::number(i % 256, 16).rightJustified(2, '0') + (i % 16 == 15 ? "\r\n" : " ");
    ASSERT_TRUE(h5test::writeRaw(b, big));
    const QString out = dir.filePath(QStringLiteral("fonts.wzk"));

    const h5test::CliResult r = h5test::runCli({"fonts", "wzk", out, "--first", "7", a, b});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    QByteArray expected;
    QString error;
    ASSERT_TRUE(h5::fontDownloadBytes({{a, 7}, {b, 8}}, expected, &error));
    EXPECT_EQ(expected.size(), 11 + 2112 + 11 + 2 * 2112);
    EXPECT_TRUE(h5test::readAll(out) == expected);

    // Numbered from 0 without --first.
    ASSERT_EQ(h5test::runCli({"fonts", "wzk", out, b}).exitCode, 0);
    EXPECT_EQ(h5test::readAll(out).left(11), hex("7F 1B 74 00 00 02 00 FF FF EE FF"));
}

TEST(FontsWzkCli, FontsWzkIsNotWrittenWhenAFontDoesNotDecode)
{
    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("good.txt"));
    const QString lone = dir.filePath(QStringLiteral("lone.txt"));
    ASSERT_TRUE(h5test::writeRaw(good, "01 02"));
    ASSERT_TRUE(h5test::writeRaw(lone, "01 02 3"));
    const QString out = dir.filePath(QStringLiteral("fonts.wzk"));
    ASSERT_TRUE(h5test::writeRaw(out, "old"));
    struct Case
    {
        const char *name;
        QStringList fonts;
        QString message;
    };
    const Case cases[] = {
        {"lone digit", {good, lone}, lone + QStringLiteral(": 第7个字符")},
        // Refused by the font page's own check, in its words.
        {"missing", {good, dir.filePath("gone.txt")}, QDir::toNativeSeparators(dir.filePath("gone.txt")) + QStringLiteral("文件不存在!")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const h5test::CliResult r = h5test::runCli(QStringList{"fonts", "wzk", out} + c.fonts);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(QString::fromUtf8(r.err).contains(c.message)) << r.err.toStdString();
        EXPECT_EQ(h5test::readAll(out), QByteArray("old"));
    }
}

// Font numbers and sizes follow the debug window's font page: numbers end
// at 19, a font holds one flash block at most. Both commands that take fonts
// refuse the rest with the page's texts before anything is written or the
// port is opened.
TEST(FontsWzkCli, FontsTheFontPageRefusesAreRefusedBeforeAnythingIsWrittenOrSent)
{
    QTemporaryDir dir;
    const QString font = dir.filePath(QStringLiteral("font.txt"));
    ASSERT_TRUE(h5test::writeRaw(font, "01 02 03"));
    // One flash block is 405,504 characters of font text; one character
    // group more is too much.
    const QString largest = dir.filePath(QStringLiteral("largest.txt"));
    ASSERT_TRUE(h5test::writeRaw(largest, QByteArray(405504 / 3, '\0').replace('\0', "00 ")));
    const QString tooLarge = dir.filePath(QStringLiteral("too-large.txt"));
    ASSERT_TRUE(h5test::writeRaw(tooLarge, QByteArray(405507 / 3, '\0').replace('\0', "00 ")));
    QStringList twentyOne;
    for (int i = 0; i < 21; ++i)
        twentyOne << font;
    struct Case
    {
        const char *name;
        QStringList fontArgs; // --first and the fonts
        QString message;      // empty: taken
    };
    const Case cases[] = {
        {"number 19 is the last", {"--first", "19", font}, {}},
        {"number 20", {"--first", "20", font}, QStringLiteral("字库超出！")},
        {"number 65535", {"--first", "65535", font}, QStringLiteral("字库超出！")},
        {"second font past 19", {"--first", "19", font, font}, QStringLiteral("字库超出！")},
        {"twenty-one fonts", twentyOne, QStringLiteral("字库超出！")},
        {"font of one flash block", {largest}, {}},
        {"font over one flash block", {tooLarge}, QStringLiteral("字库超出！请将字库分为128K一个下载。")},
    };
    const QString out = dir.filePath(QStringLiteral("fonts.wzk"));
    const QString noPort = dir.filePath(QStringLiteral("no-such-tty"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(h5test::writeRaw(out, "old"));
        const h5test::CliResult wzk = h5test::runCli(QStringList{"fonts", "wzk", out} + c.fontArgs);
        const h5test::CliResult sent =
            h5test::runCli(QStringList{"debug-download", "--port", noPort, "--fonts"} + c.fontArgs, 30000);
        if (c.message.isEmpty()) {
            EXPECT_EQ(wzk.exitCode, 0) << wzk.err.toStdString();
            EXPECT_NE(h5test::readAll(out), QByteArray("old"));
            // Taken, so the port is opened (and is not there).
            EXPECT_TRUE(sent.err.contains(noPort.toUtf8())) << sent.err.toStdString();
            continue;
        }
        EXPECT_EQ(wzk.exitCode, 1);
        EXPECT_TRUE(QString::fromUtf8(wzk.err).contains(c.message)) << wzk.err.toStdString();
        EXPECT_EQ(h5test::readAll(out), QByteArray("old"));
        EXPECT_EQ(sent.exitCode, 1);
        EXPECT_TRUE(QString::fromUtf8(sent.err).contains(c.message)) << sent.err.toStdString();
        EXPECT_FALSE(sent.err.contains(noPort.toUtf8())) << "the port was opened";
    }
    // --first takes digits only, as the font page's number box does.
    EXPECT_EQ(h5test::runCli({"fonts", "wzk", out, "--first", "-1", font}).exitCode, 2);
}

// A line that goes away while a transfer runs is told once, not once per
// failed read or write.
TEST(LiveCli, HungUpLineIsToldOnce)
{
    H5_UNIX_ONLY("pseudo-terminal and h5800-sim");
    auto pty = std::make_unique<h5test::PtyPair>();
    ASSERT_TRUE(pty->ok());
    QTemporaryDir dir;
    const QString image = makeImage(dir.filePath(QStringLiteral("p.png")), 40, 30);
    QProcess p;
    p.setProgram(QStringLiteral(H5_CLI_PATH));
    p.setArguments({"live", "--port", pty->device(), "show-image", image});
    // The tool must not inherit the terminal's end of the line, or closing
    // it here would not hang the line up.
#ifndef Q_OS_WIN
    p.setChildProcessModifier([] {
        for (int fd = 3; fd < 1024; ++fd)
            if (::isatty(fd))
                ::close(fd);
    });
#endif
    p.start();
    // The header arrives, then the terminal goes away instead of answering.
    const QByteArray header = pty->read(14, 30000);
    ASSERT_EQ(header.size(), 14);
    pty.reset();
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 1);
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_EQ(err.count(QStringLiteral("串口连接已断开!")), 1) << err.toStdString();
}

} // namespace

// Every shape sent with h5800 live leaves the simulator's screen as the
// debug window's mirror draws the same frames.
TEST(LiveSimCli, EveryShapeOnTheSimulatorMatchesTheWindowsMirror)
{
    H5_UNIX_ONLY("pseudo-terminal and h5800-sim");
    QTemporaryDir dir;
    const QString shot = dir.filePath(QStringLiteral("screen.png"));
    h5test::SimProcess sim(dir.path(), {"--size", "320x240", "--screenshot", shot});
    ASSERT_TRUE(sim.ok());
    h5::LiveMirror mirror(320, 240, 0x001F);
    const uint16_t white = 0xFFFF;
    struct Step
    {
        QStringList args;
        QByteArray frame;
    } steps[] = {
        {{"clear"}, h5::clearScreenFrame(0x001F)},
        {{"point", "3", "4"}, h5::shapeFrame(h5::LiveShape::Point, white, {3, 4}, {0, 0}).bytes},
        {{"line", "10", "10", "100", "40"}, h5::shapeFrame(h5::LiveShape::Line, white, {10, 10}, {100, 40}).bytes},
        {{"rect", "130", "20", "180", "60"}, h5::shapeFrame(h5::LiveShape::HollowRect, white, {130, 20}, {180, 60}).bytes},
        {{"fill-rect", "190", "20", "200", "80", "--color", "#00FF00"},
         h5::shapeFrame(h5::LiveShape::FilledRect, 0x07E0, {190, 20}, {200, 80}).bytes},
        {{"ellipse", "20", "60", "90", "110"}, h5::shapeFrame(h5::LiveShape::HollowEllipse, white, {20, 60}, {90, 110}).bytes},
        {{"fill-ellipse", "130", "90", "171", "141"},
         h5::shapeFrame(h5::LiveShape::FilledEllipse, white, {130, 90}, {171, 141}).bytes},
        {{"circle", "250", "60", "30"}, h5::shapeFrame(h5::LiveShape::HollowCircle, white, {250, 60}, {250, 90}).bytes},
        {{"fill-circle", "260", "180", "18"},
         h5::shapeFrame(h5::LiveShape::FilledCircle, white, {260, 180}, {278, 180}).bytes},
        {{"text", "150", "200", "测试Ab", "--size", "24", "--mode", "1"},
         [] {
             h5::LiveTextStyle style;
             style.sizeIndex = 2;
             style.mode = 1;
             return h5::textFrame(style, {150, 200}, QStringLiteral("测试Ab")).bytes;
         }()},
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(s.args.join(' ').toStdString());
        ASSERT_FALSE(s.frame.isEmpty());
        const h5test::CliResult r = h5test::runCli(QStringList{"live", "--port", sim.port()} + s.args);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        if (s.frame.startsWith(QByteArray("\x1b\x42", 2)))
            mirror.fill(0x001F);
        else
            mirror.draw(s.frame);
    }
    int differ = -1;
    const bool same = h5test::waitFor([&] {
        const QImage img(shot);
        if (img.size() != QSize(320, 240))
            return false;
        differ = 0;
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x)
                differ += pixel565(img, x, y) != mirror.colourAt(QPoint(x, y));
        return differ == 0;
    }, 10000);
    EXPECT_TRUE(same) << differ << " pixels differ";
}

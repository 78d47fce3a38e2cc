// The online debug window's link from the command line, end to end against
// h5800-sim on a pseudo-terminal or the terminal built into the tool (on
// its virtual clock): debug-download puts exactly the pictures
// and fonts given into the terminal's flash, a missing picture stops the
// download or is skipped as asked, a bad input file is refused before the
// port is touched, and monitor prints the reports the terminal sends,
// framed as the debug window frames them.

#include "support/BuiltinCli.h"
#include "support/SimProcess.h"
#include "support/TestUtil.h"
#include "support/UnixOnly.h"

#include "common/Flash.h"
#include "common/Gbk.h"
#include "common/Notifier.h"
#include "pictures/PictureList.h"
#include "pictures/SlotRecord.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#ifndef Q_OS_WIN
#include <csignal>
#endif
#include <algorithm>
#include <map>

using h5test::BuiltinCli;
using h5test::runCli;
using Sim = h5test::SimProcess;

namespace {

QString sha1(const QByteArray &b)
{
    return QString::fromLatin1(QCryptographicHash::hash(b, QCryptographicHash::Sha1).toHex());
}

// Picture files of the given sizes, each a different gradient, named
// "<tag><i>.png" in `dir`.
QStringList makeImages(const QString &dir, const char *tag, const std::vector<QSize> &sizes)
{
    QStringList paths;
    for (size_t i = 0; i < sizes.size(); ++i) {
        QImage img(sizes[i], QImage::Format_RGB32);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                img.setPixel(x, y, qRgb((x * 7 + int(i) * 50) & 0xFF, (y * 3 + tag[0]) & 0xFF, (x ^ y) & 0xFF));
        const QString path = QStringLiteral("%1/%2%3.png").arg(dir).arg(QLatin1String(tag)).arg(i);
        EXPECT_TRUE(img.save(path));
        paths << path;
    }
    return paths;
}

// A .tbm of `images` numbered from `first`, made the way the debug window
// saves its list.
QString saveList(const QString &path, const QStringList &images, int first)
{
    h5::RecordingNotifier notifier;
    h5::PictureList list;
    list.setNextNumber(first);
    EXPECT_EQ(list.addPictures(images, notifier), images.size());
    QString saved;
    EXPECT_TRUE(list.save(path, notifier, &saved)) << notifier.messages.join(' ').toStdString();
    return saved;
}

// What a download of the list file sends for each picture, by number.
std::map<int, QString> expectedPictures(const QString &listFile)
{
    h5::RecordingNotifier notifier;
    h5::PictureList list;
    EXPECT_TRUE(list.open(listFile, notifier));
    std::map<int, QString> out;
    for (const h5::PictureEntry &e : list.entries())
        out[e.number] = sha1(h5::entryPixels(e, notifier));
    return out;
}

// The terminal's registry: number -> (first block, sha1 of its pixels).
std::map<int, std::pair<int, QString>> registry(const QJsonObject &flash)
{
    std::map<int, std::pair<int, QString>> out;
    for (const QJsonValue &v : flash["registry"].toArray()) {
        const QJsonObject e = v.toObject();
        out[e["number"].toInt()] = {e["firstBlock"].toInt(), e["sha1"].toString()};
    }
    return out;
}

} // namespace

// A terminal already holding picture 0 (and an older picture 1) takes a
// list of pictures 1..3: without --erase picture 0 stays and picture 1 is
// replaced; with --erase the registry holds only the list, from block 0.
TEST(DebugDownloadCliTest, PictureListArrivesWholeWithAndWithoutErase)
{
    H5_UNIX_ONLY("pseudo-terminal and h5800-sim");
    for (const bool erase : {false, true}) {
        SCOPED_TRACE(erase ? "--erase" : "no --erase");
        QTemporaryDir tmp;
        const QString before =
            saveList(tmp.filePath("before.tbm"), makeImages(tmp.path(), "a", {{40, 30}, {20, 20}}), 0);
        const QString list = saveList(tmp.filePath("list.tbm"),
                                      makeImages(tmp.path(), "b", {{300, 250}, {30, 30}, {64, 33}}), 1);
        Sim sim(tmp.path());
        ASSERT_TRUE(sim.ok());
        const auto first = runCli({"debug-download", "--port", sim.port(), "--pictures", before}, 60000);
        ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();

        QStringList args{"debug-download", "--port", sim.port(), "--pictures", list};
        if (erase)
            args << "--erase";
        const auto r = runCli(args, 60000);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains("串口已连接!")) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains("编号3图片下载：100%")) << r.err.toStdString();

        std::map<int, QString> expected = expectedPictures(list);
        if (!erase)
            expected[0] = expectedPictures(before).at(0);
        const auto got = registry(sim.flash());
        ASSERT_EQ(got.size(), expected.size());
        for (const auto &[n, hash] : expected) {
            ASSERT_TRUE(got.count(n)) << "picture " << n;
            EXPECT_EQ(got.at(n).second, hash) << "picture " << n;
        }
        if (erase) {
            // Placed from block 0 in list order: 300 x 250 takes two blocks.
            EXPECT_EQ(got.at(1).first, 0);
            EXPECT_EQ(got.at(2).first, 2);
            EXPECT_EQ(got.at(3).first, 3);
        }
    }
}

// A plain record list (.wbm) whose middle picture file is gone: the
// question is asked; "no" stops there with exit 1, "yes" (--skip-missing)
// sends the rest and exits 3. The picture before it is in the terminal
// either way, the one after it only when skipped to.
TEST(DebugDownloadBuiltinCliTest, MissingPictureStopsTheDownloadBeforeTheRegistryUnlessSkipped)
{
    H5_UNIX_ONLY("h5800-sim reads the flash; the data folder is set through XDG_DATA_HOME");
    struct Case
    {
        bool skip;
        int exit;
        std::vector<int> inTerminal;
    };
    const Case cases[] = {{false, 1, {}}, {true, 3, {5, 7}}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.skip ? "--skip-missing" : "no --skip-missing");
        QTemporaryDir tmp;
        const QStringList images = makeImages(tmp.path(), "c", {{50, 40}, {30, 30}, {25, 60}});
        h5::RecordingNotifier notifier;
        h5::PictureList pictures;
        pictures.setNextNumber(5);
        ASSERT_EQ(pictures.addPictures(images, notifier), 3);
        QByteArray wbm(3 * h5::kSlotSize, '\0');
        for (int i = 0; i < 3; ++i) {
            const h5::PictureEntry &e = pictures.entries()[size_t(i)];
            h5::SlotRecord r;
            r.inUse = 1;
            r.path = e.path;
            r.number = uint16_t(e.number);
            r.setSize(e.width, e.height);
            ASSERT_TRUE(r.writeTo(wbm.data() + i * h5::kSlotSize));
        }
        const QString list = tmp.filePath("list.wbm");
        ASSERT_TRUE(h5test::writeRaw(list, wbm));
        std::map<int, QByteArray> pixels;
        for (const h5::PictureEntry &e : pictures.entries())
            pixels[e.number] = h5::entryPixels(e, notifier);
        ASSERT_TRUE(QFile::remove(images[1]));

        const BuiltinCli terminal;
        QStringList args{"debug-download", "--port", "builtin", "--pictures", list};
        if (c.skip)
            args << "--skip-missing";
        const auto r = terminal.run(args, BuiltinCli::Clock::Virtual, 60000);
        EXPECT_EQ(r.exitCode, c.exit) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains("编号6图片丢失，是否跳过继续下载?")) << r.err.toStdString();
        // The missing picture is named with its file.
        EXPECT_TRUE(QString::fromUtf8(r.err).contains(QStringLiteral("编号6图片丢失：") + QDir::toNativeSeparators(images[1])))
            << r.err.toStdString();
        // The question comes before anything is sent: the registry names
        // exactly the pictures whose pixels followed.
        const auto got = registry(terminal.flash());
        EXPECT_EQ(got.size(), c.inTerminal.size());
        for (int n : c.inTerminal) {
            ASSERT_TRUE(got.count(n)) << "picture " << n;
            EXPECT_EQ(got.at(n).second, sha1(pixels.at(n))) << "picture " << n;
        }
    }
}

TEST(DebugDownloadBuiltinCliTest, FontsAreNumberedFromFirstInTheOrderGiven)
{
    H5_UNIX_ONLY("h5800-sim reads the flash; the data folder is set through XDG_DATA_HOME");
    QTemporaryDir tmp;
    // 3 bytes: one page; 2113 bytes: two pages. Anything but hex digits
    // between the bytes is skipped.
    QByteArray big;
    for (int i = 0; i < 2113; ++i)
        big += QByteArray::number(i & 0xFF, 16).rightJustified(2, '0') + (i % 16 == 15 ? "\r\n" : ",");
    const QString a = tmp.filePath("a.txt"), b = tmp.filePath("b.txt");
    ASSERT_TRUE(h5test::writeRaw(a, "01 02 03\r\n"));
    ASSERT_TRUE(h5test::writeRaw(b, big));
    QByteArray bigBytes;
    for (int i = 0; i < 2113; ++i)
        bigBytes += char(i & 0xFF);
    const auto padded = [](QByteArray bytes, int pages) {
        return bytes + QByteArray(pages * h5::kFlashPage - bytes.size(), char(0xFF));
    };

    const BuiltinCli terminal;
    const auto r = terminal.run({"debug-download", "--port", "builtin", "--fonts", "--first", "7", b, a},
                                BuiltinCli::Clock::Virtual, 60000);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("下载第2个字库：100%")) << r.err.toStdString();
    std::map<int, std::pair<int, QString>> fonts;
    for (const QJsonValue &v : terminal.flash()["fonts"].toArray()) {
        const QJsonObject o = v.toObject();
        fonts[o["number"].toInt()] = {o["pages"].toInt(), o["sha1"].toString()};
    }
    ASSERT_EQ(fonts.size(), 2u);
    ASSERT_TRUE(fonts.count(7) && fonts.count(8));
    EXPECT_EQ(fonts.at(7).first, 2);
    EXPECT_EQ(fonts.at(7).second, sha1(padded(bigBytes, 2)));
    EXPECT_EQ(fonts.at(8).first, 1);
    EXPECT_EQ(fonts.at(8).second, sha1(padded(h5test::hex("01 02 03"), 1)));
}

// The port given does not exist: a message about it would show that the
// port was opened before the file was checked. A terminal that is there
// gets nothing.
TEST(DebugDownloadCliTest, BadListOrFontFileIsRefusedByNameBeforeThePort)
{
    H5_UNIX_ONLY("pseudo-terminal and h5800-sim");
    QTemporaryDir tmp;
    const QString good = tmp.filePath("good.txt");
    ASSERT_TRUE(h5test::writeRaw(good, "01 02"));
    const QString noHex = tmp.filePath("nohex.txt");
    ASSERT_TRUE(h5test::writeRaw(noHex, "xyz, qrs; tuv!\r\n"));
    const QString lone = tmp.filePath("lone.txt");
    ASSERT_TRUE(h5test::writeRaw(lone, "01 02 3"));
    const QString shortList = tmp.filePath("short.tbm");
    ASSERT_TRUE(h5test::writeRaw(shortList, QByteArray(5000, '\0')));
    const QString emptyList = tmp.filePath("empty.wbm");
    ASSERT_TRUE(h5test::writeRaw(emptyList, QByteArray()));
    const QString missing = tmp.filePath("missing.tbm");
    const QString missingFont = tmp.filePath("missing.txt");
    ASSERT_TRUE(QDir(tmp.path()).mkdir("folder.tbm"));
    const QString folder = tmp.filePath("folder.tbm");

    struct Case
    {
        QStringList args;
        QString named;
    };
    const Case cases[] = {
        {{"--pictures", missing}, missing},
        {{"--pictures", folder}, folder},
        {{"--pictures", shortList}, shortList},
        {{"--pictures", emptyList}, emptyList},
        {{"--fonts", good, missingFont}, missingFont},
        {{"--fonts", noHex}, noHex},
        {{"--fonts", good, lone}, lone + QStringLiteral(": 第7个字符")},
        {{"--fonts", folder}, folder},
    };
    const QString noPort = tmp.filePath("no-such-tty");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const auto r = runCli(QStringList{"debug-download", "--port", noPort} + c.args, 30000);
        EXPECT_EQ(r.exitCode, 1);
        const QString err = QString::fromUtf8(r.err);
        EXPECT_EQ(err.count('\n'), 1) << err.toStdString();
        EXPECT_TRUE(err.contains(c.named)) << err.toStdString();
        EXPECT_FALSE(err.contains(noPort)) << "the port was opened before the file was checked";
    }
    Sim sim(tmp.path());
    ASSERT_TRUE(sim.ok());
    for (const QStringList &args : {QStringList{"--pictures", shortList}, QStringList{"--fonts", good, noHex}}) {
        const auto r = runCli(QStringList{"debug-download", "--port", sim.port()} + args, 30000);
        EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
        EXPECT_FALSE(r.err.contains("串口已连接!")) << "the terminal was spoken to";
    }
    const QJsonObject flash = sim.flash();
    EXPECT_TRUE(flash["registry"].toArray().isEmpty());
    EXPECT_TRUE(flash["fonts"].toArray().isEmpty());
}

// A report written into the simulator's control FIFO in two halves (each
// by a writer of its own, with a bad line between them) reaches the
// monitor as one receive entry; SIGTERM ends the monitor with exit 0.
TEST(MonitorCliTest, MonitorPrintsAReportSplitAcrossTwoControlLinesOnce)
{
    H5_UNIX_ONLY("pseudo-terminal and h5800-sim");
    QTemporaryDir tmp;
    Sim sim(tmp.path(), {}, true);
    ASSERT_TRUE(sim.ok());
    QProcess monitor;
    monitor.start(QStringLiteral(H5_CLI_PATH), {"monitor", "--port", sim.port()});
    ASSERT_TRUE(monitor.waitForStarted(10000));
    QByteArray printed;
    const auto waitFor = [&](const QByteArray &text) {
        QDeadlineTimer deadline(30000);
        while (!printed.contains(text) && !deadline.hasExpired() && monitor.state() == QProcess::Running) {
            monitor.waitForReadyRead(100);
            printed += monitor.readAllStandardOutput();
        }
        return printed.contains(text);
    };
    ASSERT_TRUE(waitFor("33 \r\n")) << printed.toStdString() << monitor.readAllStandardError().toStdString();

    ASSERT_TRUE(sim.control("report fe fe 01\n"));
    ASSERT_TRUE(sim.control("report zz\n"));
    // The first half has gone out before the second is written; either way
    // the record must show one entry.
    QThread::msleep(200);
    ASSERT_TRUE(sim.control("report 02 03 04\n"));
    ASSERT_TRUE(waitFor("fe fe 01 02 03 04 \r\n")) << printed.toStdString();
    ASSERT_TRUE(sim.control("report fd fd 05\n"));
    ASSERT_TRUE(waitFor("fd fd 05 \r\n")) << printed.toStdString();

#ifndef Q_OS_WIN
    ::kill(pid_t(monitor.processId()), SIGTERM);
#endif
    ASSERT_TRUE(monitor.waitForFinished(10000));
    printed += monitor.readAllStandardOutput();
    EXPECT_EQ(monitor.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(monitor.exitCode(), 0);

    // Probe sent, answer, the report once, the fd report.
    EXPECT_EQ(printed.count(QStringLiteral("发送").toUtf8()), 1) << printed.toStdString();
    EXPECT_EQ(printed.count(QStringLiteral("收到").toUtf8()), 3) << printed.toStdString();
    EXPECT_TRUE(printed.contains(QStringLiteral(" 收到 \r\nfe fe 01 02 03 04 \r\n").toUtf8()))
        << printed.toStdString();

    // The bad line was told and ignored; the FIFO the simulator made goes
    // with it.
    sim.stop();
    EXPECT_TRUE(sim.process().readAllStandardError().contains("control: 'zz' is not hex"));
    EXPECT_FALSE(QFile::exists(sim.controlPath()));
}

// Its seconds pass on the built-in terminal's virtual clock.
TEST(MonitorCliTest, MonitorEndsAfterItsSecondsAndFailsWithoutATerminal)
{
    H5_UNIX_ONLY("h5800-sim reads the flash; the data folder is set through XDG_DATA_HOME");
    QTemporaryDir tmp;
    const BuiltinCli terminal;
    const auto r = terminal.run({"monitor", "--port", "builtin", "--seconds", "1"}, BuiltinCli::Clock::Virtual, 30000);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("33 \r\n")) << r.out.toStdString();

    // More than the timer holds (2147483 s, about 24.8 days) is refused; it
    // was taken before and wrapped round to a time already past.
    const auto tooLong = runCli({"monitor", "--port", "builtin", "--seconds", "2147484"}, 30000);
    EXPECT_EQ(tooLong.exitCode, 2);
    EXPECT_TRUE(tooLong.err.contains("from 0 to 2147483")) << tooLong.err.toStdString();

    const auto none = runCli({"monitor", "--port", tmp.filePath("no-such-tty"), "--seconds", "1"}, 30000);
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_TRUE(none.err.contains("no-such-tty")) << none.err.toStdString();
}

// A terminal that answers wrongly or goes away ends the run with the
// session's text and exit 1, never a hang and never exit 0. Packets count
// from 1: the handshake probe, the download's probe, the registry read,
// the registry write command, three registry pages, then the header and
// pages of the first picture.
TEST(DebugDownloadCliTest, WrongReplyOrLostLineFailsWithTheSessionsText)
{
    H5_UNIX_ONLY("pseudo-terminal and h5800-sim");
    struct Case
    {
        QStringList faults;
        const char *text;
    };
    const Case cases[] = {
        {{"--wrong-reply-after", "0"}, "串口连接错误!"},          // the handshake
        {{"--wrong-reply-after", "4"}, "串口连接错误2!"},         // the registry write command
        {{"--wrong-reply-after", "7"}, "串口连接错误3!"},         // the picture header
        {{"--wrong-reply-after", "8"}, "连接出错，请检查数据线!"}, // a picture page
        {{"--hangup-after", "9"}, "串口连接已断开!"},
    };
    QTemporaryDir tmp;
    const QString list = saveList(tmp.filePath("list.tbm"), makeImages(tmp.path(), "d", {{100, 100}}), 0);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.faults.join(' ').toStdString());
        QTemporaryDir simDir;
        Sim sim(simDir.path(), c.faults);
        ASSERT_TRUE(sim.ok());
        const auto r = runCli({"debug-download", "--port", sim.port(), "--pictures", list}, 60000);
        ASSERT_NE(r.exitCode, -2) << "the download hung";
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains(c.text)) << r.err.toStdString();
    }
}

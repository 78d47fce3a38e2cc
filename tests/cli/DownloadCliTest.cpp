// Downloads end to end: h5800 talks to the virtual terminal over a
// pseudo-terminal (h5800-sim) or to the terminal built into it (on its
// virtual clock), and the terminal's flash afterwards holds exactly what
// was sent. Misbehaving terminals end every transfer with a message and an
// exit status, never a hang. Damaged inputs are refused before anything is
// sent, and a bundle holds what a download would send.

#include "support/BuiltinCli.h"
#include "support/SimProcess.h"
#include "support/TestUtil.h"
#include "support/UnixOnly.h"

#include "common/Flash.h"

#include <QCryptographicHash>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

using h5test::BuiltinCli;
using h5test::readAll;
using h5test::runCli;

namespace {

using Sim = h5test::SimProcess;

QString sha1(const QByteArray &b)
{
    return QString::fromLatin1(QCryptographicHash::hash(b, QCryptographicHash::Sha1).toHex());
}

// The demo project, built, shared by the tests (made once).
struct Demo
{
    QTemporaryDir dir;
    QString wgc, cbm;
    Demo()
    {
        const auto r = runCli({"demo", dir.path()});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        wgc = dir.filePath("demo/demo.wgc");
        cbm = dir.filePath(QStringLiteral("demo/图象位置信息.cbm"));
    }
};

Demo &demo()
{
    static Demo d;
    return d;
}

// Pixel data of every picture of a built picture list, by number.
std::map<int, QByteArray> pictures(const QByteArray &list)
{
    std::map<int, QByteArray> out;
    qint64 page = 0;
    for (int j = 0; j < h5::kSlotCount; ++j) {
        const char *rec = list.constData() + j * h5::kSlotSize;
        const int w = (uchar(rec[2050]) << 8) | uchar(rec[2051]);
        const int h = (uchar(rec[2052]) << 8) | uchar(rec[2053]);
        if (!w || !h)
            continue;
        out[j] = list.mid(h5::kSlotAreaSize + page * h5::kFlashPage, qsizetype(w) * h * 2);
        page += h5::picturePages(w, h);
    }
    return out;
}

QByteArray fontFile()
{
    QByteArray f;
    for (int n : {1, 2}) {
        f += QByteArray::fromHex("7F1B74") + char(n) + '\0' + char(n) + '\0'
            + QByteArray::fromHex("FFFFEEFF");
        for (int p = 0; p < n; ++p)
            f += QByteArray(h5::kFlashPage, char(0x10 * n + p));
    }
    return f;
}

} // namespace

TEST(DownloadCliTest, ProjectPicturesAndFontArriveWhole)
{
    H5_UNIX_ONLY("pseudo-terminal and h5800-sim");
    QTemporaryDir tmp;
    const QString wzk = tmp.filePath("fonts.wzk");
    QFile f(wzk);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(fontFile());
    f.close();
    Sim sim(tmp.path());
    ASSERT_TRUE(sim.ok());
    const auto r = runCli({"download", "--port", sim.port(), "--project", demo().wgc, "--pictures",
                           demo().cbm, "--font", wzk});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("工程下载：100%")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("图片下载：100%"));
    EXPECT_TRUE(r.err.contains("字库下载：100%"));

    const QJsonObject flash = sim.flash();
    const QByteArray project = readAll(demo().wgc).mid(102406);
    EXPECT_EQ(flash["projectBytes"].toInt(), project.size());
    EXPECT_EQ(flash["projectSha1"].toString(), sha1(project));
    const auto expected = pictures(readAll(demo().cbm));
    const QJsonArray registry = flash["registry"].toArray();
    ASSERT_EQ(registry.size(), int(expected.size()));
    int block = 0;
    for (const QJsonValue &v : registry) {
        const QJsonObject e = v.toObject();
        const int n = e["number"].toInt();
        ASSERT_TRUE(expected.count(n)) << n;
        EXPECT_EQ(e["firstBlock"].toInt(), block) << "pictures placed one after another";
        EXPECT_EQ(e["sha1"].toString(), sha1(expected.at(n))) << "picture " << n;
        block += int(h5::pictureBlocks(e["width"].toInt(), e["height"].toInt()));
    }
    EXPECT_EQ(flash["fonts"].toArray().size(), 2);
}

TEST(DownloadCliTest, SendProjectTakesTheProjectAndItsPictures)
{
    H5_UNIX_ONLY("pseudo-terminal and h5800-sim");
    QTemporaryDir tmp;
    Sim sim(tmp.path());
    ASSERT_TRUE(sim.ok());
    const auto r = runCli({"send-project", "--port", sim.port(), demo().wgc});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonObject flash = sim.flash();
    EXPECT_EQ(flash["projectSha1"].toString(), sha1(readAll(demo().wgc).mid(102406)));
    EXPECT_EQ(flash["registry"].toArray().size(), int(pictures(readAll(demo().cbm)).size()));
    EXPECT_FALSE(QFile::exists(demo().dir.filePath("demo/RegistFile.wcf")));
    EXPECT_FALSE(QFile::exists(demo().dir.filePath("demo/bmpPath.wcf")));
}

TEST(DownloadBuiltinCliTest, EraseWithAProjectOnlyEmptiesTheRegistry)
{
    H5_UNIX_ONLY("h5800-sim reads the flash; the data folder is set through XDG_DATA_HOME");
    const BuiltinCli terminal;
    ASSERT_EQ(terminal.run({"download", "--port", "builtin", "--pictures", demo().cbm}).exitCode, 0);
    ASSERT_FALSE(terminal.flash()["registry"].toArray().isEmpty());
    // The next run finds the same flash: the pictures are still there.
    const auto r = terminal.run({"download", "--port", "builtin", "--erase", "--project", demo().wgc});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("擦除FLASH完成!")) << r.err.toStdString();
    EXPECT_TRUE(terminal.flash()["registry"].toArray().isEmpty());
}

// Over a real pseudo-terminal the line going away mid-download is noticed
// and told, and the run ends. Wrong replies, time-outs, a silent terminal
// and a faulty registry are driven by the same session against the
// virtual terminal under a virtual clock (tests/link/InProcessLinkTest).
TEST(DownloadCliTest, HungUpTerminalEndsWithAMessageNotAHang)
{
    H5_UNIX_ONLY("pseudo-terminal and h5800-sim");
    QTemporaryDir tmp;
    Sim sim(tmp.path(), {"--hangup-after", "4"});
    ASSERT_TRUE(sim.ok());
    const auto r = runCli({"download", "--port", sim.port(), "--project", demo().wgc, "--pictures", demo().cbm},
                          60000);
    ASSERT_NE(r.exitCode, -2) << "the download hung";
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("串口连接已断开!")) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains("Inappropriate ioctl")) << r.err.toStdString();
}

TEST(DownloadCliTest, BadInputIsReportedBeforeAnythingIsSent)
{
    H5_UNIX_ONLY("pseudo-terminal and h5800-sim");
    QTemporaryDir tmp;
    QFile f(tmp.filePath("short.wgc"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(200000, '\0').left(102406 + 100));
    f.close();
    struct Case { QStringList args; int exit; };
    const Case cases[] = {
        {{"download", "--port", tmp.filePath("no-such-tty"), "--project", demo().wgc}, 1},
        {{"download", "--project", demo().wgc}, 2},
        {{"download", "--port", "/dev/null"}, 2},
        {{"bundle", "--project", demo().wgc}, 2},
        {{"bundle", "-o", tmp.filePath("x.uwl"), "--project", tmp.filePath("missing.wgc")}, 1},
    };
    for (const Case &c : cases) {
        const auto r = runCli(c.args);
        EXPECT_EQ(r.exitCode, c.exit) << c.args.join(' ').toStdString() << r.err.toStdString();
    }
    // A terminal is there and waits: nothing reaches it, and the refusal
    // names the file instead of waiting for a time-out.
    QByteArray garbage(150000, '\0');
    for (int i = 0; i < garbage.size(); ++i)
        garbage[i] = char((i * 7919 + i / 13) & 0xFF);
    ASSERT_TRUE(h5test::writeRaw(tmp.filePath("garbage.wgc"), garbage));
    Sim sim(tmp.path());
    ASSERT_TRUE(sim.ok());
    const QStringList runs[] = {
        {"download", "--port", sim.port(), "--project", tmp.filePath("short.wgc")},
        {"send-project", "--port", sim.port(), tmp.filePath("garbage.wgc")},
    };
    for (const QStringList &args : runs) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const auto r = runCli(args, 30000);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains("工程文件已损坏：" + args.last().toUtf8())) << r.err.toStdString();
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
        EXPECT_FALSE(r.err.contains("连接超时!"));
    }
    EXPECT_EQ(sim.flash()["projectBytes"].toInt(), 0) << "damaged project data was sent";
}

// A damaged file is found before the first byte would go to the terminal,
// whichever command reads it; the port given does not even exist, so a
// message about it would show that the port was opened first.
TEST(DownloadInputCliTest, DamagedInputsAreRefusedByNameBeforeThePortOrTheBundle)
{
    QTemporaryDir tmp;
    const QByteArray wgc = readAll(demo().wgc);
    ASSERT_GT(wgc.size(), 104461 + 11);
    const auto save = [&tmp](const char *name, const QByteArray &bytes) {
        const QString path = tmp.filePath(QString::fromUtf8(name));
        EXPECT_TRUE(h5test::writeRaw(path, bytes));
        return path;
    };
    QByteArray claims = wgc, res200 = wgc;
    claims[104461 + 5] = char(0xFF); // the first page segment claims 255 pages
    res200[4] = char(200);
    QByteArray font = fontFile();
    font[5] = 3; // one page more than the first segment holds
    QByteArray random(120000, '\0');
    for (int i = 0; i < random.size(); ++i)
        random[i] = char((i * 2654435761u) >> 24);
    struct Case
    {
        const char *name;
        QString file;
        bool isFont;
    };
    const Case cases[] = {
        {"segment header claiming more pages than the file holds", save("claims.wgc", claims), false},
        {"project file truncated at 92%", save("truncated.wgc", wgc.left(wgc.size() * 92 / 100)), false},
        {"resolution index 200", save("res200.wgc", res200), false},
        {"picture list renamed .wgc", save("pictures.wgc", readAll(demo().cbm)), false},
        {"random bytes", save("random.wgc", random), false},
        {"font file with a wrong page count", save("fonts.wzk", font), true},
    };
    const QString out = save("out.uwl", "keep");
    const QString noPort = tmp.filePath("no-such-tty");
    for (const Case &c : cases) {
        const QString option = c.isFont ? "--font" : "--project";
        std::vector<QStringList> runs = {
            {"bundle", "-o", out, option, c.file},
            {"download", "--port", noPort, option, c.file},
        };
        if (!c.isFont)
            runs.push_back({"send-project", "--port", noPort, c.file});
        for (const QStringList &args : runs) {
            SCOPED_TRACE(std::string(c.name) + ": " + args.first().toStdString());
            const auto r = runCli(args, 30000);
            EXPECT_EQ(r.exitCode, 1);
            const QString err = QString::fromUtf8(r.err);
            EXPECT_EQ(err.count('\n'), 1) << err.toStdString();
            EXPECT_TRUE(err.contains(QStringLiteral("已损坏：") + c.file)) << err.toStdString();
            EXPECT_FALSE(err.contains(noPort)) << "the port was opened before the file was checked";
            EXPECT_EQ(readAll(out), QByteArray("keep"));
        }
    }
}

TEST(DownloadBuiltinCliTest, SendProjectWithoutItsPicturesSaysSoAndExitsThree)
{
    H5_UNIX_ONLY("h5800-sim reads the flash; the data folder is set through XDG_DATA_HOME");
    QTemporaryDir tmp;
    // The project file alone in its folder: no "图象位置信息.cbm".
    const QString wgc = tmp.filePath("alone/demo.wgc");
    ASSERT_TRUE(QDir().mkpath(tmp.filePath("alone")));
    ASSERT_TRUE(QFile::copy(demo().wgc, wgc));
    const BuiltinCli terminal;
    const auto r = terminal.run({"send-project", "--port", "builtin", wgc}, BuiltinCli::Clock::Virtual, 60000);
    EXPECT_EQ(r.exitCode, 3) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("图片文件丢失!")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("图象位置信息.cbm").toUtf8())) << r.err.toStdString();
    const QJsonObject flash = terminal.flash();
    EXPECT_EQ(flash["projectSha1"].toString(), sha1(readAll(wgc).mid(102406))) << "the project itself went";
    EXPECT_TRUE(flash["registry"].toArray().isEmpty());
}

TEST(DownloadInputCliTest, BundleHoldsTheSameBytesEveryTime)
{
    QTemporaryDir tmp;
    const QString a = tmp.filePath("a.uwl"), b = tmp.filePath("b");
    ASSERT_EQ(runCli({"bundle", "-o", a, "--project", demo().wgc, "--pictures", demo().cbm}).exitCode, 0);
    ASSERT_EQ(runCli({"bundle", "-o", b, "--project", demo().wgc, "--pictures", demo().cbm}).exitCode, 0);
    const QByteArray bundle = readAll(a);
    EXPECT_EQ(bundle, readAll(b));
    const QByteArray project = readAll(demo().wgc).mid(102406);
    EXPECT_TRUE(bundle.startsWith(project));
    EXPECT_EQ(h5test::toHex(bundle.mid(project.size(), 7)), "7F 1B 73 FF FF EE FF");
    qsizetype pixels = 0;
    int count = 0;
    for (const auto &[n, data] : pictures(readAll(demo().cbm))) {
        pixels += data.size();
        ++count;
    }
    EXPECT_EQ(bundle.size(), project.size() + 7 + 4800 + 15 * count + pixels);
}

// h5800-sim as a process, talked to through CMSComm over its pseudo-terminal:
// the probe, a line closed and reopened in the middle of a packet, the flash
// kept across runs, the misbehaviour options, refused state files.

#include "port/PortTestSupport.h"

#include "terminal/VirtualTerminal.h"
#include "port/CMSComm.h"
#include "support/TestUtil.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace h5;
using h5test::hex;
using h5test::SimDevice;
using h5test::waitFor;

namespace {

std::string hx(const QByteArray &b) { return h5test::toHex(b); }

// Sends `bytes` and collects the answer until it is `expected` long.
QByteArray exchange(CMSComm &comm, const QByteArray &bytes, qsizetype expected, int ms = 5000)
{
    QByteArray got;
    comm.output(bytes);
    waitFor([&] {
        got += comm.input();
        return got.size() >= expected;
    }, ms);
    return got;
}

struct Line
{
    explicit Line(const QString &device)
    {
        comm.setDevice(device);
        comm.setSettings(QStringLiteral("1228800,n,8,1"));
        opened = comm.open();
    }
    h5test::AppFirst app;
    CMSComm comm;
    bool opened = false;
};

} // namespace

TEST(SimEndToEndTest, AnswersTheProbeOverThePseudoTerminal)
{
    H5_UNIX_ONLY("pseudo-terminal and h5800-sim");
    SimDevice sim({});
    ASSERT_FALSE(sim.device().isEmpty()) << "no device printed";
    Line line(sim.device());
    ASSERT_TRUE(line.opened) << line.comm.errorString().toStdString();
    EXPECT_EQ(hx(exchange(line.comm, hex("AA"), 1)), "33");
    EXPECT_EQ(sim.stop(), 0);
}

TEST(SimEndToEndTest, ReopenedLineStartsFromAFrameNotInTheMiddleOfAPacket)
{
    H5_UNIX_ONLY("pseudo-terminal and h5800-sim");
    SimDevice sim({});
    ASSERT_FALSE(sim.device().isEmpty());
    {
        Line line(sim.device());
        ASSERT_TRUE(line.opened) << line.comm.errorString().toStdString();
        ASSERT_EQ(hx(exchange(line.comm, hex("7F 1B 75 FF FF EE FF"), 1)), "55");
        line.comm.output(QByteArray(100, '\x01')); // part of the page index
        ASSERT_TRUE(waitFor([&] { return line.comm.bytesQueued() == 0; }));
    }
    // The port was closed half way through the index: the terminal forgets it.
    QByteArray answer;
    for (int attempt = 0; attempt < 50 && answer.isEmpty(); ++attempt) {
        Line line(sim.device());
        ASSERT_TRUE(line.opened) << line.comm.errorString().toStdString();
        answer = exchange(line.comm, hex("AA"), 1, 200);
    }
    EXPECT_EQ(hx(answer), "33");
}

TEST(SimEndToEndTest, FlashIsKeptInItsFileAcrossRuns)
{
    H5_UNIX_ONLY("pseudo-terminal and h5800-sim");
    QTemporaryDir dir;
    const QString flash = dir.filePath(QStringLiteral("terminal.flash"));
    QByteArray registry(4800, '\xFF');
    registry.replace(3 * 8, 8, hex("03 00 02 00 0A 00 05 00"));
    const QByteArray pixels(10 * 5 * 2, '\x42');
    {
        SimDevice sim({QStringLiteral("--flash"), flash});
        ASSERT_FALSE(sim.device().isEmpty());
        Line line(sim.device());
        ASSERT_TRUE(line.opened) << line.comm.errorString().toStdString();
        ASSERT_EQ(hx(exchange(line.comm, hex("7F 1B 73 FF FF EE FF"), 1)), "55");
        for (int part = 0; part < 3; ++part)
            ASSERT_EQ(hx(exchange(line.comm, registry.mid(part * 2112, 2112), 1)), "55");
        ASSERT_EQ(hx(exchange(line.comm, hex("7F 1B 1C 03 00 02 00 0A 00 05 00 FF FF EE FF"), 1)),
                  "55");
        ASSERT_EQ(hx(exchange(line.comm, pixels, 1)), "55");
        EXPECT_EQ(sim.stop(), 0);
    }

    VirtualTerminal saved;
    QString error;
    ASSERT_TRUE(saved.loadStateFile(flash, &error)) << error.toStdString();
    EXPECT_EQ(saved.registry(), registry);
    EXPECT_EQ(saved.picture(3), pixels);

    // The summary names the picture, and a new run answers with the registry.
    QProcess dump;
    dump.start(QStringLiteral(H5_SIM_PATH), {QStringLiteral("--dump-flash"), flash});
    ASSERT_TRUE(dump.waitForFinished(10000));
    EXPECT_EQ(dump.exitCode(), 0);
    const QJsonObject summary = QJsonDocument::fromJson(dump.readAllStandardOutput()).object();
    const QJsonArray entries = summary.value(QStringLiteral("registry")).toArray();
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0].toObject().value(QStringLiteral("number")).toInt(), 3);
    EXPECT_EQ(entries[0].toObject().value(QStringLiteral("firstBlock")).toInt(), 2);

    SimDevice again({QStringLiteral("--flash"), flash});
    ASSERT_FALSE(again.device().isEmpty());
    Line line(again.device());
    ASSERT_TRUE(line.opened);
    EXPECT_EQ(hx(exchange(line.comm, hex("1B 27 FF FF EE FF"), 14)),
              "00 00 03 00 02 00 0A 00 05 00 FF FF EE FF");
}

TEST(SimEndToEndTest, MisbehaviourOptionsChangeTheAnswers)
{
    H5_UNIX_ONLY("pseudo-terminal and h5800-sim");
    struct Case
    {
        QStringList args;
        QByteArray sent;
        const char *expected;
    };
    const Case cases[] = {
        {{"--wrong-reply-after", "1"}, hex("AA AA"), "33 21"},
        {{"--wrong-reply-after", "0", "--wrong-byte", "54"}, hex("AA"), "54"},
        {{"--garbage"}, hex("AA"), "00 5A C3 33"},
        {{"--garbage-after", "1", "--garbage-bytes", "0102"}, hex("AA AA"), "33 01 02 33"},
        {{"--bad-registry"}, hex("1B 27 FF FF EE FF"), "00 00 00 00 58 02 01 00 01 00 FF FF EE FF"},
    };
    for (const Case &c : cases) {
        SimDevice sim(c.args);
        ASSERT_FALSE(sim.device().isEmpty()) << c.args.join(' ').toStdString();
        Line line(sim.device());
        ASSERT_TRUE(line.opened);
        const qsizetype want = hex(c.expected).size();
        EXPECT_EQ(hx(exchange(line.comm, c.sent, want)), c.expected) << c.args.join(' ').toStdString();
    }
}

TEST(SimEndToEndTest, HangUpClosesTheLineAndEndsTheSimulator)
{
    H5_UNIX_ONLY("pseudo-terminal and h5800-sim");
    SimDevice sim({QStringLiteral("--hangup-after"), QStringLiteral("1")});
    ASSERT_FALSE(sim.device().isEmpty());
    Line line(sim.device());
    ASSERT_TRUE(line.opened);
    int failed = 0;
    QObject::connect(&line.comm, &CMSComm::lineError, [&failed] { ++failed; });
    EXPECT_EQ(hx(exchange(line.comm, hex("AA"), 1)), "33");
    line.comm.output(hex("AA"));
    EXPECT_TRUE(sim.process().waitForFinished(10000));
    EXPECT_EQ(sim.process().exitCode(), 0);
    line.comm.output(hex("AA"));
    EXPECT_TRUE(waitFor([&] { return failed > 0; }));
}

TEST(SimEndToEndTest, LinkNamesTheDeviceWhileTheSimulatorRuns)
{
    H5_UNIX_ONLY("pseudo-terminal and h5800-sim");
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("h5800"));
    {
        SimDevice sim({QStringLiteral("--link"), link});
        ASSERT_FALSE(sim.device().isEmpty());
        EXPECT_EQ(QFileInfo(link).symLinkTarget(), sim.device());
        Line line(link);
        ASSERT_TRUE(line.opened) << line.comm.errorString().toStdString();
        EXPECT_EQ(hx(exchange(line.comm, hex("AA"), 1)), "33");
        line.comm.close();
        EXPECT_EQ(sim.stop(), 0);
    }
    EXPECT_FALSE(QFileInfo(link).isSymLink());
}

TEST(SimEndToEndTest, UnreadableFlashFileOrBadOptionStopsWithAMessage)
{
    H5_UNIX_ONLY("pseudo-terminal and h5800-sim");
    QTemporaryDir dir;
    const QString flash = dir.filePath(QStringLiteral("damaged.flash"));
    QFile f(flash);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("H5VTFLSH\x01\x00\x00\x00\x10", 13); // cut short
    f.close();

    const QStringList runs[] = {
        {QStringLiteral("--flash"), flash},
        {QStringLiteral("--dump-flash"), flash},
        {QStringLiteral("--dump-flash"), dir.filePath(QStringLiteral("missing"))},
        {QStringLiteral("--stop-after"), QStringLiteral("many")},
    };
    for (const QStringList &args : runs) {
        QProcess p;
        p.start(QStringLiteral(H5_SIM_PATH), args);
        ASSERT_TRUE(p.waitForFinished(10000)) << args.join(' ').toStdString();
        EXPECT_EQ(p.exitCode(), 2) << args.join(' ').toStdString();
        EXPECT_TRUE(p.readAllStandardOutput().isEmpty()) << "a device was offered anyway";
        EXPECT_FALSE(p.readAllStandardError().isEmpty()) << args.join(' ').toStdString();
    }
}

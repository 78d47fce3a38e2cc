// The virtual terminal's side of the download protocol: answers to every
// frame and packet, what lands in its flash, independence from how the stream
// is cut, recovery from noise, the misbehaviours and the state file. Frames
// are written out by hand in hex.

#include "support/TestUtil.h"

#include "terminal/VirtualTerminal.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <random>

using namespace h5;
using h5test::Blob;
using h5test::hex;

namespace {

std::string hx(const QByteArray &b) { return h5test::toHex(b); }

constexpr int kPage = 2112;
constexpr int kBlock = 135168;

// Data whose bytes depend on where they are, so a misplaced packet shows.
// Never holds AA, 7F or 1B, the bytes a frame starts with.
QByteArray pattern(int size, int seed)
{
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i) {
        unsigned char c = static_cast<unsigned char>((i * 7 + seed * 31 + i / 251) & 0xFF);
        if (c == 0xAA || c == 0x7F || c == 0x1B)
            c = 0x11;
        b[i] = char(c);
    }
    return b;
}

QByteArray ff(int n) { return QByteArray(n, '\xFF'); }

struct Step
{
    QByteArray sent;
    QByteArray reply;
};

const QByteArray kAck = hex("55");
const QByteArray kEnd = hex("FF FF EE FF");

// The example exchange of a project of one page of two flash pages plus
// picture 3 (100 x 100), followed by a control block, a second picture
// smaller than a page, a font and a registry read that lists both pictures.
struct Download
{
    QByteArray index = pattern(2048, 1);
    QByteArray page1 = pattern(kPage, 2);
    QByteArray page2 = pattern(kPage, 3);
    QByteArray controls = pattern(kPage, 4);
    QByteArray pixels3 = pattern(100 * 100 * 2, 5);
    QByteArray pixels5 = pattern(10 * 10 * 2, 6);
    QByteArray font = pattern(2 * kPage, 7);
    QByteArray registry;
    QList<Step> steps;

    QByteArray projectData() const
    {
        return hex("7F 1B 75 FF FF EE FF") + index + hex("7F 1B 56 00 00 02 00 FF FF EE FF")
               + page1 + page2 + hex("7F 1B 71 00 00 FF FF EE FF") + controls;
    }

    Download()
    {
        registry = ff(4800);
        registry.replace(3 * 8, 8, hex("03 00 00 00 64 00 64 00"));
        registry.replace(5 * 8, 8, hex("05 00 01 00 0A 00 0A 00"));

        steps << Step{hex("AA"), hex("33")};
        steps << Step{hex("7F 1B 75 FF FF EE FF"), kAck} << Step{index, kAck};
        steps << Step{hex("7F 1B 56 00 00 02 00 FF FF EE FF"), kAck} << Step{page1, kAck}
              << Step{page2, kAck};
        steps << Step{hex("7F 1B 71 00 00 FF FF EE FF"), kAck} << Step{controls, kAck};
        steps << Step{hex("1B 27 FF FF EE FF"), kEnd}; // empty registry: the terminator alone
        steps << Step{hex("7F 1B 73 FF FF EE FF"), kAck} << Step{registry.left(2112), kAck}
              << Step{registry.mid(2112, 2112), kAck} << Step{registry.mid(4224), kAck};
        steps << Step{hex("7F 1B 1C 03 00 00 00 64 00 64 00 FF FF EE FF"), kAck};
        for (int i = 0; i < 10; ++i) // nine packets of 2112 and one of 992
            steps << Step{pixels3.mid(i * kPage, kPage), kAck};
        steps << Step{hex("7F 1B 1C 05 00 01 00 0A 00 0A 00 FF FF EE FF"), kAck}
              << Step{pixels5, kAck};
        steps << Step{hex("7F 1B 74 02 00 02 00 FF FF EE FF"), kAck}
              << Step{font.left(kPage), kAck} << Step{font.mid(kPage), kAck};
        steps << Step{hex("1B 27 FF FF EE FF"),
                      hex("00 00 03 00 00 00 64 00 64 00 00 00 05 00 01 00 0A 00 0A 00 FF FF EE FF")};
    }

    QByteArray stream() const
    {
        QByteArray all;
        for (const Step &s : steps)
            all += s.sent;
        return all;
    }
    QByteArray replies() const
    {
        QByteArray all;
        for (const Step &s : steps)
            all += s.reply;
        return all;
    }
};

// Feeds `bytes` in pieces of random size (1 .. maxPiece) and joins the answers.
QByteArray feedInPieces(VirtualTerminal &t, const QByteArray &bytes, unsigned seed, int maxPiece)
{
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> size(1, maxPiece);
    QByteArray out;
    for (qsizetype pos = 0; pos < bytes.size();) {
        const qsizetype n = std::min<qsizetype>(size(rng), bytes.size() - pos);
        out += t.feed(bytes.mid(pos, n));
        pos += n;
    }
    return out;
}

void expectFlashOfDownload(const VirtualTerminal &t, const Download &d)
{
    EXPECT_EQ(t.projectData(), d.projectData());
    EXPECT_EQ(t.registry(), d.registry);
    EXPECT_EQ(t.picture(3), d.pixels3);
    EXPECT_EQ(t.pictureStore(0, d.pixels3.size()), d.pixels3);
    EXPECT_EQ(t.pictureStore(kBlock, d.pixels5.size()), d.pixels5);
    ASSERT_TRUE(t.fonts().contains(2));
    EXPECT_EQ(t.fonts().value(2), d.font);
    EXPECT_EQ(t.usedBlocks(), (QList<int>{0, 1}));
}

} // namespace

TEST(VirtualTerminalTest, AnswersEachFrameAndPacketOfADownloadInTurn)
{
    const Download d;
    VirtualTerminal t;
    for (int i = 0; i < d.steps.size(); ++i) {
        ASSERT_EQ(hx(t.feed(d.steps[i].sent)), hx(d.steps[i].reply)) << "step " << i;
    }
    EXPECT_TRUE(t.idle());
    expectFlashOfDownload(t, d);
}

TEST(VirtualTerminalTest, HowTheStreamIsCutChangesNeitherAnswersNorFlash)
{
    const Download d;
    VirtualTerminal whole;
    ASSERT_EQ(hx(whole.feed(d.stream())), hx(d.replies()));
    expectFlashOfDownload(whole, d);

    struct Cut { unsigned seed; int maxPiece; };
    const Cut cuts[] = {{1, 1}, {2, 3}, {3, 17}, {4, 700}, {5, 2113}, {6, 9000}};
    for (const Cut &c : cuts) {
        VirtualTerminal t;
        EXPECT_EQ(hx(feedInPieces(t, d.stream(), c.seed, c.maxPiece)), hx(d.replies()))
            << "pieces up to " << c.maxPiece;
        EXPECT_EQ(t.saveState(), whole.saveState()) << "pieces up to " << c.maxPiece;
        EXPECT_EQ(t.flashRevision(), whole.flashRevision());
    }
}

TEST(VirtualTerminalTest, DataPacketsEndWhereTheFrameSaysNotWhereTheBytesPause)
{
    struct Case
    {
        const char *what;
        QByteArray header;
        int packetSize; // size of the packet after the header
    };
    const Case cases[] = {
        {"short segment: one page", hex("7F 1B 70 05 00 FF FF EE FF"), kPage},
        {"long segment of one page", hex("7F 1B 56 09 00 01 00 FF FF EE FF"), kPage},
        {"picture smaller than a page", hex("7F 1B 1C 01 00 00 00 03 00 02 00 FF FF EE FF"), 12},
        {"font of one page", hex("7F 1B 74 00 00 01 00 FF FF EE FF"), kPage},
    };
    for (const Case &c : cases) {
        VirtualTerminal t;
        ASSERT_EQ(hx(t.feed(c.header)), hx(kAck)) << c.what;
        // One byte short: no answer yet, a probe byte is still data.
        EXPECT_EQ(hx(t.feed(QByteArray(c.packetSize - 2, '\x11') + hex("AA"))), "") << c.what;
        EXPECT_FALSE(t.idle()) << c.what;
        // The last byte completes the packet; a probe after it is a probe.
        EXPECT_EQ(hx(t.feed(hex("AA AA"))), "55 33") << c.what;
    }
}

TEST(VirtualTerminalTest, FramesAnnouncingNoDataLeaveTheTerminalReadyForTheNextFrame)
{
    const QByteArray frames[] = {
        hex("7F 1B 56 00 00 00 00 FF FF EE FF"),           // segment of 0 pages
        hex("7F 1B 1C 04 00 00 00 00 00 10 00 FF FF EE FF"), // picture 0 wide
        hex("7F 1B 74 01 00 00 00 FF FF EE FF"),           // font of 0 pages
    };
    for (const QByteArray &f : frames) {
        VirtualTerminal t;
        EXPECT_EQ(hx(t.feed(f + hex("AA"))), "55 33") << hx(f);
    }
}

TEST(VirtualTerminalTest, ScreenPicturePixelsAreTakenSilentlyEvenWhenTheyLookLikeProbes)
{
    VirtualTerminal t;
    EXPECT_EQ(hx(t.feed(hex("1B 24 00 00 00 00 02 00 02 00 FF FF EE FF"))), "55");
    EXPECT_EQ(hx(t.feed(QByteArray(8, '\xAA'))), "");
    EXPECT_EQ(hx(t.feed(hex("AA"))), "33");
}

TEST(VirtualTerminalTest, PictureRunningPastTheLastBlockIsAcknowledgedAndCutAtTheEnd)
{
    // 300 x 300 pixels need 180,000 bytes: more than the one block left at 599.
    VirtualTerminal t;
    ASSERT_EQ(hx(t.feed(hex("7F 1B 1C 09 00 57 02 2C 01 2C 01 FF FF EE FF"))), "55");
    const QByteArray pixels = pattern(300 * 300 * 2, 9);
    EXPECT_EQ(t.feed(pixels), QByteArray(86, 0x55)); // ceil(180000 / 2112) packets
    EXPECT_TRUE(t.idle());
    EXPECT_EQ(t.pictureStore(599LL * kBlock, kBlock), pixels.left(kBlock));
    EXPECT_EQ(t.usedBlocks(), QList<int>{599});
}

TEST(VirtualTerminalTest, RewrittenRegistryKeepsListedPicturesAndFreesTheRest)
{
    VirtualTerminal t;
    const QByteArray pixels = pattern(20, 3);
    // Pictures 1 and 2 at blocks 0 and 1, both registered.
    QByteArray reg = ff(4800);
    reg.replace(8, 8, hex("01 00 00 00 02 00 05 00"));
    reg.replace(16, 8, hex("02 00 01 00 02 00 05 00"));
    QByteArray stream = hex("7F 1B 73 FF FF EE FF") + reg
                        + hex("7F 1B 1C 01 00 00 00 02 00 05 00 FF FF EE FF") + pixels
                        + hex("7F 1B 1C 02 00 01 00 02 00 05 00 FF FF EE FF") + pixels;
    ASSERT_EQ(t.feed(stream), QByteArray(8, 0x55));
    ASSERT_EQ(t.usedBlocks(), (QList<int>{0, 1}));
    // A registry without picture 1 gives up block 0 and keeps block 1.
    reg.replace(8, 8, ff(8));
    ASSERT_EQ(t.feed(hex("7F 1B 73 FF FF EE FF") + reg), QByteArray(4, 0x55));
    EXPECT_EQ(t.usedBlocks(), QList<int>{1});
    EXPECT_EQ(t.picture(2), pixels);
    EXPECT_EQ(t.picture(1), QByteArray());
    EXPECT_EQ(hx(t.feed(hex("1B 27 FF FF EE FF"))), "00 00 02 00 01 00 02 00 05 00 FF FF EE FF");
}

TEST(VirtualTerminalTest, NoiseBeforeAFrameIsSkippedUpToTheFrame)
{
    const char *noise[] = {
        "00",
        "55 33 12",
        "7F",                                  // frame start cut off by the probe
        "7F 00",
        "7F 1B",
        "1B",
        "1B 99 FF FF EE FF",                   // unknown command
        "1B 27 FF FF EE 00",                   // registry read with a broken terminator
        "7F 1B 56 00 00 01 00 FF FF EE 00",    // segment header with a broken terminator
        "7F 1B 75 FF FF",                      // header cut short
        "7F 1B 1C 01 00 00 00 01 00 01 00 FF FE", // picture header gone wrong near the end
    };
    for (const char *n : noise) {
        VirtualTerminal t;
        EXPECT_EQ(hx(t.feed(hex(n) + hex("AA"))), "33") << n;
        EXPECT_TRUE(t.idle()) << n;
        EXPECT_EQ(t.projectData(), QByteArray()) << n;
        // The same, a byte at a time.
        VirtualTerminal u;
        EXPECT_EQ(hx(feedInPieces(u, hex(n) + hex("AA"), 7, 1)), "33") << n;
    }
}

TEST(VirtualTerminalTest, RandomNoiseNeverBreaksTheTerminal)
{
    // Pieces of real frames, frames cut short and stray bytes, mixed.
    const Download d;
    std::mt19937 rng(42);
    QByteArray noise;
    const QByteArray stream = d.stream();
    while (noise.size() < 300000) {
        const int kind = int(rng() % 3);
        if (kind == 0) {
            const int from = int(rng() % stream.size());
            noise += stream.mid(from, 1 + int(rng() % 40));
        } else if (kind == 1) {
            noise += hex("7F 1B").left(1 + int(rng() % 2));
            noise += char(rng() & 0xFF);
        } else {
            for (int i = 0, n = 1 + int(rng() % 20); i < n; ++i)
                noise += char(rng() & 0xFF);
        }
    }
    VirtualTerminal t;
    feedInPieces(t, noise, 43, 500);
    EXPECT_FALSE(t.hungUp());
    // Whatever state it was left in, a closed and reopened line starts afresh.
    t.resetLine();
    EXPECT_TRUE(t.idle());
    EXPECT_EQ(hx(t.feed(hex("AA"))), "33");
}

TEST(VirtualTerminalTest, ClosedLineDropsAHalfReceivedPacket)
{
    VirtualTerminal t;
    ASSERT_EQ(hx(t.feed(hex("7F 1B 75 FF FF EE FF") + QByteArray(100, '\x01'))), "55");
    t.resetLine();
    EXPECT_EQ(hx(t.feed(hex("AA"))), "33");
    EXPECT_EQ(t.projectData(), hex("7F 1B 75 FF FF EE FF"));
}

TEST(VirtualTerminalTest, MisbehavioursHitTheCountedPacket)
{
    // Probe, project header, page index (zeros: noise once the header is
    // refused), registry read, probe.
    const QList<QByteArray> script = {hex("AA"), hex("7F 1B 75 FF FF EE FF"), QByteArray(2048, '\0'),
                                      hex("1B 27 FF FF EE FF"), hex("AA")};
    const QByteArray bad = hex("00 00 00 00 58 02 01 00 01 00");
    const QByteArray g = hex("00 5A C3");
    struct Case
    {
        const char *what;
        VirtualTerminal::Faults faults;
        QList<QByteArray> replies;
        int projectBytes; // what the faults let into the flash
        bool hungUp;
    };
    const auto faults = [](auto set) {
        VirtualTerminal::Faults f;
        set(f);
        return f;
    };
    const Case cases[] = {
        {"well behaved", {}, {hex("33"), kAck, kAck, kEnd, hex("33")}, 2055, false},
        {"no answer", faults([](auto &f) { f.noAnswer = true; }), {{}, {}, {}, {}, {}}, 0, false},
        {"wrong reply to the header",
         faults([](auto &f) { f.wrongReplyAfter = 1; }),
         {hex("33"), hex("21"), {}, kEnd, hex("33")}, 0, false},
        {"wrong reply to the index, chosen byte",
         faults([](auto &f) { f.wrongReplyAfter = 2; f.wrongByte = 0x54; }),
         {hex("33"), kAck, hex("54"), kEnd, hex("33")}, 7, false},
        {"stops after two", faults([](auto &f) { f.stopAfter = 2; }),
         {hex("33"), kAck, {}, {}, {}}, 7, false},
        {"hangs up after two", faults([](auto &f) { f.hangupAfter = 2; }),
         {hex("33"), kAck, {}, {}, {}}, 7, true},
        {"garbage after three", faults([](auto &f) { f.garbageAfter = 3; }),
         {hex("33"), kAck, kAck, g + kEnd, g + hex("33")}, 2055, false},
        {"garbage of choice before every answer",
         faults([](auto &f) { f.garbageAfter = 0; f.garbage = hex("FE"); }),
         {hex("FE 33"), hex("FE 55"), hex("FE 55"), hex("FE") + kEnd, hex("FE 33")}, 2055, false},
        {"bad registry", faults([](auto &f) { f.badRegistry = true; }),
         {hex("33"), kAck, kAck, bad + kEnd, hex("33")}, 2055, false},
    };
    for (const Case &c : cases) {
        VirtualTerminal t;
        t.setFaults(c.faults);
        for (int i = 0; i < script.size(); ++i)
            EXPECT_EQ(hx(t.feed(script[i])), hx(c.replies[i])) << c.what << ", packet " << i + 1;
        EXPECT_EQ(t.projectData().size(), c.projectBytes) << c.what;
        EXPECT_EQ(t.hungUp(), c.hungUp) << c.what;
    }
}

TEST(VirtualTerminalTest, AnswersBeforeAHangUpInTheSameChunkStillGoOut)
{
    VirtualTerminal t;
    VirtualTerminal::Faults f;
    f.hangupAfter = 2;
    t.setFaults(f);
    EXPECT_EQ(hx(t.feed(hex("AA AA AA AA"))), "33 33");
    EXPECT_TRUE(t.hungUp());
    EXPECT_EQ(hx(t.feed(hex("AA"))), "");
}

TEST(VirtualTerminalTest, StateSurvivesASaveAndLoad)
{
    const Download d;
    VirtualTerminal t;
    ASSERT_EQ(hx(t.feed(d.stream())), hx(d.replies()));

    VirtualTerminal copy;
    QString error;
    ASSERT_TRUE(copy.loadState(t.saveState(), &error)) << error.toStdString();
    expectFlashOfDownload(copy, d);
    EXPECT_EQ(copy.summaryJson(), t.summaryJson());

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("flash.state"));
    ASSERT_TRUE(t.saveStateFile(file, &error)) << error.toStdString();
    VirtualTerminal fromFile;
    ASSERT_TRUE(fromFile.loadStateFile(file, &error)) << error.toStdString();
    expectFlashOfDownload(fromFile, d);

    // The registry read of a reloaded terminal lists what was written before.
    EXPECT_EQ(hx(fromFile.feed(hex("1B 27 FF FF EE FF"))), hx(d.steps.last().reply));

    // A missing file is a new, empty flash.
    VirtualTerminal fresh;
    ASSERT_TRUE(fresh.loadStateFile(dir.filePath(QStringLiteral("none")), &error));
    EXPECT_EQ(fresh.registry(), ff(4800));
    EXPECT_TRUE(fresh.projectData().isEmpty());
}

// A state file with the given fonts (one byte each) and nothing else.
QByteArray stateWithFonts(const QList<int> &numbers)
{
    Blob b;
    b.raw(QByteArray("H5VTFLSH")).u32(1).u32(0).raw(ff(4800)).u32(uint32_t(numbers.size()));
    for (const int n : numbers)
        b.u16(unsigned(n)).u32(1).u8(0x40 + unsigned(n));
    b.u32(0).raw(QByteArray("END."));
    return b.b;
}

TEST(VirtualTerminalTest, StateIsTakenOnlyInTheOrderSaveWritesIt)
{
    // What loads saves back byte for byte; fonts listed twice or out of
    // order would not, and one of the two copies would be lost.
    VirtualTerminal t;
    QString error;
    const QByteArray rising = stateWithFonts({1, 4});
    ASSERT_TRUE(t.loadState(rising, &error)) << error.toStdString();
    EXPECT_EQ(t.saveState(), rising);
    for (const QList<int> &bad : {QList<int>{4, 1}, QList<int>{4, 4}}) {
        error.clear();
        EXPECT_FALSE(t.loadState(stateWithFonts(bad), &error));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(t.saveState(), rising);
    }
}

TEST(VirtualTerminalTest, DamagedStateIsRefusedAndTheFlashLeftAsItWas)
{
    const Download d;
    VirtualTerminal source;
    source.feed(d.stream());
    const QByteArray good = source.saveState();

    QList<QByteArray> damaged;
    for (qsizetype cut : {qsizetype(0), qsizetype(5), qsizetype(12), qsizetype(100),
                          qsizetype(5000), good.size() / 2, good.size() - 4, good.size() - 1})
        damaged << good.left(cut);
    damaged << good + hex("00");                         // trailing byte
    damaged << QByteArray("XXXXXXXX") + good.mid(8);     // not a state file
    QByteArray version = good;
    version[8] = 2;
    damaged << version;                                  // a version we do not know

    QTemporaryDir dir;
    for (const QByteArray &bad : damaged) {
        VirtualTerminal t;
        t.feed(hex("7F 1B 75 FF FF EE FF"));
        const QByteArray before = t.saveState();
        QString error;
        EXPECT_FALSE(t.loadState(bad, &error)) << bad.size() << " bytes";
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(t.saveState(), before);

        const QString file = dir.filePath(QStringLiteral("bad.state"));
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bad);
        f.close();
        error.clear();
        EXPECT_FALSE(t.loadStateFile(file, &error));
        EXPECT_TRUE(error.contains(file)) << error.toStdString();
    }
}

// The answer time-outs of the downloads allow for the bytes' time on the
// line. A 2112-byte packet needs 8.8 s at 2400 baud; a 5 s wait counted
// from the moment the packet was queued ended every picture and font
// download at that rate with "连接超时!" while the packet was still going
// out. Every session is run here on an in-process line with the rate set,
// at every rate the windows offer, under the virtual clock:
//
//  - a whole download (pictures, font) completes;
//  - a terminal that falls silent at any packet still ends it with
//    "连接超时!", exactly 5 s after the packet has left the line (the
//    registry read: 10 s and the line time of the longest registry reply);
//  - the time a user spends reading a message or answering a question is
//    not counted as the terminal's silence.

#include "LinkTestSupport.h"

#include "link/DebugSession.h"
#include "link/DownloadSession.h"
#include "link/Frames.h"
#include "link/Registry.h"
#include "link/ReplyTimer.h"
#include "terminal/InProcessLink.h"
#include "terminal/VirtualTerminal.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>

using namespace h5;
using namespace h5linktest;

namespace {

// The rate lists of the file download and project windows, and of the
// online debug window.
const std::vector<qint32> kFileWindowRates = {1228800, 921600, 460800, 230400, 115200, 57600,
                                              38400,   19200,  9600,   4800,   2400};
const std::vector<qint32> kDebugWindowRates = {1228800, 921600, 460800, 115200, 57600,
                                               38400,   19200,  9600,   4800,   2400};

constexpr int64_t kHour = 3600 * 1000;
const QString kTimedOut = QStringLiteral("连接超时!");

// A terminal whose registry names all 600 picture numbers, one block each:
// its registry reply is the longest there is, and a picture of two blocks
// finds no room ("存储空间已满，从头覆盖。").
void fillRegistry(VirtualTerminal &terminal)
{
    QByteArray image = emptyRegistryImage();
    for (int n = 0; n < kSlotCount; ++n)
        writeRegistryEntry(image.data() + n * kRegistryEntrySize, RegistryRecord{n, n, 10, 10});
    ASSERT_EQ(terminal.feed(registryWriteCommand()), bytes1(kAcknowledge));
    ASSERT_EQ(terminal.feed(image.left(kPage)), bytes1(kAcknowledge));
    ASSERT_EQ(terminal.feed(image.mid(kPage, kPage)), bytes1(kAcknowledge));
    ASSERT_EQ(terminal.feed(image.mid(2 * kPage)), bytes1(kAcknowledge));
    ASSERT_EQ(terminal.registryEntries().size(), size_t(kSlotCount));
}

// One download on a line with a rate.
struct Run
{
    QTemporaryDir dir;
    VirtualTerminal terminal;
    InProcessLink link{terminal};
    int64_t base = 0; // packets before the download (a debug handshake)
    virtual ~Run() = default;
    virtual bool start() = 0;
    virtual bool ended() const = 0;
    virtual bool completed() const = 0;
    QString texts() const { return (link.statuses + link.messages + link.questions).join('|'); }
};

struct FileRun : Run
{
    DownloadSession s{link};
    DownloadFiles files;
    // `big`: the second picture needs two flash blocks.
    FileRun(qint32 baud, bool pictures, bool big = false)
    {
        link.setLineBaud(baud);
        link.attach(s);
        link.setOnClose([this] { s.portClosed(); });
        if (pictures)
            files.pictures = writeFile(dir, "l.tbm", pictureList({{3, 40, 30}, {7, big ? 320 : 20, big ? 240 : 20}}));
        else
            files.font = writeFile(dir, "f.wzk", fontFile({2, 1}));
    }
    bool start() override
    {
        s.portOpened();
        QString error;
        return s.start(files, &error);
    }
    bool ended() const override
    {
        return s.outcome() == TransferSession::Outcome::Completed
            || s.outcome() == TransferSession::Outcome::Failed || !link.lineOpen();
    }
    bool completed() const override { return s.outcome() == TransferSession::Outcome::Completed; }
};

struct DebugRun : Run
{
    DebugSession s{link};
    bool pictures;
    std::vector<DebugPicture> list{{4, 60, 40}, {9, 10, 10}};
    std::vector<size_t> missing; // entries whose pixels cannot be made
    DebugRun(qint32 baud, bool pictureDownload, bool big = false) : pictures(pictureDownload)
    {
        if (big)
            list[1] = {9, 320, 240};
        link.setLineBaud(baud);
        link.attach(s);
        link.setOnClose([this] { s.portClosed(); });
        s.portOpened();
        link.advanceUntil([this] { return s.state() == LinkState::Ready; }, 20000);
        base = terminal.packetCount();
    }
    bool start() override
    {
        if (s.state() != LinkState::Ready)
            return false;
        if (pictures) {
            return s.downloadPictures(list, false, [this](size_t i, QString *why) {
                if (std::find(missing.begin(), missing.end(), i) != missing.end()) {
                    *why = QStringLiteral("test");
                    return QByteArray();
                }
                return pattern(int(pictureBytes(list[i].width, list[i].height)), int(i));
            });
        }
        const QString a = writeFile(dir, "a.txt", "01 02 03");
        const QString b = writeFile(dir, "b.txt", QByteArray(2112 * 2 + 10, '7'));
        return s.downloadFonts({{a, 1}, {b, 2}});
    }
    bool ended() const override { return s.lastDownloadEnd() != DownloadEnd::Running || !link.lineOpen(); }
    bool completed() const override { return s.lastDownloadEnd() == DownloadEnd::Completed; }
};

struct Download
{
    const char *name;
    const std::vector<qint32> *rates;
    std::function<std::unique_ptr<Run>(qint32 baud)> make;
    // Pictures only: a list whose second picture needs two flash blocks.
    std::function<std::unique_ptr<Run>(qint32 baud)> makeBig;
};

std::vector<Download> kinds()
{
    using R = std::unique_ptr<Run>;
    return {
        {"file download, pictures", &kFileWindowRates, [](qint32 b) { return R(new FileRun(b, true)); },
         [](qint32 b) { return R(new FileRun(b, true, true)); }},
        {"file download, font", &kFileWindowRates, [](qint32 b) { return R(new FileRun(b, false)); }, {}},
        {"debug download, pictures", &kDebugWindowRates, [](qint32 b) { return R(new DebugRun(b, true)); },
         [](qint32 b) { return R(new DebugRun(b, true, true)); }},
        {"debug download, fonts", &kDebugWindowRates, [](qint32 b) { return R(new DebugRun(b, false)); }, {}},
    };
}

} // namespace

TEST(LineRateTimeOut, DownloadsAtEveryRateCompleteWhenPacketsTakeLongerThanTheTimeOutOnTheLine)
{
    for (const Download &k : kinds()) {
        for (const qint32 baud : *k.rates) {
            SCOPED_TRACE(std::string(k.name) + " at " + std::to_string(baud));
            auto run = k.make(baud);
            ASSERT_TRUE(run->start()) << run->texts().toStdString();
            ASSERT_TRUE(run->link.advanceUntil([&] { return run->ended(); }, kHour)) << "hung";
            EXPECT_TRUE(run->completed()) << run->texts().toStdString();
            EXPECT_FALSE(run->link.statuses.contains(kTimedOut));
            // A flash page really took its time on the line.
            EXPECT_GE(run->link.now(), lineTimeMs(kPage, baud));
        }
    }
}

// A terminal falling silent at each packet of `k`'s download in turn.
void silentTerminalTimesOut(const Download &k)
{
    for (const qint32 baud : *k.rates) {
        int64_t packets = 0;
        {
            auto clean = k.make(baud);
            ASSERT_TRUE(clean->start());
            ASSERT_TRUE(clean->link.advanceUntil([&] { return clean->ended(); }, kHour));
            packets = clean->terminal.packetCount() - clean->base;
        }
        for (int64_t n = 0; n < packets; ++n) {
            SCOPED_TRACE(std::string(k.name) + " at " + std::to_string(baud) + ", silent from packet "
                         + std::to_string(n + 1));
            auto run = k.make(baud);
            VirtualTerminal::Faults faults;
            faults.stopAfter = run->base + n;
            run->terminal.setFaults(faults);
            ASSERT_TRUE(run->start());
            ASSERT_TRUE(run->link.advanceUntil([&] { return run->ended(); }, kHour)) << "hung";
            EXPECT_FALSE(run->completed());
            if (!run->link.statuses.contains(kTimedOut)) {
                // The connection probe goes unanswered: the handshake
                // gives up on its own ticks.
                EXPECT_TRUE(run->link.statuses.contains(QStringLiteral("串口连接不上!")))
                    << run->texts().toStdString();
                continue;
            }
            // The wait began when the last byte had left the line.
            const int64_t silence = run->link.now() - run->link.lastByteLeftAt();
            const bool registryRead = run->link.sentBytes().endsWith(registryReadRequest());
            const int64_t expected = registryRead ? registryTimeoutMs(10000, baud)
                                                        - lineTimeMs(registryReadRequest().size(), baud)
                                                  : 5000;
            EXPECT_EQ(silence, expected) << run->texts().toStdString();
        }
    }
}

// The file windows' downloads and the debug window's, each a suite of its
// own so that ctest runs them side by side.
TEST(LineRateTimeOut, SilentTerminalTimesOutFiveSecondsAfterTheBytesHaveLeftAtEveryRate)
{
    for (const Download &k : kinds())
        if (k.rates == &kFileWindowRates)
            silentTerminalTimesOut(k);
}

TEST(DebugLineRateTimeOut, SilentTerminalTimesOutFiveSecondsAfterTheBytesHaveLeftAtEveryRate)
{
    for (const Download &k : kinds())
        if (k.rates == &kDebugWindowRates)
            silentTerminalTimesOut(k);
}

TEST(LineRateTimeOut, LongestRegistryReplyAtTheSlowestRateIsWaitedFor)
{
    // 600 records are 6004 bytes: 25 s back at 2400 baud, beyond the 10 s
    // the registry read waits on a fast line.
    for (const Download &k : kinds()) {
        if (!k.makeBig)
            continue;
        SCOPED_TRACE(k.name);
        auto run = k.makeBig(2400);
        fillRegistry(run->terminal);
        ASSERT_TRUE(run->start());
        ASSERT_TRUE(run->link.advanceUntil([&] { return run->ended(); }, kHour));
        EXPECT_TRUE(run->completed()) << run->texts().toStdString();
        EXPECT_TRUE(run->link.messages.contains(QStringLiteral("存储空间已满，从头覆盖。")))
            << run->texts().toStdString();
    }
}

TEST(LineRateTimeOut, TimeSpentInAMessageOrQuestionIsNotCountedAsSilence)
{
    // Each box stays open a minute; what fell due meanwhile is handed over
    // when it closes, expired timers first.
    for (const qint32 baud : {2400, 115200}) {
        for (const Download &k : kinds()) {
            if (!k.makeBig)
                continue;
            SCOPED_TRACE(std::string(k.name) + " at " + std::to_string(baud)
                         + ": the storage-full message while a registry page goes out");
            auto run = k.makeBig(baud);
            fillRegistry(run->terminal);
            run->link.setDialogTime(60000);
            ASSERT_TRUE(run->start());
            ASSERT_TRUE(run->link.advanceUntil([&] { return run->ended(); }, kHour));
            EXPECT_TRUE(run->completed()) << run->texts().toStdString();
            EXPECT_EQ(run->link.messages, QStringList{QStringLiteral("存储空间已满，从头覆盖。")});
        }
        SCOPED_TRACE("debug download at " + std::to_string(baud) + ": the missing-picture question");
        DebugRun run(baud, true);
        run.list.push_back({11, 30, 30});
        run.missing = {1};
        run.link.setDialogTime(60000);
        ASSERT_TRUE(run.start());
        ASSERT_TRUE(run.link.advanceUntil([&] { return run.ended(); }, kHour));
        EXPECT_TRUE(run.completed()) << run.texts().toStdString();
        EXPECT_EQ(run.link.questions, QStringList{QStringLiteral("编号9图片丢失，是否跳过继续下载?")});
        EXPECT_EQ(run.s.skippedPictures(), std::vector<int>{9});
    }
}

// The debug window's link: state numbers, the handshake (scripted and
// against the in-process terminal under a virtual clock), the framing of
// the terminal's reports in the Ready state, the communication record and
// the chunked sender.

#include "LinkTestSupport.h"

#include "link/DebugSession.h"
#include "terminal/InProcessLink.h"
#include "terminal/VirtualTerminal.h"

#include <functional>
#include <gtest/gtest.h>

using namespace h5;
using namespace h5linktest;
using h5test::hex;

namespace {

const QDateTime kWhen(QDate(2026, 3, 4), QTime(5, 6, 7));
const QString kSent = QStringLiteral("2026-3-4 5:6:7 发送 \r\n");
const QString kGot = QStringLiteral("2026-3-4 5:6:7 收到 \r\n");

CommRecord::Clock fixedClock()
{
    return [] { return kWhen; };
}

int number(LinkState s) { return static_cast<int>(s); }

// A session on a recording host, opened and handed the connection reply.
struct Scripted
{
    RecordingHost host;
    QStringList sendStatuses;
    DebugSession session{host, fixedClock()};
    Scripted()
    {
        session.setSendStatusSink([this](const QString &t) { sendStatuses << t; });
    }
    void connect()
    {
        session.portOpened();
        session.onReceive(bytes1(0x33));
        host.clear();
    }
    QString recordAfterConnect() const
    {
        // The connection reply's entry comes first.
        return session.record().text().mid((kGot + QStringLiteral("33 \r\n")).size());
    }
};

} // namespace

TEST(DebugSession, LinkStatesCarryTheProtocolNumbers)
{
    const std::pair<LinkState, int> cases[] = {
        {LinkState::Offline, 0},           {LinkState::Connecting, 1},       {LinkState::PictureHandshake, 2},
        {LinkState::PictureHeaderSent, 3}, {LinkState::PicturePageSent, 4},  {LinkState::FontHandshake, 5},
        {LinkState::FontPageSent, 6},      {LinkState::BulkSend, 7},         {LinkState::Ready, 10},
        {LinkState::RegistryRead, 11},     {LinkState::RegistryWriteStart, 12}, {LinkState::RegistryPageSent, 13},
        {LinkState::RegistryDone, 14},     {LinkState::RealtimeHeaderSent, 15}, {LinkState::RealtimeChunks, 16},
    };
    for (const auto &[state, value] : cases)
        EXPECT_EQ(number(state), value);
}

// ---- handshake ----

TEST(DebugSession, OpeningStartsTheProbeTimerAndConnectingState)
{
    Scripted t;
    EXPECT_EQ(t.session.state(), LinkState::Offline);
    t.session.portOpened();
    EXPECT_TRUE(t.session.connected());
    EXPECT_EQ(t.session.state(), LinkState::Connecting);
    EXPECT_TRUE(t.host.log.contains(QStringLiteral("start 1 1000")));
    EXPECT_TRUE(t.host.sent.empty()); // the first probe waits for the first tick
}

TEST(DebugSession, HandshakeSendsThreeProbesAndGivesUpOnTheEleventhTick)
{
    Scripted t;
    t.session.portOpened();
    t.host.clear();
    for (int tick = 1; tick <= 10; ++tick)
        t.session.onTimer(DebugSession::kProbeTimer);
    EXPECT_EQ(t.host.allSent(), hex("AA AA AA"));
    EXPECT_EQ(t.session.state(), LinkState::Connecting);
    EXPECT_TRUE(t.host.statuses.isEmpty());

    t.session.onTimer(DebugSession::kProbeTimer); // eleventh
    EXPECT_EQ(t.session.state(), LinkState::Offline);
    EXPECT_TRUE(t.session.connected()); // the port stays open
    EXPECT_EQ(t.host.statuses, QStringList{QStringLiteral("串口连接不上!")});
    EXPECT_EQ(t.host.messages,
              QStringList{QStringLiteral("串口连接失败，可能是波特率设置错误或者下位机连接不正确。")});
    EXPECT_TRUE(t.host.log.contains(QStringLiteral("stop 1")));
    EXPECT_EQ(t.host.log.last(), QStringLiteral("message 串口连接失败，可能是波特率设置错误或者下位机连接不正确。"));
    // The three probes are in the record, one send entry each.
    EXPECT_EQ(t.session.record().text(), (kSent + QStringLiteral("aa \r\n")).repeated(3));
}

TEST(DebugSession, ConnectionReplyMovesToReadyAndIsLogged)
{
    Scripted t;
    t.session.portOpened();
    t.session.onTimer(DebugSession::kProbeTimer);
    t.host.clear();
    t.session.onReceive(bytes1(0x33));
    EXPECT_EQ(t.session.state(), LinkState::Ready);
    EXPECT_EQ(t.host.log, (QStringList{QStringLiteral("stop 1"), QStringLiteral("discard"),
                                       QStringLiteral("status 串口已连接!")}));
    EXPECT_EQ(t.session.record().text(), kSent + QStringLiteral("aa \r\n") + kGot + QStringLiteral("33 \r\n"));
    EXPECT_TRUE(t.session.receiveText().isEmpty());
}

TEST(DebugSession, WrongConnectionReplyGoesOfflineWithItsTexts)
{
    Scripted t;
    t.session.portOpened();
    t.host.clear();
    t.session.onReceive(hex("33 21"));
    EXPECT_EQ(t.session.state(), LinkState::Offline);
    EXPECT_EQ(t.host.statuses, QStringList{QStringLiteral("串口连接错误!")});
    EXPECT_EQ(t.host.messages,
              QStringList{QStringLiteral("串口连接错误，可能是波特率设置错误或者下位机连接不正确。")});
    EXPECT_EQ(t.session.record().text(), kGot + QStringLiteral("21 \r\n"));
    // Offline ignores what arrives later.
    t.session.onReceive(bytes1(0x33));
    EXPECT_EQ(t.session.state(), LinkState::Offline);
}

TEST(DebugSession, ClosingGoesOfflineAndStopsTheProbe)
{
    Scripted t;
    t.session.portOpened();
    t.host.clear();
    t.session.portClosed();
    EXPECT_FALSE(t.session.connected());
    EXPECT_EQ(t.session.state(), LinkState::Offline);
    EXPECT_TRUE(t.host.log.contains(QStringLiteral("stop 1")));
    t.session.onReceive(bytes1(0x33));
    EXPECT_EQ(t.session.state(), LinkState::Offline);
}

TEST(DebugSession, HandshakeWithTheVirtualTerminalConnectsAfterOneSecond)
{
    VirtualTerminal terminal;
    InProcessLink link{terminal};
    DebugSession session{link, fixedClock()};
    link.attach(session);
    session.portOpened();
    link.run();
    EXPECT_EQ(session.state(), LinkState::Connecting);
    link.advance(1000);
    EXPECT_EQ(session.state(), LinkState::Ready);
    EXPECT_EQ(link.sentBytes(), hex("AA"));
    EXPECT_EQ(link.statuses, QStringList{QStringLiteral("串口已连接!")});
    EXPECT_FALSE(link.timerActive(DebugSession::kProbeTimer));
}

TEST(DebugSession, SilentTerminalTimesOutOnTheVirtualClock)
{
    VirtualTerminal terminal;
    VirtualTerminal::Faults faults;
    faults.noAnswer = true;
    terminal.setFaults(faults);
    InProcessLink link{terminal};
    DebugSession session{link, fixedClock()};
    link.attach(session);
    session.portOpened();
    link.advance(10000);
    EXPECT_EQ(session.state(), LinkState::Connecting);
    EXPECT_TRUE(link.statuses.isEmpty());
    link.advance(1000);
    EXPECT_EQ(session.state(), LinkState::Offline);
    EXPECT_EQ(link.sentBytes(), hex("AA AA AA"));
    EXPECT_EQ(link.statuses, QStringList{QStringLiteral("串口连接不上!")});
    EXPECT_EQ(link.messages.size(), 1);
    EXPECT_FALSE(link.timerActive(DebugSession::kProbeTimer));
    EXPECT_TRUE(link.lineOpen());
}

// ---- reports in the Ready state ----

struct ReportCase
{
    const char *name;
    std::vector<const char *> reads; // one receive event each
    const char *logged;              // the record's lines after the reads, "|" between entries
    const char *left;                // receive text left waiting
};

TEST(DebugSession, ReadyReportsAreFramedByTheirFirstBytes)
{
    const ReportCase cases[] = {
        {"touch report whole", {"fe fe 01 02 03 04"}, "fe fe 01 02 03 04 ", ""},
        {"touch report split over three reads", {"fe fe", "01 02", "03 04"}, "fe fe 01 02 03 04 ", ""},
        {"touch report incomplete waits", {"fe fe 01 02 03"}, "", "fe fe 01 02 03 "},
        {"two touch reports in one line", {"fe f0 01 02 03 04 fe fe 05 06 07 08"},
         "fe f0 01 02 03 04 fe fe 05 06 07 08 ", ""},
        {"touch report and a half keeps the half", {"fe fe 01 02 03 04 fe fe 05"}, "fe fe 01 02 03 04 ",
         "fe fe 05 "},
        {"fe alone waits for its second byte", {"fe"}, "", "fe "},
        // A text that can no longer become a report is dropped, so it cannot
        // keep later reports out of the record.
        {"fe without a known second byte is dropped", {"fe 01 02 03 04 05"}, "", ""},
        {"fe with an unknown second byte does not block the next report", {"fe 01", "fe fe 01 02 03 04"},
         "fe fe 01 02 03 04 ", ""},
        {"fc with an unknown second byte is dropped", {"fc 01", "fd fd 07"}, "fd fd 07 ", ""},
        // What follows whole touch reports in the same read is framed at once.
        {"touch report and a three-byte report in one read", {"fe fe 01 02 03 04 fd fd 05"},
         "fe fe 01 02 03 04 |fd fd 05 ", ""},
        {"touch report and noise, then a report", {"fe fe 01 02 03 04 05", "fd fd 07"},
         "fe fe 01 02 03 04 |fd fd 07 ", ""},
        {"key report", {"fc fc 01 02"}, "fc fc 01 02 ", ""},
        {"key report split", {"fc", "f0 01", "02"}, "fc f0 01 02 ", ""},
        {"key report incomplete", {"fc fc 01"}, "", "fc fc 01 "},
        {"three-byte report", {"fd fd 05"}, "fd fd 05 ", ""},
        {"three-byte report split", {"fd", "fd 05"}, "fd fd 05 ", ""},
        // Three-byte reports are split as touch reports are: two in one
        // read were both dropped.
        {"two three-byte reports in one read", {"fd fd 05 fd fd 06"}, "fd fd 05 |fd fd 06 ", ""},
        {"three-byte report and noise keeps the report", {"fd fd 05 06"}, "fd fd 05 ", ""},
        {"three-byte report and noise does not block the next report", {"fd fd 05 06", "fd fd 07"},
         "fd fd 05 |fd fd 07 ", ""},
        {"fd with another second byte is dropped", {"fd 01", "ff ff ee ff"}, "ff ff ee ff ", ""},
        {"dd without ac is dropped", {"dd 01 02", "fd fd 07"}, "fd fd 07 ", ""},
        {"ff that is no terminator is dropped", {"ff 01", "fd fd 07"}, "fd fd 07 ", ""},
        {"terminator begun waits", {"ff ff ee"}, "", "ff ff ee "},
        {"dd ac report ends with the terminator", {"dd ac 01 02 ff ff ee ff"}, "dd ac 01 02 ff ff ee ff ", ""},
        {"dd ac report split waits for its terminator", {"dd ac 01", "02 ff ff", "ee ff"},
         "dd ac 01 02 ff ff ee ff ", ""},
        {"dd ac report unfinished", {"dd ac 01 02 ff ff"}, "", "dd ac 01 02 ff ff "},
        {"bare terminator", {"ff ff ee ff"}, "ff ff ee ff ", ""},
        {"terminator split", {"ff ff", "ee ff"}, "ff ff ee ff ", ""},
        {"connection reply", {"33"}, "33 ", ""},
        {"unknown byte is dropped", {"12 34"}, "", ""},
        {"unknown byte then a report", {"12", "fd fd 05"}, "fd fd 05 ", ""},
        {"two reports, two entries", {"fd fd 01", "ff ff ee ff"}, "fd fd 01 |ff ff ee ff ", ""},
    };
    for (const ReportCase &c : cases) {
        SCOPED_TRACE(c.name);
        Scripted t;
        t.connect();
        for (const char *read : c.reads)
            t.session.onReceive(hex(read));
        QString expected;
        if (*c.logged)
            for (const QString &entry : QString::fromLatin1(c.logged).split(QLatin1Char('|')))
                expected += kGot + entry + QStringLiteral("\r\n");
        EXPECT_EQ(t.recordAfterConnect(), expected);
        EXPECT_EQ(t.session.receiveText(), QByteArray(c.left));
        EXPECT_EQ(t.session.state(), LinkState::Ready);
    }
}

// Framing a report empties the input only: a one-chunk send or a realtime
// picture still in the output queue must not be cut short by a touch
// report arriving meanwhile.
TEST(DebugSession, ReportArrivingDuringASendLeavesTheOutputQueueAlone)
{
    const char *reports[] = {"fe fe 01 02 03 04", "fc fc 01 02", "fd fd 05", "ff ff ee ff", "33", "dd ac 01 ff ff ee ff",
                             "12", "fe 01 02"};
    for (const char *report : reports) {
        SCOPED_TRACE(report);
        Scripted t;
        t.connect();
        ASSERT_TRUE(t.session.sendChunked(QByteArray(1000, 'x'), LinkState::BulkSend));
        t.host.clear();
        t.session.onReceive(hex(report));
        EXPECT_FALSE(t.host.log.contains(QStringLiteral("discard"))) << t.host.log.join('|').toStdString();
    }
}

TEST(DebugSession, LongDdAcReportIsLoggedInSixtyCharacterLines)
{
    Scripted t;
    t.connect();
    QByteArray report = hex("dd ac");
    for (int i = 0; i < 20; ++i)
        report.append(char(i));
    report += hex("ff ff ee ff"); // 26 bytes, 78 characters
    t.session.onReceive(report.left(10));
    EXPECT_EQ(t.recordAfterConnect(), QString());
    t.session.onReceive(report.mid(10));
    const QString text = QString::fromLatin1(report.toHex(' ')) + QLatin1Char(' ');
    EXPECT_EQ(t.recordAfterConnect(), kGot + text.left(60) + QStringLiteral("\r\n") + text.mid(60) + QStringLiteral("\r\n"));
}

// ---- communication record ----

TEST(CommRecord, EntriesCarryTheTimeStampAndHexBytes)
{
    CommRecord r(fixedClock());
    r.addSent(hex("1b 64 3f ff ff ee ff"));
    EXPECT_EQ(r.text(), kSent + QStringLiteral("1b 64 3f ff ff ee ff \r\n"));
    r.clear();
    r.addReceivedByte(0x55);
    EXPECT_EQ(r.text(), kGot + QStringLiteral("55 \r\n"));
    r.clear();
    r.addSentText(QStringLiteral("1B 64 3F"));
    EXPECT_EQ(r.text(), kSent + QStringLiteral("1B 64 3F \r\n"));
}

TEST(CommRecord, TimeStampHasNoLeadingZeros)
{
    CommRecord r([] { return QDateTime(QDate(2027, 11, 30), QTime(23, 59, 0)); });
    r.addReceivedByte(0x33);
    EXPECT_EQ(r.text(), QStringLiteral("2027-11-30 23:59:0 收到 \r\n33 \r\n"));
}

TEST(CommRecord, LongRepliesAreCutIntoSixtyCharacterLines)
{
    const struct
    {
        int bytes;
        std::vector<int> lineLengths;
    } cases[] = {
        {1, {3}},
        {19, {57}},
        {20, {60, 0}}, // an exact line still ends with the remainder's line
        {21, {60, 3}},
        {45, {60, 60, 15}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.bytes);
        CommRecord r(fixedClock());
        QByteArray text;
        for (int i = 0; i < c.bytes; ++i)
            text += QByteArray::number(10 + i % 90).right(2) + ' ';
        r.addReceivedLines(text);
        QString expected = kGot;
        int at = 0;
        for (int len : c.lineLengths) {
            expected += QString::fromLatin1(text.mid(at, len)) + QStringLiteral("\r\n");
            at += len;
        }
        EXPECT_EQ(r.text(), expected);
    }
}

TEST(DebugSession, ClearRecordEmptiesItAndTellsTheWindow)
{
    Scripted t;
    int changes = 0;
    t.session.setRecordChanged([&] { ++changes; });
    t.connect();
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(t.session.record().text().isEmpty());
    t.session.clearRecord();
    EXPECT_TRUE(t.session.record().text().isEmpty());
    EXPECT_EQ(changes, 2);
}

// ---- chunked sender ----

TEST(DebugSession, ChunkedSenderSendsOneChunkPerDrainedEvent)
{
    Scripted t;
    t.connect();
    const QByteArray data = pattern(7000, 3);
    ASSERT_TRUE(t.session.sendChunked(data, LinkState::BulkSend));
    EXPECT_EQ(t.session.state(), LinkState::BulkSend);
    ASSERT_EQ(t.host.sent.size(), 1u);
    EXPECT_EQ(t.sendStatuses, QStringList{QStringLiteral("下载：33%")});

    t.session.onOutputDrained();
    ASSERT_EQ(t.host.sent.size(), 2u);
    EXPECT_EQ(t.sendStatuses.last(), QStringLiteral("正在下载..."));
    t.session.onOutputDrained();
    ASSERT_EQ(t.host.sent.size(), 3u);
    EXPECT_EQ(t.sendStatuses.size(), 2); // the last chunk shows nothing until it drained
    t.session.onOutputDrained();
    EXPECT_EQ(t.sendStatuses.last(), QStringLiteral("下载完毕"));
    t.session.onOutputDrained(); // later events change nothing
    t.session.onOutputDrained();

    ASSERT_EQ(t.host.sent.size(), 3u);
    EXPECT_EQ(t.host.sent[0].size(), 3000);
    EXPECT_EQ(t.host.sent[1].size(), 3000);
    EXPECT_EQ(t.host.sent[2].size(), 1000);
    EXPECT_EQ(t.host.allSent(), data);
    EXPECT_EQ(t.sendStatuses.size(), 3);
    EXPECT_EQ(t.session.state(), LinkState::BulkSend); // stays until another command
    EXPECT_TRUE(t.host.statuses.isEmpty());          // nothing in the picture status box
}

TEST(DebugSession, ChunkCountsFollowTheLength)
{
    const struct
    {
        int length;
        std::vector<int> chunks;
        const char *first;
    } cases[] = {
        {1, {1}, "下载：100%"},
        {3000, {3000}, "下载：100%"},
        {3001, {3000, 1}, "下载：50%"},
        {6000, {3000, 3000}, "下载：50%"},
        {9001, {3000, 3000, 3000, 1}, "下载：25%"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.length);
        Scripted t;
        t.connect();
        const QByteArray data = pattern(c.length, 7);
        ASSERT_TRUE(t.session.sendChunked(data, LinkState::RealtimeChunks));
        for (int i = 0; i < 8; ++i)
            t.session.onOutputDrained();
        ASSERT_EQ(t.host.sent.size(), c.chunks.size());
        for (size_t i = 0; i < c.chunks.size(); ++i)
            EXPECT_EQ(t.host.sent[i].size(), c.chunks[i]);
        EXPECT_EQ(t.host.allSent(), data);
        EXPECT_EQ(t.sendStatuses.first(), QString::fromUtf8(c.first));
        if (c.chunks.size() > 1) {
            EXPECT_EQ(t.sendStatuses.last(), QStringLiteral("下载完毕"));
            EXPECT_EQ(t.session.state(), LinkState::RealtimeChunks);
        } else {
            EXPECT_EQ(t.sendStatuses.size(), 1);
            EXPECT_EQ(t.session.state(), LinkState::Ready);
        }
    }
}

TEST(DebugSession, ChunkedSenderDoesNothingWhileThePortIsClosed)
{
    Scripted t;
    EXPECT_FALSE(t.session.sendChunked(pattern(7000, 1), LinkState::BulkSend));
    EXPECT_TRUE(t.host.sent.empty());
    EXPECT_TRUE(t.sendStatuses.isEmpty());
}

TEST(DebugSession, DrainedEventsOutsideChunkedSendingAreIgnored)
{
    Scripted t;
    t.connect();
    t.session.onOutputDrained();
    EXPECT_TRUE(t.host.sent.empty());
    // Closing in the middle of a chunked send stops it.
    t.session.sendChunked(pattern(9000, 2), LinkState::BulkSend);
    t.session.portClosed();
    t.session.onOutputDrained();
    EXPECT_EQ(t.host.sent.size(), 1u);
}

TEST(DebugSession, ChunkedSendOverTheInProcessLinkDeliversEveryByte)
{
    VirtualTerminal terminal;
    InProcessLink link{terminal};
    DebugSession session{link, fixedClock()};
    link.attach(session);
    session.portOpened();
    link.advance(1000);
    ASSERT_EQ(session.state(), LinkState::Ready);
    const QByteArray data = pattern(7000, 9);
    session.sendChunked(data, LinkState::BulkSend);
    link.run();
    EXPECT_EQ(link.sentBytes(), hex("AA") + data);
    EXPECT_EQ(link.statuses.last(), QStringLiteral("下载完毕"));
}

// ---- realtime picture ----

TEST(DebugSession, RealtimePictureWaitsForTheHeadersAcknowledgeThenSendsItsPixels)
{
    const QByteArray header = hex("7f 1b 1d 00 00 00 00 1e 00 1e 00 ff ff ee");
    struct Case
    {
        const char *name;
        int pixels;
        std::vector<int> packets; // sizes sent after the header, drained events included
        QStringList statuses;
        LinkState after;
    } cases[] = {
        {"one chunk goes at once", 1800, {1800}, {QStringLiteral("开始下载..."), QStringLiteral("下载：100%")},
         LinkState::Ready},
        {"more than a chunk goes chunked", 7000, {3000, 3000, 1000},
         {QStringLiteral("开始下载..."), QStringLiteral("下载：33%"), QStringLiteral("正在下载..."),
          QStringLiteral("下载完毕")},
         LinkState::RealtimeChunks},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Scripted t;
        t.connect();
        const QByteArray pixels = pattern(c.pixels, 9);
        ASSERT_TRUE(t.session.sendRealtimePicture(header, pixels));
        EXPECT_EQ(t.session.state(), LinkState::RealtimeHeaderSent);
        ASSERT_EQ(t.host.sent.size(), 1u);
        EXPECT_EQ(t.host.sent[0], header);
        EXPECT_EQ(t.recordAfterConnect(), kSent + QString::fromLatin1(header.toHex(' ')) + QStringLiteral(" \r\n"));
        t.session.onOutputDrained(); // the header draining sends nothing yet
        EXPECT_EQ(t.host.sent.size(), 1u);

        t.session.onReceive(bytes1(0x55));
        for (int i = 0; i < 4; ++i)
            t.session.onOutputDrained();
        std::vector<int> sizes;
        for (size_t i = 1; i < t.host.sent.size(); ++i)
            sizes.push_back(int(t.host.sent[i].size()));
        EXPECT_EQ(sizes, c.packets);
        EXPECT_EQ(t.host.allSent(), header + pixels);
        EXPECT_EQ(t.sendStatuses, c.statuses);
        EXPECT_EQ(t.session.state(), c.after);
        EXPECT_TRUE(t.session.realtimePixels().isEmpty());
    }
}

TEST(DebugSession, RealtimePictureWithoutItsAcknowledgeSendsNoPixels)
{
    struct Case
    {
        const char *name;
        std::function<void(DebugSession &)> answer;
        QString status;
    } cases[] = {
        {"wrong byte", [](DebugSession &s) { s.onReceive(bytes1(0x12)); }, QStringLiteral("串口连接错误3!")},
        {"no answer in 5 s", [](DebugSession &s) { s.onTimer(DebugSession::kReplyTimer); },
         QStringLiteral("连接超时!")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Scripted t;
        t.connect();
        ASSERT_TRUE(t.session.sendRealtimePicture(hex("7f 1b 1d"), pattern(5000, 1)));
        EXPECT_TRUE(t.host.log.contains(QStringLiteral("start 3 5000")));
        c.answer(t.session);
        EXPECT_EQ(t.session.state(), LinkState::Ready);
        EXPECT_EQ(t.sendStatuses.last(), c.status);
        EXPECT_TRUE(t.session.realtimePixels().isEmpty());
        t.session.onReceive(bytes1(0x55)); // a late acknowledge is a report now, not a go
        t.session.onOutputDrained();
        EXPECT_EQ(t.host.sent.size(), 1u);
    }
    Scripted closed;
    EXPECT_FALSE(closed.session.sendRealtimePicture(hex("7f 1b 1d"), pattern(10, 1)));
    EXPECT_TRUE(closed.host.sent.empty());
}

// ---- live commands ----

TEST(DebugSession, LiveCommandIsRecordedAlwaysAndWrittenOnlyWithThePortOpen)
{
    const QByteArray backlight = hex("1b 64 3f ff ff ee ff");
    const QString entry = kSent + QStringLiteral("1b 64 3f ff ff ee ff \r\n");

    Scripted closed;
    EXPECT_FALSE(closed.session.sendCommand(backlight));
    EXPECT_EQ(closed.session.record().text(), entry);
    EXPECT_TRUE(closed.host.sent.empty());
    EXPECT_EQ(closed.session.state(), LinkState::Offline);

    Scripted open;
    open.connect();
    ASSERT_TRUE(open.session.sendChunked(pattern(7000, 1), LinkState::BulkSend));
    open.host.clear();
    EXPECT_TRUE(open.session.sendCommand(backlight));
    EXPECT_EQ(open.recordAfterConnect(), entry);
    EXPECT_EQ(open.host.logWithoutReplyTimer(),
              (QStringList{QStringLiteral("discard"), QStringLiteral("send 1B 64 3F FF FF EE FF")}));
    EXPECT_EQ(open.session.state(), LinkState::Ready);
    open.session.onOutputDrained(); // the chunks left were given up with their state
    EXPECT_EQ(open.host.sent.size(), 1u);

    // The copy page keeps the state as it was.
    ASSERT_TRUE(open.session.sendChunked(pattern(7000, 1), LinkState::BulkSend));
    EXPECT_TRUE(open.session.sendCommand(backlight, true));
    EXPECT_EQ(open.session.state(), LinkState::BulkSend);
}

TEST(DebugSession, CommandDuringTheHandshakeEndsItsProbing)
{
    Scripted t;
    t.session.portOpened();
    t.host.clear();
    t.session.sendCommand(hex("1b 38 ff ff ee ff"));
    EXPECT_TRUE(t.host.log.contains(QStringLiteral("stop 1")));
    EXPECT_EQ(t.session.state(), LinkState::Ready);
}

TEST(DebugSession, TouchModeAndIntervalAreTwoEntriesAndOneWrite)
{
    Scripted t;
    t.connect();
    EXPECT_TRUE(t.session.sendCommands({hex("1b 20 03 ff ff ee ff"), hex("1b 21 05 00 ff ff ee ff")}));
    EXPECT_EQ(t.recordAfterConnect(),
              kSent + QStringLiteral("1b 20 03 ff ff ee ff \r\n") + kSent + QStringLiteral("1b 21 05 00 ff ff ee ff \r\n"));
    ASSERT_EQ(t.host.sent.size(), 1u);
    EXPECT_EQ(t.host.sent[0], hex("1b 20 03 ff ff ee ff 1b 21 05 00 ff ff ee ff"));
}

TEST(DebugSession, TypedHexTextIsRecordedAsTypedAndItsBytesSentApart)
{
    Scripted t;
    t.connect();
    t.session.recordTypedText(QStringLiteral("1b 64 3F ff ff ee ff"));
    EXPECT_TRUE(t.session.sendTypedBytes(hex("1b 64 3f ff ff ee ff")));
    EXPECT_EQ(t.recordAfterConnect(), kSent + QStringLiteral("1b 64 3F ff ff ee ff \r\n"));
    EXPECT_EQ(t.host.allSent(), hex("1b 64 3f ff ff ee ff"));
}

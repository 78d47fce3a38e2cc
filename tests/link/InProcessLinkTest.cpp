// A session joined to the virtual terminal in-process, under a virtual
// clock: first the link itself (timers in time order, drained events,
// discard, hang-up), then the download against a terminal that
// misbehaves in every way it can, time-outs included, without waiting
// for a single real second.

#include "LinkTestSupport.h"

#include "link/DownloadSession.h"
#include "link/LinkSession.h"
#include "port/CMSComm.h"
#include "terminal/InProcessLink.h"
#include "terminal/VirtualTerminal.h"

#include <gtest/gtest.h>

using namespace h5;
using namespace h5linktest;
using h5test::hex;

namespace {

// Logs every event it gets; `onEvent` lets a case act on one.
class ScriptedSession : public LinkSession
{
public:
    void onReceive(const QByteArray &bytes) override
    {
        log << QStringLiteral("recv %1").arg(QString::fromLatin1(bytes.toHex(' ').toUpper()));
        if (onEvent)
            onEvent(log.last());
    }
    void onTimer(int id) override
    {
        log << QStringLiteral("timer %1").arg(id);
        if (onEvent)
            onEvent(log.last());
    }
    void onOutputDrained() override
    {
        log << QStringLiteral("drained");
        if (onEvent)
            onEvent(log.last());
    }
    QStringList log;
    std::function<void(const QString &)> onEvent;
};

struct Bench
{
    VirtualTerminal terminal;
    InProcessLink link{terminal};
    ScriptedSession session;
    Bench() { link.attach(session); }
};

} // namespace

TEST(InProcessLink, TimersFireInTimeOrderOnlyWhenTheClockReachesThem)
{
    Bench b;
    b.session.onEvent = [&](const QString &event) {
        const QString e = event;
        b.session.log.last() += QStringLiteral(" @%1").arg(b.link.now());
        if (e == QLatin1String("timer 2"))
            b.link.stopTimer(2);
    };
    b.link.startTimer(1, 1000);
    b.link.startTimer(2, 2500);
    b.link.startTimer(3, 1000);
    b.link.advance(999);
    EXPECT_TRUE(b.session.log.isEmpty()) << "a timer fired early";
    b.link.advance(2001);
    EXPECT_EQ(b.session.log, (QStringList{"timer 1 @1000", "timer 3 @1000", "timer 1 @2000", "timer 3 @2000",
                                          "timer 2 @2500", "timer 1 @3000", "timer 3 @3000"}));
    EXPECT_EQ(b.link.now(), 3000);
    EXPECT_FALSE(b.link.timerActive(2)) << "a timer stopped from its own firing came back";
    b.link.stopTimer(1);
    b.link.stopTimer(3);
    b.session.log.clear();
    b.link.advance(100000);
    EXPECT_TRUE(b.session.log.isEmpty());
}

TEST(InProcessLink, SentBytesReachTheTerminalAndItsAnswerFollowsTheDrainedEvent)
{
    Bench b;
    b.link.send(hex("AA"));
    EXPECT_TRUE(b.session.log.isEmpty()) << "an event was delivered from inside send()";
    b.link.run();
    EXPECT_EQ(b.session.log, (QStringList{"drained", "recv 33"}));
    EXPECT_EQ(b.link.now(), 0) << "the line took time";
    EXPECT_EQ(b.link.sentBytes(), hex("AA"));
}

TEST(InProcessLink, DiscardDropsUnreadAnswersButSentBytesStillGoOut)
{
    Bench b;
    b.session.onEvent = [&](const QString &e) {
        if (e == QLatin1String("drained"))
            b.link.discard();
    };
    b.link.send(hex("AA"));
    b.link.run();
    EXPECT_EQ(b.session.log, QStringList{"drained"}) << "the discarded answer was read";
    EXPECT_EQ(b.terminal.packetCount(), 1);

    b.session.log.clear();
    b.session.onEvent = nullptr;
    b.link.send(hex("AA"));
    b.link.discard();
    b.link.run();
    EXPECT_EQ(b.session.log, (QStringList{"drained", "recv 33"})) << "bytes already sent were dropped";
}

TEST(InProcessLink, HangUpClosesTheLineAndStopsEveryTimer)
{
    Bench b;
    VirtualTerminal::Faults f;
    f.hangupAfter = 1;
    b.terminal.setFaults(f);
    bool lost = false;
    b.link.setOnLineLost([&] { lost = true; });
    b.link.startTimer(1, 1000);
    b.link.send(hex("AA"));
    b.link.run();
    EXPECT_FALSE(lost);
    b.link.send(hex("AA"));
    b.link.run();
    EXPECT_TRUE(lost);
    EXPECT_TRUE(b.link.lineLost());
    EXPECT_FALSE(b.link.lineOpen());
    EXPECT_FALSE(b.link.timerActive(1));
    b.session.log.clear();
    b.link.send(hex("AA"));
    b.link.advance(5000);
    EXPECT_TRUE(b.session.log.isEmpty()) << "the session heard from a lost line";
}

// ---- a line with a rate, and boxes that take the user time ---------------

TEST(InProcessLink, BytesTakeTheirLineTimeAndTheAnswerTakesItsOwnBack)
{
    Bench b;
    b.link.setLineBaud(2400);
    b.session.onEvent = [&](const QString &) { b.session.log.last() += QStringLiteral(" @%1").arg(b.link.now()); };
    // Two sends one after the other: 2112 bytes (8800 ms), then the probe
    // (5 ms, ten bits at 2400 rounded up) behind them.
    b.link.send(QByteArray(2112, '\0'));
    b.link.send(hex("AA"));
    EXPECT_EQ(b.link.lastByteLeftAt(), 8805);
    b.link.run();
    EXPECT_TRUE(b.session.log.isEmpty()) << "bytes arrived before their time";
    b.link.advance(8804);
    EXPECT_TRUE(b.session.log.isEmpty()) << "the second send overtook the first";
    b.link.advance(100);
    // The drained event when the last byte has left; the terminal's '3'
    // five milliseconds later.
    EXPECT_EQ(b.session.log, (QStringList{"drained @8805", "recv 33 @8810"}));
    EXPECT_EQ(b.link.now(), 8904);
}

TEST(InProcessLink, DiscardOnALineWithARateKeepsAnAnswerStillOnItsWay)
{
    Bench b;
    b.link.setLineBaud(2400);
    b.link.send(hex("AA"));
    b.link.advance(5); // the probe has arrived, the answer is on its way
    b.link.discard();
    b.link.advance(5);
    EXPECT_EQ(b.session.log, (QStringList{"drained", "recv 33"})) << "an answer not yet received was dropped";
}

TEST(InProcessLink, BoxKeepsEverythingBackWhileOpenAndHandsOverExpiredTimersFirst)
{
    Bench b;
    b.link.setDialogTime(60000);
    b.session.onEvent = [&](const QString &event) {
        const QString e = event;
        b.session.log.last() += QStringLiteral(" @%1").arg(b.link.now());
        if (e == QLatin1String("drained"))
            b.link.message(QStringLiteral("box"));
    };
    b.link.startTimer(3, 5000);
    b.link.send(hex("AA"));
    b.link.run();
    // The box opened at the drained event and closed a minute later; the
    // answer that waited all along comes after the expired timer.
    EXPECT_EQ(b.session.log, (QStringList{"drained @0", "timer 3 @60000", "recv 33 @60000"}));
    EXPECT_EQ(b.link.messages, QStringList{"box"});
    b.session.log.clear();
    b.link.advance(4999);
    EXPECT_TRUE(b.session.log.isEmpty()) << "the timer was not started again from the moment it fired";
    b.link.advance(1);
    EXPECT_EQ(b.session.log, QStringList{"timer 3 @65000"});
}

// ---- the download against a misbehaving terminal --------------------------

namespace {

const QString kLineLost = CMSComm::lineLostText();

// A download window or the command-line tool on an in-process line: the
// port closes as theirs does (the session hears of it), and a lost line
// shows the line-lost text first.
struct Download
{
    QTemporaryDir dir;
    VirtualTerminal terminal;
    InProcessLink link{terminal};
    DownloadSession session{link};
    DownloadFiles files;
    QByteArray project = projectData({2, 1});

    explicit Download(const VirtualTerminal::Faults &faults)
    {
        terminal.setFaults(faults);
        link.attach(session);
        link.setOnClose([this] { session.portClosed(); });
        link.setOnLineLost([this] {
            link.status(kLineLost);
            link.closePort();
        });
        files.project = writeFile(dir, "p.wgc", projectFile(project));
        files.pictures = writeFile(dir, "l.tbm", pictureList({{3, 100, 100}, {7, 20, 20}}));
    }
    bool ended() const
    {
        return session.outcome() == TransferSession::Outcome::Completed ||
            session.outcome() == TransferSession::Outcome::Failed || !link.lineOpen();
    }
    // Opens the port, presses download and lets the clock run until the
    // transfer ends (at most a minute of virtual time).
    bool run()
    {
        session.portOpened();
        QString error;
        if (!session.start(files, &error))
            return false;
        return link.advanceUntil([this] { return ended(); }, 60000);
    }
    QString allTexts() const { return (link.statuses + link.messages).join('|'); }
};

} // namespace

TEST(DownloadOverInProcessLink, MisbehavingTerminalEndsTheDownloadWithAWordNotAHang)
{
    using Faults = VirtualTerminal::Faults;
    const auto faults = [](auto set) {
        Faults f;
        set(f);
        return f;
    };
    struct Case
    {
        const char *name;
        Faults faults;
        const char *lastStatus;
        bool portStaysOpen;
        int64_t waited; // virtual milliseconds from the last answer to the end
    };
    // Packets count from the probe: 1 probe, 2 project header, 3 page index,
    // 4 first segment header.
    const Case cases[] = {
        {"wrong reply to the project header", faults([](Faults &f) { f.wrongReplyAfter = 1; }), "串口连接错误3!",
         true, 0},
        {"wrong reply to the page index is waited out", faults([](Faults &f) { f.wrongReplyAfter = 2; }),
         "连接超时!", true, 5000},
        {"acknowledges stop after the project header", faults([](Faults &f) { f.stopAfter = 3; }), "连接超时!",
         true, 5000},
        {"acknowledges stop after the page index", faults([](Faults &f) { f.stopAfter = 4; }), "连接超时!", true,
         5000},
        {"line hung up", faults([](Faults &f) { f.hangupAfter = 4; }), "串口连接已断开!", false, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Download d(c.faults);
        ASSERT_TRUE(d.run()) << "the download hung: " << d.allTexts().toStdString();
        const int64_t answered = d.link.now();
        EXPECT_EQ(d.session.outcome(), TransferSession::Outcome::Failed) << d.allTexts().toStdString();
        ASSERT_FALSE(d.link.statuses.isEmpty());
        EXPECT_EQ(d.link.statuses.last(), QString::fromUtf8(c.lastStatus)) << d.allTexts().toStdString();
        EXPECT_EQ(d.session.portOpen(), c.portStaysOpen);
        EXPECT_EQ(d.link.lineOpen(), c.portStaysOpen);
        EXPECT_NE(d.terminal.projectData(), d.project) << "the terminal holds the whole project";
        EXPECT_TRUE(d.terminal.registryEntries().empty()) << "pictures were registered";
        if (c.waited > 0) {
            // The time-out, not an early give-up: the last packet went out
            // exactly `waited` before the end.
            Download again(c.faults);
            again.session.portOpened();
            QString error;
            ASSERT_TRUE(again.session.start(again.files, &error));
            const int64_t packets = c.faults.wrongReplyAfter >= 0 ? c.faults.wrongReplyAfter + 1 : c.faults.stopAfter + 1;
            ASSERT_TRUE(again.link.advanceUntil([&] { return again.terminal.packetCount() >= packets; }, 60000));
            const int64_t sentAt = again.link.now();
            again.link.advance(c.waited - 1);
            EXPECT_EQ(again.session.outcome(), TransferSession::Outcome::Running) << "gave up early";
            again.link.advance(1);
            EXPECT_EQ(again.session.outcome(), TransferSession::Outcome::Failed);
            EXPECT_EQ(again.link.now() - sentAt, c.waited);
            EXPECT_EQ(answered, again.link.now());
        }
    }
}

// A list whose last page lacks part of its padding still holds every
// picture; its progress counted one page short and ended at 101 %.
TEST(DownloadOverInProcessLink, ListCutInsideTheLastPagesPaddingEndsAtOneHundredPercent)
{
    Download d{VirtualTerminal::Faults{}};
    d.files.project.clear();
    const QByteArray list = pictureList({{3, 100, 100}, {7, 20, 20}});
    d.files.pictures = writeFile(d.dir, "cut.tbm", list.left(list.size() - 1));
    ASSERT_TRUE(d.run());
    EXPECT_EQ(d.session.outcome(), TransferSession::Outcome::Completed) << d.allTexts().toStdString();
    for (const QString &s : d.link.statuses)
        if (s.startsWith(QStringLiteral("图片下载："))) {
            EXPECT_LE(s.mid(5).chopped(1).toInt(), 100) << s.toStdString();
        }
    EXPECT_EQ(d.link.statuses.last(), QStringLiteral("图片下载：100%"));
}

TEST(DownloadOverInProcessLink, FaultyRegistryIsClearedAndTheDownloadGoesOn)
{
    VirtualTerminal::Faults f;
    f.badRegistry = true;
    Download d(f);
    ASSERT_TRUE(d.run());
    EXPECT_TRUE(d.link.messages.contains("图片注册表出错，全部清除。")) << d.allTexts().toStdString();
    EXPECT_EQ(d.session.outcome(), TransferSession::Outcome::Completed) << d.allTexts().toStdString();
    EXPECT_EQ(d.terminal.projectData(), d.project);
    const auto entries = d.terminal.registryEntries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(d.terminal.picture(3), pixelsOf({3, 100, 100}));
    EXPECT_EQ(d.terminal.picture(7), pixelsOf({7, 20, 20}));
}

TEST(DownloadOverInProcessLink, SilentTerminalClosesThePortAfterTenSeconds)
{
    VirtualTerminal::Faults f;
    f.noAnswer = true;
    Download d(f);
    d.session.portOpened();
    QString error;
    ASSERT_TRUE(d.session.start(d.files, &error));
    d.link.advance(10999);
    EXPECT_TRUE(d.link.lineOpen()) << "closed before the eleventh probe tick";
    EXPECT_EQ(d.link.sentBytes(), hex("AA AA AA")) << "three probes, a second apart";
    d.link.advance(1);
    EXPECT_FALSE(d.link.lineOpen());
    EXPECT_FALSE(d.session.portOpen());
    EXPECT_EQ(d.session.outcome(), TransferSession::Outcome::Failed);
    EXPECT_TRUE(d.link.statuses.contains("串口连接不上!")) << d.allTexts().toStdString();
    EXPECT_TRUE(d.link.messages.contains("串口连接错误，可能是波特率设置错误或者下位机连接不正确。"))
        << d.allTexts().toStdString();
    EXPECT_TRUE(d.terminal.projectData().isEmpty());
}

// Garbage ahead of each answer, in the same receive event: the last byte
// is still judged as the reply, so the download goes through; the registry
// answer with garbage in front reads as a faulty registry, which is
// cleared, and every picture still lands where the new registry says.
TEST(DownloadOverInProcessLink, GarbageAheadOfEveryAnswerStillDeliversEverything)
{
    VirtualTerminal::Faults f;
    f.garbageAfter = 2;
    Download d(f);
    ASSERT_TRUE(d.run()) << "the download hung: " << d.allTexts().toStdString();
    EXPECT_EQ(d.session.outcome(), TransferSession::Outcome::Completed) << d.allTexts().toStdString();
    EXPECT_EQ(d.link.messages, QStringList{"图片注册表出错，全部清除。"});
    EXPECT_EQ(d.terminal.projectData(), d.project);
    EXPECT_EQ(d.terminal.picture(3), pixelsOf({3, 100, 100}));
    EXPECT_EQ(d.terminal.picture(7), pixelsOf({7, 20, 20}));
}

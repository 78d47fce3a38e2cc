// The debug window's picture and font downloads: the stop-and-wait
// exchange step by step with scripted replies (packet sizes, percentages,
// placement with and without the erase box, the missing-picture question,
// wrong bytes in every state, the reply time-outs) and whole downloads into
// the in-process terminal under a virtual clock.

#include "LinkTestSupport.h"

#include "link/DebugSession.h"
#include "link/Frames.h"
#include "link/Registry.h"
#include "terminal/InProcessLink.h"
#include "terminal/VirtualTerminal.h"

#include <QDir>
#include <functional>
#include <gtest/gtest.h>

using namespace h5;
using namespace h5linktest;
using h5test::hex;

namespace {

const QDateTime kWhen(QDate(2026, 3, 4), QTime(5, 6, 7));

// A recording host that answers every question with `answer`.
class AnsweringHost : public RecordingHost
{
public:
    bool ask(const QString &text) override
    {
        questions << text;
        RecordingHost::ask(text);
        return answer;
    }
    bool answer = true;
    QStringList questions;
};

QByteArray pixelsFor(const DebugPicture &p) { return pattern(p.width * p.height * 2, 7 + p.number); }

// Pixels for every entry of `list`, except the entries in `missing`.
DebugSession::PictureSource sourceFor(const std::vector<DebugPicture> &list, std::vector<size_t> missing = {})
{
    return [list, missing](size_t i, QString *why) {
        if (std::find(missing.begin(), missing.end(), i) != missing.end()) {
            *why = QStringLiteral("/pictures/p%1.bmp：文件不存在").arg(i);
            return QByteArray();
        }
        return pixelsFor(list[i]);
    };
}

QByteArray registryReply(const std::vector<RegistryRecord> &records)
{
    QByteArray r;
    for (const RegistryRecord &rec : records)
        r += registryReplyRecord(rec);
    return r + hex("FF FF EE FF");
}

const QByteArray kAck = bytes1(0x55);

struct Scripted
{
    AnsweringHost host;
    QStringList sendStatuses;
    DebugSession session{host, [] { return kWhen; }};
    Scripted()
    {
        session.setSendStatusSink([this](const QString &t) { sendStatuses << t; });
        session.portOpened();
        session.onReceive(bytes1(0x33));
        host.clear();
    }
    // Handshake, registry read (answered by `reply`), registry write and its
    // three packets; the first picture header is out afterwards.
    void throughRegistry(const QByteArray &reply = hex("FF FF EE FF"))
    {
        session.onReceive(bytes1(0x33));
        session.onReceive(reply);
        for (int i = 0; i < 4; ++i)
            session.onReceive(kAck);
    }
};

int percentOf(int64_t a, int64_t b) { return percent(a, b); }

} // namespace

// ---- the picture exchange ----

TEST(DebugSessionDownload, LargePictureGoesAsHeaderSeventyTwoFullPacketsAndAShortOne)
{
    Scripted s;
    const std::vector<DebugPicture> list{{5, 320, 240}};
    ASSERT_TRUE(s.session.downloadPictures(list, false, sourceFor(list)));
    EXPECT_EQ(s.session.state(), LinkState::PictureHandshake);
    EXPECT_TRUE(s.host.log.contains(QStringLiteral("start 1 1000")));

    s.session.onReceive(bytes1(0x33));
    EXPECT_EQ(s.host.sent.back(), registryReadRequest());
    EXPECT_EQ(s.session.state(), LinkState::RegistryRead);
    EXPECT_TRUE(s.host.log.contains(QStringLiteral("start 2 10000")));
    // The reply split over two reads counts once it ends with the terminator.
    s.session.onReceive(hex("FF FF"));
    EXPECT_EQ(s.session.state(), LinkState::RegistryRead);
    s.session.onReceive(hex("EE FF"));
    EXPECT_EQ(s.host.sent.back(), registryWriteCommand());
    EXPECT_EQ(s.session.state(), LinkState::RegistryWriteStart);

    s.session.onReceive(kAck);
    EXPECT_EQ(s.session.state(), LinkState::RegistryPageSent);
    s.session.onReceive(kAck);
    s.session.onReceive(kAck);
    EXPECT_EQ(s.session.state(), LinkState::RegistryDone);
    const size_t registryFrom = s.host.sent.size() - 3;
    EXPECT_EQ(s.host.sent[registryFrom].size(), 2112);
    EXPECT_EQ(s.host.sent[registryFrom + 1].size(), 2112);
    EXPECT_EQ(s.host.sent[registryFrom + 2].size(), 576);
    const QByteArray image = s.host.sent[registryFrom] + s.host.sent[registryFrom + 1] + s.host.sent[registryFrom + 2];
    const std::vector<RegistryRecord> entries = registryImageEntries(image);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].number, 5);
    EXPECT_EQ(entries[0].firstBlock, 0);

    s.host.statuses.clear();
    s.session.onReceive(kAck);
    EXPECT_EQ(s.session.state(), LinkState::PictureHeaderSent);
    EXPECT_EQ(s.host.sent.back(), pictureHeader(5, 0, 320, 240));
    EXPECT_EQ(s.host.sent.back().size(), 15);

    const size_t pixelsFrom = s.host.sent.size();
    for (int i = 0; i < 73; ++i)
        s.session.onReceive(kAck);
    EXPECT_EQ(s.session.state(), LinkState::PicturePageSent);
    ASSERT_EQ(s.host.sent.size(), pixelsFrom + 73);
    QByteArray pixels;
    for (size_t i = pixelsFrom; i < s.host.sent.size(); ++i) {
        EXPECT_EQ(s.host.sent[i].size(), i + 1 < s.host.sent.size() ? 2112 : 1536) << i;
        pixels += s.host.sent[i];
    }
    EXPECT_EQ(pixels, pixelsFor(list[0]));

    QStringList expected{QStringLiteral("编号5图片下载：0%")};
    for (int p = 1; p <= 73; ++p)
        expected << QStringLiteral("编号5图片下载：%1%").arg(percentOf(p, 73));
    EXPECT_EQ(s.host.statuses, expected);
    EXPECT_EQ(expected[1], QStringLiteral("编号5图片下载：1%"));
    EXPECT_EQ(expected.back(), QStringLiteral("编号5图片下载：100%"));

    // The last packet's acknowledge ends the download without a text.
    s.session.onReceive(kAck);
    EXPECT_EQ(s.session.state(), LinkState::Ready);
    EXPECT_EQ(s.host.statuses.size(), expected.size());
    EXPECT_EQ(s.session.pictures()[0].firstBlock, 0);
}

TEST(DebugSessionDownload, SmallPictureGoesInOnePacket)
{
    Scripted s;
    const std::vector<DebugPicture> list{{2, 30, 30}};
    ASSERT_TRUE(s.session.downloadPictures(list, false, sourceFor(list)));
    s.throughRegistry();
    EXPECT_EQ(s.host.sent.back(), pictureHeader(2, 0, 30, 30));
    s.session.onReceive(kAck);
    EXPECT_EQ(s.host.sent.back(), pixelsFor(list[0]));
    EXPECT_EQ(s.host.sent.back().size(), 1800);
    EXPECT_EQ(s.host.statuses.back(), QStringLiteral("编号2图片下载：100%"));
    s.session.onReceive(kAck);
    EXPECT_EQ(s.session.state(), LinkState::Ready);
}

TEST(DebugSessionDownload, EraseBoxPlacesFromBlockZeroInListOrder)
{
    // The terminal holds picture 9 on blocks 0 and 1.
    const QByteArray reply = registryReply({{9, 0, 320, 240}});
    struct Case
    {
        bool erase;
        int firstBlockOfFirst;
        int firstBlockOfSecond;
    };
    for (const Case c : {Case{true, 0, 2}, Case{false, 2, 4}}) {
        SCOPED_TRACE(c.erase);
        Scripted s;
        // List order, not number order.
        const std::vector<DebugPicture> list{{7, 320, 240}, {3, 30, 30}};
        ASSERT_TRUE(s.session.downloadPictures(list, c.erase, sourceFor(list)));
        s.throughRegistry(reply);
        EXPECT_EQ(s.host.sent.back(), pictureHeader(7, c.firstBlockOfFirst, 320, 240));
        for (int i = 0; i < 74; ++i)
            s.session.onReceive(kAck);
        EXPECT_EQ(s.host.sent.back(), pictureHeader(3, c.firstBlockOfSecond, 30, 30));
        EXPECT_EQ(s.session.pictures()[0].firstBlock, c.firstBlockOfFirst);
        EXPECT_EQ(s.session.pictures()[1].firstBlock, c.firstBlockOfSecond);
    }
}

TEST(DebugSessionDownload, FaultyRegistryIsClearedWithItsMessage)
{
    Scripted s;
    const std::vector<DebugPicture> list{{1, 30, 30}};
    ASSERT_TRUE(s.session.downloadPictures(list, false, sourceFor(list)));
    s.session.onReceive(bytes1(0x33));
    s.session.onReceive(registryReply({{4, 650, 30, 30}}));
    s.session.onReceive(kAck);
    EXPECT_EQ(s.host.messages, QStringList{QStringLiteral("图片注册表出错，全部清空。")});
    EXPECT_EQ(s.session.state(), LinkState::RegistryPageSent);
}

// A picture that cannot be made is asked about before anything is sent:
// asked at its turn, after the registry had been rewritten with every
// picture of the list, a No left the terminal with registry entries whose
// data never came.
TEST(DebugSessionDownload, MissingPictureIsAskedBeforeAnythingIsSentAndNoSendsNothing)
{
    Scripted s;
    s.host.answer = false;
    const std::vector<DebugPicture> list{{1, 30, 30}, {2, 30, 30}, {3, 30, 30}, {4, 30, 30}};
    EXPECT_FALSE(s.session.downloadPictures(list, false, sourceFor(list, {2})));
    EXPECT_EQ(s.host.questions, QStringList{QStringLiteral("编号3图片丢失，是否跳过继续下载?")});
    EXPECT_EQ(s.host.statuses, QStringList{QStringLiteral("编号3图片丢失：/pictures/p2.bmp：文件不存在")});
    EXPECT_TRUE(s.host.sent.empty()) << "the handshake or the registry went out";
    EXPECT_FALSE(s.host.log.contains(QStringLiteral("start 1 1000"))) << "the probe timer ran";
    EXPECT_EQ(s.session.state(), LinkState::Ready);
    EXPECT_EQ(s.session.lastDownloadEnd(), DownloadEnd::Declined);
    s.session.onReceive(kAck); // a late byte is a report, not a step
    EXPECT_EQ(s.session.state(), LinkState::Ready);
}

// A window's question box runs the event loop, so the terminal's answers
// to a download still under way arrive while it is open. They drove that
// download on: its next packets went out and its reply time-out ran while
// the user read the question. Pressing "下载图片" gives it up first.
TEST(DebugSessionDownload, DownloadUnderWayIsGivenUpBeforeTheMissingPictureQuestion)
{
    struct NestedLoopHost : AnsweringHost
    {
        std::function<void()> whileAsking;
        bool ask(const QString &text) override
        {
            if (whileAsking)
                whileAsking();
            return AnsweringHost::ask(text);
        }
    };
    NestedLoopHost host;
    DebugSession session(host, [] { return kWhen; });
    session.portOpened();
    session.onReceive(bytes1(0x33));
    const std::vector<DebugPicture> first{{1, 320, 240}};
    ASSERT_TRUE(session.downloadPictures(first, false, sourceFor(first)));
    session.onReceive(bytes1(0x33));
    session.onReceive(hex("FF FF EE FF"));
    for (int i = 0; i < 6; ++i)
        session.onReceive(kAck);
    ASSERT_EQ(session.state(), LinkState::PicturePageSent);

    const std::vector<DebugPicture> second{{2, 30, 30}, {3, 30, 30}};
    host.clear();
    host.whileAsking = [&] {
        session.onReceive(kAck);
        session.onReceive(kAck);
    };
    ASSERT_TRUE(session.downloadPictures(second, false, sourceFor(second, {0})));
    EXPECT_TRUE(host.sent.empty()) << "the old download went on while the question was open";
    EXPECT_FALSE(host.log.contains(QStringLiteral("start 3 5000"))) << "a reply time-out ran during the question";
    EXPECT_EQ(session.state(), LinkState::PictureHandshake);
}

// A picture skipped with Yes stays out of the registry, so the terminal
// keeps what it held under that number; the others go.
TEST(DebugSessionDownload, MissingPictureAnsweredYesIsLeftOutOfTheRegistryAndTheDownload)
{
    Scripted s;
    const std::vector<DebugPicture> list{{1, 30, 30}, {2, 0, 30}, {3, 30, 30}};
    ASSERT_TRUE(s.session.downloadPictures(list, false, sourceFor(list)));
    EXPECT_EQ(s.host.questions, QStringList{QStringLiteral("编号2图片丢失，是否跳过继续下载?")});
    EXPECT_TRUE(s.host.sent.empty());
    // The terminal holds picture 2 at block 7.
    s.throughRegistry(registryReply({{2, 7, 30, 30}}));
    s.session.onReceive(kAck);
    s.session.onReceive(kAck);
    EXPECT_EQ(s.host.sent.back(), pictureHeader(3, 1, 30, 30));
    EXPECT_EQ(s.session.state(), LinkState::PictureHeaderSent);
    EXPECT_EQ(s.session.lastDownloadEnd(), DownloadEnd::Running);
    s.session.onReceive(kAck);
    s.session.onReceive(kAck);
    EXPECT_EQ(s.session.state(), LinkState::Ready);
    EXPECT_EQ(s.session.lastDownloadEnd(), DownloadEnd::Completed);
    EXPECT_EQ(s.session.skippedPictures(), std::vector<int>{2});
    // The registry image names 1, the old 2 and 3.
    const QByteArray image = s.host.sent[2] + s.host.sent[3] + s.host.sent[4];
    ASSERT_EQ(image.size(), 4800);
    const auto entries = registryImageEntries(image);
    ASSERT_EQ(entries.size(), 3u);
    const auto fields = [](const RegistryRecord &r) { return std::vector<int>{r.number, r.firstBlock, r.width, r.height}; };
    EXPECT_EQ(fields(entries[0]), (std::vector<int>{1, 0, 30, 30}));
    EXPECT_EQ(fields(entries[1]), (std::vector<int>{2, 7, 30, 30}));
    EXPECT_EQ(fields(entries[2]), (std::vector<int>{3, 1, 30, 30}));
    EXPECT_EQ(s.session.pictures()[1].firstBlock, -1);
}

// Pictures that cannot be sent are refused before the handshake, whatever
// the reason; everything skipped leaves nothing to send.
TEST(DebugSessionDownload, PicturesThatCannotAllBeSentAreRefusedBeforeAnythingGoes)
{
    struct Case
    {
        const char *name;
        std::vector<DebugPicture> list;
        bool answer;
        const char *status;
    };
    const Case cases[] = {
        {"every picture skipped", {{1, 0, 0}, {2, 5, 0}}, true, "无图片下发!"},
        {"larger than the whole store", {{1, 18086, 4000}}, false, "编号1图片丢失：18086×4000超出终端的图片存储空间"},
        {"together larger than the store", {{1, 800, 480 * 60}, {2, 800, 480 * 60}}, true,
         "图片共需682个存储块，超出终端的600个，下载停止"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Scripted s;
        s.host.answer = c.answer;
        const auto zeros = [&c](size_t i, QString *) {
            return QByteArray(qsizetype(pictureBytes(c.list[i].width, c.list[i].height)), '\0');
        };
        EXPECT_FALSE(s.session.downloadPictures(c.list, false, zeros));
        EXPECT_EQ(s.host.statuses.last(), QString::fromUtf8(c.status));
        EXPECT_TRUE(s.host.sent.empty());
        EXPECT_EQ(s.session.state(), LinkState::Ready);
        EXPECT_NE(s.session.lastDownloadEnd(), DownloadEnd::Running);
    }
}

TEST(DebugSessionDownload, DownloadTellsHowItEnded)
{
    const std::vector<DebugPicture> list{{1, 30, 30}};
    struct Case
    {
        const char *name;
        std::function<void(Scripted &)> after; // once the picture header is out
        DownloadEnd end;
    } cases[] = {
        {"taken", [](Scripted &s) { s.session.onReceive(kAck), s.session.onReceive(kAck); }, DownloadEnd::Completed},
        {"wrong byte", [](Scripted &s) { s.session.onReceive(bytes1(0x21)); }, DownloadEnd::Failed},
        {"no answer", [](Scripted &s) { s.session.onTimer(DebugSession::kReplyTimer); }, DownloadEnd::Failed},
        {"port closed", [](Scripted &s) { s.session.portClosed(); }, DownloadEnd::Failed},
        {"another command", [](Scripted &s) { s.session.sendCommand(QByteArray("\x1b\x38\xff\xff\xee\xff", 6)); },
         DownloadEnd::Failed},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Scripted s;
        EXPECT_EQ(s.session.lastDownloadEnd(), DownloadEnd::None);
        ASSERT_TRUE(s.session.downloadPictures(list, false, sourceFor(list)));
        s.throughRegistry();
        c.after(s);
        EXPECT_EQ(s.session.lastDownloadEnd(), c.end);
    }
}

TEST(DebugSessionDownload, NothingStartsWithoutPortOrPictures)
{
    Scripted s;
    EXPECT_FALSE(s.session.downloadPictures({}, false, {}));
    EXPECT_EQ(s.host.statuses, QStringList{QStringLiteral("无图片下发!")});
    EXPECT_EQ(s.session.state(), LinkState::Ready);
    EXPECT_TRUE(s.host.sent.empty());

    s.session.portClosed();
    s.host.clear();
    EXPECT_FALSE(s.session.downloadPictures({{1, 30, 30}}, false, {}));
    EXPECT_TRUE(s.host.log.isEmpty());
}

// A wrong byte in each state ends the download with that state's text.
TEST(DebugSessionDownload, WrongByteInEveryPictureStateEndsInReady)
{
    struct Case
    {
        const char *name;
        int acksBefore; // replies after the handshake before the wrong byte
        bool handshake; // the wrong byte answers the probe
        const char *text;
    };
    const Case cases[] = {
        {"handshake", 0, true, "串口连接错误!"},
        {"registry write", 0, false, "串口连接错误2!"},
        {"first registry page", 1, false, "串口连接错误2!"},
        {"last registry page", 3, false, "串口连接错误2!"},
        {"picture header", 4, false, "串口连接错误3!"},
        {"picture packet", 5, false, "连接出错，请检查数据线!"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Scripted s;
        const std::vector<DebugPicture> list{{1, 30, 30}, {2, 30, 30}};
        ASSERT_TRUE(s.session.downloadPictures(list, false, sourceFor(list)));
        if (!c.handshake) {
            s.session.onReceive(bytes1(0x33));
            s.session.onReceive(hex("FF FF EE FF"));
            for (int i = 0; i < c.acksBefore; ++i)
                s.session.onReceive(kAck);
        }
        const size_t sentBefore = s.host.sent.size();
        s.session.onReceive(bytes1(0x21));
        EXPECT_EQ(s.session.state(), LinkState::Ready);
        EXPECT_EQ(s.host.statuses.back(), QString::fromUtf8(c.text));
        EXPECT_EQ(s.host.sent.size(), sentBefore);
        EXPECT_TRUE(s.host.log.contains(QStringLiteral("stop 3")));
    }
}

TEST(DebugSessionDownload, ReplyTimeOutEndsTheDownload)
{
    Scripted s;
    const std::vector<DebugPicture> list{{1, 320, 240}};
    ASSERT_TRUE(s.session.downloadPictures(list, false, sourceFor(list)));
    s.throughRegistry();
    s.session.onReceive(kAck);
    EXPECT_EQ(s.host.log.back(), QStringLiteral("start 3 5000"));
    s.session.onTimer(DebugSession::kReplyTimer);
    EXPECT_EQ(s.session.state(), LinkState::Ready);
    EXPECT_EQ(s.host.statuses.back(), QStringLiteral("连接超时!"));
    // A late acknowledge sends nothing more.
    const size_t sent = s.host.sent.size();
    s.session.onReceive(kAck);
    EXPECT_EQ(s.host.sent.size(), sent);
}

TEST(DebugSessionDownload, TimersOutsideTheirWaitChangeNothing)
{
    Scripted s;
    s.session.onTimer(DebugSession::kReplyTimer);
    s.session.onTimer(DebugSession::kRegistryTimer);
    EXPECT_EQ(s.session.state(), LinkState::Ready);
    EXPECT_TRUE(s.host.statuses.isEmpty());
}

// ---- fonts ----

TEST(DebugSessionDownload, FontDecodesToOnePagePaddedWithFf)
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("f.txt"), "01 02 03");
    Scripted s;
    ASSERT_TRUE(s.session.downloadFonts({{path, 4}}));
    EXPECT_EQ(s.session.state(), LinkState::FontHandshake);
    s.session.onReceive(bytes1(0x33));
    EXPECT_EQ(s.host.sent.back(), hex("7F 1B 74 04 00 01 00 FF FF EE FF"));
    s.session.onReceive(kAck);
    EXPECT_EQ(s.host.sent.back(), hex("01 02 03") + QByteArray(2109, char(0xFF)));
    EXPECT_EQ(s.sendStatuses,
              (QStringList{QStringLiteral("下载第1个字库：0%"), QStringLiteral("下载第1个字库：100%")}));
    EXPECT_EQ(s.session.state(), LinkState::FontPageSent);
    s.session.onReceive(kAck);
    EXPECT_EQ(s.session.state(), LinkState::Ready);
    EXPECT_TRUE(s.host.statuses.isEmpty()); // font texts go to the send box
}

TEST(DebugSessionDownload, SendingTwiceSendsTheFontsTwiceFromTheFirst)
{
    QTemporaryDir dir;
    const QString a = writeFile(dir, QStringLiteral("a.txt"), "AA BB");
    const QString b = writeFile(dir, QStringLiteral("b.txt"), QByteArray(2113 * 2, '7'));
    Scripted s;
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(s.session.downloadFonts({{a, 0}, {b, 1}}));
        s.session.onReceive(bytes1(0x33));
        while (s.session.state() == LinkState::FontPageSent)
            s.session.onReceive(kAck);
    }
    QByteArray once = hex("7F 1B 74 00 00 01 00 FF FF EE FF") + hex("AA BB") + QByteArray(2110, char(0xFF));
    once += hex("7F 1B 74 01 00 02 00 FF FF EE FF") + QByteArray(2113, char(0x77)) + QByteArray(2111, char(0xFF));
    EXPECT_EQ(s.host.allSent(), once + once);
    EXPECT_TRUE(s.sendStatuses.contains(QStringLiteral("下载第2个字库：50%")));
}

TEST(DebugSessionDownload, FontsAreCheckedBeforeAnythingIsSent)
{
    QTemporaryDir dir;
    const QString good = writeFile(dir, QStringLiteral("good.txt"), "01");
    const QString empty = writeFile(dir, QStringLiteral("empty.txt"), "xyz ? ghij");
    const QString lone = writeFile(dir, QStringLiteral("lone.txt"), "01 02 3 04");
    const QString folder = dir.path();
    struct Case
    {
        const char *name;
        std::vector<DebugFont> queue;
        QString text;
    };
    const Case cases[] = {
        {"empty queue", {}, QStringLiteral("无字库下发!")},
        {"missing second", {{good, 0}, {dir.filePath(QStringLiteral("gone.txt")), 1}},
         QStringLiteral("第2个字库丢失，下载停止")},
        {"no bytes", {{empty, 0}}, QStringLiteral("第1个字库丢失，下载停止")},
        {"unreadable", {{good, 0}, {folder, 1}}, QStringLiteral("第2个字库无法读取：%1").arg(QDir::toNativeSeparators(folder))},
        {"lone digit", {{good, 0}, {lone, 1}},
         QStringLiteral("第2个字库无法读取：%1：第7个字符“3”是不成对的十六进制数字").arg(QDir::toNativeSeparators(lone))},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Scripted s;
        EXPECT_FALSE(s.session.downloadFonts(c.queue));
        EXPECT_EQ(s.sendStatuses, QStringList{c.text});
        EXPECT_TRUE(s.host.sent.empty());
        EXPECT_EQ(s.session.state(), LinkState::Ready);
    }
}

TEST(DebugSessionDownload, WrongByteInFontStates)
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("f.txt"), "01");
    for (const bool handshake : {true, false}) {
        Scripted s;
        ASSERT_TRUE(s.session.downloadFonts({{path, 0}}));
        if (!handshake)
            s.session.onReceive(bytes1(0x33));
        s.session.onReceive(bytes1(0x21));
        EXPECT_EQ(s.session.state(), LinkState::Ready);
        EXPECT_EQ(s.sendStatuses.back(), handshake ? QStringLiteral("串口连接错误2!") : QStringLiteral("串口连接错误3!"));
    }
}

TEST(DebugSessionDownload, FontTextDecodesWholeDigitPairsAndRefusesALoneDigit)
{
    struct Case
    {
        const char *text;
        const char *bytes;
        int lonePosition; // 0: decoded
    };
    const Case cases[] = {
        {"01 02 03", "010203", 0}, {"0a0B\r\nff", "0a0bff", 0}, {"x1y2", "", 2},
        {"123", "", 3},            {"", "", 0},                  {"zz 7", "", 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        QString fault;
        EXPECT_EQ(decodeFontText(c.text, &fault), hex(c.bytes));
        if (c.lonePosition == 0)
            EXPECT_TRUE(fault.isEmpty()) << fault.toStdString();
        else
            EXPECT_TRUE(fault.startsWith(QStringLiteral("第%1个字符").arg(c.lonePosition))) << fault.toStdString();
    }
}

// ---- against the in-process terminal ----

namespace {

struct Linked
{
    VirtualTerminal terminal;
    InProcessLink link{terminal};
    DebugSession session{link, [] { return kWhen; }};
    QStringList sendStatuses;
    Linked(const VirtualTerminal::Faults &faults = {})
    {
        session.setSendStatusSink([this](const QString &t) { sendStatuses << t; });
        link.attach(session);
        session.portOpened();
        link.advance(1000);
        terminal.setFaults(faults);
    }
};

} // namespace

TEST(DebugSessionDownload, PicturesReachTheTerminalFlash)
{
    Linked l;
    ASSERT_EQ(l.session.state(), LinkState::Ready);
    const std::vector<DebugPicture> list{{5, 320, 240}, {6, 30, 30}};
    ASSERT_TRUE(l.session.downloadPictures(list, false, sourceFor(list)));
    l.link.advance(1000);
    EXPECT_EQ(l.session.state(), LinkState::Ready);
    EXPECT_EQ(l.terminal.picture(5), pixelsFor(list[0]));
    EXPECT_EQ(l.terminal.picture(6), pixelsFor(list[1]));
    EXPECT_EQ(l.link.statuses.back(), QStringLiteral("编号6图片下载：100%"));
    // Sent again they keep their places.
    ASSERT_TRUE(l.session.downloadPictures(list, false, sourceFor(list)));
    l.link.advance(1000);
    EXPECT_EQ(l.terminal.registryEntries().size(), 2u);
    EXPECT_EQ(l.session.pictures()[1].firstBlock, 2);
    EXPECT_FALSE(l.link.timerActive(DebugSession::kReplyTimer));
}

TEST(DebugSessionDownload, FontsReachTheTerminalFlash)
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("f.txt"), "01 02 03");
    Linked l;
    ASSERT_TRUE(l.session.downloadFonts({{path, 3}}));
    l.link.advance(1000);
    EXPECT_EQ(l.session.state(), LinkState::Ready);
    ASSERT_TRUE(l.terminal.fonts().contains(3));
    EXPECT_EQ(l.terminal.fonts()[3], hex("01 02 03") + QByteArray(2109, char(0xFF)));
}

TEST(DebugSessionDownload, SilentTerminalTimesOutOnTheVirtualClock)
{
    struct Case
    {
        const char *name;
        int64_t stopAfter; // packets answered from the download's start
        int64_t waitMs;    // when the time-out shows
    };
    const Case cases[] = {
        {"registry reply", 1, 10000},
        {"registry packet", 3, 5000},
        {"picture packet", 8, 5000},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Linked l;
        VirtualTerminal::Faults faults;
        faults.stopAfter = l.terminal.packetCount() + c.stopAfter;
        l.terminal.setFaults(faults);
        const std::vector<DebugPicture> list{{5, 320, 240}};
        ASSERT_TRUE(l.session.downloadPictures(list, false, sourceFor(list)));
        l.link.advance(1000);
        EXPECT_NE(l.session.state(), LinkState::Ready);
        l.link.advance(c.waitMs - 1);
        EXPECT_NE(l.session.state(), LinkState::Ready);
        l.link.advance(1);
        EXPECT_EQ(l.session.state(), LinkState::Ready);
        EXPECT_EQ(l.link.statuses.back(), QStringLiteral("连接超时!"));
        EXPECT_FALSE(l.link.timerActive(DebugSession::kReplyTimer));
        EXPECT_FALSE(l.link.timerActive(DebugSession::kRegistryTimer));
    }
}

TEST(DebugSessionDownload, SilentTerminalDuringAFontTimesOutInTheSendBox)
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("f.txt"), QByteArray(5000 * 2, '1'));
    Linked l;
    VirtualTerminal::Faults faults;
    faults.stopAfter = l.terminal.packetCount() + 2; // probe and header answered
    l.terminal.setFaults(faults);
    ASSERT_TRUE(l.session.downloadFonts({{path, 0}}));
    l.link.advance(1000 + 5000);
    EXPECT_EQ(l.session.state(), LinkState::Ready);
    EXPECT_EQ(l.sendStatuses.back(), QStringLiteral("连接超时!"));
}

TEST(DebugSessionDownload, RecordKeepsFramesAndTheRegistryReplyButNoPackets)
{
    Scripted s;
    const std::vector<DebugPicture> list{{1, 30, 30}};
    ASSERT_TRUE(s.session.downloadPictures(list, false, sourceFor(list)));
    const qsizetype before = s.session.record().text().size();
    // A registry reply of two records: 24 bytes, 72 characters, two lines.
    s.throughRegistry(registryReply({{8, 5, 30, 30}, {9, 6, 30, 30}}));
    s.session.onReceive(kAck);
    const QString added = s.session.record().text().mid(before);
    const QString sent = QStringLiteral("2026-3-4 5:6:7 发送 \r\n");
    const QString got = QStringLiteral("2026-3-4 5:6:7 收到 \r\n");
    const QString replyText = QString::fromLatin1(registryReply({{8, 5, 30, 30}, {9, 6, 30, 30}}).toHex(' ')) + ' ';
    const QString expected = sent + QStringLiteral("1b 27 ff ff ee ff \r\n") + got + replyText.left(60) + "\r\n" +
                             replyText.mid(60) + "\r\n" + sent + QStringLiteral("7f 1b 73 ff ff ee ff \r\n") + sent +
                             QString::fromLatin1(pictureHeader(1, 0, 30, 30).toHex(' ')) + " \r\n";
    EXPECT_EQ(added, expected);
}

// The file download window's transfer driven by scripted terminal replies:
// every state with its expected and a wrong reply, the documented example
// exchange byte for byte, erase, font, all files at once, the terminal's
// registry, the connection probe, the time-outs and damaged inputs.

#include "LinkTestSupport.h"

#include "link/DownloadSession.h"
#include "link/Frames.h"

#include <gtest/gtest.h>
#include <functional>
#include <memory>

using namespace h5;
using namespace h5linktest;
using h5test::hex;

namespace {

const QString kConnectFail = QStringLiteral("串口连接错误，可能是波特率设置错误或者下位机连接不正确。");

QByteArray ffs(int n) { return QByteArray(n, '\xFF'); }

QByteArray regRecord(int number, int first, int w, int h)
{
    return h5test::Blob().u16(0).u16(unsigned(number)).u16(unsigned(first)).u16(unsigned(w)).u16(unsigned(h)).b;
}

QByteArray imageWith(const std::vector<std::pair<int, QByteArray>> &entries)
{
    QByteArray image = ffs(4800);
    for (const auto &e : entries)
        image.replace(e.first * 8, 8, e.second);
    return image;
}

// One download window: its files in a temporary folder, a recording host
// and the session.
struct Rig
{
    QTemporaryDir dir;
    RecordingHost host;
    DownloadSession session{host};
    DownloadFiles files;
    QString error;

    Rig &project(const QByteArray &data)
    {
        files.project = writeFile(dir, "p.wgc", projectFile(data));
        return *this;
    }
    Rig &pictures(const std::vector<TestPicture> &pics)
    {
        files.pictures = writeFile(dir, "l.tbm", pictureList(pics));
        return *this;
    }
    Rig &font(const QByteArray &bytes)
    {
        files.font = writeFile(dir, "f.wzk", bytes);
        return *this;
    }
    Rig &erase()
    {
        files.erase = true;
        return *this;
    }

    bool connected = false;

    void reply(unsigned char b) { session.onReceive(bytes1(b)); }
    void registryReply(const QByteArray &records) { session.onReceive(records + hex("FF FF EE FF")); }

    // Opens the port, presses download and lets the first probe go out.
    bool startAndProbe()
    {
        session.portOpened();
        connected = false;
        if (!session.start(files, &error))
            return false;
        session.onTimer(TransferSession::kProbeTimer);
        return true;
    }

    // Answers as a good terminal until the transfer reaches `target` or
    // stops; an empty registry answers the registry read.
    void runUntil(int target)
    {
        for (int guard = 0; guard < 100000 && stateNumber(session) != target; ++guard) {
            const int s = stateNumber(session);
            if (s != 2 && s != 10 && s != 20)
                connected = true;
            if (s == 0 && session.outcome() == TransferSession::Outcome::Running) {
                reply(0x55); // the last packet is taken
                continue;
            }
            if (s == 0 || s == 1)
                return;
            if (s == 11)
                registryReply({});
            else if (!connected && (s == 2 || s == 10 || s == 20))
                reply(0x33);
            else
                reply(0x55);
        }
    }
    void runToEnd() { runUntil(-1); }
};

// Files with every state on the way: a project of two segments, two
// pictures (the first needs ten packets), a font of two segments.
enum Scenario { AllFiles, ProjectEraseFont, FontOnly, PicturesOnly, ProjectOnly, ProjectErase };

std::unique_ptr<Rig> rigFor(Scenario s)
{
    auto rig = std::make_unique<Rig>();
    const QByteArray font = fontFile({2, 1});
    switch (s) {
    case AllFiles:
        rig->project(projectData({2, 1})).pictures({{3, 100, 100}, {7, 20, 20}}).font(font);
        break;
    case ProjectEraseFont:
        rig->project(projectData({1})).erase().font(font);
        break;
    case FontOnly:
        rig->font(font);
        break;
    case PicturesOnly:
        rig->pictures({{3, 100, 100}});
        break;
    case ProjectOnly:
        rig->project(projectData({2, 1}));
        break;
    case ProjectErase:
        rig->project(projectData({1})).erase();
        break;
    }
    return rig;
}

struct StepCase
{
    const char *name;
    Scenario scenario;
    int state;              // reached with good replies
    QByteArray reply;
    int next;               // state afterwards
    int sentSize;           // size of the one frame sent, -1 for none
    const char *status;     // the one status shown, nullptr for none
};

void checkStep(const StepCase &c)
{
    SCOPED_TRACE(c.name);
    auto rig = rigFor(c.scenario);
    ASSERT_TRUE(rig->startAndProbe()) << rig->error.toStdString();
    rig->runUntil(c.state);
    ASSERT_EQ(stateNumber(rig->session), c.state);
    rig->host.clear();
    rig->session.onReceive(c.reply);
    EXPECT_EQ(stateNumber(rig->session), c.next);
    if (c.sentSize < 0) {
        EXPECT_TRUE(rig->host.sent.empty());
    } else {
        ASSERT_EQ(rig->host.sent.size(), 1u);
        EXPECT_EQ(rig->host.sent[0].size(), c.sentSize);
    }
    if (c.status)
        EXPECT_EQ(rig->host.statuses, QStringList{QString::fromUtf8(c.status)});
    else
        EXPECT_TRUE(rig->host.statuses.isEmpty()) << rig->host.statuses.join('|').toStdString();
    EXPECT_TRUE(rig->host.messages.isEmpty());
}

const QByteArray U = bytes1(0x55);
const QByteArray Three = bytes1(0x33);
const QByteArray Wrong = bytes1(0x41);

TEST(DownloadSessionStates, ExpectedReplyMovesOnAndSendsTheNextFrame)
{
    const StepCase cases[] = {
        {"project start takes '3'", AllFiles, 2, Three, 3, 7, nullptr},
        {"project index", AllFiles, 3, U, 4, 2048, nullptr},
        {"segment header", AllFiles, 4, U, 5, 11, "工程下载：24%"},
        {"segment page", AllFiles, 5, U, 5, 2112, "工程下载：49%"},
        {"erase start takes 'U'", ProjectEraseFont, 8, U, 9, 7, nullptr},
        {"erase start takes '3'", ProjectEraseFont, 8, Three, 9, 7, nullptr},
        {"erase fill goes on with any reply", ProjectEraseFont, 9, Wrong, 9, 2112, nullptr},
        {"picture start after project", AllFiles, 10, U, 11, 6, nullptr},
        {"picture start takes '3'", PicturesOnly, 10, Three, 11, 6, nullptr},
        {"registry reply complete", AllFiles, 11, hex("FF FF EE FF"), 12, 7, nullptr},
        {"registry write", AllFiles, 12, U, 13, 2112, nullptr},
        {"registry rest", AllFiles, 13, U, 13, 2112, nullptr},
        {"picture header", AllFiles, 14, U, 15, 15, "图片下载：9%"},
        {"picture first packet", AllFiles, 15, U, 16, 2112, "图片下载：9%"},
        {"picture packets", AllFiles, 16, U, 16, 2112, "图片下载：18%"},
        {"font start takes '3'", FontOnly, 20, Three, 22, 11, nullptr},
        {"font start after erase takes 'U'", ProjectEraseFont, 20, U, 22, 11, nullptr},
        {"font header", FontOnly, 21, U, 22, 11, "字库下载：66%"},
        {"font page", FontOnly, 22, U, 22, 2112, "字库下载：33%"},
    };
    for (const StepCase &c : cases)
        checkStep(c);
}

TEST(DownloadSessionStates, WrongReplyStopsOrIsIgnoredAsEachStateSays)
{
    const StepCase cases[] = {
        {"project start", AllFiles, 2, Wrong, 1, -1, "串口连接错误2!"},
        {"project index", AllFiles, 3, Wrong, 1, -1, "串口连接错误3!"},
        {"segment header waits", AllFiles, 4, Wrong, 4, -1, nullptr},
        {"segment page", AllFiles, 5, Wrong, 1, -1, "串口连接错误3!"},
        {"erase start waits", ProjectEraseFont, 8, Wrong, 8, -1, nullptr},
        // Waiting here hung the download for ever: nothing else would end it.
        {"picture start ends the download", AllFiles, 10, Wrong, 1, -1, "串口连接错误2!"},
        {"registry read waits for the terminator", AllFiles, 11, hex("FF FF EE"), 11, -1, nullptr},
        {"registry write", AllFiles, 12, Wrong, 0, -1, "串口连接错误2!"},
        {"registry rest", AllFiles, 13, Wrong, 0, -1, "串口连接错误2!"},
        {"picture header", AllFiles, 14, Wrong, 1, -1, "串口连接错误2!"},
        {"picture first packet", AllFiles, 15, Wrong, 1, -1, "串口连接错误3!"},
        {"picture packets", AllFiles, 16, Wrong, 0, -1, "连接出错，请检查数据线!"},
        {"font start", FontOnly, 20, Wrong, 1, -1, "串口连接错误2!"},
        {"font header waits", FontOnly, 21, Wrong, 21, -1, nullptr},
        {"font page", FontOnly, 22, Wrong, 1, -1, "串口连接错误3!"},
    };
    for (const StepCase &c : cases)
        checkStep(c);
}

TEST(DownloadSessionStates, LinkCheckAnswersConnectedOrErrorWithMessageBox)
{
    RecordingHost host;
    DownloadSession s(host);
    s.portOpened();
    EXPECT_EQ(stateNumber(s), 1);
    EXPECT_EQ(host.log, (QStringList{"discard", "start 1 1000"}));

    host.clear();
    s.onReceive(Three);
    EXPECT_EQ(host.log, (QStringList{"stop 1", "discard", "status 串口已连接!"}));
    EXPECT_EQ(stateNumber(s), 1);

    host.clear();
    s.onReceive(hex("33 41"));
    EXPECT_EQ(host.log, (QStringList{"stop 1", "discard", "status 串口连接错误!", "message " + kConnectFail}));
    EXPECT_EQ(stateNumber(s), 1);
}

// The picture start stops the probe on any answer; left waiting after a
// wrong one, the download hung for ever with nothing to end it.
TEST(DownloadSessionStates, WrongReplyToPictureStartEndsTheDownloadInsteadOfHanging)
{
    Rig rig;
    rig.pictures({{3, 100, 100}});
    ASSERT_TRUE(rig.startAndProbe());
    rig.host.clear();
    rig.reply(0x41);
    EXPECT_EQ(rig.host.log, (QStringList{"stop 1", "discard", "status 串口连接错误2!"}));
    EXPECT_EQ(stateNumber(rig.session), 1);
    EXPECT_EQ(rig.session.outcome(), TransferSession::Outcome::Failed);
}

TEST(DownloadSessionExample, ProjectAndOnePictureByteForByte)
{
    Rig rig;
    const QByteArray data = projectData({2});
    ASSERT_EQ(data.mid(2055, 11), hex("7F 1B 56 00 00 02 00 FF FF EE FF"));
    const TestPicture pic{3, 100, 100};
    rig.project(data).pictures({pic});
    rig.session.portOpened();
    rig.host.clear();
    ASSERT_TRUE(rig.session.start(rig.files, &rig.error));
    rig.session.onTimer(1); // one second after the button
    rig.reply(0x33);
    for (int i = 0; i < 5; ++i)
        rig.reply(0x55); // header, index, segment header, page 1, page 2
    EXPECT_EQ(stateNumber(rig.session), 11);
    rig.registryReply({}); // the terminator alone
    for (int i = 0; i < 4; ++i)
        rig.reply(0x55); // write command, three registry packets
    for (int i = 0; i < 10; ++i)
        rig.reply(0x55); // header, nine packets
    EXPECT_EQ(stateNumber(rig.session), 16);
    rig.reply(0x55); // the last packet is taken
    EXPECT_EQ(stateNumber(rig.session), 0);
    EXPECT_EQ(rig.session.outcome(), TransferSession::Outcome::Completed);

    const QByteArray image = imageWith({{3, hex("03 00 00 00 64 00 64 00")}});
    const QByteArray px = pixelsOf(pic);
    std::vector<QByteArray> expected{
        hex("AA"),
        hex("7F 1B 75 FF FF EE FF"),
        data.mid(7, 2048),
        hex("7F 1B 56 00 00 02 00 FF FF EE FF"),
        data.mid(2066, 2112),
        data.mid(2066 + 2112, 2112),
        hex("1B 27 FF FF EE FF"),
        hex("7F 1B 73 FF FF EE FF"),
        image.mid(0, 2112),
        image.mid(2112, 2112),
        image.mid(4224, 576),
        hex("7F 1B 1C 03 00 00 00 64 00 64 00 FF FF EE FF"),
    };
    for (int k = 0; k < 10; ++k)
        expected.push_back(px.mid(k * 2112, 2112));
    ASSERT_EQ(rig.host.sent.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(h5test::toHex(rig.host.sent[i]), h5test::toHex(expected[i])) << "frame " << i;
    EXPECT_EQ(rig.host.sent.back().size(), 992);

    QStringList log{"stop 1", "discard", "start 1 1000", "send AA",
                    "stop 1", "discard", "send 7F 1B 75 FF FF EE FF",
                    "discard", "send[2048]",
                    "status 工程下载：32%", "send 7F 1B 56 00 00 02 00 FF FF EE FF",
                    "discard", "status 工程下载：66%", "send[2112]",
                    "discard", "status 工程下载：100%", "send[2112]",
                    "stop 1", "send 1B 27 FF FF EE FF", "start 2 10000",
                    "stop 2", "discard", "send 7F 1B 73 FF FF EE FF",
                    "send[2112]", "send[2112]", "send[576]",
                    "send 7F 1B 1C 03 00 00 00 64 00 64 00 FF FF EE FF", "status 图片下载：10%",
                    "discard", "send[2112]", "status 图片下载：10%"};
    for (int k = 1; k < 10; ++k)
        log << "discard" << (k < 9 ? QStringLiteral("send[2112]") : QStringLiteral("send[992]"))
            << QStringLiteral("status 图片下载：%1%").arg((k + 1) * 10);
    log << "discard";
    EXPECT_EQ(rig.host.logWithoutReplyTimer(), log);
    ASSERT_FALSE(rig.host.progressCalls.empty());
    EXPECT_EQ(rig.host.progressCalls.front(), std::make_pair(qint64(2055), qint64(6290)));
    EXPECT_EQ(rig.host.progressCalls.back(), std::make_pair(qint64(10), qint64(10)));

    rig.host.clear();
    rig.reply(0x55); // a stray acknowledge in state 0 changes nothing
    EXPECT_TRUE(rig.host.log.isEmpty());
    EXPECT_EQ(stateNumber(rig.session), 0);
}

TEST(DownloadSessionRuns, EraseAfterProjectWritesTheEmptyRegistryAndLetsTheLastPacketOut)
{
    Rig rig;
    rig.project(projectData({1})).erase();
    ASSERT_TRUE(rig.startAndProbe());
    rig.runUntil(8);
    rig.host.clear();
    rig.runToEnd();
    EXPECT_EQ(stateNumber(rig.session), 0);
    EXPECT_EQ(rig.session.outcome(), TransferSession::Outcome::Completed);
    ASSERT_EQ(rig.host.sent.size(), 4u);
    EXPECT_EQ(rig.host.sent[0], hex("7F 1B 73 FF FF EE FF"));
    EXPECT_EQ(rig.host.sent[1], ffs(2112));
    EXPECT_EQ(rig.host.sent[2], ffs(2112));
    EXPECT_EQ(rig.host.sent[3], ffs(576));
    // The buffers are discarded only after the last packet was handed over.
    const QStringList log = rig.host.logWithoutReplyTimer();
    EXPECT_EQ(log.mid(log.size() - 3), (QStringList{"send[576]", "discard", "status 擦除FLASH完成!"}));
}

TEST(DownloadSessionRuns, FontOnlySendsTheFileUnchangedSegmentBySegment)
{
    Rig rig;
    const QByteArray font = fontFile({2, 1});
    rig.font(font);
    ASSERT_TRUE(rig.startAndProbe());
    EXPECT_EQ(stateNumber(rig.session), 20);
    rig.runToEnd();
    EXPECT_EQ(rig.session.outcome(), TransferSession::Outcome::Completed);
    EXPECT_EQ(rig.host.allSent(), hex("AA") + font);
    EXPECT_EQ(rig.host.statuses, (QStringList{"字库下载：33%", "字库下载：66%", "字库下载：66%", "字库下载：100%"}));
}

TEST(DownloadSessionRuns, AllThreeFilesGoInOneDownloadInOrder)
{
    Rig rig;
    const QByteArray data = projectData({1, 2});
    const QByteArray font = fontFile({1, 1});
    const TestPicture a{3, 100, 100}, b{7, 20, 20};
    rig.project(data).pictures({a, b}).font(font);
    ASSERT_TRUE(rig.startAndProbe());
    rig.runToEnd();
    EXPECT_EQ(stateNumber(rig.session), 0);
    EXPECT_EQ(rig.session.outcome(), TransferSession::Outcome::Completed);

    const QByteArray image =
        imageWith({{3, hex("03 00 00 00 64 00 64 00")}, {7, hex("07 00 01 00 14 00 14 00")}});
    const QByteArray expected = hex("AA") + data + hex("1B 27 FF FF EE FF") + hex("7F 1B 73 FF FF EE FF") + image
        + pictureHeader(3, 0, 100, 100) + pixelsOf(a) + pictureHeader(7, 1, 20, 20) + pixelsOf(b) + font;
    EXPECT_EQ(rig.host.allSent(), expected);
}

TEST(DownloadSessionRuns, PictureListWithoutPicturesStillRewritesTheRegistry)
{
    Rig rig;
    rig.pictures({}).font(fontFile({1}));
    ASSERT_TRUE(rig.startAndProbe());
    rig.reply(0x33);
    rig.registryReply(regRecord(4, 0, 10, 10));
    rig.runToEnd();
    EXPECT_EQ(rig.session.outcome(), TransferSession::Outcome::Completed);
    EXPECT_EQ(rig.session.registryImage(), imageWith({{4, hex("04 00 00 00 0A 00 0A 00")}}));
}

struct RegistryCase
{
    const char *name;
    QByteArray terminalRecords;
    bool erase;
    QStringList messages;
    QByteArray image;
};

TEST(DownloadSessionRegistry, TerminalRegistryDecidesPlacementAndMessages)
{
    const QByteArray own3 = hex("03 00 00 00 64 00 64 00");
    const RegistryCase cases[] = {
        {"terminal pictures are kept", regRecord(5, 0, 300, 300), false, {},
         imageWith({{5, hex("05 00 00 00 2C 01 2C 01")}, {3, hex("03 00 02 00 64 00 64 00")}})},
        {"erase ignores the terminal", regRecord(5, 0, 300, 300), true, {}, imageWith({{3, own3}})},
        {"first block 600 clears everything once", regRecord(5, 0, 300, 300) + regRecord(6, 600, 1, 1)
             + regRecord(8, 700, 1, 1), false, {"图片注册表出错，全部清除。"}, imageWith({{3, own3}})},
        {"full storage is overwritten from the start", regRecord(9, 0, 4096, 9900), false,
         {"存储空间已满，从头覆盖。"}, imageWith({{3, own3}, {9, hex("09 00 00 00 00 10 AC 26")}})},
        {"picture sent again frees its old blocks", regRecord(8, 0, 300, 300) + regRecord(3, 5, 100, 100), false,
         {}, imageWith({{8, hex("08 00 00 00 2C 01 2C 01")}, {3, hex("03 00 02 00 64 00 64 00")}})},
    };
    for (const RegistryCase &c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.pictures({{3, 100, 100}});
        if (c.erase)
            rig.erase();
        ASSERT_TRUE(rig.startAndProbe());
        rig.reply(0x55);
        rig.registryReply(c.terminalRecords);
        rig.reply(0x55);
        EXPECT_EQ(stateNumber(rig.session), 13);
        EXPECT_EQ(rig.host.messages, c.messages);
        EXPECT_EQ(rig.session.registryImage(), c.image);
        EXPECT_EQ(rig.host.sent.back(), c.image.left(2112));
        rig.runToEnd();
        EXPECT_EQ(rig.session.outcome(), TransferSession::Outcome::Completed);
    }
}

TEST(DownloadSessionRegistry, PictureLargerThanTheFlashIsLeftOutAndTheRestStillGoes)
{
    // 601 blocks never fit; the flash counts as full, so the next picture
    // is laid from block 0.
    Rig rig;
    const TestPicture huge{2, 4096, 9916}, small{4, 10, 10};
    rig.pictures({huge, small}).erase();
    ASSERT_TRUE(rig.startAndProbe());
    rig.runUntil(12);
    const size_t before = rig.host.sent.size();
    rig.runToEnd();
    EXPECT_EQ(rig.session.outcome(), TransferSession::Outcome::Completed);
    EXPECT_EQ(rig.host.messages, QStringList{"存储空间已满，从头覆盖。"});
    const QByteArray image = imageWith({{4, hex("04 00 00 00 0A 00 0A 00")}});
    EXPECT_EQ(rig.session.registryImage(), image);
    QByteArray sent;
    for (size_t i = before; i < rig.host.sent.size(); ++i)
        sent += rig.host.sent[i];
    EXPECT_EQ(sent, image + pictureHeader(4, 0, 10, 10) + pixelsOf(small));
}

TEST(DownloadSessionTimers, ProbeOnTheFirstThreeTicksThenCloseAtTheEleventh)
{
    RecordingHost host;
    DownloadSession s(host);
    s.portOpened();
    host.clear();
    for (int tick = 0; tick < 10; ++tick) {
        s.onTimer(TransferSession::kProbeTimer);
        EXPECT_EQ(host.log.size(), tick < 3 ? tick + 1 : 3) << "tick " << tick;
    }
    EXPECT_EQ(host.log, (QStringList{"send AA", "send AA", "send AA"}));
    host.clear();
    s.onTimer(TransferSession::kProbeTimer);
    EXPECT_EQ(host.log, (QStringList{"status 串口连接不上!", "stop 1", "closePort", "message " + kConnectFail}));
    EXPECT_EQ(stateNumber(s), 0);
    EXPECT_FALSE(s.portOpen());

    // Opening again starts a new probe.
    host.clear();
    s.portOpened();
    s.onTimer(TransferSession::kProbeTimer);
    EXPECT_EQ(host.log, (QStringList{"discard", "start 1 1000", "send AA"}));
}

struct StallCase
{
    const char *name;
    Scenario scenario;
    int state;
};

TEST(DownloadSessionTimers, NoReplyForFiveSecondsEndsTheTransfer)
{
    const StallCase cases[] = {
        {"project header", AllFiles, 3},   {"project page", AllFiles, 5},  {"registry write", AllFiles, 12},
        {"registry rest", AllFiles, 13},   {"picture header", AllFiles, 15}, {"picture packet", AllFiles, 16},
        {"font page", AllFiles, 22},       {"font header", FontOnly, 21}, {"erase fill", ProjectEraseFont, 9},
        {"font start after erase", ProjectEraseFont, 20}, {"after the project", AllFiles, 10},
    };
    for (const StallCase &c : cases) {
        SCOPED_TRACE(c.name);
        auto rig = rigFor(c.scenario);
        ASSERT_TRUE(rig->startAndProbe());
        rig->runUntil(c.state);
        ASSERT_EQ(stateNumber(rig->session), c.state);
        EXPECT_EQ(rig->host.log.filter("start 3").size() - rig->host.log.filter("stop 3").size(), 1)
            << "the reply time-out runs";
        rig->host.clear();
        rig->session.onTimer(TransferSession::kReplyTimer);
        EXPECT_EQ(stateNumber(rig->session), 1);
        EXPECT_EQ(rig->host.statuses, QStringList{"连接超时!"});
        EXPECT_EQ(rig->host.log.filter("stop 3").size(), 1);
        EXPECT_EQ(rig->session.outcome(), TransferSession::Outcome::Failed);
    }
}

TEST(DownloadSessionTimers, ReplyTimeOutRestsWhileTheRegistryIsReadAndAfterTheEnd)
{
    Rig rig;
    rig.project(projectData({1})).pictures({{3, 10, 10}});
    ASSERT_TRUE(rig.startAndProbe());
    rig.runUntil(11);
    ASSERT_EQ(rig.host.log.filter("start 3").size(), rig.host.log.filter("stop 3").size());
    rig.host.clear();
    rig.session.onTimer(TransferSession::kReplyTimer); // a late tick
    EXPECT_TRUE(rig.host.log.isEmpty());
    EXPECT_EQ(stateNumber(rig.session), 11);

    rig.runToEnd();
    EXPECT_EQ(stateNumber(rig.session), 0);
    EXPECT_EQ(rig.host.log.filter("start 3").size(), rig.host.log.filter("stop 3").size());
}

TEST(DownloadSessionTimers, RegistryTimeOutActsWhateverTheTickCount)
{
    Rig rig;
    rig.pictures({{3, 10, 10}});
    ASSERT_TRUE(rig.startAndProbe());
    for (int i = 0; i < 3; ++i)
        rig.session.onTimer(TransferSession::kProbeTimer); // answered only after the third probe
    rig.reply(0x33);
    ASSERT_EQ(stateNumber(rig.session), 11);
    EXPECT_EQ(rig.session.tickCount(), 4u);
    rig.session.onReceive(hex("00 00 03 00")); // part of a reply, then silence
    rig.host.clear();
    rig.session.onTimer(TransferSession::kRegistryTimer);
    EXPECT_EQ(rig.host.log, (QStringList{"stop 2", "status 连接超时!"}));
    EXPECT_EQ(stateNumber(rig.session), 1);
    EXPECT_EQ(rig.session.outcome(), TransferSession::Outcome::Failed);
}

TEST(DownloadSessionDamagedData, DamagedDataIsRefusedBeforeAnythingIsSent)
{
    const QByteArray head = projectData({});
    struct Case
    {
        const char *name;
        QByteArray project; // empty: font only
        QByteArray font;
        const char *why;
    };
    const Case cases[] = {
        {"segment announcing no page", head + hex("7F 1B 56 00 00 00 00 FF FF EE FF") + pattern(2112, 1), {},
         "第104461字节处的画面段头不带任何数据页"},
        {"segment cut short", projectData({2}).chopped(100), {}, "第104461字节处的画面段头声明的数据页比文件剩下的多"},
        {"bytes after the last segment", projectData({1}) + hex("7F 1B"), {}, "第106584字节处的画面段头不完整"},
        {"no segment at all", head, {}, "没有任何画面段"},
        {"font segment announcing no page", {}, hex("7F 1B 74 00 00 00 00 FF FF EE FF"), "字库段头不带任何数据页"},
        {"font cut short", {}, fontFile({1, 2}).chopped(1), "第2123字节处的字库段头声明的数据页比文件剩下的多"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        if (!c.project.isEmpty())
            rig.project(c.project);
        if (!c.font.isEmpty())
            rig.font(c.font);
        rig.session.portOpened();
        rig.host.clear();
        EXPECT_FALSE(rig.session.start(rig.files, &rig.error));
        EXPECT_TRUE(rig.error.contains(QString::fromUtf8(c.why))) << rig.error.toStdString();
        EXPECT_TRUE(rig.error.contains(c.project.isEmpty() ? rig.files.font : rig.files.project));
        EXPECT_TRUE(rig.host.log.isEmpty()) << rig.host.log.join('|').toStdString();
        EXPECT_EQ(stateNumber(rig.session), 1);
        EXPECT_EQ(rig.session.outcome(), TransferSession::Outcome::Idle);

        // The same bytes handed over in memory are refused the same way.
        DownloadData data;
        data.hasProject = !c.project.isEmpty();
        data.project = c.project;
        data.hasFont = !c.font.isEmpty();
        data.font = c.font;
        EXPECT_FALSE(rig.session.start(data, false, &rig.error));
        EXPECT_FALSE(rig.error.isEmpty());
        EXPECT_TRUE(rig.host.log.isEmpty());
    }
}

struct LastPacketCase
{
    const char *name;
    Scenario scenario;
    QByteArray answer;  // empty: the reply time-out fires instead
    TransferSession::Outcome outcome;
    int state;
    const char *status; // the status shown, nullptr for none
};

// The machine is in state 0 as soon as the last packet goes out, yet the
// transfer is complete only when the terminal has taken that packet.
TEST(DownloadSessionEnd, TransferCompletesOnlyWhenTheLastPacketIsTaken)
{
    using O = TransferSession::Outcome;
    const LastPacketCase cases[] = {
        {"project page taken", ProjectOnly, U, O::Completed, 0, nullptr},
        {"project page refused", ProjectOnly, Wrong, O::Failed, 1, "串口连接错误3!"},
        {"project page never answered", ProjectOnly, {}, O::Failed, 1, "连接超时!"},
        {"font page taken", FontOnly, U, O::Completed, 0, nullptr},
        {"font page refused", FontOnly, Wrong, O::Failed, 1, "串口连接错误3!"},
        {"font page never answered", FontOnly, {}, O::Failed, 1, "连接超时!"},
        {"erase fill goes on with any answer", ProjectErase, Wrong, O::Completed, 0, nullptr},
        {"erase fill never answered", ProjectErase, {}, O::Failed, 1, "连接超时!"},
    };
    for (const LastPacketCase &c : cases) {
        SCOPED_TRACE(c.name);
        auto rig = rigFor(c.scenario);
        ASSERT_TRUE(rig->startAndProbe()) << rig->error.toStdString();
        // Answer until the last packet is out.
        for (int guard = 0; guard < 1000 && stateNumber(rig->session) != 0; ++guard) {
            const int s = stateNumber(rig->session);
            rig->reply(s == 2 ? 0x33 : 0x55);
        }
        ASSERT_EQ(stateNumber(rig->session), 0);
        EXPECT_EQ(rig->session.outcome(), O::Running) << "complete before the terminal took the last packet";
        EXPECT_EQ(rig->host.log.filter("start 3").size() - rig->host.log.filter("stop 3").size(), 1)
            << "the reply time-out watches the last packet";
        rig->host.clear();
        if (c.answer.isEmpty())
            rig->session.onTimer(TransferSession::kReplyTimer);
        else
            rig->session.onReceive(c.answer);
        EXPECT_EQ(rig->session.outcome(), c.outcome);
        EXPECT_EQ(stateNumber(rig->session), c.state);
        EXPECT_TRUE(rig->host.sent.empty());
        EXPECT_EQ(rig->host.statuses, c.status ? QStringList{QString::fromUtf8(c.status)} : QStringList{});
        EXPECT_EQ(rig->host.log.filter("stop 3").size(), 1);
        // A late answer sends nothing and changes no outcome.
        rig->host.clear();
        rig->reply(0x55);
        EXPECT_TRUE(rig->host.sent.empty());
        EXPECT_EQ(rig->session.outcome(), c.outcome);
        if (c.outcome == O::Completed) {
            EXPECT_TRUE(rig->host.log.isEmpty()) << rig->host.log.join('|').toStdString();
        }
    }
}

TEST(DownloadSessionStart, UnusableFileIsReportedAndNothingIsSent)
{
    struct Case
    {
        const char *name;
        std::function<void(Rig &)> setUp;
        const char *errorPart;
    };
    const Case cases[] = {
        {"missing project", [](Rig &r) { r.files.project = QDir(r.dir.path()).filePath("gone.wgc"); }, "工程文件无法读取"},
        {"project without compiled data",
         [](Rig &r) { r.files.project = writeFile(r.dir, "p.wgc", projectFile(projectData({}).chopped(1))); },
         "工程文件已损坏"},
        {"picture list shorter than its slots",
         [](Rig &r) { r.files.pictures = writeFile(r.dir, "l.tbm", QByteArray(1000, '\0')); }, "图片文件已损坏"},
        {"picture list missing pixels",
         [](Rig &r) { r.files.pictures = writeFile(r.dir, "l.tbm", pictureList({{3, 100, 100}}).chopped(2000)); },
         "图片数据不全"},
        {"missing font", [](Rig &r) { r.files.font = QDir(r.dir.path()).filePath("gone.wzk"); }, "字库文件无法读取"},
        {"font shorter than a header", [](Rig &r) { r.files.font = writeFile(r.dir, "f.wzk", hex("7F 1B")); },
         "字库文件已损坏"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.project(projectData({1})); // a good project beside the bad file
        c.setUp(rig);
        rig.session.portOpened();
        rig.host.clear();
        EXPECT_FALSE(rig.session.start(rig.files, &rig.error));
        EXPECT_TRUE(rig.error.contains(QString::fromUtf8(c.errorPart))) << rig.error.toStdString();
        EXPECT_TRUE(rig.host.log.isEmpty());
        EXPECT_EQ(stateNumber(rig.session), 1);
    }
}

TEST(DownloadSessionStart, ClosedPortOrNoFileDoesNothing)
{
    Rig rig;
    rig.project(projectData({1}));
    EXPECT_FALSE(rig.session.start(rig.files, &rig.error));
    EXPECT_TRUE(rig.error.isEmpty());
    rig.session.portOpened();
    rig.host.clear();
    EXPECT_FALSE(rig.session.start(DownloadFiles(), &rig.error));
    EXPECT_TRUE(rig.error.isEmpty());
    EXPECT_TRUE(rig.host.log.isEmpty());
}

TEST(DownloadSessionStart, PressingDownloadAgainRestartsFromTheBeginning)
{
    Rig rig;
    rig.project(projectData({1})).pictures({{3, 10, 10}});
    ASSERT_TRUE(rig.startAndProbe());
    rig.runUntil(11); // registry time-out and reply time-out both matter here
    rig.host.clear();
    ASSERT_TRUE(rig.session.start(rig.files, &rig.error));
    EXPECT_EQ(rig.host.log, (QStringList{"stop 1", "stop 2", "discard", "start 1 1000"}));
    EXPECT_EQ(stateNumber(rig.session), 2);
    rig.session.onTimer(TransferSession::kProbeTimer);
    EXPECT_EQ(rig.host.sent.back(), hex("AA"));
}

TEST(DownloadSessionPort, ClosingMidTransferStopsEveryTimerAndFails)
{
    Rig rig;
    rig.project(projectData({1})).pictures({{3, 10, 10}});
    ASSERT_TRUE(rig.startAndProbe());
    rig.runUntil(11);
    rig.host.clear();
    rig.session.portClosed();
    EXPECT_EQ(rig.host.log, (QStringList{"stop 1", "stop 2"}));
    EXPECT_EQ(stateNumber(rig.session), 0);
    EXPECT_EQ(rig.session.outcome(), TransferSession::Outcome::Failed);
    EXPECT_FALSE(rig.session.start(rig.files, &rig.error));
}

} // namespace

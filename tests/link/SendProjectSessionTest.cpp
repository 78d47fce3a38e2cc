// The project management window's transfer: its page and picture entries,
// its staging files in the project folder, and where its state machine
// differs from the file download window's.

#include "LinkTestSupport.h"

#include "link/Frames.h"
#include "link/SendProjectSession.h"
#include "support/FileSizeLimit.h"

#include <gtest/gtest.h>
#include <memory>

using namespace h5;
using namespace h5linktest;
using h5test::hex;

namespace {

const QString kConnectFail = QStringLiteral("串口连接错误，可能是波特率设置错误或者下位机连接不正确。");

// A project folder with its project file and picture position file, a
// recording host and the session.
struct ProjectRig
{
    QTemporaryDir dir;
    RecordingHost host;
    std::unique_ptr<SendProjectSession> session = std::make_unique<SendProjectSession>(host);
    QString projectPath;
    QString error;
    bool connected = false;

    ProjectRig &project(const QByteArray &data, const std::vector<int> &pageLengths)
    {
        projectPath = writeFile(dir, "demo.wgc", projectFile(data, pageLengths));
        return *this;
    }
    ProjectRig &pictures(const std::vector<TestPicture> &pics)
    {
        writeFile(dir, SendProjectSession::kPictureListName, pictureList(pics));
        return *this;
    }
    void load()
    {
        if (projectPath.isEmpty())
            projectPath = QDir(dir.path()).filePath("demo.wgc");
        session->load(projectPath, dir.path());
    }
    QString staged(const QString &name) const { return QDir(dir.path()).filePath(name); }
    QByteArray registryStage() const { return h5test::readAll(staged(SendProjectSession::kRegistryStageName)); }
    QByteArray pictureStage() const { return h5test::readAll(staged(SendProjectSession::kPictureStageName)); }
    bool registryStaged() const { return QFile::exists(staged(SendProjectSession::kRegistryStageName)); }
    bool pictureStaged() const { return QFile::exists(staged(SendProjectSession::kPictureStageName)); }
    void stageOldFiles()
    {
        writeFile(dir, SendProjectSession::kRegistryStageName, "old");
        writeFile(dir, SendProjectSession::kPictureStageName, "old");
    }

    void reply(unsigned char b) { session->onReceive(bytes1(b)); }

    bool startAndProbe(bool erase = false)
    {
        load();
        session->portOpened();
        connected = false;
        if (!session->start(erase, &error))
            return false;
        session->onTimer(TransferSession::kProbeTimer);
        return true;
    }
    void runUntil(int target)
    {
        for (int guard = 0; guard < 100000 && stateNumber(*session) != target; ++guard) {
            const int s = stateNumber(*session);
            if (s == 0 && session->outcome() == TransferSession::Outcome::Running) {
                reply(0x55); // the last packet is taken
                continue;
            }
            if (s == 0 || s == 1)
                return;
            if (s != 2)
                connected = true;
            if (s == 11)
                session->onReceive(hex("FF FF EE FF"));
            else
                reply(!connected ? 0x33 : 0x55);
        }
    }
    void runToEnd() { runUntil(-1); }
};

// Pages 2 and 5 used; pictures 0 (one packet) and 2 (ten packets) in use,
// picture 4 has a size but is not in use.
const TestPicture kPic0{0, 10, 10, "a.bmp"};
const TestPicture kPic2{2, 100, 100, "b.bmp"};
const TestPicture kPic4{4, 10, 10, "c.bmp", false};

void withPictures(ProjectRig &rig)
{
    rig.project(projectData({2, 1}), {0, 0, 2, 0, 0, 1}).pictures({kPic0, kPic2, kPic4});
}

TEST(SendProjectLoad, PageEntriesFromThePageTableAndPictureEntriesFromInUseSlots)
{
    ProjectRig rig;
    withPictures(rig);
    rig.load();
    const auto &pages = rig.session->pageEntries();
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].pageNo, 2);
    EXPECT_EQ(pages[0].length, 2);
    EXPECT_EQ(pages[0].start, 0);
    EXPECT_EQ(pages[1].pageNo, 5);
    EXPECT_EQ(pages[1].length, 1);
    EXPECT_EQ(pages[1].start, 2);
    const auto &pics = rig.session->pictureEntries();
    ASSERT_EQ(pics.size(), 2u);
    EXPECT_EQ(pics[0].number, 0);
    EXPECT_EQ(pics[0].path, "a.bmp");
    EXPECT_EQ(pics[1].number, 2);
    EXPECT_EQ(pics[1].path, "b.bmp");
    EXPECT_EQ(pics[1].width, 100);
    EXPECT_EQ(pics[1].height, 100);
    EXPECT_TRUE(pics[1].firstBlock.isEmpty());
    EXPECT_TRUE(rig.host.messages.isEmpty());
}

TEST(SendProjectLoad, MissingFilesAreToldAndTheListsStayEmpty)
{
    ProjectRig none;
    none.load();
    EXPECT_EQ(none.host.messages, QStringList{"工程文件丢失!"});
    EXPECT_TRUE(none.session->pageEntries().empty());

    ProjectRig noList;
    noList.project(projectData({1}), {1});
    noList.load();
    EXPECT_EQ(noList.host.messages, QStringList{"图片文件丢失!"});
    EXPECT_EQ(noList.session->pageEntries().size(), 1u);
    EXPECT_TRUE(noList.session->pictureEntries().empty());
}

TEST(SendProjectStart, ProjectWithoutPagesIsReportedInTheStatusBox)
{
    ProjectRig rig;
    rig.project(projectData({1}), {});
    rig.load();
    rig.session->portOpened();
    rig.host.clear();
    EXPECT_FALSE(rig.session->start(false, &rig.error));
    EXPECT_TRUE(rig.error.isEmpty());
    EXPECT_EQ(rig.host.log, (QStringList{"stop 1", "discard", "status 工程内没有画面!"}));
}

TEST(SendProjectStart, PictureListGoneSinceTheWindowOpenedIsReportedBeforeSending)
{
    ProjectRig rig;
    withPictures(rig);
    rig.load();
    QFile::remove(rig.staged(SendProjectSession::kPictureListName));
    rig.session->portOpened();
    rig.host.clear();
    EXPECT_FALSE(rig.session->start(false, &rig.error));
    EXPECT_TRUE(rig.error.contains("图片文件无法读取")) << rig.error.toStdString();
    EXPECT_TRUE(rig.host.log.isEmpty());
}

TEST(SendProjectStart, DamagedProjectFileIsRefusedBeforeAnythingIsSent)
{
    const QByteArray good = projectFile(projectData({2}), {2});
    const qsizetype seg = kProjectDataAt + 2055;
    struct Case
    {
        const char *name;
        QByteArray file;
        const char *why;
    };
    QByteArray res200 = good, claims = good;
    res200[4] = char(200);
    claims[seg + 5] = 3;
    const Case cases[] = {
        {"resolution index 200", res200, "分辨率编号200"},
        {"segment header claiming more pages than the file holds", claims, "第104461字节处"},
        {"truncated", good.chopped(2112), "第104461字节处"},
        {"random bytes", pattern(120000, 7), "已损坏"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ProjectRig rig;
        // The page table says page 0 is used, whatever the rest holds.
        QByteArray file = c.file;
        file[6] = 1;
        file[14] = 2;
        rig.projectPath = writeFile(rig.dir, "demo.wgc", file);
        rig.pictures({kPic0});
        rig.load();
        rig.session->portOpened();
        rig.host.clear();
        EXPECT_FALSE(rig.session->start(false, &rig.error));
        EXPECT_TRUE(rig.error.startsWith("工程文件已损坏：" + rig.projectPath)) << rig.error.toStdString();
        EXPECT_TRUE(rig.error.contains(QString::fromUtf8(c.why))) << rig.error.toStdString();
        EXPECT_TRUE(rig.host.log.isEmpty()) << rig.host.log.join('|').toStdString();
        EXPECT_EQ(rig.session->outcome(), TransferSession::Outcome::Idle);
    }
}

TEST(SendProjectStart, PicturesLeftOutOfTheSendAreToldAndRemembered)
{
    {
        SCOPED_TRACE("every picture goes");
        ProjectRig rig;
        withPictures(rig);
        ASSERT_TRUE(rig.startAndProbe());
        rig.runToEnd();
        EXPECT_EQ(rig.session->outcome(), TransferSession::Outcome::Completed);
        EXPECT_FALSE(rig.session->picturesLeftOut());
    }
    {
        SCOPED_TRACE("no picture list: the project goes alone");
        ProjectRig rig;
        const QByteArray data = projectData({1});
        rig.project(data, {1});
        ASSERT_TRUE(rig.startAndProbe());
        rig.runToEnd();
        EXPECT_EQ(rig.session->outcome(), TransferSession::Outcome::Completed);
        EXPECT_EQ(rig.host.allSent(), hex("AA") + data);
        EXPECT_TRUE(rig.session->picturesLeftOut());
        EXPECT_EQ(rig.session->pictureListProblem(), "图片文件丢失!");
        EXPECT_EQ(rig.host.messages, QStringList{"图片文件丢失!"});
    }
    {
        SCOPED_TRACE("picture list shorter than its slots: the project goes alone");
        ProjectRig rig;
        rig.project(projectData({1}), {1});
        writeFile(rig.dir, SendProjectSession::kPictureListName, QByteArray(5000, '\0'));
        ASSERT_TRUE(rig.startAndProbe());
        rig.runToEnd();
        EXPECT_EQ(rig.session->outcome(), TransferSession::Outcome::Completed);
        EXPECT_TRUE(rig.session->picturesLeftOut());
        EXPECT_TRUE(rig.session->pictureListProblem().contains(rig.session->pictureListPath()));
    }
    {
        SCOPED_TRACE("a picture in use without a size");
        ProjectRig rig;
        rig.project(projectData({1}), {1}).pictures({kPic0, {4, 0, 0, "gone.bmp"}});
        ASSERT_TRUE(rig.startAndProbe());
        EXPECT_EQ(rig.host.statuses, QStringList{"编号4图片丢失。"});
        rig.runToEnd();
        EXPECT_EQ(rig.session->outcome(), TransferSession::Outcome::Completed);
        EXPECT_TRUE(rig.session->picturesLeftOut());
        EXPECT_TRUE(rig.session->pictureListProblem().isEmpty());
        EXPECT_EQ(rig.session->leftOutPictures(), std::vector<int>{4});
    }
}

// The build writes the pixels of the slots in use only. A page saved after
// the build gives a new picture a slot with a size and no pixels yet (not
// in use); the pictures of the build keep their places in the data area,
// so the project window counts the slots in use, where the picture lists
// of the other windows count every slot with a size.
TEST(SendProjectRuns, PictureSavedSinceTheBuildTakesNoPlaceInTheDataArea)
{
    ProjectRig rig;
    const TestPicture built{5, 30, 20, "b.bmp"};
    QByteArray list = pictureList({built});
    char *added = list.data() + 2 * 2060; // picture 2, 100 x 100, saved since the build
    added[2050] = 0;
    added[2051] = 100;
    added[2052] = 0;
    added[2053] = 100;
    rig.project(projectData({1}), {1});
    writeFile(rig.dir, SendProjectSession::kPictureListName, list);
    ASSERT_TRUE(rig.startAndProbe());
    rig.runToEnd();
    EXPECT_EQ(rig.session->outcome(), TransferSession::Outcome::Completed) << rig.host.statuses.join('|').toStdString();
    EXPECT_TRUE(rig.host.allSent().endsWith(pictureHeader(5, 0, 30, 20) + pixelsOf(built)));
}

// The staging files are made before the project goes: on a disk too full
// for them the project data used to go out whole, and the send then
// stopped before the pictures, leaving the terminal with the new project
// and without its pictures.
TEST(SendProjectStart, DiskTooFullForTheStagingFilesRefusesTheSendBeforeTheProjectGoes)
{
    ProjectRig rig;
    withPictures(rig);
    rig.load();
    rig.session->portOpened();
    rig.host.clear();
    bool started = true;
    {
        // Room for the registry image, not for the record of picture 2.
        h5test::FileSizeLimit limit(4800 + 100);
        started = rig.session->start(false, &rig.error);
    }
    EXPECT_FALSE(started);
    EXPECT_TRUE(rig.error.startsWith(QStringLiteral("暂存文件写入失败："))) << rig.error.toStdString();
    EXPECT_TRUE(rig.host.sent.empty());
    EXPECT_FALSE(rig.pictureStaged());
    EXPECT_FALSE(rig.registryStaged());
    // With room again the same send goes through, and the staging files
    // were written in place as the transfer went.
    ASSERT_TRUE(rig.session->start(false, &rig.error)) << rig.error.toStdString();
    rig.session->onTimer(TransferSession::kProbeTimer);
    rig.runToEnd();
    EXPECT_EQ(rig.session->outcome(), TransferSession::Outcome::Completed);
    EXPECT_EQ(rig.pictureStage(), pictureHeader(2, 1, 100, 100) + pixelsOf(kPic2));
}

TEST(SendProjectRuns, ProjectThenPicturesWithStagingFilesAndStatuses)
{
    ProjectRig rig;
    withPictures(rig);
    const QByteArray data = projectData({2, 1});
    ASSERT_TRUE(rig.startAndProbe());
    rig.runUntil(12);
    rig.reply(0x55); // registry write command taken: placement
    const QByteArray image =
        h5test::hex("00 00 00 00 0A 00 0A 00") + QByteArray(8, '\xFF') + hex("02 00 01 00 64 00 64 00");
    QByteArray expectedImage(4800, '\xFF');
    expectedImage.replace(0, 24, image);
    EXPECT_EQ(rig.registryStage(), expectedImage);
    EXPECT_EQ(rig.session->pictureEntries()[0].firstBlock, "0");
    EXPECT_EQ(rig.session->pictureEntries()[1].firstBlock, "1");

    rig.runUntil(15); // header of picture 0 sent
    EXPECT_EQ(rig.pictureStage(), pictureHeader(0, 0, 10, 10) + pixelsOf(kPic0));
    rig.reply(0x55);
    rig.reply(0x55); // picture 0 done, header of picture 2 sent
    EXPECT_EQ(rig.pictureStage(), pictureHeader(2, 1, 100, 100) + pixelsOf(kPic2));
    rig.runToEnd();
    EXPECT_EQ(stateNumber(*rig.session), 0);
    EXPECT_EQ(rig.session->outcome(), TransferSession::Outcome::Completed);

    const QByteArray expected = hex("AA") + data + hex("1B 27 FF FF EE FF") + hex("7F 1B 73 FF FF EE FF")
        + expectedImage + pictureHeader(0, 0, 10, 10) + pixelsOf(kPic0) + pictureHeader(2, 1, 100, 100)
        + pixelsOf(kPic2);
    EXPECT_EQ(rig.host.allSent(), expected);
    EXPECT_EQ(rig.host.sent[rig.host.sent.size() - 12].size(), 200); // picture 0 in one packet

    QStringList statuses{"已下载：24%", "已下载：49%", "已下载：74%", "已下载：74%", "已下载：100%",
                         "下载编号0图片：0%", "下载编号0图片：100%", "下载编号2图片：0%", "下载编号2图片：10%"};
    for (int k = 2; k <= 10; ++k)
        statuses << QStringLiteral("下载编号2幅图片：%1%").arg(k * 10);
    EXPECT_EQ(rig.host.statuses, statuses);
    EXPECT_TRUE(rig.registryStaged()); // kept until the port closes
}

TEST(SendProjectRuns, WithoutPicturesTheSendEndsAfterTheProjectOrWritesTheEmptyRegistry)
{
    for (const bool erase : {false, true}) {
        SCOPED_TRACE(erase ? "erase" : "keep");
        ProjectRig rig;
        const QByteArray data = projectData({1});
        rig.project(data, {1}).pictures({});
        ASSERT_TRUE(rig.startAndProbe(erase));
        rig.runToEnd();
        EXPECT_EQ(stateNumber(*rig.session), 0);
        EXPECT_EQ(rig.session->outcome(), TransferSession::Outcome::Completed);
        QByteArray expected = hex("AA") + data;
        if (erase)
            expected += hex("7F 1B 73 FF FF EE FF") + QByteArray(4800, '\xFF');
        EXPECT_EQ(rig.host.allSent(), expected);
        EXPECT_EQ(rig.host.statuses.last(), erase ? "擦除FLASH完成!" : "已下载：100%");
    }
}

struct VariantCase
{
    const char *name;
    bool withPictures;
    int state;
    unsigned char reply;
    int next;
    const char *status; // nullptr: none
    bool pictureStageGone;
    bool registryStageGone;
};

TEST(SendProjectStates, RepliesJudgedAsTheProjectWindowDoes)
{
    const VariantCase cases[] = {
        {"wrong first reply drops both staging files", true, 2, 0x41, 1, "串口连接错误2!", true, true},
        {"erase start ignores '3'", false, 8, 0x33, 8, nullptr, false, false},
        {"picture start ignores '3'", true, 10, 0x33, 10, nullptr, false, false},
        {"registry write", true, 12, 0x41, 0, "串口连接错误2!", true, false},
        {"registry rest", true, 13, 0x41, 0, "串口连接错误2!", true, false},
        {"picture header", true, 14, 0x41, 1, "串口连接错误2!", true, false},
        {"picture first packet", true, 15, 0x41, 1, "串口连接错误3!", true, false},
        {"picture packets keep their files", true, 16, 0x41, 1, "连接出错，请检查数据线!", false, false},
    };
    for (const VariantCase &c : cases) {
        SCOPED_TRACE(c.name);
        ProjectRig rig;
        if (c.withPictures)
            withPictures(rig);
        else
            rig.project(projectData({1}), {1}).pictures({});
        ASSERT_TRUE(rig.startAndProbe(!c.withPictures));
        rig.runUntil(c.state);
        ASSERT_EQ(stateNumber(*rig.session), c.state);
        rig.stageOldFiles();
        rig.host.clear();
        rig.reply(c.reply);
        EXPECT_EQ(stateNumber(*rig.session), c.next);
        EXPECT_TRUE(rig.host.sent.empty());
        if (c.status)
            EXPECT_EQ(rig.host.statuses, QStringList{QString::fromUtf8(c.status)});
        else
            EXPECT_TRUE(rig.host.log.isEmpty()) << rig.host.log.join('|').toStdString();
        EXPECT_EQ(rig.pictureStaged(), !c.pictureStageGone);
        EXPECT_EQ(rig.registryStaged(), !c.registryStageGone);
    }
}

TEST(SendProjectTimers, NoAnswerToTheProbeKeepsThePortOpenAndDropsTheStagingFiles)
{
    ProjectRig rig;
    withPictures(rig);
    rig.load();
    rig.session->portOpened();
    EXPECT_EQ(rig.host.log, QStringList{"start 1 1000"}); // no discard on opening
    rig.stageOldFiles();
    for (int tick = 0; tick < 10; ++tick)
        rig.session->onTimer(TransferSession::kProbeTimer);
    rig.host.clear();
    rig.session->onTimer(TransferSession::kProbeTimer);
    EXPECT_EQ(rig.host.log, (QStringList{"status 串口连接不上!", "stop 1", "message " + kConnectFail}));
    EXPECT_EQ(stateNumber(*rig.session), 1);
    EXPECT_TRUE(rig.session->portOpen());
    EXPECT_FALSE(rig.pictureStaged());
    EXPECT_FALSE(rig.registryStaged());
}

TEST(SendProjectTimers, StagingFilesGoWhenThePortClosesAReplyTimesOutOrTheWindowEnds)
{
    enum How { Close, ReplyTimeOut, Destroy };
    for (const How how : {Close, ReplyTimeOut, Destroy}) {
        SCOPED_TRACE(int(how));
        ProjectRig rig;
        withPictures(rig);
        ASSERT_TRUE(rig.startAndProbe());
        rig.runUntil(16);
        ASSERT_TRUE(rig.pictureStaged());
        ASSERT_TRUE(rig.registryStaged());
        if (how == Close)
            rig.session->portClosed();
        else if (how == ReplyTimeOut)
            rig.session->onTimer(TransferSession::kReplyTimer);
        else
            rig.session.reset();
        EXPECT_FALSE(rig.pictureStaged());
        EXPECT_FALSE(rig.registryStaged());
        if (how == ReplyTimeOut) {
            EXPECT_EQ(stateNumber(*rig.session), 1);
            EXPECT_EQ(rig.host.statuses.last(), "连接超时!");
        }
    }
}

TEST(SendProjectTimers, RegistryTimeOutEmptiesTheReceiveText)
{
    ProjectRig rig;
    withPictures(rig);
    ASSERT_TRUE(rig.startAndProbe());
    rig.runUntil(11);
    rig.session->onReceive(hex("00 00 01"));
    rig.session->onTimer(TransferSession::kRegistryTimer);
    EXPECT_EQ(stateNumber(*rig.session), 1);
    EXPECT_TRUE(rig.session->receiveText().isEmpty());
    EXPECT_EQ(rig.host.statuses.last(), "连接超时!");
}

TEST(SendProjectRegistry, RecordNeedingMoreThanTheWholeFlashIsAFaultyRegistry)
{
    ProjectRig rig;
    withPictures(rig);
    ASSERT_TRUE(rig.startAndProbe());
    rig.runUntil(11);
    rig.session->onReceive(h5test::Blob().u16(0).u16(9).u16(0).u16(4096).u16(9916).b + hex("FF FF EE FF"));
    rig.reply(0x55);
    EXPECT_EQ(rig.host.messages, QStringList{"图片注册表出错，全部清除。"});
    EXPECT_EQ(rig.session->pictureEntries()[1].firstBlock, "1");
}

} // namespace

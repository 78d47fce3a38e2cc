// Hot reload rounds on the built-in terminal under a virtual clock: what
// reaches the terminal's flash and screen after a page is saved, a picture
// is replaced, a save comes during a download, and a build fails.

#include "port/BuiltinTestSupport.h"
#include "support/TestUtil.h"

#include "common/FileIo.h"
#include "common/Gbk.h"
#include "pictures/PictureConvert.h"
#include "port/HotReload.h"
#include "port/PortLine.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace h5;
using h5test::BuiltinRig;
using h5test::element;
using h5test::filledImage;
using h5test::pictureElement;
using h5test::readAll;
using h5test::writeRaw;

namespace {

class HotReloadTest : public ::testing::Test
{
public:
    void SetUp() override
    {
        ASSERT_TRUE(rig.ok());
        ASSERT_TRUE(Project::create(tmp.path(), "p", 3, project, notifier, nullptr)); // 800 x 480
        picture = project.picturesDir() + "/a.bmp";
        ASSERT_TRUE(filledImage(40, 30, qRgb(200, 0, 0)).save(picture, "BMP"));
        addPage(0, {element(Kind::SolidRect, 0, {0, 0}, {100, 100})});
        addPage(1, {pictureElement("a.bmp", 0, {10, 10}, 40, 30)});
        line.setDevice(QStringLiteral("builtin"));
        ASSERT_TRUE(line.open()) << line.errorString().toStdString();
        reload = std::make_unique<HotReload>(project, line);
        QObject::connect(reload.get(), &HotReload::roundDone,
                         [this](const HotReload::Round &r) { rounds.push_back(r); });
        rig.vt().setLog([this](const QString &text) { terminalLog << text; });
    }

    void TearDown() override
    {
        reload.reset();
        line.close();
    }

    void addPage(int n, const std::vector<CGraph> &elements)
    {
        NewPageValues v;
        v.pageNo = n;
        OpenPage page;
        ASSERT_EQ(project.newPage(v, notifier, page, nullptr, nullptr), Project::NewPageResult::Created);
        page.page.elements = elements;
        ASSERT_TRUE(project.savePage(page, notifier, nullptr));
    }

    // Page n saved by the editor with one more shape, and the watcher told.
    void savePage(int n, int shade)
    {
        OpenPage page;
        ASSERT_TRUE(project.openPage(project.pagePath(n), page, nullptr));
        CGraph rect = element(Kind::SolidRect, 0, {200, 200}, {260, 240});
        rect.m_crColor1 = RGB(shade, 0, 0);
        page.page.elements.push_back(rect);
        ASSERT_TRUE(project.savePage(page, notifier, nullptr));
        reload->filesChanged({project.pagePath(n)});
    }

    bool roundsDone(std::size_t n)
    {
        return rig.waitFor([&] { return rounds.size() >= n && !reload->busy(); });
    }

    QByteArray builtProjectData() const { return readAll(project.file).mid(kProjectDataOffset); }

    QStringList logLines(const QString &start) const
    {
        QStringList lines;
        for (const QString &l : terminalLog)
            if (l.startsWith(start))
                lines << l;
        return lines;
    }

    BuiltinRig rig;
    QTemporaryDir tmp;
    RecordingNotifier notifier;
    Project project;
    QString picture;
    PortLine line;
    std::unique_ptr<HotReload> reload;
    std::vector<HotReload::Round> rounds;
    QStringList terminalLog;
};

} // namespace

TEST_F(HotReloadTest, APageSavedTwiceSendsTheProjectDataAloneAndShowsThatPage)
{
    reload->start();
    ASSERT_TRUE(roundsDone(1));
    ASSERT_EQ(rounds[0].result, HotReload::Round::Result::Sent) << rounds[0].text().toStdString();
    EXPECT_EQ(rounds[0].sent, QStringLiteral("工程数据 + 图片 0"));
    EXPECT_TRUE(rig.vt().projectData() == builtProjectData());
    EXPECT_EQ(logLines("picture 0 stored").size(), 1);

    for (int shade : {10, 20}) {
        SCOPED_TRACE(shade);
        terminalLog.clear();
        const std::size_t before = rounds.size();
        savePage(0, shade);
        ASSERT_TRUE(roundsDone(before + 1));
        const HotReload::Round &r = rounds.back();
        ASSERT_EQ(r.result, HotReload::Round::Result::Sent) << r.text().toStdString();
        EXPECT_EQ(r.sent, QStringLiteral("工程数据"));
        EXPECT_EQ(r.page, 0);
        EXPECT_EQ(r.bytes, builtProjectData().size());
        EXPECT_TRUE(rig.vt().projectData() == builtProjectData()) << "the terminal holds the new build";
        EXPECT_EQ(rig.vt().currentPage(), 0);
        EXPECT_TRUE(logLines("picture").isEmpty()) << "no picture sent again";
        EXPECT_EQ(logLines("project header").size(), 1);
    }
    EXPECT_EQ(rounds.size(), 3u);
    // The shape of the last save is on the screen.
    const QRgb shape = rig.terminal().screenImage().pixel(230, 220);
    EXPECT_GT(qRed(shape), 0);
    EXPECT_EQ(qGreen(shape), 0);
}

TEST_F(HotReloadTest, AReplacedPictureIsSentWithTheProjectAndAPageShowingItIsShown)
{
    reload->start();
    ASSERT_TRUE(roundsDone(1));
    terminalLog.clear();
    ASSERT_TRUE(filledImage(40, 30, qRgb(0, 0, 255)).save(picture, "BMP"));
    reload->filesChanged({picture});
    ASSERT_TRUE(roundsDone(2));
    const HotReload::Round &r = rounds.back();
    ASSERT_EQ(r.result, HotReload::Round::Result::Sent) << r.text().toStdString();
    EXPECT_EQ(r.sent, QStringLiteral("工程数据 + 图片 0"));
    EXPECT_EQ(r.page, 1) << "page 1 shows picture 0";
    QByteArray blue;
    ASSERT_TRUE(convertPicture(picture, 40, 30, blue));
    EXPECT_TRUE(rig.vt().picture(0) == blue);
    EXPECT_EQ(logLines("picture 0 stored").size(), 1);
    EXPECT_EQ(rig.vt().currentPage(), 1);
    const QRgb shown = rig.terminal().screenImage().pixel(20, 20);
    EXPECT_GT(qBlue(shown), 200);
    EXPECT_EQ(qRed(shown), 0);
}

// Saves while a download runs (here: the first one, as its project data
// goes out): the round waits for it and then runs once for all of them.
TEST_F(HotReloadTest, SavesDuringADownloadMakeOneRoundAfterIt)
{
    bool saved = false;
    bool queuedWhileBusy = false;
    QObject::connect(reload.get(), &HotReload::progress, [&](const QString &text) {
        if (saved || !text.startsWith(QStringLiteral("工程下载")))
            return;
        saved = true;
        savePage(0, 30);
        reload->requestRound();
        savePage(1, 40);
        reload->requestRound();
        queuedWhileBusy = reload->busy() && reload->roundQueued();
    });
    reload->start();
    ASSERT_TRUE(roundsDone(2));
    rig.settle();
    EXPECT_TRUE(saved);
    EXPECT_TRUE(queuedWhileBusy);
    ASSERT_EQ(rounds.size(), 2u);
    EXPECT_EQ(rounds[0].result, HotReload::Round::Result::Sent);
    const HotReload::Round &r = rounds[1];
    ASSERT_EQ(r.result, HotReload::Round::Result::Sent) << r.text().toStdString();
    EXPECT_EQ(r.sent, QStringLiteral("工程数据"));
    EXPECT_EQ(r.page, 1) << "the last page saved";
    EXPECT_TRUE(rig.vt().projectData() == builtProjectData());
    EXPECT_EQ(rig.vt().currentPage(), 1);
    // Two whole downloads one after the other: every packet was answered.
    EXPECT_EQ(logLines("project header").size(), 2);
    EXPECT_TRUE(logLines("packet").isEmpty()) << terminalLog.join('\n').toStdString();
}

// A build that fails or reports a damaged picture sends nothing; the
// terminal keeps what it had, and the round says why.
TEST_F(HotReloadTest, ABuildThatFailsOrADamagedPictureSendsNothing)
{
    reload->start();
    ASSERT_TRUE(roundsDone(1));
    const QByteArray flashed = rig.vt().projectData();
    const QByteArray pixels = rig.vt().picture(0);
    const QByteArray bmp = readAll(picture);
    struct Case
    {
        const char *name;
        std::function<void(HotReloadTest &)> breakIt;
        QString says;
    };
    const Case cases[] = {
        {"a page with more controls than its table holds",
         [](HotReloadTest &t) {
             OpenPage page;
             ASSERT_TRUE(t.project.openPage(t.project.pagePath(0), page, nullptr));
             for (int i = 0; i < 151; ++i)
                 page.page.elements.push_back(element(Kind::StringCtrl, i, {0, 0}, {10, 10}));
             ASSERT_TRUE(page.page.save(t.project.pagePath(0), nullptr));
             t.reload->filesChanged({t.project.pagePath(0)});
         },
         QString()},
        {"a picture cut short",
         [bmp](HotReloadTest &t) {
             ASSERT_TRUE(writeRaw(t.picture, bmp.left(1000)));
             t.reload->filesChanged({t.picture});
         },
         QStringLiteral("渲染图象失败！")},
        {"a picture deleted",
         [](HotReloadTest &t) {
             ASSERT_TRUE(QFile::remove(t.picture));
             t.reload->filesChanged({t.picture});
         },
         QStringLiteral("图片a.bmp丢失!")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        terminalLog.clear();
        const std::size_t before = rounds.size();
        c.breakIt(*this);
        ASSERT_TRUE(roundsDone(before + 1));
        const HotReload::Round &r = rounds.back();
        EXPECT_EQ(r.result, HotReload::Round::Result::BuildFailed);
        EXPECT_FALSE(r.problem.isEmpty());
        EXPECT_TRUE(r.problem.contains(c.says)) << r.problem.toStdString();
        EXPECT_TRUE(r.text().startsWith(QStringLiteral("编译未通过，未发送："))) << r.text().toStdString();
        EXPECT_TRUE(terminalLog.isEmpty()) << "nothing reached the terminal";
        EXPECT_TRUE(rig.vt().projectData() == flashed);
        EXPECT_TRUE(rig.vt().picture(0) == pixels);
        // Put right for the next case.
        ASSERT_TRUE(writeRaw(picture, bmp));
        addPage(0, {element(Kind::SolidRect, 0, {0, 0}, {100, 100})});
        reload->filesChanged({project.pagePath(0)});
        ASSERT_TRUE(roundsDone(before + 2));
    }
}

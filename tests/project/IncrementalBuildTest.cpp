// The build with a cache kept from one build to the next: after each kind
// of edit it writes exactly what a build without the cache writes, redoes
// only what the edit touched, and tells what changed.

#include "support/TestUtil.h"

#include "common/FileIo.h"
#include "common/Gbk.h"
#include "project/Build.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <map>

using namespace h5;
using h5test::element;
using h5test::filledImage;
using h5test::pictureElement;
using h5test::readAll;
using h5test::writeRaw;

namespace {

class IncrementalBuildTest : public ::testing::Test
{
public:
    void SetUp() override
    {
        ASSERT_TRUE(Project::create(tmp.path(), "p", 3, project, notifier, nullptr));
        ASSERT_TRUE(filledImage(40, 30, qRgb(200, 0, 0)).save(picturePath("a.bmp"), "BMP"));
        ASSERT_TRUE(filledImage(20, 10, qRgb(0, 200, 0)).save(picturePath("b.png"), "PNG"));
        ASSERT_TRUE(filledImage(64, 64, qRgb(0, 0, 200)).save(picturePath(QStringLiteral("背景.jpg")), "JPEG"));
        addPage(0, {pictureElement("a.bmp", 0, {0, 0}, 40, 30), pictureElement("b.png", 1, {50, 50}, 20, 10),
                    element(Kind::StringCtrl, 5, {100, 100}, {180, 116})});
        addPage(1, {pictureElement(QStringLiteral("背景.jpg"), 2, {0, 0}, 64, 64),
                    pictureElement("a.bmp", 0, {100, 0}, 40, 30)});
        addPage(2, {element(Kind::Line, 0, {1, 1}, {300, 200})});
    }

    QString picturePath(const QString &name) const { return project.picturesDir() + "/" + name; }

    void addPage(int n, const std::vector<CGraph> &elements)
    {
        NewPageValues v;
        v.pageNo = n;
        OpenPage page;
        ASSERT_EQ(project.newPage(v, notifier, page, nullptr, nullptr), Project::NewPageResult::Created);
        page.page.elements = elements;
        QString error;
        ASSERT_TRUE(project.savePage(page, notifier, &error)) << error.toStdString();
    }

    // Changes page n's elements and saves it as the editor does.
    void editPage(int n, const std::function<void(std::vector<CGraph> &)> &change)
    {
        OpenPage page;
        QString error;
        ASSERT_TRUE(project.openPage(project.pagePath(n), page, &error)) << error.toStdString();
        change(page.page.elements);
        ASSERT_TRUE(project.savePage(page, notifier, &error)) << error.toStdString();
    }

    // Every file of the project folder and its subfolders, by path.
    std::map<QString, QByteArray> files() const
    {
        std::map<QString, QByteArray> all;
        for (const QString &dir : {project.dir, project.instructionDir(), project.picturesDir()})
            for (const QFileInfo &f : QDir(dir).entryInfoList(QDir::Files | QDir::Hidden))
                all[f.absoluteFilePath()] = readAll(f.absoluteFilePath());
        return all;
    }

    BuildResult cachedBuild()
    {
        return buildProjectFiles(project, cache, notifier);
    }

    // The build `h5800 build` ran before there was a cache.
    BuildResult fullBuild()
    {
        RecordingNotifier quiet;
        std::vector<OpenPage> pages = project.openAllPages(quiet, nullptr);
        return buildProject(project, pages, quiet);
    }

    QTemporaryDir tmp;
    RecordingNotifier notifier;
    Project project;
    BuildCache cache;
};

} // namespace

// Each edit is followed by a build with the cache, whose files are then
// compared with what a build without it makes of the same project.
TEST_F(IncrementalBuildTest, EveryEditBuildsTheSameBytesAsAFullBuildAndRedoesOnlyWhatChanged)
{
    ASSERT_TRUE(cachedBuild().completed);
    EXPECT_EQ(cache.picturesConverted(), 3);
    EXPECT_EQ(cache.pagesCompiled(), 3);
    EXPECT_FALSE(cache.changes().known);

    struct Case
    {
        const char *name;
        std::function<void(IncrementalBuildTest &)> edit;
        int converted;
        int compiled;
        std::vector<int> changedPages;
        std::vector<int> changedPictures;
        QString report;
    };
    const Case cases[] = {
        {"nothing changed", [](IncrementalBuildTest &) {}, 0, 0, {}, {}, {}},
        {"a page edited",
         [](IncrementalBuildTest &t) {
             t.editPage(2, [](std::vector<CGraph> &e) { e.push_back(element(Kind::SolidRect, 0, {5, 5}, {50, 40})); });
         },
         0, 1, {2}, {}, {}},
        {"a picture file replaced by a new picture",
         [](IncrementalBuildTest &t) {
             ASSERT_TRUE(filledImage(20, 10, qRgb(255, 255, 0)).save(t.picturePath("b.png"), "PNG"));
         },
         1, 0, {}, {1}, {}},
        {"a picture file rewritten in place with other bytes of the same length",
         [](IncrementalBuildTest &t) {
             QByteArray bmp = readAll(t.picturePath("a.bmp"));
             const qint64 mtime = QFileInfo(t.picturePath("a.bmp")).lastModified().toMSecsSinceEpoch();
             bmp[bmp.size() - 2] = char(0x7F); // one pixel's green
             QFile f(t.picturePath("a.bmp"));
             ASSERT_TRUE(f.open(QIODevice::ReadWrite));
             ASSERT_EQ(f.write(bmp), bmp.size());
             f.setFileTime(QDateTime::fromMSecsSinceEpoch(mtime), QFileDevice::FileModificationTime);
         },
         1, 0, {}, {0}, {}},
        {"a picture taken off its only page",
         [](IncrementalBuildTest &t) {
             t.editPage(0, [](std::vector<CGraph> &e) { e.erase(e.begin() + 1); });
         },
         0, 1, {0}, {}, {}},
        {"a picture file deleted",
         [](IncrementalBuildTest &t) { ASSERT_TRUE(QFile::remove(t.picturePath(QStringLiteral("背景.jpg")))); },
         0, 0, {}, {2}, QStringLiteral("图片背景.jpg丢失!\r\n")},
        {"the deleted picture back with its old bytes",
         [](IncrementalBuildTest &t) {
             ASSERT_TRUE(filledImage(64, 64, qRgb(0, 0, 200)).save(t.picturePath(QStringLiteral("背景.jpg")), "JPEG"));
         },
         1, 0, {}, {2}, {}},
        {"a page file copied back unchanged (new times, same bytes)",
         [](IncrementalBuildTest &t) {
             const QByteArray wlp = readAll(t.project.pagePath(1));
             ASSERT_TRUE(writeFileAtomically(t.project.pagePath(1), wlp, nullptr));
         },
         0, 0, {}, {}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        c.edit(*this);
        const BuildResult r = cachedBuild();
        ASSERT_TRUE(r.completed) << r.error.toStdString();
        EXPECT_EQ(r.report, c.report);
        EXPECT_EQ(cache.picturesConverted(), c.converted);
        EXPECT_EQ(cache.pagesCompiled(), c.compiled);
        EXPECT_TRUE(cache.changes().known);
        EXPECT_EQ(cache.changes().pages, c.changedPages);
        EXPECT_EQ(cache.changes().pictures, c.changedPictures);
        EXPECT_EQ(cache.changes().projectData, !c.changedPages.empty());

        const auto incremental = files();
        const BuildResult full = fullBuild();
        ASSERT_TRUE(full.completed) << full.error.toStdString();
        EXPECT_EQ(full.report, r.report);
        const auto reference = files();
        ASSERT_EQ(incremental.size(), reference.size());
        for (const auto &[path, bytes] : reference)
            EXPECT_TRUE(incremental.at(path) == bytes) << path.toStdString() << " differs";
    }
}

// The cache hands the watch what the build made, so a round sends the
// bytes on disk without reading the picture position file back.
TEST_F(IncrementalBuildTest, TheCacheHoldsTheBuiltProjectDataAndPictures)
{
    ASSERT_TRUE(cachedBuild().completed);
    const QByteArray wgc = readAll(project.file);
    const QByteArray cbm = readAll(project.positionFilePath());
    EXPECT_TRUE(cache.projectData() == wgc.mid(kProjectDataOffset));
    EXPECT_TRUE(cache.pictureRecords() == cbm.left(kSlotAreaSize));
    QByteArray pixels;
    int w = 0, h = 0;
    ASSERT_TRUE(cache.picturePixels(1, pixels, w, h));
    EXPECT_EQ(w, 20);
    EXPECT_EQ(h, 10);
    // Picture 1 follows picture 0 (40 x 30: two flash pages).
    EXPECT_TRUE(pixels == cbm.mid(kSlotAreaSize + 2 * 2112, 400));
    EXPECT_FALSE(cache.picturePixels(7, pixels, w, h));
}

// A page that no longer compiles stops the build as before, the cache
// leaves every file alone, and the next good build is whole again.
TEST_F(IncrementalBuildTest, AFailedBuildChangesNoFileAndTheNextOneIsRight)
{
    ASSERT_TRUE(cachedBuild().completed);
    const auto before = files();
    editPage(2, [](std::vector<CGraph> &) {});
    // One control more than the table holds, written behind the editor's back.
    OpenPage page;
    ASSERT_TRUE(project.openPage(project.pagePath(2), page, nullptr));
    for (int i = 0; i < 151; ++i)
        page.page.elements.push_back(element(Kind::StringCtrl, 10 + i, {0, 0}, {10, 10}));
    ASSERT_TRUE(page.page.save(project.pagePath(2), nullptr));
    const auto broken = files();
    const BuildResult r = cachedBuild();
    EXPECT_FALSE(r.completed);
    EXPECT_FALSE(r.error.isEmpty());
    EXPECT_EQ(files(), broken);

    ASSERT_TRUE(page.page.fromPageFile(before.at(project.pagePath(2)), nullptr));
    ASSERT_TRUE(page.page.save(project.pagePath(2), nullptr));
    ASSERT_TRUE(cachedBuild().completed);
    EXPECT_EQ(files(), before);
}

// The project navigator's rows: pages from the slots and page files,
// pictures from the picture position file, read without writing anything.

#include "support/ProjectFixture.h"
#include "support/TestUtil.h"

#include "project/ProjectOverview.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace h5;

namespace {

class ProjectOverviewTest : public h5test::ProjectFixture
{
protected:
    QString projectName() const override { return QStringLiteral("导航"); }

    // A picture file of the given size outside the project.
    QString pictureFile(const QString &name, int w, int h)
    {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(Qt::blue);
        const QString path = tmp.filePath(name);
        EXPECT_TRUE(image.save(path, "BMP"));
        return path;
    }

    CGraph placeAndSave(OpenPage &page, const QString &file)
    {
        CGraph pic;
        QString error;
        EXPECT_TRUE(project.placePicture(file, QPoint(1, 1), pic, notifier, &error)) << error.toStdString();
        save(page, pic);
        return pic;
    }

    void save(OpenPage &page, const CGraph &element)
    {
        page.page.elements.push_back(element);
        QString error;
        EXPECT_TRUE(project.savePage(page, notifier, &error)) << error.toStdString();
    }

};

} // namespace

TEST_F(ProjectOverviewTest, PagesShowLayerKindLengthAndWhetherOpenOrMissing)
{
    addPage(0);
    addPage(5, 2, true);
    addPage(7);
    ASSERT_TRUE(QFile::remove(project.pagePath(7)));

    ProjectOverview o;
    QString error;
    ASSERT_TRUE(readProjectOverview(project, {5}, o, &error)) << error.toStdString();
    ASSERT_EQ(o.pages.size(), 3u);
    const struct
    {
        int pageNo, layer;
        bool auxiliary, open, missing;
    } want[] = {{0, 0, false, false, false}, {5, 2, true, true, false}, {7, -1, false, false, true}};
    for (size_t i = 0; i < 3; ++i) {
        const OverviewPage &p = o.pages[i];
        EXPECT_EQ(p.pageNo, want[i].pageNo) << i;
        EXPECT_EQ(p.layer, want[i].layer) << i;
        EXPECT_EQ(p.auxiliary, want[i].auxiliary) << i;
        EXPECT_EQ(p.open, want[i].open) << i;
        EXPECT_EQ(p.fileMissing, want[i].missing) << i;
        EXPECT_EQ(p.length, 1) << i; // a new page compiles into one flash page
        EXPECT_FALSE(p.instructionMissing) << i;
    }
    EXPECT_TRUE(o.pictures.empty());
    EXPECT_TRUE(o.pictureError.isEmpty());
}

TEST_F(ProjectOverviewTest, PicturesListSizeBlocksUsingPagesAndMissingFiles)
{
    OpenPage p0 = addPage(0);
    OpenPage p4 = addPage(4);
    const QString small = pictureFile(QStringLiteral("小图.bmp"), 10, 4);
    // 300 x 300 x 2 bytes need two flash blocks of 135,168 bytes.
    const QString big = pictureFile(QStringLiteral("big.bmp"), 300, 300);
    // The same picture element on two pages.
    save(p4, placeAndSave(p0, small));
    placeAndSave(p4, big);
    ASSERT_TRUE(QFile::remove(project.picturesDir() + QStringLiteral("/big.bmp")));

    ProjectOverview o;
    QString error;
    ASSERT_TRUE(readProjectOverview(project, {}, o, &error)) << error.toStdString();
    ASSERT_EQ(o.pictures.size(), 2u);
    EXPECT_EQ(o.pictures[0].number, 0);
    EXPECT_EQ(o.pictures[0].file, QStringLiteral("小图.bmp"));
    EXPECT_EQ(o.pictures[0].width, 10);
    EXPECT_EQ(o.pictures[0].height, 4);
    EXPECT_EQ(o.pictures[0].blocks, 1);
    EXPECT_EQ(o.pictures[0].pages, (std::vector<int>{0, 4}));
    EXPECT_FALSE(o.pictures[0].missing);
    EXPECT_EQ(o.pictures[1].number, 1);
    EXPECT_EQ(o.pictures[1].file, QStringLiteral("big.bmp"));
    EXPECT_EQ(o.pictures[1].blocks, 2);
    EXPECT_EQ(o.pictures[1].pages, std::vector<int>{4});
    EXPECT_TRUE(o.pictures[1].missing);
}

TEST_F(ProjectOverviewTest, MissingPictureFileStillListsPagesAndBrokenProjectFileIsRefused)
{
    addPage(2);
    ASSERT_TRUE(QFile::remove(project.positionFilePath()));
    ProjectOverview o;
    QString error;
    ASSERT_TRUE(readProjectOverview(project, {}, o, &error));
    ASSERT_EQ(o.pages.size(), 1u);
    EXPECT_EQ(o.pages[0].pageNo, 2);
    EXPECT_TRUE(o.pictures.empty());
    EXPECT_FALSE(o.pictureError.isEmpty());

    // A project file cut short: nothing is listed and the reason is given.
    QFile f(project.file);
    ASSERT_TRUE(f.resize(100));
    const QByteArray before = h5test::readAll(project.file);
    ProjectOverview broken;
    broken.pages.push_back({});
    EXPECT_FALSE(readProjectOverview(project, {}, broken, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(broken.pages.size(), 1u); // left as it was
    EXPECT_EQ(h5test::readAll(project.file), before);
}

// The download bundle (.uwl): the bytes a download of the chosen files
// would send, pictures laid from block 0 in number order.

#include "LinkTestSupport.h"

#include "link/BundleWriter.h"

#include <gtest/gtest.h>

using namespace h5;
using namespace h5linktest;
using h5test::hex;

namespace {

TEST(BundleWriter, ProjectRegistryPicturesAndFontInOrderWithUnpaddedPixels)
{
    QTemporaryDir dir;
    const QByteArray data = projectData({1});
    const QByteArray font = fontFile({1});
    const TestPicture one{3, 100, 100}, two{7, 300, 300}, empty{5, 0, 40};
    DownloadFiles files;
    files.project = writeFile(dir, "p.wgc", projectFile(data));
    files.pictures = writeFile(dir, "l.tbm", pictureList({two, one, empty}));
    files.font = writeFile(dir, "f.wzk", font);
    const QString target = writeFile(dir, "out.uwl", "an older bundle");

    QString error;
    ASSERT_TRUE(BundleWriter::write(files, target, &error)) << error.toStdString();

    QByteArray image(4800, '\xFF');
    image.replace(3 * 8, 8, hex("03 00 00 00 64 00 64 00"));
    image.replace(7 * 8, 8, hex("07 00 01 00 2C 01 2C 01"));
    const QByteArray expected = data + hex("7F 1B 73 FF FF EE FF") + image
        + hex("7F 1B 1C 03 00 00 00 64 00 64 00 FF FF EE FF") + pixelsOf(one)
        + hex("7F 1B 1C 07 00 01 00 2C 01 2C 01 FF FF EE FF") + pixelsOf(two) + font;
    EXPECT_EQ(h5test::readAll(target), expected);
}

TEST(BundleWriter, UnusableInputLeavesTheTargetAsItWas)
{
    QTemporaryDir dir;
    const QString target = writeFile(dir, "out.uwl", "keep");
    struct Case
    {
        const char *name;
        DownloadFiles files;
    };
    DownloadFiles missingFont;
    missingFont.project = writeFile(dir, "p.wgc", projectFile(projectData({1})));
    missingFont.font = QDir(dir.path()).filePath("gone.wzk");
    DownloadFiles shortList;
    shortList.pictures = writeFile(dir, "l.tbm", pictureList({{3, 100, 100}}).chopped(2000)); // padding is not needed, pixels are
    // Damaged as a download would find them: the bundle checks the same way.
    QByteArray res200 = projectFile(projectData({1}));
    res200[4] = char(200);
    DownloadFiles resolution, listAsProject, randomProject, badFont;
    resolution.project = writeFile(dir, "res.wgc", res200);
    listAsProject.project = writeFile(dir, "list.wgc", pictureList({{3, 100, 100}}));
    randomProject.project = writeFile(dir, "random.wgc", pattern(150000, 5));
    badFont.font = writeFile(dir, "bad.wzk", fontFile({2}).chopped(1));
    for (const Case &c : {Case{"missing font", missingFont}, Case{"pixels missing", shortList},
                          Case{"resolution index 200", resolution}, Case{"picture list renamed .wgc", listAsProject},
                          Case{"random bytes as a project", randomProject}, Case{"font cut short", badFont}}) {
        SCOPED_TRACE(c.name);
        QString error;
        EXPECT_FALSE(BundleWriter::write(c.files, target, &error));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(h5test::readAll(target), QByteArray("keep"));
    }
}

TEST(BundleWriter, NothingChosenWritesNothing)
{
    QTemporaryDir dir;
    const QString target = QDir(dir.path()).filePath("out.uwl");
    QString error;
    EXPECT_FALSE(BundleWriter::write(DownloadFiles(), target, &error));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(target));
}

} // namespace

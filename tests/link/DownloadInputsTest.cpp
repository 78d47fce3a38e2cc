// The checks every download input passes before a byte goes to the
// terminal: project files, font files and picture lists damaged in the ways
// they are found damaged (a segment header claiming more pages than the file
// holds, a truncated file, a wrong page count, a resolution index of 200,
// random bytes, a picture list renamed .wgc) are refused with a reason, and
// the file's name is in the message.

#include "LinkTestSupport.h"

#include "link/DownloadInputs.h"

#include <gtest/gtest.h>
#include <random>

using namespace h5;
using namespace h5linktest;
using h5test::hex;

namespace {

QByteArray randomBytes(int size, unsigned seed)
{
    std::mt19937 rng(seed);
    QByteArray b(size, '\0');
    for (char &c : b)
        c = char(rng() & 0xFF);
    return b;
}

QByteArray withByte(QByteArray b, qsizetype at, unsigned char v)
{
    b[at] = char(v);
    return b;
}

// Project data of a long segment of two pages and a control block.
QByteArray goodData()
{
    return projectData({2}) + hex("7F 1B 71 05 00 FF FF EE FF") + pattern(kPage, 9);
}

struct Case
{
    const char *name;
    QByteArray bytes;
    const char *why; // part of the reason; nullptr: accepted
};

TEST(DownloadInputsProject, WholeStructureIsCheckedBeforeAnythingIsSent)
{
    const QByteArray data = goodData();
    const QByteArray file = projectFile(data, {2});
    const qsizetype seg = kProjectDataAt + 2055; // the first segment header in the file
    const Case cases[] = {
        {"a built project", file, nullptr},
        {"resolution index 12", withByte(file, 4, 12), nullptr},
        {"resolution index 13", withByte(file, 4, 13), "分辨率编号13不在0到12之间"},
        {"resolution index 200", withByte(file, 4, 200), "分辨率编号200"},
        {"shorter than the page slots", file.left(5000), "不足102406字节"},
        {"not built: page slots only", file.left(kProjectDataAt), "没有编译好的工程数据"},
        {"page index cut short", file.left(kProjectDataAt + 100), "没有编译好的工程数据"},
        {"no project header", withByte(file, kProjectDataAt + 2, 0x76), "第102406字节处不是工程头"},
        {"no segment at all", projectFile(projectData({})), "没有任何画面段"},
        {"header claims more pages than the file holds", withByte(file, seg + 5, 9),
         "第104461字节处的画面段头声明的数据页比文件剩下的多（文件只剩3页）"},
        {"truncated in the last page", file.chopped(700), "第108696字节处的画面段头声明的数据页比文件剩下的多"},
        {"truncated inside a header", file.left(seg + 5), "第104461字节处的画面段头不完整"},
        {"bytes after the last segment", file + hex("7F 1B"), "第110817字节处的画面段头不完整"},
        {"segment of no page", withByte(file, seg + 5, 0), "不带任何数据页"},
        {"page count above 255", withByte(file, seg + 6, 1), "页数超过255"},
        {"control block of an unknown kind", withByte(file, seg + 11 + 2 * kPage + 2, 0x2A),
         "第108696字节处不是画面段头"},
        {"random bytes", randomBytes(150000, 1), ""},
        {"random bytes behind a good head", file.left(kProjectDataAt + 2055) + randomBytes(9000, 2),
         "第104461字节处"},
        {"a picture list renamed .wgc", pictureList({{3, 100, 100}}), ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QString why;
        const bool accepted = checkProjectFile(c.bytes, &why);
        EXPECT_EQ(accepted, c.why == nullptr) << why.toStdString();
        if (c.why) {
            EXPECT_FALSE(why.isEmpty());
            EXPECT_TRUE(why.contains(QString::fromUtf8(c.why))) << why.toStdString();
        }
    }
}

TEST(DownloadInputsProject, ProjectDataAloneIsCheckedLikeTheFileFromOffsetZero)
{
    QString why;
    EXPECT_TRUE(checkProjectData(goodData(), &why)) << why.toStdString();
    EXPECT_FALSE(checkProjectData(goodData().chopped(1), &why));
    EXPECT_TRUE(why.contains("第6290字节处")) << why.toStdString();
}

TEST(DownloadInputsFont, EveryFontSegmentMustBeWhole)
{
    const QByteArray font = fontFile({2, 1});
    const Case cases[] = {
        {"two segments", font, nullptr},
        {"empty file", {}, "文件是空的"},
        {"page count one too high", withByte(font, 5, 3), "第6347字节处不是字库段头"},
        {"last page count one too high", withByte(font, 4235 + 5, 2),
         "第4235字节处的字库段头声明的数据页比文件剩下的多（文件只剩1页）"},
        {"page count one too low", withByte(font, 5, 1), "第2123字节处不是字库段头"},
        {"no page", withByte(font, 5, 0), "第0字节处的字库段头不带任何数据页"},
        {"truncated", font.chopped(1), "第4235字节处的字库段头声明的数据页比文件剩下的多"},
        {"trailing bytes", font + hex("7F 1B 74"), "第6358字节处的字库段头不完整"},
        {"a project segment instead", projectData({1}).mid(2055), "第0字节处不是字库段头"},
        {"random bytes", randomBytes(5000, 3), "第0字节处"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QString why;
        EXPECT_EQ(checkFontData(c.bytes, &why), c.why == nullptr) << why.toStdString();
        if (c.why) {
            EXPECT_TRUE(why.contains(QString::fromUtf8(c.why))) << why.toStdString();
        }
    }
}

TEST(DownloadInputsPictures, DataAreaMustHoldEveryPictureUpToItsLastPixel)
{
    const QByteArray list = pictureList({{3, 100, 100}, {7, 20, 20}});
    const std::vector<DownloadPicture> pics = readDownloadPictures(list);
    ASSERT_EQ(pics.size(), 2u);
    QString why;
    EXPECT_TRUE(checkPictureList(list, pics, &why)) << why.toStdString();
    // The last picture needs its pixels, not the padding of its last page.
    const qsizetype end = qsizetype(pics[1].dataOffset() + pics[1].bytes());
    EXPECT_TRUE(checkPictureList(list.left(end), pics, &why));
    EXPECT_FALSE(checkPictureList(list.left(end - 1), pics, &why));
    EXPECT_TRUE(why.contains("图片数据不全，编号7图片")) << why.toStdString();
    // A picture placed before another in the data area is checked as well.
    std::vector<DownloadPicture> swapped = pics;
    swapped[0].startPage = 100;
    EXPECT_FALSE(checkPictureList(list, swapped, &why));
    EXPECT_TRUE(why.contains("编号3图片")) << why.toStdString();
    EXPECT_FALSE(checkPictureList(list.left(kSlotArea - 1), {}, &why));
    EXPECT_TRUE(why.contains("图片记录区")) << why.toStdString();
}

TEST(DownloadInputsFiles, MessageNamesTheFileAndTheFault)
{
    QTemporaryDir dir;
    DownloadFiles files;
    files.project = writeFile(dir, "p.wgc", withByte(projectFile(goodData()), 4, 200));
    files.pictures = writeFile(dir, "l.tbm", pictureList({{3, 100, 100}}).left(kSlotArea + 10));
    files.font = writeFile(dir, "f.wzk", withByte(fontFile({2}), 5, 3));
    struct FileCase
    {
        const char *name;
        DownloadFiles files;
        QString path;
        const char *kind;
    };
    DownloadFiles project, pictures, font;
    project.project = files.project;
    pictures.pictures = files.pictures;
    font.font = files.font;
    const FileCase cases[] = {
        {"project", project, files.project, "工程文件已损坏："},
        {"picture list", pictures, files.pictures, "图片文件已损坏："},
        {"font", font, files.font, "字库文件已损坏："},
        {"all three: the project is named first", files, files.project, "工程文件已损坏："},
    };
    for (const FileCase &c : cases) {
        SCOPED_TRACE(c.name);
        DownloadData data;
        data.hasFont = true; // left as it was on failure
        QString error;
        EXPECT_FALSE(loadDownloadFiles(c.files, data, &error));
        EXPECT_TRUE(error.startsWith(QString::fromUtf8(c.kind) + c.path)) << error.toStdString();
        EXPECT_FALSE(error.contains('\n'));
        EXPECT_TRUE(data.hasFont && !data.hasProject && data.font.isEmpty());
    }
}

TEST(DownloadInputsFiles, DataInMemoryIsCheckedAsTheFilesAre)
{
    DownloadData data;
    data.hasProject = true;
    data.project = goodData();
    data.hasFont = true;
    data.font = fontFile({1});
    QString error;
    EXPECT_TRUE(checkDownloadData(data, &error)) << error.toStdString();
    data.font = withByte(data.font, 5, 2);
    EXPECT_FALSE(checkDownloadData(data, &error));
    EXPECT_TRUE(error.startsWith("字库数据已损坏")) << error.toStdString();
    data.project.chop(1);
    EXPECT_FALSE(checkDownloadData(data, &error));
    EXPECT_TRUE(error.startsWith("工程数据已损坏")) << error.toStdString();
}

} // namespace

// Picture lists: adding pictures, opening .tbm/.cbm/.wbm files, saving .tbm.

#include "common/Gbk.h"
#include "common/Notifier.h"
#include "pictures/PictureConvert.h"
#include "pictures/PictureList.h"
#include "pictures/PictureTestImages.h"
#include "pictures/SlotArea.h"
#include "pictures/SlotRecord.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

using namespace h5;
using namespace h5test;

namespace {

class PictureListFixture : public testing::Test
{
protected:
    // Saves a distinct pattern picture in the temporary folder.
    QString picture(const QString &name, int w, int h, int seed = 0, const char *format = "BMP")
    {
        return saveImage(patternImage(w, h, seed), dir.filePath(name), format);
    }

    static SlotRecord slotOf(const QByteArray &file, int j)
    {
        return SlotRecord::fromBytes(file.constData() + j * kSlotSize);
    }

    static std::vector<int> numbers(const PictureList &list)
    {
        std::vector<int> out;
        for (const PictureEntry &e : list.entries())
            out.push_back(e.number);
        return out;
    }

    static PictureEntry entry(int number, const QString &path, int w, int h)
    {
        PictureEntry e;
        e.number = number;
        e.path = toGbk(path);
        e.width = w;
        e.height = h;
        return e;
    }

    QTemporaryDir dir;
    RecordingNotifier notes;
};

using PictureListAdd = PictureListFixture;
using PictureListOpen = PictureListFixture;
using PictureListSave = PictureListFixture;

// ---- add --------------------------------------------------------------------

TEST_F(PictureListAdd, EntriesTakeMeasuredSizeAndCountingNumbers)
{
    PictureList list;
    list.setNextNumber(7);
    const QString a = picture("a.bmp", 7, 5);
    const QString b = picture("b.jpg", 3, 9, 1, "JPEG");
    EXPECT_EQ(list.addPictures({a, b}, notes), 2);
    ASSERT_EQ(list.entries().size(), 2u);
    EXPECT_EQ(list.entries()[0].number, 7);
    EXPECT_EQ(list.entries()[0].path, toGbk(a));
    EXPECT_EQ(list.entries()[0].width, 7);
    EXPECT_EQ(list.entries()[0].height, 5);
    EXPECT_EQ(list.entries()[1].number, 8);
    EXPECT_EQ(list.entries()[1].width, 3);
    EXPECT_EQ(list.entries()[1].height, 9);
    for (const PictureEntry &e : list.entries()) {
        EXPECT_EQ(e.start, 0);
        EXPECT_TRUE(e.sourceList.empty());
        EXPECT_TRUE(e.blockAddress.empty());
    }
    EXPECT_EQ(list.nextNumber(), 9);
    EXPECT_TRUE(notes.messages.isEmpty());
}

TEST_F(PictureListAdd, LongPathIsReportedAndUnopenableFileSkippedSilently)
{
    PictureList list;
    const QString longPath = dir.filePath(QString(1100, 'x') + ".bmp");
    const QString good = picture("g.bmp", 2, 2);
    EXPECT_EQ(list.addPictures({longPath, dir.filePath("missing.bmp"), dir.path(), good}, notes),
              1);
    ASSERT_EQ(list.entries().size(), 1u);
    EXPECT_EQ(list.entries()[0].number, 0);
    EXPECT_EQ(list.entries()[0].path, toGbk(good));
    EXPECT_EQ(notes.messages, QStringList{QDir::toNativeSeparators(longPath) + "路径过长，请更改。"});
}

TEST_F(PictureListAdd, NumberPast599StopsAddingTheRest)
{
    PictureList list;
    list.setNextNumber(598);
    const QString p = picture("p.bmp", 2, 2);
    EXPECT_EQ(list.addPictures({p, p, p, p}, notes), 2);
    EXPECT_EQ(numbers(list), (std::vector<int>{598, 599}));
    EXPECT_EQ(list.nextNumber(), 600);
    EXPECT_EQ(notes.messages, QStringList{"图片编号超出！"});
}

TEST_F(PictureListAdd, NumbersAreNotCheckedAgainstTheList)
{
    PictureList list;
    const QString p = picture("p.bmp", 2, 2);
    list.addPictures({p}, notes);
    list.setNextNumber(0);
    list.addPictures({p}, notes);
    EXPECT_EQ(numbers(list), (std::vector<int>{0, 0}));
}

// ---- save -------------------------------------------------------------------

TEST_F(PictureListSave, EmptyListSavesZeroSlotAreaAndAppendsExtension)
{
    PictureList list;
    QString saved;
    ASSERT_TRUE(list.save(dir.filePath("empty"), notes, &saved));
    EXPECT_EQ(saved, dir.filePath("empty.tbm"));
    EXPECT_EQ(readBytes(saved), QByteArray(kSlotAreaSize, '\0'));

    // An existing ".tbm" ending is kept as it is.
    ASSERT_TRUE(list.save(dir.filePath("x.tbm"), notes, &saved));
    EXPECT_EQ(saved, dir.filePath("x.tbm"));
}

TEST_F(PictureListSave, EntriesAreSortedAndStoredInNumberOrderWithRunningStarts)
{
    struct Pic
    {
        int number, w, h;
        QString path;
    };
    std::vector<Pic> pics = {{5, 40, 30, {}}, {2, 33, 7, {}}, {9, 10, 11, {}}};
    PictureList list;
    for (Pic &p : pics) {
        p.path = picture(QString("n%1.bmp").arg(p.number), p.w, p.h, p.number);
        list.entries().push_back(entry(p.number, p.path, p.w, p.h));
    }
    QString saved;
    ASSERT_TRUE(list.save(dir.filePath("list.tbm"), notes, &saved));
    EXPECT_TRUE(notes.messages.isEmpty());
    EXPECT_EQ(numbers(list), (std::vector<int>{2, 5, 9}));

    const QByteArray file = readBytes(saved);
    const int64_t p2 = picturePages(33, 7), p5 = picturePages(40, 30), p9 = picturePages(10, 11);
    ASSERT_EQ(file.size(), kSlotAreaSize + (p2 + p5 + p9) * kFlashPage);

    const std::vector<Pic> sorted = {pics[1], pics[0], pics[2]};
    int64_t start = 0;
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        const Pic &p = sorted[i];
        SCOPED_TRACE(p.number);
        const SlotRecord r = slotOf(file, p.number);
        EXPECT_EQ(r.inUse, 1);
        EXPECT_EQ(r.path, toGbk(p.path));
        EXPECT_EQ(r.width, p.w);
        EXPECT_EQ(r.height, p.h);
        EXPECT_EQ(r.number, p.number);
        EXPECT_EQ(r.blocks, 1);

        const qsizetype at = kSlotAreaSize + start * kFlashPage;
        const QByteArray pixels = expectedPixels(patternImage(p.w, p.h, p.number));
        EXPECT_EQ(file.mid(at, pixels.size()), pixels);
        const int64_t pages = picturePages(p.w, p.h);
        EXPECT_EQ(file.mid(at + pixels.size(), pages * kFlashPage - pixels.size()),
                  QByteArray(pages * kFlashPage - pixels.size(), '\0'));

        EXPECT_EQ(list.entries()[i].start, start);
        EXPECT_EQ(list.entries()[i].sourceList, toGbk(saved));
        start += pages;
    }
    for (int j : {0, 1, 3, 4, 6, 7, 8, 10, 599})
        EXPECT_EQ(file.mid(j * kSlotSize, kSlotSize), QByteArray(kSlotSize, '\0')) << j;
}

TEST_F(PictureListSave, Picture320x240Takes73PagesAnd2Blocks)
{
    PictureList list;
    list.entries().push_back(entry(0, picture("big.bmp", 320, 240), 320, 240));
    QString saved;
    ASSERT_TRUE(list.save(dir.filePath("big"), notes, &saved));
    const QByteArray file = readBytes(saved);
    EXPECT_EQ(file.size(), kSlotAreaSize + 154176);
    EXPECT_EQ(slotOf(file, 0).blocks, 2);
    EXPECT_EQ(file.mid(kSlotAreaSize + 153600), QByteArray(576, '\0'));
}

TEST_F(PictureListSave, SavedListReopensWithSameEntriesAndNextNumber)
{
    PictureList list;
    list.setNextNumber(3);
    list.addPictures({picture("a.bmp", 4, 3, 1), picture("b.png", 1100, 2, 2, "PNG")}, notes);
    list.setNextNumber(12);
    list.addPictures({picture("c.jpg", 5, 5, 3, "JPEG")}, notes);
    QString saved;
    ASSERT_TRUE(list.save(dir.filePath("round.tbm"), notes, &saved));

    struct Case
    {
        int nextBefore, nextAfter;
    };
    // The next number becomes the highest number + 1 unless already larger.
    for (const Case &c : {Case{0, 13}, Case{50, 50}}) {
        PictureList back;
        back.setNextNumber(c.nextBefore);
        ASSERT_TRUE(back.open(saved, notes));
        EXPECT_EQ(back.nextNumber(), c.nextAfter);
        ASSERT_EQ(back.entries().size(), list.entries().size());
        for (std::size_t i = 0; i < list.entries().size(); ++i) {
            const PictureEntry &a = list.entries()[i];
            const PictureEntry &b = back.entries()[i];
            EXPECT_EQ(b.number, a.number);
            EXPECT_EQ(b.path, a.path);
            EXPECT_EQ(b.width, a.width);
            EXPECT_EQ(b.height, a.height);
            EXPECT_EQ(b.start, a.start);
            EXPECT_EQ(b.sourceList, toGbk(saved));
        }
    }
    EXPECT_EQ(numbers(list), (std::vector<int>{3, 4, 12}));
    EXPECT_EQ(list.entries()[2].start, picturePages(4, 3) + picturePages(1100, 2));
}

TEST_F(PictureListSave, ChineseFileNameSurvivesAddSaveAndReopen)
{
    const QString path = picture("图标.bmp", 6, 4, 9);
    ASSERT_FALSE(path.isEmpty());
    PictureList list;
    ASSERT_EQ(list.addPictures({path}, notes), 1);
    EXPECT_NE(list.entries()[0].path.find("\xCD\xBC\xB1\xEA"), std::string::npos); // 图标 in GBK
    QString saved;
    ASSERT_TRUE(list.save(dir.filePath("图片.tbm"), notes, &saved));
    const QByteArray file = readBytes(saved);
    EXPECT_EQ(slotOf(file, 0).path, toGbk(path));
    EXPECT_EQ(file.mid(kSlotAreaSize, 48), expectedPixels(patternImage(6, 4, 9)));

    PictureList back;
    ASSERT_TRUE(back.open(saved, notes));
    ASSERT_EQ(back.entries().size(), 1u);
    EXPECT_EQ(fromGbk(back.entries()[0].path), path);
    EXPECT_EQ(fromGbk(back.entries()[0].sourceList), saved);
}

TEST_F(PictureListSave, AnUndecodablePictureIsReportedByNameAndNothingIsSaved)
{
    // An undecodable file measures 0 x 0 when it is added; saving the list
    // must not ship it as an empty picture in silence.
    const QString broken = dir.filePath("broken.bmp");
    ASSERT_TRUE(writeBytes(broken, "not a picture"));
    PictureList list;
    ASSERT_EQ(list.addPictures({broken}, notes), 1);
    RecordingNotifier n;
    EXPECT_FALSE(list.save(dir.filePath("empty-pic.tbm"), n));
    EXPECT_EQ(n.messages, QStringList{QStringLiteral("渲染图象失败！") + broken});
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("empty-pic.tbm")));
}

// Every failed save reports one message and leaves the target file as it was.
TEST_F(PictureListSave, FailedSaveReportsAndLeavesExistingTargetUntouched)
{
    struct Case
    {
        const char *name;
        std::function<void(PictureList &)> fill;
        QString message;
        std::vector<int> orderAfter;
    };
    const QString good = picture("good.bmp", 3, 3);
    const Case cases[] = {
        {"duplicate number",
         [&](PictureList &l) {
             l.entries() = {entry(3, good, 3, 3), entry(1, good, 3, 3), entry(3, good, 3, 3)};
         },
         "图片编号3重复，保存不成功，请修正",
         {1, 3, 3}},
        {"image file missing",
         [&](PictureList &l) {
             l.entries() = {entry(4, dir.filePath("gone.bmp"), 3, 3), entry(1, good, 3, 3)};
         },
         "编号4的图片源文件无法打开，保存不成功，请修正",
         {1, 4}},
        {"source list missing",
         [&](PictureList &l) {
             PictureEntry e = entry(2, good, 3, 3);
             e.sourceList = toGbk(dir.filePath("gone.tbm"));
             l.entries() = {e};
         },
         "编号2的图片源列表文件丢失，保存不成功，请修正",
         {2}},
        {"picture larger than the terminal's picture store",
         [&](PictureList &l) { l.entries() = {entry(0, good, 9000, 9000)}; },
         // The message names the picture's file.
         QStringLiteral("编号0的图片尺寸超出范围，保存不成功，请修正 ") + QDir::toNativeSeparators(good),
         {0}},
        {"pictures together larger than the terminal's picture store",
         [&](PictureList &l) {
             l.entries() = {entry(1, good, 6000, 6000), entry(0, good, 6000, 6000)};
         },
         "图片总量超出终端的图片存储容量，保存不成功，请修正",
         {0, 1}},
        {"picture file that does not decode",
         [&](PictureList &l) { l.entries() = {entry(5, dir.filePath("broken.bmp"), 3, 3)}; },
         QStringLiteral("渲染图象失败！") + dir.filePath("broken.bmp"),
         {5}},
        {"path too long for its slot",
         [&](PictureList &l) { l.entries() = {entry(6, QString(1500, 'w'), 3, 3)}; },
         "编号6的图片路径超过1024字节，保存不成功，请修正",
         {6}},
        {"number out of range",
         [&](PictureList &l) { l.entries() = {entry(600, good, 3, 3)}; },
         "图片编号超出！",
         {600}},
    };
    ASSERT_TRUE(writeBytes(dir.filePath("broken.bmp"), "not a picture"));
    const QString target = dir.filePath("keep.tbm");
    const QByteArray old("an older list that must survive");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(writeBytes(target, old));
        PictureList list;
        c.fill(list);
        const std::vector<std::string> sourcesBefore = [&] {
            std::vector<std::string> s;
            for (const PictureEntry &e : list.entries())
                s.push_back(e.sourceList);
            return s;
        }();
        RecordingNotifier n;
        EXPECT_FALSE(list.save(target, n));
        EXPECT_EQ(n.messages, QStringList{c.message});
        EXPECT_EQ(readBytes(target), old);
        EXPECT_EQ(numbers(list), c.orderAfter);
        for (std::size_t i = 0; i < list.entries().size(); ++i)
            EXPECT_EQ(list.entries()[i].sourceList, sourcesBefore[i]) << i;
    }
    EXPECT_EQ(QDir(dir.path()).entryList({"keep*"}), QStringList{"keep.tbm"});
}

TEST_F(PictureListSave, SavingOverOwnSourceListConvertsFromImagesAgain)
{
    const QString image = picture("p.bmp", 8, 8, 1);
    PictureList list;
    list.addPictures({image}, notes);
    const QString first = dir.filePath("first.tbm");
    ASSERT_TRUE(list.save(first, notes));

    // The image changes after the first save.
    ASSERT_FALSE(picture("p.bmp", 8, 8, 2).isEmpty());
    const QByteArray oldPixels = expectedPixels(patternImage(8, 8, 1));
    const QByteArray newPixels = expectedPixels(patternImage(8, 8, 2));

    // Another file copies the stored pages ...
    ASSERT_TRUE(list.save(dir.filePath("copy.tbm"), notes));
    EXPECT_EQ(readBytes(dir.filePath("copy.tbm")).mid(kSlotAreaSize, 128), oldPixels);

    // ... the list now refers to copy.tbm; saving over it makes the pixels
    // again from the image.
    ASSERT_TRUE(list.save(dir.filePath("copy.tbm"), notes));
    EXPECT_EQ(readBytes(dir.filePath("copy.tbm")).mid(kSlotAreaSize, 128), newPixels);
    EXPECT_EQ(readBytes(first).mid(kSlotAreaSize, 128), oldPixels);

    // Without its image, saving over its own source list cannot succeed and
    // the file stays whole.
    const QByteArray before = readBytes(dir.filePath("copy.tbm"));
    ASSERT_TRUE(QFile::remove(image));
    EXPECT_FALSE(list.save(dir.filePath("copy.tbm"), notes));
    EXPECT_EQ(readBytes(dir.filePath("copy.tbm")), before);
}

// ---- open -------------------------------------------------------------------

// Builds a .cbm as the project keeps it: names instead of paths, pixel data
// present only for the pictures built so far.
TEST_F(PictureListOpen, CbmEntriesCopyTheirPagesAndMissingPagesBecomeZero)
{
    SlotArea area;
    SlotRecord r;
    r.path = "icon.bmp";
    r.pageUse[4] = 1;
    r.setSize(40, 40); // 2 pages
    ASSERT_TRUE(area.setSlot(1, r));
    r.path = "back.bmp";
    r.setSize(30, 30); // 1 page, lies beyond the end of the file
    ASSERT_TRUE(area.setSlot(4, r));
    QByteArray cbm = area.bytes();
    QByteArray firstPicture(2 * kFlashPage, '\0');
    for (int i = 0; i < firstPicture.size(); ++i)
        firstPicture[i] = char(i * 7 + 1);
    cbm.append(firstPicture.left(kFlashPage + 100)); // the file ends inside page 2
    const QString cbmPath = dir.filePath("图象位置信息.cbm");
    ASSERT_TRUE(writeBytes(cbmPath, cbm));

    PictureList list;
    ASSERT_TRUE(list.open(cbmPath, notes));
    ASSERT_EQ(numbers(list), (std::vector<int>{1, 4}));
    EXPECT_EQ(list.entries()[0].path, "icon.bmp");
    EXPECT_EQ(list.entries()[0].start, 0);
    EXPECT_EQ(list.entries()[1].start, 2);
    EXPECT_EQ(fromGbk(list.entries()[1].sourceList), cbmPath);
    EXPECT_EQ(list.nextNumber(), 5);

    QString saved;
    ASSERT_TRUE(list.save(dir.filePath("from-cbm"), notes, &saved));
    const QByteArray file = readBytes(saved);
    ASSERT_EQ(file.size(), kSlotAreaSize + 3 * kFlashPage);
    QByteArray expected = firstPicture.left(kFlashPage + 100);
    expected.append(kFlashPage - 100, '\0');
    expected.append(kFlashPage, '\0');
    EXPECT_EQ(file.mid(kSlotAreaSize), expected);
    EXPECT_EQ(slotOf(file, 4).path, "back.bmp");
    EXPECT_EQ(slotOf(file, 1).pageUse[4], 0); // page-use flags are not carried over
}

TEST_F(PictureListOpen, SlotFileOpenedTwiceListsEveryPictureTwice)
{
    PictureList list;
    list.addPictures({picture("a.bmp", 2, 2)}, notes);
    QString saved;
    ASSERT_TRUE(list.save(dir.filePath("t.tbm"), notes, &saved));
    PictureList twice;
    ASSERT_TRUE(twice.open(saved, notes));
    ASSERT_TRUE(twice.open(saved, notes));
    EXPECT_EQ(numbers(twice), (std::vector<int>{0, 0}));
}

TEST_F(PictureListOpen, WbmSkipsOnlyRecordsWithSamePathAndNumber)
{
    struct Rec
    {
        std::string path;
        uint16_t number;
    };
    const std::vector<Rec> recs = {{"a.bmp", 3}, {"a.bmp", 3}, {"a.bmp", 4}, {"b.bmp", 3},
                                   {"c.bmp", 8}};
    QByteArray wbm;
    for (const Rec &rec : recs) {
        SlotRecord r;
        r.path = rec.path;
        r.number = rec.number;
        r.width = 10;
        r.height = 20;
        QByteArray bytes(kSlotSize, '\0');
        ASSERT_TRUE(r.writeTo(bytes.data()));
        wbm.append(bytes);
    }
    wbm.append(kSlotSize - 1, '\x01'); // a partial record is ignored
    const QString path = dir.filePath("l.wbm");
    ASSERT_TRUE(writeBytes(path, wbm));

    PictureList list;
    PictureEntry listed;
    listed.path = "c.bmp";
    listed.number = 8;
    list.entries().push_back(listed);
    ASSERT_TRUE(list.open(path, notes));
    ASSERT_EQ(list.entries().size(), 4u);
    const std::vector<std::pair<std::string, int>> expected = {
        {"c.bmp", 8}, {"a.bmp", 3}, {"a.bmp", 4}, {"b.bmp", 3}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(list.entries()[i].path, expected[i].first);
        EXPECT_EQ(list.entries()[i].number, expected[i].second);
    }
    EXPECT_EQ(list.entries()[1].width, 10);
    EXPECT_EQ(list.entries()[1].height, 20);
    EXPECT_EQ(list.entries()[1].start, 0);
    EXPECT_TRUE(list.entries()[1].sourceList.empty());
    // c.bmp #8 was skipped, so the next number comes from a.bmp #4.
    EXPECT_EQ(list.nextNumber(), 5);
}

TEST_F(PictureListOpen, WbmPathRunsIntoPageUseBytesAndIsRefusedAtSave)
{
    QByteArray rec(kSlotSize, '\0');
    std::fill_n(rec.data() + 2, 1300, 'd');
    const QString path = dir.filePath("wide.wbm");
    ASSERT_TRUE(writeBytes(path, rec));
    PictureList list;
    ASSERT_TRUE(list.open(path, notes));
    ASSERT_EQ(list.entries().size(), 1u);
    EXPECT_EQ(list.entries()[0].path, std::string(1300, 'd'));
    EXPECT_FALSE(list.save(dir.filePath("wide"), notes));
    EXPECT_FALSE(QFile::exists(dir.filePath("wide.tbm")));
}

TEST_F(PictureListOpen, UnreadableOrTruncatedFileIsAnErrorAndChangesNothing)
{
    struct Case
    {
        const char *name;
        QByteArray content;
        bool message;
    };
    // Only the exact ".wbm" ending selects the record list, so "X.WBM" is a
    // slot file and too short.
    const Case cases[] = {
        {"t.tbm", QByteArray(kSlotAreaSize - 1, '\0'), true},
        {"t.cbm", QByteArray(), true},
        {"T.WBM", QByteArray(kSlotSize, '\0'), true},
        {"missing.tbm", QByteArray(), false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(c.name);
        if (c.message) {
            ASSERT_TRUE(writeBytes(path, c.content));
        }
        PictureList list;
        list.setNextNumber(9);
        list.entries().push_back(entry(2, "keep.bmp", 1, 1));
        RecordingNotifier n;
        EXPECT_FALSE(list.open(path, n));
        EXPECT_EQ(n.messages.size(), c.message ? 1 : 0);
        EXPECT_EQ(numbers(list), std::vector<int>{2});
        EXPECT_EQ(list.nextNumber(), 9);
    }

    // A folder with a list's name exists but cannot be read.
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.wbm"));
    PictureList list;
    RecordingNotifier n;
    EXPECT_FALSE(list.open(dir.filePath("folder.wbm"), n));
    EXPECT_EQ(n.messages.size(), 1);
    EXPECT_TRUE(list.entries().empty());
}

} // namespace

// ---- the pixels a debug download sends ----------------------------------------

using PictureEntryPixels = PictureListFixture;

TEST_F(PictureEntryPixels, ComeFromTheImageOrTheSourceListCutToTheExactSize)
{
    // From the image file: the converted pixels themselves.
    const QString bmp = picture("a.bmp", 30, 20, 3);
    QByteArray converted;
    ASSERT_TRUE(convertPicture(bmp, 30, 20, converted));
    EXPECT_EQ(entryPixels(entry(0, bmp, 30, 20), notes), converted);

    // From a source list: its pages from the entry's start, cut to w x h x 2
    // (a 40 x 40 picture is 3200 bytes of its two pages).
    PictureList list;
    list.entries().push_back(entry(2, picture("b.bmp", 10, 10, 1), 10, 10));
    list.entries().push_back(entry(5, picture("c.bmp", 40, 40, 2), 40, 40));
    QString saved;
    ASSERT_TRUE(list.save(dir.filePath("list"), notes, &saved));
    QByteArray c;
    ASSERT_TRUE(convertPicture(dir.filePath("c.bmp"), 40, 40, c));
    QFile::remove(dir.filePath("c.bmp")); // the source list is what counts now
    EXPECT_EQ(list.entries()[1].start, 1);
    EXPECT_EQ(entryPixels(list.entries()[1], notes), c);
    EXPECT_TRUE(notes.messages.isEmpty());
}

TEST_F(PictureEntryPixels, MissingPicturesGiveNothing)
{
    const QString bmp = picture("a.bmp", 8, 8);
    const QString broken = dir.filePath("broken.bmp");
    ASSERT_TRUE(writeBytes(broken, readBytes(bmp).left(40)));
    PictureEntry fromGoneList = entry(1, bmp, 8, 8);
    fromGoneList.sourceList = toGbk(dir.filePath("gone.tbm"));
    struct Case
    {
        const char *what;
        PictureEntry entry;
        bool toldRenderFailure;
    } cases[] = {
        {"no image file", entry(1, dir.filePath("none.bmp"), 8, 8), false},
        {"width 0", entry(1, bmp, 0, 8), false},
        {"height 0", entry(1, bmp, 8, 0), false},
        {"beyond the picture store", entry(1, bmp, 0xFFFF, 0xFFFF), false},
        {"source list gone", fromGoneList, false},
        {"cannot be drawn", entry(1, broken, 8, 8), true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        notes.messages.clear();
        EXPECT_TRUE(entryPixels(c.entry, notes).isEmpty());
        EXPECT_EQ(!notes.messages.isEmpty(), c.toldRenderFailure);
        if (c.toldRenderFailure) {
            EXPECT_TRUE(notes.messages.first().startsWith(QStringLiteral("渲染图象失败！")));
        }
    }
}

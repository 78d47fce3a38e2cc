// The user font list: which font files are taken, with which numbers, and
// where adding stops.

#include "common/Notifier.h"
#include "link/UserFontList.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace h5;

namespace {

struct Fonts
{
    QTemporaryDir dir;
    QString make(const QString &name, qint64 chars)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        EXPECT_TRUE(f.resize(chars));
        return path;
    }
};

std::vector<int> numbers(const UserFontList &list)
{
    std::vector<int> out;
    for (const DebugFont &f : list.entries())
        out.push_back(f.number);
    return out;
}

} // namespace

TEST(UserFontList, FontOfOneFlashBlockIsTakenAndOneCharacterGroupMoreStopsTheAdding)
{
    struct Case
    {
        qint64 chars;
        bool taken;
    } cases[] = {{3, true}, {405504, true}, {405505, true}, {405507, false}, {900000, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.chars);
        Fonts fonts;
        UserFontList list;
        RecordingNotifier notes;
        list.setNextNumber(4);
        const QString big = fonts.make(QStringLiteral("a.txt"), c.chars);
        const QString after = fonts.make(QStringLiteral("b.txt"), 6);
        EXPECT_EQ(list.addFonts({big, after}, notes), c.taken ? 2 : 0);
        if (c.taken) {
            EXPECT_EQ(numbers(list), (std::vector<int>{4, 5}));
            EXPECT_EQ(list.nextNumber(), 6);
            EXPECT_TRUE(notes.messages.isEmpty());
        } else {
            EXPECT_TRUE(list.entries().empty()); // the files after it are not added either
            EXPECT_EQ(list.nextNumber(), 4);
            EXPECT_EQ(notes.messages, QStringList{QStringLiteral("字库超出！请将字库分为128K一个下载。")});
        }
    }
}

TEST(UserFontList, TwentyFirstFontIsRefusedAndTheNumberStaysWhereItWas)
{
    Fonts fonts;
    UserFontList list;
    RecordingNotifier notes;
    list.setNextNumber(18);
    const QStringList three = {fonts.make("a.txt", 3), fonts.make("b.txt", 3), fonts.make("c.txt", 3)};
    EXPECT_EQ(list.addFonts(three, notes), 2);
    EXPECT_EQ(numbers(list), (std::vector<int>{18, 19}));
    EXPECT_EQ(notes.messages, QStringList{QStringLiteral("字库超出！")});
    EXPECT_EQ(list.nextNumber(), 18); // the next add starts again from the box's number
}

TEST(UserFontList, UnusableFilesAreNamedAndSkipped)
{
    Fonts fonts;
    const QString missing = fonts.dir.filePath("missing.txt");
    const QString empty = fonts.make("empty.txt", 0);
    const QString locked = fonts.make("locked.txt", 3);
    const QString good = fonts.make("good.txt", 3);
    // Absolute on every system ("/" is a drive's root on Windows).
    const QString longPath = QFileInfo(QStringLiteral("/")).absoluteFilePath() + QString(2047, QLatin1Char('x'));
#ifdef Q_OS_WIN
    const bool root = true; // no file mode forbids reading: it opens, as for root
#else
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0), 0);
    const bool root = ::geteuid() == 0; // root opens it anyway
#endif

    UserFontList list;
    RecordingNotifier notes;
    list.addFonts({missing, empty, locked, longPath, good}, notes);
    const auto shown = [](const QString &path) { return QDir::toNativeSeparators(path); };
    QStringList expected = {shown(missing) + QStringLiteral("文件不存在!"), shown(empty) + QStringLiteral("文件无数据!")};
    if (!root)
        expected << shown(locked) + QStringLiteral("文件无法打开!");
    expected << shown(longPath) + QStringLiteral("路径过长，请更改。");
    EXPECT_EQ(notes.messages.join(QLatin1Char('\n')).toStdString(), expected.join(QLatin1Char('\n')).toStdString());
    ASSERT_FALSE(list.entries().empty());
    EXPECT_EQ(list.entries().back().path, good);
    EXPECT_EQ(list.nextNumber(), int(list.entries().size()));
}

TEST(UserFontList, NumberTypedInPlaceIsCheckedAgainstTheTwentyPositions)
{
    struct Case
    {
        const char *typed;
        int number;
        bool refused;
    } cases[] = {{"7", 7, false}, {"19", 19, false}, {"0", 0, false}, {"", 3, false},
                 {"20", 3, true},  {"-1", 3, true},  {"abc", 0, false}, {"12x", 12, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed);
        UserFontList list;
        list.entries().push_back(DebugFont{QStringLiteral("/f.txt"), 3});
        RecordingNotifier notes;
        list.setNumber(0, QString::fromLatin1(c.typed), notes);
        EXPECT_EQ(list.entries()[0].number, c.number);
        EXPECT_EQ(notes.messages.isEmpty(), !c.refused);
    }
}

// The picture list commands of the h5800 tool, run as a user runs them.

#include "support/TestUtil.h"

#include "pictures/PictureTestImages.h"
#include "pictures/SlotRecord.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using h5test::runCli;

namespace {

class PicturesCli : public testing::Test
{
protected:
    QString picture(const QString &name, int w, int h, const char *format = "BMP")
    {
        return h5test::saveImage(h5test::patternImage(w, h), dir.filePath(name), format);
    }
    QTemporaryDir dir;
};

TEST_F(PicturesCli, SavedListIsListedWithNumbersSizesBlocksAndStarts)
{
    const QString a = picture("图标.bmp", 320, 240);
    const QString b = picture("b.png", 4, 4, "PNG");
    const auto saved = runCli({"pictures", "save", dir.filePath("out"), "--first", "3", a, b});
    ASSERT_EQ(saved.exitCode, 0) << saved.err.toStdString();
    const QString list = dir.filePath("out.tbm");
    ASSERT_TRUE(QFile::exists(list));

    const auto text = runCli({"pictures", "list", list});
    ASSERT_EQ(text.exitCode, 0) << text.err.toStdString();
    const QString expected = QStringLiteral("3\t%1\t320\t240\t2\t0\n4\t%2\t4\t4\t1\t73\n").arg(a, b);
    EXPECT_EQ(QString::fromUtf8(text.out), expected);

    const auto json = runCli({"pictures", "list", "--json", list});
    ASSERT_EQ(json.exitCode, 0) << json.err.toStdString();
    const QJsonArray rows = QJsonDocument::fromJson(json.out).array();
    ASSERT_EQ(rows.size(), 2);
    const QJsonObject first = rows[0].toObject();
    EXPECT_EQ(first["number"].toInt(), 3);
    EXPECT_EQ(first["path"].toString(), a);
    EXPECT_EQ(first["width"].toInt(), 320);
    EXPECT_EQ(first["height"].toInt(), 240);
    EXPECT_EQ(first["blocks"].toInt(), 2);
    EXPECT_EQ(first["start"].toInt(), 0);
    EXPECT_EQ(rows[1].toObject()["start"].toInt(), 73);
}

TEST_F(PicturesCli, FailuresGiveTheirExitStatus)
{
    const QString a = picture("a.bmp", 2, 2);
    const QString shortList = dir.filePath("short.tbm");
    ASSERT_TRUE(h5test::writeBytes(shortList, QByteArray(100, '\0')));
    struct Case
    {
        const char *name;
        QStringList args;
        int exitCode;
    };
    const Case cases[] = {
        {"save into a missing folder", {"pictures", "save", dir.filePath("no/such/out"), a}, 1},
        {"list a missing file", {"pictures", "list", dir.filePath("none.tbm")}, 1},
        {"list a truncated list", {"pictures", "list", shortList}, 1},
        {"number not a number", {"pictures", "save", dir.filePath("o"), "--first", "x", a}, 2},
        {"number out of range", {"pictures", "save", dir.filePath("o"), "--first", "600", a}, 2},
        {"list without a file", {"pictures", "list"}, 2},
        {"unknown option", {"pictures", "save", dir.filePath("o"), "--fast", a}, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto r = runCli(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
        EXPECT_FALSE(r.err.isEmpty());
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("o.tbm")));
}

// A save that adds no picture at all writes nothing: an existing list stays
// byte for byte, and no list is made where there was none.
TEST_F(PicturesCli, SaveThatAddsNoPictureLeavesOutAsItWasAndMakesNone)
{
    // A real picture behind a path of more than 1024 GBK bytes.
    QString deep = dir.path();
    for (int i = 0; i < 6; ++i)
        deep += QLatin1Char('/') + QString(200, QLatin1Char('d'));
    ASSERT_TRUE(QDir().mkpath(deep));
    ASSERT_TRUE(QDir().mkpath(dir.filePath("folder.bmp")));
    struct Case
    {
        const char *name;
        QString image;
        QString told; // what stderr must say about it
    };
    const Case cases[] = {
        {"missing file", dir.filePath("no-such.bmp"), dir.filePath("no-such.bmp")},
        {"folder", dir.filePath("folder.bmp"), dir.filePath("folder.bmp")},
        {"character outside GBK", picture(QStringLiteral("图😀.bmp"), 2, 2),
         QStringLiteral("路径含有无法保存的字符，请更改。")},
        {"path over 1024 GBK bytes", picture(QDir(dir.path()).relativeFilePath(deep) + "/p.bmp", 2, 2),
         QStringLiteral("路径过长，请更改。")},
    };
    const QByteArray older("an older picture list");
    for (const Case &c : cases) {
        ASSERT_FALSE(c.image.isEmpty()) << c.name;
        for (const bool existing : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (existing ? ", OUT existing" : ", OUT not existing"));
            const QString out = dir.filePath("out.tbm");
            QFile::remove(out);
            if (existing) {
                ASSERT_TRUE(h5test::writeRaw(out, older));
            }
            const auto r = runCli({"pictures", "save", out, c.image});
            EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
            EXPECT_TRUE(QString::fromUtf8(r.err).contains(c.told)) << r.err.toStdString();
            EXPECT_FALSE(r.err.contains("saved")) << r.err.toStdString();
            if (existing) {
                EXPECT_EQ(h5test::readAll(out), older);
            } else {
                EXPECT_FALSE(QFileInfo::exists(out));
            }
            EXPECT_EQ(QDir(dir.path()).entryList({".out*"}, QDir::Hidden | QDir::Files), QStringList());
        }
    }
}

// A file left out among good ones is named; the others are saved and the
// exit status says that something was left out.
TEST_F(PicturesCli, PictureLeftOutIsNamedAndTheOthersAreSaved)
{
    const QString a = picture("a.bmp", 2, 2);
    const QString missing = dir.filePath("gone.bmp");
    const auto r = runCli({"pictures", "save", dir.filePath("out"), a, missing});
    EXPECT_EQ(r.exitCode, 3) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(missing.toUtf8())) << r.err.toStdString();
    const auto listed = runCli({"pictures", "list", dir.filePath("out.tbm")});
    EXPECT_EQ(QString::fromUtf8(listed.out), QStringLiteral("0\t%1\t2\t2\t1\t0\n").arg(a));
}

} // namespace

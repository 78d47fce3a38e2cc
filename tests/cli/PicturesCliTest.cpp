// The picture list commands of the h5800 tool, run as a user runs them.

#include "support/TestUtil.h"

#include "pictures/PictureTestImages.h"
#include "pictures/SlotRecord.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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

} // namespace

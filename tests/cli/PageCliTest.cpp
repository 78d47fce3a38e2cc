// The page commands of the h5800 tool, run as a user runs them.

#include "support/TestUtil.h"

#include "common/Gbk.h"
#include "model/Page.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace h5;
using h5test::runCli;

namespace {
QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &data)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(data);
    return path;
}
} // namespace

TEST(PageDumpCliTest, PrintsEveryFieldUnderItsOwnName)
{
    QTemporaryDir dir;
    Page page;
    page.settings = CTypeGraph(3, 5, 17, 1024, 0x00030010, RGB(10, 20, 30));
    page.elements.push_back(CGraph(107, 12, {1, 2}, {3, 4}, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15,
                                   16, 17, 18, "t1", "t3", toGbk(QStringLiteral("温度\r\n\"x\""))));
    page.elements.push_back(CGraph());
    const QString path = writeFile(dir, "17.wlp", page.toPageFile());

    const auto r = runCli({"page", "dump", path});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QJsonParseError pe;
    const QJsonObject root = QJsonDocument::fromJson(r.out, &pe).object();
    ASSERT_EQ(pe.error, QJsonParseError::NoError) << r.out.toStdString();
    const QJsonObject s = root["settings"].toObject();
    EXPECT_EQ(s["m_nResolution"].toInt(), 3);
    EXPECT_EQ(s["m_nFlags"].toInt(), 5);
    EXPECT_EQ(s["m_nPageNo"].toInt(), 17);
    EXPECT_EQ(s["m_nNextPage"].toInt(), 1024);
    EXPECT_EQ(s["m_nDelay"].toInt(), 0x00030010);
    EXPECT_EQ(s["m_crBack"].toInt(), int(RGB(10, 20, 30)));
    const QJsonArray els = root["elements"].toArray();
    ASSERT_EQ(els.size(), 2);
    const QJsonObject e = els[0].toObject();
    const std::pair<const char *, int> ints[] = {
        {"m_nKind", 107}, {"m_nCtrlID", 12},  {"m_nAttr", 5},     {"m_nNumber", 6},
        {"m_crColor1", 7}, {"m_crColor2", 8}, {"m_crColor3", 9},  {"m_crColor4", 10},
        {"m_crColor5", 11}, {"m_nSource", 12}, {"m_nValue1", 13}, {"m_nValue2", 14},
        {"m_nValue3", 15}, {"m_nValue4", 16}, {"m_nStyle", 17},   {"m_nExtra", 18},
    };
    for (const auto &[name, value] : ints)
        EXPECT_EQ(e[name].toInt(), value) << name;
    EXPECT_EQ(e["m_ptStart"].toArray(), (QJsonArray{1, 2}));
    EXPECT_EQ(e["m_ptEnd"].toArray(), (QJsonArray{3, 4}));
    EXPECT_EQ(e["m_strText1"].toString(), "t1");
    EXPECT_EQ(e["m_strText2"].toString(), QStringLiteral("温度\r\n\"x\""));
    EXPECT_EQ(e["m_strText3"].toString(), "t3");
}

TEST(PageDumpCliTest, ExitStatusTellsBadInputFromWrongUsage)
{
    QTemporaryDir dir;
    const QString garbage = writeFile(dir, "bad.wlp", QByteArray(100, 'x'));
    struct Case { QStringList args; int exit; const char *stderrHas; };
    const Case cases[] = {
        {{"page", "dump", garbage}, 1, "bad.wlp"},
        {{"page", "dump", dir.filePath("missing.wlp")}, 1, "missing.wlp"},
        {{"page", "dump"}, 2, "usage"},
        {{"page", "dump", "a", "b"}, 2, "usage"},
        {{"page", "dump", "--bogus", garbage}, 2, "--bogus"},
        {{"frobnicate"}, 2, "unknown command"},
    };
    for (const Case &c : cases) {
        const auto r = runCli(c.args);
        EXPECT_EQ(r.exitCode, c.exit) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(c.stderrHas)) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << c.args.join(' ').toStdString();
    }
    const auto bad = runCli({"page", "dump", garbage});
    EXPECT_EQ(bad.err.count('\n'), 1) << "one line for bad input: " << bad.err.toStdString();
}

TEST(PageDumpCliTest, HelpIsAvailableForEveryCommand)
{
    const auto top = runCli({"--help"});
    EXPECT_EQ(top.exitCode, 0);
    EXPECT_TRUE(top.out.contains("page dump"));
    const auto one = runCli({"help", "page", "dump"});
    EXPECT_EQ(one.exitCode, 0);
    EXPECT_TRUE(one.out.contains("usage: h5800 page dump"));
    EXPECT_EQ(runCli({"help", "no-such"}).exitCode, 2);
}

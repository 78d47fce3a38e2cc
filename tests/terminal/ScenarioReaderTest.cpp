// The screen test reader: every step kind read with its arguments; every
// wrong argument, and every line out of order, refused with its line and a
// reason; a scenario written back reads as the same; and the touch panel's
// reports under each touch mode.

#include "support/FuzzReplay.h"
#include "support/TestUtil.h"

#include "../../fuzz/ScenarioCheck.h"

#include "terminal/Scenario.h"
#include "terminal/TouchPanel.h"

#include <gtest/gtest.h>

using h5::Scenario;
using h5::ScenarioStep;
using K = h5::ScenarioStep::Kind;

namespace {

QByteArray withHeader(const char *steps)
{
    return QByteArray("project demo/demo.wgc\n") + steps;
}

} // namespace

TEST(ScenarioReader, EveryStepKindIsReadWithItsArguments)
{
    Scenario s;
    int line = -1;
    QString why;
    const QByteArray text = "# a comment line\n"
                            "project \"my demo/demo.wgc\"   # trailing comment\n"
                            "size 480x272\n"
                            "\n"
                            "start\n"
                            "touch 10 20\n"
                            "release\n"
                            "host 1b50 01 00 FF ff ee ff\n"
                            "host-file bytes/page.bin\n"
                            "wait 5000\r\n"
                            "expect-sent\n"
                            "expect-sent fe fe 0a 00 14 00\n"
                            "expect-page 1023\n"
                            "expect-screen home.png\n"
                            "expect-screen \"refs/a b.png\" 1 2 30 40 tolerance 3\n"
                            "expect-screen c.png tolerance 0\n";
    ASSERT_TRUE(h5::parseScenario(text, s, &line, &why)) << line << why.toStdString();
    EXPECT_EQ(s.project, "my demo/demo.wgc");
    EXPECT_EQ(s.projectLine, 2);
    EXPECT_EQ(s.size, QSize(480, 272));
    ASSERT_EQ(s.steps.size(), 12u);
    EXPECT_EQ(s.steps[0].kind, K::Start);
    EXPECT_EQ(s.steps[0].line, 5);
    EXPECT_EQ(s.steps[1].kind, K::Touch);
    EXPECT_EQ(s.steps[1].x, 10);
    EXPECT_EQ(s.steps[1].y, 20);
    EXPECT_EQ(s.steps[2].kind, K::Release);
    EXPECT_EQ(s.steps[3].kind, K::Host);
    EXPECT_EQ(s.steps[3].bytes, h5test::hex("1b 50 01 00 ff ff ee ff"));
    EXPECT_EQ(s.steps[4].kind, K::HostFile);
    EXPECT_EQ(s.steps[4].path, "bytes/page.bin");
    EXPECT_EQ(s.steps[5].kind, K::Wait);
    EXPECT_EQ(s.steps[5].ms, 5000);
    EXPECT_EQ(s.steps[6].kind, K::ExpectSent);
    EXPECT_TRUE(s.steps[6].bytes.isEmpty());
    EXPECT_EQ(s.steps[7].bytes, h5test::hex("fe fe 0a 00 14 00"));
    EXPECT_EQ(s.steps[8].kind, K::ExpectPage);
    EXPECT_EQ(s.steps[8].page, 1023);
    EXPECT_EQ(s.steps[9].kind, K::ExpectScreen);
    EXPECT_TRUE(s.steps[9].region.isNull());
    EXPECT_EQ(s.steps[9].tolerance, 0);
    EXPECT_EQ(s.steps[10].path, "refs/a b.png");
    EXPECT_EQ(s.steps[10].region, QRect(1, 2, 30, 40));
    EXPECT_EQ(s.steps[10].tolerance, 3);
    EXPECT_EQ(s.steps[11].path, "c.png");
    EXPECT_EQ(s.steps[11].line, 16);
}

TEST(ScenarioReader, WrongArgumentsAndLinesOutOfOrderAreRefusedWithTheirLine)
{
    struct Case
    {
        const char *text;
        int line;
        const char *says; // part of the reason
    };
    const Case cases[] = {
        {"start\n", 1, "project"},
        {"project a.wgc\nproject b.wgc\nstart\n", 2, "project 只能写一次"},
        {"project a.wgc\n", 0, "没有任何步骤"},
        {"# nothing\n", 0, "缺少 project"},
        {"project\nstart\n", 1, "project 需要"},
        {"project a.wgc\nsize 800*480\nstart\n", 2, "宽x高"},
        {"project a.wgc\nsize 801x480\nstart\n", 2, "不是终端的分辨率"},
        {"project a.wgc\nstart\nsize 800x480\n", 3, "size 应写在第一个步骤之前"},
        {"project a.wgc\nsize 800x480\nsize 800x480\nstart\n", 3, "size 只能写一次"},
        {"project a.wgc\ntouch 1 2\n", 2, "第一个步骤应是 start"},
        {"project a.wgc\nstart now\n", 2, "start 不带参数"},
        {"project a.wgc\nstart\ntouch 1\n", 3, "touch 需要坐标"},
        {"project a.wgc\nstart\ntouch -1 2\n", 3, "“-1”不是 0 到 65535 之间的整数"},
        {"project a.wgc\nstart\ntouch 1 65536\n", 3, "65536"},
        {"project a.wgc\nstart\ntouch 1 0x10\n", 3, "0x10"},
        {"project a.wgc\nstart\nrelease\n", 3, "release 之前没有按下的 touch"},
        {"project a.wgc\nstart\ntouch 1 2\nstart\nrelease\n", 5, "release 之前没有"},
        {"project a.wgc\nstart\nrelease 1\n", 3, "release 不带参数"},
        {"project a.wgc\nstart\nhost\n", 3, "host 至少需要"},
        {"project a.wgc\nstart\nhost 1b5\n", 3, "“1b5”不是十六进制的字节"},
        {"project a.wgc\nstart\nhost 1g\n", 3, "“1g”"},
        {"project a.wgc\nstart\nexpect-sent fe f\n", 3, "“f”"},
        {"project a.wgc\nstart\nhost-file\n", 3, "host-file 需要"},
        {"project a.wgc\nstart\nhost-file \"\"\n", 3, "路径是空的"},
        {"project a.wgc\nstart\nwait\n", 3, "wait 需要"},
        {"project a.wgc\nstart\nwait 3600001\n", 3, "0 到 3600000"},
        {"project a.wgc\nstart\nwait 1.5\n", 3, "1.5"},
        {"project a.wgc\nstart\nexpect-page 1024\n", 3, "0 到 1023"},
        {"project a.wgc\nstart\nexpect-page\n", 3, "expect-page 需要"},
        {"project a.wgc\nstart\nexpect-screen\n", 3, "expect-screen 的写法"},
        {"project a.wgc\nstart\nexpect-screen a.png 1 2 3\n", 3, "expect-screen 的写法"},
        {"project a.wgc\nstart\nexpect-screen a.png 1 2 0 4\n", 3, "“0”不是 1 到 65535"},
        {"project a.wgc\nstart\nexpect-screen a.png tolerance 64\n", 3, "0 到 63"},
        {"project a.wgc\nstart\nexpect-screen a.png tolerance\n", 3, "expect-screen 的写法"},
        {"project a.wgc\nstart\nexpect-screen \"a.png\n", 3, "引号没有闭合"},
        {"project a.wgc\nstart\nexpect-screen a\"b.png\n", 3, "引号"},
        {"project a.wgc\nstart\nexpect-screen \"a\"b\n", 3, "引号后面缺少空格"},
        {"project a.wgc\nstart\nclick 1 2\n", 3, "未知的步骤“click”"},
        {"project a.wgc\nstart\n点击 1 2\n", 3, "未知的步骤“点击”"},
        {"project a.wgc\nstart\n\"start\"\n", 3, "步骤名"},
        {"project a.wgc\nstart\nexpect-screen \xff.png\n", 0, "UTF-8"},
    };
    for (const Case &c : cases) {
        const QByteArray text(c.text);
        SCOPED_TRACE(text.toStdString());
        Scenario s;
        s.project = "unchanged";
        int line = -1;
        QString why;
        EXPECT_FALSE(h5::parseScenario(text, s, &line, &why));
        EXPECT_EQ(line, c.line);
        EXPECT_TRUE(why.contains(QString::fromUtf8(c.says))) << why.toStdString();
        EXPECT_EQ(s.project, "unchanged");
    }
    Scenario s;
    int line = -1;
    QString why;
    EXPECT_FALSE(h5::parseScenario(QByteArray("project a.wgc\nstart\nhost 00\0\n", 29), s, &line, &why));
    EXPECT_EQ(line, 3);
    EXPECT_TRUE(why.contains("NUL")) << why.toStdString();
}

TEST(ScenarioReader, AScenarioWrittenBackReadsAsTheSame)
{
    const QByteArray texts[] = {
        "\xEF\xBB\xBF" + withHeader("start\n"),
        withHeader("start\ntouch 0 65535\nwait 0\nrelease\nexpect-sent\n"),
        "project \"a # b/demo.wgc\"\nsize 272x480\nstart\nhost 00 ff\nhost-file \"x y.bin\"\n"
        "expect-screen \"#1.png\" 0 0 1 1 tolerance 63\nexpect-screen tolerance\nexpect-page 7\n",
        withHeader("start\nexpect-screen 图片/首页.png 10 10 5 5\nexpect-sent fe fe 00 00 00 00 fe f0 00 00 00 00\n"),
    };
    for (const QByteArray &text : texts) {
        SCOPED_TRACE(text.toStdString());
        Scenario first, again;
        int line = 0;
        QString why;
        ASSERT_TRUE(h5::parseScenario(text, first, &line, &why)) << line << why.toStdString();
        const QByteArray written = h5::serialiseScenario(first);
        ASSERT_TRUE(h5::parseScenario(written, again, &line, &why)) << written.toStdString() << why.toStdString();
        EXPECT_EQ(again.project, first.project);
        EXPECT_EQ(again.size, first.size);
        ASSERT_EQ(again.steps.size(), first.steps.size());
        for (size_t i = 0; i < first.steps.size(); ++i)
            EXPECT_EQ(again.steps[i], first.steps[i]) << i;
    }
}

// What the terminal sends for a finger down, held and lifted, by touch mode
// (1B 20) and interval (1B 21, units of 20 ms).
TEST(TouchPanel, ReportsFollowTheTouchModeAndInterval)
{
    const QByteArray down = h5test::hex("fe fe 0a 00 14 01");  // (10, 276)
    const QByteArray up = h5test::hex("fe f0 0a 00 14 01");
    struct Case
    {
        const char *name;
        int mode, interval;
        int holdMs;
        int repeats; // reports after the first while held
        bool breakCode;
    };
    const Case cases[] = {
        {"never set: single, no break code", -1, -1, 1000, 0, false},
        {"single", 0, 5, 1000, 0, false},
        {"single with break code", 1, 5, 1000, 0, true},
        {"continuous every 100 ms", 2, 5, 250, 2, false},
        {"continuous, interval never set: 20 ms", 2, -1, 100, 5, false},
        {"continuous, interval 0 counts as 1", 2, 0, 39, 1, false},
        {"continuous with break code", 3, 5, 300, 3, true},
        {"mode by its two low bits", 7, 5, 100, 1, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        h5::TouchPanel panel;
        QByteArray sent = panel.press(10, 276, c.mode, c.interval, 1000);
        EXPECT_EQ(sent, down);
        sent = panel.tick(1000 + c.holdMs, c.mode, c.interval);
        EXPECT_EQ(sent, down.repeated(c.repeats));
        // A second touch while down lifts the finger first.
        EXPECT_EQ(panel.press(10, 276, c.mode, c.interval, 1000 + c.holdMs), (c.breakCode ? up : QByteArray()) + down);
        EXPECT_EQ(panel.release(c.mode), c.breakCode ? up : QByteArray());
        EXPECT_TRUE(panel.release(c.mode).isEmpty());
        EXPECT_TRUE(panel.tick(100000, c.mode, c.interval).isEmpty());
        EXPECT_EQ(panel.dueMs(), -1);
    }
}

TEST(ScenarioReader, KeptFuzzInputsKeepTheReadersProperty)
{
    EXPECT_GT(h5test::replayFuzzInputs(QStringLiteral("fuzz_scenario"), h5fuzz::checkScenarioInput), 0);
}

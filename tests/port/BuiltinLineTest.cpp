// The terminal built into the program as a serial line: bytes reach it and
// its answers come back in the order a real line gives them, it takes one
// line at a time, touches reach the PC, a whole download runs on the
// virtual clock through the same driver the windows use, the flash outlives
// the program, a damaged flash file is never written over, and the pages
// run after a download.

#include "port/BuiltinTestSupport.h"

#include "link/DownloadSession.h"
#include "link/LinkSession.h"
#include "port/BuiltinLine.h"
#include "port/LineDriver.h"
#include "port/PortLine.h"
#include "terminal/SimControl.h"
#include "../link/LinkTestSupport.h"
#include "support/TestUtil.h"

#include <QFile>
#include <QStringList>
#include <gtest/gtest.h>
#include <vector>

using namespace h5;
using h5test::BuiltinRig;

namespace {

// Every event of the line, in order.
struct Events
{
    QStringList seen;
    QByteArray received;
    void watch(SerialLine &line)
    {
        QObject::connect(&line, &SerialLine::outputDrained, [this] { seen << QStringLiteral("drained"); });
        QObject::connect(&line, &SerialLine::received, [this, &line] {
            const QByteArray bytes = line.input();
            received += bytes;
            seen << QStringLiteral("received %1").arg(QString::fromLatin1(bytes.toHex()));
        });
    }
};

class TestDriver : public LineDriver
{
public:
    using LineDriver::LineDriver;
    void status(const QString &text) override { statuses << text; }
    void message(const QString &text) override { messages << text; }
    bool ask(const QString &) override { return true; }
    void closePort() override { comm().close(); }
    QStringList statuses, messages;
};

QByteArray builtProject()
{
    return h5linktest::projectFile(h5linktest::projectData({3, 1}));
}

// Runs the file download window's session over `line` until it ends; a
// success is a completed download that told the user nothing.
::testing::AssertionResult downloadOver(BuiltinRig &rig, PortLine &line, const DownloadFiles &files)
{
    TestDriver driver(line);
    DownloadSession session(driver);
    driver.attach(session);
    session.portOpened();
    QString error;
    if (!session.start(files, &error))
        return ::testing::AssertionFailure() << "refused: " << error.toStdString();
    const bool ended = rig.waitFor([&] { return session.outcome() != TransferSession::Outcome::Running; });
    driver.detach();
    if (!ended || session.outcome() != TransferSession::Outcome::Completed)
        return ::testing::AssertionFailure() << "not completed: " << driver.statuses.join('|').toStdString();
    if (!driver.messages.isEmpty())
        return ::testing::AssertionFailure() << "told: " << driver.messages.join('|').toStdString();
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(BuiltinLineTest, AnswerArrivesAfterTheDrainedEventAndNeverInsideTheWrite)
{
    BuiltinRig rig;
    PortLine line;
    line.setDevice(QStringLiteral("builtin"));
    ASSERT_TRUE(line.open()) << line.errorString().toStdString();
    Events events;
    events.watch(line);

    line.output(QByteArray("\xAA", 1)); // the probe
    EXPECT_TRUE(events.seen.isEmpty()) << "nothing happens inside the write";
    // A discard right after the write keeps the bytes handed over, and an
    // input discard cannot drop an answer that has not arrived.
    line.discardOutput();
    line.discardInput();
    rig.settle();
    EXPECT_EQ(events.seen, (QStringList{QStringLiteral("drained"), QStringLiteral("received 33")}));
    EXPECT_EQ(events.received, QByteArray("\x33", 1));
}

TEST(BuiltinLineTest, SecondWindowIsToldTheTerminalIsInUseUntilTheFirstCloses)
{
    BuiltinRig rig;
    PortLine first, second;
    first.setDevice(BuiltinTerminal::deviceName());
    second.setDevice(BuiltinTerminal::deviceName());
    ASSERT_TRUE(first.open());
    EXPECT_FALSE(second.open());
    EXPECT_EQ(second.errorString(), QStringLiteral("内置虚拟终端正被另一个窗口使用，请先在那里关闭串口"));
    EXPECT_FALSE(second.isOpen());
    first.close();
    EXPECT_TRUE(second.open()) << second.errorString().toStdString();
}

TEST(BuiltinLineTest, TouchOnTheScreenReachesTheOpenLineOnly)
{
    BuiltinRig rig;
    EXPECT_FALSE(rig.terminal().touch(10, 20)) << "no line: the touch goes nowhere";
    PortLine line;
    line.setDevice(QStringLiteral("builtin"));
    ASSERT_TRUE(line.open());
    Events events;
    events.watch(line);
    EXPECT_TRUE(rig.terminal().touch(300, 200));
    rig.settle();
    EXPECT_EQ(events.received, touchReport(300, 200));
}

TEST(BuiltinLineTest, DownloadRunsOnTheVirtualClockAndTheFlashOutlivesTheProgram)
{
    BuiltinRig rig(BuiltinRig::Flash::InFile);
    QTemporaryDir dir;
    const QByteArray project = builtProject();
    DownloadFiles files;
    files.project = h5linktest::writeFile(dir, "p.wgc", project);
    {
        PortLine line;
        line.setDevice(QStringLiteral("builtin"));
        line.setSettings(QStringLiteral("2400,n,8,1"));
        ASSERT_TRUE(line.open());
        ASSERT_TRUE(downloadOver(rig, line, files));
        line.close();
    }
    EXPECT_EQ(rig.vt().projectData(), project.mid(h5linktest::kProjectDataAt));
    ASSERT_TRUE(QFile::exists(rig.flashPath())) << "closing the line saves the flash";

    rig.restart();
    EXPECT_EQ(rig.vt().projectData(), project.mid(h5linktest::kProjectDataAt));
    EXPECT_TRUE(rig.terminal().flashProblem().isEmpty());

    QString error;
    ASSERT_TRUE(rig.terminal().eraseFlash(&error)) << error.toStdString();
    rig.restart();
    EXPECT_TRUE(rig.vt().projectData().isEmpty()) << "an emptied flash stays empty";
}

TEST(BuiltinLineTest, DamagedFlashFileIsToldAndNeverWrittenOver)
{
    BuiltinRig rig(BuiltinRig::Flash::InFile);
    const QByteArray garbage("not a flash image at all");
    {
        QFile f(rig.flashPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(garbage), garbage.size());
    }
    rig.restart();
    EXPECT_TRUE(rig.terminal().flashProblem().startsWith(QStringLiteral("内置虚拟终端的闪存文件无法读取")))
        << rig.terminal().flashProblem().toStdString();

    // A download into the empty terminal, then the line lets go.
    PortLine line;
    line.setDevice(QStringLiteral("builtin"));
    ASSERT_TRUE(line.open());
    line.output(QByteArray::fromHex("7F1B75FFFFEEFF") + QByteArray(2048, '\x01'));
    rig.settle();
    line.close();
    rig.restart();
    QFile f(rig.flashPath());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), garbage) << "the user's file is left as it was";
}

TEST(BuiltinLineTest, FirstPageRunsAfterADownloadOnceTheLineClosesAndAgainAtPowerOn)
{
    QTemporaryDir demoDir;
    const auto made = h5test::runCli({QStringLiteral("demo"), demoDir.path()});
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
    DownloadFiles files;
    files.project = demoDir.filePath(QStringLiteral("demo/demo.wgc"));
    files.pictures = demoDir.filePath(QStringLiteral("demo/图象位置信息.cbm"));

    BuiltinRig rig(BuiltinRig::Flash::InFile);
    EXPECT_EQ(rig.vt().currentPage(), -1) << "an empty flash shows no page";
    PortLine line;
    line.setDevice(QStringLiteral("builtin"));
    ASSERT_TRUE(line.open());
    ASSERT_TRUE(downloadOver(rig, line, files));
    EXPECT_EQ(rig.vt().currentPage(), -1) << "nothing runs while the PC holds the line";
    const QImage before = rig.terminal().screenImage();
    line.close();
    EXPECT_EQ(rig.vt().currentPage(), 0);
    EXPECT_NE(rig.terminal().screenImage(), before) << "the first page is drawn";

    const QImage page0 = rig.terminal().screenImage();
    rig.restart();
    EXPECT_EQ(rig.vt().currentPage(), 0) << "power on runs the first page of the kept flash";
    EXPECT_EQ(rig.terminal().screenImage(), page0);
}

// Page 1 of the demo names page 0 next after its delay of five seconds: on
// the virtual clock that takes no time. Both pages look as the preview
// draws them.
TEST(BuiltinLineTest, PageDelayBringsTheNextPageBackOnTheVirtualClock)
{
    QTemporaryDir tmp;
    ASSERT_EQ(h5test::runCli({QStringLiteral("demo"), tmp.path()}).exitCode, 0);
    const QString wgc = tmp.filePath(QStringLiteral("demo/demo.wgc"));
    const QString page0 = tmp.filePath(QStringLiteral("p0.png")), page1 = tmp.filePath(QStringLiteral("p1.png"));
    ASSERT_EQ(h5test::runCli({QStringLiteral("preview"), wgc, QStringLiteral("--page"), QStringLiteral("0"),
                              QStringLiteral("-o"), page0}).exitCode, 0);
    ASSERT_EQ(h5test::runCli({QStringLiteral("preview"), wgc, QStringLiteral("--page"), QStringLiteral("1"),
                              QStringLiteral("-o"), page1}).exitCode, 0);
    const auto screen = [](BuiltinRig &rig) {
        return rig.terminal().screenImage().convertToFormat(QImage::Format_RGB32);
    };
    const auto png = [](const QString &path) { return QImage(path).convertToFormat(QImage::Format_RGB32); };

    BuiltinRig rig;
    PortLine line;
    line.setDevice(QStringLiteral("builtin"));
    ASSERT_TRUE(line.open());
    DownloadFiles files;
    files.project = wgc;
    files.pictures = tmp.filePath(QStringLiteral("demo/图象位置信息.cbm"));
    ASSERT_TRUE(downloadOver(rig, line, files));

    line.output(QByteArray::fromHex("1B500100FFFFEEFF")); // page switch to 1
    rig.settle();
    EXPECT_EQ(rig.vt().currentPage(), 1);
    EXPECT_EQ(screen(rig), png(page1));
    rig.clock().advance(4990);
    EXPECT_EQ(rig.vt().currentPage(), 1) << "page 1 stays for its delay";
    rig.clock().advance(20);
    EXPECT_EQ(rig.vt().currentPage(), 0);
    EXPECT_EQ(screen(rig), png(page0));
}

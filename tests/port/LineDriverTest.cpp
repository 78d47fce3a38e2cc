// The line driver that runs a session on a CMSComm: receive events, the
// output-drained event and timers by id reach the attached session and
// nothing reaches a detached one; a lost line reaches the front end.

#include "port/PortTestSupport.h"

#include "link/LinkSession.h"
#include "port/CMSComm.h"
#include "port/LineDriver.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace h5;
using h5test::PtyPair;
using h5test::waitFor;

namespace {

class RecordingSession : public LinkSession
{
public:
    void onReceive(const QByteArray &bytes) override { received += bytes; ++receiveEvents; }
    void onTimer(int id) override { timers.push_back(id); }
    void onOutputDrained() override { ++drained; }

    QByteArray received;
    int receiveEvents = 0;
    std::vector<int> timers;
    int drained = 0;
};

// The front end's half of LinkHost, recorded.
class TestDriver : public LineDriver
{
public:
    using LineDriver::LineDriver;
    void status(const QString &text) override { statuses << text; }
    void message(const QString &text) override { statuses << text; }
    bool ask(const QString &) override { return true; }
    void closePort() override { comm().close(); }

    QStringList statuses;
    QStringList lost;

protected:
    void lineLost(const QString &text) override { lost << text; }
};

struct Line
{
    h5test::AppFirst app;
    std::unique_ptr<PtyPair> pty = std::make_unique<PtyPair>();
    CMSComm comm;
    TestDriver driver{comm};
    RecordingSession session;
    int afterEvents = 0;

    bool open()
    {
        if (!pty->ok())
            return false;
        comm.setDevice(pty->device());
        driver.attach(session);
        driver.setAfterEvent([this] { ++afterEvents; });
        return comm.open();
    }
};

TEST(LineDriverTest, LineEventsReachTheSessionAndSendsReachTheLine)
{
    H5_UNIX_ONLY("pseudo-terminal");
    Line line;
    ASSERT_TRUE(line.open()) << line.comm.errorString().toStdString();

    ASSERT_TRUE(line.pty->write(QByteArray::fromHex("33")));
    ASSERT_TRUE(waitFor([&] { return !line.session.received.isEmpty(); }));
    EXPECT_EQ(line.session.received, QByteArray::fromHex("33"));
    EXPECT_EQ(line.afterEvents, line.session.receiveEvents) << "the hook runs after every receive event";

    line.driver.send(QByteArray::fromHex("7F1B73FFFFEEFF"));
    EXPECT_EQ(line.pty->read(7), QByteArray::fromHex("7F1B73FFFFEEFF"));
    EXPECT_TRUE(waitFor([&] { return line.session.drained > 0; })) << "output drained not handed on";
}

TEST(LineDriverTest, TimersFireByIdUntilStoppedAndNothingReachesADetachedSession)
{
    H5_UNIX_ONLY("pseudo-terminal");
    Line line;
    ASSERT_TRUE(line.open()) << line.comm.errorString().toStdString();

    line.driver.startTimer(3, 0);
    ASSERT_TRUE(waitFor([&] { return !line.session.timers.empty(); }));
    EXPECT_EQ(line.session.timers.front(), 3);
    EXPECT_GE(line.afterEvents, 1) << "the hook runs after a timer event";
    line.driver.stopTimer(3);
    EXPECT_FALSE(line.driver.timerActive(3));

    line.driver.startTimer(1, 0);
    line.driver.startTimer(2, 0);
    EXPECT_TRUE(line.driver.timerActive(1));
    EXPECT_TRUE(line.driver.timerActive(2));
    line.driver.detach();
    EXPECT_FALSE(line.driver.timerActive(1));
    EXPECT_FALSE(line.driver.timerActive(2));

    // Bytes arriving now are read from the line but go to nobody. The
    // driver's handler runs before this later connection's.
    line.session = RecordingSession();
    bool arrived = false;
    QObject::connect(&line.comm, &CMSComm::received, [&arrived] { arrived = true; });
    ASSERT_TRUE(line.pty->write(QByteArray::fromHex("55")));
    ASSERT_TRUE(waitFor([&] { return arrived; }));
    EXPECT_TRUE(line.session.received.isEmpty());
    EXPECT_TRUE(line.session.timers.empty());
    EXPECT_EQ(line.comm.input(), QByteArray()) << "unexpected bytes are not kept";
}

TEST(LineDriverTest, LostLineReachesTheFrontEnd)
{
    H5_UNIX_ONLY("pseudo-terminal");
    Line line;
    ASSERT_TRUE(line.open()) << line.comm.errorString().toStdString();
    line.pty.reset(); // the other end goes away
    line.driver.send(QByteArray::fromHex("AA"));
    ASSERT_TRUE(waitFor([&] { return !line.driver.lost.isEmpty(); }));
    EXPECT_EQ(line.driver.lost.front(), CMSComm::lineLostText());
}

} // namespace

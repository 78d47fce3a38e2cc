// The serial line against a pseudo-terminal made by the test: bytes out and
// in, the two events, the discards, opening failures; and the port list rule.

#include "port/PortTestSupport.h"

#include "port/CMSComm.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace h5;
using h5test::PtyPair;
using h5test::waitFor;

namespace {

QByteArray pattern(int size)
{
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i)
        b[i] = char((i * 13 + i / 256) & 0xFF);
    return b;
}

class CMSCommTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        H5_UNIX_ONLY("pseudo-terminal");
        h5test::ensureApp();
        ASSERT_TRUE(pty.ok());
        comm.setDevice(pty.device());
        ASSERT_TRUE(comm.setSettings(QStringLiteral("1228800,n,8,1")));
        ASSERT_TRUE(comm.open()) << comm.errorString().toStdString();
    }

    h5test::AppFirst app;
    PtyPair pty;
    CMSComm comm;
};

} // namespace

TEST(LineSettingsTest, ParsesTheSettingsStringAndRejectsMalformedOnes)
{
    struct Case
    {
        const char *text;
        bool ok;
        qint32 baud;
        QSerialPort::Parity parity;
        QSerialPort::DataBits data;
        QSerialPort::StopBits stop;
    };
    const Case cases[] = {
        {"1228800,n,8,1", true, 1228800, QSerialPort::NoParity, QSerialPort::Data8, QSerialPort::OneStop},
        {"9600,N,8,1", true, 9600, QSerialPort::NoParity, QSerialPort::Data8, QSerialPort::OneStop},
        {" 2400 , e , 7 , 2 ", true, 2400, QSerialPort::EvenParity, QSerialPort::Data7, QSerialPort::TwoStop},
        {"115200,o,5,1.5", true, 115200, QSerialPort::OddParity, QSerialPort::Data5,
         QSerialPort::OneAndHalfStop},
        {"", false, 0, {}, {}, {}},
        {"9600", false, 0, {}, {}, {}},
        {"9600,n,8", false, 0, {}, {}, {}},
        {"fast,n,8,1", false, 0, {}, {}, {}},
        {"-9600,n,8,1", false, 0, {}, {}, {}},
        {"9600,x,8,1", false, 0, {}, {}, {}},
        {"9600,n,9,1", false, 0, {}, {}, {}},
        {"9600,n,8,3", false, 0, {}, {}, {}},
        {"9600,n,8,1,1", false, 0, {}, {}, {}},
    };
    for (const Case &c : cases) {
        LineSettings s;
        s.baud = 1;
        ASSERT_EQ(LineSettings::parse(QString::fromLatin1(c.text), s), c.ok) << c.text;
        if (!c.ok) {
            EXPECT_EQ(s.baud, 1) << "a refused string changed the settings: " << c.text;
            continue;
        }
        EXPECT_EQ(s.baud, c.baud) << c.text;
        EXPECT_EQ(s.parity, c.parity) << c.text;
        EXPECT_EQ(s.dataBits, c.data) << c.text;
        EXPECT_EQ(s.stopBits, c.stop) << c.text;
    }
    LineSettings s;
    ASSERT_TRUE(LineSettings::parse(QStringLiteral("1228800,n,8,1"), s));
    EXPECT_EQ(s.toString(), QStringLiteral("1228800,n,8,1"));
}

TEST_F(CMSCommTest, OpensAPseudoTerminalAtAnyBaudRate)
{
    EXPECT_TRUE(comm.isOpen());
    EXPECT_TRUE(CMSComm::isPseudoTerminal(pty.device()));
    EXPECT_FALSE(CMSComm::isPseudoTerminal(QStringLiteral("/dev/null")));
    EXPECT_EQ(comm.baudRate(), 1228800);
}

TEST_F(CMSCommTest, PseudoTerminalRefusingLowLatencyStillOpensWithoutAnError)
{
    // A pseudo-terminal has no serial driver to ask for low latency; the
    // port opens all the same and nothing is reported.
    EXPECT_TRUE(comm.isOpen());
    EXPECT_FALSE(comm.lowLatency());
    EXPECT_TRUE(comm.errorString().isEmpty()) << comm.errorString().toStdString();
    comm.close();
    ASSERT_TRUE(comm.open()) << comm.errorString().toStdString();
    EXPECT_TRUE(comm.errorString().isEmpty()) << comm.errorString().toStdString();
}

TEST_F(CMSCommTest, BytesSentArriveWholeAndInOrder)
{
    int drained = 0;
    QObject::connect(&comm, &CMSComm::outputDrained, [&drained] { ++drained; });
    // A frame, a flash page and more than the system takes in one go.
    const QByteArray frames[] = {QByteArray::fromHex("7F1B75FFFFEEFF"), pattern(2112), pattern(300000)};
    QByteArray all;
    for (const QByteArray &f : frames) {
        comm.output(f);
        all += f;
    }
    const QByteArray got = pty.read(all.size());
    EXPECT_EQ(got.size(), all.size());
    EXPECT_TRUE(got == all);
    EXPECT_TRUE(waitFor([&] { return drained > 0; }));
    EXPECT_EQ(comm.bytesQueued(), 0);
}

TEST_F(CMSCommTest, OneInputReturnsEveryWaitingByteAndReceivedFires)
{
    int received = 0;
    QObject::connect(&comm, &CMSComm::received, [&received] { ++received; });
    ASSERT_TRUE(pty.write(QByteArray::fromHex("33")));
    ASSERT_TRUE(waitFor([&] { return received > 0; })) << "no event for a single byte";
    EXPECT_EQ(comm.input(), QByteArray::fromHex("33"));

    ASSERT_TRUE(pty.write(QByteArray::fromHex("0000030000006400")));
    ASSERT_TRUE(pty.write(QByteArray::fromHex("6400")));
    ASSERT_TRUE(pty.write(QByteArray::fromHex("FFFFEEFF")));
    ASSERT_TRUE(waitFor([&] { return comm.bytesWaiting() == 14; }));
    EXPECT_EQ(comm.input(), QByteArray::fromHex("00000300000064006400FFFFEEFF"));
    EXPECT_EQ(comm.input(), QByteArray());
}

TEST_F(CMSCommTest, DiscardInputDropsUnreadBytesOnly)
{
    ASSERT_TRUE(pty.write(QByteArray::fromHex("555555")));
    ASSERT_TRUE(waitFor([&] { return comm.bytesWaiting() == 3; }));
    comm.discardInput();
    EXPECT_EQ(comm.input(), QByteArray());
    ASSERT_TRUE(pty.write(QByteArray::fromHex("33")));
    ASSERT_TRUE(waitFor([&] { return comm.bytesWaiting() > 0; }));
    EXPECT_EQ(comm.input(), QByteArray::fromHex("33"));
}

TEST_F(CMSCommTest, DiscardOutputRightAfterAFrameStillSendsTheFrame)
{
    // The last registry packet followed at once by a discard of both buffers.
    const QByteArray last(576, '\xFF');
    comm.output(last);
    comm.discardOutput();
    comm.discardInput();
    EXPECT_EQ(pty.read(last.size()), last);
}

TEST_F(CMSCommTest, DiscardOutputDropsOnlyBytesStillQueued)
{
    // Far more than the pseudo-terminal holds while nobody reads it.
    const QByteArray big = pattern(4 << 20);
    comm.output(big);
    const qint64 queued = comm.bytesQueued();
    ASSERT_GT(queued, 0);
    comm.discardOutput();
    EXPECT_EQ(comm.bytesQueued(), 0);
    const qsizetype handedOver = big.size() - qsizetype(queued);
    const QByteArray got = pty.read(handedOver);
    EXPECT_EQ(got.size(), handedOver);
    EXPECT_TRUE(got == big.left(handedOver)) << "what went out is not the start of what was sent";
    // The line still works afterwards.
    comm.output(QByteArray::fromHex("AA"));
    EXPECT_EQ(pty.read(1), QByteArray::fromHex("AA"));
}

TEST_F(CMSCommTest, ClosedPortSendsAndReceivesNothingAndReopens)
{
    comm.close();
    EXPECT_FALSE(comm.isOpen());
    comm.output(QByteArray::fromHex("AA"));
    EXPECT_EQ(comm.input(), QByteArray());
    EXPECT_EQ(pty.readNow(), QByteArray());
    ASSERT_TRUE(comm.open()) << comm.errorString().toStdString();
    comm.output(QByteArray::fromHex("AA"));
    EXPECT_EQ(pty.read(1), QByteArray::fromHex("AA"));
}

TEST_F(CMSCommTest, PortHeldByAnotherOpenerCannotBeOpenedAgain)
{
    CMSComm second;
    second.setDevice(pty.device());
    EXPECT_FALSE(second.open());
    EXPECT_FALSE(second.isOpen());
    EXPECT_TRUE(second.errorString().contains(pty.device())) << second.errorString().toStdString();
    EXPECT_TRUE(second.errorString().contains(QLatin1String("in use")))
        << second.errorString().toStdString();
    // The first opener is not disturbed.
    comm.output(QByteArray::fromHex("AA"));
    EXPECT_EQ(pty.read(1), QByteArray::fromHex("AA"));
}

TEST(CMSCommOpenTest, MissingOrUnsetDeviceFailsWithAMessage)
{
    h5test::ensureApp();
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("ttyUSB9"));
    CMSComm comm;
    comm.setDevice(missing);
    EXPECT_FALSE(comm.open());
    EXPECT_FALSE(comm.isOpen());
    EXPECT_TRUE(comm.errorString().contains(missing)) << comm.errorString().toStdString();

    CMSComm unset;
    EXPECT_FALSE(unset.open());
    EXPECT_FALSE(unset.errorString().isEmpty());
}

TEST(CMSCommOpenTest, OtherEndGoingAwayIsReported)
{
    H5_UNIX_ONLY("pseudo-terminal");
    h5test::ensureApp();
    auto pty = std::make_unique<PtyPair>();
    CMSComm comm;
    comm.setDevice(pty->device());
    ASSERT_TRUE(comm.open()) << comm.errorString().toStdString();
    int failed = 0;
    QObject::connect(&comm, &CMSComm::lineError, [&failed] { ++failed; });
    pty.reset(); // the master closes: the line hangs up
    comm.output(QByteArray::fromHex("AA"));
    EXPECT_TRUE(waitFor([&] { return failed > 0; }));
}

TEST(PortListTest, KeepsUsableDevicesInFamilyAndNumberOrderUpToTen)
{
    const QStringList candidates = {
        "/dev/ttyS10", "/dev/ttyS2", "/dev/ttyUSB1", "/dev/ttyS0", "/dev/ttyACM0",
        "/dev/ttyUSB0", "/dev/ttyS2", "/dev/ttyAMA0", "/dev/ttyS1", "/dev/ttyS3",
        "/dev/ttyS4", "/dev/ttyS5", "/dev/ttyS6", "/dev/ttyS7",
    };
    const auto all = [](const QString &) { return true; };
    EXPECT_EQ(selectPorts(candidates, all).join(' ').toStdString(),
              "/dev/ttyUSB0 /dev/ttyUSB1 /dev/ttyACM0 /dev/ttyAMA0 /dev/ttyS0 /dev/ttyS1 "
              "/dev/ttyS2 /dev/ttyS3 /dev/ttyS4 /dev/ttyS5");

    // Devices that cannot be opened are skipped and do not use up places.
    const auto noUsb = [](const QString &p) { return !p.contains(QLatin1String("USB")); };
    EXPECT_EQ(selectPorts(candidates, noUsb, 4).join(' ').toStdString(),
              "/dev/ttyACM0 /dev/ttyAMA0 /dev/ttyS0 /dev/ttyS1");
    EXPECT_EQ(selectPorts({}, all), QStringList());

    // Windows names its ports COM1, COM2, ...: in number order too.
    EXPECT_EQ(selectPorts({"COM10", "COM3", "COM1", "COM2"}, all).join(' ').toStdString(),
              "COM1 COM2 COM3 COM10");
}

TEST(PortListTest, MachinePortListHoldsAtMostTenOpenableDevices)
{
    const QStringList ports = detectPorts();
    EXPECT_LE(ports.size(), 10);
    for (const QString &p : ports) {
#ifdef Q_OS_WIN
        // The names the user knows from the device manager, not the
        // system's \\.\COMn paths.
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^COM[0-9]+$")).match(p).hasMatch()) << p.toStdString();
#else
        EXPECT_TRUE(QFile::exists(p)) << p.toStdString();
#endif
    }
}

// h5800-sim's screen end to end: frames written to its pseudo-terminal are
// drawn, --screenshot follows the screen and the control line "screenshot
// PATH" writes it on demand; the PNG's pixels are compared with pixels
// computed here from the frames. Bad --size and --screenshot values are
// refused at start with one line naming the fault.

#include "support/SimProcess.h"
#include "support/TestUtil.h"
#include "support/UnixOnly.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <iterator>
#include <memory>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#endif

using h5test::Blob;
using h5test::hex;

namespace {

QByteArray frame(int command, const QByteArray &params)
{
    return QByteArray(1, '\x1B') + char(command) + params + hex("FF FF EE FF");
}

QRgb widened(uint16_t c)
{
    const int r = c >> 11, g = (c >> 5) & 0x3F, b = c & 0x1F;
    return qRgb((r << 3) | (r >> 2), (g << 2) | (g >> 4), (b << 3) | (b >> 2));
}

// The PC's end of the simulator's line (a pseudo-terminal: Unix only).
#ifdef Q_OS_WIN
class Port
{
public:
    explicit Port(const QString &) {}
    bool ok() const { return false; }
    bool write(const QByteArray &) { return false; }
    QByteArray read(int, int) { return {}; }
};
#else
class Port
{
public:
    explicit Port(const QString &path)
    {
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    }
    ~Port()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool ok() const { return m_fd >= 0; }
    bool write(const QByteArray &bytes)
    {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(m_fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (n <= 0)
                return false;
            done += n;
        }
        return true;
    }
    // Whatever arrives within `ms` milliseconds, up to `count` bytes.
    QByteArray read(int count, int ms)
    {
        QByteArray out;
        QDeadlineTimer deadline(ms);
        while (out.size() < count && !deadline.hasExpired()) {
            struct pollfd p = {m_fd, POLLIN, 0};
            if (::poll(&p, 1, int(std::max<qint64>(1, deadline.remainingTime()))) <= 0)
                continue;
            char buf[256];
            const ssize_t n = ::read(m_fd, buf, sizeof buf);
            if (n > 0)
                out.append(buf, qsizetype(n));
        }
        return out;
    }

private:
    int m_fd = -1;
};
#endif

// The image in `path` once it is there and `ready` accepts it (at most 20 s).
QImage awaitImage(const QString &path, const std::function<bool(const QImage &)> &ready)
{
    QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired()) {
        const QImage img(path);
        if (!img.isNull() && ready(img))
            return img;
        QThread::msleep(20);
    }
    return QImage(path);
}

} // namespace

TEST(SimScreenTest, FramesOnTheLineAreDrawnAndBothScreenshotsShowThem)
{
    H5_UNIX_ONLY("pseudo-terminal and h5800-sim");
    QTemporaryDir tmp;
    const QString autoShot = tmp.filePath("screen.png");
    h5test::SimProcess sim(tmp.path(), {"--size", "480x272", "--screenshot", autoShot}, true);
    ASSERT_TRUE(sim.ok());
    // The screenshot is there from the start: the black screen.
    const QImage first = awaitImage(autoShot, [](const QImage &) { return true; });
    ASSERT_EQ(first.size(), QSize(480, 272));
    EXPECT_EQ(first.pixel(100, 100), qRgb(0, 0, 0));

    Port port(sim.port());
    ASSERT_TRUE(port.ok());
    const uint16_t bg = 0x18E3, fg = 0xFA00, other = 0x07E0;
    // Fill, a filled rectangle, a realtime picture of 3 x 2 pixels; then
    // layer 1 gets its own fill and a copy of the rectangle from layer 0.
    QByteArray frames = frame(0x42, Blob().u16(bg).b)
                        + frame(0x41, Blob().u16(fg).u16(10).u16(20).u16(110).u16(70).b);
    ASSERT_TRUE(port.write(frames + frame(0x24, Blob().u16(200).u16(100).u16(3).u16(2).b)));
    ASSERT_EQ(port.read(1, 10000), hex("55"));
    const uint16_t rt[6] = {0x1B42, 0xAA7F, 0xFFFF, 0x0001, 0x8000, 0x1234};
    Blob pixels;
    for (uint16_t p : rt)
        pixels.u16(p);
    ASSERT_TRUE(port.write(pixels.b));
    ASSERT_TRUE(port.write(frame(0x40, hex("01")) + frame(0x42, Blob().u16(other).b)
                           + frame(0x40, hex("01")) // select: layer 0 to layer 1
                           + frame(0x28, Blob().u16(10).u16(20).u16(50).u16(10).u16(300).u16(200).b)));
    const QString asked = tmp.filePath("asked.png");
    ASSERT_TRUE(sim.control("screenshot " + QFile::encodeName(asked) + "\n"));

    // Layer 1 is shown: its fill and the copied part of the rectangle.
    const auto expected = [&](int x, int y) -> QRgb {
        if (x >= 300 && x < 350 && y >= 200 && y < 210)
            return widened(fg);
        return widened(other);
    };
    const QImage shot = awaitImage(asked, [](const QImage &) { return true; });
    ASSERT_EQ(shot.size(), QSize(480, 272));
    int wrong = 0;
    for (int y = 0; y < 272; ++y) {
        for (int x = 0; x < 480; ++x) {
            if (shot.pixel(x, y) != expected(x, y) && wrong++ < 5) {
                ADD_FAILURE() << "pixel (" << x << ", " << y << ")";
            }
        }
    }
    EXPECT_EQ(wrong, 0);
    // The --screenshot file comes to the same.
    const QImage followed = awaitImage(autoShot, [&](const QImage &img) { return img == shot; });
    EXPECT_TRUE(followed == shot);

    // Back to layer 0: the rectangle and the realtime picture on the fill.
    ASSERT_TRUE(port.write(frame(0x40, hex("00"))));
    const QString asked0 = tmp.filePath("asked0.png");
    ASSERT_TRUE(sim.control("screenshot " + QFile::encodeName(asked0) + "\n"));
    const QImage shot0 = awaitImage(asked0, [](const QImage &) { return true; });
    ASSERT_EQ(shot0.size(), QSize(480, 272));
    wrong = 0;
    for (int y = 0; y < 272; ++y) {
        for (int x = 0; x < 480; ++x) {
            QRgb want = widened(bg);
            if (x >= 10 && x < 110 && y >= 20 && y < 70)
                want = widened(fg);
            if (x >= 200 && x < 203 && y >= 100 && y < 102)
                want = widened(rt[(y - 100) * 3 + (x - 200)]);
            if (shot0.pixel(x, y) != want && wrong++ < 5) {
                ADD_FAILURE() << "layer 0 pixel (" << x << ", " << y << ")";
            }
        }
    }
    EXPECT_EQ(wrong, 0);

    // A screenshot that cannot be written is told and the simulator goes on.
    ASSERT_TRUE(sim.control("screenshot " + QFile::encodeName(tmp.filePath("no/such/dir.png")) + "\n"));
    ASSERT_TRUE(port.write(hex("AA")));
    EXPECT_EQ(port.read(1, 10000), hex("33"));
}

TEST(SimScreenTest, ScreenshotLagsOneCommandBehindTheFramesWrittenBeforeIt)
{
    H5_UNIX_ONLY("pseudo-terminal and h5800-sim");
    // Four fills, each followed by a screenshot line. One after another
    // (each screenshot awaited before the next fill, as a user types them)
    // every screenshot shows its own fill; back to back it may already show
    // a later one, never an earlier one. The PC either holds the port open
    // or opens it for each frame, as `h5800 live` does.
    const struct
    {
        const char *mode;
        bool heldOpen;
        bool oneAfterAnother;
    } modes[] = {
        {"held open, one after another", true, true},
        {"opened per frame, one after another", false, true},
        {"held open, back to back", true, false},
        {"opened per frame, back to back", false, false},
    };
    const uint16_t fills[] = {0xF800, 0x07E0, 0x001F, 0xFFE0};
    const int count = int(std::size(fills));
    for (const auto &m : modes) {
        SCOPED_TRACE(m.mode);
        QTemporaryDir tmp;
        h5test::SimProcess sim(tmp.path(), {"--size", "320x240"}, true);
        ASSERT_TRUE(sim.ok());
        std::unique_ptr<Port> held;
        if (m.heldOpen) {
            held = std::make_unique<Port>(sim.port());
            ASSERT_TRUE(held->ok());
        }
        const auto shotPath = [&](int i) { return tmp.filePath(QStringLiteral("shot%1.png").arg(i)); };
        for (int i = 0; i < count; ++i) {
            const QByteArray fill = frame(0x42, Blob().u16(fills[i]).b);
            if (held) {
                ASSERT_TRUE(held->write(fill));
            } else {
                Port once(sim.port());
                ASSERT_TRUE(once.ok());
                ASSERT_TRUE(once.write(fill));
            }
            ASSERT_TRUE(sim.control("screenshot " + QFile::encodeName(shotPath(i)) + "\n"));
            if (m.oneAfterAnother) {
                ASSERT_FALSE(awaitImage(shotPath(i), [](const QImage &) { return true; }).isNull());
            }
        }
        for (int i = 0; i < count; ++i) {
            SCOPED_TRACE(i);
            const QImage shot = awaitImage(shotPath(i), [](const QImage &) { return true; });
            ASSERT_EQ(shot.size(), QSize(320, 240));
            int shown = -1; // the fill on the screenshot; -1 the black screen
            for (int k = 0; k < count; ++k) {
                if (shot.pixel(160, 120) == widened(fills[k]))
                    shown = k;
            }
            if (m.oneAfterAnother)
                EXPECT_EQ(shown, i);
            else
                EXPECT_GE(shown, i);
        }
    }
}

TEST(SimScreenTest, WindowKeepsItsBrightnessWhenTheBacklightChanges)
{
    H5_UNIX_ONLY("pseudo-terminal and h5800-sim");
    QTemporaryDir tmp;
    h5test::SimProcess sim(tmp.path(), {"--size", "320x240", "--window"}, true);
    ASSERT_TRUE(sim.ok());
    Port port(sim.port());
    ASSERT_TRUE(port.ok());
    ASSERT_TRUE(port.write(frame(0x42, Blob().u16(0xFFFF).b))); // white
    // The window's picture after each backlight frame: 63 full brightness,
    // 0 dark, between them dimmed.
    const struct
    {
        const char *level;
        int least, most; // grey level of a white pixel in the window
    } levels[] = {
        {"3F", 255, 255},
        {"20", 100, 160},
        {"00", 0, 0},
        {"3F", 255, 255},
        {"10", 40, 100},
    };
    int n = 0;
    for (const auto &l : levels) {
        SCOPED_TRACE(l.level);
        ASSERT_TRUE(port.write(frame(0x64, hex(l.level))));
        const QString path = tmp.filePath(QStringLiteral("window%1.png").arg(n++));
        ASSERT_TRUE(sim.control("windowshot " + QFile::encodeName(path) + "\n"));
        const QImage shot = awaitImage(path, [](const QImage &) { return true; });
        ASSERT_EQ(shot.size(), QSize(320, 240));
        const QColor c = shot.pixelColor(160, 120);
        EXPECT_EQ(c.red(), c.blue());
        EXPECT_GE(c.red(), l.least);
        EXPECT_LE(c.red(), l.most);
    }

    // Without --window there is no window to take: told, nothing written,
    // and the simulator goes on.
    QTemporaryDir other;
    h5test::SimProcess plain(other.path(), {"--size", "320x240"}, true);
    ASSERT_TRUE(plain.ok());
    ASSERT_TRUE(plain.control("windowshot " + QFile::encodeName(other.filePath("w.png")) + "\n"));
    Port line(plain.port());
    ASSERT_TRUE(line.ok());
    ASSERT_TRUE(line.write(hex("AA")));
    EXPECT_EQ(line.read(1, 10000), hex("33"));
    plain.stop();
    EXPECT_TRUE(plain.process().readAllStandardError().contains("windowshot needs --window"));
    EXPECT_FALSE(QFile::exists(other.filePath("w.png")));
}

TEST(SimScreenTest, BadSizeOrScreenshotPathIsRefusedAtStartWithOneLine)
{
    H5_UNIX_ONLY("pseudo-terminal and h5800-sim");
    QTemporaryDir tmp;
    const struct
    {
        QStringList args;
        const char *named;
    } cases[] = {
        {{"--size", "801x480"}, "801x480"},
        {{"--size", "800"}, "800"},
        {{"--size", "480x800x2"}, "480x800x2"},
        {{"--screenshot", tmp.filePath("missing/screen.png")}, "screen.png"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        QProcess p;
        p.start(QStringLiteral(H5_SIM_PATH), c.args);
        ASSERT_TRUE(p.waitForFinished(20000));
        EXPECT_EQ(p.exitCode(), 2);
        const QByteArray err = p.readAllStandardError();
        EXPECT_EQ(err.count('\n'), 1) << err.toStdString();
        EXPECT_TRUE(err.contains(c.named)) << err.toStdString();
        EXPECT_TRUE(p.readAllStandardOutput().isEmpty());
    }
    EXPECT_FALSE(QFile::exists(tmp.filePath("missing")));
}

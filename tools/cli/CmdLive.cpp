// The debug window's live commands from the command line (h5800 live) and
// the font page's "保存列表" (h5800 fonts wzk). Frames come from the same
// builders the window uses (link/LiveCommands.h). A live command is sent as
// the window sends it: no handshake; the port is opened, the bytes are
// written, and the port is closed once the output has drained. The
// realtime picture and a hex file of more than 3000 bytes run on the
// window's DebugSession (the header waits for 'U', bytes go in 3000-byte
// chunks). A refused command says why and never opens the port.

#include "Cli.h"

#include "common/FileIo.h"
#include "link/DebugSession.h"
#include "link/LiveCommands.h"
#include "pictures/PictureConvert.h"
#include "port/PortLine.h"
#include "port/LineDriver.h"
#include "project/Encoding.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <algorithm>
#include <iterator>
#include <limits>

using namespace h5cli;

namespace {

// The hex page's text box takes at most this many characters.
constexpr int kMaxHexText = 1500;

// The window's initial drawing state.
const uint16_t kWhite565 = 0xFFFF;
const uint16_t kBlue565 = 0x001F;

int number(const QString &text, const QString &what)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok)
        throw UsageError{QStringLiteral("%1 %2 is not a whole number").arg(what, text)};
    return v;
}


int numberOption(QStringList &args, const QString &name, int fallback)
{
    const QString text = takeOption(args, name, true);
    return text.isNull() ? fallback : number(text, "--" + name);
}

// "#RRGGBB" (the '#' may be left out) as the terminal colour.
uint16_t colourOption(QStringList &args, const QString &name, uint16_t fallback)
{
    const QString text = takeOption(args, name);
    if (text.isNull())
        return fallback;
    static const QRegularExpression form(QStringLiteral("^#?([0-9A-Fa-f]{2})([0-9A-Fa-f]{2})([0-9A-Fa-f]{2})$"));
    const auto m = form.match(text);
    if (!m.hasMatch())
        throw UsageError{QStringLiteral("--%1 %2 is not a colour #RRGGBB").arg(name, text)};
    const int r = m.captured(1).toInt(nullptr, 16);
    const int g = m.captured(2).toInt(nullptr, 16);
    const int b = m.captured(3).toInt(nullptr, 16);
    return h5::colour565(h5::RGB(r, g, b));
}

// "800X480" or "800x480": its index in the resolution boxes.
int resolutionOption(QStringList &args)
{
    const QString text = takeOption(args, "resolution");
    if (text.isNull())
        throw UsageError{QStringLiteral("--resolution WxH is required")};
    static const QRegularExpression form(QStringLiteral("^(\\d{1,5})[xX](\\d{1,5})$"));
    const auto m = form.match(text);
    const int index = m.hasMatch() ? h5::liveResolutionIndex(m.captured(1).toInt(), m.captured(2).toInt()) : -1;
    if (index < 0) {
        QStringList names;
        for (const h5::TerminalResolution &r : h5::terminalResolutions())
            names << QString::fromLatin1(r.name);
        throw UsageError{QStringLiteral("--resolution %1 is none of %2").arg(text, names.join(' '))};
    }
    return index;
}

// ---- sending ----

// How long the bytes may take to leave the port: their time on the line
// at `baud` (ten bits a byte) and 5 s more. A terminal that takes nothing
// (it does not read, or its flow control holds the line) ends the command
// then, instead of leaving it waiting for ever.
constexpr qint64 kDrainSlackMs = 5000;
qint64 drainTimeMs(qint64 bytes, int baud)
{
    return bytes * 10 * 1000 / qMax(baud, 1) + kDrainSlackMs;
}

QString drainTimeOut(qint64 ms)
{
    return QStringLiteral("the terminal did not take the bytes within %1 s; not every byte was sent")
        .arg(double(ms) / 1000.0, 0, 'f', 1);
}

// Opens the port, writes `bytes` in one piece, waits until the output has
// drained and closes the port.
int writeFrames(const PortOptions &port, const QByteArray &bytes)
{
    h5::PortLine comm;
    if (!openPort(comm, port))
        return ExitBadInput;
    QString lost;
    QObject::connect(&comm, &h5::PortLine::lineError, [&](const QString &text) { lost = text; });
    comm.discardInput();
    comm.output(bytes);
    const qint64 waitMs = drainTimeMs(bytes.size(), port.baud);
    const bool drained = runUntil(
        comm, [&] { return !lost.isEmpty() || !comm.isOpen() || comm.bytesQueued() == 0; }, waitMs);
    // What the system holds goes out before the port closes.
    const bool ok = drained && lost.isEmpty() && comm.isOpen() && comm.bytesQueued() == 0 && comm.waitSent();
    comm.close();
    if (!ok) {
        err() << "h5800: " << port.device << ": " << (lost.isEmpty() ? drainTimeOut(waitMs) : lost)
              << Qt::endl;
        return ExitBadInput;
    }
    return ExitOk;
}

// The debug window's session for the transfers that need it: status texts
// go to stderr, and the run ends when the last bytes are out or the
// transfer failed.
class LiveCliHost : public h5::LineDriver
{
public:
    explicit LiveCliHost(h5::PortLine &comm) : LineDriver(comm) {}

    void status(const QString &text) override
    {
        if (text != m_last)
            err() << text << Qt::endl;
        m_last = text;
        if (text == QStringLiteral("下载完毕") || text == QStringLiteral("下载：100%"))
            m_sent = true;
        else if (text != QStringLiteral("开始下载...") && text != QStringLiteral("正在下载...")
                 && !text.startsWith(QStringLiteral("下载：")))
            m_failed = true; // "串口连接错误3!", "连接超时!"
    }
    void message(const QString &text) override { err() << text << Qt::endl; }
    bool ask(const QString &text) override
    {
        err() << text << " -> no" << Qt::endl;
        return false;
    }
    void closePort() override { m_failed = true; }

    bool sent() const { return m_sent; }
    bool failed() const { return m_failed; }

protected:
    void lineLost(const QString &text) override
    {
        // A line that goes away can fail the read and the write one after
        // the other; the user is told once.
        if (!m_lost)
            err() << "h5800: " << comm().device() << ": " << text << Qt::endl;
        m_lost = true;
        m_failed = true;
    }

private:
    QString m_last;
    bool m_sent = false;
    bool m_failed = false;
    bool m_lost = false;
};

// Opens the port for the session without a handshake (the window's
// commands do not wait for one), runs `start` and the loop until the last
// bytes have drained or the transfer failed, then closes the port. The
// bytes get their drain time (drainTimeMs) and `answerMs` more for the
// terminal's answers.
template <class Start>
int runSession(const PortOptions &port, qint64 bytes, qint64 answerMs, Start start)
{
    h5::PortLine comm;
    if (!openPort(comm, port))
        return ExitBadInput;
    LiveCliHost host(comm);
    h5::DebugSession session(host);
    host.attach(session);
    session.portOpened();
    host.stopTimer(h5::DebugSession::kProbeTimer); // no handshake
    const bool started = start(session);
    const qint64 waitMs = drainTimeMs(bytes, port.baud) + answerMs;
    bool ok = started
              && runUntil(comm, [&] { return host.failed() || (host.sent() && comm.bytesQueued() == 0); },
                          waitMs);
    ok = ok && !host.failed() && comm.waitSent();
    if (started && !ok && !host.failed())
        err() << "h5800: " << port.device << ": " << drainTimeOut(waitMs) << Qt::endl;
    host.detach();
    session.portClosed();
    comm.close();
    return ok ? ExitOk : ExitBadInput;
}

// ---- the commands ----

// Says why a command is refused; nothing is sent.
int refuse(const QString &what, const QString &why)
{
    err() << "h5800 live " << what << ": " << why << Qt::endl;
    return ExitBadInput;
}

QPoint pointArgs(const QStringList &args, int at)
{
    return QPoint(number(args[at], "X"), number(args[at + 1], "Y"));
}

int liveHex(const PortOptions &port, QStringList &args)
{
    const QString file = takeOption(args, "file");
    QByteArray bytes;
    QString why;
    if (!file.isNull()) {
        expectPositional(args, 0, "live hex --file");
        QByteArray text;
        if (!h5::readWholeFile(file, text, &why))
            return badInput(file, why);
        if (!h5::decodeHexText(text, bytes, &why))
            return badInput(file, why);
        if (bytes.isEmpty())
            return badInput(file, QStringLiteral("no hex byte in the file, nothing sent"));
        if (bytes.size() > h5::DebugSession::kChunkBytes) {
            return runSession(port, bytes.size(), 0, [&bytes](h5::DebugSession &s) {
                return s.sendChunked(bytes, h5::LinkState::BulkSend);
            });
        }
        return writeFrames(port, bytes);
    }
    expectPositional(args, 1, "live hex");
    const QString text = args[0];
    if (text.size() > kMaxHexText)
        return refuse("hex", QStringLiteral("指令过长！"));
    // Characters beyond ASCII are never digits; each stands as one byte so
    // a lone digit's position counts characters.
    QByteArray ascii;
    ascii.reserve(text.size());
    for (const QChar c : text)
        ascii.append(c.unicode() < 0x80 ? char(c.unicode()) : ' ');
    if (!h5::decodeHexText(ascii, bytes, &why))
        return refuse("hex", why);
    if (bytes.isEmpty())
        return refuse("hex", QStringLiteral("no hex byte in the text, nothing sent"));
    return writeFrames(port, bytes);
}

int liveShowImage(const PortOptions &port, QStringList &args)
{
    const int x = numberOption(args, "x", 0);
    const int y = numberOption(args, "y", 0);
    expectPositional(args, 1, "live show-image");
    const QString path = args[0];
    int w = 0, h = 0;
    if (!h5::measurePicture(path, w, h))
        return badInput(path, QStringLiteral("无法打开图片"));
    QByteArray pixels;
    QString why;
    const h5::ConvertResult r = h5::convertPictureFile(path, w, h, pixels, &why);
    if (r == h5::ConvertResult::CannotOpen)
        return badInput(path, QStringLiteral("无法打开图片"));
    if (r != h5::ConvertResult::Ok || w <= 0 || h <= 0)
        return badInput(path, QStringLiteral("渲染图象失败！") + (why.isEmpty() ? QString() : " " + why));
    const QByteArray header = h5::realtimePictureHeader(x, y, w, h);
    // The header's answer comes within the session's 5 s time-out.
    return runSession(port, header.size() + pixels.size(), h5::DebugSession::kReplyTimeout,
                      [&](h5::DebugSession &s) { return s.sendRealtimePicture(header, pixels); });
}

int live(const QStringList &argsIn)
{
    QStringList args = argsIn;
    const PortOptions port = takePortOptions(args);
    if (args.isEmpty() || args[0].startsWith("--"))
        throw UsageError{QStringLiteral("name a live command")};
    const QString command = args.takeFirst();
    const QString name = "live " + command;

    if (command == "hex")
        return liveHex(port, args);
    if (command == "show-image")
        return liveShowImage(port, args);

    h5::LiveFrame frame;
    if (command == "picture" || command == "page") {
        expectPositional(args, 1, name);
        const int n = number(args[0], "N");
        frame.bytes = command == "picture" ? h5::pictureSwitchFrame(n) : h5::pageSwitchFrame(n);
    } else if (command == "clear") {
        const uint16_t bg = colourOption(args, "bg", kBlue565);
        expectPositional(args, 0, name);
        frame.bytes = h5::clearScreenFrame(bg);
    } else if (command == "backlight") {
        expectPositional(args, 1, name);
        const int level = number(args[0], "LEVEL");
        if (level < 0 || level > 63)
            throw UsageError{QStringLiteral("LEVEL %1 is not a backlight level 0..63").arg(level)};
        frame.bytes = h5::backlightFrame(level);
    } else if (command == "layer") {
        const int res = resolutionOption(args);
        expectPositional(args, 1, name);
        const int layer = number(args[0], "N");
        frame.refusal = h5::layerSwitchRefusal(res, layer);
        if (frame.refusal.isEmpty())
            frame.bytes = h5::layerSwitchFrame(layer);
    } else if (command == "calibrate") {
        expectPositional(args, 0, name);
        frame.bytes = h5::calibrationFrame();
    } else if (command == "point") {
        const uint16_t fg = colourOption(args, "color", kWhite565);
        expectPositional(args, 2, name);
        // The end point boxes start at 0, 0; the point frame carries them.
        frame = h5::shapeFrame(h5::LiveShape::Point, fg, pointArgs(args, 0), QPoint(0, 0));
    } else if (command == "line" || command == "rect" || command == "fill-rect" || command == "ellipse"
               || command == "fill-ellipse") {
        const uint16_t fg = colourOption(args, "color", kWhite565);
        expectPositional(args, 4, name);
        const h5::LiveShape shape = command == "line"        ? h5::LiveShape::Line
                                    : command == "rect"      ? h5::LiveShape::HollowRect
                                    : command == "fill-rect" ? h5::LiveShape::FilledRect
                                    : command == "ellipse"   ? h5::LiveShape::HollowEllipse
                                                             : h5::LiveShape::FilledEllipse;
        frame = h5::shapeFrame(shape, fg, pointArgs(args, 0), pointArgs(args, 2));
    } else if (command == "circle" || command == "fill-circle") {
        const uint16_t fg = colourOption(args, "color", kWhite565);
        expectPositional(args, 3, name);
        const QPoint centre = pointArgs(args, 0);
        const int r = number(args[2], "R");
        if (r < 0 || qint64(centre.x()) + r > std::numeric_limits<int>::max())
            throw UsageError{QStringLiteral("R %1 is not a radius").arg(r)};
        // The window takes the radius from the end point; one at the
        // radius to the right of the centre gives exactly R.
        frame = h5::shapeFrame(command == "circle" ? h5::LiveShape::HollowCircle : h5::LiveShape::FilledCircle,
                               fg, centre, QPoint(centre.x() + r, centre.y()));
    } else if (command == "text") {
        h5::LiveTextStyle style;
        style.colour565 = colourOption(args, "color", kWhite565);
        style.background565 = colourOption(args, "text-bg", kBlue565);
        style.columnSpacing = numberOption(args, "colsp", 0);
        style.rowSpacing = numberOption(args, "rowsp", 0);
        style.mode = numberOption(args, "mode", 0);
        if (style.mode != 0 && style.mode != 1)
            throw UsageError{QStringLiteral("--mode %1 is not 0 or 1").arg(style.mode)};
        const int size = numberOption(args, "size", 16);
        const QString face = takeOption(args, "face");
        const int sizes[] = {8, 16, 24, 32, 48, 64};
        style.sizeIndex = int(std::find(std::begin(sizes), std::end(sizes), size) - std::begin(sizes));
        const QStringList faces = h5::faceNames();
        style.faceIndex = face.isNull() ? 0 : int(faces.indexOf(face));
        if (h5::liveFontCode(style.sizeIndex, style.faceIndex) < 0) {
            QStringList names;
            for (int s = 0; s < 6; ++s)
                for (int f = 0; f < 4; ++f)
                    if (!h5::liveFontName(s, f).isEmpty())
                        names << h5::liveFontName(s, f);
            throw UsageError{QStringLiteral("no font --size %1 --face %2; the fonts are %3")
                                 .arg(size)
                                 .arg(face.isNull() ? faces[0] : face, names.join(", "))};
        }
        expectPositional(args, 3, name);
        frame = h5::textFrame(style, pointArgs(args, 0), args[2]);
    } else if (command == "touch-mode") {
        const bool breakCode = takeFlag(args, "break-code");
        const QString intervalText = takeOption(args, "interval");
        expectPositional(args, 1, name);
        const bool continuous = args[0] == "continuous";
        if (!continuous && args[0] != "single")
            throw UsageError{QStringLiteral("touch-mode %1 is neither single nor continuous").arg(args[0])};
        const int mode = (continuous ? 2 : 0) + (breakCode ? 1 : 0);
        frame.bytes = h5::touchModeFrame(mode);
        if (continuous) {
            int interval = 1;
            if (!intervalText.isNull()) {
                bool ok = false;
                const qlonglong v = intervalText.toLongLong(&ok);
                if (!ok || v < 1 || v > 65535)
                    return refuse("touch-mode", QStringLiteral("请填入一个在1和65535之间的整数。"));
                interval = int(v);
            }
            frame.bytes += h5::touchIntervalFrame(interval);
        } else if (!intervalText.isNull()) {
            throw UsageError{QStringLiteral("--interval belongs to touch-mode continuous")};
        }
    } else if (command == "copy") {
        const int res = resolutionOption(args);
        const int from = numberOption(args, "from-layer", 0);
        const int to = numberOption(args, "to-layer", 0);
        expectPositional(args, 6, name);
        int v[6];
        const char *names[6] = {"SX", "SY", "W", "H", "DX", "DY"};
        for (int i = 0; i < 6; ++i)
            v[i] = number(args[i], QLatin1String(names[i]));
        // The copy page's layer boxes hold the resolution's layers only.
        const int layers = h5::terminalResolutions()[size_t(res)].layers;
        for (const int layer : {from, to}) {
            if (layer < 0 || layer >= layers) {
                const QString why = layers == 4   ? QStringLiteral("此分辨率为四层叠加")
                                    : layers == 2 ? QStringLiteral("此分辨率为两层叠加")
                                                  : QStringLiteral("layer %1: %2 has one layer only")
                                                        .arg(layer)
                                                        .arg(QLatin1String(h5::terminalResolutions()[size_t(res)].name));
                return refuse("copy", why);
            }
        }
        frame.bytes = h5::layerCopyCommand(res, from, to, v[0], v[1], v[2], v[3], v[4], v[5]);
    } else {
        throw UsageError{QStringLiteral("no live command '%1'").arg(command)};
    }

    if (!frame.refusal.isEmpty())
        return refuse(command, frame.refusal);
    if (!frame.sent()) {
        err() << "h5800 live " << command << ": nothing to draw (zero width, height or radius), nothing sent"
              << Qt::endl;
        return ExitOk;
    }
    return writeFrames(port, frame.bytes);
}

int fontsWzk(const QStringList &argsIn)
{
    QStringList args = argsIn;
    const QString firstText = takeOption(args, "first");
    for (const QString &a : args) {
        if (a.startsWith("--"))
            throw UsageError{QStringLiteral("unknown option %1 for fonts wzk").arg(a)};
    }
    if (args.size() < 2)
        throw UsageError{QStringLiteral("fonts wzk takes OUT.wzk and at least one FONT.txt")};
    const QString outPath = args.takeFirst();
    // Numbers and sizes by the font page's own rules, before any file is
    // read whole.
    std::vector<h5::DebugFont> fonts;
    if (!fontList(firstText, args, fonts))
        return ExitBadInput;
    QByteArray bytes;
    QString error;
    if (!h5::fontDownloadBytes(fonts, bytes, &error)) {
        err() << "h5800: " << error << Qt::endl;
        return ExitBadInput;
    }
    if (!h5::writeFileAtomically(outPath, bytes, &error))
        return badInput(outPath, QStringLiteral("cannot write: %1").arg(error));
    return ExitOk;
}

Registrar regLive{{
    "live",
    "send one of the online debug window's live commands to a terminal",
    "usage: h5800 live --port DEVICE [--baud RATE] COMMAND ARGS\n\n"
    "Sends one command frame as the online debug window does: no handshake; the\n"
    "port is opened (RATE default 1228800), the bytes are written, and the port is\n"
    "closed once they have drained. Nothing is read back.\n"
    "Time-out: the bytes may take as long as they need on the line at RATE (ten\n"
    "bits a byte) and 5 s more to leave the port, show-image another 5 s for the\n"
    "terminal's 'U'. A terminal that takes nothing (it does not read, or its flow\n"
    "control holds the line) so ends the command with exit status 1 instead of\n"
    "leaving it waiting: after about 5 s for a frame, longer for a long hex file\n"
    "(1 MiB of bytes takes 8.5 s on the line at 1228800, so 13.5 s).\n\n"
    "commands:\n"
    "  picture N                      show stored picture N at (0, 0) (1B 29)\n"
    "  page N                         switch to page N (1B 50)\n"
    "  clear [--bg COLOUR]            fill the screen with the background colour (1B 42)\n"
    "  backlight LEVEL                backlight 0..63 (1B 64)\n"
    "  layer N --resolution WxH       switch to layer N (1B 40)\n"
    "  calibrate                      touch panel calibration (1B 38)\n"
    "  point X Y                      one point (1B 47; its end point fields are 0 0)\n"
    "  line|rect|fill-rect|ellipse|fill-ellipse X1 Y1 X2 Y2\n"
    "                                 the shape between the two points (1B 46 5A 41 49 4A)\n"
    "  circle|fill-circle X Y R       circle of radius R around (X, Y) (1B 59 4F)\n"
    "  text X Y TEXT [--size 16] [--face 宋体] [--mode 0|1] [--colsp N] [--rowsp N]\n"
    "                                 TEXT in GBK at (X, Y) (1B 23); sizes 8 16 24 32 48 64,\n"
    "                                 faces 宋体 仿宋 黑体 楷体 (8: 宋体; 48, 64: 宋体 黑体)\n"
    "  touch-mode single|continuous [--break-code] [--interval N]\n"
    "                                 touch mode (1B 20), for continuous followed by the\n"
    "                                 interval in 20 ms units, 1..65535, default 1 (1B 21)\n"
    "  copy --resolution WxH --from-layer A --to-layer B SX SY W H DX DY\n"
    "                                 layer copy (1B 28), after the layer select (1B 40)\n"
    "                                 on resolutions with more than one layer\n"
    "  hex TEXT | hex --file FILE.txt bytes as hex digit pairs; blanks and other\n"
    "                                 characters between pairs are skipped; a file of\n"
    "                                 more than 3000 bytes goes in 3000-byte chunks\n"
    "  show-image IMAGE [--x X] [--y Y]\n"
    "                                 realtime picture: the header (1B 24), then after\n"
    "                                 the terminal's 'U' (5 s at most) the pixels in\n"
    "                                 3000-byte chunks\n\n"
    "Colours are #RRGGBB: --color is the foreground (the text colour for text),\n"
    "--bg the background of clear, --text-bg the text background. Left out, every\n"
    "option takes the window's initial value: white foreground and text, blue\n"
    "background and text background, 16-dot 宋体, mode 0, spacing 0, layers 0.\n"
    "Resolutions: 320X240 480X272 640X480 800X480 800X600 1024X768 272X480 240X320\n"
    "480X640 480X800 600X800 768X1024.\n\n"
    "Refused, with exit status 1 and the port left unopened: a rectangle or\n"
    "ellipse with the end before the start (坐标设置错误。), a text of 256 GBK bytes\n"
    "or more (文本过长。) or with a character GBK lacks, a layer above the\n"
    "resolution's (此分辨率为四层叠加, 此分辨率为两层叠加), a touch interval outside\n"
    "1..65535, a hex text over 1500 characters (指令过长！) or with a lone hex digit\n"
    "(its position is named), a picture that cannot be opened or drawn. A shape of\n"
    "zero width, height or radius sends nothing (exit status 0).\n"
    "Exit status 1 also when the port does not open, the line is lost, or the\n"
    "terminal does not answer a realtime picture header with 'U'.",
    live,
}};

Registrar regFontsWzk{{
    "fonts wzk",
    "write the font page's .wzk font download file from hex font text files",
    "usage: h5800 fonts wzk OUT.wzk [--first N] FONT.txt...\n\n"
    "Writes OUT.wzk as the debug window's font page saves its list (\"保存列表\"):\n"
    "one font segment per FONT.txt in the order given, numbered from N (default\n"
    "0): 7F 1B 74, the font number and the page count (16 bits, low byte first),\n"
    "FF FF EE FF, then the font's bytes padded with FF to whole 2112-byte flash\n"
    "pages. A font text holds its bytes as pairs of hex digits; other characters\n"
    "between pairs are skipped.\n"
    "The fonts are taken as the font page adds them (\"添加字库\", N being its\n"
    "\"下一存储编号\"): font numbers end at 19 (字库超出！), a font holds at most\n"
    "one flash block, a text of 405,504 characters (字库超出！请将字库分为128K一个\n"
    "下载。), and a path of 2048 characters or more (路径过长，请更改。), a missing,\n"
    "unreadable or empty file (文件不存在!, 文件无法打开!, 文件无数据!) is named.\n"
    "The file is written only when every font is taken and reads: any refusal,\n"
    "a file without a hex byte or with a lone hex digit (its position is named)\n"
    "gives exit status 1 and leaves OUT as it was.",
    fontsWzk,
}};

} // namespace

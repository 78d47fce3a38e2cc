// h5800-sim: a virtual H5800 terminal on a pseudo-terminal. It prints the
// device to open, answers the download protocol and keeps its flash in a
// state file across runs. Options make it misbehave for testing.

#include "Simulator.h"

#include "terminal/TerminalScreen.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <cstdio>
#include <cstring>

namespace {

bool countOption(const QCommandLineParser &p, const QString &name, int64_t &out)
{
    if (!p.isSet(name))
        return true;
    bool ok = false;
    const qlonglong v = p.value(name).toLongLong(&ok);
    if (!ok || v < 0) {
        std::fprintf(stderr, "h5800-sim: --%s needs a count of 0 or more\n",
                     name.toLocal8Bit().constData());
        return false;
    }
    out = v;
    return true;
}

// "800x480" (or "800X480") into a terminal resolution; false with a
// message for anything else.
bool sizeOption(const QString &text, int &width, int &height)
{
    static const QRegularExpression form(QStringLiteral("^(\\d{1,5})[xX](\\d{1,5})$"));
    const QRegularExpressionMatch m = form.match(text);
    if (m.hasMatch()) {
        width = m.captured(1).toInt();
        height = m.captured(2).toInt();
        if (h5::TerminalScreen::layersOf(width, height) > 0)
            return true;
    }
    std::fprintf(stderr, "h5800-sim: --size %s is not a terminal resolution (%s)\n",
                 text.toLocal8Bit().constData(),
                 h5::TerminalScreen::resolutionList().toLocal8Bit().constData());
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    // Text on the screen is drawn with the system's fonts, which need the
    // GUI application; no window system is used.
    // --window needs the window system; everything else runs offscreen.
    bool window = false;
    for (int i = 1; i < argc; ++i)
        window = window || std::strcmp(argv[i], "--window") == 0;
    if (!window && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString runtime = QDir::tempPath() + QStringLiteral("/h5800-runtime");
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                           | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    }
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("h5800-sim"));

    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral(
        "Virtual H5800 terminal on a pseudo-terminal. Prints the device path on stdout;\n"
        "open it like a serial port. Packets are counted from 1 in the order received:\n"
        "probes, frames and data packets alike; \"after N\" faults hit packet N+1.\n"
        "A faulted packet is not stored. The flash file is written after every finished\n"
        "step (project header, page index, segment, registry, picture, font) before its\n"
        "acknowledge goes out, and at exit. When the PC closes the device the terminal\n"
        "drops any half-received transfer and waits for the next open.\n"
        "A Unix program (pseudo-terminals and FIFOs); on Windows the serial windows\n"
        "offer the built-in virtual terminal instead.\n"
        "\n"
        "--control <fifo> takes one command a line, at any time, from any writer:\n"
        "  report HEX...   send these bytes to the PC now, as a terminal report\n"
        "                  (\"report fe fe 01 02 03 04\"; a word may hold several bytes)\n"
        "  quit            stop the simulator\n"
        "Blank lines and lines starting with # are ignored; a bad line is told on\n"
        "stderr and ignored. A report while the PC has the device closed is dropped.\n"
        "The FIFO is made when missing and then removed at exit.\n"
        "  screenshot PATH write the screen now to the PNG file PATH (the rest of the\n"
        "                  line), after executing every byte the PC wrote before it\n"
        "  windowshot PATH the same for the picture the --window window shows (the\n"
        "                  screen as scaled and dimmed by the backlight there)\n"
        "  touch X Y       a touch at (X, Y): the touch report FE FE x y goes to the PC\n"
        "                  (x, y 16 bits, low byte first), as a click in --window does;\n"
        "                  the finger stays down until release: under the touch mode\n"
        "                  the PC set (1B 20) the report repeats, and FE F0 x y follows\n"
        "                  on release\n"
        "and the steps of a screen test (h5800 help test), in order, a wait holding the\n"
        "lines after it: start, release, host HEX..., host-file PATH, wait MS,\n"
        "expect-sent [HEX...], expect-page N, expect-screen FILE.png [X Y W H]\n"
        "[tolerance N]; each check says 通过 or 失败 on stderr.\n"
        "\n"
        "Screen: outside a download the terminal executes the instruction frames it\n"
        "receives (1B, command, parameters, FF FF EE FF) on a screen of --size pixels,\n"
        "one RGB565 image per layer (4 layers at 480x272 and 272x480; 2 at 320x240,\n"
        "640x480, 800x480, 240x320, 480x640, 480x800; 1 at the others). It answers\n"
        "none of them except the realtime picture header.\n"
        "Drawn: fill 1B 42, point 1B 47, line 1B 46 (end pixel left out), hollow and\n"
        "filled rectangles 1B 5A / 1B 41 (right and bottom edge outside), hollow and\n"
        "filled ellipses 1B 49 / 1B 4A (centre, half sizes) and circles 1B 59 / 1B 4F,\n"
        "text 1B 23 (fonts of this system standing in for the terminal's dot fonts),\n"
        "stored picture 1B 29 (from the flash's registry; an unknown number draws\n"
        "nothing), realtime picture 1B 24 x y w h (answered 55, then w*h*2 pixel bytes\n"
        "drawn as they come), layer switch 1B 40 l (layer l shown and drawn on), layer\n"
        "copy 1B 28 (with the 1B 40 source*4+destination select sent directly before\n"
        "it; such a 1B 40 is not a switch).\n"
        "Pages: on start-up the screen runs page 0 (or the first page present) of the\n"
        "project in the flash, and a page switch 1B 50 n runs page n: its frames,\n"
        "pictures from the flash and controls in their initial state (see the README);\n"
        "after a page's delay (seconds, real time) its next page runs.\n"
        "Only recorded: backlight 1B 64 (the level is kept; only --window shows it\n"
        "dimmed, screenshots are not), a page switch to a page the flash lacks, touch calibration 1B 38,\n"
        "touch mode 1B 20 and interval 1B 21.\n"
        "--screenshot writes the layer shown as PNG, each channel widened by bit\n"
        "replication (r5 -> r5<<3|r5>>2, g6 -> g6<<2|g6>>4), at start and whenever the\n"
        "screen changed once the bytes the PC has written are taken; a realtime\n"
        "picture counts when its last pixel came. The file is replaced atomically.\n"
        "--window shows the screen live in a window (1:1 at first, scaled to fit when\n"
        "resized), dimmed by the backlight level (63 full, 0 dark). A left click on\n"
        "the screen is a touch: the terminal sends the PC the six bytes\n"
        "FE FE x y (x and y 16 bits, low byte first) and logs them on stderr; while\n"
        "the PC has the device closed the report is dropped (and said so). Closing the\n"
        "window stops the simulator."));
    p.addHelpOption();
    p.addOptions({
        {QStringLiteral("link"), QStringLiteral("Also make a symbolic link to the device at <path>."),
         QStringLiteral("path")},
        {QStringLiteral("flash"),
         QStringLiteral("Keep the flash in <file> across runs (created when missing)."),
         QStringLiteral("file")},
        {QStringLiteral("dump-flash"),
         QStringLiteral("Print a JSON summary of the flash state <file> and exit."),
         QStringLiteral("file")},
        {QStringLiteral("baud-delay"),
         QStringLiteral("Take as long as a line of <baud> bits per second would."),
         QStringLiteral("baud")},
        {QStringLiteral("no-answer"), QStringLiteral("Never answer anything.")},
        {QStringLiteral("wrong-reply-after"),
         QStringLiteral("Answer packet N+1 with the wrong byte instead (once)."),
         QStringLiteral("N")},
        {QStringLiteral("wrong-byte"),
         QStringLiteral("The wrong byte, in hex (default 21)."), QStringLiteral("hex")},
        {QStringLiteral("stop-after"),
         QStringLiteral("Answer nothing after N packets, probes included (the line stays open)."),
         QStringLiteral("N")},
        {QStringLiteral("hangup-after"),
         QStringLiteral("Close the line and exit at packet N+1."), QStringLiteral("N")},
        {QStringLiteral("garbage"), QStringLiteral("Send garbage bytes before every answer.")},
        {QStringLiteral("garbage-after"),
         QStringLiteral("Send garbage bytes before every answer after N packets."),
         QStringLiteral("N")},
        {QStringLiteral("garbage-bytes"),
         QStringLiteral("The garbage, in hex (default 005AC3)."), QStringLiteral("hex")},
        {QStringLiteral("bad-registry"),
         QStringLiteral("Start every registry answer with a record whose first block is 600.")},
        {QStringLiteral("control"),
         QStringLiteral("Read control lines (see above) from the FIFO <fifo>."), QStringLiteral("fifo")},
        {QStringLiteral("size"),
         QStringLiteral("Screen resolution <WxH>, one of the terminal's twelve (default 800x480)."),
         QStringLiteral("WxH")},
        {QStringLiteral("screenshot"),
         QStringLiteral("Write the screen to the PNG file <path> after every change."),
         QStringLiteral("path")},
        {QStringLiteral("window"), QStringLiteral("Show the screen in a window; a click is a touch (see above).")},
        {QStringLiteral("verbose"), QStringLiteral("Log frames and transfers on stderr.")},
    });
    p.process(app);
    if (!p.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "h5800-sim: unexpected argument %s (see --help)\n",
                     p.positionalArguments().first().toLocal8Bit().constData());
        return 2;
    }

    if (p.isSet(QStringLiteral("dump-flash"))) {
        const QString file = p.value(QStringLiteral("dump-flash"));
        if (!QFile::exists(file)) {
            std::fprintf(stderr, "h5800-sim: %s: no such file\n", file.toLocal8Bit().constData());
            return 2;
        }
        h5::VirtualTerminal terminal;
        QString error;
        if (!terminal.loadStateFile(file, &error)) {
            std::fprintf(stderr, "h5800-sim: %s\n", error.toLocal8Bit().constData());
            return 2;
        }
        const QByteArray json = terminal.summaryJson();
        std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
        return 0;
    }

    h5sim::Options o;
    o.link = p.value(QStringLiteral("link"));
    o.flash = p.value(QStringLiteral("flash"));
    o.verbose = p.isSet(QStringLiteral("verbose"));
    o.control = p.value(QStringLiteral("control"));
    o.screenshot = p.value(QStringLiteral("screenshot"));
    o.window = p.isSet(QStringLiteral("window"));
    if (p.isSet(QStringLiteral("size"))
        && !sizeOption(p.value(QStringLiteral("size")), o.width, o.height))
        return 2;
    if (p.isSet(QStringLiteral("baud-delay"))) {
        bool ok = false;
        o.baudDelay = p.value(QStringLiteral("baud-delay")).toInt(&ok);
        if (!ok || o.baudDelay <= 0) {
            std::fprintf(stderr, "h5800-sim: --baud-delay needs a positive baud rate\n");
            return 2;
        }
    }
    h5::VirtualTerminal::Faults &f = o.faults;
    f.noAnswer = p.isSet(QStringLiteral("no-answer"));
    f.badRegistry = p.isSet(QStringLiteral("bad-registry"));
    if (p.isSet(QStringLiteral("garbage")))
        f.garbageAfter = 0;
    if (!countOption(p, QStringLiteral("wrong-reply-after"), f.wrongReplyAfter)
        || !countOption(p, QStringLiteral("stop-after"), f.stopAfter)
        || !countOption(p, QStringLiteral("hangup-after"), f.hangupAfter)
        || !countOption(p, QStringLiteral("garbage-after"), f.garbageAfter))
        return 2;
    if (p.isSet(QStringLiteral("wrong-byte"))) {
        const QByteArray b = QByteArray::fromHex(p.value(QStringLiteral("wrong-byte")).toLatin1());
        if (b.size() != 1) {
            std::fprintf(stderr, "h5800-sim: --wrong-byte needs one byte in hex\n");
            return 2;
        }
        f.wrongByte = b[0];
    }
    if (p.isSet(QStringLiteral("garbage-bytes"))) {
        f.garbage = QByteArray::fromHex(p.value(QStringLiteral("garbage-bytes")).toLatin1());
        if (f.garbage.isEmpty()) {
            std::fprintf(stderr, "h5800-sim: --garbage-bytes needs bytes in hex\n");
            return 2;
        }
    }
    return h5sim::run(o);
}

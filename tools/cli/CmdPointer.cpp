// h5800 pointer make / show / preview: the pointer maker's .MGL files.

#include "Cli.h"

#include "common/Gbk.h"
#include "edit/PointerFile.h"

#include <QImage>

using namespace h5cli;

namespace {

// "--name N" as a decimal number; `fallback` when the option is not given.
int takeNumber(QStringList &args, const QString &name, int fallback)
{
    const QString text = takeOption(args, name);
    if (text.isNull())
        return fallback;
    bool ok = false;
    const int v = text.toInt(&ok, 10);
    if (!ok)
        throw UsageError{QStringLiteral("--%1 needs a whole number, got \"%2\"").arg(name, text)};
    return v;
}

int makeCommand(QStringList args)
{
    const h5::PointerPreviewOptions initial; // the form's initial numbers
    const int length = takeNumber(args, QStringLiteral("length"), initial.length);
    const int tip = takeNumber(args, QStringLiteral("tip"), initial.tipCut);
    const int start = takeNumber(args, QStringLiteral("start"), initial.startAngle);
    const int end = takeNumber(args, QStringLiteral("end"), initial.endAngle);
    expectPositional(args, 1, QStringLiteral("pointer make"));
    const QString path = args.first();

    const h5::PointerFileHeader h = h5::makePointerHeader(length, tip, start, end);
    QString error;
    if (!h5::pointerNumbersFit(h, &error))
        throw UsageError{error};
    if (!h5::savePointerFile(path, h, &error)) {
        err() << "h5800: " << error << Qt::endl;
        return ExitBadInput;
    }
    out() << path << Qt::endl;
    return ExitOk;
}

int showCommand(QStringList args)
{
    expectPositional(args, 1, QStringLiteral("pointer show"));
    h5::PointerFileHeader h;
    QString error;
    if (!h5::readPointerFile(args.first(), h, &error)) {
        err() << "h5800: " << error << Qt::endl;
        return ExitBadInput;
    }
    out() << "name: " << h5::fromGbk(h.name) << '\n'
          << "length: " << h.length << '\n'
          << "tip: " << h.tipCut << '\n'
          << "start: " << h.startAngle << '\n'
          << "end: " << h.endAngle << '\n'
          << "positions: " << h.positions << Qt::endl;
    return ExitOk;
}

int previewCommand(QStringList args)
{
    const QString output = takeOption(args, QStringLiteral("output"));
    const int width = takeNumber(args, QStringLiteral("width"), 300);
    const int height = takeNumber(args, QStringLiteral("height"), 300);
    const bool scale = takeFlag(args, QStringLiteral("scale"));
    const bool circle = takeFlag(args, QStringLiteral("circle"));
    expectPositional(args, 1, QStringLiteral("pointer preview"));
    if (output.isEmpty())
        throw UsageError{QStringLiteral("pointer preview needs --output OUT.png")};
    if (width < 1 || height < 1 || width > 4096 || height > 4096)
        throw UsageError{QStringLiteral("--width and --height must be 1 to 4096")};
    h5::PointerFileHeader h;
    QString error;
    if (!h5::readPointerFile(args.first(), h, &error)) {
        err() << "h5800: " << error << Qt::endl;
        return ExitBadInput;
    }
    h5::PointerPreviewOptions o;
    o.length = h.length;
    o.tipCut = h.tipCut;
    o.startAngle = h.startAngle;
    o.endAngle = h.endAngle;
    o.positions = h.positions;
    o.scaleView = scale;
    o.pointerCircle = circle;
    const QImage image = h5::renderPointerPreview(QSize(width, height), o);
    return writePng(output, image) ? ExitOk : ExitBadInput;
}

const Registrar makeRegistrar{Command{
    QStringLiteral("pointer make"),
    QStringLiteral("write a pointer (needle) file .MGL"),
    QStringLiteral(
        "usage: h5800 pointer make OUT.MGL [--length L] [--tip T] [--start S] [--end E]\n\n"
        "Writes the 60-byte needle file the pointer maker writes: the name\n"
        "\"Len(L,T); S?-E\", full length L, tip cut T, start and end angle S and E in\n"
        "degrees (16-bit big-endian) and 255 positions. Unset numbers take the\n"
        "maker's initial values 20, 0, 0 and 180. OUT.MGL is used as given and\n"
        "replaced atomically.\n"
        "Exit status: 2 when a number does not fit its 16-bit field, 1 when the file\n"
        "cannot be written."),
    makeCommand}};

const Registrar showRegistrar{Command{
    QStringLiteral("pointer show"),
    QStringLiteral("print the fields of a pointer file .MGL"),
    QStringLiteral(
        "usage: h5800 pointer show FILE.MGL\n\n"
        "Prints the name, full length, tip cut, start and end angle and positions of\n"
        "a needle file, one \"field: value\" per line.\n"
        "Exit status: 1 when the file cannot be read or is shorter than 60 bytes."),
    showCommand}};

const Registrar previewRegistrar{Command{
    QStringLiteral("pointer preview"),
    QStringLiteral("draw the pointer maker's preview of a .MGL file into a PNG"),
    QStringLiteral(
        "usage: h5800 pointer preview FILE.MGL --output OUT.png [--width W] [--height H]\n"
        "                             [--scale] [--circle]\n\n"
        "Draws the needle at its start and end angle as the pointer maker's preview\n"
        "does (default 300 x 300). --scale adds every position of the sweep,\n"
        "--circle the red pivot cross and circles.\n"
        "Exit status: 1 when the file cannot be read or OUT.png cannot be written."),
    previewCommand}};

} // namespace

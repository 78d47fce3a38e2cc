#pragma once
// Helpers shared by the tests: hex fixtures, an independent little byte
// builder for hand-made files, temporary folders, running the CLI.

#include "Cli.h"
#include "common/Flash.h"
#include "common/Gbk.h"
#include "model/CGraph.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <string>

namespace h5test {

// "1B 42 FF FF" -> bytes. Spaces and newlines are ignored.
inline QByteArray hex(const char *text) { return QByteArray::fromHex(QByteArray(text).replace(' ', "").replace('\n', "")); }
inline std::string toHex(const QByteArray &b) { return b.toHex(' ').toUpper().toStdString(); }

// Builds bytes by hand, independently of the code under test.
struct Blob
{
    QByteArray b;
    Blob &u8(unsigned v) { b.append(char(v & 0xFF)); return *this; }
    Blob &u16(unsigned v) { u8(v); return u8(v >> 8); }
    Blob &u32(uint32_t v) { u16(v & 0xFFFF); return u16(v >> 16); }
    Blob &raw(const QByteArray &d) { b.append(d); return *this; }
    Blob &raw(const std::string &d) { b.append(d.data(), qsizetype(d.size())); return *this; }
    // Archive string with the three length forms.
    Blob &str(const std::string &s)
    {
        if (s.size() < 255) u8(unsigned(s.size()));
        else if (s.size() < 0xFFFE) { u8(0xFF); u16(unsigned(s.size())); }
        else { u8(0xFF); u16(0xFFFF); u32(uint32_t(s.size())); }
        return raw(s);
    }
};

// Whole content of a file; empty when it cannot be read.
inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Writes bytes as they are; false when not all of them could be written.
inline bool writeRaw(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A pointer file (.MGL) written out by hand: the name zero-padded to 50
// bytes, then the ten bytes given in hex (length, tip cut, start and end
// angle big-endian, positions, a zero byte).
inline QByteArray pointerFileBytes(const char *name, const char *numbers)
{
    QByteArray b(name);
    b.append(50 - b.size(), '\0');
    b.append(hex(numbers));
    return b;
}

// An element with the given kind, ID and points, white, everything else 0.
inline h5::CGraph element(int kind, int id, QPoint a, QPoint b)
{
    return h5::CGraph(kind, id, a, b, 0, 0, h5::RGB(255, 255, 255), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                      0, "", "", "");
}

// A picture element: picture `number`, from the file `name` of the
// project's pictures folder, w x h at `at`.
inline h5::CGraph pictureElement(const QString &name, int number, QPoint at, int w, int h)
{
    h5::CGraph g = element(h5::Kind::Bitmap, 0, at, at + QPoint(w, h));
    g.m_nNumber = number;
    g.m_nAttr = int(h5::pictureBlocks(w, h));
    g.m_strText1 = h5::toGbk(name);
    return g;
}

// A w x h picture of one colour.
inline QImage filledImage(int w, int h, QRgb colour)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(colour);
    return img;
}

struct CliResult
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs h5800 as its own process. `inChild`, when given, runs in the child
// process before the tool starts (to lower a limit, say; Unix only, where
// processes are forked). The child may still share the test program's
// memory then (Qt may start it as with vfork), so `inChild` changes only
// what the system keeps per process, never the environment: an environment
// set there is the test program's own from then on. The tool's
// environment goes in `environment` (when not empty: the whole of it).
inline CliResult runCliProcess(const QStringList &args, int timeoutMs = 120000,
                               const std::function<void()> &inChild = {},
                               const QProcessEnvironment &environment = QProcessEnvironment())
{
    QProcess p;
    p.setProgram(QStringLiteral(H5_CLI_PATH));
    p.setArguments(args);
    if (!environment.isEmpty())
        p.setProcessEnvironment(environment);
#ifdef Q_OS_WIN
    if (inChild) {
        CliResult refused;
        refused.err = "runCli: code to run in the child needs Unix";
        return refused;
    }
#else
    if (inChild)
        p.setChildProcessModifier(inChild);
#endif
    p.start();
    CliResult r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        r.exitCode = -2;
    } else {
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -3;
    }
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

// Runs an h5800 command line inside the test program, through the same
// code as the program's main after it has made its application object:
// what it prints on stdout and stderr is kept, its exit status returned.
// Starting a process for each of the hundreds of command lines the tests
// run cost more than the commands themselves.
inline CliResult runCliInProcess(const QStringList &args)
{
    QBuffer out;
    QBuffer err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    h5cli::setOutputDevices(&out, &err);
    h5cli::installMessageFilter();
    CliResult r;
    r.exitCode = h5cli::runArguments(args);
    h5cli::out().flush();
    h5cli::err().flush();
    h5cli::removeMessageFilter();
    h5cli::setOutputDevices(nullptr, nullptr);
    r.out = out.data();
    r.err = err.data();
    return r;
}

// Runs h5800 with `args`. The commands that only read and write files run
// inside the test program (runCliInProcess); the ones that use a line, a
// clock or the environment, and every run with `inChild`, get a process of
// their own. H5_TEST_CLI_PROCESS=1 in the environment runs every one as a
// process, as the first form of these tests did.
inline CliResult runCli(const QStringList &args, int timeoutMs = 120000,
                        const std::function<void()> &inChild = {})
{
    static const QStringList inProcess = {
        QStringLiteral("build"),      QStringLiteral("bundle"),   QStringLiteral("demo"),
        QStringLiteral("export-ids"), QStringLiteral("export-txt"), QStringLiteral("fonts"),
        QStringLiteral("help"),       QStringLiteral("page"),     QStringLiteral("pictures"),
        QStringLiteral("pointer"),    QStringLiteral("preview"),  QStringLiteral("project"),
        QStringLiteral("render"),     QStringLiteral("test"),     QStringLiteral("--help")};
    if (!inChild && !args.isEmpty() && inProcess.contains(args.first())
        && qEnvironmentVariableIsEmpty("H5_TEST_CLI_PROCESS"))
        return runCliInProcess(args);
    return runCliProcess(args, timeoutMs, inChild);
}

} // namespace h5test

#include "Cli.h"

#include "common/FileIo.h"
#include "port/CMSComm.h"

#include <QBuffer>
#include <QImage>

#include <cstdio>
#include <unistd.h>

namespace h5cli {

QTextStream &out()
{
    static QTextStream s(stdout);
    return s;
}

QTextStream &err()
{
    static QTextStream s(stderr);
    return s;
}

std::vector<Command> &commands()
{
    static std::vector<Command> list;
    return list;
}

void CliNotifier::message(const QString &text)
{
    ++m_messages;
    err() << text << Qt::endl;
}

bool CliNotifier::question(const QString &text)
{
    err() << text << (m_answer ? " -> OK" : " -> Cancel") << Qt::endl;
    return m_answer;
}

QString takeOption(QStringList &args, const QString &name, bool longForm)
{
    // One-letter options are written with one dash (-o OUT) unless asked.
    const QString flag = (name.size() == 1 && !longForm ? "-" : "--") + name;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == flag) {
            if (i + 1 >= args.size())
                throw UsageError{QStringLiteral("%1 needs a value").arg(flag)};
            const QString value = args[i + 1];
            args.remove(i, 2);
            return value;
        }
        if (args[i].startsWith(flag + "=")) {
            const QString value = args[i].mid(flag.size() + 1);
            args.removeAt(i);
            return value;
        }
    }
    return QString();
}

// "-o OUT", "-oOUT", "--output OUT" or "--output=OUT"; removed from args.
QString takeOutput(QStringList &args)
{
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("-o")) {
            if (i + 1 >= args.size())
                throw UsageError{QStringLiteral("-o needs a value")};
            const QString value = args[i + 1];
            args.remove(i, 2);
            return value;
        }
        if (args[i].startsWith(QLatin1String("-o")) && !args[i].startsWith(QLatin1String("--"))) {
            const QString value = args[i].mid(2);
            args.removeAt(i);
            return value;
        }
    }
    return takeOption(args, QStringLiteral("output"));
}

bool takeFlag(QStringList &args, const QString &name)
{
    return args.removeAll("--" + name) > 0;
}

int firstFontNumber(const QString &firstText, qsizetype count)
{
    if (firstText.isNull())
        return 0;
    bool ok = false;
    const int first = firstText.toInt(&ok);
    if (!ok || first < 0 || first + count - 1 > 0xFFFF)
        throw UsageError{QStringLiteral("--first %1 is not a font number 0..65535 for %2 font(s)")
                             .arg(firstText)
                             .arg(count)};
    return first;
}

void expectPositional(const QStringList &args, int n, const QString &commandName)
{
    for (const QString &a : args) {
        if (a.startsWith("--"))
            throw UsageError{QStringLiteral("unknown option %1 for %2").arg(a, commandName)};
    }
    if (args.size() != n)
        throw UsageError{QStringLiteral("%1 takes %2 argument(s), got %3")
                             .arg(commandName)
                             .arg(n)
                             .arg(args.size())};
}

int badInput(const QString &file, const QString &what)
{
    err() << "h5800: " << file << ": " << what << Qt::endl;
    return ExitBadInput;
}

bool writePng(const QString &path, const QImage &image)
{
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        badInput(path, QStringLiteral("cannot encode the picture"));
        return false;
    }
    QString error;
    if (!h5::writeFileAtomically(path, encoded, &error)) {
        badInput(path, QStringLiteral("cannot write: %1").arg(error));
        return false;
    }
    return true;
}

StatusLines::StatusLines() : m_tty(isatty(2) != 0) {}

void StatusLines::show(const QString &text)
{
    if (text == m_last)
        return;
    m_last = text;
    if (text.endsWith(QLatin1Char('%')) && m_tty) {
        err() << "\r" << text << "\x1b[K" << Qt::flush;
        m_openLine = true;
        return;
    }
    endLine();
    err() << text << Qt::endl;
}

void StatusLines::endLine()
{
    if (m_openLine)
        err() << Qt::endl;
    m_openLine = false;
}

PortOptions takePortOptions(QStringList &args)
{
    PortOptions o;
    o.device = takeOption(args, "port");
    if (o.device.isEmpty())
        throw UsageError{QStringLiteral("--port DEVICE is required (see h5800 ports)")};
    const QString baud = takeOption(args, "baud");
    if (!baud.isNull()) {
        bool ok = false;
        o.baud = baud.toInt(&ok);
        if (!ok || o.baud <= 0)
            throw UsageError{QStringLiteral("--baud %1 is not a rate").arg(baud)};
    }
    return o;
}

bool openPort(h5::CMSComm &comm, const PortOptions &o)
{
    comm.setDevice(o.device);
    comm.setSettings(QStringLiteral("%1,n,8,1").arg(o.baud));
    if (!comm.open()) {
        err() << "h5800: " << o.device << ": " << comm.errorString() << Qt::endl;
        return false;
    }
    return true;
}

} // namespace h5cli

#include "terminal/SimControl.h"

#include "link/Frames.h"

namespace h5 {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Shown in a reason: printable ASCII as it is, anything else as \xNN, cut
// after 40 characters.
QString shown(const QByteArray &word)
{
    QString out;
    for (qsizetype i = 0; i < word.size() && i < 40; ++i) {
        const auto c = uchar(word[i]);
        if (c >= 0x20 && c < 0x7F)
            out += QLatin1Char(char(c));
        else
            out += QStringLiteral("\\x%1").arg(c, 2, 16, QLatin1Char('0'));
    }
    if (word.size() > 40)
        out += QStringLiteral("...");
    return out;
}

SimControlCommand bad(const QString &why)
{
    SimControlCommand c;
    c.kind = SimControlCommand::Kind::Bad;
    c.error = why;
    return c;
}

} // namespace

SimControlCommand parseSimControlLine(const QByteArray &line)
{
    std::vector<QByteArray> words;
    qsizetype i = 0;
    while (i < line.size()) {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        const qsizetype start = i;
        while (i < line.size() && !isBlank(line[i]))
            ++i;
        if (i > start)
            words.push_back(line.mid(start, i - start));
    }
    if (words.empty() || words.front().startsWith('#'))
        return {};

    const QByteArray &verb = words.front();
    if (verb == "quit") {
        if (words.size() > 1)
            return bad(QStringLiteral("quit takes no arguments"));
        SimControlCommand c;
        c.kind = SimControlCommand::Kind::Quit;
        return c;
    }
    if (verb == "screenshot" || verb == "windowshot") {
        // The path is the rest of the line, so it may hold blanks.
        qsizetype from = line.indexOf(verb) + verb.size();
        qsizetype to = line.size();
        while (from < to && isBlank(line[from]))
            ++from;
        while (to > from && isBlank(line[to - 1]))
            --to;
        if (from == to)
            return bad(QStringLiteral("%1 needs a file path").arg(QString::fromLatin1(verb)));
        const QByteArray path = line.mid(from, to - from);
        if (path.contains('\0'))
            return bad(QStringLiteral("the %1 path '%2' holds a NUL byte")
                           .arg(QString::fromLatin1(verb), shown(path)));
        SimControlCommand c;
        c.kind = verb == "screenshot" ? SimControlCommand::Kind::Screenshot
                                      : SimControlCommand::Kind::WindowShot;
        c.path = path;
        return c;
    }
    if (verb == "touch") {
        if (words.size() != 3)
            return bad(QStringLiteral("touch needs X and Y"));
        SimControlCommand c;
        c.kind = SimControlCommand::Kind::Touch;
        int *coords[2] = {&c.x, &c.y};
        for (int k = 0; k < 2; ++k) {
            const QByteArray &word = words[size_t(k) + 1];
            bool ok = word.size() <= 5;
            for (char ch : word)
                ok = ok && ch >= '0' && ch <= '9';
            const int value = ok ? word.toInt(&ok) : -1;
            if (!ok || value > 0xFFFF)
                return bad(QStringLiteral("'%1' is not a coordinate (0 to 65535)").arg(shown(word)));
            *coords[k] = value;
        }
        return c;
    }
    if (verb == "start" || verb == "release" || verb == "host" || verb == "host-file" || verb == "wait"
        || verb == "expect-sent" || verb == "expect-page" || verb == "expect-screen") {
        const ScenarioLine l = parseScenarioLine(line);
        if (l.kind != ScenarioLine::Kind::Step)
            return bad(l.error.isEmpty() ? QStringLiteral("not a step") : l.error);
        SimControlCommand c;
        c.kind = SimControlCommand::Kind::Step;
        c.step = l.step;
        return c;
    }
    if (verb != "report")
        return bad(QStringLiteral("unknown command '%1' (report HEX..., touch X Y, screenshot PATH, "
                                  "windowshot PATH, quit; start, release, host HEX..., host-file PATH, "
                                  "wait MS, expect-sent HEX..., expect-page N, expect-screen FILE.png)")
                       .arg(shown(verb)));
    if (words.size() < 2)
        return bad(QStringLiteral("report needs at least one byte in hex"));
    QByteArray bytes;
    for (size_t w = 1; w < words.size(); ++w) {
        const QByteArray &word = words[w];
        if (word.size() % 2 != 0)
            return bad(QStringLiteral("'%1' is not whole bytes in hex (two digits a byte)").arg(shown(word)));
        for (qsizetype k = 0; k < word.size(); k += 2) {
            const int hi = hexDigit(word[k]);
            const int lo = hexDigit(word[k + 1]);
            if (hi < 0 || lo < 0)
                return bad(QStringLiteral("'%1' is not hex").arg(shown(word)));
            bytes.append(char(hi * 16 + lo));
        }
    }
    SimControlCommand c;
    c.kind = SimControlCommand::Kind::Report;
    c.bytes = bytes;
    return c;
}

QByteArray touchReport(int x, int y)
{
    QByteArray r("\xFE\xFE", 2);
    r.append(char(x & 0xFF));
    r.append(char((x >> 8) & 0xFF));
    r.append(char(y & 0xFF));
    r.append(char((y >> 8) & 0xFF));
    return r;
}

std::vector<SimControlCommand> SimControlReader::feed(const QByteArray &bytes)
{
    std::vector<SimControlCommand> out;
    qsizetype at = 0;
    while (at < bytes.size()) {
        const qsizetype end = bytes.indexOf('\n', at);
        const qsizetype stop = end < 0 ? bytes.size() : end;
        if (!m_overlong) {
            const qsizetype room = kMaxLine - m_line.size();
            if (stop - at > room) {
                // The rest of this line is dropped as it comes.
                m_overlong = true;
                m_line.clear();
                m_line.squeeze();
            } else {
                m_line.append(bytes.constData() + at, stop - at);
            }
        }
        if (end < 0)
            break;
        if (m_overlong)
            out.push_back(bad(QStringLiteral("line longer than %1 bytes").arg(kMaxLine)));
        else
            out.push_back(parseSimControlLine(m_line));
        m_line.clear();
        m_overlong = false;
        at = end + 1;
    }
    return out;
}

} // namespace h5

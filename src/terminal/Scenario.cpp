#include "terminal/Scenario.h"

#include "link/Frames.h"
#include "terminal/TerminalScreen.h"

#include <QStringDecoder>

namespace h5 {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Shown in a reason: UTF-8 text as it is, control characters and bytes
// that are not UTF-8 as \xNN, cut after 40 characters.
QString shown(const QByteArray &word)
{
    const QString text = QString::fromUtf8(word);
    const bool utf8 = text.toUtf8() == word;
    const qsizetype length = utf8 ? text.size() : word.size();
    QString out;
    for (qsizetype i = 0; i < length && i < 40; ++i) {
        const uint c = utf8 ? text[i].unicode() : uchar(word[i]);
        if (c < 0x20 || c == 0x7F || (!utf8 && c >= 0x80))
            out += QStringLiteral("\\x%1").arg(c, 2, 16, QLatin1Char('0'));
        else
            out += utf8 ? text[i] : QChar(c);
    }
    if (length > 40)
        out += QStringLiteral("...");
    return out;
}

struct Word
{
    QByteArray text;
    bool quoted = false;
};

// Splits a line into words; a '#' that starts an unquoted word ends the
// line. False with the reason for an unclosed quote or a quote inside a word.
bool splitWords(const QByteArray &line, std::vector<Word> &words, QString *why)
{
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (i < n) {
        while (i < n && isBlank(line[i]))
            ++i;
        if (i >= n)
            break;
        if (line[i] == '#')
            break;
        Word w;
        if (line[i] == '"') {
            const qsizetype close = line.indexOf('"', i + 1);
            if (close < 0) {
                *why = QStringLiteral("引号没有闭合");
                return false;
            }
            w.text = line.mid(i + 1, close - i - 1);
            w.quoted = true;
            i = close + 1;
            if (i < n && !isBlank(line[i])) {
                *why = QStringLiteral("引号后面缺少空格");
                return false;
            }
        } else {
            const qsizetype start = i;
            while (i < n && !isBlank(line[i]))
                ++i;
            w.text = line.mid(start, i - start);
            if (w.text.contains('"')) {
                *why = QStringLiteral("“%1”中有引号：带空格的路径请整个放在引号里").arg(shown(w.text));
                return false;
            }
        }
        words.push_back(std::move(w));
    }
    return true;
}

// A decimal number from `lo` to `hi`.
bool number(const Word &w, int64_t lo, int64_t hi, int64_t &value, QString *why)
{
    bool ok = !w.quoted && !w.text.isEmpty() && w.text.size() <= 10;
    for (char c : w.text)
        ok = ok && c >= '0' && c <= '9';
    value = ok ? w.text.toLongLong(&ok) : -1;
    if (!ok || value < lo || value > hi) {
        *why = QStringLiteral("“%1”不是 %2 到 %3 之间的整数").arg(shown(w.text)).arg(lo).arg(hi);
        return false;
    }
    return true;
}

bool hexBytes(const std::vector<Word> &words, size_t from, QByteArray &bytes, QString *why)
{
    for (size_t k = from; k < words.size(); ++k) {
        const QByteArray &word = words[k].text;
        bool ok = !words[k].quoted && word.size() % 2 == 0 && !word.isEmpty();
        QByteArray got;
        for (qsizetype j = 0; ok && j < word.size(); j += 2) {
            const int hi = hexDigit(word[j]);
            const int lo = hexDigit(word[j + 1]);
            ok = hi >= 0 && lo >= 0;
            got.append(char(hi * 16 + lo));
        }
        if (!ok) {
            *why = QStringLiteral("“%1”不是十六进制的字节（每个字节两位十六进制数字）").arg(shown(word));
            return false;
        }
        bytes.append(got);
    }
    return true;
}

bool path(const Word &w, const QByteArray &verb, QString &out, QString *why)
{
    for (char c : w.text) {
        if (uchar(c) < 0x20) {
            *why = QStringLiteral("%1 的路径“%2”含有控制字符").arg(QString::fromLatin1(verb), shown(w.text));
            return false;
        }
    }
    if (w.text.isEmpty()) {
        *why = QStringLiteral("%1 的路径是空的").arg(QString::fromLatin1(verb));
        return false;
    }
    out = QString::fromUtf8(w.text);
    return true;
}

ScenarioLine bad(const QString &why)
{
    ScenarioLine l;
    l.kind = ScenarioLine::Kind::Bad;
    l.error = why;
    return l;
}

ScenarioLine step(const ScenarioStep &s)
{
    ScenarioLine l;
    l.kind = ScenarioLine::Kind::Step;
    l.step = s;
    return l;
}

const char *const kVerbs = "start、touch、release、host、host-file、wait、expect-sent、expect-page、expect-screen";

QByteArray hexText(const QByteArray &bytes)
{
    return bytes.toHex(' ');
}

QByteArray quotedPath(const QString &path)
{
    const QByteArray p = path.toUtf8();
    bool quote = p.isEmpty() || p.startsWith('#');
    for (char c : p)
        quote = quote || isBlank(c) || c == '#';
    return quote ? '"' + p + '"' : p;
}

} // namespace

bool ScenarioStep::operator==(const ScenarioStep &o) const
{
    return kind == o.kind && bytes == o.bytes && path == o.path && x == o.x && y == o.y && ms == o.ms
           && page == o.page && region == o.region && tolerance == o.tolerance;
}

ScenarioLine parseScenarioLine(const QByteArray &line)
{
    if (line.contains('\0'))
        return bad(QStringLiteral("行中有 NUL 字节"));
    std::vector<Word> words;
    QString why;
    if (!splitWords(line, words, &why))
        return bad(why);
    if (words.empty())
        return {};
    if (words.front().quoted)
        return bad(QStringLiteral("行首应是步骤名，不是带引号的文字"));

    using K = ScenarioStep::Kind;
    const QByteArray &verb = words.front().text;
    const size_t args = words.size() - 1;
    auto needArgs = [&](size_t n, const QString &what) {
        if (args != n) {
            why = what;
            return false;
        }
        return true;
    };
    ScenarioStep s;
    int64_t v = 0;

    if (verb == "project") {
        ScenarioLine l;
        if (!needArgs(1, QStringLiteral("project 需要一个工程文件路径（.wgc）"))
            || !path(words[1], verb, l.path, &why))
            return bad(why);
        l.kind = ScenarioLine::Kind::Project;
        return l;
    }
    if (verb == "size") {
        if (!needArgs(1, QStringLiteral("size 需要“宽x高”，如 size 800x480")))
            return bad(why);
        const QList<QByteArray> parts = words[1].text.toLower().split('x');
        int64_t w = 0, h = 0;
        if (parts.size() != 2 || !number(Word{parts[0], false}, 1, 65535, w, &why)
            || !number(Word{parts[1], false}, 1, 65535, h, &why))
            return bad(QStringLiteral("“%1”不是“宽x高”，如 size 800x480").arg(shown(words[1].text)));
        if (TerminalScreen::layersOf(int(w), int(h)) == 0)
            return bad(QStringLiteral("%1x%2 不是终端的分辨率（%3）")
                           .arg(w)
                           .arg(h)
                           .arg(TerminalScreen::resolutionList()));
        ScenarioLine l;
        l.kind = ScenarioLine::Kind::Size;
        l.size = QSize(int(w), int(h));
        return l;
    }
    if (verb == "start" || verb == "release") {
        if (!needArgs(0, QStringLiteral("%1 不带参数").arg(QString::fromLatin1(verb))))
            return bad(why);
        s.kind = verb == "start" ? K::Start : K::Release;
        return step(s);
    }
    if (verb == "touch") {
        if (!needArgs(2, QStringLiteral("touch 需要坐标 X 和 Y")))
            return bad(why);
        int64_t x = 0, y = 0;
        if (!number(words[1], 0, 65535, x, &why) || !number(words[2], 0, 65535, y, &why))
            return bad(why);
        s.kind = K::Touch;
        s.x = int(x);
        s.y = int(y);
        return step(s);
    }
    if (verb == "host" || verb == "expect-sent") {
        if (verb == "host" && args == 0)
            return bad(QStringLiteral("host 至少需要一个十六进制字节"));
        if (!hexBytes(words, 1, s.bytes, &why))
            return bad(why);
        s.kind = verb == "host" ? K::Host : K::ExpectSent;
        return step(s);
    }
    if (verb == "host-file") {
        if (!needArgs(1, QStringLiteral("host-file 需要一个文件路径")) || !path(words[1], verb, s.path, &why))
            return bad(why);
        s.kind = K::HostFile;
        return step(s);
    }
    if (verb == "wait") {
        if (!needArgs(1, QStringLiteral("wait 需要毫秒数")) || !number(words[1], 0, kMaxWaitMs, v, &why))
            return bad(why);
        s.kind = K::Wait;
        s.ms = v;
        return step(s);
    }
    if (verb == "expect-page") {
        if (!needArgs(1, QStringLiteral("expect-page 需要页面号")) || !number(words[1], 0, 1023, v, &why))
            return bad(why);
        s.kind = K::ExpectPage;
        s.page = int(v);
        return step(s);
    }
    if (verb == "expect-screen") {
        const QString usage = QStringLiteral("expect-screen 的写法：expect-screen 图片.png [X Y 宽 高] [tolerance N]");
        if (args == 0)
            return bad(usage);
        if (!path(words[1], verb, s.path, &why))
            return bad(why);
        size_t rest = args - 1; // words after the path
        if (rest >= 2 && words[words.size() - 2].text == "tolerance" && !words[words.size() - 2].quoted) {
            if (!number(words.back(), 0, kMaxTolerance, v, &why))
                return bad(why);
            s.tolerance = int(v);
            rest -= 2;
        }
        if (rest == 4) {
            int64_t r[4] = {};
            for (int k = 0; k < 4; ++k) {
                if (!number(words[size_t(k) + 2], k < 2 ? 0 : 1, 65535, r[k], &why))
                    return bad(why);
            }
            s.region = QRect(int(r[0]), int(r[1]), int(r[2]), int(r[3]));
        } else if (rest != 0) {
            return bad(usage);
        }
        s.kind = K::ExpectScreen;
        return step(s);
    }
    return bad(QStringLiteral("未知的步骤“%1”（可用：%2）").arg(shown(verb), QString::fromUtf8(kVerbs)));
}

bool parseScenario(const QByteArray &text, Scenario &out, int *errorLine, QString *error)
{
    auto fail = [&](int line, const QString &why) {
        if (errorLine)
            *errorLine = line;
        if (error)
            *error = why;
        return false;
    };
    if (text.size() > kMaxScenarioBytes)
        return fail(0, QStringLiteral("场景文件长 %1 字节，超过 %2 字节").arg(text.size()).arg(kMaxScenarioBytes));
    {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString decoded = utf8(text);
        if (utf8.hasError())
            return fail(0, QStringLiteral("场景文件不是 UTF-8 文本"));
    }
    Scenario s;
    bool held = false;
    // A byte order mark, as some editors write one, is not part of the text.
    const QByteArray body = text.startsWith("\xEF\xBB\xBF") ? text.mid(3) : text;
    const QList<QByteArray> lines = body.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int lineNo = int(i) + 1;
        const ScenarioLine l = parseScenarioLine(lines[i]);
        switch (l.kind) {
        case ScenarioLine::Kind::Nothing:
            break;
        case ScenarioLine::Kind::Bad:
            return fail(lineNo, l.error);
        case ScenarioLine::Kind::Project:
            if (s.projectLine > 0)
                return fail(lineNo, QStringLiteral("project 只能写一次（第 %1 行已写）").arg(s.projectLine));
            s.project = l.path;
            s.projectLine = lineNo;
            break;
        case ScenarioLine::Kind::Size:
            if (s.projectLine == 0)
                return fail(lineNo, QStringLiteral("size 应写在 project 之后"));
            if (s.sizeLine > 0)
                return fail(lineNo, QStringLiteral("size 只能写一次（第 %1 行已写）").arg(s.sizeLine));
            if (!s.steps.empty())
                return fail(lineNo, QStringLiteral("size 应写在第一个步骤之前"));
            s.size = l.size;
            s.sizeLine = lineNo;
            break;
        case ScenarioLine::Kind::Step: {
            if (s.projectLine == 0)
                return fail(lineNo, QStringLiteral("场景的第一行应是 project 工程.wgc"));
            ScenarioStep st = l.step;
            st.line = lineNo;
            if (s.steps.empty() && st.kind != ScenarioStep::Kind::Start)
                return fail(lineNo, QStringLiteral("第一个步骤应是 start（终端上电）"));
            if (st.kind == ScenarioStep::Kind::Start || st.kind == ScenarioStep::Kind::Release) {
                if (st.kind == ScenarioStep::Kind::Release && !held)
                    return fail(lineNo, QStringLiteral("release 之前没有按下的 touch"));
                held = false;
            } else if (st.kind == ScenarioStep::Kind::Touch) {
                held = true;
            }
            s.steps.push_back(std::move(st));
            break;
        }
        }
    }
    if (s.projectLine == 0)
        return fail(0, QStringLiteral("场景缺少 project 行（project 工程.wgc）"));
    if (s.steps.empty())
        return fail(0, QStringLiteral("场景没有任何步骤（至少要有 start）"));
    out = std::move(s);
    return true;
}

QByteArray serialiseScenario(const Scenario &scenario)
{
    using K = ScenarioStep::Kind;
    QByteArray out = "project " + quotedPath(scenario.project) + '\n';
    if (!scenario.size.isEmpty())
        out += "size " + QByteArray::number(scenario.size.width()) + 'x'
               + QByteArray::number(scenario.size.height()) + '\n';
    for (const ScenarioStep &s : scenario.steps) {
        switch (s.kind) {
        case K::Start:
            out += "start";
            break;
        case K::Touch:
            out += "touch " + QByteArray::number(s.x) + ' ' + QByteArray::number(s.y);
            break;
        case K::Release:
            out += "release";
            break;
        case K::Host:
            out += "host " + hexText(s.bytes);
            break;
        case K::HostFile:
            out += "host-file " + quotedPath(s.path);
            break;
        case K::Wait:
            out += "wait " + QByteArray::number(s.ms);
            break;
        case K::ExpectSent:
            out += "expect-sent";
            if (!s.bytes.isEmpty())
                out += ' ' + hexText(s.bytes);
            break;
        case K::ExpectPage:
            out += "expect-page " + QByteArray::number(s.page);
            break;
        case K::ExpectScreen:
            out += "expect-screen " + quotedPath(s.path);
            if (!s.region.isNull())
                out += ' ' + QByteArray::number(s.region.x()) + ' ' + QByteArray::number(s.region.y()) + ' '
                       + QByteArray::number(s.region.width()) + ' ' + QByteArray::number(s.region.height());
            if (s.tolerance > 0)
                out += " tolerance " + QByteArray::number(s.tolerance);
            break;
        }
        out += '\n';
    }
    return out;
}

} // namespace h5

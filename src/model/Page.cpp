#include "model/Page.h"

#include "common/FileIo.h"

#include <QFile>

#include <algorithm>
#include <utility>

namespace h5 {

namespace {

// Object tags of the page archive. The settings record is the first new
// class (index 1) and the first object (index 2); "CGraph" is the second new
// class (index 3), so every element after the first refers to it as 03 80.
const char kNewClassTag[2] = {'\xFF', '\xFF'};
const char kGraphClassRef[2] = {'\x03', '\x80'};
const char kTypeGraphName[] = "CTypeGraph";
const char kGraphName[] = "CGraph";

constexpr std::size_t kMinElementBytes = 80 + 3; // numbers and three empty texts

void writeClassHeader(ByteWriter &out, const char *name, std::size_t len)
{
    out.bytes(kNewClassTag, 2);
    out.le16(1); // schema
    out.le16(uint32_t(len));
    out.bytes(name, len);
}

// Reads "FF FF, schema, name length, name" and checks it names `name`
// with schema 1.
bool readClassHeader(ByteReader &in, const char *name, std::size_t len, const QString &what,
                     QString *error)
{
    const std::size_t at = in.pos();
    auto fail = [&](const QString &why) {
        if (error)
            *error = QStringLiteral("%1（位置%2）：%3").arg(what).arg(at).arg(why);
        return false;
    };
    uint16_t tag = 0, schema = 0, nameLen = 0;
    if (!in.le16(tag))
        return fail(QStringLiteral("文件在此结束"));
    if (tag != 0xFFFF)
        return fail(QStringLiteral("应为类标记 FF FF，实为 %1 %2")
                        .arg(tag & 0xFF, 2, 16, QLatin1Char('0'))
                        .arg(tag >> 8, 2, 16, QLatin1Char('0')));
    if (!in.le16(schema) || !in.le16(nameLen))
        return fail(QStringLiteral("文件在类标记中结束"));
    std::string found;
    if (nameLen > 64 || !in.bytes(nameLen, found))
        return fail(QStringLiteral("类名损坏"));
    if (found != std::string(name, len))
        return fail(QStringLiteral("类名为“%1”，应为“%2”")
                        .arg(QString::fromLatin1(found.data(), int(found.size())),
                             QString::fromLatin1(name)));
    if (schema != 1)
        return fail(QStringLiteral("类“%1”的版本号为%2，应为1")
                        .arg(QString::fromLatin1(name))
                        .arg(schema));
    return true;
}

} // namespace

void Page::normalise(int resolutionIndex)
{
    elements.erase(std::remove_if(elements.begin(), elements.end(),
                                  [](const CGraph &g) { return g.m_nKind == Kind::DeleteMarker; }),
                   elements.end());

    const QSize screen = resolutionSize(resolutionIndex);
    if (screen.isValid()) {
        const int w = screen.width(), h = screen.height();
        // The test takes the points as drawn: a rectangle drawn from bottom
        // right to top left is judged before its corners are ordered.
        elements.erase(std::remove_if(elements.begin(), elements.end(),
                                      [w, h](const CGraph &g) {
                                          return g.m_ptStart.x() > w || g.m_ptStart.y() > h
                                              || g.m_ptEnd.x() < 0 || g.m_ptEnd.y() < 0;
                                      }),
                       elements.end());
    }

    for (CGraph &g : elements) {
        if (!hasOrderedCorners(g.m_nKind))
            continue;
        if (g.m_ptEnd.x() < g.m_ptStart.x()) {
            const int x = g.m_ptStart.x();
            g.m_ptStart.setX(g.m_ptEnd.x());
            g.m_ptEnd.setX(x);
        }
        if (g.m_ptEnd.y() < g.m_ptStart.y()) {
            const int y = g.m_ptStart.y();
            g.m_ptStart.setY(g.m_ptEnd.y());
            g.m_ptEnd.setY(y);
        }
    }
}

QByteArray Page::toPageFile() const
{
    QByteArray data;
    data.reserve(44 + qsizetype(elements.size()) * 100);
    ByteWriter out(data);
    writeClassHeader(out, kTypeGraphName, sizeof(kTypeGraphName) - 1);
    settings.Serialize(out);
    // Delete markers are an editing aid and never reach a file.
    uint32_t count = 0;
    for (const CGraph &g : elements)
        count += g.m_nKind != Kind::DeleteMarker;
    out.le32(count);
    bool first = true;
    for (const CGraph &g : elements) {
        if (g.m_nKind == Kind::DeleteMarker)
            continue;
        if (first)
            writeClassHeader(out, kGraphName, sizeof(kGraphName) - 1);
        else
            out.bytes(kGraphClassRef, 2);
        first = false;
        g.Serialize(out);
    }
    return data;
}

namespace {

// Reads the head of a page file (settings object and element count) and
// checks the count against the bounds of a page and against `fileSize`,
// the length of the whole file, so a file can be judged by its first 44
// bytes before the rest is read.
bool readHead(ByteReader &in, qint64 fileSize, CTypeGraph &settings, uint32_t &count,
              QString *error)
{
    auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (fileSize < kPageFileHeadBytes)
        return fail(QStringLiteral("不是页面文件：文件长%1字节，页面文件至少有44字节").arg(fileSize));
    if (!readClassHeader(in, kTypeGraphName, sizeof(kTypeGraphName) - 1,
                         QStringLiteral("页面设置"), error))
        return false;
    if (!settings.Serialize(in) || !in.le32(count))
        return fail(QStringLiteral("不是页面文件：文件在页面设置中结束"));
    if (count > uint32_t(kMaxPageElements))
        return fail(QStringLiteral("图元个数%1超过一个页面所能容纳的%2个（页面指令至多255个flash页）")
                        .arg(count)
                        .arg(kMaxPageElements));
    // Every element takes at least 85 bytes; a count the file cannot hold is
    // refused before any memory is reserved for it.
    if (count > 0
        && qint64(count) * qint64(kMinElementBytes + 2) + 10 > fileSize - qint64(in.pos()))
        return fail(QStringLiteral("图元个数%1超出文件所能容纳的数目").arg(count));
    return true;
}

QString tooLarge(qint64 size)
{
    return QStringLiteral("不是页面文件：文件长%1字节，超过页面文件的上限%2字节")
        .arg(size)
        .arg(kMaxPageFileBytes);
}

} // namespace

bool Page::fromPageFile(const QByteArray &data, QString *error)
{
    auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (data.size() > kMaxPageFileBytes)
        return fail(tooLarge(data.size()));
    ByteReader in(data);
    CTypeGraph newSettings;
    uint32_t count = 0;
    if (!readHead(in, data.size(), newSettings, count, error))
        return false;

    std::vector<CGraph> newElements;
    newElements.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        const QString what = QStringLiteral("图元%1").arg(i);
        if (i == 0) {
            if (!readClassHeader(in, kGraphName, sizeof(kGraphName) - 1, what, error))
                return false;
        } else {
            const std::size_t at = in.pos();
            if (!in.expect(kGraphClassRef, 2)) {
                if (in.remaining() < 2)
                    return fail(QStringLiteral("%1（位置%2）：文件在此结束").arg(what).arg(at));
                return fail(QStringLiteral("%1（位置%2）：应为图元标记 03 80")
                                .arg(what)
                                .arg(at));
            }
        }
        CGraph g;
        QString why;
        if (!g.Serialize(in, &why))
            return fail(QStringLiteral("%1: %2").arg(what, why));
        newElements.push_back(std::move(g));
    }
    if (!in.atEnd())
        return fail(QStringLiteral("最后一个图元之后多出%1字节（位置%2）")
                        .arg(in.remaining())
                        .arg(in.pos()));
    settings = newSettings;
    elements = std::move(newElements);
    return true;
}

bool Page::load(const QString &path, QString *error)
{
    auto fail = [&](const QString &why) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, why);
        return false;
    };
    // The size is judged first and the head next, each before anything
    // more is read: a file no page can be costs neither the time nor the
    // memory to read it.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        // Told in the words every file read uses (the path and the
        // system's reason).
        QByteArray none;
        QString why;
        if (readFileHead(path, 0, none, &why) || why.isEmpty())
            return fail(file.errorString());
        if (error)
            *error = why;
        return false;
    }
    // A pipe has no size to judge; it is read up to the bound.
    const bool sized = !file.isSequential();
    const qint64 size = sized ? file.size() : kMaxPageFileBytes;
    if (size > kMaxPageFileBytes)
        return fail(tooLarge(size));
    QByteArray data;
    data.reserve(sized ? size : kPageFileHeadBytes);
    char buffer[65536];
    auto readUpTo = [&](qint64 total) {
        while (data.size() < total) {
            const qint64 n = file.read(buffer, qMin<qint64>(qint64(sizeof buffer), total - data.size()));
            if (n < 0)
                return false;
            if (n == 0)
                break;
            data.append(buffer, n);
        }
        return true;
    };
    if (!readUpTo(kPageFileHeadBytes))
        return fail(file.errorString());
    QString why;
    {
        ByteReader in(data);
        CTypeGraph head;
        uint32_t count = 0;
        if (!readHead(in, sized ? size : kMaxPageFileBytes, head, count, &why))
            return fail(why);
    }
    // One byte past the bound shows a pipe that goes on too long.
    if (!readUpTo(kMaxPageFileBytes + 1))
        return fail(file.errorString());
    if (data.size() > kMaxPageFileBytes)
        return fail(tooLarge(data.size()));
    if (!fromPageFile(data, &why))
        return fail(why);
    return true;
}

bool Page::save(const QString &path, QString *error) const
{
    return writeFileAtomically(path, toPageFile(), error);
}

QString pageFileName(int pageNo) { return QString::number(pageNo) + QStringLiteral(".wlp"); }
QString instructionFileName(int pageNo) { return QString::number(pageNo) + QStringLiteral(".wlc"); }

} // namespace h5

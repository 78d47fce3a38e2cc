#pragma once
// Shared by the link tests: a LinkHost that records every call, and input
// files (project file, picture list, font file) built by hand from their
// byte layouts.

#include "support/TestUtil.h"

#include "link/LinkHost.h"
#include "link/TransferSession.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <vector>

namespace h5linktest {

constexpr int kPage = 2112;
constexpr int kSlotArea = 1236000;
constexpr int kProjectDataAt = 102406;

// A session's state as its protocol number, the way the tables of cases
// name states.
inline int stateNumber(const h5::TransferSession &session) { return static_cast<int>(session.state()); }

// Records every call in order. Short frames are logged as hex, packets by
// their size; every sent frame is kept whole in `sent`.
class RecordingHost : public h5::LinkHost
{
public:
    void send(const QByteArray &bytes) override
    {
        sent.push_back(bytes);
        log << (bytes.size() <= 16 ? QStringLiteral("send %1").arg(QString::fromLatin1(bytes.toHex(' ').toUpper()))
                                   : QStringLiteral("send[%1]").arg(bytes.size()));
    }
    void discard() override { log << QStringLiteral("discard"); }
    void discardInput() override { log << QStringLiteral("discard input"); }
    void status(const QString &text) override
    {
        statuses << text;
        log << QStringLiteral("status ") + text;
    }
    void message(const QString &text) override
    {
        messages << text;
        log << QStringLiteral("message ") + text;
    }
    bool ask(const QString &text) override
    {
        log << QStringLiteral("ask ") + text;
        return true;
    }
    void startTimer(int id, int ms) override { log << QStringLiteral("start %1 %2").arg(id).arg(ms); }
    void stopTimer(int id) override { log << QStringLiteral("stop %1").arg(id); }
    void closePort() override { log << QStringLiteral("closePort"); }
    void progress(qint64 done, qint64 total) override { progressCalls.push_back({done, total}); }

    void clear()
    {
        sent.clear();
        log.clear();
        statuses.clear();
        messages.clear();
        progressCalls.clear();
    }
    // The log without the reply time-out's timer calls.
    QStringList logWithoutReplyTimer() const
    {
        QStringList out;
        for (const QString &l : log)
            if (l != QLatin1String("start 3 5000") && l != QLatin1String("stop 3"))
                out << l;
        return out;
    }
    QByteArray allSent() const
    {
        QByteArray out;
        for (const QByteArray &b : sent)
            out += b;
        return out;
    }

    std::vector<QByteArray> sent;
    QStringList log;
    QStringList statuses;
    QStringList messages;
    std::vector<std::pair<qint64, qint64>> progressCalls;
};

// Bytes that depend on their position and on `seed`, so a misplaced or
// mixed-up packet shows.
inline QByteArray pattern(int size, int seed)
{
    QByteArray b(size, Qt::Uninitialized);
    char *d = b.data();
    for (int i = 0; i < size; ++i)
        d[i] = char((i * 13 + seed * 101 + i / 256) & 0xFF);
    return b;
}

// Project data: header, page index, then one long-form segment per entry
// of `segmentPages` with that many flash pages.
inline QByteArray projectData(const std::vector<int> &segmentPages)
{
    QByteArray d = h5test::hex("7F 1B 75 FF FF EE FF");
    d += pattern(2048, 1);
    int first = 0;
    for (size_t s = 0; s < segmentPages.size(); ++s) {
        const int n = segmentPages[s];
        d += h5test::Blob().u8(0x7F).u8(0x1B).u8(0x56).u16(unsigned(first)).u16(unsigned(n)).b;
        d += h5test::hex("FF FF EE FF");
        d += pattern(n * kPage, int(10 + s));
        first += n;
    }
    return d;
}

// A project file: 6-byte header (resolution index 4), 1024 page-table
// records of 100 bytes (record p gets `pageLengths[p]` pages when that is
// nonzero), then `data`.
inline QByteArray projectFile(const QByteArray &data, const std::vector<int> &pageLengths = {})
{
    QByteArray f(kProjectDataAt, '\0');
    f[4] = 4;
    f[5] = 0x0A;
    for (size_t p = 0; p < pageLengths.size(); ++p) {
        if (pageLengths[p] == 0)
            continue;
        const int at = 6 + int(p) * 100;
        f[at] = char((p + 1) & 0xFF);
        f[at + 1] = char((p + 1) >> 8);
        f[at + 8] = char(pageLengths[p]);
    }
    return f + data;
}

struct TestPicture
{
    int number;
    int width;
    int height;
    const char *path = "";
    bool inUse = true;
};

inline int pagesOf(const TestPicture &p) { return (p.width * p.height * 2 + kPage - 1) / kPage; }

// The pixels a test picture carries.
inline QByteArray pixelsOf(const TestPicture &p) { return pattern(p.width * p.height * 2, 50 + p.number); }

// A picture list: 600 slot records (in-use byte, path, big-endian width and
// height at 2050 and 2052), then each picture's pixels padded to whole
// pages, in number order.
inline QByteArray pictureList(const std::vector<TestPicture> &pictures)
{
    QByteArray f(kSlotArea, '\0');
    for (const TestPicture &p : pictures) {
        const int at = p.number * 2060;
        f[at] = p.inUse ? 1 : 0;
        const QByteArray path(p.path);
        f.replace(at + 2, path.size(), path);
        f[at + 2050] = char(p.width >> 8);
        f[at + 2051] = char(p.width & 0xFF);
        f[at + 2052] = char(p.height >> 8);
        f[at + 2053] = char(p.height & 0xFF);
    }
    std::vector<TestPicture> sorted = pictures;
    std::sort(sorted.begin(), sorted.end(), [](auto &a, auto &b) { return a.number < b.number; });
    // Made in one buffer of its final size: some lists are larger than the
    // flash, and growing and copying them cost more than the tests.
    qsizetype total = f.size();
    for (const TestPicture &p : sorted)
        total += qsizetype(pagesOf(p)) * kPage;
    f.reserve(total);
    for (const TestPicture &p : sorted) {
        const qsizetype start = f.size();
        f += pixelsOf(p);
        f.append(start + qsizetype(pagesOf(p)) * kPage - f.size(), '\0');
    }
    return f;
}

// A font file: one 11-byte header 7F 1B 74 font(2) pages(2) FF FF EE FF
// per entry of `segmentPages`, each followed by its pages.
inline QByteArray fontFile(const std::vector<int> &segmentPages)
{
    QByteArray f;
    for (size_t s = 0; s < segmentPages.size(); ++s) {
        f += h5test::Blob().u8(0x7F).u8(0x1B).u8(0x74).u16(unsigned(s)).u16(unsigned(segmentPages[s])).b;
        f += h5test::hex("FF FF EE FF");
        f += pattern(segmentPages[s] * kPage, int(30 + s));
    }
    return f;
}

inline QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = QDir(dir.path()).filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

inline QByteArray bytes1(unsigned char b) { return QByteArray(1, char(b)); }

} // namespace h5linktest

#pragma once
// What must hold for the debug window's session whatever the terminal sends
// and whenever timers and drained events come: the input is a script of
// events (bytes received, timer ticks, drained output, the window's
// commands). The record logs only bytes that really came, in whole entries;
// the receive text stays hex triplets and bounded; the state is always one
// of the link states; nothing is sent while the port is closed.

#include "FuzzCheck.h"

#include "link/DebugSession.h"
#include "link/LinkHost.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <set>
#include <string>
#include <vector>

namespace h5fuzz {

class DebugFuzzHost : public h5::LinkHost
{
public:
    void send(const QByteArray &bytes) override { sent += bytes.size(); }
    void discard() override {}
    void discardInput() override {}
    void status(const QString &) override {}
    void message(const QString &) override {}
    bool ask(const QString &) override { return answer = !answer; }
    void startTimer(int id, int) override { running.insert(id); }
    void stopTimer(int id) override { running.erase(id); }
    void closePort() override {}

    qint64 sent = 0;
    bool answer = false;
    std::set<int> running;
};

inline bool isHexTriplets(const QByteArray &text)
{
    if (text.size() % 3 != 0)
        return false;
    auto hexDigit = [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); };
    for (qsizetype i = 0; i < text.size(); i += 3)
        if (!hexDigit(text[i]) || !hexDigit(text[i + 1]) || text[i + 2] != ' ')
            return false;
    return true;
}

inline bool knownState(h5::LinkState s)
{
    switch (s) {
    case h5::LinkState::Offline:
    case h5::LinkState::Connecting:
    case h5::LinkState::PictureHandshake:
    case h5::LinkState::PictureHeaderSent:
    case h5::LinkState::PicturePageSent:
    case h5::LinkState::FontHandshake:
    case h5::LinkState::FontPageSent:
    case h5::LinkState::BulkSend:
    case h5::LinkState::Ready:
    case h5::LinkState::RegistryRead:
    case h5::LinkState::RegistryWriteStart:
    case h5::LinkState::RegistryPageSent:
    case h5::LinkState::RegistryDone:
    case h5::LinkState::RealtimeHeaderSent:
    case h5::LinkState::RealtimeChunks:
        return true;
    }
    return false;
}

// The received entries of a record: the hex text of each, its lines joined.
inline QStringList receivedEntries(const QString &record)
{
    QStringList out;
    const QStringList lines = record.split(QStringLiteral("\r\n"));
    bool inReceived = false;
    for (const QString &line : lines) {
        if (line.endsWith(QStringLiteral(" 收到 ")) || line.endsWith(QStringLiteral(" 发送 "))) {
            inReceived = line.endsWith(QStringLiteral(" 收到 "));
            if (inReceived)
                out << QString();
            continue;
        }
        if (inReceived && !out.isEmpty())
            out.last() += line;
    }
    return out;
}

inline void checkDebugSessionInput(const uint8_t *data, size_t size)
{
    DebugFuzzHost host;
    h5::DebugSession session(host, [] { return QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)); });
    QByteArray receivedHex; // every byte that came while the port was open
    bool open = false;
    size_t i = 0;
    while (i < size) {
        const uint8_t op = data[i++];
        switch (op % 8) {
        case 0:
        case 1:
        case 2: { // bytes from the terminal
            const size_t n = std::min<size_t>(size - i, size_t(op / 8) % 24 + 1);
            const QByteArray bytes(reinterpret_cast<const char *>(data + i), qsizetype(n));
            i += n;
            if (bytes.isEmpty())
                break;
            if (open) {
                for (char c : bytes)
                    receivedHex += QByteArray::number(uint8_t(c), 16).rightJustified(2, '0') + ' ';
            }
            session.onReceive(bytes);
            break;
        }
        case 3: // a timer goes off, if it runs
            if (!host.running.empty()) {
                auto it = host.running.begin();
                std::advance(it, (op / 8) % host.running.size());
                session.onTimer(*it);
            }
            break;
        case 4:
            session.onOutputDrained();
            break;
        case 5: { // the port opens or closes
            const qint64 before = host.sent;
            if (open)
                session.portClosed();
            else
                session.portOpened();
            open = !open;
            check(host.sent == before, "opening or closing sent bytes");
            break;
        }
        case 6: { // a download
            const int kind = (op / 8) % 4;
            const qint64 before = host.sent;
            if (kind == 0) {
                std::vector<h5::DebugPicture> list = {{1, 30, 30, -1}, {7, 100, 50, -1}, {9, 0, 5, -1}};
                session.downloadPictures(list, (op & 0x40) != 0, [](size_t index, QString *) {
                    return index == 1 ? QByteArray() : QByteArray(index == 0 ? 1800 : 10000, '\x5a');
                });
            } else if (kind == 1) {
                session.downloadFonts({}); // fonts need files; an empty queue is told
            } else if (kind == 2) {
                session.sendChunked(QByteArray(int(op) * 40, '\x11'), h5::LinkState::BulkSend);
            } else {
                session.sendRealtimePicture(QByteArray(14, '\x1b'), QByteArray(int(op) * 30, '\x22'));
            }
            if (!open)
                check(host.sent == before, "a command sent bytes while the port was closed");
            break;
        }
        default:
            if (op & 0x80)
                session.clearRecord();
            break;
        }
        check(knownState(session.state()), "the link state is not one of the link states");
        check(isHexTriplets(session.receiveText()), "the receive text is not hex triplets");
        check(session.receiveText().size() <= 64 * 1024 + 3 * 32, "the receive text grows without bound");
        check(open == session.connected(), "the session's port state differs from the line's");
    }
    // Every received entry of the record holds bytes that came, in order.
    for (const QString &entry : receivedEntries(session.record().text()))
        check(receivedHex.contains(entry.toLatin1()), "the record logs bytes that never came");
}

} // namespace h5fuzz

#include "link/DebugSession.h"

#include "link/Frames.h"

namespace h5 {

namespace {

const QString kNoConnection = QStringLiteral("串口连接失败，可能是波特率设置错误或者下位机连接不正确。");
const QString kWrongConnection = QStringLiteral("串口连接错误，可能是波特率设置错误或者下位机连接不正确。");

// "xx " per byte, as the receive text and the record keep bytes.
QByteArray hexText(const QByteArray &bytes)
{
    static const char digits[] = "0123456789abcdef";
    QByteArray out;
    out.reserve(bytes.size() * 3);
    for (char c : bytes) {
        const auto b = uint8_t(c);
        out.append(digits[b >> 4]);
        out.append(digits[b & 0x0F]);
        out.append(' ');
    }
    return out;
}

} // namespace

// ---- communication record ----

CommRecord::CommRecord(Clock clock) : m_clock(std::move(clock))
{
    if (!m_clock)
        m_clock = [] { return QDateTime::currentDateTime(); };
}

QString CommRecord::stamp(const char *what) const
{
    const QDateTime t = m_clock();
    const QDate d = t.date();
    const QTime h = t.time();
    return QStringLiteral("%1-%2-%3 %4:%5:%6 %7 \r\n")
        .arg(d.year())
        .arg(d.month())
        .arg(d.day())
        .arg(h.hour())
        .arg(h.minute())
        .arg(h.second())
        .arg(QString::fromUtf8(what));
}

void CommRecord::addSent(const QByteArray &bytes)
{
    m_text += stamp("发送") + QString::fromLatin1(hexText(bytes)) + QStringLiteral("\r\n");
}

void CommRecord::addSentText(const QString &text)
{
    m_text += stamp("发送") + text + QStringLiteral(" \r\n");
}

void CommRecord::addReceivedByte(uint8_t byte)
{
    m_text += stamp("收到") + QString::fromLatin1(hexText(QByteArray(1, char(byte)))) + QStringLiteral("\r\n");
}

void CommRecord::addReceivedLine(const QByteArray &text)
{
    m_text += stamp("收到") + QString::fromLatin1(text) + QStringLiteral("\r\n");
}

void CommRecord::addReceivedLines(const QByteArray &text)
{
    QString entry = stamp("收到");
    qsizetype at = 0;
    for (; at + kLineChars <= text.size(); at += kLineChars)
        entry += QString::fromLatin1(text.mid(at, kLineChars)) + QStringLiteral("\r\n");
    // The remainder gets its line even when it is empty.
    entry += QString::fromLatin1(text.mid(at)) + QStringLiteral("\r\n");
    m_text += entry;
}

// ---- session ----

DebugSession::DebugSession(LinkHost &host, CommRecord::Clock clock) : m_host(host), m_record(std::move(clock)) {}

void DebugSession::portOpened()
{
    m_connected = true;
    m_text.clear();
    m_chunks.clear();
    setState(LinkState::Connecting);
    m_ticks = 0;
    m_host.stopTimer(kProbeTimer);
    m_host.startTimer(kProbeTimer, kProbeInterval);
}

void DebugSession::portClosed()
{
    m_host.stopTimer(kProbeTimer);
    m_host.stopTimer(kRegistryTimer);
    m_connected = false;
    m_text.clear();
    m_chunks.clear();
    m_chunkCount = m_chunkIndex = m_chunkTotal = 0;
    setState(LinkState::Offline);
    dropStaging();
}

void DebugSession::clearRecord()
{
    m_record.clear();
    recordChanged();
}

void DebugSession::onTimer(int id)
{
    if (id == kProbeTimer)
        probeTick();
}

void DebugSession::probeTick()
{
    if (m_ticks < kProbes) {
        const QByteArray probe(1, kConnectionProbe);
        if (m_state == LinkState::Connecting) {
            m_record.addSent(probe);
            recordChanged();
        }
        m_host.send(probe);
    }
    if (m_ticks == kGiveUpTick) {
        m_host.status(QStringLiteral("串口连接不上!"));
        dropStaging();
        setState(LinkState::Offline);
        m_host.stopTimer(kProbeTimer);
        ++m_ticks;
        m_host.message(kNoConnection);
        return;
    }
    ++m_ticks;
}

void DebugSession::onReceive(const QByteArray &bytes)
{
    if (bytes.isEmpty() || !m_connected)
        return;
    m_text += hexText(bytes);
    const auto reply = uint8_t(bytes.back());
    switch (m_state) {
    case LinkState::Offline:
        // Received data is not looked at; the text does not pile up.
        m_text.clear();
        return;
    case LinkState::Connecting:
        connectReply(reply);
        return;
    case LinkState::Ready:
        readyReports();
        return;
    case LinkState::BulkSend:
    case LinkState::RealtimeChunks:
        // Not looked at until a command sets Ready again.
        m_text.clear();
        return;
    default:
        transferStep(reply);
        return;
    }
}

void DebugSession::connectReply(uint8_t reply)
{
    m_text.clear();
    m_host.stopTimer(kProbeTimer);
    if (reply == kConnectionReply) {
        setState(LinkState::Ready);
        m_host.discard();
        m_host.status(QStringLiteral("串口已连接!"));
        m_record.addReceivedByte(reply);
        recordChanged();
        return;
    }
    setState(LinkState::Offline);
    m_host.discard();
    m_host.status(QStringLiteral("串口连接错误!"));
    m_record.addReceivedByte(reply);
    recordChanged();
    m_host.message(kWrongConnection);
}

// The window decodes no report; it frames them by their first bytes and
// logs them. A report that is not complete yet stays in the receive text
// until more bytes arrive.
void DebugSession::readyReports()
{
    auto whole = [this](const char *a, const char *b, int unit) {
        // Touch and key reports: whole units logged as one line, the rest
        // kept for the next event.
        if (m_text.size() > unit - 1 && (m_text.startsWith(a) || m_text.startsWith(b))) {
            const qsizetype n = (m_text.size() / unit) * unit;
            m_record.addReceivedLine(m_text.left(n));
            m_text.remove(0, n);
            recordChanged();
        }
    };
    auto logAll = [this](bool lines) {
        if (lines)
            m_record.addReceivedLines(m_text);
        else
            m_record.addReceivedLine(m_text);
        m_text.clear();
        m_host.discard();
        recordChanged();
    };

    if (m_text.startsWith("fe ")) {
        whole("fe fe ", "fe f0 ", 18);
    } else if (m_text.startsWith("fc ")) {
        whole("fc fc ", "fc f0 ", 12);
    } else if (m_text.startsWith("fd ")) {
        if (m_text.startsWith("fd fd ") && m_text.size() == 9)
            logAll(false);
    } else if (m_text.startsWith("dd ")) {
        if (m_text.startsWith("dd ac ") && m_text.endsWith("ff ff ee ff "))
            logAll(true);
    } else if (m_text.startsWith("ff ")) {
        if (m_text == "ff ff ee ff ")
            logAll(false);
    } else if (m_text == "33 ") {
        logAll(false);
    } else {
        m_text.clear();
        m_host.discard();
    }
}

void DebugSession::transferStep(uint8_t reply)
{
    // Picture download (PictureHandshake, RegistryRead .. RegistryDone,
    // PictureHeaderSent, PicturePageSent), font download (FontHandshake,
    // FontPageSent) and the realtime picture header (RealtimeHeaderSent)
    // are stepped here, on the last byte of the event. Until they are
    // built the text is dropped and the state left as it is.
    (void)reply;
    m_text.clear();
}

// ---- chunked sending ----

bool DebugSession::sendChunked(const QByteArray &bytes, LinkState chunkState)
{
    if (!m_connected || bytes.isEmpty())
        return false;
    m_host.discard();
    if (bytes.size() <= kChunkBytes) {
        m_chunks.clear();
        m_chunkCount = m_chunkIndex = m_chunkTotal = 0;
        setState(LinkState::Ready);
        m_host.send(bytes);
        sendStatus(QStringLiteral("下载：100%"));
        return true;
    }
    setState(chunkState);
    m_chunks = bytes;
    m_chunkTotal = bytes.size();
    m_chunkCount = (m_chunkTotal + kChunkBytes - 1) / kChunkBytes;
    m_chunkIndex = 0;
    m_host.send(m_chunks.left(kChunkBytes));
    sendStatus(QStringLiteral("下载：%1%").arg(percent(1, m_chunkCount)));
    m_host.progress(kChunkBytes, m_chunkTotal);
    return true;
}

void DebugSession::onOutputDrained()
{
    if (m_state != LinkState::BulkSend && m_state != LinkState::RealtimeChunks)
        return;
    if (m_chunkCount == 0 || m_chunkIndex >= m_chunkCount)
        return; // after the last chunk drained, nothing changes
    const int64_t i = ++m_chunkIndex;
    if (i + 1 < m_chunkCount) {
        m_host.send(m_chunks.mid(i * kChunkBytes, kChunkBytes));
        sendStatus(QStringLiteral("正在下载..."));
        m_host.progress((i + 1) * kChunkBytes, m_chunkTotal);
    } else if (i + 1 == m_chunkCount) {
        m_host.send(m_chunks.mid(i * kChunkBytes));
        m_chunks.clear();
        m_chunks.squeeze();
        m_host.progress(m_chunkTotal, m_chunkTotal);
    } else {
        sendStatus(QStringLiteral("下载完毕"));
    }
}

void DebugSession::sendStatus(const QString &text)
{
    if (m_sendStatus)
        m_sendStatus(text);
    else
        m_host.status(text);
}

void DebugSession::recordChanged()
{
    if (m_recordChanged)
        m_recordChanged();
}

} // namespace h5

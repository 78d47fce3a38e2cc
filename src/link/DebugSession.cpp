#include "link/DebugSession.h"

#include "link/Frames.h"
#include "link/LiveCommands.h"
#include "link/Registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <utility>

namespace h5 {

namespace {

const QString kNoConnection = QStringLiteral("串口连接失败，可能是波特率设置错误或者下位机连接不正确。");
const QString kWrongConnection = QStringLiteral("串口连接错误，可能是波特率设置错误或者下位机连接不正确。");

// "xx " per byte, as the receive text and the record keep bytes.
QByteArray hexText(const QByteArray &bytes)
{
    QByteArray out;
    appendReceiveText(out, bytes);
    return out;
}

// A "dd ac" report longer than this (as receive text) is taken for noise:
// a whole picture registry fits with room to spare.
constexpr qsizetype kLongestReportText = 64 * 1024;

} // namespace

QByteArray decodeFontText(const QByteArray &text, QString *error)
{
    QByteArray out;
    decodeHexText(text, out, error);
    return out;
}

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
    m_reply.stop();
    m_connected = false;
    m_text.clear();
    m_chunks.clear();
    m_chunkCount = m_chunkIndex = m_chunkTotal = 0;
    m_realtime.clear();
    if (inDownload())
        m_lastEnd = DownloadEnd::Failed;
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
    if (id == kProbeTimer) {
        probeTick();
        return;
    }
    if (id == kReplyTimer && m_state == LinkState::RealtimeHeaderSent) {
        m_reply.fired();
        m_host.discard();
        m_realtime.clear();
        setState(LinkState::Ready);
        sendStatus(QStringLiteral("连接超时!"));
        return;
    }
    if (id == kRegistryTimer || id == kReplyTimer) {
        if (id == kReplyTimer)
            m_reply.fired();
        else
            m_host.stopTimer(id);
        if (!inDownload())
            return;
        if (id == kRegistryTimer && m_state != LinkState::RegistryRead)
            return;
        const bool font = m_state == LinkState::FontPageSent;
        m_host.discard();
        endDownload(QStringLiteral("连接超时!"), font);
    }
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
        if (inDownload())
            m_lastEnd = DownloadEnd::Failed;
        m_host.status(QStringLiteral("串口连接不上!"));
        dropStaging();
        setState(LinkState::Offline);
        m_host.stopTimer(kProbeTimer);
        ++m_ticks;
        m_reply.message(kNoConnection);
        return;
    }
    ++m_ticks;
}

void DebugSession::onReceive(const QByteArray &bytes)
{
    if (bytes.isEmpty() || !m_connected)
        return;
    appendReceiveText(m_text, bytes);
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
    m_reply.message(kWrongConnection);
}

// The window decodes no report; it frames them by their first bytes and
// logs them. A report that is not complete yet stays in the receive text
// until more bytes arrive.
void DebugSession::readyReports()
{
    // Whole touch or key reports leave the rest of the text behind; when
    // the same read brought another report after them, it is framed now
    // rather than waiting for bytes that may never come.
    for (;;) {
        const qsizetype before = m_text.size();
        frameOneReport();
        if (m_text.isEmpty() || m_text.size() == before)
            return;
    }
}

void DebugSession::frameOneReport()
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
    // Framing a report empties only the input: a realtime picture or a hex
    // file still going out must not be cut short by a touch report.
    auto logAll = [this](bool lines) {
        if (lines)
            m_record.addReceivedLines(m_text);
        else
            m_record.addReceivedLine(m_text);
        m_text.clear();
        m_host.discardInput();
        recordChanged();
    };

    // A text that starts like a report but can no longer become one would
    // wait for ever and keep every later report out of the record; it is
    // dropped instead, as other data is, without a record line.
    auto drop = [this] {
        m_text.clear();
        m_host.discardInput();
    };
    auto secondByteIs = [this](const char *a, const char *b) {
        return m_text.size() < 6 || m_text.startsWith(a) || (b && m_text.startsWith(b));
    };

    if (m_text.startsWith("fe ")) {
        whole("fe fe ", "fe f0 ", 18);
        if (m_text.startsWith("fe ") && !secondByteIs("fe fe ", "fe f0 "))
            drop();
    } else if (m_text.startsWith("fc ")) {
        whole("fc fc ", "fc f0 ", 12);
        if (m_text.startsWith("fc ") && !secondByteIs("fc fc ", "fc f0 "))
            drop();
    } else if (m_text.startsWith("fd ")) {
        // Three-byte reports; several in one read are logged one by one.
        constexpr qsizetype kFdReport = 9;
        if (m_text.startsWith("fd fd ") && m_text.size() >= kFdReport) {
            m_record.addReceivedLine(m_text.left(kFdReport));
            m_text.remove(0, kFdReport);
            if (m_text.isEmpty())
                m_host.discardInput();
            recordChanged();
        } else if (!secondByteIs("fd fd ", nullptr)) {
            drop();
        }
    } else if (m_text.startsWith("dd ")) {
        if (m_text.startsWith("dd ac ") && m_text.endsWith("ff ff ee ff "))
            logAll(true);
        else if (!secondByteIs("dd ac ", nullptr) || m_text.size() > kLongestReportText)
            drop();
    } else if (m_text.startsWith("ff ")) {
        if (m_text == "ff ff ee ff ")
            logAll(false);
        else if (!QByteArray("ff ff ee ff ").startsWith(m_text))
            drop();
    } else if (m_text == "33 ") {
        logAll(false);
    } else {
        m_text.clear();
        m_host.discardInput();
    }
}

void DebugSession::transferStep(uint8_t reply)
{
    switch (m_state) {
    case LinkState::FontHandshake:
    case LinkState::FontPageSent:
        fontStep(reply);
        return;
    case LinkState::PictureHandshake:
    case LinkState::RegistryRead:
    case LinkState::RegistryWriteStart:
    case LinkState::RegistryPageSent:
    case LinkState::RegistryDone:
    case LinkState::PictureHeaderSent:
    case LinkState::PicturePageSent:
        pictureStep(reply);
        return;
    case LinkState::RealtimeHeaderSent:
        realtimeStep(reply);
        return;
    default:
        m_text.clear();
        return;
    }
}

// ---- the picture download's hooks: what the debug window does its own way ----

class DebugSession::PictureOwner final : public PictureDownload::Owner
{
public:
    explicit PictureOwner(DebugSession &session) : s(session) {}

    void pictureStep(PictureDownload::Step step) override
    {
        using Step = PictureDownload::Step;
        switch (step) {
        case Step::RegistryRead: s.setState(LinkState::RegistryRead); break;
        case Step::RegistryWrite: s.setState(LinkState::RegistryWriteStart); break;
        case Step::RegistryPages: s.setState(LinkState::RegistryPageSent); break;
        case Step::RegistryDone: s.setState(LinkState::RegistryDone); break;
        case Step::HeaderSent: s.setState(LinkState::PictureHeaderSent); break;
        case Step::PacketSent: s.setState(LinkState::PicturePageSent); break;
        case Step::Idle: break;
        }
    }
    void pictureFrameSent(const QByteArray &frame) override
    {
        s.m_record.addSent(frame);
        s.recordChanged();
    }
    void registryReceived(const QByteArray &text) override
    {
        s.m_host.stopTimer(kRegistryTimer);
        s.m_record.addReceivedLines(text);
        s.recordChanged();
    }
    void picturesPlaced(const std::vector<DownloadPicture> &pictures) override
    {
        for (size_t k = 0; k < pictures.size() && k < s.m_sendIndex.size(); ++k)
            s.m_pictures[s.m_sendIndex[k]].firstBlock = pictures[k].firstBlock;
    }
    bool picturePixels(size_t index, const DownloadPicture &, QByteArray &pixels) override
    {
        // Each picture's pixels were made before the download began; they
        // go with the picture.
        pixels = std::exchange(s.m_pixels[s.m_sendIndex[index]], QByteArray());
        return true;
    }
    void pictureHeaderSent(const DownloadPicture &p, bool) override
    {
        s.m_host.status(QStringLiteral("编号%1图片下载：0%").arg(p.number));
        s.m_host.progress(0, p.pages());
    }
    void picturePacketSent(const DownloadPicture &p, int64_t packet) override
    {
        s.m_host.status(QStringLiteral("编号%1图片下载：%2%").arg(p.number).arg(percent(packet + 1, p.pages())));
        s.m_host.progress(packet + 1, p.pages());
    }
    void pictureFailed(PictureDownload::Step, const QString &text) override
    {
        s.m_text.clear();
        s.endDownload(text, false);
    }
    void picturesDone() override { s.endDownload(QString(), false); }

private:
    DebugSession &s;
};

DebugSession::DebugSession(LinkHost &host, CommRecord::Clock clock)
    : m_host(host), m_record(std::move(clock)), m_pictureOwner(std::make_unique<PictureOwner>(*this)),
      m_pictureDownload(host, m_reply, *m_pictureOwner,
                        PictureDownload::Options{RegistryCheck::FirstBlock,
                                                 QStringLiteral("图片注册表出错，全部清空。"),
                                                 QStringLiteral("存储空间已满，从头覆盖。"), true})
{
}

DebugSession::~DebugSession() = default;

// ---- downloads ----

bool DebugSession::inDownload() const
{
    switch (m_state) {
    case LinkState::PictureHandshake:
    case LinkState::RegistryRead:
    case LinkState::RegistryWriteStart:
    case LinkState::RegistryPageSent:
    case LinkState::RegistryDone:
    case LinkState::PictureHeaderSent:
    case LinkState::PicturePageSent:
    case LinkState::FontHandshake:
    case LinkState::FontPageSent:
        return true;
    default:
        return false;
    }
}

void DebugSession::sendRecorded(const QByteArray &bytes)
{
    m_host.send(bytes);
    m_record.addSent(bytes);
    recordChanged();
}

void DebugSession::armReply(int64_t bytes)
{
    m_reply.arm(bytes);
}

void DebugSession::disarmReply()
{
    m_reply.stop();
}

void DebugSession::stopDownloadTimers()
{
    m_host.stopTimer(kProbeTimer);
    m_host.stopTimer(kRegistryTimer);
    m_reply.stop();
}

void DebugSession::dropStaging()
{
    m_staged.clear();
    m_staged.squeeze();
    m_pictureDownload.dropData();
    m_pixels.clear();
}

void DebugSession::endDownload(const QString &text, bool fontBox)
{
    m_lastEnd = !text.isEmpty() ? DownloadEnd::Failed : m_declined ? DownloadEnd::Declined : DownloadEnd::Completed;
    stopDownloadTimers();
    setState(LinkState::Ready);
    dropStaging();
    m_fonts.clear();
    if (text.isEmpty())
        return;
    if (fontBox)
        sendStatus(text);
    else
        m_host.status(text);
}

bool DebugSession::downloadPictures(const std::vector<DebugPicture> &list, bool erase, PictureSource source)
{
    if (!m_connected)
        return false;
    stopDownloadTimers();
    m_host.discard();
    // A download still under way is given up now: its answers must not
    // drive it on (nor start its time-out) while a question below is open.
    if (inDownload()) {
        m_lastEnd = DownloadEnd::Failed;
        dropStaging();
        setState(LinkState::Ready);
    }
    if (list.empty()) {
        m_host.status(QStringLiteral("无图片下发!"));
        return false;
    }
    dropStaging();
    m_declined = false;
    m_skipped.clear();

    // Every picture is made now, before anything is sent: the terminal's
    // registry must never name a picture whose data does not follow.
    std::vector<DebugPicture> pictures = list;
    std::vector<QByteArray> pixels(list.size());
    int64_t blocks = 0;
    size_t sending = 0;
    for (size_t i = 0; i < pictures.size(); ++i) {
        DebugPicture &p = pictures[i];
        p.firstBlock = -1;
        const int64_t bytes = pictureBytes(p.width, p.height);
        QString problem;
        if (p.width <= 0 || p.height <= 0)
            problem = QStringLiteral("宽度或高度为0");
        else if (pictureBlocks(p.width, p.height) > kSlotCount)
            problem = QStringLiteral("%1×%2超出终端的图片存储空间").arg(p.width).arg(p.height);
        else if (source)
            pixels[i] = source(i, &problem);
        if (problem.isEmpty() && pixels[i].size() != bytes)
            problem = QStringLiteral("图片数据不全");
        if (pixels[i].size() == bytes && problem.isEmpty()) {
            blocks += pictureBlocks(p.width, p.height);
            ++sending;
            continue;
        }
        pixels[i].clear();
        m_host.status(QStringLiteral("编号%1图片丢失：%2").arg(p.number).arg(problem));
        if (!m_reply.ask(QStringLiteral("编号%1图片丢失，是否跳过继续下载?").arg(p.number))) {
            m_declined = true;
            m_lastEnd = DownloadEnd::Declined;
            return false;
        }
        m_skipped.push_back(p.number);
        if (!m_connected) {
            m_lastEnd = DownloadEnd::Failed; // the port closed while the question was open
            return false;
        }
    }
    if (sending == 0) {
        m_host.status(QStringLiteral("无图片下发!"));
        m_lastEnd = DownloadEnd::Declined;
        return false;
    }
    if (blocks > kSlotCount) {
        m_host.status(QStringLiteral("图片共需%1个存储块，超出终端的%2个，下载停止").arg(blocks).arg(kSlotCount));
        m_lastEnd = DownloadEnd::Failed;
        return false;
    }

    m_lastEnd = DownloadEnd::Running;
    m_pictures = std::move(pictures);
    m_pixels = std::move(pixels);
    // Only the pictures that will be sent are placed: a skipped one keeps
    // whatever the terminal holds under its number.
    std::vector<DownloadPicture> sent;
    m_sendIndex.clear();
    for (size_t i = 0; i < m_pictures.size(); ++i) {
        if (m_pixels[i].isEmpty())
            continue;
        DownloadPicture d;
        d.number = m_pictures[i].number;
        d.width = m_pictures[i].width;
        d.height = m_pictures[i].height;
        sent.push_back(d);
        m_sendIndex.push_back(i);
    }
    m_pictureDownload.prepare(std::move(sent), erase);
    m_pageCount = m_pageIndex = 0;
    m_ticks = 0;
    m_text.clear();
    setState(LinkState::PictureHandshake);
    m_host.startTimer(kProbeTimer, kProbeInterval);
    return true;
}

void DebugSession::pictureStep(uint8_t reply)
{
    if (m_state != LinkState::PictureHandshake) {
        m_pictureDownload.onAnswer(reply, m_text);
        return;
    }
    // The handshake: the connection reply to the probe.
    m_host.discard();
    m_text.clear();
    if (reply != kConnectionReply) {
        endDownload(QStringLiteral("串口连接错误!"), false);
        return;
    }
    m_host.stopTimer(kProbeTimer);
    m_pictureDownload.begin();
    m_host.stopTimer(kRegistryTimer);
    m_host.startTimer(kRegistryTimer, registryTimeoutMs(kRegistryTimeout, m_host.lineBaud()));
}

bool DebugSession::downloadFonts(const std::vector<DebugFont> &queue)
{
    if (!m_connected)
        return false;
    stopDownloadTimers();
    m_host.discard();
    if (queue.empty()) {
        sendStatus(QStringLiteral("无字库下发!"));
        return false;
    }
    // Every font is read before the first byte goes out.
    std::vector<QByteArray> segments;
    segments.reserve(queue.size());
    for (size_t k = 0; k < queue.size(); ++k) {
        const int shown = int(k + 1);
        const QString &path = queue[k].path;
        if (!QFileInfo::exists(path)) {
            sendStatus(QStringLiteral("第%1个字库丢失，下载停止").arg(shown));
            return false;
        }
        QFile file(path);
        QByteArray text;
        if (file.open(QIODevice::ReadOnly))
            text = file.readAll();
        if (!file.isOpen() || file.error() != QFileDevice::NoError) {
            sendStatus(QStringLiteral("第%1个字库无法读取：%2").arg(shown).arg(QDir::toNativeSeparators(path)));
            return false;
        }
        QString fault;
        const QByteArray data = decodeFontText(text, &fault);
        if (!fault.isEmpty()) {
            // A lone hex digit would shift every later byte of the font.
            sendStatus(QStringLiteral("第%1个字库无法读取：%2：%3").arg(shown).arg(QDir::toNativeSeparators(path), fault));
            return false;
        }
        if (data.isEmpty()) {
            // No byte, no page: it counts as missing.
            sendStatus(QStringLiteral("第%1个字库丢失，下载停止").arg(shown));
            return false;
        }
        segments.push_back(fontSegment(queue[k].number, data));
    }
    dropStaging();
    m_fonts = std::move(segments);
    m_lastEnd = DownloadEnd::Running;
    m_declined = false;
    m_skipped.clear();
    m_pageCount = m_pageIndex = 0;
    m_ticks = 0;
    m_fontIndex = 0;
    m_text.clear();
    setState(LinkState::FontHandshake);
    m_host.startTimer(kProbeTimer, kProbeInterval);
    return true;
}

void DebugSession::startFont()
{
    m_pageIndex = 0;
    m_staged = m_fonts[m_fontIndex++];
    // The segment is read back as the file download reads font segments,
    // so the pages sent are the pages its header announces.
    SegmentHeader header;
    if (!fontSegmentAt(m_staged, 0, header)) {
        endDownload(QStringLiteral("第%1个字库丢失，下载停止").arg(m_fontIndex), true);
        return;
    }
    m_pageCount = header.pages;
    sendRecorded(m_staged.left(kFontSegmentHeader));
    sendStatus(QStringLiteral("下载第%1个字库：0%").arg(m_fontIndex));
    sendProgress(0, m_pageCount);
    armReply(kFontSegmentHeader);
}

void DebugSession::fontStep(uint8_t reply)
{
    m_text.clear();
    if (m_state == LinkState::FontHandshake) {
        m_host.stopTimer(kProbeTimer);
        m_host.discard();
        if (reply != kConnectionReply) {
            endDownload(QStringLiteral("串口连接错误2!"), true);
            return;
        }
        setState(LinkState::FontPageSent);
        startFont();
        return;
    }
    m_host.discard();
    if (reply != kAcknowledge) {
        endDownload(QStringLiteral("串口连接错误3!"), true);
        return;
    }
    ++m_pageIndex;
    if (m_pageIndex <= m_pageCount) {
        const QByteArray page = segmentPage(m_staged, kFontSegmentHeader, m_pageIndex - 1);
        m_host.send(page);
        sendStatus(QStringLiteral("下载第%1个字库：%2%").arg(m_fontIndex).arg(percent(m_pageIndex, m_pageCount)));
        sendProgress(m_pageIndex, m_pageCount);
        armReply(page.size());
        return;
    }
    // The font was taken whole.
    if (m_fontIndex >= m_fonts.size()) {
        endDownload(QString(), true);
        return;
    }
    startFont();
}


// ---- chunked sending ----

// Anything the session was waiting for is given up when a new send starts:
// the download's timers and staging, a realtime picture's pixels.
void DebugSession::abandonWaits()
{
    if (inDownload()) {
        m_lastEnd = DownloadEnd::Failed; // given up for another command
        stopDownloadTimers();
        dropStaging();
    }
    m_reply.stop();
    m_realtime.clear();
    // A handshake still waiting is over too: the command sets Ready.
    if (m_state == LinkState::Connecting)
        m_host.stopTimer(kProbeTimer);
    // Chunks not yet sent are given up with their state.
    m_chunks.clear();
    m_chunkCount = m_chunkIndex = m_chunkTotal = 0;
}

bool DebugSession::sendChunked(const QByteArray &bytes, LinkState chunkState)
{
    if (!m_connected || bytes.isEmpty())
        return false;
    abandonWaits();
    m_host.discard();
    if (bytes.size() <= kChunkBytes) {
        m_chunks.clear();
        m_chunkCount = m_chunkIndex = m_chunkTotal = 0;
        setState(LinkState::Ready);
        m_host.send(bytes);
        sendStatus(QStringLiteral("下载：100%"));
        return true;
    }
    startChunks(bytes, chunkState);
    return true;
}

void DebugSession::startChunks(const QByteArray &bytes, LinkState chunkState)
{
    setState(chunkState);
    m_chunks = bytes;
    m_chunkTotal = bytes.size();
    m_chunkCount = (m_chunkTotal + kChunkBytes - 1) / kChunkBytes;
    m_chunkIndex = 0;
    m_host.send(m_chunks.left(kChunkBytes));
    sendStatus(QStringLiteral("下载：%1%").arg(percent(1, m_chunkCount)));
    sendProgress(kChunkBytes, m_chunkTotal);
}

// ---- live commands ----

bool DebugSession::sendCommand(const QByteArray &frame, bool keepState)
{
    m_record.addSent(frame);
    recordChanged();
    if (!m_connected)
        return false;
    abandonWaits();
    m_host.discard();
    if (!keepState)
        setState(LinkState::Ready);
    m_host.send(frame);
    return true;
}

bool DebugSession::sendCommands(const std::vector<QByteArray> &frames)
{
    QByteArray all;
    for (const QByteArray &f : frames) {
        m_record.addSent(f);
        all += f;
    }
    recordChanged();
    if (!m_connected || all.isEmpty())
        return false;
    abandonWaits();
    m_host.discard();
    setState(LinkState::Ready);
    m_host.send(all);
    return true;
}

void DebugSession::recordFrame(const QByteArray &frame)
{
    m_record.addSent(frame);
    recordChanged();
}

void DebugSession::recordTypedText(const QString &text)
{
    m_record.addSentText(text);
    recordChanged();
}

bool DebugSession::sendTypedBytes(const QByteArray &bytes)
{
    if (!m_connected || bytes.isEmpty())
        return false;
    abandonWaits();
    m_host.discard();
    setState(LinkState::Ready);
    m_host.send(bytes);
    return true;
}

// ---- realtime picture ----

bool DebugSession::sendRealtimePicture(const QByteArray &header, const QByteArray &pixels)
{
    if (!m_connected || header.isEmpty())
        return false;
    abandonWaits();
    m_chunks.clear();
    m_chunkCount = m_chunkIndex = m_chunkTotal = 0;
    m_host.discard();
    m_text.clear();
    m_realtime = pixels;
    setState(LinkState::RealtimeHeaderSent);
    sendRecorded(header);
    sendStatus(QStringLiteral("开始下载..."));
    armReply(header.size());
    return true;
}

void DebugSession::realtimeStep(uint8_t reply)
{
    m_text.clear();
    disarmReply();
    m_host.discard();
    if (reply != kAcknowledge) {
        m_realtime.clear();
        setState(LinkState::Ready);
        sendStatus(QStringLiteral("串口连接错误3!"));
        return;
    }
    const QByteArray pixels = std::exchange(m_realtime, QByteArray());
    if (pixels.size() > kChunkBytes) {
        startChunks(pixels, LinkState::RealtimeChunks);
        return;
    }
    // A picture of one chunk goes at once, sent as any single frame is.
    setState(LinkState::Ready);
    if (!pixels.isEmpty())
        m_host.send(pixels);
    sendStatus(QStringLiteral("下载：100%"));
    sendProgress(pixels.size(), pixels.size());
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
        sendProgress((i + 1) * kChunkBytes, m_chunkTotal);
    } else if (i + 1 == m_chunkCount) {
        m_host.send(m_chunks.mid(i * kChunkBytes));
        m_chunks.clear();
        m_chunks.squeeze();
        sendProgress(m_chunkTotal, m_chunkTotal);
    } else {
        sendStatus(QStringLiteral("下载完毕"));
    }
}

void DebugSession::sendProgress(qint64 done, qint64 total)
{
    if (m_sendProgress)
        m_sendProgress(done, total);
    else
        m_host.progress(done, total);
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

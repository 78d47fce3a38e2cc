#include "link/TransferSession.h"

#include "common/Flash.h"
#include "link/Frames.h"

#include <utility>

namespace h5 {

namespace {

const QString kConnectionFailed =
    QStringLiteral("串口连接错误，可能是波特率设置错误或者下位机连接不正确。");

} // namespace

// The picture download's hooks: what the file windows do their own way.
class TransferSession::PictureOwner final : public PictureDownload::Owner
{
public:
    explicit PictureOwner(TransferSession &session) : s(session) {}

    void pictureStep(PictureDownload::Step step) override
    {
        using Step = PictureDownload::Step;
        switch (step) {
        case Step::RegistryRead: s.setState(State::RegistryRead); break;
        case Step::RegistryWrite: s.setState(State::RegistryWrite); break;
        case Step::RegistryPages: s.setState(State::RegistryRest); break;
        case Step::RegistryDone: s.setState(State::PictureHeader); break;
        case Step::HeaderSent: s.setState(State::PictureFirstPacket); break;
        case Step::PacketSent: s.setState(State::PicturePackets); break;
        case Step::Idle: break;
        }
    }
    void registryReceived(const QByteArray &) override { s.stopRegistryTimer(); }
    void picturesPlaced(const std::vector<DownloadPicture> &) override { s.picturesPlaced(); }
    bool stageRegistry(const QByteArray &image) override
    {
        QString error;
        if (s.stageRegistry(image, &error))
            return true;
        s.stagingFailed(error);
        return false;
    }
    bool stagePicture(const QByteArray &record) override
    {
        QString error;
        if (s.stagePicture(record, &error))
            return true;
        s.stagingFailed(error);
        return false;
    }
    bool picturePixels(size_t, const DownloadPicture &p, QByteArray &pixels) override
    {
        // The inputs were checked before the transfer began; this reader
        // checks its own bounds all the same.
        const QByteArray &list = s.m_in.pictureList;
        if (p.startPage < 0 || p.dataOffset() + p.bytes() > list.size()) {
            s.dropStagedPicture();
            s.dataFault(QStringLiteral("图片数据"), p.dataOffset());
            return false;
        }
        pixels = list.mid(qsizetype(p.dataOffset()), qsizetype(p.bytes()));
        return true;
    }
    void pictureHeaderSent(const DownloadPicture &p, bool first) override { s.pictureHeaderSent(p, first); }
    void picturePacketSent(const DownloadPicture &p, int64_t packet) override { s.picturePacketSent(p, packet); }
    void pictureFailed(PictureDownload::Step step, const QString &text) override
    {
        using Step = PictureDownload::Step;
        switch (step) {
        case Step::RegistryWrite:
        case Step::RegistryPages:
            s.dropStagedPicture();
            s.fail(State::Idle, text);
            return;
        case Step::RegistryDone:
        case Step::HeaderSent:
            s.dropStagedPicture();
            s.fail(State::LinkCheck, text);
            return;
        case Step::PacketSent:
            s.fail(s.m_variant.stateAfterBrokenPicture, text);
            return;
        case Step::Idle:
        case Step::RegistryRead:
            return;
        }
    }
    void picturesDone() override { s.picturesFinished(); }

private:
    TransferSession &s;
};

TransferSession::TransferSession(LinkHost &host, const Variant &variant)
    : m_host(host), m_variant(variant), m_replyTimer(host, kReplyTimer, kReplyTimeout),
      m_pictureOwner(std::make_unique<PictureOwner>(*this)),
      m_pictureDownload(host, m_replyTimer, *m_pictureOwner,
                        PictureDownload::Options{variant.registryCheck,
                                                 QStringLiteral("图片注册表出错，全部清除。"),
                                                 QStringLiteral("存储空间已满，从头覆盖。"), false})
{
}

TransferSession::~TransferSession() = default;

bool TransferSession::stagePicture(const QByteArray &, QString *) { return true; }

bool TransferSession::stageRegistry(const QByteArray &, QString *) { return true; }

// ---- events ---------------------------------------------------------------

void TransferSession::portOpened()
{
    m_portOpen = true;
    setState(State::LinkCheck);
    m_outcome = Outcome::Idle;
    if (m_variant.discardOnOpen)
        m_host.discard();
    m_ticks = 0;
    m_host.startTimer(kProbeTimer, kProbeInterval);
}

void TransferSession::portClosed()
{
    closeSteps();
}

void TransferSession::closeSteps()
{
    m_host.stopTimer(kProbeTimer);
    stopRegistryTimer();
    disarmReplyTimer();
    m_portOpen = false;
    setState(State::Idle);
    if (m_outcome == Outcome::Running)
        m_outcome = Outcome::Failed;
    dropStaging();
}

void TransferSession::begin(Inputs inputs)
{
    m_host.stopTimer(kProbeTimer);
    stopRegistryTimer();
    disarmReplyTimer();
    m_host.discard();

    m_in = std::move(inputs);
    m_pictureDownload.prepare(m_in.pictures, m_in.erase);
    m_text.clear();
    m_bytesSent = 0;
    m_totalBytes = m_in.project.size();
    m_ticks = 0;
    m_pageCounter = 0;
    m_segmentPages = 0;
    m_totalPicturePages = dataAreaPages(m_in.pictureList.size());
    m_lastPacketOut = false;
    m_outcome = Outcome::Running;
    setState(m_in.hasProject ? State::ProjectStart : m_in.hasPictures ? State::PictureStart : State::FontStart);
    m_host.startTimer(kProbeTimer, kProbeInterval);
}

void TransferSession::onReceive(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    appendReceiveText(m_text, bytes);
    m_reply = static_cast<uint8_t>(bytes.back());
    step();
}

void TransferSession::step()
{
    const bool hello = m_reply == kConnectionReply;
    const bool ack = m_reply == kAcknowledge;
    switch (m_state) {
    case State::LinkCheck:
        linkCheck(hello);
        break;
    case State::ProjectStart:
    case State::ProjectIndex:
    case State::SegmentHeader:
    case State::SegmentPages:
        projectStep(hello, ack);
        break;
    case State::EraseStart:
    case State::EraseFill:
        eraseStep(hello, ack);
        break;
    case State::PictureStart:
        pictureStart(hello, ack);
        break;
    case State::RegistryRead:
    case State::RegistryWrite:
    case State::RegistryRest:
    case State::PictureHeader:
    case State::PictureFirstPacket:
    case State::PicturePackets:
        m_pictureDownload.onAnswer(m_reply, m_text);
        break;
    case State::FontStart:
    case State::FontHeader:
    case State::FontPages:
        fontStep(hello, ack);
        break;
    case State::Idle:
        if (m_lastPacketOut)
            lastPacketAnswered(ack);
        break;
    }
}

void TransferSession::onTimer(int id)
{
    switch (id) {
    case kProbeTimer:
        probeTick();
        ++m_ticks;
        break;
    case kRegistryTimer:
        registryTimeout();
        ++m_ticks;
        break;
    case kReplyTimer:
        replyTimeout();
        break;
    default:
        break;
    }
}

// ---- timers ---------------------------------------------------------------

void TransferSession::probeTick()
{
    if (m_ticks < 3)
        m_host.send(QByteArray(1, kConnectionProbe));
    else if (m_ticks == 10)
        noConnection();
}

void TransferSession::noConnection()
{
    m_host.status(QStringLiteral("串口连接不上!"));
    if (m_outcome == Outcome::Running)
        m_outcome = Outcome::Failed;
    if (m_variant.closePortWithoutConnection) {
        closeSteps();
        m_host.closePort();
    } else {
        dropStaging();
        setState(State::LinkCheck);
        m_host.stopTimer(kProbeTimer);
    }
    m_replyTimer.message(kConnectionFailed);
}

void TransferSession::registryTimeout()
{
    if (m_state != State::RegistryRead) {
        stopRegistryTimer(); // a late tick of a finished wait
        return;
    }
    setState(State::LinkCheck);
    m_text.clear();
    stopRegistryTimer();
    m_outcome = Outcome::Failed;
    m_host.status(QStringLiteral("连接超时!"));
}

void TransferSession::replyTimeout()
{
    if (!m_replyTimer.armed())
        return;
    disarmReplyTimer();
    dropStaging();
    m_text.clear();
    fail(State::LinkCheck, QStringLiteral("连接超时!"));
}

// ---- state helpers --------------------------------------------------------

void TransferSession::setState(State state)
{
    m_state = state;
    m_lastPacketOut = false;
    // Nothing is awaited in these states, or the registry time-out watches.
    if (state == State::Idle || state == State::LinkCheck || state == State::RegistryRead)
        disarmReplyTimer();
}

void TransferSession::sendFrame(const QByteArray &bytes)
{
    m_host.send(bytes);
    if ((m_state != State::Idle || m_lastPacketOut) && m_state != State::LinkCheck
        && m_state != State::RegistryRead)
        m_replyTimer.arm(bytes.size());
}

void TransferSession::disarmReplyTimer() { m_replyTimer.disarm(); }

void TransferSession::stopRegistryTimer()
{
    if (!m_registryTimerOn)
        return;
    m_registryTimerOn = false;
    m_host.stopTimer(kRegistryTimer);
}

void TransferSession::fail(State state, const QString &text)
{
    m_host.discard();
    m_host.status(text);
    setState(state);
    m_outcome = Outcome::Failed;
}

void TransferSession::complete()
{
    setState(State::Idle);
    m_outcome = Outcome::Completed;
}

void TransferSession::completeOnLastAnswer(const QString &wrongReply)
{
    setState(State::Idle);
    m_lastPacketOut = true;
    m_lastPacketWrongReply = wrongReply;
}

void TransferSession::lastPacketAnswered(bool ack)
{
    m_lastPacketOut = false;
    disarmReplyTimer();
    // The erase fill goes on with any reply, so its last packet ends with any.
    if (ack || m_lastPacketWrongReply.isEmpty()) {
        m_outcome = Outcome::Completed;
        return;
    }
    fail(State::LinkCheck, m_lastPacketWrongReply);
}

void TransferSession::dropStaging()
{
    dropStagedPicture();
    dropStagedRegistry();
}

void TransferSession::showProgress(const QString &text, int64_t done, int64_t total)
{
    m_host.status(text);
    m_host.progress(done, total);
}

void TransferSession::dataFault(const QString &what, int64_t offset)
{
    m_host.status(QStringLiteral("%1不是完整的数据段（第%2字节处），下载停止!").arg(what).arg(offset));
    setState(State::Idle);
    m_outcome = Outcome::Failed;
}

// ---- link check -----------------------------------------------------------

void TransferSession::linkCheck(bool hello)
{
    m_text.clear();
    m_host.stopTimer(kProbeTimer);
    m_host.discard();
    if (hello) {
        m_host.status(QStringLiteral("串口已连接!"));
    } else {
        m_host.status(QStringLiteral("串口连接错误!"));
        m_replyTimer.message(kConnectionFailed);
    }
}

// ---- project data ---------------------------------------------------------

void TransferSession::projectStep(bool hello, bool ack)
{
    m_text.clear();
    const QByteArray &data = m_in.project;
    switch (m_state) {
    case State::ProjectStart:
        m_host.stopTimer(kProbeTimer);
        if (!hello) {
            dropStaging();
            fail(State::LinkCheck, QStringLiteral("串口连接错误2!"));
            return;
        }
        m_host.discard();
        m_pageCounter = 0;
        setState(State::ProjectIndex);
        m_bytesSent += kProjectHeaderBytes;
        sendFrame(data.left(kProjectHeaderBytes));
        return;
    case State::ProjectIndex:
        if (!ack) {
            fail(State::LinkCheck, QStringLiteral("串口连接错误3!"));
            return;
        }
        m_host.discard();
        m_bytesSent += kPageIndexBytes;
        setState(State::SegmentHeader);
        sendFrame(data.mid(kProjectHeaderBytes, kPageIndexBytes));
        return;
    case State::SegmentHeader:
        if (!ack)
            return; // keep waiting
        m_pageCounter = 0;
        m_totalBytes = data.size();
        showProgress(projectProgressText(percent(m_bytesSent, m_totalBytes)), m_bytesSent, m_totalBytes);
        sendSegmentHeader();
        return;
    case State::SegmentPages: {
        if (!ack) {
            fail(State::LinkCheck, QStringLiteral("串口连接错误3!"));
            return;
        }
        m_host.discard();
        ++m_pageCounter;
        const QByteArray page = data.mid(m_bytesSent, kFlashPage);
        m_bytesSent += kFlashPage;
        showProgress(projectProgressText(percent(m_bytesSent, m_totalBytes)), m_bytesSent, m_totalBytes);
        if (m_pageCounter == m_segmentPages) {
            if (m_bytesSent < m_totalBytes)
                setState(State::SegmentHeader);
            else
                projectFinished();
        }
        sendFrame(page);
        return;
    }
    default:
        return;
    }
}

void TransferSession::sendSegmentHeader()
{
    SegmentHeader header;
    if (!projectSegmentAt(m_in.project, m_bytesSent, header)) {
        dataFault(QStringLiteral("工程数据"), m_bytesSent);
        return;
    }
    m_segmentPages = header.pages;
    const QByteArray bytes = m_in.project.mid(m_bytesSent, header.size);
    m_bytesSent += header.size;
    setState(State::SegmentPages);
    sendFrame(bytes);
}

void TransferSession::projectFinished()
{
    if (m_in.hasPictures)
        setState(State::PictureStart);
    else if (m_in.erase)
        setState(State::EraseStart);
    else if (m_in.hasFont)
        setState(State::FontStart);
    else
        completeOnLastAnswer(QStringLiteral("串口连接错误3!"));
}

// ---- erasing: the empty registry ------------------------------------------

void TransferSession::eraseStep(bool hello, bool ack)
{
    if (m_state == State::EraseStart) {
        m_text.clear();
        const bool taken = ack || (hello && m_variant.startStatesTakeConnectionReply);
        if (!taken)
            return;
        if (m_variant.startStatesTakeConnectionReply)
            m_host.stopTimer(kProbeTimer);
        setState(State::EraseFill);
        m_pageCounter = 0;
        m_host.discard();
        sendFrame(registryWriteCommand());
        return;
    }
    // State 9 goes on with any reply.
    ++m_pageCounter;
    if (m_pageCounter < 3) {
        sendFrame(QByteArray(kFlashPage, char(0xFF)));
        return;
    }
    // The last packet must reach the terminal: the discard below keeps
    // bytes already handed to the host.
    if (m_in.hasFont)
        setState(State::FontStart);
    else
        completeOnLastAnswer(QString());
    sendFrame(QByteArray(kRegistryLastPacket, char(0xFF)));
    m_pageCounter = 0;
    m_host.discard();
    m_host.status(QStringLiteral("擦除FLASH完成!"));
}

// ---- pictures: registry read, placement, registry write, pictures --------

void TransferSession::pictureStart(bool hello, bool ack)
{
    m_text.clear();
    const bool lenient = m_variant.startStatesTakeConnectionReply;
    if (lenient)
        m_host.stopTimer(kProbeTimer);
    if (!(ack || (hello && lenient))) {
        // With the probe stopped and nothing sent, a wrong answer would
        // leave the download waiting for ever: it ends as a wrong answer to
        // the project's start does. The project window keeps waiting
        // instead, under the reply time-out of its last packet.
        if (lenient) {
            dropStaging();
            fail(State::LinkCheck, QStringLiteral("串口连接错误2!"));
        }
        return;
    }
    m_pageCounter = 0;
    m_pictureDownload.begin();
    m_host.startTimer(kRegistryTimer, registryTimeoutMs(kRegistryTimeout, m_host.lineBaud()));
    m_registryTimerOn = true;
}

void TransferSession::stagingFailed(const QString &error)
{
    m_host.status(error);
    setState(State::Idle);
    m_outcome = Outcome::Failed;
}

void TransferSession::picturesFinished()
{
    if (m_in.hasFont)
        startFont();
    else
        complete();
}

// ---- font -----------------------------------------------------------------

void TransferSession::fontStep(bool hello, bool ack)
{
    m_text.clear();
    switch (m_state) {
    case State::FontStart:
        m_host.stopTimer(kProbeTimer);
        if (!(hello || ack)) {
            fail(State::LinkCheck, QStringLiteral("串口连接错误2!"));
            return;
        }
        startFont();
        return;
    case State::FontHeader:
        if (!ack)
            return; // keep waiting
        m_pageCounter = 0;
        showProgress(QStringLiteral("字库下载：%1%").arg(percent(m_bytesSent, m_totalBytes)), m_bytesSent,
                     m_totalBytes);
        sendFontHeader();
        return;
    case State::FontPages: {
        if (!ack) {
            fail(State::LinkCheck, QStringLiteral("串口连接错误3!"));
            return;
        }
        m_host.discard();
        ++m_pageCounter;
        const QByteArray page = m_in.font.mid(m_bytesSent, kFlashPage);
        m_bytesSent += kFlashPage;
        showProgress(QStringLiteral("字库下载：%1%").arg(percent(m_bytesSent, m_totalBytes)), m_bytesSent,
                     m_totalBytes);
        if (m_pageCounter == m_segmentPages) {
            if (m_bytesSent < m_totalBytes)
                setState(State::FontHeader);
            else
                completeOnLastAnswer(QStringLiteral("串口连接错误3!"));
        }
        sendFrame(page);
        return;
    }
    default:
        return;
    }
}

void TransferSession::startFont()
{
    m_bytesSent = 0;
    m_segmentPages = 0;
    m_host.discard();
    m_pageCounter = 0;
    m_totalBytes = m_in.font.size();
    sendFontHeader();
}

void TransferSession::sendFontHeader()
{
    SegmentHeader header;
    if (!fontSegmentAt(m_in.font, m_bytesSent, header)) {
        dataFault(QStringLiteral("字库数据"), m_bytesSent);
        return;
    }
    m_segmentPages = header.pages;
    const QByteArray bytes = m_in.font.mid(m_bytesSent, header.size);
    m_bytesSent += header.size;
    setState(State::FontPages);
    sendFrame(bytes);
}

} // namespace h5

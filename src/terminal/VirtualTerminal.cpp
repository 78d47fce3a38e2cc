#include "terminal/VirtualTerminal.h"

#include "common/Bytes.h"
#include "common/FileIo.h"
#include "common/Flash.h"
#include "link/Frames.h"
#include "terminal/ScreenFrames.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstring>

namespace h5 {

namespace {

constexpr uint8_t kProbe = uint8_t(kConnectionProbe);
constexpr char kConnected = char(kConnectionReply);
constexpr char kAck = char(kAcknowledge);

// State file: magic, version, then length-prefixed parts, then an end mark,
// so a file cut anywhere is recognised as damaged.
const char kStateMagic[8] = {'H', '5', 'V', 'T', 'F', 'L', 'S', 'H'};
constexpr uint32_t kStateVersion = 1;
const char kStateEnd[4] = {'E', 'N', 'D', '.'};

uint8_t at(const char *p, qsizetype i) { return static_cast<uint8_t>(p[i]); }

QString hexOf(const char *p, qsizetype n)
{
    return QString::fromLatin1(QByteArray(p, n).toHex(' ').toUpper());
}

QString sha1(const QByteArray &data)
{
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha1).toHex());
}

} // namespace

VirtualTerminal::VirtualTerminal(int screenWidth, int screenHeight)
    : m_screen(screenWidth, screenHeight)
{
    eraseFlash();
}

bool VirtualTerminal::idle() const
{
    return m_rx == Rx::Frame && m_head.isEmpty();
}

void VirtualTerminal::log(const QString &line) const
{
    if (m_log)
        m_log(line);
}

void VirtualTerminal::resetLine()
{
    m_rx = Rx::Frame;
    m_head.clear();
    m_packet.clear();
    m_packetSize = 0;
    m_left = 0;
    m_packetNo = 0;
    m_incoming.clear();
    m_screen.cutRealtimePicture();
    m_screen.breakSequence();
}

// ---- parsing ----------------------------------------------------------------

VirtualTerminal::Scan VirtualTerminal::scanFrame(const char *p, qsizetype n,
                                                 qsizetype &length) const
{
    const uint8_t b0 = at(p, 0);
    if (b0 == kProbe) {
        length = 1;
        return Scan::Complete;
    }
    if (b0 == kStoredMark) {
        if (n < 2)
            return Scan::NeedMore;
        if (at(p, 1) != kEscape)
            return Scan::Garbage;
        if (n < 3)
            return Scan::NeedMore;
        const FrameRow *row = storedFrame(at(p, 2));
        if (!row)
            return Scan::Garbage;
        length = row->length;
    } else if (b0 == kEscape) {
        if (n < 2)
            return Scan::NeedMore;
        const FrameRow *row = commandFrame(at(p, 1));
        if (row && row->role == FrameRole::Request) {
            length = row->length;
        } else {
            switch (scanScreenFrame(p, n, length)) {
            case ScreenScan::Complete: return Scan::Complete;
            case ScreenScan::NeedMore: return Scan::NeedMore;
            case ScreenScan::NotAFrame: return Scan::Garbage;
            }
        }
    } else {
        return Scan::Garbage;
    }
    // The terminator is checked as far as it has arrived, so a false start
    // is given up as soon as it shows.
    for (qsizetype i = length - kTerminatorSize; i < length && i < n; ++i) {
        if (p[i] != kTerminatorBytes[i - (length - kTerminatorSize)])
            return Scan::Garbage;
    }
    return n < length ? Scan::NeedMore : Scan::Complete;
}

QByteArray VirtualTerminal::feed(const QByteArray &bytes)
{
    QByteArray out;
    if (m_hungUp || bytes.isEmpty())
        return out;
    QByteArray buf;
    if (m_head.isEmpty()) {
        buf = bytes;
    } else {
        buf = m_head + bytes;
        m_head.clear();
    }
    const char *p = buf.constData();
    const qsizetype n = buf.size();
    qsizetype pos = 0;
    while (pos < n && !m_hungUp) {
        switch (m_rx) {
        case Rx::Frame: {
            qsizetype length = 0;
            const Scan s = scanFrame(p + pos, n - pos, length);
            if (s == Scan::NeedMore) {
                m_head = buf.mid(pos);
                pos = n;
            } else if (s == Scan::Garbage) {
                qsizetype skip = pos + 1;
                while (skip < n && at(p, skip) != kProbe && at(p, skip) != kStoredMark
                       && at(p, skip) != kEscape)
                    ++skip;
                log(QStringLiteral("skipped %1 byte(s) of noise").arg(skip - pos));
                m_screen.breakSequence();
                pos = skip;
            } else {
                takeFrame(p + pos, length, out);
                pos += length;
            }
            break;
        }
        case Rx::ScreenData: {
            pos += m_screen.realtimePixels(p + pos, n - pos);
            if (m_screen.realtimeBytesLeft() == 0) {
                m_rx = Rx::Frame;
                log(QStringLiteral("realtime picture shown"));
            }
            break;
        }
        default: {
            const qsizetype take =
                qsizetype(std::min<int64_t>(m_packetSize - m_packet.size(), n - pos));
            m_packet.append(p + pos, take);
            pos += take;
            if (m_packet.size() == m_packetSize)
                takePacket(out);
            break;
        }
        }
    }
    return out;
}

bool VirtualTerminal::answer(const QByteArray &reply, QByteArray &out)
{
    const int64_t index = m_packets++;
    const auto from = [index](int64_t after) { return after >= 0 && index >= after; };
    if (from(m_faults.hangupAfter)) {
        log(QStringLiteral("packet %1: hanging up").arg(index + 1));
        m_hungUp = true;
        resetLine();
        return false;
    }
    if (m_faults.noAnswer || from(m_faults.stopAfter)) {
        log(QStringLiteral("packet %1: not answered").arg(index + 1));
        resetLine();
        return false;
    }
    if (m_faults.wrongReplyAfter >= 0 && index == m_faults.wrongReplyAfter) {
        log(QStringLiteral("packet %1: wrong answer %2")
                .arg(index + 1)
                .arg(hexOf(&m_faults.wrongByte, 1)));
        out.append(m_faults.wrongByte);
        resetLine();
        return false;
    }
    if (from(m_faults.garbageAfter))
        out.append(m_faults.garbage);
    out.append(reply);
    return true;
}

void VirtualTerminal::startPacket(int64_t size)
{
    m_packet.clear();
    m_packet.reserve(qsizetype(size));
    m_packetSize = size;
}

void VirtualTerminal::finishStep(const QString &what)
{
    ++m_revision;
    log(what);
}

void VirtualTerminal::takeFrame(const char *p, qsizetype length, QByteArray &out)
{
    const QByteArray ack(1, kAck);
    if (at(p, 0) == kProbe) {
        answer(QByteArray(1, kConnected), out);
        return;
    }
    if (at(p, 0) == kEscape && at(p, 1) != Command::RegistryRead) {
        takeScreenFrame(p, length, out);
        return;
    }
    m_screen.breakSequence();
    if (at(p, 0) == kEscape) {
        if (answer(registryAnswer(), out))
            log(QStringLiteral("registry read"));
        return;
    }
    if (!answer(ack, out))
        return;
    const QString header = hexOf(p, length);
    StoredHeader h;
    decodeStoredHeader(p, length, h); // scanFrame found it whole
    switch (h.kind) {
    case Segment::ProjectHeader:
        m_project = QByteArray(p, length);
        finishStep(QStringLiteral("project header %1").arg(header));
        m_rx = Rx::PageIndex;
        startPacket(kPageIndexBytes);
        break;
    case Segment::PageSegment: {
        m_project.append(p, length);
        const int count = h.pages;
        if (count == 0) {
            finishStep(QStringLiteral("segment %1 with no pages").arg(header));
            break;
        }
        log(QStringLiteral("segment %1").arg(header));
        m_left = count;
        m_rx = Rx::SegmentPages;
        startPacket(kFlashPage);
        break;
    }
    case Segment::RegistryWrite:
        log(QStringLiteral("registry write"));
        m_incoming.clear();
        m_packetNo = 0;
        m_rx = Rx::RegistryData;
        startPacket(kFlashPage);
        break;
    case Segment::Picture: {
        m_number = h.number;
        const int block = h.block;
        m_storeOffset = int64_t(block) * kFlashBlock;
        m_left = pictureBytes(h.width, h.height);
        if (m_left == 0) {
            finishStep(QStringLiteral("picture %1 with no pixels").arg(m_number));
            break;
        }
        log(QStringLiteral("picture %1 at block %2, %3 bytes").arg(m_number).arg(block).arg(m_left));
        m_rx = Rx::PictureData;
        startPacket(std::min<int64_t>(kFlashPage, m_left));
        break;
    }
    case Segment::Font:
        m_number = h.number;
        m_left = h.pages;
        m_incoming.clear();
        if (m_left == 0) {
            m_fonts[m_number] = QByteArray();
            finishStep(QStringLiteral("font %1 with no pages").arg(m_number));
            break;
        }
        log(QStringLiteral("font %1, %2 pages").arg(m_number).arg(m_left));
        m_rx = Rx::FontPages;
        startPacket(kFlashPage);
        break;
    default: // short segment header
        m_project.append(p, length);
        log(QStringLiteral("segment %1").arg(header));
        m_left = 1;
        m_rx = Rx::SegmentPages;
        startPacket(kFlashPage);
        break;
    }
}

void VirtualTerminal::takeScreenFrame(const char *p, qsizetype length, QByteArray &out)
{
    const ScreenOp op = decodeScreenFrame(p, length);
    if (m_log)
        log(QStringLiteral("screen %1").arg(hexOf(p, length)));
    if (op.kind == ScreenOp::Kind::RealtimePicture) {
        // Answered; its pixels follow unacknowledged.
        m_screen.breakSequence();
        if (answer(QByteArray(1, kAck), out) && pictureBytes(op.w, op.h) > 0) {
            m_screen.execute(op);
            m_rx = Rx::ScreenData;
        }
        return;
    }
    m_screen.execute(op, pictureLookup());
    if (op.kind == ScreenOp::Kind::Page)
        showPage(op.number);
}

TerminalScreen::PictureLookup VirtualTerminal::pictureLookup() const
{
    return [this](int number, TerminalScreen::Picture &pic) { return storedPicture(number, pic); };
}

void VirtualTerminal::refreshPages()
{
    if (m_playerSet && m_playerProject == m_project)
        return;
    m_player.setProject(m_project);
    m_playerProject = m_project;
    m_playerSet = true;
}

bool VirtualTerminal::startPages(int64_t nowMs)
{
    m_now = std::max(m_now, nowMs);
    refreshPages();
    return m_player.start(m_screen, pictureLookup(), m_now);
}

bool VirtualTerminal::showPage(int page)
{
    refreshPages();
    return m_player.showPage(m_screen, page, pictureLookup(), m_now);
}

int VirtualTerminal::tick(int64_t nowMs)
{
    m_now = std::max(m_now, nowMs);
    if (m_player.dueMs() < 0 || m_now < m_player.dueMs())
        return 0;
    refreshPages();
    return m_player.tick(m_screen, pictureLookup(), m_now);
}

bool VirtualTerminal::storedPicture(int number, TerminalScreen::Picture &out) const
{
    if (m_installedPictures)
        return m_installedPictures(number, out);
    for (const RegistryRecord &e : registryEntries()) {
        if (e.number != number)
            continue;
        out.width = e.width;
        out.height = e.height;
        const int64_t base = int64_t(e.firstBlock) * kFlashBlock;
        out.read = [this, base](int64_t offset, int64_t length) {
            return pictureStore(base + offset, length);
        };
        return true;
    }
    return false;
}

void VirtualTerminal::takePacket(QByteArray &out)
{
    if (!answer(QByteArray(1, kAck), out))
        return;
    switch (m_rx) {
    case Rx::PageIndex:
        m_project.append(m_packet);
        m_rx = Rx::Frame;
        finishStep(QStringLiteral("page index"));
        break;
    case Rx::SegmentPages:
        m_project.append(m_packet);
        if (--m_left == 0) {
            m_rx = Rx::Frame;
            finishStep(QStringLiteral("segment complete, project %1 bytes").arg(m_project.size()));
        } else {
            startPacket(kFlashPage);
        }
        break;
    case Rx::RegistryData:
        m_incoming.append(m_packet);
        if (++m_packetNo == 3) {
            m_registry = m_incoming;
            m_incoming.clear();
            dropUnregisteredBlocks();
            m_rx = Rx::Frame;
            finishStep(QStringLiteral("registry written, %1 pictures").arg(registryEntries().size()));
        } else {
            startPacket(m_packetNo == 2 ? kRegistryLastPacket : kFlashPage);
        }
        break;
    case Rx::PictureData:
        writeStore(m_storeOffset, m_packet.constData(), m_packet.size());
        m_storeOffset += m_packet.size();
        m_left -= m_packet.size();
        if (m_left == 0) {
            m_rx = Rx::Frame;
            finishStep(QStringLiteral("picture %1 stored").arg(m_number));
        } else {
            startPacket(std::min<int64_t>(kFlashPage, m_left));
        }
        break;
    case Rx::FontPages:
        m_incoming.append(m_packet);
        if (--m_left == 0) {
            m_fonts[m_number] = m_incoming;
            m_incoming.clear();
            m_rx = Rx::Frame;
            finishStep(QStringLiteral("font %1 stored").arg(m_number));
        } else {
            startPacket(kFlashPage);
        }
        break;
    default:
        break;
    }
    if (m_rx == Rx::Frame)
        m_packet.clear();
}

QByteArray VirtualTerminal::registryAnswer() const
{
    QByteArray reply;
    if (m_faults.badRegistry) // picture 0, 1 x 1, its first block past the end
        reply.append(registryReplyRecord(RegistryRecord{0, kBlockCount, 1, 1}));
    for (const RegistryRecord &e : registryEntries())
        reply.append(registryReplyRecord(e));
    reply.append(frameTerminator());
    return reply;
}

// ---- flash ------------------------------------------------------------------

void VirtualTerminal::eraseFlash()
{
    m_project.clear();
    m_registry = emptyRegistryImage();
    m_blocks.assign(kBlockCount, QByteArray());
    m_fonts.clear();
    m_installedPictures = nullptr;
}

void VirtualTerminal::installProject(const QByteArray &projectData, TerminalScreen::PictureLookup pictures)
{
    eraseFlash();
    m_project = projectData;
    m_installedPictures = std::move(pictures);
    ++m_revision;
}

void VirtualTerminal::writeStore(int64_t offset, const char *data, int64_t length)
{
    while (length > 0) {
        const int64_t block = offset / kFlashBlock;
        if (block < 0 || block >= kBlockCount)
            return; // past the end of the store: the flash has no room for it
        QByteArray &b = m_blocks[size_t(block)];
        if (b.isEmpty())
            b = QByteArray(kFlashBlock, '\xFF');
        const int64_t within = offset % kFlashBlock;
        const int64_t n = std::min<int64_t>(length, kFlashBlock - within);
        std::memcpy(b.data() + within, data, size_t(n));
        offset += n;
        data += n;
        length -= n;
    }
}

QByteArray VirtualTerminal::pictureStore(int64_t offset, int64_t length) const
{
    QByteArray out(qsizetype(std::max<int64_t>(length, 0)), '\xFF');
    int64_t done = 0;
    while (done < length) {
        const int64_t pos = offset + done;
        const int64_t block = pos / kFlashBlock;
        if (block < 0 || block >= kBlockCount)
            break;
        const int64_t within = pos % kFlashBlock;
        const int64_t n = std::min<int64_t>(length - done, kFlashBlock - within);
        const QByteArray &b = m_blocks[size_t(block)];
        if (!b.isEmpty())
            std::memcpy(out.data() + done, b.constData() + within, size_t(n));
        done += n;
    }
    return out;
}

std::vector<RegistryRecord> VirtualTerminal::registryEntries() const
{
    return registryImageEntries(m_registry);
}

QByteArray VirtualTerminal::picture(int number) const
{
    for (const RegistryRecord &e : registryEntries()) {
        if (e.number == number)
            return pictureStore(int64_t(e.firstBlock) * kFlashBlock,
                                pictureBytes(e.width, e.height));
    }
    return {};
}

QList<int> VirtualTerminal::usedBlocks() const
{
    QList<int> out;
    for (int b = 0; b < kBlockCount; ++b)
        if (!m_blocks[size_t(b)].isEmpty())
            out << b;
    return out;
}

// Blocks no registered picture covers are free again: a rewritten registry
// gives up the places of the pictures it no longer lists.
void VirtualTerminal::dropUnregisteredBlocks()
{
    std::vector<bool> covered(kBlockCount, false);
    for (const RegistryRecord &e : registryEntries()) {
        const int64_t blocks = pictureBlocks(e.width, e.height);
        for (int64_t b = e.firstBlock; b < e.firstBlock + blocks && b < kBlockCount; ++b)
            covered[size_t(b)] = true;
    }
    for (int b = 0; b < kBlockCount; ++b)
        if (!covered[size_t(b)])
            m_blocks[size_t(b)] = QByteArray();
}

// ---- state file -------------------------------------------------------------

QByteArray VirtualTerminal::saveState() const
{
    QByteArray out;
    ByteWriter w(out);
    w.bytes(kStateMagic, sizeof kStateMagic);
    w.le32(kStateVersion);
    w.le32(uint32_t(m_project.size()));
    w.bytes(m_project);
    w.bytes(m_registry);
    w.le32(uint32_t(m_fonts.size()));
    for (auto it = m_fonts.cbegin(); it != m_fonts.cend(); ++it) {
        w.le16(uint32_t(it.key()));
        w.le32(uint32_t(it.value().size()));
        w.bytes(it.value());
    }
    const QList<int> blocks = usedBlocks();
    w.le32(uint32_t(blocks.size()));
    for (int b : blocks) {
        w.le16(uint32_t(b));
        w.bytes(m_blocks[size_t(b)]);
    }
    w.bytes(kStateEnd, sizeof kStateEnd);
    return out;
}

bool VirtualTerminal::loadState(const QByteArray &state, QString *error)
{
    const auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    ByteReader r(state);
    if (!r.expect(kStateMagic, sizeof kStateMagic))
        return fail(QStringLiteral("not a virtual terminal flash file"));
    uint32_t version = 0;
    if (!r.le32(version))
        return fail(QStringLiteral("flash file is truncated"));
    if (version != kStateVersion)
        return fail(QStringLiteral("flash file version %1 is not supported").arg(version));

    const QString truncated = QStringLiteral("flash file is truncated or damaged");
    uint32_t length = 0;
    std::string project;
    std::string registry;
    if (!r.le32(length) || !r.bytes(length, project) || !r.bytes(kRegistryImageSize, registry))
        return fail(truncated);

    QMap<int, QByteArray> fonts;
    uint32_t count = 0;
    if (!r.le32(count) || count > 65536)
        return fail(truncated);
    // saveState() writes fonts and blocks in rising number order, each once;
    // anything else is not a file it wrote.
    int previous = -1;
    for (uint32_t i = 0; i < count; ++i) {
        uint16_t number = 0;
        std::string data;
        if (!r.le16(number) || !r.le32(length) || !r.bytes(length, data))
            return fail(truncated);
        if (int(number) <= previous)
            return fail(truncated);
        previous = number;
        fonts[number] = QByteArray(data.data(), qsizetype(data.size()));
    }

    std::vector<QByteArray> blocks(kBlockCount);
    if (!r.le32(count) || count > uint32_t(kBlockCount))
        return fail(truncated);
    previous = -1;
    for (uint32_t i = 0; i < count; ++i) {
        uint16_t b = 0;
        std::string data;
        if (!r.le16(b) || b >= kBlockCount || int(b) <= previous || !r.bytes(kFlashBlock, data))
            return fail(truncated);
        previous = b;
        blocks[b] = QByteArray(data.data(), qsizetype(data.size()));
    }
    if (!r.expect(kStateEnd, sizeof kStateEnd) || !r.atEnd())
        return fail(truncated);

    m_project = QByteArray(project.data(), qsizetype(project.size()));
    m_registry = QByteArray(registry.data(), qsizetype(registry.size()));
    m_fonts = fonts;
    m_blocks = std::move(blocks);
    return true;
}

bool VirtualTerminal::saveStateFile(const QString &path, QString *error) const
{
    return writeFileAtomically(path, saveState(), error);
}

bool VirtualTerminal::loadStateFile(const QString &path, QString *error)
{
    if (!QFile::exists(path)) {
        eraseFlash();
        return true;
    }
    QByteArray data;
    QString why;
    if (!readWholeFile(path, data, &why)) {
        if (error)
            *error = why;
        return false;
    }
    if (!loadState(data, &why)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, why);
        return false;
    }
    return true;
}

QByteArray VirtualTerminal::summaryJson() const
{
    QJsonObject root;
    root.insert(QStringLiteral("projectBytes"), double(m_project.size()));
    root.insert(QStringLiteral("projectSha1"), sha1(m_project));
    QJsonArray registry;
    for (const RegistryRecord &e : registryEntries()) {
        QJsonObject o;
        o.insert(QStringLiteral("number"), e.number);
        o.insert(QStringLiteral("firstBlock"), e.firstBlock);
        o.insert(QStringLiteral("width"), e.width);
        o.insert(QStringLiteral("height"), e.height);
        o.insert(QStringLiteral("sha1"), sha1(pictureStore(int64_t(e.firstBlock) * kFlashBlock,
                                                           pictureBytes(e.width, e.height))));
        registry.append(o);
    }
    root.insert(QStringLiteral("registry"), registry);
    QJsonArray fonts;
    for (auto it = m_fonts.cbegin(); it != m_fonts.cend(); ++it) {
        QJsonObject o;
        o.insert(QStringLiteral("number"), it.key());
        o.insert(QStringLiteral("pages"), int(it.value().size() / kFlashPage));
        o.insert(QStringLiteral("sha1"), sha1(it.value()));
        fonts.append(o);
    }
    root.insert(QStringLiteral("fonts"), fonts);
    QJsonArray blocks;
    for (int b : usedBlocks())
        blocks.append(b);
    root.insert(QStringLiteral("usedBlocks"), blocks);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

} // namespace h5

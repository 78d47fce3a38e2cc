#include "link/PictureDownload.h"

#include "link/Frames.h"

#include <utility>

namespace h5 {

PictureDownload::PictureDownload(LinkHost &host, ReplyTimer &reply, Owner &owner, Options options)
    : m_host(host), m_reply(reply), m_owner(owner), m_options(std::move(options))
{
}

void PictureDownload::prepare(std::vector<DownloadPicture> pictures, bool erase)
{
    m_pictures = std::move(pictures);
    m_erase = erase;
    m_step = Step::Idle;
    m_registryPacket = 0;
    m_index = 0;
    m_packet = 0;
}

void PictureDownload::dropData()
{
    m_image.clear();
    m_image.squeeze();
    m_record.clear();
    m_record.squeeze();
}

void PictureDownload::setStep(Step step)
{
    m_step = step;
    m_owner.pictureStep(step);
}

void PictureDownload::sendFrame(const QByteArray &frame)
{
    m_host.send(frame);
    m_owner.pictureFrameSent(frame);
}

void PictureDownload::fail(const QString &text)
{
    const Step at = m_step;
    m_step = Step::Idle;
    m_owner.pictureFailed(at, text);
}

void PictureDownload::begin()
{
    m_registryPacket = 0;
    m_index = 0;
    setStep(Step::RegistryRead);
    // The reply is watched by the owner's registry time-out.
    sendFrame(registryReadRequest());
}

void PictureDownload::onAnswer(uint8_t reply, QByteArray &text)
{
    if (m_step == Step::Idle)
        return;
    if (m_step == Step::RegistryRead) {
        // The reply may come in several reads; it is whole once it ends
        // with the terminator. The text stays: placement reads it.
        if (!text.endsWith("ff ff ee ff "))
            return;
        m_owner.registryReceived(text);
        setStep(Step::RegistryWrite);
        m_host.discard();
        const QByteArray command = registryWriteCommand();
        sendFrame(command);
        m_reply.arm(command.size());
        return;
    }

    const bool ack = reply == kAcknowledge;
    const bool packetStep = m_step == Step::HeaderSent || m_step == Step::PacketSent;
    if (m_options.discardEveryAnswer || (ack && packetStep))
        m_host.discard();
    // After the write command the registry reply stays in the text for the
    // placement.
    if (m_step != Step::RegistryWrite)
        text.clear();

    switch (m_step) {
    case Step::RegistryWrite:
        if (!ack) {
            fail(QStringLiteral("串口连接错误2!"));
            return;
        }
        placeAndWriteRegistry(text);
        return;
    case Step::RegistryPages: {
        if (!ack) {
            fail(QStringLiteral("串口连接错误2!"));
            return;
        }
        const bool last = m_registryPacket == 2;
        const QByteArray part = last ? m_image.mid(2 * kFlashPage) : m_image.mid(kFlashPage, kFlashPage);
        if (last)
            setStep(Step::RegistryDone);
        ++m_registryPacket;
        m_host.send(part);
        m_reply.arm(part.size());
        return;
    }
    case Step::RegistryDone:
        if (!ack) {
            fail(QStringLiteral("串口连接错误2!"));
            return;
        }
        m_index = 0;
        beginPicture(true);
        return;
    case Step::HeaderSent: {
        if (!ack) {
            fail(QStringLiteral("串口连接错误3!"));
            return;
        }
        m_packet = 0;
        setStep(Step::PacketSent);
        const QByteArray packet = segmentPage(m_record, kPictureHeaderBytes, 0);
        m_host.send(packet);
        m_owner.picturePacketSent(m_pictures[m_index], 0);
        m_reply.arm(packet.size());
        return;
    }
    case Step::PacketSent: {
        if (!ack) {
            fail(QStringLiteral("连接出错，请检查数据线!"));
            return;
        }
        ++m_packet;
        const DownloadPicture &p = m_pictures[m_index];
        if (m_packet < p.pages()) {
            const QByteArray packet = segmentPage(m_record, kPictureHeaderBytes, m_packet);
            m_host.send(packet);
            m_owner.picturePacketSent(p, m_packet);
            m_reply.arm(packet.size());
            return;
        }
        // The picture was taken whole; the next one follows, if any.
        ++m_index;
        beginPicture(false);
        return;
    }
    case Step::Idle:
    case Step::RegistryRead:
        return;
    }
}

void PictureDownload::placeAndWriteRegistry(QByteArray &text)
{
    // The registry reply is followed in the text by the acknowledge of the
    // write command, which the parser drops.
    const std::vector<RegistryRecord> terminal =
        m_erase ? std::vector<RegistryRecord>() : parseRegistryReply(text);
    const Placement placement = placePictures(terminal, m_pictures, m_options.registryCheck);
    m_image = placement.image;
    m_owner.picturesPlaced(m_pictures);
    if (!m_owner.stageRegistry(m_image)) {
        m_step = Step::Idle;
        return;
    }
    m_registryPacket = 1;
    setStep(Step::RegistryPages);
    m_host.send(m_image.left(kFlashPage));
    m_reply.arm(kFlashPage);
    text.clear();
    // Message boxes last: the packet is out and the state consistent if
    // answers arrive while a box is open; the time-out is held meanwhile.
    if (placement.registryFaulty)
        m_reply.message(m_options.registryFaultyText);
    if (placement.storageFull)
        m_reply.message(m_options.storageFullText);
}

void PictureDownload::beginPicture(bool first)
{
    // Pictures that found no room in the flash are left out.
    while (m_index < m_pictures.size() && !m_pictures[m_index].placed())
        ++m_index;
    if (m_index >= m_pictures.size()) {
        m_step = Step::Idle;
        m_owner.picturesDone();
        return;
    }
    const DownloadPicture &p = m_pictures[m_index];
    QByteArray pixels;
    if (!m_owner.picturePixels(m_index, p, pixels)) {
        m_step = Step::Idle;
        return;
    }
    m_record = pictureRecord(p.number, p.firstBlock, p.width, p.height, pixels);
    if (!m_owner.stagePicture(m_record)) {
        m_step = Step::Idle;
        return;
    }
    m_packet = 0;
    setStep(Step::HeaderSent);
    sendFrame(m_record.left(kPictureHeaderBytes));
    m_owner.pictureHeaderSent(p, first);
    m_reply.arm(kPictureHeaderBytes);
}

} // namespace h5

#pragma once
// The picture part of a download, as the file download window, the project
// window and the online debug window all run it: the terminal's picture
// registry is read, the pictures are placed around it, the new registry
// goes out as the registry write command and three packets, then each
// placed picture as its picture header and its pixels in flash-page
// packets, one packet per acknowledge.
//
// The session that runs it keeps the line's events, the receive text, the
// connection handshake and the registry time-out, and hands the answers of
// the picture steps on (onAnswer). The sub-machine sends through the host,
// starts the answer time-out (ReplyTimer) for every packet but the read
// request, and tells its owner what the owner does its own way: its state
// numbers, the status texts and progress of a picture, where the pixels
// come from, staging, what a failure or the end leads to.
//
// The steps (each waits for the answer named):
//   RegistryRead   the registry reply, whole once it ends with FF FF EE FF
//   RegistryWrite  the acknowledge of the registry write command; then
//                  placement and the first registry packet
//   RegistryPages  the acknowledge of the first or second registry packet
//   RegistryDone   the acknowledge of the last registry packet; then the
//                  first placed picture's header
//   HeaderSent     the acknowledge of a picture header; then its first packet
//   PacketSent     the acknowledge of a picture packet; then the next packet,
//                  or the next placed picture's header, or the end
// A wrong answer ends the download at that step with the step's text:
// "串口连接错误2!" for the registry steps, "串口连接错误3!" for a header,
// "连接出错，请检查数据线!" for a packet.

#include "link/DownloadPicture.h"
#include "link/LinkHost.h"
#include "link/Registry.h"
#include "link/ReplyTimer.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

namespace h5 {

class PictureDownload
{
public:
    enum class Step {
        Idle,
        RegistryRead,
        RegistryWrite,
        RegistryPages,
        RegistryDone,
        HeaderSent,
        PacketSent,
    };

    // What differs between the windows besides the owner's hooks.
    struct Options
    {
        RegistryCheck registryCheck = RegistryCheck::FirstBlock;
        // Message box of a faulty registry (the windows word it
        // differently) and of a flash with no room left.
        QString registryFaultyText;
        QString storageFullText;
        // The debug window discards both buffers at every answer; the file
        // windows when a header or a packet was acknowledged.
        bool discardEveryAnswer = false;
    };

    class Owner
    {
    public:
        // The download moved on to `step` (never Idle); the session's own
        // state follows.
        virtual void pictureStep(Step step) = 0;
        // A command frame went out: the read request, the write command, a
        // picture header (the debug window records them).
        virtual void pictureFrameSent(const QByteArray &frame) { (void)frame; }
        // The whole registry reply is in `text`: the registry time-out
        // stops.
        virtual void registryReceived(const QByteArray &text) = 0;
        // Placement gave the pictures their first blocks.
        virtual void picturesPlaced(const std::vector<DownloadPicture> &pictures) { (void)pictures; }
        // The registry image about to be written, and the record (header
        // and pixels) of the picture about to be sent. False: the owner
        // has ended the download (told why, set its state).
        virtual bool stageRegistry(const QByteArray &image) { (void)image; return true; }
        virtual bool stagePicture(const QByteArray &record) { (void)record; return true; }
        // The w x h x 2 pixel bytes of picture `index`; false: the owner has
        // ended the download.
        virtual bool picturePixels(size_t index, const DownloadPicture &picture, QByteArray &pixels) = 0;
        // A picture's header went out (`first` for the first of the
        // download), and its data packet `packet` (from 0).
        virtual void pictureHeaderSent(const DownloadPicture &picture, bool first) = 0;
        virtual void picturePacketSent(const DownloadPicture &picture, int64_t packet) = 0;
        // A wrong answer at `step`, with the step's text; the download is
        // over and the owner ends it its own way.
        virtual void pictureFailed(Step step, const QString &text) = 0;
        // The last picture was taken.
        virtual void picturesDone() = 0;

    protected:
        ~Owner() = default;
    };

    PictureDownload(LinkHost &host, ReplyTimer &reply, Owner &owner, Options options);
    PictureDownload(const PictureDownload &) = delete;
    PictureDownload &operator=(const PictureDownload &) = delete;

    // The pictures to place and send, in order; with `erase` they are
    // placed as into an empty flash. Nothing is sent yet.
    void prepare(std::vector<DownloadPicture> pictures, bool erase);
    // Sends the registry read request and waits for the reply
    // (RegistryRead); the owner starts its registry time-out after it.
    void begin();
    // One receive event of a step under way: `reply` its last byte, `text`
    // the receive text holding it (cleared where a step has read it).
    void onAnswer(uint8_t reply, QByteArray &text);
    // Forgets the registry image and the record being sent.
    void dropData();

    Step step() const { return m_step; }
    // The pictures, with their first blocks once placed.
    const std::vector<DownloadPicture> &pictures() const { return m_pictures; }
    // The registry image built last (empty before the first placement).
    const QByteArray &registryImage() const { return m_image; }

private:
    void setStep(Step step);
    void fail(const QString &text);
    void placeAndWriteRegistry(QByteArray &text);
    void beginPicture(bool first);
    void sendFrame(const QByteArray &frame);

    LinkHost &m_host;
    ReplyTimer &m_reply;
    Owner &m_owner;
    const Options m_options;

    Step m_step = Step::Idle;
    std::vector<DownloadPicture> m_pictures;
    bool m_erase = false;
    QByteArray m_image;      // the registry image being written
    int m_registryPacket = 0; // registry packets sent
    size_t m_index = 0;      // the picture being sent
    QByteArray m_record;     // its header and pixels
    int64_t m_packet = 0;    // its packet awaiting the acknowledge
};

} // namespace h5

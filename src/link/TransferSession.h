#pragma once
// The transfer state machine shared by the file download window and the
// project management window: project data, picture registry, pictures and
// font go to the terminal one packet per acknowledge. The machine is driven
// by events (port opened or closed, bytes received, timers) and acts only
// through its LinkHost. DownloadSession and SendProjectSession add the
// window's inputs and its few differences.
//
// States: TransferState, numbered as the download protocol numbers them.
//
// States 11 to 16 (registry read and write, pictures) are the picture
// download the debug window runs as well (link/PictureDownload.h).
//
// Beyond the plain stop-and-wait exchange the machine guards against
// stalls: while a packet's answer is awaited a reply time-out (timer 3,
// 5 s after the packet has left the line, link/ReplyTimer.h) ends the
// transfer with "连接超时!"; the registry time-out (10 s and the line time
// of the longest registry reply) acts whenever it fires while the registry
// is awaited; project or font data
// that is not made of whole segments, or a segment announcing no page,
// ends the transfer with a status text before the bad header is sent
// (the sessions check their inputs before they begin, so this is a last
// guard). As the windows do, the machine reaches state 0 as the last
// packet goes out, but the transfer counts as completed only once the
// terminal has taken that packet; no answer, or a wrong one, fails it.
//
// Hosts: timers are started and stopped only by the session, which stops a
// running timer before it starts it again. Nothing the session
// calls may call back into it, except that closePort() may call
// portClosed() and a modal message() may let later events in: message() is
// always the last thing a step does.

#include "link/DownloadPicture.h"
#include "link/LinkHost.h"
#include "link/LinkSession.h"
#include "link/PictureDownload.h"
#include "link/Registry.h"
#include "link/ReplyTimer.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

namespace h5 {

// The transfer states, valued by their protocol numbers (6, 7 and 17..19
// are no states).
enum class TransferState {
    Idle = 0,
    LinkCheck = 1,
    ProjectStart = 2,
    ProjectIndex = 3,
    SegmentHeader = 4,
    SegmentPages = 5,
    EraseStart = 8,
    EraseFill = 9,
    PictureStart = 10,
    RegistryRead = 11,
    RegistryWrite = 12,
    RegistryRest = 13,
    PictureHeader = 14,
    PictureFirstPacket = 15,
    PicturePackets = 16,
    FontStart = 20,
    FontHeader = 21,
    FontPages = 22,
};

class TransferSession : public LinkSession
{
public:
    using State = TransferState;

    enum TimerId {
        kProbeTimer = 1,    // connection probe, 1000 ms
        kRegistryTimer = 2, // registry reply time-out, 10,000 ms
        kReplyTimer = 3,    // reply time-out during a transfer, 5000 ms
    };
    static constexpr int kProbeInterval = 1000;
    static constexpr int kRegistryTimeout = 10000;
    static constexpr int kReplyTimeout = 5000;

    enum class Outcome {
        Idle,      // no transfer started since the port opened
        Running,
        Completed, // everything chosen was sent and taken
        Failed,    // wrong reply, no reply, damaged data or port closed
    };

    ~TransferSession() override;
    TransferSession(const TransferSession &) = delete;
    TransferSession &operator=(const TransferSession &) = delete;

    // The port was opened: link check, tick counter 0, probe timer
    // started.
    void portOpened();
    // The port was closed (by the user or the host): idle, timers
    // stopped.
    void portClosed();
    // The bytes of one receive event: appended to the receive text, the
    // last one judged as the reply.
    void onReceive(const QByteArray &bytes) override;
    void onTimer(int id) override;
    // The output buffer drained. Nothing waits for it: bytes handed to the
    // host before a discard still go out (LinkHost::discard), which is
    // what the last erase packet relies on.
    void onOutputDrained() override {}

    State state() const { return m_state; }
    bool portOpen() const { return m_portOpen; }
    Outcome outcome() const { return m_outcome; }
    unsigned tickCount() const { return m_ticks; }
    const QByteArray &receiveText() const { return m_text; }
    // The registry image last built (empty before the first placement).
    const QByteArray &registryImage() const { return m_pictureDownload.registryImage(); }
    // The pictures of the current transfer, with their first blocks once
    // placed.
    const std::vector<DownloadPicture> &transferPictures() const { return m_pictureDownload.pictures(); }

protected:
    // What the windows do differently.
    struct Variant
    {
        // States 8 and 10 take the connection reply as well as the
        // acknowledge and stop the probe timer.
        bool startStatesTakeConnectionReply = true;
        RegistryCheck registryCheck = RegistryCheck::FirstBlock;
        // State after a wrong reply to a picture packet.
        State stateAfterBrokenPicture = State::Idle;
        // No answer to the probe closes the port (else state 1, port open).
        bool closePortWithoutConnection = true;
        // Opening the port also discards both buffers.
        bool discardOnOpen = true;
    };

    // What a transfer sends, read before it starts.
    struct Inputs
    {
        bool hasProject = false;
        QByteArray project; // project data (file from byte 102,406)
        bool hasPictures = false;
        QByteArray pictureList; // the whole list file
        std::vector<DownloadPicture> pictures;
        bool hasFont = false;
        QByteArray font;
        bool erase = false;
    };

    TransferSession(LinkHost &host, const Variant &variant);

    // Starts a transfer: probe timer restarted, counters reset, first state
    // project, picture or font start by the inputs.
    void begin(Inputs inputs);

    LinkHost &host() { return m_host; }
    // Shows a progress text and tells the host's progress bar.
    void showProgress(const QString &text, int64_t done, int64_t total);
    int64_t totalPicturePages() const { return m_totalPicturePages; }

    // The project progress text for a percentage.
    virtual QString projectProgressText(int percent) const = 0;
    // The header of `picture` went out; `first` for the first picture of
    // the transfer.
    virtual void pictureHeaderSent(const DownloadPicture &picture, bool first) = 0;
    // Data packet `packet` (from 0) of `picture` went out.
    virtual void picturePacketSent(const DownloadPicture &picture, int64_t packet) = 0;
    // The record (header and pixels) of the picture about to be sent, and
    // the registry image about to be written; false with a message ends
    // the transfer.
    virtual bool stagePicture(const QByteArray &record, QString *error);
    virtual bool stageRegistry(const QByteArray &image, QString *error);
    // Drops what stagePicture / stageRegistry kept.
    virtual void dropStagedPicture() {}
    virtual void dropStagedRegistry() {}
    // Placement gave the transfer pictures their first blocks.
    virtual void picturesPlaced() {}

private:
    void step();
    void linkCheck(bool hello);
    void projectStep(bool hello, bool ack);
    void eraseStep(bool hello, bool ack);
    void pictureStart(bool hello, bool ack);
    void fontStep(bool hello, bool ack);

    void probeTick();
    void registryTimeout();
    void replyTimeout();
    void noConnection();
    void closeSteps();

    void setState(State state);
    void sendFrame(const QByteArray &bytes);
    void disarmReplyTimer();
    void stopRegistryTimer();
    void fail(State state, const QString &text);
    // Done: everything was sent and taken.
    void complete();
    // State 0 with the last packet about to go out: the transfer is done
    // when the terminal takes it. `wrongReply` is the status for any other
    // answer (empty: any answer will do).
    void completeOnLastAnswer(const QString &wrongReply);
    void lastPacketAnswered(bool ack);
    void dropStaging();

    void sendSegmentHeader();
    void projectFinished();
    // A staging file could not be written: `error` in the status box, the
    // transfer ends.
    void stagingFailed(const QString &error);
    void picturesFinished();
    void startFont();
    void sendFontHeader();
    void dataFault(const QString &what, int64_t offset);

    LinkHost &m_host;
    const Variant m_variant;
    Inputs m_in;

    bool m_portOpen = false;
    State m_state = State::Idle;
    Outcome m_outcome = Outcome::Idle;
    unsigned m_ticks = 0;
    QByteArray m_text;
    uint8_t m_reply = 0;
    bool m_registryTimerOn = false;
    ReplyTimer m_replyTimer;
    bool m_lastPacketOut = false; // state 0, the last packet's answer awaited
    QString m_lastPacketWrongReply;

    int64_t m_bytesSent = 0;
    int64_t m_totalBytes = 0;
    int64_t m_pageCounter = 0;
    int64_t m_segmentPages = 0;
    int64_t m_totalPicturePages = 0;

    class PictureOwner;
    friend class PictureOwner;
    std::unique_ptr<PictureOwner> m_pictureOwner;
    PictureDownload m_pictureDownload;
};

} // namespace h5

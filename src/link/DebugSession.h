#pragma once
// The link of the online debug window: opening shakes hands with the
// terminal, the Ready state logs the terminal's unsolicited reports, and
// long byte blocks (realtime pictures, hex command files) go out in
// 3000-byte chunks, one per output-drained event. Every exchange is kept in
// the communication record, a text the window shows and saves.
//
// Like the download sessions, this is a plain class driven by events
// (portOpened / portClosed, onReceive, onTimer, onOutputDrained) that acts
// only through its LinkHost. The picture status box is LinkHost::status();
// the window's second status box (the send box of the extension pages) and
// the record's growth are told through the two optional callbacks below.
//
// Picture and font downloads run on this session with the stop-and-wait
// frames of the file download: after the handshake the pictures go with
// the file download's own picture download (link/PictureDownload.h:
// registry read, placement, registry write, headers and pixels), and fonts
// are streamed from the same records (link/Frames.h).
// The record of the picture or font being sent is the staging data; it is
// dropped whenever a download ends or fails. While an answer is awaited a
// reply time-out (timer 3, 5 s after the packet has left the line,
// link/ReplyTimer.h) ends the download with "连接超时!"; the registry
// reply is awaited 10 s and the line time of the longest one.

#include "link/LinkHost.h"
#include "link/LinkSession.h"
#include "link/PictureDownload.h"
#include "link/ReplyTimer.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace h5 {

// What the debug window waits for from the terminal, valued by the numbers
// the debug protocol gives its states.
enum class LinkState {
    Offline = 0,            // nothing; received data is ignored
    Connecting = 1,         // the connection reply
    PictureHandshake = 2,   // connection reply before a picture download
    PictureHeaderSent = 3,  // acknowledge of a picture header
    PicturePageSent = 4,    // acknowledge of a picture page
    FontHandshake = 5,      // connection reply before a font download
    FontPageSent = 6,       // acknowledge of a font header or page
    BulkSend = 7,           // output drained, to send the next chunk
    Ready = 10,             // unsolicited terminal reports
    RegistryRead = 11,      // the terminal's picture registry
    RegistryWriteStart = 12,// acknowledge of the registry write command
    RegistryPageSent = 13,  // acknowledge of a registry page
    RegistryDone = 14,      // acknowledge of the last registry page
    RealtimeHeaderSent = 15,// acknowledge of a realtime picture header
    RealtimeChunks = 16,    // output drained, to send the next chunk
};

// The communication record: time-stamped send and receive entries, bytes
// as lower-case hex each followed by a blank.
class CommRecord
{
public:
    // Local time of the entries; tests fix it.
    using Clock = std::function<QDateTime()>;
    explicit CommRecord(Clock clock = {});

    // One send entry holding all `bytes` on one line.
    void addSent(const QByteArray &bytes);
    // A send entry for a hex text typed by the user, kept exactly as typed.
    void addSentText(const QString &text);
    // One receive entry for a single byte.
    void addReceivedByte(uint8_t byte);
    // One receive entry holding a receive text ("xx xx ...") on one line.
    void addReceivedLine(const QByteArray &text);
    // One receive entry holding a receive text cut into 60-character lines
    // (20 bytes), then the remainder on a line of its own.
    void addReceivedLines(const QByteArray &text);

    const QString &text() const { return m_text; }
    void clear() { m_text.clear(); }

    static constexpr int kLineChars = 60;

private:
    QString stamp(const char *what) const;

    Clock m_clock;
    QString m_text;
};

// One entry of the window's picture list as a download sees it.
struct DebugPicture
{
    int number = 0;
    int width = 0;
    int height = 0;
    // The block address the last placement gave it; -1 before placement
    // and when it found no room.
    int firstBlock = -1;
};

// One font of the font queue: its hex text file and its font number.
struct DebugFont
{
    QString path;
    int number = 0;
};

// The bytes of a font file, read as the hex page reads its text
// (decodeHexText of link/LiveCommands.h): characters that are not hex
// digits are skipped, then two digits form one byte. A lone digit refuses
// the file: the result is empty and `error` names the digit's position.
QByteArray decodeFontText(const QByteArray &text, QString *error = nullptr);

// How the last picture or font download ended.
enum class DownloadEnd {
    None,      // no download was started
    Running,
    Completed, // everything was sent and taken (pictures skipped by a Yes included)
    Declined,  // a missing picture was answered No
    Failed,    // a wrong answer, a time-out, a missing font, the port closed
};

class DebugSession : public LinkSession
{
public:
    enum TimerId {
        kProbeTimer = 1,    // handshake, 1000 ms
        kRegistryTimer = 2, // registry reply, 10,000 ms (downloads)
        kReplyTimer = 3,    // any other answer during a download, 5000 ms
    };
    static constexpr int kRegistryTimeout = 10000;
    static constexpr int kReplyTimeout = 5000;
    static constexpr int kProbeInterval = 1000;
    static constexpr int kChunkBytes = 3000;
    // Probes sent by a handshake; the tick that gives up.
    static constexpr unsigned kProbes = 3;
    static constexpr unsigned kGiveUpTick = 10;

    explicit DebugSession(LinkHost &host, CommRecord::Clock clock = {});
    ~DebugSession() override;
    DebugSession(const DebugSession &) = delete;
    DebugSession &operator=(const DebugSession &) = delete;

    // Text for the send status box (chunked sends, fonts). Without it the
    // text goes to LinkHost::status().
    void setSendStatusSink(std::function<void(const QString &)> sink) { m_sendStatus = std::move(sink); }
    // Progress of what the send status box tells (fonts, chunked sends).
    // Without it the progress goes to LinkHost::progress().
    void setSendProgressSink(std::function<void(qint64, qint64)> sink) { m_sendProgress = std::move(sink); }
    // Called after every addition to the record (the window scrolls its
    // record box to the end).
    void setRecordChanged(std::function<void()> changed) { m_recordChanged = std::move(changed); }

    // The port was opened: Connecting, tick counter 0, probe timer started.
    void portOpened();
    // The port was closed: Offline, timers stopped, chunk bytes freed.
    void portClosed();

    void onReceive(const QByteArray &bytes) override;
    void onTimer(int id) override;
    void onOutputDrained() override;

    // Sends `bytes` in 3000-byte chunks, one per output-drained event, in
    // state BulkSend or RealtimeChunks (`chunkState`). At most 3000 bytes
    // go at once and leave the session Ready. Nothing happens while the
    // port is closed or with no bytes; returns whether anything was sent.
    bool sendChunked(const QByteArray &bytes, LinkState chunkState);

    // Makes the pixels of picture list entry `index`: exactly w x h x 2
    // bytes in the terminal's pixel format, or empty when the picture
    // cannot be made (it then counts as missing, and `problem` may say why,
    // naming the file).
    using PictureSource = std::function<QByteArray(size_t index, QString *problem)>;

    // "下载图片": the pictures of `list`, in list order, placed around the
    // terminal's registry (from block 0 when `erase`). Nothing happens while
    // the port is closed; an empty list shows "无图片下发!".
    //
    // Every picture is made before the first byte goes out, so the
    // terminal's registry is rewritten only when the data of every entry it
    // will get can follow: a picture that cannot be made is told (its
    // number and why) and asked about ("编号%d图片丢失，是否跳过继续下载?")
    // now, while nothing has been sent. No ends the download before it
    // starts; Yes leaves the picture out of the registry and the download,
    // so the terminal keeps whatever it held under that number. Pictures
    // that together need more than the terminal's 600 flash blocks are
    // refused as a whole. Returns whether the download started (the
    // handshake runs).
    bool downloadPictures(const std::vector<DebugPicture> &list, bool erase, PictureSource source);
    // The list of the last picture download with the block addresses its
    // placement gave (-1 for pictures skipped or not yet placed).
    const std::vector<DebugPicture> &pictures() const { return m_pictures; }

    // The font download: every font file is read and checked first, so a
    // missing, unreadable or empty file stops it before anything is sent.
    // Fonts are numbered 1.. in the texts, in queue order. Returns whether
    // the download started.
    bool downloadFonts(const std::vector<DebugFont> &queue);

    // A live command: `frame` is recorded whether or not the port is open;
    // with the port open the buffers are discarded, the state becomes Ready
    // (unless `keepState`) and the frame is written. Anything the session
    // was waiting for is given up. Returns whether the frame was written.
    bool sendCommand(const QByteArray &frame, bool keepState = false);
    // Several frames recorded one entry each and, with the port open,
    // written in one piece (the touch mode and its interval).
    bool sendCommands(const std::vector<QByteArray> &frames);
    // A frame recorded without being sent (a realtime picture header whose
    // picture cannot be made).
    void recordFrame(const QByteArray &frame);
    // A hex text as typed (or the path of a hex file): recorded as it
    // stands, with the send time stamp.
    void recordTypedText(const QString &text);
    // The bytes decoded from a typed hex text: written at once in state
    // Ready when the port is open (nothing recorded: the text was).
    bool sendTypedBytes(const QByteArray &bytes);

    // The realtime picture: `header` (its frame) goes out recorded and the
    // session waits in RealtimeHeaderSent for the acknowledge; then the
    // pixels follow, at once when they fit one chunk, else chunked in
    // RealtimeChunks. A wrong answer shows "串口连接错误3!", no answer for
    // 5 s "连接超时!"; both free the pixels and return to Ready. Nothing
    // happens while the port is closed; returns whether the header went.
    bool sendRealtimePicture(const QByteArray &header, const QByteArray &pixels);
    // Pixels waiting for the realtime header's acknowledge.
    const QByteArray &realtimePixels() const { return m_realtime; }

    DownloadEnd lastDownloadEnd() const { return m_lastEnd; }
    // Numbers of the pictures the last download skipped after a Yes.
    const std::vector<int> &skippedPictures() const { return m_skipped; }

    LinkState state() const { return m_state; }
    bool connected() const { return m_connected; }
    unsigned tickCount() const { return m_ticks; }
    const QByteArray &receiveText() const { return m_text; }
    const CommRecord &record() const { return m_record; }
    // "记录清除".
    void clearRecord();

private:
    void probeTick();
    void connectReply(uint8_t reply);
    void readyReports();
    void frameOneReport();
    // The download states; picture and font downloads go here.
    void transferStep(uint8_t reply);
    void pictureStep(uint8_t reply);
    void fontStep(uint8_t reply);
    void realtimeStep(uint8_t reply);
    // Starts chunked sending of `bytes` (more than one chunk) in `state`.
    void startChunks(const QByteArray &bytes, LinkState state);
    void abandonWaits();
    void startFont();
    void sendRecorded(const QByteArray &bytes);
    // The answer to the `bytes` just sent is awaited.
    void armReply(int64_t bytes);
    void disarmReply();
    void stopDownloadTimers();
    // A download ends: Ready, `text` in its box unless empty, staging
    // dropped.
    void endDownload(const QString &text, bool fontBox);
    bool inDownload() const;

    void setState(LinkState state) { m_state = state; }
    void sendStatus(const QString &text);
    void sendProgress(qint64 done, qint64 total);
    void recordChanged();
    // Drops the record of the picture or font being sent.
    void dropStaging();

    LinkHost &m_host;
    ReplyTimer m_reply{m_host, kReplyTimer, kReplyTimeout};
    CommRecord m_record;
    std::function<void(const QString &)> m_sendStatus;
    std::function<void()> m_recordChanged;
    std::function<void(qint64, qint64)> m_sendProgress;

    bool m_connected = false;
    LinkState m_state = LinkState::Offline;
    unsigned m_ticks = 0;
    QByteArray m_text; // receive text, "xx " per byte

    // Downloads.
    std::vector<DebugPicture> m_pictures;
    // The pixels of each entry of m_pictures, made before the download
    // began; empty for a skipped entry and once an entry was sent.
    std::vector<QByteArray> m_pixels;
    // The list entry of each picture the picture download sends.
    std::vector<size_t> m_sendIndex;
    std::vector<QByteArray> m_fonts; // font segments of the queue
    size_t m_fontIndex = 0;    // next font to prepare
    int64_t m_pageCount = 0;   // of the font being sent
    int64_t m_pageIndex = 0;
    QByteArray m_staged;       // staging: header and data of the font being sent

    DownloadEnd m_lastEnd = DownloadEnd::None;
    bool m_declined = false;
    std::vector<int> m_skipped;

    // The realtime picture's pixels until its header is acknowledged.
    QByteArray m_realtime;

    // Chunked sending.
    QByteArray m_chunks;
    int64_t m_chunkCount = 0;
    int64_t m_chunkIndex = 0;
    int64_t m_chunkTotal = 0;

    class PictureOwner;
    std::unique_ptr<PictureOwner> m_pictureOwner;
    PictureDownload m_pictureDownload;
};

} // namespace h5

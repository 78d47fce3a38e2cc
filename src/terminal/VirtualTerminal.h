#pragma once
// The terminal's side of the download protocol, as a byte-stream parser with
// the terminal's flash behind it. Bytes from the PC go in through feed(); the
// bytes the terminal answers come back out. Frames are recognised by their
// start bytes and terminator, data packets by the lengths the frames
// announced, so the replies never depend on how the stream was cut into
// pieces. No I/O: the h5800-sim tool puts this on a pseudo-terminal.
//
// What the terminal understands is the frame table (project/Wire.h): every
// frame there but those only pages hold, and the probe AA, answered 33.
// After a stored-data header comes what the table says follows it: the
// 2048-byte page index, counted pages or one page of 2112 bytes, the
// registry image (2112 + 2112 + 576 bytes), or a picture's w*h*2 bytes in
// packets of at most 2112. The registry read is answered with the registry.
// Screen instructions (terminal/ScreenFrames.h) are executed on the screen,
// not answered; 1B 50 n runs page n of the project in the flash
// (terminal/PageRun.h); after 1B 24 x y w h come w*h*2 pixel bytes, not
// acknowledged, drawn on the screen.
// Every frame and every data packet but the screen instructions and the
// realtime picture's pixels is acknowledged with 55.
// Anything else is dropped a byte at a time until a frame start is found.
// The replies are those of link/Frames.h; the registry that of
// link/Registry.h.

#include "link/Registry.h"
#include "terminal/PageRun.h"
#include "terminal/TerminalScreen.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

namespace h5 {

class VirtualTerminal
{
public:
    // Ways to misbehave, for testing the PC side. Packets are everything the
    // terminal answers, counted from the start in the order received: probes,
    // frames and data packets. "After n" means: the first n are answered
    // properly, the fault hits packet n + 1. A faulted packet is not taken
    // (it leaves the flash alone) and the parser starts over from a frame.
    struct Faults
    {
        bool noAnswer = false;          // never answer anything
        int64_t wrongReplyAfter = -1;   // packet n+1 answered with wrongByte instead
        char wrongByte = 0x21;
        int64_t stopAfter = -1;         // from packet n+1 on, silence
        int64_t hangupAfter = -1;       // at packet n+1, hang up the line
        int64_t garbageAfter = -1;      // from packet n+1 on, garbage before every answer
        QByteArray garbage = QByteArray("\x00\x5A\xC3", 3);
        bool badRegistry = false;       // registry answer starts with a record at block 600
    };

    // The screen has the terminal's resolution `screenWidth` x `screenHeight`
    // (TerminalScreen::layersOf lists them).
    explicit VirtualTerminal(int screenWidth = 800, int screenHeight = 480);

    void setFaults(const Faults &faults) { m_faults = faults; }
    const Faults &faults() const { return m_faults; }
    // Receives one line per frame and finished transfer, for a verbose log.
    void setLog(std::function<void(const QString &)> log) { m_log = std::move(log); }

    // Takes the next bytes from the PC and returns the answer to send back.
    QByteArray feed(const QByteArray &bytes);
    // The PC closed the line: a half-received frame or transfer is dropped.
    void resetLine();
    // True once a hang-up fault fired; feed() then takes nothing more.
    bool hungUp() const { return m_hungUp; }
    // Packets answered or faulted so far.
    int64_t packetCount() const { return m_packets; }
    // Counts finished transfer steps that changed the flash (project header,
    // page index, a whole segment, the registry, a picture, a font): the
    // moment to persist it.
    uint64_t flashRevision() const { return m_revision; }
    // True while waiting for a frame: no transfer is under way and no frame
    // is partly received.
    bool idle() const;

    // ---- screen ----
    // What the screen instructions drew; not part of the flash.
    const TerminalScreen &screen() const { return m_screen; }
    // A stored picture of the registry, for the screen's picture switch.
    bool storedPicture(int number, TerminalScreen::Picture &out) const;

    // ---- pages (terminal/PageRun.h) ----
    // The terminal is told the time in milliseconds of any clock that only
    // goes forward; it never reads one.
    // Start-up: runs page 0 of the project in the flash (or the first page
    // present); false when the flash holds no page.
    bool startPages(int64_t nowMs);
    // Runs page n now, as a 1B 50 n from the line does; false (nothing
    // drawn) when the project in the flash lacks it.
    bool showPage(int page);
    // Time passes: the next page of the cycle runs when its page's delay is
    // over. Returns the pages run.
    int tick(int64_t nowMs);
    // The page run last, -1 before any; when the next is due, -1 for never.
    int currentPage() const { return m_player.currentPage(); }
    int64_t pageDueMs() const { return m_player.dueMs(); }

    // ---- flash ----
    // The project data as received: header, page index, segment headers and pages.
    const QByteArray &projectData() const { return m_project; }
    // The registry image: 600 entries of 8 bytes, FF where there is no picture.
    const QByteArray &registry() const { return m_registry; }
    // Entries that are not all FF, in number order.
    std::vector<RegistryRecord> registryEntries() const;
    // `length` bytes of the picture store from `offset`; FF where never written.
    QByteArray pictureStore(int64_t offset, int64_t length) const;
    // The w*h*2 pixel bytes of the registry's picture `number`; empty when none.
    QByteArray picture(int number) const;
    // Font data by font number, page-count x 2112 bytes each.
    const QMap<int, QByteArray> &fonts() const { return m_fonts; }
    // Blocks of the picture store holding data.
    QList<int> usedBlocks() const;
    // Forgets everything: empty project, empty registry, no pictures, no fonts.
    void eraseFlash();
    // Puts a built project into the flash as a download leaves it, without
    // the download: `projectData` as the project, and the stored pictures
    // read through `pictures` (a built project's picture position file)
    // instead of the picture store and registry. For runs in the process
    // (h5800 test); the state file keeps the project but not `pictures`.
    // eraseFlash() forgets them.
    void installProject(const QByteArray &projectData, TerminalScreen::PictureLookup pictures);

    // The flash as one compact byte string, and back. loadState() leaves the
    // flash unchanged and says why when the bytes are not a whole state.
    QByteArray saveState() const;
    bool loadState(const QByteArray &state, QString *error);
    bool saveStateFile(const QString &path, QString *error) const;
    // A missing file is an empty flash; an unreadable or damaged one an error.
    bool loadStateFile(const QString &path, QString *error);
    // A JSON summary: project length and checksum, registry entries with the
    // checksum of each picture's data, fonts, used blocks.
    QByteArray summaryJson() const;

private:
    enum class Rx {
        Frame,         // looking for a frame start
        PageIndex,     // 2048 bytes after the project header
        SegmentPages,  // pages of a project segment
        RegistryData,  // the three registry packets
        PictureData,   // w*h*2 bytes in packets of 2112
        FontPages,     // pages of a font
        ScreenData,    // pixels for the screen, not acknowledged
    };
    enum class Scan { Complete, NeedMore, Garbage };

    Scan scanFrame(const char *p, qsizetype n, qsizetype &length) const;
    void takeFrame(const char *p, qsizetype length, QByteArray &out);
    void takeScreenFrame(const char *p, qsizetype length, QByteArray &out);
    void takePacket(QByteArray &out);
    // Decides the answer to one packet under the faults; false when the
    // packet is not to be taken.
    bool answer(const QByteArray &reply, QByteArray &out);
    QByteArray registryAnswer() const;
    void startPacket(int64_t size);
    void finishStep(const QString &what);
    void writeStore(int64_t offset, const char *data, int64_t length);
    void dropUnregisteredBlocks();
    void log(const QString &line) const;

    Faults m_faults;
    std::function<void(const QString &)> m_log;

    // parser
    Rx m_rx = Rx::Frame;
    QByteArray m_head;           // bytes of a frame not yet complete
    QByteArray m_packet;         // the data packet being received
    int64_t m_packetSize = 0;
    int64_t m_left = 0;          // data packets (or bytes, for pictures) still to come
    int m_packetNo = 0;          // packets of the current transfer taken so far
    int m_number = 0;            // picture or font number of the transfer
    int64_t m_storeOffset = 0;   // where the picture data goes
    QByteArray m_incoming;       // registry or font being received
    int64_t m_packets = 0;
    bool m_hungUp = false;
    uint64_t m_revision = 0;

    // flash
    QByteArray m_project;
    QByteArray m_registry;
    std::vector<QByteArray> m_blocks;   // kBlockCount entries; empty = never written
    QMap<int, QByteArray> m_fonts;
    TerminalScreen::PictureLookup m_installedPictures;

    TerminalScreen m_screen;

    // pages
    void refreshPages();
    TerminalScreen::PictureLookup pictureLookup() const;
    PagePlayer m_player;
    QByteArray m_playerProject; // the project data m_player was given
    bool m_playerSet = false;
    int64_t m_now = 0;
};

} // namespace h5

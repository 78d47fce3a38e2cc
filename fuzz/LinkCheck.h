#pragma once
// What must hold for any bytes that reach the download side: the download
// inputs, the terminal's registry reply, the terminal's answers during a
// transfer, the virtual terminal's receiver and its flash state file. Each
// *Violation function takes the raw input and returns an empty text when
// its property holds, else what went wrong; the check*Input functions hand
// that to check() (FuzzCheck.h) for the fuzz targets and for the test that
// replays the kept inputs (tests/link/LinkFuzzRegressionTest.cpp).

#include "FuzzCheck.h"

#include "common/Bytes.h"
#include "common/Flash.h"
#include "link/DownloadInputs.h"
#include "link/DownloadSession.h"
#include "link/Frames.h"
#include "link/LinkHost.h"
#include "link/Registry.h"
#include "link/SendProjectSession.h"
#include "terminal/VirtualTerminal.h"
#include "project/ProjectFile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace h5fuzz {

inline QByteArray bytesOf(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

inline std::string text(const QString &s) { return s.toStdString(); }

// A host that keeps what the session sent, split into the connection
// probes and everything else.
class FuzzHost : public h5::LinkHost
{
public:
    void send(const QByteArray &bytes) override
    {
        ++framesThisEvent;
        if (bytes == QByteArray(1, h5::kConnectionProbe)) {
            ++probes;
            return;
        }
        ++packetsThisEvent;
        frames.push_back(bytes);
    }
    void discard() override {}
    void discardInput() override {}
    void status(const QString &t) override { statuses.push_back(t); }
    void message(const QString &t) override { messages.push_back(t); }
    bool ask(const QString &) override { return true; }
    void startTimer(int id, int) override { running.insert(id); }
    void stopTimer(int id) override { running.erase(id); }
    void closePort() override { portClosedByHost = true; }

    QByteArray sentData() const
    {
        QByteArray out;
        for (const QByteArray &f : frames)
            out += f;
        return out;
    }
    void clear()
    {
        frames.clear();
        statuses.clear();
        messages.clear();
        probes = 0;
    }

    std::vector<QByteArray> frames; // every frame but the probes
    QStringList statuses;
    QStringList messages;
    int probes = 0;
    std::set<int> running; // timers started and not stopped
    int framesThisEvent = 0;
    int packetsThisEvent = 0;
    bool portClosedByHost = false;
};

// Answers as a terminal that takes everything: '3' to the probe, the empty
// registry to a registry read, 'U' to everything else, until the transfer
// ends (at most `limit` answers).
inline void answerEverything(h5::TransferSession &session, int limit = 100000)
{
    session.onTimer(h5::TransferSession::kProbeTimer);
    bool connected = false;
    for (int i = 0; i < limit && session.outcome() == h5::TransferSession::Outcome::Running; ++i) {
        if (session.state() == h5::TransferState::RegistryRead)
            session.onReceive(h5::frameTerminator());
        else if (!connected)
            session.onReceive(QByteArray(1, char(h5::kConnectionReply)));
        else
            session.onReceive(QByteArray(1, char(h5::kAcknowledge)));
        connected = true;
    }
}

// ---- download inputs --------------------------------------------------------
// Byte 0 chooses: even, a project file whose resolution index is byte 1 and
// whose project data is the rest; odd, a font file that is the rest. A
// refused input gets a reason and no transfer starts on it; an accepted one
// goes out whole, in packets of at most 2112 bytes, to a terminal that takes
// everything, and the transfer completes.
inline std::string downloadInputViolation(const uint8_t *data, size_t size)
{
    if (size < 2)
        return {};
    const bool project = (data[0] & 1) == 0;
    const QByteArray body = bytesOf(data + 2, size - 2);
    h5::DownloadData in;
    QString why;
    bool accepted = false;
    if (project) {
        const int resolution = data[1];
        QByteArray file = h5::ProjectFile::newFile(resolution);
        file += body;
        accepted = h5::checkProjectFile(file, &why);
        QString dataWhy;
        const bool dataAccepted = h5::checkProjectData(body, &dataWhy);
        if (accepted != (dataAccepted && resolution < 13))
            return "the project file and its data are judged differently";
        in.hasProject = true;
        in.project = body;
    } else {
        accepted = h5::checkFontData(body, &why);
        in.hasFont = true;
        in.font = body;
    }
    if (!accepted && why.isEmpty())
        return "refused without a reason";

    FuzzHost host;
    h5::DownloadSession session(host);
    session.portOpened();
    QString error;
    const bool started = session.start(in, false, &error);
    if (project && !accepted) {
        // The resolution is a file matter; the data alone may still pass.
        if (h5::checkProjectData(body, nullptr) != started)
            return "the session judges project data differently from the check";
    } else if (started != accepted) {
        return "the session judges the input differently from the check";
    }
    if (!started) {
        if (error.isEmpty())
            return "the session refused without a message";
        if (!host.frames.empty() || host.probes != 0)
            return "something was sent for a refused input";
        return {};
    }
    answerEverything(session);
    if (session.outcome() != h5::TransferSession::Outcome::Completed)
        return "a checked input did not go out completely: " + text(host.statuses.join('|'));
    for (const QByteArray &f : host.frames)
        if (f.size() > h5::kFlashPage)
            return "a packet longer than a flash page";
    if (host.sentData() != body)
        return "what was sent is not the file";
    return {};
}

// ---- registry reply ---------------------------------------------------------
// The input is the terminal's reply to a registry read. Receive text and
// decoding round-trip; the records are exactly the 10-byte pieces before
// the terminator; placing a few pictures around them gives a registry image
// whose entries all describe their own number within the 600 blocks, with
// every placed picture where it was placed and no unplaced one listed.
inline std::string registryReplyViolation(const uint8_t *data, size_t size)
{
    const QByteArray reply = bytesOf(data, size);
    QByteArray text;
    h5::appendReceiveText(text, reply + char(h5::kAcknowledge));
    if (h5::decodeReceiveText(text) != reply + char(h5::kAcknowledge))
        return "the receive text does not decode to the bytes received";
    // Arbitrary characters as a receive text must be survivable.
    (void)h5::parseRegistryReply(reply);

    const std::vector<h5::RegistryRecord> records = h5::parseRegistryReply(text);
    const qsizetype n = reply.size();
    size_t expected = 0;
    for (qsizetype at = 0; at < n - 4 && at + 10 <= n; at += 10)
        ++expected;
    if (records.size() != expected)
        return "wrong number of registry records";
    for (size_t k = 0; k < records.size(); ++k) {
        const char *p = reply.constData() + k * 10;
        const h5::RegistryRecord &r = records[k];
        if (r.number != h5::getLe16(p + 2) || r.firstBlock != h5::getLe16(p + 4)
            || r.width != h5::getLe16(p + 6) || r.height != h5::getLe16(p + 8))
            return "a registry record does not hold the reply's bytes";
    }

    // Our pictures: three fixed ones and one taken from the reply's head.
    std::vector<h5::DownloadPicture> base;
    const auto add = [&base](int number, int w, int h) {
        h5::DownloadPicture p;
        p.number = number;
        p.width = w;
        p.height = h;
        base.push_back(p);
    };
    add(3, 100, 100);
    add(7, 300, 300);
    add(9, 1000, 600);
    // A download never lists a number twice (one picture per slot).
    const int fourth = size >= 6 ? h5::getLe16(reply.constData()) % h5::kSlotCount : 3;
    if (fourth != 3 && fourth != 7 && fourth != 9)
        add(fourth, h5::getLe16(reply.constData() + 2) % 4096, h5::getLe16(reply.constData() + 4) % 4096);
    for (const h5::RegistryCheck check : {h5::RegistryCheck::FirstBlock, h5::RegistryCheck::FirstBlockAndSize}) {
        for (const bool erase : {false, true}) {
            std::vector<h5::DownloadPicture> pics = base;
            const h5::Placement placed =
                h5::placePictures(erase ? std::vector<h5::RegistryRecord>() : records, pics, check);
            const QByteArray &image = placed.image;
            if (image.size() != h5::kRegistryImageSize)
                return "registry image of the wrong size";
            for (int e = 0; e < h5::kSlotCount; ++e) {
                const char *p = image.constData() + e * h5::kRegistryEntrySize;
                if (QByteArray::fromRawData(p, 8) == QByteArray(8, '\xFF'))
                    continue;
                if (h5::getLe16(p) != e)
                    return "a registry entry names another number";
                if (h5::getLe16(p + 2) >= h5::kBlockCount)
                    return "a registry entry starts past the last block";
            }
            std::vector<bool> used(h5::kBlockCount, false);
            for (size_t i = 0; i < pics.size(); ++i) {
                const h5::DownloadPicture &p = pics[i];
                const char *entry = image.constData() + p.number * h5::kRegistryEntrySize;
                if (!p.placed()) {
                    if (QByteArray::fromRawData(entry, 8) != QByteArray(8, '\xFF'))
                        return "a picture that found no room is in the registry";
                    continue;
                }
                if (p.firstBlock + p.blocks() > h5::kBlockCount)
                    return "a picture placed past the last block";
                if (QByteArray::fromRawData(entry, 8) == QByteArray(8, '\xFF') && placed.storageFull) {
                    // Laying pictures from block 0 over a full flash may
                    // cover one placed earlier in the same download; it then
                    // loses its entry. Nothing else may.
                    bool covered = false;
                    for (size_t j = i + 1; j < pics.size(); ++j)
                        covered = covered
                            || (pics[j].placed() && pics[j].firstBlock < p.firstBlock + p.blocks()
                                && p.firstBlock < pics[j].firstBlock + pics[j].blocks());
                    if (!covered)
                        return "a placed picture lost its registry entry";
                    continue;
                }
                if (h5::getLe16(entry + 2) != p.firstBlock || h5::getLe16(entry + 4) != p.width
                    || h5::getLe16(entry + 6) != p.height)
                    return "a placed picture's registry entry is wrong";
                if (!placed.storageFull) {
                    for (int64_t b = p.firstBlock; b < p.firstBlock + p.blocks(); ++b) {
                        if (used[size_t(b)])
                            return "two pictures of one download share a block";
                        used[size_t(b)] = true;
                    }
                }
            }
            if (erase && (placed.registryFaulty || placed.storageFull))
                return "an erased flash was found faulty or full";
        }
    }
    return {};
}

// ---- transfer sessions ------------------------------------------------------
// A transfer runs against a terminal whose answers and the timers' ticks
// come from the input. Whatever arrives: at most one packet goes out per
// answer and none on a timer tick but the probe; and a transfer counts as
// completed only in an answer that sends nothing, ends in 'U' (any answer
// ends an erase) and comes after everything of the chosen files went out.
struct TransferFiles
{
    QTemporaryDir dir;
    QByteArray projectData;
    QByteArray pictureList;
    QByteArray font;
    std::vector<h5::DownloadPicture> pictures;
    QString projectPath;
    bool ok = false;

    TransferFiles()
    {
        // Project data: header, page index, a long segment of two pages and
        // a control block.
        projectData = QByteArray("\x7F\x1B\x75\xFF\xFF\xEE\xFF", 7) + QByteArray(2048, '\x21');
        projectData += QByteArray("\x7F\x1B\x56\x00\x00\x02\x00\xFF\xFF\xEE\xFF", 11);
        projectData += QByteArray(2 * h5::kFlashPage, '\x33');
        projectData += QByteArray("\x7F\x1B\x71\x00\x00\xFF\xFF\xEE\xFF", 9);
        projectData += QByteArray(h5::kFlashPage, '\x44');
        // Pictures 1 (40 x 30, one packet) and 4 (60 x 40, three packets),
        // in use.
        pictureList = QByteArray(h5::kSlotAreaSize, '\0');
        const int sizes[2][3] = {{1, 40, 30}, {4, 60, 40}};
        QByteArray area;
        for (const auto &s : sizes) {
            char *slot = pictureList.data() + s[0] * h5::kSlotSize;
            slot[0] = 1;
            h5::putBe16(slot + 2050, uint32_t(s[1]));
            h5::putBe16(slot + 2052, uint32_t(s[2]));
            h5::putBe16(slot + 2054, uint32_t(s[0]));
            QByteArray pixels(int(h5::pictureBytes(s[1], s[2])), char(0x50 + s[0]));
            pixels.append(QByteArray(int(h5::picturePages(s[1], s[2]) * h5::kFlashPage) - pixels.size(), '\0'));
            area += pixels;
        }
        pictureList += area;
        pictures = h5::readDownloadPictures(pictureList);
        font = QByteArray("\x7F\x1B\x74\x02\x00\x01\x00\xFF\xFF\xEE\xFF", 11) + QByteArray(h5::kFlashPage, '\x66');

        QByteArray file = h5::ProjectFile::newFile(4);
        file[6] = 1;     // page 0 in use,
        file[6 + 8] = 2; // two flash pages long
        file += projectData;
        projectPath = dir.filePath(QStringLiteral("fuzz.wgc"));
        ok = dir.isValid() && write(projectPath, file)
            && write(dir.filePath(h5::SendProjectSession::kPictureListName), pictureList);
    }
    static bool write(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.flush();
    }
};

inline TransferFiles &transferFiles()
{
    static TransferFiles files;
    return files;
}

// Byte 0: bit 0 the project window's send (else the download window's),
// bits 1..3 the project, picture list and font chosen for a download, bit 4
// the erase box. Then operations: op % 8 of 0..3 delivers the next
// (op >> 3) % 8 + 1 bytes as one answer, 4..6 fires timer 1, 2 or 3 when it
// runs, 7 does
// (op >> 3) % 4: close the port, open it, press the start button again, or
// answer as a good terminal would.
inline std::string transferSessionViolation(const uint8_t *data, size_t size)
{
    using Outcome = h5::TransferSession::Outcome;
    if (size < 1)
        return {};
    TransferFiles &files = transferFiles();
    if (!files.ok)
        return "the transfer fixtures could not be written";
    const bool sendProject = data[0] & 1;
    const bool erase = data[0] & 16;
    h5::DownloadData in;
    in.hasProject = sendProject || (data[0] & 2);
    in.project = files.projectData;
    in.hasPictures = sendProject || (data[0] & 4);
    in.pictures.bytes = files.pictureList;
    in.pictures.pictures = files.pictures;
    in.hasFont = !sendProject && (data[0] & 8);
    in.font = files.font;
    if (!in.any())
        in.hasFont = true;

    FuzzHost host;
    std::unique_ptr<h5::TransferSession> owner;
    h5::DownloadSession *download = nullptr;
    h5::SendProjectSession *project = nullptr;
    if (sendProject) {
        auto s = std::make_unique<h5::SendProjectSession>(host);
        project = s.get();
        s->load(files.projectPath, files.dir.path());
        owner = std::move(s);
    } else {
        auto s = std::make_unique<h5::DownloadSession>(host);
        download = s.get();
        owner = std::move(s);
    }
    h5::TransferSession &session = *owner;
    const auto start = [&]() -> bool {
        QString error;
        host.clear();
        return project ? project->start(erase, &error) : download->start(in, erase, &error);
    };
    session.portOpened();
    if (!start())
        return "the fixtures were refused";
    const bool eraseEnds = erase && !in.hasPictures && !in.hasFont;

    bool connected = false;
    size_t pos = 1;
    while (pos < size) {
        const uint8_t op = data[pos++];
        const Outcome before = session.outcome();
        host.framesThisEvent = 0;
        host.packetsThisEvent = 0;
        bool answer = false;
        QByteArray bytes;
        switch (op % 8) {
        case 0: case 1: case 2: case 3: {
            const size_t n = std::min<size_t>((op >> 3) % 8 + 1, size - pos);
            bytes = bytesOf(data + pos, n);
            pos += n;
            answer = true;
            break;
        }
        case 4:
        case 5:
        case 6: {
            // A timer ticks only while it runs, as a window's timers do.
            const int id = op % 8 - 3;
            if (host.running.count(id))
                session.onTimer(id);
            break;
        }
        default:
            switch ((op >> 3) % 4) {
            case 0:
                session.portClosed();
                break;
            case 1:
                session.portOpened();
                connected = false;
                break;
            case 2:
                if (session.portOpen() && !start())
                    return "the fixtures were refused on a second start";
                connected = false;
                break;
            default: {
                using State = h5::TransferState;
                const State s = session.state();
                answer = true;
                if (s == State::RegistryRead)
                    bytes = h5::frameTerminator();
                else if (!connected
                         && (s == State::LinkCheck || s == State::ProjectStart
                             || s == State::PictureStart || s == State::FontStart))
                    bytes = QByteArray(1, char(h5::kConnectionReply));
                else
                    bytes = QByteArray(1, char(h5::kAcknowledge));
                break;
            }
            }
        }
        if (answer) {
            session.onReceive(bytes);
            if (!bytes.isEmpty() && bytes.back() == char(h5::kConnectionReply))
                connected = true;
            if (host.packetsThisEvent > 1)
                return "more than one packet went out for one answer";
        } else if (host.packetsThisEvent > 0) {
            return "a packet went out on a timer tick or a button";
        }
        if (before == Outcome::Running && session.outcome() == Outcome::Completed) {
            if (!answer || bytes.isEmpty())
                return "completed without an answer";
            if (host.framesThisEvent != 0)
                return "completed while sending";
            if (!eraseEnds && bytes.back() != char(h5::kAcknowledge))
                return "completed on an answer that is not 'U'";
            const QByteArray sent = host.sentData();
            if (in.hasProject && !sent.startsWith(files.projectData))
                return "completed without the whole project data";
            if (in.hasFont && !sent.endsWith(files.font))
                return "completed without the whole font";
            if (in.hasPictures) {
                for (const h5::DownloadPicture &p : session.transferPictures()) {
                    if (!p.placed())
                        continue;
                    const QByteArray record = h5::pictureHeader(p.number, p.firstBlock, p.width, p.height)
                        + files.pictureList.mid(qsizetype(p.dataOffset()), qsizetype(p.bytes()));
                    if (!sent.contains(record))
                        return "completed without a placed picture";
                }
            }
        }
        if (session.outcome() == Outcome::Completed && session.state() != h5::TransferState::Idle)
            return "completed but not idle";
    }
    return {};
}

// ---- virtual terminal: receiver ---------------------------------------------
// Byte 0 seeds how the rest is cut into pieces. However it is cut, the
// terminal answers the same and ends with the same flash and the same screen
// (every layer's pixels, the layer shown, the backlight and the record of
// what it does not draw); the screen never loses its layers or its size,
// shows a layer it has, and holds only widened RGB565 colours; whatever it was fed, a closed and reopened line
// answers a probe, and its flash survives a save and a load. Bytes 0 also
// chooses the resolution, so layer selects and copies meet one, two and
// four layers.
inline std::string terminalReceiverViolation(const uint8_t *data, size_t size)
{
    if (size < 1)
        return {};
    const QByteArray stream = bytesOf(data + 1, size - 1);
    // 800x480 (two layers), 480x272 (four) or 800x600 (one).
    static const int sizes[3][3] = {{800, 480, 2}, {480, 272, 4}, {800, 600, 1}};
    const int *screenSize = sizes[data[0] % 3];
    h5::VirtualTerminal whole(screenSize[0], screenSize[1]);
    const QByteArray answers = whole.feed(stream);

    h5::VirtualTerminal pieces(screenSize[0], screenSize[1]);
    QByteArray pieceAnswers;
    uint32_t seed = data[0] * 2654435761u + 1;
    for (qsizetype at = 0; at < stream.size();) {
        seed = seed * 1103515245u + 12345u;
        const qsizetype n = std::min<qsizetype>(qsizetype(1 + (seed >> 16) % 97), stream.size() - at);
        pieceAnswers += pieces.feed(stream.mid(at, n));
        at += n;
    }
    if (pieceAnswers != answers)
        return "the answers depend on how the stream was cut";
    const QByteArray state = whole.saveState();
    if (pieces.saveState() != state)
        return "the flash depends on how the stream was cut";
    if (!pieces.screen().sameAs(whole.screen()))
        return "the screen depends on how the stream was cut";
    const h5::TerminalScreen &screen = whole.screen();
    if (screen.width() != screenSize[0] || screen.height() != screenSize[1]
        || screen.layerCount() != screenSize[2])
        return "the screen changed its size or its layers";
    if (screen.shownLayer() < 0 || screen.shownLayer() >= screen.layerCount())
        return "the screen shows a layer it does not have";
    for (int l = 0; l < screen.layerCount(); ++l) {
        const QImage &layer = screen.layerImage(l);
        if (layer.format() != QImage::Format_RGB32 || layer.width() != screenSize[0]
            || layer.height() != screenSize[1])
            return "a layer lost its size or its pixel format";
        for (int y = 0; y < layer.height(); ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(layer.constScanLine(y));
            for (int x = 0; x < layer.width(); ++x) {
                if (h5::rgbOf565(h5::rgb565Of(line[x])) != line[x])
                    return "a pixel holds a colour that is no widened RGB565 colour";
            }
        }
    }
    for (const int b : whole.usedBlocks())
        if (b < 0 || b >= h5::kBlockCount)
            return "a block outside the store";
    if (whole.registry().size() != h5::kRegistryImageSize)
        return "the registry changed size";

    h5::VirtualTerminal copy;
    QString error;
    if (!copy.loadState(state, &error) || copy.saveState() != state)
        return "the flash does not survive a save and a load: " + text(error);

    whole.resetLine();
    if (!whole.idle() || whole.feed(QByteArray(1, h5::kConnectionProbe)) != QByteArray(1, char(h5::kConnectionReply)))
        return "a reopened line does not answer the probe";
    return {};
}

// ---- virtual terminal: flash state file -------------------------------------
// A refused state leaves the flash as it was and says why; an accepted one
// is saved back byte for byte.
inline std::string terminalStateViolation(const uint8_t *data, size_t size)
{
    const QByteArray state = bytesOf(data, size);
    h5::VirtualTerminal t;
    t.feed(QByteArray("\x7F\x1B\x75\xFF\xFF\xEE\xFF", 7)); // something in the flash
    const QByteArray before = t.saveState();
    QString error;
    if (!t.loadState(state, &error)) {
        if (error.isEmpty())
            return "refused without a reason";
        if (t.saveState() != before)
            return "a refused state changed the flash";
        return {};
    }
    if (t.saveState() != state)
        return "an accepted state does not save back the same bytes";
    return {};
}

// ---- for the fuzz targets and the replay -----------------------------------

inline void checkViolation(const std::string &broken) { check(broken.empty(), broken.c_str()); }

inline void checkDownloadInputsInput(const uint8_t *data, size_t size)
{
    checkViolation(downloadInputViolation(data, size));
}
inline void checkRegistryReplyInput(const uint8_t *data, size_t size)
{
    checkViolation(registryReplyViolation(data, size));
}
inline void checkTransferSessionInput(const uint8_t *data, size_t size)
{
    checkViolation(transferSessionViolation(data, size));
}
inline void checkVirtualTerminalInput(const uint8_t *data, size_t size)
{
    checkViolation(terminalReceiverViolation(data, size));
}
inline void checkFlashStateInput(const uint8_t *data, size_t size)
{
    checkViolation(terminalStateViolation(data, size));
}

} // namespace h5fuzz

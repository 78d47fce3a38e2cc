// Every transfer ends, whatever the terminal does: each session (the file
// download in every combination of files, the project window's send, the
// debug window's picture and font downloads) is run once cleanly against
// the in-process terminal to count its packets, then once for every packet
// with a wrong answer to it and once with silence from it on. Each run
// must end within a minute of virtual time (silence with a failure); a run
// that waits for ever is the fault this catches.
//
// Then the debug window's picture download against a terminal that already
// holds pictures, with lists that are damaged in the ways users meet: a
// declined download leaves the terminal's flash exactly as it was, and a
// download that skips pictures never gives the registry an entry whose
// data was not sent.

#include "LinkTestSupport.h"

#include "common/Notifier.h"
#include "link/DebugSession.h"
#include "link/DownloadSession.h"
#include "link/Frames.h"
#include "link/Registry.h"
#include "link/SendProjectSession.h"
#include "pictures/PictureList.h"
#include "pictures/SlotRecord.h"
#include "terminal/InProcessLink.h"
#include "terminal/VirtualTerminal.h"

#include <QImage>
#include <QRandomGenerator>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

using namespace h5;
using namespace h5linktest;
using h5test::hex;

namespace {

constexpr int64_t kMinute = 60000;

// One session on an in-process line, started and watched the same way for
// every kind.
struct Run
{
    QTemporaryDir dir;
    VirtualTerminal terminal;
    InProcessLink link{terminal};
    virtual ~Run() = default;
    // Packets the terminal answered before the transfer began (a debug
    // window's handshake).
    int64_t base = 0;
    virtual bool start() = 0;
    virtual bool ended() const = 0;
    virtual bool completed() const = 0;
    QString texts() const { return (link.statuses + link.messages).join('|'); }
};

struct TransferRun : Run
{
    virtual TransferSession &session() = 0;
    bool ended() const override
    {
        auto &s = const_cast<TransferRun *>(this)->session();
        return s.outcome() == TransferSession::Outcome::Completed || s.outcome() == TransferSession::Outcome::Failed
            || !link.lineOpen();
    }
    bool completed() const override
    {
        return const_cast<TransferRun *>(this)->session().outcome() == TransferSession::Outcome::Completed;
    }
};

struct DownloadRun : TransferRun
{
    DownloadSession s{link};
    DownloadFiles files;
    DownloadRun(bool project, bool pictures, bool font, bool erase)
    {
        link.attach(s);
        link.setOnClose([this] { s.portClosed(); });
        if (project)
            files.project = writeFile(dir, "p.wgc", projectFile(projectData({2, 1})));
        if (pictures)
            files.pictures = writeFile(dir, "l.tbm", pictureList({{3, 40, 30}, {7, 20, 20}}));
        if (font)
            files.font = writeFile(dir, "f.wzk", fontFile({1, 2}));
        files.erase = erase;
    }
    TransferSession &session() override { return s; }
    bool start() override
    {
        s.portOpened();
        QString error;
        return s.start(files, &error);
    }
};

struct SendProjectRun : TransferRun
{
    SendProjectSession s{link};
    bool erase;
    explicit SendProjectRun(bool eraseBox) : erase(eraseBox)
    {
        link.attach(s);
        link.setOnClose([this] { s.portClosed(); });
        writeFile(dir, "demo.wgc", projectFile(projectData({1, 2}), {1, 2}));
        writeFile(dir, SendProjectSession::kPictureListName, pictureList({{0, 10, 10}, {2, 30, 40}}));
    }
    TransferSession &session() override { return s; }
    bool start() override
    {
        s.load(QDir(dir.path()).filePath("demo.wgc"), dir.path());
        s.portOpened();
        QString error;
        return s.start(erase, &error);
    }
};

struct DebugRun : Run
{
    DebugSession s{link};
    std::function<bool(DebugSession &)> begin;
    explicit DebugRun(std::function<bool(DebugSession &, const QTemporaryDir &)> what)
    {
        link.attach(s);
        link.setOnClose([this] { s.portClosed(); });
        s.portOpened();
        link.advance(1000); // the handshake
        base = terminal.packetCount();
        begin = [this, what](DebugSession &session) { return what(session, dir); };
    }
    bool start() override { return s.state() == LinkState::Ready && begin(s); }
    bool ended() const override { return s.lastDownloadEnd() != DownloadEnd::Running || !link.lineOpen(); }
    bool completed() const override { return s.lastDownloadEnd() == DownloadEnd::Completed; }
};

bool debugPictures(DebugSession &s, const QTemporaryDir &, bool erase)
{
    const std::vector<DebugPicture> list{{4, 60, 40}, {9, 10, 10}};
    return s.downloadPictures(list, erase, [list](size_t i, QString *) {
        return pattern(int(pictureBytes(list[i].width, list[i].height)), int(i));
    });
}

bool debugFonts(DebugSession &s, const QTemporaryDir &dir)
{
    const QString a = writeFile(dir, "a.txt", "01 02 03");
    const QString b = writeFile(dir, "b.txt", QByteArray(2112 * 2 + 10, '7'));
    return s.downloadFonts({{a, 1}, {b, 2}});
}

struct Scenario
{
    const char *name;
    std::function<std::unique_ptr<Run>()> make;
};

std::vector<Scenario> scenarios()
{
    using R = std::unique_ptr<Run>;
    return {
        {"download: project", [] { return R(new DownloadRun(true, false, false, false)); }},
        {"download: project, erase", [] { return R(new DownloadRun(true, false, false, true)); }},
        {"download: pictures", [] { return R(new DownloadRun(false, true, false, false)); }},
        {"download: pictures, erase", [] { return R(new DownloadRun(false, true, false, true)); }},
        {"download: font", [] { return R(new DownloadRun(false, false, true, false)); }},
        {"download: pictures and font", [] { return R(new DownloadRun(false, true, true, false)); }},
        {"download: project, erase and font", [] { return R(new DownloadRun(true, false, true, true)); }},
        {"download: all three", [] { return R(new DownloadRun(true, true, true, false)); }},
        {"project window", [] { return R(new SendProjectRun(false)); }},
        {"project window, erase", [] { return R(new SendProjectRun(true)); }},
        {"debug pictures",
         [] { return R(new DebugRun([](DebugSession &s, const QTemporaryDir &d) { return debugPictures(s, d, false); })); }},
        {"debug pictures, erase",
         [] { return R(new DebugRun([](DebugSession &s, const QTemporaryDir &d) { return debugPictures(s, d, true); })); }},
        {"debug fonts", [] { return R(new DebugRun(debugFonts)); }},
    };
}

} // namespace

TEST(SessionFaultTable, EveryWrongAnswerAndEverySilenceEndsEverySessionWithAFailure)
{
    for (const Scenario &sc : scenarios()) {
        SCOPED_TRACE(sc.name);
        int64_t packets = 0;
        {
            auto clean = sc.make();
            ASSERT_TRUE(clean->start());
            ASSERT_TRUE(clean->link.advanceUntil([&] { return clean->ended(); }, kMinute)) << "a clean run hung";
            ASSERT_TRUE(clean->completed()) << clean->texts().toStdString();
            packets = clean->terminal.packetCount() - clean->base;
            ASSERT_GT(packets, 2);
        }
        for (int64_t n = 0; n < packets; ++n) {
            for (const bool silence : {false, true}) {
                SCOPED_TRACE((silence ? "silent from packet " : "wrong answer to packet ") + std::to_string(n + 1));
                auto run = sc.make();
                VirtualTerminal::Faults faults;
                (silence ? faults.stopAfter : faults.wrongReplyAfter) = run->base + n;
                run->terminal.setFaults(faults);
                if (!run->start())
                    continue; // refused before anything went out
                ASSERT_TRUE(run->link.advanceUntil([&] { return run->ended(); }, kMinute))
                    << "the session never ended: " << run->texts().toStdString();
                // Silence always fails the transfer. A wrong answer may be
                // taken where any answer is (the erase fill goes on with
                // any reply), but the session must end all the same.
                if (silence) {
                    EXPECT_FALSE(run->completed()) << run->texts().toStdString();
                }
            }
        }
    }
}

// ---- damaged picture lists against a terminal holding pictures ------------

namespace {

QString makeImage(const QString &dir, const QString &name, int w, int h, int seed)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb((x * 5 + seed * 40) & 0xFF, (y * 9 + seed) & 0xFF, (x ^ y) & 0xFF));
    const QString path = QDir(dir).filePath(name);
    EXPECT_TRUE(img.save(path));
    return path;
}

// A debug window on an in-process terminal.
struct Window
{
    VirtualTerminal terminal;
    InProcessLink link{terminal};
    DebugSession session{link};
    RecordingNotifier notes;
    Window()
    {
        link.attach(session);
        session.portOpened();
        link.advance(1000);
    }
    // "下载图片" on `list`; returns whether the download started.
    bool download(const PictureList &list, bool answer)
    {
        link.setAnswer(answer);
        std::vector<DebugPicture> entries;
        for (const PictureEntry &e : list.entries())
            entries.push_back(DebugPicture{e.number, e.width, e.height, -1});
        const auto &listEntries = list.entries();
        const bool started = session.downloadPictures(entries, false, [&](size_t i, QString *why) {
            return entryPixels(listEntries[i], notes, why);
        });
        if (started)
            link.advanceUntil([&] { return session.lastDownloadEnd() != DownloadEnd::Running; }, kMinute);
        return started;
    }
};

QByteArray slotFile(const std::vector<std::pair<int, QSize>> &records, const std::string &path = "x.png")
{
    QByteArray f(kSlotAreaSize, '\0');
    for (const auto &[number, size] : records) {
        SlotRecord r;
        r.inUse = 1;
        r.path = path;
        r.number = uint16_t(number);
        r.setSize(size.width(), size.height());
        r.writeTo(f.data() + qsizetype(number) * kSlotSize);
    }
    return f;
}

} // namespace

TEST(SessionFaultTable, DamagedPictureListNeverLeavesARegistryEntryWithoutItsData)
{
    QTemporaryDir dir;
    // The terminal holds pictures 0 to 3, sent from a good list.
    PictureList good;
    RecordingNotifier notes;
    QStringList images;
    for (int i = 0; i < 4; ++i)
        images << makeImage(dir.path(), QStringLiteral("p%1.png").arg(i), 40 + 10 * i, 30, i);
    ASSERT_EQ(good.addPictures(images, notes), 4);
    const QString goodList = QDir(dir.path()).filePath("good.tbm");
    ASSERT_TRUE(good.save(goodList, notes));
    const QByteArray goodBytes = h5test::readAll(goodList);

    struct Case
    {
        const char *name;
        std::function<QString()> make; // the damaged list's path
    };
    const auto file = [&dir](const char *name, const QByteArray &bytes) {
        return writeFile(dir, QString::fromUtf8(name), bytes);
    };
    QRandomGenerator random(7);
    QByteArray noise(kSlotAreaSize + 300000, '\0');
    for (char &c : noise)
        c = char(random.generate() & 0xFF);
    const std::vector<Case> cases = {
        {"cut to its slot area", [&] { return file("cut.tbm", goodBytes.left(kSlotAreaSize)); }},
        {"cut inside the last picture", [&] { return file("short.tbm", goodBytes.left(goodBytes.size() - 3000)); }},
        {"random bytes", [&] { return file("noise.tbm", noise); }},
        {"huge width", [&] { return file("huge.tbm", slotFile({{0, QSize(60000, 60000)}, {1, QSize(20, 20)}})); }},
        {"record list naming a missing picture",
         [&] {
             QByteArray wbm;
             for (const auto &[number, path] : std::vector<std::pair<int, QString>>{
                      {4, images[0]}, {7, QDir(dir.path()).filePath("gone.png")}}) {
                 SlotRecord r;
                 r.inUse = 1;
                 r.path = QFile::encodeName(path).toStdString();
                 r.number = uint16_t(number);
                 r.setSize(number == 4 ? 40 : 20, number == 4 ? 30 : 20);
                 QByteArray rec(kSlotSize, '\0');
                 r.writeTo(rec.data());
                 wbm += rec;
             }
             return file("missing.wbm", wbm);
         }},
    };
    for (const Case &c : cases) {
        for (const bool answer : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (answer ? ", skipped" : ", declined"));
            Window w;
            ASSERT_TRUE(w.download(good, true));
            ASSERT_EQ(w.session.lastDownloadEnd(), DownloadEnd::Completed);
            const QByteArray before = w.terminal.saveState();
            const auto beforeEntries = w.terminal.registryEntries();

            PictureList damaged;
            RecordingNotifier openNotes;
            const QString path = c.make();
            if (!damaged.open(path, openNotes))
                continue; // refused as a whole when opened: nothing to send
            const int64_t sentBefore = w.link.sentBytes().size();
            w.download(damaged, answer);
            const QByteArray sent = w.link.sentBytes().mid(sentBefore);

            if (!answer || w.session.lastDownloadEnd() != DownloadEnd::Completed) {
                EXPECT_EQ(w.terminal.saveState(), before) << "a download that did not complete changed the flash";
                continue;
            }
            // Every entry that changed was sent whole: its header went out
            // and the download completed.
            for (const RegistryRecord &r : w.terminal.registryEntries()) {
                bool same = false;
                for (const RegistryRecord &o : beforeEntries)
                    same = same
                        || (o.number == r.number && o.firstBlock == r.firstBlock && o.width == r.width
                            && o.height == r.height);
                if (!same) {
                    EXPECT_TRUE(sent.contains(pictureHeader(r.number, r.firstBlock, r.width, r.height)))
                        << "picture " << r.number << " registered without its data";
                }
            }
            // Pictures the download did not send are as they were.
            for (const RegistryRecord &o : beforeEntries) {
                if (sent.contains(pictureHeader(o.number, 0, 0, 0).left(5)))
                    continue;
                VirtualTerminal fresh;
                ASSERT_TRUE(fresh.loadState(before, nullptr));
                EXPECT_EQ(w.terminal.picture(o.number), fresh.picture(o.number)) << "picture " << o.number;
            }
        }
    }
}

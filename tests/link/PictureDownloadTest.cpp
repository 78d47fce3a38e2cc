// The file download window and the online debug window run one picture
// download (link/PictureDownload.h). Given the same pictures and the same
// terminal, both send the same bytes from the registry read request on
// (read, write command, registry packets, headers and pixels) and leave
// the terminal with the same flash: a registry placed or written one way in
// one window and another way in the other is the fault this catches.

#include "LinkTestSupport.h"

#include "link/DebugSession.h"
#include "link/DownloadSession.h"
#include "link/Frames.h"
#include "link/Registry.h"
#include "terminal/InProcessLink.h"
#include "terminal/VirtualTerminal.h"

#include <functional>
#include <gtest/gtest.h>

using namespace h5;
using namespace h5linktest;

namespace {

constexpr int64_t kHour = 3600 * 1000;

// Writes `entries` into the terminal's registry as a download would.
void holdPictures(VirtualTerminal &terminal, const std::vector<RegistryRecord> &entries)
{
    QByteArray image = emptyRegistryImage();
    for (const RegistryRecord &r : entries)
        writeRegistryEntry(image.data() + r.number * kRegistryEntrySize, r);
    terminal.feed(registryWriteCommand());
    terminal.feed(image.left(kPage));
    terminal.feed(image.mid(kPage, kPage));
    terminal.feed(image.mid(2 * kPage));
}

struct Outcome
{
    QByteArray sent; // from the registry read request on
    QByteArray flash;
    bool completed = false;
    QStringList messages;
};

QByteArray fromRegistryRead(const QByteArray &sent)
{
    const qsizetype at = sent.indexOf(registryReadRequest());
    return at < 0 ? QByteArray() : sent.mid(at);
}

Outcome fileWindow(const std::vector<TestPicture> &pictures, const std::function<void(VirtualTerminal &)> &setUp,
                   bool erase)
{
    QTemporaryDir dir;
    VirtualTerminal terminal;
    setUp(terminal);
    InProcessLink link(terminal);
    DownloadSession s(link);
    link.attach(s);
    link.setOnClose([&] { s.portClosed(); });
    DownloadFiles files;
    files.pictures = writeFile(dir, "l.tbm", pictureList(pictures));
    files.erase = erase;
    s.portOpened();
    QString error;
    EXPECT_TRUE(s.start(files, &error)) << error.toStdString();
    link.advanceUntil([&] { return s.outcome() != TransferSession::Outcome::Running; }, kHour);
    return {fromRegistryRead(link.sentBytes()), terminal.saveState(),
            s.outcome() == TransferSession::Outcome::Completed, link.messages};
}

Outcome debugWindow(const std::vector<TestPicture> &pictures, const std::function<void(VirtualTerminal &)> &setUp,
                    bool erase)
{
    VirtualTerminal terminal;
    setUp(terminal);
    InProcessLink link(terminal);
    DebugSession s(link);
    link.attach(s);
    link.setOnClose([&] { s.portClosed(); });
    s.portOpened();
    link.advance(1000);
    // The list in number order, as the list file holds it.
    std::vector<TestPicture> sorted = pictures;
    std::sort(sorted.begin(), sorted.end(), [](auto &a, auto &b) { return a.number < b.number; });
    std::vector<DebugPicture> list;
    for (const TestPicture &p : sorted)
        list.push_back({p.number, p.width, p.height, -1});
    EXPECT_TRUE(s.downloadPictures(list, erase, [sorted](size_t i, QString *) { return pixelsOf(sorted[i]); }));
    link.advanceUntil([&] { return s.lastDownloadEnd() != DownloadEnd::Running; }, kHour);
    return {fromRegistryRead(link.sentBytes()), terminal.saveState(),
            s.lastDownloadEnd() == DownloadEnd::Completed, link.messages};
}

} // namespace

TEST(PictureDownload, FileAndDebugWindowsSendTheSameBytesAndLeaveTheSameFlash)
{
    struct Case
    {
        const char *name;
        std::vector<TestPicture> pictures;
        std::function<void(VirtualTerminal &)> setUp;
        bool erase;
        int messages; // the placement's message boxes
    };
    const auto none = [](VirtualTerminal &) {};
    const std::vector<TestPicture> three{{3, 40, 30}, {7, 320, 240}, {12, 1, 1}};
    const std::vector<Case> cases = {
        {"empty terminal", three, none, false, 0},
        {"terminal holding other pictures and one sent again",
         three, [](VirtualTerminal &t) { holdPictures(t, {{0, 0, 10, 10}, {7, 1, 10, 10}, {20, 5, 400, 400}}); },
         false, 0},
        {"erase box: the terminal's pictures are dropped",
         three, [](VirtualTerminal &t) { holdPictures(t, {{0, 0, 10, 10}, {20, 5, 400, 400}}); }, true, 0},
        {"faulty registry",
         three, [](VirtualTerminal &t) {
             VirtualTerminal::Faults f;
             f.badRegistry = true;
             t.setFaults(f);
         },
         false, 1},
        {"no room left: from block 0 over what is there",
         three, [](VirtualTerminal &t) {
             std::vector<RegistryRecord> all;
             for (int n = 0; n < kSlotCount; ++n)
                 all.push_back({n, n, 10, 10});
             holdPictures(t, all);
         },
         false, 1},
        {"one picture of one packet", {{5, 30, 30}}, none, false, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome file = fileWindow(c.pictures, c.setUp, c.erase);
        const Outcome debug = debugWindow(c.pictures, c.setUp, c.erase);
        EXPECT_TRUE(file.completed);
        EXPECT_TRUE(debug.completed);
        ASSERT_FALSE(file.sent.isEmpty());
        EXPECT_EQ(file.sent.size(), debug.sent.size());
        EXPECT_TRUE(file.sent == debug.sent) << "the windows sent different bytes";
        EXPECT_TRUE(file.flash == debug.flash) << "the windows left different flashes";
        EXPECT_EQ(file.messages.size(), c.messages) << file.messages.join('|').toStdString();
        EXPECT_EQ(debug.messages.size(), c.messages) << debug.messages.join('|').toStdString();
    }
}

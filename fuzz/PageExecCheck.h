#pragma once
// Properties of the terminal's page execution on arbitrary project data:
// reading it and running any of its pages finishes without undefined
// behaviour; the screen keeps its size; a page run on two fresh screens
// draws the same pixels and records the same; a preview is the screen's
// size or null with a reason; the page cycle runs a bounded number of
// pages however far the clock jumps.
//
// The first byte chooses the form of the rest:
//   even  the rest is page 0's stream, put into project data here with a
//         needle table of its own bytes for control IDs 0 and 7, on a
//         320x240, 480x272 or 800x600 screen by the first byte's bits 1..2
//   odd   the rest is the project data itself, on a 320x240 screen
// Picture 1 is 3 x 2 pixels; picture 2 claims 40 x 40 but its reader gives
// nothing, as a store cut short would.
//
// Checked by fuzz_page_exec and replayed by the tests.

#include "FuzzCheck.h"

#include "common/Flash.h"
#include "terminal/PageRun.h"

#include <QByteArray>
#include <cstdint>

namespace h5fuzz {

inline bool pageExecPictures(int number, h5::TerminalScreen::Picture &out)
{
    if (number == 1) {
        out.width = 3;
        out.height = 2;
        out.read = [](int64_t offset, int64_t length) {
            QByteArray b;
            for (int64_t i = offset; i < offset + length && i < 12; ++i)
                b.append(char(0x11 * (i + 1)));
            return b;
        };
        return true;
    }
    if (number == 2) {
        out.width = 40;
        out.height = 40;
        out.read = [](int64_t, int64_t) { return QByteArray(); };
        return true;
    }
    return false;
}

// Project data holding one page 0 with `stream` and a needle table.
inline QByteArray pageExecProject(const QByteArray &stream)
{
    QByteArray data = QByteArray::fromHex("7F1B75FFFFEEFF");
    QByteArray index(2 * h5::kPageSlots, '\xFF');
    index[0] = 0;
    index[1] = 0;
    data += index;
    QByteArray body = stream;
    const qsizetype pages = std::max<qsizetype>(1, (body.size() + h5::kFlashPage - 1) / h5::kFlashPage);
    body.append(QByteArray(pages * h5::kFlashPage - body.size(), '\xFF'));
    data += QByteArray::fromHex("7F1B560000") + char(pages & 0xFF) + char(pages >> 8)
            + QByteArray::fromHex("FFFFEEFF") + body;
    QByteArray table = stream.left(h5::kFlashPage);
    table.append(QByteArray(h5::kFlashPage - table.size(), '\xFF'));
    for (const char *id : {"0000", "0700"})
        data += QByteArray::fromHex("7F1B72") + QByteArray::fromHex(id)
                + QByteArray::fromHex("FFFFEEFF") + table;
    return data;
}

inline void checkPageExecInput(const uint8_t *bytes, size_t size)
{
    if (size < 1)
        return;
    const QByteArray rest(reinterpret_cast<const char *>(bytes) + 1, qsizetype(size - 1));
    static const QSize sizes[] = {{320, 240}, {480, 272}, {800, 600}, {320, 240}};
    QSize screenSize(320, 240);
    QByteArray data;
    if (bytes[0] & 1) {
        data = rest;
    } else {
        screenSize = sizes[(bytes[0] >> 1) & 3];
        data = pageExecProject(rest);
    }

    h5::ProjectPages pages;
    QString error;
    if (!h5::readProjectPages(data, pages, &error)) {
        check(!error.isEmpty(), "refused project data says why");
        check(h5::previewPage(data, screenSize, pageExecPictures, 0, &error).isNull(),
              "refused project data previews nothing");
        return;
    }
    check(!(bytes[0] & 1) ? pages.has(0) : true, "the page put into the project data is found");
    check(pages.firstPage() == (pages.pages.isEmpty() ? -1 : pages.pages.firstKey()),
          "the first page is the lowest present");

    int runs = 0;
    for (auto it = pages.pages.constBegin(); it != pages.pages.constEnd() && runs < 4; ++it, ++runs) {
        h5::TerminalScreen a(screenSize.width(), screenSize.height());
        h5::TerminalScreen b(screenSize.width(), screenSize.height());
        const h5::PageEnd ea = h5::runPage(a, pages, it.key(), pageExecPictures);
        const h5::PageEnd eb = h5::runPage(b, pages, it.key(), pageExecPictures);
        check(ea.found && eb.found, "a page present runs");
        check(ea.delay == eb.delay && ea.next == eb.next, "a page ends the same each run");
        check(a.sameAs(b), "a page draws the same on two fresh screens");
        for (int l = 0; l < a.layerCount(); ++l)
            check(a.layerImage(l).size() == screenSize, "every layer keeps the screen's size");
        check(ea.next >= -1 && ea.next <= 0xFFFE && ea.delay >= 0 && ea.delay <= 255,
              "delay and next page are in range");
        const QImage preview = h5::previewPage(pages, screenSize, pageExecPictures, it.key(), &error);
        check(preview.size() == screenSize, "a preview is the screen's size");
    }
    check(h5::previewPage(pages, screenSize, pageExecPictures, 1024, &error).isNull() && !error.isEmpty(),
          "a page beyond the index previews nothing, with a reason");

    // The cycle: however far the clock goes, a bounded number of runs.
    h5::PagePlayer player;
    player.setProject(data);
    h5::TerminalScreen screen(screenSize.width(), screenSize.height());
    const bool started = player.start(screen, pageExecPictures, 0);
    check(started == !pages.pages.isEmpty(), "start-up runs a page when there is one");
    for (int64_t now : {int64_t(1000), int64_t(256000), int64_t(1) << 40}) {
        const int ran = player.tick(screen, pageExecPictures, now);
        check(ran >= 0 && ran <= int(pages.pages.size()) + 2, "a tick runs a bounded number of pages");
        check(player.dueMs() < 0 || player.dueMs() > now, "after a tick nothing is overdue");
    }
}

} // namespace h5fuzz

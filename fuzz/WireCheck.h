#pragma once
// What must hold for any bytes read by the frame table's decoders
// (project/Wire.h) and the project-data reader (project/ProjectData.h):
//  - a stored-data header the decoder accepts is rebuilt byte for byte from
//    the fields it read, at the table's length;
//  - a screen or control frame the terminal's decoders accept has the
//    table's length (a text at least the table's) and ends with the
//    terminator;
//  - project data the PC's strict reading accepts is read the same by the
//    terminal's reading, its segments one after the other up to the end;
//    the terminal's reading of anything keeps its segments inside the data,
//    one after the other.
// Run by fuzz_wire and by the test replaying its kept inputs
// (tests/terminal/WireRoundTripTest.cpp).

#include "FuzzCheck.h"

#include "common/Bytes.h"
#include "project/ProjectData.h"
#include "project/Wire.h"
#include "terminal/PageFrames.h"
#include "terminal/ScreenFrames.h"

#include <QByteArray>

namespace h5fuzz {

inline QByteArray rebuiltHeader(const h5::StoredHeader &h)
{
    using namespace h5;
    QByteArray params;
    ByteWriter w(params);
    switch (h.kind) {
    case Segment::PageSegment:
    case Segment::Font:
        w.le16(uint32_t(h.number));
        w.le16(uint32_t(h.pages));
        break;
    case Segment::ControlDefinition:
    case Segment::ControlTable:
    case Segment::NeedleTable:
        w.le16(uint32_t(h.number));
        break;
    case Segment::Picture:
        w.le16(uint32_t(h.number));
        w.le16(uint32_t(h.block));
        w.le16(uint32_t(h.width));
        w.le16(uint32_t(h.height));
        break;
    default:
        break;
    }
    return storedHeaderBytes(h.kind, params);
}

inline void checkFramesAt(const QByteArray &bytes, qsizetype at)
{
    using namespace h5;
    const char *p = bytes.constData() + at;
    const qsizetype n = bytes.size() - at;

    StoredHeader h;
    if (decodeStoredHeader(p, n, h)) {
        check(h.length == storedLength(h.kind), "a stored header's length is not the table's");
        check(QByteArray(p, h.length) == rebuiltHeader(h), "a stored header is not rebuilt from its fields");
    }

    qsizetype length = 0;
    if (scanScreenFrame(p, n, length) == ScreenScan::Complete) {
        const FrameRow *row = commandFrame(uint8_t(p[1]));
        check(row && row->role == FrameRole::Screen, "a screen frame of a command the table has no screen row for");
        if (!row)
            return;
        check(row->rule == LengthRule::PlusText ? length >= row->length : length == row->length,
              "a screen frame's length is not the table's");
        check(length <= n && terminatorAt(p + length - kTerminatorSize), "a screen frame does not end with the terminator");
    }

    if (n >= 2) {
        const FrameRow *row = commandFrame(uint8_t(p[1]));
        ControlOp c;
        if (row && n >= row->length && decodeControlFrame(p, row->length, c))
            check(row->role == FrameRole::Page && row->code != Command::Delay,
                  "a control frame of a command that is no control");
    }
}

inline void checkSegmentsFollowEachOther(const h5::ProjectDataLayout &layout, qsizetype size)
{
    qint64 at = h5::kFirstSegmentAt;
    for (const h5::ProjectSegment &s : layout.segments) {
        check(s.offset == at, "a segment does not start where the one before it ends");
        check(s.bodySize >= 0 && s.end() <= size, "a segment reaches past the data");
        at = s.end();
    }
}

inline void checkWireInput(const uint8_t *data, size_t size)
{
    using namespace h5;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    // Frames at the first offsets (every offset of a long input would make
    // each run quadratic).
    for (qsizetype at = 0; at < bytes.size() && at < 64; ++at)
        checkFramesAt(bytes, at);

    // The input as project data: after a made-up header and index, so that
    // the segments are reached, and as it is.
    const QByteArray made = storedHeaderBytes(Segment::ProjectHeader) + QByteArray(kPageIndexBytes, '\xFF') + bytes;
    for (const QByteArray &d : {made, bytes}) {
        const ProjectDataLayout terminal = readProjectData(d, SegmentReading::AsTerminal);
        checkSegmentsFollowEachOther(terminal, d.size());
        const ProjectDataLayout strict = readProjectData(d, SegmentReading::Strict);
        if (strict.fault != ProjectDataLayout::Fault::None)
            continue;
        checkSegmentsFollowEachOther(strict, d.size());
        check(!strict.segments.isEmpty() && strict.segments.last().end() == d.size(),
              "accepted project data does not end with its last segment");
        check(terminal.fault == ProjectDataLayout::Fault::None
                  && terminal.segments.size() == strict.segments.size(),
              "the terminal reads accepted project data differently");
        for (qsizetype i = 0; i < strict.segments.size(); ++i) {
            const ProjectSegment &a = strict.segments[i];
            const ProjectSegment &b = terminal.segments[i];
            check(a.offset == b.offset && a.kind == b.kind && a.number == b.number && a.pages == b.pages
                      && a.bodySize == b.bodySize,
                  "the terminal reads a segment of accepted project data differently");
        }
    }
}

} // namespace h5fuzz

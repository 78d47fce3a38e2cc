#include "project/ProjectData.h"

#include "common/Bytes.h"
#include "common/Flash.h"

#include <algorithm>

namespace h5 {

SegmentFault readProjectSegment(const QByteArray &data, qint64 at, ProjectSegment &out, SegmentReading how)
{
    const bool strict = how == SegmentReading::Strict;
    const qint64 n = data.size();
    // The terminal looks at nothing shorter than a short header; the PC
    // tells the kind first.
    if (at < 0 || at + (strict ? 3 : kShortSegmentHeader) > n)
        return SegmentFault::CutShort;
    const char *p = data.constData() + at;
    ProjectSegment s;
    s.offset = at;
    s.kind = getU8(p + 2);
    if (s.kind == Segment::PageSegment)
        s.headerSize = kLongSegmentHeader;
    else if (isShortSegmentKind(s.kind) || !strict)
        s.headerSize = kShortSegmentHeader;
    else
        return SegmentFault::NotAHeader;
    if (at + s.headerSize > n)
        return SegmentFault::CutShort;
    if (getU8(p) != kStoredMark || getU8(p + 1) != kEscape || !terminatorAt(p + s.headerSize - kTerminatorSize))
        return SegmentFault::NotAHeader;
    s.number = getLe16(p + 3);
    if (s.isPageSegment()) {
        if (strict && getU8(p + 6) != 0)
            return SegmentFault::TooManyPages;
        s.pages = strict ? getU8(p + 5) : getLe16(p + 5);
    } else {
        s.pages = 1;
    }
    const qint64 room = n - at - s.headerSize;
    const qint64 announced = qint64(s.pages) * kFlashPage;
    if (strict && s.pages <= 0)
        return SegmentFault::NoPages;
    if (strict && announced > room)
        return SegmentFault::PastEnd;
    s.bodySize = std::min(announced, room);
    out = s;
    return SegmentFault::None;
}

SegmentFault readProjectSegment(const QByteArray &data, qint64 at, SegmentHeader &out)
{
    ProjectSegment s;
    const SegmentFault fault = readProjectSegment(data, at, s, SegmentReading::Strict);
    if (fault == SegmentFault::None)
        out = SegmentHeader{s.headerSize, s.pages};
    return fault;
}

bool projectSegmentAt(const QByteArray &data, qint64 at, SegmentHeader &out)
{
    return readProjectSegment(data, at, out) == SegmentFault::None;
}

int ProjectDataLayout::indexEntry(int page) const
{
    if (!index || page < 0 || page >= kPageSlots)
        return 0xFFFF;
    return getLe16(index + 2 * page);
}

ProjectDataLayout readProjectData(const QByteArray &data, SegmentReading how)
{
    using Fault = ProjectDataLayout::Fault;
    ProjectDataLayout layout;
    StoredHeader header;
    if (data.isEmpty()) {
        layout.fault = Fault::Empty;
        return layout;
    }
    if (data.size() < kFirstSegmentAt) {
        layout.fault = Fault::TooShort;
        return layout;
    }
    if (!decodeStoredHeader(data.constData(), data.size(), header) || header.kind != Segment::ProjectHeader) {
        layout.fault = Fault::NoHeader;
        return layout;
    }
    layout.index = data.constData() + kPageIndexAt;
    const bool strict = how == SegmentReading::Strict;
    qint64 at = kFirstSegmentAt;
    if (strict && at == data.size()) {
        layout.fault = Fault::NoSegments;
        return layout;
    }
    while (at < data.size()) {
        ProjectSegment s;
        const SegmentFault fault = readProjectSegment(data, at, s, how);
        if (fault != SegmentFault::None) {
            if (strict) {
                layout.fault = Fault::BadSegment;
                layout.segmentFault = fault;
                layout.faultAt = at;
            }
            break;
        }
        layout.segments.push_back(s);
        at = s.end();
    }
    return layout;
}

} // namespace h5

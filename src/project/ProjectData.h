#pragma once
// Project data: what a build appends to the project file from byte 102,406
// on, what a download puts into the terminal's flash byte for byte, and
// what the virtual terminal runs its pages from.
//
//   7F 1B 75 FF FF EE FF                     project header
//   1024 x 2 bytes                           page index: layer x 16384 + first
//                                            flash page of page n's stream; FF FF
//                                            when page n has none
//   7F 1B 56 first(2) count(2) FF FF EE FF   a page's segment: count flash pages
//                                            of 2112 bytes
//   7F 1B 70|71|72 p(2) FF FF EE FF          a control block of the page segment
//                                            before it: one flash page
//
// This is the one reader of it. It reads in one of two ways:
//  - Strict, the PC's way (the download checks and the sender): only the
//    headers above; the long form's page count in byte 5 with byte 6 0 (the
//    PC reads one byte, the terminal both); at least one page; every page
//    present. Anything else is a fault and the data is refused.
//  - AsTerminal, the terminal's way (the virtual terminal, the build's own
//    look back at what it wrote): a header with its 7F 1B and terminator in
//    place is taken; 56 is the long form with a 16-bit count, any other kind
//    the short form; pages past the end of the data are cut off. Reading
//    stops at the first header that is not one (or is cut short).

#include "project/Wire.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>

namespace h5 {

inline constexpr int kPageIndexAt = kProjectHeaderBytes;                   // 7: the page index
inline constexpr int kFirstSegmentAt = kPageIndexAt + kPageIndexBytes;     // 2055: the first segment

enum class SegmentReading { Strict, AsTerminal };

// What is wrong with a segment header, if anything.
enum class SegmentFault {
    None,
    CutShort,   // the data ends inside the header
    NotAHeader, // no 7F 1B mark, an unknown kind, or no FF FF EE FF at its end
    NoPages,    // it announces no page at all (strict only)
    TooManyPages, // a long header with a page count above 255 (strict only)
    PastEnd,    // it announces more pages than the data still holds (strict only)
};

// One segment of project data.
struct ProjectSegment
{
    qint64 offset = 0;   // of its header
    uint8_t kind = 0;    // Segment::PageSegment, or a control block's kind
    int headerSize = 0;
    int number = 0;      // page segment: first flash page; control block: p
    int pages = 0;       // flash pages it announces
    qint64 bodySize = 0; // bytes of those pages the data holds
    qint64 bodyOffset() const { return offset + headerSize; }
    qint64 end() const { return offset + headerSize + bodySize; }
    bool isPageSegment() const { return kind == Segment::PageSegment; }
};

// The segment header at `at`, read `how`. `out` is set only when the
// fault is None.
SegmentFault readProjectSegment(const QByteArray &data, qint64 at, ProjectSegment &out,
                                SegmentReading how = SegmentReading::Strict);

// A segment's size as the sessions step through data: how many bytes the
// header takes and how many flash pages follow it.
struct SegmentHeader
{
    int size = 0;
    int pages = 0;
};
// The same strict reading, as size and pages; and as yes or no.
SegmentFault readProjectSegment(const QByteArray &data, qint64 at, SegmentHeader &out);
bool projectSegmentAt(const QByteArray &data, qint64 at, SegmentHeader &out);

// Project data read whole.
struct ProjectDataLayout
{
    enum class Fault {
        None,
        Empty,       // no bytes at all
        TooShort,    // shorter than the project header and the page index
        NoHeader,    // it does not start with the project header
        NoSegments,  // nothing after the page index (strict only)
        BadSegment,  // a segment the reading refuses (strict only): `segmentFault` at `faultAt`
    };
    Fault fault = Fault::None;
    SegmentFault segmentFault = SegmentFault::None;
    qint64 faultAt = 0;
    // The segments in order, up to where the reading stopped.
    QList<ProjectSegment> segments;
    const char *index = nullptr; // the page index inside the data read

    // Page n's index entry: layer x 16384 + first flash page; 0xFFFF for none.
    int indexEntry(int page) const;
};

// Reads project data `how`. Strict: every fault is reported and the data is
// refused; AsTerminal: only a missing header or page index is, and the
// segments are those read before the first header that is not one. The
// layout points into `data`, which must outlive it.
ProjectDataLayout readProjectData(const QByteArray &data, SegmentReading how);

} // namespace h5

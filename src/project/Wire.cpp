#include "project/Wire.h"

#include "common/Bytes.h"

namespace h5 {

QByteArray frameTerminator() { return QByteArray(kTerminatorBytes, kTerminatorSize); }

QByteArray commandFrameBytes(uint8_t command, const QByteArray &parameters)
{
    QByteArray out;
    out.reserve(2 + parameters.size() + kTerminatorSize);
    out.append(char(kEscape)).append(char(command)).append(parameters);
    return out.append(kTerminatorBytes, kTerminatorSize);
}

QByteArray storedHeaderBytes(uint8_t kind, const QByteArray &parameters)
{
    QByteArray out;
    out.reserve(3 + parameters.size() + kTerminatorSize);
    out.append(char(kStoredMark)).append(char(kEscape)).append(char(kind)).append(parameters);
    return out.append(kTerminatorBytes, kTerminatorSize);
}

bool decodeStoredHeader(const char *p, qsizetype n, StoredHeader &out)
{
    if (n < 3 || getU8(p) != kStoredMark || getU8(p + 1) != kEscape)
        return false;
    const FrameRow *row = storedFrame(getU8(p + 2));
    if (!row || n < row->length || !terminatorAt(p + row->length - kTerminatorSize))
        return false;
    StoredHeader h;
    h.kind = row->code;
    h.length = row->length;
    switch (row->code) {
    case Segment::PageSegment:
    case Segment::Font:
        h.number = getLe16(p + 3);
        h.pages = getLe16(p + 5);
        break;
    case Segment::ControlDefinition:
    case Segment::ControlTable:
    case Segment::NeedleTable:
        h.number = getLe16(p + 3);
        h.pages = 1;
        break;
    case Segment::Picture:
        h.number = getLe16(p + 3);
        h.block = getLe16(p + 5);
        h.width = getLe16(p + 7);
        h.height = getLe16(p + 9);
        break;
    default: // the project header and the registry write carry nothing
        break;
    }
    out = h;
    return true;
}

} // namespace h5

#include "terminal/PageFrames.h"

#include "common/Bytes.h"
#include "common/Flash.h"
#include "terminal/ScreenFrames.h"

#include <algorithm>

namespace h5 {

namespace {

constexpr int kIndexOffset = 7;
constexpr int kSegmentsOffset = kIndexOffset + 2 * kPageSlots; // 2055
constexpr int kLongHeader = 11;
constexpr int kShortHeader = 9;

uint8_t at(const char *p, qsizetype i) { return static_cast<uint8_t>(p[i]); }
int s16(const char *p) { return int(int16_t(getLe16(p))); }
int u16(const char *p) { return int(getLe16(p)); }
int32_t s32(const char *low, const char *high)
{
    return int32_t(uint32_t(getLe16(low)) | (uint32_t(getLe16(high)) << 16));
}

bool terminatorAt(const char *p)
{
    return at(p, 0) == 0xFF && at(p, 1) == 0xFF && at(p, 2) == 0xEE && at(p, 3) == 0xFF;
}

// Lengths of the frames only pages hold; 0 for other commands.
int pageOnlyLength(uint8_t command)
{
    switch (command) {
    case 0x53: return 7;
    case 0x69: return 16;
    case 0x6A: return 36;
    case 0x6B: return 40;
    case 0x6C: return 40;
    case 0x6D: return 18;
    case 0x6E: return 22;
    case 0x6F: return 21;
    default: return 0;
    }
}

} // namespace

bool decodeControlFrame(const char *p, qsizetype length, ControlOp &out)
{
    using K = ControlOp::Kind;
    if (length < 6 || at(p, 0) != 0x1B)
        return false;
    const uint8_t command = at(p, 1);
    if (command < 0x69 || command > 0x6F || pageOnlyLength(command) != length)
        return false;
    ControlOp c;
    switch (command) {
    case 0x69: // colour x bg y font count
        c.kind = K::String;
        c.colour = getLe16(p + 2);
        c.x = s16(p + 4);
        c.background = getLe16(p + 6);
        c.y = s16(p + 8);
        c.font = at(p, 10);
        c.count = at(p, 11);
        break;
    case 0x6A:
        c.kind = K::Pointer;
        c.number = u16(p + 2);
        c.colour = getLe16(p + 4);
        c.x = s16(p + 6);
        c.background = getLe16(p + 8);
        c.y = s16(p + 10);
        c.minimum = s32(p + 12, p + 26);
        c.count = at(p, 14);
        c.thickness = at(p, 15);
        c.maximum = s32(p + 16, p + 30);
        c.controlId = u16(p + 20);
        c.style = at(p, 22);
        break;
    case 0x6B:
        c.kind = K::Numeric;
        c.colour = getLe16(p + 2);
        c.x = s16(p + 4);
        c.background = getLe16(p + 6);
        c.y = s16(p + 8);
        c.intDigits = at(p, 12);
        c.decimals = at(p, 16);
        c.minimum = s32(p + 18, p + 30);
        c.dots = at(p, 20);
        c.maximum = s32(p + 22, p + 34);
        c.style = at(p, 24);
        break;
    case 0x6C:
        c.kind = K::Bar;
        c.background = getLe16(p + 2);
        c.x = s16(p + 4);
        c.colour = getLe16(p + 6);
        c.y = s16(p + 8);
        c.colour3 = getLe16(p + 10);
        c.x2 = s16(p + 12);
        c.y2 = s16(p + 16);
        c.style = at(p, 20);
        c.minimum = s32(p + 22, p + 30);
        c.maximum = s32(p + 26, p + 34);
        break;
    case 0x6D:
        c.kind = K::Image;
        c.x = s16(p + 2);
        c.y = s16(p + 4);
        c.number = u16(p + 6);
        c.last = u16(p + 8);
        c.style = at(p, 12);
        break;
    case 0x6E:
        c.kind = K::TextArea;
        c.colour = getLe16(p + 2);
        c.columnSpacing = at(p, 4);
        c.rowSpacing = at(p, 5);
        c.background = getLe16(p + 6);
        c.x = s16(p + 8);
        c.y = s16(p + 10);
        c.x2 = s16(p + 12);
        c.y2 = s16(p + 14);
        c.font = at(p, 16);
        break;
    case 0x6F:
        c.kind = K::Button;
        c.colour = getLe16(p + 2);
        c.x = s16(p + 4);
        c.y = s16(p + 6);
        c.background = getLe16(p + 8);
        c.x2 = s16(p + 10);
        c.y2 = s16(p + 12);
        c.colour3 = getLe16(p + 14);
        c.style = at(p, 16);
        break;
    default:
        return false;
    }
    out = c;
    return true;
}

QList<PageStep> pageSteps(const QByteArray &stream)
{
    QList<PageStep> steps;
    const char *p = stream.constData();
    const qsizetype n = stream.size();
    qsizetype pos = 0;
    while (pos + 1 < n && at(p, pos) == 0x1B) {
        const char *f = p + pos;
        const qsizetype left = n - pos;
        const uint8_t command = at(f, 1);
        PageStep step;
        qsizetype length = 0;
        const int own = pageOnlyLength(command);
        if (own > 0) {
            if (left < own || !terminatorAt(f + own - 4)) {
                length = 0; // not a whole frame: skipped as unknown below
            } else {
                length = own;
                if (command == 0x53) {
                    step.type = PageStep::Type::Delay;
                    step.value = at(f, 2);
                } else {
                    step.type = PageStep::Type::Control;
                    decodeControlFrame(f, length, step.control);
                }
            }
        } else if (scanScreenFrame(f, left, length) == ScreenScan::Complete) {
            step.screen = decodeScreenFrame(f, length);
            if (step.screen.kind == ScreenOp::Kind::Page) {
                step.type = PageStep::Type::NextPage;
                step.value = step.screen.number == 0xFFFF ? -1 : step.screen.number;
            } else {
                step.type = PageStep::Type::Screen;
            }
        } else {
            length = 0;
        }
        if (length == 0) {
            // Unknown or broken: skip to the next terminator.
            qsizetype end = -1;
            for (qsizetype i = 2; i + 4 <= left; ++i) {
                if (terminatorAt(f + i)) {
                    end = i + 4;
                    break;
                }
            }
            if (end < 0)
                break;
            step.type = PageStep::Type::Unknown;
            length = end;
        }
        steps.push_back(step);
        pos += length;
    }
    return steps;
}

int ProjectPages::firstPage() const
{
    return pages.isEmpty() ? -1 : pages.firstKey();
}

bool readProjectPages(const QByteArray &data, ProjectPages &out, QString *error)
{
    static const char kHeader[7] = {'\x7F', '\x1B', '\x75', '\xFF', '\xFF', '\xEE', '\xFF'};
    if (data.size() < kSegmentsOffset || !data.startsWith(QByteArray(kHeader, 7))) {
        if (error)
            *error = data.isEmpty() ? QStringLiteral("no project data")
                                    : QStringLiteral("the project data does not start with the "
                                                     "project header and a whole page index");
        return false;
    }
    const char *p = data.constData();
    const qsizetype n = data.size();

    // Segments by first flash page, with the control blocks that follow them.
    struct Segment
    {
        qsizetype offset = 0, length = 0;
        QMap<int, QByteArray> needles;
    };
    QMap<int, Segment> segments;
    int last = -1; // first flash page of the segment the control blocks belong to
    qsizetype pos = kSegmentsOffset;
    while (pos + kShortHeader <= n) {
        const char *h = p + pos;
        if (at(h, 0) != 0x7F || at(h, 1) != 0x1B)
            break;
        if (at(h, 2) == 0x56) {
            if (pos + kLongHeader > n || !terminatorAt(h + 7))
                break;
            const int first = u16(h + 3);
            const qsizetype pages = u16(h + 5);
            const qsizetype body = std::min<qsizetype>(pages * kFlashPage, n - pos - kLongHeader);
            Segment s;
            s.offset = pos + kLongHeader;
            s.length = body;
            last = -1;
            if (!segments.contains(first)) {
                segments.insert(first, s);
                last = first;
            }
            pos += kLongHeader + body;
            continue;
        }
        if (!terminatorAt(h + 5))
            break;
        const int code = at(h, 2);
        const int param = u16(h + 3);
        const qsizetype body = std::min<qsizetype>(kFlashPage, n - pos - kShortHeader);
        if (code == 0x72 && last >= 0 && !segments[last].needles.contains(param))
            segments[last].needles.insert(param, QByteArray(h + kShortHeader, body));
        pos += kShortHeader + body;
    }

    ProjectPages pages;
    for (int page = 0; page < kPageSlots; ++page) {
        const int entry = u16(p + kIndexOffset + 2 * page);
        if (entry == 0xFFFF)
            continue;
        const auto it = segments.constFind(entry & 0x3FFF);
        if (it == segments.constEnd())
            continue;
        ProjectPages::Page pg;
        pg.layer = entry >> 14;
        pg.firstFlashPage = entry & 0x3FFF;
        pg.stream = QByteArray(p + it->offset, it->length);
        pg.needles = it->needles;
        pages.pages.insert(page, pg);
    }
    out = pages;
    return true;
}

} // namespace h5

#include "terminal/PageFrames.h"

#include "common/Bytes.h"
#include "common/Flash.h"
#include "project/ProjectData.h"
#include "project/Wire.h"
#include "terminal/ScreenFrames.h"

#include <algorithm>

namespace h5 {

namespace {

uint8_t at(const char *p, qsizetype i) { return static_cast<uint8_t>(p[i]); }
int s16(const char *p) { return int(int16_t(getLe16(p))); }
int u16(const char *p) { return int(getLe16(p)); }
int32_t s32(const char *low, const char *high)
{
    return int32_t(uint32_t(getLe16(low)) | (uint32_t(getLe16(high)) << 16));
}

// Length of a frame only pages hold (the table's Page role); 0 for other
// commands.
int pageOnlyLength(uint8_t command)
{
    const FrameRow *row = commandFrame(command);
    return row && row->role == FrameRole::Page ? row->length : 0;
}

} // namespace

bool decodeControlFrame(const char *p, qsizetype length, ControlOp &out)
{
    using K = ControlOp::Kind;
    if (length < 6 || at(p, 0) != kEscape)
        return false;
    const uint8_t command = at(p, 1);
    if (command == Command::Delay || pageOnlyLength(command) != length)
        return false;
    ControlOp c;
    switch (command) {
    case Command::StringCtrl: // colour x bg y font count
        c.kind = K::String;
        c.colour = getLe16(p + 2);
        c.x = s16(p + 4);
        c.background = getLe16(p + 6);
        c.y = s16(p + 8);
        c.font = at(p, 10);
        c.count = at(p, 11);
        break;
    case Command::PointerCtrl:
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
        c.pageTag = u16(p + 18);
        c.controlId = u16(p + 20);
        c.style = at(p, 22);
        c.belowShown = u16(p + 24);
        c.aboveShown = u16(p + 28);
        break;
    case Command::NumericCtrl:
        c.kind = K::Numeric;
        c.colour = getLe16(p + 2);
        c.x = s16(p + 4);
        c.background = getLe16(p + 6);
        c.y = s16(p + 8);
        c.outOfRangeColour = getLe16(p + 10);
        c.intDigits = at(p, 12);
        c.outOfRangeBackground = getLe16(p + 14);
        c.decimals = at(p, 16);
        c.minimum = s32(p + 18, p + 30);
        c.dots = at(p, 20);
        c.maximum = s32(p + 22, p + 34);
        c.style = at(p, 24);
        c.pageTag = u16(p + 26);
        c.belowShown = u16(p + 28);
        c.aboveShown = u16(p + 32);
        break;
    case Command::BarCtrl:
        c.kind = K::Bar;
        c.background = getLe16(p + 2);
        c.x = s16(p + 4);
        c.colour = getLe16(p + 6);
        c.y = s16(p + 8);
        c.colour3 = getLe16(p + 10);
        c.x2 = s16(p + 12);
        c.outOfRangeBackground = getLe16(p + 14);
        c.y2 = s16(p + 16);
        c.outOfRangeColour = getLe16(p + 18);
        c.style = at(p, 20);
        c.minimum = s32(p + 22, p + 30);
        c.pageTag = u16(p + 24);
        c.maximum = s32(p + 26, p + 34);
        c.belowShown = u16(p + 28);
        c.aboveShown = u16(p + 32);
        break;
    case Command::ImageCtrl:
        c.kind = K::Image;
        c.x = s16(p + 2);
        c.y = s16(p + 4);
        c.number = u16(p + 6);
        c.last = u16(p + 8);
        c.pageTag = u16(p + 10);
        c.style = at(p, 12);
        break;
    case Command::TextCtrl:
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
    case Command::ButtonCtrl:
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
    while (pos + 1 < n && at(p, pos) == kEscape) {
        const char *f = p + pos;
        const qsizetype left = n - pos;
        const uint8_t command = at(f, 1);
        PageStep step;
        qsizetype length = 0;
        const int own = pageOnlyLength(command);
        if (own > 0) {
            if (left < own || !terminatorAt(f + own - kTerminatorSize)) {
                length = 0; // not a whole frame: skipped as unknown below
            } else {
                length = own;
                if (command == Command::Delay) {
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
            for (qsizetype i = 2; i + kTerminatorSize <= left; ++i) {
                if (terminatorAt(f + i)) {
                    end = i + kTerminatorSize;
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
    const ProjectDataLayout layout = readProjectData(data, SegmentReading::AsTerminal);
    if (layout.fault != ProjectDataLayout::Fault::None) {
        if (error)
            *error = layout.fault == ProjectDataLayout::Fault::Empty
                         ? QStringLiteral("no project data")
                         : QStringLiteral("the project data does not start with the "
                                          "project header and a whole page index");
        return false;
    }

    // Page segments by first flash page, with the control blocks that
    // follow them; a second segment with the same first page is ignored,
    // and so are its control blocks.
    struct PageSegment
    {
        const ProjectSegment *segment = nullptr;
        QMap<int, QByteArray> needles;
    };
    QMap<int, PageSegment> segments;
    int last = -1; // first flash page of the segment the control blocks belong to
    for (const ProjectSegment &s : layout.segments) {
        if (s.isPageSegment()) {
            last = -1;
            if (!segments.contains(s.number)) {
                segments[s.number].segment = &s;
                last = s.number;
            }
        } else if (s.kind == Segment::NeedleTable && last >= 0 && !segments[last].needles.contains(s.number)) {
            segments[last].needles.insert(s.number, data.mid(qsizetype(s.bodyOffset()), qsizetype(s.bodySize)));
        }
    }

    ProjectPages pages;
    for (int page = 0; page < kPageSlots; ++page) {
        const int entry = layout.indexEntry(page);
        if (entry == 0xFFFF)
            continue;
        const auto it = segments.constFind(entry & 0x3FFF);
        if (it == segments.constEnd())
            continue;
        ProjectPages::Page pg;
        pg.layer = entry >> 14;
        pg.firstFlashPage = entry & 0x3FFF;
        pg.stream = data.mid(qsizetype(it->segment->bodyOffset()), qsizetype(it->segment->bodySize));
        pg.needles = it->needles;
        pages.pages.insert(page, pg);
    }
    out = pages;
    return true;
}

} // namespace h5

#include "project/Compiler.h"

#include "common/Gbk.h"
#include "model/ControlGeometry.h"
#include "pictures/SlotRecord.h"
#include "project/Encoding.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <utility>

namespace h5 {

namespace {

// A control's frame as it went into the stream; it is stored again in the
// control's definition block, and buttons also describe themselves in the
// control table.
struct ControlDefinition
{
    const CGraph *element;
    QByteArray frame;
};

struct NeedleTable
{
    int ctrlId;
    QByteArray entries; // N entries of inner x, inner y, outer x, outer y
};

// Every needle table fits its flash page: N is one byte.
static_assert(255 * 8 <= kFlashPage, "needle table must fit one flash page");

constexpr int kTableEntrySize = 14;

// Font of string controls: size base of font index 0..5.
int stringControlFont(int index)
{
    static constexpr int kCodes[] = {0x0C, 0x20, 0x30, 0x40, 0x60, 0x80};
    return index >= 0 && index < 6 ? kCodes[index] : 0x0C;
}

int byteOf(int word, int n) { return (word >> (8 * n)) & 0xFF; }

// The two halves of the out-of-range word: value shown below the minimum in
// the high half, above the maximum in the low half.
int outOfRangeMin(const CGraph &e) { return int((uint32_t(e.m_nExtra) >> 16) & 0xFFFF); }
int outOfRangeMax(const CGraph &e) { return e.m_nExtra & 0xFFFF; }

// Coordinates are computed in 64 bits so that odd values from a page file
// cannot overflow; frames carry the low 16 bits.
int lo16(int64_t v) { return int(v & 0xFFFF); }

struct Corners
{
    int64_t x1, y1, x2, y2;
    explicit Corners(const CGraph &e)
        : x1(e.m_ptStart.x()), y1(e.m_ptStart.y()), x2(e.m_ptEnd.x()), y2(e.m_ptEnd.y())
    {
    }
};

int64_t squaredDistance(QPoint a, QPoint b)
{
    const int64_t dx = int64_t(a.x()) - b.x();
    const int64_t dy = int64_t(a.y()) - b.y();
    return dx * dx + dy * dy;
}

class PageCompiler
{
public:
    PageCompiler(const Page &page, Notifier &notifier, QByteArray &out)
        : m_page(page), m_notifier(notifier), m_out(out), m_pageTag(page.settings.pageTag())
    {
    }

    void element(const CGraph &e);

    std::vector<ControlDefinition> controls;
    std::vector<NeedleTable> needles;
    std::vector<PictureUse> pictures;

private:
    void ellipse(const CGraph &e);
    void circle(const CGraph &e);
    void bitmap(const CGraph &e);
    void text(const CGraph &e);
    void groupBox(const CGraph &e);
    void panel(const CGraph &e);
    void stringControl(const CGraph &e);
    void pointerControl(const CGraph &e);
    void numericControl(const CGraph &e);
    void barControl(const CGraph &e);
    void imageControl(const CGraph &e);
    void textControl(const CGraph &e);
    void buttonControl(const CGraph &e);

    void control(const CGraph &e, QByteArray frame)
    {
        m_out += frame;
        controls.push_back({&e, std::move(frame)});
    }

    const Page &m_page;
    Notifier &m_notifier;
    QByteArray &m_out;
    int m_pageTag;
};

void PageCompiler::element(const CGraph &e)
{
    const Corners p(e);
    switch (e.m_nKind) {
    case Kind::Line:
        m_out += lineFrame(e.m_crColor1, lo16(p.x1), lo16(p.y1), lo16(p.x2), lo16(p.y2));
        break;
    case Kind::HollowRect:
        m_out += rectFrame(e.m_crColor1, lo16(p.x1), lo16(p.y1), lo16(p.x2), lo16(p.y2));
        break;
    case Kind::SolidRect:
        m_out += filledRectFrame(e.m_crColor1, lo16(p.x1), lo16(p.y1), lo16(p.x2), lo16(p.y2));
        break;
    case Kind::HollowEllipse:
    case Kind::SolidEllipse: ellipse(e); break;
    case Kind::HollowCircle:
    case Kind::SolidCircle: circle(e); break;
    case Kind::Bitmap: bitmap(e); break;
    case Kind::Text: text(e); break;
    case Kind::GroupBox: groupBox(e); break;
    case Kind::Panel: panel(e); break;
    case Kind::StringCtrl: stringControl(e); break;
    case Kind::PointerCtrl: pointerControl(e); break;
    case Kind::NumericCtrl: numericControl(e); break;
    case Kind::BarCtrl: barControl(e); break;
    case Kind::ImageCtrl: imageControl(e); break;
    case Kind::TextCtrl: textControl(e); break;
    case Kind::ButtonCtrl: buttonControl(e); break;
    default: break; // fill, the reserved control kind and unknown kinds draw nothing
    }
}

void PageCompiler::ellipse(const CGraph &e)
{
    const Corners p(e);
    const int cx = lo16((p.x1 + p.x2) / 2);
    const int cy = lo16((p.y1 + p.y2) / 2);
    const int a = lo16((p.x2 - p.x1) / 2);
    const int b = lo16((p.y2 - p.y1) / 2);
    m_out += e.m_nKind == Kind::HollowEllipse ? ellipseFrame(e.m_crColor1, cx, cy, a, b)
                                              : filledEllipseFrame(e.m_crColor1, cx, cy, a, b);
}

void PageCompiler::circle(const CGraph &e)
{
    const Corners p(e);
    const double dx = double(p.x2 - p.x1);
    const double dy = double(p.y2 - p.y1);
    const int r = lo16(int64_t(std::sqrt(dx * dx + dy * dy)));
    m_out += e.m_nKind == Kind::HollowCircle
        ? circleFrame(e.m_crColor1, lo16(p.x1), lo16(p.y1), r)
        : filledCircleFrame(e.m_crColor1, lo16(p.x1), lo16(p.y1), r);
}

void PageCompiler::bitmap(const CGraph &e)
{
    const Corners p(e);
    m_out += pictureFrame(e.m_nNumber, lo16(p.x1), lo16(p.y1));
    PictureUse use;
    use.name = e.m_strText1;
    use.number = e.m_nNumber;
    use.width = int(p.x2 - p.x1);
    use.height = int(p.y2 - p.y1);
    use.blocks = int(pictureBlocks(use.width, use.height));
    pictures.push_back(std::move(use));
}

void PageCompiler::text(const CGraph &e)
{
    TextFrame f;
    f.colour = e.m_crColor1;
    f.columnSpacing = leadingInteger(e.m_strText1) & 0xFF;
    f.lineSpacing = leadingInteger(e.m_strText3) & 0xFF;
    f.background = e.m_crColor2;
    f.x = e.m_ptStart.x();
    f.y = e.m_ptStart.y();
    f.mode = byteOf(e.m_nAttr, 0);
    f.font = fontCode(dotSizeOfSizeCode(byteOf(e.m_nAttr, 1)), byteOf(e.m_nAttr, 2));
    f.text = e.m_strText2;
    m_out += textFrame(f);
}

void PageCompiler::groupBox(const CGraph &e)
{
    const Corners p(e);
    const COLORREF c = e.m_crColor1;
    m_out += rectFrame(e.m_crColor2, lo16(p.x1), lo16(p.y1), lo16(p.x2), lo16(p.y2));
    m_out += lineFrame(c, lo16(p.x1 + 1), lo16(p.y1 + 1), lo16(p.x2 - 1), lo16(p.y1 + 1));
    m_out += lineFrame(c, lo16(p.x1 + 1), lo16(p.y1 + 1), lo16(p.x1 + 1), lo16(p.y2 - 1));
    m_out += lineFrame(c, lo16(p.x1 + 1), lo16(p.y2), lo16(p.x2 + 1), lo16(p.y2));
    m_out += lineFrame(c, lo16(p.x2), lo16(p.y1 + 1), lo16(p.x2), lo16(p.y2));
}

void PageCompiler::panel(const CGraph &e)
{
    const Corners p(e);
    const int w = e.m_nStyle & 0x0F;
    const bool sunken = e.m_nAttr != 0;
    const bool noFill = ((e.m_nStyle >> 4) & 0x0F) != 0;
    // Top and left edges catch the light on a raised panel, the shadow on a
    // sunken one; bottom and right the other way round.
    const COLORREF topLeft = sunken ? e.m_crColor2 : e.m_crColor1;
    const COLORREF bottomRight = sunken ? e.m_crColor1 : e.m_crColor2;

    if (!noFill)
        m_out += filledRectFrame(e.m_crColor3, lo16(p.x1 + w), lo16(p.y1 + w), lo16(p.x2 - w),
                                 lo16(p.y2 - w));
    for (int i = 0; i < w; ++i) {
        m_out += lineFrame(topLeft, lo16(p.x1 + i), lo16(p.y1 + i), lo16(p.x2 - 1 - i),
                           lo16(p.y1 + i));
        m_out += lineFrame(topLeft, lo16(p.x1 + i), lo16(p.y1 + i), lo16(p.x1 + i),
                           lo16(p.y2 - 1 - i));
        m_out += lineFrame(bottomRight, lo16(p.x1 + i), lo16(p.y2 - 1 - i), lo16(p.x2),
                           lo16(p.y2 - 1 - i));
        m_out += lineFrame(bottomRight, lo16(p.x2 - 1 - i), lo16(p.y1 + i), lo16(p.x2 - 1 - i),
                           lo16(p.y2 - 1));
    }
}

void PageCompiler::stringControl(const CGraph &e)
{
    StringControlFrame f;
    f.colour = e.m_crColor1;
    f.background = e.m_crColor2;
    f.x = e.m_ptStart.x();
    f.y = e.m_ptStart.y();
    f.font = stringControlFont(byteOf(e.m_nAttr, 0));
    f.characters = byteOf(e.m_nAttr, 1);
    control(e, stringControlFrame(f));
}

} // namespace

bool showsDialOf(const CGraph &bitmap, const CGraph &pointer)
{
    return bitmap.m_nKind == Kind::Bitmap && bitmap.m_strText1 == pointer.m_strText3;
}

namespace {

QString missingDialText(const CGraph &pointer)
{
    // The program's message, then which control and which picture, so the
    // user can find them on a page of many controls.
    const QString dial = pointer.m_strText3.empty() ? QStringLiteral("（未选择）")
                                                    : fromGbk(pointer.m_strText3);
    return QStringLiteral("指针控件无配套图片！\n指针控件 ID %1 的表盘图片 %2 不在本页面上。")
        .arg(pointer.m_nCtrlID)
        .arg(dial);
}

void PageCompiler::pointerControl(const CGraph &e)
{
    // The dial is a bitmap of the page showing the picture the control names.
    std::vector<const CGraph *> dials;
    for (const CGraph &b : m_page.elements) {
        if (showsDialOf(b, e))
            dials.push_back(&b);
    }
    if (dials.empty()) {
        m_notifier.message(missingDialText(e));
        return;
    }
    // Several candidates: a later one moves forward only when both its
    // corners are strictly nearer to the control's corners.
    const std::size_t count = dials.size();
    for (std::size_t k = 0; k + 1 < count; ++k) {
        for (std::size_t j = 0; j + 1 < count - k; ++j) {
            const CGraph &a = *dials[j];
            const CGraph &b = *dials[j + 1];
            if (squaredDistance(b.m_ptStart, e.m_ptStart) < squaredDistance(a.m_ptStart, e.m_ptStart)
                && squaredDistance(b.m_ptEnd, e.m_ptEnd) < squaredDistance(a.m_ptEnd, e.m_ptEnd))
                std::swap(dials[j], dials[j + 1]);
        }
    }
    const CGraph &dial = *dials.front();
    const int positions = byteOf(e.m_nAttr, 3);

    PointerControlFrame f;
    f.picture = dial.m_nNumber;
    f.needle = e.m_crColor1;
    f.x = dial.m_ptStart.x();
    f.outOfRange = e.m_crColor4;
    f.y = dial.m_ptStart.y();
    f.minimum = e.m_nValue2;
    f.positions = positions;
    f.lineWidth = byteOf(e.m_nAttr, 2);
    f.maximum = e.m_nValue1;
    f.pageTag = m_pageTag;
    f.ctrlId = e.m_nCtrlID;
    f.style = e.m_nStyle & 0xFF;
    f.outOfRangeMin = outOfRangeMin(e);
    f.outOfRangeMax = outOfRangeMax(e);
    control(e, pointerControlFrame(f));

    // Needle positions from the start angle to the end angle; angle 0 points
    // left of the centre, 90 up, 180 right. The last position is the end
    // angle exactly.
    const double from = e.m_nValue3;
    const double to = e.m_nValue4;
    NeedleTable table{e.m_nCtrlID, {}};
    table.entries.reserve(positions * 8);
    ByteWriter w(table.entries);
    for (int k = 0; k < positions; ++k) {
        const double degrees = k == positions - 1 ? to : from + k * (to - from) / (positions - 1);
        const QLine needle = needleAt(e, degrees);
        w.le16(uint32_t(needle.x1()));
        w.le16(uint32_t(needle.y1()));
        w.le16(uint32_t(needle.x2()));
        w.le16(uint32_t(needle.y2()));
    }
    needles.push_back(std::move(table));
}

void PageCompiler::numericControl(const CGraph &e)
{
    NumericControlFrame f;
    f.colour = e.m_crColor1;
    f.x = e.m_ptStart.x();
    f.background = e.m_crColor2;
    f.y = e.m_ptStart.y();
    f.outOfRangeColour = e.m_crColor4;
    f.integerDigits = e.m_nValue2 & 0xFF;
    f.outOfRangeBackground = e.m_crColor5;
    f.decimalDigits = e.m_nValue1 & 0xFF;
    f.minimum = e.m_nValue3;
    const int dots = dotSizeOfSizeCode(byteOf(e.m_nAttr, 1));
    f.dotSize = dots ? dots : 8;
    f.maximum = e.m_nValue4;
    f.format = e.m_nStyle & 0xFF;
    f.pageTag = m_pageTag;
    f.outOfRangeMin = outOfRangeMin(e);
    f.outOfRangeMax = outOfRangeMax(e);
    control(e, numericControlFrame(f));
}

void PageCompiler::barControl(const CGraph &e)
{
    BarControlFrame f;
    f.background = e.m_crColor2;
    f.display = e.m_crColor1;
    f.frame = e.m_crColor3;
    f.outOfRangeBackground = e.m_crColor5;
    f.outOfRangeDisplay = e.m_crColor4;
    f.x1 = e.m_ptStart.x();
    f.y1 = e.m_ptStart.y();
    f.x2 = e.m_ptEnd.x();
    f.y2 = e.m_ptEnd.y();
    f.structure = e.m_nStyle & 0xFF;
    f.minimum = e.m_nValue3;
    f.maximum = e.m_nValue4;
    f.pageTag = m_pageTag;
    f.outOfRangeMin = outOfRangeMin(e);
    f.outOfRangeMax = outOfRangeMax(e);
    control(e, barControlFrame(f));
}

void PageCompiler::imageControl(const CGraph &e)
{
    ImageControlFrame f;
    f.x = e.m_ptStart.x();
    f.y = e.m_ptStart.y();
    f.firstPicture = e.m_nValue3;
    f.lastPicture = e.m_nValue4;
    f.pageTag = m_pageTag;
    f.style = e.m_nStyle & 0xFF;
    control(e, imageControlFrame(f));
}

void PageCompiler::textControl(const CGraph &e)
{
    TextControlFrame f;
    f.colour = e.m_crColor1;
    f.columnSpacing = byteOf(e.m_nNumber, 1);
    f.lineSpacing = byteOf(e.m_nNumber, 0);
    f.background = e.m_crColor2;
    f.x1 = e.m_ptStart.x();
    f.y1 = e.m_ptStart.y();
    f.x2 = e.m_ptEnd.x();
    f.y2 = e.m_ptEnd.y();
    f.font = controlFont(byteOf(e.m_nAttr, 1), byteOf(e.m_nAttr, 0)).code;
    control(e, textControlFrame(f));
}

void PageCompiler::buttonControl(const CGraph &e)
{
    ButtonControlFrame f;
    f.face = e.m_crColor3;
    f.light = e.m_crColor1;
    f.dark = e.m_crColor2;
    f.x1 = e.m_ptStart.x();
    f.y1 = e.m_ptStart.y();
    f.x2 = e.m_ptEnd.x();
    f.y2 = e.m_ptEnd.y();
    f.style = e.m_nStyle & 0xFF;
    control(e, buttonControlFrame(f));

    if (!(e.m_nStyle & 0x40))
        return;
    // The caption is drawn by an ordinary text frame in the stream; the
    // terminal does not redraw it from the control definition.
    const ButtonCaption caption = buttonCaption(e);
    TextFrame t;
    t.colour = e.m_crColor4;
    t.background = e.m_crColor4;
    t.x = lo16(caption.origin.x());
    t.y = lo16(caption.origin.y());
    t.font = caption.font.code;
    t.text = e.m_strText1;
    m_out += textFrame(t);
}

// Control table entry: the control ID; a button also carries its rectangle,
// its action bits and its next page, and marks the ID with bit 15.
void writeTableEntry(ByteWriter &w, const CGraph &e)
{
    const uint32_t id = uint32_t(e.m_nCtrlID) & 0xFFFF;
    if (e.m_nKind != Kind::ButtonCtrl) {
        w.le16(id);
        w.fill('\0', kTableEntrySize - 2);
        return;
    }
    w.le16(id | 0x8000);
    w.le16(uint32_t(e.m_ptStart.x()));
    w.le16(uint32_t(e.m_ptStart.y()));
    w.le16(uint32_t(e.m_ptEnd.x()));
    w.le16(uint32_t(e.m_ptEnd.y()));
    w.u8(uint32_t(e.m_nAttr));
    w.u8(0);
    w.le16(uint32_t(e.m_nNumber));
}

} // namespace

CompiledPage compilePage(const Page &page, int pageNo, Notifier &notifier)
{
    CompiledPage result;
    QByteArray &out = result.instructionFile;
    out.reserve(1 + kFlashPage);
    out.append(static_cast<char>(page.settings.layer()));

    PageCompiler pass(page, notifier, out);
    // A main page clears the screen; an auxiliary page draws over the page
    // below it.
    if (!page.settings.isAuxiliary())
        out += backgroundFrame(page.settings.m_crBack);
    for (const CGraph &e : page.elements)
        pass.element(e);
    out += delayFrame(page.settings.m_nDelay);
    out += nextPageFrame(page.settings.m_nNextPage);
    result.pageLength = padToFlashPages(out, 1);

    if (!pass.controls.empty()) {
        // Text controls have a definition but no table entry.
        QByteArray table;
        ByteWriter w(table);
        int entries = 0;
        for (const ControlDefinition &c : pass.controls) {
            if (c.element->m_nKind == Kind::TextCtrl)
                continue;
            if (++entries > kMaxControlTableEntries) {
                result.instructionFile.clear();
                result.pageLength = 0;
                result.error = QStringLiteral("画面%1的控件超过150个，无法编译").arg(pageNo);
                return result;
            }
            writeTableEntry(w, *c.element);
        }
        out.reserve(out.size() + (1 + qsizetype(pass.controls.size()) + qsizetype(pass.needles.size()))
                                     * (9 + kFlashPage));
        out += flashPageBlock(Segment::ControlTable, uint16_t(pageNo), table);
        for (const ControlDefinition &c : pass.controls)
            out += flashPageBlock(Segment::ControlDefinition, uint16_t(c.element->m_nCtrlID), c.frame);
    }
    for (const NeedleTable &n : pass.needles)
        out += flashPageBlock(Segment::NeedleTable, uint16_t(n.ctrlId), n.entries);

    result.pictures = std::move(pass.pictures);
    result.ok = true;
    return result;
}

bool updatePicturePositions(QByteArray &positionFile, int pageNo,
                            const std::vector<PictureUse> &uses, QString *error)
{
    if (pageNo < 0 || pageNo > kMaxPageNo) {
        if (error)
            *error = QStringLiteral("页面号%1超出范围(0~1023)").arg(pageNo);
        return false;
    }
    if (positionFile.size() < kSlotAreaSize) {
        if (error)
            *error = QStringLiteral("图象位置信息文件已损坏!");
        return false;
    }

    std::array<const PictureUse *, kSlotCount> firstUse{};
    for (const PictureUse &u : uses) {
        if (u.number >= 0 && u.number < kSlotCount && !firstUse[u.number])
            firstUse[u.number] = &u;
    }

    // Fields are written in place: the rest of each record (its number,
    // the other pages' flags) stays as the project side keeps it.
    char *data = positionFile.data();
    for (int s = 0; s < kSlotCount; ++s) {
        char *record = data + qsizetype(s) * kSlotSize;
        const PictureUse *u = firstUse[s];
        record[kSlotPageUseOffset + pageNo] = u ? 1 : 0;
        if (!u)
            continue;
        const std::size_t n = std::min<std::size_t>(u->name.size(), kSlotPathSize);
        std::copy_n(u->name.data(), n, record + kSlotPathOffset);
        std::fill(record + kSlotPathOffset + n, record + kSlotPathOffset + kSlotPathSize, '\0');
        putBe16(record + kSlotWidthOffset, uint32_t(u->width));
        putBe16(record + kSlotHeightOffset, uint32_t(u->height));
        putU8(record + kSlotBlocksOffset, uint32_t(u->blocks));
    }
    return true;
}

} // namespace h5

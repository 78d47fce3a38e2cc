#pragma once
// Properties of pointer (needle) files (.MGL), checked by fuzz_pointer_file
// and replayed by the tests. A file shorter than its 60 bytes is refused
// with its name and leaves the header as it was; what is accepted (the first
// 60 bytes of a longer file) writes back as the same 60 bytes (the name's
// padding and the last byte as zeros), saves and loads again unchanged,
// fits the file's number ranges, and draws the pointer maker's preview and
// a pointer control made from it without trouble.

#include "FuzzCheck.h"
#include "FuzzTempFiles.h"

#include "edit/PointerFile.h"
#include "edit/PointerValues.h"
#include "model/ElementDraw.h"

#include <QImage>
#include <QPainter>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace h5fuzz {

inline bool sameHeader(const h5::PointerFileHeader &a, const h5::PointerFileHeader &b)
{
    return a.name == b.name && a.length == b.length && a.tipCut == b.tipCut
        && a.startAngle == b.startAngle && a.endAngle == b.endAngle && a.positions == b.positions;
}

inline void checkPointerFileInput(const uint8_t *data, size_t size)
{
    using namespace h5;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString path = scratchPath(QStringLiteral("p.MGL"));
    writeScratch(path, bytes);

    PointerFileHeader h = makePointerHeader(1, 2, 3, 4);
    const PointerFileHeader before = h;
    QString error;
    if (!readPointerFile(path, h, &error)) {
        check(size < std::size_t(kPointerHeaderSize) && error.contains(path) && sameHeader(h, before),
              "only a short file is refused, naming it, leaving the header as it was");
        return;
    }
    check(size >= std::size_t(kPointerHeaderSize), "a short file is refused");
    check(sameHeader(h, readPointerHeader(bytes)), "the file reads as its bytes do");
    check(pointerNumbersFit(h, &error), "numbers read from a file fit the file");

    QByteArray expected = bytes.left(kPointerHeaderSize);
    const std::size_t nameEnd = std::min<std::size_t>(
        strnlen(expected.constData(), kPointerNameSize), kPointerNameSize);
    std::memset(expected.data() + nameEnd, 0, kPointerNameSize - nameEnd);
    expected[59] = 0;
    const QByteArray encoded = encodePointerHeader(h);
    check(encoded == expected, "a header writes back the bytes it was read from");
    check(sameHeader(readPointerHeader(encoded), h), "a written header reads back the same");

    const QString saved = scratchPath(QStringLiteral("saved.MGL"));
    PointerFileHeader back;
    check(savePointerFile(saved, h, &error) && readPointerFile(saved, back, &error)
              && sameHeader(back, h) && readScratch(saved) == expected,
          "a header saves and loads unchanged");

    // The maker's preview at a small size, every way it can be drawn.
    PointerPreviewOptions o;
    o.length = h.length;
    o.tipCut = h.tipCut;
    o.startAngle = h.startAngle;
    o.endAngle = h.endAngle;
    o.positions = h.positions;
    o.scaleView = size & 1;
    o.pointerCircle = size & 2;
    const QImage preview = renderPointerPreview(QSize(40, 30), o);
    check(preview.size() == QSize(40, 30), "the preview has the asked size");
    check(previewAngles(h.startAngle, h.endAngle, h.positions, o.scaleView).size()
              == std::size_t(o.scaleView && h.positions >= 3 ? h.positions : 2),
          "the preview draws start, end and the positions between");

    // The pointer control form takes the file's numbers into its element,
    // which is drawn as the editor would.
    PointerCtrlValues values;
    values.applyPointerFile(h);
    values.centreX = 20;
    values.centreY = 15;
    values.chooseDial(QStringLiteral("/dial.bmp"));
    CGraph g = values.makeElement(NewElementInfo());
    check(g.m_nKind == Kind::PointerCtrl && g.m_strText2 == h.name, "the form makes a pointer control");
    // Read back from the element, the form shows the file's numbers again.
    PointerCtrlValues shown;
    shown.fromElement(g);
    check(shown.length == h.length && shown.tipCut == h.tipCut && shown.startAngle == h.startAngle
          && shown.endAngle == h.endAngle && shown.positions == h.positions
              && shown.pointerName == h.name && shown.centreX == 20 && shown.centreY == 15,
          "the control gives the file's numbers back to the form");
    QImage canvas(40, 30, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    {
        QPainter p(&canvas);
        drawElement(g, p, false, DrawContext());
    }
    check(canvas.size() == QSize(40, 30), "the control draws on its canvas");
}

} // namespace h5fuzz

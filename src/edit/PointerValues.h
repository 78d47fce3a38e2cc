#pragma once
// Values of the pointer control form "指针控件" (kind 106) and the header of
// the pointer files (.MGL) the form loads.
//
// A pointer control's box is the square around the gauge's centre that
// holds the longest needle: centre ± (needle length + inner radius + 5).

#include "edit/FormValues.h"
#include "edit/PointerFile.h"

#include <QByteArray>
#include <optional>

namespace h5 {

struct PointerCtrlValues
{
    int ctrlId = 0;
    int centreX = 0, centreY = 0; // 0..800, 0..600
    int lineWidth = 1;            // 1..10
    int minimum = -32768, maximum = 32767;
    int belowShown = 0, aboveShown = 0; // 0..65280 each
    COLORREF needle = RGB(255, 255, 255);
    COLORREF outNeedle = RGB(255, 255, 255);
    // From the loaded pointer file.
    std::string pointerName; // m_strText2
    int length = 0;          // m_nAttr bits 0..15
    int positions = 0;       // m_nAttr bits 24..31
    int tipCut = 0;          // m_nNumber
    int startAngle = 0, endAngle = 0;
    // The dial picture.
    std::string dialPath; // m_strText1, full path
    std::string dialName; // m_strText3, file name

    void applyPointerFile(const PointerFileHeader &h);
    // Keeps a chosen dial picture's full path and file name.
    void chooseDial(const QString &path);

    static const IntFields<PointerCtrlValues> &fields();
    // First box whose held value is out of its range, in reading order.
    FormError validate() const { return checkIntFields(*this, fields()); }
    void fromElement(const CGraph &g);
    FormApply toElement(CGraph &g) const;
    // The refusal of a new pointer control: "请加载指针!" when no pointer was
    // loaded, followed by "请选择位图!" when no dial picture was chosen;
    // empty when both are there.
    QString missingParts() const;
    // No control is made while missingParts() is not empty.
    std::optional<CGraph> newElement(const NewElementInfo &info) const;
    // The new element as the form built it, without the refusal rule.
    CGraph makeElement(const NewElementInfo &info) const;
};

} // namespace h5

#pragma once
// Values of the bitmap form "位图" (kind 43): the picture's title (shown
// only), position, size, block count (shown only) and picture number.
//
// The form serves both the bitmap tool, which opens it with the chosen
// picture's title, number, size and block count, and the element property
// command. On OK the block count is computed again from the form's size;
// the picture file is neither read nor copied.

#include "edit/FormValues.h"

namespace h5 {

struct BitmapValues
{
    std::string title; // GBK, m_strText3
    int x = 0, y = 0, width = 0, height = 0;
    int blocks = 0;        // m_nAttr as it was; shown, never read back
    int pictureNumber = 0; // 0..599, chosen from a list

    static const IntFields<BitmapValues> &fields();
    // First box whose held value is out of its range, in reading order.
    FormError validate() const { return checkIntFields(*this, fields()); }
    void fromElement(const CGraph &g);
    FormApply toElement(CGraph &g) const;
};

} // namespace h5

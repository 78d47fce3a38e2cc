#pragma once
// Dot sizes and faces as the forms offer them.
//
// The forms name six dot sizes by an index 0..5 (8, 16, 24, 32, 48 and 64
// dots). Text elements and numeric controls store a size code for it (3, 9,
// 12, 15, 21, 27); the other controls store the index itself.
//
// Faces: 0 宋体, 1 仿宋, 2 黑体, 3 楷体. The 8-dot font has one face (shown as
// "ASCII" in the control forms); 48 and 64 dots have two, 宋体 and 黑体,
// numbered 0 and 1 in the control words.

#include "model/FontFaces.h" // faceNames()

#include <QString>
#include <QStringList>

namespace h5 {

inline constexpr int kDotSizeCount = 6;

// Size code of a dot size index, 0 outside 0..5.
int sizeCodeOfIndex(int sizeIndex);
// Dot size index of a size code, -1 for a code the forms do not offer.
int indexOfSizeCode(int sizeCode);

// Items of the dot size combos of the control forms: "8点阵" .. "64点阵".
QStringList dotSizeItems();

// The dot size and face combos of the text control and button forms. The
// face combo's items depend on the dot size; a face is the index of its item.
struct ControlFontChoice
{
    int sizeIndex = 1;
    int face = 0;

    // Items of the face combo for the current dot size.
    QStringList faceItems() const;
    // Sets the dot size as its combo does: the face list is rebuilt and
    // keeps the face unless the new list has no such item, then 0.
    void setSize(int index);
    // Face number (0 宋体, 1 仿宋, 2 黑体, 3 楷体) of face item `item` at the
    // current dot size; -1 for an item the list does not hold.
    int faceNumberOfItem(int item) const;
    // The user chose face item `index`. A face numbered 1 or 3 (仿宋, 楷体)
    // while the dot size is 48 or 64 dots switches the dot size to 16 dots;
    // 黑体, item 1 at those sizes, keeps them.
    void chooseFace(int index);
    // Face limited to the items offered at the current dot size.
    void fitFace();
};

} // namespace h5

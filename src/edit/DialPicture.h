#pragma once
// A pointer control's dial on the page. The control names its dial picture
// by file name; the terminal's dial is a bitmap element of the same page
// showing that file, and a control without one compiles to nothing. After
// the pointer form the editor offers to place the dial itself: a bitmap of
// the chosen picture, centred on the gauge and drawn under the control.

#include "edit/EditState.h"
#include "edit/ToolElements.h"
#include "project/Project.h"

#include <QString>
#include <vector>

namespace h5 {

// Whether the page has a bitmap showing the control's dial picture.
bool pageHasDial(const std::vector<CGraph> &elements, const CGraph &pointer);

// Asked after the pointer form when the control names a dial picture the
// page does not show.
QString placeDialQuestion(const CGraph &pointer);

// The bitmap element of the dial picture the project chose (number, size,
// blocks, names), centred on the control's centre and kept inside the
// page's top and left edges. `defaults` gives the pen and fill colours and
// the source index, as for any new shape.
CGraph dialElement(const CGraph &pointer, const Project::PictureChoice &choice,
                   const ShapeDefaults &defaults);

// Puts `dial` under the control at `controlIndex`: just before it in the
// element list, so it is drawn first. A selected element stays selected.
void insertUnder(EditState &state, int controlIndex, CGraph dial);

} // namespace h5

#pragma once
// Values of the screenshot form "截图": the top left and bottom right
// corners of the window area to save, in window pixels. Signed integers
// without a range; a reversed corner pair simply gives no picture.

#include "edit/FormValues.h"

namespace h5 {

struct ScreenshotValues
{
    int left = 0, top = 0, right = 0, bottom = 0;

    static const IntFields<ScreenshotValues> &fields();
};

} // namespace h5

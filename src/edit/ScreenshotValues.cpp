#include "edit/ScreenshotValues.h"

namespace h5 {

const IntFields<ScreenshotValues> &ScreenshotValues::fields()
{
    static const IntFields<ScreenshotValues> f = {
        {"left", &ScreenshotValues::left, IntCheck::signedAny()},
        {"top", &ScreenshotValues::top, IntCheck::signedAny()},
        {"right", &ScreenshotValues::right, IntCheck::signedAny()},
        {"bottom", &ScreenshotValues::bottom, IntCheck::signedAny()},
    };
    return f;
}

} // namespace h5

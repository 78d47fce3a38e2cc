#pragma once
// The terminal's screen resolutions, in one table: their size, their
// number in page and project files (the resolution index 0..12), how many
// layers the terminal has at each, and their place in the resolution boxes
// of the debug window and the command line (which list the twelve the
// terminal runs at; index 0, 320 x 234, is a page size only).

#include <QSize>
#include <QString>
#include <vector>

namespace h5 {

// Screen sizes by resolution index 0..12.
inline constexpr int kResolutionCount = 13;
QSize resolutionSize(int index); // invalid QSize for an unknown index
int resolutionIndex(int width, int height); // -1 when not one of the 13

struct TerminalResolution
{
    const char *name;      // "320X240", as the resolution boxes list it
    int width;
    int height;
    int layers;            // 4, 2 or 1
    bool layerBoxEnabled;  // the debug window's layer box
};
// The twelve terminal resolutions in the order of the resolution boxes.
const std::vector<TerminalResolution> &terminalResolutions();
// Place of the resolution `width` x `height` in that list, -1 when it is none.
int liveResolutionIndex(int width, int height);
// Layers of the terminal at `width` x `height`; 0 for a size it does not run at.
int terminalLayers(int width, int height);
// "320x240, 480x272, ...": the terminal resolutions in box order, for messages.
QString terminalResolutionList();

} // namespace h5

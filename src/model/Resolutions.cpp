#include "model/Resolutions.h"

#include <QStringList>
#include <algorithm>

namespace h5 {

namespace {

struct Row
{
    const char *name;
    int width;
    int height;
    int layers;           // 0: not a resolution the terminal runs at
    bool layerBoxEnabled;
    int boxPlace;         // place in the resolution boxes, -1 for none
};

// By resolution index.
const Row kRows[kResolutionCount] = {
    {"320X234", 320, 234, 0, false, -1},  {"320X240", 320, 240, 2, true, 0},
    {"640X480", 640, 480, 2, true, 2},    {"800X480", 800, 480, 2, true, 3},
    {"800X600", 800, 600, 1, false, 4},   {"1024X768", 1024, 768, 1, false, 5},
    {"480X272", 480, 272, 4, true, 1},    {"272X480", 272, 480, 4, false, 6},
    {"480X640", 480, 640, 2, true, 8},    {"240X320", 240, 320, 2, true, 7},
    {"480X800", 480, 800, 2, true, 9},    {"600X800", 600, 800, 1, false, 10},
    {"768X1024", 768, 1024, 1, false, 11},
};

} // namespace

QSize resolutionSize(int index)
{
    if (index < 0 || index >= kResolutionCount)
        return QSize();
    return QSize(kRows[index].width, kRows[index].height);
}

int resolutionIndex(int width, int height)
{
    for (int i = 0; i < kResolutionCount; ++i) {
        if (kRows[i].width == width && kRows[i].height == height)
            return i;
    }
    return -1;
}

const std::vector<TerminalResolution> &terminalResolutions()
{
    static const std::vector<TerminalResolution> list = [] {
        std::vector<const Row *> rows;
        for (const Row &r : kRows) {
            if (r.boxPlace >= 0)
                rows.push_back(&r);
        }
        std::sort(rows.begin(), rows.end(), [](const Row *a, const Row *b) { return a->boxPlace < b->boxPlace; });
        std::vector<TerminalResolution> out;
        for (const Row *r : rows)
            out.push_back({r->name, r->width, r->height, r->layers, r->layerBoxEnabled});
        return out;
    }();
    return list;
}

int liveResolutionIndex(int width, int height)
{
    const auto &list = terminalResolutions();
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i].width == width && list[i].height == height)
            return int(i);
    }
    return -1;
}

int terminalLayers(int width, int height)
{
    const int index = resolutionIndex(width, height);
    return index < 0 ? 0 : kRows[index].layers;
}

QString terminalResolutionList()
{
    QStringList names;
    for (const TerminalResolution &r : terminalResolutions())
        names << QStringLiteral("%1x%2").arg(r.width).arg(r.height);
    return names.join(QStringLiteral(", "));
}

} // namespace h5

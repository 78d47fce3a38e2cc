#pragma once
// A whole page drawn into an image the size of its screen: what the page
// bitmap export writes and what `h5800 render` prints.

#include "model/Page.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <vector>

namespace h5 {

class Notifier;
class PictureCache;
struct PictureProblem;

struct RenderOptions
{
    QString picturesDir;  // the project's "图片文件" folder
    int resolution = -1;  // the project's resolution index; -1: the page's own
    bool labels = false;  // control IDs, picture numbers, dotted outlines
    PictureCache *cache = nullptr;
    Notifier *notifier = nullptr; // told once when a picture does not render
    // Filled with every bitmap whose picture is missing or does not decode
    // (DrawContext::pictureProblems); null: not collected.
    std::vector<PictureProblem> *pictureProblems = nullptr;
};

// Background of a page: a main page's own background colour. An auxiliary
// page is drawn over whatever page the terminal shows at the time; on its
// own it is shown on white.
QColor pageBackground(const CTypeGraph &settings);

// Draws the page's elements over its background into a Format_RGB32 image
// of the screen size. Text elements and numeric controls take their end
// point from the drawing, as in the editor. Returns a null image when
// neither the options nor the page name a known resolution.
QImage renderPage(Page &page, const RenderOptions &options);

} // namespace h5

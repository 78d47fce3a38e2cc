#pragma once
// What a page view needs from the application beyond its document: the
// forms and file choosers it opens, the project's resolution and the
// picture cache all views share. The application provides it; tests give
// scripted forms in place of the real ones, so no modal window opens.

#include "edit/PageDocument.h"
#include "edit/ScreenshotValues.h"
#include "model/PictureCache.h"

#include <QString>

namespace h5 {

// The forms and file choosers a page view opens.
class PageDialogs
{
public:
    virtual ~PageDialogs() = default;
    // The form "画面设置" for a page of the given resolution; false on Cancel.
    virtual bool pageSettings(int resolution, NewPageValues &values, int pageLength) = 0;
    // A picture (.bmp, .jpg, .jpeg) for the bitmap tool; empty on Cancel.
    virtual QString openPictureFile(const QString &startDir) = 0;
    // A .bmp file to write (the page bitmap and the screenshot), the user
    // asked before an existing file is replaced; empty on Cancel.
    virtual QString saveBitmapFile(const QString &startDir) = 0;
    // The form "截图" with the corners of the area to save; false on Cancel.
    virtual bool screenshotArea(ScreenshotValues &values) = 0;
};

class ViewHost : public PageContext
{
public:
    virtual PageDialogs &dialogs() const = 0;
    // Resolution index of the open project; 0 without a project.
    virtual int resolution() const = 0;
    // Decoded pictures shared by all page views.
    virtual PictureCache &pictureCache() const = 0;
};

} // namespace h5

#pragma once
// What a page view needs from the application beyond its document: the
// prompts its forms, choosers and messages go through, the project's
// resolution and the picture cache all views share. The application
// provides it; tests give scripted prompts, so no modal window opens.

#include "common/Prompts.h"
#include "edit/PageDocument.h"
#include "model/PictureCache.h"

namespace h5 {

class ViewHost : public PageContext
{
public:
    // The forms, file choosers, messages and questions of the page views.
    virtual Prompts &prompts() const = 0;
    // Resolution index of the open project; 0 without a project.
    virtual int resolution() const = 0;
    // Decoded pictures shared by all page views.
    virtual PictureCache &pictureCache() const = 0;

    // Documents report through the same prompts.
    Notifier &notifier() const override { return prompts(); }
};

} // namespace h5

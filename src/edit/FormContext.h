#pragma once
// What the page view tells the property forms: where the project lives,
// the next free control ID and its drawing state for new elements.

#include "edit/FontValues.h"
#include "edit/FormValues.h"

#include <QString>

namespace h5 {

struct FormContext
{
    QString projectFolder;
    QString picturesFolder; // where the dial picture dialog starts
    int resolution = 0;     // the project's resolution index
    int nextControlId = 0;  // ID a new control starts with
    NewElementInfo info;    // source index, picture number, pen and fill colour
    // The characters tool's last values: read for a new text, updated when
    // the characters form is accepted. May be null.
    TextToolState *textState = nullptr;
};

} // namespace h5

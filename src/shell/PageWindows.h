#pragma once
// What the application object needs of the main frame: the page windows.

#include "edit/PageDocument.h"

#include <QList>

namespace h5 {

// Where the page windows live (the main frame's MDI area).
class PageWindows
{
public:
    virtual ~PageWindows() = default;
    // The documents of the open page windows, oldest first.
    virtual QList<PageDocument *> pageDocuments() const = 0;
    // The document of the active page window, or null.
    virtual PageDocument *activeDocument() const = 0;
    // A new page window showing `document`, which the window owns from now
    // on (it goes with the window).
    virtual void openPageWindow(PageDocument *document) = 0;
    virtual void activatePageWindow(PageDocument *document) = 0;
    // Closes the document's window without asking anything.
    virtual void closePageWindow(PageDocument *document) = 0;
};

} // namespace h5

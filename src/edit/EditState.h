#pragma once
// The state kept around a page while it is open: the two undo stacks, the
// selection, the current tool and the source index that new elements carry.
// The page itself (settings and element list) belongs to the page document
// that holds this state too; the state refers to it.

#include "edit/Tools.h"
#include "model/Page.h"

#include <vector>

namespace h5 {

struct EditState
{
    explicit EditState(Page &page) : page(page) {}
    EditState(const EditState &) = delete;
    EditState &operator=(const EditState &) = delete;

    // The page being edited. Its element list is also the undo history:
    // deletions are recorded by delete markers appended to it.
    Page &page;
    // Elements removed by delete and cut, last removed at the end.
    std::vector<CGraph> deletedStack;
    // Elements and markers taken off the end of the list by undo, last
    // undone at the end.
    std::vector<CGraph> redoStack;

    bool selected = false;
    int selectedIndex = -1;
    int tool = Tool::Pointer;
    // Position bookkeeping copied into new elements: the index of the last
    // deletion, -1 after a paste.
    int sourceIndex = 0;

    std::vector<CGraph> &elements() { return page.elements; }
    const std::vector<CGraph> &elements() const { return page.elements; }

    // The selected element, or nullptr when there is none (or the index no
    // longer names an element).
    CGraph *selectedElement();
    const CGraph *selectedElement() const;

    void select(int index);
    void clearSelection();

    // After the page is saved: the markers are gone from the list, so the
    // history of deletions ends and both stacks are emptied. A selection
    // whose element the save dropped is cleared.
    void afterSave();
};

} // namespace h5

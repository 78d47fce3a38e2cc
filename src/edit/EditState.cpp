#include "edit/EditState.h"

namespace h5 {

CGraph *EditState::selectedElement()
{
    if (!selected || selectedIndex < 0 || selectedIndex >= int(page.elements.size()))
        return nullptr;
    return &page.elements[std::size_t(selectedIndex)];
}

const CGraph *EditState::selectedElement() const
{
    return const_cast<EditState *>(this)->selectedElement();
}

void EditState::select(int index)
{
    selected = true;
    selectedIndex = index;
}

void EditState::clearSelection() { selected = false; }

void EditState::afterSave()
{
    deletedStack.clear();
    redoStack.clear();
    if (!selectedElement())
        selected = false;
}

} // namespace h5

#include "edit/EditOperations.h"

#include "edit/EditGeometry.h"
#include "edit/ToolElements.h"

#include <algorithm>

namespace h5 {

namespace {

constexpr EditOutcome kChanged{true, true};

// Undo and redo keep the selection by index, as the view holds it; an index
// that no longer names an element (or names a marker) drops it.
void dropStaleSelection(EditState &state)
{
    const CGraph *e = state.selectedElement();
    if (!e || e->m_nKind == Kind::DeleteMarker)
        state.clearSelection();
}

} // namespace

std::optional<EditCommand> editCommandFor(int commandId)
{
    switch (EditCommand(commandId)) {
    case EditCommand::Delete:
    case EditCommand::Cut:
    case EditCommand::Copy:
    case EditCommand::Paste:
    case EditCommand::Undo:
    case EditCommand::Redo:
    case EditCommand::ToBack:
    case EditCommand::ToFront: return EditCommand(commandId);
    }
    return std::nullopt;
}

bool isEnabled(EditCommand command, const EditState &state, const ElementClipboard &clipboard)
{
    switch (command) {
    case EditCommand::Delete:
    case EditCommand::Cut:
    case EditCommand::Copy:
    case EditCommand::ToBack:
    case EditCommand::ToFront:
        return state.selectedElement() != nullptr;
    case EditCommand::Paste:
        return clipboard.hasElement();
    case EditCommand::Undo:
        return !state.elements().empty();
    case EditCommand::Redo:
        return !state.redoStack.empty();
    }
    return false;
}

EditOutcome runEditCommand(EditCommand command, EditState &state, ElementClipboard &clipboard)
{
    switch (command) {
    case EditCommand::Delete:
        return deleteSelected(state);
    case EditCommand::Cut:
        return cutSelected(state, clipboard);
    case EditCommand::Copy:
        return copySelected(state, clipboard);
    case EditCommand::Paste:
        return paste(state, clipboard);
    case EditCommand::Undo:
        return undo(state);
    case EditCommand::Redo:
        return redo(state);
    case EditCommand::ToBack:
        return sendToBack(state);
    case EditCommand::ToFront:
        return bringToFront(state);
    }
    return {};
}

EditOutcome deleteSelected(EditState &state)
{
    EditOutcome out;
    if (state.selectedElement()) {
        const int s = state.selectedIndex;
        auto &list = state.elements();
        state.clearSelection();
        state.deletedStack.push_back(list[std::size_t(s)]);
        list.push_back(deleteMarker(s));
        state.sourceIndex = s;
        list.erase(list.begin() + s);
        out = kChanged;
    }
    state.tool = Tool::Pointer;
    return out;
}

EditOutcome cutSelected(EditState &state, ElementClipboard &clipboard)
{
    if (const CGraph *e = state.selectedElement())
        clipboard.put(*e);
    return deleteSelected(state);
}

EditOutcome copySelected(EditState &state, ElementClipboard &clipboard)
{
    if (const CGraph *e = state.selectedElement())
        clipboard.put(*e);
    state.clearSelection();
    state.tool = Tool::Pointer;
    return {};
}

CGraph pastedElement(const CGraph &c, int controlId)
{
    QPoint first, second;
    if (isCircleKind(c.m_nKind)) {
        const int r = circleRadius(c);
        first = QPoint(wrappedAdd(r, 5), wrappedAdd(r, 5));
        second = QPoint(wrappedAdd(wrappedAdd(r, r), 5), wrappedAdd(r, 5));
    } else {
        first = QPoint(5, 5);
        second = wrappedAdd(wrappedSub(c.m_ptEnd, c.m_ptStart), QPoint(5, 5));
    }
    CGraph e = c;
    e.m_ptStart = first;
    e.m_ptEnd = second;
    e.m_nCtrlID = controlId;
    e.m_nSource = -1;
    return e;
}

EditOutcome paste(EditState &state, const ElementClipboard &clipboard)
{
    const CGraph *c = clipboard.element();
    if (!c)
        return {};
    state.elements().push_back(pastedElement(*c, nextControlId(state.elements())));
    state.sourceIndex = -1;
    state.tool = Tool::Pointer;
    return kChanged;
}

EditOutcome undo(EditState &state)
{
    auto &list = state.elements();
    if (list.empty())
        return {};
    if (list.back().m_nKind == Kind::DeleteMarker && !state.deletedStack.empty()) {
        // Put the deleted element back where it was; the marker stays last.
        const int at = std::clamp(list.back().m_nSource, 0, int(list.size()) - 1);
        list.insert(list.begin() + at, state.deletedStack.back());
        state.deletedStack.pop_back();
    }
    state.redoStack.push_back(list.back());
    list.pop_back();
    dropStaleSelection(state);
    return kChanged;
}

EditOutcome redo(EditState &state)
{
    if (state.redoStack.empty())
        return {};
    auto &list = state.elements();
    const CGraph top = state.redoStack.back();
    if (top.m_nKind == Kind::DeleteMarker) {
        const int s = top.m_nSource;
        if (s >= 0 && s < int(list.size())) {
            state.deletedStack.push_back(list[std::size_t(s)]);
            list.erase(list.begin() + s);
        }
    }
    list.push_back(top);
    state.redoStack.pop_back();
    dropStaleSelection(state);
    return kChanged;
}

EditOutcome sendToBack(EditState &state)
{
    if (!state.selectedElement())
        return {};
    auto &list = state.elements();
    const int s = state.selectedIndex;
    state.clearSelection();
    std::rotate(list.begin(), list.begin() + s, list.begin() + s + 1);
    return kChanged;
}

EditOutcome bringToFront(EditState &state)
{
    if (!state.selectedElement())
        return {};
    auto &list = state.elements();
    const int s = state.selectedIndex;
    state.clearSelection();
    std::rotate(list.begin() + s, list.begin() + s + 1, list.end());
    return kChanged;
}

} // namespace h5

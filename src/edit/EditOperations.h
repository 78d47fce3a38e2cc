#pragma once
// The edit commands of a page: delete, cut, copy, paste, undo, redo and the
// two layer moves, on the page's element list and the two stacks.
//
// The element list is itself the undo history. Every creation appends, so
// undo takes the last element off the list onto the redo stack. A deletion
// moves the element onto the deleted-element stack and appends a delete
// marker (kind 7) holding the index it had; undoing the marker puts the
// element back at that index. Moves, resizes, property edits, layer moves
// and page settings are not recorded, and a new creation does not clear the
// redo stack.

#include "edit/CommandIds.h"
#include "edit/EditState.h"
#include "edit/ElementClipboard.h"

#include <optional>

namespace h5 {

// The commands by their menu command ids.
enum class EditCommand : int {
    Delete = Cmd::Delete,   // "删除(&D)\tDelete"
    Cut = Cmd::Cut,         // "剪切(&X)\tCtrl+X"
    Copy = Cmd::Copy,       // "复制(&C)\tCtrl+C"
    Paste = Cmd::Paste,     // "粘贴(&V)\tCtrl+V"
    Undo = Cmd::Undo,       // "撤消(&U)\tCtrl+U"
    Redo = Cmd::Redo,       // "返回撤消"
    ToBack = Cmd::ToBack,   // "下移一层\tShift+B"
    ToFront = Cmd::ToFront, // "上移一层\tShift+F"
};

// The edit command of a command id, if it is one.
std::optional<EditCommand> editCommandFor(int commandId);

// What the view does after a command: redraw the page, mark the document
// modified.
struct EditOutcome
{
    bool redraw = false;
    bool modified = false;
};

// Delete, cut, copy and the layer moves need a selection; paste an element
// on the clipboard; undo a non-empty element list; redo a non-empty redo
// stack.
bool isEnabled(EditCommand command, const EditState &state, const ElementClipboard &clipboard);
// Runs a command; a disabled one changes nothing.
EditOutcome runEditCommand(EditCommand command, EditState &state, ElementClipboard &clipboard);

// Removes the selected element onto the deleted-element stack and appends a
// marker with its index. With or without a selection the tool becomes the
// pointer tool.
EditOutcome deleteSelected(EditState &state);
// Copy, then delete.
EditOutcome cutSelected(EditState &state, ElementClipboard &clipboard);
// Puts a copy of the selected element on the clipboard and clears the
// selection; the tool becomes the pointer tool.
EditOutcome copySelected(EditState &state, ElementClipboard &clipboard);
// Appends a copy of the clipboard element near the top-left corner (first
// point (5, 5), a circle's centre at (r + 5, r + 5)) with the next free
// control ID and source index -1.
EditOutcome paste(EditState &state, const ElementClipboard &clipboard);
EditOutcome undo(EditState &state);
EditOutcome redo(EditState &state);
// Moves the selected element all the way down (index 0) or up (last).
EditOutcome sendToBack(EditState &state);
EditOutcome bringToFront(EditState &state);

// The element a paste appends for clipboard element `c`.
CGraph pastedElement(const CGraph &c, int controlId);

} // namespace h5

#pragma once
// The commands of the main frame's menus and tool bars: their ids, texts,
// tool tips and icons. The ids are the program's command numbers (defined
// with the tools they select in edit/CommandIds.h); tests and windows find
// an action by its id.

#include "edit/CommandIds.h"

#include <QString>
#include <vector>

namespace h5 {

// Status-bar indicator pane id, its text is "逻辑坐标".
inline constexpr int kIndicatorLogical = 59142;

struct CommandInfo
{
    int id;
    const char *name;     // action object name is "action" + name
    const char *menuText; // with "\t" and the accelerator text; null: tool bar only
    const char *tip;      // tool tip, and status-bar prompt unless `prompt` is given
    const char *icon;     // ":/icons/<icon>.svg"; null: no icon
    const char *shortcut; // portable key sequence text; null: none
    bool checkable;
    const char *prompt = nullptr; // status-bar prompt when it differs from the tool tip

    QString statusPrompt() const { return QString::fromUtf8(prompt ? prompt : tip); }
};

// Every command with an action, in no particular order.
const std::vector<CommandInfo> &commandTable();
const CommandInfo *findCommand(int id);

// Quick-launch bar and page-view bar layouts: command ids, 0 for a separator.
const std::vector<int> &quickLaunchButtons();
const std::vector<int> &pageViewButtons();
// Drawing bar: rows of one or two command ids.
const std::vector<std::vector<int>> &drawingBarRows();

// The window title of the main frame: model, version and build date.
QString productTitle();

} // namespace h5

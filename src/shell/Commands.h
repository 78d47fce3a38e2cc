#pragma once
// The commands of the main frame's menus and tool bars: their ids, texts,
// tool tips and icons. The ids are the program's command numbers; tests and
// windows find an action by its id.

#include <QString>
#include <vector>

namespace h5 {

namespace Cmd {
enum : int {
    // File
    NewProject = 57600,
    OpenProject = 57601,
    SaveProject = 32793,
    NewPage = 32796,
    OpenPage = 32794,
    Save = 57603,
    OpenAllPages = 32886,
    ProjectManagement = 32795,
    Build = 32891,
    Download = 32892,
    RecentFile1 = 57616, // and the three after it
    AppExit = 57665,
    AppAbout = 57664,

    // Edit (commands of the page view)
    Undo = 57643,
    Redo = 57644,
    Cut = 57635,
    Copy = 57634,
    Paste = 57637,
    Delete = 32785,
    ToBack = 32840,
    ToFront = 32841,
    PageSettings = 32801,
    AddPage = 32851,
    DeletePage = 32784,
    ExportText = 32802,
    ExportBitmap = 32852,
    ExportIds = 32885,
    Screenshot = 32882,
    ElementEdit = 32789,
    Palette = 32788,
    ShowGrid = 32824,

    // View
    ViewQuickBar = 59392,
    ViewDrawingBar = 32783,
    ViewPageBar = 32822,
    ViewStatusBar = 59393,
    ViewNavigator = 32833,
    // Not a command of the original program: the terminal preview.
    TerminalPreview = 32950,
    // Not commands of the original program: the page window's zoom.
    ZoomIn = 32951,
    ZoomOut = 32952,
    ZoomActual = 32953,
    ZoomFit = 32954,

    // Tools
    OnlineDebug = 32791,
    ToolsOnlineDebug = 32806,
    PointerMaker = 32825,

    // Window
    WindowArrange = 57649,
    WindowCascade = 57650,
    WindowTile = 57651,

    // Drawing tools (commands of the page view)
    ToolPointer = 32771,
    ToolPickColour = 32858,
    ToolLine = 32773,
    ToolText = 32781,
    ToolHollowRect = 32774,
    ToolFilledRect = 32775,
    ToolHollowEllipse = 32776,
    ToolFilledEllipse = 32849,
    ToolHollowCircle = 32778,
    ToolFilledCircle = 32850,
    ToolBitmap = 32782,
    ToolGroupBox = 32857,
    ToolPanel = 32856,
    ToolUnused = 32876, // on the drawing bar, never enabled
    ToolNumeric = 32811,
    ToolBar = 32813,
    ToolImage = 32812,
    ToolPointerCtrl = 32814,
    ToolButton = 32854,
    ToolString = 32889,
};
}

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

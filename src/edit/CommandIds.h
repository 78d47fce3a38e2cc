#pragma once
// The program's command numbers and which of them select a drawing tool.
// Every other list of commands (the menus and tool bars, the edit and page
// commands of the page view) takes its numbers from here, so a number is
// written down once.

#include "edit/Tools.h"

#include <array>
#include <cstddef>

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

// A drawing-bar command and the tool it selects.
struct ToolCommand
{
    int command;     // Cmd::Tool...
    int tool;        // Tool::...
    const char *tip; // tool tip, UTF-8
};

// The 19 drawing tools in tool bar order.
inline constexpr std::array<ToolCommand, 19> kToolCommands = {{
    {Cmd::ToolPointer, Tool::Pointer, "点击等待状态"},
    {Cmd::ToolPickColour, Tool::PickColour, "提取该点的颜色当画笔色"},
    {Cmd::ToolLine, Tool::Line, "绘制直线"},
    {Cmd::ToolHollowRect, Tool::HollowRect, "绘制空心矩形"},
    {Cmd::ToolFilledRect, Tool::SolidRect, "绘制实心矩形"},
    {Cmd::ToolHollowEllipse, Tool::HollowEllipse, "绘制空心椭圆"},
    {Cmd::ToolFilledEllipse, Tool::SolidEllipse, "绘制实心椭圆"},
    {Cmd::ToolHollowCircle, Tool::HollowCircle, "绘制空心圆"},
    {Cmd::ToolFilledCircle, Tool::SolidCircle, "绘制实心圆"},
    {Cmd::ToolText, Tool::Characters, "写字符"},
    {Cmd::ToolBitmap, Tool::Bitmap, "放置位图"},
    {Cmd::ToolGroupBox, Tool::GroupBox, "放置分类框"},
    {Cmd::ToolPanel, Tool::Panel, "放置面板"},
    {Cmd::ToolString, Tool::StringCtrl, "放置字符串控件"},
    {Cmd::ToolPointerCtrl, Tool::PointerCtrl, "放置指针控件"},
    {Cmd::ToolNumeric, Tool::NumericCtrl, "放置数值控件"},
    {Cmd::ToolBar, Tool::BarCtrl, "放置棒图控件"},
    {Cmd::ToolImage, Tool::ImageCtrl, "放置位图控件"},
    {Cmd::ToolButton, Tool::ButtonCtrl, "放置按钮控件"},
}};

// The tool a command selects, or 0 when the command is not a tool.
constexpr int toolForCommand(int command)
{
    for (const ToolCommand &t : kToolCommands)
        if (t.command == command)
            return t.tool;
    return 0;
}

// The command that selects a tool, or 0.
constexpr int commandForTool(int tool)
{
    for (const ToolCommand &t : kToolCommands)
        if (t.tool == tool)
            return t.command;
    return 0;
}

// The tool tip of a tool's command; empty for other commands.
constexpr const char *toolTip(int command)
{
    for (const ToolCommand &t : kToolCommands)
        if (t.command == command)
            return t.tip;
    return "";
}

namespace detail {
constexpr bool toolCommandsAreDistinct()
{
    for (std::size_t i = 0; i < kToolCommands.size(); ++i)
        for (std::size_t j = i + 1; j < kToolCommands.size(); ++j)
            if (kToolCommands[i].command == kToolCommands[j].command
                || kToolCommands[i].tool == kToolCommands[j].tool)
                return false;
    return true;
}
} // namespace detail
static_assert(detail::toolCommandsAreDistinct(),
              "every tool has one command and every command one tool");

} // namespace h5

#include "shell/Commands.h"

namespace h5 {

const std::vector<CommandInfo> &commandTable()
{
    static const std::vector<CommandInfo> table = {
        // File
        {Cmd::NewProject, "NewProject", "新建工程", "新建工程", "new-project", nullptr, false},
        {Cmd::OpenProject, "OpenProject", "打开工程", "打开工程", "open-project", nullptr, false},
        {Cmd::SaveProject, "SaveProject", "保存工程", "保存工程", "save-project", nullptr, false},
        {Cmd::NewPage, "NewPage", "新建页面(&N)\tCtrl+N", "新建页面", "new-page", "Ctrl+N", false},
        {Cmd::OpenPage, "OpenPage", "打开页面(&O)...\tCtrl+O", "打开页面", "open-page", "Ctrl+O",
         false},
        {Cmd::Save, "Save", "保存(&S)\tCtrl+S", "保存当前页面", nullptr, "Ctrl+S", false},
        {Cmd::OpenAllPages, "OpenAllPages", nullptr, "打开工程中的全部页面", "open-all-pages",
         nullptr, false},
        {Cmd::ProjectManagement, "ProjectManagement", "工程管理", "打开工程管理框",
         "project-management", nullptr, false, "工程管理"},
        {Cmd::Build, "Build", nullptr, "编译", "build", nullptr, false},
        {Cmd::Download, "Download", nullptr, "下载文件", "download", nullptr, false,
         "直接下载各文件"},
        {Cmd::AppExit, "AppExit", "退出(&X)", "退出程序", nullptr, nullptr, false},
        {Cmd::AppAbout, "AppAbout", "关于 H5800(&A)...", "显示程序的版本", nullptr, nullptr, false},

        // Edit
        {Cmd::Undo, "Undo", "撤消(&U)\tCtrl+U", "撤消", "undo", "Ctrl+U", false},
        {Cmd::Redo, "Redo", "返回撤消", "返回撤消", nullptr, nullptr, false},
        {Cmd::Cut, "Cut", "剪切(&X)\tCtrl+X", "剪切", "cut", "Ctrl+X", false},
        {Cmd::Copy, "Copy", "复制(&C)\tCtrl+C", "复制", "copy", "Ctrl+C", false},
        {Cmd::Paste, "Paste", "粘贴(&V)\tCtrl+V", "粘贴", "paste", "Ctrl+V", false},
        {Cmd::Delete, "Delete", "删除(&D)\tDelete", "删除", "delete", "Del", false},
        {Cmd::ToBack, "ToBack", "下移一层\tShift+B", "下移一层", nullptr, "Shift+B", false},
        {Cmd::ToFront, "ToFront", "上移一层\tShift+F", "上移一层", nullptr, "Shift+F", false},
        {Cmd::AddPage, "AddPage", "将当前画面添加进工程", "将当前画面添加进工程", nullptr,
         nullptr, false},
        {Cmd::DeletePage, "DeletePage", "从工程中删除当前画面", "从工程中删除当前画面",
         "delete-page", nullptr, false},
        {Cmd::PageSettings, "PageSettings", nullptr, "页面设置", "page-settings", nullptr, false},
        {Cmd::ExportText, "ExportText", "页面生成txt文本", "将当前页面的指令生成txt文本", nullptr,
         nullptr, false},
        {Cmd::ExportBitmap, "ExportBitmap", "页面生成bmp位图", "将当前页面生成位图保存", nullptr,
         nullptr, false},
        {Cmd::ExportIds, "ExportIds", "页面生成ID编号",
         "将当前页面的控件ID号、图片编号生成txt文本", nullptr, nullptr, false},
        {Cmd::Screenshot, "Screenshot", "截取页面", "将页面某块区域截图保存", nullptr, nullptr,
         false},
        {Cmd::Palette, "Palette", nullptr, "调色板选择", "palette", nullptr, false},
        {Cmd::ShowGrid, "ShowGrid", nullptr, "显示网格", "grid", nullptr, true},

        // View
        {Cmd::ViewNavigator, "ViewNavigator", "工程导航条", "工程导航条", nullptr, nullptr, false},
        {Cmd::TerminalPreview, "TerminalPreview", "终端预览", "终端预览：按上次编译的结果显示终端画面",
         "terminal-preview", nullptr, false},
        {Cmd::ZoomIn, "ZoomIn", "放大\tCtrl++", "放大页面", nullptr, "Ctrl++", false},
        {Cmd::ZoomOut, "ZoomOut", "缩小\tCtrl+-", "缩小页面", nullptr, "Ctrl+-", false},
        {Cmd::ZoomActual, "ZoomActual", "实际大小\tCtrl+0", "按实际大小显示页面", nullptr,
         "Ctrl+0", false},
        {Cmd::ZoomFit, "ZoomFit", "适合窗口", "按窗口大小缩放页面", nullptr, nullptr, false},

        // Tools
        {Cmd::ElementEdit, "ElementEdit", "图元编辑", "编辑选中的图元", nullptr, nullptr, false},
        {Cmd::ToolsOnlineDebug, "ToolsOnlineDebug", "在线调试", "在线调试", nullptr, nullptr,
         false},
        {Cmd::OnlineDebug, "OnlineDebug", nullptr, "在线调试", "online-debug", nullptr, false},
        {Cmd::PointerMaker, "PointerMaker", nullptr, "指针制作", "pointer-maker", nullptr, false},

        // Window
        {Cmd::WindowCascade, "WindowCascade", "层叠(&C)", "层叠排列窗口", nullptr, nullptr, false},
        {Cmd::WindowTile, "WindowTile", "平铺(&T)", "平铺排列窗口", nullptr, nullptr, false},
        {Cmd::WindowArrange, "WindowArrange", "排列图标(&A)", "排列窗口", nullptr, nullptr, false},

        // Drawing tools: their tips are the tool table's
        {Cmd::ToolPointer, "ToolPointer", nullptr, toolTip(Cmd::ToolPointer), "tool-pointer", nullptr, true},
        {Cmd::ToolPickColour, "ToolPickColour", nullptr, toolTip(Cmd::ToolPickColour),
         "tool-pick-colour", nullptr, true},
        {Cmd::ToolLine, "ToolLine", nullptr, toolTip(Cmd::ToolLine), "tool-line", nullptr, true},
        {Cmd::ToolText, "ToolText", nullptr, toolTip(Cmd::ToolText), "tool-text", nullptr, true},
        {Cmd::ToolHollowRect, "ToolHollowRect", nullptr, toolTip(Cmd::ToolHollowRect), "tool-hollow-rect",
         nullptr, true},
        {Cmd::ToolFilledRect, "ToolFilledRect", nullptr, toolTip(Cmd::ToolFilledRect), "tool-filled-rect",
         nullptr, true},
        {Cmd::ToolHollowEllipse, "ToolHollowEllipse", nullptr, toolTip(Cmd::ToolHollowEllipse),
         "tool-hollow-ellipse", nullptr, true},
        {Cmd::ToolFilledEllipse, "ToolFilledEllipse", nullptr, toolTip(Cmd::ToolFilledEllipse),
         "tool-filled-ellipse", nullptr, true},
        {Cmd::ToolHollowCircle, "ToolHollowCircle", nullptr, toolTip(Cmd::ToolHollowCircle), "tool-hollow-circle",
         nullptr, true},
        {Cmd::ToolFilledCircle, "ToolFilledCircle", nullptr, toolTip(Cmd::ToolFilledCircle), "tool-filled-circle",
         nullptr, true},
        {Cmd::ToolBitmap, "ToolBitmap", nullptr, toolTip(Cmd::ToolBitmap), "tool-bitmap", nullptr, true},
        {Cmd::ToolGroupBox, "ToolGroupBox", nullptr, toolTip(Cmd::ToolGroupBox), "tool-group-box", nullptr, true},
        {Cmd::ToolPanel, "ToolPanel", nullptr, toolTip(Cmd::ToolPanel), "tool-panel", nullptr, true},
        {Cmd::ToolUnused, "ToolUnused", nullptr, "", "tool-unused", nullptr, false},
        {Cmd::ToolNumeric, "ToolNumeric", nullptr, toolTip(Cmd::ToolNumeric), "ctrl-numeric", nullptr, true},
        {Cmd::ToolBar, "ToolBar", nullptr, toolTip(Cmd::ToolBar), "ctrl-bar", nullptr, true},
        {Cmd::ToolImage, "ToolImage", nullptr, toolTip(Cmd::ToolImage), "ctrl-image", nullptr, true},
        {Cmd::ToolPointerCtrl, "ToolPointerCtrl", nullptr, toolTip(Cmd::ToolPointerCtrl), "ctrl-pointer", nullptr,
         true},
        {Cmd::ToolButton, "ToolButton", nullptr, toolTip(Cmd::ToolButton), "ctrl-button", nullptr, true},
        {Cmd::ToolString, "ToolString", nullptr, toolTip(Cmd::ToolString), "ctrl-string", nullptr, true},
    };
    return table;
}

const CommandInfo *findCommand(int id)
{
    for (const CommandInfo &c : commandTable())
        if (c.id == id)
            return &c;
    return nullptr;
}

const std::vector<int> &quickLaunchButtons()
{
    static const std::vector<int> ids = {
        Cmd::NewProject, Cmd::OpenProject, Cmd::SaveProject, Cmd::OpenAllPages, 0,
        Cmd::Build, Cmd::ProjectManagement, Cmd::Download, 0,
        Cmd::NewPage, Cmd::OpenPage, Cmd::PageSettings, Cmd::DeletePage, 0,
        Cmd::Palette, Cmd::OnlineDebug,
    };
    return ids;
}

const std::vector<int> &pageViewButtons()
{
    static const std::vector<int> ids = {
        Cmd::Undo, 0, Cmd::Cut, Cmd::Copy, Cmd::Paste, Cmd::Delete, 0,
        Cmd::PointerMaker, 0, Cmd::ShowGrid, 0, Cmd::TerminalPreview,
    };
    return ids;
}

const std::vector<std::vector<int>> &drawingBarRows()
{
    static const std::vector<std::vector<int>> rows = {
        {Cmd::ToolPointer, Cmd::ToolPickColour},
        {Cmd::ToolLine, Cmd::ToolText},
        {Cmd::ToolHollowRect, Cmd::ToolFilledRect},
        {Cmd::ToolHollowEllipse, Cmd::ToolFilledEllipse},
        {Cmd::ToolHollowCircle, Cmd::ToolFilledCircle},
        {Cmd::ToolBitmap, Cmd::ToolGroupBox},
        {Cmd::ToolPanel},
        {Cmd::ToolUnused},
        {Cmd::ToolNumeric, Cmd::ToolBar},
        {Cmd::ToolImage, Cmd::ToolPointerCtrl},
        {Cmd::ToolButton, Cmd::ToolString},
    };
    return rows;
}

QString productTitle()
{
    return QStringLiteral("H5800智能终端开发软件 V3.5 (20120427)");
}

} // namespace h5

#pragma once
// What the state of a main-frame command (enabled, checked) depends on.
// Each command is bound once to the sources it follows; when a source
// signals a change, only the commands following it are brought up to date.

namespace h5 {

enum CommandSource : unsigned {
    // Which page window is active (every command of the page view).
    FollowsActivePage = 1u << 0,
    // The open project and its files.
    FollowsProject = 1u << 1,
    // Page windows opened or closed.
    FollowsPageWindows = 1u << 2,
    // The active page's tool, selection, undo history, the clipboard, its
    // number or place in the project (title, save, page commands).
    FollowsTool = 1u << 3,
    FollowsSelection = 1u << 4,
    FollowsUndo = 1u << 5,
    FollowsClipboard = 1u << 6,
    FollowsPage = 1u << 7,
    // The active view's zoom and grid.
    FollowsZoom = 1u << 8,
    FollowsGrid = 1u << 9,
    // One bar each: its show/hide item follows it alone.
    FollowsQuickBar = 1u << 10,
    FollowsPageBar = 1u << 11,
    FollowsDrawingBar = 1u << 12,
    FollowsStatusBar = 1u << 13,
    FollowsNavigator = 1u << 14,
};

} // namespace h5

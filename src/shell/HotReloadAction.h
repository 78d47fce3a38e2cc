#pragma once
// "保存后同步到终端" (文件 menu): while checked,
// every save of a page of the open project is built and what changed is
// sent to a terminal, which then shows the saved page (port/HotReload.h).
// The port (a serial device or the built-in terminal) and its rate are
// chosen in a small form the first time the action is checked; progress
// and each round's outcome show in the status bar.
//
// The action keeps its own state: it is enabled while a project is open
// and unchecks itself when the project changes or the line goes away.

#include "project/Project.h"

#include <QObject>
#include <QString>
#include <memory>

class QAction;
class QStatusBar;
class QWidget;

namespace h5 {

class CMyApp;
class HotReload;
class PortLine;

class HotReloadAction : public QObject
{
    Q_OBJECT
public:
    // Adds the action to `window`'s 文件 menu.
    HotReloadAction(CMyApp &app, QWidget *window, QStatusBar *statusBar);
    ~HotReloadAction() override;

    QAction *action() const { return m_action; }
    // The port and rate the form chose (empty before it was shown), and
    // the same set without the form (tests, and a later check).
    QString device() const { return m_device; }
    void choosePort(const QString &device, int baud);
    HotReload *reload() const { return m_reload.get(); }

private:
    void toggled(bool on);
    bool startSync();
    void stopSync();
    bool askPort();
    void projectChanged();

    CMyApp &m_app;
    QWidget *m_window;
    QStatusBar *m_status;
    QAction *m_action = nullptr;
    QString m_device;
    int m_baud = 1228800;
    Project m_project; // the project being synchronised
    std::unique_ptr<PortLine> m_line;
    std::unique_ptr<HotReload> m_reload;
};

} // namespace h5

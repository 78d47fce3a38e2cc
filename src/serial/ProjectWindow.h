#pragma once
// ProjectWindow, opened by "工程管理" (文件 menu and quick-launch tool bar).
//
// The project management window "工程管理": the open project's pages and
// pictures, and "工程下发", which sends the compiled project and then its
// pictures to the terminal. While a send runs, the staging files
// "RegistFile.wcf" and "bmpPath.wcf" live in the project folder; they go
// when the port is closed and when the window goes away.

#include "common/Prompts.h"
#include "link/SendProjectSession.h"
#include "port/PortLine.h"
#include "serial/WindowLinkHost.h"

#include <QDialog>
#include <memory>

class QCheckBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace h5 {

class PortControls;

class ProjectWindow : public QDialog
{
    Q_OBJECT
public:
    // `prompts`: the opener's; the messages go there. The open project:
    // its name, its .wgc file and its folder (which holds "图象位置信息.cbm").
    // The pages and pictures are read here, once; a missing file is
    // reported when the event loop next runs.
    ProjectWindow(Prompts &prompts, const QString &projectName, const QString &projectFile,
                  const QString &projectFolder, QWidget *parent = nullptr);
    ~ProjectWindow() override;

    PortControls *portControls() const { return m_ports; }
    const SendProjectSession &session() const { return *m_session; }

    // The button "工程下发".
    void sendProject();

private:
    void fillPageList();
    void fillPictureList();
    // Shows the first blocks the placement gave the pictures.
    void showFirstBlocks();

    Prompts &m_prompts;
    std::unique_ptr<Prompts> m_own; // over this window
    PortLine m_comm;
    PortControls *m_ports = nullptr;
    QLineEdit *m_name = nullptr;
    QTableWidget *m_pageList = nullptr;
    QTableWidget *m_pictureList = nullptr;
    QCheckBox *m_erase = nullptr;
    QPushButton *m_sendButton = nullptr;
    QLineEdit *m_statusBox = nullptr;
    QProgressBar *m_progress = nullptr;
    std::unique_ptr<WindowLinkHost> m_host;
    std::unique_ptr<SendProjectSession> m_session;
};

} // namespace h5

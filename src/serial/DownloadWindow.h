#pragma once
// DownloadWindow, opened by "下载文件" (quick-launch tool bar).
//
// The file download window "下载": up to three files (project, picture
// list, font) sent to the terminal in one download, or written into one
// .uwl bundle file instead.

#include "link/DownloadInputs.h"
#include "common/Prompts.h"
#include "link/DownloadSession.h"
#include "port/PortLine.h"
#include "serial/WindowLinkHost.h"

#include <QDialog>
#include <memory>

class QCheckBox;
class QGridLayout;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace h5 {

class PortControls;

class DownloadWindow : public QDialog
{
    Q_OBJECT
public:
    // `prompts`: the opener's; the transfer's messages go there, the file
    // choosers open over this window. `projectFile`: the open project's
    // .wgc, pre-filled as the project file; empty when no project is open.
    explicit DownloadWindow(Prompts &prompts, const QString &projectFile = QString(),
                            QWidget *parent = nullptr);
    ~DownloadWindow() override;

    // The three file fields; an empty path clears a field.
    void setProjectFile(const QString &path);
    void setPictureFile(const QString &path);
    void setFontFile(const QString &path);
    // The chosen files and the erase box, as the download takes them.
    DownloadFiles files() const;

    PortControls *portControls() const { return m_ports; }
    const DownloadSession &session() const { return *m_session; }

    // The buttons "下载" and "生成.uwl文件".
    void download();
    void makeBundle();

private:
    struct FileField
    {
        QPushButton *choose = nullptr;
        QLineEdit *path = nullptr;
        QPushButton *clear = nullptr;
    };

    FileField addFileField(QGridLayout *grid, int row, const QString &caption,
                           const QString &name);
    void choose(FileField &field, const FileRequest &request);

    Prompts &m_prompts;
    std::unique_ptr<Prompts> m_own; // over this window
    PortLine m_comm;
    PortControls *m_ports = nullptr;
    FileField m_project, m_pictures, m_font;
    QCheckBox *m_erase = nullptr;
    QPushButton *m_downloadButton = nullptr;
    QPushButton *m_bundleButton = nullptr;
    QLineEdit *m_statusBox = nullptr;
    QProgressBar *m_progress = nullptr;
    std::unique_ptr<WindowLinkHost> m_host;
    std::unique_ptr<DownloadSession> m_session;
};

} // namespace h5

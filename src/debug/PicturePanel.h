#pragma once
// The group "图片设置" of the debug window: its picture list ("添加图片",
// "上移", "下移", "删除选中", "清空列表", "保存列表", "打开列表"; a row's number
// is typed after a double click), "下一存储编号", the preview of the clicked
// row, and "下载图片" with "擦除FLASH". Its status box and bar are the
// window's link status: the window makes them and the group shows them.
// A download ends by writing the block addresses the placement gave into
// the list (link/PictureListDownload.h).

#include "link/PictureListDownload.h"
#include "pictures/PictureList.h"

#include <QGroupBox>
#include <QImage>

class QCheckBox;
class QLineEdit;
class QProgressBar;
class QTableWidget;
class QTableWidgetItem;

namespace h5 {

class DebugSession;
class PicturePreview;
class PortControls;
class Prompts;

class PicturePanel : public QGroupBox
{
    Q_OBJECT
public:
    PicturePanel(DebugSession &session, Prompts &prompts, const PortControls &ports, QLineEdit &statusBox,
                 QProgressBar &progress, QWidget *parent = nullptr);

    const PictureList &pictureList() const { return m_pictures; }
    // The list was changed since it was last opened (into an empty list)
    // or saved, and is not empty: closing would lose it.
    bool hasUnsavedList() const;

    // The buttons.
    void addPictures();
    void openList();
    void saveList();
    void moveUp();
    void moveDown();
    void deleteSelected();
    void clearList();
    void downloadPictures();

    // After every event of the link: a download that has ended gives the
    // list the block addresses of its placement.
    void afterEvent();

signals:
    // A row was clicked: its picture (null when it cannot be drawn) is
    // shown, on the simulated screen too.
    void pictureShown(const QString &path, const QImage &picture);

private:
    void showRows();
    void showNextNumber();
    int readNextNumber() const;
    void numberEdited(QTableWidgetItem *item);
    void rowClicked();

    DebugSession &m_session;
    Prompts &m_prompts;
    const PortControls &m_ports;
    PictureList m_pictures;
    PictureListDownload m_download;
    // Changed since the list was last opened (into an empty list) or saved.
    bool m_changed = false;
    bool m_filling = false; // rows are being rewritten, not edited

    QTableWidget *m_view = nullptr;
    QLineEdit *m_nextNumber = nullptr;
    PicturePreview *m_preview = nullptr;
    QCheckBox *m_erase = nullptr;
    QLineEdit &m_status;
    QProgressBar &m_progress;
};

} // namespace h5

#pragma once
// The project navigator ("工程导航条"): a dock listing the open project's
// pages (number, layer, main or auxiliary page, compiled length, whether a
// window shows it) and pictures (number, file, size, flash blocks, the
// pages that use it, missing files marked). A double click on a page opens
// it. The rows come from readProjectOverview(); the dock reads them again
// when told the project's files or windows changed, and only while shown.

#include "project/ProjectOverview.h"

#include <QDockWidget>
#include <functional>

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace h5 {

class ProjectNavigatorDock : public QDockWidget
{
    Q_OBJECT
public:
    // `project`: the open project, or null without one. `openPages`: the
    // page numbers that have a window. `openPage`: opens page n.
    struct Source
    {
        std::function<const Project *()> project;
        std::function<std::set<int>()> openPages;
        std::function<void(int pageNo)> openPage;
    };
    explicit ProjectNavigatorDock(Source source, QWidget *parent = nullptr);

    QTreeWidget *pageList() const { return m_pages; }
    QTreeWidget *pictureList() const { return m_pictures; }
    QLabel *noteLabel() const { return m_note; }

    // Reads the lists again soon (several requests make one read). While
    // the dock is hidden the read waits until it is shown.
    void scheduleRefresh();
    // Reads the lists now.
    void refresh();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void onPageActivated(QTreeWidgetItem *item);

    Source m_source;
    QTreeWidget *m_pages = nullptr;
    QTreeWidget *m_pictures = nullptr;
    QLabel *m_note = nullptr;
    bool m_stale = true;
    bool m_pending = false;
};

} // namespace h5

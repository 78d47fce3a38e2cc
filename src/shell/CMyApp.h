#pragma once
// The application object: the state of the one open project and the
// project commands (new, open and save project; new page, open page, open
// all pages; build), the recent-file list, and the data all page views
// share (the element clipboard, the picture cache).
//
// It makes no window of its own: its forms, file choosers, messages and
// questions go through Prompts (message boxes and dialogs over the main
// frame), and page windows through PageWindows (the main frame). Tests
// replace both.
//
// Each open page is a PageDocument, made here and shown in a page window.
// The app follows the documents' signals and coordinates the windows: a
// page command that overwrites another page closes that page's windows,
// one that deletes the page closes its own.

#include "edit/PageDocument.h"
#include "shell/PageWindows.h"
#include "editor/ViewHost.h"
#include "model/CGraph.h"
#include "model/PictureCache.h"
#include "project/Build.h"
#include "project/Project.h"
#include "shell/NewProjectForm.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QSettings;
class QWidget;

namespace h5 {

class WidgetPrompts;

class CMyApp : public QObject
{
    Q_OBJECT
public:
    static constexpr int kRecentFiles = 4;

    // `settingsFile`: an INI file for the recent-file list; empty uses the
    // user's settings of "Local AppWizard-Generated Applications".
    explicit CMyApp(const QString &settingsFile = QString(), QObject *parent = nullptr);
    ~CMyApp() override;

    // ---- wiring -----------------------------------------------------------
    // Not owned; null goes back to the app's own message boxes and dialogs.
    void setPrompts(Prompts *prompts);
    void setPageWindows(PageWindows *windows) { m_windows = windows; }
    // Parent of the app's own message boxes and dialogs, and where its
    // status text goes.
    void setMainWindow(QWidget *window, std::function<void(const QString &)> statusSink);

    // The app's boxes, forms and choosers (the program's title, over the
    // main frame); windows the app opens ask through them too.
    Prompts &prompts() const;
    PageWindows *pageWindows() const { return m_windows; }
    // What page documents and views are given: the open project, the
    // prompts, the resolution and the picture cache.
    ViewHost &viewHost() const;

    // ---- state ------------------------------------------------------------
    bool isProjectOpen() const { return m_bProjectOpen; }
    const Project &project() const { return m_project; }
    // Resolution index of the open project; 0 without a project.
    int resolution() const { return m_bProjectOpen ? m_project.resolution : 0; }
    // Number of open pages.
    int openPageCount() const;
    // The open pages, oldest first.
    QList<PageDocument *> pageDocuments() const;
    // The open page of the page file `path`, or null.
    PageDocument *findDocument(const QString &path) const;

    // Display size and the caption height of a page window, read at start.
    int m_nScreenWidth = 0;
    int m_nScreenHeight = 0;
    int m_nCaptionHeight = 0;

    // The element clipboard shared by all page views is
    // h5::applicationClipboard() (src/edit): a copy that outlives its page.

    // Decoded pictures shared by all page views.
    PictureCache &pictureCache() { return m_pictures; }

    // ---- commands with their forms ---------------------------------------
    void onNewProject();
    void onOpenProject();
    void onSaveProject();
    void onNewPage();
    void onOpenPage();
    void onOpenAllPages();
    // "保存": the active page, or the project when no page is active.
    void onSave();

    // ---- the same without forms ------------------------------------------
    bool createProject(const NewProjectValues &values);
    bool openProject(const QString &projectFile);
    // Saves every open page; false when one could not be saved.
    bool saveProject();
    bool createPage(const NewPageValues &values);
    // Opens each page file (a page already open is brought to the front).
    // A file that cannot be read is reported; the others still open.
    // Returns the number of pages opened or brought forward.
    int openPageFiles(const QStringList &paths);
    int openAllPages();
    // A file from the command line, a drop or the recent-file list: a page
    // file opens within the project of its folder ("请放入工程中!" when
    // there is none), a project file opens as the project.
    bool openDocument(const QString &path);
    // Build of the open project with the open pages; shows the outcome.
    BuildResult build();

    // ---- recent files ------------------------------------------------------
    QStringList recentFiles() const;
    void addRecentFile(const QString &path);
    void removeRecentFile(const QString &path);

signals:
    void projectChanged();
    void recentFilesChanged();
    // The project's files were written by the app itself (a build, a save
    // of the project or a new page); page windows tell their own saves.
    void projectFilesChanged();

private:
    void readDisplayMetrics();
    // Saves and closes the pages of the current project before another one
    // takes its place; false (nothing closed) when a page could not be saved.
    bool leaveProject();
    void closeAllPages();
    // Makes the document of a page and opens its window.
    void openPageWindow(OpenPage page);
    // A page command gave page `pageNo`'s number to `from`: the windows
    // still showing that page close.
    void closeOverwrittenPage(const PageDocument *from, int pageNo);
    // A page file outside the open project: names its project and, when the
    // user agrees, switches to it ("请放入工程中!" when its folder holds no
    // project). True when the page may open in the project now open. A
    // project in `declined` is not offered again; a No adds it.
    bool takeIntoProject(const QString &pagePath, QStringList &declined);
    void setProject(const Project &project);
    std::unique_ptr<QSettings> settings() const;

    QString m_settingsFile;
    bool m_bProjectOpen = false;
    Project m_project;
    PictureCache m_pictures;

    class Host;
    std::unique_ptr<Host> m_host;
    std::unique_ptr<WidgetPrompts> m_ownPrompts;
    Prompts *m_prompts = nullptr;
    QPointer<QWidget> m_mainWindow; // parent of the app's forms
    PageWindows *m_windows = nullptr;
};

} // namespace h5

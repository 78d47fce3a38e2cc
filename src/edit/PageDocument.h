#pragma once
// One open page as a document: the page (settings and element list), the
// file it belongs to, its name, its edit state (selection, undo stacks,
// tool) and whether it has changes not saved. Views are given a document
// and edit it; the application opens, closes and coordinates the windows,
// following the document's signals.
//
// The document saves itself and runs the three page commands through the
// project its context names. What a command means for other windows (a
// page of that number was overwritten, this page left the project) the
// document only announces.

#include "common/Notifier.h"
#include "edit/EditState.h"
#include "edit/PageCommands.h"
#include "project/Project.h"

#include <QObject>
#include <QString>

namespace h5 {

// What a page document needs from the application around it.
class PageContext
{
public:
    virtual ~PageContext() = default;
    // The open project, or null when none is open.
    virtual const Project *currentProject() const = 0;
    // Where messages and questions go.
    virtual Notifier &notifier() const = 0;
};

class PageDocument : public QObject
{
    Q_OBJECT
public:
    PageDocument(PageContext &context, OpenPage page, QObject *parent = nullptr);

    PageContext &context() const { return m_context; }

    // ---- the page ------------------------------------------------------------
    OpenPage &openPage() { return m_page; }
    const OpenPage &openPage() const { return m_page; }
    Page &page() { return m_page.page; }
    const Page &page() const { return m_page.page; }
    CTypeGraph &settings() { return m_page.page.settings; }
    std::vector<CGraph> &elements() { return m_page.page.elements; }
    QString filePath() const { return m_page.path; }
    void setFilePath(const QString &path) { m_page.path = path; }

    // The page's name: its number in decimal. Its title is the name
    // followed by ".wlp".
    QString pageName() const { return m_pageName; }
    void setPageName(const QString &name);
    QString title() const { return m_pageName + QStringLiteral(".wlp"); }

    // Selection, undo stacks, tool and source index.
    EditState &editState() { return m_edit; }
    const EditState &editState() const { return m_edit; }

    bool isModified() const { return m_modified; }
    // Marks the page modified whatever its content (a page not yet on
    // disk, settings a page command changed); false after a save.
    void setModified(bool modified = true);
    // Every change the user makes to the page's content (elements or
    // settings) is told here, and the document decides whether the page
    // now differs from what was last saved: undoing back to the saved page
    // clears the modified mark.
    void contentChanged();

    // ---- saving --------------------------------------------------------------
    // Saves the page to its file (compiling it when it belongs to the
    // project). A failure is shown through the context's notifier and the
    // page stays as it was; "请放入工程中!" without a project.
    bool save();
    // Takes the page as a save elsewhere (the build) wrote it, then does
    // what follows every save.
    void takeSaved(OpenPage saved);

    // ---- page commands -------------------------------------------------------
    // Whether a page command can run on this page now (a project is open
    // and the command's own rule holds).
    bool isPageCommandEnabled(PageCommand command) const;
    // The page settings form's OK with its values; add the page to the
    // project; delete it from the project. Failures are shown; a command
    // that changes the page's number or place saves the page at once.
    void applySettings(const NewPageValues &values);
    void addToProject();
    void deleteFromProject();

signals:
    void modifiedChanged(bool modified);
    // The page was renamed: its title is now `title`.
    void titleChanged(const QString &title);
    // The page was saved (here or by the build): it may have dropped or
    // reordered elements, so views draw it anew.
    void saved();
    // The settings or the element list changed other than through a view
    // (a page command): views draw the page anew.
    void pageChanged();
    // The page took the number of another page of the project, whose files
    // are gone: windows showing that page must close without asking.
    void pageOverwritten(int pageNo);
    // The page was deleted from the project: its window closes without
    // asking.
    void closeRequested();

private:
    void afterSave();
    void remember();
    void finishPageCommand(const PageCommandResult &result, const QString &error);

    PageContext &m_context;
    OpenPage m_page;
    EditState m_edit{m_page.page};
    QString m_pageName;
    bool m_modified = false;
    bool m_forced = false; // set by setModified(true): only a save clears it
    // The page as last saved (or as opened).
    std::vector<CGraph> m_savedElements;
    CTypeGraph m_savedSettings;
};

} // namespace h5

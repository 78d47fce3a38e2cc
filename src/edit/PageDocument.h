#pragma once
// One open page as a document: the page (settings and element list), the
// file it belongs to, its name, its edit state (selection, undo stacks,
// tool), the tool rules that turn mouse and keys into edits, and whether it
// has changes not saved. Views are given a document and edit it; the
// application opens, closes and coordinates the windows, following the
// document's signals.
//
// The page is only read from outside. Every change goes through one of the
// document's methods below, so the document alone decides whether the page
// now differs from the saved one, and announces what changed (selection,
// tool, what undo and redo can do, the clipboard) for the commands that
// follow it.
//
// The document saves itself and runs the three page commands through the
// project its context names. What a command means for other windows (a
// page of that number was overwritten, this page left the project) the
// document only announces.

#include "common/Notifier.h"
#include "edit/EditOperations.h"
#include "edit/EditState.h"
#include "edit/PageCommands.h"
#include "edit/ToolInteraction.h"
#include "model/ElementDraw.h"
#include "project/Project.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

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
    ~PageDocument() override;

    PageContext &context() const { return m_context; }

    // ---- the page (read only) -------------------------------------------------
    const OpenPage &openPage() const { return m_page; }
    const Page &page() const { return m_page.page; }
    const CTypeGraph &settings() const { return m_page.page.settings; }
    const std::vector<CGraph> &elements() const { return m_page.page.elements; }
    QString filePath() const { return m_page.path; }
    void setFilePath(const QString &path) { m_page.path = path; }

    // The page's name: its number in decimal. Its title is the name
    // followed by ".wlp".
    QString pageName() const { return m_pageName; }
    void setPageName(const QString &name);
    QString title() const { return m_pageName + QStringLiteral(".wlp"); }

    // Selection, undo stacks, tool and source index.
    const EditState &editState() const { return m_edit; }
    int tool() const { return m_edit.tool; }
    // The tool rules (pen and fill colour, grid, the gesture under way).
    const ToolInteraction &tools() const { return *m_tools; }
    // Whether an edit command can run now (the application clipboard for
    // paste).
    bool isEditCommandEnabled(EditCommand command) const;

    bool isModified() const { return m_modified; }
    // Marks the page modified whatever its content (a page not yet on
    // disk, settings a page command changed); false after a save.
    void setModified(bool modified = true);

    // ---- changes -------------------------------------------------------------
    // Each of these changes the page or its edit state, then compares the
    // page with the saved one (undoing back to it clears the modified
    // mark) and tells what changed.
    void setTool(int tool);
    void select(int index);
    void clearSelection();
    // A new element on top of the page, as a creation: undo takes it off.
    void appendElement(const CGraph &element);
    // The element at `index` takes new values (a property form's OK).
    void replaceElement(int index, const CGraph &element);
    // The element at `index` leaves the list without a trace in the undo
    // history (a property form that removes its element).
    void removeElement(int index);
    // A dial picture under the control at `controlIndex`.
    void insertUnder(int controlIndex, const CGraph &dial);
    // The page settings take new values.
    void replaceSettings(const CTypeGraph &settings);
    // Delete, cut, copy, paste, undo, redo and the layer moves on the
    // application clipboard `clipboard`.
    EditOutcome runEditCommand(EditCommand command, ElementClipboard &clipboard);
    // A mouse or key event (or a form's answer) through the tool rules;
    // `gesture` calls the one rule that applies. The view acts on the
    // result (redraw, cursor, band, forms).
    InteractionResult interact(const std::function<InteractionResult(ToolInteraction &)> &gesture);
    // Draws the elements with `painter` (ElementDraw's drawElements). The
    // drawing lays out text elements and numeric controls: their end point
    // becomes the bottom right of the text as drawn, and the page keeps it,
    // as a save compiles it. That is no change of the user's: the modified
    // mark stays as it is.
    void drawElements(QPainter &painter, bool labels, const DrawContext &ctx);
    // The page size the tool rules keep points and elements within.
    void setCanvasSize(QSize canvas);
    // The characters tool's last values, which the text forms update.
    TextToolState &textToolState() { return m_tools->textState(); }

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
    // The settings or the element list changed other than through the tool
    // rules or an edit command (whose results say what to redraw): views
    // draw the page anew.
    void pageChanged();
    // Whether an element is selected, or which, changed.
    void selectionChanged();
    void toolChanged(int tool);
    // What undo or redo can do changed.
    void undoStateChanged();
    // The application clipboard took an element (copy, cut).
    void clipboardChanged();
    // A page command changed the project's files or this page's place in
    // the project.
    void pageCommandFinished();
    // The page took the number of another page of the project, whose files
    // are gone: windows showing that page must close without asking.
    void pageOverwritten(int pageNo);
    // The page was deleted from the project: its window closes without
    // asking.
    void closeRequested();

private:
    // Whether the page now differs from what was last saved.
    void contentChanged();
    // After every change: the modified mark (when the content may have
    // changed) and the signals of what changed.
    void settle(bool contentMayHaveChanged);
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
    std::unique_ptr<ToolInteraction> m_tools;
    // What the signals tell, as last told.
    struct Told
    {
        int selected = -1; // index of the selected element, -1 for none
        int tool = 0;
        bool canUndo = false;
        bool canRedo = false;
        bool operator==(const Told &o) const
        {
            return selected == o.selected && tool == o.tool && canUndo == o.canUndo
                   && canRedo == o.canRedo;
        }
    };
    Told told() const;
    Told m_told;
};

} // namespace h5

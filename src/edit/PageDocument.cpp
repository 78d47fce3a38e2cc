#include "edit/PageDocument.h"

#include "edit/DialPicture.h"

#include <QDir>

namespace h5 {

PageDocument::PageDocument(PageContext &context, OpenPage page, QObject *parent)
    : QObject(parent), m_context(context), m_page(std::move(page))
{
    m_pageName = QString::number(m_page.page.settings.m_nPageNo);
    m_tools = std::make_unique<ToolInteraction>(m_edit, QSize());
    remember();
    m_told = told();
}

PageDocument::~PageDocument() = default;

void PageDocument::setPageName(const QString &name)
{
    if (m_pageName == name)
        return;
    m_pageName = name;
    emit titleChanged(title());
}

void PageDocument::setModified(bool modified)
{
    m_forced = modified;
    if (m_modified == modified)
        return;
    m_modified = modified;
    emit modifiedChanged(modified);
}

void PageDocument::contentChanged()
{
    const bool differs = m_forced || !(m_page.page.settings == m_savedSettings)
                         || m_page.page.elements != m_savedElements;
    if (m_modified == differs)
        return;
    m_modified = differs;
    emit modifiedChanged(differs);
}

PageDocument::Told PageDocument::told() const
{
    Told t;
    t.selected = m_edit.selectedElement() ? m_edit.selectedIndex : -1;
    t.tool = m_edit.tool;
    t.canUndo = h5::isEnabled(EditCommand::Undo, m_edit, ElementClipboard());
    t.canRedo = h5::isEnabled(EditCommand::Redo, m_edit, ElementClipboard());
    return t;
}

void PageDocument::settle(bool contentMayHaveChanged)
{
    if (contentMayHaveChanged)
        contentChanged();
    // The new state is taken before anyone hears of it, so a listener that
    // changes the page again is told of its own change in turn.
    const Told before = m_told;
    m_told = told();
    if (before.selected != m_told.selected)
        emit selectionChanged();
    if (before.tool != m_told.tool)
        emit toolChanged(m_told.tool);
    if (before.canUndo != m_told.canUndo || before.canRedo != m_told.canRedo)
        emit undoStateChanged();
}

bool PageDocument::isEditCommandEnabled(EditCommand command) const
{
    return h5::isEnabled(command, m_edit, applicationClipboard());
}

void PageDocument::setTool(int tool)
{
    m_edit.tool = tool;
    settle(false);
}

void PageDocument::select(int index)
{
    m_edit.select(index);
    settle(false);
}

void PageDocument::clearSelection()
{
    m_edit.clearSelection();
    settle(false);
}

void PageDocument::appendElement(const CGraph &element)
{
    m_page.page.elements.push_back(element);
    settle(true);
    emit pageChanged();
}

void PageDocument::replaceElement(int index, const CGraph &element)
{
    if (index < 0 || index >= int(m_page.page.elements.size()))
        return;
    m_page.page.elements[size_t(index)] = element;
    settle(true);
    emit pageChanged();
}

void PageDocument::removeElement(int index)
{
    if (index < 0 || index >= int(m_page.page.elements.size()))
        return;
    m_page.page.elements.erase(m_page.page.elements.begin() + index);
    settle(true);
    emit pageChanged();
}

void PageDocument::insertUnder(int controlIndex, const CGraph &dial)
{
    h5::insertUnder(m_edit, controlIndex, dial);
    settle(true);
    emit pageChanged();
}

void PageDocument::replaceSettings(const CTypeGraph &settings)
{
    m_page.page.settings = settings;
    settle(true);
    emit pageChanged();
}

EditOutcome PageDocument::runEditCommand(EditCommand command, ElementClipboard &clipboard)
{
    const bool fillsClipboard = (command == EditCommand::Copy || command == EditCommand::Cut)
                                && h5::isEnabled(command, m_edit, clipboard);
    const EditOutcome outcome = h5::runEditCommand(command, m_edit, clipboard);
    settle(outcome.modified);
    if (fillsClipboard)
        emit clipboardChanged();
    return outcome;
}

InteractionResult PageDocument::interact(const std::function<InteractionResult(ToolInteraction &)> &gesture)
{
    const size_t count = m_page.page.elements.size();
    const InteractionResult r = gesture(*m_tools);
    settle(r.modified || m_page.page.elements.size() != count);
    return r;
}

void PageDocument::drawElements(QPainter &painter, bool labels, const DrawContext &ctx)
{
    h5::drawElements(m_page.page.elements, painter, labels, ctx);
}

void PageDocument::setCanvasSize(QSize canvas)
{
    m_tools->setCanvas(canvas);
}

void PageDocument::remember()
{
    m_savedElements = m_page.page.elements;
    m_savedSettings = m_page.page.settings;
}

bool PageDocument::save()
{
    const Project *project = m_context.currentProject();
    if (!project) {
        // The text names no file; the page's path (its title while it has
        // none) follows it.
        m_context.notifier().message(
            QStringLiteral("请放入工程中! ")
            + (m_page.path.isEmpty() ? title() : QDir::toNativeSeparators(m_page.path)));
        return false;
    }
    // The save normalises the page; on a failure the page stays exactly as
    // the user left it.
    OpenPage copy = m_page;
    QString error;
    if (!project->savePage(copy, m_context.notifier(), &error)) {
        m_context.notifier().message(error.isEmpty()
                                         ? QStringLiteral("%1 保存失败!").arg(title())
                                         : QStringLiteral("%1 保存失败!\n%2").arg(title(), error));
        return false;
    }
    m_page = std::move(copy);
    afterSave();
    return true;
}

void PageDocument::takeSaved(OpenPage saved)
{
    m_page = std::move(saved);
    afterSave();
}

void PageDocument::afterSave()
{
    m_edit.afterSave();
    remember();
    setModified(false);
    settle(false);
    emit saved();
}

bool PageDocument::isPageCommandEnabled(PageCommand command) const
{
    const Project *project = m_context.currentProject();
    return project && h5::isPageCommandEnabled(command, *project, m_page.page);
}

void PageDocument::applySettings(const NewPageValues &values)
{
    const Project *project = m_context.currentProject();
    if (!project)
        return;
    QString error;
    const PageCommandResult r =
        applyPageSettings(*project, m_page.page, m_pageName, values, m_context.notifier(), &error);
    if (r.status == PageCommandResult::Done) {
        setModified(true); // the settings changed even when the save below fails
        settle(false);
        emit pageChanged();
    }
    finishPageCommand(r, error);
}

void PageDocument::addToProject()
{
    const Project *project = m_context.currentProject();
    if (!project)
        return;
    QString error;
    const PageCommandResult r = addPageToProject(*project, m_page.page, &error);
    finishPageCommand(r, error);
}

void PageDocument::deleteFromProject()
{
    const Project *project = m_context.currentProject();
    if (!project)
        return;
    QString error;
    const PageCommandResult r =
        deletePageFromProject(*project, m_pageName, m_context.notifier(), &error);
    finishPageCommand(r, error);
}

void PageDocument::finishPageCommand(const PageCommandResult &r, const QString &error)
{
    if (r.status == PageCommandResult::Failed) {
        m_context.notifier().message(error.isEmpty()
                                         ? QStringLiteral("操作失败!")
                                         : QStringLiteral("操作失败!\n%1").arg(error));
        return;
    }
    if (r.status == PageCommandResult::Cancelled)
        return;
    // Windows of an overwritten page go first, so none of them can write
    // the old page back over this one.
    if (r.closePage >= 0)
        emit pageOverwritten(r.closePage);
    if (!r.pageName.isEmpty())
        setPageName(r.pageName);
    if (!r.savePath.isEmpty()) {
        setFilePath(r.savePath);
        save();
    }
    emit pageCommandFinished();
    if (r.closeThisPage)
        emit closeRequested(); // last: the window goes away
}

} // namespace h5

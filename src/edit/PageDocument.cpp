#include "edit/PageDocument.h"

#include <QDir>

namespace h5 {

PageDocument::PageDocument(PageContext &context, OpenPage page, QObject *parent)
    : QObject(parent), m_context(context), m_page(std::move(page))
{
    m_pageName = QString::number(m_page.page.settings.m_nPageNo);
    remember();
}

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
    if (r.closeThisPage)
        emit closeRequested(); // last: the window goes away
}

} // namespace h5

#pragma once
// The forms and file choosers the project commands and the page views open.
// The app shows the real dialogs (WidgetShellDialogs); tests answer them
// from a script, so no modal window ever opens in a test.

#include "editor/ViewHost.h"
#include "project/Project.h"
#include "shell/NewProjectForm.h"

#include <QPointer>
#include <QString>
#include <QStringList>

class QWidget;

namespace h5 {

class ShellDialogs : public PageDialogs
{
public:
    // The form "新建工程"; false on Cancel.
    virtual bool newProject(NewProjectValues &values) = 0;
    // A .wgc file to open; empty on Cancel.
    virtual QString openProjectFile(const QString &startDir) = 0;
    // .wlp files to open (several at once); empty on Cancel.
    virtual QStringList openPageFiles(const QString &startDir) = 0;
};

class WidgetShellDialogs : public ShellDialogs
{
public:
    explicit WidgetShellDialogs(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }

    bool newProject(NewProjectValues &values) override;
    QString openProjectFile(const QString &startDir) override;
    bool pageSettings(int resolution, NewPageValues &values, int pageLength) override;
    QStringList openPageFiles(const QString &startDir) override;
    QString openPictureFile(const QString &startDir) override;
    QString saveBitmapFile(const QString &startDir) override;
    bool screenshotArea(ScreenshotValues &values) override;

    // File filters of the two document types.
    static QString projectFilter();
    static QString pageFilter();

private:
    QPointer<QWidget> m_parent;
};

} // namespace h5

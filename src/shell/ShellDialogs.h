#pragma once
// The forms and file choosers the project commands open. The app shows the
// real dialogs (WidgetShellDialogs); tests answer them from a script, so no
// modal window ever opens in a test.

#include "edit/ScreenshotValues.h"
#include "project/Project.h"
#include "shell/MyFileNewDlg.h"

#include <QPointer>
#include <QString>
#include <QStringList>

class QWidget;

namespace h5 {

class ShellDialogs
{
public:
    virtual ~ShellDialogs() = default;
    // The form "新建工程"; false on Cancel.
    virtual bool newProject(NewProjectValues &values) = 0;
    // A .wgc file to open; empty on Cancel.
    virtual QString openProjectFile(const QString &startDir) = 0;
    // The form "画面设置" for a page of the given resolution; false on Cancel.
    virtual bool pageSettings(int resolution, NewPageValues &values, int pageLength) = 0;
    // .wlp files to open (several at once); empty on Cancel.
    virtual QStringList openPageFiles(const QString &startDir) = 0;
    // A picture (.bmp, .jpg, .jpeg) for the bitmap tool; empty on Cancel.
    virtual QString openPictureFile(const QString &startDir) = 0;
    // A .bmp file to write (the page bitmap and the screenshot), the user
    // asked before an existing file is replaced; empty on Cancel.
    virtual QString saveBitmapFile(const QString &startDir) = 0;
    // The form "截图" with the corners of the area to save; false on Cancel.
    virtual bool screenshotArea(ScreenshotValues &values) = 0;
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

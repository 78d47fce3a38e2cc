#include "shell/ShellDialogs.h"

#include "editor/ScreenshotForm.h"
#include "shell/PageSettingsForm.h"

#include <QFileDialog>

namespace h5 {

QString WidgetShellDialogs::projectFilter()
{
    return QStringLiteral("工程文件 (*.wgc)");
}

QString WidgetShellDialogs::pageFilter()
{
    return QStringLiteral("页面文件 (*.wlp)");
}

bool WidgetShellDialogs::newProject(NewProjectValues &values)
{
    NewProjectForm dlg(m_parent);
    dlg.setValues(values);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    values = dlg.values();
    return true;
}

QString WidgetShellDialogs::openProjectFile(const QString &startDir)
{
    QFileDialog dlg(m_parent, QStringLiteral("打开工程"), startDir, projectFilter());
    dlg.setFileMode(QFileDialog::ExistingFile);
    dlg.setDefaultSuffix(QStringLiteral("wgc"));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return {};
    return dlg.selectedFiles().first();
}

bool WidgetShellDialogs::pageSettings(int resolution, NewPageValues &values, int pageLength)
{
    PageSettingsForm dlg(resolution, values, pageLength, m_parent);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    values = dlg.values();
    return true;
}

QString WidgetShellDialogs::openPictureFile(const QString &startDir)
{
    return QFileDialog::getOpenFileName(m_parent, QString(), startDir,
                                        QStringLiteral("图片文件(*.bmp *.jpg *.jpeg)"));
}

QString WidgetShellDialogs::saveBitmapFile(const QString &startDir)
{
    QFileDialog dlg(m_parent, QString(), startDir, QStringLiteral("bmp文件(*.bmp)"));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    // A name typed without an extension gets ".bmp" before the dialog asks
    // about replacing a file, so the question is about the file written.
    dlg.setDefaultSuffix(QStringLiteral("bmp"));
    dlg.selectFile(QStringLiteral(".bmp"));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return {};
    return dlg.selectedFiles().first();
}

bool WidgetShellDialogs::screenshotArea(ScreenshotValues &values)
{
    ScreenshotForm dlg(values, m_parent);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    values = dlg.values();
    return true;
}

QStringList WidgetShellDialogs::openPageFiles(const QString &startDir)
{
    QFileDialog dlg(m_parent, QStringLiteral("打开页面"), startDir, pageFilter());
    dlg.setFileMode(QFileDialog::ExistingFiles);
    dlg.setDefaultSuffix(QStringLiteral("wlp"));
    if (dlg.exec() != QDialog::Accepted)
        return {};
    return dlg.selectedFiles();
}

} // namespace h5

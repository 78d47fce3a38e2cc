#include "terminal/BuiltProject.h"

#include "model/CTypeGraph.h"
#include "project/Project.h"
#include "project/ProjectFile.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace h5 {

BuiltProject::Status BuiltProject::read(const QString &projectFile, BuiltProject &out,
                                        QString *faultFile, QString *error, bool acceptOutdated)
{
    auto fail = [&](Status s, const QString &file, const QString &what) {
        if (faultFile)
            *faultFile = file;
        if (error)
            *error = what;
        return s;
    };
    if (!QFileInfo(projectFile).isFile())
        return fail(Status::Unreadable, projectFile, QStringLiteral("no such file"));
    Project project;
    QString why;
    if (!Project::open(projectFile, project, &why))
        return fail(Status::Unreadable, projectFile, why);
    ProjectFile file;
    if (!file.load(project.file, &why))
        return fail(Status::Unreadable, project.file, why);
    const QSize screen = resolutionSize(file.resolution());
    if (!screen.isValid())
        return fail(Status::Unreadable, project.file,
                    QStringLiteral("unknown resolution index %1").arg(file.resolution()));

    // Only a build newer than every page file shows the pages.
    if (file.bytes().size() <= kProjectDataOffset)
        return fail(Status::NotBuilt, project.file, QStringLiteral("工程未编译，请先编译工程"));
    const QDateTime built = QFileInfo(project.file).lastModified();
    Status status = Status::Ok;
    for (int n = 0; n < kPageSlots && status == Status::Ok; ++n) {
        const PageSlot slot = file.slot(n);
        if (!slot.used())
            continue;
        const QFileInfo page(project.pagePath(slot.pageNo()));
        if (page.exists() && page.lastModified() > built) {
            fail(Status::Outdated, page.filePath(), QStringLiteral("页面文件比工程编译新，请先编译工程"));
            if (!acceptOutdated)
                return Status::Outdated;
            status = Status::Outdated;
        }
    }

    BuiltProject result;
    if (!readProjectPages(file.bytes().mid(kProjectDataOffset), result.pages, &why))
        return fail(Status::Unreadable, project.file, why);
    QByteArray positions;
    QFile f(project.positionFilePath());
    if (f.exists()) {
        if (!f.open(QIODevice::ReadOnly))
            return fail(Status::Unreadable, f.fileName(),
                        QStringLiteral("cannot read: %1").arg(f.errorString()));
        positions = f.readAll();
    }
    result.projectFile = project.file;
    result.resolution = file.resolution();
    result.screen = screen;
    result.pictures = positionFilePictures(positions);
    out = std::move(result);
    return status;
}

} // namespace h5

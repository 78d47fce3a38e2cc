#include "terminal/BuiltProject.h"

#include "common/FileIo.h"
#include "link/DownloadInputs.h"
#include "model/CTypeGraph.h"
#include "project/Build.h"
#include "project/Project.h"

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
    const QFileInfo info(projectFile);
    if (!info.isFile())
        return fail(Status::Unreadable, projectFile, QStringLiteral("no such file"));

    // Header and slots only: never built.
    QString why;
    if (info.size() == kProjectDataOffset) {
        Project unbuilt;
        if (!Project::open(projectFile, unbuilt, &why))
            return fail(Status::Unreadable, projectFile, why);
        return fail(Status::NotBuilt, projectFile, QStringLiteral("工程未编译，请先编译工程"));
    }
    // The same whole-file check as a download makes; a size no build can
    // reach is refused before the file is read.
    if (info.size() > kMaxProjectFileBytes)
        return fail(Status::Damaged, projectFile,
                    QStringLiteral("工程文件已损坏：%1（文件长%2字节，超过终端所能容纳的%3字节）")
                        .arg(projectFile)
                        .arg(info.size())
                        .arg(kMaxProjectFileBytes));
    QByteArray data;
    if (!loadProjectData(projectFile, data, &why))
        return fail(Status::Damaged, projectFile, why);

    // The slots, from the head of the file just checked.
    QByteArray head;
    ProjectFile file;
    if (!readFileHead(projectFile, kProjectDataOffset, head, &why) || !file.fromBytes(head, &why))
        return fail(Status::Unreadable, projectFile, why);
    Project project;
    project.file = info.absoluteFilePath();
    project.dir = info.absolutePath();
    project.name = info.completeBaseName();
    project.resolution = file.resolution();
    const QSize screen = resolutionSize(project.resolution);
    if (!screen.isValid())
        return fail(Status::Unreadable, projectFile,
                    QStringLiteral("unknown resolution index %1").arg(project.resolution));

    // Outdated by content: a page file whose compiled bytes the build does
    // not hold.
    Status status = Status::Ok;
    const int changed = pageChangedSinceBuild(project, file, data);
    if (changed >= 0) {
        fail(Status::Outdated, project.pagePath(changed), QStringLiteral("页面文件比工程编译新，请先编译工程"));
        if (!acceptOutdated)
            return Status::Outdated;
        status = Status::Outdated;
    }

    // The pictures: checked whole as a download checks a picture list.
    TerminalScreen::PictureLookup pictures = positionFilePictures(QByteArray());
    const QString positions = project.positionFilePath();
    const QFileInfo positionInfo(positions);
    if (positionInfo.exists()) {
        QString damage;
        PictureListFile list;
        if (positionInfo.size() > kMaxPositionFileBytes)
            damage = QStringLiteral("图片文件已损坏：%1（文件长%2字节，超过终端600个图片块所能容纳的%3字节）")
                         .arg(positions)
                         .arg(positionInfo.size())
                         .arg(kMaxPositionFileBytes);
        else
            loadPictureList(positions, list, &damage);
        if (!damage.isEmpty()) {
            // A page saved since the build may have named pictures whose
            // pixels only the next build puts in: say that first.
            if (status == Status::Outdated)
                return status;
            return fail(Status::Damaged, positions, damage);
        }
        pictures = positionFilePictures(list.bytes);
    }

    BuiltProject result;
    if (!readProjectPages(data, result.pages, &why))
        return fail(Status::Unreadable, projectFile, why);
    result.projectFile = project.file;
    result.projectData = data;
    result.resolution = project.resolution;
    result.screen = screen;
    result.pictures = std::move(pictures);
    out = std::move(result);
    return status;
}

} // namespace h5

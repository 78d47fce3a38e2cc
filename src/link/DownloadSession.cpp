#include "link/DownloadSession.h"

#include "link/Frames.h"

namespace h5 {

DownloadSession::DownloadSession(LinkHost &host) : TransferSession(host, Variant()) {}

bool DownloadSession::start(const DownloadFiles &files, QString *error)
{
    if (error)
        error->clear();
    if (!portOpen() || !files.any())
        return false;

    Inputs in;
    in.erase = files.erase;
    if (!files.project.isEmpty()) {
        if (!loadProjectData(files.project, in.project, error))
            return false;
        in.hasProject = true;
    }
    if (!files.pictures.isEmpty()) {
        PictureListFile list;
        if (!loadPictureList(files.pictures, list, error))
            return false;
        in.hasPictures = true;
        in.pictureList = std::move(list.bytes);
        in.pictures = std::move(list.pictures);
    }
    if (!files.font.isEmpty()) {
        if (!loadFontFile(files.font, in.font, error))
            return false;
        in.hasFont = true;
    }
    begin(std::move(in));
    return true;
}

QString DownloadSession::projectProgressText(int percent) const
{
    return QStringLiteral("工程下载：%1%").arg(percent);
}

void DownloadSession::showPictureProgress()
{
    const int64_t done = currentPicture().startPage + pageCounter() + 1;
    showProgress(QStringLiteral("图片下载：%1%").arg(percent(done, totalPicturePages())), done,
                 totalPicturePages());
}

void DownloadSession::pictureHeaderSent(bool first)
{
    if (first)
        showPictureProgress();
}

void DownloadSession::picturePacketSent(bool) { showPictureProgress(); }

} // namespace h5

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
    DownloadData data;
    if (!loadDownloadFiles(files, data, error))
        return false;
    return start(data, files.erase, error);
}

bool DownloadSession::start(const DownloadData &data, bool erase, QString *error)
{
    if (error)
        error->clear();
    if (!portOpen() || !data.any())
        return false;
    if (!checkDownloadData(data, error))
        return false;
    Inputs in;
    in.erase = erase;
    in.hasProject = data.hasProject;
    in.project = data.project;
    in.hasPictures = data.hasPictures;
    in.pictureList = data.pictures.bytes;
    in.pictures = data.pictures.pictures;
    in.hasFont = data.hasFont;
    in.font = data.font;
    begin(std::move(in));
    return true;
}

QString DownloadSession::projectProgressText(int percent) const
{
    return QStringLiteral("工程下载：%1%").arg(percent);
}

void DownloadSession::showPictureProgress(const DownloadPicture &picture, int64_t packet)
{
    const int64_t done = picture.startPage + packet + 1;
    showProgress(QStringLiteral("图片下载：%1%").arg(percent(done, totalPicturePages())), done,
                 totalPicturePages());
}

void DownloadSession::pictureHeaderSent(const DownloadPicture &picture, bool first)
{
    if (first)
        showPictureProgress(picture, 0);
}

void DownloadSession::picturePacketSent(const DownloadPicture &picture, int64_t packet)
{
    showPictureProgress(picture, packet);
}

} // namespace h5

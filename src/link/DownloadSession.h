#pragma once
// The file download window's transfer: a project file, a picture list and a
// font file, each when chosen, in that order, in one download.

#include "link/DownloadInputs.h"
#include "link/TransferSession.h"

namespace h5 {

class DownloadSession : public TransferSession
{
public:
    explicit DownloadSession(LinkHost &host);

    // The download button. Does nothing (false, `error` left empty) while
    // the port is closed or when no file is chosen. Reads every chosen file
    // first: one that is missing, unreadable or damaged gives false and a
    // message in `error`, and nothing is sent or changed. Otherwise the
    // transfer restarts from the beginning: the probe goes out and the
    // first packet follows the terminal's answer.
    bool start(const DownloadFiles &files, QString *error);
    // The same with the files already read. The data is checked again
    // (checkDownloadData), so no transfer starts on damaged data.
    bool start(const DownloadData &data, bool erase, QString *error);

protected:
    QString projectProgressText(int percent) const override;
    void pictureHeaderSent(const DownloadPicture &picture, bool first) override;
    void picturePacketSent(const DownloadPicture &picture, int64_t packet) override;

private:
    // "图片下载：%d%%": the pages sent of the whole list's data area.
    void showPictureProgress(const DownloadPicture &picture, int64_t packet);
};

} // namespace h5

#pragma once
// The project management window's transfer: the open project's compiled
// data, then the pictures of its picture position file "图象位置信息.cbm".
// While it sends, the window keeps two staging files in the project folder:
// "RegistFile.wcf" (the registry image being written) and "bmpPath.wcf"
// (header and pixels of the picture being sent). Both are removed when the
// port closes, when the probe gets no answer, when the terminal's first
// reply is wrong, when a reply times out and when the session ends.

#include "link/TransferSession.h"

#include <QString>
#include <string>
#include <vector>

namespace h5 {

// One used page-table record: a row of the page list.
struct ProjectPageEntry
{
    int pageNo = 0; // shown under "起始"
    int length = 0; // flash pages, shown under "长度"
    int start = 0;  // lengths of the entries before it, added up
};

// One in-use slot of the picture position file: a row of the picture list.
struct ProjectPictureEntry
{
    int number = 0;   // shown under "编号"
    std::string path; // GBK bytes, shown under "图片名"
    int width = 0;
    int height = 0;
    QString firstBlock; // decimal text once placed, else empty
    // First data-area page of its pixels: the build wrote the pixels of the
    // slots in use, so only those count (walkDataArea's InUse rule).
    int64_t startPage = 0;
};

class SendProjectSession : public TransferSession
{
public:
    static const QString kPictureListName;   // "图象位置信息.cbm"
    static const QString kRegistryStageName; // "RegistFile.wcf"
    static const QString kPictureStageName;  // "bmpPath.wcf"

    explicit SendProjectSession(LinkHost &host);
    ~SendProjectSession() override;

    // Window start: reads the page table of `projectFile` and the picture
    // list in `projectFolder`. A missing project file gives the message
    // "工程文件丢失!", a missing picture list "图片文件丢失!"; the lists then
    // stay (partly) empty.
    void load(const QString &projectFile, const QString &projectFolder);

    const std::vector<ProjectPageEntry> &pageEntries() const { return m_pages; }
    const std::vector<ProjectPictureEntry> &pictureEntries() const { return m_pictureEntries; }

    // The "工程下发" button. Does nothing (false, `error` empty) while the
    // port is closed; with no page it shows "工程内没有画面!" (false, `error`
    // empty). Reads the project data and, when the project has pictures,
    // the picture list first: a missing, unreadable or damaged file gives
    // false, a message in `error`, and nothing is sent. `erase` is the box
    // "擦除FLASH中原有图片".
    bool start(bool erase, QString *error);

    // Whether the last start() sends the project without some or all of its
    // pictures: the picture list was missing or unreadable when the window
    // opened (pictureListProblem() says why; the project goes alone), or
    // slots in use have no size (leftOutPictures(), each reported as
    // "编号%d图片丢失。").
    bool picturesLeftOut() const { return !m_pictureListProblem.isEmpty() || !m_leftOut.empty(); }
    const QString &pictureListProblem() const { return m_pictureListProblem; }
    const std::vector<int> &leftOutPictures() const { return m_leftOut; }
    QString pictureListPath() const;

    QString registryStagePath() const;
    QString pictureStagePath() const;
    // Deletes both staging files (the window calls it when it goes away).
    void removeStagingFiles();

protected:
    QString projectProgressText(int percent) const override;
    void pictureHeaderSent(const DownloadPicture &picture, bool first) override;
    void picturePacketSent(const DownloadPicture &picture, int64_t packet) override;
    bool stagePicture(const QByteArray &record, QString *error) override;
    bool stageRegistry(const QByteArray &image, QString *error) override;
    void dropStagedPicture() override;
    void dropStagedRegistry() override;
    void picturesPlaced() override;

private:
    static Variant variant();
    // The pictures that are sent: in-use slots with a size, their data one
    // after another in the data area (walkDataArea's InUse rule).
    std::vector<DownloadPicture> sendablePictures() const;
    // Makes both staging files at the largest size the send will write
    // into them; false (both gone, the reason in `error`) when the disk
    // cannot hold them.
    bool reserveStagingFiles(const std::vector<DownloadPicture> &pictures, QString *error);

    QString m_projectFile;
    QString m_folder;
    std::vector<ProjectPageEntry> m_pages;
    std::vector<ProjectPictureEntry> m_pictureEntries;
    QString m_pictureListProblem; // the message shown when the list could not be read
    std::vector<int> m_leftOut;   // in-use pictures without pixels
};

} // namespace h5

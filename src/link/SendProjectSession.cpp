#include "link/SendProjectSession.h"

#include "common/Bytes.h"
#include "common/FileIo.h"
#include "link/DownloadInputs.h"
#include "link/Frames.h"
#include "pictures/DataAreaWalk.h"
#include "pictures/SlotArea.h"
#include "project/ProjectFile.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace h5 {

const QString SendProjectSession::kPictureListName = QStringLiteral("图象位置信息.cbm");
const QString SendProjectSession::kRegistryStageName = QStringLiteral("RegistFile.wcf");
const QString SendProjectSession::kPictureStageName = QStringLiteral("bmpPath.wcf");

TransferSession::Variant SendProjectSession::variant()
{
    Variant v;
    v.startStatesTakeConnectionReply = false;
    v.registryCheck = RegistryCheck::FirstBlockAndSize;
    v.stateAfterBrokenPicture = TransferState::LinkCheck;
    v.closePortWithoutConnection = false;
    v.discardOnOpen = false;
    return v;
}

SendProjectSession::SendProjectSession(LinkHost &host) : TransferSession(host, variant()) {}

SendProjectSession::~SendProjectSession() { removeStagingFiles(); }

QString SendProjectSession::pictureListPath() const
{
    return m_folder.isEmpty() ? QString() : QDir(m_folder).filePath(kPictureListName);
}

QString SendProjectSession::registryStagePath() const
{
    return m_folder.isEmpty() ? QString() : QDir(m_folder).filePath(kRegistryStageName);
}

QString SendProjectSession::pictureStagePath() const
{
    return m_folder.isEmpty() ? QString() : QDir(m_folder).filePath(kPictureStageName);
}

void SendProjectSession::load(const QString &projectFile, const QString &projectFolder)
{
    m_projectFile = projectFile;
    m_folder = projectFolder;
    m_pages.clear();
    m_pictureEntries.clear();
    m_pictureListProblem.clear();
    m_leftOut.clear();

    if (!QFile::exists(projectFile)) {
        host().message(QStringLiteral("工程文件丢失!"));
        return;
    }
    QByteArray head;
    QString error;
    if (!readFileHead(projectFile, kProjectDataOffset, head, &error)) {
        host().message(error);
        return;
    }
    int start = 0;
    for (int p = 0; p < kPageSlots; ++p) {
        const qsizetype at = kProjectHeaderSize + qsizetype(p) * kPageSlotSize;
        if (at + 9 > head.size())
            break;
        const int value = getLe16(head.constData() + at);
        if (value == 0)
            continue;
        const int length = getU8(head.constData() + at + 8);
        m_pages.push_back(ProjectPageEntry{value - 1, length, start});
        start += length;
    }

    const QString listPath = pictureListPath();
    if (!QFile::exists(listPath)) {
        m_pictureListProblem = QStringLiteral("图片文件丢失!");
        host().message(m_pictureListProblem);
        return;
    }
    SlotArea area;
    if (!SlotArea::load(listPath, area, &error)) {
        m_pictureListProblem = error;
        host().message(error);
        return;
    }
    const std::vector<SlotData> walk = walkDataArea(area.bytes(), DataSlots::InUse);
    for (int j = 0; j < kSlotCount; ++j) {
        const SlotRecord r = area.slot(j);
        if (r.inUse == 0)
            continue;
        m_pictureEntries.push_back(
            ProjectPictureEntry{j, r.path, r.width, r.height, QString(), walk[size_t(j)].startPage});
    }
}

std::vector<DownloadPicture> SendProjectSession::sendablePictures() const
{
    std::vector<DownloadPicture> out;
    for (const ProjectPictureEntry &e : m_pictureEntries) {
        if (e.width == 0 || e.height == 0)
            continue; // nothing to send for a picture without pixels
        DownloadPicture p;
        p.number = e.number;
        p.width = e.width;
        p.height = e.height;
        p.startPage = e.startPage;
        out.push_back(p);
    }
    return out;
}

bool SendProjectSession::start(bool erase, QString *error)
{
    if (error)
        error->clear();
    if (!portOpen())
        return false;
    if (m_pages.empty()) {
        host().stopTimer(kProbeTimer);
        host().discard();
        host().status(QStringLiteral("工程内没有画面!"));
        return false;
    }

    Inputs in;
    in.erase = erase;
    in.hasProject = true;
    if (!loadProjectData(m_projectFile, in.project, error))
        return false;
    in.pictures = sendablePictures();
    if (!in.pictures.empty()) {
        if (!loadPictureList(pictureListPath(), in.pictures, in.pictureList, error))
            return false;
        in.hasPictures = true;
    }
    m_leftOut.clear();
    for (const ProjectPictureEntry &e : m_pictureEntries)
        if (e.width == 0 || e.height == 0)
            m_leftOut.push_back(e.number);
    for (const int number : m_leftOut)
        host().status(QStringLiteral("编号%1图片丢失。").arg(number));
    // The staging files are made at their largest size before the first
    // byte goes out: a disk too full for them refuses the send now, rather
    // than after the project data has replaced the terminal's and before
    // its pictures could follow.
    if (in.hasPictures && !reserveStagingFiles(in.pictures, error))
        return false;
    for (ProjectPictureEntry &e : m_pictureEntries)
        e.firstBlock.clear();
    begin(std::move(in));
    return true;
}

bool SendProjectSession::reserveStagingFiles(const std::vector<DownloadPicture> &pictures, QString *error)
{
    int64_t largest = 0;
    for (const DownloadPicture &p : pictures)
        largest = std::max(largest, p.bytes());
    QString why;
    if (writeFileAtomically(registryStagePath(), QByteArray(kRegistryImageSize, char(0xFF)), &why)
        && writeFileAtomically(pictureStagePath(), QByteArray(qsizetype(kPictureHeaderBytes + largest), '\0'), &why))
        return true;
    removeStagingFiles();
    if (error)
        *error = QStringLiteral("暂存文件写入失败：%1").arg(why);
    return false;
}

namespace {

// Rewrites a staging file reserved by reserveStagingFiles() in place; one
// that went missing meanwhile is made anew.
bool writeStaging(const QString &path, const QByteArray &bytes, QString *error)
{
    QString why;
    const bool ok = QFile::exists(path) ? rewriteScratchFile(path, bytes, &why) : writeFileAtomically(path, bytes, &why);
    if (!ok && error)
        *error = QStringLiteral("暂存文件写入失败：%1").arg(why);
    return ok;
}

} // namespace

QString SendProjectSession::projectProgressText(int percent) const
{
    return QStringLiteral("已下载：%1%").arg(percent);
}

void SendProjectSession::pictureHeaderSent(const DownloadPicture &picture, bool)
{
    showProgress(QStringLiteral("下载编号%1图片：0%").arg(picture.number), 0, picture.pages());
}

void SendProjectSession::picturePacketSent(const DownloadPicture &picture, int64_t packet)
{
    // The picture's first packet and the later ones are worded apart.
    const QString text = packet == 0 ? QStringLiteral("下载编号%1图片：%2%") : QStringLiteral("下载编号%1幅图片：%2%");
    const int64_t done = packet + 1;
    showProgress(text.arg(picture.number).arg(percent(done, picture.pages())), done, picture.pages());
}

bool SendProjectSession::stagePicture(const QByteArray &record, QString *error)
{
    return writeStaging(pictureStagePath(), record, error);
}

bool SendProjectSession::stageRegistry(const QByteArray &image, QString *error)
{
    return writeStaging(registryStagePath(), image, error);
}

void SendProjectSession::dropStagedPicture()
{
    if (!m_folder.isEmpty())
        QFile::remove(pictureStagePath());
}

void SendProjectSession::dropStagedRegistry()
{
    if (!m_folder.isEmpty())
        QFile::remove(registryStagePath());
}

void SendProjectSession::removeStagingFiles()
{
    dropStagedPicture();
    dropStagedRegistry();
}

void SendProjectSession::picturesPlaced()
{
    for (const DownloadPicture &p : transferPictures())
        for (ProjectPictureEntry &e : m_pictureEntries)
            if (e.number == p.number)
                e.firstBlock = p.firstBlockText();
}

} // namespace h5

#include "link/DownloadInputs.h"

#include "common/Bytes.h"
#include "common/FileIo.h"
#include "link/Frames.h"
#include "model/CTypeGraph.h"
#include "project/Encoding.h"
#include "project/ProjectData.h"
#include "project/ProjectFile.h"

namespace h5 {

namespace {

const QString kProjectKind = QStringLiteral("工程文件");
const QString kPicturesKind = QStringLiteral("图片文件");
const QString kFontKind = QStringLiteral("字库文件");

bool refuse(QString *why, const QString &text)
{
    if (why)
        *why = text;
    return false;
}

// What is wrong with the segment at `at`, for a message; `base` is added to
// the offsets so they count from the start of the file.
QString segmentFaultText(SegmentFault fault, const QByteArray &data, qint64 at, qint64 base, const QString &kind)
{
    const qint64 where = base + at;
    switch (fault) {
    case SegmentFault::CutShort:
        return QStringLiteral("第%1字节处的%2段头不完整，文件在段头中间结束").arg(where).arg(kind);
    case SegmentFault::NotAHeader:
        return QStringLiteral("第%1字节处不是%2段头").arg(where).arg(kind);
    case SegmentFault::NoPages:
        return QStringLiteral("第%1字节处的%2段头不带任何数据页").arg(where).arg(kind);
    case SegmentFault::TooManyPages:
        return QStringLiteral("第%1字节处的%2段头页数超过255").arg(where).arg(kind);
    case SegmentFault::PastEnd:
    case SegmentFault::None:
        break;
    }
    const qint64 left = (data.size() - at) / kFlashPage;
    return QStringLiteral("第%1字节处的%2段头声明的数据页比文件剩下的多（文件只剩%3页）")
        .arg(where)
        .arg(kind)
        .arg(left);
}

bool checkProjectDataAt(const QByteArray &data, qint64 base, QString *why)
{
    using Fault = ProjectDataLayout::Fault;
    const ProjectDataLayout layout = readProjectData(data, SegmentReading::Strict);
    switch (layout.fault) {
    case Fault::None:
        return true;
    case Fault::Empty:
    case Fault::TooShort:
        return refuse(why, QStringLiteral("%1字节，不足%2字节，没有编译好的工程数据")
                               .arg(base + data.size())
                               .arg(base + kFirstSegmentAt));
    case Fault::NoHeader:
        return refuse(why, QStringLiteral("第%1字节处不是工程头%2")
                               .arg(base)
                               .arg(QString::fromLatin1(projectHeader().toHex(' ').toUpper())));
    case Fault::NoSegments:
        return refuse(why, QStringLiteral("工程数据里没有任何画面段"));
    case Fault::BadSegment:
        break;
    }
    return refuse(why, segmentFaultText(layout.segmentFault, data, layout.faultAt, base, QStringLiteral("画面")));
}

bool readInput(const QString &kind, const QString &path, QByteArray &out, QString *error)
{
    QString why;
    if (readWholeFile(path, out, &why))
        return true;
    return refuse(error, QStringLiteral("%1无法读取：%2").arg(kind, why));
}

bool damaged(const QString &kind, const QString &path, const QString &why, QString *error)
{
    return refuse(error, QStringLiteral("%1已损坏：%2（%3）").arg(kind, path, why));
}

} // namespace

// ---- checks ----------------------------------------------------------------

bool checkProjectFile(const QByteArray &file, QString *why)
{
    if (file.size() < kProjectDataOffset)
        return refuse(why, QStringLiteral("%1字节，不足%2字节的文件头和画面表")
                               .arg(file.size())
                               .arg(kProjectDataOffset));
    const int resolution = getU8(file.constData() + 4);
    if (resolution >= kResolutionCount)
        return refuse(why, QStringLiteral("分辨率编号%1不在0到%2之间").arg(resolution).arg(kResolutionCount - 1));
    // Not a copy: the project data is only read through `data`.
    const QByteArray data =
        QByteArray::fromRawData(file.constData() + kProjectDataOffset, file.size() - kProjectDataOffset);
    return checkProjectDataAt(data, kProjectDataOffset, why);
}

bool checkProjectData(const QByteArray &data, QString *why)
{
    return checkProjectDataAt(data, 0, why);
}

bool checkFontData(const QByteArray &font, QString *why)
{
    if (font.isEmpty())
        return refuse(why, QStringLiteral("文件是空的"));
    qint64 at = 0;
    while (at < font.size()) {
        SegmentHeader h;
        const SegmentFault fault = readFontSegment(font, at, h);
        if (fault != SegmentFault::None)
            return refuse(why, segmentFaultText(fault, font, at, 0, QStringLiteral("字库")));
        at += h.size + qint64(h.pages) * kFlashPage;
    }
    return true;
}

bool checkPictureList(const QByteArray &list, const std::vector<DownloadPicture> &pictures, QString *why)
{
    if (list.size() < kSlotAreaSize)
        return refuse(why, QStringLiteral("%1字节，不足%2字节的图片记录区").arg(list.size()).arg(kSlotAreaSize));
    for (const DownloadPicture &p : pictures) {
        if (p.startPage < 0 || p.dataOffset() + p.bytes() > list.size())
            return refuse(why, QStringLiteral("图片数据不全，编号%1图片的数据不在文件里").arg(p.number));
    }
    return true;
}

// ---- files -----------------------------------------------------------------

bool loadProjectData(const QString &path, QByteArray &data, QString *error)
{
    QByteArray file;
    if (!readInput(kProjectKind, path, file, error))
        return false;
    QString why;
    if (!checkProjectFile(file, &why))
        return damaged(kProjectKind, path, why, error);
    data = file.mid(kProjectDataOffset);
    return true;
}

bool loadPictureList(const QString &path, const std::vector<DownloadPicture> &pictures, QByteArray &bytes,
                     QString *error)
{
    QByteArray file;
    if (!readInput(kPicturesKind, path, file, error))
        return false;
    QString why;
    if (!checkPictureList(file, pictures, &why))
        return damaged(kPicturesKind, path, why, error);
    bytes = std::move(file);
    return true;
}

bool loadPictureList(const QString &path, PictureListFile &out, QString *error)
{
    QByteArray file;
    if (!readInput(kPicturesKind, path, file, error))
        return false;
    PictureListFile list;
    list.pictures = readDownloadPictures(file);
    QString why;
    if (!checkPictureList(file, list.pictures, &why))
        return damaged(kPicturesKind, path, why, error);
    list.bytes = std::move(file);
    out = std::move(list);
    return true;
}

bool loadFontFile(const QString &path, QByteArray &data, QString *error)
{
    QByteArray file;
    if (!readInput(kFontKind, path, file, error))
        return false;
    QString why;
    if (!checkFontData(file, &why))
        return damaged(kFontKind, path, why, error);
    data = std::move(file);
    return true;
}

bool loadDownloadFiles(const DownloadFiles &files, DownloadData &out, QString *error)
{
    DownloadData data;
    if (!files.project.isEmpty()) {
        if (!loadProjectData(files.project, data.project, error))
            return false;
        data.hasProject = true;
    }
    if (!files.pictures.isEmpty()) {
        if (!loadPictureList(files.pictures, data.pictures, error))
            return false;
        data.hasPictures = true;
    }
    if (!files.font.isEmpty()) {
        if (!loadFontFile(files.font, data.font, error))
            return false;
        data.hasFont = true;
    }
    out = std::move(data);
    return true;
}

bool checkDownloadData(const DownloadData &data, QString *error)
{
    QString why;
    if (data.hasProject && !checkProjectData(data.project, &why))
        return refuse(error, QStringLiteral("工程数据已损坏（%1）").arg(why));
    if (data.hasPictures && !checkPictureList(data.pictures.bytes, data.pictures.pictures, &why))
        return refuse(error, QStringLiteral("图片数据已损坏（%1）").arg(why));
    if (data.hasFont && !checkFontData(data.font, &why))
        return refuse(error, QStringLiteral("字库数据已损坏（%1）").arg(why));
    return true;
}

} // namespace h5

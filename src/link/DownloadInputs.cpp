#include "link/DownloadInputs.h"

#include "common/FileIo.h"
#include "link/Frames.h"
#include "project/ProjectFile.h"

namespace h5 {

namespace {

bool readInput(const QString &kind, const QString &path, QByteArray &out, QString *error)
{
    QString why;
    if (readWholeFile(path, out, &why))
        return true;
    if (error)
        *error = QStringLiteral("%1无法读取：%2").arg(kind, why);
    return false;
}

bool damaged(const QString &kind, const QString &path, const QString &why, QString *error)
{
    if (error)
        *error = QStringLiteral("%1已损坏：%2（%3）").arg(kind, path, why);
    return false;
}

} // namespace

bool loadProjectData(const QString &path, QByteArray &data, QString *error)
{
    const QString kind = QStringLiteral("工程文件");
    QByteArray file;
    if (!readInput(kind, path, file, error))
        return false;
    constexpr qint64 kLeast = kProjectDataOffset + kProjectHeaderBytes + kPageIndexBytes;
    if (file.size() < kLeast)
        return damaged(kind, path,
                       QStringLiteral("%1字节，不足%2字节，没有编译好的工程数据").arg(file.size()).arg(kLeast),
                       error);
    data = file.mid(kProjectDataOffset);
    return true;
}

bool readPictureListFile(const QString &path, QByteArray &bytes, QString *error)
{
    const QString kind = QStringLiteral("图片文件");
    QByteArray file;
    if (!readInput(kind, path, file, error))
        return false;
    if (file.size() < kSlotAreaSize)
        return damaged(kind, path,
                       QStringLiteral("%1字节，不足%2字节的图片记录区").arg(file.size()).arg(kSlotAreaSize),
                       error);
    bytes = std::move(file);
    return true;
}

QString pictureDataMissing(const QString &path)
{
    QString text;
    damaged(QStringLiteral("图片文件"), path, QStringLiteral("图片数据不全"), &text);
    return text;
}

bool loadPictureList(const QString &path, PictureListFile &out, QString *error)
{
    PictureListFile list;
    if (!readPictureListFile(path, list.bytes, error))
        return false;
    list.pictures = readDownloadPictures(list.bytes);
    if (!dataAreaHoldsPictures(list.bytes.size(), list.pictures)) {
        if (error)
            *error = pictureDataMissing(path);
        return false;
    }
    out = std::move(list);
    return true;
}

bool loadFontFile(const QString &path, QByteArray &data, QString *error)
{
    const QString kind = QStringLiteral("字库文件");
    QByteArray file;
    if (!readInput(kind, path, file, error))
        return false;
    if (file.size() < kFontSegmentHeader)
        return damaged(kind, path, QStringLiteral("%1字节，不足一个段头").arg(file.size()), error);
    data = std::move(file);
    return true;
}

} // namespace h5

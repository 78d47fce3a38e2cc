#include "project/ProjectFile.h"

#include "common/Bytes.h"
#include "common/FileIo.h"

namespace h5 {

QByteArray ProjectFile::newFile(int resolutionIndex)
{
    QByteArray data(kProjectDataOffset, '\0');
    data[4] = char(resolutionIndex & 0xFF);
    data[5] = char(0x0A);
    return data;
}

bool ProjectFile::fromBytes(const QByteArray &data, QString *error)
{
    if (data.size() < kProjectDataOffset) {
        if (error)
            *error = QStringLiteral("不是工程文件：文件长%1字节，工程文件至少有%2字节")
                         .arg(data.size())
                         .arg(kProjectDataOffset);
        return false;
    }
    m_bytes = data;
    return true;
}

bool ProjectFile::load(const QString &path, QString *error)
{
    QByteArray data;
    return readWholeFile(path, data, error) && fromFileBytes(path, data, error);
}

bool ProjectFile::loadHead(const QString &path, QString *error)
{
    QByteArray data;
    return readFileHead(path, kProjectDataOffset, data, error) && fromFileBytes(path, data, error);
}

bool ProjectFile::fromFileBytes(const QString &path, const QByteArray &data, QString *error)
{
    QString why;
    if (!fromBytes(data, &why)) {
        if (error)
            *error = QStringLiteral("%1：%2").arg(path, why);
        return false;
    }
    return true;
}

bool ProjectFile::save(const QString &path, QString *error) const
{
    return writeFileAtomically(path, m_bytes, error);
}

PageSlot ProjectFile::slot(int n) const
{
    const char *p = m_bytes.constData() + kProjectHeaderSize + n * kPageSlotSize;
    return PageSlot{getLe16(p), getU8(p + 8)};
}

void ProjectFile::setSlot(int n, int length)
{
    char *p = m_bytes.data() + kProjectHeaderSize + n * kPageSlotSize;
    std::fill(p, p + kPageSlotSize, '\0');
    putLe16(p, uint32_t(n + 1));
    putU8(p + 8, uint32_t(length));
}

void ProjectFile::setSlotLength(int n, int length)
{
    putU8(m_bytes.data() + kProjectHeaderSize + n * kPageSlotSize + 8, uint32_t(length));
}

void ProjectFile::clearSlot(int n)
{
    char *p = m_bytes.data() + kProjectHeaderSize + n * kPageSlotSize;
    std::fill(p, p + kPageSlotSize, '\0');
}

int ProjectFile::firstFreeSlot() const
{
    for (int n = 0; n < kPageSlots; ++n) {
        const char *p = m_bytes.constData() + kProjectHeaderSize + n * kPageSlotSize;
        if (p[0] == 0 && p[1] == 0)
            return n;
    }
    return -1;
}

} // namespace h5

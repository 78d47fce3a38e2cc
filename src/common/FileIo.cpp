#include "common/FileIo.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cstring>

namespace h5 {

bool readWholeFile(const QString &path, QByteArray &out, QString *error, qint64 maxBytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    const qint64 size = file.size();
    if (size > maxBytes) {
        if (error)
            *error = QStringLiteral("%1: file too large (%2 bytes)").arg(path).arg(size);
        return false;
    }
    out = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

bool writeFileAtomically(const QString &path, const QByteArray &data, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    if (file.write(data) != data.size()) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

bool replaceFileIfChanged(const QString &path, const QByteArray &data, QString *error)
{
    QFile file(path);
    if (file.size() == data.size() && file.open(QIODevice::ReadOnly)) {
        // Compare in slices so a large file is never held twice in memory.
        constexpr qint64 kSlice = 1 << 20;
        bool same = true;
        for (qint64 at = 0; same && at < data.size(); at += kSlice) {
            const QByteArray part = file.read(kSlice);
            same = part.size() == std::min<qint64>(kSlice, data.size() - at)
                && std::memcmp(part.constData(), data.constData() + at, size_t(part.size())) == 0;
        }
        file.close();
        if (same)
            return true;
    }
    return writeFileAtomically(path, data, error);
}

bool readFileHead(const QString &path, qint64 maxBytes, QByteArray &out, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    out = file.read(maxBytes);
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace h5

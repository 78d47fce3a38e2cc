#pragma once
// Scratch files for the fuzz targets whose readers take a path: one folder
// per process, in memory (/dev/shm) where the system has it, so the many
// small writes and syncs of a run cost no disk.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstdlib>

namespace h5fuzz {

inline QTemporaryDir &scratchDir()
{
    static QTemporaryDir dir((QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                                        : QDir::tempPath())
                             + QStringLiteral("/h5fuzz-XXXXXX"));
    if (!dir.isValid())
        std::abort();
    return dir;
}

inline QString scratchPath(const QString &name) { return scratchDir().filePath(name); }

// Writes `bytes` as the whole file; aborts when that fails, since the
// property checks would then test nothing.
inline void writeScratch(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size()
        || !f.flush())
        std::abort();
}

inline QByteArray readScratch(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace h5fuzz

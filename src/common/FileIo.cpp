#include "common/FileIo.h"

#include "common/BigBuffer.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <set>

namespace h5 {

namespace {

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

} // namespace

bool readWholeFile(const QString &path, QByteArray &out, QString *error, qint64 maxBytes)
{
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, fileio::fileFailure(path, file));
        return false;
    }
    const qint64 size = file.size();
    if (size > maxBytes) {
        setError(error, QStringLiteral("%1：文件过大（%2字节）").arg(path).arg(size));
        return false;
    }
    errno = 0;
    out = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        setError(error, fileio::fileFailure(path, file));
        return false;
    }
    return true;
}

bool writeFileAtomically(const QString &path, const QByteArray &data, QString *error)
{
    StagedFiles files;
    return files.stage(path, data, error) && files.commit(error);
}

bool fileHolds(const QString &path, const QByteArray &data)
{
    return fileHoldsParts(path, FileParts{QByteArrayView(data)});
}

qint64 partsSize(const FileParts &parts)
{
    qint64 size = 0;
    for (const QByteArrayView part : parts)
        size += part.size();
    return size;
}

bool fileHoldsParts(const QString &path, const FileParts &parts)
{
    const qint64 size = partsSize(parts);
    QFile file(path);
    if (file.size() != size || !file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return false;
    // Compare in slices read into one buffer, so a large file is never held
    // twice in memory; the buffer is no larger than the file, and a large
    // one is taken at once (a huge page) rather than faulted in page by page.
    constexpr qint64 kSlice = qint64(2) << 20;
    constexpr qint64 kSmall = qint64(256) << 10;
    const qint64 slice = std::min(kSlice, size);
    QByteArray small;
    BigBuffer big;
    char *buffer = nullptr;
    if (slice > kSmall) {
        big = BigBuffer(qsizetype(slice));
        buffer = big.data();
    }
    if (!buffer) {
        small = QByteArray(qsizetype(std::min(slice, kSmall)), Qt::Uninitialized);
        buffer = small.data();
    }
    const qint64 bufferSize = big.isNull() ? small.size() : big.size();
    // The file is read a whole buffer at a time, whatever the pieces: many
    // small pieces cost one read, not one each.
    std::size_t piece = 0;
    qint64 inPiece = 0;
    for (qint64 left = size; left > 0;) {
        const qint64 n = std::min(bufferSize, left);
        if (file.read(buffer, n) != n)
            return false;
        for (qint64 at = 0; at < n;) {
            while (inPiece == parts[piece].size()) {
                ++piece;
                inPiece = 0;
            }
            const qint64 take = std::min(n - at, parts[piece].size() - inPiece);
            if (std::memcmp(buffer + at, parts[piece].data() + inPiece, size_t(take)) != 0)
                return false;
            at += take;
            inPiece += take;
        }
        left -= n;
    }
    return true;
}

bool replaceFileIfChanged(const QString &path, const QByteArray &data, QString *error)
{
    if (fileHolds(path, data))
        return true;
    return writeFileAtomically(path, data, error);
}

bool readFileHead(const QString &path, qint64 maxBytes, QByteArray &out, QString *error)
{
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, fileio::fileFailure(path, file));
        return false;
    }
    errno = 0;
    out = file.read(maxBytes);
    if (file.error() != QFileDevice::NoError) {
        setError(error, fileio::fileFailure(path, file));
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------

StagedFiles::~StagedFiles()
{
    discard();
}

void StagedFiles::dropStaged(const QString &path)
{
    for (auto it = m_files.begin(); it != m_files.end(); ++it) {
        if (it->target == path) {
            fileio::removeFile(it->temporary);
            m_files.erase(it);
            break;
        }
    }
}

bool StagedFiles::stage(const QString &path, const QByteArray &data, QString *error)
{
    return stageParts(path, FileParts{QByteArrayView(data)}, error);
}

bool StagedFiles::stageParts(const QString &path, const FileParts &parts, QString *error)
{
    // A second stage of the same target replaces the first.
    dropStaged(path);
    const QString temporary = fileio::writeTemporary(path, parts, error);
    if (temporary.isEmpty())
        return false;
    m_files.push_back({path, temporary});
    return true;
}

bool StagedFiles::stageIfChanged(const QString &path, const QByteArray &data, QString *error)
{
    return stagePartsIfChanged(path, FileParts{QByteArrayView(data)}, error);
}

bool StagedFiles::stagePartsIfChanged(const QString &path, const FileParts &parts, QString *error)
{
    if (fileHoldsParts(path, parts)) {
        // Drop an earlier staging of other content for the same target.
        dropStaged(path);
        return true;
    }
    return stageParts(path, parts, error);
}

bool StagedFiles::commit(QString *error)
{
    // Keep the old content of every target under a second name (a hard
    // link costs no space), so a failed rename can be undone.
    std::vector<QString> backups(m_files.size());
    for (std::size_t i = 0; i < m_files.size(); ++i) {
        const QString &target = m_files[i].target;
        if (!QFileInfo::exists(target))
            continue;
        const QString name = m_files[i].temporary + QStringLiteral(".old");
        fileio::removeFile(name);
        if (fileio::keepAs(target, name))
            backups[i] = name;
    }
    auto dropBackups = [&]() {
        for (const QString &b : backups)
            if (!b.isEmpty())
                fileio::removeFile(b);
    };

    for (std::size_t i = 0; i < m_files.size(); ++i) {
        if (fileio::replaceWith(m_files[i].temporary, m_files[i].target, error))
            continue;
        // Put back what was replaced; a target that did not exist goes.
        for (std::size_t k = 0; k < i; ++k) {
            if (!backups[k].isEmpty())
                fileio::restore(backups[k], m_files[k].target);
            else
                fileio::removeFile(m_files[k].target);
            backups[k].clear();
        }
        dropBackups();
        m_files.erase(m_files.begin(), m_files.begin() + qsizetype(i) + 1);
        discard();
        return false;
    }
    dropBackups();

    removeStaleTemporaries();

    bool ok = true;
    for (const Staged &f : m_files) {
        if (!fileio::syncFolderOf(f.target, error))
            ok = false;
    }
    m_files.clear();
    return ok;
}

void StagedFiles::removeStaleTemporaries() const
{
    // A run killed while staging leaves its hidden temporary files behind
    // (".NAME.XXXXXX", and ".NAME.XXXXXX.old" while renaming). They are
    // never read, but a picture position file's can be large: the next
    // successful replacement of NAME removes those older than an hour (a
    // younger one may belong to a run still going on).
    std::map<QString, std::set<QString>> names; // folder -> target names
    for (const Staged &f : m_files) {
        const QFileInfo info(f.target);
        names[info.absolutePath()].insert(info.fileName());
    }
    const QDateTime limit = QDateTime::currentDateTimeUtc().addSecs(-3600);
    for (const auto &[folder, targets] : names) {
        const QFileInfoList hidden =
            QDir(folder).entryInfoList({QStringLiteral(".*")}, QDir::Files | QDir::Hidden);
        for (const QFileInfo &file : hidden) {
            QString name = file.fileName();
            if (name.endsWith(QLatin1String(".old")))
                name.chop(4);
            // "." + target + "." + six characters
            if (name.size() < 9 || name.at(name.size() - 7) != QLatin1Char('.'))
                continue;
            if (!targets.count(name.mid(1, name.size() - 8)))
                continue;
            if (file.lastModified().toUTC() < limit)
                QFile::remove(file.absoluteFilePath());
        }
    }
}

void StagedFiles::discard()
{
    for (const Staged &f : m_files)
        fileio::removeFile(f.temporary);
    m_files.clear();
}

} // namespace h5

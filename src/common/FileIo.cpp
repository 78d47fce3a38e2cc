#include "common/FileIo.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <set>

#include <ctime>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace h5 {

namespace {

// The reason in Chinese for the windows, with the system's own words after
// it for scripts and searches.
QString systemReason(int code)
{
    const char *chinese = nullptr;
    switch (code) {
    case ENOSPC: chinese = "磁盘空间不足"; break;
    case EDQUOT: chinese = "超出磁盘配额"; break;
    case EFBIG: chinese = "文件过大"; break;
    case EACCES:
    case EPERM: chinese = "没有访问权限"; break;
    case ENOENT: chinese = "文件或文件夹不存在"; break;
    case EROFS: chinese = "只读的文件系统"; break;
    case EISDIR: chinese = "这是一个文件夹"; break;
    case ENOTDIR: chinese = "路径中有一项不是文件夹"; break;
    case EEXIST: chinese = "已经存在"; break;
    case ENAMETOOLONG: chinese = "文件名过长"; break;
    case EIO: chinese = "读写错误"; break;
    case EMFILE:
    case ENFILE: chinese = "打开的文件过多"; break;
    case EBUSY: chinese = "设备或资源忙"; break;
    default: break;
    }
    const QString system = QString::fromLocal8Bit(std::strerror(code));
    return chinese ? QStringLiteral("%1（%2）").arg(QString::fromUtf8(chinese), system) : system;
}

QString failure(const QString &path, int code)
{
    return QStringLiteral("%1：%2").arg(path, systemReason(code));
}

// A QFile that failed: the system's error number when it left one,
// otherwise Qt's text.
QString fileFailure(const QString &path, const QFile &file, int code)
{
    return code != 0 ? failure(path, code) : QStringLiteral("%1：%2").arg(path, file.errorString());
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

// The permissions a new file gets from open(): 0666 less the umask.
mode_t newFileMode()
{
    static const mode_t mode = [] {
        const mode_t mask = ::umask(022);
        ::umask(mask);
        return mode_t(0666 & ~mask);
    }();
    return mode;
}

bool writeAll(int fd, const char *data, qint64 size, int &code)
{
    while (size > 0) {
        const ssize_t chunk = std::min<qint64>(size, qint64(1) << 30);
        const ssize_t n = ::write(fd, data, size_t(chunk));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            code = errno;
            return false;
        }
        if (n == 0) { // no progress and no reason: treat as a full device
            code = ENOSPC;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

// Syncs the folder that holds `path`, so a rename survives a power cut.
// File systems that cannot sync a folder (EINVAL) are not an error.
bool syncFolderOf(const QByteArray &path, int &code)
{
    const int slash = path.lastIndexOf('/');
    const QByteArray dir = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
    const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return true; // the folder cannot be opened for reading; the rename stands
    bool ok = true;
    if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS) {
        code = errno;
        ok = false;
    }
    ::close(fd);
    return ok;
}

// Writes `data` into a new temporary file beside `target`, synced and
// closed, with the permissions the target has (or a new file would get).
// Returns the temporary's name, or an empty string with `error` set.
QString writeTemporary(const QString &target, const FileParts &parts, QString *error)
{
    const QByteArray native = QFile::encodeName(target);
    struct stat old {};
    const bool exists = ::stat(native.constData(), &old) == 0;
    mode_t mode = newFileMode();
    if (exists) {
        if (!S_ISREG(old.st_mode)) {
            setError(error, failure(target, EISDIR));
            return {};
        }
        // A read-only file is not replaced behind the user's back, even
        // where the folder would allow the rename (and even for root).
        if ((old.st_mode & 0222) == 0 || ::access(native.constData(), W_OK) != 0) {
            setError(error, failure(target, EACCES));
            return {};
        }
        mode = old.st_mode & 07777;
    }

    QByteArray pattern = native;
    const int slash = pattern.lastIndexOf('/');
    pattern.insert(slash + 1, '.');
    pattern.append(".XXXXXX");
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) {
        setError(error, failure(target, errno));
        return {};
    }
    int code = 0;
    bool ok = true;
    for (const QByteArrayView part : parts) {
        if (!(ok = writeAll(fd, part.data(), part.size(), code)))
            break;
    }
    if (ok && ::fchmod(fd, mode) != 0) {
        code = errno;
        ok = false;
    }
    if (ok && ::fsync(fd) != 0) {
        code = errno;
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        code = errno;
        ok = false;
    }
    if (!ok) {
        ::unlink(pattern.constData());
        setError(error, failure(target, code));
        return {};
    }
    return QFile::decodeName(pattern);
}

bool renameInto(const QString &temporary, const QString &target, QString *error)
{
    const QByteArray from = QFile::encodeName(temporary);
    const QByteArray to = QFile::encodeName(target);
    if (::rename(from.constData(), to.constData()) != 0) {
        const int code = errno;
        ::unlink(from.constData());
        setError(error, failure(target, code));
        return false;
    }
    return true;
}

} // namespace

bool readWholeFile(const QString &path, QByteArray &out, QString *error, qint64 maxBytes)
{
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, fileFailure(path, file, errno));
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
        setError(error, fileFailure(path, file, errno));
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
    QFile file(path);
    if (file.size() != partsSize(parts) || !file.open(QIODevice::ReadOnly))
        return false;
    // Compare in slices read into one buffer, so a large file is never held
    // twice in memory.
    constexpr qint64 kSlice = 1 << 20;
    QByteArray buffer(kSlice, Qt::Uninitialized);
    for (const QByteArrayView part : parts) {
        for (qint64 at = 0; at < part.size(); at += kSlice) {
            const qint64 n = std::min<qint64>(kSlice, part.size() - at);
            if (file.read(buffer.data(), n) != n
                || std::memcmp(buffer.constData(), part.data() + at, size_t(n)) != 0)
                return false;
        }
    }
    return true;
}

bool replaceFileIfChanged(const QString &path, const QByteArray &data, QString *error)
{
    if (fileHolds(path, data))
        return true;
    return writeFileAtomically(path, data, error);
}

bool rewriteScratchFile(const QString &path, const QByteArray &data, QString *error)
{
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        setError(error, failure(path, errno));
        return false;
    }
    int code = 0;
    bool ok = writeAll(fd, data.constData(), data.size(), code);
    if (ok && ::ftruncate(fd, off_t(data.size())) != 0) {
        code = errno;
        ok = false;
    }
    if (ok && ::fsync(fd) != 0) {
        code = errno;
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        code = errno;
        ok = false;
    }
    if (!ok)
        setError(error, failure(path, code));
    return ok;
}

bool readFileHead(const QString &path, qint64 maxBytes, QByteArray &out, QString *error)
{
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, fileFailure(path, file, errno));
        return false;
    }
    errno = 0;
    out = file.read(maxBytes);
    if (file.error() != QFileDevice::NoError) {
        setError(error, fileFailure(path, file, errno));
        return false;
    }
    return true;
}

FileStamp FileStamp::of(const QString &path)
{
    FileStamp stamp;
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return stamp;
    stamp.exists = true;
    stamp.size = qint64(st.st_size);
    stamp.modified = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.changed = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    stamp.device = quint64(st.st_dev);
    stamp.inode = quint64(st.st_ino);
    // File times advance in clock ticks, and some file systems keep them
    // in whole seconds: a write within two seconds of this look might
    // leave the same times behind.
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const qint64 nowNs = qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
    constexpr qint64 kMargin = qint64(2) * 1000000000;
    stamp.settled = std::max(stamp.modified, stamp.changed) + kMargin < nowNs;
    return stamp;
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
            ::unlink(QFile::encodeName(it->temporary).constData());
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
    const QString temporary = writeTemporary(path, parts, error);
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
        const QByteArray target = QFile::encodeName(m_files[i].target);
        if (::access(target.constData(), F_OK) != 0)
            continue;
        QByteArray name = QFile::encodeName(m_files[i].temporary) + ".old";
        ::unlink(name.constData());
        if (::link(target.constData(), name.constData()) == 0)
            backups[i] = QFile::decodeName(name);
    }
    auto dropBackups = [&]() {
        for (const QString &b : backups)
            if (!b.isEmpty())
                ::unlink(QFile::encodeName(b).constData());
    };

    for (std::size_t i = 0; i < m_files.size(); ++i) {
        if (renameInto(m_files[i].temporary, m_files[i].target, error))
            continue;
        // Put back what was replaced; a target that did not exist goes.
        for (std::size_t k = 0; k < i; ++k) {
            const QByteArray target = QFile::encodeName(m_files[k].target);
            if (!backups[k].isEmpty())
                ::rename(QFile::encodeName(backups[k]).constData(), target.constData());
            else
                ::unlink(target.constData());
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
    int code = 0;
    QString folderFailed;
    for (const Staged &f : m_files) {
        if (!syncFolderOf(QFile::encodeName(f.target), code)) {
            ok = false;
            folderFailed = f.target;
        }
    }
    m_files.clear();
    if (!ok)
        setError(error, failure(folderFailed, code));
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
        ::unlink(QFile::encodeName(f.temporary).constData());
    m_files.clear();
}

} // namespace h5

// The POSIX part of the file helpers: temporaries made with mkostemp,
// fsync'd before they are renamed over their targets, hard-linked backups
// for undoing a commit, and a sync of the folder after the renames.

#include "common/FileIo.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

#include <climits>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
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

// Writes the pieces one after another with as few calls as the system
// allows (writev takes up to IOV_MAX pieces at once): a project file made
// of hundreds of small pieces costs a few calls, not hundreds. A call that
// writes less than it was given (a signal, the system's limit of about
// 2 GB a call) goes on from where it stopped.
bool writeAllParts(int fd, const FileParts &parts, int &code)
{
    std::vector<iovec> pieces;
    pieces.reserve(parts.size());
    for (const QByteArrayView part : parts) {
        if (!part.isEmpty())
            pieces.push_back({const_cast<char *>(part.data()), size_t(part.size())});
    }
    std::size_t at = 0;
    while (at < pieces.size()) {
#ifdef IOV_MAX
        constexpr std::size_t kMostPieces = IOV_MAX;
#else
        constexpr std::size_t kMostPieces = 16; // the least POSIX allows
#endif
        const int count = int(std::min<std::size_t>(pieces.size() - at, kMostPieces));
        const ssize_t n = ::writev(fd, pieces.data() + at, count);
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
        // Step past what was written; a piece written in part goes on
        // from where the write stopped.
        std::size_t done = std::size_t(n);
        while (at < pieces.size() && done >= pieces[at].iov_len) {
            done -= pieces[at].iov_len;
            ++at;
        }
        if (done > 0) {
            pieces[at].iov_base = static_cast<char *>(pieces[at].iov_base) + done;
            pieces[at].iov_len -= done;
        }
    }
    return true;
}

} // namespace

namespace fileio {

QString failure(const QString &path, int code)
{
    return QStringLiteral("%1：%2").arg(path, systemReason(code));
}

QString fileFailure(const QString &path, const QFileDevice &file)
{
    const int code = errno;
    return code != 0 ? failure(path, code) : QStringLiteral("%1：%2").arg(path, file.errorString());
}

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
    bool ok = writeAllParts(fd, parts, code);
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

bool replaceWith(const QString &temporary, const QString &target, QString *error)
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

bool keepAs(const QString &target, const QString &backup)
{
    return ::link(QFile::encodeName(target).constData(), QFile::encodeName(backup).constData()) == 0;
}

void restore(const QString &backup, const QString &target)
{
    ::rename(QFile::encodeName(backup).constData(), QFile::encodeName(target).constData());
}

bool removeFile(const QString &path)
{
    return ::unlink(QFile::encodeName(path).constData()) == 0;
}

// File systems that cannot sync a folder (EINVAL) are not an error.
bool syncFolderOf(const QString &path, QString *error)
{
    const QByteArray native = QFile::encodeName(path);
    const int slash = native.lastIndexOf('/');
    const QByteArray dir = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : native.left(slash);
    const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return true; // the folder cannot be opened for reading; the rename stands
    bool ok = true;
    if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS) {
        setError(error, failure(path, errno));
        ok = false;
    }
    ::close(fd);
    return ok;
}

} // namespace fileio

bool rewriteScratchFile(const QString &path, const QByteArray &data, QString *error)
{
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        setError(error, fileio::failure(path, errno));
        return false;
    }
    int code = 0;
    bool ok = writeAllParts(fd, FileParts{QByteArrayView(data)}, code);
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
        setError(error, fileio::failure(path, code));
    return ok;
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

} // namespace h5

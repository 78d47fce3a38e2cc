// The Windows part of the file helpers, with the same promises as on Unix:
// the new content goes to a temporary file beside the target (CreateFileW),
// every write, the flush to the disk (FlushFileBuffers) and the close are
// checked, and only then does it replace the target (MoveFileExW with
// MOVEFILE_REPLACE_EXISTING and MOVEFILE_WRITE_THROUGH, which returns once
// the rename is on the disk). A read-only target is refused. Failures carry
// the reason in Chinese and the system's own words (FormatMessageW, in
// Chinese where the system has them).
//
// Paths go to the wide-character calls as they are (Chinese names, spaces);
// long ones take the \\?\ form, which is not limited to MAX_PATH.
//
// Windows has no file-size limit of its own (Unix's ulimit -f). The
// environment variable H5_FILE_SIZE_LIMIT (bytes) sets one for the files
// written here: a write past it fails as on a full disk, so a full disk can
// be tried where none can be made (under Wine, say).

#include "common/FileIo.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <string>

#include <windows.h>

#ifndef ERROR_DIRECTORY_NOT_SUPPORTED
#define ERROR_DIRECTORY_NOT_SUPPORTED 336L
#endif
#ifndef ERROR_DISK_QUOTA_EXCEEDED
#define ERROR_DISK_QUOTA_EXCEEDED 1295L
#endif

namespace h5 {

namespace {

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

const char *chineseReason(DWORD code)
{
    switch (code) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return "磁盘空间不足";
    case ERROR_DISK_QUOTA_EXCEEDED: return "超出磁盘配额";
    case ERROR_FILE_TOO_LARGE: return "文件过大";
    case ERROR_ACCESS_DENIED: return "没有访问权限";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return "文件或文件夹不存在";
    case ERROR_WRITE_PROTECT: return "磁盘被写保护";
    case ERROR_DIRECTORY_NOT_SUPPORTED: return "这是一个文件夹";
    case ERROR_DIRECTORY: return "路径中有一项不是文件夹";
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return "已经存在";
    case ERROR_FILENAME_EXCED_RANGE: return "文件名过长";
    case ERROR_INVALID_NAME: return "文件名无效";
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_IO_DEVICE: return "读写错误";
    case ERROR_TOO_MANY_OPEN_FILES: return "打开的文件过多";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return "文件正被另一个程序使用";
    case ERROR_BUSY: return "设备或资源忙";
    case ERROR_NOT_READY: return "设备未就绪";
    default: return nullptr;
    }
}

// The system's own words for an error code: simplified Chinese where the
// system has that language, otherwise its default one.
QString systemWords(DWORD code)
{
    const DWORD flags =
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    QString text;
    for (const DWORD language : {DWORD(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)), DWORD(0)}) {
        wchar_t *buffer = nullptr;
        const DWORD n = FormatMessageW(flags, nullptr, code, language,
                                       reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
        if (n != 0 && buffer)
            text = QString::fromWCharArray(buffer, int(n)).trimmed();
        if (buffer)
            LocalFree(buffer);
        if (!text.isEmpty())
            return text;
    }
    return QStringLiteral("系统错误 %1").arg(code);
}

QString systemReason(DWORD code)
{
    const QString system = systemWords(code);
    const char *chinese = chineseReason(code);
    if (!chinese)
        return system;
    const QString ours = QString::fromUtf8(chinese);
    // A Chinese system may already say it in our words.
    if (system.startsWith(ours))
        return system;
    return QStringLiteral("%1（%2）").arg(ours, system);
}

// The path as the wide-character calls take it: absolute, backslashes, and
// in the \\?\ form when it is too long for the plain one.
std::wstring nativePath(const QString &path)
{
    QString p = QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    if (p.size() >= 248 && !p.startsWith(QLatin1String("\\\\?\\"))) {
        if (p.startsWith(QLatin1String("\\\\")))
            p = QStringLiteral("\\\\?\\UNC\\") + p.mid(2);
        else
            p = QStringLiteral("\\\\?\\") + p;
    }
    return p.toStdWString();
}

// Windows says "path not found" where Unix says "not a folder": a file in
// the place of one of the folders. Tell the two apart.
DWORD refine(const QString &path, DWORD code)
{
    if (code != ERROR_PATH_NOT_FOUND)
        return code;
    QString dir = QFileInfo(path).absolutePath();
    for (int depth = 0; depth < 256; ++depth) {
        const DWORD attributes = GetFileAttributesW(nativePath(dir).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES)
            return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? code : DWORD(ERROR_DIRECTORY);
        const QString up = QFileInfo(dir).absolutePath();
        if (up == dir)
            break;
        dir = up;
    }
    return code;
}

// The limit set by H5_FILE_SIZE_LIMIT, or -1 for none.
qint64 fileSizeLimit()
{
    bool ok = false;
    const qint64 limit = qEnvironmentVariable("H5_FILE_SIZE_LIMIT").toLongLong(&ok);
    return ok && limit >= 0 ? limit : -1;
}

// Writes all of `data` from the start of the file.
bool writeAll(HANDLE file, const char *data, qint64 size, DWORD &code)
{
    const qint64 limit = fileSizeLimit();
    qint64 written = 0;
    while (size > 0) {
        qint64 chunk = std::min<qint64>(size, qint64(1) << 30);
        if (limit >= 0 && written + chunk > limit) {
            chunk = limit - written;
            if (chunk <= 0) {
                code = ERROR_DISK_FULL;
                return false;
            }
        }
        DWORD n = 0;
        if (!WriteFile(file, data, DWORD(chunk), &n, nullptr)) {
            code = GetLastError();
            return false;
        }
        if (n == 0) { // no progress and no reason: treat as a full device
            code = ERROR_DISK_FULL;
            return false;
        }
        data += n;
        size -= n;
        written += n;
    }
    return true;
}

// Flushes and closes `file`; the first failure wins over `ok`.
bool flushAndClose(HANDLE file, bool ok, DWORD &code)
{
    if (ok && !FlushFileBuffers(file)) {
        code = GetLastError();
        ok = false;
    }
    if (!CloseHandle(file) && ok) {
        code = GetLastError();
        ok = false;
    }
    return ok;
}

QString randomSuffix()
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString s;
    for (int i = 0; i < 6; ++i)
        s += QLatin1Char(letters[QRandomGenerator::global()->bounded(62)]);
    return s;
}

} // namespace

namespace fileio {

QString failure(const QString &path, int code)
{
    return QStringLiteral("%1：%2").arg(path, systemReason(DWORD(code)));
}

QString fileFailure(const QString &path, const QFileDevice &file)
{
    if (file.error() == QFileDevice::OpenError) {
        // Qt's text is the system's English; open the file once more to
        // learn the reason.
        const HANDLE h = CreateFileW(nativePath(path).c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return failure(path, int(refine(path, GetLastError())));
        CloseHandle(h);
    }
    return QStringLiteral("%1：%2").arg(path, file.errorString());
}

QString writeTemporary(const QString &target, const FileParts &parts, QString *error)
{
    const DWORD old = GetFileAttributesW(nativePath(target).c_str());
    // The replacement keeps the attributes that are no content of the file.
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
    if (old != INVALID_FILE_ATTRIBUTES) {
        if (old & FILE_ATTRIBUTE_DIRECTORY) {
            setError(error, failure(target, ERROR_DIRECTORY_NOT_SUPPORTED));
            return {};
        }
        // A read-only file is not replaced behind the user's back, although
        // the rename would be allowed.
        if (old & FILE_ATTRIBUTE_READONLY) {
            setError(error, failure(target, ERROR_ACCESS_DENIED));
            return {};
        }
        const DWORD kept = old & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE
                                  | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
        if (kept)
            attributes = kept;
    } else if (const DWORD code = GetLastError(); code != ERROR_FILE_NOT_FOUND) {
        setError(error, failure(target, int(refine(target, code))));
        return {};
    }

    const QFileInfo info(target);
    const QString stem = info.absolutePath() + QStringLiteral("/.") + info.fileName() + QLatin1Char('.');
    QString temporary;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = stem + randomSuffix();
        file = CreateFileW(nativePath(temporary).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           attributes, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
    if (file == INVALID_HANDLE_VALUE) {
        setError(error, failure(target, int(refine(target, GetLastError()))));
        return {};
    }
    DWORD code = 0;
    bool written = true;
    for (const QByteArrayView part : parts) {
        if (!(written = writeAll(file, part.data(), part.size(), code)))
            break;
    }
    const bool ok = flushAndClose(file, written, code);
    if (!ok) {
        DeleteFileW(nativePath(temporary).c_str());
        setError(error, failure(target, int(code)));
        return {};
    }
    return temporary;
}

bool replaceWith(const QString &temporary, const QString &target, QString *error)
{
    const std::wstring from = nativePath(temporary);
    if (!MoveFileExW(from.c_str(), nativePath(target).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD code = GetLastError();
        DeleteFileW(from.c_str());
        setError(error, failure(target, int(code)));
        return false;
    }
    return true;
}

bool keepAs(const QString &target, const QString &backup)
{
    return CreateHardLinkW(nativePath(backup).c_str(), nativePath(target).c_str(), nullptr) != 0;
}

void restore(const QString &backup, const QString &target)
{
    MoveFileExW(nativePath(backup).c_str(), nativePath(target).c_str(),
                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

bool removeFile(const QString &path)
{
    return DeleteFileW(nativePath(path).c_str()) != 0;
}

// MOVEFILE_WRITE_THROUGH has already waited for the renames to reach the disk.
bool syncFolderOf(const QString &, QString *)
{
    return true;
}

} // namespace fileio

bool rewriteScratchFile(const QString &path, const QByteArray &data, QString *error)
{
    const HANDLE file = CreateFileW(nativePath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        setError(error, fileio::failure(path, int(refine(path, GetLastError()))));
        return false;
    }
    DWORD code = 0;
    bool ok = writeAll(file, data.constData(), data.size(), code);
    if (ok && !SetEndOfFile(file)) {
        code = GetLastError();
        ok = false;
    }
    if (!flushAndClose(file, ok, code)) {
        setError(error, fileio::failure(path, int(code)));
        return false;
    }
    return true;
}

FileStamp FileStamp::of(const QString &path)
{
    FileStamp stamp;
    // Opened for no access at all, so a file another program writes or
    // holds open is still looked at.
    HANDLE h = CreateFileW(nativePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return stamp;
    BY_HANDLE_FILE_INFORMATION info {};
    const bool ok = GetFileInformationByHandle(h, &info) != 0;
    CloseHandle(h);
    if (!ok || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return stamp;
    // File times count 100 ns ticks since 1601.
    const auto ns = [](const FILETIME &t) {
        return qint64((quint64(t.dwHighDateTime) << 32) | t.dwLowDateTime) * 100;
    };
    stamp.exists = true;
    stamp.size = qint64((quint64(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    stamp.modified = ns(info.ftLastWriteTime);
    // Windows keeps no status change time; the creation time changes when
    // the file is replaced by another.
    stamp.changed = ns(info.ftCreationTime);
    stamp.device = quint64(info.dwVolumeSerialNumber);
    stamp.inode = (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    // Some file systems keep times in whole seconds or two-second steps: a
    // write within two seconds of this look might leave the same times.
    FILETIME now {};
    GetSystemTimeAsFileTime(&now);
    constexpr qint64 kMargin = qint64(2) * 1000000000;
    stamp.settled = std::max(stamp.modified, stamp.changed) + kMargin < ns(now);
    return stamp;
}

} // namespace h5

#pragma once
// File helpers: whole-file reads with a size limit and atomic replacement.
// A file is never written in place: the new content goes to a temporary file
// beside the target, every write, the sync and the close are checked, and
// only then is it renamed over the target. A full disk, a file-size limit or
// a read-only target leaves the old file as it was and reports the system's
// reason; a crash leaves either the old file or the new one, never a torn one.

#include <QByteArray>
#include <QByteArrayView>
#include <QFileDevice>
#include <QString>

#include <vector>

namespace h5 {

// Reads the whole file. Fails (with a message in `error`) when the file
// cannot be opened or is larger than `maxBytes`.
bool readWholeFile(const QString &path, QByteArray &out, QString *error,
                   qint64 maxBytes = qint64(1) << 31);

// Replaces `path` with `data` atomically.
bool writeFileAtomically(const QString &path, const QByteArray &data, QString *error);

// As writeFileAtomically, but leaves the file alone when it already holds
// exactly `data`: a rebuild that changes nothing costs reads, not flushes.
bool replaceFileIfChanged(const QString &path, const QByteArray &data, QString *error);

// True when `path` is a file holding exactly `data`.
bool fileHolds(const QString &path, const QByteArray &data);

// A file's content given as pieces one after another, so a large file
// (the picture position file with its pixel data) is written and compared
// from the buffers that hold its parts, never assembled in memory first.
using FileParts = std::vector<QByteArrayView>;
qint64 partsSize(const FileParts &parts);
// True when `path` is a file holding exactly the pieces, in order.
bool fileHoldsParts(const QString &path, const FileParts &parts);

// Writes `data` over the start of an existing scratch file and cuts the
// file to its length, in place. Only for work files whose old content
// does not matter: a crash may leave them torn. A file first made at the
// largest size it will need (with writeFileAtomically) takes every later
// content of that size or less without asking the disk for more room, so
// a transfer that reserved its scratch files before it began cannot be
// stopped halfway by a full disk.
bool rewriteScratchFile(const QString &path, const QByteArray &data, QString *error);

// Reads at most `maxBytes` from the start of a file.
bool readFileHead(const QString &path, qint64 maxBytes, QByteArray &out, QString *error);

// What the file system tells of a file without reading it: size, change
// times (nanoseconds) and identity. Equal stamps taken at two moments mean
// the file was not written or replaced in between, unless the first stamp
// was taken so soon after a write that a second write could still carry
// the same times: such a stamp is not settled, and the file's content must
// be looked at to be sure.
struct FileStamp
{
    bool exists = false;
    qint64 size = 0;
    qint64 modified = 0; // ns
    qint64 changed = 0;  // ns, status change (any write, rename or chmod)
    quint64 device = 0;
    quint64 inode = 0;
    bool settled = false;

    static FileStamp of(const QString &path);
    bool sameFile(const FileStamp &o) const
    {
        return exists && o.exists && size == o.size && modified == o.modified
            && changed == o.changed && device == o.device && inode == o.inode;
    }
};

// Several files replaced together. Each new content is first written in
// full and synced under a temporary name beside its target (stage); the
// targets are replaced only by commit(), once every file is ready. A failure
// while staging changes no target, and the temporaries are removed when the
// object goes without a commit.
//
// commit() renames the staged files into place one after another (a rename
// within a folder takes microseconds and needs no space). Should a rename
// fail, the targets already replaced get their old content back, so a
// failed commit leaves every file as it was.
class StagedFiles
{
public:
    StagedFiles() = default;
    ~StagedFiles();
    StagedFiles(const StagedFiles &) = delete;
    StagedFiles &operator=(const StagedFiles &) = delete;

    // Writes `data` for `path` under a temporary name and syncs it.
    bool stage(const QString &path, const QByteArray &data, QString *error);
    // As stage, but nothing is staged when the file already holds `data`.
    bool stageIfChanged(const QString &path, const QByteArray &data, QString *error);
    // The same with the content in pieces.
    bool stageParts(const QString &path, const FileParts &parts, QString *error);
    bool stagePartsIfChanged(const QString &path, const FileParts &parts, QString *error);
    // Replaces every target with its staged file.
    bool commit(QString *error);
    // Removes the temporaries; the targets stay as they are.
    void discard();

    bool empty() const { return m_files.empty(); }
    std::size_t count() const { return m_files.size(); }

private:
    void removeStaleTemporaries() const;
    void dropStaged(const QString &path);

    struct Staged
    {
        QString target;
        QString temporary;
    };
    std::vector<Staged> m_files;
};

// ---- what the functions above need of the operating system -----------------
// One implementation per platform: FileIo_posix.cpp (mkostemp, fsync,
// rename, link) and FileIo_win.cpp (CreateFileW, FlushFileBuffers,
// MoveFileExW, CreateHardLinkW). Nothing outside FileIo uses them.
namespace fileio {

// "PATH：中文原因（the system's own words）" for a system error code (errno,
// or GetLastError() on Windows).
QString failure(const QString &path, int code);

// Why a QFile operation on `path` has just failed, in the form of failure():
// the system's reason where it can be learnt, otherwise Qt's text. The
// caller sets errno to 0 before the operation.
QString fileFailure(const QString &path, const QFileDevice &file);

// Writes `data` into a new temporary file beside `target` (".NAME.XXXXXX"),
// synced and closed, with the permissions the target has (or a new file
// would get). A read-only target or a folder in its place is refused.
// Returns the temporary's name, or an empty string with `error` set.
QString writeTemporary(const QString &target, const FileParts &parts, QString *error);

// Renames `temporary` over `target`, replacing it. On failure the temporary
// is removed and `error` says why.
bool replaceWith(const QString &temporary, const QString &target, QString *error);

// A second name for the existing file `target` (a hard link: no space, no
// copy), so that a replacement can be undone. False where the file system
// has no hard links.
bool keepAs(const QString &target, const QString &backup);

// Puts `backup` back in place of `target` (best effort: used while undoing).
void restore(const QString &backup, const QString &target);

// Removes a file; false when it cannot (or is not there).
bool removeFile(const QString &path);

// Makes the renames of the folder holding `path` survive a power cut.
bool syncFolderOf(const QString &path, QString *error);

} // namespace fileio

} // namespace h5

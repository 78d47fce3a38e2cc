// Atomic replacement of files: a write that fails half way (a full disk, a
// file-size limit, a read-only file) keeps the old content, reports the
// system's reason and leaves no temporary file behind; several files staged
// together are replaced together or not at all.

#include "support/FileSizeLimit.h"
#include "support/TestUtil.h"
#include "support/UnixOnly.h"

#include "common/FileIo.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace h5;
using h5test::FileSizeLimit;
using h5test::readAll;
using h5test::writeRaw;

namespace {

QStringList entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

TEST(AtomicWriteTest, AWriteOverTheSizeLimitKeepsTheOldFileAndSaysWhy)
{
    QTemporaryDir tmp;
    const QString path = tmp.filePath(QStringLiteral("页面.wlp"));
    ASSERT_TRUE(writeRaw(path, "old content"));
    QString error;
    {
        FileSizeLimit limit(100);
        EXPECT_FALSE(writeFileAtomically(path, QByteArray(5000, 'x'), &error));
    }
    EXPECT_EQ(readAll(path), QByteArray("old content"));
    EXPECT_TRUE(error.contains(FileSizeLimit::reason())) << error.toStdString();
    EXPECT_TRUE(error.contains(path)) << error.toStdString();
    EXPECT_EQ(entries(tmp.path()), QStringList{QStringLiteral("页面.wlp")}) << "temporary left behind";
}

// What the windows show of a failed file operation: the path and the
// reason in Chinese, the system's own words kept after it.
TEST(FileReasonTest, FailureReasonIsOnlyTheSystemsEnglish)
{
    QTemporaryDir tmp;
    const QString missing = tmp.filePath(QStringLiteral("无.wlp"));
    const QString plain = tmp.filePath(QStringLiteral("plain"));
    ASSERT_TRUE(writeRaw(plain, "x"));
    const struct
    {
        const char *name;
        std::function<bool(QString *)> act;
        QString path;
        const char *chinese;
    } cases[] = {
        {"read a missing file", [&](QString *e) { QByteArray b; return readWholeFile(missing, b, e); },
         missing, "文件或文件夹不存在"},
        {"head of a missing file", [&](QString *e) { QByteArray b; return readFileHead(missing, 60, b, e); },
         missing, "文件或文件夹不存在"},
        {"write below a plain file",
         [&](QString *e) { return writeFileAtomically(plain + QStringLiteral("/a.wlp"), "x", e); },
         plain, "不是文件夹"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QString error;
        EXPECT_FALSE(c.act(&error));
        EXPECT_TRUE(error.contains(c.path)) << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.chinese))) << error.toStdString();
    }
}

TEST(AtomicWriteTest, AReadOnlyFileIsNotReplaced)
{
    QTemporaryDir tmp;
    const QString path = tmp.filePath(QStringLiteral("a.wgc"));
    ASSERT_TRUE(writeRaw(path, "old"));
    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0444), 0);
    QString error;
    EXPECT_FALSE(writeFileAtomically(path, "new", &error));
    EXPECT_EQ(readAll(path), QByteArray("old"));
    EXPECT_TRUE(error.contains(h5test::noPermissionReason())) << error.toStdString();
    EXPECT_EQ(entries(tmp.path()).size(), 1);
}

TEST(AtomicWriteTest, AReplacedFileKeepsItsPermissions)
{
    H5_UNIX_ONLY("file modes");
    QTemporaryDir tmp;
    const QString path = tmp.filePath(QStringLiteral("run.sh"));
    ASSERT_TRUE(writeRaw(path, "old"));
    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0750), 0);
    QString error;
    ASSERT_TRUE(writeFileAtomically(path, "new", &error)) << error.toStdString();
    struct stat st {};
    ASSERT_EQ(stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0750u);
    EXPECT_EQ(readAll(path), QByteArray("new"));
}

TEST(StagedFilesTest, AFailureWhileStagingChangesNoFile)
{
    QTemporaryDir tmp;
    const QString small = tmp.filePath(QStringLiteral("0.wlc"));
    const QString big = tmp.filePath(QStringLiteral("图象位置信息.cbm"));
    const QString fresh = tmp.filePath(QStringLiteral("1.wlc"));
    ASSERT_TRUE(writeRaw(small, "old small"));
    ASSERT_TRUE(writeRaw(big, "old big"));
    QString error;
    {
        StagedFiles staged;
        FileSizeLimit limit(1000);
        ASSERT_TRUE(staged.stage(small, "new small", &error)) << error.toStdString();
        ASSERT_TRUE(staged.stage(fresh, "a new file", &error)) << error.toStdString();
        EXPECT_FALSE(staged.stage(big, QByteArray(50000, 'x'), &error));
        // Dropped without a commit: the staged files go, the targets stay.
    }
    EXPECT_EQ(readAll(small), QByteArray("old small"));
    EXPECT_EQ(readAll(big), QByteArray("old big"));
    EXPECT_FALSE(QFileInfo::exists(fresh));
    EXPECT_EQ(entries(tmp.path()).size(), 2) << entries(tmp.path()).join(' ').toStdString();
}

TEST(StagedFilesTest, CommitReplacesEveryStagedFileAndSkipsUnchangedOnes)
{
    QTemporaryDir tmp;
    const QString a = tmp.filePath(QStringLiteral("a"));
    const QString b = tmp.filePath(QStringLiteral("b"));
    const QString c = tmp.filePath(QStringLiteral("c"));
    ASSERT_TRUE(writeRaw(a, "same"));
    ASSERT_TRUE(writeRaw(b, "old b"));
    const QDateTime aTime = QFileInfo(a).lastModified();
    StagedFiles staged;
    QString error;
    ASSERT_TRUE(staged.stageIfChanged(a, "same", &error));
    ASSERT_TRUE(staged.stageIfChanged(b, "new b", &error));
    ASSERT_TRUE(staged.stage(c, "new c", &error));
    // Nothing is visible before the commit.
    EXPECT_EQ(readAll(b), QByteArray("old b"));
    EXPECT_FALSE(QFileInfo::exists(c));
    ASSERT_TRUE(staged.commit(&error)) << error.toStdString();
    EXPECT_EQ(readAll(a), QByteArray("same"));
    EXPECT_EQ(QFileInfo(a).lastModified(), aTime);
    EXPECT_EQ(readAll(b), QByteArray("new b"));
    EXPECT_EQ(readAll(c), QByteArray("new c"));
    EXPECT_EQ(entries(tmp.path()).size(), 3);
}

TEST(StagedFilesTest, AFailedRenamePutsBackWhatWasAlreadyReplaced)
{
    QTemporaryDir tmp;
    const QString a = tmp.filePath(QStringLiteral("a"));
    const QString b = tmp.filePath(QStringLiteral("b"));
    ASSERT_TRUE(writeRaw(a, "old a"));
    ASSERT_TRUE(writeRaw(b, "old b"));
    StagedFiles staged;
    QString error;
    ASSERT_TRUE(staged.stage(a, "new a", &error));
    ASSERT_TRUE(staged.stage(b, "new b", &error));
    // b becomes a folder after staging: its rename must fail.
    ASSERT_TRUE(QFile::remove(b));
    ASSERT_TRUE(QDir().mkdir(b));
    ASSERT_TRUE(writeRaw(b + QStringLiteral("/inside"), "x"));
    EXPECT_FALSE(staged.commit(&error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readAll(a), QByteArray("old a"));
    EXPECT_EQ(entries(tmp.path()), QStringList{QStringLiteral("a")});
}

} // namespace

namespace {

// A run killed while staging leaves a hidden temporary file; the next
// replacement of the same file removes it once it is old enough not to
// belong to a run still going on.
TEST(StagedFilesTest, TemporariesLeftByAKilledRunAreRemovedWhenOld)
{
    QTemporaryDir tmp;
    const QString target = tmp.filePath(QStringLiteral("图象位置信息.cbm"));
    const QString stale = tmp.filePath(QStringLiteral(".图象位置信息.cbm.Ab12Cd"));
    const QString staleOld = tmp.filePath(QStringLiteral(".图象位置信息.cbm.Xy34Zw.old"));
    const QString young = tmp.filePath(QStringLiteral(".图象位置信息.cbm.Qq56Rr"));
    const QString other = tmp.filePath(QStringLiteral(".other.cbm.Ab12Cd"));
    for (const QString &f : {stale, staleOld, young, other})
        ASSERT_TRUE(writeRaw(f, "left over"));
    const QDateTime twoHoursAgo = QDateTime::currentDateTime().addSecs(-7200);
    for (const QString &f : {stale, staleOld, other}) {
        QFile file(f);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(twoHoursAgo, QFileDevice::FileModificationTime));
    }
    QString error;
    ASSERT_TRUE(writeFileAtomically(target, "new", &error)) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(stale));
    EXPECT_FALSE(QFileInfo::exists(staleOld));
    EXPECT_TRUE(QFileInfo::exists(young)) << "may belong to a run going on";
    EXPECT_TRUE(QFileInfo::exists(other)) << "belongs to another file";
}

} // namespace

// A file given as many pieces: the pieces are written one after another
// and compared as one content, whatever their sizes and wherever the
// reading buffer's ends fall. More pieces than one system call takes, empty
// pieces, and pieces across the 2 MB slices the comparison reads.
TEST(StagedFilesTest, ManyPiecesAreWrittenAndComparedAsOneContent)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString path = tmp.filePath("pieces.bin");

    QByteArray big(qsizetype(5) << 20, Qt::Uninitialized);
    for (qsizetype i = 0; i < big.size(); ++i)
        big[i] = char((i * 131 + i / 7) & 0xFF);
    struct Layout
    {
        const char *what;
        std::vector<qsizetype> sizes; // cut `big` into pieces of these sizes (0: empty)
    };
    std::vector<qsizetype> tiny(3000, 9);
    tiny.insert(tiny.begin(), 0);
    tiny.push_back(0);
    const std::vector<Layout> layouts = {
        {"one piece", {big.size()}},
        {"3000 pieces of 9 bytes between empty ones", tiny},
        {"pieces across the 2 MB slices", {100, (qsizetype(2) << 20) - 50, 0, 3, (qsizetype(3) << 20) - 100}},
    };
    for (const Layout &l : layouts) {
        FileParts parts;
        qsizetype at = 0;
        for (const qsizetype n : l.sizes) {
            parts.push_back(QByteArrayView(big.constData() + at, n));
            at += n;
        }
        const QByteArray whole = big.left(at);
        StagedFiles staged;
        QString error;
        ASSERT_TRUE(staged.stageParts(path, parts, &error)) << l.what << error.toStdString();
        ASSERT_TRUE(staged.commit(&error)) << l.what << error.toStdString();
        EXPECT_TRUE(readAll(path) == whole) << l.what;
        EXPECT_TRUE(fileHoldsParts(path, parts)) << l.what;

        // One byte changed anywhere, or one byte more or less, is seen.
        for (const qsizetype pos : {qsizetype(0), at / 2, (qsizetype(2) << 20) - 1,
                                    qsizetype(2) << 20, at - 1}) {
            if (pos >= at)
                continue;
            QByteArray changed = whole;
            changed[pos] = char(changed[pos] ^ 0x40);
            ASSERT_TRUE(writeRaw(path, changed));
            EXPECT_FALSE(fileHoldsParts(path, parts)) << l.what << " byte " << pos;
        }
        ASSERT_TRUE(writeRaw(path, whole + 'x'));
        EXPECT_FALSE(fileHoldsParts(path, parts)) << l.what << " one byte more";
        ASSERT_TRUE(writeRaw(path, whole.chopped(1)));
        EXPECT_FALSE(fileHoldsParts(path, parts)) << l.what << " one byte less";
    }
}

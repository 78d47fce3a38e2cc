#pragma once
// Lowers this process's file-size limit for the life of the object, so a
// write past the limit fails as a write to a full disk fails: a full disk
// without a full disk, for one test.
//
// On Unix it is the process's RLIMIT_FSIZE, with SIGXFSZ ignored: writes
// past it fail with EFBIG ("File too large"). Windows has no such limit;
// the file helpers take one from H5_FILE_SIZE_LIMIT (common/FileIo_win.cpp)
// and fail past it as on a full disk ("磁盘空间不足"). Programs the test
// starts meanwhile inherit the limit either way.

#include <QByteArray>
#include <QString>

#ifdef Q_OS_WIN
#include <QtGlobal>
#else
#include <csignal>
#include <sys/resource.h>
#endif

namespace h5test {

#ifdef Q_OS_WIN
class FileSizeLimit
{
public:
    explicit FileSizeLimit(qint64 bytes)
        : m_had(qEnvironmentVariableIsSet(kName)), m_old(qgetenv(kName))
    {
        qputenv(kName, QByteArray::number(bytes));
    }
    ~FileSizeLimit()
    {
        if (m_had)
            qputenv(kName, m_old);
        else
            qunsetenv(kName);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    // What a failed write past the limit says.
    static QString reason() { return QStringLiteral("磁盘空间不足"); }

private:
    static constexpr const char *kName = "H5_FILE_SIZE_LIMIT";
    bool m_had;
    QByteArray m_old;
};
#else
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = m_old;
        lowered.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    // What a failed write past the limit says.
    static QString reason() { return QStringLiteral("File too large"); }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};
#endif

// The system's words in a message about a full disk and about a file the
// user may not change.
#ifdef Q_OS_WIN
inline QString noSpaceReason() { return QStringLiteral("磁盘空间不足"); }
inline QString noPermissionReason() { return QStringLiteral("没有访问权限"); }
#else
inline QString noSpaceReason() { return QStringLiteral("No space left on device"); }
inline QString noPermissionReason() { return QStringLiteral("Permission denied"); }
#endif

} // namespace h5test

#pragma once
// The project file (".wgc"): a 6-byte header with the resolution index, 1024
// page slots of 100 bytes, and after a build the project data.

#include "common/Flash.h"

#include <QByteArray>
#include <QString>

namespace h5 {

inline constexpr int kProjectHeaderSize = 6;
inline constexpr int kPageSlotSize = 100;
inline constexpr int kProjectDataOffset = kProjectHeaderSize + kPageSlots * kPageSlotSize; // 102,406

// One page slot: the stored value is page number + 1 (0 = free) and the
// page length in flash pages.
struct PageSlot
{
    int value = 0;  // 16 bits, low byte first
    int length = 0; // byte 8
    bool used() const { return value != 0; }
    int pageNo() const { return value - 1; }
};

class ProjectFile
{
public:
    // A new project file: header and 1024 free slots.
    static QByteArray newFile(int resolutionIndex);

    // Reads the whole file. Fails with a message when it cannot be read or
    // is shorter than header and slots.
    bool load(const QString &path, QString *error);
    // Reads the header and the slots only, leaving out the project data
    // after them (for a build, which makes that data anew).
    bool loadHead(const QString &path, QString *error);
    bool fromBytes(const QByteArray &data, QString *error);
    // Replaces the file atomically.
    bool save(const QString &path, QString *error) const;

    int resolution() const { return quint8(m_bytes.at(4)); }
    PageSlot slot(int n) const;
    // Marks page n as used with the given page length.
    void setSlot(int n, int length);
    // Rewrites only byte 8 of slot n.
    void setSlotLength(int n, int length);
    void clearSlot(int n);
    // Lowest free slot, or -1 when all 1024 are used.
    int firstFreeSlot() const;

    QByteArray &bytes() { return m_bytes; }
    const QByteArray &bytes() const { return m_bytes; }

private:
    // fromBytes for the bytes read from `path`, the error naming the file.
    bool fromFileBytes(const QString &path, const QByteArray &data, QString *error);
    QByteArray m_bytes;
};

} // namespace h5

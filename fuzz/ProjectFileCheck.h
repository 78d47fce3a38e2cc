#pragma once
// Properties of the project file (.wgc), checked by fuzz_project_file and
// replayed by the tests. Bytes that are refused leave
// the project file object as it was and say why; bytes that are accepted
// are kept exactly, read back the same after a save and a load, and their
// header and 1024 page slots read as the layout says. Slot edits change
// their own slot only.

#include "FuzzCheck.h"
#include "FuzzTempFiles.h"

#include "project/ProjectFile.h"

#include <cstdint>
#include <cstdlib>

namespace h5fuzz {

inline void checkProjectFileInput(const uint8_t *data, size_t size)
{
    using namespace h5;
    const auto le16At = [](const QByteArray &b, qsizetype at) {
        return uint8_t(b[at]) | (uint8_t(b[at + 1]) << 8);
    };
    // Inputs are grown past the header and slots from a short tail: byte 0
    // odd pads the rest with zeros to the full header-and-slots size.
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (size > 0 && (data[0] & 1) && bytes.size() < kProjectDataOffset)
        bytes.append(kProjectDataOffset - bytes.size(), '\0');

    ProjectFile file;
    check(file.fromBytes(ProjectFile::newFile(5), nullptr), "a new project file loads");
    const QByteArray before = file.bytes();
    QString error;
    if (!file.fromBytes(bytes, &error)) {
        check(bytes.size() < kProjectDataOffset && !error.isEmpty() && file.bytes() == before,
              "only short bytes are refused, with a reason, leaving the file as it was");
        // The same bytes from a file are refused with the file's name.
        const QString path = h5fuzz::scratchPath(QStringLiteral("short.wgc"));
        h5fuzz::writeScratch(path, bytes);
        QString loadError;
        check(!file.load(path, &loadError) && loadError.contains(path) && file.bytes() == before,
              "a short file is refused naming the file, leaving the object as it was");
        return;
    }
    check(bytes.size() >= kProjectDataOffset && file.bytes() == bytes, "accepted bytes are kept exactly");
    check(file.resolution() == uint8_t(bytes[4]), "resolution is byte 4");
    int firstFree = -1;
    for (int n = 0; n < kPageSlots; ++n) {
        const qsizetype at = kProjectHeaderSize + qsizetype(n) * kPageSlotSize;
        const PageSlot slot = file.slot(n);
        check(slot.value == le16At(bytes, at) && slot.length == uint8_t(bytes[at + 8]),
              "page slot reads its value and length");
        if (firstFree < 0 && !slot.used())
            firstFree = n;
    }
    check(file.firstFreeSlot() == firstFree, "first free slot is the first unused one");

    // Saved and loaded again: the very same bytes.
    const QString path = h5fuzz::scratchPath(QStringLiteral("p.wgc"));
    check(file.save(path, &error), "an accepted project file saves");
    ProjectFile again;
    check(again.load(path, &error) && again.bytes() == bytes, "saved and loaded: the same bytes");

    // Slot edits touch their own 100 bytes (the length byte alone for a
    // length change) and nothing else.
    const int n = size > 2 ? (data[1] | (data[2] << 8)) % kPageSlots : 0;
    const int length = size > 3 ? data[3] : 1;
    const qsizetype at = kProjectHeaderSize + qsizetype(n) * kPageSlotSize;
    auto outside = [&](const QByteArray &b, qsizetype from, qsizetype count) {
        return b.left(from) + b.mid(from + count);
    };
    again.setSlot(n, length);
    check(again.slot(n).value == n + 1 && again.slot(n).length == length && again.slot(n).used()
              && again.slot(n).pageNo() == n,
          "a set slot reads back");
    check(outside(again.bytes(), at, kPageSlotSize) == outside(bytes, at, kPageSlotSize),
          "setting a slot changes only that slot");
    again.setSlotLength(n, length ^ 0x5A);
    check(again.slot(n).length == (length ^ 0x5A) && again.slot(n).value == n + 1,
          "a length change keeps the slot's page");
    again.clearSlot(n);
    check(!again.slot(n).used() && again.bytes().mid(at, kPageSlotSize) == QByteArray(kPageSlotSize, '\0'),
          "a cleared slot is all zeros");
    check(outside(again.bytes(), at, kPageSlotSize) == outside(bytes, at, kPageSlotSize),
          "clearing a slot changes only that slot");
    check(again.firstFreeSlot() == (firstFree >= 0 && firstFree < n ? firstFree : n),
          "a cleared slot is free");
}

} // namespace h5fuzz

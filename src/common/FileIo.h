#pragma once
// File helpers: whole-file reads with a size limit and atomic replacement.
// A file is never written in place: the new content goes to a temporary file
// beside the target, is flushed to disk and then renamed over it, so a crash
// or a full disk leaves either the old file or the new one, never a torn one.

#include <QByteArray>
#include <QString>

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

// Reads at most `maxBytes` from the start of a file.
bool readFileHead(const QString &path, qint64 maxBytes, QByteArray &out, QString *error);

} // namespace h5

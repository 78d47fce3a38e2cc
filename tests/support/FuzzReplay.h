#pragma once
// Replays the inputs kept for one fuzz target (tests/fixtures/fuzz/<target>/)
// through the target's own property checks (fuzz/*Check.h). A violated
// property fails the test with its description and the input's file name.

#include "../../fuzz/FuzzCheck.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QString>
#include <cstdint>
#include <gtest/gtest.h>

namespace h5test {

using FuzzInputCheck = void (*)(const uint8_t *data, size_t size);

// Returns how many inputs were replayed.
inline int replayFuzzInputs(const QString &target, FuzzInputCheck checkInput)
{
    struct ThrowWhileReplaying
    {
        ThrowWhileReplaying() { h5fuzz::failHandler() = h5fuzz::throwOnViolation; }
        ~ThrowWhileReplaying() { h5fuzz::failHandler() = h5fuzz::abortOnViolation; }
    } handler;
    QDirIterator it(QStringLiteral(H5_FIXTURES_DIR "/fuzz/") + target, QDir::Files);
    int files = 0;
    while (it.hasNext()) {
        const QString path = it.next();
        ++files;
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            ADD_FAILURE() << "cannot read " << path.toStdString();
            continue;
        }
        const QByteArray data = f.readAll();
        try {
            checkInput(reinterpret_cast<const uint8_t *>(data.constData()), size_t(data.size()));
        } catch (const h5fuzz::Violation &v) {
            ADD_FAILURE() << path.toStdString() << ": " << v.what();
        }
    }
    return files;
}

} // namespace h5test

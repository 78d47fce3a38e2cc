// Replays every input the page file fuzzer has kept: each must load or be
// refused with a reason, and what loads must write out in a form that reads back the same.

#include "model/Page.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

TEST(PageFuzzRegressionTest, KeptInputsNeitherCrashNorLoseBytes)
{
    const QDir dir(QStringLiteral(H5_FIXTURES_DIR "/fuzz/fuzz_page_file"));
    const QStringList files = dir.entryList(QDir::Files);
    ASSERT_FALSE(files.isEmpty()) << "no fixtures in " << dir.path().toStdString();
    for (const QString &name : files) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray data = f.readAll();
        h5::Page page;
        QString error;
        if (page.fromPageFile(data, &error)) {
            const QByteArray written = page.toPageFile();
            h5::Page again;
            ASSERT_TRUE(again.fromPageFile(written, &error)) << name.toStdString();
            EXPECT_TRUE(again.toPageFile() == written) << name.toStdString();
        } else {
            EXPECT_FALSE(error.isEmpty()) << name.toStdString();
        }
    }
}

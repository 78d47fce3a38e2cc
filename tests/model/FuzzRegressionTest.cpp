// Replays every input the page file fuzzers have kept (the folders of
// fuzz_page_file, fuzz_compile_page and fuzz_draw_page under
// tests/fixtures/fuzz/): each must load or be refused with a reason; what
// loads must write out in a form that reads back the same, and compile into
// a well-formed instruction file. The other targets' inputs are other kinds
// of files, replayed by their own tests.

#include "common/Notifier.h"
#include "model/Page.h"
#include "project/Compiler.h"

#include <QDirIterator>
#include <QFile>
#include <gtest/gtest.h>

TEST(FuzzRegressionTest, KeptInputsNeitherCrashNorLoseBytes)
{
    int files = 0;
    for (const char *target : {"fuzz_page_file", "fuzz_compile_page", "fuzz_draw_page"}) {
        QDirIterator it(QStringLiteral(H5_FIXTURES_DIR "/fuzz/") + QLatin1String(target), QDir::Files);
        while (it.hasNext()) {
            const QString path = it.next();
            SCOPED_TRACE(path.toStdString());
            ++files;
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            const QByteArray data = f.readAll();
            h5::Page page;
            QString error;
            if (!page.fromPageFile(data, &error)) {
                EXPECT_FALSE(error.isEmpty());
                continue;
            }
            const QByteArray written = page.toPageFile();
            h5::Page again;
            ASSERT_TRUE(again.fromPageFile(written, &error));
            EXPECT_TRUE(again.toPageFile() == written);

            page.normalise(3);
            h5::RecordingNotifier notifier;
            const h5::CompiledPage compiled = h5::compilePage(page, 7, notifier);
            if (!compiled.ok) {
                EXPECT_FALSE(compiled.error.isEmpty());
                continue;
            }
            const qsizetype stream = 1 + qsizetype(compiled.pageLength) * h5::kFlashPage;
            ASSERT_GE(compiled.instructionFile.size(), stream);
            EXPECT_EQ((compiled.instructionFile.size() - stream) % (9 + h5::kFlashPage), 0);
        }
    }
    EXPECT_GT(files, 0) << "no kept fuzz inputs found";
}

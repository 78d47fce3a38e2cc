// One QApplication for the whole test binary, on the offscreen platform, so
// tests that draw text or open windows can run in any order beside the
// core tests.

#include "model/FontFaces.h"

#include <QApplication>
#include <QDir>
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

// Ends the run with the count of tests that skipped themselves, by reason:
// on Windows the Unix-only ones (support/UnixOnly.h), anywhere the ones
// whose resource is missing (a small file system for the full-disk tests).
class SkippedCount : public ::testing::EmptyTestEventListener
{
    void OnTestProgramEnd(const ::testing::UnitTest &unit) override
    {
        std::map<std::string, int> reasons;
        for (int i = 0; i < unit.total_test_suite_count(); ++i) {
            const ::testing::TestSuite *suite = unit.GetTestSuite(i);
            for (int k = 0; k < suite->total_test_count(); ++k) {
                const ::testing::TestResult *result = suite->GetTestInfo(k)->result();
                if (!result->Skipped())
                    continue;
                std::string reason;
                for (int p = 0; p < result->total_part_count(); ++p) {
                    const ::testing::TestPartResult &part = result->GetTestPartResult(p);
                    if (part.skipped() && part.message())
                        reason = part.message();
                }
                if (reason.rfind("Skipped\n", 0) == 0)
                    reason.erase(0, 8);
                ++reasons[reason.empty() ? std::string("no reason given") : reason];
            }
        }
        if (unit.skipped_test_count() == 0)
            return;
        std::printf("h5tests: %d tests skipped:\n", unit.skipped_test_count());
        for (const auto &[reason, count] : reasons)
            std::printf("  %4d  %s\n", count, reason.c_str());
        std::fflush(stdout);
    }
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString runtime = QDir::tempPath() + QStringLiteral("/h5tests-runtime");
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    }
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new SkippedCount);
    QApplication app(argc, argv);
    h5::loadPackagedFonts();
    return RUN_ALL_TESTS();
}

// Replays the inputs kept for fuzz_built_project: damaged built files are
// refused with the download's message, a project read without complaint
// holds its page as built, and reading changes no file.

#include "support/FuzzReplay.h"

#include "../../fuzz/BuiltProjectCheck.h"

TEST(BuiltProjectFuzzRegression, KeptInputsKeepTheBuiltProjectProperties)
{
    EXPECT_GT(h5test::replayFuzzInputs(QStringLiteral("fuzz_built_project"),
                                       h5fuzz::checkBuiltProjectInput),
              0)
        << "no kept inputs found";
}

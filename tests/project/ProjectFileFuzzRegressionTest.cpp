// Replays the inputs kept for fuzz_project_file: refused project files leave
// the object as it was, accepted ones are kept byte for byte through a save
// and a load, slot edits touch their own slot only.

#include "support/FuzzReplay.h"

#include "../../fuzz/ProjectFileCheck.h"

TEST(ProjectFileFuzzRegression, KeptInputsKeepTheProjectFileProperties)
{
    EXPECT_GT(h5test::replayFuzzInputs(QStringLiteral("fuzz_project_file"),
                                       h5fuzz::checkProjectFileInput),
              0)
        << "no kept inputs found";
}

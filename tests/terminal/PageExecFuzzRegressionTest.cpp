// Replays the inputs kept for fuzz_page_exec through its properties: any
// project data or page stream runs without undefined behaviour, the same on
// two screens, at the screen's size, with a bounded page cycle.

#include "support/FuzzReplay.h"

#include "../../fuzz/PageExecCheck.h"

TEST(PageExecFuzzRegression, KeptInputsRunTheSameAtTheScreensSize)
{
    EXPECT_GT(h5test::replayFuzzInputs(QStringLiteral("fuzz_page_exec"), h5fuzz::checkPageExecInput), 0)
        << "no kept inputs found";
}

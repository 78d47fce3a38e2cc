// Replays the inputs kept for fuzz_pointer_file: short pointer files are
// refused with their name, accepted ones write back their own bytes and
// give the pointer control form their numbers.

#include "support/FuzzReplay.h"

#include "../../fuzz/PointerFileCheck.h"

TEST(PointerFileFuzzRegression, KeptInputsKeepThePointerFileProperties)
{
    EXPECT_GT(h5test::replayFuzzInputs(QStringLiteral("fuzz_pointer_file"),
                                       h5fuzz::checkPointerFileInput),
              0)
        << "no kept inputs found";
}

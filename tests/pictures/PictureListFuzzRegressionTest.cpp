// Replays the inputs kept for fuzz_picture_list: refused list files leave
// the list as it was, accepted ones list what they hold and survive a save
// and a second open, slot records read back what was written.

#include "support/FuzzReplay.h"

#include "../../fuzz/PictureListCheck.h"

TEST(PictureListFuzzRegression, KeptInputsKeepTheListFileProperties)
{
    EXPECT_GT(h5test::replayFuzzInputs(QStringLiteral("fuzz_picture_list"),
                                       h5fuzz::checkPictureListInput),
              0)
        << "no kept inputs found";
}

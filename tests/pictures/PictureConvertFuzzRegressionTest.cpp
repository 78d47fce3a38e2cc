// Replays the inputs kept for fuzz_picture_convert: converting straight into
// a caller's buffer, with or without an image for the decoder to reuse,
// gives what converting into a new buffer gives, and writes nothing outside
// the buffer.

#include "support/FuzzReplay.h"

#include "../../fuzz/PictureConvertCheck.h"

TEST(PictureConvertFuzzRegression, KeptInputsConvertIntoABufferAsIntoANewOne)
{
    EXPECT_GT(h5test::replayFuzzInputs(QStringLiteral("fuzz_picture_convert"),
                                       h5fuzz::checkPictureConvertInput),
              0)
        << "no kept inputs found";
}

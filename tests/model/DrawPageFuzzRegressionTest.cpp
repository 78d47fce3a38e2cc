// Replays the inputs kept for the page file targets through the drawing of
// fuzz_draw_page: a page from any of them is drawn at the screen size without
// undefined behaviour, and the same again when drawn a second time.

#include "model/DrawTestSupport.h"
#include "support/FuzzReplay.h"

#include "../../fuzz/DrawPageCheck.h"

namespace {

class DrawPageFuzzRegression : public h5test::DrawTest
{
};

TEST_F(DrawPageFuzzRegression, KeptPagesDrawAtTheScreenSizeTheSameEachTime)
{
    int files = 0;
    for (const char *target : {"fuzz_draw_page", "fuzz_page_file", "fuzz_compile_page"}) {
        SCOPED_TRACE(target);
        const int n = h5test::replayFuzzInputs(QLatin1String(target), h5fuzz::checkDrawPageInput);
        if (QLatin1String(target) == QLatin1String("fuzz_draw_page")) {
            EXPECT_GT(n, 0) << "no kept inputs found";
        }
        files += n;
    }
    EXPECT_GT(files, 0);
}

} // namespace

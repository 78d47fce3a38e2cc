// libFuzzer target: the page file reader must refuse any damaged input with
// an error, never crash, hang or allocate without bound; what it accepts
// must survive a write and a second read unchanged.

#include "model/Page.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                     static_cast<qsizetype>(size));
    h5::Page page;
    QString error;
    if (page.fromPageFile(bytes, &error)) {
        // Whatever loads writes out in the canonical form (shortest text
        // length forms, no delete markers), which must load back to the same
        // page and write the same bytes again.
        const QByteArray written = page.toPageFile();
        h5::Page again;
        if (!again.fromPageFile(written, &error) || again.toPageFile() != written
            || !(again.settings == page.settings))
            std::abort();
        page.normalise(int(size % 13));
    } else if (error.isEmpty()) {
        std::abort();
    }
    return 0;
}

// libFuzzer target: the page file reader must refuse any damaged input with
// an error, never crash, hang or allocate without bound; what it accepts
// must write back to the very same bytes.

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
        if (page.toPageFile() != bytes) {
            // Accepted files without delete markers must round-trip exactly.
            bool hasMarker = false;
            for (const h5::CGraph &g : page.elements)
                hasMarker |= g.m_nKind == h5::Kind::DeleteMarker;
            if (!hasMarker)
                std::abort();
        }
        page.normalise(int(size % 13));
    } else if (error.isEmpty()) {
        std::abort();
    }
    return 0;
}

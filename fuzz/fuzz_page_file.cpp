// libFuzzer target: the page file reader must refuse any damaged input with
// an error, never crash, hang or allocate without bound; what it accepts
// must survive a write and a second read unchanged. Reading the same bytes
// from a file (which judges the size and the head before reading the rest)
// must come to the same answer and the same page.

#include "FuzzTempFiles.h"
#include "model/Page.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                     static_cast<qsizetype>(size));
    h5::Page page;
    QString error;
    const bool loaded = page.fromPageFile(bytes, &error);

    const QString path = h5fuzz::scratchPath(QStringLiteral("page.wlp"));
    h5fuzz::writeScratch(path, bytes);
    h5::Page fromFile;
    QString fileError;
    if (fromFile.load(path, &fileError) != loaded || (!loaded && fileError.isEmpty()))
        std::abort();
    if (loaded && (!(fromFile.settings == page.settings) || fromFile.elements != page.elements))
        std::abort();

    if (loaded) {
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

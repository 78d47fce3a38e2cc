// libFuzzer target: any page that loads must compile without crashing or
// undefined behaviour, and a compiled instruction file must have the shape
// the build relies on (layer byte, whole flash pages, whole 2121-byte blocks).

#include "common/Notifier.h"
#include "model/Page.h"
#include "project/Compiler.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                     static_cast<qsizetype>(size));
    h5::Page page;
    if (!page.fromPageFile(bytes, nullptr))
        return 0;
    page.normalise(int(size % 13));
    h5::RecordingNotifier notifier;
    const h5::CompiledPage compiled = h5::compilePage(page, int(size % 1024), notifier);
    if (!compiled.ok)
        return compiled.error.isEmpty() ? (std::abort(), 0) : 0;
    const qsizetype stream = 1 + qsizetype(compiled.pageLength) * h5::kFlashPage;
    if (compiled.pageLength < 1 || compiled.instructionFile.size() < stream
        || (compiled.instructionFile.size() - stream) % (9 + h5::kFlashPage) != 0)
        std::abort();
    QByteArray positions(h5::kSlotAreaSize, '\0');
    if (!h5::updatePicturePositions(positions, int(size % 1024), compiled.pictures, nullptr))
        std::abort();
    return 0;
}

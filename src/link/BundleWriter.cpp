#include "link/BundleWriter.h"

#include "common/Bytes.h"
#include "common/FileIo.h"
#include "link/Frames.h"
#include "link/Registry.h"

namespace h5 {

bool BundleWriter::build(const DownloadFiles &files, QByteArray &out, QString *error)
{
    // Every chosen file is read and checked as a download checks it before
    // a byte of the bundle is made.
    DownloadData data;
    if (!loadDownloadFiles(files, data, error))
        return false;
    QByteArray bundle;
    if (data.hasProject)
        bundle.append(data.project);
    if (data.hasPictures) {
        std::vector<DownloadPicture> pictures = data.pictures.pictures;
        QByteArray image = emptyRegistryImage();
        int64_t block = 0;
        for (DownloadPicture &p : pictures) {
            p.firstBlock = int(block);
            writeRegistryEntry(image.data() + p.number * kRegistryEntrySize,
                               RegistryRecord{p.number, int(block), p.width, p.height});
            block += p.blocks();
        }
        bundle.append(registryWriteCommand());
        bundle.append(image);
        const QByteArray &list = data.pictures.bytes;
        for (const DownloadPicture &p : pictures) {
            bundle.append(pictureHeader(p.number, p.firstBlock, p.width, p.height));
            bundle.append(list.constData() + p.dataOffset(), qsizetype(p.bytes()));
        }
    }
    if (data.hasFont)
        bundle.append(data.font);
    out = std::move(bundle);
    return true;
}

bool BundleWriter::write(const DownloadFiles &files, const QString &target, QString *error)
{
    if (error)
        error->clear();
    if (!files.any())
        return false;
    QByteArray bundle;
    if (!build(files, bundle, error))
        return false;
    return writeFileAtomically(target, bundle, error);
}

} // namespace h5

#include "link/BundleWriter.h"

#include "common/Bytes.h"
#include "common/FileIo.h"
#include "link/Frames.h"
#include "link/Registry.h"

namespace h5 {

bool BundleWriter::build(const DownloadFiles &files, QByteArray &out, QString *error)
{
    QByteArray bundle;
    if (!files.project.isEmpty()) {
        QByteArray data;
        if (!loadProjectData(files.project, data, error))
            return false;
        bundle.append(data);
    }
    if (!files.pictures.isEmpty()) {
        PictureListFile list;
        if (!loadPictureList(files.pictures, list, error))
            return false;
        QByteArray image = emptyRegistryImage();
        int64_t block = 0;
        for (DownloadPicture &p : list.pictures) {
            p.firstBlock = int(block);
            char *e = image.data() + p.number * kRegistryEntrySize;
            putLe16(e, uint32_t(p.number));
            putLe16(e + 2, uint32_t(block));
            putLe16(e + 4, uint32_t(p.width));
            putLe16(e + 6, uint32_t(p.height));
            block += p.blocks();
        }
        bundle.append(registryWriteCommand());
        bundle.append(image);
        for (const DownloadPicture &p : list.pictures) {
            bundle.append(pictureHeader(p.number, p.firstBlock, p.width, p.height));
            bundle.append(list.bytes.constData() + p.dataOffset(), qsizetype(p.bytes()));
        }
    }
    if (!files.font.isEmpty()) {
        QByteArray font;
        if (!loadFontFile(files.font, font, error))
            return false;
        bundle.append(font);
    }
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

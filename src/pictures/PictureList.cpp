#include "pictures/PictureList.h"

#include "common/Bytes.h"
#include "common/FileIo.h"
#include "common/Gbk.h"
#include "common/Notifier.h"
#include "pictures/DataAreaWalk.h"
#include "pictures/PictureConvert.h"
#include "pictures/SlotArea.h"
#include "pictures/SlotRecord.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <utility>

namespace h5 {

namespace {

constexpr int kMaxNumber = kSlotCount - 1;
constexpr int kMaxPathBytes = kSlotPathSize;

QString absolutePath(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// True when both paths name the same file, also through links.
bool sameFile(const QString &a, const QString &b)
{
    if (absolutePath(a) == absolutePath(b))
        return true;
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

// Reads the flash pages of a picture of `bytes` bytes from the data area of
// a list file, starting at page `start`. The file must hold the picture's
// own bytes; only the padding of its last page may be cut off (it reads as
// zero). False, with the reason in `why`, when the file cannot be opened or
// ends before the picture does: a download never makes pixels up. Saving a
// list (`keepShort`) copies what there is instead and leaves the rest zero,
// as a project not built since its picture was placed has it.
bool readListPages(const QString &listPath, int64_t start, int64_t bytes, QByteArray &out, QString *why,
                   bool keepShort = false)
{
    QFile file(listPath);
    if (!file.open(QIODevice::ReadOnly)) {
        if (why)
            *why = QStringLiteral("%1：%2").arg(QDir::toNativeSeparators(listPath),
                                               file.exists() ? QStringLiteral("无法打开")
                                                             : QStringLiteral("文件不存在"));
        return false;
    }
    const int64_t pages = (bytes + kFlashPage - 1) / kFlashPage;
    const qint64 offset = kSlotAreaSize + start * kFlashPage;
    if (keepShort && (start < 0 || offset >= file.size() || !file.seek(offset))) {
        out = QByteArray(pages * kFlashPage, '\0');
        return true;
    }
    if (!keepShort && (start < 0 || offset + bytes > file.size() || !file.seek(offset))) {
        if (why)
            *why = QStringLiteral("%1：图片数据不全").arg(QDir::toNativeSeparators(listPath));
        return false;
    }
    out = QByteArray(pages * kFlashPage, '\0');
    qint64 done = 0;
    while (done < out.size()) {
        const qint64 got = file.read(out.data() + done, out.size() - done);
        if (got <= 0)
            break;
        done += got;
    }
    if (done < bytes && !keepShort) {
        if (why)
            *why = QStringLiteral("%1：%2").arg(QDir::toNativeSeparators(listPath), file.errorString());
        return false;
    }
    return true;
}

} // namespace

QByteArray entryPixels(const PictureEntry &e, Notifier &notifier, QString *why)
{
    auto fail = [why](const QString &text) {
        if (why)
            *why = text;
        return QByteArray();
    };
    if (e.width <= 0 || e.height <= 0)
        return fail(QStringLiteral("宽度或高度为0"));
    if (e.width > 0xFFFF || e.height > 0xFFFF || pictureBytes(e.width, e.height) > int64_t(kSlotCount) * kFlashBlock)
        return fail(QStringLiteral("%1×%2超出终端的图片存储空间").arg(e.width).arg(e.height));
    const int64_t bytes = pictureBytes(e.width, e.height);
    if (e.sourceList.empty()) {
        const QString path = fromGbk(e.path);
        QByteArray pixels;
        const ConvertResult result = convertPictureFile(path, e.width, e.height, pixels);
        if (result == ConvertResult::CannotRender) {
            notifier.message(QStringLiteral("渲染图象失败！") + path);
            return fail(QStringLiteral("%1：渲染图象失败！").arg(QDir::toNativeSeparators(path)));
        }
        if (result != ConvertResult::Ok || pixels.size() != bytes)
            return fail(QStringLiteral("%1：%2").arg(QDir::toNativeSeparators(path),
                                                     QFileInfo::exists(path) ? QStringLiteral("无法打开")
                                                                             : QStringLiteral("文件不存在")));
        return pixels;
    }
    QByteArray pages;
    QString reason;
    if (!readListPages(fromGbk(e.sourceList), e.start, bytes, pages, &reason))
        return fail(reason);
    pages.truncate(qsizetype(bytes));
    return pages;
}

int PictureList::addPictures(const QStringList &paths, Notifier &notifier)
{
    int added = 0;
    for (const QString &given : paths) {
        const QString path = absolutePath(given);
        const std::string gbk = toGbk(path);
        if (gbk.size() > std::size_t(kMaxPathBytes)) {
            notifier.message(QDir::toNativeSeparators(path) + QStringLiteral("路径过长，请更改。"));
            continue;
        }
        if (!isGbkEncodable(path)) {
            // The list file keeps paths in GBK; this one could not be found
            // again after a save.
            notifier.message(QDir::toNativeSeparators(path)
                             + QStringLiteral("路径含有无法保存的字符，请更改。"));
            continue;
        }
        if (m_nextNumber > kMaxNumber || m_nextNumber < 0) {
            notifier.message(QStringLiteral("图片编号超出！"));
            break;
        }
        int w = 0;
        int h = 0;
        if (!measurePicture(path, w, h))
            continue; // missing or unopenable: skipped without a message

        PictureEntry e;
        e.number = m_nextNumber;
        e.path = gbk;
        e.width = w;
        e.height = h;
        m_entries.push_back(std::move(e));
        ++m_nextNumber;
        ++added;
    }
    return added;
}

bool PictureList::open(const QString &path, Notifier &notifier)
{
    const QFileInfo info(path);
    if (!info.exists())
        return false;
    // Only the exact lower-case extension selects the plain record list.
    const bool records = path.endsWith(QLatin1String(".wbm"), Qt::CaseSensitive);
    // A size no list file can have is refused before anything is read.
    const qint64 limit = records ? kMaxRecordListBytes : kMaxSlotListBytes;
    if (info.isFile() && info.size() > limit) {
        notifier.message(QStringLiteral("图片列表文件%1过大（%2字节），%3文件至多%4字节，打开不成功")
                             .arg(QDir::toNativeSeparators(path))
                             .arg(info.size())
                             .arg(records ? QStringLiteral(".wbm") : QStringLiteral(".tbm/.cbm"))
                             .arg(limit));
        return false;
    }
    if (records)
        return openRecordList(path, notifier);
    return openSlotFile(path, notifier);
}

bool PictureList::openRecordList(const QString &path, Notifier &notifier)
{
    QByteArray data;
    QString error;
    if (!readWholeFile(path, data, &error, kMaxRecordListBytes)) {
        notifier.message(QStringLiteral("图片列表文件无法读取：") + error);
        return false;
    }
    // Record i is read while (i + 1) * 2060 fits; a remainder is ignored.
    const qsizetype records = data.size() / kSlotSize;
    for (qsizetype i = 0; i < records; ++i) {
        const SlotRecord r = SlotRecord::fromBytes(data.constData() + i * kSlotSize, true);
        const bool listed =
            std::any_of(m_entries.begin(), m_entries.end(), [&](const PictureEntry &e) {
                return e.number == r.number && e.path == r.path;
            });
        if (listed)
            continue;
        PictureEntry e;
        e.number = r.number;
        e.path = r.path;
        e.width = r.width;
        e.height = r.height;
        m_entries.push_back(std::move(e));
        m_nextNumber = std::max(m_nextNumber, int(r.number) + 1);
    }
    return true;
}

bool PictureList::openSlotFile(const QString &path, Notifier &notifier)
{
    SlotArea area;
    QString error;
    if (!SlotArea::load(path, area, &error)) {
        notifier.message(error + QStringLiteral("，打开不成功"));
        return false;
    }
    const std::string source = toGbk(absolutePath(path));
    const std::vector<SlotData> walk = walkDataArea(area.bytes(), DataSlots::Sized);
    for (int j = 0; j < kSlotCount; ++j) {
        const SlotRecord r = area.slot(j);
        if (!r.occupied())
            continue;
        // The slot's position is the number; the stored number field is
        // not used.
        PictureEntry e;
        e.number = j;
        e.path = r.path;
        e.width = r.width;
        e.height = r.height;
        e.sourceList = source;
        e.start = int(walk[size_t(j)].startPage);
        m_entries.push_back(std::move(e));
        m_nextNumber = std::max(m_nextNumber, j + 1);
    }
    return true;
}

bool PictureList::save(const QString &path, Notifier &notifier, QString *savedPath)
{
    QString target = path;
    if (!target.endsWith(QLatin1String(".tbm"), Qt::CaseSensitive))
        target += QLatin1String(".tbm");
    if (savedPath)
        *savedPath = target;

    // Adjacent-exchange sort by number. Two equal numbers meeting stop the
    // save and leave the list as far sorted as it got.
    const std::size_t n = m_entries.size();
    for (std::size_t i = 0; i + 1 < n; ++i) {
        for (std::size_t j = 0; j + i + 1 < n; ++j) {
            PictureEntry &a = m_entries[j];
            PictureEntry &b = m_entries[j + 1];
            if (a.number > b.number) {
                std::swap(a, b);
            } else if (a.number == b.number) {
                notifier.message(
                    QStringLiteral("图片编号%1重复，保存不成功，请修正").arg(a.number));
                return false;
            }
        }
    }

    // The pictures together cannot be more than the terminal's picture
    // store holds; checked before any is converted, so a damaged list
    // claiming huge pictures costs nothing.
    int64_t total = 0;
    for (const PictureEntry &e : m_entries) {
        // (A single picture beyond the store is named further on.)
        if (e.width > 0 && e.height > 0 && e.width <= 0xFFFF && e.height <= 0xFFFF
            && pictureBytes(e.width, e.height) <= int64_t(kSlotCount) * kFlashBlock)
            total += picturePages(e.width, e.height);
    }
    if (total > int64_t(kSlotCount) * (kFlashBlock / kFlashPage)) {
        notifier.message(QStringLiteral("图片总量超出终端的图片存储容量，保存不成功，请修正"));
        return false;
    }

    QByteArray file(kSlotAreaSize, '\0');
    std::vector<int64_t> starts;
    starts.reserve(n);
    int64_t running = 0;
    for (const PictureEntry &e : m_entries) {
        if (e.number < 0 || e.number > kMaxNumber) {
            notifier.message(QStringLiteral("图片编号超出！"));
            return false;
        }
        if (e.path.size() > std::size_t(kMaxPathBytes)) {
            // A path from a plain record list may be up to 2048 bytes; it
            // would not fit its slot.
            notifier.message(
                QStringLiteral("编号%1的图片路径超过1024字节，保存不成功，请修正").arg(e.number));
            return false;
        }
        // A picture larger than the terminal's whole picture store (600
        // flash blocks) cannot be downloaded; such a size mostly comes from
        // a damaged list, and making its pages would take gigabytes.
        if (e.width < 0 || e.height < 0 || e.width > 0xFFFF || e.height > 0xFFFF
            || pictureBytes(e.width, e.height) > int64_t(kSlotCount) * kFlashBlock) {
            notifier.message(QStringLiteral("编号%1的图片尺寸超出范围，保存不成功，请修正 %2")
                                 .arg(e.number)
                                 .arg(QDir::toNativeSeparators(fromGbk(e.path))));
            return false;
        }

        SlotRecord record;
        record.inUse = 1;
        record.path = e.path;
        record.number = static_cast<uint16_t>(e.number);
        record.setSize(e.width, e.height);
        record.writeTo(file.data() + qsizetype(e.number) * kSlotSize);

        const int64_t pages = picturePages(e.width, e.height);
        // Pixels whose source list is the file being replaced are made
        // again from the image file, as they would be were the file
        // re-created first.
        if (e.sourceList.empty() || sameFile(fromGbk(e.sourceList), target)) {
            QByteArray pixels;
            const ConvertResult result =
                convertPictureFile(fromGbk(e.path), e.width, e.height, pixels);
            if (result == ConvertResult::CannotOpen) {
                notifier.message(
                    QStringLiteral("编号%1的图片源文件无法打开，保存不成功，请修正").arg(e.number));
                return false;
            }
            if (result == ConvertResult::CannotRender) {
                notifier.message(QStringLiteral("渲染图象失败！") + fromGbk(e.path));
                return false;
            }
            appendPicturePages(file, pixels);
        } else {
            QByteArray copied;
            if (!readListPages(fromGbk(e.sourceList), e.start, pictureBytes(e.width, e.height), copied, nullptr, true)) {
                notifier.message(
                    QStringLiteral("编号%1的图片源列表文件丢失，保存不成功，请修正").arg(e.number));
                return false;
            }
            file.append(copied);
        }
        starts.push_back(running);
        running += pages;
    }

    QString error;
    if (!writeFileAtomically(target, file, &error)) {
        notifier.message(QStringLiteral("图片列表文件保存不成功：") + error);
        return false;
    }

    const std::string saved = toGbk(absolutePath(target));
    for (std::size_t i = 0; i < n; ++i) {
        m_entries[i].sourceList = saved;
        m_entries[i].start = int(starts[i]);
    }
    return true;
}

} // namespace h5

#include "project/Build.h"

#include "common/BigBuffer.h"
#include "common/Bytes.h"
#include "common/FileIo.h"
#include "common/Gbk.h"
#include "pictures/PictureConvert.h"
#include "pictures/SlotRecord.h"
#include "project/Compiler.h"
#include "project/Encoding.h"
#include "project/ProjectData.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <functional>
#include <cstring>
#include <map>
#include <thread>
#include <tuple>
#include <utility>

namespace h5 {

namespace {

// What converting one picture file gave. Never changed once made, so
// builds share it.
struct ConvertedPicture
{
    // The block the pictures of one build were read and converted into;
    // `source` and `pixels` may point into it.
    std::shared_ptr<const BigBuffer> memory;
    QByteArray source; // the file's bytes (kept to recognise the content)
    int width = 0;
    int height = 0;
    ConvertResult result = ConvertResult::CannotOpen;
    QString error;
    QByteArrayView pixels;
    QByteArray ownPixels; // the pixels, when they are not in `memory`
};
using PictureRef = std::shared_ptr<const ConvertedPicture>;

using FileKey = std::tuple<QString, int, int>; // path, width, height
FileKey cacheKey(const QString &path, int w, int h) { return {path, w, h}; }

// One event a page's compilation told the user, to be told again when the
// cached page stands in for it.
struct Note
{
    bool isMessage = true;
    QString text;
};

class NoteRecorder : public Notifier
{
public:
    explicit NoteRecorder(Notifier &to) : m_to(to) {}
    void message(const QString &text) override
    {
        notes.push_back({true, text});
        m_to.message(text);
    }
    bool question(const QString &text) override
    {
        asked = true;
        return m_to.question(text);
    }
    void status(const QString &text) override
    {
        notes.push_back({false, text});
        m_to.status(text);
    }
    std::vector<Note> notes;
    bool asked = false; // a question's answer may differ next time: not cached
private:
    Notifier &m_to;
};

} // namespace

struct BuildCache::Data
{
    // Pictures: the file each conversion came from as it was read, and the
    // conversions of the last build (looked through by content).
    struct KnownFile
    {
        FileStamp stamp;
        PictureRef picture;
    };
    std::map<FileKey, KnownFile> files;
    std::vector<PictureRef> pictures;

    // Page files read by buildProjectFiles, and what saving them gave.
    struct KnownPage
    {
        QByteArray bytes; // the file as read
        int resolution = -1;
        bool slotUsed = false;
        PreparedPage prepared;
        std::vector<Note> notes;
    };
    std::map<QString, KnownPage> pages;

    // The picture position file as the last build left it.
    bool positionKnown = false;
    FileStamp positionStamp;
    QByteArray positionHead;
    FileParts positionData;
    std::vector<PictureRef> positionKeep; // what positionData points into

    // The last build's outputs, to tell what the next one changes.
    bool built = false;
    QByteArray projectData;
    std::map<int, QByteArray> instructionFiles;
    struct BuiltPicture
    {
        int width = 0;
        int height = 0;
        PictureRef picture; // what `pixels` points into
        QByteArrayView pixels; // empty: black (missing or not converted)
    };
    std::map<int, BuiltPicture> builtPictures;

    BuildChanges changes;
    int converted = 0;
    int compiled = 0;
    bool positionTrusted = false;
};

BuildCache::BuildCache() : d(std::make_unique<Data>()) {}
BuildCache::~BuildCache() = default;
void BuildCache::clear() { d = std::make_unique<Data>(); }
const BuildChanges &BuildCache::changes() const { return d->changes; }
int BuildCache::picturesConverted() const { return d->converted; }
int BuildCache::pagesCompiled() const { return d->compiled; }
bool BuildCache::positionFileTrusted() const { return d->positionTrusted; }
const QByteArray &BuildCache::projectData() const { return d->projectData; }
const QByteArray &BuildCache::pictureRecords() const { return d->positionHead; }

bool BuildCache::picturePixels(int number, QByteArray &pixels, int &width, int &height) const
{
    const auto it = d->builtPictures.find(number);
    if (it == d->builtPictures.end())
        return false;
    width = it->second.width;
    height = it->second.height;
    pixels = it->second.pixels.isEmpty()
        ? QByteArray(qsizetype(pictureBytes(width, height)), '\0')
        : it->second.pixels.toByteArray();
    return true;
}

namespace {

// The same bytes; a picture taken from the cache is the very same buffer,
// which needs no comparing.
bool sameBytes(QByteArrayView a, QByteArrayView b)
{
    return a.size() == b.size() && (a.data() == b.data() || a == b);
}

// Pieces pointing at the same bytes (buffers that never change while a
// reference to them is kept).
bool samePieces(const FileParts &a, const FileParts &b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].data() != b[i].data() || a[i].size() != b[i].size())
            return false;
    return true;
}

constexpr int kPageIndexOffset = kProjectDataOffset + kPageIndexAt;     // 102,413
constexpr int kSegmentsOffset = kProjectDataOffset + kFirstSegmentAt; // 104,461
constexpr int kControlTableEntries = 150;

// Appends the project data after the page slots: project header, page
// index, and one segment per page whose instruction file exists. The
// header and index go into the project file's bytes; the segments stay
// pieces (a header, and the instruction file after its first byte), so
// the megabytes of instructions are written and compared from the
// instruction files themselves, never copied.
void appendProjectData(ProjectWork &work, QString &report)
{
    struct Segment
    {
        int page;
        int length;
        QByteArray wlc;
    };
    std::vector<Segment> segments;
    for (int n = 0; n < kPageSlots; ++n) {
        const PageSlot slot = work.projectFile.slot(n);
        if (!slot.used())
            continue;
        const int p = slot.pageNo();
        QByteArray wlc;
        if (p >= kPageSlots || !work.instructionFile(p, wlc) || wlc.isEmpty()) {
            report += QStringLiteral("画面 %1 指令文件丢失!\r\n").arg(p);
            continue;
        }
        segments.push_back({p, slot.length, std::move(wlc)});
    }
    QByteArray &data = work.projectFile.bytes();
    data.truncate(kProjectDataOffset);
    data.append(projectHeader());
    data.append(2 * kPageSlots, char(0xFF));
    // All segment headers in one buffer, sized first so the pieces
    // pointing into it stay where they are.
    const qsizetype headerSize = longSegmentHeader(0, 0).size();
    QByteArray headers;
    headers.reserve(headerSize * qsizetype(segments.size()));
    int first = 0;
    for (const Segment &s : segments) {
        const int layer = quint8(s.wlc.at(0));
        putLe16(data.data() + kPageIndexOffset + 2 * s.page, uint32_t(layer * 16384) | uint32_t(first));
        headers.append(longSegmentHeader(uint16_t(first), uint16_t(s.length)));
        first += s.length;
    }
    work.projectData.clear();
    work.projectDataBuffers.clear();
    for (std::size_t i = 0; i < segments.size(); ++i) {
        work.projectData.push_back(
            QByteArrayView(headers.constData() + qsizetype(i) * headerSize, headerSize));
        work.projectData.push_back(QByteArrayView(segments[i].wlc).sliced(1));
    }
    work.projectDataBuffers.push_back(std::move(headers));
    for (Segment &s : segments)
        work.projectDataBuffers.push_back(std::move(s.wlc));
    work.projectFileChanged = true;
}

// The project data as one buffer, what follows the slots in the project
// file a build wrote (`head`, the file up to the end of the page index,
// then `segments`), for the cache: `last` (the last build's) when it holds
// the same bytes, which `same` then says; otherwise made in `last`'s memory
// when nothing else holds that.
QByteArray joinedProjectData(const QByteArray &head, const FileParts &segments, QByteArray last,
                             bool &same)
{
    FileParts parts{QByteArrayView(head).sliced(kProjectDataOffset)};
    parts.insert(parts.end(), segments.begin(), segments.end());
    const qint64 size = partsSize(parts);
    same = last.size() == size;
    qsizetype at = 0;
    for (const QByteArrayView part : parts) {
        if (!same)
            break;
        if (!part.isEmpty())
            same = std::memcmp(last.constData() + at, part.data(), size_t(part.size())) == 0;
        at += part.size();
    }
    if (same)
        return last;
    QByteArray data = std::move(last);
    data.resize(qsizetype(size)); // every byte written below
    char *to = data.data();
    for (const QByteArrayView part : parts) {
        if (!part.isEmpty())
            std::memcpy(to, part.data(), size_t(part.size()));
        to += part.size();
    }
    return data;
}

// One picture of the data area: its record, where its file is, and what
// converting it gave.
struct PictureJob
{
    int number;
    QString name;
    QString path;
    int width;
    int height;
    bool present = false; // the file exists in the project's picture folder
    PictureRef picture;   // the conversion, from the cache or made now
    bool fromCache = false;
    FileStamp stamp;      // the file as it was read
};

// Zero bytes for the pieces of the data area that hold no picture.
QByteArrayView zeros(qint64 length)
{
    static const QByteArray buffer(1 << 20, '\0');
    return QByteArrayView(buffer.constData(), qsizetype(std::min<qint64>(length, buffer.size())));
}

void appendZeros(FileParts &parts, qint64 length)
{
    while (length > 0) {
        const QByteArrayView z = zeros(length);
        parts.push_back(z);
        length -= z.size();
    }
}

// Where one picture's file and pixel data go in the blocks convertAll
// takes for them (null: nowhere, the job allocates its own).
struct JobPlace
{
    char *source = nullptr;
    qint64 sourceSize = 0;
    char *pixels = nullptr;
};

// Reads the file into `at`, which holds the `size` bytes the file had when
// it was measured. False when it cannot be opened or holds another number
// of bytes now (it changed in between): the caller reads it as usual then.
bool readMeasuredFile(const QString &path, char *at, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered) || file.size() != size)
        return false;
    for (qint64 done = 0; done < size;) {
        const qint64 n = file.read(at + done, size - done);
        if (n <= 0)
            return false;
        done += n;
    }
    char more = 0;
    return file.read(&more, 1) == 0;
}

// Reads and converts one picture, or finds its content among the
// conversions the cache remembers. `memory` is the block `place` points
// into; `decoded` an image the decoder may reuse from picture to picture.
// The conversion the cache remembers for a file of these bytes at the
// job's size, if any.
PictureRef knownPicture(const PictureJob &job, const QByteArray &bytes,
                        const std::vector<PictureRef> &known)
{
    for (const PictureRef &p : known) {
        if (p->width == job.width && p->height == job.height && p->source.size() == bytes.size()
            && p->result != ConvertResult::CannotOpen && p->source == bytes)
            return p;
    }
    return nullptr;
}

// Runs `worker` on every core at once (this thread being one of them), at
// most `jobs` times.
void onAllCores(std::size_t jobs, const std::function<void()> &worker)
{
    const unsigned threads =
        std::min<unsigned>(std::max(1u, std::thread::hardware_concurrency()), unsigned(jobs));
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t)
        pool.emplace_back(worker);
    worker();
    for (std::thread &t : pool)
        t.join();
}

void convertJob(PictureJob &job, const std::vector<PictureRef> *known,
                const std::shared_ptr<const BigBuffer> &memory, const JobPlace &place,
                QImage &decoded)
{
    auto made = std::make_shared<ConvertedPicture>();
    made->width = job.width;
    made->height = job.height;
    QByteArray bytes;
    QString why;
    if (place.source && readMeasuredFile(job.path, place.source, place.sourceSize)) {
        bytes = QByteArray::fromRawData(place.source, qsizetype(place.sourceSize));
        made->memory = memory;
    } else if (!readWholeFile(job.path, bytes, &why)) {
        made->result = ConvertResult::CannotOpen;
        made->error = why;
        job.picture = made;
        return;
    }
    if (known) {
        if (PictureRef p = knownPicture(job, bytes, *known)) {
            job.picture = std::move(p);
            job.fromCache = true;
            return;
        }
        made->source = bytes;
    }
    const qint64 size = pictureBytes(job.width, job.height);
    if (place.pixels) {
        made->result = convertPictureDataInto(bytes, job.path, job.width, job.height, place.pixels,
                                              &made->error, &decoded);
        if (made->result == ConvertResult::Ok) {
            made->pixels = QByteArrayView(place.pixels, qsizetype(size));
            made->memory = memory;
        }
    } else {
        made->result = convertPictureData(bytes, job.path, job.width, job.height, made->ownPixels,
                                          &made->error);
        made->pixels = QByteArrayView(made->ownPixels);
    }
    job.picture = made;
}

// Converts the pictures on all cores; each job owns its own decoder and
// buffers, so the conversions share nothing. The pictures are converted
// into one block taken at once (see BigBuffer), where the pixel data stays
// for the picture position file and the cache; the files are read into
// that block too when the cache keeps them to recognise them by, otherwise
// into one buffer per worker.
void convertAll(std::vector<PictureJob> &jobs, const std::vector<PictureRef> *known)
{
    std::vector<PictureJob *> todo;
    for (PictureJob &job : jobs)
        if (job.present && !job.picture)
            todo.push_back(&job);
    if (todo.empty())
        return;
    // The decoders are loaded here, on this thread, never first on a worker.
    loadPictureDecoders();

    // Files whose content the cache converted before need no room for
    // pixel data: they are looked for first, each file read into one
    // buffer per worker.
    if (known && !known->empty()) {
        std::atomic<std::size_t> next{0};
        onAllCores(todo.size(), [&]() {
            BigBuffer buffer;
            for (std::size_t i = next++; i < todo.size(); i = next++) {
                PictureJob &job = *todo[i];
                const qint64 size = job.stamp.exists ? job.stamp.size : QFileInfo(job.path).size();
                if (size <= 0)
                    continue;
                if (buffer.size() < size)
                    buffer = BigBuffer(qsizetype(size));
                if (buffer.isNull() || !readMeasuredFile(job.path, buffer.data(), size))
                    continue;
                if (PictureRef p = knownPicture(
                        job, QByteArray::fromRawData(buffer.data(), qsizetype(size)), *known)) {
                    job.picture = std::move(p);
                    job.fromCache = true;
                }
            }
        });
        todo.erase(std::remove_if(todo.begin(), todo.end(),
                                  [](const PictureJob *job) { return bool(job->picture); }),
                   todo.end());
        if (todo.empty())
            return;
    }

    // The block's layout: every picture's pixel data, and every file as
    // large as it is now (a file that changes before it is read is read
    // as usual instead).
    constexpr qint64 kAlign = 64;
    auto aligned = [](qint64 n) { return (n + kAlign - 1) / kAlign * kAlign; };
    std::vector<qint64> sourceSizes(todo.size(), 0);
    qint64 keptBytes = 0, sourceBytes = 0;
    for (std::size_t i = 0; i < todo.size(); ++i) {
        const PictureJob &job = *todo[i];
        sourceSizes[i] = job.stamp.exists ? job.stamp.size : QFileInfo(job.path).size();
        keptBytes += aligned(pictureBytes(job.width, job.height));
        sourceBytes += aligned(sourceSizes[i]);
    }
    // With a cache the files' bytes are kept with the pixels; without one
    // each worker reads them into a buffer of its own, one after another.
    if (known)
        keptBytes += sourceBytes;
    auto kept = std::make_shared<BigBuffer>(qsizetype(keptBytes));
    std::vector<JobPlace> places(todo.size());
    if (!kept->isNull()) {
        char *pixelsAt = kept->data();
        char *sourceAt = kept->data() + (keptBytes - sourceBytes);
        for (std::size_t i = 0; i < todo.size(); ++i) {
            const qint64 size = pictureBytes(todo[i]->width, todo[i]->height);
            if (size > 0)
                places[i].pixels = pixelsAt;
            pixelsAt += aligned(size);
            places[i].sourceSize = sourceSizes[i];
            if (known && sourceSizes[i] > 0) {
                places[i].source = sourceAt;
                sourceAt += aligned(sourceSizes[i]);
            }
        }
    }
    const std::shared_ptr<const BigBuffer> memory = kept;

    std::atomic<std::size_t> next{0};
    onAllCores(todo.size(), [&]() {
        // One decoded image per worker, in memory taken at once, for the
        // decoder to reuse for every picture of the picture's own size.
        BigBuffer decodedMemory;
        QImage decoded;
        // Without a cache the files are read one after another into one
        // buffer per worker, as large as the largest.
        BigBuffer sourceMemory;
        for (std::size_t i = next++; i < todo.size(); i = next++) {
            const PictureJob &job = *todo[i];
            JobPlace place = places[i];
            if (!place.source && place.pixels && place.sourceSize > 0) {
                if (sourceMemory.size() < place.sourceSize)
                    sourceMemory = BigBuffer(qsizetype(place.sourceSize));
                place.source = sourceMemory.data();
            }
            if (decoded.isNull() && job.width > 0 && job.height > 0) {
                decodedMemory = BigBuffer(qsizetype(job.width) * job.height * 4);
                if (!decodedMemory.isNull())
                    decoded = QImage(reinterpret_cast<uchar *>(decodedMemory.data()), job.width,
                                     job.height, qsizetype(job.width) * 4, QImage::Format_RGB32);
            }
            convertJob(*todo[i], known, memory, place, decoded);
        }
        decoded = QImage();
    });
}

// Replaces the data area of the picture position file with the pixels of
// every picture some page shows, in number order; frees the records of the
// others. Every used picture keeps its pages in the data area: one whose
// file is missing or does not decode is reported and stays black there, so
// every later picture still starts where the records say. The data area is
// left as pieces in `work.positionData`, pointing into `keep`.
bool appendPictureData(const Project &project, ProjectWork &work, Notifier &notifier,
                       QString &report, QString *error, BuildCache::Data *cache,
                       std::vector<PictureJob> &jobs)
{
    QByteArray &file = work.positionFile;
    file.truncate(kSlotAreaSize);
    jobs.clear();
    for (int i = 0; i < kSlotCount; ++i) {
        char *rec = file.data() + i * kSlotSize;
        const SlotRecord record = SlotRecord::fromBytes(rec);
        if (!record.usedByAnyPage()) {
            std::fill(rec, rec + kSlotSize, '\0');
            continue;
        }
        rec[kSlotInUseOffset] = 1;
        const QString name = fromGbk(record.path);
        PictureJob job;
        job.number = i;
        job.name = name;
        job.path = project.picturesDir() + QLatin1Char('/') + name;
        job.width = record.width;
        job.height = record.height;
        job.present = !name.isEmpty() && QFileInfo(job.path).isFile();
        // No picture can be larger than the terminal's whole picture store
        // (600 flash blocks): such a size is a damaged record, and building
        // it would only allocate gigabytes.
        if (pictureBytes(job.width, job.height) > int64_t(kSlotCount) * kFlashBlock) {
            if (error)
                *error = QStringLiteral("%1：图象位置信息文件已损坏（图片%2为%3 x %4，"
                                        "超出终端所能容纳的大小）")
                             .arg(project.positionFilePath())
                             .arg(i)
                             .arg(job.width)
                             .arg(job.height);
            return false;
        }
        if (job.present && cache) {
            // A file that is still the one read at the last build, and was
            // not then freshly written, holds what it held.
            job.stamp = FileStamp::of(job.path);
            const auto it = cache->files.find(cacheKey(job.path, job.width, job.height));
            if (it != cache->files.end() && it->second.stamp.settled
                && it->second.stamp.sameFile(job.stamp)) {
                job.picture = it->second.picture;
                job.fromCache = true;
            }
        }
        jobs.push_back(std::move(job));
    }

    convertAll(jobs, cache ? &cache->pictures : nullptr);
    if (cache)
        for (const PictureJob &job : jobs)
            cache->converted += job.present && !job.fromCache;

    FileParts &parts = work.positionData;
    parts.clear();
    for (const PictureJob &job : jobs) {
        const qint64 bytes = pictureBytes(job.width, job.height);
        if (!job.present) {
            report += QStringLiteral("图片") + job.name + QStringLiteral("丢失!\r\n");
            appendZeros(parts, bytes);
        } else if (job.picture->result == ConvertResult::Ok && job.picture->pixels.size() == bytes) {
            parts.push_back(QByteArrayView(job.picture->pixels));
        } else {
            notifier.message(QStringLiteral("渲染图象失败！") + job.path);
            report += QStringLiteral("图片") + job.name + QStringLiteral("渲染失败!\r\n");
            appendZeros(parts, bytes);
        }
        const qint64 rest = bytes % kFlashPage;
        if (rest)
            appendZeros(parts, kFlashPage - rest);
    }
    work.positionFileChanged = true;
    // The file the last build left, unchanged since and to be unchanged now:
    // nothing to compare or write.
    if (cache && cache->positionKnown && cache->positionStamp.settled
        && cache->positionStamp.sameFile(FileStamp::of(project.positionFilePath()))
        && cache->positionHead == file && samePieces(cache->positionData, parts))
        work.positionFileCurrent = true;
    return true;
}

// Reads the control table of every page and reports IDs out of range and
// IDs used by two pages.
void checkControlIds(ProjectWork &work, QString &report)
{
    std::vector<int> owner(2048, 0xFFFF);
    for (int n = 0; n < kPageSlots; ++n) {
        const PageSlot slot = work.projectFile.slot(n);
        if (!slot.used())
            continue;
        const int p = slot.pageNo();
        QByteArray wlc;
        if (p >= kPageSlots || !work.instructionFile(p, wlc))
            continue;
        const qint64 table = qint64(slot.length) * kFlashPage + 1;
        if (wlc.size() == table)
            continue; // no controls
        for (int k = 0; k < kControlTableEntries; ++k) {
            const qint64 at = table + 9 + 14 * k;
            if (at + 2 > wlc.size())
                break;
            const int id = ((getU8(wlc.constData() + at + 1) * 256) & 0x7FFF)
                | getU8(wlc.constData() + at);
            if (id == 0x7FFF)
                break;
            if (id > 2047) {
                report += QStringLiteral("页面 %1 的控件 %2 超出范围0-2047，请修正!\r\n").arg(p).arg(id);
                continue;
            }
            if (owner[id] == 0xFFFF)
                owner[id] = p;
            else
                report += QStringLiteral("页面 %1 与页面 %2 的控件 %3 重复，请修正!\r\n")
                              .arg(p)
                              .arg(owner[id])
                              .arg(id);
        }
    }
}

// The segment of page `page` in project data as appendProjectData writes
// it: the layer of its index entry, the page length of its long header, and
// its bytes after that header up to the next page segment (the stream and
// the page's control blocks). False when the index has no entry for the
// page or no page segment starts at the flash page the entry names.
bool builtSegment(const QByteArray &data, int page, int &layer, int &length, QByteArrayView &body)
{
    if (page < 0 || page >= kPageSlots)
        return false;
    const ProjectDataLayout layout = readProjectData(data, SegmentReading::AsTerminal);
    const int entry = layout.indexEntry(page);
    if (layout.fault != ProjectDataLayout::Fault::None || entry == 0xFFFF)
        return false;
    const int first = entry & 0x3FFF;
    const auto &segments = layout.segments;
    qsizetype i = 0;
    while (i < segments.size() && !(segments[i].isPageSegment() && segments[i].number == first))
        ++i;
    if (i == segments.size())
        return false;
    const ProjectSegment &start = segments[i];
    qint64 end = start.end();
    for (++i; i < segments.size() && !segments[i].isPageSegment(); ++i)
        end = segments[i].end();
    layer = entry >> 14;
    length = start.pages;
    body = QByteArrayView(data.constData() + start.bodyOffset(), qsizetype(end - start.bodyOffset()));
    return true;
}

} // namespace

int pageChangedSinceBuild(const Project &project, const ProjectFile &projectFile,
                          const QByteArray &builtData)
{
    const QDateTime built = QFileInfo(project.file).lastModified();
    for (int n = 0; n < kPageSlots; ++n) {
        const PageSlot slot = projectFile.slot(n);
        if (!slot.used() || slot.pageNo() >= kPageSlots)
            continue;
        const int p = slot.pageNo();
        const QString path = project.pagePath(p);
        const QFileInfo info(path);
        if (!info.isFile())
            continue;
        // The page as a build compiles it (ProjectWork::savePage): opened
        // with the project's settings, normalised, compiled; a page longer
        // than the slot can record is refused by the build.
        OpenPage open;
        bool compared = false;
        bool same = false;
        if (project.openPage(path, open, nullptr) && open.page.settings.m_nPageNo == p) {
            open.page.normalise(project.resolution);
            RecordingNotifier quiet;
            const CompiledPage compiled = compilePage(open.page, p, quiet);
            if (compiled.ok && !compiled.instructionFile.isEmpty() && compiled.pageLength <= 255) {
                compared = true;
                int layer = 0, length = 0;
                QByteArrayView body;
                const QByteArrayView wlc(compiled.instructionFile);
                // The index entry keeps the layer in its top two bits.
                same = builtSegment(builtData, p, layer, length, body)
                    && layer == (getU8(wlc.data()) & 3) && length == compiled.pageLength
                    && body == wlc.sliced(1);
            }
        }
        if (compared ? !same : info.lastModified() > built)
            return p;
    }
    return -1;
}

namespace {

// The report's end: the final message and the status bar text.
void finishReport(BuildResult &result, Notifier &notifier, const QString &report)
{
    result.completed = true;
    result.report = report;
    if (result.report.isEmpty()) {
        notifier.status(QStringLiteral("编译完成"));
        result.finalMessage = QStringLiteral("编译完成!");
    } else {
        result.finalMessage = result.report;
    }
}

// What the cache keeps of a completed build, and what changed against the
// build before it.
void remember(BuildCache::Data &c, const Project &project, const QByteArray &projectData,
              bool projectDataSame,
              const std::map<int, QByteArray> &instructionFiles, const QByteArray &positionHead,
              const FileParts &positionData, const std::vector<PictureJob> &jobs)
{
    // Pictures.
    std::map<FileKey, BuildCache::Data::KnownFile> files;
    std::vector<PictureRef> pictures;
    std::map<int, BuildCache::Data::BuiltPicture> built;
    for (const PictureJob &job : jobs) {
        BuildCache::Data::BuiltPicture b;
        b.width = job.width;
        b.height = job.height;
        if (job.present && job.picture) {
            if (job.stamp.exists)
                files[cacheKey(job.path, job.width, job.height)] = {job.stamp, job.picture};
            if (job.picture->result != ConvertResult::CannotOpen)
                pictures.push_back(job.picture);
            if (job.picture->result == ConvertResult::Ok
                && job.picture->pixels.size() == pictureBytes(job.width, job.height)) {
                b.picture = job.picture;
                b.pixels = job.picture->pixels;
            }
        }
        built[job.number] = b;
    }

    // Changes.
    BuildChanges changes;
    changes.known = c.built;
    changes.projectData = !c.built || !projectDataSame;
    for (const auto &[page, wlc] : instructionFiles) {
        const auto it = c.instructionFiles.find(page);
        if (!c.built || it == c.instructionFiles.end() || it->second != wlc)
            changes.pages.push_back(page);
    }
    for (const auto &[number, b] : built) {
        const auto it = c.builtPictures.find(number);
        if (!c.built || it == c.builtPictures.end() || it->second.width != b.width
            || it->second.height != b.height || !sameBytes(it->second.pixels, b.pixels))
            changes.pictures.push_back(number);
    }

    c.files = std::move(files);
    c.pictures = std::move(pictures);
    c.builtPictures = std::move(built);
    c.instructionFiles = instructionFiles;
    c.projectData = projectData;
    c.changes = std::move(changes);
    c.built = true;

    // The picture position file as it now is: the stamp is taken after the
    // file was written or found equal, so a later change shows in it.
    c.positionKnown = true;
    c.positionStamp = FileStamp::of(project.positionFilePath());
    c.positionHead = positionHead;
    c.positionData = positionData;
    c.positionKeep.clear();
    for (const PictureJob &job : jobs)
        if (job.picture)
            c.positionKeep.push_back(job.picture);
}

// A build once its pages are in `work`: project data, picture data, the
// control ID check, the files written; the cache told what came of it.
void finishBuild(const Project &project, ProjectWork &work, Notifier &notifier,
                 BuildResult &result, const BuildProgress &progress, int done, int total,
                 BuildCache::Data *cache, const std::map<int, QByteArray> &instructionFiles)
{
    QString missingPages, missingPictures, ids;
    appendProjectData(work, missingPages);
    std::vector<PictureJob> jobs;
    if (cache)
        cache->positionKnown = cache->positionKnown && !cache->positionData.empty();
    if (!appendPictureData(project, work, notifier, missingPictures, &result.error, cache, jobs))
        return;
    if (progress)
        progress(++done, total);
    checkControlIds(work, ids);
    // Kept before the commit lets go of them.
    const FileParts positionData = cache ? work.positionData : FileParts();
    const QByteArray projectHead = cache ? work.projectFile.bytes() : QByteArray();
    const FileParts segments = cache ? work.projectData : FileParts();
    const std::vector<QByteArray> segmentBuffers =
        cache ? work.projectDataBuffers : std::vector<QByteArray>(); // what `segments` points into
    const bool trusted = work.positionFileCurrent;
    if (!work.commit(&result.error))
        return;
    if (progress)
        progress(++done, total);
    if (cache) {
        bool projectDataSame = false;
        const QByteArray projectData = joinedProjectData(
            projectHead, segments, std::exchange(cache->projectData, QByteArray()), projectDataSame);
        remember(*cache, project, projectData, projectDataSame, instructionFiles, work.positionFile,
                 positionData, jobs);
        cache->positionTrusted = trusted;
    }
    finishReport(result, notifier, missingPages + missingPictures + ids);
}

void startCounts(BuildCache::Data *cache)
{
    if (!cache)
        return;
    cache->converted = 0;
    cache->compiled = 0;
    cache->positionTrusted = false;
}

} // namespace

BuildResult buildProject(const Project &project, std::vector<OpenPage> &pages, Notifier &notifier,
                         const BuildProgress &progress, BuildCache *cache)
{
    BuildResult result;
    BuildCache::Data *c = cache ? &cache->data() : nullptr;
    startCounts(c);
    notifier.status(QStringLiteral("正在编译，请稍后............"));
    if (pages.empty()) {
        notifier.status(QStringLiteral("编译完成"));
        result.completed = true;
        result.finalMessage = QStringLiteral("无画面，编译完成!");
        return result;
    }

    ProjectWork work(project);
    if (!work.begin(&result.error, /*slotAreaOnly=*/true))
        return result;

    // Progress: one step per page saved, then pictures, then writing.
    const int total = int(pages.size()) + 2;
    int done = 0;
    std::map<int, QByteArray> instructionFiles;
    for (OpenPage &page : pages) {
        PreparedPage prepared;
        if (!work.preparePage(page, notifier, prepared, &result.error)
            || !work.addPreparedPage(prepared, &result.error))
            return result;
        if (c)
            ++c->compiled;
        if (prepared.compiled)
            instructionFiles[prepared.pageNo] = prepared.instructionFile;
        if (progress)
            progress(++done, total);
    }
    finishBuild(project, work, notifier, result, progress, done, total, c, instructionFiles);
    return result;
}

BuildResult buildProjectFiles(const Project &project, BuildCache &cache, Notifier &notifier,
                              int *pageFailures, const BuildProgress &progress)
{
    BuildResult result;
    BuildCache::Data &c = cache.data();
    startCounts(&c);
    if (pageFailures)
        *pageFailures = 0;

    // The pages, as the open-all-pages command finds them.
    ProjectFile slotFile;
    if (!slotFile.loadHead(project.file, &result.error))
        return result;
    struct Source
    {
        QString path;
        QByteArray bytes; // as read; empty when the page cannot be cached
        const BuildCache::Data::KnownPage *known = nullptr;
        bool opened = false;
        OpenPage page;
    };
    std::vector<Source> sources;
    for (int n = 0; n < kPageSlots; ++n) {
        const PageSlot slot = slotFile.slot(n);
        if (!slot.used())
            continue;
        Source src;
        src.path = project.pagePath(slot.pageNo());
        if (!QFileInfo::exists(src.path)) {
            notifier.message(QStringLiteral("画面%1丢失！").arg(slot.pageNo()));
            if (pageFailures)
                ++*pageFailures;
            continue;
        }
        QString why;
        if (readWholeFile(src.path, src.bytes, &why, kMaxPageFileBytes)) {
            const auto it = c.pages.find(src.path);
            if (it != c.pages.end() && it->second.resolution == project.resolution
                && it->second.bytes == src.bytes) {
                src.known = &it->second;
                sources.push_back(std::move(src));
                continue;
            }
            if (project.openPageData(src.path, src.bytes, src.page, &why)) {
                src.opened = true;
                sources.push_back(std::move(src));
                continue;
            }
        }
        // The open-page command's own reading, for its message (or for a
        // file that changed while it was read).
        src.bytes.clear();
        if (!project.openPage(src.path, src.page, &why)) {
            notifier.message(why);
            if (pageFailures)
                ++*pageFailures;
            continue;
        }
        src.opened = true;
        sources.push_back(std::move(src));
    }

    notifier.status(QStringLiteral("正在编译，请稍后............"));
    if (sources.empty()) {
        notifier.status(QStringLiteral("编译完成"));
        result.completed = true;
        result.finalMessage = QStringLiteral("无画面，编译完成!");
        return result;
    }

    ProjectWork work(project);
    if (!work.begin(&result.error, /*slotAreaOnly=*/true))
        return result;
    const int total = int(sources.size()) + 2;
    int done = 0;
    std::map<int, QByteArray> instructionFiles;
    std::map<QString, BuildCache::Data::KnownPage> pages;
    for (Source &src : sources) {
        const BuildCache::Data::KnownPage *known = src.known;
        if (known) {
            // Compiled only when its slot is in use: that must not have
            // changed either.
            const int p = known->prepared.pageNo;
            const bool slotUsed = p >= 0 && p < kPageSlots && work.projectFile.slot(p).used();
            if (slotUsed != known->slotUsed)
                known = nullptr;
        }
        if (known) {
            for (const Note &note : known->notes) {
                if (note.isMessage)
                    notifier.message(note.text);
                else
                    notifier.status(note.text);
            }
            if (!work.addPreparedPage(known->prepared, &result.error,
                                      known->prepared.pageFile == src.bytes))
                return result;
            if (known->prepared.compiled)
                instructionFiles[known->prepared.pageNo] = known->prepared.instructionFile;
            pages[src.path] = *known;
        } else {
            if (!src.opened && !project.openPageData(src.path, src.bytes, src.page, &result.error))
                return result;
            NoteRecorder recorder(notifier);
            PreparedPage prepared;
            if (!work.preparePage(src.page, recorder, prepared, &result.error))
                return result;
            ++c.compiled;
            const bool current = !src.bytes.isEmpty() && prepared.pageFile == src.bytes;
            if (!work.addPreparedPage(prepared, &result.error, current))
                return result;
            if (prepared.compiled)
                instructionFiles[prepared.pageNo] = prepared.instructionFile;
            if (!src.bytes.isEmpty() && !recorder.asked)
                pages[src.path] = {src.bytes, project.resolution, prepared.compiled, prepared,
                                   std::move(recorder.notes)};
        }
        if (progress)
            progress(++done, total);
    }
    finishBuild(project, work, notifier, result, progress, done, total, &c, instructionFiles);
    if (result.completed)
        c.pages = std::move(pages);
    return result;
}

} // namespace h5

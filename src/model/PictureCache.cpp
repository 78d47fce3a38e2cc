#include "model/PictureCache.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <cstdlib>

namespace h5 {

namespace {

// Decodes the bytes of a picture file, its format told by its contents
// rather than its name, pixels as stored (an orientation tag is not applied,
// as the terminal does not apply it either).
QImage decode(const QString &path, bool *opened)
{
    QFile file(path);
    *opened = file.open(QIODevice::ReadOnly);
    if (!*opened)
        return QImage();
    QByteArray bytes = file.readAll();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(false);
    return reader.read();
}

// The decoded picture made ready to draw into a box of `size`.
QImage fitTo(const QImage &decoded, QSize size)
{
    // In 64 bits: the size of a box read from a page file may be -2^31.
    const qint64 w = std::abs(qint64(size.width()));
    const qint64 h = std::abs(qint64(size.height()));
    if (w == 0 || h == 0)
        return QImage();
    const QImage::Format format = decoded.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                            : QImage::Format_RGB32;
    QImage img = decoded.format() == format ? decoded : decoded.convertToFormat(format);
    if (qint64(w) * h > PictureCache::kMaxStretchedPixels)
        return img; // the painter stretches it, clipped to the target
    if (img.size() != QSize(int(w), int(h)))
        img = img.scaled(int(w), int(h), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    if (size.width() < 0 || size.height() < 0)
        img = img.mirrored(size.width() < 0, size.height() < 0);
    return img;
}

} // namespace

std::size_t PictureCache::KeyHash::operator()(const Key &k) const
{
    return qHashMulti(0, k.path, k.width, k.height);
}

PictureCache::PictureCache(qint64 budgetBytes) : m_budget(budgetBytes) {}

PictureCache::Result PictureCache::load(const QString &path, QSize size, QImage &out)
{
    out = QImage();
    const QFileInfo info(path);
    if (!info.exists())
        return Result::Missing;
    bool opened = false;
    const QImage decoded = info.isFile() ? decode(path, &opened) : QImage();
    if (decoded.isNull())
        return Result::Undecodable;
    out = fitTo(decoded, size);
    return Result::Ok;
}

PictureCache::Result PictureCache::picture(const QString &path, QSize size, QImage &out)
{
    const QFileInfo info(path);
    Key key{path, size.width(), size.height()};
    auto found = m_entries.find(key);
    if (!info.exists()) {
        out = QImage();
        return Result::Missing;
    }
    const QDateTime modified = info.lastModified();
    const qint64 fileSize = info.size();
    if (found != m_entries.end()) {
        const Lru::iterator e = found->second;
        if (e->modified == modified && e->fileSize == fileSize) {
            m_lru.splice(m_lru.begin(), m_lru, e);
            out = e->image;
            return e->result;
        }
        m_bytes -= e->cost;
        m_lru.erase(e);
        m_entries.erase(found);
    }

    ++m_decodes;
    const Result result = load(path, size, out);
    // A null image still costs its entry; it is counted so that a flood of
    // broken files cannot grow the cache without bound.
    const qint64 cost = out.sizeInBytes() + 256;
    if (cost > m_budget)
        return result;
    m_lru.push_front(Entry{std::move(key), modified, fileSize, result, out, cost});
    m_entries.emplace(m_lru.front().key, m_lru.begin());
    m_bytes += cost;
    evict();
    return result;
}

void PictureCache::evict()
{
    while (m_bytes > m_budget && !m_lru.empty()) {
        Entry &last = m_lru.back();
        m_bytes -= last.cost;
        m_entries.erase(last.key);
        m_lru.pop_back();
    }
}

void PictureCache::clear()
{
    m_entries.clear();
    m_lru.clear();
    m_bytes = 0;
}

} // namespace h5

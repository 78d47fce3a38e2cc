#pragma once
// Decoded pictures kept between repaints, so drawing a page never decodes a
// picture file twice while the file stays the same.
//
// An entry is the picture already stretched to the size it is drawn at, so
// a repaint is a plain copy. It is keyed by the file's path and that size,
// and remembers the file's modification time and length: a file replaced on
// disk is decoded again. Files that do not decode are remembered too (as a
// null image), so a broken picture costs no decoding on later repaints
// either. The least recently used entries go first when the memory budget
// is exceeded. Not thread-safe: one cache belongs to one painting thread.

#include <QDateTime>
#include <QImage>
#include <QSize>
#include <QString>
#include <cstdint>
#include <list>
#include <unordered_map>

namespace h5 {

class PictureCache
{
public:
    static constexpr qint64 kDefaultBudget = qint64(256) << 20; // bytes of pixels

    explicit PictureCache(qint64 budgetBytes = kDefaultBudget);
    PictureCache(const PictureCache &) = delete;
    PictureCache &operator=(const PictureCache &) = delete;

    enum class Result {
        Missing,     // no such file: nothing is drawn, nothing reported
        Undecodable, // the file is there but is not a picture that decodes
        Ok,
    };

    // The picture at `path` stretched (nearest pixel) to `size`; a negative
    // width or height mirrors the picture in that direction, as drawing into
    // a box given right-to-left or bottom-to-top does. Very large sizes are
    // not stretched here: `out` is then the picture at its own size and the
    // painter stretches it while drawing.
    Result picture(const QString &path, QSize size, QImage &out);

    // The same work without keeping anything: every call decodes the file.
    static Result load(const QString &path, QSize size, QImage &out);

    void clear();
    qint64 bytes() const { return m_bytes; }
    int entries() const { return int(m_entries.size()); }
    // How many times a file has been decoded through this cache.
    int decodes() const { return m_decodes; }

    // Pictures stretched beyond this many pixels are kept at their own size.
    static constexpr qint64 kMaxStretchedPixels = qint64(4096) * 4096;

private:
    struct Key
    {
        QString path;
        int width;
        int height;
        bool operator==(const Key &o) const
        {
            return width == o.width && height == o.height && path == o.path;
        }
    };
    struct KeyHash
    {
        std::size_t operator()(const Key &k) const;
    };
    struct Entry
    {
        Key key;
        QDateTime modified;
        qint64 fileSize;
        Result result;
        QImage image;
        qint64 cost;
    };
    using Lru = std::list<Entry>; // most recently used first

    void evict();

    qint64 m_budget;
    qint64 m_bytes = 0;
    int m_decodes = 0;
    Lru m_lru;
    std::unordered_map<Key, Lru::iterator, KeyHash> m_entries;
};

} // namespace h5

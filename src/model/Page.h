#pragma once
// A page: its settings and its elements in drawing order, and the page file
// (".wlp") that stores them.

#include "model/CGraph.h"
#include "model/CTypeGraph.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace h5 {

// The bounds of a page file that a terminal page can come from. Readers
// refuse a file beyond them before reading it, so a damaged or foreign
// file never costs more memory than a small multiple of a real page.
//
// The head: settings object (40 bytes) and element count (4 bytes).
inline constexpr qint64 kPageFileHeadBytes = 44;
// Every element the terminal draws adds at least one frame to the page's
// instruction stream, the shortest being the 12-byte stored-picture frame,
// and the stream fits 255 flash pages (a save refuses a longer page).
inline constexpr int kMaxPageElements = int(kMaxPageStreamBytes / 12); // 44,880
// An element in the file: a 2-byte class reference (the first one a
// 10-byte class header), 80 bytes of numbers and three texts with length
// prefixes of at most 7 bytes. The texts the terminal shows travel in the
// stream and together fit kMaxPageStreamBytes; the others are the names
// and paths of picture and pointer files, at most 1024 bytes each (the
// room a picture record keeps for a path). So a page file is at most:
inline constexpr qint64 kMaxPageFileBytes =
    kPageFileHeadBytes + 8 + qint64(kMaxPageElements) * (2 + 80 + 3 * (7 + 1024))
    + kMaxPageStreamBytes; // 143,032,612 bytes (136 MiB)

class Page
{
public:
    CTypeGraph settings;
    std::vector<CGraph> elements;

    // Drops delete markers and elements lying wholly off the screen of the
    // given resolution, and orders the corners of box-like kinds. This is
    // what every save does before writing.
    void normalise(int resolutionIndex);

    // Page file bytes.
    QByteArray toPageFile() const;
    // Parses page file bytes; on failure `error` says what is wrong and the
    // page is left unchanged.
    bool fromPageFile(const QByteArray &data, QString *error);

    // File helpers: read a whole page file / replace it atomically.
    bool load(const QString &path, QString *error);
    bool save(const QString &path, QString *error) const;
};

// Page file name of page n: "n.wlp"; instruction file: "n.wlc".
QString pageFileName(int pageNo);
QString instructionFileName(int pageNo);

} // namespace h5

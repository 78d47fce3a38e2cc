#pragma once
// A page: its settings and its elements in drawing order, and the page file
// (".wlp") that stores them.

#include "model/CGraph.h"
#include "model/CTypeGraph.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace h5 {

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

#pragma once
// The app's check of its own pictures (h5800-studio --check-icons): every
// icon in its resources is read through the image reader and drawn through
// QIcon at the tool bar's button size, as the tool bars draw it, and the
// picture formats the user's pictures come in must be readable. What reads
// and draws the icons (SVG) and the pictures (JPEG) are Qt plugins loaded
// at run time, which no library dependency of the program names: an
// installed copy without them starts fine and shows blank tool bars. The
// check runs on any platform plugin, offscreen included.

#include <QByteArray>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>
#include <vector>

class QTextStream;

namespace h5 {

struct IconProblem
{
    QString what;   // the icon's resource path or the picture format
    QString reason; // why it fails
};

// The folder of the app's icons in its resources, and the icon paths the
// tool bars, the menus and the main window ask for.
QString iconFolder();
QStringList usedIcons();

// Checks every file under `folder` (sub-folders included) and every path
// of `expected` (missing ones fail): each must read through QImageReader
// and draw at least one visible pixel through QIcon at `size`. One problem
// per failing file, in path order; a file failing both ways is told once,
// with both reasons. A folder without a file is a problem of its own.
std::vector<IconProblem> checkIcons(const QString &folder, const QStringList &expected,
                                    QSize size = QSize(20, 20));

// The picture formats the app opens (BMP and JPEG), and those of `formats`
// that QImageReader cannot read here.
QList<QByteArray> pictureFormats();
std::vector<IconProblem> checkImageFormats(const QList<QByteArray> &formats);

// The whole check: the app's icons and picture formats. Every problem is a
// line on `err`; a line saying how many icons were checked goes to `out`
// when all is well. Returns the exit code: 0 all good, 1 a problem.
int runIconCheck(QTextStream &out, QTextStream &err);

} // namespace h5

#include "shell/IconCheck.h"

#include "shell/Commands.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <QTextStream>

#include <algorithm>

namespace h5 {

namespace {

// True when the picture has a pixel that is not fully transparent.
bool drawsSomething(const QImage &picture)
{
    const QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            if (qAlpha(line[x]) != 0)
                return true;
        }
    }
    return false;
}

} // namespace

QString iconFolder()
{
    return QStringLiteral(":/icons");
}

QStringList usedIcons()
{
    QStringList paths;
    // The main window's icon (CMainFrame), then every command's.
    paths << iconFolder() + QStringLiteral("/h5800-studio.svg");
    for (const CommandInfo &c : commandTable()) {
        if (c.icon)
            paths << iconFolder() + QStringLiteral("/%1.svg").arg(QString::fromLatin1(c.icon));
    }
    paths.removeDuplicates();
    return paths;
}

std::vector<IconProblem> checkIcons(const QString &folder, const QStringList &expected, QSize size)
{
    QStringList paths;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        paths << it.next();
    std::vector<IconProblem> problems;
    if (paths.isEmpty())
        problems.push_back({folder, QStringLiteral("holds no icon (the app's resources are missing)")});
    for (const QString &path : expected) {
        if (!paths.contains(path))
            paths << path;
    }
    std::sort(paths.begin(), paths.end());

    for (const QString &path : paths) {
        if (!QFileInfo::exists(path)) {
            problems.push_back({path, QStringLiteral("is not in the app's resources")});
            continue;
        }
        QStringList reasons;
        QImageReader reader(path);
        const QImage image = reader.read();
        if (image.isNull())
            reasons << QStringLiteral("the image reader cannot read it (%1)").arg(reader.errorString());
        const QPixmap drawn = QIcon(path).pixmap(size);
        if (drawn.isNull())
            reasons << QStringLiteral("QIcon draws no picture of it at %1x%2").arg(size.width()).arg(size.height());
        else if (!drawsSomething(drawn.toImage()))
            reasons << QStringLiteral("QIcon draws it blank at %1x%2").arg(size.width()).arg(size.height());
        if (!reasons.isEmpty())
            problems.push_back({path, reasons.join(QStringLiteral("; "))});
    }
    return problems;
}

QList<QByteArray> pictureFormats()
{
    return {QByteArrayLiteral("bmp"), QByteArrayLiteral("jpeg")};
}

std::vector<IconProblem> checkImageFormats(const QList<QByteArray> &formats)
{
    const QList<QByteArray> readable = QImageReader::supportedImageFormats();
    std::vector<IconProblem> problems;
    for (const QByteArray &format : formats) {
        if (!readable.contains(format))
            problems.push_back({QString::fromLatin1(format),
                                QStringLiteral("pictures of this format cannot be read (no image plugin)")});
    }
    return problems;
}

int runIconCheck(QTextStream &out, QTextStream &err)
{
    const QStringList used = usedIcons();
    std::vector<IconProblem> problems = checkIcons(iconFolder(), used);
    int icons = 0;
    {
        QDirIterator it(iconFolder(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            it.next();
            ++icons;
        }
    }
    for (IconProblem &p : checkImageFormats(pictureFormats()))
        problems.push_back(std::move(p));
    for (const IconProblem &p : problems)
        err << "h5800-studio: " << p.what << ": " << p.reason << Qt::endl;
    if (!problems.empty()) {
        err << "h5800-studio: " << problems.size() << " problem(s); the tool bars or pictures will not show"
            << Qt::endl;
        return 1;
    }
    out << "h5800-studio: all " << icons << " icons load and draw; picture formats";
    for (const QByteArray &f : pictureFormats())
        out << ' ' << f;
    out << " readable" << Qt::endl;
    return 0;
}

} // namespace h5

// The folders of src/ depend on each other downwards only: the core
// library (no widgets, no serial port) includes nothing from the port or
// window folders, the port folder nothing from the windows, and no two
// folders include each other. Read from the sources themselves, so a new
// include that runs up a layer fails here.

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <gtest/gtest.h>
#include <map>

namespace {

// Folder -> the folders its files include.
std::map<QString, QSet<QString>> includeGraph()
{
    std::map<QString, QSet<QString>> graph;
    const QDir src(QStringLiteral(H5_SOURCE_DIR));
    const QRegularExpression include(QStringLiteral("^\\s*#\\s*include\\s+\"(\\w+)/"));
    for (const QString &folder : src.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        graph[folder];
        const QDir dir(src.filePath(folder));
        for (const QString &name : dir.entryList(QDir::Files)) {
            QFile f(dir.filePath(name));
            if (!f.open(QIODevice::ReadOnly))
                continue;
            while (!f.atEnd()) {
                const auto m = include.match(QString::fromUtf8(f.readLine()));
                if (m.hasMatch() && m.captured(1) != folder)
                    graph[folder].insert(m.captured(1));
            }
        }
    }
    return graph;
}

int layerOf(const QString &folder)
{
    static const QSet<QString> core{"common", "model", "project", "pictures", "edit", "link", "terminal"};
    if (core.contains(folder))
        return 0;
    if (folder == QLatin1String("port"))
        return 1;
    return 2; // windows
}

} // namespace

TEST(LayerTest, IncludesPointDownAndNoTwoFoldersIncludeEachOther)
{
    const auto graph = includeGraph();
    ASSERT_GE(graph.size(), 10u) << "the source folders were not found";
    for (const auto &[from, targets] : graph) {
        for (const QString &to : targets) {
            EXPECT_LE(layerOf(to), layerOf(from)) << from.toStdString() << " includes " << to.toStdString();
            const auto back = graph.find(to);
            if (back != graph.end())
                EXPECT_FALSE(back->second.contains(from))
                    << from.toStdString() << " and " << to.toStdString() << " include each other";
        }
    }
}

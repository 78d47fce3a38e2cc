// Every command that reads a file, fed the damaged forms of that file: an
// empty file, the first half of a good one, random bytes and a file of
// another kind. Each must exit 1 with one line on stderr that names the
// file, end normally (no signal, no hang) and write or change nothing.

#include "support/TestUtil.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>

using h5test::readAll;
using h5test::runCli;
using h5test::writeRaw;

namespace {

std::map<QString, QByteArray> snapshot(const QString &dir)
{
    std::map<QString, QByteArray> files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files[QDir(dir).relativeFilePath(path)] = readAll(path);
    }
    return files;
}

// What goes wrong with a file.
struct Damage
{
    const char *name;
    QByteArray (*make)(const QByteArray &good, const QByteArray &foreign);
};

const Damage kDamages[] = {
    {"empty", [](const QByteArray &, const QByteArray &) { return QByteArray(); }},
    {"first half", [](const QByteArray &good, const QByteArray &) { return good.left(good.size() / 2); }},
    {"random bytes",
     [](const QByteArray &, const QByteArray &) {
         QRandomGenerator random(20261210);
         QByteArray bytes(4096, '\0');
         for (char &c : bytes)
             c = char(random.bounded(256));
         return bytes;
     }},
    {"another kind of file", [](const QByteArray &, const QByteArray &foreign) { return foreign; }},
};

// A command and the file of the demo project it reads (relative to the
// demo folder); FILE in the arguments stands for that file, OUT for the
// temporary folder. `onlyShortForms` for a file read by its first bytes
// alone (a pointer file is its first 60 bytes, whatever follows), where
// only a file too short is damaged.
struct Command
{
    const char *file;
    QStringList args;
    bool onlyShortForms = false;
};

// Runs every command on every damaged form of its file.
void everyDamagedInputIsRefused(const std::vector<Command> &commands)
{
    QTemporaryDir pristine;
    const QString demo = pristine.path() + QStringLiteral("/demo");
    ASSERT_EQ(runCli({"demo", pristine.path()}).exitCode, 0);
    ASSERT_EQ(runCli({"pointer", "make", demo + QStringLiteral("/needle.MGL")}).exitCode, 0);
    // The file of another kind: a picture where a page, project, list or
    // pointer file is expected, and a page where a picture list is.
    const QByteArray picture = readAll(demo + QStringLiteral("/素材/logo.jpg"));
    const QByteArray page = readAll(demo + QStringLiteral("/1.wlp"));

    for (const Command &command : commands) {
        const QByteArray good = readAll(demo + QLatin1Char('/') + QString::fromUtf8(command.file));
        ASSERT_FALSE(good.isEmpty()) << command.file;
        const QByteArray foreign = QByteArray(command.file).endsWith(".cbm") ? page : picture;
        for (const Damage &damage : kDamages) {
            if (command.onlyShortForms && damage.make(good, foreign).size() >= good.size())
                continue;
            SCOPED_TRACE(command.args.join(' ').toStdString() + " / " + damage.name);
            QTemporaryDir tmp;
            const QString dir = tmp.path() + QStringLiteral("/demo");
            ASSERT_TRUE(QDir().mkpath(dir));
            // A fresh copy of the project with the one file damaged.
            QDirIterator it(demo, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QString from = it.next();
                const QString to = dir + QLatin1Char('/') + QDir(demo).relativeFilePath(from);
                QDir().mkpath(QFileInfo(to).path());
                ASSERT_TRUE(QFile::copy(from, to));
            }
            const QString file = dir + QLatin1Char('/') + QString::fromUtf8(command.file);
            ASSERT_TRUE(writeRaw(file, damage.make(good, foreign)));
            QStringList args;
            for (QString a : command.args)
                args << a.replace(QStringLiteral("FILE"), file).replace(QStringLiteral("OUT"), tmp.path());

            const auto before = snapshot(tmp.path());
            const auto r = runCli(args, 30000);
            EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
            const QString err = QString::fromUtf8(r.err);
            EXPECT_EQ(err.count(QLatin1Char('\n')), 1) << err.toStdString();
            EXPECT_TRUE(err.contains(QFileInfo(file).fileName())) << err.toStdString();
            EXPECT_TRUE(before == snapshot(tmp.path())) << "files written or changed";
        }
    }
}

TEST(BadPageInputCliTest, EveryDamagedPageIsRefusedByNameAndChangesNothing)
{
    everyDamagedInputIsRefused({
        {"0.wlp", {"page", "dump", "FILE"}},
        {"0.wlp", {"page", "save", "FILE"}},
        {"0.wlp", {"render", "FILE", "-o", "OUT/page.png"}},
        {"0.wlp", {"render", "FILE", "-o", "OUT/page.bmp"}},
        {"0.wlp", {"export-txt", "FILE", "-o", "OUT/page.txt"}},
        {"0.wlp", {"export-ids", "FILE", "-o", "OUT/ids.txt"}},
    });
}

TEST(BadProjectInputCliTest, EveryDamagedProjectFileIsRefusedByNameAndChangesNothing)
{
    everyDamagedInputIsRefused({
        {"demo.wgc", {"project", "info", "FILE"}},
        {"demo.wgc", {"build", "FILE"}},
        {"demo.wgc", {"bundle", "-o", "OUT/all.uwl", "--project", "FILE"}},
        {"demo.wgc", {"download", "--port", "OUT/no-such-port", "--project", "FILE"}},
        {"demo.wgc", {"send-project", "--port", "OUT/no-such-port", "FILE"}},
    });
}

TEST(BadListInputCliTest, EveryDamagedPictureListOrPointerFileIsRefusedByNameAndChangesNothing)
{
    everyDamagedInputIsRefused({
        {"图象位置信息.cbm", {"pictures", "list", "FILE"}},
        {"图象位置信息.cbm", {"bundle", "-o", "OUT/all.uwl", "--pictures", "FILE"}},
        {"图象位置信息.cbm", {"download", "--port", "OUT/no-such-port", "--pictures", "FILE"}},
        {"needle.MGL", {"pointer", "show", "FILE"}, true},
        {"needle.MGL", {"pointer", "preview", "FILE", "--output", "OUT/needle.png"}, true},
    });
}

} // namespace

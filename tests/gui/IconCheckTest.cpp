// The app's check of its own icons and picture formats (h5800-studio
// --check-icons, run by CI on the installed package): a picture that does
// not read or draws nothing is named, and the real program fails the check
// when the SVG plugins are missing, as on a machine without libqt6svg6.

#include "shell/IconCheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "support/UnixOnly.h"

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.flush();
}

QStringList namesOf(const std::vector<h5::IconProblem> &problems)
{
    QStringList names;
    for (const h5::IconProblem &p : problems) {
        EXPECT_FALSE(p.reason.isEmpty()) << p.what.toStdString();
        names << p.what;
    }
    return names;
}

} // namespace

TEST(IconCheckTest, IconThatDoesNotReadOrDrawsNothingPassesTheCheck)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile real(QStringLiteral(":/icons/cut.svg"));
    ASSERT_TRUE(real.open(QIODevice::ReadOnly));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    const struct
    {
        const char *name;
        QByteArray bytes;
        bool fails;
    } files[] = {
        {"good.svg", real.readAll(), false},
        {"broken.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"20\"", true},
        {"empty.svg", "", true},
        {"blank.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"20\" height=\"20\"/>", true},
        {"sub/deep.png", "not a picture", true},
    };
    QStringList expectedFailures;
    for (const auto &f : files) {
        ASSERT_TRUE(writeFile(dir.filePath(f.name), f.bytes)) << f.name;
        if (f.fails)
            expectedFailures << dir.filePath(f.name);
    }
    // Asked for by name but not there.
    const QString missing = dir.filePath(QStringLiteral("missing.svg"));
    expectedFailures << missing;
    expectedFailures.sort();

    EXPECT_EQ(namesOf(h5::checkIcons(dir.path(), {dir.filePath("good.svg"), missing})), expectedFailures);

    // A folder without icons (the resources not linked in) fails as such.
    QTemporaryDir empty;
    EXPECT_EQ(namesOf(h5::checkIcons(empty.path(), {})), QStringList{empty.path()});

    // The app's own icons, every one a command or the main window asks for
    // among them, and its picture formats pass.
    EXPECT_GT(h5::usedIcons().size(), 30);
    EXPECT_EQ(namesOf(h5::checkIcons(h5::iconFolder(), h5::usedIcons())), QStringList());
    EXPECT_EQ(namesOf(h5::checkImageFormats(h5::pictureFormats())), QStringList());
    EXPECT_EQ(namesOf(h5::checkImageFormats({"no-such-format"})), QStringList{"no-such-format"});
}

// The real program, once as built and once as a copy whose Qt finds its
// platform plugins but no image or icon plugins (a qt.conf beside it).
TEST(IconCheckTest, StudioWithoutTheSvgPluginsPassesItsIconCheck)
{
    H5_UNIX_ONLY("the xcb platform and linked plugin folders");
    const QString studio = QFileInfo(QStringLiteral(H5_CLI_PATH)).absolutePath() + QStringLiteral("/h5800-studio");
    if (!QFileInfo(studio).isExecutable())
        GTEST_SKIP() << "h5800-studio is not built";
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_PLUGIN_PATH"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb")); // the option chooses offscreen
    const auto run = [&](const QString &program, QByteArray &out, QByteArray &err) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(program, {QStringLiteral("--check-icons")});
        EXPECT_TRUE(p.waitForFinished(60000));
        out = p.readAllStandardOutput();
        err = p.readAllStandardError();
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    };
    QByteArray out, err;
    EXPECT_EQ(run(studio, out, err), 0) << err.toStdString();
    EXPECT_TRUE(out.contains("icons load")) << out.toStdString();

    // Built beside the build folder, so the program can be a hard link.
    QTemporaryDir dir(QFileInfo(studio).absolutePath() + QStringLiteral("/icon-check-XXXXXX"));
    ASSERT_TRUE(dir.isValid());
    const QString copy = dir.filePath(QStringLiteral("h5800-studio"));
#ifdef Q_OS_WIN
    ASSERT_TRUE(QFile::copy(studio, copy));
#else
    if (::link(QFile::encodeName(studio).constData(), QFile::encodeName(copy).constData()) != 0) {
        ASSERT_TRUE(QFile::copy(studio, copy));
    }
#endif
    const QString plugins = dir.filePath(QStringLiteral("plugins"));
    ASSERT_TRUE(QDir().mkpath(plugins));
    const QString platforms = QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms");
    ASSERT_TRUE(QFile::link(platforms, plugins + QStringLiteral("/platforms")));
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("qt.conf")),
                          "[Paths]\nPlugins = " + QFile::encodeName(plugins) + "\n"));

    EXPECT_EQ(run(copy, out, err), 1) << out.toStdString();
    EXPECT_TRUE(err.contains(":/icons/cut.svg")) << err.toStdString();
    EXPECT_TRUE(err.contains(":/icons/h5800-studio.svg")) << err.toStdString();
    EXPECT_TRUE(err.contains("jpeg")) << err.toStdString();
    EXPECT_TRUE(out.isEmpty()) << out.toStdString();
}

// h5800 test end to end: the samples for the demo project pass and the
// deliberately broken one fails with a difference picture; one line per
// scenario and a summary, with exit status 0, 3 (a check failed) or 1 (a
// scenario could not run); the JUnit file read back; --update writing a
// reference once; a project not built, or built before its pages changed,
// refused with the preview's message; a wrong argument named by file and
// line.

#include "support/TestUtil.h"

#include "model/Page.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

using h5test::readAll;
using h5test::runCli;
using h5test::writeRaw;

namespace {

const QString kSamples = QStringLiteral(H5_SOURCE_DIR "/../samples/screen-tests");

bool copyTree(const QString &from, const QString &to)
{
    QDirIterator it(from, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + file.mid(from.size());
        if (!QDir().mkpath(QFileInfo(target).absolutePath()) || !writeRaw(target, readAll(file)))
            return false;
    }
    return true;
}

// The demo made as a user makes it, with the samples copied beside it.
struct SampleRun
{
    QTemporaryDir dir;
    SampleRun()
    {
        const auto r = runCli({"demo", dir.path()});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_TRUE(copyTree(kSamples, dir.path()));
    }
    QString path(const QString &name) const { return dir.filePath(name); }
};

QStringList lines(const QByteArray &out)
{
    return QString::fromUtf8(out).split('\n', Qt::SkipEmptyParts);
}

} // namespace

TEST(TestCli, TheDemoSamplesPass)
{
    SampleRun run;
    const QStringList scenarios = {run.path("power-on.scenario"), run.path("page-cycle.scenario"),
                                   run.path("touch.scenario")};
    const auto r = runCli(QStringList{"test"} + scenarios);
    EXPECT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
    const QStringList out = lines(r.out);
    ASSERT_EQ(out.size(), 4) << r.out.toStdString();
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(out[i].startsWith(QStringLiteral("通过 ") + scenarios[i])) << out[i].toStdString();
    EXPECT_EQ(out[3], QStringLiteral("共 3 个场景：3 个通过，0 个失败，0 个无法运行"));
    // Nothing was written beside them.
    EXPECT_TRUE(QDir(run.dir.path()).entryList({"*.actual.png", "*.diff.png"}, QDir::Files).isEmpty());
}

TEST(TestCli, TheBrokenSampleFailsWithADifferencePicture)
{
    SampleRun run;
    const QString scenario = run.path("broken/one-pixel.scenario");
    const auto r = runCli({"test", scenario});
    EXPECT_EQ(r.exitCode, 3) << r.out.toStdString() << r.err.toStdString();
    const QString out = QString::fromUtf8(r.out);
    EXPECT_TRUE(out.contains(QStringLiteral("失败 %1:7: ").arg(scenario))) << r.out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("1 个像素不同，第一个在 (123, 45)"))) << r.out.toStdString();
    const QString diff = run.path("broken/page0-one-pixel.diff.png");
    EXPECT_TRUE(out.contains(diff)) << r.out.toStdString();
    const QImage d(diff);
    ASSERT_FALSE(d.isNull());
    EXPECT_EQ(d.pixel(123, 45), qRgb(255, 0, 0));
    EXPECT_FALSE(QImage(run.path("broken/page0-one-pixel.actual.png")).isNull());
    EXPECT_TRUE(out.contains(QStringLiteral("共 1 个场景：0 个通过，1 个失败，0 个无法运行")));
}

// Two scenarios of one folder failing on the same reference: each keeps
// its own actual and difference pictures, named after the scenario.
TEST(TestCli, ScenariosOfOneFolderCheckingOneReferenceDoNotWriteOverEachOthersPictures)
{
    SampleRun run;
    const QString first = run.path("broken/one-pixel.scenario");
    const QString second = run.path("broken/page1-against-page0.scenario");
    // The second shows page 1 before comparing: most pixels differ.
    ASSERT_TRUE(writeRaw(second, "project ../demo/demo.wgc\nstart\n"
                                 "host 1b 50 01 00 ff ff ee ff\n"
                                 "expect-screen page0-one-pixel.png\n"));
    const auto r = runCli({"test", first, second});
    EXPECT_EQ(r.exitCode, 3) << r.out.toStdString() << r.err.toStdString();
    const QString out = QString::fromUtf8(r.out);
    const QString firstDiff = run.path("broken/one-pixel.scenario.page0-one-pixel.diff.png");
    const QString secondDiff = run.path("broken/page1-against-page0.scenario.page0-one-pixel.diff.png");
    EXPECT_TRUE(out.contains(firstDiff)) << r.out.toStdString();
    EXPECT_TRUE(out.contains(secondDiff)) << r.out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("1 个像素不同，第一个在 (123, 45)"))) << r.out.toStdString();
    const QImage firstImage(firstDiff), secondImage(secondDiff);
    ASSERT_FALSE(firstImage.isNull());
    ASSERT_FALSE(secondImage.isNull());
    EXPECT_EQ(firstImage.pixel(123, 45), qRgb(255, 0, 0));
    EXPECT_NE(firstImage, secondImage);
    const QImage firstActual(run.path("broken/one-pixel.scenario.page0-one-pixel.actual.png"));
    const QImage secondActual(run.path("broken/page1-against-page0.scenario.page0-one-pixel.actual.png"));
    ASSERT_FALSE(firstActual.isNull());
    ASSERT_FALSE(secondActual.isNull());
    EXPECT_NE(firstActual, secondActual);
    // No picture under the plain name that both would have written.
    EXPECT_FALSE(QFile::exists(run.path("broken/page0-one-pixel.diff.png")));
    EXPECT_FALSE(QFile::exists(run.path("broken/page0-one-pixel.actual.png")));
}

// The exit status says the worst: a scenario that could not run (1) over a
// failed check (3) over all passed (0).
TEST(TestCli, ExitStatusAndJUnitFileTellPassedFailedAndRefusedScenarios)
{
    SampleRun run;
    ASSERT_TRUE(writeRaw(run.path("fails.scenario"), "project demo/demo.wgc\nstart\nexpect-page 1\n"));
    ASSERT_TRUE(writeRaw(run.path("wrong.scenario"), "project demo/demo.wgc\nstart\n\ntouch 1\n"));
    const QString pass = run.path("power-on.scenario"), fail = run.path("fails.scenario"),
                  wrong = run.path("wrong.scenario");
    struct Case
    {
        QStringList scenarios;
        int exit;
    };
    const Case cases[] = {
        {{pass}, 0},
        {{pass, fail}, 3},
        {{wrong, pass}, 1},
        {{fail, wrong}, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.scenarios.join(' ').toStdString());
        const auto r = runCli(QStringList{"test"} + c.scenarios);
        EXPECT_EQ(r.exitCode, c.exit) << r.out.toStdString();
        EXPECT_EQ(lines(r.out).size(), c.scenarios.size() + 1) << r.out.toStdString();
    }

    const QString junit = run.path("results/junit.xml");
    ASSERT_TRUE(QDir().mkpath(run.path("results")));
    const auto r = runCli({"test", "--junit", junit, pass, fail, wrong});
    EXPECT_EQ(r.exitCode, 1);
    const QString out = QString::fromUtf8(r.out);
    EXPECT_TRUE(out.contains(QStringLiteral("失败 %1:3: 显示的页面是 0，应为 1").arg(fail))) << r.out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("无法运行 %1:4: touch 需要坐标 X 和 Y").arg(wrong)))
        << r.out.toStdString();

    // Read back: one test case per scenario, failure and error with file:line.
    QFile file(junit);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    struct TestCase
    {
        QString name, kind, message;
    };
    std::vector<TestCase> cases2;
    QString suiteTests, suiteFailures, suiteErrors;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("testsuite")) {
            suiteTests = xml.attributes().value("tests").toString();
            suiteFailures = xml.attributes().value("failures").toString();
            suiteErrors = xml.attributes().value("errors").toString();
        } else if (xml.name() == QLatin1String("testcase")) {
            cases2.push_back({xml.attributes().value("name").toString(), QString(), QString()});
        } else if (xml.name() == QLatin1String("failure") || xml.name() == QLatin1String("error")) {
            ASSERT_FALSE(cases2.empty());
            cases2.back().kind = xml.name().toString();
            cases2.back().message = xml.attributes().value("message").toString();
        }
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(suiteTests, "3");
    EXPECT_EQ(suiteFailures, "1");
    EXPECT_EQ(suiteErrors, "1");
    ASSERT_EQ(cases2.size(), 3u);
    EXPECT_EQ(cases2[0].name, pass);
    EXPECT_EQ(cases2[0].kind, "");
    EXPECT_EQ(cases2[1].name, fail);
    EXPECT_EQ(cases2[1].kind, "failure");
    EXPECT_EQ(cases2[1].message, QStringLiteral("%1:3: 显示的页面是 0，应为 1").arg(fail));
    EXPECT_EQ(cases2[2].kind, "error");
    EXPECT_EQ(cases2[2].message, QStringLiteral("%1:4: touch 需要坐标 X 和 Y").arg(wrong));
}

TEST(TestCli, UpdateWritesAReferenceOnlyWhenItIsMissing)
{
    SampleRun run;
    const QString scenario = run.path("new.scenario");
    const QString ref = run.path("new-page1.png");
    ASSERT_TRUE(writeRaw(scenario, "project demo/demo.wgc\nstart\nhost 1b 50 01 00 ff ff ee ff\n"
                                   "expect-screen new-page1.png\n"));
    // Without --update a missing reference fails, and the actual picture is
    // there to look at.
    auto r = runCli({"test", scenario});
    EXPECT_EQ(r.exitCode, 3) << r.out.toStdString();
    EXPECT_TRUE(QString::fromUtf8(r.out).contains(QStringLiteral("参考图片不存在")));
    EXPECT_FALSE(QFile::exists(ref));
    EXPECT_TRUE(QFile::exists(run.path("new-page1.actual.png")));

    r = runCli({"test", "--update", scenario});
    EXPECT_EQ(r.exitCode, 0) << r.out.toStdString();
    EXPECT_TRUE(QString::fromUtf8(r.out).contains(QStringLiteral("已写入参考图片 %1").arg(ref)));
    const QByteArray written = readAll(ref);
    ASSERT_FALSE(written.isEmpty());
    EXPECT_EQ(QImage(ref).convertToFormat(QImage::Format_RGB32),
              QImage(run.path("references/page1.png")).convertToFormat(QImage::Format_RGB32));

    r = runCli({"test", "--update", scenario});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_FALSE(QString::fromUtf8(r.out).contains(QStringLiteral("已写入")));

    // The screen changes: --update fails as usual and keeps the reference.
    ASSERT_TRUE(writeRaw(scenario, "project demo/demo.wgc\nstart\nexpect-screen new-page1.png\n"));
    r = runCli({"test", "--update", scenario});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_TRUE(QString::fromUtf8(r.out).contains(QStringLiteral("不符")));
    EXPECT_EQ(readAll(ref), written);
}

TEST(TestCli, UnbuiltOrOutdatedProjectsAreRefusedWithThePreviewsMessage)
{
    SampleRun run;
    auto r = runCli({"project", "new", run.dir.path(), "fresh", "--size", "320x240"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_TRUE(writeRaw(run.path("fresh.scenario"), "project fresh/fresh.wgc\nstart\n"));

    // Page 1 changed and saved after the build.
    const QString page1 = run.path("demo/1.wlp");
    h5::Page page;
    ASSERT_TRUE(page.load(page1, nullptr));
    page.elements.push_back(h5test::element(h5::Kind::Line, 0, {5, 5}, {60, 40}));
    ASSERT_TRUE(page.save(page1, nullptr));

    struct Case
    {
        QString scenario;
        QString preview; // the project as h5800 preview takes it
        int line;        // the project line
    };
    const Case cases[] = {
        {run.path("fresh.scenario"), run.path("fresh/fresh.wgc"), 1},
        {run.path("power-on.scenario"), run.path("demo/demo.wgc"), 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.scenario.toStdString());
        const auto preview = runCli({"preview", c.preview, "-o", run.path("x.png")});
        ASSERT_EQ(preview.exitCode, 1);
        // "h5800: FILE: MESSAGE" from the preview; "FILE: MESSAGE" here.
        const QString said = QString::fromUtf8(preview.err).trimmed().mid(QStringLiteral("h5800: ").size());
        ASSERT_TRUE(said.contains(QStringLiteral("请先编译工程"))) << said.toStdString();
        const auto test = runCli({"test", c.scenario});
        EXPECT_EQ(test.exitCode, 1) << test.out.toStdString();
        EXPECT_TRUE(QString::fromUtf8(test.out).contains(QStringLiteral("无法运行 %1:%2: %3").arg(c.scenario).arg(c.line).arg(said)))
            << test.out.toStdString() << "\n" << said.toStdString();
    }
}

TEST(TestCli, WrongArgumentsAreNamedByFileAndLine)
{
    SampleRun run;
    struct Case
    {
        const char *steps;
        int line;
        const char *says;
    };
    const Case cases[] = {
        {"start\nwait -5\n", 3, "“-5”不是 0 到 3600000 之间的整数"},
        {"start\ntouch 10 480\n", 3, "触摸点 (10, 480) 不在 800x480 的屏幕上"},
        {"start\nexpect-screen references/page0.png 0 0 801 1\n", 3, "区域 0 0 801 1 超出 800x480 的屏幕"},
        {"start\n\n# comment\nhost-file nowhere.bin\n", 5, "host-file 无法读取"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.steps);
        const QString scenario = run.path("wrong.scenario");
        ASSERT_TRUE(writeRaw(scenario, QByteArray("project demo/demo.wgc\n") + c.steps));
        const auto r = runCli({"test", scenario});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(QString::fromUtf8(r.out).contains(
            QStringLiteral("无法运行 %1:%2: %3").arg(scenario).arg(c.line).arg(QString::fromUtf8(c.says))))
            << r.out.toStdString();
    }
    // Usage: no scenario, an unknown option.
    EXPECT_EQ(runCli({"test"}).exitCode, 2);
    EXPECT_EQ(runCli({"test", "--frobnicate", run.path("power-on.scenario")}).exitCode, 2);
    // A scenario that is not there.
    const auto r = runCli({"test", run.path("none.scenario")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(QString::fromUtf8(r.out).contains(QStringLiteral("场景文件无法读取"))) << r.out.toStdString();
}

// The download window and the project window, driven through their widgets
// against h5800-sim over a pseudo-terminal: port controls and lamp, the
// download and the bundle, the project's lists and its sending, staging
// files, failures that must reach the user.

#include "gui/SerialWindowSupport.h"
#include "port/BuiltinTestSupport.h"
#include "port/PortTestSupport.h"
#include "support/TestUtil.h"

#include "common/Flash.h"
#include "link/BundleWriter.h"
#include "port/CMSComm.h"
#include "serial/ProjectWindow.h"
#include "serial/DownloadWindow.h"
#include "serial/PortControls.h"
#include "serial/StatusLamp.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QProgressBar>
#include <QSet>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace h5;
using h5test::readAll;
using h5test::waitFor;
using namespace h5test;

namespace {

constexpr int kTransferDeadline = 30000;
const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);


// A copy of the demo project folder, for tests that leave files in it.
QString copyDemo(const QTemporaryDir &into)
{
    const QString target = into.filePath(QStringLiteral("demo"));
    QDir().mkpath(target);
    for (const QString &name : {QStringLiteral("demo.wgc"), QStringLiteral("图象位置信息.cbm")})
        QFile::copy(demo().folder + QLatin1Char('/') + name, target + QLatin1Char('/') + name);
    return target;
}

// The lamp as it is painted, not as it claims to be.
QColor paintedLamp(QWidget &window)
{
    auto *lamp = child<StatusLamp>(window, "statusLamp");
    window.show(); // laid out and painted (offscreen; modeless)
    const QImage image = lamp->grab().toImage();
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

// What the port controls show: open state of the buttons and the lamp.
void expectPortShown(QWidget &window, bool open, const char *when)
{
    SCOPED_TRACE(when);
    EXPECT_EQ(child<QPushButton>(window, "openButton")->isEnabled(), !open);
    EXPECT_EQ(child<QComboBox>(window, "portCombo")->isEnabled(), !open);
    EXPECT_EQ(child<QComboBox>(window, "baudCombo")->isEnabled(), !open);
    EXPECT_EQ(child<QPushButton>(window, "detectButton")->isEnabled(), !open);
    EXPECT_EQ(paintedLamp(window), open ? kBlue : kRed);
}

// Either window, made fresh, with its messages collected.
struct AnyWindow
{
    const char *name;
    std::function<std::unique_ptr<QWidget>(Messages &)> make;
    bool closeEnabledAtStart;
};

std::vector<AnyWindow> bothWindows()
{
    return {
        {"download window",
         [](Messages &m) {
             return std::unique_ptr<QWidget>(std::make_unique<DownloadWindow>(m));
         },
         true},
        {"project window",
         [](Messages &m) {
             return std::unique_ptr<QWidget>(
                 std::make_unique<ProjectWindow>(m, QStringLiteral("demo"), demo().wgc, demo().folder));
         },
         false},
    };
}

} // namespace

// ---- port controls ----------------------------------------------------------

TEST(SerialDialogTest, PortControlsFollowTheLineOpenedAndClosed)
{
    for (const AnyWindow &kind : bothWindows()) {
        SCOPED_TRACE(kind.name);
        BuiltinRig sim;
        ASSERT_TRUE(sim.ok());
        Messages messages;
        std::unique_ptr<QWidget> window = kind.make(messages);
        auto *close = child<QPushButton>(*window, "closeButton");
        EXPECT_EQ(close->isEnabled(), kind.closeEnabledAtStart);
        EXPECT_EQ(child<QComboBox>(*window, "baudCombo")->currentText(), "1228800");
        expectPortShown(*window, false, "at start");

        openOn(*window, sim.port());
        EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();
        expectPortShown(*window, true, "after open");
        EXPECT_TRUE(close->isEnabled());

        close->click();
        expectPortShown(*window, false, "after close");
        EXPECT_EQ(close->isEnabled(), kind.closeEnabledAtStart);
    }
}

TEST(SerialDialogTest, MissingDeviceIsReportedAndTheWindowStaysClosed)
{
    for (const AnyWindow &kind : bothWindows()) {
        SCOPED_TRACE(kind.name);
        QTemporaryDir tmp;
        Messages messages;
        std::unique_ptr<QWidget> window = kind.make(messages);
        settle(); // messages of the window start, if any
        messages.texts.clear();
        const QString missing = tmp.filePath(QStringLiteral("no-such-tty"));
        openOn(*window, missing);
        ASSERT_EQ(messages.texts.size(), 1);
        EXPECT_TRUE(messages.has(QStringLiteral("串口不存在或被占用!")));
        EXPECT_TRUE(messages.has(missing)) << messages.texts.join('|').toStdString();
        expectPortShown(*window, false, "after the failed open");
    }
}

TEST(SerialDialogTest, TypedDeviceSurvivesTheListDroppingDown)
{
    Messages messages;
    DownloadWindow window(messages);
    PortControls *ports = window.portControls();
    ports->setPortSource([] { return QStringList{"/dev/ttyUSB0", "/dev/ttyUSB1"}; });
    QComboBox *combo = child<QComboBox>(window, "portCombo");
    combo->setEditText(QStringLiteral("/tmp/sim/tty"));

    combo->showPopup();
    combo->hidePopup();
    EXPECT_EQ(combo->count(), 3) << "the drop-down did not scan the ports (two, then the built-in terminal)";
    EXPECT_EQ(combo->currentText(), "/tmp/sim/tty");

    child<QPushButton>(window, "detectButton")->click();
    EXPECT_EQ(combo->currentText(), "/dev/ttyUSB0");
}

TEST(SerialDialogTest, PortBoxShowsATypedDevicePathWhole)
{
    Messages messages;
    for (const AnyWindow &w : bothWindows()) {
        SCOPED_TRACE(w.name);
        std::unique_ptr<QWidget> window = w.make(messages);
        window->show();
        QComboBox *combo = child<QComboBox>(*window, "portCombo");
        const QString typed = QStringLiteral("/dev/serial/by-id/usb-FTDI-if00");
        combo->setEditText(typed);
        ASSERT_NE(combo->lineEdit(), nullptr);
        const int needed = combo->lineEdit()->fontMetrics().horizontalAdvance(typed);
        EXPECT_GE(combo->lineEdit()->width(), needed);
    }
}

TEST(SerialDialogTest, ChosenBaudRateIsTheOneOpened)
{
    struct Case { int index; int rate; };
    const Case cases[] = {{0, 1228800}, {3, 230400}, {10, 2400}};
    Messages messages;
    DownloadWindow window(messages);
    auto *baud = child<QComboBox>(window, "baudCombo");
    ASSERT_EQ(baud->count(), 11);
    for (const Case &c : cases) {
        baud->setCurrentIndex(c.index);
        EXPECT_EQ(window.portControls()->baudRate(), c.rate) << c.index;
        EXPECT_EQ(baud->currentText().toInt(), c.rate) << c.index;
    }
}

// ---- download window ----------------------------------------------------------

TEST(SerialDialogTest, FileButtonsFillTheirFieldsAndClearEmptiesThem)
{
    struct Case { const char *field; const char *filterHas; };
    const Case cases[] = {
        {"project", "*.wgc"},
        {"picture", "*.tbm *.cbm"},
        {"font", "*.wzk"},
    };
    Messages prompts;
    DownloadWindow window(prompts);
    QString answer;
    QString filterAsked;
    prompts.files = [&](const FileRequest &r) {
        filterAsked = r.filter;
        return answer.isEmpty() ? QStringList() : QStringList{answer};
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.field);
        auto *path = child<QLineEdit>(window, (std::string(c.field) + "Path").c_str());
        auto *choose = child<QPushButton>(window, (std::string(c.field) + "Button").c_str());
        answer = QStringLiteral("/data/%1.file").arg(QLatin1String(c.field));
        choose->click();
        EXPECT_TRUE(filterAsked.contains(QLatin1String(c.filterHas))) << filterAsked.toStdString();
        EXPECT_EQ(path->text(), answer);
        const QString chosen = answer;
        answer.clear(); // cancelled
        choose->click();
        EXPECT_EQ(path->text(), chosen) << "cancelling the dialog lost the choice";
        child<QPushButton>(window, (std::string(c.field) + "Clear").c_str())->click();
        EXPECT_TRUE(path->text().isEmpty());
    }
    EXPECT_FALSE(window.files().any());
}

TEST(SerialDialogTest, OpenProjectIsTheProjectFileAtStart)
{
    Messages messages;
    DownloadWindow withProject(messages, demo().wgc);
    EXPECT_EQ(child<QLineEdit>(withProject, "projectPath")->text(), demo().wgc);
    EXPECT_EQ(withProject.files().project, demo().wgc);
    DownloadWindow without(messages);
    EXPECT_FALSE(without.files().any());
}

// The first case runs over a pseudo-terminal to h5800-sim, the second on
// the built-in terminal's virtual clock.
TEST(SerialWindowTransferTest, DownloadButtonSendsTheChosenFilesIntoTheTerminal)
{
    H5_UNIX_ONLY("pseudo-terminal and h5800-sim");
    struct Case
    {
        const char *name;
        bool pictures;
        bool erase;
        const char *lastStatus;
        bool overPty;
    };
    const Case cases[] = {
        // The last progress text ("图片下载：100%") gives way to the final word.
        {"project and pictures", true, false, "下载完成!", true},
        {"project, erase ticked", false, true, "擦除FLASH完成!", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir tmp;
        std::unique_ptr<Sim> sim;
        std::unique_ptr<BuiltinRig> rig;
        if (c.overPty) {
            sim = std::make_unique<Sim>(tmp);
            ASSERT_TRUE(sim->ok());
        } else {
            rig = std::make_unique<BuiltinRig>();
            ASSERT_TRUE(rig->ok());
        }
        const auto wait = [&rig](const std::function<bool()> &done, int ms) {
            return rig ? rig->waitFor(done, ms) : waitFor(done, ms);
        };
        Messages messages;
        DownloadWindow window(messages, demo().wgc);
        if (c.pictures)
            window.setPictureFile(demo().cbm);
        child<QCheckBox>(window, "eraseCheck")->setChecked(c.erase);

        openOn(window, sim ? sim->port() : rig->port());
        ASSERT_TRUE(window.portControls()->isOpen()) << messages.texts.join('|').toStdString();
        child<QPushButton>(window, "downloadButton")->click();
        EXPECT_TRUE(wait([&] {
            return window.session().outcome() != TransferSession::Outcome::Idle
                && window.session().outcome() != TransferSession::Outcome::Running;
        }, kTransferDeadline)) << statusText(window).toStdString();
        EXPECT_EQ(window.session().outcome(), TransferSession::Outcome::Completed);
        EXPECT_EQ(statusText(window), QString::fromUtf8(c.lastStatus));
        auto *bar = child<QProgressBar>(window, "progressBar");
        EXPECT_EQ(bar->value(), bar->maximum());
        EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();
        child<QPushButton>(window, "closeButton")->click();
        expectPortShown(window, false, "closed after the download");

        const QJsonObject flash = sim ? sim->flash() : rig->flash();
        const QByteArray project = readAll(demo().wgc).mid(102406);
        EXPECT_EQ(flash["projectSha1"].toString(), sha1(project));
        EXPECT_EQ(flash["registry"].toArray().isEmpty(), !c.pictures);
    }
}

TEST(SerialDialogTest, UnreadableChosenFileIsReportedAndNothingIsSent)
{
    QTemporaryDir tmp;
    BuiltinRig sim;
    ASSERT_TRUE(sim.ok());
    Messages messages;
    DownloadWindow window(messages);
    window.setProjectFile(tmp.filePath(QStringLiteral("missing.wgc")));
    openOn(window, sim.port());
    ASSERT_TRUE(window.portControls()->isOpen());
    child<QPushButton>(window, "downloadButton")->click();
    EXPECT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.has(QStringLiteral("missing.wgc"))) << messages.texts.join('|').toStdString();
    EXPECT_EQ(window.session().state(), h5::TransferState::LinkCheck) << "a transfer began without its file";
    EXPECT_EQ(window.session().outcome(), TransferSession::Outcome::Idle);
}

// The line going away mid-download fails the
// transfer with a word and shows the port closed. Time-outs and wrong
// replies are driven by the same session against the virtual terminal
// under a virtual clock (tests/link/InProcessLinkTest).
TEST(SerialDialogTest, HungUpTerminalEndsTheDownloadWithAWordAndClosesThePort)
{
    QTemporaryDir tmp;
    h5::VirtualTerminal::Faults faults;
    faults.hangupAfter = 4;
    BuiltinRig sim(faults);
    ASSERT_TRUE(sim.ok());
    Messages messages;
    DownloadWindow window(messages, demo().wgc);
    openOn(window, sim.port());
    ASSERT_TRUE(window.portControls()->isOpen());
    child<QPushButton>(window, "downloadButton")->click();
    const bool ended = sim.waitFor([&] {
        return window.session().outcome() == TransferSession::Outcome::Failed;
    }, kTransferDeadline);
    ASSERT_TRUE(ended) << "still " << statusText(window).toStdString();
    EXPECT_EQ(statusText(window), h5::CMSComm::lineLostText());
    EXPECT_FALSE(window.portControls()->isOpen());
    expectPortShown(window, false, "after the failure");
}

TEST(SerialDialogTest, BundleButtonWritesTheBundleOverAnExistingFile)
{
    QTemporaryDir tmp;
    const QString target = tmp.filePath(QStringLiteral("out.uwl"));
    {
        QFile old(target);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(100000, 'x'));
    }
    Messages prompts;
    DownloadWindow window(prompts, demo().wgc);
    window.setPictureFile(demo().cbm);
    FileRequest asked;
    prompts.files = [&](const FileRequest &r) {
        asked = r;
        return QStringList{target};
    };
    child<QPushButton>(window, "bundleButton")->click();
    EXPECT_TRUE(asked.kind == FileRequest::Kind::Save);
    EXPECT_EQ(asked.defaultSuffix, "uwl");

    QByteArray expected;
    QString error;
    ASSERT_TRUE(BundleWriter::build(window.files(), expected, &error)) << error.toStdString();
    EXPECT_EQ(readAll(target), expected);
}

TEST(SerialDialogTest, BundleWithoutFilesAsksForNoTarget)
{
    Messages prompts;
    DownloadWindow window(prompts);
    bool asked = false;
    prompts.files = [&](const FileRequest &) {
        asked = true;
        return QStringList();
    };
    child<QPushButton>(window, "bundleButton")->click();
    EXPECT_FALSE(asked);
}

// ---- project window -------------------------------------------------------

TEST(SerialDialogTest, ProjectWindowListsThePagesAndPicturesOfTheProjectFiles)
{
    Messages messages;
    ProjectWindow window(messages, QStringLiteral("demo"), demo().wgc, demo().folder);
    settle();
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();
    EXPECT_EQ(child<QLineEdit>(window, "projectName")->text(), "demo");

    // Read back from the files, not from the window's session.
    const QByteArray wgc = readAll(demo().wgc);
    QStringList pages;
    for (int p = 0; p < kPageSlots; ++p) {
        const char *rec = wgc.constData() + 6 + 100 * p;
        const int v = uchar(rec[0]) | (uchar(rec[1]) << 8);
        if (v)
            pages << QStringLiteral("%1/%2").arg(v - 1).arg(uchar(rec[8]));
    }
    auto *pageList = child<QTableWidget>(window, "pageList");
    QStringList shown;
    for (int row = 0; row < pageList->rowCount(); ++row)
        shown << pageList->item(row, 0)->text() + "/" + pageList->item(row, 1)->text();
    ASSERT_FALSE(pages.isEmpty());
    EXPECT_EQ(shown, pages);

    const QByteArray cbm = readAll(demo().cbm);
    QStringList pictures;
    for (int j = 0; j < kSlotCount; ++j) {
        const char *rec = cbm.constData() + j * kSlotSize;
        if (!rec[0])
            continue;
        const int w = (uchar(rec[2050]) << 8) | uchar(rec[2051]);
        const int h = (uchar(rec[2052]) << 8) | uchar(rec[2053]);
        pictures << QStringLiteral("%1/%2x%3").arg(j).arg(w).arg(h);
    }
    auto *pictureList = child<QTableWidget>(window, "pictureList");
    shown.clear();
    for (int row = 0; row < pictureList->rowCount(); ++row) {
        EXPECT_FALSE(pictureList->item(row, 1)->text().isEmpty()) << "no picture name in row " << row;
        shown << pictureList->item(row, 0)->text() + "/" + pictureList->item(row, 2)->text() + "x"
                + pictureList->item(row, 3)->text();
    }
    ASSERT_FALSE(pictures.isEmpty());
    EXPECT_EQ(shown, pictures);
}

TEST(SerialDialogTest, ProjectWindowReportsMissingProjectFiles)
{
    struct Case { bool withProject; const char *message; int pageRows; };
    const Case cases[] = {
        {false, "工程文件丢失!", 0},
        {true, "图片文件丢失!", -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message);
        QTemporaryDir tmp;
        if (c.withProject)
            QFile::copy(demo().wgc, tmp.filePath(QStringLiteral("demo.wgc")));
        Messages messages;
        ProjectWindow window(messages, QStringLiteral("demo"), tmp.filePath(QStringLiteral("demo.wgc")),
                             tmp.path());
        EXPECT_TRUE(waitFor([&] { return !messages.texts.isEmpty(); }, 2000));
        EXPECT_EQ(messages.texts, QStringList{QString::fromUtf8(c.message)});
        const int rows = child<QTableWidget>(window, "pageList")->rowCount();
        if (c.pageRows < 0)
            EXPECT_GT(rows, 0);
        else
            EXPECT_EQ(rows, c.pageRows);
        EXPECT_EQ(child<QTableWidget>(window, "pictureList")->rowCount(), 0);
    }
}

TEST(SerialWindowTransferTest, SendProjectPutsTheProjectAndItsPicturesIntoTheTerminal)
{
    H5_UNIX_ONLY("pseudo-terminal and h5800-sim");
    QTemporaryDir tmp;
    const QString folder = copyDemo(tmp);
    Sim sim(tmp);
    ASSERT_TRUE(sim.ok());
    Messages messages;
    ProjectWindow window(messages, QStringLiteral("demo"), folder + "/demo.wgc", folder);

    openOn(window, sim.port());
    ASSERT_TRUE(window.portControls()->isOpen()) << messages.texts.join('|').toStdString();
    child<QPushButton>(window, "sendButton")->click();
    const bool done = waitFor([&] {
        return window.session().outcome() != TransferSession::Outcome::Running;
    }, kTransferDeadline);
    ASSERT_TRUE(done) << statusText(window).toStdString();
    EXPECT_EQ(window.session().outcome(), TransferSession::Outcome::Completed)
        << statusText(window).toStdString();
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();
    // The send ends with the final word and a full bar.
    EXPECT_EQ(statusText(window), QStringLiteral("下载完成!"));
    auto *bar = child<QProgressBar>(window, "progressBar");
    EXPECT_EQ(bar->value(), bar->maximum());

    auto *pictureList = child<QTableWidget>(window, "pictureList");
    QSet<QString> blocks;
    for (int row = 0; row < pictureList->rowCount(); ++row)
        blocks << pictureList->item(row, 4)->text();
    EXPECT_FALSE(blocks.contains(QString())) << "a sent picture shows no first block";
    EXPECT_EQ(blocks.size(), pictureList->rowCount()) << "two pictures shown in one block";

    child<QPushButton>(window, "closeButton")->click();
    const QJsonObject flash = sim.flash();
    EXPECT_EQ(flash["projectSha1"].toString(), sha1(readAll(demo().wgc).mid(102406)));
    EXPECT_EQ(flash["registry"].toArray().size(), pictureList->rowCount());
}

TEST(SerialDialogTest, StagingFilesDoNotOutliveThePortOrTheWindow)
{
    enum class End { ClosePort, DestroyWindow };
    for (End end : {End::ClosePort, End::DestroyWindow}) {
        SCOPED_TRACE(end == End::ClosePort ? "port closed" : "window destroyed");
        QTemporaryDir tmp;
        const QString folder = copyDemo(tmp);
        BuiltinRig sim;
        ASSERT_TRUE(sim.ok());
        const QStringList staged{folder + "/RegistFile.wcf", folder + "/bmpPath.wcf"};
        Messages messages;
        auto window = std::make_unique<ProjectWindow>(messages, QStringLiteral("demo"),
                                                      folder + "/demo.wgc", folder);
        openOn(*window, sim.port());
        ASSERT_TRUE(window->portControls()->isOpen());
        for (const QString &path : staged) {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("staged");
        }
        if (end == End::ClosePort)
            child<QPushButton>(*window, "closeButton")->click();
        else
            window.reset();
        for (const QString &path : staged)
            EXPECT_FALSE(QFile::exists(path)) << path.toStdString();
    }
}

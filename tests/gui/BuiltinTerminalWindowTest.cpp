// The terminal built into the program, used from every serial window on the
// virtual clock: it is offered in the port boxes, the download window and
// the project window put the demo into it, the debug window downloads
// pictures into it and switches its pages, its window comes up with the
// first line and sends touches, and one terminal serves them all, so what
// one window downloads the next one shows.

#include "gui/DebugWindowSupport.h"
#include "port/BuiltinTestSupport.h"
#include "support/TestUtil.h"

#include "port/BuiltinTerminal.h"
#include "serial/BuiltinTerminalWindow.h"
#include "serial/ProjectWindow.h"
#include "serial/DownloadWindow.h"
#include "serial/PortControls.h"
#include "terminal/ScreenPainting.h"
#include "terminal/SimControl.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace h5;
using namespace h5test;

namespace {

bool transferDone(const TransferSession &s)
{
    return s.outcome() != TransferSession::Outcome::Idle && s.outcome() != TransferSession::Outcome::Running;
}

} // namespace

TEST(BuiltinTerminalWindowTest, EveryPortBoxOffersTheBuiltinTerminalAfterTheRealPorts)
{
    BuiltinRig rig;
    Messages messages;
    DownloadWindow download(messages);
    ProjectWindow project(messages, QStringLiteral("demo"), demo().wgc, demo().folder);
    Window debug;
    for (QWidget *w : {static_cast<QWidget *>(&download), static_cast<QWidget *>(&project),
                       static_cast<QWidget *>(&debug.window)}) {
        SCOPED_TRACE(w->metaObject()->className());
        auto *ports = w->findChild<PortControls *>();
        ASSERT_NE(ports, nullptr);
        ports->setPortSource([] { return QStringList{QStringLiteral("/dev/ttyUSB0")}; });
        ports->detect();
        auto *box = child<QComboBox>(*w, "portCombo");
        ASSERT_EQ(box->count(), 2);
        EXPECT_EQ(box->itemText(0), QStringLiteral("/dev/ttyUSB0"));
        EXPECT_EQ(box->itemText(1), QStringLiteral("内置虚拟终端"));
        // Without hardware it is the one entry, and chosen.
        ports->setPortSource([] { return QStringList(); });
        ports->detect();
        EXPECT_EQ(box->count(), 1);
        EXPECT_EQ(ports->device(), QStringLiteral("内置虚拟终端"));
    }
}

// One app: the download window puts the demo into the built-in terminal,
// the debug window then switches it to page 1 and the terminal shows it.
TEST(BuiltinTerminalWindowTest, ProjectDownloadedByTheDownloadWindowIsShownByTheDebugWindowsPageSwitch)
{
    BuiltinRig rig;
    {
        Messages messages;
        DownloadWindow window(messages, demo().wgc);
        window.setPictureFile(demo().cbm);
        openOn(window, rig.port());
        ASSERT_TRUE(window.portControls()->isOpen()) << messages.texts.join('|').toStdString();
        ASSERT_NE(BuiltinTerminalWindow::current(), nullptr) << "the terminal's window opens with the first line";
        EXPECT_TRUE(BuiltinTerminalWindow::current()->isVisible());

        child<QPushButton>(window, "downloadButton")->click();
        ASSERT_TRUE(rig.waitFor([&] { return transferDone(window.session()); })) << statusText(window).toStdString();
        EXPECT_EQ(window.session().outcome(), TransferSession::Outcome::Completed) << statusText(window).toStdString();
        EXPECT_EQ(statusText(window), QStringLiteral("下载完成!"));
        EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();
        child<QPushButton>(window, "closeButton")->click();
    }
    EXPECT_EQ(rig.flash()["projectSha1"].toString(), sha1(readAll(demo().wgc).mid(102406)));
    EXPECT_FALSE(rig.flash()["registry"].toArray().isEmpty());
    EXPECT_EQ(rig.vt().currentPage(), 0) << "the terminal starts over on its first page";
    const QImage page0 = rig.terminal().screenImage();

    Window w;
    openOn(w.window, rig.port());
    ASSERT_TRUE(rig.waitFor([&] { return w.window.session().state() == LinkState::Ready; }, 10000))
        << statusText(w.window).toStdString();
    w.get<QLineEdit>("pageSwitchBox")->setText(QStringLiteral("1"));
    w.click("pageSwitchButton");
    ASSERT_TRUE(rig.waitFor([&] { return rig.vt().currentPage() == 1; }, 5000));
    EXPECT_NE(rig.terminal().screenImage(), page0) << "page 1 is drawn";
    // The terminal's window paints what the screen shows.
    const QImage shown = BuiltinTerminalWindow::current()->picture();
    EXPECT_FALSE(shown.isNull());
}

TEST(BuiltinTerminalWindowTest, ProjectWindowSendsTheProjectAndItsPictures)
{
    BuiltinRig rig;
    Messages messages;
    ProjectWindow window(messages, QStringLiteral("demo"), demo().wgc, demo().folder);
    openOn(window, rig.port());
    ASSERT_TRUE(window.portControls()->isOpen()) << messages.texts.join('|').toStdString();
    child<QPushButton>(window, "sendButton")->click();
    ASSERT_TRUE(rig.waitFor([&] { return transferDone(window.session()); })) << statusText(window).toStdString();
    EXPECT_EQ(window.session().outcome(), TransferSession::Outcome::Completed) << statusText(window).toStdString();
    EXPECT_EQ(statusText(window), QStringLiteral("下载完成!"));
    child<QPushButton>(window, "closeButton")->click();
    EXPECT_EQ(rig.flash()["projectSha1"].toString(), sha1(readAll(demo().wgc).mid(102406)));
    EXPECT_EQ(rig.flash()["registry"].toArray().size(),
              window.findChild<QTableWidget *>(QStringLiteral("pictureList"))->rowCount());
}

TEST(BuiltinTerminalWindowTest, DebugWindowDownloadsPicturesAndHearsTouchesOnTheTerminalsWindow)
{
    BuiltinRig rig;
    Pictures pics;
    Window w;
    const QString a = pics.make("a.bmp", 64, 48, 1);
    w.addPictures({a});
    openOn(w.window, rig.port());
    ASSERT_TRUE(rig.waitFor([&] { return w.window.session().state() == LinkState::Ready; }, 10000))
        << statusText(w.window).toStdString();
    w.click("downloadButton");
    ASSERT_TRUE(rig.waitFor([&] {
        const LinkState s = w.window.session().state();
        return s == LinkState::Ready || s == LinkState::Offline;
    }));
    EXPECT_EQ(statusText(w.window), QStringLiteral("编号0图片下载：100%"));
    EXPECT_EQ(rig.vt().picture(0), Pictures::pixels(a, 64, 48));

    // A click on the terminal's screen is a touch the debug window records.
    BuiltinTerminalWindow *screenWindow = BuiltinTerminalWindow::current();
    ASSERT_NE(screenWindow, nullptr);
    screenWindow->resize(800 + 40, 480 + 120);
    screenWindow->show();
    QWidget *screen = screenWindow->screenWidget();
    const QRect r = screenRectIn(screen->size(), QSize(800, 480));
    const QPointF at(r.x() + r.width() / 2.0, r.y() + r.height() / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, at, screen->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(screen, &press);
    rig.settle();
    EXPECT_TRUE(w.record().contains(QStringLiteral("fe fe"), Qt::CaseInsensitive)) << w.record().toStdString();
}

TEST(BuiltinTerminalWindowTest, EmptyingTheFlashAsksFirstAndNoKeepsEverything)
{
    BuiltinRig rig;
    rig.vt().feed(QByteArray::fromHex("7F1B75FFFFEEFF") + QByteArray(2048, '\x01'));
    ASSERT_FALSE(rig.vt().projectData().isEmpty());
    ScriptedPrompts prompts;
    BuiltinTerminalWindow window(rig.terminal(), prompts);
    QStringList &asked = prompts.questions;
    bool &answer = prompts.answer;
    answer = false;
    child<QPushButton>(window, "builtinEraseButton")->click();
    EXPECT_EQ(asked.size(), 1);
    EXPECT_FALSE(rig.vt().projectData().isEmpty()) << "No keeps the flash";
    answer = true;
    child<QPushButton>(window, "builtinEraseButton")->click();
    EXPECT_TRUE(rig.vt().projectData().isEmpty());
}

// The online debug window driven through its widgets: the picture list's
// buttons and in-place numbers, the preview, the record box, the two forms,
// and against h5800-sim the connection, the picture and font downloads and
// two windows at once.

#include "gui/DebugWindowSupport.h"
#include "pictures/PictureTestImages.h"
#include "support/TestUtil.h"

#include "common/Gbk.h"
#include "debug/DebugWindow.h"
#include "link/DebugSession.h"
#include "pictures/PictureConvert.h"
#include "serial/DownloadWindow.h"
#include "serial/PortControls.h"
#include "shell/WidgetPrompts.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>
#include <QScrollArea>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace h5;
using namespace h5test;


// ---- picture list on screen ----------------------------------------------------

TEST(DebugWindowTest, AddedPicturesAreListedWithNumbersFromTheBoxAndTheirSizes)
{
    Pictures pics;
    Window w;
    w.get<QLineEdit>("nextNumberBox")->setText(QStringLiteral("7"));
    w.addPictures({pics.make("a.bmp", 30, 20, 1), pics.make("b.bmp", 12, 34, 2)});
    ASSERT_EQ(w.fileRequests.size(), 1);
    EXPECT_EQ(w.fileRequests[0].kind, FileRequest::Kind::OpenMany);
    EXPECT_EQ(w.fileRequests[0].filter, QStringLiteral("图片文件(*.bmp *.jpg *.jpeg)"));
    EXPECT_EQ(w.column(0), (QStringList{"7", "8"}));
    EXPECT_EQ(w.column(1), (QStringList{QDir::toNativeSeparators(pics.dir.filePath("a.bmp")), QDir::toNativeSeparators(pics.dir.filePath("b.bmp"))}));
    EXPECT_EQ(w.column(2), (QStringList{"30", "12"}));
    EXPECT_EQ(w.column(3), (QStringList{"20", "34"}));
    EXPECT_EQ(w.get<QLineEdit>("nextNumberBox")->text(), QStringLiteral("9"));

    w.click("addPicturesButton"); // cancelled: nothing changes
    EXPECT_EQ(w.list()->rowCount(), 2);
}

TEST(DebugWindowTest, UpAndDownMoveThePicturesAndLeaveTheNumbersInTheirRows)
{
    Pictures pics;
    Window w;
    const QString a = pics.make("a.bmp", 10, 10, 1), b = pics.make("b.bmp", 20, 20, 2),
                  c = pics.make("c.bmp", 30, 30, 3);
    w.addPictures({a, b, c});
    struct Step
    {
        const char *button;
        int selected;
        QStringList paths;
        int selectedAfter;
    } steps[] = {
        {"downButton", 0, {b, a, c}, 1},
        {"downButton", 2, {b, a, c}, 2}, // the last row stays
        {"upButton", 2, {b, c, a}, 1},
        {"upButton", 0, {b, c, a}, 0}, // the first row stays
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(s.button);
        w.list()->clearSelection();
        w.list()->selectRow(s.selected);
        w.click(s.button);
        EXPECT_EQ(w.column(0), (QStringList{"0", "1", "2"}));
        QStringList shown;
        for (const QString &p : s.paths)
            shown << QDir::toNativeSeparators(p);
        EXPECT_EQ(w.column(1), shown);
        ASSERT_EQ(w.list()->selectionModel()->selectedRows().size(), 1);
        EXPECT_EQ(w.list()->selectionModel()->selectedRows().first().row(), s.selectedAfter);
    }
    // The sizes went with their pictures.
    EXPECT_EQ(w.column(2), (QStringList{"20", "30", "10"}));
    EXPECT_EQ(w.window.pictureList().entries()[2].width, 10);
    EXPECT_EQ(w.window.pictureList().entries()[2].number, 2);
}

TEST(DebugWindowTest, DeleteSelectedKeepsTheNextNumberAndClearResetsIt)
{
    Pictures pics;
    Window w;
    w.addPictures({pics.make("a.bmp", 4, 4, 1), pics.make("b.bmp", 4, 4, 2), pics.make("c.bmp", 4, 4, 3)});
    w.list()->setSelectionMode(QAbstractItemView::MultiSelection);
    w.list()->selectRow(0);
    w.list()->selectRow(2);
    w.click("deleteSelectedButton");
    EXPECT_EQ(w.column(0), QStringList{"1"});
    EXPECT_EQ(w.get<QLineEdit>("nextNumberBox")->text(), QStringLiteral("3"));
    w.click("clearListButton");
    EXPECT_EQ(w.list()->rowCount(), 0);
    EXPECT_TRUE(w.window.pictureList().entries().empty());
    EXPECT_EQ(w.get<QLineEdit>("nextNumberBox")->text(), QStringLiteral("0"));
}

TEST(DebugWindowTest, NumberTypedInPlaceIsCheckedAgainstThePictureNumbers)
{
    struct Case
    {
        const char *typed;
        const char *shown;
        bool refused;
    } cases[] = {{"599", "599", false}, {"0", "0", false}, {"600", "4", true},
                 {"-1", "4", true},     {"", "4", false},  {"12", "12", false}};
    Pictures pics;
    const QString a = pics.make("a.bmp", 4, 4, 1);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed);
        Window w;
        w.get<QLineEdit>("nextNumberBox")->setText(QStringLiteral("4"));
        w.addPictures({a});
        w.typeNumber(0, QString::fromLatin1(c.typed));
        EXPECT_EQ(w.column(0), QStringList{QString::fromLatin1(c.shown)});
        EXPECT_EQ(w.window.pictureList().entries()[0].number, QString::fromLatin1(c.shown).toInt());
        EXPECT_EQ(w.messages.texts, c.refused ? QStringList{QStringLiteral("编号超出范围!")} : QStringList());
    }
}

TEST(DebugWindowTest, SavedListIsSortedAndOpensAgainWithItsPictures)
{
    Pictures pics;
    Window w;
    w.get<QLineEdit>("nextNumberBox")->setText(QStringLiteral("5"));
    w.addPictures({pics.make("a.bmp", 10, 10, 1)});
    w.get<QLineEdit>("nextNumberBox")->setText(QStringLiteral("2"));
    w.addPictures({pics.make("b.bmp", 20, 20, 2)});
    w.fileAnswers << QStringList{pics.dir.filePath("list")};
    w.click("saveListButton");
    EXPECT_TRUE(w.messages.texts.isEmpty()) << w.messages.texts.join('|').toStdString();
    EXPECT_EQ(w.column(0), (QStringList{"2", "5"}));
    EXPECT_EQ(QFileInfo(pics.dir.filePath("list.tbm")).size(), 1236000 + 2 * 2112);

    Window again;
    again.fileAnswers << QStringList{pics.dir.filePath("list.tbm")};
    again.click("openListButton");
    EXPECT_EQ(again.column(0), (QStringList{"2", "5"}));
    EXPECT_EQ(again.get<QLineEdit>("nextNumberBox")->text(), QStringLiteral("6"));
    EXPECT_EQ(again.fileRequests[0].filter, QStringLiteral("图片列表文件(*.wbm *.cbm *.tbm)"));
}

TEST(DebugWindowTest, ClickedRowIsPreviewedAndAnUndrawablePictureSaysSo)
{
    Pictures pics;
    Window w;
    const QString a = pics.make("a.bmp", 40, 30, 1);
    w.addPictures({a});
    w.list()->selectRow(0);
    emit w.list()->cellClicked(0, 1);
    // The picture at the terminal's origin, in the terminal's colours; the
    // background around it.
    const QImage picture(a);
    const QRgb px = picture.pixel(5, 7);
    EXPECT_EQ(w.window.liveDrawing().mirror().colourAt(QPoint(5, 7)), rgb565(qRed(px), qGreen(px), qBlue(px)));
    EXPECT_EQ(w.window.liveDrawing().mirror().colourAt(QPoint(100, 100)), 0x001F);
    EXPECT_FALSE(w.get<QLabel>("previewBox")->pixmap().isNull());

    QFile::remove(a);
    emit w.list()->cellClicked(0, 1);
    EXPECT_EQ(w.get<QLabel>("previewBox")->text(), QStringLiteral("渲染图象失败！"));
    EXPECT_EQ(w.window.liveDrawing().mirror().colourAt(QPoint(5, 7)), 0x001F);
}

// ---- forms and record ------------------------------------------------------------

TEST(DebugWindowTest, RealtimeDebuggingButtonSwitchesBetweenTheCompactAndFullForms)
{
    Window w;
    w.window.show();
    auto *lower = w.get<QWidget>("lowerHalf");
    auto *scroll = w.get<QScrollArea>("formScroll");
    ASSERT_NE(scroll, nullptr);
    QWidget *content = scroll->widget();
    settle();
    const int compact = w.window.height();
    const int compactContent = content->height();
    EXPECT_FALSE(lower->isVisible());
    w.click("fullFormButton");
    settle();
    EXPECT_TRUE(w.window.isFullForm());
    EXPECT_TRUE(lower->isVisible());
    // The content grows by the whole lower half; the window as far as the
    // screen allows, the rest scrolls.
    EXPECT_GT(content->height(), compactContent);
    EXPECT_GE(lower->height(), lower->minimumSizeHint().height());
    EXPECT_GE(lower->height(), 300);
    EXPECT_GE(w.window.height(), compact);
    EXPECT_LE(w.window.height(), w.window.QWidget::screen()->availableGeometry().height());
    w.click("fullFormButton");
    settle();
    EXPECT_FALSE(lower->isVisible());
    EXPECT_EQ(w.window.height(), compact);
}

TEST(DebugWindowTest, WindowStartsWithTheTenRatesAndCloseDisabled)
{
    Window w;
    auto *baud = w.get<QComboBox>("baudCombo");
    QStringList rates;
    for (int i = 0; i < baud->count(); ++i)
        rates << baud->itemText(i);
    EXPECT_EQ(rates, (QStringList{"1228800", "921600", "460800", "115200", "57600", "38400", "19200",
                                  "9600", "4800", "2400"}));
    EXPECT_FALSE(w.get<QPushButton>("closeButton")->isEnabled());
    EXPECT_EQ(w.get<QLineEdit>("nextNumberBox")->text(), QStringLiteral("0"));
    EXPECT_EQ(w.window.session().state(), LinkState::Offline);
}

TEST(DebugWindowTest, RecordSaveAppendsToSerialNoteAndAFailureIsReported)
{
    QTemporaryDir tmp;
    BuiltinRig sim;
    ASSERT_TRUE(sim.ok());
    Window w;
    w.window.setRecordFolder(tmp.path());
    ASSERT_TRUE(connectTo(w, sim));
    const QString text = w.window.session().record().text();
    ASSERT_FALSE(text.isEmpty());
    // The box shows the record in upper case; the record keeps lower case.
    EXPECT_TRUE(w.record().contains(QStringLiteral("发送 \nAA \n"))) << w.record().toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("发送 \r\naa \r\n")));

    w.click("saveRecordButton");
    w.click("saveRecordButton"); // saving twice writes it twice
    const QString note = tmp.filePath("serialNote.txt");
    const std::string once = toGbk(text);
    EXPECT_EQ(readAll(note), QByteArray::fromStdString(once + once));
    EXPECT_EQ(w.messages.texts.last(), QStringLiteral("记录保存完毕，路径为") + QDir::toNativeSeparators(note));

    // A folder that cannot hold the file (it is a file itself, so even root
    // cannot write there): the window asks for a place, and a place that
    // cannot take it either is told as a failure, not a success.
    w.window.setRecordFolder(note);
    w.fileAnswers << QStringList{tmp.filePath("missing/serialNote.txt")};
    w.click("saveRecordButton");
    EXPECT_TRUE(w.messages.texts.last().startsWith(QStringLiteral("记录保存失败："))) << w.messages.texts.last().toStdString();
    EXPECT_EQ(readAll(note), QByteArray::fromStdString(once + once));

    w.click("clearRecordButton");
    EXPECT_TRUE(w.record().isEmpty());
    EXPECT_TRUE(w.window.session().record().text().isEmpty());
}

// ---- against the terminal --------------------------------------------------------

TEST(DebugWindowTest, ConnectedWindowDownloadsItsPicturesIntoTheTerminal)
{
    for (bool erase : {false, true}) {
        SCOPED_TRACE(erase);
        Pictures pics;
        BuiltinRig sim;
        ASSERT_TRUE(sim.ok());
        Window w;
        const QString a = pics.make("a.bmp", 320, 240, 1), b = pics.make("b.bmp", 30, 30, 2);
        w.get<QLineEdit>("nextNumberBox")->setText(QStringLiteral("3"));
        w.addPictures({a, b});
        w.get<QCheckBox>("eraseCheck")->setChecked(erase);

        w.click("downloadButton"); // the port is closed: nothing happens
        EXPECT_EQ(w.window.session().state(), LinkState::Offline);
        ASSERT_TRUE(connectTo(w, sim)) << statusText(w.window).toStdString();
        EXPECT_EQ(statusText(w.window), QStringLiteral("串口已连接!"));

        w.click("downloadButton");
        ASSERT_TRUE(transferEnds(w, sim));
        EXPECT_EQ(statusText(w.window), QStringLiteral("编号4图片下载：100%"));
        auto *bar = w.get<QProgressBar>("progressBar");
        EXPECT_EQ(bar->value(), bar->maximum());
        EXPECT_TRUE(w.messages.texts.isEmpty()) << w.messages.texts.join('|').toStdString();
        EXPECT_EQ(w.window.pictureList().entries()[0].blockAddress, "0");
        EXPECT_EQ(w.window.pictureList().entries()[1].blockAddress, "2");

        const QJsonArray registry = sim.flash()["registry"].toArray();
        ASSERT_EQ(registry.size(), 2);
        EXPECT_EQ(registry[0].toObject()["number"].toInt(), 3);
        EXPECT_EQ(registry[0].toObject()["sha1"].toString(), sha1(Pictures::pixels(a, 320, 240)));
        EXPECT_EQ(registry[1].toObject()["number"].toInt(), 4);
        EXPECT_EQ(registry[1].toObject()["firstBlock"].toInt(), 2);
        EXPECT_EQ(registry[1].toObject()["sha1"].toString(), sha1(Pictures::pixels(b, 30, 30)));
    }
}

// The question comes before anything is sent: asked at its turn, after
// the registry had been written with all three, a No left the terminal
// with a registry entry whose picture never came.
TEST(DebugWindowTest, MissingPictureIsAskedBeforeTheRegistryAndNoSendsNothing)
{
    Pictures pics;
    BuiltinRig sim;
    ASSERT_TRUE(sim.ok());
    Window w;
    const QString gone = pics.make("gone.bmp", 8, 8, 3);
    const QString a = pics.make("a.bmp", 8, 8, 1), b = pics.make("b.bmp", 8, 8, 2);
    w.addPictures({a, b, gone});
    QFile::remove(gone);
    ASSERT_TRUE(connectTo(w, sim));
    w.answer = false;
    w.click("downloadButton");
    ASSERT_TRUE(transferEnds(w, sim));
    EXPECT_EQ(w.questions, QStringList{QStringLiteral("编号2图片丢失，是否跳过继续下载?")});
    // The status box names the missing file.
    EXPECT_TRUE(w.get<QWidget>("statusBox")->property("text").toString().contains(QDir::toNativeSeparators(gone)))
        << w.get<QWidget>("statusBox")->property("text").toString().toStdString();
    EXPECT_TRUE(sim.flash()["registry"].toArray().isEmpty());
}

TEST(DebugWindowTest, FontsOfTheFontPageGoToTheTerminalOnSend)
{
    QTemporaryDir tmp;
    BuiltinRig sim;
    ASSERT_TRUE(sim.ok());
    const QString f1 = tmp.filePath("one.txt"), f2 = tmp.filePath("two.txt");
    ASSERT_TRUE(writeBytes(f1, "01 02 03"));
    QByteArray big;
    for (int i = 0; i < 3000; ++i)
        big += QByteArray::number(i % 256, 16).rightJustified(2, '0') + ' ';
    ASSERT_TRUE(writeBytes(f2, big));

    Window w;
    w.get<QLineEdit>("fontNextNumberBox")->setText(QStringLiteral("5"));
    w.fileAnswers << QStringList{f1, f2};
    w.click("addFontsButton");
    EXPECT_EQ(w.column(0, "fontList"), (QStringList{"5", "6"}));
    EXPECT_EQ(w.get<QLineEdit>("fontNextNumberBox")->text(), QStringLiteral("7"));
    w.get<QTabWidget>("extensionTabs")->setCurrentIndex(1);
    EXPECT_EQ(w.get<QTabWidget>("extensionTabs")->tabText(1), QStringLiteral("用户字库"));

    ASSERT_TRUE(connectTo(w, sim));
    w.click("sendButton");
    ASSERT_TRUE(transferEnds(w, sim));
    EXPECT_EQ(w.get<StatusText>("sendStatusBox")->text(), QStringLiteral("下载第2个字库：100%"));
    auto *bar = w.get<QProgressBar>("sendProgressBar");
    EXPECT_EQ(bar->value(), bar->maximum());

    QByteArray one = QByteArray::fromHex("010203");
    one.append(2112 - 3, char(0xFF));
    QByteArray two = decodeFontText(big);
    two.append(2 * 2112 - two.size(), char(0xFF));
    const QJsonArray fonts = sim.flash()["fonts"].toArray();
    ASSERT_EQ(fonts.size(), 2);
    EXPECT_EQ(fonts[0].toObject()["number"].toInt(), 5);
    EXPECT_EQ(fonts[0].toObject()["sha1"].toString(), sha1(one));
    EXPECT_EQ(fonts[1].toObject()["number"].toInt(), 6);
    EXPECT_EQ(fonts[1].toObject()["pages"].toInt(), 2);
    EXPECT_EQ(fonts[1].toObject()["sha1"].toString(), sha1(two));
}

TEST(DebugWindowSimTest, TwoWindowsDownloadIntoTwoTerminalsAtOnce)
{
    H5_UNIX_ONLY("pseudo-terminal and h5800-sim");
    Pictures pics;
    QTemporaryDir dirA, dirB;
    Sim simA(dirA), simB(dirB);
    ASSERT_TRUE(simA.ok() && simB.ok());
    Window a, b;
    const QString pa = pics.make("a.bmp", 200, 100, 1), pb = pics.make("b.bmp", 100, 200, 2);
    a.addPictures({pa});
    b.get<QLineEdit>("nextNumberBox")->setText(QStringLiteral("9"));
    b.addPictures({pb});
    // Both windows shake hands at once, each with its own terminal.
    openOn(a.window, simA.port());
    openOn(b.window, simB.port());
    const auto ready = [](Window &w) { return w.window.session().state() == LinkState::Ready; };
    ASSERT_TRUE(waitFor([&] { return ready(a) && ready(b); }, 5000));
    a.click("downloadButton");
    b.click("downloadButton");
    // Both run side by side, each on its own port and session.
    EXPECT_EQ(a.window.session().state(), LinkState::PictureHandshake);
    EXPECT_EQ(b.window.session().state(), LinkState::PictureHandshake);
    ASSERT_TRUE(transferEnds(a));
    ASSERT_TRUE(transferEnds(b));
    EXPECT_EQ(statusText(a.window), QStringLiteral("编号0图片下载：100%"));
    EXPECT_EQ(statusText(b.window), QStringLiteral("编号9图片下载：100%"));

    const QJsonArray ra = simA.flash()["registry"].toArray();
    const QJsonArray rb = simB.flash()["registry"].toArray();
    ASSERT_EQ(ra.size(), 1);
    ASSERT_EQ(rb.size(), 1);
    EXPECT_EQ(ra[0].toObject()["sha1"].toString(), sha1(Pictures::pixels(pa, 200, 100)));
    EXPECT_EQ(rb[0].toObject()["number"].toInt(), 9);
    EXPECT_EQ(rb[0].toObject()["sha1"].toString(), sha1(Pictures::pixels(pb, 100, 200)));
}

TEST(DebugWindowSimTest, TerminalReportsAppearInTheRecordOnceWhole)
{
    H5_UNIX_ONLY("pseudo-terminal and h5800-sim");
    QTemporaryDir simDir;
    const QString fifo = simDir.filePath("control");
    Sim sim(simDir, {QStringLiteral("--control"), fifo});
    ASSERT_TRUE(sim.ok());
    Window w;
    ASSERT_TRUE(connectTo(w, sim));
    const QString before = w.window.session().record().text();

    auto control = [&](const QByteArray &line) {
        QFile f(fifo);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        ASSERT_EQ(f.write(line), line.size());
    };
    // A touch report in two parts is one receive entry, once it is whole.
    control("report fe fe 01 02\n");
    ASSERT_TRUE(waitFor([&] { return w.window.session().receiveText() == "fe fe 01 02 "; }, 5000))
        << w.window.session().receiveText().toStdString() << "|" << w.window.session().record().text().toStdString();
    EXPECT_EQ(w.window.session().record().text(), before);
    control("report 03 04\n");
    control("report fd fd 05\n");
    ASSERT_TRUE(waitFor([&] { return w.record().contains(QStringLiteral("FD FD 05")); }, 5000));
    const QString added = w.window.session().record().text().mid(before.size());
    EXPECT_EQ(added.count(QStringLiteral("收到")), 2) << added.toStdString();
    EXPECT_TRUE(added.contains(QStringLiteral("收到 \r\nfe fe 01 02 03 04 \r\n"))) << added.toStdString();
    EXPECT_TRUE(w.record().contains(QStringLiteral("FE FE 01 02 03 04")));
    EXPECT_EQ(w.window.session().state(), LinkState::Ready);
}

TEST(DebugWindowSimTest, SimulatorInItsWindowServesTheLineAndSendsTouches)
{
    H5_UNIX_ONLY("pseudo-terminal and h5800-sim");
    // h5800-sim --window serves the line from a thread of its own; a touch
    // (a click, or the control line) reaches the PC as the touch report.
    QTemporaryDir simDir;
    const QString fifo = simDir.filePath("control");
    Sim sim(simDir, {QStringLiteral("--window"), QStringLiteral("--size"), QStringLiteral("320x240"),
                     QStringLiteral("--control"), fifo});
    ASSERT_TRUE(sim.ok());
    Window w;
    ASSERT_TRUE(connectTo(w, sim));
    QFile f(fifo);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    ASSERT_GT(f.write("touch 300 7\n"), 0);
    f.close();
    EXPECT_TRUE(waitFor([&] { return w.window.session().record().text().contains(QStringLiteral("fe fe 2c 01 07 00")); },
                        5000))
        << w.window.session().record().text().toStdString();
}

// ---- closing, saving the record, what the status boxes say -------------------------

namespace {

// The record grows by one command sent with the port closed.
void recordSomething(Window &w) { w.click("calibrateButton"); }

} // namespace

TEST(DebugWindowTest, EscapeAndCloseDoNotThrowAwayTheListsAndRecordWithoutAsking)
{
    Pictures pics;
    QTemporaryDir tmp;
    const QString picture = pics.make("a.bmp", 8, 8, 1);
    const QString font = tmp.filePath("f.txt");
    ASSERT_TRUE(writeBytes(font, "01 02"));
    struct Case
    {
        const char *name;
        std::function<void(Window &)> make;
        QString question; // empty: closes without asking
    } cases[] = {
        {"fresh window", [](Window &) {}, QString()},
        {"record", [](Window &w) { recordSomething(w); }, QStringLiteral("关闭窗口将丢弃通讯记录，是否关闭?")},
        {"picture list",
         [&](Window &w) { w.addPictures({picture}); },
         QStringLiteral("关闭窗口将丢弃未保存的图片列表，是否关闭?")},
        {"picture list saved",
         [&](Window &w) {
             w.addPictures({picture});
             w.fileAnswers << QStringList{tmp.filePath("saved.tbm")};
             w.click("saveListButton");
         },
         QString()},
        {"picture list opened again, then added to",
         [&](Window &w) {
             w.addPictures({picture});
             w.fileAnswers << QStringList{tmp.filePath("opened.tbm")};
             w.click("saveListButton");
             w.click("clearListButton");
             w.fileAnswers << QStringList{tmp.filePath("opened.tbm")};
             w.click("openListButton");
             w.addPictures({picture});
         },
         QStringLiteral("关闭窗口将丢弃未保存的图片列表，是否关闭?")},
        {"font list and record",
         [&](Window &w) {
             w.fileAnswers << QStringList{font};
             w.click("addFontsButton");
             recordSomething(w);
         },
         QStringLiteral("关闭窗口将丢弃未保存的字库列表和通讯记录，是否关闭?")},
        {"font list saved",
         [&](Window &w) {
             w.fileAnswers << QStringList{font};
             w.click("addFontsButton");
             w.fileAnswers << QStringList{tmp.filePath("fonts.wzk")};
             w.click("saveFontsButton");
         },
         QString()},
        {"both lists and record",
         [&](Window &w) {
             w.addPictures({picture});
             w.fileAnswers << QStringList{font};
             w.click("addFontsButton");
             recordSomething(w);
         },
         QStringLiteral("关闭窗口将丢弃未保存的图片列表、字库列表和通讯记录，是否关闭?")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Window w;
        w.window.show();
        c.make(w);
        ASSERT_TRUE(w.messages.texts.isEmpty()) << w.messages.texts.join('|').toStdString();
        const QString record = w.window.session().record().text();
        const size_t pictures = w.window.pictureList().entries().size();

        // Escape is no way to close this window.
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(&w.window, &escape);
        EXPECT_TRUE(w.window.isVisible());
        EXPECT_TRUE(w.questions.isEmpty());

        // No keeps everything; Yes closes.
        w.answer = false;
        const bool closed = w.window.close();
        EXPECT_EQ(w.questions, c.question.isEmpty() ? QStringList() : QStringList{c.question});
        if (!c.question.isEmpty()) {
            EXPECT_FALSE(closed);
            EXPECT_TRUE(w.window.isVisible());
            EXPECT_EQ(w.window.session().record().text(), record);
            EXPECT_EQ(w.window.pictureList().entries().size(), pictures);
            w.answer = true;
            EXPECT_TRUE(w.window.close());
        } else {
            EXPECT_TRUE(closed);
        }
        EXPECT_FALSE(w.window.isVisible());
    }
}

TEST(DebugWindowTest, ClosingWithThePortOpenAsksAndNoKeepsTheConnection)
{
    BuiltinRig sim;
    ASSERT_TRUE(sim.ok());
    Window w;
    w.window.show();
    ASSERT_TRUE(connectTo(w, sim));
    w.click("clearRecordButton");
    w.answer = false;
    EXPECT_FALSE(w.window.close());
    EXPECT_EQ(w.questions, QStringList{QStringLiteral("关闭窗口将断开串口，是否关闭?")});
    EXPECT_TRUE(w.window.portControls()->isOpen());
    EXPECT_EQ(w.window.session().state(), LinkState::Ready);

    w.click("calibrateButton");
    w.answer = true;
    EXPECT_TRUE(w.window.close());
    EXPECT_EQ(w.questions.last(), QStringLiteral("关闭窗口将断开串口并丢弃通讯记录，是否关闭?"));
}

TEST(DebugWindowTest, RecordIsSavedInTheUsersDataFolderOrWhereTheUserSaysWhenItIsNotWritable)
{
    QStandardPaths::setTestModeEnabled(true);
    const QString dataDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir(dataDir).removeRecursively(); // created when needed
    Window w;
    recordSomething(w);
    const std::string once = toGbk(w.window.session().record().text());
    w.click("saveRecordButton");
    w.click("saveRecordButton"); // saving twice writes it twice
    const QString note = QDir(dataDir).filePath(QStringLiteral("serialNote.txt"));
    EXPECT_EQ(readAll(note), QByteArray::fromStdString(once + once));
    EXPECT_EQ(w.messages.texts.last(), QStringLiteral("记录保存完毕，路径为") + QDir::toNativeSeparators(note));
    EXPECT_TRUE(w.fileRequests.isEmpty());
    QDir(dataDir).removeRecursively();
    QStandardPaths::setTestModeEnabled(false);

    // A data folder that cannot be written (here a file, so that even root
    // cannot write there): a save dialog asks where the record goes.
    QTemporaryDir tmp;
    const QString blocked = tmp.filePath("blocked");
    ASSERT_TRUE(writeBytes(blocked, "x"));
    w.window.setRecordFolder(blocked);
    w.messages.texts.clear();
    w.click("saveRecordButton"); // cancelled: nothing written, nothing said
    ASSERT_EQ(w.fileRequests.size(), 1);
    EXPECT_EQ(w.fileRequests[0].kind, FileRequest::Kind::Save);
    EXPECT_EQ(w.fileRequests[0].fileName, QStringLiteral("serialNote.txt"));
    EXPECT_TRUE(w.messages.texts.isEmpty());
    const QString chosen = tmp.filePath("note.txt");
    w.fileAnswers << QStringList{chosen};
    w.click("saveRecordButton");
    EXPECT_EQ(readAll(chosen), QByteArray::fromStdString(once));
    EXPECT_EQ(w.messages.texts, QStringList{QStringLiteral("记录保存完毕，路径为") + QDir::toNativeSeparators(chosen)});
    // A place that cannot take it either: the failure is told, not a success.
    w.fileAnswers << QStringList{tmp.filePath("missing/note.txt")};
    w.click("saveRecordButton");
    EXPECT_TRUE(w.messages.texts.last().startsWith(QStringLiteral("记录保存失败："))) << w.messages.texts.last().toStdString();
    EXPECT_FALSE(QFileInfo::exists(tmp.filePath("missing")));
    EXPECT_EQ(readAll(blocked), QByteArray("x"));
}

TEST(DebugWindowTest, SavedRecordIsToldInAnInformationBox)
{
    QTemporaryDir tmp;
    WidgetPrompts boxes; // the real boxes
    Window w(boxes);
    w.window.setRecordFolder(tmp.path());
    QMessageBox::Icon shown = QMessageBox::NoIcon;
    QString shownText;
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [&, poll] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        shown = box->icon();
        shownText = box->text();
        poll->stop();
        poll->deleteLater();
        box->accept();
    });
    poll->start(1);
    w.click("saveRecordButton");
    EXPECT_EQ(shownText, QStringLiteral("记录保存完毕，路径为")
                             + QDir::toNativeSeparators(tmp.filePath(QStringLiteral("serialNote.txt"))));
    EXPECT_EQ(shown, QMessageBox::Information);
}

TEST(DebugWindowTest, StatusBoxesSayWhenThePortIsClosed)
{
    BuiltinRig sim;
    ASSERT_TRUE(sim.ok());
    Pictures pics;
    const QString font = pics.dir.filePath("f.txt");
    ASSERT_TRUE(writeBytes(font, "01 02"));
    Window w;
    w.addPictures({pics.make("a.bmp", 8, 8, 1)});
    w.click("downloadButton");
    EXPECT_EQ(statusText(w.window), QStringLiteral("串口未打开!"));
    w.fileAnswers << QStringList{font};
    w.click("addFontsButton");
    w.get<QTabWidget>("extensionTabs")->setCurrentIndex(1);
    w.click("sendButton");
    EXPECT_EQ(w.get<QWidget>("sendStatusBox")->property("text").toString(), QStringLiteral("串口未打开!"));

    ASSERT_TRUE(connectTo(w, sim));
    EXPECT_EQ(statusText(w.window), QStringLiteral("串口已连接!"));
    w.click("closeButton");
    EXPECT_EQ(statusText(w.window), QStringLiteral("串口已关闭!"));
    EXPECT_EQ(w.window.session().state(), LinkState::Offline);
}

TEST(DebugWindowTest, SendStatusShowsTheFailingFontFileByName)
{
    QTemporaryDir tmp;
    BuiltinRig sim;
    ASSERT_TRUE(sim.ok());
    // A font deep in folders with long names, whose text ends in a lone
    // hex digit.
    QString folder = tmp.path();
    for (int i = 0; i < 4; ++i)
        folder += QStringLiteral("/a-folder-with-a-rather-long-name-%1").arg(i);
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString font = folder + QStringLiteral("/broken-font.txt");
    ASSERT_TRUE(writeBytes(font, "01 02 0"));
    Window w;
    w.window.show();
    w.fileAnswers << QStringList{font};
    w.click("addFontsButton");
    w.get<QTabWidget>("extensionTabs")->setCurrentIndex(1);
    ASSERT_TRUE(connectTo(w, sim));
    w.click("sendButton");

    auto *box = w.get<QWidget>("sendStatusBox");
    ASSERT_NE(box, nullptr);
    const QString full = box->property("text").toString();
    EXPECT_TRUE(full.contains(QDir::toNativeSeparators(font))) << full.toStdString();
    EXPECT_EQ(box->toolTip(), full);
    // The box is far narrower than the text; what it shows still names the
    // file.
    EXPECT_GT(box->fontMetrics().horizontalAdvance(full), box->width()) << "the text fits: nothing to test";
    const QString shown = box->property("shownText").toString();
    EXPECT_LE(box->fontMetrics().horizontalAdvance(shown), box->contentsRect().width());
    EXPECT_TRUE(shown.contains(QStringLiteral("broken-font.txt"))) << shown.toStdString() << " | " << full.toStdString();
}

// The window is put together from panels that need its link first: Tab
// still goes through it as it is laid out, group by group, not in the
// order the parts were made.
TEST(DebugWindowTest, TabGoesThroughTheGroupsInTheOrderTheyAreLaidOut)
{
    Window w;
    const QStringList expected = {"pictureList", "downloadButton", "statusBox", "detectButton", "closeButton",
                                  "pictureSwitchBox", "touchModeButton", "extensionTabs", "hexText",
                                  "fontList", "choosePictureButton", "copyResolutionCombo", "sendButton",
                                  "recordBox", "saveRecordButton", "screenPane", "layerBox", "shape0",
                                  "drawButton"};
    QStringList reached;
    QWidget *f = &w.window;
    for (int i = 0; i < 500; ++i) {
        f = f->nextInFocusChain();
        if (f == &w.window)
            break;
        if (expected.contains(f->objectName()) && !reached.contains(f->objectName()))
            reached << f->objectName();
    }
    EXPECT_EQ(reached, expected);
}

TEST(DebugWindowTest, PortCaptionsCarryTheirColonsInThisWindowOnly)
{
    auto captions = [](QWidget &window) {
        QStringList out;
        for (const char *name : {"portLabel", "baudLabel"})
            if (auto *label = window.findChild<QLabel *>(QString::fromLatin1(name)))
                out << label->text();
        return out;
    };
    Window w;
    EXPECT_EQ(captions(w.window), (QStringList{"端口：", "波特率："}));
    DownloadWindow download(w.messages);
    EXPECT_EQ(captions(download), (QStringList{"端口", "波特率"}));
}

TEST(DebugWindowTest, WindowFitsASmallScreenInBothForms)
{
    // 1366 x 768 less a title bar and a panel leaves about 1366 x 700.
    Window w;
    w.window.show();
    for (bool full : {false, true}) {
        SCOPED_TRACE(full);
        if (w.window.isFullForm() != full)
            w.click("fullFormButton");
        const QSize least = w.window.minimumSizeHint().expandedTo(w.window.minimumSize());
        EXPECT_LE(least.width(), 1000);
        EXPECT_LE(least.height(), 660);
        w.window.resize(1000, 660);
        EXPECT_EQ(w.window.size(), QSize(1000, 660));
    }
}

TEST(DebugWindowTest, CloseQuestionKeepsEverythingOnEnterOrEscape)
{
    WidgetPrompts boxes; // the real box
    Window w(boxes);
    w.window.show();
    recordSomething(w);
    for (bool enter : {true, false}) {
        SCOPED_TRACE(enter);
        QString asked;
        auto *poll = new QTimer;
        QObject::connect(poll, &QTimer::timeout, poll, [&, poll] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            asked = box->text();
            poll->stop();
            poll->deleteLater();
            QKeyEvent key(QEvent::KeyPress, enter ? Qt::Key_Return : Qt::Key_Escape, Qt::NoModifier);
            QCoreApplication::sendEvent(box, &key);
        });
        poll->start(1);
        EXPECT_FALSE(w.window.close());
        EXPECT_EQ(asked, QStringLiteral("关闭窗口将丢弃通讯记录，是否关闭?"));
        EXPECT_TRUE(w.window.isVisible());
    }
}

// The debug window's device commands, drawing group, realtime dynamic
// debugging and extension pages, driven through its widgets: what each
// records and sends, what the simulated screen shows, and what is refused.

#include "gui/DebugWindowSupport.h"

#include "debug/LiveFontForm.h"
#include "debug/TouchModeForm.h"

#include "link/LiveCommands.h"
#include "terminal/LiveMirror.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScrollArea>
#include <QSlider>
#include <QTabWidget>
#include <QWheelEvent>
#include <gtest/gtest.h>

using namespace h5;
using namespace h5test;

namespace {

// The record's send entries, each as its hex text.
QStringList sentEntries(const DebugSession &session)
{
    QStringList out;
    const QStringList lines = session.record().text().split(QStringLiteral("\r\n"));
    for (int i = 0; i + 1 < lines.size(); ++i)
        if (lines[i].endsWith(QStringLiteral(" 发送 ")))
            out << lines[i + 1].trimmed();
    return out;
}

QString hexOf(const QByteArray &b) { return QString::fromLatin1(b.toHex(' ')); }

void set(Window &w, const char *box, int value) { w.get<QLineEdit>(box)->setText(QString::number(value)); }

// Picks a size and a face in the font chooser as a user clicks them.
void chooseFont(LiveFontForm &form, int size, int face)
{
    form.findChild<QRadioButton *>(QStringLiteral("size%1").arg(size))->click();
    form.findChild<QRadioButton *>(QStringLiteral("face%1").arg(face))->click();
}

void chooseShape(Window &w, LiveShape shape)
{
    w.get<QRadioButton>(QStringLiteral("shape%1").arg(int(shape)).toLatin1().constData())->click();
}

// A mouse event at point `p` of the simulated screen's pane, delivered as a
// real one is: to the widget under the pointer there.
void mouseInPane(Window &w, QEvent::Type type, QPoint p)
{
    QWidget *viewport = w.get<QScrollArea>("screenPane")->viewport();
    QWidget *target = viewport->childAt(p);
    if (!target)
        target = viewport;
    const QPointF local = target->mapFrom(viewport, QPointF(p));
    QMouseEvent e(type, local, target->mapToGlobal(local), Qt::LeftButton,
                  type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &e);
}

// The same at image pixel `p` of the simulated screen.
void mouse(Window &w, QEvent::Type type, QPoint p)
{
    auto *screen = w.get<QLabel>("simulatedScreen");
    mouseInPane(w, type, screen->mapTo(w.get<QScrollArea>("screenPane")->viewport(), p));
}

void clickAt(Window &w, QPoint terminal)
{
    const QPoint p = terminal + QPoint(LiveMirror::kOffset, LiveMirror::kOffset);
    mouse(w, QEvent::MouseMove, p);
    mouse(w, QEvent::MouseButtonPress, p);
}

} // namespace

TEST(DebugLiveTest, EveryCommandIsRecordedWithThePortClosed)
{
    Window w;
    // Continuous with break code (mode 3), every 5 * 20 ms.
    w.messages.onForm<TouchModeForm>([](TouchModeForm &form) {
        form.findChild<QRadioButton *>(QStringLiteral("continuousTrigger"))->click();
        form.findChild<QRadioButton *>(QStringLiteral("withBreakCode"))->click();
        form.findChild<QLineEdit *>(QStringLiteral("intervalBox"))->setText(QStringLiteral("5"));
        form.accept();
        return form.result() == QDialog::Accepted;
    });
    set(w, "pictureSwitchBox", 7);
    w.click("pictureSwitchButton");
    set(w, "pageSwitchBox", 2);
    w.click("pageSwitchButton");
    w.click("clearScreenButton");
    w.click("calibrateButton");
    auto *slider = w.get<QSlider>("backlightSlider");
    slider->setSliderDown(true);
    slider->setValue(63); // dragging sends nothing
    EXPECT_TRUE(sentEntries(w.window.session()).size() == 4);
    slider->setSliderDown(false); // let go
    set(w, "layerBox", 1);
    w.click("layerButton");
    w.click("touchModeButton");
    EXPECT_EQ(sentEntries(w.window.session()),
              (QStringList{"1b 29 07 00 00 00 00 00 ff ff ee ff", "1b 50 02 00 ff ff ee ff", "1b 42 1f 00 ff ff ee ff",
                           "1b 38 ff ff ee ff", "1b 64 3f ff ff ee ff", "1b 40 01 ff ff ee ff",
                           "1b 20 03 ff ff ee ff", "1b 21 05 00 ff ff ee ff"}));
    EXPECT_EQ(w.get<QLineEdit>("backlightValue")->text(), QStringLiteral("63"));
    EXPECT_TRUE(w.messages.texts.isEmpty()) << w.messages.texts.join('|').toStdString();
    EXPECT_EQ(w.window.session().state(), LinkState::Offline);
}

TEST(DebugLiveTest, RefusedCommandsShowTheirMessageAndRecordNothing)
{
    struct Case
    {
        const char *name;
        std::function<void(Window &)> act;
        QString message;
    } cases[] = {
        {"rectangle ending before it starts",
         [](Window &w) {
             chooseShape(w, LiveShape::HollowRect);
             set(w, "startXBox", 50), set(w, "startYBox", 50), set(w, "endXBox", 10), set(w, "endYBox", 90);
             w.click("drawButton");
         },
         QStringLiteral("坐标设置错误。")},
        {"rectangle of no width is silently nothing",
         [](Window &w) {
             chooseShape(w, LiveShape::FilledRect);
             set(w, "startXBox", 50), set(w, "startYBox", 10), set(w, "endXBox", 50), set(w, "endYBox", 90);
             w.click("drawButton");
         },
         QString()},
        {"layer 2 on a two-layer resolution",
         [](Window &w) {
             set(w, "layerBox", 2);
             w.click("layerButton");
         },
         QStringLiteral("此分辨率为两层叠加")},
        {"layer 4 on 480X272",
         [](Window &w) {
             w.get<QComboBox>("resolutionCombo")->setCurrentIndex(1);
             set(w, "layerBox", 4);
             w.click("layerButton");
         },
         QStringLiteral("此分辨率为四层叠加")},
        {"text of 256 bytes",
         [](Window &w) {
             chooseShape(w, LiveShape::Text);
             w.get<QLineEdit>("textBox")->setText(QString(256, QLatin1Char('a')));
             w.click("drawButton");
         },
         QStringLiteral("文本过长。")},
        {"hex text over 1500 characters",
         [](Window &w) {
             w.get<QTabWidget>("extensionTabs")->setCurrentIndex(0);
             w.get<QPlainTextEdit>("hexText")->setPlainText(QString(1501, QLatin1Char('1')));
             w.click("sendButton");
         },
         QStringLiteral("指令过长！")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Window w;
        c.act(w);
        EXPECT_TRUE(sentEntries(w.window.session()).isEmpty()) << sentEntries(w.window.session()).join('|').toStdString();
        EXPECT_EQ(w.messages.texts, c.message.isEmpty() ? QStringList() : QStringList{c.message});
    }
}

TEST(DebugLiveTest, TypedShapeIsRecordedAndMirroredAtItsTerminalPoints)
{
    Window w;
    chooseShape(w, LiveShape::FilledRect);
    set(w, "startXBox", 10), set(w, "startYBox", 20), set(w, "endXBox", 110), set(w, "endYBox", 70);
    w.click("drawButton");
    EXPECT_EQ(sentEntries(w.window.session()), QStringList{"1b 41 ff ff 0a 00 14 00 6e 00 46 00 ff ff ee ff"});
    const LiveMirror &m = w.window.liveDrawing().mirror();
    EXPECT_EQ(m.colourAt(QPoint(10, 20)), 0xFFFF);
    EXPECT_EQ(m.colourAt(QPoint(109, 69)), 0xFFFF);
    EXPECT_EQ(m.colourAt(QPoint(9, 20)), 0x001F);
    EXPECT_EQ(m.colourAt(QPoint(10, 19)), 0x001F);
    // Terminal point (10, 20) is pixel (12, 22) of the image.
    EXPECT_EQ(QColor(w.window.liveDrawing().screen().pixel(12, 22)), QColor(255, 255, 255));

    // A new background colour clears the terminal and the mirror.
    w.messages.colour = [](const QColor &) { return QColor(255, 0, 0); };
    w.click("backgroundButton");
    EXPECT_EQ(sentEntries(w.window.session()).last(), QStringLiteral("1b 42 00 f8 ff ff ee ff"));
    EXPECT_EQ(m.colourAt(QPoint(10, 20)), 0xF800);
    EXPECT_EQ(w.get<QLineEdit>("backgroundValue")->text(), QStringLiteral("0xf800"));
}

TEST(DebugLiveTest, TextTakesTheChosenFontColoursAndSpacing)
{
    Window w;
    w.messages.onForm<LiveFontForm>([](LiveFontForm &form) {
        chooseFont(form, 2, 2); // 24 dots, 黑体
        return true;
    });
    w.click("fontButton");
    EXPECT_EQ(w.get<QLabel>("fontName")->text(), QStringLiteral("24点阵 黑体"));
    w.messages.colour = [](const QColor &) { return QColor(0, 0, 0); };
    w.click("textColourButton");
    w.get<QComboBox>("fontModeCombo")->setCurrentIndex(1);
    set(w, "columnSpacingBox", 2);
    set(w, "rowSpacingBox", 3);
    chooseShape(w, LiveShape::Text);
    EXPECT_TRUE(w.get<QLineEdit>("textBox")->isEnabled());
    w.get<QLineEdit>("textBox")->setText(QStringLiteral("A"));
    set(w, "startXBox", 5), set(w, "startYBox", 6);
    w.click("drawButton");
    // colour 0000, spacing 2 and 3, background 001f, at (5, 6), mode 1,
    // font 0x32, "A".
    EXPECT_EQ(sentEntries(w.window.session()), QStringList{"1b 23 00 00 02 03 1f 00 05 00 06 00 01 32 41 ff ff ee ff"});
}

TEST(DebugLiveTest, ClicksOnTheScreenSendTheirShapesOnTheNextTick)
{
    Window w;
    w.window.show();
    w.click("fullFormButton");
    chooseShape(w, LiveShape::Polyline);
    clickAt(w, QPoint(10, 10));
    clickAt(w, QPoint(50, 10));
    clickAt(w, QPoint(50, 60));
    EXPECT_TRUE(sentEntries(w.window.session()).isEmpty()); // nothing before the tick
    w.window.liveDrawing().liveTick();
    EXPECT_EQ(sentEntries(w.window.session()),
              (QStringList{"1b 46 ff ff 0a 00 0a 00 32 00 0a 00 ff ff ee ff",
                           "1b 46 ff ff 32 00 0a 00 32 00 3c 00 ff ff ee ff"}));
    EXPECT_EQ(w.get<QLineEdit>("currentXBox")->text(), QStringLiteral("50"));
    EXPECT_EQ(w.get<QLineEdit>("currentYBox")->text(), QStringLiteral("60"));
    EXPECT_EQ(w.get<QLineEdit>("colourValueBox")->text(), QStringLiteral("001f"));
    EXPECT_EQ(w.window.liveDrawing().mirror().colourAt(QPoint(30, 10)), 0xFFFF); // the segment is mirrored

    // Rectangles take their corners in order, whatever the clicks' order.
    chooseShape(w, LiveShape::HollowRect);
    clickAt(w, QPoint(80, 90));
    clickAt(w, QPoint(20, 30));
    w.window.liveDrawing().liveTick();
    EXPECT_EQ(sentEntries(w.window.session()).last(), QStringLiteral("1b 5a ff ff 14 00 1e 00 50 00 5a 00 ff ff ee ff"));
}

TEST(DebugLiveTest, ClickBesideASmallScreenStartsTheShapeAgain)
{
    // 320X240, 240X320 and 272X480 leave grey pane beside the image; a
    // click there is outside the screen.
    for (int resolution : {0, 7, 6}) {
        SCOPED_TRACE(resolution);
        Window w;
        w.window.show();
        w.click("fullFormButton");
        w.get<QComboBox>("resolutionCombo")->setCurrentIndex(resolution);
        chooseShape(w, LiveShape::Line);
        clickAt(w, QPoint(10, 10));
        QWidget *viewport = w.get<QScrollArea>("screenPane")->viewport();
        const QPoint grey(viewport->width() - 4, 4);
        ASSERT_GT(grey.x(), w.get<QLabel>("simulatedScreen")->geometry().right());
        mouseInPane(w, QEvent::MouseMove, grey);
        EXPECT_TRUE(w.window.liveDrawing().clicks().outside());
        mouseInPane(w, QEvent::MouseButtonPress, grey);
        clickAt(w, QPoint(50, 50)); // the first corner of a new line
        w.window.liveDrawing().liveTick();
        EXPECT_TRUE(sentEntries(w.window.session()).isEmpty()) << sentEntries(w.window.session()).join('|').toStdString();
        clickAt(w, QPoint(60, 70));
        w.window.liveDrawing().liveTick();
        EXPECT_EQ(sentEntries(w.window.session()), QStringList{"1b 46 ff ff 32 00 32 00 3c 00 46 00 ff ff ee ff"});
    }
}

TEST(DebugLiveTest, BacklightSendsEveryChangeAndADragOnceWhenLetGo)
{
    Window w;
    w.window.show();
    w.click("fullFormButton");
    auto *slider = w.get<QSlider>("backlightSlider");
    auto backlights = [&] {
        QStringList out;
        for (const QString &e : sentEntries(w.window.session()))
            if (e.startsWith(QStringLiteral("1b 64 ")))
                out << e;
        return out;
    };
    auto key = [&](Qt::Key k) {
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
        QCoreApplication::sendEvent(slider, &press);
    };
    auto wheel = [&] {
        const QPointF at(slider->width() / 2.0, slider->height() / 2.0);
        QWheelEvent e(at, slider->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(slider, &e);
    };
    auto grooveClick = [&] {
        const QPointF at(slider->width() - 3, slider->height() / 2.0);
        QMouseEvent press(QEvent::MouseButtonPress, at, slider->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(slider, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, slider->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(slider, &release);
    };
    struct Step
    {
        const char *name;
        std::function<void()> act;
    } steps[] = {
        {"arrow key", [&] { key(Qt::Key_Right); }},
        {"page key", [&] { key(Qt::Key_PageUp); }},
        {"wheel", wheel},
        {"click on the groove", grooveClick},
        {"arrow key down", [&] { key(Qt::Key_Left); }},
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(s.name);
        const int value = slider->value();
        const QStringList before = backlights();
        s.act();
        ASSERT_NE(slider->value(), value);
        EXPECT_EQ(backlights(), before + QStringList{hexOf(backlightFrame(slider->value()))});
    }

    // A drag sends once, the level it is let go at.
    const QStringList before = backlights();
    slider->setSliderDown(true);
    slider->setSliderPosition(20);
    slider->setSliderPosition(40);
    EXPECT_EQ(backlights(), before);
    slider->setSliderDown(false);
    EXPECT_EQ(backlights(), before + QStringList{QStringLiteral("1b 64 28 ff ff ee ff")});
}

TEST(DebugLiveTest, HexFilePathIsShownAsItIsWhileTypedHexShowsInUpperCase)
{
    QTemporaryDir tmp;
    const QString file = tmp.filePath("Mixed-case.txt");
    ASSERT_TRUE(writeBytes(file, "1b 38 ff ff ee ff"));
    Window w;
    auto *hexText = w.get<QPlainTextEdit>("hexText");
    EXPECT_EQ(hexText->font().capitalization(), QFont::AllUppercase);
    w.fileAnswers << QStringList{file};
    w.get<QCheckBox>("loadFileCheck")->click();
    EXPECT_EQ(hexText->toPlainText(), QDir::toNativeSeparators(file));
    EXPECT_EQ(hexText->font().capitalization(), QFont::MixedCase);
    w.click("sendButton"); // the port is closed: the path is recorded
    EXPECT_TRUE(w.record().contains(QDir::toNativeSeparators(file) + QStringLiteral(" \n"))) << w.record().toStdString();

    w.get<QCheckBox>("loadFileCheck")->click();
    EXPECT_EQ(hexText->font().capitalization(), QFont::AllUppercase);
    hexText->setPlainText(QStringLiteral("1b 38 ff ff ee ff"));
    w.click("sendButton");
    EXPECT_TRUE(w.record().contains(QStringLiteral("1B 38 FF FF EE FF \n"))) << w.record().toStdString();
    EXPECT_TRUE(w.window.session().record().text().contains(QStringLiteral("1b 38 ff ff ee ff \r\n")));
}

TEST(DebugLiveTest, RealtimePageShowsTheChosenPicturesPath)
{
    Pictures pics;
    const QString picture = pics.make("Realtime-Picture.bmp", 20, 10, 4);
    Window w;
    w.window.show();
    w.get<QTabWidget>("extensionTabs")->setCurrentIndex(2);
    auto *path = w.get<QWidget>("realtimePathBox");
    ASSERT_NE(path, nullptr);
    EXPECT_TRUE(path->property("text").toString().isEmpty());
    w.fileAnswers << QStringList{picture};
    w.click("choosePictureButton");
    EXPECT_TRUE(path->isVisible());
    EXPECT_EQ(path->property("text").toString(), QDir::toNativeSeparators(picture));
    EXPECT_EQ(path->toolTip(), QDir::toNativeSeparators(picture));
    EXPECT_TRUE(path->property("shownText").toString().endsWith(QStringLiteral("Realtime-Picture.bmp")))
        << path->property("shownText").toString().toStdString() << " in " << path->width();
    w.click("choosePictureButton"); // cancelled: the choice stays
    EXPECT_EQ(path->property("text").toString(), QDir::toNativeSeparators(picture));
}

TEST(DebugLiveTest, ResolutionSizesTheScreenAndTheLayerBox)
{
    Window w;
    auto *resolution = w.get<QComboBox>("resolutionCombo");
    struct Case
    {
        int index;
        QSize image;
        bool layerBox;
    } cases[] = {{3, {802, 482}, true}, {5, {1026, 770}, false}, {6, {274, 482}, false}, {7, {242, 322}, true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.index);
        resolution->setCurrentIndex(c.index);
        EXPECT_EQ(w.window.liveDrawing().screen().size(), c.image);
        EXPECT_EQ(w.get<QLineEdit>("layerBox")->isEnabled(), c.layerBox);
    }
}

TEST(DebugLiveTest, CopyPageSendsTheLayerSelectOnlyWhereTheResolutionHasLayers)
{
    Window w;
    w.get<QTabWidget>("extensionTabs")->setCurrentIndex(3);
    auto *resolution = w.get<QComboBox>("copyResolutionCombo");
    const char *boxes[6] = {"copySourceX", "copySourceY", "copyWidth", "copyHeight", "copyTargetX", "copyTargetY"};
    const int values[6] = {1, 2, 3, 4, 5, 6};
    for (int i = 0; i < 6; ++i)
        set(w, boxes[i], values[i]);

    resolution->setCurrentIndex(3); // 800X480, two layers
    EXPECT_EQ(w.get<QComboBox>("copyFromLayer")->count(), 2);
    w.get<QComboBox>("copyFromLayer")->setEditText(QStringLiteral("1"));
    w.get<QComboBox>("copyToLayer")->setEditText(QStringLiteral("7")); // not an entry: stays 0
    w.click("sendButton");
    resolution->setCurrentIndex(5); // 1024X768, one layer
    EXPECT_FALSE(w.get<QComboBox>("copyFromLayer")->isEnabled());
    w.click("sendButton");
    EXPECT_EQ(sentEntries(w.window.session()),
              (QStringList{"1b 40 04 ff ff ee ff 1b 28 01 00 02 00 03 00 04 00 05 00 06 00 ff ff ee ff",
                           "1b 28 01 00 02 00 03 00 04 00 05 00 06 00 ff ff ee ff"}));
}

TEST(DebugLiveTest, HexPageSendsTypedTextAndLongFilesInChunks)
{
    QTemporaryDir tmp;
    BuiltinRig sim;
    ASSERT_TRUE(sim.ok());
    Window w;
    ASSERT_TRUE(connectTo(w, sim));
    w.get<QTabWidget>("extensionTabs")->setCurrentIndex(0);

    // Typed: recorded exactly as typed, the bytes sent.
    w.get<QPlainTextEdit>("hexText")->setPlainText(QStringLiteral("1b 64 3F ff ff ee ff"));
    w.click("sendButton");
    EXPECT_TRUE(w.window.session().record().text().contains(QStringLiteral("1b 64 3F ff ff ee ff \r\n")));
    EXPECT_EQ(w.window.session().state(), LinkState::Ready);

    // A lone digit is refused with its position; nothing is recorded.
    const qsizetype before = w.window.session().record().text().size();
    w.get<QPlainTextEdit>("hexText")->setPlainText(QStringLiteral("1b 6"));
    w.click("sendButton");
    EXPECT_EQ(w.window.session().record().text().size(), before);
    ASSERT_EQ(w.messages.texts.size(), 1);

    // File mode: 7000 bytes of clear-screen frames go in three chunks.
    QByteArray frames;
    while (frames.size() < 7000)
        frames += hex("1b 42 00 f8 ff ff ee ff");
    frames.truncate(7000);
    const QString file = tmp.filePath("long.txt");
    ASSERT_TRUE(writeBytes(file, frames.toHex(' ')));
    w.fileAnswers << QStringList{file};
    w.get<QCheckBox>("loadFileCheck")->click();
    EXPECT_TRUE(w.get<QCheckBox>("loadFileCheck")->isChecked());
    EXPECT_EQ(w.get<QPlainTextEdit>("hexText")->toPlainText(), QDir::toNativeSeparators(file));
    w.click("sendButton");
    EXPECT_EQ(w.window.session().state(), LinkState::BulkSend);
    ASSERT_TRUE(sim.waitFor([&] { return w.get<StatusText>("sendStatusBox")->text() == QStringLiteral("下载完毕"); }, 10000))
        << w.get<StatusText>("sendStatusBox")->text().toStdString();
    EXPECT_TRUE(w.window.session().record().text().contains(QDir::toNativeSeparators(file) + QStringLiteral(" \r\n")));

    // Unticking the box leaves file mode and empties the text.
    w.get<QCheckBox>("loadFileCheck")->click();
    EXPECT_FALSE(w.get<QCheckBox>("loadFileCheck")->isChecked());
    EXPECT_TRUE(w.get<QPlainTextEdit>("hexText")->toPlainText().isEmpty());
}

TEST(DebugLiveTest, FontPageSavesTheSameWzkAsTheFontDownloadSends)
{
    QTemporaryDir tmp;
    const QString f1 = tmp.filePath("one.txt"), f2 = tmp.filePath("two.txt");
    ASSERT_TRUE(writeBytes(f1, "01 02 03"));
    ASSERT_TRUE(writeBytes(f2, "AA BB"));
    Window w;
    w.get<QLineEdit>("fontNextNumberBox")->setText(QStringLiteral("4"));
    w.fileAnswers << QStringList{f1, f2};
    w.click("addFontsButton");
    w.fileAnswers << QStringList{tmp.filePath("fonts")};
    w.click("saveFontsButton");
    ASSERT_TRUE(w.messages.texts.isEmpty()) << w.messages.texts.join('|').toStdString();
    QByteArray expected = hex("7f 1b 74 04 00 01 00 ff ff ee ff 01 02 03");
    expected.append(2112 - 3, char(0xFF));
    expected += hex("7f 1b 74 05 00 01 00 ff ff ee ff aa bb");
    expected.append(2112 - 2, char(0xFF));
    EXPECT_EQ(readAll(tmp.filePath("fonts.wzk")), expected);
    // The command-line tool writes the same file.
    const CliResult r = runCli({QStringLiteral("fonts"), QStringLiteral("wzk"), tmp.filePath("cli.wzk"),
                                QStringLiteral("--first"), QStringLiteral("4"), f1, f2});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(readAll(tmp.filePath("cli.wzk")), expected);
}

// ---- against the terminal ---------------------------------------------------------

namespace {

// The RGB565 colour of every pixel of a screenshot the simulator wrote
// (channels widened by bit replication, so truncation gives them back).
std::vector<uint16_t> screenshot565(const QString &path, QSize size)
{
    QImage image;
    if (!image.load(path) || image.size() != size)
        return {};
    std::vector<uint16_t> out;
    out.reserve(size_t(size.width() * size.height()));
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            out.push_back(uint16_t(((qRed(c) >> 3) << 11) | ((qGreen(c) >> 2) << 5) | (qBlue(c) >> 3)));
        }
    return out;
}

std::vector<uint16_t> mirror565(const LiveMirror &m)
{
    std::vector<uint16_t> out;
    for (int y = 0; y < m.height(); ++y)
        for (int x = 0; x < m.width(); ++x)
            out.push_back(m.colourAt(QPoint(x, y)));
    return out;
}

} // namespace

TEST(DebugLiveSimTest, ShapesDrawnWithTheMouseLookTheSameOnTheTerminal)
{
    H5_UNIX_ONLY("pseudo-terminal and h5800-sim");
    QTemporaryDir simDir;
    const QString shot = simDir.filePath("screen.png");
    Sim sim(simDir, {QStringLiteral("--size"), QStringLiteral("320x240"), QStringLiteral("--screenshot"), shot});
    ASSERT_TRUE(sim.ok());
    Window w;
    ASSERT_TRUE(connectTo(w, sim));
    w.click("fullFormButton");
    w.click("clearScreenButton"); // both start from the same background

    struct Stroke
    {
        LiveShape shape;
        std::vector<QPoint> clicks;
    } strokes[] = {
        {LiveShape::Point, {{3, 4}}},
        {LiveShape::Line, {{10, 10}, {100, 40}}},
        {LiveShape::Polyline, {{5, 200}, {60, 150}, {120, 230}}},
        {LiveShape::HollowRect, {{130, 20}, {180, 60}}},
        {LiveShape::FilledRect, {{200, 80}, {190, 20}}},
        {LiveShape::HollowEllipse, {{20, 60}, {90, 110}}},
        {LiveShape::FilledEllipse, {{130, 90}, {170, 140}}},
        {LiveShape::HollowCircle, {{250, 60}, {250, 90}}},
        {LiveShape::FilledCircle, {{260, 180}, {275, 190}}},
        {LiveShape::Text, {{150, 200}}},
    };
    // Text is drawn by the same code on both sides, with this system's
    // fonts, so its pixels agree too (a real terminal's dot fonts differ).
    w.get<QLineEdit>("textBox")->setText(QStringLiteral("测试Ab"));
    w.get<QComboBox>("fontModeCombo")->setCurrentIndex(1);
    w.messages.onForm<LiveFontForm>([](LiveFontForm &form) {
        chooseFont(form, 2, 1);
        return true;
    });
    w.click("fontButton");
    w.messages.colour = [](const QColor &) { return QColor(255, 255, 0); };
    for (const Stroke &s : strokes) {
        chooseShape(w, s.shape);
        for (QPoint p : s.clicks)
            clickAt(w, p);
        w.window.liveDrawing().liveTick();
        if (s.shape == LiveShape::HollowRect)
            w.click("foregroundButton"); // later shapes in another colour
    }
    ASSERT_TRUE(w.messages.texts.isEmpty()) << w.messages.texts.join('|').toStdString();

    const std::vector<uint16_t> expected = mirror565(w.window.liveDrawing().mirror());
    std::vector<uint16_t> got;
    const bool same = waitFor([&] {
        got = screenshot565(shot, QSize(320, 240));
        return got == expected;
    }, 10000);
    if (!same && got.size() == expected.size()) {
        int differ = 0;
        for (size_t i = 0; i < got.size(); ++i)
            differ += got[i] != expected[i];
        ADD_FAILURE() << differ << " pixels differ";
        if (qEnvironmentVariableIsSet("H5_KEEP_SCREENS")) {
            w.window.liveDrawing().screen().save(QStringLiteral("/tmp/mirror.png"));
            QFile::copy(shot, QStringLiteral("/tmp/sim.png"));
        }
    }
    EXPECT_TRUE(same);
}

TEST(DebugLiveSimTest, RealtimePictureArrivesOnTheTerminalsScreen)
{
    H5_UNIX_ONLY("pseudo-terminal and h5800-sim");
    QTemporaryDir simDir;
    Pictures pics;
    const QString shot = simDir.filePath("screen.png");
    Sim sim(simDir, {QStringLiteral("--size"), QStringLiteral("320x240"), QStringLiteral("--screenshot"), shot});
    ASSERT_TRUE(sim.ok());
    Window w;
    const QString picture = pics.make("p.bmp", 100, 50, 4);
    w.get<QTabWidget>("extensionTabs")->setCurrentIndex(2);
    w.fileAnswers << QStringList{picture};
    w.click("choosePictureButton");
    EXPECT_FALSE(w.get<QLabel>("realtimePreview")->pixmap().isNull());
    set(w, "realtimeXBox", 10);
    set(w, "realtimeYBox", 20);
    ASSERT_TRUE(connectTo(w, sim));
    w.click("sendButton");
    EXPECT_EQ(w.window.session().state(), LinkState::RealtimeHeaderSent);
    ASSERT_TRUE(waitFor([&] { return w.get<StatusText>("sendStatusBox")->text() == QStringLiteral("下载完毕"); }, 10000))
        << w.get<StatusText>("sendStatusBox")->text().toStdString();
    EXPECT_TRUE(sentEntries(w.window.session()).contains(QStringLiteral("1b 24 0a 00 14 00 64 00 32 00 ff ff ee ff")));

    const QByteArray pixels = Pictures::pixels(picture, 100, 50);
    bool placed = false;
    waitFor([&] {
        const std::vector<uint16_t> screen = screenshot565(shot, QSize(320, 240));
        if (screen.empty())
            return false;
        placed = true;
        for (int y = 0; y < 50 && placed; ++y)
            for (int x = 0; x < 100 && placed; ++x) {
                const int i = (y * 100 + x) * 2;
                const uint16_t want = uint16_t(uint8_t(pixels[i]) | uint8_t(pixels[i + 1]) << 8);
                placed = screen[size_t((y + 20) * 320 + x + 10)] == want;
            }
        return placed;
    }, 10000);
    EXPECT_TRUE(placed);
}

// The pointer maker form: name rebuilt from the boxes on every tick, files
// generated and loaded, messages for files it cannot use.

#include "support/TestUtil.h"

#include "support/ScriptedPrompts.h"
#include "debug/PointerMakerWindow.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace h5;
using h5test::hex;
using h5test::readAll;
using h5test::toHex;

namespace {

QLineEdit *box(PointerMakerWindow &d, const char *name)
{
    return d.findChild<QLineEdit *>(QString::fromLatin1(name));
}

QByteArray fileBytes(const char *name, const char *numbers)
{
    QByteArray b(name);
    b.append(50 - b.size(), '\0');
    b.append(hex(numbers));
    return b;
}

} // namespace

TEST(PointerMakerWindow, NameFollowsTheBoxesOnEveryTick)
{
    h5test::ScriptedPrompts n;
    PointerMakerWindow d(n);
    EXPECT_EQ(d.name(), QStringLiteral("Len(20,0);0?-180"));
    ASSERT_NE(d.previewTimer(), nullptr);
    EXPECT_EQ(d.previewTimer()->interval(), 100);
    EXPECT_TRUE(d.previewTimer()->isActive());
    d.repaintPreview();
    EXPECT_EQ(d.name(), QStringLiteral("Len(20,0); 0?-180")) << "initial name lacked the blank";

    box(d, "tipCut")->setText(QStringLiteral("5"));
    box(d, "startAngle")->setText(QStringLiteral("-45"));
    box(d, "length")->setText(QStringLiteral("500")); // typed beyond the arrows' range
    d.repaintPreview();
    EXPECT_EQ(d.name(), QStringLiteral("Len(500,5); -45?-180"));
}

TEST(PointerMakerWindow, ArrowsStayInTheirRange)
{
    h5test::ScriptedPrompts n;
    PointerMakerWindow d(n);
    struct Case { const char *fault; const char *box; const char *start; const char *arrow; const char *expected; };
    const Case cases[] = {
        {"length arrow went under 2", "length", "2", "lengthDown", "2"},
        {"tip cut arrow went under 0", "tipCut", "0", "tipCutDown", "0"},
        {"end arrow went over 360", "endAngle", "360", "endAngleUp", "360"},
        {"start arrow did not step", "startAngle", "-10", "startAngleUp", "-9"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fault);
        box(d, c.box)->setText(QString::fromLatin1(c.start));
        d.findChild<QToolButton *>(QString::fromLatin1(c.arrow))->click();
        EXPECT_EQ(box(d, c.box)->text(), QString::fromLatin1(c.expected));
    }
}

TEST(PointerMakerWindow, PreviewNeedleAtZeroDegreesOnTheMiddleRow)
{
    h5test::ScriptedPrompts n;
    PointerMakerWindow d(n);
    box(d, "tipCut")->setText(QStringLiteral("5"));
    d.repaintPreview();
    const QImage &img = d.previewImage();
    ASSERT_EQ(img.width(), 300);
    const int y = img.height() / 2;
    // The needle at 0 degrees runs from x = 145 to x = 125.
    EXPECT_EQ(img.pixelColor(145, y), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(125, y), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(146, y), QColor(73, 73, 73));
    EXPECT_EQ(img.pixelColor(124, y), QColor(73, 73, 73));
}

TEST(PointerMakerWindow, GenerateWritesTheBoxesWithTheMglSuffix)
{
    QTemporaryDir dir;
    h5test::ScriptedPrompts n;
    PointerMakerWindow d(n);
    box(d, "tipCut")->setText(QStringLiteral("5"));
    struct Case { const char *fault; const char *chosen; const char *written; };
    const Case cases[] = {
        {"lower-case suffix taken as .MGL", "a.mgl", "a.mgl.MGL"},
        {"upper-case suffix doubled", "b.MGL", "b.MGL"},
        {"no suffix left bare", "c", "c.MGL"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fault);
        n.messages.clear();
        const QString written = d.generateTo(dir.filePath(QString::fromLatin1(c.chosen)));
        EXPECT_EQ(written, dir.filePath(QString::fromLatin1(c.written)));
        EXPECT_EQ(toHex(readAll(written)), toHex(fileBytes("Len(20,5); 0?-180", "0014 0005 0000 00B4 FF 00")));
        // The written file is confirmed by its name.
        EXPECT_EQ(n.messages, QStringList{PointerMakerWindow::writtenText(written)});
    }
}

TEST(PointerMakerWindow, NumbersOutOfTheirRangeAreRefusedWithTheFormsMessage)
{
    QTemporaryDir dir;
    struct Case { const char *box; const char *typed; const char *message; };
    const Case cases[] = {
        {"length", "1", "“请填入一个在2和400之间的整数。”"},
        {"length", "401", "“请填入一个在2和400之间的整数。”"},
        {"tipCut", "-1", "“请填入一个在0和400之间的整数。”"},
        {"startAngle", "-361", "“请填入一个在-360和360之间的整数。”"},
        {"endAngle", "361", "“请填入一个在-360和360之间的整数。”"},
        {"endAngle", "abc", "请键入一个整数。"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.box) + " = " + c.typed);
        h5test::ScriptedPrompts n;
        PointerMakerWindow d(n);
        d.show();
        box(d, c.box)->setText(QString::fromUtf8(c.typed));
        const QString target = dir.filePath(QStringLiteral("r.MGL"));
        EXPECT_TRUE(d.generateTo(target).isEmpty());
        EXPECT_FALSE(QFile::exists(target));
        EXPECT_EQ(n.messages, QStringList{QString::fromUtf8(c.message)});
        EXPECT_EQ(d.focusWidget(), box(d, c.box));
    }
    // The ends of the ranges are taken.
    h5test::ScriptedPrompts n;
    PointerMakerWindow d(n);
    box(d, "length")->setText(QStringLiteral("400"));
    box(d, "startAngle")->setText(QStringLiteral("-360"));
    box(d, "endAngle")->setText(QStringLiteral("360"));
    EXPECT_FALSE(d.generateTo(dir.filePath(QStringLiteral("ok.MGL"))).isEmpty());
}

TEST(PointerMakerWindow, NumberTooLargeForTheFileIsReportedNotWrapped)
{
    QTemporaryDir dir;
    h5test::ScriptedPrompts n;
    PointerMakerWindow d(n);
    box(d, "length")->setText(QStringLiteral("70000"));
    EXPECT_TRUE(d.generateTo(dir.filePath(QStringLiteral("x.MGL"))).isEmpty());
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("x.MGL"))));
    EXPECT_EQ(n.messages.size(), 1);
}

TEST(PointerMakerWindow, LoadFillsTheBoxesAndRefusesShortFiles)
{
    QTemporaryDir dir;
    h5test::ScriptedPrompts n;
    PointerMakerWindow d(n);
    const QString good = dir.filePath(QStringLiteral("g.MGL"));
    {
        QFile f(good);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(fileBytes("old name", "001E 000A FFD3 00E1 FF 00"));
    }
    ASSERT_TRUE(d.loadFrom(good));
    EXPECT_EQ(d.name(), QStringLiteral("old name"));
    EXPECT_EQ(box(d, "length")->text(), QStringLiteral("30"));
    EXPECT_EQ(box(d, "tipCut")->text(), QStringLiteral("10"));
    EXPECT_EQ(box(d, "startAngle")->text(), QStringLiteral("-45"));
    EXPECT_EQ(box(d, "endAngle")->text(), QStringLiteral("225"));
    d.repaintPreview();
    EXPECT_EQ(d.name(), QStringLiteral("Len(30,10); -45?-225")) << "name not rebuilt after loading";

    const QString shortFile = dir.filePath(QStringLiteral("s.MGL"));
    {
        QFile f(shortFile);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(fileBytes("s", "0001 0002").left(52));
    }
    EXPECT_FALSE(d.loadFrom(shortFile));
    ASSERT_EQ(n.messages.size(), 1);
    EXPECT_TRUE(n.messages.first().contains(QStringLiteral("s.MGL")));
    EXPECT_EQ(box(d, "length")->text(), QStringLiteral("30")) << "a refused file changed the boxes";

    EXPECT_FALSE(d.loadFrom(dir.filePath(QStringLiteral("none.MGL"))));
    EXPECT_EQ(n.messages.size(), 2);
}

// The property forms as a user meets them (offscreen, never modal): fields
// found by object name, OK pressed, and the element words checked; bad
// values keep the form open with the box focused and the exact message.

#include "support/ScriptedPrompts.h"
#include "support/TestUtil.h"

#include "common/Gbk.h"
#include "edit/ToolInteraction.h"
#include "editor/ImageControlForm.h"
#include "editor/ScreenshotForm.h"
#include "editor/ButtonControlForm.h"
#include "editor/PointerControlForm.h"
#include "editor/NumericControlForm.h"
#include "editor/BarGraphControlForm.h"
#include "editor/StringControlForm.h"
#include "editor/TextControlForm.h"
#include "editor/ElementForms.h"
#include "editor/CharactersForm.h"
#include "editor/LineForm.h"
#include "editor/PanelForm.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

using namespace h5;

namespace {

template <typename T> T *child(QWidget &form, const char *name)
{
    T *w = form.findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

void setBox(PropertyForm &form, const char *name, const QString &text)
{
    if (auto *box = child<QLineEdit>(form, name))
        box->setText(text);
}

CGraph elementOf(int kind, QPoint a, QPoint b)
{
    return CGraph(kind, 0, a, b, 0, 0, RGB(255, 255, 255), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "", "", "");
}

// The forms' check messages (their own boxes) apart from the refusals told
// through the prompts the forms were run with.
class FormPrompts : public h5test::ScriptedPrompts
{
public:
    using ScriptedPrompts::message;
    void message(MessageKind kind, const QString &text) override
    {
        ScriptedPrompts::message(kind, text);
        (messageSources.last().isEmpty() ? refusals : checks) << text;
    }
    QStringList checks;
    QStringList refusals;
};

// Records the check messages and drives every form through a script.
class FormTest : public ::testing::Test
{
protected:
    void SetUp() override { ctx.textState = &textState; }
    // The next forms are filled by `fill` and then OK is pressed; a failed
    // check counts as Cancel (the user gives up).
    void answerWith(std::function<void(PropertyForm &)> fill)
    {
        prompts.onForm<PropertyForm>([this, fill](PropertyForm &form) {
            ++formsShown;
            lastTitle = form.windowTitle();
            fill(form);
            return form.tryAccept();
        });
    }
    void cancelAll()
    {
        prompts.onForm<PropertyForm>([this](PropertyForm &) {
            ++formsShown;
            return false;
        });
    }

    FormPrompts prompts;
    QStringList &messages = prompts.checks;
    TextToolState textState;
    FormContext ctx;
    int formsShown = 0;
    QString lastTitle;
};

using FormDialog = FormTest;
using FormEntry = FormTest;

} // namespace

// ---- checks -----------------------------------------------------------------

TEST_F(FormDialog, BadValueKeepsFormOpenFocusesTheBoxAndShowsTheMessage)
{
    struct Case
    {
        std::function<PropertyForm *()> make;
        const char *field;
        QString bad;
        QString message;
    };
    const QString range = QStringLiteral("“请填入一个在%1和%2之间的整数。”");
    const Case cases[] = {
        {[this] { return new NumericControlForm(NumericValues(), prompts); }, "x", "1281", range.arg(0).arg(1280)},
        {[this] { return new NumericControlForm(NumericValues(), prompts); }, "minimum", "abc", QStringLiteral("请键入一个整数。")},
        {[this] { return new NumericControlForm(NumericValues(), prompts); }, "intDigits", "11", range.arg(0).arg(10)},
        {[this] { return new StringControlForm(StringCtrlValues(), prompts); }, "count", "0", range.arg(1).arg(255)},
        {[this] {
             ButtonValues v;
             v.switchPage = true; // enables the next page box
             return new ButtonControlForm(v, prompts);
         },
         "nextPage", "1024", range.arg(0).arg(1023)},
        {[this] { return new PanelForm(PanelValues(), prompts); }, "borderWidth", "17", range.arg(1).arg(16)},
        {[this] { return new LineForm(LineValues(), prompts); }, "startX", "-1", QStringLiteral("“请填入一个正整数。”")},
        {[this] { return new PointerControlForm(PointerCtrlValues(), QString(), prompts); }, "lineWidth", "11", range.arg(1).arg(10)},
        {[this] { return new PointerControlForm(PointerCtrlValues(), QString(), prompts); }, "centreY", "601", range.arg(0).arg(600)},
        {[this] { return new BarGraphControlForm(BarCtrlValues(), prompts); }, "belowShown", "65281", range.arg(0).arg(65280)},
        {[this] { return new ImageControlForm(ImageCtrlValues(), prompts); }, "width", "0", range.arg(1).arg(800)},
        {[this] { return new TextControlForm(TextCtrlValues(), prompts); }, "ctrlId", "2049", range.arg(0).arg(2048)},
        {[this] { return new CharactersForm(FontValues(), prompts); }, "columnSpacing", "251", range.arg(0).arg(250)},
        {[this] { return new ScreenshotForm(ScreenshotValues(), prompts); }, "bottom", "1.5", QStringLiteral("请键入一个整数。")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.field);
        messages.clear();
        std::unique_ptr<PropertyForm> form(c.make());
        form->show();
        setBox(*form, c.field, c.bad);
        form->accept();
        EXPECT_TRUE(form->isVisible()) << "a failed check keeps the form open";
        EXPECT_NE(form->result(), QDialog::Accepted);
        EXPECT_EQ(messages, QStringList{c.message});
        EXPECT_EQ(form->focusWidget(), form->findChild<QWidget *>(QString::fromLatin1(c.field)));
        EXPECT_EQ(form->lastError().field, QString::fromLatin1(c.field));
        form->close();
    }
}

TEST_F(FormDialog, ScreenshotFormRefusesCornersOutsideThePage)
{
    ScreenshotForm form{ScreenshotValues(), prompts};
    EXPECT_EQ(form.windowTitle(), QStringLiteral("截图"));
    auto *save = child<QAbstractButton>(form, "ok");
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(save->text(), QStringLiteral("保存"));
    for (const char *name : {"left", "top", "right", "bottom"})
        EXPECT_EQ(child<QLineEdit>(form, name)->text(), QStringLiteral("0")) << name;
    // Window coordinates: negative and beyond any page are both taken.
    setBox(form, "left", QStringLiteral("-20"));
    setBox(form, "top", QStringLiteral("-5"));
    setBox(form, "right", QStringLiteral("5000"));
    setBox(form, "bottom", QStringLiteral("70000"));
    ASSERT_TRUE(form.tryAccept()) << form.lastError().message.toStdString();
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(form.values().left, -20);
    EXPECT_EQ(form.values().top, -5);
    EXPECT_EQ(form.values().right, 5000);
    EXPECT_EQ(form.values().bottom, 70000);
}

TEST_F(FormDialog, OverlongCharactersTextFocusesTheTextBox)
{
    CharactersForm form{FontValues(), prompts};
    form.show();
    child<QPlainTextEdit>(form, "text")->setPlainText(QString(200, QLatin1Char('a')) + QStringLiteral("\n")
                                                       + QString(54, QLatin1Char('b')));
    form.accept(); // 200 + CR LF + 54 = 256 bytes
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(messages, QStringList{QStringLiteral("“请填入不多于255个的字符。”")});
    EXPECT_EQ(form.focusWidget(), form.findChild<QWidget *>(QStringLiteral("text")));

    messages.clear();
    child<QPlainTextEdit>(form, "text")->setPlainText(QString(255, QLatin1Char('a')));
    form.accept();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(FormEntry, FailedCheckWritesNothingToTheElement)
{
    CGraph g = elementOf(Kind::NumericCtrl, {10, 10}, {20, 26});
    const CGraph before = g;
    answerWith([](PropertyForm &form) {
        setBox(form, "ctrlId", QStringLiteral("9"));
        setBox(form, "aboveShown", QStringLiteral("70000"));
    });
    EXPECT_EQ(editElementProperties(nullptr, prompts, g, ctx), PropertyEdit::Cancelled);
    EXPECT_EQ(g, before);
    EXPECT_EQ(messages, QStringList{QStringLiteral("“请填入一个在0和65280之间的整数。”")});
}

// ---- colour buttons ---------------------------------------------------------

TEST_F(FormDialog, ColourFieldShowsSwatchAndTerminalValue)
{
    NumericControlForm numeric{NumericValues(), prompts};
    ColourField *fg = numeric.colourField(QStringLiteral("colour1"));
    ASSERT_NE(fg, nullptr);
    EXPECT_EQ(child<QLineEdit>(numeric, "colour1Value")->text(), QStringLiteral("0xffff"));
    EXPECT_TRUE(child<QLineEdit>(numeric, "colour1Value")->isReadOnly());
    fg->setColour(RGB(0xF8, 0, 0));
    EXPECT_EQ(child<QLineEdit>(numeric, "colour1Value")->text(), QStringLiteral("0xf800"));
    EXPECT_EQ(child<QWidget>(numeric, "colour1Swatch")->palette().color(QPalette::Window), QColor(0xF8, 0, 0));

    // The characters form writes the value without the prefix.
    CharactersForm font{FontValues(), prompts};
    EXPECT_EQ(child<QLineEdit>(font, "colour1Value")->text(), QStringLiteral("ffff"));
    EXPECT_EQ(child<QLineEdit>(font, "colour2Value")->text(), QStringLiteral("0000"));
}

TEST_F(FormEntry, ChosenColoursReachTheirColourWords)
{
    CGraph g = elementOf(Kind::BarCtrl, {0, 0}, {20, 10});
    answerWith([](PropertyForm &form) {
        for (int i = 1; i <= 5; ++i)
            form.colourField(QStringLiteral("colour%1").arg(i))->setColour(RGB(i, 0, 0));
    });
    EXPECT_EQ(editElementProperties(nullptr, prompts, g, ctx), PropertyEdit::Written);
    EXPECT_EQ(g.m_crColor1, RGB(1, 0, 0));
    EXPECT_EQ(g.m_crColor2, RGB(2, 0, 0));
    EXPECT_EQ(g.m_crColor3, RGB(3, 0, 0));
    EXPECT_EQ(g.m_crColor4, RGB(4, 0, 0));
    EXPECT_EQ(g.m_crColor5, RGB(5, 0, 0));
}

// ---- editing ----------------------------------------------------------------

TEST_F(FormEntry, EachKindOpensItsFormAndOkWritesTheElement)
{
    struct Case
    {
        const char *what;
        CGraph element;
        QString title;
        std::function<void(PropertyForm &)> fill;
        PropertyEdit expected;
        std::function<void(const CGraph &before, const CGraph &after)> check;
    };
    const auto none = [](PropertyForm &) {};
    CGraph numeric12 = elementOf(Kind::NumericCtrl, {5, 5}, {6, 6});
    numeric12.m_nAttr = 12 * 256 + 1;
    CGraph bar5 = elementOf(Kind::BarCtrl, {0, 0}, {20, 10});
    bar5.m_nAttr = 5;
    bar5.m_nStyle = 5;
    CGraph button = elementOf(Kind::ButtonCtrl, {0, 0}, {40, 20});
    button.m_nAttr = 4 | 1;
    button.m_nStyle = 3;
    button.m_nExtra = 17;
    CGraph text = elementOf(Kind::TextCtrl, {0, 0}, {100, 40});
    text.m_nAttr = 2 * 256 + 3;

    const Case cases[] = {
        {"rectangle to width 0 is removed", elementOf(Kind::HollowRect, {10, 10}, {50, 50}), "矩形",
         [](PropertyForm &f) { setBox(f, "width", "0"); }, PropertyEdit::Removed, nullptr},
        {"group box to width 0 is left alone", elementOf(Kind::GroupBox, {10, 10}, {50, 50}), "分类框",
         [](PropertyForm &f) { setBox(f, "width", "0"); setBox(f, "x", "3"); }, PropertyEdit::Refused,
         [](const CGraph &b, const CGraph &a) { EXPECT_EQ(a, b); }},
        {"ellipse 101 wide comes back 100 wide", elementOf(Kind::SolidEllipse, {0, 0}, {101, 40}), "椭圆", none,
         PropertyEdit::Written, [](const CGraph &, const CGraph &a) {
             EXPECT_EQ(a.m_ptStart, QPoint(0, 0));
             EXPECT_EQ(a.m_ptEnd, QPoint(100, 40));
         }},
        {"circle of radius 0 stays", elementOf(Kind::HollowCircle, {30, 30}, {40, 30}), "圆",
         [](PropertyForm &f) { setBox(f, "radius", "0"); }, PropertyEdit::Written,
         [](const CGraph &, const CGraph &a) { EXPECT_EQ(a.m_ptEnd, a.m_ptStart); }},
        {"line with equal points is removed", elementOf(Kind::Line, {1, 2}, {3, 4}), "直线",
         [](PropertyForm &f) { setBox(f, "endX", "1"); setBox(f, "endY", "2"); }, PropertyEdit::Removed, nullptr},
        {"numeric size code 12 opens as 24*12", numeric12, "数值控件",
         [](PropertyForm &f) { EXPECT_EQ(child<QComboBox>(f, "sizeIndex")->currentText(), QStringLiteral("24*12")); },
         PropertyEdit::Written, [](const CGraph &, const CGraph &a) { EXPECT_EQ(a.m_nAttr, 12 * 256 + 1); }},
        {"bar code 5 opens vertical, bar, downwards", bar5, "棒图控件",
         [](PropertyForm &f) {
             EXPECT_TRUE(child<QRadioButton>(f, "vertical")->isChecked());
             EXPECT_TRUE(child<QRadioButton>(f, "bar")->isChecked());
             EXPECT_TRUE(child<QRadioButton>(f, "reversed")->isChecked());
             child<QRadioButton>(f, "horizontal")->setChecked(true);
         },
         PropertyEdit::Written, [](const CGraph &, const CGraph &a) {
             EXPECT_EQ(a.m_nAttr, 7);
             EXPECT_EQ(a.m_nStyle, 7);
         }},
        {"checked send coordinates clears bit 2", button, "按钮控件",
         [](PropertyForm &f) {
             auto *send = child<QCheckBox>(f, "sendCoordinates");
             EXPECT_FALSE(send->isChecked());
             send->setChecked(true);
         },
         PropertyEdit::Written, [](const CGraph &, const CGraph &a) { EXPECT_EQ(a.m_nAttr, 1); }},
        {"text control font and spacings", text, "文本控件",
         [](PropertyForm &f) {
             EXPECT_EQ(child<QComboBox>(f, "face")->currentText(), QStringLiteral("楷体"));
             setBox(f, "columnSpacing", "2");
             setBox(f, "lineSpacing", "3");
         },
         PropertyEdit::Written, [](const CGraph &, const CGraph &a) {
             EXPECT_EQ(a.m_nAttr, 2 * 256 + 3);
             EXPECT_EQ(a.m_nNumber, 2 * 256 + 3);
         }},
        {"image control range", elementOf(Kind::ImageCtrl, {0, 0}, {50, 50}), "图象控件",
         [](PropertyForm &f) { setBox(f, "firstPicture", "4"); setBox(f, "lastPicture", "8"); },
         PropertyEdit::Written, [](const CGraph &, const CGraph &a) {
             EXPECT_EQ(a.m_nValue3, 4);
             EXPECT_EQ(a.m_nValue4, 8);
         }},
        {"string control count", elementOf(Kind::StringCtrl, {0, 0}, {8, 8}), "字符串控件",
         [](PropertyForm &f) {
             setBox(f, "count", "5");
             child<QComboBox>(f, "dotIndex")->setCurrentIndex(2);
         },
         PropertyEdit::Written, [](const CGraph &, const CGraph &a) {
             EXPECT_EQ(a.m_nAttr, 5 * 256 + 2);
             EXPECT_EQ(a.m_ptEnd, QPoint(60, 24));
         }},
        {"panel transparent and sunken", elementOf(Kind::Panel, {0, 0}, {50, 50}), "面板",
         [](PropertyForm &f) {
             setBox(f, "borderWidth", "4");
             child<QCheckBox>(f, "transparent")->setChecked(true);
             child<QRadioButton>(f, "sunken")->setChecked(true);
         },
         PropertyEdit::Written, [](const CGraph &, const CGraph &a) {
             EXPECT_EQ(a.m_nStyle, 20);
             EXPECT_EQ(a.m_nAttr, 1);
         }},
        {"bitmap number typed into its list", elementOf(Kind::Bitmap, {0, 0}, {10, 10}), "位图",
         [](PropertyForm &f) { child<QComboBox>(f, "pictureNumber")->setEditText(QStringLiteral("25")); },
         PropertyEdit::Written, [](const CGraph &, const CGraph &a) {
             EXPECT_EQ(a.m_nNumber, 25);
             EXPECT_EQ(a.m_nAttr, 1);
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        CGraph g = c.element;
        answerWith(c.fill);
        EXPECT_EQ(editElementProperties(nullptr, prompts, g, ctx), c.expected);
        EXPECT_EQ(lastTitle, c.title);
        if (c.check)
            c.check(c.element, g);
    }
}

TEST_F(FormEntry, CancelAndKindsWithoutFormLeaveTheElement)
{
    cancelAll();
    CGraph rect = elementOf(Kind::SolidRect, {1, 1}, {5, 5});
    const CGraph before = rect;
    EXPECT_EQ(editElementProperties(nullptr, prompts, rect, ctx), PropertyEdit::Cancelled);
    EXPECT_EQ(rect, before);
    EXPECT_EQ(formsShown, 1);

    for (int kind : {int(Kind::Fill), int(Kind::ReservedCtrl), int(Kind::DeleteMarker)}) {
        CGraph g = elementOf(kind, {1, 1}, {5, 5});
        EXPECT_EQ(editElementProperties(nullptr, prompts, g, ctx), PropertyEdit::NoForm) << kind;
    }
    EXPECT_EQ(formsShown, 1) << "kinds without a form open none";
}

// Chinese typed into an 8-dot text: the form says why and stays open with
// the typing kept and the text box focused; giving up leaves the element.
TEST_F(FormEntry, EightDotChineseTextClosesTheFormAndLosesTheTyping)
{
    CGraph g = elementOf(Kind::Text, {10, 10}, {40, 26});
    g.m_nAttr = 3 * 256; // 8 dots
    g.m_strText2 = "abc";
    {
        FontValues v;
        v.fromElement(g);
        CharactersForm form(v, prompts);
        form.show();
        child<QPlainTextEdit>(form, "text")->setPlainText(QStringLiteral("温度"));
        form.accept();
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(messages, QStringList{QStringLiteral("8点阵无中文字符。")});
        EXPECT_EQ(child<QPlainTextEdit>(form, "text")->toPlainText(), QStringLiteral("温度"));
        EXPECT_EQ(form.focusWidget(), form.findChild<QWidget *>(QStringLiteral("text")));
        // A larger size takes the same text.
        messages.clear();
        child<QRadioButton>(form, "size1")->click();
        form.accept();
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(form.result(), QDialog::Accepted);
        EXPECT_TRUE(messages.isEmpty());
    }
    messages.clear();
    answerWith([](PropertyForm &f) { child<QPlainTextEdit>(f, "text")->setPlainText(QStringLiteral("温度")); });
    EXPECT_EQ(editElementProperties(nullptr, prompts, g, ctx), PropertyEdit::Cancelled);
    EXPECT_EQ(g.m_strText2, "abc");
    EXPECT_EQ(messages, QStringList{QStringLiteral("8点阵无中文字符。")});

    prompts.refusals.clear();
    g.m_strText2 = "abc";
    answerWith([](PropertyForm &f) { child<QPlainTextEdit>(f, "text")->setPlainText(QString()); });
    EXPECT_EQ(editElementProperties(nullptr, prompts, g, ctx), PropertyEdit::Removed);
    EXPECT_TRUE(prompts.refusals.isEmpty()) << "an emptied text goes without a message";
}

// ---- the live rules of the forms ---------------------------------------------

TEST_F(FormDialog, HexadecimalClickDisablesAndEnablesTheSignRadios)
{
    NumericValues v;
    v.hex = true;
    NumericControlForm form(v, prompts);
    const char *signs[] = {"signNone", "signMinus", "signBoth"};
    for (const char *s : signs)
        EXPECT_TRUE(child<QRadioButton>(form, s)->isEnabled()) << "the form opens with them enabled";
    auto *hex = child<QCheckBox>(form, "hexadecimal");
    hex->click(); // off
    for (const char *s : signs)
        EXPECT_TRUE(child<QRadioButton>(form, s)->isEnabled());
    hex->click(); // on
    for (const char *s : signs)
        EXPECT_FALSE(child<QRadioButton>(form, s)->isEnabled());
}

TEST_F(FormDialog, CharactersDotSizeRadiosMoveAndDisableFaces)
{
    FontValues v;
    v.sizeIndex = 2;
    v.face = 3; // 楷体
    CharactersForm form(v, prompts);
    child<QRadioButton>(form, "size4")->click(); // 48点阵
    EXPECT_TRUE(child<QRadioButton>(form, "face0")->isChecked()) << "楷体 moves to 宋体";
    EXPECT_FALSE(child<QRadioButton>(form, "face1")->isEnabled());
    EXPECT_TRUE(child<QRadioButton>(form, "face2")->isEnabled());
    EXPECT_FALSE(child<QRadioButton>(form, "face3")->isEnabled());

    child<QRadioButton>(form, "size0")->click();
    for (const char *f : {"face1", "face2", "face3"})
        EXPECT_FALSE(child<QRadioButton>(form, f)->isEnabled()) << f;
    child<QRadioButton>(form, "size1")->click();
    for (const char *f : {"face0", "face1", "face2", "face3"})
        EXPECT_TRUE(child<QRadioButton>(form, f)->isEnabled()) << f;

    child<QRadioButton>(form, "face2")->click();
    child<QRadioButton>(form, "size5")->click();
    ASSERT_TRUE(form.tryAccept());
    EXPECT_EQ(form.values().attr(), 2 * 65536 + 27 * 256);
}

TEST_F(FormDialog, ButtonCaptionControlsFollowShowTextAndFaceRules)
{
    ButtonControlForm form{ButtonValues(), prompts};
    auto *show = child<QCheckBox>(form, "showText");
    auto *size = child<QComboBox>(form, "dotIndex");
    auto *face = child<QComboBox>(form, "face");
    EXPECT_FALSE(size->isEnabled());
    EXPECT_FALSE(child<QPlainTextEdit>(form, "text")->isEnabled());
    EXPECT_FALSE(form.colourField(QStringLiteral("colour4"))->isEnabled());
    EXPECT_FALSE(child<QLineEdit>(form, "nextPage")->isEnabled());
    show->setChecked(true);
    child<QCheckBox>(form, "switchPage")->setChecked(true);
    EXPECT_TRUE(size->isEnabled());
    EXPECT_TRUE(face->isEnabled());
    EXPECT_TRUE(child<QRadioButton>(form, "textCentre")->isChecked());
    EXPECT_TRUE(child<QLineEdit>(form, "nextPage")->isEnabled());

    EXPECT_EQ(face->count(), 4);
    size->setCurrentIndex(0);
    EXPECT_EQ(face->count(), 1);
    EXPECT_EQ(face->itemText(0), QStringLiteral("ASCII"));
    size->setCurrentIndex(4);
    EXPECT_EQ(face->count(), 2);
    face->setCurrentIndex(1);
    emit face->activated(1); // 黑体 at 48 dots stays at 48 dots
    EXPECT_EQ(size->currentIndex(), 4);
    EXPECT_EQ(face->count(), 2);
    EXPECT_EQ(face->currentIndex(), 1);
    EXPECT_EQ(face->currentText(), QStringLiteral("黑体"));

    setBox(form, "width", "40");
    setBox(form, "height", "20");
    child<QPlainTextEdit>(form, "text")->setPlainText(QStringLiteral("开\n关"));
    ASSERT_TRUE(form.tryAccept());
    CGraph g = elementOf(Kind::ButtonCtrl, {0, 0}, {1, 1});
    form.values().toElement(g);
    EXPECT_EQ(g.m_nExtra, 4 * 16 + 1 * 4 + 1);
    EXPECT_EQ(g.m_nStyle, 64 + 3);
    EXPECT_EQ(g.m_nAttr, 2 + 1 + 4);
    EXPECT_EQ(g.m_strText1, toGbk(QStringLiteral("开\r\n关")));
}

TEST_F(FormDialog, UpDownArrowsStepWithinTheRange)
{
    PanelForm form{PanelValues(), prompts};
    auto *box = child<QLineEdit>(form, "borderWidth");
    box->setText(QStringLiteral("16"));
    child<QAbstractButton>(form, "borderWidthUp")->click();
    EXPECT_EQ(box->text(), QStringLiteral("16"));
    child<QAbstractButton>(form, "borderWidthDown")->click();
    EXPECT_EQ(box->text(), QStringLiteral("15"));
}

// ---- creation -----------------------------------------------------------------

TEST_F(FormEntry, NewControlsStartFromDefaultsIdAndGesture)
{
    ctx.nextControlId = 14;
    ctx.info.source = 6;
    ctx.info.pictureNumber = 21;
    ctx.info.pen = RGB(1, 2, 3);
    ctx.info.fill = RGB(4, 5, 6);
    struct Case
    {
        int kind;
        QPoint end;
        std::function<void(PropertyForm &)> fill;
        std::function<void(const CGraph &)> check;
    };
    const auto none = [](PropertyForm &) {};
    const Case cases[] = {
        {Kind::StringCtrl, {0, 0}, none, [](const CGraph &g) {
             EXPECT_EQ(g.m_ptEnd, QPoint(108, 48));
             EXPECT_EQ(g.m_nAttr, 256);
             EXPECT_EQ(g.m_nNumber, 0);
         }},
        {Kind::NumericCtrl, {0, 0}, none, [](const CGraph &g) {
             EXPECT_EQ(g.m_nNumber, 21);
             EXPECT_EQ(g.m_nAttr, 9 * 256 + 1);
             EXPECT_EQ(g.m_strText2, "0");
         }},
        {Kind::BarCtrl, {130, 70}, none, [](const CGraph &g) {
             EXPECT_EQ(g.m_ptEnd, QPoint(130, 70));
             EXPECT_EQ(g.m_nNumber, 21);
         }},
        {Kind::ImageCtrl, {150, 90}, none, [](const CGraph &g) {
             EXPECT_EQ(g.m_crColor1, RGB(1, 2, 3));
             EXPECT_EQ(g.m_crColor2, RGB(4, 5, 6));
             EXPECT_EQ(g.m_nValue4, 599);
         }},
        {Kind::ButtonCtrl, {140, 60}, none, [](const CGraph &g) {
             EXPECT_EQ(g.m_nStyle, 3);
             EXPECT_EQ(g.m_nAttr, 5);
             EXPECT_EQ(g.m_crColor3, 0xD8E9ECu);
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.kind);
        CGraph g = elementOf(c.kind, {100, 40}, c.end);
        answerWith([&](PropertyForm &f) {
            EXPECT_EQ(child<QLineEdit>(f, "ctrlId")->text(), QStringLiteral("14"));
            c.fill(f);
        });
        ASSERT_TRUE(createElementWithForm(nullptr, prompts, g, ctx));
        EXPECT_EQ(g.m_nKind, c.kind);
        EXPECT_EQ(g.m_nCtrlID, 14);
        EXPECT_EQ(g.m_nSource, 6);
        EXPECT_EQ(g.m_ptStart, QPoint(100, 40));
        c.check(g);
    }
}

TEST_F(FormEntry, ZeroSizeButtonAddsNothingSilentlyAndZeroSizeBarFailsItsCheck)
{
    CGraph button = elementOf(Kind::ButtonCtrl, {10, 10}, {10, 30});
    const CGraph before = button;
    answerWith([](PropertyForm &f) { EXPECT_EQ(child<QLineEdit>(f, "width")->text(), QStringLiteral("0")); });
    EXPECT_FALSE(createElementWithForm(nullptr, prompts, button, ctx));
    EXPECT_EQ(button, before);
    EXPECT_TRUE(prompts.refusals.isEmpty());
    EXPECT_TRUE(messages.isEmpty());

    // The bar graph's width box takes 1..800, so a flat drag cannot pass OK.
    CGraph bar = elementOf(Kind::BarCtrl, {10, 10}, {10, 30});
    answerWith([](PropertyForm &) {});
    EXPECT_FALSE(createElementWithForm(nullptr, prompts, bar, ctx));
    EXPECT_EQ(messages, QStringList{QStringLiteral("“请填入一个在1和800之间的整数。”")});
    EXPECT_TRUE(prompts.refusals.isEmpty());
}

TEST_F(FormDialog, ShortPointerFileLoadsAsZeroNeedle)
{
    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("good.MGL"));
    const QString cut = dir.filePath(QStringLiteral("cut.MGL"));
    const QByteArray head = h5test::pointerFileBytes("needle", "0014 0005 0000 00B4 FF 00");
    ASSERT_TRUE(h5test::writeRaw(good, head));
    ASSERT_TRUE(h5test::writeRaw(cut, head.left(54)));
    PointerControlForm form{PointerCtrlValues(), QString(), prompts};
    ASSERT_TRUE(form.loadPointer(good));
    EXPECT_FALSE(form.loadPointer(cut));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.first().contains(QStringLiteral("cut.MGL"))) << messages.first().toStdString();
    EXPECT_TRUE(messages.first().contains(QStringLiteral("54字节"))) << messages.first().toStdString();
    // The needle of the good file stays.
    EXPECT_EQ(child<QLineEdit>(form, "pointerName")->text(), QStringLiteral("needle"));
    EXPECT_EQ(form.values().pointerName, "needle");
    EXPECT_EQ(form.values().length, 20);
}

TEST_F(FormEntry, PointerNeedsPointerFileAndDialPicture)
{
    CGraph g = elementOf(Kind::PointerCtrl, {200, 150}, {200, 150});
    answerWith([](PropertyForm &f) {
        EXPECT_EQ(child<QLineEdit>(f, "centreX")->text(), QStringLiteral("200"));
        setBox(f, "lineWidth", "4");
    });
    EXPECT_FALSE(createElementWithForm(nullptr, prompts, g, ctx));
    EXPECT_EQ(messages, QStringList{QStringLiteral("请加载指针!请选择位图!")});

    QTemporaryDir dir;
    const QString mgl = dir.filePath(QStringLiteral("n.MGL"));
    ASSERT_TRUE(h5test::writeRaw(mgl, h5test::pointerFileBytes("needle", "0014 0005 0000 00B4 FF 00")));
    const QString dial = dir.filePath(QStringLiteral("dial.bmp"));
    prompts.refusals.clear();
    answerWith([&](PropertyForm &f) {
        auto &form = static_cast<PointerControlForm &>(f);
        ASSERT_TRUE(form.loadPointer(mgl));
        EXPECT_EQ(child<QLineEdit>(f, "pointerName")->text(), QStringLiteral("needle"));
        form.chooseDial(dial);
        EXPECT_EQ(child<QLineEdit>(f, "dialPath")->text(), dial);
    });
    ASSERT_TRUE(createElementWithForm(nullptr, prompts, g, ctx));
    EXPECT_TRUE(prompts.refusals.isEmpty());
    EXPECT_EQ(g.m_nKind, Kind::PointerCtrl);
    EXPECT_EQ(g.m_ptStart, QPoint(200 - 30, 150 - 30));
    EXPECT_EQ(g.m_ptEnd, QPoint(200 + 30, 150 + 30));
    EXPECT_EQ(uint32_t(g.m_nAttr), 0xFF010014u);
    EXPECT_EQ(g.m_nNumber, 5);
    EXPECT_EQ(g.m_nValue4, 180);
    EXPECT_EQ(g.m_strText2, "needle");
    EXPECT_EQ(g.m_strText3, "dial.bmp");
    EXPECT_EQ(fromGbk(g.m_strText1), dial);
}

TEST_F(FormEntry, NewTextUsesAndUpdatesTheToolsLastValues)
{
    textState.attr = 2 * 65536 + 12 * 256 + 1;
    textState.columnSpacing = 3;

    CGraph g = elementOf(Kind::Text, {30, 40}, {30, 56});
    answerWith([](PropertyForm &) {}); // OK with an empty text
    EXPECT_FALSE(createElementWithForm(nullptr, prompts, g, ctx));
    EXPECT_EQ(textState.columnSpacing, 3) << "an empty text keeps the last values";

    answerWith([](PropertyForm &f) {
        EXPECT_TRUE(child<QRadioButton>(f, "size2")->isChecked());
        EXPECT_TRUE(child<QRadioButton>(f, "face2")->isChecked());
        child<QPlainTextEdit>(f, "text")->setPlainText(QStringLiteral("温度"));
        setBox(f, "columnSpacing", "9");
    });
    ASSERT_TRUE(createElementWithForm(nullptr, prompts, g, ctx));
    EXPECT_EQ(g.m_nKind, Kind::Text);
    EXPECT_EQ(g.m_strText2, toGbk(QStringLiteral("温度")));
    EXPECT_EQ(g.m_strText1, "9");
    EXPECT_EQ(g.m_ptEnd, QPoint(30, 40));
    EXPECT_EQ(textState.columnSpacing, 9);

    // 8 dots: the form refuses with the message; given up, nothing is added
    // and the tool keeps its last values.
    CGraph h = elementOf(Kind::Text, {0, 0}, {0, 16});
    answerWith([](PropertyForm &f) {
        child<QRadioButton>(f, "size0")->click();
        child<QPlainTextEdit>(f, "text")->setPlainText(QStringLiteral("中"));
    });
    EXPECT_FALSE(createElementWithForm(nullptr, prompts, h, ctx));
    EXPECT_EQ(messages, QStringList{QStringLiteral("8点阵无中文字符。")});
    EXPECT_TRUE(prompts.refusals.isEmpty());
    EXPECT_EQ((textState.attr >> 8) & 0xFF, 12);
}

TEST_F(FormEntry, NewBitmapKeepsTheMeasuredBlockCount)
{
    CGraph g(Kind::Bitmap, 0, {10, 10}, {810, 490}, 6, 3, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, "logo.bmp", "logo",
             "/p/图片文件/logo.bmp");
    answerWith([](PropertyForm &f) {
        EXPECT_EQ(child<QLineEdit>(f, "title")->text(), QStringLiteral("logo"));
        EXPECT_EQ(child<QLineEdit>(f, "blocks")->text(), QStringLiteral("6"));
        EXPECT_EQ(child<QComboBox>(f, "pictureNumber")->currentText(), QStringLiteral("3"));
        setBox(f, "x", "20");
        setBox(f, "width", "10");
    });
    ASSERT_TRUE(createElementWithForm(nullptr, prompts, g, ctx));
    EXPECT_EQ(g.m_ptStart, QPoint(20, 10));
    EXPECT_EQ(g.m_ptEnd, QPoint(30, 490));
    EXPECT_EQ(g.m_nAttr, 6);
    EXPECT_EQ(g.m_nNumber, 3);
    EXPECT_EQ(g.m_strText1, "logo.bmp");
}

TEST_F(FormEntry, PaletteFormReturnsBothColours)
{
    PaletteValues v;
    answerWith([](PropertyForm &f) {
        EXPECT_EQ(f.windowTitle(), QStringLiteral("颜色"));
        EXPECT_EQ(child<QLineEdit>(f, "colour1Value")->text(), QStringLiteral("0xffff"));
        f.colourField(QStringLiteral("colour1"))->setColour(RGB(0, 0, 255));
        f.colourField(QStringLiteral("colour2"))->setColour(RGB(0, 255, 0));
    });
    ASSERT_TRUE(editPalette(nullptr, prompts, v));
    EXPECT_EQ(v.pen, RGB(0, 0, 255));
    EXPECT_EQ(v.background, RGB(0, 255, 0));
    cancelAll();
    PaletteValues untouched;
    EXPECT_FALSE(editPalette(nullptr, prompts, untouched));
    EXPECT_EQ(untouched.pen, RGB(255, 255, 255));
}

// ---- forms asked for by the view's tool state machine -------------------------

TEST_F(FormEntry, ToolRequestFormsReturnWhatTheFormBuiltRefusalsIncluded)
{
    FormRequest request;
    request.position = QPoint(50, 60);
    request.size = QSize(0, 20); // a flat drag
    request.controlId = 31;
    request.info.source = 2;
    request.info.pictureNumber = 8;
    request.text.attr = 3 * 256; // 8 dots

    struct Case
    {
        int tool;
        std::function<void(PropertyForm &)> fill;
        std::function<void(const CGraph &)> check;
    };
    const Case cases[] = {
        // the button's refusal is the tool's to make: the flat box comes back
        {Kind::ButtonCtrl, [](PropertyForm &f) {
             EXPECT_EQ(child<QLineEdit>(f, "borderWidth")->text(), QStringLiteral("3"));
             EXPECT_TRUE(child<QCheckBox>(f, "sendId")->isChecked());
             EXPECT_FALSE(child<QCheckBox>(f, "sendCoordinates")->isChecked());
         },
         [](const CGraph &g) {
             EXPECT_EQ(g.m_ptEnd, QPoint(50, 80));
             EXPECT_EQ(g.m_nAttr, 5);
         }},
        {Kind::NumericCtrl, [](PropertyForm &) {}, [](const CGraph &g) { EXPECT_EQ(g.m_nNumber, 8); }},
        {Kind::Text, [](PropertyForm &f) {
             EXPECT_TRUE(child<QRadioButton>(f, "size0")->isChecked());
             child<QPlainTextEdit>(f, "text")->setPlainText(QStringLiteral("abc"));
         },
         [](const CGraph &g) {
             EXPECT_EQ(g.m_strText2, "abc");
             EXPECT_EQ((g.m_nAttr >> 8) & 0xFF, 3);
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.tool);
        request.tool = c.tool;
        answerWith(c.fill);
        const std::optional<CGraph> g = runCreationForm(nullptr, prompts, request);
        ASSERT_TRUE(g);
        EXPECT_EQ(g->m_nKind, c.tool);
        EXPECT_EQ(g->m_nSource, 2);
        if (c.tool != Kind::Text) {
            EXPECT_EQ(g->m_nCtrlID, 31);
        }
        c.check(*g);
    }
    EXPECT_TRUE(prompts.refusals.isEmpty()) << "no refusal message from the forms";

    // The pointer form without its files and the 8-dot form with Chinese
    // refuse OK themselves: the user mends or cancels, nothing comes back.
    const Case refused[] = {
        {Kind::PointerCtrl, [](PropertyForm &) {}, {}},
        {Kind::Text, [](PropertyForm &f) { child<QPlainTextEdit>(f, "text")->setPlainText(QStringLiteral("中")); }, {}},
    };
    for (const Case &c : refused) {
        SCOPED_TRACE(c.tool);
        messages.clear();
        request.tool = c.tool;
        answerWith(c.fill);
        EXPECT_FALSE(runCreationForm(nullptr, prompts, request));
        EXPECT_EQ(messages.size(), 1);
    }

    cancelAll();
    request.tool = Kind::StringCtrl;
    EXPECT_FALSE(runCreationForm(nullptr, prompts, request));
}

TEST_F(FormEntry, BitmapFormTakesBackNumberPositionAndSize)
{
    PlacedPicture picture;
    picture.title = "sky";
    picture.number = 4;
    picture.blocks = 2;
    picture.position = QPoint(5, 6);
    picture.size = QSize(320, 240);
    answerWith([](PropertyForm &f) {
        EXPECT_EQ(f.windowTitle(), QStringLiteral("位图"));
        EXPECT_EQ(child<QLineEdit>(f, "title")->text(), QStringLiteral("sky"));
        EXPECT_EQ(child<QLineEdit>(f, "blocks")->text(), QStringLiteral("2"));
        EXPECT_EQ(child<QLineEdit>(f, "width")->text(), QStringLiteral("320"));
        child<QComboBox>(f, "pictureNumber")->setCurrentIndex(9);
        setBox(f, "y", "16");
    });
    ASSERT_TRUE(runBitmapForm(nullptr, prompts, picture));
    EXPECT_EQ(picture.number, 9);
    EXPECT_EQ(picture.position, QPoint(5, 16));
    EXPECT_EQ(picture.size, QSize(320, 240));
    EXPECT_EQ(picture.blocks, 2);
}

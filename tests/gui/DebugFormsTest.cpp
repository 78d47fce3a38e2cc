// The debug window's two small forms: the font chooser offers only the
// fonts the terminal has, the touch mode form keeps a wrong interval typed.

#include "debug/LiveFontForm.h"
#include "debug/TouchModeForm.h"
#include "link/LiveCommands.h"
#include "port/PortTestSupport.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

using namespace h5;

TEST(DebugForms, FontChooserOffersOnlyTheTerminalsFonts)
{
    h5test::ensureApp();
    struct Case
    {
        int size;
        std::vector<bool> faces; // enabled: 宋体, 仿宋, 黑体, 楷体
    } cases[] = {{0, {true, false, false, false}}, {1, {true, true, true, true}}, {3, {true, true, true, true}},
                 {4, {true, false, true, false}}, {5, {true, false, true, false}}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.size);
        LiveFontForm form(1, 3, nullptr); // 16 dots 楷体 to start with
        form.sizeButton(c.size)->click();
        for (int f = 0; f < 4; ++f)
            EXPECT_EQ(form.faceButton(f)->isEnabled(), c.faces[size_t(f)]) << f;
        // A face the size lacks moved to 宋体; whatever is chosen has a code.
        EXPECT_GE(liveFontCode(form.sizeIndex(), form.faceIndex()), 0);
        EXPECT_EQ(form.faceIndex(), c.faces[3] ? 3 : 0);
    }
}

TEST(DebugForms, TouchModeFormRefusesAWrongIntervalWithTheFormsMessageAndKeepsIt)
{
    h5test::ensureApp();
    const QString range = QStringLiteral("“请填入一个在1和65535之间的整数。”");
    const QString notNumber = QStringLiteral("“请填入一个正整数。”");
    struct Case
    {
        bool continuous, breakCode;
        const char *interval;
        bool accepted;
        int mode;
        QString message;
    } cases[] = {{false, false, "1", true, 0, {}},       {false, true, "0", true, 1, {}},
                 {true, false, "5", true, 2, {}},        {true, true, "65535", true, 3, {}},
                 {true, true, "0", false, 3, range},     {true, false, "65536", false, 2, range},
                 {true, false, "x", false, 2, notNumber}, {true, false, "-1", false, 2, notNumber}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.interval);
        TouchModeForm form;
        auto *interval = form.findChild<QLineEdit *>(QStringLiteral("intervalBox"));
        ASSERT_NE(interval, nullptr);
        EXPECT_FALSE(interval->isEnabled()); // single trigger at first
        form.findChild<QRadioButton *>(c.continuous ? QStringLiteral("continuousTrigger") : QStringLiteral("singleTrigger"))
            ->click();
        form.findChild<QRadioButton *>(c.breakCode ? QStringLiteral("withBreakCode") : QStringLiteral("withoutBreakCode"))
            ->click();
        EXPECT_EQ(interval->isEnabled(), c.continuous);
        interval->setText(QString::fromLatin1(c.interval));
        form.accept();
        EXPECT_EQ(form.result() == QDialog::Accepted, c.accepted);
        EXPECT_EQ(form.mode(), c.mode);
        if (!c.accepted) {
            EXPECT_EQ(interval->text(), QString::fromLatin1(c.interval)); // the typing stays
            auto *error = form.findChild<QLabel *>(QStringLiteral("errorText"));
            EXPECT_FALSE(error->isHidden());
            EXPECT_EQ(error->text(), c.message);
        }
    }
}

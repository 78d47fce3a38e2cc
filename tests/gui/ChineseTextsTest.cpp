// One language: with Qt's own Chinese texts loaded as the app loads them,
// the standard dialogs and the buttons of message boxes read Chinese, and
// no window title gets the product name added by the platform.

#include "gui/ShellTestSupport.h"

#include "shell/Commands.h"
#include "shell/Startup.h"
#include "shell/Translations.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTranslator>

namespace {

// Qt's Chinese texts for the time of one test; the app keeps them for good.
class ChineseTextsTest : public h5test::ShellFixture
{
protected:
    void SetUp() override
    {
        m_name = QCoreApplication::applicationName();
        m_locale = QLocale();
        translator = h5::configureStudio(*qApp);
        h5test::ShellFixture::SetUp();
    }
    void TearDown() override
    {
        h5test::ShellFixture::TearDown();
        if (translator) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
        QLocale::setDefault(m_locale);
        QCoreApplication::setApplicationName(m_name);
    }

    QTranslator *translator = nullptr;

private:
    QString m_name;
    QLocale m_locale;
};

// Texts of the push buttons in a window's button boxes.
QStringList buttonTexts(QWidget &w)
{
    QStringList texts;
    for (QDialogButtonBox *box : w.findChildren<QDialogButtonBox *>())
        for (QAbstractButton *b : box->buttons())
            texts << b->text();
    return texts;
}

bool hasChinese(const QString &text)
{
    for (QChar c : text)
        if (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF)
            return true;
    return false;
}

TEST_F(ChineseTextsTest, QtTranslationIsMissingFromTheApp)
{
    EXPECT_TRUE(QFileInfo::exists(h5::qtChineseTranslationFile())) << h5::qtChineseTranslationFile().toStdString();
    ASSERT_NE(translator, nullptr);
    EXPECT_EQ(QLocale().language(), QLocale::Chinese);
}

// What a user sees: the main window with the open-page file dialog over
// it. Its buttons, labels and title are Qt's Chinese texts.
TEST_F(ChineseTextsTest, FileDialogOverTheMainWindowSpeaksEnglish)
{
    ASSERT_NE(translator, nullptr);
    ASSERT_TRUE(newProject());
    ASSERT_TRUE(newPage());
    QFileDialog dialog(frame.get(), QString(), dir.path(), QStringLiteral("页面文件 (*.wlp)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.show();
    QApplication::processEvents();

    // The picture a user sees: the dialog over the middle of the main window.
    QImage shot = frame->grab().toImage();
    const QImage box = dialog.grab().toImage();
    ASSERT_FALSE(shot.isNull());
    ASSERT_FALSE(box.isNull());
    {
        QPainter painter(&shot);
        painter.drawImage(QPoint(qMax(0, (shot.width() - box.width()) / 2),
                                 qMax(0, (shot.height() - box.height()) / 2)),
                          box);
    }
    const QString out = qEnvironmentVariable("H5_SCREENSHOT_DIR");
    if (!out.isEmpty()) {
        EXPECT_TRUE(shot.save(out + QStringLiteral("/main-window-file-dialog.png")));
    }

    const QStringList buttons = buttonTexts(dialog);
    ASSERT_EQ(buttons.size(), 2) << buttons.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(buttons.contains(QStringLiteral("打开(&O)")) || buttons.contains(QStringLiteral("打开")))
        << buttons.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(buttons.contains(QStringLiteral("取消"))) << buttons.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(hasChinese(dialog.windowTitle())) << dialog.windowTitle().toStdString();
    QStringList labels;
    for (QLabel *l : dialog.findChildren<QLabel *>())
        if (!l->text().isEmpty())
            labels << l->text();
    ASSERT_FALSE(labels.isEmpty());
    for (const QString &l : labels)
        EXPECT_TRUE(hasChinese(l)) << l.toStdString();
    dialog.close();
}

TEST_F(ChineseTextsTest, StandardButtonsAndColourDialogStayEnglish)
{
    ASSERT_NE(translator, nullptr);
    QMessageBox question(QMessageBox::Question, QString(), QStringLiteral("?"),
                         QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(question.button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
    EXPECT_EQ(question.button(QMessageBox::Cancel)->text(), QStringLiteral("取消"));

    QColorDialog colours;
    colours.setOption(QColorDialog::DontUseNativeDialog);
    const QStringList buttons = buttonTexts(colours);
    EXPECT_TRUE(buttons.contains(QStringLiteral("确定"))) << buttons.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(buttons.contains(QStringLiteral("取消"))) << buttons.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(hasChinese(colours.windowTitle())) << colours.windowTitle().toStdString();
}

// The platform adds the application's display name to every window title
// when one is set; a form's title must be its own caption only.
TEST_F(ChineseTextsTest, FormTitlesGetTheProductNameAdded)
{
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
    EXPECT_NE(QGuiApplication::applicationDisplayName(), h5::productTitle());
}

} // namespace

// The forms of the project commands, filled in as a user would, without
// ever being shown modally.

#include "editor/CMyView.h"
#include "editor/PageSettingsForm.h"
#include "editor/ScreenshotForm.h"
#include "shell/NewProjectForm.h"
#include "shell/WidgetPrompts.h"
#include "support/ScriptedPrompts.h"

#include <QApplication>
#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QPointer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

QStringList items(const QComboBox *combo)
{
    QStringList out;
    for (int i = 0; i < combo->count(); ++i)
        out << combo->itemText(i);
    return out;
}

template <typename T> T *child(QWidget &form, const char *name)
{
    T *w = form.findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

// Runs `step` on the modal window as soon as one is up (the real dialogs
// are modal; this answers them the way a user would). Gives up after two
// seconds so a dialog that never comes cannot leave a poller behind.
void whenModal(std::function<void(QWidget *)> step)
{
    auto *poll = new QTimer;
    auto *clock = new QElapsedTimer;
    clock->start();
    QObject::connect(poll, &QTimer::timeout, poll, [poll, clock, step] {
        QWidget *w = QApplication::activeModalWidget();
        if (!w && clock->elapsed() < 2000)
            return;
        poll->stop();
        poll->deleteLater();
        delete clock;
        if (w)
            step(w);
    });
    poll->start(5);
}

} // namespace

TEST(ShellFormsTest, BitmapSaveDialogAsksAboutAnotherFileThanItWrites)
{
    // A name typed without ".bmp" is the existing pic.bmp: the replace
    // question must be about that file, and the answer decides.
    QTemporaryDir dir;
    {
        QFile f(dir.filePath(QStringLiteral("pic.bmp")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    for (bool replace : {false, true}) {
        SCOPED_TRACE(replace);
        QString asked;
        whenModal([&](QWidget *w) {
            auto *dlg = qobject_cast<QFileDialog *>(w);
            ASSERT_NE(dlg, nullptr);
            const QPointer<QFileDialog> guard(dlg);
            whenModal([&, guard](QWidget *box) {
                auto *question = qobject_cast<QMessageBox *>(box);
                if (!question) {
                    if (guard && box == guard)
                        guard->reject();
                    return;
                }
                asked = question->text();
                QAbstractButton *answer = question->button(replace ? QMessageBox::Yes : QMessageBox::No);
                ASSERT_NE(answer, nullptr);
                answer->click();
                if (!replace && guard)
                    guard->reject();
            });
            // Typed into the name box as a user would: selectFile() leaves the
            // box alone once it has the focus, which made this test depend on
            // when the window got activated.
            auto *name = dlg->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(name, nullptr);
            name->setText(QStringLiteral("pic"));
            QMetaObject::invokeMethod(dlg, "accept"); // what the save button does
        });
        h5::WidgetPrompts prompts;
        const QString chosen = prompts.chooseFile(h5::CMyView::bitmapFileRequest(dir.path()));
        EXPECT_TRUE(asked.contains(QStringLiteral("pic.bmp"))) << asked.toStdString();
        EXPECT_EQ(chosen, replace ? dir.filePath(QStringLiteral("pic.bmp")) : QString());
    }
}

TEST(ShellFormsTest, ScreenshotFormAnswerIsLost)
{
    whenModal([](QWidget *w) {
        auto *box = w->findChild<QLineEdit *>(QStringLiteral("right"));
        ASSERT_NE(box, nullptr);
        box->setText(QStringLiteral("120"));
        w->findChild<QLineEdit *>(QStringLiteral("bottom"))->setText(QStringLiteral("-3"));
        w->findChild<QPushButton *>(QStringLiteral("ok"))->click();
    });
    h5::WidgetPrompts prompts;
    h5::ScreenshotForm form(h5::ScreenshotValues(), prompts);
    ASSERT_TRUE(prompts.runForm(form));
    const h5::ScreenshotValues area = form.values();
    EXPECT_EQ(area.left, 0);
    EXPECT_EQ(area.right, 120);
    EXPECT_EQ(area.bottom, -3);
}

TEST(ShellFormsTest, NewProjectFormOffersTheThirteenSizesStartingAt800x600)
{
    h5test::ScriptedPrompts prompts;
    h5::NewProjectForm form(prompts);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("新建工程"));
    auto *size = child<QComboBox>(form, "projectSize");
    ASSERT_NE(size, nullptr);
    EXPECT_EQ(items(size), (QStringList{"320*234", "320*240", "640*480", "800*480", "800*600",
                                        "1024*768", "480*272", "272*480", "480*640", "240*320",
                                        "480*800", "600*800", "768*1024"}));
    EXPECT_EQ(form.values().resolution, 4);
    EXPECT_TRUE(child<QLineEdit>(form, "projectLocation")->isReadOnly());
    EXPECT_EQ(child<QPushButton>(form, "browse")->text(), QStringLiteral("浏览"));

    child<QLineEdit>(form, "projectName")->setText(QStringLiteral("屏"));
    size->setCurrentIndex(9);
    EXPECT_EQ(form.values().name, QStringLiteral("屏"));
    EXPECT_EQ(form.values().resolution, 9);
}

TEST(ShellFormsTest, BrowseFillsTheLocationWithATrailingSeparatorAndCancelKeepsIt)
{
    h5test::ScriptedPrompts prompts;
    h5::NewProjectForm form(prompts);
    QString answer = QStringLiteral("/tmp/projects");
    prompts.files = [&answer](const h5::FileRequest &) { return answer.isEmpty() ? QStringList() : QStringList{answer}; };
    form.browse();
    EXPECT_EQ(form.values().location, QDir::toNativeSeparators(QStringLiteral("/tmp/projects/")));
    answer.clear(); // the folder browser cancelled
    form.browse();
    EXPECT_EQ(form.values().location, QDir::toNativeSeparators(QStringLiteral("/tmp/projects/")));
}

// OK without a name or location, or over a project that is there already:
// the form says why and stays open with the typing kept and the field to
// mend focused, instead of closing and losing what was typed.
TEST(ShellFormsTest, RefusedNewProjectFormClosesAndLosesTheTyping)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("旧"))));
    QFile existing(dir.filePath(QStringLiteral("旧/旧.wgc")));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    const QString location = dir.path() + QLatin1Char('/');
    const struct
    {
        const char *name;
        bool withLocation;
        const char *message; // part of the message
        const char *focus;
    } cases[] = {
        {"", true, "工程名称不得为空!", "projectName"},
        {"新", false, "工程位置不得为空!", "browse"},
        {"旧", true, "已有工程", "projectName"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message);
        h5test::ScriptedPrompts prompts;
        h5::NewProjectForm form(prompts);
        const QStringList &messages = prompts.messages;
        prompts.files = [&](const h5::FileRequest &) {
            return c.withLocation ? QStringList{dir.path()} : QStringList();
        };
        form.show();
        child<QLineEdit>(form, "projectName")->setText(QString::fromUtf8(c.name));
        form.browse();
        child<QComboBox>(form, "projectSize")->setCurrentIndex(7);
        form.accept();
        EXPECT_TRUE(form.isVisible());
        EXPECT_NE(form.result(), QDialog::Accepted);
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages.first().contains(QString::fromUtf8(c.message))) << messages.first().toStdString();
        EXPECT_EQ(form.values().name, QString::fromUtf8(c.name));
        EXPECT_EQ(form.values().resolution, 7);
        EXPECT_EQ(form.focusWidget(), form.findChild<QWidget *>(QString::fromLatin1(c.focus)));
    }
    h5test::ScriptedPrompts prompts;
    h5::NewProjectForm form(prompts);
    prompts.files = [&](const h5::FileRequest &) { return QStringList{dir.path()}; };
    form.show();
    child<QLineEdit>(form, "projectName")->setText(QStringLiteral("新"));
    form.browse();
    form.accept();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.values().location, QDir::toNativeSeparators(location));
}

TEST(ShellFormsTest, PageSettingsFormOffersTheLayersOfTheScreenSize)
{
    const struct
    {
        int resolution;
        QStringList layers;
        bool enabled;
    } cases[] = {
        {6, {"0", "1", "2", "3"}, true},  {7, {"0", "1", "2", "3"}, true},
        {1, {"0", "1"}, true},            {2, {"0", "1"}, true},
        {3, {"0", "1"}, true},            {8, {"0", "1"}, true},
        {9, {"0", "1"}, true},            {10, {"0", "1"}, true},
        {0, {"0"}, false},                {4, {"0"}, false},
        {5, {"0"}, false},                {11, {"0"}, false},
        {12, {"0"}, false},
    };
    for (const auto &c : cases) {
        h5::PageSettingsForm form(c.resolution, h5::NewPageValues{}, 1);
        auto *layer = child<QComboBox>(form, "layer");
        ASSERT_NE(layer, nullptr);
        EXPECT_EQ(items(layer), c.layers) << "resolution " << c.resolution;
        EXPECT_EQ(layer->isEnabled(), c.enabled) << "resolution " << c.resolution;
    }
}

TEST(ShellFormsTest, PageSettingsFormShowsTheValuesItWasGiven)
{
    h5::NewPageValues initial;
    initial.pageNo = 17;
    initial.layer = 2;
    initial.auxiliary = true;
    initial.nextPage = 1024;
    initial.delay = 255;
    h5::PageSettingsForm form(6, initial, 3);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("画面设置"));
    EXPECT_EQ(child<QComboBox>(form, "pageNumber")->currentText(), QStringLiteral("17"));
    EXPECT_EQ(child<QComboBox>(form, "pageNumber")->count(), 1024);
    EXPECT_EQ(child<QComboBox>(form, "layer")->currentText(), QStringLiteral("2"));
    EXPECT_TRUE(child<QRadioButton>(form, "auxiliaryPage")->isChecked());
    EXPECT_EQ(child<QLineEdit>(form, "pageLength")->text(), QStringLiteral("3"));
    EXPECT_TRUE(child<QLineEdit>(form, "pageLength")->isReadOnly());
    auto *next = child<QComboBox>(form, "nextPage");
    EXPECT_EQ(next->count(), 1025);
    EXPECT_EQ(next->currentText(), QStringLiteral("无"));
    EXPECT_EQ(child<QComboBox>(form, "delay")->count(), 256);

    const h5::NewPageValues v = form.values();
    EXPECT_EQ(v.pageNo, 17);
    EXPECT_EQ(v.layer, 2);
    EXPECT_TRUE(v.auxiliary);
    EXPECT_EQ(v.nextPage, 1024);
    EXPECT_EQ(v.delay, 255);
}

TEST(ShellFormsTest, TypingIntoAPageSettingsBoxSelectsOnlyAnItemOfEqualText)
{
    h5::PageSettingsForm form(3, h5::NewPageValues{}, 1);
    auto *pageNo = child<QComboBox>(form, "pageNumber");
    auto *next = child<QComboBox>(form, "nextPage");
    auto *delay = child<QComboBox>(form, "delay");

    pageNo->lineEdit()->setText(QStringLiteral("1"));
    pageNo->lineEdit()->setText(QStringLiteral("12"));
    pageNo->lineEdit()->setText(QStringLiteral("123"));
    next->lineEdit()->setText(QStringLiteral("7"));
    next->lineEdit()->setText(QStringLiteral("7x")); // no such item: stays at 7
    delay->lineEdit()->setText(QStringLiteral("300")); // beyond the list: stays at 0

    const h5::NewPageValues v = form.values();
    EXPECT_EQ(v.pageNo, 123);
    EXPECT_EQ(v.nextPage, 7);
    EXPECT_EQ(v.delay, 0);

    next->lineEdit()->setText(QStringLiteral("无"));
    EXPECT_EQ(form.values().nextPage, 1024);
}

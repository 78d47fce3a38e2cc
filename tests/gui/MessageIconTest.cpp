// Message boxes: a finished operation or a note shows the information icon,
// a fault the warning icon, in the app's boxes (which also carry the
// download and project windows' messages).

#include "common/MessageKind.h"
#include "shell/WidgetPrompts.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

struct Case
{
    const char *text;
    h5::MessageKind kind;
};

const Case kCases[] = {
    {"编译完成!", h5::MessageKind::Information},
    {"无画面，编译完成!", h5::MessageKind::Information},
    {"擦除FLASH完成!", h5::MessageKind::Information},
    {"保存路径为/tmp/p/3.txt", h5::MessageKind::Information},
    {"已生成指针文件 /tmp/a.MGL", h5::MessageKind::Information},
    {"存储空间已满，从头覆盖。", h5::MessageKind::Information},
    {"H5800智能终端开发软件 V3.5 (20120427)", h5::MessageKind::Information},
    {"编译失败!", h5::MessageKind::Warning},
    {"工程文件丢失!", h5::MessageKind::Warning},
    {"串口连接错误，可能是波特率设置错误或者下位机连接不正确。", h5::MessageKind::Warning},
    {"图片注册表出错，全部清除。", h5::MessageKind::Warning},
    {"指针控件无配套图片！", h5::MessageKind::Warning},
};

} // namespace

TEST(MessageIconTest, FinishedWorkAndNotesAreInformationFaultsAreWarnings)
{
    for (const Case &c : kCases)
        EXPECT_EQ(h5::messageKind(QString::fromUtf8(c.text)), c.kind) << c.text;
}

TEST(MessageIconTest, AppMessageBoxShowsTheIconOfItsText)
{
    for (const Case &c : kCases) {
        h5::WidgetPrompts notifier;
        QMessageBox::Icon shown = QMessageBox::NoIcon;
        QString shownText;
        // Answers the box once it is up, as a user pressing OK.
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
        notifier.message(QString::fromUtf8(c.text));
        EXPECT_EQ(shownText, QString::fromUtf8(c.text));
        EXPECT_EQ(shown, c.kind == h5::MessageKind::Information ? QMessageBox::Information
                                                                : QMessageBox::Warning)
            << c.text;
    }
}

#pragma once
// A page of the debug window's group "扩展" (十六进制自写指令, 用户字库,
// 实时显示图片, 拷贝): "发送" below the pages acts for the page shown.

#include <QWidget>

namespace h5 {

class ExtensionPage : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;

    // What "发送" does on this page.
    virtual void send() = 0;

signals:
    // A word for the send status box beside "发送".
    void told(const QString &text);
};

} // namespace h5

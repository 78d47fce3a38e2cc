#pragma once
// The controls beside the debug window's serial group: "图片切换" and
// "画面切换" with their numbers, "实时动态调试" (the window's full form) and
// "触摸模式设置", which runs the touch mode form.

#include <QWidget>

class QLineEdit;

namespace h5 {

class DebugSession;
class Prompts;

class DeviceCommandsPanel : public QWidget
{
    Q_OBJECT
public:
    DeviceCommandsPanel(DebugSession &session, Prompts &prompts, QWidget *parent = nullptr);

    void switchPicture();
    void switchPage();
    void setTouchMode();

signals:
    // "实时动态调试".
    void fullFormClicked();

private:
    DebugSession &m_session;
    Prompts &m_prompts;
    QLineEdit *m_pictureSwitch = nullptr;
    QLineEdit *m_pageSwitch = nullptr;
};

} // namespace h5

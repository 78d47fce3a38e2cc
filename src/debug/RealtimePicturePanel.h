#pragma once
// The page "实时显示图片" of the debug window: "选择图片" with its preview
// and path, the position X and Y, and "发送", which draws the picture on the
// terminal's screen at once (converted to the terminal's pixels, sent in
// chunks after its header is acknowledged).

#include "debug/ExtensionPage.h"

class QLineEdit;

namespace h5 {

class DebugSession;
class PicturePreview;
class PortControls;
class Prompts;
class StatusText;

class RealtimePicturePanel : public ExtensionPage
{
    Q_OBJECT
public:
    RealtimePicturePanel(DebugSession &session, Prompts &prompts, const PortControls &ports,
                         QWidget *parent = nullptr);

    void choosePicture();
    void send() override;

private:
    DebugSession &m_session;
    Prompts &m_prompts;
    const PortControls &m_ports;
    QString m_path;
    int m_width = 0;
    int m_height = 0;
    PicturePreview *m_preview = nullptr;
    StatusText *m_pathBox = nullptr;
    QLineEdit *m_x = nullptr;
    QLineEdit *m_y = nullptr;
};

} // namespace h5

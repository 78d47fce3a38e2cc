#pragma once
// DebugWindow, opened by "在线调试" (工具 menu and quick-launch tool bar).
//
// The online debug window "在线调试": one terminal driven live over its own
// serial port. Its picture list is downloaded into the terminal's flash
// ("下载图片"), the fonts of the user font page with "发送", and every byte
// sequence sent and every report received goes into the communication
// record. Several windows may be open at once, each with its own port,
// session and list; nothing is shared between them (a download is staged in
// the window's own memory, not in common work files).
//
// The window opens in its compact form (the upper half); "实时动态调试"
// switches to the full form, whose lower half holds the simulated screen.
// It is an ordinary top-level window (the main frame creates it without a
// parent, so it is not kept above the frame); its content scrolls when the
// screen is too small for it. Escape does not close it, and closing it
// while it holds an open port, an unsaved picture or font list or a
// communication record asks first.
//
// The window holds the port, the link and the session, and lays out its
// panels, each given the session and the window's prompts:
//   upper half  PicturePanel ("图片设置"), the port controls with
//               DeviceCommandsPanel beside them, the group "扩展" with its
//               pages HexPanel, FontPanel, RealtimePicturePanel and
//               LayerCopyPanel above "发送", and RecordPanel ("通讯记录");
//   lower half  LiveDrawingPanel (the full form only).

#include "common/Prompts.h"
#include "link/DebugSession.h"
#include "port/PortLine.h"
#include "serial/WindowLinkHost.h"

#include <QWidget>
#include <memory>

class QCloseEvent;
class QFrame;
class QProgressBar;
class QScrollArea;
class QTabWidget;

namespace h5 {

class DeviceCommandsPanel;
class ExtensionPage;
class FontPanel;
class HexPanel;
class LayerCopyPanel;
class LiveDrawingPanel;
class PictureList;
class PicturePanel;
class PortControls;
class RealtimePicturePanel;
class RecordPanel;
class StatusText;
class UserFontList;

class DebugWindow : public QWidget
{
    Q_OBJECT
public:
    // Its boxes, choosers and forms are its own (under its title, over
    // it), asked through `prompts.forWindow()`.
    explicit DebugWindow(Prompts &prompts, QWidget *parent = nullptr);
    ~DebugWindow() override;

    // Where "记录保存" appends the record (see RecordPanel).
    void setRecordFolder(const QString &folder);

    // What closing the window now would lose, as the question asked before
    // it closes; empty when nothing would be lost.
    QString closeQuestion() const;

    const DebugSession &session() const { return *m_session; }
    PortControls *portControls() const { return m_ports; }
    const PictureList &pictureList() const;
    const UserFontList &fontList() const;
    bool isFullForm() const { return m_full; }

    // The panels.
    PicturePanel &pictures() const { return *m_pictures; }
    FontPanel &fonts() const { return *m_fonts; }
    RecordPanel &record() const { return *m_record; }
    LiveDrawingPanel &liveDrawing() const { return *m_live; }

    // "发送": what the extension page shown does.
    void send();
    // "实时动态调试": the full form and back.
    void toggleFullForm();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QWidget *makeExtensionGroup();
    // The window's size for the form now shown: what its content asks for,
    // but no larger than the screen's free area.
    QSize fittingSize() const;

    std::unique_ptr<Prompts> m_prompts;
    PortLine m_comm;
    std::unique_ptr<WindowLinkHost> m_host;
    std::unique_ptr<DebugSession> m_session;
    bool m_full = false;
    QSize m_compactSize;

    // Everything inside the window scrolls when the screen is too small.
    QScrollArea *m_scroll = nullptr;
    QWidget *m_content = nullptr;
    QWidget *m_upper = nullptr;
    PortControls *m_ports = nullptr;
    PicturePanel *m_pictures = nullptr;
    DeviceCommandsPanel *m_commands = nullptr;
    QTabWidget *m_tabs = nullptr;
    HexPanel *m_hex = nullptr;
    FontPanel *m_fonts = nullptr;
    RealtimePicturePanel *m_realtime = nullptr;
    LayerCopyPanel *m_copy = nullptr;
    StatusText *m_sendStatus = nullptr;
    QProgressBar *m_sendProgress = nullptr;
    RecordPanel *m_record = nullptr;
    QFrame *m_rule = nullptr;
    LiveDrawingPanel *m_live = nullptr;
};

} // namespace h5

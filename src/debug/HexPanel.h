#pragma once
// The page "十六进制自写指令" of the debug window: hex typed into the box, or
// with "装载文件" a text file of hex, sent by "发送" (a file's long content
// in chunks); "清空" empties the box.

#include "debug/ExtensionPage.h"

class QCheckBox;
class QPlainTextEdit;

namespace h5 {

class DebugSession;
class PortControls;
class Prompts;

class HexPanel : public ExtensionPage
{
    Q_OBJECT
public:
    HexPanel(DebugSession &session, Prompts &prompts, const PortControls &ports, QWidget *parent = nullptr);

    // "装载文件": ticked after a file is chosen, unticked (and the box
    // emptied) when ticked again.
    void toggleLoadFile();
    void clear();
    void send() override;

signals:
    // The record shows `text` as it is (not in upper case) while it is
    // being recorded; empty when that is over.
    void recordingAsIs(const QString &text);

private:
    void setFileMode(bool on);

    DebugSession &m_session;
    Prompts &m_prompts;
    const PortControls &m_ports;
    QPlainTextEdit *m_text = nullptr;
    QCheckBox *m_loadFile = nullptr;
    QString m_file;
    bool m_fileMode = false;
};

} // namespace h5

#pragma once
// The page "用户字库" of the debug window: the queue of font text files
// ("添加字库", "删除选中", "清空列表"; a row's number is typed after a double
// click), "下一存储编号", "保存列表" (the queue as one .wzk file), and "发送",
// which downloads the queue into the terminal.

#include "debug/ExtensionPage.h"
#include "link/UserFontList.h"

class QLineEdit;
class QTableWidget;
class QTableWidgetItem;

namespace h5 {

class DebugSession;
class PortControls;
class Prompts;

class FontPanel : public ExtensionPage
{
    Q_OBJECT
public:
    FontPanel(DebugSession &session, Prompts &prompts, const PortControls &ports, QWidget *parent = nullptr);

    const UserFontList &fontList() const { return m_fonts; }
    // The queue was changed since it was last saved, and is not empty.
    bool hasUnsavedList() const;

    void addFonts();
    void deleteSelected();
    void clear();
    void save();
    void send() override;

private:
    void showRows();
    void numberEdited(QTableWidgetItem *item);

    DebugSession &m_session;
    Prompts &m_prompts;
    const PortControls &m_ports;
    UserFontList m_fonts;
    bool m_changed = false;
    bool m_filling = false; // rows are being rewritten, not edited
    QTableWidget *m_view = nullptr;
    QLineEdit *m_nextNumber = nullptr;
};

} // namespace h5

#pragma once
// The window of the terminal built into the program: its screen as the
// terminal shows it (a click on it is a touch, reported to the PC; the
// backlight dims it), whether a window is talking to it, where its flash is
// kept, and "清空闪存". It opens when a window first opens a line to the
// built-in terminal and stays until the user closes it; the terminal goes
// on without it.

#include <QPointer>
#include <QWidget>
#include <memory>

class QLabel;
class QPushButton;

namespace h5 {

class BuiltinTerminal;
class Prompts;

class BuiltinTerminalWindow : public QWidget
{
    Q_OBJECT
public:
    // Its question and messages are its own boxes, through
    // `prompts.forWindow()`: they do not depend on `prompts` staying.
    BuiltinTerminalWindow(BuiltinTerminal &terminal, Prompts &prompts, QWidget *parent = nullptr);
    ~BuiltinTerminalWindow() override;

    // The process's window of `terminal`, made at first call (asking
    // through `prompts`), shown and raised. The terminal's line opening
    // shows it again after a close.
    static BuiltinTerminalWindow *showFor(BuiltinTerminal &terminal, Prompts &prompts);
    // The window made by showFor(), or null.
    static BuiltinTerminalWindow *current();

    // The screen as the window paints it now.
    QImage picture() const;
    // The screen part of the window, for clicks.
    QWidget *screenWidget() const { return m_screen; }

private:
    void showState();
    void eraseFlash();

    BuiltinTerminal &m_terminal;
    QPointer<BuiltinTerminal> m_alive; // null once the terminal has gone
    QWidget *m_screen = nullptr;
    QLabel *m_state = nullptr;
    QLabel *m_flash = nullptr;
    QPushButton *m_erase = nullptr;
    std::unique_ptr<Prompts> m_prompts;
};

} // namespace h5

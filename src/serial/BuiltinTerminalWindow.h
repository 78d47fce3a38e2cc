#pragma once
// The window of the terminal built into the program: its screen as the
// terminal shows it (a click on it is a touch, reported to the PC; the
// backlight dims it), whether a window is talking to it, where its flash is
// kept, and "清空闪存". It opens when a window first opens a line to the
// built-in terminal and stays until the user closes it; the terminal goes
// on without it.

#include <QPointer>
#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;

namespace h5 {

class BuiltinTerminal;

class BuiltinTerminalWindow : public QWidget
{
    Q_OBJECT
public:
    explicit BuiltinTerminalWindow(BuiltinTerminal &terminal, QWidget *parent = nullptr);

    // The process's window of `terminal`, made at first call, shown and
    // raised. The terminal's line opening shows it again after a close.
    static BuiltinTerminalWindow *showFor(BuiltinTerminal &terminal);
    // The window made by showFor(), or null.
    static BuiltinTerminalWindow *current();

    // The question before the flash is emptied; a message box unless set.
    void setAskHook(std::function<bool(const QString &)> ask) { m_ask = std::move(ask); }

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
    std::function<bool(const QString &)> m_ask;
};

} // namespace h5

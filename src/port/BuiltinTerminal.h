#pragma once
// The terminal built into the program: the same VirtualTerminal that
// h5800-sim puts on a pseudo-terminal, here in the process, so a user needs
// neither hardware nor a second program. Every port box offers it as
// "内置虚拟终端" (the command-line tool as --port builtin).
//
// One terminal per process: the download window, the project window and the
// debug window all talk to the same one, so a project downloaded by one is
// what the next one sees. Like a real port it takes one line at a time; a
// second window that opens it is told it is in use.
//
// Its flash is kept in a file in the user's data folder, loaded when the
// terminal is first used and saved whenever a line lets go of it, so a
// download is still there after a restart. A flash file that cannot be read
// is left as it is: the terminal starts empty and does not save over it
// until the user empties the flash.
//
// Like the real terminal it runs its first page at power-on and again after
// a download once the line is closed, and it goes through its page cycle as
// time passes on its clock.

#include <QImage>
#include <QObject>
#include <QString>
#include <memory>

namespace h5 {

class BuiltinLine;
class LineClock;
class LineTimer;
class VirtualTerminal;

class BuiltinTerminal : public QObject
{
    Q_OBJECT
public:
    // "内置虚拟终端": its name in the port boxes.
    static QString deviceName();
    // True for the port box's name and for "builtin" (the command line).
    static bool isBuiltinDevice(const QString &device);
    // Where the process's terminal keeps its flash:
    // <user's data folder>/h5800-studio/builtin-terminal.flash.
    static QString defaultFlashPath();

    // The process's terminal, made at first use (the real clock, the flash
    // at defaultFlashPath(), 800x480) and kept until the application ends.
    static BuiltinTerminal &shared();
    // Makes `terminal` the process's terminal from now on (a test's, with a
    // virtual clock and a flash in a temporary folder); null forgets it.
    static void setShared(std::unique_ptr<BuiltinTerminal> terminal);
    // True when the process has made its terminal already.
    static bool hasShared();

    // `flashPath` empty: the flash lives in memory only.
    BuiltinTerminal(LineClock &clock, const QString &flashPath, int width = 800, int height = 480);
    ~BuiltinTerminal() override;

    VirtualTerminal &terminal() { return *m_terminal; }
    const VirtualTerminal &terminal() const { return *m_terminal; }
    LineClock &clock() const { return m_clock; }
    QString flashPath() const { return m_flashPath; }
    // Why the flash file could not be read or last saved; empty when all is well.
    QString flashProblem() const { return m_problem; }

    // What the screen shows and its backlight level (0..63).
    QImage screenImage() const;
    int backlight() const;

    // The line now talking to the terminal, if any.
    BuiltinLine *line() const { return m_line; }
    // Takes `line` as the terminal's line; false (with the reason) when
    // another one has it.
    bool connectLine(BuiltinLine *line, QString *error);
    // The line let go: a half-received frame is dropped, the flash saved,
    // and after a download the first page runs.
    void disconnectLine(BuiltinLine *line);
    // Bytes from the PC; returns the terminal's answer.
    QByteArray fromPc(const QByteArray &bytes);

    // A touch on the screen at terminal point (x, y): the touch report goes
    // to the PC when a line is open. False when none is.
    bool touch(int x, int y);
    // Empties the flash (and the file) and blanks the screen.
    bool eraseFlash(QString *error);
    // Writes the flash file now.
    bool saveFlash(QString *error);

signals:
    // A line opened or closed (the window showing the screen follows it).
    void lineOpened();
    void lineClosed();
    // The screen or its backlight changed.
    void screenChanged();

private:
    void afterChange();
    void schedulePages();

    LineClock &m_clock;
    QString m_flashPath;
    QString m_problem;
    bool m_saveBlocked = false;
    std::unique_ptr<VirtualTerminal> m_terminal;
    std::unique_ptr<LineTimer> m_pageTimer;
    BuiltinLine *m_line = nullptr;
    uint64_t m_savedRevision = 0;
    uint64_t m_pagesFrom = 0;
    uint64_t m_shownRevision = 0;
    int m_shownBacklight = -1;
};

} // namespace h5

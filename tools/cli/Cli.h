#pragma once
// Shared pieces of the h5800 command-line tool: the subcommand table, exit
// codes and the notifier that prints the system's messages on stderr.

#include "common/Notifier.h"

#include <QEventLoop>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <functional>
#include <vector>

namespace h5 {
class PortLine;
class SerialLine;
struct DebugFont;
}

namespace h5cli {

enum ExitCode {
    ExitOk = 0,
    ExitBadInput = 1, // a file could not be read or is not what it should be
    ExitUsage = 2,    // wrong arguments
    ExitProblems = 3, // the work was done but reported problems (build report)
};

// Standard output and standard error. What goes to out() is checked at the
// end of the run (finishOutput).
QTextStream &out();
QTextStream &err();
// Points out() and err() at other devices (a program that runs commands in
// its own process and keeps what they print); null puts back standard
// output and standard error. Progress lines are then never rewritten in
// place, as for a file.
void setOutputDevices(QIODevice *outDevice, QIODevice *errDevice);
// Makes sure descriptors 0, 1 and 2 are open before anything else opens a
// file (a closed one gets /dev/null; output to a closed stdout still fails).
void guardStandardDescriptors();
// Flushes and closes standard output. False, with the system's reason on
// stderr, when some of what was written did not arrive (a full disk, a
// closed pipe): the run must not end with exit status 0 then.
bool finishOutput();

// Runs one command line (the arguments after the program's name) and
// returns its exit status; the application object must exist already, a
// QGuiApplication for commands that draw text. What main does besides
// (standard descriptors, the application, the check of standard output)
// stays in main.
int runArguments(QStringList args);
struct Command;
// The command `args` start with, longest name first ("page dump" before
// "page"); `consumed` is the number of its words. Null when none.
const Command *findCommand(const QStringList &args, int &consumed);
// Drops the picture decoders' own complaints, which the commands replace
// with messages of their own; every other message goes on to the handler
// installed before.
void installMessageFilter();
void removeMessageFilter();

// Raised by argument parsing helpers; main turns it into exit status 2.
struct UsageError
{
    QString text;
};

struct Command
{
    QString name;    // "page dump", "build", ...
    QString summary; // one line for --help
    QString usage;   // full help text for "h5800 help NAME"
    std::function<int(const QStringList &args)> run; // args after the name
    // Commands that draw text need the GUI application (fonts); the rest
    // start faster without it.
    bool needsGui = false;
};

// Each Cmd*.cpp registers its commands with a static Registrar.
std::vector<Command> &commands();
struct Registrar
{
    explicit Registrar(Command c) { commands().push_back(std::move(c)); }
};

// Messages go to stderr; questions are answered by `answer` (default: yes,
// as a user who asked for the operation would).
class CliNotifier : public h5::Notifier
{
public:
    explicit CliNotifier(bool answer = true) : m_answer(answer) {}
    void message(const QString &text) override;
    bool question(const QString &text) override;
    void status(const QString &) override {}
    int messageCount() const { return m_messages; }

private:
    bool m_answer;
    int m_messages = 0;
};

// Small argument helpers. `takeOption` removes "--name VALUE" (or
// "--name=VALUE"; "-n VALUE" for a one-letter name) from args and returns
// VALUE, or a null QString.
// With `longForm`, a one-letter name is written with two dashes too (--x).
QString takeOption(QStringList &args, const QString &name, bool longForm = false);
bool takeFlag(QStringList &args, const QString &name);
// The output file: "-o OUT", "-oOUT", "--output OUT" or "--output=OUT";
// removed from args, a null QString when absent.
QString takeOutput(QStringList &args);
// The fonts of `paths` numbered from a --first value (0 when the option
// was not given), taken as the debug window's font page adds them
// ("添加字库", link/UserFontList): --first is its "下一存储编号" box, so the
// numbers end at 19 ("字库超出！"), a font may hold one flash block at most
// ("字库超出！请将字库分为128K一个下载。"), and a path of 2048 characters or
// more, a missing, unreadable or empty file is named. False, with the
// window's texts on stderr, when any font is refused; nothing is read but
// the files' sizes. Throws UsageError when --first is not digits.
bool fontList(const QString &firstText, const QStringList &paths, std::vector<h5::DebugFont> &fonts);
// Throws UsageError unless args has exactly n entries and no leftover options.
void expectPositional(const QStringList &args, int n, const QString &commandName);

// Judges a project file by its size and first bytes before it is read;
// false, told on stderr naming the file, when no project file looks so.
bool projectFileFits(const QString &path);
// Encodes `image` as PNG and replaces `path` with it atomically; on failure
// prints the reason as badInput does and returns false.
bool writePng(const QString &path, const QImage &image);

// Status texts of a transfer on stderr: progress texts ("…：42%") rewrite
// one line on a terminal; everything else, and every text when stderr is a
// file, gets a line of its own. A text repeated at once is shown once.
class StatusLines
{
public:
    StatusLines();
    void show(const QString &text);
    // Ends a progress line still open, before other output.
    void endLine();

private:
    QString m_last;
    bool m_tty;
    bool m_openLine = false;
};

// The serial options of every command that uses a port: --port DEVICE
// (required) and --baud RATE (1,228,800 unless given).
inline constexpr int kDefaultBaud = 1228800;
struct PortOptions
{
    QString device;
    int baud = kDefaultBaud;
};
// `virtualClockAllowed` false: the built-in terminal keeps the real clock
// whatever the environment says (a command that waits for things outside
// the line, such as a file saved, would wait on the virtual clock forever).
PortOptions takePortOptions(QStringList &args, bool virtualClockAllowed = true);
// With H5_BUILTIN_CLOCK=virtual in the environment, the built-in terminal
// (--port builtin) runs on a virtual clock: while a command waits, whatever
// is due now runs and the clock then moves straight on to the next timer,
// so a handshake's one-second probe or monitor --seconds takes no real
// time. The terminal is the line's only peer, so nothing else can happen in
// between. The tests use it; without it every wait is real.
//
// The loop a command waits in for its line: Qt's event loop on the real
// clock; on the virtual clock it moves that clock on as said above.
class LineLoop
{
public:
    explicit LineLoop(h5::SerialLine &line) : m_line(line) {}
    // Runs until quit().
    void exec();
    void quit();

private:
    h5::SerialLine &m_line;
    QEventLoop m_loop;
    bool m_quit = false;
};
// Runs the line's loop until `done()` holds or `ms` have passed on the
// line's clock; says whether `done()` holds.
bool runUntil(h5::SerialLine &line, const std::function<bool()> &done, qint64 ms);

// Opens the port at the chosen rate, 8 data bits, no parity, one stop bit;
// prints "h5800: DEVICE: why" and returns false when it cannot.
bool openPort(h5::PortLine &comm, const PortOptions &o);

// Prints "h5800: FILE: WHAT" on stderr and returns ExitBadInput.
int badInput(const QString &file, const QString &what);

} // namespace h5cli

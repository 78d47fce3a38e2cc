#include "port/BuiltinTerminal.h"

#include "port/BuiltinLine.h"
#include "port/LineClock.h"
#include "terminal/SimControl.h"
#include "terminal/VirtualTerminal.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QStandardPaths>

namespace h5 {

namespace {

std::unique_ptr<BuiltinTerminal> &sharedTerminal()
{
    static std::unique_ptr<BuiltinTerminal> terminal;
    return terminal;
}

// The terminal goes (and saves its flash) while the application still
// exists, before the statics are torn down.
void forgetShared()
{
    sharedTerminal().reset();
}

} // namespace

QString BuiltinTerminal::deviceName()
{
    return QStringLiteral("内置虚拟终端");
}

bool BuiltinTerminal::isBuiltinDevice(const QString &device)
{
    const QString d = device.trimmed();
    return d == deviceName() || d == QLatin1String("builtin");
}

QString BuiltinTerminal::defaultFlashPath()
{
    // The app and the command-line tool share one file, so what one
    // downloads the other finds.
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(base).filePath(QStringLiteral("h5800-studio/builtin-terminal.flash"));
}

BuiltinTerminal &BuiltinTerminal::shared()
{
    std::unique_ptr<BuiltinTerminal> &t = sharedTerminal();
    if (!t) {
        t = std::make_unique<BuiltinTerminal>(LineClock::real(), defaultFlashPath());
        static bool routineAdded = false;
        if (!routineAdded && QCoreApplication::instance()) {
            qAddPostRoutine(forgetShared);
            routineAdded = true;
        }
    }
    return *t;
}

void BuiltinTerminal::setShared(std::unique_ptr<BuiltinTerminal> terminal)
{
    sharedTerminal() = std::move(terminal);
}

bool BuiltinTerminal::hasShared()
{
    return sharedTerminal() != nullptr;
}

BuiltinTerminal::BuiltinTerminal(LineClock &clock, const QString &flashPath, int width, int height)
    : m_clock(clock), m_flashPath(flashPath),
      m_terminal(std::make_unique<VirtualTerminal>(width, height))
{
    m_pageTimer = m_clock.makeTimer([this] {
        m_terminal->tick(m_clock.now());
        afterChange();
    });
    if (!m_flashPath.isEmpty()) {
        QString why;
        if (!m_terminal->loadStateFile(m_flashPath, &why)) {
            // Kept as it is: the user may want it back. Nothing is saved
            // over it until the flash is emptied on purpose.
            m_problem = QStringLiteral("内置虚拟终端的闪存文件无法读取，终端以空闪存启动：%1").arg(why);
            m_saveBlocked = true;
            m_terminal->eraseFlash();
        }
    }
    m_savedRevision = m_pagesFrom = m_terminal->flashRevision();
    // Power on: the first page of the project in the flash.
    m_terminal->startPages(m_clock.now());
    m_shownRevision = m_terminal->screen().revision();
    m_shownBacklight = m_terminal->screen().backlight();
    schedulePages();
}

BuiltinTerminal::~BuiltinTerminal()
{
    if (m_line)
        m_line->close();
    QString ignored;
    saveFlash(&ignored);
}

QImage BuiltinTerminal::screenImage() const
{
    return m_terminal->screen().screenshot();
}

int BuiltinTerminal::backlight() const
{
    return m_terminal->screen().backlight();
}

bool BuiltinTerminal::connectLine(BuiltinLine *line, QString *error)
{
    if (m_line && m_line != line) {
        if (error)
            *error = QStringLiteral("%1正被另一个窗口使用，请先在那里关闭串口").arg(deviceName());
        return false;
    }
    m_line = line;
    emit lineOpened();
    return true;
}

void BuiltinTerminal::disconnectLine(BuiltinLine *line)
{
    if (m_line != line)
        return;
    m_line = nullptr;
    // The PC let go of the line: whatever was half received is void.
    m_terminal->resetLine();
    QString ignored;
    saveFlash(&ignored);
    // A terminal whose flash took a download starts over on its first page.
    if (m_terminal->flashRevision() != m_pagesFrom) {
        m_pagesFrom = m_terminal->flashRevision();
        m_terminal->startPages(m_clock.now());
    }
    afterChange();
    emit lineClosed();
}

QByteArray BuiltinTerminal::fromPc(const QByteArray &bytes)
{
    // The terminal learns the time first, so a page the bytes switch to
    // keeps its whole delay.
    m_terminal->tick(m_clock.now());
    const QByteArray answer = m_terminal->feed(bytes);
    afterChange();
    return answer;
}

bool BuiltinTerminal::touch(int x, int y)
{
    if (!m_line)
        return false;
    m_line->fromTerminal(touchReport(x, y));
    return true;
}

bool BuiltinTerminal::eraseFlash(QString *error)
{
    const QSize size = m_terminal->screen().screenshot().size();
    auto fresh = std::make_unique<VirtualTerminal>(size.width(), size.height());
    fresh->setFaults(m_terminal->faults());
    m_terminal = std::move(fresh);
    m_saveBlocked = false;
    m_problem.clear();
    m_pagesFrom = m_terminal->flashRevision();
    m_savedRevision = m_pagesFrom - 1; // saved below whatever the revision
    m_shownRevision = ~uint64_t(0);
    const bool saved = saveFlash(error);
    afterChange();
    return saved;
}

bool BuiltinTerminal::saveFlash(QString *error)
{
    if (m_flashPath.isEmpty() || m_saveBlocked
        || m_terminal->flashRevision() == m_savedRevision)
        return true;
    QDir().mkpath(QFileInfo(m_flashPath).absolutePath());
    QString why;
    if (!m_terminal->saveStateFile(m_flashPath, &why)) {
        m_problem = QStringLiteral("内置虚拟终端的闪存无法保存：%1").arg(why);
        if (error)
            *error = m_problem;
        return false;
    }
    m_problem.clear();
    m_savedRevision = m_terminal->flashRevision();
    return true;
}

void BuiltinTerminal::afterChange()
{
    schedulePages();
    const TerminalScreen &screen = m_terminal->screen();
    if (screen.revision() != m_shownRevision || screen.backlight() != m_shownBacklight) {
        m_shownRevision = screen.revision();
        m_shownBacklight = screen.backlight();
        emit screenChanged();
    }
}

void BuiltinTerminal::schedulePages()
{
    const int64_t due = m_terminal->pageDueMs();
    if (due < 0) {
        m_pageTimer->stop();
        return;
    }
    const int64_t wait = std::max<int64_t>(0, due - m_clock.now());
    m_pageTimer->start(int(std::min<int64_t>(wait, 24 * 3600 * 1000)));
}

} // namespace h5

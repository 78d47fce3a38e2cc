#pragma once
// The terminal built into the program, for tests: made with a virtual clock
// (and its flash in a temporary folder, or in memory) and installed as the
// process's terminal for as long as the rig lives, so windows and sessions
// that open "内置虚拟终端" run through whole transfers without real waits.

#include "port/BuiltinTerminal.h"
#include "port/LineClock.h"
#include "port/PortTestSupport.h"
#include "terminal/VirtualTerminal.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <functional>
#include <memory>

namespace h5test {

class BuiltinRig
{
public:
    enum class Flash { InMemory, InFile };

    explicit BuiltinRig(Flash flash = Flash::InMemory, int width = 800, int height = 480)
    {
        m_flashPath = flash == Flash::InFile ? m_dir.filePath(QStringLiteral("builtin.flash")) : QString();
        install(width, height);
    }
    // A terminal that misbehaves as `faults` say.
    explicit BuiltinRig(const h5::VirtualTerminal::Faults &faults) : BuiltinRig()
    {
        vt().setFaults(faults);
    }
    ~BuiltinRig() { h5::BuiltinTerminal::setShared(nullptr); }
    BuiltinRig(const BuiltinRig &) = delete;
    BuiltinRig &operator=(const BuiltinRig &) = delete;

    // A new terminal on the same flash file: the program started again.
    void restart(int width = 800, int height = 480)
    {
        h5::BuiltinTerminal::setShared(nullptr);
        install(width, height);
    }

    h5::BuiltinTerminal &terminal() { return *m_terminal; }
    h5::VirtualTerminal &vt() { return m_terminal->terminal(); }
    h5::VirtualLineClock &clock() { return m_clock; }
    QString flashPath() const { return m_flashPath; }
    QString port() const { return h5::BuiltinTerminal::deviceName(); }
    bool ok() const { return m_terminal != nullptr; }

    // Lets time pass on the virtual clock, with Qt's own events handled
    // between steps, until `done()` holds or `limitMs` of virtual time
    // have passed.
    bool waitFor(const std::function<bool()> &done, int64_t limitMs = 600000)
    {
        return m_clock.advanceUntil(
            [&] {
                QCoreApplication::processEvents();
                m_clock.run();
                return done();
            },
            limitMs);
    }
    // Runs what is due now: posted line events and Qt's events.
    void settle()
    {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::processEvents();
            m_clock.run();
        }
    }

    // The flash summarised as h5800-sim's --dump-flash does.
    QJsonObject flash() { return QJsonDocument::fromJson(vt().summaryJson()).object(); }

private:
    void install(int width, int height)
    {
        auto t = std::make_unique<h5::BuiltinTerminal>(m_clock, m_flashPath, width, height);
        m_terminal = t.get();
        h5::BuiltinTerminal::setShared(std::move(t));
    }

    AppFirst m_app;
    QTemporaryDir m_dir;
    QString m_flashPath;
    h5::VirtualLineClock m_clock; // outlives the terminal: declared before it goes
    h5::BuiltinTerminal *m_terminal = nullptr;
};

} // namespace h5test

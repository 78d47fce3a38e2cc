#include "port/PortLine.h"

#include "port/BuiltinLine.h"
#include "port/BuiltinTerminal.h"
#include "port/CMSComm.h"
#include "port/LineClock.h"

namespace h5 {

PortLine::PortLine(QObject *parent) : SerialLine(parent) {}

PortLine::~PortLine()
{
    close();
}

void PortLine::forward(SerialLine &line)
{
    connect(&line, &SerialLine::received, this, &SerialLine::received);
    connect(&line, &SerialLine::outputDrained, this, &SerialLine::outputDrained);
    connect(&line, &SerialLine::lineError, this, [this](const QString &text) {
        if (m_active)
            m_error = m_active->errorString();
        emit lineError(text);
    });
}

bool PortLine::isBuiltin() const
{
    return BuiltinTerminal::isBuiltinDevice(m_device);
}

bool PortLine::open()
{
    close();
    m_error.clear();
    SerialLine *line = nullptr;
    if (isBuiltin()) {
        // Made anew at each open: the process's terminal may have been
        // replaced since (a test gives it a virtual clock).
        m_builtin = std::make_unique<BuiltinLine>(BuiltinTerminal::shared());
        forward(*m_builtin);
        line = m_builtin.get();
    } else {
        if (!m_port) {
            m_port = std::make_unique<CMSComm>();
            forward(*m_port);
        }
        line = m_port.get();
    }
    line->setDevice(m_device);
    line->setSettings(settings());
    if (!line->open()) {
        m_error = line->errorString();
        return false;
    }
    m_active = line;
    return true;
}

void PortLine::close()
{
    SerialLine *line = std::exchange(m_active, nullptr);
    if (line)
        line->close();
}

bool PortLine::isOpen() const
{
    return m_active && m_active->isOpen();
}

void PortLine::output(const QByteArray &bytes)
{
    if (m_active)
        m_active->output(bytes);
}

QByteArray PortLine::input()
{
    return m_active ? m_active->input() : QByteArray();
}

void PortLine::discardInput()
{
    if (m_active)
        m_active->discardInput();
}

void PortLine::discardOutput()
{
    if (m_active)
        m_active->discardOutput();
}

bool PortLine::waitSent()
{
    return m_active && m_active->waitSent();
}

qint64 PortLine::bytesWaiting() const
{
    return m_active ? m_active->bytesWaiting() : 0;
}

qint64 PortLine::bytesQueued() const
{
    return m_active ? m_active->bytesQueued() : 0;
}

LineClock &PortLine::clock() const
{
    if (m_active)
        return m_active->clock();
    return isBuiltin() ? BuiltinTerminal::shared().clock() : LineClock::real();
}

bool PortLine::applySettings()
{
    if (!m_active)
        return true;
    const bool ok = m_active->setSettings(settings());
    if (!ok)
        m_error = m_active->errorString();
    return ok;
}

} // namespace h5

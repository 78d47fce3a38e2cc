#include "port/BuiltinLine.h"

#include "port/BuiltinTerminal.h"
#include "port/LineClock.h"
#include "terminal/VirtualTerminal.h"

namespace h5 {

BuiltinLine::BuiltinLine(BuiltinTerminal &terminal, QObject *parent)
    : SerialLine(parent), m_terminal(&terminal)
{
}

BuiltinLine::~BuiltinLine()
{
    close();
}

bool BuiltinLine::open()
{
    if (m_open)
        close();
    m_error.clear();
    if (!m_terminal) {
        m_error = QStringLiteral("%1: %2").arg(m_device, SerialLine::lineLostText());
        return false;
    }
    if (!m_terminal->connectLine(this, &m_error))
        return false;
    m_open = true;
    m_out.clear();
    m_in.clear();
    return true;
}

void BuiltinLine::close()
{
    if (!m_open)
        return;
    // Bytes written before the close still reach the terminal, as bytes
    // handed to a real port do.
    deliver();
    m_open = false;
    m_out.clear();
    m_in.clear();
    if (m_terminal)
        m_terminal->disconnectLine(this);
}

LineClock &BuiltinLine::clock() const
{
    return m_terminal ? m_terminal->clock() : LineClock::real();
}

void BuiltinLine::output(const QByteArray &bytes)
{
    if (!m_open || bytes.isEmpty())
        return;
    m_out.append(bytes);
    if (m_deliverPosted)
        return;
    m_deliverPosted = true;
    clock().post(this, [this] {
        m_deliverPosted = false;
        deliver();
    });
}

void BuiltinLine::deliver()
{
    if (!m_open || m_out.isEmpty())
        return;
    const QByteArray bytes = std::exchange(m_out, QByteArray());
    if (!m_terminal) {
        emit lineError(lineLostText());
        return;
    }
    const QByteArray answer = m_terminal->fromPc(bytes);
    const bool hungUp = m_terminal->terminal().hungUp();
    emit outputDrained();
    if (!m_open)
        return;
    fromTerminal(answer);
    if (hungUp) {
        m_error = QStringLiteral("%1: %2").arg(m_device, lineLostText());
        emit lineError(lineLostText());
    }
}

bool BuiltinLine::waitSent()
{
    if (!m_open)
        return false;
    deliver();
    return true;
}

void BuiltinLine::fromTerminal(const QByteArray &bytes)
{
    if (!m_open || bytes.isEmpty())
        return;
    m_in.append(bytes);
    if (m_receivedPosted)
        return;
    m_receivedPosted = true;
    clock().post(this, [this] {
        m_receivedPosted = false;
        announceReceived();
    });
}

void BuiltinLine::announceReceived()
{
    if (m_open && !m_in.isEmpty())
        emit received();
}

QByteArray BuiltinLine::input()
{
    return std::exchange(m_in, QByteArray());
}

} // namespace h5

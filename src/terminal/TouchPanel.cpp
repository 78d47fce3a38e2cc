#include "terminal/TouchPanel.h"

#include "terminal/SimControl.h"

namespace h5 {

namespace {

int modeOf(int mode) { return mode < 0 ? 0 : mode & 3; }
bool continuous(int mode) { return (modeOf(mode) & 2) != 0; }
bool withBreakCode(int mode) { return (modeOf(mode) & 1) != 0; }
int64_t periodMs(int interval) { return int64_t(interval <= 0 ? 1 : interval) * TouchPanel::kIntervalUnitMs; }

} // namespace

QByteArray TouchPanel::report(int x, int y)
{
    return touchReport(x, y);
}

QByteArray TouchPanel::breakCode(int x, int y)
{
    QByteArray r = touchReport(x, y);
    r[1] = char(0xF0);
    return r;
}

QByteArray TouchPanel::press(int x, int y, int mode, int interval, int64_t nowMs)
{
    // A finger still down lifts first.
    QByteArray out = release(mode);
    m_held = true;
    m_x = x;
    m_y = y;
    m_due = continuous(mode) ? nowMs + periodMs(interval) : -1;
    return out + report(x, y);
}

QByteArray TouchPanel::release(int mode)
{
    if (!m_held)
        return {};
    m_held = false;
    m_due = -1;
    return withBreakCode(mode) ? breakCode(m_x, m_y) : QByteArray();
}

QByteArray TouchPanel::tick(int64_t nowMs, int mode, int interval)
{
    QByteArray out;
    if (!m_held)
        return out;
    if (!continuous(mode)) {
        m_due = -1;
        return out;
    }
    const int64_t period = periodMs(interval);
    if (m_due < 0)
        m_due = nowMs + period; // the mode turned continuous while held
    while (m_due <= nowMs) {
        out += report(m_x, m_y);
        m_due += period;
    }
    return out;
}

void TouchPanel::reset()
{
    m_held = false;
    m_due = -1;
}

} // namespace h5

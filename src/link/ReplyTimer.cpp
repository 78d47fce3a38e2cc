#include "link/ReplyTimer.h"

#include "link/Frames.h"
#include "link/Registry.h"

#include <algorithm>
#include <limits>

namespace h5 {

int timerMs(int64_t ms)
{
    return int(std::clamp<int64_t>(ms, 0, std::numeric_limits<int>::max()));
}

int registryTimeoutMs(int baseMs, qint32 baud)
{
    constexpr int64_t kLongestReply = int64_t(kSlotCount) * kRegistryRecordSize + kTerminatorSize;
    return timerMs(baseMs + lineTimeMs(kRegistryReadBytes + kLongestReply, baud));
}

ReplyTimer::ReplyTimer(LinkHost &host, int timerId, int silenceMs)
    : m_host(host), m_id(timerId), m_silenceMs(silenceMs)
{
}

void ReplyTimer::arm(int64_t bytes)
{
    if (m_armed)
        m_host.stopTimer(m_id);
    m_timeoutMs = m_silenceMs + lineTimeMs(bytes, m_host.lineBaud());
    m_armed = true;
    ++m_generation;
    m_host.startTimer(m_id, timerMs(m_timeoutMs));
}

void ReplyTimer::disarm()
{
    ++m_generation;
    if (!m_armed)
        return;
    m_armed = false;
    m_host.stopTimer(m_id);
}

bool ReplyTimer::stop()
{
    const bool awaited = m_armed;
    m_armed = false;
    ++m_generation;
    m_host.stopTimer(m_id);
    return awaited;
}

uint64_t ReplyTimer::hold()
{
    if (!m_armed)
        return 0;
    m_host.stopTimer(m_id);
    return ++m_generation;
}

void ReplyTimer::resume(uint64_t token)
{
    // Only when nothing armed or disarmed the timer while the box was open:
    // an answer taken meanwhile has started the wait for the next packet.
    if (token == 0 || !m_armed || token != m_generation)
        return;
    m_host.startTimer(m_id, timerMs(m_timeoutMs));
}

void ReplyTimer::message(const QString &text)
{
    const uint64_t token = hold();
    m_host.message(text);
    resume(token);
}

bool ReplyTimer::ask(const QString &text)
{
    const uint64_t token = hold();
    const bool ok = m_host.ask(text);
    resume(token);
    return ok;
}

} // namespace h5

#include "port/LineClock.h"

#include <QElapsedTimer>
#include <QMetaObject>
#include <QTimer>

namespace h5 {

namespace {

class RealTimer : public LineTimer
{
public:
    explicit RealTimer(std::function<void()> fire)
    {
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, std::move(fire));
    }
    void start(int ms) override { m_timer.start(ms); }
    void stop() override { m_timer.stop(); }
    bool isActive() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
};

class RealClock : public LineClock
{
public:
    RealClock() { m_elapsed.start(); }
    std::unique_ptr<LineTimer> makeTimer(std::function<void()> fire) override
    {
        return std::make_unique<RealTimer>(std::move(fire));
    }
    void post(QObject *context, std::function<void()> fn) override
    {
        QMetaObject::invokeMethod(context, std::move(fn), Qt::QueuedConnection);
    }
    int64_t now() const override { return m_elapsed.elapsed(); }

private:
    QElapsedTimer m_elapsed;
};

} // namespace

LineClock &LineClock::real()
{
    static RealClock clock;
    return clock;
}

// ---- the virtual clock ------------------------------------------------------

class VirtualLineClock::Timer : public LineTimer
{
public:
    Timer(VirtualLineClock *clock, uint64_t id) : m_clock(clock), m_id(id) {}
    ~Timer() override
    {
        if (m_clock)
            m_clock->m_entries.erase(m_id);
    }
    void start(int ms) override
    {
        if (!m_clock)
            return;
        Entry &e = m_clock->m_entries[m_id];
        e.interval = std::max(0, ms);
        e.due = m_clock->m_now + e.interval;
        e.order = m_clock->m_order++;
        e.active = true;
    }
    void stop() override
    {
        if (!m_clock)
            return;
        const auto it = m_clock->m_entries.find(m_id);
        if (it != m_clock->m_entries.end())
            it->second.active = false;
    }
    bool isActive() const override
    {
        if (!m_clock)
            return false;
        const auto it = m_clock->m_entries.find(m_id);
        return it != m_clock->m_entries.end() && it->second.active;
    }
    // The clock went before its timers.
    void orphan() { m_clock = nullptr; }

private:
    VirtualLineClock *m_clock;
    uint64_t m_id;
};

VirtualLineClock::~VirtualLineClock()
{
    for (auto &e : m_entries)
        if (e.second.timer)
            e.second.timer->orphan();
}

std::unique_ptr<LineTimer> VirtualLineClock::makeTimer(std::function<void()> fire)
{
    const uint64_t id = m_nextId++;
    Entry &e = m_entries[id];
    e.fire = std::move(fire);
    auto timer = std::make_unique<Timer>(this, id);
    e.timer = timer.get();
    return timer;
}

void VirtualLineClock::post(QObject *context, std::function<void()> fn)
{
    m_posted.push_back({QPointer<QObject>(context), context != nullptr, std::move(fn)});
}

void VirtualLineClock::run()
{
    while (!m_posted.empty()) {
        Posted p = std::move(m_posted.front());
        m_posted.pop_front();
        if (p.hasContext && !p.context)
            continue;
        p.fn();
    }
}

std::map<uint64_t, VirtualLineClock::Entry>::iterator VirtualLineClock::nextDue()
{
    auto best = m_entries.end();
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (!it->second.active)
            continue;
        if (best == m_entries.end() || it->second.due < best->second.due
            || (it->second.due == best->second.due && it->second.order < best->second.order))
            best = it;
    }
    return best;
}

bool VirtualLineClock::fireNext(int64_t until)
{
    const auto it = nextDue();
    if (it == m_entries.end() || it->second.due > until)
        return false;
    m_now = std::max(m_now, it->second.due);
    // Due again one interval on, as a repeating QTimer is; a zero interval
    // still moves on by a millisecond so the clock cannot stand still.
    it->second.due = m_now + std::max<int64_t>(1, it->second.interval);
    it->second.order = m_order++;
    const std::function<void()> fire = it->second.fire; // the timer may go while firing
    fire();
    run();
    return true;
}

void VirtualLineClock::advance(int64_t ms)
{
    run();
    const int64_t until = m_now + std::max<int64_t>(0, ms);
    while (fireNext(until)) {
    }
    m_now = until;
}

bool VirtualLineClock::advanceUntil(const std::function<bool()> &done, int64_t limitMs)
{
    run();
    const int64_t until = m_now + std::max<int64_t>(0, limitMs);
    while (!done()) {
        if (!fireNext(until)) {
            m_now = until;
            return done();
        }
    }
    return true;
}

int VirtualLineClock::activeTimers() const
{
    int n = 0;
    for (const auto &e : m_entries)
        n += e.second.active ? 1 : 0;
    return n;
}

} // namespace h5

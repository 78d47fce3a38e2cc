#pragma once
// The time a serial line and the sessions on it run by. The real clock is
// Qt's event loop (QTimer, queued calls); the virtual clock only moves when
// told to, so the windows and the command-line tool can be run through a
// whole download without waiting a second of real time.
//
// A timer fires every `ms` milliseconds from start() until stop(), as a
// QTimer does. post() runs a function soon, from the event loop (or the
// virtual clock's run()), never inside the caller; it is dropped when its
// context object has gone by then.

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>

namespace h5 {

class LineTimer
{
public:
    virtual ~LineTimer() = default;
    virtual void start(int ms) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
};

class LineClock
{
public:
    virtual ~LineClock() = default;
    // A timer calling `fire` each time it falls due; stopped when destroyed.
    virtual std::unique_ptr<LineTimer> makeTimer(std::function<void()> fire) = 0;
    virtual void post(QObject *context, std::function<void()> fn) = 0;
    // Milliseconds on this clock; only goes forward.
    virtual int64_t now() const = 0;

    // The event loop's clock.
    static LineClock &real();
};

// A clock that stands still until run(), advance() or advanceUntil() moves
// it. Timers fall due in time order; at the same moment the one started
// first fires first; what they post runs before the next one fires.
class VirtualLineClock : public LineClock
{
public:
    VirtualLineClock() = default;
    ~VirtualLineClock() override;
    VirtualLineClock(const VirtualLineClock &) = delete;
    VirtualLineClock &operator=(const VirtualLineClock &) = delete;

    std::unique_ptr<LineTimer> makeTimer(std::function<void()> fire) override;
    void post(QObject *context, std::function<void()> fn) override;
    int64_t now() const override { return m_now; }

    // Runs what is posted, and what that posts, until nothing is left.
    void run();
    // Runs, then moves the clock `ms` on, firing every timer as it falls
    // due and running what each posts before the next.
    void advance(int64_t ms);
    // Moves on timer by timer until `done()` holds or `limitMs` have passed;
    // says whether `done()` holds. The clock stops where it came true.
    bool advanceUntil(const std::function<bool()> &done, int64_t limitMs);
    // Timers running now.
    int activeTimers() const;

private:
    class Timer;
    friend class Timer;
    struct Entry
    {
        std::function<void()> fire;
        int64_t interval = 0;
        int64_t due = 0;
        uint64_t order = 0;
        bool active = false;
        Timer *timer = nullptr;
    };
    struct Posted
    {
        QPointer<QObject> context;
        bool hasContext = false;
        std::function<void()> fn;
    };

    // The active timer falling due first, or m_entries.end().
    std::map<uint64_t, Entry>::iterator nextDue();
    bool fireNext(int64_t until);

    int64_t m_now = 0;
    uint64_t m_nextId = 1;
    uint64_t m_order = 0;
    std::map<uint64_t, Entry> m_entries;
    std::deque<Posted> m_posted;
};

} // namespace h5

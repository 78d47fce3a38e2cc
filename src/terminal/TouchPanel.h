#pragma once
// The terminal's touch panel: what it sends the PC while a finger is on the
// screen, under the touch mode the PC last set (1B 20 mode, 1B 21 interval;
// TerminalScreen::Record keeps them).
//
//   touch report   FE FE, x and y as 16-bit numbers low byte first (the
//                  simulator's touchReport, six bytes)
//   break code     FE F0, the point the finger left, as above (six bytes;
//                  the debug window reads FE FE and FE F0 reports alike)
//
//   mode 0 (the default, "单次触发", "不带断码"): one report when the finger
//          comes down, nothing when it lifts
//   mode 1 single with break code: one report down, the break code up
//   mode 2 continuous: a report when the finger comes down and again every
//          interval x 20 ms (interval 1 unless set; 0 counts as 1) while it
//          stays down
//   mode 3 continuous with break code: mode 2, and the break code up
// A mode byte above 3 is read by its two low bits (bit 0 break code, bit 1
// continuous). A touch while the finger is still down is a new touch: the
// finger lifts first (the break code, in modes 1 and 3), so every touch
// sends its report, as the simulator's touch always did.
// Time is told, never read.

#include <QByteArray>
#include <cstdint>

namespace h5 {

class TouchPanel
{
public:
    static constexpr int kIntervalUnitMs = 20;

    // `mode` and `interval` as the screen's record holds them (-1: never set).
    QByteArray press(int x, int y, int mode, int interval, int64_t nowMs);
    // The finger lifts; nothing when none is down.
    QByteArray release(int mode);
    // The repeated reports due by `nowMs` (a continuous mode, finger down).
    QByteArray tick(int64_t nowMs, int mode, int interval);
    // When the next repeated report is due; -1 for none.
    int64_t dueMs() const { return m_due; }
    bool held() const { return m_held; }
    // Power off: the finger is gone without a word.
    void reset();

    static QByteArray report(int x, int y);
    static QByteArray breakCode(int x, int y);

private:
    bool m_held = false;
    int m_x = 0;
    int m_y = 0;
    int64_t m_due = -1;
};

} // namespace h5

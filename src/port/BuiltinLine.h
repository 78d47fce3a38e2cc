#pragma once
// A serial line to the terminal built into the program (BuiltinTerminal).
// Bytes written are handed to the terminal from the event loop, as a real
// line hands them on after the write; the terminal's answer then arrives
// as a receive event, after the output-drained event. The line runs on the
// terminal's clock, so a test that gives the terminal a virtual clock runs
// the windows' sessions without real waits.

#include "port/SerialLine.h"

#include <QPointer>

#include "port/BuiltinTerminal.h"

namespace h5 {

class BuiltinLine : public SerialLine
{
    Q_OBJECT
public:
    explicit BuiltinLine(BuiltinTerminal &terminal, QObject *parent = nullptr);
    ~BuiltinLine() override;

    bool open() override;
    void close() override;
    bool isOpen() const override { return m_open; }
    void output(const QByteArray &bytes) override;
    QByteArray input() override;
    void discardInput() override { m_in.clear(); }
    // Written bytes are with the terminal already: nothing is dropped.
    void discardOutput() override {}
    bool waitSent() override;
    qint64 bytesWaiting() const override { return m_in.size(); }
    qint64 bytesQueued() const override { return 0; }
    LineClock &clock() const override;

    // Bytes the terminal sends on its own (a touch report).
    void fromTerminal(const QByteArray &bytes);

private:
    void deliver();
    void announceReceived();

    QPointer<BuiltinTerminal> m_terminal; // the terminal may go first (a test replaces it)
    bool m_open = false;
    QByteArray m_out; // written, not yet at the terminal
    QByteArray m_in;  // from the terminal, not yet read
    bool m_deliverPosted = false;
    bool m_receivedPosted = false;
};

} // namespace h5

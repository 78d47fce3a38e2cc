#pragma once
// The line a window or the command-line tool owns: the real serial port
// (CMSComm) or the terminal built into the program (BuiltinLine), as the
// chosen device says at each open. Everything above talks to this line and
// never to a concrete port.

#include "port/SerialLine.h"

#include <memory>

namespace h5 {

class BuiltinLine;
class CMSComm;

class PortLine : public SerialLine
{
    Q_OBJECT
public:
    explicit PortLine(QObject *parent = nullptr);
    ~PortLine() override;

    bool open() override;
    void close() override;
    bool isOpen() const override;
    void output(const QByteArray &bytes) override;
    QByteArray input() override;
    void discardInput() override;
    void discardOutput() override;
    bool waitSent() override;
    qint64 bytesWaiting() const override;
    qint64 bytesQueued() const override;
    // The open line's clock; before an open, the clock of the line the
    // chosen device would open.
    LineClock &clock() const override;

    // True when the chosen device is the built-in terminal.
    bool isBuiltin() const;
    // The open line, or null.
    SerialLine *active() const { return m_active; }

protected:
    bool applySettings() override;

private:
    void forward(SerialLine &line);

    std::unique_ptr<CMSComm> m_port;
    std::unique_ptr<BuiltinLine> m_builtin;
    SerialLine *m_active = nullptr;
};

} // namespace h5

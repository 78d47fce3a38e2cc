#pragma once
// A running h5800-sim for end-to-end tests of the h5800 tool: its device
// linked into a temporary folder, its flash kept in a file there, and, when
// asked for, its control FIFO beside them.

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace h5test {

class SimProcess
{
public:
    // `faults` and any other options go to the simulator as they are.
    explicit SimProcess(const QString &dir, const QStringList &options = {}, bool control = false)
    {
        m_flash = dir + "/flash.bin";
        m_link = dir + "/tty";
        QStringList args{"--flash", m_flash, "--link", m_link};
        if (control) {
            m_control = dir + "/control";
            args << "--control" << m_control;
        }
        m_proc.setProgram(QStringLiteral(H5_SIM_PATH));
        m_proc.setArguments(args + options);
        m_proc.start();
        if (m_proc.waitForStarted(10000) && m_proc.waitForReadyRead(10000))
            m_device = QString::fromUtf8(m_proc.readLine()).trimmed();
    }
    ~SimProcess() { stop(); }
    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;

    bool ok() const { return !m_device.isEmpty(); }
    QString port() const { return m_link; }
    QString controlPath() const { return m_control; }
    QProcess &process() { return m_proc; }

    // Writes `text` into the control FIFO with a writer of its own, as a
    // shell's `echo ... > FIFO` does.
    bool control(const QByteArray &text)
    {
        QFile f(m_control);
        return f.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && f.write(text) == text.size();
    }

    // Stops the terminal (which saves its flash).
    void stop()
    {
        if (m_proc.state() == QProcess::NotRunning)
            return;
        m_proc.terminate();
        if (!m_proc.waitForFinished(10000)) {
            m_proc.kill();
            m_proc.waitForFinished(5000);
        }
    }

    // Stops the terminal and summarises its flash.
    QJsonObject flash()
    {
        stop();
        QProcess dump;
        dump.start(QStringLiteral(H5_SIM_PATH), {"--dump-flash", m_flash});
        dump.waitForFinished(20000);
        return QJsonDocument::fromJson(dump.readAllStandardOutput()).object();
    }

private:
    QProcess m_proc;
    QString m_flash, m_link, m_device, m_control;
};

} // namespace h5test

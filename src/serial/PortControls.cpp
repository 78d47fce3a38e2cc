#include "serial/PortControls.h"

#include "port/BuiltinTerminal.h"
#include "port/CMSComm.h"
#include "serial/BuiltinTerminalWindow.h"
#include "serial/PortCombo.h"
#include "serial/StatusLamp.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace h5 {

const int PortControls::kBaudRates[PortControls::kRateCount] = {
    1228800, 921600, 460800, 230400, 115200, 57600, 38400, 19200, 9600, 4800, 2400};

namespace {

const QString kPortMissing = QStringLiteral("串口不存在或被占用!");

} // namespace

PortControls::PortControls(SerialLine &comm, Prompts &prompts, QWidget *parent)
    : QGroupBox(QStringLiteral("串口选项"), parent), m_comm(comm), m_prompts(prompts)
{
    setObjectName(QStringLiteral("portControls"));

    m_detect = new QPushButton(QStringLiteral("端口检测"), this);
    m_detect->setObjectName(QStringLiteral("detectButton"));
    m_port = new PortCombo(this);
    m_baud = new QComboBox(this);
    m_baud->setObjectName(QStringLiteral("baudCombo"));
    for (int rate : kBaudRates)
        m_baud->addItem(QString::number(rate));
    m_baud->setCurrentIndex(0);
    m_openButton = new QPushButton(QStringLiteral("打开"), this);
    m_openButton->setObjectName(QStringLiteral("openButton"));
    m_closeButton = new QPushButton(QStringLiteral("关闭"), this);
    m_closeButton->setObjectName(QStringLiteral("closeButton"));
    m_lamp = new StatusLamp(this);
    m_portLabel = new QLabel(QStringLiteral("端口"), this);
    m_portLabel->setObjectName(QStringLiteral("portLabel"));
    m_baudLabel = new QLabel(QStringLiteral("波特率"), this);
    m_baudLabel->setObjectName(QStringLiteral("baudLabel"));

    auto *grid = new QGridLayout(this);
    grid->addWidget(m_detect, 0, 0, 2, 1, Qt::AlignVCenter);
    grid->addWidget(m_portLabel, 0, 1);
    grid->addWidget(m_port, 0, 2);
    grid->addWidget(m_openButton, 0, 3);
    grid->addWidget(m_baudLabel, 1, 1);
    grid->addWidget(m_baud, 1, 2);
    grid->addWidget(m_closeButton, 1, 3);
    grid->addWidget(m_lamp, 0, 4, 2, 1, Qt::AlignVCenter);
    grid->setColumnStretch(2, 1);

    connect(m_detect, &QPushButton::clicked, this, &PortControls::detect);
    connect(m_port, &PortCombo::aboutToShowPopup, this, [this] { fillPorts(true); });
    connect(m_openButton, &QPushButton::clicked, this, [this] { openPort(); });
    connect(m_closeButton, &QPushButton::clicked, this, &PortControls::closePort);

    showState();
}

QComboBox *PortControls::portCombo() const { return m_port; }

void PortControls::setCloseEnabledWhileClosed(bool enabled)
{
    m_closeWhileClosed = enabled;
    showState();
}

void PortControls::setPortSource(std::function<QStringList()> source)
{
    m_source = std::move(source);
}

void PortControls::detect() { fillPorts(false); }

// Scans the ports and lists them, the first one selected. When the list is
// about to drop down, a device the user typed that the scan does not know
// stays in the edit field, so opening the list never loses it.
void PortControls::fillPorts(bool keepTypedDevice)
{
    const QString typed = m_port->currentText().trimmed();
    // Nine real ports at most, then the terminal built into the program,
    // so a user without hardware always has a line to open.
    QStringList ports = m_source ? m_source() : detectPorts(9);
    if (!ports.contains(BuiltinTerminal::deviceName()))
        ports << BuiltinTerminal::deviceName();
    m_port->clear();
    m_port->addItems(ports);
    if (keepTypedDevice && !typed.isEmpty() && !ports.contains(typed))
        m_port->setEditText(typed);
    else if (!ports.isEmpty())
        m_port->setCurrentIndex(0);
}

QString PortControls::device() const { return m_port->currentText().trimmed(); }

int PortControls::baudRate() const
{
    // The box lists rates as numbers; a list set by setBaudRates() is read
    // the same way.
    bool ok = false;
    const int rate = m_baud->currentText().toInt(&ok);
    return ok && rate > 0 ? rate : kBaudRates[0];
}

void PortControls::setBaudRates(const QList<int> &rates)
{
    m_baud->clear();
    for (int rate : rates)
        m_baud->addItem(QString::number(rate));
    m_baud->setCurrentIndex(0);
}

void PortControls::setCaptions(const QString &port, const QString &baud)
{
    m_portLabel->setText(port);
    m_baudLabel->setText(baud);
}

bool PortControls::openPort()
{
    const QString dev = device();
    if (m_comm.isOpen())
        m_comm.close();
    if (dev.isEmpty()) {
        emit openFailed(kPortMissing);
        return false;
    }
    m_comm.setDevice(dev);
    m_comm.setSettings(QStringLiteral("%1,n,8,1").arg(baudRate()));
    if (!m_comm.open()) {
        const QString why = m_comm.errorString();
        emit openFailed(why.isEmpty() ? kPortMissing : kPortMissing + QLatin1Char('\n') + why);
        return false;
    }
    m_open = true;
    m_comm.input(); // whatever arrived before the port was ours
    // The built-in terminal's screen comes up with its first line.
    if (BuiltinTerminal::isBuiltinDevice(dev))
        BuiltinTerminalWindow::showFor(BuiltinTerminal::shared(), m_prompts);
    showState();
    emit opened();
    return true;
}

void PortControls::closePort()
{
    if (m_comm.isOpen())
        m_comm.close();
    m_open = false;
    showState();
    emit closed();
}

void PortControls::showState()
{
    m_closeButton->setEnabled(m_open || m_closeWhileClosed);
    m_openButton->setEnabled(!m_open);
    m_port->setEnabled(!m_open);
    m_baud->setEnabled(!m_open);
    m_detect->setEnabled(!m_open);
    m_lamp->setOn(m_open);
}

} // namespace h5

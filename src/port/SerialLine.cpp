#include "port/SerialLine.h"

#include <QStringList>

namespace h5 {

// ---- settings ---------------------------------------------------------------

bool LineSettings::parse(const QString &text, LineSettings &out)
{
    const QStringList parts = text.trimmed().split(QLatin1Char(','));
    if (parts.size() != 4)
        return false;
    LineSettings s;
    bool ok = false;
    const qlonglong baud = parts[0].trimmed().toLongLong(&ok);
    if (!ok || baud <= 0 || baud > 100000000)
        return false;
    s.baud = qint32(baud);

    const QString parity = parts[1].trimmed().toLower();
    if (parity == QLatin1String("n"))
        s.parity = QSerialPort::NoParity;
    else if (parity == QLatin1String("e"))
        s.parity = QSerialPort::EvenParity;
    else if (parity == QLatin1String("o"))
        s.parity = QSerialPort::OddParity;
    else if (parity == QLatin1String("m"))
        s.parity = QSerialPort::MarkParity;
    else if (parity == QLatin1String("s"))
        s.parity = QSerialPort::SpaceParity;
    else
        return false;

    const int bits = parts[2].trimmed().toInt(&ok);
    if (!ok || bits < 5 || bits > 8)
        return false;
    s.dataBits = QSerialPort::DataBits(bits);

    const QString stop = parts[3].trimmed();
    if (stop == QLatin1String("1"))
        s.stopBits = QSerialPort::OneStop;
    else if (stop == QLatin1String("1.5"))
        s.stopBits = QSerialPort::OneAndHalfStop;
    else if (stop == QLatin1String("2"))
        s.stopBits = QSerialPort::TwoStop;
    else
        return false;

    out = s;
    return true;
}

QString LineSettings::toString() const
{
    char p = 'n';
    switch (parity) {
    case QSerialPort::EvenParity: p = 'e'; break;
    case QSerialPort::OddParity: p = 'o'; break;
    case QSerialPort::MarkParity: p = 'm'; break;
    case QSerialPort::SpaceParity: p = 's'; break;
    default: break;
    }
    const char *stop = stopBits == QSerialPort::TwoStop          ? "2"
                       : stopBits == QSerialPort::OneAndHalfStop ? "1.5"
                                                                 : "1";
    return QStringLiteral("%1,%2,%3,%4")
        .arg(baud)
        .arg(QLatin1Char(p))
        .arg(int(dataBits))
        .arg(QLatin1String(stop));
}

// ---- the line ---------------------------------------------------------------

bool SerialLine::setSettings(const QString &settings)
{
    LineSettings parsed;
    if (!LineSettings::parse(settings, parsed)) {
        m_error = tr("Invalid line settings \"%1\" (expected baud,n,8,1)").arg(settings);
        return false;
    }
    m_settings = parsed;
    if (isOpen())
        applySettings();
    return true;
}

QString SerialLine::lineLostText()
{
    return QStringLiteral("串口连接已断开!");
}

} // namespace h5

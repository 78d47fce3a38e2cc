#include "serial/PortCombo.h"

namespace h5 {

PortCombo::PortCombo(QWidget *parent) : QComboBox(parent)
{
    setObjectName(QStringLiteral("portCombo"));
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // Wide enough for a typed device path such as
    // "/dev/serial/by-id/usb-FTDI-if00", not only for "/dev/ttyUSB0".
    setMinimumContentsLength(kTypedPathLength);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
}

void PortCombo::showPopup()
{
    emit aboutToShowPopup();
    QComboBox::showPopup();
}

} // namespace h5

#include "serial/PortCombo.h"

namespace h5 {

PortCombo::PortCombo(QWidget *parent) : QComboBox(parent)
{
    setObjectName(QStringLiteral("portCombo"));
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
}

void PortCombo::showPopup()
{
    emit aboutToShowPopup();
    QComboBox::showPopup();
}

} // namespace h5

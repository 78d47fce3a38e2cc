#pragma once
// The port list of a serial window: an editable combo box, so a device the
// scan does not find (a virtual terminal's pseudo-terminal) can be typed,
// that tells when its list is about to drop down so the ports can be
// scanned again first.

#include <QComboBox>

namespace h5 {

class PortCombo : public QComboBox
{
    Q_OBJECT
public:
    // Characters of a typed path the box shows without scrolling.
    static constexpr int kTypedPathLength = 32;

    explicit PortCombo(QWidget *parent = nullptr);

    void showPopup() override;

signals:
    void aboutToShowPopup();
};

} // namespace h5

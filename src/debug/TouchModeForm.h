#pragma once
// TouchModeForm, opened by "触摸模式设置" in the debug window.
//
// The touch mode form "触摸模式设置": single or continuous trigger, with or
// without break code, and the trigger interval (units of 20 ms, 1 to 65535)
// for continuous triggering.

#include <QDialog>

class QLabel;
class QLineEdit;
class QRadioButton;

namespace h5 {

class TouchModeForm : public QDialog
{
    Q_OBJECT
public:
    explicit TouchModeForm(QWidget *parent = nullptr);

    // 0 single, 1 single with break code, 2 continuous, 3 continuous with
    // break code.
    int mode() const;
    int interval() const;

    void accept() override;

private:
    QRadioButton *m_single = nullptr;
    QRadioButton *m_continuous = nullptr;
    QRadioButton *m_noBreak = nullptr;
    QRadioButton *m_break = nullptr;
    QLineEdit *m_interval = nullptr;
    QLabel *m_error = nullptr;
};

} // namespace h5

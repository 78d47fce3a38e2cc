#pragma once
// LiveFontForm, opened by "字体设置" in the debug window's lower half.
//
// The font chooser "字体设置" of the debug window: six sizes and four faces,
// where only the combinations the terminal has can be chosen (8 dots: 宋体
// only; 48 and 64 dots: 宋体 and 黑体).

#include <QDialog>

class QRadioButton;

namespace h5 {

class LiveFontForm : public QDialog
{
    Q_OBJECT
public:
    LiveFontForm(int sizeIndex, int faceIndex, QWidget *parent = nullptr);

    int sizeIndex() const;
    int faceIndex() const;
    QRadioButton *sizeButton(int index) const { return m_sizes[index]; }
    QRadioButton *faceButton(int index) const { return m_faces[index]; }

private:
    void sizeChosen(int index);

    QRadioButton *m_sizes[6] = {};
    QRadioButton *m_faces[4] = {};
};

} // namespace h5

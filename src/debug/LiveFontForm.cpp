#include "debug/LiveFontForm.h"

#include "link/LiveCommands.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace h5 {

LiveFontForm::LiveFontForm(int sizeIndex, int faceIndex, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("LiveFontForm"));
    setWindowTitle(QStringLiteral("字体设置"));
    const char *sizes[6] = {"8点阵", "16点阵", "24点阵", "32点阵", "48点阵", "64点阵"};

    auto *sizeGroup = new QGroupBox(this);
    auto *sizeLayout = new QGridLayout(sizeGroup);
    auto *sizeButtons = new QButtonGroup(this);
    for (int i = 0; i < 6; ++i) {
        m_sizes[i] = new QRadioButton(QString::fromUtf8(sizes[i]), sizeGroup);
        m_sizes[i]->setObjectName(QStringLiteral("size%1").arg(i));
        sizeButtons->addButton(m_sizes[i], i);
        sizeLayout->addWidget(m_sizes[i], i / 3, i % 3);
    }
    auto *faceGroup = new QGroupBox(this);
    auto *faceLayout = new QHBoxLayout(faceGroup);
    auto *faceButtons = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        m_faces[i] = new QRadioButton(faceName(i), faceGroup);
        m_faces[i]->setObjectName(QStringLiteral("face%1").arg(i));
        faceButtons->addButton(m_faces[i], i);
        faceLayout->addWidget(m_faces[i]);
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(sizeGroup);
    layout->addWidget(faceGroup);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(sizeButtons, &QButtonGroup::idClicked, this, &LiveFontForm::sizeChosen);

    const int size = std::clamp(sizeIndex, 0, 5);
    m_sizes[size]->setChecked(true);
    m_faces[liveFontCode(size, faceIndex) >= 0 ? std::clamp(faceIndex, 0, 3) : 0]->setChecked(true);
    sizeChosen(size);
}

// Only the faces the size has can be chosen; a face it lacks moves to 宋体.
void LiveFontForm::sizeChosen(int index)
{
    for (int f = 0; f < 4; ++f)
        m_faces[f]->setEnabled(liveFontCode(index, f) >= 0);
    if (liveFontCode(index, faceIndex()) < 0)
        m_faces[0]->setChecked(true);
}

int LiveFontForm::sizeIndex() const
{
    for (int i = 0; i < 6; ++i)
        if (m_sizes[i]->isChecked())
            return i;
    return 1;
}

int LiveFontForm::faceIndex() const
{
    for (int i = 0; i < 4; ++i)
        if (m_faces[i]->isChecked())
            return i;
    return 0;
}

} // namespace h5

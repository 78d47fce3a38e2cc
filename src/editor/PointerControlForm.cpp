#include "editor/PointerControlForm.h"

#include "common/Gbk.h"
#include "common/Prompts.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

namespace h5 {

PointerControlForm::PointerControlForm(const PointerCtrlValues &values, const QString &picturesFolder,
                                       Prompts &prompts, QWidget *parent)
    : PropertyForm(QStringLiteral("指针控件"), Buttons::OkCancel, prompts, parent), m_values(values),
      m_picturesFolder(picturesFolder)
{
    const auto [left, right] = addColumns();
    addRows(left)->addRow(QStringLiteral("控件ID值："), intBox(m_values, "ctrlId"));
    QFormLayout *origin = addGroup(QStringLiteral("原点坐标及线宽"), left);
    origin->addRow(QStringLiteral("X:"), intBox(m_values, "centreX"));
    origin->addRow(QStringLiteral("Y:"), intBox(m_values, "centreY"));
    origin->addRow(QStringLiteral("宽:"), withUpDown(intBox(m_values, "lineWidth"), 1, 10));

    QFormLayout *range = addGroup(QStringLiteral("范围设定"), left);
    range->addRow(QStringLiteral("Min:"), intBox(m_values, "minimum"));
    range->addRow(QStringLiteral("Max:"), intBox(m_values, "maximum"));
    range->addRow(QStringLiteral("Min超出显示："), intBox(m_values, "belowShown"));
    range->addRow(QStringLiteral("Max超出显示："), intBox(m_values, "aboveShown"));

    QFormLayout *rows = addRows(right);
    rows->addRow(makeColour("colour1", QStringLiteral("显示色"), m_values.needle));
    rows->addRow(makeColour("colour4", QStringLiteral("超出显示色"), m_values.outNeedle));

    auto *load = new QPushButton(QStringLiteral("加载指针"), this);
    load->setObjectName(QStringLiteral("loadPointer"));
    m_pointerName = makeShowBox("pointerName", fromGbk(m_values.pointerName));
    rows->addRow(load, m_pointerName);
    auto *dial = new QPushButton(QStringLiteral("选择位图"), this);
    dial->setObjectName(QStringLiteral("chooseDial"));
    m_dialPath = makeShowBox("dialPath", fromGbk(m_values.dialPath));
    rows->addRow(dial, m_dialPath);

    connect(load, &QPushButton::clicked, this, [this] {
        FileRequest request;
        request.filter = QStringLiteral("MGL文件(*.MGL)");
        const QString path = formPrompts().chooseFile(request);
        if (!path.isEmpty())
            loadPointer(path);
    });
    connect(dial, &QPushButton::clicked, this, [this] {
        FileRequest request;
        request.folder = m_picturesFolder;
        request.filter = QStringLiteral("图片文件(*.bmp *.jpg *.jpeg)");
        const QString path = formPrompts().chooseFile(request);
        if (!path.isEmpty())
            chooseDial(path);
    });
}

bool PointerControlForm::loadPointer(const QString &path)
{
    PointerFileHeader header;
    QString error;
    // A short file is refused: reading its missing bytes as zeros would
    // give the control a needle nobody made.
    if (!readPointerFile(path, header, &error)) {
        showCheckMessage(error);
        return false;
    }
    m_values.applyPointerFile(header);
    m_pointerName->setText(fromGbk(m_values.pointerName));
    return true;
}

void PointerControlForm::chooseDial(const QString &path)
{
    m_values.chooseDial(path);
    m_dialPath->setText(path);
}

FormError PointerControlForm::readControls()
{
    if (FormError e = readIntBoxes(m_values))
        return e;
    m_values.needle = colourField(QStringLiteral("colour1"))->colour();
    m_values.outNeedle = colourField(QStringLiteral("colour4"))->colour();
    if (m_filesRequired) {
        const QString missing = m_values.missingParts();
        if (!missing.isEmpty())
            return {m_values.pointerName.empty() ? QStringLiteral("loadPointer")
                                                 : QStringLiteral("chooseDial"),
                    missing};
    }
    return {};
}

} // namespace h5

#include "debug/LayerCopyPanel.h"

#include "debug/DebugWidgets.h"
#include "link/DebugSession.h"
#include "link/LiveCommands.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

namespace h5 {

LayerCopyPanel::LayerCopyPanel(DebugSession &session, QWidget *parent) : ExtensionPage(parent), m_session(session)
{
    setObjectName(QStringLiteral("copyPage"));
    m_resolution = new QComboBox(this);
    m_resolution->setObjectName(QStringLiteral("copyResolutionCombo"));
    for (const TerminalResolution &r : terminalResolutions())
        m_resolution->addItem(QString::fromLatin1(r.name));
    m_from = new QComboBox(this);
    m_from->setObjectName(QStringLiteral("copyFromLayer"));
    m_from->setEditable(true);
    m_to = new QComboBox(this);
    m_to->setObjectName(QStringLiteral("copyToLayer"));
    m_to->setEditable(true);
    const char *names[6] = {"copySourceX", "copySourceY", "copyWidth", "copyHeight", "copyTargetX", "copyTargetY"};
    for (int i = 0; i < 6; ++i) {
        m_boxes[i] = digitsBox(QString::fromLatin1(names[i]), this);
        m_boxes[i]->setMaximumWidth(50);
    }
    auto *grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("终端分辨率："), this), 0, 0);
    grid->addWidget(m_resolution, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("源层"), this), 0, 2);
    grid->addWidget(m_from, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("目标层"), this), 0, 4);
    grid->addWidget(m_to, 0, 5);
    grid->addWidget(new QLabel(QStringLiteral("源拷贝地址"), this), 1, 0);
    grid->addWidget(new QLabel(QStringLiteral("坐标"), this), 1, 1);
    grid->addWidget(m_boxes[0], 1, 2);
    grid->addWidget(m_boxes[1], 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("尺寸"), this), 2, 0);
    grid->addWidget(new QLabel(QStringLiteral("长:"), this), 2, 1);
    grid->addWidget(m_boxes[2], 2, 2);
    grid->addWidget(new QLabel(QStringLiteral("宽:"), this), 2, 3);
    grid->addWidget(m_boxes[3], 2, 4);
    grid->addWidget(new QLabel(QStringLiteral("目标拷贝地址"), this), 3, 0);
    grid->addWidget(new QLabel(QStringLiteral("坐标"), this), 3, 1);
    grid->addWidget(m_boxes[4], 3, 2);
    grid->addWidget(m_boxes[5], 3, 3);

    connect(m_resolution, &QComboBox::currentIndexChanged, this, &LayerCopyPanel::resolutionChosen);
    // A typed layer counts only when it is one of the box's entries.
    auto typedLayer = [](QComboBox *box, int &layer) {
        return [box, &layer](const QString &text) {
            const int index = box->findText(text.trimmed(), Qt::MatchExactly);
            if (index >= 0)
                layer = index;
        };
    };
    connect(m_from, &QComboBox::editTextChanged, this, typedLayer(m_from, m_fromLayer));
    connect(m_to, &QComboBox::editTextChanged, this, typedLayer(m_to, m_toLayer));
    connect(m_from, &QComboBox::activated, this, [this](int i) { m_fromLayer = i; });
    connect(m_to, &QComboBox::activated, this, [this](int i) { m_toLayer = i; });
    // Both layer boxes hold "0" to "3" at first, whatever the resolution.
    for (QComboBox *box : {m_from, m_to})
        for (int l = 0; l < 4; ++l)
            box->addItem(QString::number(l));
}

void LayerCopyPanel::resolutionChosen(int index)
{
    const auto &list = terminalResolutions();
    if (index < 0 || size_t(index) >= list.size())
        return;
    const TerminalResolution &r = list[size_t(index)];
    for (QComboBox *box : {m_from, m_to}) {
        const QSignalBlocker quiet(box);
        box->clear();
        for (int l = 0; l < r.layers; ++l)
            box->addItem(QString::number(l));
        box->setCurrentIndex(0);
        box->setEnabled(r.layers > 1);
    }
    m_fromLayer = m_toLayer = 0;
}

void LayerCopyPanel::send()
{
    int n[6];
    for (int i = 0; i < 6; ++i)
        n[i] = typedNumber(m_boxes[i]);
    const QByteArray bytes = layerCopyCommand(m_resolution->currentIndex(), m_fromLayer, m_toLayer, n[0], n[1], n[2],
                                              n[3], n[4], n[5]);
    m_session.sendCommand(bytes, true);
}

} // namespace h5

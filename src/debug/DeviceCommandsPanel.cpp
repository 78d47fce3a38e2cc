#include "debug/DeviceCommandsPanel.h"

#include "common/Prompts.h"
#include "debug/DebugWidgets.h"
#include "debug/TouchModeForm.h"
#include "link/DebugSession.h"
#include "link/LiveCommands.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace h5 {

DeviceCommandsPanel::DeviceCommandsPanel(DebugSession &session, Prompts &prompts, QWidget *parent)
    : QWidget(parent), m_session(session), m_prompts(prompts)
{
    setObjectName(QStringLiteral("besideSerial"));
    m_pictureSwitch = digitsBox(QStringLiteral("pictureSwitchBox"), this);
    m_pageSwitch = digitsBox(QStringLiteral("pageSwitchBox"), this);
    auto *pictureOk = button(QStringLiteral("确定"), QStringLiteral("pictureSwitchButton"), this);
    auto *pageOk = button(QStringLiteral("确定"), QStringLiteral("pageSwitchButton"), this);
    auto *full = button(QStringLiteral("实时动态调试"), QStringLiteral("fullFormButton"), this);
    auto *touch = button(QStringLiteral("触摸模式设置"), QStringLiteral("touchModeButton"), this);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("图片切换"), this), 0, 0);
    grid->addWidget(m_pictureSwitch, 0, 1);
    grid->addWidget(pictureOk, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("画面切换"), this), 1, 0);
    grid->addWidget(m_pageSwitch, 1, 1);
    grid->addWidget(pageOk, 1, 2);
    grid->addWidget(full, 2, 0, 1, 3);
    grid->addWidget(touch, 3, 0, 1, 3);
    grid->setRowStretch(4, 1);

    connect(pictureOk, &QPushButton::clicked, this, &DeviceCommandsPanel::switchPicture);
    connect(pageOk, &QPushButton::clicked, this, &DeviceCommandsPanel::switchPage);
    connect(full, &QPushButton::clicked, this, &DeviceCommandsPanel::fullFormClicked);
    connect(touch, &QPushButton::clicked, this, &DeviceCommandsPanel::setTouchMode);
}

// Each command is recorded, and written when the port is open.
void DeviceCommandsPanel::switchPicture()
{
    m_session.sendCommand(pictureSwitchFrame(typedNumber(m_pictureSwitch)));
}

void DeviceCommandsPanel::switchPage()
{
    m_session.sendCommand(pageSwitchFrame(typedNumber(m_pageSwitch)));
}

void DeviceCommandsPanel::setTouchMode()
{
    TouchModeForm form(this);
    if (!m_prompts.runForm(form))
        return;
    const int mode = form.mode();
    if (mode >= 2)
        m_session.sendCommands({touchModeFrame(mode), touchIntervalFrame(form.interval())});
    else
        m_session.sendCommand(touchModeFrame(mode));
}

} // namespace h5

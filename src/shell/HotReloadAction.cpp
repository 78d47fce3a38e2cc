#include "shell/HotReloadAction.h"

#include "edit/CommandIds.h"
#include "port/BuiltinTerminal.h"
#include "port/CMSComm.h"
#include "port/HotReload.h"
#include "port/PortLine.h"
#include "shell/CMyApp.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>

namespace h5 {

HotReloadAction::HotReloadAction(CMyApp &app, QWidget *window, QStatusBar *statusBar)
    : QObject(window), m_app(app), m_window(window), m_status(statusBar)
{
    m_action = new QAction(QStringLiteral("保存后同步到终端"), this);
    m_action->setObjectName(QStringLiteral("actionSyncOnSave"));
    m_action->setCheckable(true);
    m_action->setStatusTip(QStringLiteral("保存画面后自动编译，并把变化的内容下载到终端、显示该画面"));
    m_action->setEnabled(m_app.isProjectOpen());
    // In the 文件 menu right after 工程管理.
    if (auto *main = qobject_cast<QMainWindow *>(window)) {
        if (QMenu *file = main->menuBar()->findChild<QMenu *>(QStringLiteral("menuFile"))) {
            const QList<QAction *> items = file->actions();
            QAction *before = nullptr;
            for (int i = 0; i + 1 < items.size() && !before; ++i)
                if (items[i]->data().toInt() == Cmd::ProjectManagement)
                    before = items[i + 1];
            file->insertAction(before, m_action);
        }
    }
    connect(m_action, &QAction::toggled, this, &HotReloadAction::toggled);
    connect(&m_app, &CMyApp::projectChanged, this, &HotReloadAction::projectChanged);
}

HotReloadAction::~HotReloadAction()
{
    stopSync();
}

void HotReloadAction::choosePort(const QString &device, int baud)
{
    m_device = device;
    m_baud = baud;
}

void HotReloadAction::projectChanged()
{
    m_action->setEnabled(m_app.isProjectOpen());
    // Another project (or none): the old one is no longer synchronised.
    if (m_action->isChecked() && (!m_app.isProjectOpen() || m_app.project().file != m_project.file))
        m_action->setChecked(false);
}

void HotReloadAction::toggled(bool on)
{
    if (!on) {
        stopSync();
        m_status->showMessage(QStringLiteral("保存后同步到终端：已停止"));
        return;
    }
    if (!m_app.isProjectOpen() || (m_device.isEmpty() && !askPort()) || !startSync()) {
        const QSignalBlocker block(m_action);
        m_action->setChecked(false);
    }
}

bool HotReloadAction::askPort()
{
    QDialog form(m_window);
    form.setObjectName(QStringLiteral("syncPortForm"));
    form.setWindowTitle(QStringLiteral("保存后同步到终端"));
    auto *layout = new QFormLayout(&form);
    auto *ports = new QComboBox(&form);
    ports->setObjectName(QStringLiteral("syncPort"));
    ports->setEditable(true);
    ports->addItems(detectPorts());
    ports->addItem(BuiltinTerminal::deviceName());
    auto *rates = new QComboBox(&form);
    rates->setObjectName(QStringLiteral("syncBaud"));
    for (const int rate : {9600, 19200, 38400, 57600, 115200, 230400, 460800, 921600, 1228800})
        rates->addItem(QString::number(rate));
    rates->setCurrentText(QString::number(m_baud));
    layout->addRow(QStringLiteral("串口："), ports);
    layout->addRow(QStringLiteral("波特率："), rates);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &form);
    layout->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &form, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &form, &QDialog::reject);
    if (form.exec() != QDialog::Accepted || ports->currentText().trimmed().isEmpty())
        return false;
    choosePort(ports->currentText().trimmed(), rates->currentText().toInt());
    return true;
}

bool HotReloadAction::startSync()
{
    stopSync();
    m_project = m_app.project();
    m_line = std::make_unique<PortLine>();
    m_line->setDevice(m_device);
    m_line->setSettings(QStringLiteral("%1,n,8,1").arg(m_baud));
    if (!m_line->open()) {
        QMessageBox::warning(m_window, QStringLiteral("保存后同步到终端"),
                             QStringLiteral("%1：%2").arg(m_device, m_line->errorString()));
        m_line.reset();
        return false;
    }
    m_reload = std::make_unique<HotReload>(m_project, *m_line);
    connect(m_reload.get(), &HotReload::progress, m_status,
            [this](const QString &text) { m_status->showMessage(QStringLiteral("同步到终端：") + text); });
    connect(m_reload.get(), &HotReload::roundDone, m_status, [this](const HotReload::Round &round) {
        m_status->showMessage(QStringLiteral("同步到终端：") + round.text());
    });
    connect(m_reload.get(), &HotReload::lineLost, this, [this](const QString &text) {
        m_status->showMessage(QStringLiteral("同步到终端：") + text);
        // Out of the line's own signal before the line goes.
        QMetaObject::invokeMethod(m_action, [this] { m_action->setChecked(false); },
                                  Qt::QueuedConnection);
    });
    // The app's own saves (the page save, the project save, the build)
    // need no settling wait: their files are all written when it says so.
    connect(&m_app, &CMyApp::projectFilesChanged, m_reload.get(), &HotReload::requestRound);
    m_reload->start();
    return true;
}

void HotReloadAction::stopSync()
{
    m_reload.reset();
    if (m_line) {
        m_line->close();
        m_line.reset();
    }
}

} // namespace h5

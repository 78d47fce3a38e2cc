#pragma once
// What the serial window tests share: h5800-sim started with its flash in a
// file and its device linked into a folder, message boxes collected instead
// of shown, widgets found by name, and the port opened through the widgets.

#include "port/PortTestSupport.h"

#include "support/ScriptedPrompts.h"
#include "support/TestUtil.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace h5test {

inline QString sha1(const QByteArray &b)
{
    return QString::fromLatin1(QCryptographicHash::hash(b, QCryptographicHash::Sha1).toHex());
}

// h5800-sim with its flash in a file and its device linked into `dir`.
class Sim
{
public:
    explicit Sim(const QTemporaryDir &dir, const QStringList &faults = {})
        : m_flash(dir.filePath(QStringLiteral("flash.bin"))),
          m_link(dir.filePath(QStringLiteral("tty"))),
          m_process(QStringList{QStringLiteral("--flash"), m_flash, QStringLiteral("--link"), m_link}
                    + faults)
    {
    }
    bool ok() const { return !m_process.device().isEmpty(); }
    QString port() const { return m_link; }
    // Stops the terminal (it saves its flash) and summarises the flash.
    QJsonObject flash()
    {
        m_process.stop();
        QProcess dump;
        dump.start(QStringLiteral(H5_SIM_PATH), {QStringLiteral("--dump-flash"), m_flash});
        dump.waitForFinished(20000);
        return QJsonDocument::fromJson(dump.readAllStandardOutput()).object();
    }

private:
    QString m_flash, m_link;
    SimDevice m_process;
};

// The prompts of a window: message boxes collected instead of shown,
// choosers and questions answered from the script.
struct Messages : ScriptedPrompts
{
    QStringList &texts = messages;
    bool has(const QString &part) const { return said(part); }
};

template <class T>
T *child(QWidget &window, const char *name)
{
    T *w = window.findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

// Runs what the windows posted for later (messages of their start).
inline void settle() { QCoreApplication::processEvents(); }

// The demo project, built once by the command-line tool.
struct Demo
{
    QTemporaryDir dir;
    QString folder, wgc, cbm;
    Demo()
    {
        const auto r = runCli({QStringLiteral("demo"), dir.path()});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        folder = dir.filePath(QStringLiteral("demo"));
        wgc = folder + QStringLiteral("/demo.wgc");
        cbm = folder + QStringLiteral("/图象位置信息.cbm");
    }
};

inline Demo &demo()
{
    static Demo d;
    return d;
}

inline QString statusText(QWidget &window) { return child<QLineEdit>(window, "statusBox")->text(); }

inline void openOn(QWidget &window, const QString &device)
{
    child<QComboBox>(window, "portCombo")->setEditText(device);
    child<QPushButton>(window, "openButton")->click();
}

} // namespace h5test

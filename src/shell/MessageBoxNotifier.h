#pragma once
// Messages and questions as modal message boxes, status text in a status
// bar: how the desktop app talks to the user.

#include "shell/ShellNotifier.h"

#include <QPointer>
#include <functional>

class QWidget;

namespace h5 {

class MessageBoxNotifier : public ShellNotifier
{
public:
    // `parent` owns the boxes (may be null); `status` shows status text
    // (may be empty: status text is then dropped).
    explicit MessageBoxNotifier(QWidget *parent = nullptr,
                                std::function<void(const QString &)> status = {});

    void setParent(QWidget *parent) { m_parent = parent; }
    void setStatusSink(std::function<void(const QString &)> status) { m_status = std::move(status); }

    void message(const QString &text) override;
    bool question(const QString &text) override;
    void status(const QString &text) override;
    SaveAnswer askSave(const QString &text) override;

private:
    QPointer<QWidget> m_parent;
    std::function<void(const QString &)> m_status;
};

} // namespace h5

#include "shell/CommandStates.h"

#include <QAction>
#include <QEvent>
#include <QWidget>

namespace h5 {

void CommandStates::bind(QAction *action, unsigned sources, StateFunction state)
{
    m_bindings.push_back({action, sources, std::move(state)});
    apply(m_bindings.back());
}

void CommandStates::update(unsigned sources)
{
    for (const Binding &b : m_bindings)
        if (b.sources & sources)
            apply(b);
}

void CommandStates::update(QAction *action)
{
    for (const Binding &b : m_bindings)
        if (b.action == action)
            apply(b);
}

void CommandStates::followShown(QWidget *widget, unsigned sources)
{
    m_shown.insert(widget, sources);
    widget->installEventFilter(this);
    // A widget that goes first must not leave its address behind for
    // another object to take.
    connect(widget, &QObject::destroyed, this, [this, widget] { m_shown.remove(widget); });
}

bool CommandStates::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show || event->type() == QEvent::Hide) {
        const auto it = m_shown.constFind(watched);
        if (it != m_shown.constEnd())
            update(it.value());
    }
    return QObject::eventFilter(watched, event);
}

void CommandStates::apply(const Binding &b)
{
    if (!b.action)
        return;
    const State s = b.state ? b.state() : State();
    b.action->setEnabled(s.enabled);
    if (b.action->isCheckable())
        b.action->setChecked(s.checked);
}

} // namespace h5

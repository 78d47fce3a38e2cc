#pragma once
// The enabled and checked states of the main frame's actions. Each action
// is bound once to a small function that computes its state and to the
// sources (CommandSource bits) that state depends on. A source's signal
// brings up to date the actions following it and nothing else: there is no
// poll of every action.
//
// Every connection made through follow() has this object as its context,
// so it ends when this object goes. The main frame destroys it first,
// before its bars, docks and page windows: a window torn down while
// signals still fire cannot reach an action state function any more.

#include "editor/CommandSources.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <functional>
#include <vector>

class QAction;
class QWidget;

namespace h5 {

class CommandStates : public QObject
{
    Q_OBJECT
public:
    struct State
    {
        bool enabled = false;
        bool checked = false;
    };
    using StateFunction = std::function<State()>;

    explicit CommandStates(QObject *parent = nullptr) : QObject(parent) {}

    // Binds `action` to `state`, brought up to date whenever one of
    // `sources` changes; the state is set at once.
    void bind(QAction *action, unsigned sources, StateFunction state);
    // Brings up to date the actions following any of `sources`.
    void update(unsigned sources);
    // Brings `action` up to date alone: a checkable action toggles itself
    // when triggered, whatever its command then does.
    void update(QAction *action);
    // The actions following any of `sources` are brought up to date on
    // each `signal` of `sender`, for as long as both live.
    template <typename Sender, typename Signal>
    QMetaObject::Connection follow(const Sender *sender, Signal signal, unsigned sources)
    {
        return connect(sender, signal, this, [this, sources] { update(sources); });
    }
    // The same for a widget with no signal of its own for being shown or
    // hidden (the status bar): its show and hide events.
    void followShown(QWidget *widget, unsigned sources);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Binding
    {
        QPointer<QAction> action;
        unsigned sources = 0;
        StateFunction state;
    };
    void apply(const Binding &binding);

    std::vector<Binding> m_bindings;
    QHash<QObject *, unsigned> m_shown; // widgets followed by their show and hide events
};

} // namespace h5

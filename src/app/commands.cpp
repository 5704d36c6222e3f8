#include "commands.h"

#include "toolkit/guard.h"

#include <QAbstractButton>
#include <QAction>

void CommandRegistry::bind(Command command, QAbstractButton *button, bool followsWork)
{
    Entry &entry = m_entries[command];
    QObject::connect(button, &QAbstractButton::clicked, button, [this, command] { run(command); });
    if (followsWork) {
        entry.buttons << button;
        button->setEnabled(bool(entry.work));
    }
}

void CommandRegistry::bind(Command command, QAction *action, bool followsWork)
{
    Entry &entry = m_entries[command];
    QObject::connect(action, &QAction::triggered, action, [this, command] { run(command); });
    if (followsWork) {
        entry.actions << action;
        action->setEnabled(bool(entry.work));
    }
}

void CommandRegistry::set(Command command, std::function<void()> work)
{
    Entry &entry = m_entries[command];
    entry.work = std::move(work);
    updateEnabled(entry);
}

bool CommandRegistry::hasWork(Command command) const
{
    auto it = m_entries.find(command);
    return it != m_entries.end() && bool(it->second.work);
}

void CommandRegistry::run(Command command) const
{
    auto it = m_entries.find(command);
    if (it == m_entries.end() || !it->second.work)
        return;
    // A copy: the work may replace itself (a window created on demand).
    const std::function<void()> work = it->second.work;
    guard::run(work);
}

void CommandRegistry::updateEnabled(const Entry &entry) const
{
    const bool enabled = bool(entry.work);
    for (const QPointer<QAbstractButton> &button : entry.buttons)
        if (button)
            button->setEnabled(enabled);
    for (const QPointer<QAction> &action : entry.actions)
        if (action)
            action->setEnabled(enabled);
}

#include "idlerefresh.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>
#include <QWidget>

IdleRefresh::IdleRefresh(QObject *parent) : QObject(parent) {}

void IdleRefresh::addRule(std::function<void()> rule)
{
    m_rules.push_back(std::move(rule));
}

void IdleRefresh::install()
{
    auto *dispatcher = QAbstractEventDispatcher::instance(QCoreApplication::instance()->thread());
    if (dispatcher)
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &IdleRefresh::run);
}

void IdleRefresh::run()
{
    if (m_running)
        return;
    m_running = true;
    for (const auto &rule : m_rules)
        rule();
    m_running = false;
}

void IdleRefresh::setShown(QWidget *widget, bool shown)
{
    if (widget && widget->isHidden() == shown)
        widget->setVisible(shown);
}

void IdleRefresh::setEnabled(QWidget *widget, bool enabled)
{
    if (widget && widget->testAttribute(Qt::WA_ForceDisabled) == enabled)
        widget->setEnabled(enabled);
}

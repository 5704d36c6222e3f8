#include "idlerefresh.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
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
    // A loop that processes events without ever waiting for them (a nested processEvents,
    // a wait with a deadline) never reaches that point. There the rules run as soon as
    // events are processed after the user's input, and a slow pulse keeps them true.
    QCoreApplication::instance()->installEventFilter(this);
    m_pulse.setInterval(kPulseMs);
    connect(&m_pulse, &QTimer::timeout, this, &IdleRefresh::run);
    m_pulse.start();
}

bool IdleRefresh::eventFilter(QObject *, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
        if (!m_queued) {
            m_queued = true;
            QMetaObject::invokeMethod(
                this,
                [this] {
                    m_queued = false;
                    run();
                },
                Qt::QueuedConnection);
        }
        break;
    default:
        break;
    }
    return false;
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

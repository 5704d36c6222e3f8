#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <vector>

class QWidget;

// Re-evaluates the enabled and visible states of controls each time the event loop (also a
// modal one) runs out of events. Rules are a few text comparisons each and must stay cheap.
class IdleRefresh : public QObject
{
    Q_OBJECT
public:
    explicit IdleRefresh(QObject *parent = nullptr);
    void addRule(std::function<void()> rule);
    void install();
    void run();

    // Change a state only when it differs, so that the refresh itself posts no events.
    static void setShown(QWidget *widget, bool shown);
    static void setEnabled(QWidget *widget, bool enabled);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static constexpr int kPulseMs = 100;
    std::vector<std::function<void()>> m_rules;
    bool m_running = false;
    bool m_queued = false;
    QTimer m_pulse;
};

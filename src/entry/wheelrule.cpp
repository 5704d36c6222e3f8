#include "wheelrule.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWheelEvent>
#include <QWidget>

WheelRule::WheelRule(QObject *owner) : QObject(owner) {}

WheelRule *WheelRule::install(QObject *owner)
{
    auto *rule = new WheelRule(owner);
    qApp->installEventFilter(rule);
    return rule;
}

bool WheelRule::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Wheel)
        return QObject::eventFilter(watched, event);
    auto *wheel = static_cast<QWheelEvent *>(event);
    const int delta = wheel->angleDelta().y();
    // A sideways tilt is no turn of the wheel and keeps its usual meaning.
    if (delta == 0 && wheel->angleDelta().x() != 0)
        return QObject::eventFilter(watched, event);
    // Taken here, so that the widget under the mouse never scrolls by itself and a turn
    // ignored there is not offered again to its parents.
    event->accept();
    // Touchpads announce the start and end of a scroll with events that carry no turn.
    if (delta == 0)
        return true;
    QWidget *focus = QApplication::focusWidget();
    if (!focus)
        return true;
    const int key = delta > 0 ? Qt::Key_Up : Qt::Key_Down;
    QKeyEvent press(QEvent::KeyPress, key, wheel->modifiers());
    QApplication::sendEvent(focus, &press);
    return true;
}

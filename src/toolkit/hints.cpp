#include "hints.h"

#include <QAction>
#include <QWidget>

namespace hints {

QString shortPart(const QString &hint)
{
    int bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.left(bar);
}

QString longPart(const QString &hint)
{
    int bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.mid(bar + 1);
}

void set(QWidget *widget, const QString &hint)
{
    widget->setToolTip(shortPart(hint));
    widget->setStatusTip(longPart(hint));
}

void set(QAction *action, const QString &hint)
{
    action->setToolTip(shortPart(hint));
    action->setStatusTip(longPart(hint));
}

} // namespace hints

#pragma once

#include <QString>

class QWidget;
class QAction;

// A hint "short|long": the short part is the tool tip, the long part the status-bar text.
// A hint without "|" serves as both.
namespace hints {
QString shortPart(const QString &hint);
QString longPart(const QString &hint);
void set(QWidget *widget, const QString &hint);
void set(QAction *action, const QString &hint);
} // namespace hints

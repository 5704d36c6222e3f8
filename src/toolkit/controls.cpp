#include "controls.h"

#include "hints.h"

#include <QPushButton>

namespace controls {

void name(QWidget *widget, const QString &objectName, const QString &caption)
{
    widget->setObjectName(objectName);
    if (!caption.isEmpty())
        widget->setAccessibleName(caption.trimmed());
}

QPushButton *commandButton(const QString &objectName, const QString &caption, const QString &hint,
                           QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    name(button, objectName, caption);
    hints::set(button, hint);
    return button;
}

} // namespace controls

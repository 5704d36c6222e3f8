#include "dialogs.h"

#include "screenfit.h"

#include <QRect>
#include <QWidget>

namespace dialogs {

void setTitle(QWidget *dialog, const QString &objectName, const QString &title)
{
    dialog->setObjectName(objectName);
    dialog->setWindowTitle(title);
    dialog->setAccessibleName(title.trimmed());
}

void centreOn(QWidget *dialog, QWidget *over)
{
    dialog->adjustSize();
    // The native window must exist for the frame to be counted in.
    dialog->winId();
    QRect frame = dialog->frameGeometry();
    frame.moveCenter(over->frameGeometry().center());
    dialog->move(frame.topLeft());
    // Over a window that reaches beyond the screen's edge, or near it, the centre is no place.
    screenfit::fit(dialog);
}

} // namespace dialogs

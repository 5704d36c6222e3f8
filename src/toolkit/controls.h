#pragma once

#include <QString>

class QPushButton;
class QWidget;

// Naming and making the controls of the windows.
namespace controls {

// Gives a control its object name and, when it has a caption, the caption as its
// accessible name.
void name(QWidget *widget, const QString &objectName, const QString &caption = QString());

// A push button with its caption and "short|long" hint.
QPushButton *commandButton(const QString &objectName, const QString &caption, const QString &hint,
                           QWidget *parent);

} // namespace controls

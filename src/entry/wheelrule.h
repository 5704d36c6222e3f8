#pragma once

#include <QObject>

// The program-wide wheel rule: every turn of the mouse wheel acts as one press of the Up
// or Down arrow key in the control that holds the input focus, whatever its size and
// wherever the mouse stands. One notch, or one small step of a high-resolution wheel,
// therefore moves a grid or a list by exactly one row.
class WheelRule : public QObject
{
    Q_OBJECT
public:
    // Installs the rule on the application for as long as owner lives.
    static WheelRule *install(QObject *owner);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit WheelRule(QObject *owner);
};

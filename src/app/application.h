#pragma once

#include <QApplication>

// The application object: Turkish locale and Qt dialogs in Turkish, and the general error
// handler that shows an error escaping any event handler and lets the program go on.
class Application : public QApplication
{
public:
    Application(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

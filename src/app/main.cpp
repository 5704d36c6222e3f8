#include "app/application.h"
#include "app/commandline.h"
#include "app/stafflistarrival.h"
#include "app/startuprescue.h"
#include "app/tform1.h"
#include "app/windows.h"
#include "settings/passwordgate.h"
#include "toolkit/messages.h"

int main(int argc, char *argv[])
{
    if (const int code = commandline::answerWithoutWindow(argc, argv); code >= 0)
        return code;
    Application app(argc, argv);
    if (const int code = commandline::useDataFolder(app.arguments().mid(1)); code >= 0)
        return code;
    QString error, detail;
    TForm1 *form = startuprescue::createMainWindow(&error, &detail);
    if (!form) {
        if (!error.isEmpty()) // empty: the user chose to stop when asked
            messages::showError(error, detail);
        return 1;
    }
    // A long staff list arrives after the window is shown; when it cannot be read the
    // program ends as when the database cannot be opened, without the exit question.
    bool listFailed = false;
    QObject::connect(form->staffList(), &StaffListArrival::failed, &app, [&listFailed] {
        listFailed = true;
        QCoreApplication::exit(1);
    });
    createWindows(form);
    form->showMaximized();
    // Without the password the program ends here: the window goes without being closed, so
    // there is no exit question and the settings file stays as it was.
    if (!passwordgate::atStartUp(form) || listFailed) {
        delete form;
        return listFailed ? 1 : 0;
    }
    const int code = app.exec();
    delete form;
    return code;
}

#include "application.h"

#include "data/dberror.h"
#include "toolkit/messages.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

static void initResources()
{
    Q_INIT_RESOURCE(meltora);
}

Application::Application(int &argc, char **argv) : QApplication(argc, argv)
{
    initResources();
    setApplicationName(QStringLiteral("Meltora"));
    setApplicationDisplayName(QString());
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    auto *translator = new QTranslator(this);
    if (translator->load(QLocale(QLocale::Turkish, QLocale::Turkey), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(translator);
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const DbError &e) {
        messages::showError(e);
    } catch (const std::exception &e) {
        messages::showError(e);
    }
    return false;
}

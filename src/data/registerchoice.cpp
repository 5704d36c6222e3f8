#include "registerchoice.h"

#include "programdir.h"
#include "schema.h"

namespace registerchoice
{

namespace
{

struct Choice {
    QString server;
    QString password;
};

Choice &choice()
{
    static Choice chosen;
    return chosen;
}

} // namespace

void useFile()
{
    choice() = {};
}

void useServer(const QString &connectionString)
{
    choice().server = connectionString;
}

bool isServer()
{
    return !choice().server.isEmpty();
}

QString serverConnection()
{
    return choice().server;
}

void setPassword(const QString &password)
{
    choice().password = password;
}

RegisterAddress current()
{
    RegisterAddress address;
    if (isServer()) {
        address.server = choice().server;
        address.password = choice().password;
    } else {
        address.path = ProgramDir::file(QString::fromLatin1(schema::kDatabaseFile));
        address.key = QByteArray(schema::kKey);
    }
    return address;
}

} // namespace registerchoice

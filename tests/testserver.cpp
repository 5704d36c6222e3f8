#include "testserver.h"

#include "data/database.h"
#include "data/registercopy.h"
#include "data/schema.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

namespace testserver
{

namespace
{

QString adminConnection()
{
    return qEnvironmentVariable("MELTORA_TEST_SERVER");
}

QString databaseName()
{
    return QStringLiteral("meltora_test_%1").arg(QCoreApplication::applicationPid());
}

void dropOwnDatabase()
{
    try {
        Database admin;
        admin.openServer(adminConnection());
        admin.exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(databaseName()));
    } catch (const DbError &e) {
        std::fprintf(stderr, "test server: %s\n", e.what());
    }
}

void makeOwnDatabase()
{
    Database admin;
    admin.openServer(adminConnection());
    admin.exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(databaseName()));
    admin.exec(QStringLiteral("CREATE DATABASE %1").arg(databaseName()));
    std::atexit(dropOwnDatabase);
    QString error;
    if (!registercopy::createOnServer(registerConnection(), &error))
        qFatal("test server: %s", qPrintable(error));
}

void emptyTables()
{
    Database db;
    db.openServer(registerConnection());
    // Each session stages Excel rows in a table of its own that hides the shared one; the
    // shared tables are named through their schema.
    QStringList tables;
    for (const schema::Table &table : schema::tables())
        tables << QStringLiteral("public.") + QString::fromLatin1(table.name);
    db.exec(QStringLiteral("TRUNCATE %1 RESTART IDENTITY").arg(tables.join(QStringLiteral(", "))));
}

} // namespace

bool active()
{
    static const bool server = [] {
        if (qEnvironmentVariable("MELTORA_TEST_BACKEND") != QLatin1String("server"))
            return false;
        if (adminConnection().isEmpty()) {
            std::fprintf(stderr, "MELTORA_TEST_SERVER is not set: no server to test on\n");
            std::exit(77);
        }
        return true;
    }();
    return server;
}

QString registerConnection()
{
    return adminConnection() + QStringLiteral(" dbname=") + databaseName();
}

QString freshRegister()
{
    static bool made = false;
    if (!made) {
        makeOwnDatabase();
        made = true;
    } else {
        emptyTables();
    }
    return registerConnection();
}

} // namespace testserver

#pragma once

#include "database.h"
#include "progress.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Moving a register between the file and a server: every row of the six tables, keys kept,
// in one transaction on the receiving side, then checked by counts and by a digest of each
// table's rows in key order, read back from both sides.
namespace registercopy
{

struct TableCheck {
    QString table;
    qlonglong rows = 0;
    QByteArray digest; // hex
};

struct Outcome {
    bool ok = false;
    QString error; // in Turkish, when not ok
    QList<TableCheck> tables;
    qlonglong rows = 0;
    qint64 milliseconds = 0;
};

// The rows and digest of each table, as read through `db`.
QList<TableCheck> checksOf(Database &db);

// Copies every row of `from` into `to`, whose tables must be empty; all or nothing.
Outcome copy(Database &from, Database &to, Progress *progress = nullptr);

// Makes the six tables on a server; refuses a database that already holds tables.
bool createOnServer(const QString &connectionString, QString *error);

// `meltora-db push`: a file register into an empty server database.
Outcome push(const QString &file, const QByteArray &key, const QString &connectionString);
// `meltora-db pull`: the server's register into a new encrypted Data.dat in `folder`,
// which must not hold one yet. The file appears only when it is complete and checked.
Outcome pull(const QString &connectionString, const QString &folder, const QByteArray &key);
// The register open on `server` written as an encrypted file at `target`, which appears
// only once it is complete and checked, in the place of an older file of that name: a backup.
Outcome pullToFile(const RegisterAddress &server, const QString &target, const QByteArray &key);

// Tidies the tables on a server (VACUUM (ANALYZE)) where the role may; the names of the
// tables tidied, none when the server's own upkeep looks after them. Throws DbError.
QStringList tidyServer(Database &db);

} // namespace registercopy

#pragma once

#include "fileops.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class Database;

// The database file as a whole: the engine's check, row counts, and a consistent copy of it
// while it is open.
namespace maintenance
{

// What the engine's check found in a database file.
struct Health {
    enum State { Sound, Damaged, Unreadable };
    State state = Unreadable;
    QStringList findings; // the check's own lines, when damaged
    QString reason;       // why it is not sound: the first finding or the error as the user reads it
    bool sound() const { return state == Sound; }
    // The Turkish message for a file that is not sound, with its path and the reason.
    QString errorText(const QString &path) const;
};

// The quick check reads every page once; the full one also compares each index with its table.
enum class Depth { Quick, Full };

Health checkDatabase(Database &db, Depth depth);
// Opens the file with the program's key and page size first.
Health checkFile(const QString &path, Depth depth);

// The number of rows of each of the program's tables, by table name; throws DbError.
QList<QPair<QString, qint64>> rowCounts(Database &db);

// A digest of everything the database holds: its schema, its user version and every row of
// every table (the engine's own key sequence included), in key order, read in one
// transaction. Two files with the same digest hold the same register, whatever their pages
// look like; equal row counts alone would not tell an old register from the current one.
// Throws DbError.
QByteArray contentDigest(Database &db);

// Copies the file of an open database to `target` (see writeFile) while holding the database
// so that nothing can write to it. The bytes are read through the connection's own file
// handle: closing a second handle on the file would drop the locks the connection holds.
// When the connection is already in a transaction, its lock is taken as the hold.
bool copyDatabase(Database &db, const QString &target, const FileSystem &fs, const Verify &verify,
                  QString *error);

// A Verify that the copy opens with the key and passes the quick check.
Verify opensAndPassesQuickCheck(const QString &shownAs);

} // namespace maintenance

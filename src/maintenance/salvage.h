#pragma once

#include "fileops.h"
#include "data/progress.h"

#include <QList>
#include <QString>

class Database;
struct sqlite3;

namespace maintenance
{

// Saves what can still be read of a damaged database into a new file: the rows of every
// table, copied one by one in key order, stepping over the parts that can no longer be
// read. The damaged file is only read.
class Salvage
{
public:
    struct TableCount {
        QString table;
        qint64 saved = 0;
        bool incomplete = false; // some of its rows could not be read
    };

    // A new name beside the damaged database: "Data_kurtarilan_2024-05-31_14-05-09.dat".
    static QString targetBeside(const QString &databasePath);

    // Writes the rows into a new database at `target` (under a temporary name until it is
    // complete and passes the quick check). False with a Turkish message when nothing could
    // be saved: the damaged file does not open, or the new one cannot be written.
    bool run(const QString &damaged, const QString &target, Progress *progress = nullptr);

    // The rescue of the program's own database when it is found damaged: the damaged file is
    // kept aside under a dated name ("Data_hasarli_2024-05-31_14-05-09.dat", see keptAs()) and
    // what can be read of it takes its place as a new database. At every moment there is a
    // database under its own name: the damaged one until the checked new one replaces it.
    bool rescueInPlace(const QString &databasePath, Progress *progress = nullptr);
    QString keptAs() const { return m_keptAs; }

    QList<TableCount> counts() const { return m_counts; }
    // The rows saved of one table; 0 for a table not salvaged.
    qint64 saved(const QString &table) const;
    // Whether some rows of any table could not be read.
    bool incomplete() const;
    QString error() const { return m_error; }

private:
    // Writes the readable rows into a new, checked file at `temporary`.
    bool saveInto(const QString &damaged, const QString &temporary, const QString &shownAs,
                  Progress *progress);
    bool keepAside(const QString &databasePath);
    void copyTable(sqlite3 *from, Database &to, const QString &table, const QStringList &columns,
                   TableCount *count);
    void keepSequence(sqlite3 *from, Database &to);

    Progress *m_progress = nullptr;
    QList<TableCount> m_counts;
    QString m_error;
    QString m_keptAs;
};

} // namespace maintenance

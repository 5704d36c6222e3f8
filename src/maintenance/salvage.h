#pragma once

#include "fileops.h"
#include "progress.h"

#include <QList>
#include <QString>

class Database;

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

    QList<TableCount> counts() const { return m_counts; }
    QString error() const { return m_error; }

private:
    void copyTable(Database &from, Database &to, const QString &table, const QStringList &columns,
                   TableCount *count);
    void keepSequence(Database &from, Database &to);

    Progress *m_progress = nullptr;
    QList<TableCount> m_counts;
    QString m_error;
};

} // namespace maintenance

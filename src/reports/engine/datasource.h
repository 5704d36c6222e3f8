#pragma once

#include <QHash>
#include <QString>

namespace report
{

// Rows that a report reads by index. The engine never walks a cursor row by row: a cursor
// move may have side effects (a detail list reloading at every master row).
class DataSource
{
public:
    virtual ~DataSource() = default;
    virtual int rowCount() const = 0;
    // The row the user has selected; -1 when there is none.
    virtual int currentRow() const = 0;
    // -1 for a field the source does not have.
    virtual int fieldIndex(const QString &field) const = 0;
    virtual QString text(int row, int field) const = 0;
    // Leaves the cursor on a row: the last one, once a master band has walked them all.
    virtual void moveTo(int row) = 0;
};

// The sources a report may name, by name.
using DataSources = QHash<QString, DataSource *>;

} // namespace report

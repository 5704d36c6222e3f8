#pragma once

// What the files of the dataset share and no one else sees: how a fetched row is held, what
// a reading gives, and the helpers that more than one of the dataset's jobs needs.

#include "dataset.h"
#include "turkish.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstring>
#include <vector>

// One fetched row: the end offset of each cell (bit 31 marks null), then the cells' UTF-8
// text back to back. One allocation per row keeps 100,000 staff rows small and quick to load.
struct Dataset::Row {
    QByteArray bytes;

    // A slot of the row list: empty once its row has been deleted.
    explicit operator bool() const { return !bytes.isNull(); }
    const Row *get() const { return bytes.isNull() ? nullptr : this; }
    Row *operator->() { return this; }
    const Row *operator->() const { return this; }
    Row &operator*() { return *this; }
    const Row &operator*() const { return *this; }
    void reset() { bytes = QByteArray(); }

    static constexpr quint32 kNull = 0x80000000u;

    quint32 header(int i) const
    {
        quint32 v;
        std::memcpy(&v, bytes.constData() + i * 4, 4);
        return v;
    }
    bool isNull(int field) const { return header(field) & kNull; }
    QByteArrayView text(int field, int fields) const
    {
        quint32 end = header(field) & ~kNull;
        quint32 begin = field == 0 ? 0 : header(field - 1) & ~kNull;
        return QByteArrayView(bytes.constData() + fields * 4 + begin, end - begin);
    }
    // The cell as the prefix search compares it.
    QString searchText(int field, int fields) const
    {
        return turkish::fold(QString::fromUtf8(text(field, fields)));
    }
};

// A statement ordered by a text column, whose rows the dataset orders itself.
struct Dataset::ClientOrder {
    QString statement; // without its Order By
    QString column;
    bool descending = false;
};

// Everything a statement returned, with what the dataset needs to know of its columns.
struct Dataset::Fetched {
    QStringList fieldNames;
    std::vector<Kind> kinds;
    std::vector<Row> rows;
    QStringList origins; // the table column behind each field; empty for a computed one
    QString table;       // the one table all columns come from; empty when several or none
    int foldedField = -1;
    std::vector<QString> folded; // that field of every row, folded for the prefix search
    Reading readBy;
    qint64 readStarted = 0; // when the reading began, on the steady clock (ns)
};

namespace datasetinternal {

// Builds a row from cells given as UTF-8 (isNull set for a null cell), in one allocation.
template <typename CellFn>
QByteArray packRow(int fields, CellFn cellAt)
{
    struct Cell {
        QByteArrayView text;
        bool isNull;
    };
    thread_local std::vector<Cell> cells;
    cells.resize(size_t(fields));
    qsizetype total = fields * 4;
    for (int i = 0; i < fields; ++i) {
        bool isNull = false;
        cells[size_t(i)].text = cellAt(i, isNull);
        cells[size_t(i)].isNull = isNull;
        total += cells[size_t(i)].text.size();
    }
    QByteArray row(total, Qt::Uninitialized);
    char *header = row.data();
    char *data = header + fields * 4;
    quint32 end = 0;
    for (int i = 0; i < fields; ++i) {
        const Cell &cell = cells[size_t(i)];
        if (!cell.text.isEmpty())
            std::memcpy(data + end, cell.text.data(), size_t(cell.text.size()));
        end += quint32(cell.text.size());
        const quint32 v = end | (cell.isNull ? 0x80000000u : 0);
        std::memcpy(header + i * 4, &v, 4);
    }
    return row;
}

// Values are compared as the table holds them: as text, a null being no text at all.
inline bool sameValue(const QVariant &a, const QVariant &b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull();
    return a.toString() == b.toString();
}

} // namespace datasetinternal

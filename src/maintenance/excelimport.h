#pragma once

#include "excelworkbook.h"

#include "data/progress.h"

#include <QStringList>
#include <QVariant>
#include <array>
#include <functional>
#include <optional>
#include <vector>

class Database;
class Dataset;

// The file and database work of the Excel import, without widgets: checking the ranges the
// user typed, turning worksheet cells into staged rows, and the staging table `veriler`.
namespace excelimport
{

inline constexpr int kFieldCount = 6;

// The six fields of a staged row, which are also the unit columns they are copied to;
// worksheet column c goes to field c - 1.
const QStringList &fields();
// Their titles in the list: "Birim Adı", ...
const QStringList &fieldTitles();

// What the range boxes hold, checked before anything is read.
struct RangeTexts {
    QString firstRow, lastRow, firstColumn, lastColumn;
};
struct RangeCheck {
    std::optional<ExcelRange> range;
    QString message; // why the range cannot be read
    int badBox = -1; // 0 to 3 in the order of RangeTexts
};
// Rows are 1 to the largest row of a worksheet; a last row before the first reads nothing.
// Columns are 1 to 6, the first not after the last.
RangeCheck checkRange(const RangeTexts &texts);

// The cells to read for a range: its rows, and its columns from the first, whose cell
// decides whether a row is read at all.
ExcelRange cellsToRead(const ExcelRange &range);

struct StagedRow {
    int sheetRow = 0;
    std::array<QString, kFieldCount> values;
};

// The rows of the range in order. A row whose first cell is empty, or holds only the
// end-of-file character of old exports, is passed over whatever its other cells hold; the
// range's columns go to their fields, and fields left empty take `emptyText`. A phone too
// long for its field is staged as the normaliser's first pass leaves it, or else without its
// blanks and separators.
std::vector<StagedRow> rowsFromSheet(const SheetCells &cells, const ExcelRange &range,
                                     const QString &emptyText);

// Values longer than their staging field takes, one line each ("Satır 14, Birim Telefonu:
// 17 karakter (en fazla 15)"); empty when all fit.
QStringList overlongValues(const std::vector<StagedRow> &rows);

enum class PhonePass { Strip, Pad, Group };

// The staging table. Each operation runs in one transaction: it is done whole or not at all.
// Errors of the database throw DbError.
class StagingTable
{
public:
    explicit StagingTable(Database &db) : m_db(db) {}

    // Appends the rows in their order; `staged` hears of each row once it is written.
    void append(const std::vector<StagedRow> &rows,
                const std::function<void(const StagedRow &)> &staged = {});
    // One pass of the phone normaliser over the telefonu of every staged row.
    void applyPhonePass(PhonePass pass);
    void clear();
    int count();

    // Staged rows, by their place in the list, whose phone is not in the stored form after
    // the normaliser: values it could not make into ten digits and kept as they were. An
    // empty phone and the empty-cell text are no phone to be made and are not counted.
    QList<int> phonesLeftAsTheyWere(const QString &emptyText);

    // Staged rows, by their place in the list (1 for the first), whose unit name is longer
    // than the unit table takes.
    QList<int> namesTooLongForUnits();

    struct Transfer {
        int count = 0;
        QVariant lastKey; // SiraNo of the last unit added
    };
    // Appends every staged row to the units, in the list's order, and empties the staging
    // table: all rows arrive or none do. `progress` hears of the rows moved.
    Transfer moveToUnits(Progress *progress = nullptr);

private:
    Database &m_db;
};

// Reopens the unit query on its statement after units were added beside it, keeping its
// sort, with the unit `key` current when the query shows it.
void showNewUnits(Dataset *okul, const QVariant &key);

} // namespace excelimport

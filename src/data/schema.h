#pragma once

#include <QString>
#include <QStringList>

// The six tables of Data.dat. Text sizes are enforced by named CHECK constraints, one per
// column, so that a refused value can be reported with its column.
namespace schema {

// The entry masks of the columns that the entry forms edit: the digits each needs, with
// the mask's brackets, blanks and full stops stored among them.
enum class Mask { None, Phone, Date };
int requiredDigits(Mask mask); // 10 for a phone number, 8 for a date, 0 without a mask
// Some of the mask's digits, not all: a value to refuse. No digit at all is no value.
bool isPartlyFilled(Mask mask, const QString &text);

struct Column {
    const char *name;
    enum Kind { Key, Integer, Text, Memo, YesNo } kind;
    int size; // characters, for Text
    Mask mask = Mask::None;
};

struct Table {
    const char *name;
    QList<Column> columns;
};

const QList<Table> &tables();
const Table *table(const QString &name);

// The column of that name in that table, in either case; null when there is none.
const Column *findColumn(const QString &table, const QString &column);
// Maximum characters of a text column, 0 when unlimited or unknown.
int textSize(const QString &table, const QString &column);
Mask maskOf(const QString &table, const QString &column);

// Statements that create the empty database.
QStringList createStatements();
// The same tables on a PostgreSQL server.
QStringList serverCreateStatements();
// The key column of a table.
QString keyOf(const Table &table);

// A staff row's unit must exist on a server: two offices, one deleting a unit while the other
// adds staff to it, would otherwise leave staff without a unit between them. The constraint
// is added at the end of a copy without checking the rows copied (a file may hold staff of a
// unit deleted long ago).
inline constexpr const char *kUnitLink = "uyeler_birimi";
QString serverUnitLinkStatement(bool checkExistingRows);

// Every change of a unit or staff row on a server is announced on this channel, so that the
// other offices' lists follow it: "table|kind|server process|keys", kind I, U or D, keys
// separated by commas, or "*" when a statement changed too many rows to name them.
inline constexpr const char *kNoticeChannel = "meltora_degisiklik";
// Rows above which a notice names no keys.
inline constexpr int kNoticeKeys = 400;
// The function and triggers that send the notices; harmless to run again.
QStringList serverNoticeStatements();
// Set for a transaction that announces its changes itself (a copy into an empty database).
inline constexpr const char *kQuietSetting = "meltora.sessiz";

// The server's Turkish collation (ICU), which sorts and folds case as the file's TR does.
inline constexpr const char *kServerCollation = "tr-TR-x-icu";

// The database key (the file's password).
inline constexpr const char *kKey = "kovanta47";
inline constexpr const char *kDatabaseFile = "Data.dat";

} // namespace schema

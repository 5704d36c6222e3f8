#pragma once

#include "dberror.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QVariant>
#include <memory>

struct ReadMark;
struct sqlite3;
struct sqlite3_stmt;

// The two places a register can live: the encrypted file beside the program, or a database
// on a PostgreSQL server shared by many offices. Database and Statement speak to either
// through these interfaces; the differences of the two (keys, the Turkish LIKE and collation,
// pragmas, how a new row's key comes back) live in the two implementations.

// Where a result column comes from: the table and column it reads, when it reads one.
struct ColumnSource {
    QString table;
    QString column;
    // The column's declared type as the file spells it (INTEGER, BOOLEAN, TEXT, REAL);
    // empty for a computed column, whose values tell.
    QByteArray declaredType;
};

// One prepared statement. Parameters are numbered from 1, columns from 0. Texts are UTF-8
// and stay valid until the next step.
class Cursor
{
public:
    virtual ~Cursor() = default;
    virtual int parameterCount() const = 0;
    // ":name" as written in the statement; empty for a "?".
    virtual QString parameterName(int index) const = 0;
    virtual void bind(int index, const QVariant &value) = 0; // throws DbError
    virtual bool step() = 0;                                // true on a row; throws DbError
    virtual void reset() = 0;                               // ready to run again, bindings kept
    virtual void clearBindings() = 0;                       // every parameter null again
    virtual int columnCount() const = 0;
    virtual QString columnName(int column) const = 0;
    virtual ColumnSource columnSource(int column) const = 0;
    virtual bool isNull(int column) const = 0;
    virtual bool isInteger(int column) const = 0;
    virtual bool isReal(int column) const = 0;
    // The value as text; no data (a null pointer) for a null value only.
    virtual QByteArrayView text(int column) const = 0;
    virtual qlonglong integer(int column) const = 0;
    // Rows the last run changed; the key of the row the last INSERT made.
    virtual qlonglong changes() const = 0;
    virtual qlonglong insertedKey() const = 0;
    // The file's own statement, for work that only the file does; null on a server.
    virtual sqlite3_stmt *fileStatement() const { return nullptr; }
};

// One connection to a register.
class Engine
{
public:
    enum class Begin { Deferred, Immediate, Exclusive };

    virtual ~Engine() = default;
    virtual std::unique_ptr<Cursor> prepare(const QString &sql) = 0; // throws DbError
    virtual void exec(const QString &sql) = 0;                       // throws DbError
    virtual void begin(Begin how) = 0;                               // throws DbError
    // Ends a transaction that may have failed half-way; never throws.
    virtual void rollbackQuietly() = 0;
    virtual QString lastError() const = 0;
    // Throws DbError::Kind::NotADatabase when one of the program's tables is missing.
    virtual void checkTables() = 0;
    virtual bool isReadOnly() const = 0;
    virtual void setBusyTimeout(int milliseconds) = 0;
    // The mark of what `statement` reads, and whether it still holds (see ReadMark).
    virtual ReadMark markFor(const QString &statement) = 0;
    virtual bool unchangedSince(const ReadMark &mark) = 0;
    virtual qlonglong dataVersion() = 0;
    // Cheap hints for long work: a bigger page cache while a bulk delete walks the file.
    virtual void hintLargeWork(bool on) { Q_UNUSED(on) }
    // Whether a second connection may read in the background while this one works.
    virtual bool readsInBackground() const { return true; }
    // What the status bar says of the register: the file, or the server and database.
    virtual QString description() const = 0;
    // Whether the way to the register is encrypted (the file always is), and whether it stays
    // on this computer (a server's local socket), where there is nothing to encrypt.
    virtual bool isEncrypted() const = 0;
    virtual bool isLocal() const { return true; }
    virtual bool isServer() const = 0;
    // Stops the statement running now, from another thread: the reader of a list that is no
    // longer wanted.
    virtual void interrupt() = 0;
    // Questions sent to a server so far and waited for; 0 for the file, which has no wire.
    virtual quint64 roundTrips() const { return 0; }
    // The server's process serving this connection, which the change notices name; 0 for
    // the file.
    virtual int serverProcess() const { return 0; }
    // The file's own connection, for work that only the file does; null on a server.
    virtual sqlite3 *fileHandle() const { return nullptr; }
};

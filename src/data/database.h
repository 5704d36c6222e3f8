#pragma once

#include "dberror.h"
#include "engine.h"

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// Where the file stood for the tables a statement reads, taken just before reading it: rows
// read after it are still what the statement gives while Database::unchangedSince() holds.
struct ReadMark {
    quint64 connection = 0;     // which opening of the file; 0 on a server, where no mark holds
    qlonglong dataVersion = -1; // other connections' commits, as this connection has seen them
    // Rows this connection changed, as the engine counts them and as the hook heard of them:
    // a change the hook does not hear of (a table emptied at once) leaves no table unchanged.
    qlonglong totalChanges = 0;
    quint64 heardChanges = 0;
    std::vector<QByteArray> tables; // the tables read, in lower case; empty: every table
    std::vector<quint64> changes;   // this connection's changes of each, or of all
};

// Where a register lives: the encrypted file and its key, or a server's connection string
// (libpq's: "service=meltora", "postgresql://host/meltora?sslmode=verify-full").
struct RegisterAddress {
    QString path;
    QByteArray key;
    QString server;   // set for a register on a server
    QString password; // typed for the server in this run; kept in memory only
    bool isServer() const { return !server.isEmpty(); }
};

// The one connection to the register. The file is opened read-write and never created here;
// the Turkish LIKE and the TR collation are registered on it. A server register is reached
// through libpq with the same statements: the server side turns them into its SQL.
//
// Another copy of the program may work on the same register: a statement that finds a row
// or the file locked waits for the lock a few seconds before it gives up with
// DbError::Kind::Busy.
class Database
{
public:
    // How long a statement waits for another program's lock.
    static constexpr int kBusyTimeoutMs = 5000;

    Database();
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    // Throws DbError of the kind that says what is wrong: the file is missing, is no
    // database of this program, or has another key.
    void open(const QString &path, const QByteArray &key);
    // The same, false with the engine's message in *error.
    bool open(const QString &path, const QByteArray &key, QString *error);
    // The register on a server; throws DbError (CannotOpen when the server cannot be reached
    // or refuses the login, NotADatabase when it holds no tables of the program).
    void openServer(const QString &connectionString, const QString &password = QString());
    // Either kind of register.
    void open(const RegisterAddress &address);
    // A connection that only reads, for one thread of its own (a list read in the
    // background); throws DbError like open().
    void openForReading(const QString &path, const QByteArray &key);
    void openForReading(const RegisterAddress &address);
    // Creates a new, empty database with the six tables; refuses to touch an existing file.
    static bool create(const QString &path, const QByteArray &key, QString *error);

    void close();
    bool isOpen() const { return m_engine != nullptr; }
    bool isServer() const { return m_engine && m_engine->isServer(); }
    // The file's path; empty for a register on a server.
    QString path() const { return m_address.path; }
    const RegisterAddress &address() const { return m_address; }
    // The file's own connection, for the work only a file has (copying, salvaging); null on
    // a server.
    sqlite3 *handle() const { return m_engine ? m_engine->fileHandle() : nullptr; }
    Engine *engine() const { return m_engine.get(); }
    // "Data.dat" with its folder, or the server and its database, for the status bar.
    QString description() const { return m_engine ? m_engine->description() : QString(); }
    bool isEncrypted() const { return m_engine && m_engine->isEncrypted(); }
    bool isLocal() const { return !m_engine || m_engine->isLocal(); }

    // Runs statements without results; throws DbError.
    void exec(const QString &sql);
    // First column of the first row, or a null value; throws DbError.
    QVariant scalar(const QString &sql);

    QString lastError() const;

    // Throws DbError::Kind::NotADatabase when one of the program's six tables is missing,
    // as in an empty file.
    void checkTables() const;
    // Whether nothing can be written: the file is write-protected, or its folder is, where
    // the engine keeps its journal while it writes. Tried on the disk at each call.
    bool isReadOnly() const;
    void setBusyTimeout(int milliseconds);

    // Changes with every commit of another connection to the file, of this program or of
    // another copy; -1 when it cannot be read.
    qlonglong dataVersion();
    // The mark of the tables `statement` reads, found by preparing it; throws DbError.
    ReadMark markFor(const QString &statement);
    // Whether neither this connection nor another has changed the marked tables since. A change
    // rolled back counts as a change. Never on a server, which tells no such thing cheaply.
    bool unchangedSince(const ReadMark &mark);

    // The engine's last error on `db`, with its kind.
    static DbError errorOf(sqlite3 *db);

    // Registers the Turkish LIKE and TR collation on any connection.
    static void registerTurkishFunctions(sqlite3 *db);

private:
    Engine &engineOrThrow() const;

    std::unique_ptr<Engine> m_engine;
    RegisterAddress m_address;
};

// A prepared statement that finalises itself, on either kind of register.
class Statement
{
public:
    Statement(Database &db, const QString &sql); // throws DbError
    Statement(sqlite3 *db, const QString &sql);  // the file's own connection; throws DbError
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    // The file's own statement; null on a server.
    sqlite3_stmt *get() const { return m_cursor->fileStatement(); }
    Cursor &cursor() const { return *m_cursor; }
    void bind(int index, const QVariant &value) { m_cursor->bind(index, value); }
    bool step() { return m_cursor->step(); } // true while a row is there; throws DbError
    void reset() { m_cursor->reset(); }
    void clearBindings() { m_cursor->clearBindings(); }
    int columnCount() const { return m_cursor->columnCount(); }
    bool isNull(int column) const { return m_cursor->isNull(column); }
    QByteArrayView text(int column) const { return m_cursor->text(column); }
    QString string(int column) const { return QString::fromUtf8(m_cursor->text(column)); }
    qlonglong integer(int column) const { return m_cursor->integer(column); }
    // An integer, a text or null, as the column holds it.
    QVariant value(int column) const;
    qlonglong changes() const { return m_cursor->changes(); }
    qlonglong insertedKey() const { return m_cursor->insertedKey(); }

private:
    std::unique_ptr<Cursor> m_cursor;
};

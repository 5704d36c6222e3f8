#pragma once

#include "dberror.h"

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// Where the file stood for the tables a statement reads, taken just before reading it: rows
// read after it are still what the statement gives while Database::unchangedSince() holds.
struct ReadMark {
    quint64 connection = 0;     // which opening of the file
    qlonglong dataVersion = -1; // other connections' commits, as this connection has seen them
    // Rows this connection changed, as the engine counts them and as the hook heard of them:
    // a change the hook does not hear of (a table emptied at once) leaves no table unchanged.
    qlonglong totalChanges = 0;
    quint64 heardChanges = 0;
    std::vector<QByteArray> tables; // the tables read, in lower case; empty: every table
    std::vector<quint64> changes;   // this connection's changes of each, or of all
};

// The one connection to Data.dat. The file is opened read-write and never created here;
// the Turkish LIKE and the TR collation are registered on it.
//
// Another copy of the program may work on the same file: a statement that finds the file
// locked waits for the lock a few seconds before it gives up with DbError::Kind::Busy.
class Database
{
public:
    // How long a statement waits for another program's lock.
    static constexpr int kBusyTimeoutMs = 5000;

    Database() = default;
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    // Throws DbError of the kind that says what is wrong: the file is missing, is no
    // database of this program, or has another key.
    void open(const QString &path, const QByteArray &key);
    // The same, false with the engine's message in *error.
    bool open(const QString &path, const QByteArray &key, QString *error);
    // A connection that only reads, for one thread of its own (a list read in the
    // background); throws DbError like open().
    void openForReading(const QString &path, const QByteArray &key);
    // Creates a new, empty database with the six tables; refuses to touch an existing file.
    static bool create(const QString &path, const QByteArray &key, QString *error);

    void close();
    bool isOpen() const { return m_db != nullptr; }
    QString path() const { return m_path; }
    sqlite3 *handle() const { return m_db; }

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
    // rolled back counts as a change.
    bool unchangedSince(const ReadMark &mark);

    // The engine's last error on `db`, with its kind.
    static DbError errorOf(sqlite3 *db);

    // Registers the Turkish LIKE and TR collation on any connection.
    static void registerTurkishFunctions(sqlite3 *db);

private:
    static sqlite3 *openHandle(const QString &path, const QByteArray &key, int flags); // throws
    void countChanges();
    quint64 &counterOf(const char *table);
    quint64 changesOfLowerCase(const QByteArray &table) const;
    static int authorize(void *self, int action, const char *first, const char *, const char *,
                         const char *);
    static void rowChanged(void *self, int, const char *, const char *table, long long);

    sqlite3 *m_db = nullptr;
    QString m_path;
    quint64 m_connection = 0;
    // Rows changed per table (lower-case name), and in all.
    std::vector<std::pair<QByteArray, quint64>> m_changes;
    quint64 m_heardChanges = 0;
    // While markFor() prepares a statement: the tables it reads.
    std::vector<QByteArray> *m_tablesRead = nullptr;
};

// A prepared statement that finalises itself.
class Statement
{
public:
    Statement(sqlite3 *db, const QString &sql); // throws DbError
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    sqlite3_stmt *get() const { return m_stmt; }
    void bind(int index, const QVariant &value);
    bool step(); // true while a row is there; throws DbError
private:
    sqlite3 *m_db;
    sqlite3_stmt *m_stmt = nullptr;
};

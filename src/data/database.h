#pragma once

#include "dberror.h"

#include <QString>
#include <QVariant>

struct sqlite3;
struct sqlite3_stmt;

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

    // The engine's last error on `db`, with its kind.
    static DbError errorOf(sqlite3 *db);

    // Registers the Turkish LIKE and TR collation on any connection.
    static void registerTurkishFunctions(sqlite3 *db);

private:
    static sqlite3 *openHandle(const QString &path, const QByteArray &key, int flags); // throws
    sqlite3 *m_db = nullptr;
    QString m_path;
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

#pragma once

#include <QString>
#include <QVariant>

struct sqlite3;
struct sqlite3_stmt;

// The one connection to Data.dat. The file is opened read-write and never created here;
// the Turkish LIKE and the TR collation are registered on it.
class Database
{
public:
    Database() = default;
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    // False with the engine's message in *error when the file is missing, is no database
    // or has another key.
    bool open(const QString &path, const QByteArray &key, QString *error);
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

    // Registers the Turkish LIKE and TR collation on any connection.
    static void registerTurkishFunctions(sqlite3 *db);

private:
    static bool openHandle(const QString &path, const QByteArray &key, int flags, sqlite3 **db,
                           QString *error);
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

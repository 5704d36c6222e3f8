#pragma once

#include "engine.h"

#include <vector>

struct ReadMark;

// The register as the encrypted file beside the program (SQLCipher).
class FileEngine : public Engine
{
public:
    // Opens `path` with `flags` of the engine; throws DbError.
    FileEngine(const QString &path, const QByteArray &key, int flags);
    ~FileEngine() override;

    std::unique_ptr<Cursor> prepare(const QString &sql) override;
    void exec(const QString &sql) override;
    void begin(Begin how) override;
    void rollbackQuietly() override;
    QString lastError() const override;
    void checkTables() override;
    bool isReadOnly() const override;
    void setBusyTimeout(int milliseconds) override;
    ReadMark markFor(const QString &statement) override;
    bool unchangedSince(const ReadMark &mark) override;
    qlonglong dataVersion() override;
    void hintLargeWork(bool on) override;
    QString description() const override;
    bool isEncrypted() const override { return true; }
    bool isServer() const override { return false; }
    void interrupt() override;
    sqlite3 *fileHandle() const override { return m_db; }

    // The engine's last error on `db`, with its kind.
    static DbError errorOf(sqlite3 *db);
    // Registers the Turkish LIKE and TR collation on any connection.
    static void registerTurkishFunctions(sqlite3 *db);
    // Opens the file with the key and the program's functions; throws DbError.
    static sqlite3 *openHandle(const QString &path, const QByteArray &key, int flags);
    // A statement on any connection to a file.
    static std::unique_ptr<Cursor> prepareOn(sqlite3 *db, const QString &sql);

private:
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
    qlonglong m_cacheBefore = -2000; // the page cache before long work asked for more
    // While markFor() prepares a statement: the tables it reads.
    std::vector<QByteArray> *m_tablesRead = nullptr;
};

#pragma once

#include "engine.h"

#include <QHash>
#include <QStringList>
#include <vector>

struct pg_conn;
struct pg_result;
struct pg_cancel;
class ServerCursor;

// libpq's keywords and values for a connection string and a password typed in this run.
struct ServerParameters {
    ServerParameters(const QString &connectionString, const QString &password);
    ServerParameters(const ServerParameters &) = delete;
    ServerParameters &operator=(const ServerParameters &) = delete;
    std::vector<const char *> keys;
    std::vector<const char *> values;

private:
    QByteArray m_conninfo;
    QByteArray m_secret;
};

// The register as a database on a PostgreSQL server, reached through libpq. The program's
// statements are turned into the server's SQL (serversql.h); results come back as text and
// are handed on as the file gives them: integers, texts, and 1/0 for the yes/no columns.
class ServerEngine : public Engine
{
public:
    enum class Use { ReadWrite, Reading };

    // Connects; throws DbError: PasswordNeeded when the server asks for a password that
    // libpq's own sources (~/.pgpass, a service file) do not give, CannotOpen when the server
    // cannot be reached or refuses the login.
    ServerEngine(const QString &connectionString, Use use, const QString &password = QString());
    ~ServerEngine() override;

    std::unique_ptr<Cursor> prepare(const QString &sql) override;
    void exec(const QString &sql) override;
    void begin(Begin how) override;
    void rollbackQuietly() override;
    QString lastError() const override { return m_lastError; }
    void checkTables() override;
    bool isReadOnly() const override;
    void setBusyTimeout(int milliseconds) override;
    ReadMark markFor(const QString &statement) override;
    bool unchangedSince(const ReadMark &mark) override;
    qlonglong dataVersion() override { return -1; }
    QString description() const override;
    bool isEncrypted() const override;
    bool isLocal() const override;
    bool isServer() const override { return true; }
    void interrupt() override;
    quint64 roundTrips() const override { return m_roundTrips; }
    int serverProcess() const override;
    void countRoundTrip() { ++m_roundTrips; }

    // For the cursors.
    pg_conn *connection() const { return m_conn; }
    // A cursor still receiving rows keeps the connection busy: it takes the rest of them
    // in before another statement is sent.
    void takeConnection(ServerCursor *cursor);
    void releaseConnection(ServerCursor *cursor);
    // Where a result column comes from, by the server's table and column numbers.
    ColumnSource sourceOf(unsigned tableOid, int columnNumber);
    // `sql` is the statement that failed, where a cursor ran one.
    DbError errorOf(pg_result *result, const QByteArray &sql = QByteArray());
    // A connection the server or the network dropped is made again before the next statement,
    // unless a transaction was open on it: that transaction is gone, and saying so is all
    // that is left. Throws DbError::Kind::ServerLost when the server is still away.
    void ensureConnected();
    void noteError(const QString &text) { m_lastError = text; }
    // The server's SQL for one of the program's statements, run without parameters.
    void run(const QByteArray &sql);

private:
    void loadColumns();
    void makeOwnStagingTable();
    // What a new session needs: the lock wait, and a staging table or reading only.
    void prepareSession();
    void noteTransactionEnd(const QByteArray &sql);

    Use m_use;
    bool m_inTransaction = false;

    pg_conn *m_conn = nullptr;
    pg_cancel *m_cancel = nullptr;
    ServerCursor *m_streaming = nullptr;
    mutable quint64 m_roundTrips = 0;
    QString m_lastError;
    // The program's tables' columns by (table oid, column number).
    QHash<quint64, ColumnSource> m_columns;
};

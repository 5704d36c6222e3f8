#include "serverengine.h"

#include "database.h"
#include "schema.h"
#include "serversql.h"

#include <QRegularExpression>
#include <libpq-fe.h>
#include <deque>
#include <vector>

namespace
{

// The server's type numbers of the columns the program's tables use.
constexpr Oid kBool = 16;
constexpr Oid kInt8 = 20;
constexpr Oid kInt2 = 21;
constexpr Oid kInt4 = 23;
constexpr Oid kOid = 26;
constexpr Oid kFloat4 = 700;
constexpr Oid kFloat8 = 701;
constexpr Oid kNumeric = 1700;

bool isIntegerType(Oid type)
{
    return type == kInt8 || type == kInt2 || type == kInt4 || type == kOid || type == kBool;
}

bool isRealType(Oid type)
{
    return type == kFloat4 || type == kFloat8 || type == kNumeric;
}

QByteArray declaredTypeOf(Oid type)
{
    if (type == kBool)
        return "BOOLEAN";
    if (isIntegerType(type))
        return "INTEGER";
    if (isRealType(type))
        return "REAL";
    return "TEXT";
}

bool isYesNo(const QString &tableName, const QString &columnName)
{
    const schema::Column *column = schema::findColumn(tableName, columnName);
    return column && column->kind == schema::Column::YesNo;
}

quint64 columnKey(Oid table, int column)
{
    return (quint64(table) << 16) | quint64(quint16(column));
}

QString textOf(const char *text)
{
    return QString::fromUtf8(text).trimmed();
}

// libpq's words on a connection that did not come about, sorted by what the user can do.
DbError connectionError(PGconn *conn)
{
    const QString text = textOf(PQerrorMessage(conn));
    if (PQconnectionNeedsPassword(conn))
        return DbError(DbError::Kind::PasswordNeeded, text);
    // The server answered and said no: the role, the password or the database.
    static const QRegularExpression refused(
        QStringLiteral("password authentication failed|authentication failed|no pg_hba.conf entry|"
                       "role \"[^\"]*\" does not exist|database \"[^\"]*\" does not exist|"
                       "permission denied"));
    if (PQconnectionUsedPassword(conn) || refused.match(text).hasMatch())
        return DbError(DbError::Kind::LoginRefused, text);
    // The encrypted way failed: no trusted root, a name that does not match, no TLS there.
    static const QRegularExpression untrusted(
        QStringLiteral("certificate|SSL|server does not support SSL|root.crt"), QRegularExpression::CaseInsensitiveOption);
    if (untrusted.match(text).hasMatch())
        return DbError(DbError::Kind::ServerNotTrusted, text);
    return DbError(DbError::Kind::ServerUnreachable, text);
}

// A refused value names its check, "okul.okul_adi", after its column, as on the file.
DbError checkError(const QString &text, const QString &constraint)
{
    const qsizetype dot = constraint.indexOf(u'.');
    if (dot < 0)
        return DbError(DbError::Kind::Engine, text);
    const QString table = constraint.left(dot);
    const QString column = serversql::spellingOf(constraint.mid(dot + 1), {});
    return DbError(DbError::Kind::TooLong, text, column, schema::textSize(table, column));
}

struct ResultDeleter {
    void operator()(PGresult *result) const { PQclear(result); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

} // namespace

// ---------------------------------------------------------------- statements

// A statement of the program on the server. It runs at its first step with the values bound
// since; a SELECT's rows stream in one by one, so that a long list needs no second copy of
// itself in memory, unless another statement needs the connection before they are all in.
class ServerCursor : public Cursor
{
public:
    ServerCursor(ServerEngine &engine, const QString &sql)
        : m_engine(engine), m_sql(serversql::translate(sql))
    {
        m_values.resize(size_t(m_sql.parameterNames.size()));
        m_bound.resize(m_values.size(), false);
        m_returnsKey = addKeyReturning();
        addKeyOrder();
    }
    ~ServerCursor() override { finish(); }

    int parameterCount() const override { return int(m_values.size()); }
    QString parameterName(int index) const override
    {
        const QString &name = m_sql.parameterNames.value(index - 1);
        return name.isEmpty() ? QString() : u':' + name;
    }
    void bind(int index, const QVariant &value) override
    {
        if (index < 1 || index > parameterCount())
            throw DbError(DbError::Kind::Engine, QStringLiteral("bind index out of range"));
        QByteArray &slot = m_values[size_t(index - 1)];
        m_bound[size_t(index - 1)] = !value.isNull();
        if (value.isNull())
            slot.clear();
        else if (value.typeId() == QMetaType::Bool)
            slot = value.toBool() ? "1" : "0";
        else
            slot = value.toString().toUtf8();
    }

    bool step() override
    {
        if (!m_started)
            start();
        if (m_returnsKey) {
            // The file tells the new key after the INSERT; here it comes back as its row.
            takeTheRestIn();
            if (m_error)
                throwError();
            if (!m_rows.empty())
                m_insertedKey = QByteArray(PQgetvalue(m_rows.front().get(), 0, 0)).toLongLong();
            m_rows.clear();
            return false;
        }
        return nextRow();
    }

    void reset() override
    {
        finish();
        m_started = false;
        m_rows.clear();
        m_current = nullptr;
        m_header.reset();
        m_end.reset();
        m_error.reset();
    }

    void clearBindings() override
    {
        for (size_t i = 0; i < m_values.size(); ++i) {
            m_values[i].clear();
            m_bound[i] = false;
        }
    }
    int columnCount() const override { return PQnfields(header()); }
    QString columnName(int column) const override
    {
        return serversql::spellingOf(QString::fromUtf8(PQfname(header(), column)),
                                     m_sql.identifiers);
    }
    ColumnSource columnSource(int column) const override
    {
        PGresult *described = header();
        const Oid table = PQftable(described, column);
        ColumnSource source;
        if (table != InvalidOid)
            source = m_engine.sourceOf(table, PQftablecol(described, column));
        if (source.declaredType.isEmpty() && table != InvalidOid)
            source.declaredType = declaredTypeOf(PQftype(described, column));
        return source;
    }
    bool isNull(int column) const override
    {
        return !m_current || PQgetisnull(m_current, m_row, column);
    }
    bool isInteger(int column) const override
    {
        return !isNull(column) && isIntegerType(PQftype(m_current, column));
    }
    bool isReal(int column) const override
    {
        return !isNull(column) && isRealType(PQftype(m_current, column));
    }
    QByteArrayView text(int column) const override
    {
        if (isNull(column))
            return {};
        const char *value = PQgetvalue(m_current, m_row, column);
        if (PQftype(m_current, column) == kBool)
            return QByteArrayView(*value == 't' ? "1" : "0", 1);
        return QByteArrayView(value, PQgetlength(m_current, m_row, column));
    }
    qlonglong integer(int column) const override
    {
        if (isNull(column))
            return 0;
        const char *value = PQgetvalue(m_current, m_row, column);
        if (PQftype(m_current, column) == kBool)
            return *value == 't' ? 1 : 0;
        return QByteArray(value).toLongLong();
    }
    qlonglong changes() const override { return m_changes; }
    qlonglong insertedKey() const override { return m_insertedKey; }

    // Takes in the rows still on their way, so that the connection is free.
    void takeTheRestIn()
    {
        if (!m_streaming)
            return;
        m_streaming = false;
        m_engine.releaseConnection(this);
        PGconn *conn = m_engine.connection();
        while (PGresult *result = PQgetResult(conn)) {
            if (PQresultStatus(result) == PGRES_SINGLE_TUPLE)
                m_rows.emplace_back(result);
            else
                settle(Result(result));
        }
    }

private:
    // The statement the program means by an INSERT into one of its tables comes back with the
    // new row's key, which the file gives without being asked.
    bool addKeyReturning()
    {
        static const QRegularExpression insert(
            QStringLiteral("^\\s*INSERT\\s+INTO\\s+(\\w+)"), QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch m = insert.match(QString::fromUtf8(m_sql.text));
        if (!m.hasMatch() || m_sql.text.toUpper().contains("RETURNING"))
            return false;
        const schema::Table *table = schema::table(m.captured(1));
        if (!table)
            return false;
        for (const schema::Column &column : table->columns)
            if (column.kind == schema::Column::Key) {
                m_sql.text += " RETURNING " + QByteArray(column.name);
                return true;
            }
        return false;
    }

    // The file gives a table's rows in key order when a statement names no order, and the
    // lists rely on it (staged rows stay in the workbook's order; equal names stay in the
    // order they were entered). The server gives them as they lie on its pages, which an
    // update changes: the key order is asked for.
    void addKeyOrder()
    {
        static const QRegularExpression wholeRows(
            QStringLiteral("^\\s*SELECT\\s+\\*\\s+FROM\\s+(\\w+)\\b"), QRegularExpression::CaseInsensitiveOption);
        static const QRegularExpression ordered(
            QStringLiteral("\\b(ORDER|GROUP)\\s+BY\\b|\\bLIMIT\\b|\\bUNION\\b|;"),
            QRegularExpression::CaseInsensitiveOption);
        const QString text = QString::fromUtf8(m_sql.text);
        const QRegularExpressionMatch m = wholeRows.match(text);
        if (!m.hasMatch() || ordered.match(text).hasMatch())
            return;
        if (const schema::Table *table = schema::table(m.captured(1)))
            m_sql.text += " ORDER BY " + schema::keyOf(*table).toUtf8();
    }

    void start()
    {
        m_started = true;
        m_changes = 0;
        m_engine.ensureConnected();
        m_engine.takeConnection(this);
        PGconn *conn = m_engine.connection();
        std::vector<const char *> values(m_values.size());
        std::vector<int> lengths(m_values.size());
        for (size_t i = 0; i < m_values.size(); ++i) {
            values[i] = m_bound[i] ? m_values[i].constData() : nullptr;
            lengths[i] = int(m_values[i].size());
        }
        m_engine.countRoundTrip();
        if (!PQsendQueryParams(conn, m_sql.text.constData(), int(values.size()), nullptr,
                               values.data(), lengths.data(), nullptr, 0)) {
            m_engine.releaseConnection(this);
            throw m_engine.errorOf(nullptr, m_sql.text);
        }
        PQsetSingleRowMode(conn);
        m_streaming = true;
        // The first answer says whether the statement ran, and brings the columns.
        fetchOne();
    }

    // Receives the next result from the server while rows stream in.
    void fetchOne()
    {
        PGresult *result = PQgetResult(m_engine.connection());
        if (!result) {
            m_streaming = false;
            m_engine.releaseConnection(this);
            return;
        }
        if (PQresultStatus(result) == PGRES_SINGLE_TUPLE) {
            m_rows.emplace_back(result);
            return;
        }
        settle(Result(result));
        takeTheRestIn();
    }

    // The last result of a statement: its end, its count of changed rows, or its error.
    void settle(Result result)
    {
        const ExecStatusType status = PQresultStatus(result.get());
        if (status == PGRES_TUPLES_OK || status == PGRES_COMMAND_OK || status == PGRES_EMPTY_QUERY) {
            m_changes = QByteArray(PQcmdTuples(result.get())).toLongLong();
            if (status == PGRES_TUPLES_OK)
                m_end = std::move(result);
            return;
        }
        if (!m_error)
            m_error = std::make_unique<DbError>(m_engine.errorOf(result.get(), m_sql.text));
    }

    bool nextRow()
    {
        if (m_error)
            throwError();
        if (!m_rows.empty() && m_current == m_rows.front().get()) {
            m_rows.pop_front();
            m_current = nullptr;
        }
        while (m_rows.empty() && m_streaming)
            fetchOne();
        if (m_error)
            throwError();
        if (m_rows.empty())
            return false;
        m_current = m_rows.front().get();
        m_row = 0;
        if (!m_header)
            m_header.reset(PQcopyResult(m_current, PG_COPYRES_ATTRS));
        return true;
    }

    [[noreturn]] void throwError()
    {
        const DbError error = *m_error;
        m_error.reset();
        throw error;
    }


    // The result that describes the columns: the first row's, or the end's when none came.
    // Asked before the first step, it runs the statement with the values bound so far.
    PGresult *header() const
    {
        auto *self = const_cast<ServerCursor *>(this);
        if (!m_started)
            self->start();
        if (m_header)
            return m_header.get();
        if (m_current)
            return m_current;
        while (m_rows.empty() && m_streaming)
            self->fetchOne();
        if (!m_rows.empty())
            return m_rows.front().get();
        if (m_end)
            return m_end.get();
        if (m_error)
            self->throwError();
        // A statement without rows (an UPDATE) describes no columns.
        self->m_header.reset(PQmakeEmptyPGresult(m_engine.connection(), PGRES_COMMAND_OK));
        return m_header.get();
    }

    void finish()
    {
        if (m_streaming) {
            // Rows nobody will read: the rest of the answer is waited for and dropped.
            m_streaming = false;
            m_engine.releaseConnection(this);
            while (PGresult *result = PQgetResult(m_engine.connection()))
                PQclear(result);
        }
    }

    ServerEngine &m_engine;
    serversql::Translated m_sql;
    std::vector<QByteArray> m_values;
    std::vector<bool> m_bound;
    bool m_returnsKey = false;
    bool m_started = false;
    bool m_streaming = false;
    std::deque<Result> m_rows;
    PGresult *m_current = nullptr;
    int m_row = 0;
    Result m_header;
    Result m_end;
    std::unique_ptr<DbError> m_error;
    qlonglong m_changes = 0;
    qlonglong m_insertedKey = 0;
};

// ---------------------------------------------------------------- the connection

ServerParameters::ServerParameters(const QString &connectionString, const QString &password)
    : m_conninfo(connectionString.toUtf8()), m_secret(password.toUtf8())
{
    // The string's own settings win over these, except the encoding, which the program needs.
    // Keepalives tell a dropped network from a quiet one within half a minute.
    keys = {"connect_timeout", "application_name", "keepalives_idle", "keepalives_interval",
            "keepalives_count", "dbname"};
    values = {"10", "Meltora", "10", "5", "3", m_conninfo.constData()};
    if (!password.isEmpty()) {
        keys.push_back("password");
        values.push_back(m_secret.constData());
    }
    keys.push_back("client_encoding");
    values.push_back("UTF8");
    keys.push_back(nullptr);
    values.push_back(nullptr);
}

ServerEngine::ServerEngine(const QString &connectionString, Use use, const QString &password)
    : m_use(use)
{
    const ServerParameters parameters(connectionString, password);
    m_conn = PQconnectdbParams(parameters.keys.data(), parameters.values.data(), 1);
    if (!m_conn)
        throw DbError(DbError::Kind::ServerUnreachable, QStringLiteral("out of memory"));
    if (PQstatus(m_conn) != CONNECTION_OK) {
        const DbError error = connectionError(m_conn);
        PQfinish(m_conn);
        m_conn = nullptr;
        throw error;
    }
    // The server's notices (a table already there, a statement skipped) are for its operator.
    PQsetNoticeProcessor(m_conn, [](void *, const char *) {}, nullptr);
    m_cancel = PQgetCancel(m_conn);
    try {
        prepareSession();
        loadColumns();
    } catch (...) {
        PQfreeCancel(m_cancel);
        PQfinish(m_conn);
        throw;
    }
}

void ServerEngine::prepareSession()
{
    // A row another office holds is waited for as long as a locked file is.
    setBusyTimeout(Database::kBusyTimeoutMs);
    if (m_use == Use::Reading)
        run("SET default_transaction_read_only = on");
    else
        makeOwnStagingTable();
}

void ServerEngine::ensureConnected()
{
    // A server that went away while the connection was idle has said so, or closed it: what
    // is waiting on the socket is read first (without waiting), so that the statement goes
    // to a connection made again rather than fail on the dead one.
    if (PQstatus(m_conn) == CONNECTION_OK)
        PQconsumeInput(m_conn);
    if (PQstatus(m_conn) == CONNECTION_OK)
        return;
    if (m_inTransaction)
        throw DbError(DbError::Kind::ServerLost, textOf(PQerrorMessage(m_conn)));
    m_streaming = nullptr;
    PQreset(m_conn);
    if (PQstatus(m_conn) != CONNECTION_OK)
        throw DbError(DbError::Kind::ServerLost, textOf(PQerrorMessage(m_conn)));
    PQsetNoticeProcessor(m_conn, [](void *, const char *) {}, nullptr);
    PQfreeCancel(m_cancel);
    m_cancel = PQgetCancel(m_conn);
    prepareSession();
}

int ServerEngine::serverProcess() const
{
    return PQbackendPID(m_conn);
}

void ServerEngine::noteTransactionEnd(const QByteArray &sql)
{
    const QByteArray word = sql.trimmed().left(8).toUpper();
    if (word.startsWith("COMMIT") || word.startsWith("ROLLBACK") || word.startsWith("END"))
        m_inTransaction = false;
}

ServerEngine::~ServerEngine()
{
    PQfreeCancel(m_cancel);
    PQfinish(m_conn);
}

void ServerEngine::takeConnection(ServerCursor *cursor)
{
    if (m_streaming && m_streaming != cursor)
        m_streaming->takeTheRestIn();
    m_streaming = cursor;
}

void ServerEngine::releaseConnection(ServerCursor *cursor)
{
    if (m_streaming == cursor)
        m_streaming = nullptr;
}

DbError ServerEngine::errorOf(PGresult *result, const QByteArray &sql)
{
    using Kind = DbError::Kind;
    const QString text = textOf(result ? PQresultErrorMessage(result) : PQerrorMessage(m_conn));
    m_lastError = text;
    if (PQstatus(m_conn) != CONNECTION_OK)
        return DbError(Kind::ServerLost, text);
    const QByteArray state = result ? QByteArray(PQresultErrorField(result, PG_DIAG_SQLSTATE)) : QByteArray();
    if (state == "23503") {
        // The unit link: a unit deleted while staff name it, or staff given a unit that is gone.
        const bool deleting = sql.trimmed().left(6).toUpper() == "DELETE";
        return DbError(deleting ? Kind::StillInUse : Kind::NoMasterRow, text);
    }
    if (state == "57P01" || state == "57P02" || state == "57P03")
        return DbError(Kind::ServerLost, text); // the server is shutting down or starting
    if (state == "23514")
        return checkError(text, QString::fromUtf8(PQresultErrorField(result, PG_DIAG_CONSTRAINT_NAME)));
    if (state == "55P03" || state == "40P01" || state == "40001")
        return DbError(Kind::Busy, text);
    if (state == "25006" || state == "42501")
        return DbError(Kind::ReadOnly, text);
    if (state == "53100")
        return DbError(Kind::DiskFull, text);
    if (state == "42P01")
        return DbError(Kind::NoServerTables, text);
    return DbError(Kind::Engine, text);
}

void ServerEngine::run(const QByteArray &sql)
{
    if (m_streaming)
        m_streaming->takeTheRestIn();
    ensureConnected();
    ++m_roundTrips;
    Result result(PQexec(m_conn, sql.constData()));
    noteTransactionEnd(sql);
    const ExecStatusType status = PQresultStatus(result.get());
    // Nothing to run (an empty list of statements) is no error, as on the file.
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK && status != PGRES_EMPTY_QUERY)
        throw errorOf(result.get());
}

void ServerEngine::makeOwnStagingTable()
{
    // Rows read from a workbook wait in the staging table until they are moved to the units.
    // Offices import at the same time: each session stages into a table of its own, which
    // hides the shared one for this session and goes with it.
    ++m_roundTrips;
    Result found(PQexec(m_conn, "SELECT to_regclass('veriler') IS NOT NULL"));
    if (PQresultStatus(found.get()) != PGRES_TUPLES_OK || *PQgetvalue(found.get(), 0, 0) != 't')
        return; // a database without the program's tables: checkTables() will say so
    run("CREATE TEMPORARY TABLE veriler (LIKE veriler INCLUDING ALL)");
}

void ServerEngine::loadColumns()
{
    // One question at the start names every column of the program's tables, so that a result
    // column's table and column cost nothing later.
    QStringList names;
    for (const schema::Table &table : schema::tables())
        names << QString::fromLatin1(table.name).toLower();
    const QByteArray list = names.join(u',').toUtf8();
    const char *values[] = {list.constData()};
    ++m_roundTrips;
    Result result(PQexecParams(
        m_conn,
        "SELECT c.oid, c.relname, a.attnum, a.attname, a.atttypid FROM pg_class c "
        "JOIN pg_attribute a ON a.attrelid = c.oid "
        "WHERE c.relname = ANY (string_to_array($1, ',')) AND c.relkind = 'r' "
        "AND pg_table_is_visible(c.oid) AND a.attnum > 0 AND NOT a.attisdropped",
        1, nullptr, values, nullptr, nullptr, 0));
    if (PQresultStatus(result.get()) != PGRES_TUPLES_OK)
        throw errorOf(result.get());
    for (int row = 0; row < PQntuples(result.get()); ++row) {
        ColumnSource source;
        source.table = serversql::spellingOf(QString::fromUtf8(PQgetvalue(result.get(), row, 1)), {});
        const QString column = QString::fromUtf8(PQgetvalue(result.get(), row, 3));
        source.column = serversql::spellingOf(column, {});
        source.declaredType = declaredTypeOf(Oid(QByteArray(PQgetvalue(result.get(), row, 4)).toUInt()));
        if (isYesNo(source.table, source.column))
            source.declaredType = "BOOLEAN";
        const Oid table = Oid(QByteArray(PQgetvalue(result.get(), row, 0)).toUInt());
        m_columns.insert(columnKey(table, QByteArray(PQgetvalue(result.get(), row, 2)).toInt()), source);
    }
}

ColumnSource ServerEngine::sourceOf(unsigned tableOid, int columnNumber)
{
    return m_columns.value(columnKey(tableOid, columnNumber));
}

std::unique_ptr<Cursor> ServerEngine::prepare(const QString &sql)
{
    return std::make_unique<ServerCursor>(*this, sql);
}

void ServerEngine::exec(const QString &sql)
{
    // Settings of the file's own engine mean nothing here.
    if (sql.trimmed().startsWith(QLatin1String("PRAGMA"), Qt::CaseInsensitive))
        return;
    run(serversql::translate(sql).text);
}

void ServerEngine::begin(Begin how)
{
    Q_UNUSED(how) // rows are locked as they are written; readers are never kept waiting
    run("BEGIN");
    m_inTransaction = true;
}

void ServerEngine::rollbackQuietly()
{
    if (m_streaming)
        m_streaming->takeTheRestIn();
    m_inTransaction = false;
    if (PQstatus(m_conn) == CONNECTION_OK)
        PQclear(PQexec(m_conn, "ROLLBACK"));
}

void ServerEngine::checkTables()
{
    QStringList missing;
    for (const schema::Table &table : schema::tables()) {
        const QString name = QString::fromLatin1(table.name);
        bool found = false;
        for (const ColumnSource &source : std::as_const(m_columns))
            if (source.table.compare(name, Qt::CaseInsensitive) == 0) {
                found = true;
                break;
            }
        if (!found)
            missing << name;
    }
    if (!missing.isEmpty())
        throw DbError(DbError::Kind::NoServerTables,
                      QStringLiteral("no such table: ") + missing.join(QStringLiteral(", ")));
}

bool ServerEngine::isReadOnly() const
{
    ++m_roundTrips;
    Result result(PQexec(m_conn, "SELECT pg_is_in_recovery() OR NOT has_table_privilege('uyeler', 'UPDATE')"));
    return PQresultStatus(result.get()) == PGRES_TUPLES_OK && PQntuples(result.get()) == 1 &&
           *PQgetvalue(result.get(), 0, 0) == 't';
}

void ServerEngine::setBusyTimeout(int milliseconds)
{
    run("SET lock_timeout = " + QByteArray::number(std::max(milliseconds, 1)));
}

ReadMark ServerEngine::markFor(const QString &statement)
{
    Q_UNUSED(statement)
    // Another office's change is not heard of here; a list is read afresh each time.
    return ReadMark{};
}

bool ServerEngine::unchangedSince(const ReadMark &mark)
{
    Q_UNUSED(mark)
    return false;
}

QString ServerEngine::description() const
{
    const QString where = isLocal() ? QStringLiteral("yerel sunucu") : QString::fromUtf8(PQhost(m_conn));
    return QStringLiteral("%1 / %2").arg(where, QString::fromUtf8(PQdb(m_conn)));
}

bool ServerEngine::isLocal() const
{
    // A Unix socket is a path; the connection then never leaves the computer.
    return QByteArray(PQhost(m_conn)).startsWith('/');
}

bool ServerEngine::isEncrypted() const
{
    return PQsslInUse(m_conn) == 1;
}

void ServerEngine::interrupt()
{
    char message[256];
    if (m_cancel)
        PQcancel(m_cancel, message, int(sizeof message));
}

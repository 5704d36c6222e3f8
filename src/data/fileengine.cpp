#include "fileengine.h"

#include "database.h"
#include "schema.h"
#include "turkish.h"

#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryFile>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <sqlite3.h>

namespace {

int collateTr(void *, int aLength, const void *a, int bLength, const void *b)
{
    return turkish::compareUtf8(static_cast<const char *>(a), aLength,
                                static_cast<const char *>(b), bLength);
}

void likeTr(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    // like(pattern, text): SQL "text LIKE pattern" calls it with the pattern first.
    if (argc < 2 || sqlite3_value_type(argv[0]) == SQLITE_NULL ||
        sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    auto pattern = reinterpret_cast<const char *>(sqlite3_value_text(argv[0]));
    int patternLength = sqlite3_value_bytes(argv[0]);
    auto text = reinterpret_cast<const char *>(sqlite3_value_text(argv[1]));
    int textLength = sqlite3_value_bytes(argv[1]);
    sqlite3_result_int(ctx, turkish::like(pattern, patternLength, text, textLength) ? 1 : 0);
}

QString messageOf(sqlite3 *db)
{
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
}

// Whether a file can be made beside `file`: the engine makes its journal there before it
// writes. Tried rather than read from the permissions, which do not tell the whole story
// (a read-only mount, access lists).
bool folderIsWritable(const QString &file)
{
    QTemporaryFile probe(QFileInfo(file).absolutePath() + QStringLiteral("/.meltora-XXXXXX"));
    return probe.open();
}

// "CHECK constraint failed: okul.okul_adi": the constraint is named after its column.
DbError checkError(const QString &text)
{
    static const QRegularExpression check(
        QStringLiteral("CHECK constraint failed: (\\w+)\\.(\\w+)"));
    const QRegularExpressionMatch m = check.match(text);
    if (!m.hasMatch())
        return DbError(DbError::Kind::Engine, text);
    return DbError(DbError::Kind::TooLong, text, m.captured(2),
                   schema::textSize(m.captured(1), m.captured(2)));
}

// The six tables that every database of the program holds.
QString missingTable(sqlite3 *db)
{
    for (const schema::Table &table : schema::tables()) {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(
            db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE", -1,
            &st, nullptr);
        sqlite3_bind_text(st, 1, table.name, -1, SQLITE_STATIC);
        const bool found = sqlite3_step(st) == SQLITE_ROW;
        sqlite3_finalize(st);
        if (!found)
            return QString::fromLatin1(table.name);
    }
    return QString();
}

} // namespace

namespace
{

DbError notOpen()
{
    return DbError(QStringLiteral("Veritabanı bağlantısı açık değil"));
}

// A statement on the file.
class FileCursor : public Cursor
{
public:
    FileCursor(sqlite3 *db, const QString &sql) : m_db(db)
    {
        if (!db)
            throw notOpen();
        const QByteArray utf8 = sql.toUtf8();
        if (sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &m_stmt, nullptr) != SQLITE_OK)
            throw FileEngine::errorOf(db);
        if (!m_stmt)
            throw DbError(QStringLiteral("Boş SQL cümlesi"));
    }
    ~FileCursor() override { sqlite3_finalize(m_stmt); }

    int parameterCount() const override { return sqlite3_bind_parameter_count(m_stmt); }
    QString parameterName(int index) const override
    {
        const char *raw = sqlite3_bind_parameter_name(m_stmt, index);
        return raw ? QString::fromUtf8(raw) : QString();
    }
    void bind(int index, const QVariant &value) override
    {
        int rc;
        if (value.isNull()) {
            rc = sqlite3_bind_null(m_stmt, index);
        } else if (value.typeId() == QMetaType::Bool) {
            rc = sqlite3_bind_int(m_stmt, index, value.toBool() ? 1 : 0);
        } else if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong ||
                   value.typeId() == QMetaType::UInt || value.typeId() == QMetaType::ULongLong) {
            rc = sqlite3_bind_int64(m_stmt, index, value.toLongLong());
        } else if (value.typeId() == QMetaType::Double) {
            rc = sqlite3_bind_double(m_stmt, index, value.toDouble());
        } else {
            const QByteArray utf8 = value.toString().toUtf8();
            rc = sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()),
                                   SQLITE_TRANSIENT);
        }
        if (rc != SQLITE_OK)
            throw FileEngine::errorOf(m_db);
    }
    bool step() override
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE) {
            m_changes = sqlite3_changes(m_db);
            m_insertedKey = sqlite3_last_insert_rowid(m_db);
            return false;
        }
        throw FileEngine::errorOf(m_db);
    }
    void reset() override { sqlite3_reset(m_stmt); }
    void clearBindings() override { sqlite3_clear_bindings(m_stmt); }
    int columnCount() const override { return sqlite3_column_count(m_stmt); }
    QString columnName(int column) const override
    {
        return QString::fromUtf8(sqlite3_column_name(m_stmt, column));
    }
    ColumnSource columnSource(int column) const override
    {
        ColumnSource source;
        if (const char *declared = sqlite3_column_decltype(m_stmt, column))
            source.declaredType = QByteArray(declared).toUpper();
        const char *table = sqlite3_column_table_name(m_stmt, column);
        const char *origin = sqlite3_column_origin_name(m_stmt, column);
        if (table && origin) {
            source.table = QString::fromUtf8(table);
            source.column = QString::fromUtf8(origin);
        }
        return source;
    }
    bool isNull(int column) const override
    {
        return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
    }
    bool isInteger(int column) const override
    {
        return sqlite3_column_type(m_stmt, column) == SQLITE_INTEGER;
    }
    bool isReal(int column) const override
    {
        return sqlite3_column_type(m_stmt, column) == SQLITE_FLOAT;
    }
    QByteArrayView text(int column) const override
    {
        auto text = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
        return QByteArrayView(text, text ? sqlite3_column_bytes(m_stmt, column) : 0);
    }
    qlonglong integer(int column) const override
    {
        return qlonglong(sqlite3_column_int64(m_stmt, column));
    }
    qlonglong changes() const override { return m_changes; }
    qlonglong insertedKey() const override { return m_insertedKey; }
    sqlite3_stmt *fileStatement() const override { return m_stmt; }

private:
    sqlite3 *m_db;
    sqlite3_stmt *m_stmt = nullptr;
    qlonglong m_changes = 0;
    qlonglong m_insertedKey = 0;
};

} // namespace

DbError FileEngine::errorOf(sqlite3 *db)
{
    using Kind = DbError::Kind;
    const QString text = messageOf(db);
    if (!db)
        return DbError(Kind::Engine, text);
    const int code = sqlite3_extended_errcode(db);
    switch (code & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return DbError(Kind::Busy, text);
    case SQLITE_READONLY:
        return DbError(Kind::ReadOnly, text);
    case SQLITE_FULL:
        return DbError(Kind::DiskFull, text);
    case SQLITE_IOERR: {
        // A write that found no room, or went past the size the system allows a file.
        const int system = sqlite3_system_errno(db);
        if (system == ENOSPC || system == EDQUOT || system == EFBIG)
            return DbError(Kind::DiskFull, text);
        break;
    }
    case SQLITE_NOTADB:
        return DbError(Kind::NotADatabase, text);
    case SQLITE_CORRUPT:
        return DbError(Kind::Corrupt, text);
    case SQLITE_CANTOPEN: {
        // A file that is there but whose folder takes no journal can only be read.
        const char *name = sqlite3_db_filename(db, "main");
        const QString file = name ? QFile::decodeName(name) : QString();
        if (!file.isEmpty() && QFileInfo::exists(file) && !folderIsWritable(file))
            return DbError(Kind::ReadOnly, text);
        return DbError(Kind::CannotOpen, text);
    }
    case SQLITE_CONSTRAINT:
        if (code == SQLITE_CONSTRAINT_CHECK)
            return checkError(text);
        break;
    }
    return DbError(Kind::Engine, text);
}

void FileEngine::registerTurkishFunctions(sqlite3 *db)
{
    sqlite3_create_collation_v2(db, "TR", SQLITE_UTF8, nullptr, collateTr, nullptr);
    sqlite3_create_function(db, "like", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, likeTr,
                            nullptr, nullptr);
}

sqlite3 *FileEngine::openHandle(const QString &path, const QByteArray &key, int flags)
{
    sqlite3 *db = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr);
    // Set first: even reading the schema waits while another copy of the program writes.
    if (db)
        sqlite3_busy_timeout(db, Database::kBusyTimeoutMs);
    if (rc == SQLITE_OK)
        rc = sqlite3_key(db, key.constData(), int(key.size()));
    auto run = [&](const char *sql) {
        if (rc == SQLITE_OK)
            rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    };
    // 4 KB pages read a third faster than SQLCipher's 1 KB default; every open must say so.
    run("PRAGMA cipher_page_size = 4096");
    // Reading the schema is the first access that needs the key: a wrong key or a foreign
    // file fails here with the engine's message.
    run("SELECT count(*) FROM sqlite_master");
    if (rc != SQLITE_OK) {
        const DbError error = errorOf(db);
        sqlite3_close(db);
        throw error;
    }
    registerTurkishFunctions(db);
    return db;
}

FileEngine::FileEngine(const QString &path, const QByteArray &key, int flags)
    : m_db(openHandle(path, key, flags)), m_path(path)
{
    countChanges();
}

FileEngine::~FileEngine()
{
    sqlite3_close_v2(m_db);
}

std::unique_ptr<Cursor> FileEngine::prepareOn(sqlite3 *db, const QString &sql)
{
    return std::make_unique<FileCursor>(db, sql);
}

std::unique_ptr<Cursor> FileEngine::prepare(const QString &sql)
{
    return prepareOn(m_db, sql);
}

void FileEngine::exec(const QString &sql)
{
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        throw errorOf(m_db);
}

void FileEngine::begin(Begin how)
{
    switch (how) {
    case Begin::Deferred:
        exec(QStringLiteral("BEGIN"));
        return;
    case Begin::Exclusive:
        exec(QStringLiteral("BEGIN EXCLUSIVE"));
        return;
    case Begin::Immediate:
        break;
    }
    exec(QStringLiteral("BEGIN IMMEDIATE"));
}

void FileEngine::rollbackQuietly()
{
    // Nothing to report: a failed rollback leaves the engine's own rollback of the journal.
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

QString FileEngine::lastError() const
{
    return messageOf(m_db);
}

void FileEngine::hintLargeWork(bool on)
{
    // A bulk change touches every page of a table and its indexes: a page cache that holds
    // them all spares spilling them to the file, with a journal sync each time.
    if (on) {
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(m_db, "PRAGMA cache_size", -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            m_cacheBefore = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
    }
    const QByteArray pragma =
        "PRAGMA cache_size = " + QByteArray::number(on ? qlonglong(-262144) : m_cacheBefore);
    sqlite3_exec(m_db, pragma.constData(), nullptr, nullptr, nullptr);
}

QString FileEngine::description() const
{
    return QDir::toNativeSeparators(m_path);
}

void FileEngine::interrupt()
{
    sqlite3_interrupt(m_db);
}

// ---------------------------------------------------------------- changes

void FileEngine::countChanges()
{
    // Every opening is another: a mark taken on an earlier one (before a repair reopened the
    // file) never matches.
    static std::atomic<quint64> openings{0};
    m_connection = ++openings;
    m_changes.clear();
    m_heardChanges = 0;
    sqlite3_update_hook(m_db, &FileEngine::rowChanged, this);
    // Set once: setting an authorizer makes the engine prepare every held statement again.
    sqlite3_set_authorizer(m_db, &FileEngine::authorize, this);
}

quint64 &FileEngine::counterOf(const char *table)
{
    for (auto &[name, count] : m_changes)
        if (qstricmp(name.constData(), table) == 0)
            return count;
    m_changes.emplace_back(QByteArray(table).toLower(), 0);
    return m_changes.back().second;
}

quint64 FileEngine::changesOfLowerCase(const QByteArray &table) const
{
    for (const auto &[name, count] : m_changes)
        if (name == table)
            return count;
    return 0;
}

void FileEngine::rowChanged(void *self, int, const char *, const char *table, long long)
{
    auto *db = static_cast<FileEngine *>(self);
    ++db->counterOf(table);
    ++db->m_heardChanges;
}

int FileEngine::authorize(void *self, int action, const char *first, const char *, const char *,
                        const char *)
{
    auto *db = static_cast<FileEngine *>(self);
    if (db->m_tablesRead && action == SQLITE_READ && first) {
        const QByteArray table = QByteArray(first).toLower();
        if (std::find(db->m_tablesRead->begin(), db->m_tablesRead->end(), table) ==
            db->m_tablesRead->end())
            db->m_tablesRead->push_back(table);
    }
    return SQLITE_OK;
}

qlonglong FileEngine::dataVersion()
{
    sqlite3_stmt *st = nullptr;
    qlonglong version = -1;
    if (sqlite3_prepare_v2(m_db, "PRAGMA data_version", -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
        version = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    return version;
}

ReadMark FileEngine::markFor(const QString &statement)
{
    if (!m_db)
        throw DbError(QStringLiteral("Veritabanı bağlantısı açık değil"));
    ReadMark mark;
    mark.connection = m_connection;
    {
        // Prepared only: the engine names every column it would read.
        m_tablesRead = &mark.tables;
        const auto done = qScopeGuard([this] { m_tablesRead = nullptr; });
        FileCursor prepared(m_db, statement);
    }
    // A statement that names no table's column (a count) depends on all of them.
    if (mark.tables.empty())
        mark.changes.push_back(m_heardChanges);
    for (const QByteArray &table : mark.tables)
        mark.changes.push_back(changesOfLowerCase(table));
    mark.totalChanges = sqlite3_total_changes(m_db);
    mark.heardChanges = m_heardChanges;
    mark.dataVersion = dataVersion();
    return mark;
}

bool FileEngine::unchangedSince(const ReadMark &mark)
{
    if (!m_db || mark.connection != m_connection || mark.dataVersion < 0)
        return false;
    // Rows changed unheard (a table emptied in one go) may have been any table's.
    if (qlonglong(m_heardChanges - mark.heardChanges) !=
        sqlite3_total_changes(m_db) - mark.totalChanges)
        return false;
    if (mark.tables.empty()) {
        if (mark.changes.front() != m_heardChanges)
            return false;
    } else {
        for (size_t i = 0; i < mark.tables.size(); ++i)
            if (changesOfLowerCase(mark.tables[i]) != mark.changes[i])
                return false;
    }
    return dataVersion() == mark.dataVersion;
}

void FileEngine::checkTables()
{
    // An empty file opens as an empty database; the queries would then fail one by one.
    const QString missing = missingTable(m_db);
    if (!missing.isEmpty())
        throw DbError(DbError::Kind::NotADatabase, QStringLiteral("no such table: ") + missing);
}

bool FileEngine::isReadOnly() const
{
    // The engine falls back to reading only when the file refuses writing.
    return sqlite3_db_readonly(m_db, "main") == 1 || !folderIsWritable(m_path);
}

void FileEngine::setBusyTimeout(int milliseconds)
{
    sqlite3_busy_timeout(m_db, milliseconds);
}

#include "database.h"

#include "dberror.h"
#include "fileengine.h"
#include "schema.h"
#include "serverengine.h"

#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>

namespace
{

DbError notOpen()
{
    return DbError(QStringLiteral("Veritabanı bağlantısı açık değil"));
}

} // namespace

Database::Database() = default;

Database::~Database()
{
    close();
}

DbError Database::errorOf(sqlite3 *db)
{
    return FileEngine::errorOf(db);
}

void Database::registerTurkishFunctions(sqlite3 *db)
{
    FileEngine::registerTurkishFunctions(db);
}

Engine &Database::engineOrThrow() const
{
    if (!m_engine)
        throw notOpen();
    return *m_engine;
}

void Database::open(const QString &path, const QByteArray &key)
{
    close();
    // The program reaches the database from its one user-interface thread only, so the
    // connection needs no lock around every call.
    m_engine = std::make_unique<FileEngine>(path, key, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX);
    m_address = {path, key, QString(), QString()};
}

bool Database::open(const QString &path, const QByteArray &key, QString *error)
{
    try {
        open(path, key);
        return true;
    } catch (const DbError &e) {
        if (error)
            *error = e.describedText();
        return false;
    }
}

void Database::openServer(const QString &connectionString, const QString &password)
{
    close();
    m_engine = std::make_unique<ServerEngine>(connectionString, ServerEngine::Use::ReadWrite, password);
    m_address = {QString(), QByteArray(), connectionString, password};
}

void Database::open(const RegisterAddress &address)
{
    if (address.isServer())
        openServer(address.server, address.password);
    else
        open(address.path, address.key);
}

void Database::openForReading(const QString &path, const QByteArray &key)
{
    close();
    m_engine = std::make_unique<FileEngine>(path, key, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX);
    m_address = {path, key, QString(), QString()};
}

void Database::openForReading(const RegisterAddress &address)
{
    if (!address.isServer()) {
        openForReading(address.path, address.key);
        return;
    }
    close();
    m_engine = std::make_unique<ServerEngine>(address.server, ServerEngine::Use::Reading, address.password);
    m_address = address;
}

bool Database::create(const QString &path, const QByteArray &key, QString *error)
{
    if (QFileInfo::exists(path)) {
        if (error)
            *error = QStringLiteral("%1 zaten var; üzerine yazılmaz.").arg(path);
        return false;
    }
    sqlite3 *db = nullptr;
    try {
        db = FileEngine::openHandle(path, key, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    } catch (const DbError &e) {
        if (error)
            *error = e.describedText();
        return false;
    }
    QString sql = QStringLiteral("BEGIN;\n") +
                  schema::createStatements().join(QStringLiteral(";\n")) +
                  QStringLiteral(";\nCOMMIT;");
    const bool ok = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!ok && error)
        *error = FileEngine::errorOf(db).describedText();
    sqlite3_close(db);
    if (!ok)
        QFile::remove(path);
    return ok;
}

void Database::close()
{
    m_engine.reset();
}

void Database::exec(const QString &sql)
{
    engineOrThrow().exec(sql);
}

QVariant Database::scalar(const QString &sql)
{
    Statement st(*this, sql);
    if (!st.step())
        return {};
    return st.value(0);
}

QString Database::lastError() const
{
    return m_engine ? m_engine->lastError() : QStringLiteral("Veritabanı bağlantısı açık değil");
}

void Database::checkTables() const
{
    engineOrThrow().checkTables();
}

bool Database::isReadOnly() const
{
    return m_engine && m_engine->isReadOnly();
}

void Database::setBusyTimeout(int milliseconds)
{
    if (m_engine)
        m_engine->setBusyTimeout(milliseconds);
}

qlonglong Database::dataVersion()
{
    return m_engine ? m_engine->dataVersion() : -1;
}

ReadMark Database::markFor(const QString &statement)
{
    return engineOrThrow().markFor(statement);
}

bool Database::unchangedSince(const ReadMark &mark)
{
    return m_engine && m_engine->unchangedSince(mark);
}

// ---------------------------------------------------------------- statements

Statement::Statement(Database &db, const QString &sql) : m_cursor(db.engine() ? db.engine()->prepare(sql) : nullptr)
{
    if (!m_cursor)
        throw notOpen();
}

Statement::Statement(sqlite3 *db, const QString &sql) : m_cursor(FileEngine::prepareOn(db, sql)) {}

Statement::~Statement() = default;

QVariant Statement::value(int column) const
{
    if (m_cursor->isNull(column))
        return {};
    if (m_cursor->isInteger(column))
        return QVariant(m_cursor->integer(column));
    return QString::fromUtf8(m_cursor->text(column));
}

#include "registercopy.h"

#include "schema.h"
#include "transaction.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace registercopy
{

namespace
{

QStringList columnsOf(const schema::Table &table)
{
    QStringList names;
    for (const schema::Column &column : table.columns)
        names << QString::fromLatin1(column.name);
    return names;
}

// Rows per INSERT: as many as the receiving engine takes parameters for. The file's engine
// takes 999, a server far more; a server row costs a round trip, a file row does not.
int rowsPerInsert(const Database &to, int columns)
{
    const int parameters = to.isServer() ? 30000 : 999;
    return std::max(1, parameters / columns);
}

QString insertStatement(const schema::Table &table, int rows)
{
    const QStringList columns = columnsOf(table);
    QStringList marks(columns.size(), QStringLiteral("?"));
    const QString one = u'(' + marks.join(u',') + u')';
    QStringList values(rows, one);
    return QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
        .arg(QLatin1String(table.name), columns.join(QStringLiteral(", ")), values.join(u','));
}

QString selectInKeyOrder(const schema::Table &table)
{
    return QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
        .arg(columnsOf(table).join(QStringLiteral(", ")), QLatin1String(table.name), schema::keyOf(table));
}

void copyTable(Database &from, Database &to, const schema::Table &table, Progress *progress,
               qlonglong *copied)
{
    const int columns = int(table.columns.size());
    const int batch = rowsPerInsert(to, columns);
    Statement read(from, selectInKeyOrder(table));
    std::vector<QVariant> pending;
    pending.reserve(size_t(batch * columns));
    auto flush = [&](int rows) {
        if (rows == 0)
            return;
        Statement insert(to, insertStatement(table, rows));
        for (size_t i = 0; i < size_t(rows * columns); ++i)
            insert.bind(int(i) + 1, pending[i]);
        insert.step();
        pending.clear();
        *copied += rows;
        progress::advance(progress, int(*copied));
    };
    int inBatch = 0;
    while (read.step()) {
        for (int c = 0; c < columns; ++c)
            pending.push_back(read.value(c)); // null, a whole number or text, bound again as read
        if (++inBatch == batch) {
            flush(inBatch);
            inBatch = 0;
        }
    }
    flush(inBatch);
}

// A server hands out keys from a counter of its own: it must go on after the copied keys.
void moveKeyCounters(Database &to)
{
    if (!to.isServer())
        return;
    for (const schema::Table &table : schema::tables()) {
        const QString key = schema::keyOf(table);
        to.scalar(QStringLiteral("SELECT setval(pg_get_serial_sequence('%1', '%2'), "
                                 "(SELECT COALESCE(max(%3), 0) + 1 FROM %1), false)")
                      .arg(QLatin1String(table.name), key.toLower(), key));
    }
}

QString sayDifferent(const TableCheck &a, const TableCheck &b)
{
    return QStringLiteral("'%1' tablosu kopyada farklı: kaynakta %2 kayıt, kopyada %3 kayıt%4.")
        .arg(a.table)
        .arg(a.rows)
        .arg(b.rows)
        .arg(a.rows == b.rows ? QStringLiteral(" (içerikleri farklı)") : QString());
}

// The copy announces itself once a table when it is done rather than once a batch, and
// takes the staff rows as the file holds them: a unit deleted long ago may still be named.
void prepareServerForCopy(Database &to)
{
    to.exec(QStringLiteral("SET LOCAL %1 = 'on'").arg(QLatin1String(schema::kQuietSetting)));
    to.exec(QStringLiteral("ALTER TABLE uyeler DROP CONSTRAINT IF EXISTS %1").arg(QLatin1String(schema::kUnitLink)));
}

void finishServerCopy(Database &to)
{
    to.exec(schema::serverUnitLinkStatement(false));
    for (const char *table : {"okul", "uyeler"})
        to.exec(QStringLiteral("SELECT pg_notify('%1', '%2|I|' || pg_backend_pid() || '|*')")
                    .arg(QLatin1String(schema::kNoticeChannel), QLatin1String(table)));
}

bool holdsRows(Database &db)
{
    for (const schema::Table &table : schema::tables())
        if (db.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(QLatin1String(table.name))).toLongLong() > 0)
            return true;
    return false;
}

} // namespace

QList<TableCheck> checksOf(Database &db)
{
    QList<TableCheck> checks;
    for (const schema::Table &table : schema::tables()) {
        TableCheck check;
        check.table = QString::fromLatin1(table.name);
        QCryptographicHash hash(QCryptographicHash::Sha256);
        Statement rows(db, selectInKeyOrder(table));
        const int columns = int(table.columns.size());
        while (rows.step()) {
            ++check.rows;
            for (int c = 0; c < columns; ++c) {
                // A null and an empty text differ; the separator keeps "ab","c" from "a","bc".
                if (rows.isNull(c)) {
                    hash.addData(QByteArrayView("\x01", 1));
                } else {
                    hash.addData(QByteArrayView("\x02", 1));
                    hash.addData(rows.text(c));
                }
                hash.addData(QByteArrayView("\x00", 1));
            }
        }
        check.digest = hash.result().toHex();
        checks << check;
    }
    return checks;
}

Outcome copy(Database &from, Database &to, Progress *progress)
{
    Outcome outcome;
    QElapsedTimer clock;
    clock.start();
    try {
        if (holdsRows(to)) {
            outcome.error = QStringLiteral("Hedef veritabanında kayıt var; kopyalama yalnızca boş bir "
                                           "veritabanına yapılır.");
            return outcome;
        }
        progress::begin(progress, QStringLiteral("Kayıtlar kopyalanıyor"), 0);
        Transaction transaction(to);
        if (to.isServer())
            prepareServerForCopy(to);
        for (const schema::Table &table : schema::tables())
            copyTable(from, to, table, progress, &outcome.rows);
        moveKeyCounters(to);
        if (to.isServer())
            finishServerCopy(to);
        transaction.commit();
        const QList<TableCheck> source = checksOf(from);
        const QList<TableCheck> copied = checksOf(to);
        for (qsizetype i = 0; i < source.size(); ++i)
            if (source[i].rows != copied[i].rows || source[i].digest != copied[i].digest) {
                outcome.error = sayDifferent(source[i], copied[i]);
                outcome.tables = copied;
                return outcome;
            }
        outcome.tables = copied;
        outcome.ok = true;
    } catch (const DbError &e) {
        outcome.error = e.describedText();
    }
    outcome.milliseconds = clock.elapsed();
    return outcome;
}

bool createOnServer(const QString &connectionString, QString *error)
{
    try {
        Database db;
        db.openServer(connectionString);
        const qlonglong tables =
            db.scalar(QStringLiteral("SELECT count(*) FROM pg_tables WHERE schemaname = current_schema()"))
                .toLongLong();
        if (tables > 0) {
            if (error)
                *error = QStringLiteral("Sunucudaki veritabanında zaten tablo var; Meltora tabloları "
                                        "yalnızca boş bir veritabanında oluşturulur.");
            return false;
        }
        Transaction transaction(db);
        for (const QString &statement : schema::serverCreateStatements())
            db.exec(statement);
        transaction.commit();
        return true;
    } catch (const DbError &e) {
        if (error)
            *error = e.describedText();
        return false;
    }
}

Outcome push(const QString &file, const QByteArray &key, const QString &connectionString)
{
    Outcome outcome;
    try {
        Database from;
        from.openForReading(file, key);
        from.checkTables();
        Database to;
        to.openServer(connectionString);
        to.checkTables();
        return copy(from, to);
    } catch (const DbError &e) {
        outcome.error = e.describedText();
    }
    return outcome;
}

namespace
{

// Copies the server's register into a new file at `partial`; the outcome of the copy.
Outcome pullInto(const RegisterAddress &server, const QString &partial, const QByteArray &key)
{
    Outcome outcome;
    QFile::remove(partial);
    QString error;
    if (!Database::create(partial, key, &error)) {
        outcome.error = error;
        return outcome;
    }
    try {
        Database from;
        from.openForReading(server);
        from.checkTables();
        Database to;
        to.open(partial, key);
        outcome = copy(from, to);
    } catch (const DbError &e) {
        outcome.error = e.describedText();
    }
    if (!outcome.ok)
        QFile::remove(partial);
    return outcome;
}

} // namespace

Outcome pullToFile(const RegisterAddress &server, const QString &target, const QByteArray &key)
{
    const QFileInfo place(target);
    const QString partial = place.absoluteDir().filePath(QStringLiteral(".") + place.fileName() +
                                                         QStringLiteral(".cekiliyor"));
    Outcome outcome = pullInto(server, partial, key);
    if (!outcome.ok)
        return outcome;
    // rename() replaces an older backup of that name in one step.
    if (::rename(QFile::encodeName(partial).constData(), QFile::encodeName(target).constData()) != 0) {
        QFile::remove(partial);
        outcome.ok = false;
        outcome.error = QStringLiteral("%1 yazılamadı.").arg(QDir::toNativeSeparators(target));
    }
    return outcome;
}

QStringList tidyServer(Database &db)
{
    // VACUUM is the owner's (or a superuser's); another role's VACUUM would only warn and
    // skip. The shared tables only, by their full names: the session's staging table is its own.
    QStringList names;
    for (const schema::Table &table : schema::tables())
        names << QString::fromLatin1(table.name);
    Statement mine(db, QStringLiteral(
        "SELECT c.oid::regclass::text FROM pg_class c "
        "WHERE c.relname = ANY (string_to_array(?, ',')) AND c.relkind = 'r' AND c.relpersistence = 'p' "
        "AND (pg_has_role(c.relowner, 'MEMBER') OR (SELECT rolsuper FROM pg_roles WHERE rolname = current_user))"));
    mine.bind(1, names.join(u','));
    QStringList tidied;
    while (mine.step())
        tidied << mine.string(0);
    for (const QString &table : std::as_const(tidied))
        db.exec(QStringLiteral("VACUUM (ANALYZE) %1").arg(table));
    return tidied;
}

Outcome pull(const QString &connectionString, const QString &folder, const QByteArray &key)
{
    const QString target = QDir(folder).filePath(QString::fromLatin1(schema::kDatabaseFile));
    if (QFileInfo::exists(target)) {
        Outcome refused;
        refused.error = QStringLiteral("%1 zaten var; üzerine yazılmaz.").arg(QDir::toNativeSeparators(target));
        return refused;
    }
    if (!QDir().mkpath(folder)) {
        Outcome refused;
        refused.error = QStringLiteral("%1 klasörü oluşturulamadı.").arg(QDir::toNativeSeparators(folder));
        return refused;
    }
    // Written under another name first: a copy that fails half-way is never taken for one.
    const QString partial = QDir(folder).filePath(QStringLiteral(".Data.dat.cekiliyor"));
    Outcome outcome = pullInto(RegisterAddress{QString(), QByteArray(), connectionString, QString()}, partial, key);
    if (outcome.ok && !QFile::rename(partial, target)) {
        QFile::remove(partial);
        outcome.ok = false;
        outcome.error = QStringLiteral("%1 yazılamadı.").arg(QDir::toNativeSeparators(target));
    }
    return outcome;
}

} // namespace registercopy

#include "salvage.h"

#include "data/transaction.h"
#include "data/database.h"
#include "data/dberror.h"
#include "data/schema.h"
#include "data/safefile.h"
#include "databasefile.h"

#include <QFile>
#include <QFileInfo>
#include <limits>
#include <sqlite3.h>
#include <unistd.h>

namespace maintenance
{

namespace
{

// How far past an unreadable part the rows are looked for one key at a time when the
// table's last key cannot be read either.
constexpr qint64 kSearchBeyondDamage = 100000;
constexpr int kProgressEvery = 1000;

// A prepared statement of the raw engine that finalises itself; the steps here must go on
// past errors instead of ending at the first one.
class Raw
{
public:
    Raw(sqlite3 *db, const QString &sql)
    {
        const QByteArray utf8 = sql.toUtf8();
        sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &m_stmt, nullptr);
    }
    ~Raw() { sqlite3_finalize(m_stmt); }
    Raw(const Raw &) = delete;
    Raw &operator=(const Raw &) = delete;
    sqlite3_stmt *get() const { return m_stmt; }
    explicit operator bool() const { return m_stmt != nullptr; }
    // One step; the statement is reset when it did not give a row.
    int step()
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc != SQLITE_ROW)
            sqlite3_reset(m_stmt);
        return rc;
    }

private:
    sqlite3_stmt *m_stmt = nullptr;
};

// The table's last key, when it can be read.
bool lastKey(sqlite3 *db, const QString &table, sqlite3_int64 *key)
{
    Raw st(db, QStringLiteral("SELECT max(rowid) FROM %1").arg(table));
    if (!st || st.step() != SQLITE_ROW)
        return false;
    *key = sqlite3_column_int64(st.get(), 0);
    return true;
}

// The damaged file opened for reading what is left of it. A file cut short still says in its
// header how many pages it had, and the engine refuses such a file at the first read; with
// the schema taken as writable it goes by the pages that are there instead. Nothing is
// written through this connection.
class DamagedFile
{
public:
    ~DamagedFile() { sqlite3_close_v2(m_db); }
    bool open(const QString &path, QString *reason)
    {
        int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db,
                                 SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
        if (rc == SQLITE_OK)
            rc = sqlite3_key(m_db, schema::kKey, int(qstrlen(schema::kKey)));
        for (const char *sql : {"PRAGMA cipher_page_size = 4096", "PRAGMA writable_schema = ON",
                                "SELECT count(*) FROM sqlite_master"})
            if (rc == SQLITE_OK)
                rc = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) {
            *reason = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString();
            return false;
        }
        Database::registerTurkishFunctions(m_db);
        return true;
    }
    sqlite3 *handle() const { return m_db; }

private:
    sqlite3 *m_db = nullptr;
};

} // namespace

QString Salvage::targetBeside(const QString &databasePath)
{
    return freeDatedName(QFileInfo(databasePath).path(), QStringLiteral("Data_kurtarilan_"));
}

bool Salvage::run(const QString &damaged, const QString &target, Progress *progress)
{
    const QString temporary = temporaryNameFor(target);
    bool ok = saveInto(damaged, temporary, target, progress) &&
              replaceFile(temporary, target, FileSystem::real(), &m_error);
    if (!ok) {
        QFile::remove(temporary);
        m_counts.clear();
    }
    return ok;
}

bool Salvage::rescueInPlace(const QString &databasePath, Progress *progress)
{
    m_keptAs.clear();
    const QString temporary = temporaryNameFor(databasePath);
    bool ok = saveInto(databasePath, temporary, databasePath, progress) &&
              keepAside(databasePath) &&
              replaceFile(temporary, databasePath, FileSystem::real(), &m_error);
    if (!ok) {
        QFile::remove(temporary);
        m_counts.clear();
    }
    return ok;
}

bool Salvage::keepAside(const QString &databasePath)
{
    const QString aside =
        freeDatedName(QFileInfo(databasePath).path(), QStringLiteral("Data_hasarli_"));
    // A second name for the same file keeps it whole without copying; where the file system
    // has no such names, a checked copy does.
    if (::link(QFile::encodeName(databasePath).constData(), QFile::encodeName(aside).constData()) !=
            0 &&
        !copyFile(databasePath, aside, FileSystem::real(), {}, &m_error))
        return false;
    safefile::syncFolder(QFileInfo(aside).absolutePath());
    // A journal left beside the damaged file belongs to it: beside the new one the engine
    // would roll it back into the new file.
    const QString journal = databasePath + QStringLiteral("-journal");
    if (QFileInfo::exists(journal) &&
        !replaceFile(journal, aside + QStringLiteral("-journal"), FileSystem::real(), &m_error))
        return false;
    m_keptAs = aside;
    return true;
}

qint64 Salvage::saved(const QString &table) const
{
    for (const TableCount &count : m_counts)
        if (count.table == table)
            return count.saved;
    return 0;
}

bool Salvage::incomplete() const
{
    for (const TableCount &count : m_counts)
        if (count.incomplete)
            return true;
    return false;
}

bool Salvage::saveInto(const QString &damaged, const QString &temporary, const QString &shownAs,
                       Progress *progress)
{
    m_counts.clear();
    m_error.clear();
    m_progress = progress;
    DamagedFile from;
    QString reason;
    if (!from.open(damaged, &reason)) {
        m_error = failureText(QStringLiteral("Hasarlı veritabanı açılamadı"), damaged, reason);
        return false;
    }
    Database to;
    if (!Database::create(temporary, schema::kKey, &reason) ||
        !to.open(temporary, schema::kKey, &reason)) {
        QFile::remove(temporary);
        m_error = failureText(QStringLiteral("Yeni veritabanı yazılamadı"), shownAs, reason);
        return false;
    }
    bool ok = true;
    try {
        Transaction transaction(to, Transaction::Lock::Deferred);
        for (const schema::Table &table : schema::tables()) {
            QStringList columns;
            for (const schema::Column &column : table.columns)
                columns << QString::fromLatin1(column.name);
            TableCount count;
            count.table = QString::fromLatin1(table.name);
            if (progress)
                progress->begin(count.table, 0);
            copyTable(from.handle(), to, count.table, columns, &count);
            m_counts << count;
        }
        keepSequence(from.handle(), to);
        transaction.commit();
    } catch (const DbError &e) {
        ok = false;
        m_error = failureText(QStringLiteral("Yeni veritabanı yazılamadı"), shownAs, e.describedText());
    }
    to.close();
    if (ok) {
        const Health health = checkFile(temporary, Depth::Quick);
        if (!health.sound()) {
            ok = false;
            m_error = failureText(QStringLiteral("Yeni veritabanı denetimden geçmedi"), shownAs,
                                  health.reason);
        }
    }
    return ok;
}

void Salvage::copyTable(sqlite3 *src, Database &to, const QString &table,
                        const QStringList &columns, TableCount *count)
{
    const int n = int(columns.size());
    QStringList marks;
    for (int i = 0; i < n; ++i)
        marks << QStringLiteral("?");
    Raw scan(src, QStringLiteral("SELECT rowid, %1 FROM %2 WHERE rowid >= ? ORDER BY rowid")
                      .arg(columns.join(QStringLiteral(", ")), table));
    Raw probe(src, QStringLiteral("SELECT rowid FROM %1 WHERE rowid = ?").arg(table));
    Raw insert(to.handle(), QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                .arg(table, columns.join(QStringLiteral(", ")),
                                     marks.join(QStringLiteral(", "))));
    if (!insert)
        throw DbError(to.lastError());
    if (!scan || !probe) {
        count->incomplete = true; // the table's own description cannot be read
        return;
    }
    sqlite3_int64 last = 0;
    const bool lastKnown = lastKey(src, table, &last);
    sqlite3_int64 next = std::numeric_limits<sqlite3_int64>::min();
    for (;;) {
        sqlite3_bind_int64(scan.get(), 1, next);
        int rc;
        bool moved = false;
        while ((rc = scan.step()) == SQLITE_ROW) {
            const sqlite3_int64 rowid = sqlite3_column_int64(scan.get(), 0);
            for (int i = 0; i < n; ++i)
                sqlite3_bind_value(insert.get(), i + 1, sqlite3_column_value(scan.get(), i + 1));
            if (insert.step() == SQLITE_DONE)
                ++count->saved;
            else
                count->incomplete = true; // a row the new table refuses
            sqlite3_reset(insert.get());
            moved = true;
            if (m_progress && count->saved % kProgressEvery == 0)
                m_progress->advance(int(count->saved));
            if (rowid == std::numeric_limits<sqlite3_int64>::max())
                return;
            next = rowid + 1;
        }
        if (rc == SQLITE_DONE)
            return;
        // An unreadable part: look for the next key that can be read, one key at a time.
        count->incomplete = true;
        if (!moved)
            next = next == std::numeric_limits<sqlite3_int64>::min() ? 1 : next + 1;
        bool found = false;
        for (sqlite3_int64 key = next; lastKnown ? key <= last : key - next <= kSearchBeyondDamage;
             ++key) {
            sqlite3_bind_int64(probe.get(), 1, key);
            if (probe.step() == SQLITE_ROW) {
                sqlite3_reset(probe.get());
                next = key;
                found = true;
                break;
            }
        }
        if (!found)
            return;
    }
}

void Salvage::keepSequence(sqlite3 *from, Database &to)
{
    // Unit keys handed out before stay used, so that no new unit takes the key of a lost one
    // that staff rows may still name.
    Raw read(from, QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = 'okul'"));
    if (!read || read.step() != SQLITE_ROW)
        return;
    const qint64 seq = sqlite3_column_int64(read.get(), 0);
    Statement update(
        to.handle(),
        QStringLiteral("UPDATE sqlite_sequence SET seq = max(seq, ?) WHERE name = 'okul'"));
    update.bind(1, seq);
    update.step();
    if (sqlite3_changes(to.handle()) == 0) {
        Statement insert(
            to.handle(),
            QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES ('okul', ?)"));
        insert.bind(1, seq);
        insert.step();
    }
}

} // namespace maintenance

#include "salvage.h"

#include "data/database.h"
#include "data/dberror.h"
#include "data/schema.h"
#include "databasefile.h"

#include <QFile>
#include <QFileInfo>
#include <limits>
#include <sqlite3.h>

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

} // namespace

QString Salvage::targetBeside(const QString &databasePath)
{
    return freeDatedName(QFileInfo(databasePath).path(), QStringLiteral("Data_kurtarilan_"));
}

bool Salvage::run(const QString &damaged, const QString &target, Progress *progress)
{
    m_counts.clear();
    m_error.clear();
    m_progress = progress;
    Database from;
    QString reason;
    if (!from.open(damaged, schema::kKey, &reason)) {
        m_error = failureText(QStringLiteral("Hasarlı veritabanı açılamadı"), damaged, reason);
        return false;
    }
    const QString temporary = temporaryNameFor(target);
    Database to;
    if (!Database::create(temporary, schema::kKey, &reason) ||
        !to.open(temporary, schema::kKey, &reason)) {
        QFile::remove(temporary);
        m_error = failureText(QStringLiteral("Yeni veritabanı yazılamadı"), target, reason);
        return false;
    }
    bool ok = true;
    try {
        to.exec(QStringLiteral("BEGIN"));
        for (const schema::Table &table : schema::tables()) {
            QStringList columns;
            for (const schema::Column &column : table.columns)
                columns << QString::fromLatin1(column.name);
            TableCount count;
            count.table = QString::fromLatin1(table.name);
            if (progress)
                progress->begin(count.table, 0);
            copyTable(from, to, count.table, columns, &count);
            m_counts << count;
        }
        keepSequence(from, to);
        to.exec(QStringLiteral("COMMIT"));
    } catch (const DbError &e) {
        ok = false;
        m_error = failureText(QStringLiteral("Yeni veritabanı yazılamadı"), target, e.describedText());
    }
    to.close();
    if (ok) {
        const Health health = checkFile(temporary, Depth::Quick);
        if (!health.sound()) {
            ok = false;
            m_error = failureText(QStringLiteral("Yeni veritabanı denetimden geçmedi"), target,
                                  health.reason);
        }
    }
    if (ok)
        ok = replaceFile(temporary, target, FileSystem::real(), &m_error);
    if (!ok) {
        QFile::remove(temporary);
        m_counts.clear();
    }
    return ok;
}

void Salvage::copyTable(Database &from, Database &to, const QString &table,
                        const QStringList &columns, TableCount *count)
{
    sqlite3 *src = from.handle();
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

void Salvage::keepSequence(Database &from, Database &to)
{
    // Unit keys handed out before stay used, so that no new unit takes the key of a lost one
    // that staff rows may still name.
    Raw read(from.handle(), QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = 'okul'"));
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

#include "databasefile.h"

#include "data/transaction.h"
#include "data/database.h"
#include "data/dberror.h"
#include "data/schema.h"

#include <QCryptographicHash>
#include <QFile>
#include <optional>
#include <QFileInfo>
#include <cerrno>
#include <sqlite3.h>
#include <sys/stat.h>

namespace maintenance
{

namespace
{

constexpr int kFindingsShown = 10;

// A page that fails its checksum stops the check with the engine's general error (the codec
// reports no code of its own); a busy, locked or unreadable disk gives codes of their own.
bool isDamage(int code)
{
    return code == SQLITE_CORRUPT || code == SQLITE_NOTADB || code == SQLITE_ERROR;
}

} // namespace

Health checkDatabase(Database &db, Depth depth)
{
    Health health;
    try {
        Statement st(db.handle(), depth == Depth::Quick ? QStringLiteral("PRAGMA quick_check")
                                                        : QStringLiteral("PRAGMA integrity_check"));
        while (st.step() && health.findings.size() < kFindingsShown)
            health.findings << QString::fromUtf8(
                reinterpret_cast<const char *>(sqlite3_column_text(st.get(), 0)));
        if (health.findings == QStringList{QStringLiteral("ok")}) {
            health.findings.clear();
            health.state = Health::Sound;
            return health;
        }
        health.state = Health::Damaged;
    } catch (const DbError &e) {
        health.state =
            isDamage(sqlite3_errcode(db.handle())) ? Health::Damaged : Health::Unreadable;
        health.findings = {e.message()};
        // The engine's words stay among the findings; the reason is said in Turkish.
        health.reason = health.state == Health::Damaged
                            ? QStringLiteral("dosyanın bazı sayfaları bozuk")
                            : e.describedText();
        return health;
    }
    health.reason = health.findings.value(0);
    return health;
}

QString Health::errorText(const QString &path) const
{
    const QString what = state == Damaged     ? QStringLiteral("Veritabanı dosyası hasarlı")
                         : findings.isEmpty() ? QStringLiteral("Veritabanı dosyası açılamadı")
                                              : QStringLiteral("Veritabanı dosyası denetlenemedi");
    return failureText(what, path, reason);
}

Health checkFile(const QString &path, Depth depth)
{
    Database db;
    try {
        db.open(path, schema::kKey);
    } catch (const DbError &e) {
        Health health;
        health.reason = e.message();
        // A file cut short fails already here, on the pages it says it has and has not.
        if (e.kind() == DbError::Kind::Corrupt) {
            health.state = Health::Damaged;
            health.findings = {e.message()};
        }
        return health;
    }
    return checkDatabase(db, depth);
}

QList<QPair<QString, qint64>> rowCounts(Database &db)
{
    QList<QPair<QString, qint64>> counts;
    for (const schema::Table &table : schema::tables()) {
        const QString name = QString::fromLatin1(table.name);
        counts.append(
            {name, db.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(name)).toLongLong()});
    }
    return counts;
}

namespace
{

// Each value goes in with its type and length, so that no two different rows can give the
// same bytes ('12', 12 and 12.0 differ; so do 'ab'+'c' and 'a'+'bc').
void addValue(QCryptographicHash &hash, sqlite3_stmt *st, int column)
{
    const int type = sqlite3_column_type(st, column);
    const char tag = char('0' + type);
    hash.addData(QByteArrayView(&tag, 1));
    qint64 length = 0;
    switch (type) {
    case SQLITE_INTEGER: {
        const sqlite3_int64 value = sqlite3_column_int64(st, column);
        hash.addData(QByteArrayView(reinterpret_cast<const char *>(&value), sizeof value));
        return;
    }
    case SQLITE_FLOAT: {
        const double value = sqlite3_column_double(st, column);
        hash.addData(QByteArrayView(reinterpret_cast<const char *>(&value), sizeof value));
        return;
    }
    case SQLITE_NULL:
        return;
    case SQLITE_BLOB: {
        const void *bytes = sqlite3_column_blob(st, column);
        length = sqlite3_column_bytes(st, column);
        hash.addData(QByteArrayView(reinterpret_cast<const char *>(&length), sizeof length));
        hash.addData(QByteArrayView(static_cast<const char *>(bytes), length));
        return;
    }
    default: {
        const unsigned char *text = sqlite3_column_text(st, column);
        length = sqlite3_column_bytes(st, column);
        hash.addData(QByteArrayView(reinterpret_cast<const char *>(&length), sizeof length));
        hash.addData(QByteArrayView(reinterpret_cast<const char *>(text), length));
        return;
    }
    }
}

void addRows(QCryptographicHash &hash, Database &db, const QString &sql)
{
    Statement st(db.handle(), sql);
    const int columns = sqlite3_column_count(st.get());
    while (st.step()) {
        for (int c = 0; c < columns; ++c)
            addValue(hash, st.get(), c);
        hash.addData(QByteArrayView("\n", 1));
    }
}

QStringList tableNames(Database &db)
{
    QStringList names;
    Statement st(db.handle(),
                 QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"));
    while (st.step())
        names << QString::fromUtf8(
            reinterpret_cast<const char *>(sqlite3_column_text(st.get(), 0)));
    return names;
}

QString quoted(const QString &identifier)
{
    return QLatin1Char('"') + QString(identifier).replace(QLatin1Char('"'), QStringLiteral("\"\""))
           + QLatin1Char('"');
}

} // namespace

QByteArray contentDigest(Database &db)
{
    // One read transaction: the digest is of one state of the file, not of several.
    std::optional<Transaction> reading;
    if (sqlite3_get_autocommit(db.handle()) != 0)
        reading.emplace(db, Transaction::Lock::Deferred); // rolled back at the end: only read
    QCryptographicHash hash(QCryptographicHash::Sha1);
    {
        addRows(hash, db, QStringLiteral("PRAGMA user_version"));
        // The page numbers of the schema change with every compaction; the statements do not.
        addRows(hash, db,
                QStringLiteral("SELECT type, name, tbl_name, sql FROM sqlite_master "
                               "ORDER BY type, name"));
        for (const QString &table : tableNames(db)) {
            hash.addData(table.toUtf8());
            // The key order is kept by a compaction even where it renumbers the keys.
            addRows(hash, db, QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(quoted(table)));
        }
    }
    return hash.result();
}

bool copyDatabase(Database &db, const QString &target, const FileSystem &fs, const Verify &verify,
                  QString *error)
{
    const QString source = db.path();
    sqlite3_file *file = nullptr;
    if (!db.isOpen() ||
        sqlite3_file_control(db.handle(), "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK ||
        !file || !file->pMethods) {
        if (error)
            *error = failureText(QStringLiteral("Veritabanı dosyası okunamadı"), source,
                                 QStringLiteral("veritabanı bağlantısı açık değil"));
        return false;
    }
    // A write lock of our own: others may read meanwhile, nobody can change the file.
    // Rolled back at the end: nothing is written under it.
    std::optional<Transaction> hold;
    if (sqlite3_get_autocommit(db.handle()) != 0) {
        try {
            hold.emplace(db, Transaction::Lock::Immediate);
        } catch (const DbError &e) {
            if (error)
                *error = failureText(
                    QStringLiteral("Veritabanı şu anda kopyalanamıyor"), source,
                    e.kind() == DbError::Kind::Busy
                        ? QStringLiteral("başka bir program veritabanına yazıyor")
                        : e.describedText());
            return false;
        }
    }
    sqlite3_int64 size = 0;
    bool ok = file->pMethods->xFileSize(file, &size) == SQLITE_OK;
    struct stat st {
    };
    const int mode =
        ::stat(QFile::encodeName(source).constData(), &st) == 0 ? int(st.st_mode & 0777) : 0644;
    const ReadAt read = [file](char *buffer, qint64 length, qint64 offset) {
        return file->pMethods->xRead(file, buffer, int(length), offset) == SQLITE_OK ? 0 : EIO;
    };
    if (!ok && error)
        *error =
            failureText(QStringLiteral("Veritabanı dosyası okunamadı"), source, reasonText(EIO));
    if (ok)
        ok = writeFile(source, size, read, target, mode, fs, verify, error);
    return ok;
}

Verify opensAndPassesQuickCheck(const QString &shownAs)
{
    return [shownAs](const QString &copy, QString *error) {
        Health health = checkFile(copy, Depth::Quick);
        if (health.sound())
            return true;
        if (error)
            *error = failureText(QStringLiteral("Kopya doğrulanamadı"), shownAs, health.reason);
        return false;
    };
}

} // namespace maintenance

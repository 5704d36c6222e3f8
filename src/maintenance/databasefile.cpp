#include "databasefile.h"

#include "data/database.h"
#include "data/dberror.h"
#include "data/schema.h"

#include <QFile>
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
    QString reason;
    if (!db.open(path, schema::kKey, &reason)) {
        Health health;
        health.reason = reason;
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
    const bool ownHold = sqlite3_get_autocommit(db.handle()) != 0;
    if (ownHold) {
        try {
            db.exec(QStringLiteral("BEGIN IMMEDIATE"));
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
    if (ownHold)
        sqlite3_exec(db.handle(), "ROLLBACK", nullptr, nullptr, nullptr); // nothing was written
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

#include "restore.h"

#include "data/database.h"
#include "data/dberror.h"
#include "data/schema.h"
#include "data/sharedqueries.h"
#include "databasebackup.h"
#include "databasefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>

namespace maintenance
{

namespace
{

const QString kNothingChanged = QStringLiteral("Veritabanı değiştirilmedi.");

QString missingTable(Database &db)
{
    for (const schema::Table &table : schema::tables()) {
        Statement st(db.handle(),
                     QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?"));
        st.bind(1, QString::fromLatin1(table.name));
        if (!st.step())
            return QString::fromLatin1(table.name);
    }
    return {};
}

qint64 countOf(Database &db, const char *table)
{
    return db.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(QLatin1String(table)))
        .toLongLong();
}

} // namespace

Restore::Restore(SharedQueries &data, FileSystem fs) : m_data(data), m_fs(std::move(fs)) {}

QList<BackupSummary> Restore::safetyCopies(const QString &folder)
{
    QList<BackupSummary> list;
    const QDir dir(folder);
    for (const QFileInfo &file : dir.entryInfoList({QStringLiteral("Data_*.dat")}, QDir::Files)) {
        BackupSummary summary;
        summary.when = timeInDatedName(file.fileName(), QStringLiteral("Data_"));
        if (!summary.when.isValid())
            continue; // a file of the user's own, not a safety copy
        QString ignored;
        check(file.absoluteFilePath(), &summary, &ignored);
        summary.path = file.absoluteFilePath();
        list << summary;
    }
    std::stable_sort(list.begin(), list.end(), [](const BackupSummary &a, const BackupSummary &b) {
        return a.when != b.when ? a.when > b.when : a.path > b.path;
    });
    return list;
}

bool Restore::check(const QString &path, BackupSummary *summary, QString *error)
{
    if (summary) {
        summary->path = path;
        summary->units = summary->staff = -1;
        if (!summary->when.isValid())
            summary->when = QFileInfo(path).lastModified();
    }
    const auto refuse = [&](const QString &what, const QString &reason) {
        if (error)
            *error = failureText(what, path, reason);
        return false;
    };
    if (!QFileInfo(path).isFile())
        return refuse(QStringLiteral("Yedek dosyası bulunamadı"), reasonText(ENOENT));
    // Only read: the user's backup stays exactly as it is.
    Database db;
    try {
        db.openForReading(path, schema::kKey);
    } catch (const DbError &e) {
        return refuse(QStringLiteral("Yedek dosyası açılamadı"),
                      QStringLiteral("dosya bu programın bir veritabanı değil ya da şifresi "
                                     "farklı (%1)")
                          .arg(e.message()));
    }
    try {
        const Health health = checkDatabase(db, Depth::Full);
        if (!health.sound())
            return refuse(QStringLiteral("Yedek dosyası hasarlı"), health.reason);
        const QString missing = missingTable(db);
        if (!missing.isEmpty())
            return refuse(QStringLiteral("Yedek dosyası bu programın bir veritabanı değil"),
                          QStringLiteral("\"%1\" tablosu yok").arg(missing));
        if (summary) {
            summary->units = countOf(db, "okul");
            summary->staff = countOf(db, "uyeler");
        }
    } catch (const DbError &e) {
        return refuse(QStringLiteral("Yedek dosyası okunamadı"), e.message());
    }
    return true;
}

bool Restore::fail(const QString &error)
{
    m_error = error;
    return false;
}

bool Restore::run(const QString &backup, const QString &safetyFolder)
{
    m_error.clear();
    m_safetyCopy.clear();
    const QString database = m_data.connection().path();
    if (QFileInfo(backup).canonicalFilePath() == QFileInfo(database).canonicalFilePath())
        return fail(failureText(QStringLiteral("Seçilen dosya kullanılan veritabanının kendisi"),
                                backup, QStringLiteral("başka bir yedek seçin")) +
                    QLatin1Char('\n') + kNothingChanged);
    QString reason;
    if (!check(backup, nullptr, &reason))
        return fail(reason + QLatin1Char('\n') + kNothingChanged);

    // The backup is copied beside the register first: the rename that puts it in place must
    // stay within one folder, and the user's backup file stays where it was.
    const QString work = temporaryNameFor(database);
    if (!copyFile(backup, work, m_fs, opensAndPassesQuickCheck(backup), &reason))
        return fail(reason + QLatin1Char('\n') + kNothingChanged);
    const bool ok = putInPlace(work, database, safetyFolder);
    QFile::remove(work); // gone by the rename when it succeeded
    return ok;
}

bool Restore::putInPlace(const QString &work, const QString &database,
                         const QString &safetyFolder)
{
    QString reason;
    if (openFilesOf(database).others > 0)
        return fail(failureText(QStringLiteral("Veritabanı kullanımda"), database, openElsewhereReason()) +
                    QLatin1Char('\n') + kNothingChanged);
    DatabaseBackup backup(m_data.connection(), m_fs);
    if (!backup.safetyCopy(safetyFolder, &m_safetyCopy, &reason))
        return fail(QStringLiteral("Kullanılan veritabanının güvenlik kopyası alınamadı.\n") +
                    reason + QLatin1Char('\n') + kNothingChanged);
    m_data.disconnect();
    if (!replaceFile(work, database, m_fs, &reason)) {
        QString again;
        if (!reopen(database, &again))
            again.prepend(QLatin1Char('\n'));
        return fail(reason + QLatin1Char('\n') + kNothingChanged + again);
    }
    if (!reopen(database, &reason)) {
        // Not expected after the check; the register in use before is put back.
        QString again;
        if (copyFile(m_safetyCopy, database, m_fs, opensAndPassesQuickCheck(m_safetyCopy),
                     &again))
            reopen(database, &again);
        return fail(QStringLiteral("Geri yüklenen veritabanı açılamadı: %1\nÖnceki veritabanı "
                                   "geri kondu.%2")
                        .arg(reason, again.isEmpty() ? QString() : QLatin1Char('\n') + again));
    }
    return true;
}

bool Restore::reopen(const QString &database, QString *error)
{
    try {
        m_data.connect(database);
        m_data.openAll();
        m_units = countOf(m_data.connection(), "okul");
        m_staff = countOf(m_data.connection(), "uyeler");
        return true;
    } catch (const DbError &e) {
        if (error)
            *error = e.message();
        return false;
    }
}

} // namespace maintenance

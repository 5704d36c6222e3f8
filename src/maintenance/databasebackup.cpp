#include "databasebackup.h"

#include "data/database.h"
#include "databasefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>

namespace maintenance
{

namespace
{

const QString kSafetyCopyPattern = QStringLiteral("Data_*.dat");

bool isSafetyCopyName(const QString &name)
{
    static const QRegularExpression pattern(
        QStringLiteral("^Data_\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d(_\\d+)?\\.dat$"));
    return pattern.match(name).hasMatch();
}

} // namespace

DatabaseBackup::DatabaseBackup(Database &db, FileSystem fs) : m_db(db), m_fs(std::move(fs)) {}

QString DatabaseBackup::targetFolder(const QString &location, const QString &folderName)
{
    if (folderName.isEmpty())
        return QDir::cleanPath(location);
    return QDir::cleanPath(location + QLatin1Char('/') + folderName);
}

bool DatabaseBackup::copyTo(const QString &target, QString *error)
{
    if (!QFileInfo::exists(m_db.path())) {
        if (error)
            *error = failureText(QStringLiteral("Veritabanı dosyası bulunamadı"), m_db.path(),
                                 reasonText(ENOENT));
        return false;
    }
    // A backup in the database's own place would take the file from under the connection.
    if (QFileInfo(target).canonicalFilePath() == QFileInfo(m_db.path()).canonicalFilePath()) {
        if (error)
            *error = failureText(QStringLiteral("Yedek, veritabanının kendi yerine yazılamaz"),
                                 target, QStringLiteral("başka bir klasör ya da klasör adı seçin"));
        return false;
    }
    return copyDatabase(m_db, target, m_fs, opensAndPassesQuickCheck(target), error);
}

bool DatabaseBackup::copySettings(const QString &source, const QString &target, QString *error)
{
    if (!QFileInfo(source).isFile()) {
        if (error)
            *error = failureText(QStringLiteral("Ayar dosyası bulunamadı"), source,
                                 QStringLiteral("ayarlar henüz hiç kaydedilmemiş"));
        return false;
    }
    return copyFile(source, target, m_fs, {}, error);
}

bool DatabaseBackup::safetyCopy(const QString &folder, QString *path, QString *error)
{
    if (!makeFolder(folder, error))
        return false;
    const QString target = freeDatedName(folder, QStringLiteral("Data_"));
    if (!copyTo(target, error))
        return false;
    dropOldSafetyCopies(folder);
    if (path)
        *path = target;
    return true;
}

void DatabaseBackup::dropOldSafetyCopies(const QString &folder) const
{
    QStringList copies;
    const QDir dir(folder);
    for (const QString &name : dir.entryList({kSafetyCopyPattern}, QDir::Files, QDir::Name))
        if (isSafetyCopyName(name))
            copies << name; // oldest first: the names sort as their date and time
    for (int i = 0; i + kSafetyCopiesKept < copies.size(); ++i)
        QFile::remove(dir.filePath(copies[i]));
}

} // namespace maintenance

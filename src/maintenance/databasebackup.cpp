#include "databasebackup.h"

#include "data/database.h"
#include "data/registercopy.h"
#include "data/schema.h"
#include "databasefile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>

namespace maintenance
{

namespace
{

const QString kSafetyCopyPattern = QStringLiteral("Data_*.dat");

bool isSafetyCopyName(const QString &name)
{
    return timeInDatedName(name, QStringLiteral("Data_")).isValid();
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
    if (m_db.isServer())
        return pullFromServer(target, error);
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

bool DatabaseBackup::pullFromServer(const QString &target, QString *error)
{
    // A register on a server is backed up as a file of its own, openable and restorable
    // anywhere: the rows read from the server into a new encrypted Data.dat, checked.
    const registercopy::Outcome outcome =
        registercopy::pullToFile(m_db.address(), target, QByteArray(schema::kKey));
    if (!outcome.ok && error)
        *error = failureText(QStringLiteral("Sunucudaki kayıtların yedeği alınamadı"), target, outcome.error);
    return outcome.ok;
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
    dropOldSafetyCopies(folder, target);
    if (path)
        *path = target;
    return true;
}

void DatabaseBackup::dropOldSafetyCopies(const QString &folder, const QString &justMade) const
{
    // Newest first by the time each file was written: names tell nothing when the clock was
    // wrong or the copies came from another computer. The copy just made is never dropped:
    // the result line names it, and it holds the data about to be deleted.
    const QDir dir(folder);
    QFileInfoList others;
    for (const QFileInfo &file :
         dir.entryInfoList({kSafetyCopyPattern}, QDir::Files, QDir::NoSort))
        if (isSafetyCopyName(file.fileName()) && file.fileName() != QFileInfo(justMade).fileName())
            others << file;
    std::stable_sort(others.begin(), others.end(), [](const QFileInfo &a, const QFileInfo &b) {
        const QDateTime ta = a.lastModified(), tb = b.lastModified();
        return ta != tb ? ta > tb : a.fileName() > b.fileName();
    });
    for (qsizetype i = kSafetyCopiesKept - 1; i < others.size(); ++i)
        QFile::remove(others[i].filePath());
}

} // namespace maintenance

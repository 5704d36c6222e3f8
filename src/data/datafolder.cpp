#include "datafolder.h"

#include "database.h"
#include "safefile.h"
#include "schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fcntl.h>
#include <unistd.h>

namespace datafolder
{

namespace
{

QString databaseIn(const QString &folder)
{
    return QDir(folder).filePath(QString::fromLatin1(schema::kDatabaseFile));
}

// Asked with the rights the file system applies to this process, as a write would be.
bool canWrite(const QString &folder)
{
    return ::faccessat(AT_FDCWD, QFile::encodeName(folder).constData(), W_OK, AT_EACCESS) == 0;
}

QString failure(const QString &what, const QString &path, int error)
{
    return QStringLiteral("%1: %2\nNeden: %3.")
        .arg(what, QDir::toNativeSeparators(path), safefile::reasonText(error));
}

bool makeFolder(const QString &folder, QString *error)
{
    if (QFileInfo(folder).isDir())
        return true;
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(QFile::encodeName(folder).toStdString()), ec);
    if (!ec && QFileInfo(folder).isDir())
        return true;
    if (error)
        *error = failure(QStringLiteral("Veri klasörü oluşturulamadı"), folder,
                         ec ? ec.value() : ENOTDIR);
    return false;
}

// The empty register is made under a name of its own and renamed into place whole: a start
// that is cut short never leaves a half-made Data.dat for the next one to refuse.
bool createEmptyRegister(const QString &target, QString *error)
{
    const QString making = safefile::temporaryNameFor(target);
    QFile::remove(making + QStringLiteral("-journal"));
    QString reason;
    if (!Database::create(making, schema::kKey, &reason)) {
        QFile::remove(making);
        if (error)
            *error = QStringLiteral("Boş veritabanı oluşturulamadı: %1\nNeden: %2")
                         .arg(QDir::toNativeSeparators(target), reason);
        return false;
    }
    if (::rename(QFile::encodeName(making).constData(), QFile::encodeName(target).constData()) !=
        0) {
        const int failed = errno;
        QFile::remove(making);
        if (error)
            *error = failure(QStringLiteral("Boş veritabanı yerine konamadı"), target, failed);
        return false;
    }
    safefile::syncFolder(QFileInfo(target).absolutePath());
    return true;
}

} // namespace

QString userFolder()
{
    // $XDG_DATA_HOME when it is set to an absolute path, ~/.local/share otherwise.
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(base).filePath(QStringLiteral("Meltora"));
}

bool isInstalled(const QString &executableFolder)
{
    const QDir bin(executableFolder);
    return bin.dirName() == QLatin1String("bin") &&
           QFileInfo(bin.filePath(QStringLiteral("../share/meltora"))).isDir();
}

Choice choose(const QString &executableFolder, const QString &named)
{
    if (!named.isEmpty())
        return {QDir(named).absolutePath(), Kind::Named};
    if (QFileInfo(databaseIn(executableFolder)).isFile())
        return {executableFolder, Kind::ProgramFolder};
    if (isInstalled(executableFolder) || !canWrite(executableFolder))
        return {userFolder(), Kind::UserFolder};
    return {executableFolder, Kind::ProgramFolder};
}

bool prepare(const Choice &choice, QString *error)
{
    if (choice.kind == Kind::Named && !QFileInfo(choice.folder).isDir()) {
        if (error)
            *error = failure(QStringLiteral("Veri klasörü bulunamadı"), choice.folder, ENOENT);
        return false;
    }
    if (!makeFolder(choice.folder, error))
        return false;
    const QString database = databaseIn(choice.folder);
    if (QFileInfo::exists(database))
        return true;
    return createEmptyRegister(database, error);
}

} // namespace datafolder

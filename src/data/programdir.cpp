#include "programdir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
QString &overridePath()
{
    static QString dir;
    return dir;
}

QString executableFolder()
{
    return QCoreApplication::applicationDirPath();
}

// The first of the places that holds `name`; the last place when none does, so that a
// failure names where the file was looked for last.
QString firstHolding(const QString &name, const QStringList &folders)
{
    for (const QString &folder : folders) {
        const QString candidate = QDir(folder).filePath(name);
        if (QFileInfo::exists(candidate))
            return QDir::cleanPath(candidate);
    }
    return QDir::cleanPath(QDir(folders.last()).filePath(name));
}
} // namespace

QString ProgramDir::path()
{
    if (!overridePath().isEmpty())
        return overridePath();
    return executableFolder();
}

void ProgramDir::setPath(const QString &dir)
{
    overridePath() = dir;
}

QString ProgramDir::file(const QString &name)
{
    return QDir(path()).filePath(name);
}

QString ProgramDir::caption()
{
    const bool own = QFileInfo(path()).canonicalFilePath() ==
                     QFileInfo(executableFolder()).canonicalFilePath();
    return own ? QStringLiteral("Program Klasörü") : QStringLiteral("Veri Klasörü");
}

QString ProgramDir::sharedFile(const QString &name)
{
    const QString bin = executableFolder();
    return firstHolding(name, {path(), bin, QDir(bin).filePath(QStringLiteral("../share/meltora"))});
}

QString ProgramDir::helperProgram(const QString &name)
{
    const QString bin = executableFolder();
    return firstHolding(name,
                        {path(), bin, QDir(bin).filePath(QStringLiteral("../libexec/meltora"))});
}

#include "programdir.h"

#include <QCoreApplication>
#include <QDir>

namespace {
QString &overridePath()
{
    static QString dir;
    return dir;
}
} // namespace

QString ProgramDir::path()
{
    if (!overridePath().isEmpty())
        return overridePath();
    return QCoreApplication::applicationDirPath();
}

void ProgramDir::setPath(const QString &dir)
{
    overridePath() = dir;
}

QString ProgramDir::file(const QString &name)
{
    return QDir(path()).filePath(name);
}

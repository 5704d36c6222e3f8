#pragma once

// The workbooks of the Excel import tests, written at test time by
// tests/fixtures/make_workbooks.py, and fake reader programs for the faults of the reader.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

// Writes the workbooks into `dir`; false (with the script's complaint printed) on failure.
inline bool makeWorkbooks(const QString &dir, const QStringList &extra = {})
{
    QProcess script;
    script.start(QStringLiteral("/usr/bin/python3"),
                 QStringList{QStringLiteral(MELTORA_MAKE_WORKBOOKS), dir} + extra);
    if (!script.waitForFinished(60000) || script.exitCode() != 0) {
        qWarning("make_workbooks.py: %s", script.readAllStandardError().constData());
        return false;
    }
    return true;
}

// A shell script standing in for the reader; `body` is what it does.
inline QString writeFakeReader(const QString &path, const QByteArray &body)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write("#!/bin/sh\n" + body + "\n");
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

#pragma once

// The workbooks of the Excel import tests, written at test time by
// tests/fixtures/make_workbooks.py, and fake reader programs for the faults of the reader.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

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

// This process's resident memory in KiB, as the kernel counts it: now (VmRSS) or at its peak
// (VmHWM) since the peak was last reset.
inline qint64 residentKb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QRegularExpression line(QStringLiteral("%1:\\s+(\\d+) kB").arg(QLatin1String(field)));
    return line.match(QString::fromLatin1(status.readAll())).captured(1).toLongLong();
}

// How far this process's resident memory rose above where it stood while `work` ran, in KiB.
inline qint64 residentGrowthKb(const std::function<void()> &work)
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (!clear.open(QIODevice::WriteOnly) || clear.write("5") != 1)
        return -1;
    clear.close();
    const qint64 before = residentKb("VmRSS");
    work();
    return residentKb("VmHWM") - before;
}

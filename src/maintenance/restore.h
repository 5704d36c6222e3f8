#pragma once

#include "fileops.h"

#include <QDateTime>
#include <QList>
#include <QString>

class SharedQueries;

namespace maintenance
{

// A backup of the register as the restore window lists it.
struct BackupSummary {
    QString path;
    QDateTime when; // from a safety copy's name, else the file's last change
    qint64 units = -1;
    qint64 staff = -1; // -1 while unknown: the file does not open as a register
};

// Puts a backup in the place of the open register. The backup is checked first (the
// program's key, the engine's full check, the six tables); the register in use is saved as
// a safety copy; then a checked copy of the backup replaces Data.dat in one rename and the
// queries are opened again on it. Any failure before the rename changes nothing.
class Restore
{
public:
    explicit Restore(SharedQueries &data, FileSystem fs = FileSystem::real());

    // The safety copies in `folder` ("Data_<date>_<time>.dat"), newest first, with their
    // unit and staff counts.
    static QList<BackupSummary> safetyCopies(const QString &folder);

    // Whether `path` is a sound register of this program; its counts in `summary`. False with
    // the Turkish reason.
    static bool check(const QString &path, BackupSummary *summary, QString *error);

    // Restores `backup`; the safety copy of the register in use goes into `safetyFolder`.
    bool run(const QString &backup, const QString &safetyFolder);

    // After a run: the Turkish reason of a failure, the safety copy taken, and what the
    // register now holds.
    QString error() const { return m_error; }
    QString safetyCopy() const { return m_safetyCopy; }
    qint64 units() const { return m_units; }
    qint64 staff() const { return m_staff; }

private:
    bool fail(const QString &error);
    bool putInPlace(const QString &work, const QString &database, const QString &safetyFolder);
    bool reopen(const QString &database, QString *error);

    SharedQueries &m_data;
    FileSystem m_fs;
    QString m_error;
    QString m_safetyCopy;
    qint64 m_units = -1;
    qint64 m_staff = -1;
};

} // namespace maintenance

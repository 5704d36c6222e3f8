#pragma once

#include "fileops.h"

#include <QString>

class Database;

namespace maintenance
{

// Backups of the open database and of the settings file: the backup window's copies and the
// automatic safety copy taken before a bulk delete.
class DatabaseBackup
{
public:
    explicit DatabaseBackup(Database &db, FileSystem fs = FileSystem::real());

    // The folder a backup goes to: the chosen location and, under it, the folder name as
    // typed; an empty name means the location itself.
    static QString targetFolder(const QString &location, const QString &folderName);

    // A copy of the open database at `target`, taken while nothing can write to it, and
    // checked (it opens with the key and passes the quick check) before it replaces an older
    // file of that name. False with a Turkish message naming the path and the reason.
    bool copyTo(const QString &target, QString *error);
    // A copy of the settings file; a settings file that was never written is a failure too.
    bool copySettings(const QString &source, const QString &target, QString *error);

    // The safety copy: a checked copy named after the date and time
    // ("Data_2024-05-31_14-05-09.dat") in `folder`, made when missing; of such copies the new
    // one and the newest others by file time stay, `kSafetyCopiesKept` in all.
    bool safetyCopy(const QString &folder, QString *path, QString *error);
    static constexpr int kSafetyCopiesKept = 10;

private:
    bool pullFromServer(const QString &target, QString *error);
    void dropOldSafetyCopies(const QString &folder, const QString &justMade) const;

    Database &m_db;
    FileSystem m_fs;
};

} // namespace maintenance

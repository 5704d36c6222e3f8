#pragma once

#include "data/database.h"
#include "databasefile.h"
#include "fileops.h"
#include "progress.h"

#include <QString>
#include <QStringList>

namespace maintenance
{

// Compacts Data.dat while the program's own connection is closed. The compacted copy is
// built as Yedek.dat beside it (a consistent copy, VACUUM on the copy, which keeps the key
// and the page size, the full check, and the row count of every table equal to the
// original's) and only then put in the place of Data.dat by one rename. The database is held
// from the copy until the rename, so that nobody else can change it in between. Any failure
// leaves Data.dat exactly as it was and removes the work file.
class Compaction
{
public:
    enum class Outcome { Ready, Damaged, Failed };

    explicit Compaction(const QString &databasePath, FileSystem fs = FileSystem::real());
    ~Compaction();
    Compaction(const Compaction &) = delete;
    Compaction &operator=(const Compaction &) = delete;

    static QString workFileName() { return QStringLiteral("Yedek.dat"); }
    QString databasePath() const { return m_path; }
    QString workPath() const { return m_workPath; }

    // Builds and checks the compacted copy. Damaged: the database fails its own check before
    // anything is copied (findings() tells what the check found); it is left untouched.
    Outcome prepare(Progress *progress = nullptr);
    // Puts the checked copy in the place of Data.dat. False when that did not happen; the
    // database is then as it was.
    bool replace(Progress *progress = nullptr);
    // Lets the database go and removes the work file, when the run ends without a replacement.
    void abandon();

    // Turkish, with the path and the reason.
    QString error() const { return m_error; }
    QStringList findings() const { return m_findings; }
    qint64 sizeBefore() const { return m_sizeBefore; }
    qint64 sizeAfter() const { return m_sizeAfter; }

private:
    Outcome fail(const QString &error);
    bool buildCopy();
    bool checkCopy(const QList<QPair<QString, qint64>> &counts);
    bool stopped(Progress *progress);

    QString m_path;
    QString m_workPath;
    FileSystem m_fs;
    Database m_source; // holds the database from the copy until the rename
    bool m_prepared = false;
    QString m_error;
    QStringList m_findings;
    qint64 m_sizeBefore = -1;
    qint64 m_sizeAfter = -1;
};

} // namespace maintenance

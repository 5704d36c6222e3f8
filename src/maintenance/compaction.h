#pragma once

#include "data/database.h"
#include "databasefile.h"
#include "fileops.h"
#include "data/progress.h"

#include <QString>
#include <QStringList>

namespace maintenance
{

// Compacts Data.dat while the program's own connection is closed. The compacted copy is
// built in a work file beside it (a consistent copy, VACUUM on the copy, which keeps the key
// and the page size, the full check, and the same content as the original, row for row) and
// only then put in the place of Data.dat by one rename. The database is held from the copy
// until the rename, so that nobody else can change it in between. Any failure leaves
// Data.dat exactly as it was and removes the work file.
//
// Each run names its work file anew ("Yedek_<random>.dat") and first removes what an
// interrupted run left (its work file, that file's journal, half-written hidden copies): the
// engine would take an old journal beside a new file of the same name for its own and roll
// the new copy back to the register of that earlier run.
class Compaction
{
public:
    enum class Outcome { Ready, Damaged, Failed };

    explicit Compaction(const QString &databasePath, FileSystem fs = FileSystem::real());
    ~Compaction();
    Compaction(const Compaction &) = delete;
    Compaction &operator=(const Compaction &) = delete;

    // Whether a file in the database's folder is one that a run of the compaction makes:
    // a work file, its journal, or a copy of it in the making.
    static bool isWorkFileName(const QString &fileName);
    QString databasePath() const { return m_path; }
    // The work file of the run under way; empty before prepare().
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
    // Compacts the copy, checks it in full and takes its content digest.
    bool checkCopy();
    // Whether the copy holds what the register does; m_error says why not.
    bool sameContent(const QByteArray &registerDigest);
    void removeLeftovers() const;
    QString newWorkPath() const;
    bool stopped(Progress *progress);

    QString m_path;
    QByteArray m_copyDigest;
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

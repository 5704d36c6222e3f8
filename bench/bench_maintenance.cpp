// Times the maintenance commands on a large Data.dat, each beside a reference measured in
// the same run: the backup against `cp` of the same file, the compaction against VACUUM in
// the sqlcipher shell on a copy, and the bulk delete of all staff with the main window open
// against its target time.
//
//   bench_maintenance DIR [--reps N]
//
// DIR holds a demo database (meltora-db demo). It is only read: every measurement works on
// copies in a scratch folder beside it. Figures beyond their targets are marked MISSED.

#include "app/application.h"
#include "app/tform1.h"
#include "toolkit/tsrdbgrid.h"
#include "app/windows.h"
#include "benchsupport.h"
#include "data/dberror.h"
#include "data/programdir.h"
#include "data/schema.h"
#include "data/sharedqueries.h"
#include "maintenance/bulkdelete.h"
#include "maintenance/compaction.h"
#include "maintenance/databasebackup.h"
#include "maintenance/databasefile.h"
#include "maintenance/tfrmsil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace
{

using bench::Timer;

bool copyAside(const QString &from, const QString &to)
{
    QFile::remove(to);
    return QFile::copy(from, to);
}

// Wall time of a command line, or -1 when it fails.
double run(const QString &program, const QStringList &arguments, const QByteArray &input = {})
{
    QProcess process;
    Timer t;
    process.start(program, arguments);
    if (!input.isEmpty())
        process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(-1) || process.exitCode() != 0)
        return -1;
    return t.ms();
}

double backupOnce(Database &db, const QString &target)
{
    QFile::remove(target);
    QString error;
    Timer t;
    if (!maintenance::DatabaseBackup(db).copyTo(target, &error))
        qFatal("backup failed: %s", qPrintable(error));
    return t.ms();
}

double copyOnce(Database &db, const QString &target)
{
    QFile::remove(target);
    QString error;
    Timer t;
    if (!maintenance::copyDatabase(db, target, maintenance::FileSystem::real(), {}, &error))
        qFatal("copy failed: %s", qPrintable(error));
    return t.ms();
}

double compactOnce(const QString &source, const QString &work)
{
    if (!copyAside(source, work))
        qFatal("cannot copy %s", qPrintable(source));
    maintenance::Compaction compaction(work);
    Timer t;
    if (compaction.prepare() != maintenance::Compaction::Outcome::Ready || !compaction.replace())
        qFatal("compaction failed: %s", qPrintable(compaction.error()));
    return t.ms();
}

// The shell cannot VACUUM our own file: rebuilding its tables needs the Turkish collation
// that only the program registers. Its reference is the same rows in the same tables with
// the shell's NOCASE in place of TR, written once by the program into a keyed file.
void makeShellReference(const QString &source, const QString &reference)
{
    QFile::remove(reference);
    QFile(reference).open(QIODevice::WriteOnly); // an empty file is an empty database to attach
    Database db;
    QString error;
    if (!db.open(source, schema::kKey, &error))
        qFatal("cannot open %s: %s", qPrintable(source), qPrintable(error));
    db.exec(QStringLiteral(
                "PRAGMA cipher_default_page_size = 4096; ATTACH DATABASE '%1' AS ref KEY '%2'")
                .arg(reference, QLatin1String(schema::kKey)));
    db.exec(QStringLiteral("BEGIN"));
    for (QString statement : schema::createStatements()) {
        statement.replace(QStringLiteral("COLLATE TR"), QStringLiteral("COLLATE NOCASE"));
        statement.replace(QStringLiteral("CREATE TABLE "), QStringLiteral("CREATE TABLE ref."));
        statement.replace(QStringLiteral("CREATE INDEX "), QStringLiteral("CREATE INDEX ref."));
        db.exec(statement);
    }
    for (const schema::Table &table : schema::tables())
        db.exec(QStringLiteral("INSERT INTO ref.%1 SELECT * FROM main.%1")
                    .arg(QLatin1String(table.name)));
    db.exec(QStringLiteral("COMMIT; DETACH DATABASE ref"));
}

double shellVacuumOnce(const QString &shell, const QString &source, const QString &work)
{
    if (!copyAside(source, work))
        qFatal("cannot copy %s", qPrintable(source));
    return run(shell, {work},
               "PRAGMA key = 'kovanta47';\nPRAGMA cipher_page_size = 4096;\nVACUUM;\n");
}

struct DeleteTimes {
    double deleteOnly = 0;
    double withSafetyCopy = 0;
};

// The main window on a fresh copy with the member browser showing every staff row; the
// staff deleted as "Seçili Kayıtları Sil" does it, until the emptied list is painted.
DeleteTimes bulkDeleteOnce(const QString &source, const QString &folder, bool safetyCopy)
{
    const QString database = QDir(folder).filePath(QStringLiteral("Data.dat"));
    if (!copyAside(source, database))
        qFatal("cannot copy %s", qPrintable(source));
    QDir(QDir(folder).filePath(QStringLiteral("Yedekler"))).removeRecursively();
    ProgramDir::setPath(folder);
    QString error;
    std::unique_ptr<TForm1> form(TForm1::create(&error));
    if (!form)
        qFatal("cannot open %s: %s", qPrintable(database), qPrintable(error));
    createWindows(form.get());
    form->resize(1600, 1000);
    form->show();
    QTest::mouseClick(form->findChild<QPushButton *>(QStringLiteral("BitBtn2")), Qt::LeftButton);
    auto *grid = form->findChild<TSrDBGrid *>(QStringLiteral("SrDBGrid3"));
    QCoreApplication::processEvents();
    grid->repaint();
    if (form->data()->QueryPersonel->recordCount() == 0)
        qFatal("no staff to delete");

    DeleteTimes times;
    Timer all;
    if (safetyCopy) {
        QString path;
        if (!maintenance::DatabaseBackup(form->data()->connection())
                 .safetyCopy(TFrmSil::safetyCopyFolder(), &path, &error))
            qFatal("safety copy failed: %s", qPrintable(error));
    }
    Timer remove;
    maintenance::BulkDelete bulk(form->data());
    maintenance::BulkDelete::Outcome outcome;
    if (!bulk.run(maintenance::BulkDelete::Kind::Staff, nullptr, &outcome, &error))
        qFatal("delete failed: %s", qPrintable(error));
    QCoreApplication::processEvents();
    grid->repaint();
    times.deleteOnly = remove.ms();
    times.withSafetyCopy = all.ms();
    if (grid->model()->rowCount() != 0 || form->labelPersonel()->text() != QLatin1String("0"))
        qFatal("the staff list is not empty after the delete");
    bench::say(QStringLiteral("  deleted %1 staff").arg(outcome.deleted));
    form->hide();
    return times;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        bench::say("usage: bench_maintenance DIR [--reps N]");
        return 2;
    }
    const QString source = QDir(args[1]).filePath(QStringLiteral("Data.dat"));
    const int reps = bench::option(args, QStringLiteral("--reps"), 5);
    if (!QFileInfo::exists(source)) {
        bench::say("no database at " + source);
        return 1;
    }
    // Scratch copies on the same disk as the database, so that `cp` and we write alike.
    QTemporaryDir scratch(QFileInfo(args[1]).absolutePath() +
                          QStringLiteral("/bench-maintenance-XXXXXX"));
    const QDir work(scratch.path());
    bench::say(QStringLiteral("database %1, %2 MB")
                   .arg(source)
                   .arg(QFileInfo(source).size() / 1e6, 0, 'f', 1));
    bench::Report report;

    // Backup of the open database: the program's connection holds it while it is copied.
    const QString open = work.filePath(QStringLiteral("Data.dat"));
    copyAside(source, open);
    work.mkdir(QStringLiteral("yedek"));
    work.mkdir(QStringLiteral("cp"));
    Database db;
    QString error;
    if (!db.open(open, schema::kKey, &error))
        qFatal("cannot open %s: %s", qPrintable(open), qPrintable(error));
    std::vector<double> backups, copies, cps, syncedCps;
    for (int i = 0; i < reps; ++i) {
        const QString cpTarget = work.filePath(QStringLiteral("cp/Data.dat"));
        QFile::remove(cpTarget);
        cps.push_back(run(QStringLiteral("cp"), {open, cpTarget}));
        QFile::remove(cpTarget);
        syncedCps.push_back(
            run(QStringLiteral("sh"),
                {QStringLiteral("-c"), QStringLiteral("cp \"$0\" \"$1\" && sync \"$1\""), open,
                 cpTarget}));
        copies.push_back(copyOnce(db, work.filePath(QStringLiteral("yedek/Data.dat"))));
        backups.push_back(backupOnce(db, work.filePath(QStringLiteral("yedek/Data.dat"))));
    }
    db.close();
    const double cp = bench::median(cps);
    const double syncedCp = bench::median(syncedCps);
    report.ratio(QStringLiteral("backup of the open database, checked"), bench::median(backups), cp,
                 2.0, QStringLiteral("cp"));
    report.ratio(QStringLiteral("  the same"), bench::median(backups), syncedCp, 2.0,
                 QStringLiteral("cp + sync"));
    report.ratio(QStringLiteral("  its held, synced copy alone"), bench::median(copies), syncedCp,
                 2.0, QStringLiteral("cp + sync"));

    // Repair and compact, against VACUUM in the shell on a copy of the same file.
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlcipher"));
    const QString reference = work.filePath(QStringLiteral("shell-reference.dat"));
    try {
        makeShellReference(source, reference);
    } catch (const DbError &e) {
        qFatal("cannot write the shell's reference: %s", qPrintable(e.message()));
    }
    std::vector<double> compactions, vacuums;
    for (int i = 0; i < std::max(1, reps / 2); ++i) {
        compactions.push_back(compactOnce(source, work.filePath(QStringLiteral("Data.dat"))));
        if (!shell.isEmpty())
            vacuums.push_back(
                shellVacuumOnce(shell, reference, work.filePath(QStringLiteral("vacuum.dat"))));
    }
    report.ratio(QStringLiteral("repair and compact, checked"), bench::median(compactions),
                 shell.isEmpty() ? -1 : bench::median(vacuums), 2.0,
                 QStringLiteral("shell VACUUM"));

    // Bulk delete of all staff with the main window open.
    std::vector<double> deletes, withCopy;
    for (int i = 0; i < std::max(1, reps / 2); ++i) {
        const DeleteTimes t = bulkDeleteOnce(source, work.path(), true);
        deletes.push_back(t.deleteOnly);
        withCopy.push_back(t.withSafetyCopy);
    }
    report.limit(QStringLiteral("bulk delete of all staff, lists shown emptied"),
                 bench::median(deletes), 2000);
    report.limit(QStringLiteral("  with the safety copy before it"), bench::median(withCopy), 2000);
    report.print();
    return 0;
}

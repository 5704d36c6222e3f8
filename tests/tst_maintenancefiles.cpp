// The file and database work of the maintenance commands, without windows: backups of the
// open database, the compaction that must never lose Data.dat, the salvage of a damaged
// file, and the bulk removal of a dataset's listed rows.

#include "data/database.h"
#include "data/dataset.h"
#include "data/dberror.h"
#include "data/schema.h"
#include "data/sharedqueries.h"
#include "maintenance/bulkdelete.h"
#include "maintenance/compaction.h"
#include "maintenance/databasebackup.h"
#include "maintenance/databasefile.h"
#include "maintenance/salvage.h"
#include "recordingprogress.h"
#include "testsupport.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <QThread>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

using namespace maintenance;

namespace
{

constexpr int kPageSize = 4096;

// Units and staff made by the engine itself, enough to fill a few hundred pages.
QStringList rows(int units, int staff)
{
    return {
        QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
            "INSERT INTO okul (okul_adi, ili) SELECT 'OKUL ' || i, 'ANKARA' FROM n")
            .arg(units),
        QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
            "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir, ev_adresi, kurum_adresi, "
            "sendikasi) "
            "SELECT 1 + i % %2, 'AD' || i, 'SOYAD' || i, 'AD' || i || ' SOYAD' || i, "
            "'MAHALLE SOKAK NO ' || i, 'KURUM ADRESİ ' || i, 'EĞİTİM SEN' FROM n")
            .arg(staff)
            .arg(units),
        QStringLiteral(
            "INSERT INTO sendikalar (sendikalar, adresi) VALUES ('EĞİTİM SEN', 'ANKARA')"),
        QStringLiteral("INSERT INTO sabit (Kurum_Adi) VALUES ('MEB')"),
    };
}

// Spoils `count` pages from `page` on, as a failing disk would: the pages no longer pass
// their checksum.
void damagePages(const QString &path, int page, int count = 1)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    for (int p = page; p < page + count; ++p) {
        f.seek(qint64(p) * kPageSize + 200);
        QByteArray bytes = f.read(64);
        for (char &c : bytes)
            c = char(~c);
        f.seek(qint64(p) * kPageSize + 200);
        f.write(bytes);
    }
}

int pages(const QString &path)
{
    return int(QFileInfo(path).size() / kPageSize);
}

qint64 count(const QString &path, const QString &sql)
{
    Database db;
    QString error;
    if (!db.open(path, schema::kKey, &error))
        return -1;
    return db.scalar(sql).toLongLong();
}

QList<QPair<QString, qint64>> countsOf(const QString &path)
{
    Database db;
    QString error;
    if (!db.open(path, schema::kKey, &error))
        return {};
    return rowCounts(db);
}

// Files a failed copy or compaction could have left beside its target.
QStringList leftovers(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral(".*.tmp"), QStringLiteral("Yedek*")},
                                  QDir::Files | QDir::Hidden);
}

QByteArray digestOf(const QString &path)
{
    Database db;
    QString error;
    if (!db.open(path, schema::kKey, &error))
        return {};
    return contentDigest(db);
}

const char kCompactOnce[] = "--compact-once";

// The repair's file work as the repair window runs it, in a process of its own, so that a
// test can kill it at any moment as a power cut would.
int compactOnce(const QString &path)
{
    Compaction compaction(path);
    if (compaction.prepare() != Compaction::Outcome::Ready || !compaction.replace())
        return 1;
    return 0;
}

// Starts the compaction in a child process; it runs until it ends or is killed.
void startCompaction(QProcess &child, const QString &path)
{
    child.start(QCoreApplication::applicationFilePath(), {QLatin1String(kCompactOnce), path});
}

FileSystem failingWrites(qint64 afterBytes, int error)
{
    FileSystem fs = FileSystem::real();
    auto written = std::make_shared<qint64>(0);
    fs.write = [written, afterBytes, error](int fd, const void *data, size_t size) -> ssize_t {
        if (*written + qint64(size) > afterBytes) {
            errno = error;
            return -1;
        }
        *written += qint64(size);
        return ::write(fd, data, size);
    };
    return fs;
}

// Stops the work at the n-th point where it asks whether to go on.
class StopAt : public Progress
{
public:
    explicit StopAt(int n) : m_n(n) {}
    bool proceed() override { return ++m_asked != m_n; }

private:
    int m_n;
    int m_asked = 0;
};

} // namespace

class TestMaintenanceFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void backupTargetFolder_data();
    void backupTargetFolder();
    void backupCopiesTheOpenDatabase();
    void backupHoldsWritersOffWhileCopying();
    void failedBackupKeepsTheOlderCopy_data();
    void failedBackupKeepsTheOlderCopy();
    void backupTargetsThatCannotBeWritten_data();
    void backupTargetsThatCannotBeWritten();
    void settingsBackup();
    void safetyCopiesKeepTheNewestTen();

    void compactionShrinksAndKeepsEveryRow();
    void compactionNeverLosesTheDatabase_data();
    void compactionNeverLosesTheDatabase();
    void compactionLeavesADamagedDatabaseAlone();
    void contentDigestTellsRegistersApart();
    void repairAfterKilledRepairsKeepsLaterWork();

    void salvageSavesTheReadableRows();
    void salvageOfAFileThatDoesNotOpen();
    void rescueInPlace_data();
    void rescueInPlace();

    void removeListedDeletesTheListedRowsOnce();
    void removeListedIsAllOrNothing();
    void bulkDeleteOnAFullDiskSaysSoInTurkish();
};

void TestMaintenanceFiles::backupTargetFolder_data()
{
    QTest::addColumn<QString>("location");
    QTest::addColumn<QString>("folderName");
    QTest::addColumn<QString>("target");
    QTest::newRow("a volume's root") << "/"
                                     << "YedekSendika"
                                     << "/YedekSendika";
    QTest::newRow("a folder") << "/media/usb"
                              << "YedekSendika"
                              << "/media/usb/YedekSendika";
    QTest::newRow("a folder ending in a separator") << "/media/usb/"
                                                    << "Yedek"
                                                    << "/media/usb/Yedek";
    QTest::newRow("no folder name") << "/media/usb"
                                    << ""
                                    << "/media/usb";
    QTest::newRow("a path as the name") << "/home/ayse"
                                        << "2024/Mayıs"
                                        << "/home/ayse/2024/Mayıs";
}

void TestMaintenanceFiles::backupTargetFolder()
{
    QFETCH(QString, location);
    QFETCH(QString, folderName);
    QFETCH(QString, target);
    QCOMPARE(DatabaseBackup::targetFolder(location, folderName), target);
}

void TestMaintenanceFiles::backupCopiesTheOpenDatabase()
{
    TestProgramDir dir;
    dir.exec(rows(20, 300));
    SharedQueries data;
    QString error;
    QVERIFY(data.connect(dir.databasePath(), &error));
    data.openAll();
    const QString folder = QDir(dir.path()).filePath(QStringLiteral("YedekSendika"));
    QVERIFY(makeFolder(folder, &error));
    const QString copy = QDir(folder).filePath(QStringLiteral("Data.dat"));

    DatabaseBackup backup(data.connection());
    QVERIFY2(backup.copyTo(copy, &error), qPrintable(error));
    QCOMPARE(countsOf(copy), countsOf(dir.databasePath()));
    QVERIFY(checkFile(copy, Depth::Full).sound());
    QCOMPARE(leftovers(folder), QStringList());
    // The program goes on writing through its connection afterwards.
    data.connection().exec(QStringLiteral("INSERT INTO okul (okul_adi) VALUES ('YENİ')"));
    QCOMPARE(count(dir.databasePath(), QStringLiteral("SELECT count(*) FROM okul")), 21);
    QCOMPARE(count(copy, QStringLiteral("SELECT count(*) FROM okul")), 20);
}

void TestMaintenanceFiles::backupHoldsWritersOffWhileCopying()
{
    TestProgramDir dir;
    dir.exec(rows(5, 50));
    Database program;
    QString error;
    QVERIFY(program.open(dir.databasePath(), schema::kKey, &error));

    // Another program writes to the database while the copy is being written.
    Database other;
    QVERIFY(other.open(dir.databasePath(), schema::kKey, &error));
    QString refused;
    FileSystem fs = FileSystem::real();
    fs.write = [&](int fd, const void *data, size_t size) {
        if (refused.isEmpty()) {
            try {
                other.exec(QStringLiteral("INSERT INTO okul (okul_adi) VALUES ('ARADA')"));
                refused = QStringLiteral("(accepted)");
            } catch (const DbError &e) {
                refused = e.message();
            }
        }
        return ::write(fd, data, size);
    };
    const QString copy = QDir(dir.path()).filePath(QStringLiteral("kopya.dat"));
    DatabaseBackup backup(program, fs);
    QVERIFY2(backup.copyTo(copy, &error), qPrintable(error));
    QVERIFY2(refused.contains(QLatin1String("locked")), qPrintable(refused));
    QCOMPARE(count(copy, QStringLiteral("SELECT count(*) FROM okul")), 5);
    // Once the copy is there, both may write again.
    other.exec(QStringLiteral("INSERT INTO okul (okul_adi) VALUES ('SONRA')"));
    program.exec(QStringLiteral("INSERT INTO okul (okul_adi) VALUES ('SONRA 2')"));
    QCOMPARE(count(dir.databasePath(), QStringLiteral("SELECT count(*) FROM okul")), 7);
}

void TestMaintenanceFiles::failedBackupKeepsTheOlderCopy_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("reason");
    QTest::newRow("disk full") << "full"
                               << "diskte yer kalmadı";
    QTest::newRow("quota") << "quota"
                           << "disk kotası doldu";
    QTest::newRow("bytes spoilt on the way") << "spoilt"
                                             << "Kopya doğrulanamadı";
    QTest::newRow("rename refused") << "rename"
                                    << "Dosya yerine konamadı";
    QTest::newRow("read-only disk") << "read-only"
                                    << "disk salt okunur";
}

void TestMaintenanceFiles::failedBackupKeepsTheOlderCopy()
{
    QFETCH(QString, failure);
    QFETCH(QString, reason);
    TestProgramDir dir;
    dir.exec(rows(10, 200));
    Database db;
    QString error;
    QVERIFY(db.open(dir.databasePath(), schema::kKey, &error));
    const QString folder = QDir(dir.path()).filePath(QStringLiteral("yedek"));
    QVERIFY(makeFolder(folder, &error));
    const QString target = QDir(folder).filePath(QStringLiteral("Data.dat"));
    QVERIFY(DatabaseBackup(db).copyTo(target, &error));
    const QByteArray older = fileBytes(target);
    db.exec(QStringLiteral("DELETE FROM uyeler WHERE KayitNo > 100"));

    const qint64 size = QFileInfo(dir.databasePath()).size();
    FileSystem fs = failure == QLatin1String("full")    ? failingWrites(size / 2, ENOSPC)
                    : failure == QLatin1String("quota") ? failingWrites(0, EDQUOT)
                                                        : FileSystem::real();
    if (failure == QLatin1String("spoilt"))
        fs.write = [](int fd, const void *data, size_t size) {
            QByteArray bytes(static_cast<const char *>(data), qsizetype(size));
            for (qsizetype i = kPageSize + 100; i < bytes.size(); i += kPageSize)
                bytes[i] = char(~bytes[i]);
            return ::write(fd, bytes.constData(), size);
        };
    if (failure == QLatin1String("rename"))
        fs.rename = [](const char *, const char *) {
            errno = EBUSY;
            return -1;
        };
    if (failure == QLatin1String("read-only"))
        fs.create = [](const char *, int, mode_t) {
            errno = EROFS;
            return -1;
        };
    QVERIFY(!DatabaseBackup(db, fs).copyTo(target, &error));
    QVERIFY2(error.contains(reason), qPrintable(error));
    QVERIFY2(error.contains(QDir::toNativeSeparators(target)), qPrintable(error));
    QCOMPARE(fileBytes(target), older);
    QCOMPARE(leftovers(folder), QStringList());
    // The database itself is as it was, and writable.
    db.exec(QStringLiteral("INSERT INTO okul (okul_adi) VALUES ('SONRA')"));
}

void TestMaintenanceFiles::backupTargetsThatCannotBeWritten_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("reason");
    QTest::newRow("folder under a file") << "dosya/YedekSendika"
                                         << "yolun bir parçası klasör değil";
    QTest::newRow("read-only folder") << "salt-okunur/YedekSendika"
                                      << "izni yok";
    QTest::newRow("database file gone") << "YedekSendika"
                                        << "Veritabanı dosyası bulunamadı";
    QTest::newRow("the database's own place") << ""
                                              << "veritabanının kendi yerine yazılamaz";
}

void TestMaintenanceFiles::backupTargetsThatCannotBeWritten()
{
    QFETCH(QString, target);
    QFETCH(QString, reason);
    TestProgramDir dir;
    Database db;
    QString error;
    QVERIFY(db.open(dir.databasePath(), schema::kKey, &error));
    const QDir root(dir.path());
    QFile file(root.filePath(QStringLiteral("dosya")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(root.mkdir(QStringLiteral("salt-okunur")));
    QVERIFY(::chmod(QFile::encodeName(root.filePath(QStringLiteral("salt-okunur"))).constData(),
                    0555) == 0);
    if (QTest::currentDataTag() == QLatin1String("read-only folder") && ::geteuid() == 0)
        QSKIP("the superuser writes into read-only folders");
    if (QTest::currentDataTag() == QLatin1String("database file gone"))
        QVERIFY(QFile::remove(dir.databasePath()));

    const QString folder = root.filePath(target);
    const bool ok =
        makeFolder(folder, &error) &&
        DatabaseBackup(db).copyTo(QDir(folder).filePath(QStringLiteral("Data.dat")), &error);
    QVERIFY(!ok);
    QVERIFY2(error.contains(reason), qPrintable(error));
    QVERIFY2(error.contains(QStringLiteral("Neden: ")), qPrintable(error));
}

void TestMaintenanceFiles::settingsBackup()
{
    TestProgramDir dir;
    Database db;
    QString error;
    QVERIFY(db.open(dir.databasePath(), schema::kKey, &error));
    const QString target = QDir(dir.path()).filePath(QStringLiteral("kopya.ini"));
    // Settings that were never written cannot be backed up, and the user is told so.
    QVERIFY(!DatabaseBackup(db).copySettings(dir.settingsPath(), target, &error));
    QVERIFY2(error.contains(QStringLiteral("Ayar dosyası bulunamadı")), qPrintable(error));
    QVERIFY(!QFileInfo::exists(target));

    QFile ini(dir.settingsPath());
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[Renk]\r\nRenkTes=255\r\n");
    ini.close();
    QVERIFY(DatabaseBackup(db).copySettings(dir.settingsPath(), target, &error));
    QCOMPARE(fileBytes(target), fileBytes(dir.settingsPath()));
}

void TestMaintenanceFiles::safetyCopiesKeepTheNewestTen()
{
    TestProgramDir dir;
    dir.exec(rows(3, 10));
    Database db;
    QString error;
    QVERIFY(db.open(dir.databasePath(), schema::kKey, &error));
    const QDir folder(QDir(dir.path()).filePath(QStringLiteral("Yedekler")));
    QVERIFY(folder.mkpath(QStringLiteral(".")));
    QStringList older;
    for (int i = 0; i < 12; ++i)
        older << QStringLiteral("Data_2020-01-01_00-00-%1.dat").arg(i, 2, 10, QLatin1Char('0'));
    for (const QString &name : older + QStringList{"notlar.txt", "Data_benim.dat"}) {
        QFile f(folder.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }

    QString path;
    QVERIFY2(DatabaseBackup(db).safetyCopy(folder.path(), &path, &error), qPrintable(error));
    QCOMPARE(QFileInfo(path).dir().absolutePath(), folder.absolutePath());
    QVERIFY(QFileInfo(path).fileName().startsWith(
        QDateTime::currentDateTime().toString(QStringLiteral("'Data_'yyyy-MM-dd"))));
    QCOMPARE(count(path, QStringLiteral("SELECT count(*) FROM uyeler")), 10);
    // The newest ten: the new copy and the last nine of the older ones; other files stay.
    const QStringList expected = older.mid(3) + QStringList{QFileInfo(path).fileName()};
    QStringList kept = folder.entryList({QStringLiteral("Data_2*.dat")}, QDir::Files, QDir::Name);
    QCOMPARE(kept, expected);
    QVERIFY(folder.exists(QStringLiteral("notlar.txt")));
    QVERIFY(folder.exists(QStringLiteral("Data_benim.dat")));

    // Two copies within the same second get two names.
    QString second;
    QVERIFY(DatabaseBackup(db).safetyCopy(folder.path(), &second, &error));
    QVERIFY(second != path);
    QVERIFY(QFileInfo::exists(path) || QFileInfo(path).fileName() < QFileInfo(second).fileName());
}

void TestMaintenanceFiles::compactionShrinksAndKeepsEveryRow()
{
    TestProgramDir dir;
    dir.exec(rows(40, 2000));
    dir.exec(QStringLiteral("DELETE FROM uyeler WHERE KayitNo % 4 <> 0"));
    const auto before = countsOf(dir.databasePath());
    const qint64 sizeBefore = QFileInfo(dir.databasePath()).size();

    Compaction compaction(dir.databasePath());
    QCOMPARE(compaction.prepare(), Compaction::Outcome::Ready);
    QVERIFY(QFileInfo::exists(compaction.workPath()));
    QVERIFY(Compaction::isWorkFileName(QFileInfo(compaction.workPath()).fileName()));
    QCOMPARE(QFileInfo(compaction.workPath()).dir(), QFileInfo(dir.databasePath()).dir());
    const QString firstWorkPath = compaction.workPath();
    QVERIFY2(compaction.replace(), qPrintable(compaction.error()));

    QCOMPARE(compaction.sizeBefore(), sizeBefore);
    QVERIFY2(compaction.sizeAfter() < sizeBefore / 2,
             qPrintable(QStringLiteral("%1 -> %2").arg(sizeBefore).arg(compaction.sizeAfter())));
    QCOMPARE(QFileInfo(dir.databasePath()).size(), compaction.sizeAfter());
    QCOMPARE(countsOf(dir.databasePath()), before);
    QCOMPARE(count(dir.databasePath(), QStringLiteral("PRAGMA cipher_page_size")), kPageSize);
    QVERIFY(checkFile(dir.databasePath(), Depth::Full).sound());
    QCOMPARE(leftovers(dir.path()), QStringList());

    // Compacting a compact database changes nothing of its size.
    Compaction again(dir.databasePath());
    QCOMPARE(again.prepare(), Compaction::Outcome::Ready);
    // Every run works in a file of its own name, which no earlier run's journal can follow.
    QVERIFY(again.workPath() != firstWorkPath);
    QVERIFY(again.replace());
    QCOMPARE(again.sizeAfter(), again.sizeBefore());
}

void TestMaintenanceFiles::contentDigestTellsRegistersApart()
{
    TestProgramDir dir;
    dir.exec(rows(5, 50));
    const QByteArray before = digestOf(dir.databasePath());
    QVERIFY(!before.isEmpty());
    // A compaction moves every row to other pages and keeps the register: the same digest.
    dir.exec(QStringLiteral("VACUUM"));
    QCOMPARE(digestOf(dir.databasePath()), before);
    // The same number of rows with one value changed is another register.
    dir.exec(QStringLiteral("UPDATE okul SET okul_muduru = 'YENİ' WHERE SiraNo = 3"));
    const QByteArray changed = digestOf(dir.databasePath());
    QVERIFY(changed != before);
    dir.exec(QStringLiteral("UPDATE okul SET okul_muduru = NULL WHERE SiraNo = 3"));
    QCOMPARE(digestOf(dir.databasePath()), before);
    // A key handed out and taken back still counts: the next unit would get another key.
    dir.exec({QStringLiteral("INSERT INTO okul (okul_adi) VALUES ('GEÇİCİ')"),
              QStringLiteral("DELETE FROM okul WHERE okul_adi = 'GEÇİCİ'")});
    QVERIFY(digestOf(dir.databasePath()) != before);
}

void TestMaintenanceFiles::repairAfterKilledRepairsKeepsLaterWork()
{
    TestProgramDir dir;
    dir.exec(rows(60, 4000));
    dir.exec(QStringLiteral("DELETE FROM uyeler WHERE KayitNo % 3 = 0"));
    const QString path = dir.databasePath();
    const QByteArray original = digestOf(path);

    // How long one whole run takes here, so that the kills fall all over it.
    QElapsedTimer clock;
    clock.start();
    {
        QProcess child;
        startCompaction(child, path);
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitCode(), 0);
    }
    const int runMs = std::max(20, int(clock.elapsed()));
    dir.exec(QStringLiteral("DELETE FROM uyeler WHERE KayitNo % 3 = 1")); // work to compact away

    // 20 kills at random moments; then, unless one of them did, one while the work file has
    // a journal beside it: the trap a killed run sets for the next one.
    constexpr int kKills = 20;
    const QByteArray beforeKills = digestOf(path);
    const QDir folder(dir.path());
    const auto journalLeft = [&folder] {
        return !folder.entryList({QStringLiteral("Yedek*-journal")}, QDir::Files).isEmpty();
    };
    int leftBehind = 0;
    int kills = 0;
    for (; kills < kKills || (!journalLeft() && kills < kKills + 5); ++kills) {
        QProcess child;
        startCompaction(child, path);
        QVERIFY(child.waitForStarted());
        if (kills < kKills) {
            // Spread over the run, each at a random moment of its own slice.
            const int slice = runMs / kKills;
            QThread::msleep(ulong(kills * slice + QRandomGenerator::global()->bounded(slice + 1)));
        } else {
            QElapsedTimer waited;
            waited.start();
            while (!journalLeft() && child.state() != QProcess::NotRunning &&
                   waited.elapsed() < 10000)
                QThread::usleep(200);
        }
        child.kill();
        QVERIFY(child.waitForFinished(10000));
        leftBehind += leftovers(dir.path()).isEmpty() ? 0 : 1;
        // However far the run went, Data.dat is whole and holds the same register.
        QVERIFY(checkFile(path, Depth::Full).sound());
        QCOMPARE(digestOf(path), beforeKills);
    }
    qInfo("%d of %d killed runs left their files behind", leftBehind, kills);
    QVERIFY(journalLeft());

    // The user starts again and works: every unit gets a new head.
    dir.exec(QStringLiteral("UPDATE okul SET okul_muduru = 'MÜDÜR ' || SiraNo"));
    const QByteArray worked = digestOf(path);
    QVERIFY(worked != beforeKills && worked != original);

    Compaction repair(path);
    QCOMPARE(repair.prepare(), Compaction::Outcome::Ready);
    QVERIFY2(repair.replace(), qPrintable(repair.error()));
    QCOMPARE(count(path, QStringLiteral("SELECT count(*) FROM okul "
                                        "WHERE okul_muduru IS NOT 'MÜDÜR ' || SiraNo")),
             0);
    QCOMPARE(digestOf(path), worked);
    QVERIFY(checkFile(path, Depth::Full).sound());
    // What the killed runs left is gone with the next run.
    QCOMPARE(leftovers(dir.path()), QStringList());
}

void TestMaintenanceFiles::compactionNeverLosesTheDatabase_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<int>("stopAt");
    QTest::newRow("stopped after the check") << "" << 1;
    QTest::newRow("stopped after the copy") << "" << 2;
    QTest::newRow("stopped after VACUUM") << "" << 3;
    QTest::newRow("stopped before the rename") << "" << 4;
    QTest::newRow("disk full while copying") << "full" << 0;
    QTest::newRow("rename refused") << "rename" << 0;
    QTest::newRow("held by another program") << "held" << 0;
    // Open without a lock: the other copy would go on with the old file after the rename.
    QTest::newRow("open in another copy") << "open" << 0;
    QTest::newRow("open in another program") << "other process" << 0;
    QTest::newRow("file missing") << "missing" << 0;
    QTest::newRow("never prepared") << "unprepared" << 0;
}

void TestMaintenanceFiles::compactionNeverLosesTheDatabase()
{
    QFETCH(QString, failure);
    QFETCH(int, stopAt);
    TestProgramDir dir;
    dir.exec(rows(20, 1000));
    dir.exec(QStringLiteral("DELETE FROM uyeler WHERE KayitNo % 2 = 0"));
    const QString path = dir.databasePath();
    const QByteArray original = fileBytes(path);

    FileSystem fs = FileSystem::real();
    if (failure == QLatin1String("full"))
        fs = failingWrites(original.size() / 2, ENOSPC);
    if (failure == QLatin1String("rename"))
        fs.rename = [](const char *from, const char *to) {
            if (QByteArray(to).endsWith("/Data.dat")) {
                errno = EXDEV;
                return -1;
            }
            return ::rename(from, to);
        };
    Database other;
    QString error;
    if (failure == QLatin1String("held") || failure == QLatin1String("open"))
        QVERIFY(other.open(path, schema::kKey, &error));
    if (failure == QLatin1String("held"))
        other.exec(QStringLiteral("BEGIN IMMEDIATE"));
    QProcess holder;
    if (failure == QLatin1String("other process")) {
        holder.start(QStringLiteral("/bin/sh"),
                     {QStringLiteral("-c"), QStringLiteral("exec 3<\"$0\"; echo; exec sleep 30"), path});
        QVERIFY(holder.waitForReadyRead(5000));
    }
    if (failure == QLatin1String("missing"))
        QVERIFY(QFile::rename(path, path + QStringLiteral(".aside")));

    bool replaced = false;
    QString message;
    {
        Compaction compaction(path, fs);
        StopAt stop(stopAt);
        const bool ready = failure == QLatin1String("unprepared") ||
                           compaction.prepare(&stop) == Compaction::Outcome::Ready;
        replaced = ready && compaction.replace(&stop);
        message = compaction.error();
        QVERIFY(!QFileInfo::exists(compaction.workPath()) || !replaced);
    }
    QVERIFY(!replaced);
    QVERIFY2(message.contains(QStringLiteral("Neden: ")), qPrintable(message));
    if (failure == QLatin1String("missing")) {
        QVERIFY(message.contains(QDir::toNativeSeparators(path)));
        QVERIFY(QFile::rename(path + QStringLiteral(".aside"), path));
    }
    if (failure == QLatin1String("held"))
        other.exec(QStringLiteral("ROLLBACK"));
    if (failure == QLatin1String("open") || failure == QLatin1String("other process"))
        QVERIFY2(message.contains(QStringLiteral("başka bir kopyasında açık")), qPrintable(message));
    holder.kill();
    holder.waitForFinished();
    QCOMPARE(fileBytes(path), original);
    QCOMPARE(leftovers(dir.path()), QStringList());
    QVERIFY(checkFile(path, Depth::Full).sound());
}

void TestMaintenanceFiles::compactionLeavesADamagedDatabaseAlone()
{
    TestProgramDir dir;
    dir.exec(rows(20, 2000));
    damagePages(dir.databasePath(), pages(dir.databasePath()) / 2, 3);
    const QByteArray damaged = fileBytes(dir.databasePath());

    Compaction compaction(dir.databasePath());
    const Compaction::Outcome outcome = compaction.prepare();
    QVERIFY2(outcome == Compaction::Outcome::Damaged, qPrintable(compaction.error()));
    QVERIFY(!compaction.findings().isEmpty());
    QVERIFY2(compaction.error().contains(QStringLiteral("hasarlı")),
             qPrintable(compaction.error()));
    QVERIFY(!compaction.replace());
    QCOMPARE(fileBytes(dir.databasePath()), damaged);
    QCOMPARE(leftovers(dir.path()), QStringList());
}

void TestMaintenanceFiles::salvageSavesTheReadableRows()
{
    TestProgramDir dir;
    dir.exec(rows(30, 3000));
    dir.exec(QStringLiteral("DELETE FROM okul WHERE SiraNo > 25")); // unit keys up to 30 were used
    const qint64 lastStaff =
        count(dir.databasePath(), QStringLiteral("SELECT max(KayitNo) FROM uyeler"));
    damagePages(dir.databasePath(), pages(dir.databasePath()) / 2, 3);
    const QByteArray damaged = fileBytes(dir.databasePath());
    QVERIFY(!checkFile(dir.databasePath(), Depth::Full).sound());

    const QString target = Salvage::targetBeside(dir.databasePath());
    QCOMPARE(QFileInfo(target).dir(), QFileInfo(dir.databasePath()).dir());
    QVERIFY(QFileInfo(target).fileName().startsWith(QStringLiteral("Data_kurtarilan_")));
    Salvage salvage;
    QVERIFY2(salvage.run(dir.databasePath(), target), qPrintable(salvage.error()));

    QHash<QString, Salvage::TableCount> counts;
    for (const Salvage::TableCount &c : salvage.counts())
        counts.insert(c.table, c);
    QCOMPARE(counts.size(), int(schema::tables().size()));
    QCOMPARE(counts[QStringLiteral("okul")].saved, 25);
    QVERIFY(!counts[QStringLiteral("okul")].incomplete);
    QCOMPARE(counts[QStringLiteral("sendikalar")].saved, 1);
    QCOMPARE(counts[QStringLiteral("sabit")].saved, 1);
    const Salvage::TableCount staff = counts[QStringLiteral("uyeler")];
    QVERIFY(staff.incomplete);
    QVERIFY2(staff.saved > 2500 && staff.saved < 3000, qPrintable(QString::number(staff.saved)));

    QCOMPARE(count(target, QStringLiteral("SELECT count(*) FROM uyeler")), staff.saved);
    // Rows on both sides of the damage are there, and the lost ones left a gap only.
    QCOMPARE(count(target, QStringLiteral("SELECT min(KayitNo) FROM uyeler")), 1);
    QCOMPARE(count(target, QStringLiteral("SELECT max(KayitNo) FROM uyeler")), lastStaff);
    QCOMPARE(
        count(target, QStringLiteral(
                          "SELECT count(*) FROM uyeler WHERE Birlestir <> adi || ' ' || soyadi")),
        0);
    // A unit added to the saved database does not take the key of a unit lost or deleted.
    QCOMPARE(count(target, QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = 'okul'")),
             30);
    QVERIFY(checkFile(target, Depth::Full).sound());
    QCOMPARE(fileBytes(dir.databasePath()), damaged);
    QCOMPARE(leftovers(dir.path()), QStringList());
}

void TestMaintenanceFiles::salvageOfAFileThatDoesNotOpen()
{
    TestProgramDir dir;
    dir.exec(rows(3, 10));
    damagePages(dir.databasePath(), 0);
    Salvage salvage;
    const QString target = Salvage::targetBeside(dir.databasePath());
    QVERIFY(!salvage.run(dir.databasePath(), target));
    QVERIFY2(salvage.error().contains(QStringLiteral("açılamadı")), qPrintable(salvage.error()));
    QVERIFY(!QFileInfo::exists(target));
    QCOMPARE(leftovers(dir.path()), QStringList());
}

void TestMaintenanceFiles::rescueInPlace_data()
{
    QTest::addColumn<QString>("damage");
    QTest::newRow("pages overwritten in the middle") << "middle";
    QTest::newRow("cut to half its size") << "half";
}

void TestMaintenanceFiles::rescueInPlace()
{
    QFETCH(QString, damage);
    TestProgramDir dir;
    dir.exec(rows(30, 3000));
    const QString path = dir.databasePath();
    if (damage == QLatin1String("middle")) {
        damagePages(path, pages(path) / 2, 3);
    } else {
        QFile f(path);
        QVERIFY(f.resize(qint64(pages(path) / 2) * kPageSize));
    }
    const QByteArray damaged = fileBytes(path);
    QVERIFY(!checkFile(path, Depth::Quick).sound());

    Salvage salvage;
    QVERIFY2(salvage.rescueInPlace(path), qPrintable(salvage.error()));
    // The damaged file is kept whole under a dated name beside the new one.
    const QString keptAs = salvage.keptAs();
    QCOMPARE(QFileInfo(keptAs).dir(), QFileInfo(path).dir());
    QVERIFY2(QFileInfo(keptAs).fileName().startsWith(
                 QDateTime::currentDateTime().toString(QStringLiteral("'Data_hasarli_'yyyy-MM-dd"))),
             qPrintable(keptAs));
    QCOMPARE(fileBytes(keptAs), damaged);
    // Data.dat is a sound database with what could be read, as far as the pages go.
    QVERIFY(checkFile(path, Depth::Full).sound());
    QVERIFY(salvage.incomplete());
    QCOMPARE(salvage.saved(QStringLiteral("okul")), 30);
    const qint64 staff = salvage.saved(QStringLiteral("uyeler"));
    QVERIFY2(staff > (damage == QLatin1String("half") ? 1000 : 2500) && staff < 3000,
             qPrintable(QString::number(staff)));
    QCOMPARE(count(path, QStringLiteral("SELECT count(*) FROM uyeler")), staff);
    QCOMPARE(count(path, QStringLiteral("SELECT min(KayitNo) FROM uyeler")), 1);
    QCOMPARE(leftovers(dir.path()), QStringList());
}

void TestMaintenanceFiles::removeListedDeletesTheListedRowsOnce()
{
    TestProgramDir dir;
    dir.exec(rows(4, 40));
    Database db;
    QString error;
    QVERIFY(db.open(dir.databasePath(), schema::kKey, &error));
    Dataset units(&db, QStringLiteral("QueryOkul"));
    units.setSql(QStringLiteral("Select * From okul Order By okul_adi"));
    units.open();
    db.exec(
        QStringLiteral("DELETE FROM uyeler WHERE SiraNo IN (1, 3)")); // units 2 and 4 keep staff
    int resets = 0, deletes = 0;
    connect(&units, &Dataset::rowsReset, [&] { ++resets; });
    connect(&units, &Dataset::afterDelete, [&] { ++deletes; });
    RecordingProgress progress;

    const int deleted = units.removeListed(
        QStringLiteral("EXISTS (SELECT 1 FROM uyeler WHERE uyeler.SiraNo = okul.SiraNo)"),
        &progress);
    QCOMPARE(deleted, 2);
    QCOMPARE(progress.done(), QList<int>({1, 2, 3, 4}));
    QCOMPARE(resets, 1);
    QCOMPARE(deletes, 1);
    QCOMPARE(columnOf(units, QStringLiteral("SiraNo")), QStringList({"2", "4"}));
    QCOMPARE(units.recNo(), 1);
    QCOMPARE(db.scalar(QStringLiteral("SELECT group_concat(SiraNo) FROM okul")).toString(),
             QStringLiteral("2,4"));
}

void TestMaintenanceFiles::removeListedIsAllOrNothing()
{
    TestProgramDir dir;
    dir.exec(rows(2, 30));
    // The engine refuses one of the rows.
    dir.exec(QStringLiteral("CREATE TRIGGER korunan BEFORE DELETE ON uyeler WHEN old.KayitNo = 20 "
                            "BEGIN SELECT RAISE(ABORT, 'bu kayıt silinemez'); END"));
    Database db;
    QString error;
    QVERIFY(db.open(dir.databasePath(), schema::kKey, &error));
    Dataset staff(&db, QStringLiteral("QueryPersonel"));
    staff.setSql(QStringLiteral("select * from uyeler Order By adi"));
    staff.open();
    int resets = 0;
    connect(&staff, &Dataset::rowsReset, [&] { ++resets; });

    QVERIFY_THROWS_EXCEPTION(DbError, staff.removeListed());
    QCOMPARE(staff.recordCount(), 30);
    QCOMPARE(resets, 0);
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM uyeler")).toInt(), 30);
    // The connection is usable again at once.
    db.exec(QStringLiteral("DROP TRIGGER korunan"));
    QCOMPARE(staff.removeListed(), 30);
    QCOMPARE(staff.recordCount(), 0);
    QVERIFY(staff.eof());
}

// The engine's English ("database or disk is full") never reaches the user: the Turkish
// description of a full disk does.
void TestMaintenanceFiles::bulkDeleteOnAFullDiskSaysSoInTurkish()
{
    TestProgramDir dir;
    dir.exec(rows(10, 2000));
    const qint64 size = QFileInfo(dir.databasePath()).size();
    SmallDisk disk(size + 2 * kPageSize); // no room for the journal of a large delete
    if (!disk.mounted())
        QSKIP("a small disk cannot be mounted here");
    const QString path = disk.filePath(QStringLiteral("Data.dat"));
    QVERIFY(QFile::copy(dir.databasePath(), path));
    SharedQueries data;
    QString error;
    QVERIFY2(data.connect(path, &error), qPrintable(error));
    data.openAll();

    BulkDelete bulk(&data);
    BulkDelete::Outcome outcome;
    QVERIFY(!bulk.run(BulkDelete::Kind::Staff, nullptr, &outcome, &error));
    QCOMPARE(error, QStringLiteral("Personel kayıtları silinemedi; bunlardan hiçbiri silinmedi.\n"
                                   "Disk dolu: kayıt yapılamadı. Diskte yer açıp tekrar deneyin."));
    QCOMPARE(data.connection().scalar(QStringLiteral("SELECT count(*) FROM uyeler")).toInt(), 2000);
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], kCompactOnce) == 0)
        return compactOnce(QString::fromLocal8Bit(argv[2]));
    TestMaintenanceFiles test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_maintenancefiles.moc"

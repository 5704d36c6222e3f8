// The register behaves the same in the file and on a PostgreSQL server: run plainly it checks
// the file, run with MELTORA_TEST_BACKEND=server (ctest's *_server tests) the server.

#include "testserver.h"
#include "testsupport.h"

#include "data/database.h"
#include "data/dataset.h"
#include "data/dberror.h"
#include "data/registercopy.h"
#include "data/schema.h"
#include "data/transaction.h"
#include "maintenance/bulkdelete.h"
#include "maintenance/databasebackup.h"
#include "app/startuprescue.h"
#include "app/tform1.h"
#include "data/registerchoice.h"
#include "data/sharedqueries.h"

#include <QCoreApplication>
#include <QDir>
#include <QScopeGuard>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

namespace
{

const QStringList kUnitNames = {
    QStringLiteral("İSTANBUL"), QStringLiteral("istanbul"), QStringLiteral("IĞDIR"),
    QStringLiteral("ığdır"),    QStringLiteral("ŞİŞLİ"),    QStringLiteral("şişli"),
    QStringLiteral("ÇANKAYA"),  QStringLiteral("GÖLBAŞI"),  QStringLiteral("ÖDEMİŞ"),
    QStringLiteral("ÜSKÜDAR"),  QStringLiteral("YÜZDE%50"), QStringLiteral("YÜZDE ELLİ"),
    QStringLiteral("ALT_ÇİZGİ"), QStringLiteral("ALTXÇİZGİ"), QStringLiteral("Karışık Yazı"),
    QStringLiteral("ĞÜZEL"),
};

void addUnits(Database &db, const QStringList &names)
{
    for (const QString &name : names) {
        Statement insert(db, QStringLiteral("INSERT INTO okul (okul_adi) VALUES (?)"));
        insert.bind(1, name);
        insert.step();
    }
}

QStringList unitsFound(Database &db, const QString &typed)
{
    // The unit list's search: what is typed, then anything.
    Dataset okul(&db, QStringLiteral("okul"));
    okul.setSql(QStringLiteral("SELECT * FROM okul WHERE okul_adi Like :aranan"));
    okul.setParam(QStringLiteral("aranan"), typed + QLatin1Char('%'));
    okul.open();
    QStringList names = columnOf(okul, QStringLiteral("okul_adi"));
    names.sort();
    return names;
}

QString textOf(Database &db, const QString &sql)
{
    return db.scalar(sql).toString();
}

} // namespace

class TestServerBackend : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { quietOffscreenWarnings(); }

    // The Turkish case-insensitive search gives the same rows on both: I/ı and İ/i are two
    // pairs, the other Turkish letters fold with their capitals, and % and _ typed by the user
    // stand for any text and any one letter, as the file's LIKE has them.
    void turkishSearch_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("found");
        const auto sorted = [](QStringList list) {
            list.sort();
            return list;
        };
        QTest::newRow("i finds İ and i") << "i" << sorted({"istanbul", "İSTANBUL"});
        QTest::newRow("İ finds İ and i") << "İ" << sorted({"istanbul", "İSTANBUL"});
        QTest::newRow("I finds I and ı") << "I" << sorted({"IĞDIR", "ığdır"});
        QTest::newRow("ı finds I and ı") << "ı" << sorted({"IĞDIR", "ığdır"});
        QTest::newRow("ş and Ş") << "şİş" << sorted({"ŞİŞLİ", "şişli"});
        QTest::newRow("ç") << "çan" << QStringList{"ÇANKAYA"};
        QTest::newRow("ğ") << "ğü" << QStringList{"ĞÜZEL"};
        QTest::newRow("ö and ı inside") << "gölbaşı" << QStringList{"GÖLBAŞI"};
        QTest::newRow("ö") << "öDE" << QStringList{"ÖDEMİŞ"};
        QTest::newRow("ü") << "üsküdar" << QStringList{"ÜSKÜDAR"};
        QTest::newRow("mixed case") << "kARIŞIK y" << QStringList{"Karışık Yazı"};
        QTest::newRow("% stands for any text") << "yüzde%" << sorted({"YÜZDE%50", "YÜZDE ELLİ"});
        QTest::newRow("_ stands for one letter") << "alt_ç" << sorted({"ALTXÇİZGİ", "ALT_ÇİZGİ"});
        QTest::newRow("backslash is a letter") << "a\\" << QStringList{};
        QTest::newRow("nothing") << "zzz" << QStringList{};
    }
    void turkishSearch()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, found);
        TestProgramDir dir;
        Database db;
        db.open(dir.address());
        addUnits(db, kUnitNames);
        QCOMPARE(unitsFound(db, typed), found);
    }

    // A value longer than its column is refused, naming the column and its size.
    void overlongValueNamesItsColumn()
    {
        TestProgramDir dir;
        Database db;
        db.open(dir.address());
        Dataset okul(&db, QStringLiteral("okul"));
        okul.setSql(QStringLiteral("SELECT * FROM okul"));
        okul.open();
        okul.append();
        okul.setFieldText(QStringLiteral("okul_adi"), QString(51, u'Ş'));
        try {
            okul.post();
            QFAIL("an over-long name was stored");
        } catch (const DbError &e) {
            QCOMPARE(e.kind(), DbError::Kind::TooLong);
            QCOMPARE(e.column(), QStringLiteral("okul_adi"));
            QCOMPARE(e.size(), 50);
        }
        QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM okul")).toInt(), 0);
    }

    // Two offices edit one row: the second save of the same column is refused and keeps the
    // typing; a column the first office did not touch is saved; a row deleted meanwhile says so.
    void twoOfficesOnOneRow()
    {
        TestProgramDir dir;
        Database first, second;
        first.open(dir.address());
        second.open(dir.address());
        addUnits(first, {QStringLiteral("ESKİ AD")});
        Dataset here(&first, QStringLiteral("okul")), there(&second, QStringLiteral("okul"));
        for (Dataset *office : {&here, &there}) {
            office->setSql(QStringLiteral("SELECT * FROM okul"));
            office->open();
            office->edit();
        }
        here.setFieldText(QStringLiteral("okul_adi"), QStringLiteral("BURADAN"));
        here.post();
        there.setFieldText(QStringLiteral("okul_adi"), QStringLiteral("ORADAN"));
        try {
            there.post();
            QFAIL("the other office's change was overwritten");
        } catch (const DbError &e) {
            QCOMPARE(e.kind(), DbError::Kind::RowChanged);
        }
        QCOMPARE(there.fieldText(QStringLiteral("okul_adi")), QStringLiteral("ORADAN"));
        QCOMPARE(textOf(first, QStringLiteral("SELECT okul_adi FROM okul")), QStringLiteral("BURADAN"));
        there.cancel();
        there.edit();
        there.setFieldText(QStringLiteral("ilcesi"), QStringLiteral("MERKEZ"));
        there.post();
        QCOMPARE(textOf(first, QStringLiteral("SELECT okul_adi || '/' || ilcesi FROM okul")),
                 QStringLiteral("BURADAN/MERKEZ"));

        first.exec(QStringLiteral("DELETE FROM okul"));
        there.edit();
        there.setFieldText(QStringLiteral("ilcesi"), QStringLiteral("YOK"));
        try {
            there.post();
            QFAIL("a deleted row was saved");
        } catch (const DbError &e) {
            QCOMPARE(e.kind(), DbError::Kind::RowDeleted);
        }
    }

    // A row another office holds longer than the wait gives the busy message, as the file.
    void heldRowIsBusy()
    {
        TestProgramDir dir;
        Database holder, waiter;
        holder.open(dir.address());
        waiter.open(dir.address());
        addUnits(holder, {QStringLiteral("BİRİM")});
        waiter.setBusyTimeout(300);
        Transaction held(holder);
        holder.exec(QStringLiteral("UPDATE okul SET ilcesi = 'A'"));
        try {
            waiter.exec(QStringLiteral("UPDATE okul SET ilcesi = 'B'"));
            QFAIL("a held row was written");
        } catch (const DbError &e) {
            QCOMPARE(e.kind(), DbError::Kind::Busy);
        }
        held.rollback();
        waiter.exec(QStringLiteral("UPDATE okul SET ilcesi = 'B'"));
        QCOMPARE(textOf(holder, QStringLiteral("SELECT ilcesi FROM okul")), QStringLiteral("B"));
    }

    // A file register moved to the server and back: every row, null, yes/no and Turkish
    // letter as it was, the keys kept, and the server's next key after the copied ones.
    void pushAndPullKeepEveryRow()
    {
        if (!testserver::active())
            QSKIP("moves a register to the server and back");
        TestProgramDir dir; // an empty register on the server
        QTemporaryDir files;
        const QString source = files.filePath(QStringLiteral("Data.dat"));
        QString error;
        QVERIFY2(Database::create(source, schema::kKey, &error), qPrintable(error));
        {
            Database file;
            file.open(source, schema::kKey);
            file.exec(QStringLiteral(
                "INSERT INTO okul (SiraNo, okul_adi, adresi) VALUES (7, 'ÇAĞLAYAN İLKOKULU', NULL);"
                "INSERT INTO okul (SiraNo, okul_adi, adresi) VALUES (9, 'IŞIK', '');"
                "INSERT INTO uyeler (KayitNo, SiraNo, adi, hakkinda) VALUES (3, 7, 'ŞÜKRÜ', 'iki\nsatır');"
                "INSERT INTO sabit (Kurum_Adi, il_sec, kurum_sec) VALUES ('KURUM', 1, 0);"));
        }
        const registercopy::Outcome pushed =
            registercopy::push(source, schema::kKey, testserver::registerConnection());
        QVERIFY2(pushed.ok, qPrintable(pushed.error));
        QCOMPARE(pushed.rows, 4);

        const QString back = files.filePath(QStringLiteral("geri"));
        const registercopy::Outcome pulled =
            registercopy::pull(testserver::registerConnection(), back, schema::kKey);
        QVERIFY2(pulled.ok, qPrintable(pulled.error));
        Database original, copy;
        original.open(source, schema::kKey);
        copy.open(QDir(back).filePath(QStringLiteral("Data.dat")), schema::kKey);
        const QList<registercopy::TableCheck> a = registercopy::checksOf(original);
        const QList<registercopy::TableCheck> b = registercopy::checksOf(copy);
        for (qsizetype i = 0; i < a.size(); ++i) {
            QCOMPARE(b[i].rows, a[i].rows);
            QCOMPARE(b[i].digest, a[i].digest);
        }
        // A new unit on the server takes the key after the copied ones.
        Database server;
        server.open(dir.address());
        Statement insert(server, QStringLiteral("INSERT INTO okul (okul_adi) VALUES ('YENİ')"));
        insert.step();
        QCOMPARE(insert.insertedKey(), 10);
        // Neither way writes over what is there.
        QVERIFY(!registercopy::push(source, schema::kKey, testserver::registerConnection()).ok);
        QVERIFY(!registercopy::pull(testserver::registerConnection(), back, schema::kKey).ok);
    }

    void createRefusesADatabaseWithTables()
    {
        if (!testserver::active())
            QSKIP("makes the tables on a server");
        TestProgramDir dir;
        QString error;
        QVERIFY(!registercopy::createOnServer(testserver::registerConnection(), &error));
        QVERIFY2(error.contains(QStringLiteral("zaten tablo var")), qPrintable(error));
    }

    // "Veritabanını Yedekle" on a server writes a file register of its rows, which opens
    // anywhere; a second backup of that name takes the place of the first. "Veritabanını Onar"
    // tidies the tables the role owns.
    void backupAndRepairOnTheServer()
    {
        if (!testserver::active())
            QSKIP("the file's backup and repair have tests of their own");
        TestProgramDir dir;
        Database db;
        db.open(dir.address());
        addUnits(db, kUnitNames);
        QTemporaryDir folder;
        const QString target = folder.filePath(QStringLiteral("Data.dat"));
        maintenance::DatabaseBackup backup(db);
        QString error;
        QVERIFY2(backup.copyTo(target, &error), qPrintable(error));
        addUnits(db, {QStringLiteral("SONRADAN")});
        QVERIFY2(backup.copyTo(target, &error), qPrintable(error));
        Database copy;
        copy.open(target, schema::kKey);
        QCOMPARE(copy.scalar(QStringLiteral("SELECT count(*) FROM okul")).toInt(), kUnitNames.size() + 1);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Data.dat")});

        QStringList tidied = registercopy::tidyServer(db);
        QCOMPARE(tidied.size(), 6);
        for (const QString &table : tidied)
            QVERIFY2(!table.startsWith(QLatin1String("pg_temp")), qPrintable(table));
    }

    // Bulk delete on either register: the staff listed go, units that staff still name stay,
    // all in one transaction; a refusal by the database leaves every row.
    void bulkDeleteKeepsUnitsWithStaff()
    {
        TestProgramDir dir;
        dir.exec(QStringList{
            QStringLiteral("INSERT INTO okul (okul_adi) VALUES ('A OKULU'), ('B OKULU'), ('C OKULU')"),
            QStringLiteral("INSERT INTO uyeler (SiraNo, adi, soyadi) VALUES (1, 'ALİ', 'AK'), (3, 'CAN', 'CAN')"),
        });
        SharedQueries data;
        data.connect(dir.address());
        data.openAll();
        maintenance::BulkDelete bulk(&data);
        maintenance::BulkDelete::Outcome outcome;
        QString error;
        QVERIFY2(bulk.run(maintenance::BulkDelete::Kind::Units, nullptr, &outcome, &error), qPrintable(error));
        QCOMPARE(outcome.deleted, 1);
        QCOMPARE(outcome.kept, 2);
        QCOMPARE(columnOf(*data.units(), QStringLiteral("okul_adi")), QStringList({"A OKULU", "C OKULU"}));
        QVERIFY2(bulk.run(maintenance::BulkDelete::Kind::Staff, nullptr, &outcome, &error), qPrintable(error));
        QCOMPARE(outcome.deleted, 2);
        QCOMPARE(data.connection().scalar(QStringLiteral("SELECT count(*) FROM uyeler")).toInt(), 0);
    }

    // Two offices reading workbooks at once each see only their own staged rows.
    void stagedRowsStayWithTheirOffice()
    {
        if (!testserver::active())
            QSKIP("one office per file");
        TestProgramDir dir;
        Database first, second;
        first.open(dir.address());
        second.open(dir.address());
        first.exec(QStringLiteral("INSERT INTO veriler (okul_adi) VALUES ('BİRİNCİ')"));
        second.exec(QStringLiteral("INSERT INTO veriler (okul_adi) VALUES ('İKİNCİ')"));
        QCOMPARE(textOf(first, QStringLiteral("SELECT string_agg(okul_adi, ',') FROM veriler")),
                 QStringLiteral("BİRİNCİ"));
        QCOMPARE(textOf(second, QStringLiteral("SELECT string_agg(okul_adi, ',') FROM veriler")),
                 QStringLiteral("İKİNCİ"));
    }

    // Starting on a server that is not there: the user is told and chooses; "Yeniden Dene"
    // asks again, "Dosyadaki Kaydı Aç" opens the file register, "Çık" ends without a second
    // message.
    void unreachableServerAtStartOffersTheFile()
    {
        TestProgramDir dir;
        const QString nowhere = QStringLiteral("host=/nonexistent-socket-folder dbname=x connect_timeout=2");
        registerchoice::useServer(nowhere);
        {
            Answers answers({QStringLiteral("Yeniden Dene"), QStringLiteral("Dosyadaki Kaydı Aç")});
            QString error, detail;
            std::unique_ptr<TForm1> form(startuprescue::createMainWindow(&error, &detail));
            QVERIFY2(form, qPrintable(error));
            QCOMPARE(answers.count(), 2);
            QVERIFY2(answers.text().contains(QStringLiteral("sunucusuna bağlanılamadı")), qPrintable(answers.text()));
            QVERIFY(!form->data()->connection().isServer());
            QVERIFY(child<QLabel>(form.get(), QStringLiteral("KayitYeri"))->text().contains(QStringLiteral("Data.dat")));
        }
        registerchoice::useServer(nowhere);
        Answers answers({QStringLiteral("Çık")});
        QString error, detail;
        std::unique_ptr<TForm1> form(startuprescue::createMainWindow(&error, &detail));
        QVERIFY(!form);
        QCOMPARE(answers.count(), 1);
        QVERIFY(error.isEmpty());
        registerchoice::useFile();
    }

    // A server that asks for a password libpq's own sources lack: it is asked for in a masked
    // box, asked again when refused, and kept nowhere but in memory.
    void passwordIsAskedAndNotKept()
    {
        if (!testserver::active())
            QSKIP("needs a server that asks for a password");
        TestProgramDir dir;
        Database admin;
        admin.open(dir.address());
        admin.exec(QStringLiteral(
            "DO $$ BEGIN CREATE ROLE meltora_parola LOGIN PASSWORD 'gizli-1923'; "
            "EXCEPTION WHEN duplicate_object THEN NULL; END $$; "
            "GRANT ALL ON ALL TABLES IN SCHEMA public TO meltora_parola; "
            "GRANT ALL ON ALL SEQUENCES IN SCHEMA public TO meltora_parola"));
        // Only this role must give a password, over the server's local socket.
        const QString hba = admin.scalar(QStringLiteral("SHOW hba_file")).toString();
        QFile rules(hba);
        QVERIFY(rules.open(QIODevice::ReadOnly));
        const QByteArray before = rules.readAll();
        rules.close();
        const auto restore = qScopeGuard([&] {
            QFile back(hba);
            if (back.open(QIODevice::WriteOnly))
                back.write(before);
            back.close();
            admin.scalar(QStringLiteral("SELECT pg_reload_conf()"));
        });
        QVERIFY(rules.open(QIODevice::WriteOnly));
        rules.write("local all meltora_parola scram-sha-256\n" + before);
        rules.close();
        admin.scalar(QStringLiteral("SELECT pg_reload_conf()"));
        QTest::qWait(300);

        qunsetenv("PGPASSWORD");
        registerchoice::useServer(testserver::registerConnection() + QStringLiteral(" user=meltora_parola"));
        Answers answers;
        answers.type(QStringLiteral("yanlis"), QStringLiteral("Tamam"), QStringLiteral("SunucuParolasi"))
            .type(QStringLiteral("gizli-1923"), QStringLiteral("Tamam"), QStringLiteral("SunucuParolasi"));
        QString error, detail;
        std::unique_ptr<TForm1> form(startuprescue::createMainWindow(&error, &detail));
        QVERIFY2(form, qPrintable(error + QLatin1Char(' ') + detail));
        QVERIFY(answers.done());
        QCOMPARE(answers.unexpected, QStringList());
        QVERIFY(form->data()->connection().isServer());
        form.reset();
        QVERIFY(!fileBytes(dir.settingsPath()).contains("gizli"));
        registerchoice::setPassword(QString());
    }

    // The server that cannot be reached, and one that holds no tables, say so in their words.
    void unreachableAndEmptyServersAreTold()
    {
        if (!testserver::active())
            QSKIP("needs a server");
        Database db;
        try {
            db.openServer(QStringLiteral("host=/nonexistent-socket-folder dbname=x connect_timeout=2"));
            QFAIL("opened a server that is not there");
        } catch (const DbError &e) {
            QCOMPARE(e.kind(), DbError::Kind::ServerUnreachable);
        }
        db.openServer(qEnvironmentVariable("MELTORA_TEST_SERVER") + QStringLiteral(" dbname=postgres"));
        try {
            db.checkTables();
            QFAIL("a database without the program's tables passed");
        } catch (const DbError &e) {
            QCOMPARE(e.kind(), DbError::Kind::NoServerTables);
        }
    }
};

QTEST_MAIN(TestServerBackend)
#include "tst_serverbackend.moc"

// A damaged Data.dat at start: the program offers its rescue before anything else, keeps the
// damaged file under a dated name, opens on what could be read, and says how much that was.

#include "app/application.h"
#include "app/startuprescue.h"
#include "app/tform1.h"
#include "data/database.h"
#include "data/dataset.h"
#include "data/schema.h"
#include "data/sharedqueries.h"
#include "testsupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <memory>

namespace
{

constexpr int kPageSize = 4096;
constexpr int kUnits = 30;
constexpr int kStaff = 3000;

// Units first, then their staff: the staff fill the pages from the middle of the file on.
QStringList registerRows()
{
    return {
        QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
            "INSERT INTO okul (okul_adi, okul_muduru) SELECT 'OKUL ' || i, 'MÜDÜR ' || i FROM n")
            .arg(kUnits),
        QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
            "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir, ev_adresi, sendikasi) "
            "SELECT 1 + i % %2, 'AD' || i, 'SOYAD' || i, 'AD' || i || ' SOYAD' || i, "
            "'MAHALLE SOKAK NO ' || i, 'EĞİTİM SEN' FROM n")
            .arg(kStaff)
            .arg(kUnits),
        QStringLiteral("INSERT INTO sabit (Kurum_Adi) VALUES ('MEB')"),
    };
}

// As a failing disk or an interrupted copy leaves it.
void spoil(const QString &path, const QString &damage)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    const qint64 pages = f.size() / kPageSize;
    if (damage == QLatin1String("half")) {
        QVERIFY(f.resize(pages / 2 * kPageSize));
        return;
    }
    for (qint64 page = pages / 2; page < pages / 2 + 3; ++page) {
        f.seek(page * kPageSize + 300);
        f.write(QByteArray(32, '\x5a'));
    }
}

qint64 rowsIn(const QString &path, const char *table)
{
    Database db;
    QString error;
    if (!db.open(path, schema::kKey, &error))
        return -1;
    return db.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(QLatin1String(table)))
        .toLongLong();
}

QStringList keptFiles(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("Data_hasarli_*.dat")}, QDir::Files);
}

} // namespace

class TestStartupRescue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { quietOffscreenWarnings(); }

    void rescueOffered_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("pages overwritten in the middle") << "middle";
        QTest::newRow("cut to half its size") << "half";
    }

    void rescueOffered()
    {
        QFETCH(QString, damage);
        TestProgramDir dir;
        dir.exec(registerRows());
        spoil(dir.databasePath(), damage);
        const QByteArray damaged = fileBytes(dir.databasePath());

        Answers answers({QStringLiteral("Evet"), QStringLiteral("TAMAM")});
        QString error, detail;
        std::unique_ptr<TForm1> form(startuprescue::createMainWindow(&error, &detail));
        QVERIFY2(form, qPrintable(error + QLatin1Char('\n') + detail));
        QVERIFY(answers.done());
        QCOMPARE(answers.count(), 2);

        // The question, in Turkish, before any window.
        QCOMPARE(answers.titles.value(0), QStringLiteral("Dikkat !"));
        QVERIFY2(answers.texts.value(0).contains(QStringLiteral("hasarlı")) &&
                     answers.texts.value(0).contains(QStringLiteral("kurtarılıp")),
                 qPrintable(answers.texts.value(0)));
        QCOMPARE(answers.buttons.value(0), (QStringList{QStringLiteral("Evet"),
                                                         QStringLiteral("Hayır")}));

        // The damaged file kept whole under a dated name.
        const QStringList kept = keptFiles(dir.path());
        QCOMPARE(kept.size(), 1);
        QVERIFY2(kept.first().startsWith(QDateTime::currentDateTime().toString(
                     QStringLiteral("'Data_hasarli_'yyyy-MM-dd"))),
                 qPrintable(kept.first()));
        QCOMPARE(fileBytes(QDir(dir.path()).filePath(kept.first())), damaged);

        // What was read is the new Data.dat, and the report says how much that is.
        const qint64 staff = rowsIn(dir.databasePath(), "uyeler");
        QCOMPARE(rowsIn(dir.databasePath(), "okul"), kUnits);
        QVERIFY2(staff > kStaff / 3 && staff < kStaff, qPrintable(QString::number(staff)));
        QCOMPARE(answers.titles.value(1), QStringLiteral("Bilgi"));
        const QString report = answers.texts.value(1);
        QVERIFY2(report.contains(QStringLiteral("%1 birim ve %2 personel kaydı")
                                     .arg(kUnits)
                                     .arg(staff)),
                 qPrintable(report));
        QVERIFY2(report.contains(kept.first()), qPrintable(report));

        // The program opens on it.
        QCOMPARE(form->data()->QueryOkul->recordCount(), kUnits);
        QCOMPARE(form->data()->QueryPersonel->recordCount(), int(staff));
        QCOMPARE(form->data()->connection().path(), dir.databasePath());
    }

    void rescueDeclined()
    {
        TestProgramDir dir;
        dir.exec(registerRows());
        spoil(dir.databasePath(), QStringLiteral("middle"));
        const QByteArray damaged = fileBytes(dir.databasePath());

        Answers answers({QStringLiteral("Hayır")});
        QString error, detail;
        std::unique_ptr<TForm1> form(startuprescue::createMainWindow(&error, &detail));
        QVERIFY(!form);
        QCOMPARE(answers.count(), 1);
        QVERIFY2(error.contains(QStringLiteral("bozuk")), qPrintable(error));
        QCOMPARE(fileBytes(dir.databasePath()), damaged);
        QCOMPARE(keptFiles(dir.path()), QStringList());
    }

    // Nothing is offered where there is nothing to rescue.
    void noRescueForAMissingOrForeignFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("missing") << "missing";
        QTest::newRow("empty") << "empty";
        QTest::newRow("start of the file overwritten") << "header";
    }

    void noRescueForAMissingOrForeignFile()
    {
        QFETCH(QString, file);
        TestProgramDir dir;
        dir.exec(registerRows());
        QFile f(dir.databasePath());
        if (file == QLatin1String("missing"))
            QVERIFY(f.remove());
        if (file == QLatin1String("empty"))
            QVERIFY(f.resize(0));
        if (file == QLatin1String("header")) {
            QVERIFY(f.open(QIODevice::ReadWrite));
            f.write(QByteArray(kPageSize, '\x5a'));
            f.close();
        }
        Answers none;
        QString error, detail;
        std::unique_ptr<TForm1> form(startuprescue::createMainWindow(&error, &detail));
        QVERIFY(!form);
        QVERIFY(!error.isEmpty());
        QCOMPARE(none.count(), 0);
        QCOMPARE(keptFiles(dir.path()), QStringList());
    }
};

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    TestStartupRescue test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_startuprescue.moc"

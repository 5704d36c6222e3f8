#include "testsupport.h"

#include "data/database.h"
#include "data/schema.h"
#include "data/turkish.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QTemporaryDir>
#include <QTest>
#include <sqlite3.h>

namespace
{

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

// A database as other programs leave it: plain SQLite, no key.
void writePlainSqlite(const QString &path)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                    SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    sqlite3_exec(db, "CREATE TABLE okul (okul_adi TEXT); INSERT INTO okul VALUES ('Ada');", nullptr,
                 nullptr, nullptr);
    sqlite3_close(db);
}

int sign(int v)
{
    return v < 0 ? -1 : v > 0 ? 1 : 0;
}

} // namespace

class TestDatabase : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void openWithTheKey();
    void openMissingFileFails();
    void openRefusesForeignFiles_data();
    void openRefusesForeignFiles();
    void createRefusesExistingFile_data();
    void createRefusesExistingFile();
    void turkishCompare_data();
    void turkishCompare();
    void turkishUpperCase_data();
    void turkishUpperCase();
};

void TestDatabase::openWithTheKey()
{
    TestProgramDir dir;
    dir.exec(QStringLiteral("INSERT INTO okul (okul_adi) VALUES ('Ada')"));
    Database db;
    QString error;
    QVERIFY2(db.open(dir.databasePath(), schema::kKey, &error), qPrintable(error));
    QVERIFY(db.isOpen());
    QCOMPARE(db.scalar(QStringLiteral("SELECT okul_adi FROM okul")).toString(),
             QStringLiteral("Ada"));
    // The file is not readable without the key.
    QVERIFY(!fileBytes(dir.databasePath()).contains("SQLite format 3"));
    QVERIFY(!fileBytes(dir.databasePath()).contains("okul_adi"));
}

void TestDatabase::openMissingFileFails()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Data.dat"));
    Database db;
    QString error;
    QVERIFY(!db.open(path, schema::kKey, &error));
    QVERIFY(!db.isOpen());
    // Said in Turkish: the engine's "unable to open database file" never reaches the user.
    QCOMPARE(error,
             QStringLiteral("Data.dat açılamadı: dosya program klasöründe yok ya da okunamıyor."));
    QVERIFY(!QFileInfo::exists(path));
}

void TestDatabase::openRefusesForeignFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("another key") << "key";
    QTest::newRow("text file") << "text";
    QTest::newRow("plain SQLite database") << "plain";
}

void TestDatabase::openRefusesForeignFiles()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Data.dat"));
    QString error;
    if (kind == QLatin1String("key"))
        QVERIFY2(Database::create(path, "baska47", &error), qPrintable(error));
    else if (kind == QLatin1String("text"))
        writeFile(path, QByteArrayLiteral("[Ayarlar]\r\nIl=ANKARA\r\nBu bir veritabani degil.\r\n")
                            .repeated(200));
    else
        writePlainSqlite(path);
    const QByteArray before = fileBytes(path);

    Database db;
    error.clear();
    QVERIFY(!db.open(path, schema::kKey, &error));
    QVERIFY(!db.isOpen());
    QCOMPARE(error, QStringLiteral("Data.dat boş veya bir Meltora veritabanı değil."));
    QCOMPARE(fileBytes(path), before);
}

void TestDatabase::createRefusesExistingFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("database") << "database";
    QTest::newRow("text file") << "text";
    QTest::newRow("empty file") << "empty";
}

void TestDatabase::createRefusesExistingFile()
{
    QFETCH(QString, kind);
    TestProgramDir dir;
    QString path = dir.databasePath();
    if (kind == QLatin1String("database")) {
        dir.exec(QStringLiteral("INSERT INTO okul (okul_adi) VALUES ('Ada')"));
    } else {
        path = QDir(dir.path()).filePath(QStringLiteral("yedek.dat"));
        writeFile(path, kind == QLatin1String("text") ? QByteArrayLiteral("Meltora yedek\n")
                                                      : QByteArray());
    }
    const QByteArray before = fileBytes(path);

    QString error;
    QVERIFY(!Database::create(path, schema::kKey, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(fileBytes(path), before);
    QVERIFY(QFileInfo::exists(path));
}

void TestDatabase::turkishCompare_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("order");

    QTest::newRow("C before Ç") << "Cem"
                                << "Çelik" << -1;
    QTest::newRow("Ç before D") << "Çelik"
                                << "Dere" << -1;
    QTest::newRow("G before Ğ") << "agah"
                                << "ağa" << -1;
    QTest::newRow("I before İ") << "Işık"
                                << "ikbal" << -1;
    QTest::newRow("dotless same letter as I") << "Ilgaz"
                                              << "ılık" << -1;
    QTest::newRow("ı then ş") << "ılık"
                              << "Işık" << -1;
    QTest::newRow("i same letter as İ") << "ikbal"
                                        << "İnci" << -1;
    QTest::newRow("İ before j") << "İz"
                                << "jale" << -1;
    QTest::newRow("O before Ö") << "Oya"
                                << "Ömer" << -1;
    QTest::newRow("Ö before P") << "Ömer"
                                << "Pınar" << -1;
    QTest::newRow("S before Ş") << "Sema"
                                << "Şule" << -1;
    QTest::newRow("Ş before T") << "Şule"
                                << "Tuna" << -1;
    QTest::newRow("U before Ü") << "Uğur"
                                << "Ümit" << -1;
    QTest::newRow("Ü before V") << "Ümit"
                                << "Vedat" << -1;
    QTest::newRow("capitals are not first") << "Zeki"
                                            << "ağa" << 1;
    QTest::newRow("prefix first") << "Ak"
                                  << "Akın" << -1;
    QTest::newRow("blank before letters") << "Ali Veli"
                                          << "Alican" << -1;
    QTest::newRow("digits before letters") << "9. Birim"
                                           << "Ada" << -1;
    QTest::newRow("case breaks ties, lower first") << "ali"
                                                   << "ALİ" << -1;
    QTest::newRow("case only after letters") << "ALİ"
                                             << "alim" << -1;
    QTest::newRow("equal") << "İstanbul"
                           << "İstanbul" << 0;
}

void TestDatabase::turkishCompare()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, order);

    QCOMPARE(sign(turkish::compare(a, b)), order);
    QCOMPARE(sign(turkish::compare(b, a)), -order);
    // The TR collation of the database and the in-memory sort must agree with compare().
    const QByteArray ua = a.toUtf8(), ub = b.toUtf8();
    QCOMPARE(
        sign(turkish::compareUtf8(ua.constData(), int(ua.size()), ub.constData(), int(ub.size()))),
        order);
    const QByteArray ka = turkish::sortKey(a), kb = turkish::sortKey(b);
    QCOMPARE(ka < kb ? -1 : kb < ka ? 1 : 0, order);
}

void TestDatabase::turkishUpperCase_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("upper");

    QTest::newRow("dotted i") << "istanbul"
                              << "İSTANBUL";
    QTest::newRow("dotless i") << "ılgaz"
                               << "ILGAZ";
    QTest::newRow("both") << "Iğdır ili"
                          << "IĞDIR İLİ";
    QTest::newRow("Turkish letters") << "çğöşü"
                                     << "ÇĞÖŞÜ";
    QTest::newRow("already upper") << "İNCİ IŞIK"
                                   << "İNCİ IŞIK";
    QTest::newRow("digits and signs") << "no: 12/a"
                                      << "NO: 12/A";
}

void TestDatabase::turkishUpperCase()
{
    QFETCH(QString, text);
    QFETCH(QString, upper);
    QCOMPARE(turkish::toUpper(text), upper);
}

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"

// The one way the program writes a file: whole or not at all, on a real full disk too, with
// the reason of a failure in Turkish.

#include "data/safefile.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTest>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

constexpr int kRounds = 50;
constexpr qint64 kPage = 4096;

QByteArray contents(int round, qint64 size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        bytes[i] = char('a' + (round + i / 97) % 26);
    return bytes;
}

int permissionsOf(const QString &path)
{
    struct stat st {
    };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

void setPermissions(const QString &path, int mode)
{
    QVERIFY(::chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0);
}

// Writes as the PDF and picture writers do: through the device, in pieces of varied size.
bool writeInPieces(const QString &target, const QByteArray &bytes, QRandomGenerator &random,
                   QString *error)
{
    SafeFile file(target);
    bool ok = file.open();
    for (qint64 at = 0; ok && at < bytes.size();) {
        const qint64 piece = std::min<qint64>(bytes.size() - at, random.bounded(1, 3000));
        ok = file.write(bytes.constData() + at, piece) == piece;
        at += piece;
    }
    // A failed write is not checked here: commit must refuse by itself.
    if (file.commit())
        return true;
    *error = file.failureText();
    return false;
}

} // namespace

class TestSafeFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fullDiskLeavesTheTargetAsItWas_data();
    void fullDiskLeavesTheTargetAsItWas();
    void failedStepsLeaveTheTargetAsItWas_data();
    void failedStepsLeaveTheTargetAsItWas();
    void writeProtectedFileIsRefused();
    void permissionsAreKept_data();
    void permissionsAreKept();
};

void TestSafeFile::fullDiskLeavesTheTargetAsItWas_data()
{
    QTest::addColumn<bool>("inPieces");
    QTest::newRow("at once") << false;
    QTest::newRow("in pieces") << true;
}

// Writes of varied sizes on a real 16 KiB disk with varied room left: those that fit are
// there whole, the others are refused in Turkish and leave the older file and nothing else.
void TestSafeFile::fullDiskLeavesTheTargetAsItWas()
{
    QFETCH(bool, inPieces);
    SmallDisk disk;
    if (!disk.mounted())
        QSKIP("a small disk cannot be mounted here");
    const QString target = disk.filePath(QStringLiteral("tam-liste.pdf"));
    QString error;
    QVERIFY2(safefile::write(target, contents(0, 3000), &error, 0640), qPrintable(error));
    QRandomGenerator random(inPieces ? 7 : 3);
    int refused = 0;
    for (int round = 1; round <= kRounds; ++round) {
        const QByteArray older = fileBytes(target);
        disk.leaveRoom(random.bounded(0, 3 * int(kPage)));
        const qint64 size = random.bounded(1, 3 * int(kPage));
        const QByteArray bytes = contents(round, size);
        const bool fits = (size + kPage - 1) / kPage * kPage <= disk.room();
        error.clear();
        const bool ok = inPieces ? writeInPieces(target, bytes, random, &error)
                                 : safefile::write(target, bytes, &error);
        const QString said = QStringLiteral("round %1, %2 bytes, %3 free: %4")
                                 .arg(round)
                                 .arg(size)
                                 .arg(disk.room())
                                 .arg(error);
        QVERIFY2(ok == fits, qPrintable(said));
        if (ok) {
            QVERIFY2(fileBytes(target) == bytes, qPrintable(said));
        } else {
            ++refused;
            QVERIFY2(fileBytes(target) == older, qPrintable(said));
            QCOMPARE(error, QStringLiteral("'%1' dosyası yazılamadı: diskte yer kalmadı.")
                                .arg(QDir::toNativeSeparators(target)));
        }
        QCOMPARE(disk.names(), QStringList({QStringLiteral("dolgu"), QStringLiteral("tam-liste.pdf")}));
        QCOMPARE(permissionsOf(target), 0640);
    }
    // Both outcomes came often enough to mean something.
    QVERIFY2(refused >= 5 && refused <= kRounds - 5, qPrintable(QString::number(refused)));
}

void TestSafeFile::failedStepsLeaveTheTargetAsItWas_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("text");
    QTest::newRow("file-size limit")
        << "limit"
        << "yazılamadı: dosya bu disk için ya da izin verilen boyut için çok büyük.";
    QTest::newRow("read-only disk") << "read-only"
                                    << "yazılamadı: disk salt okunur.";
    QTest::newRow("quota") << "quota"
                           << "yazılamadı: disk kotası doldu.";
    QTest::newRow("rename refused") << "rename"
                                    << "yerine konamadı: dosya kullanımda.";
    QTest::newRow("check refuses") << "check"
                                   << "Kopya doğrulanamadı.";
    QTest::newRow("a folder by that name") << "folder"
                                           << "yazılamadı: aynı adla bir klasör var.";
    QTest::newRow("never committed") << "dropped" << "";
}

void TestSafeFile::failedStepsLeaveTheTargetAsItWas()
{
    QFETCH(QString, failure);
    QFETCH(QString, text);
    QTemporaryDir dir;
    const QString target = dir.filePath(failure == QLatin1String("folder")
                                            ? QStringLiteral("klasör")
                                            : QStringLiteral("PersonelKayit.ini"));
    const QByteArray older = "[Gosterim]\r\nLogo=1\r\n";
    if (failure == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(target));
    } else {
        QFile file(target);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(older);
    }
    safefile::SystemCalls calls = safefile::SystemCalls::real();
    if (failure == QLatin1String("read-only"))
        calls.create = [](const char *, int, mode_t) {
            errno = EROFS;
            return -1;
        };
    if (failure == QLatin1String("quota"))
        calls.write = [](int, const void *, size_t) -> ssize_t {
            errno = EDQUOT;
            return -1;
        };
    if (failure == QLatin1String("rename"))
        calls.rename = [](const char *, const char *) {
            errno = EBUSY;
            return -1;
        };
    safefile::Check check;
    if (failure == QLatin1String("check"))
        check = [](const QString &file, QString *error) {
            *error = QStringLiteral("Kopya doğrulanamadı.");
            return fileBytes(file).isEmpty();
        };
    const QByteArray bytes = contents(1, 100000);
    bool committed = false;
    QString error;
    {
        std::unique_ptr<FullDisk> limit;
        if (failure == QLatin1String("limit"))
            limit = std::make_unique<FullDisk>(50000);
        SafeFile file(target, 0644, calls);
        if (file.open() && file.write(bytes) == bytes.size() && failure != QLatin1String("dropped"))
            committed = file.commit(check);
        error = file.failureText();
    }
    QVERIFY(!committed);
    if (!text.isEmpty())
        QVERIFY2(error.endsWith(text), qPrintable(error));
    if (failure == QLatin1String("folder"))
        QVERIFY(QFileInfo(target).isDir());
    else
        QCOMPARE(fileBytes(target), older);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), 
             failure == QLatin1String("folder") ? QStringList() : QStringList({QFileInfo(target).fileName()}));
}

// A file its owner made read-only stays as it is, as it would if it were written in place.
void TestSafeFile::writeProtectedFileIsRefused()
{
    QTemporaryDir dir;
    setPermissions(dir.path(), 0777); // the folder itself takes new files from anyone
    const QString target = dir.filePath(QStringLiteral("Sendika İstatistiği.png"));
    const QByteArray older = "eski";
    QString error;
    QVERIFY(safefile::write(target, older, &error));
    setPermissions(target, 0444);
    {
        OrdinaryUser user;
        QVERIFY(!safefile::write(target, "yeni", &error));
    }
    QCOMPARE(error, QStringLiteral("'%1' dosyası yazılamadı: yazma ya da okuma izni yok.")
                        .arg(QDir::toNativeSeparators(target)));
    QCOMPARE(fileBytes(target), older);
    QCOMPARE(permissionsOf(target), 0444);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({QStringLiteral("Sendika İstatistiği.png")}));
}

void TestSafeFile::permissionsAreKept_data()
{
    QTest::addColumn<int>("before"); // -1: no file yet
    QTest::addColumn<int>("asked");
    QTest::addColumn<int>("after");
    QTest::newRow("a new file") << -1 << 0600 << 0600;
    QTest::newRow("a private file") << 0600 << 0644 << 0600;
    QTest::newRow("a file the group reads") << 0640 << 0600 << 0640;
    QTest::newRow("a file all may write") << 0666 << 0644 << 0666;
}

void TestSafeFile::permissionsAreKept()
{
    QFETCH(int, before);
    QFETCH(int, asked);
    QFETCH(int, after);
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("Data.dat"));
    QString error;
    if (before >= 0) {
        QVERIFY(safefile::write(target, "eski", &error));
        setPermissions(target, before);
    }
    QVERIFY2(safefile::write(target, "yeni", &error, asked), qPrintable(error));
    QCOMPARE(fileBytes(target), QByteArray("yeni"));
    QCOMPARE(permissionsOf(target), after);
}

QTEST_GUILESS_MAIN(TestSafeFile)
#include "tst_safefile.moc"

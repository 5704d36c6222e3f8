// The database menu's backup, repair and bulk delete windows on the real main window,
// opened from the menu and driven as the user does.

#include "app/application.h"
#include "app/tform1.h"
#include "toolkit/tsrdbgrid.h"
#include "data/database.h"
#include "data/programdir.h"
#include "data/schema.h"
#include "data/sharedqueries.h"
#include "maintenance/databasefile.h"
#include "maintenance/pauses.h"
#include "maintenance/tfrmsil.h"
#include "maintenance/tfrmtamir.h"
#include "maintenance/tfrmyedek.h"
#include "testsupport.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <memory>

namespace
{

const QStringList kFixture = {
    "INSERT INTO sabit (Kurum_Adi, sendikasi) VALUES ('MEB', 'EĞİTİM BİR SEN')",
    "INSERT INTO yetkili (yetkili_adi) VALUES ('AYŞE KAYA')",
    "INSERT INTO sendikalar (sendikalar, adresi) VALUES ('EĞİTİM SEN', 'ANKARA'), "
    "('TÜRK EĞİTİM SEN', 'KIZILAY'), ('EĞİTİM BİR SEN', 'ÇANKAYA')",
    "INSERT INTO okul (okul_adi) VALUES ('A OKULU'), ('B OKULU'), ('C OKULU'), ('D OKULU')",
    "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir, sendikasi) VALUES "
    "(1, 'ALİ', 'KAYA', 'ALİ KAYA', 'EĞİTİM SEN'), (1, 'AYŞE', 'DEMİR', 'AYŞE DEMİR', 'EĞİTİM "
    "SEN'), "
    "(1, 'CEM', 'AY', 'CEM AY', 'TÜRK EĞİTİM SEN'), (2, 'DERYA', 'ÖZ', 'DERYA ÖZ', 'TÜRK EĞİTİM "
    "SEN'), "
    "(2, 'EMRE', 'UÇAR', 'EMRE UÇAR', 'TÜRK EĞİTİM SEN'), (3, 'FATMA', 'ŞEN', 'FATMA ŞEN', 'EĞİTİM "
    "SEN')",
    // The order in which rows leave their tables.
    "CREATE TABLE silinen (tablo TEXT)",
    "CREATE TRIGGER s1 AFTER DELETE ON sendikalar BEGIN INSERT INTO silinen VALUES ('sendikalar'); "
    "END",
    "CREATE TRIGGER s2 AFTER DELETE ON uyeler BEGIN INSERT INTO silinen VALUES ('uyeler'); END",
    "CREATE TRIGGER s3 AFTER DELETE ON okul BEGIN INSERT INTO silinen VALUES ('okul'); END",
    "CREATE TRIGGER s4 AFTER DELETE ON sabit BEGIN INSERT INTO silinen VALUES ('sabit'); END",
    "CREATE TRIGGER s5 AFTER DELETE ON yetkili BEGIN INSERT INTO silinen VALUES ('yetkili'); END",
};
const QString kBackupDone = QStringLiteral(
    "Yedekleme işlemi başarıyla tamamlandı. Veritanı dosyası belirlediğiniz klasöre kopyalandı.");
const QString kExitQuestion = QStringLiteral("Programdan çıkmak istiyor musunuz?");
const QString kDeleteQuestion =
    QStringLiteral("Bu işlem seçili verileri kalici olarak silecek. Emin misiniz ?");
const QString kDeleteDone = QStringLiteral("İşlem Başarıyla Tamamlandı...");

qint64 unitsIn(const QString &path)
{
    Database db;
    QString error;
    return db.open(path, schema::kKey, &error)
               ? db.scalar(QStringLiteral("SELECT count(*) FROM okul")).toLongLong()
               : -1;
}

} // namespace

class TestMaintenanceWindows : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> m_main;
    TForm1 *m_form = nullptr;

    TForm1 *start()
    {
        m_form = m_main->start(MainWindowFixture::Windows::All);
        return m_form;
    }
    void runMenu(const char *item)
    {
        child<QAction>(child<QMenu>(m_form, "PopupVt"), QLatin1String(item))->trigger();
    }
    QString programDir() const { return ProgramDir::path(); }
    // Reads the database through a connection of its own, as another program would.
    qint64 scalar(const QString &sql) const
    {
        Database db;
        QString error;
        if (!db.open(m_main->dir().databasePath(), schema::kKey, &error))
            return -1;
        return db.scalar(sql).toLongLong();
    }
    qint64 rows(const char *table) const
    {
        return scalar(QStringLiteral("SELECT count(*) FROM %1").arg(QLatin1String(table)));
    }
    template <typename T> T *in(QWidget *window, const char *name)
    {
        return child<T>(window, QLatin1String(name));
    }
    void click(QWidget *window, const char *name)
    {
        QTest::mouseClick(in<QAbstractButton>(window, name), Qt::LeftButton);
    }

    // The backup window, opened from the menu, with the program folder as its place.
    TFrmYedek *yedek() { return child<TFrmYedek>(m_form, "FrmYedek"); }
    void chooseProgramFolder(TFrmYedek *w)
    {
        auto *places = in<QComboBox>(w, "DriveComboBox1");
        places->setCurrentIndex(places->count() - 1);
        QCOMPARE(w->location(), programDir());
    }
    void selectFolder(TFrmYedek *w, const QString &path)
    {
        auto *tree = in<QTreeView>(w, "DirectoryOutline1");
        auto *model = qobject_cast<QFileSystemModel *>(tree->model());
        const QModelIndex index = model->index(path);
        QTRY_VERIFY(!tree->visualRect(index).isEmpty());
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(index).center());
        QCOMPARE(w->location(), path);
    }

    TFrmTamir *tamir() { return child<TFrmTamir>(m_form, "FrmTamir"); }
    TFrmSil *sil() { return child<TFrmSil>(m_form, "FrmSil"); }
    // The bulk delete window, opened from the menu, while the steps run.
    void whileSilOpen(const std::function<void(TFrmSil *)> &steps)
    {
        TFrmSil *w = sil();
        whileOpen(
            w, [&] { runMenu("VeritabannTemizle1"); }, [&] { steps(w); });
    }
    // "Tümünü Seç", then "Seçili Kayıtları Sil" once the idle rule has enabled it.
    void deleteEverything(TFrmSil *w)
    {
        click(w, "BitBtn1");
        waitIdle();
        click(w, "BitBtn3");
    }
    QString resultLine(TFrmSil *w) { return in<QLabel>(w, "Label1")->text(); }
    QCheckBox *box(int n)
    {
        return in<QCheckBox>(sil(), QByteArray("CheckBox") + QByteArray::number(n));
    }
    // Clicks a box on its tick, where a click always lands.
    void tick(int n)
    {
        QTest::mouseClick(box(n), Qt::LeftButton, {}, QPoint(6, box(n)->height() / 2));
    }

private Q_SLOTS:
    void initTestCase()
    {
        quietOffscreenWarnings();
        maintenance::pauseFactor = 0;
    }
    void init() { m_main = std::make_unique<MainWindowFixture>(kFixture); }
    void cleanup() { m_main.reset(); }

    void backupWindowAsItOpens();
    void backupCopiesTheDatabaseIntoTheNamedFolder();
    void backupCases_data();
    void backupCases();
    void backupFailureKeepsTheWindowOpen();

    void repairCompactsAndEndsTheProgram();
    void repairOfACompactDatabase();
    void repairThatFailsLeavesTheDatabase_data();
    void repairThatFailsLeavesTheDatabase();
    void repairOfADamagedDatabase_data();
    void repairOfADamagedDatabase();
    void repairWindowCloseBox();

    void bulkDeleteBoxRules();
    void bulkDeleteOfEverything();
    void bulkDeleteDeclined();
    void bulkDeleteWithAMemberFilter();
    void bulkDeleteOfAListNotOpen();
    void bulkDeleteRefusedByTheDatabase();
    void bulkDeleteWithoutASafetyCopy();
    void bulkDeleteOfEmptyTables();
    void bulkDeleteKeepsItsOwnSafetyCopy();
};

// ---------------------------------------------------------------- backup

void TestMaintenanceWindows::backupWindowAsItOpens()
{
    start();
    TFrmYedek *w = yedek();
    whileOpen(
        w, [&] { runMenu("VeritabannYedekle1"); },
        [&] {
            QCOMPARE(w->windowTitle(), QStringLiteral(" Yedekleme İşlemi"));
            QCOMPARE(in<QLabel>(w, "Label1")->text(), QStringLiteral("Yedekleme Klasörü Adı"));
            QCOMPARE(in<QLineEdit>(w, "Edit1")->text(), QStringLiteral("YedekSendika"));
            QCOMPARE(in<QLineEdit>(w, "Edit1")->focusPolicy(), Qt::ClickFocus);
            QCOMPARE(in<QLabel>(w, "Label2")->text(), QStringLiteral("Yedekleme Konumu"));
            QCOMPARE(in<QLabel>(w, "Label3")->text(), QStringLiteral("Durum"));
            QCOMPARE(in<QProgressBar>(w, "ProgressBar1")->value(), 0);
            QCOMPARE(in<QWidget>(w, "GroupBox1")->accessibleName(),
                     QStringLiteral("Yedeklenecek Veriler"));
            QVERIFY(in<QCheckBox>(w, "CheckBox1")->isChecked());
            QCOMPARE(in<QCheckBox>(w, "CheckBox1")->text(), QStringLiteral("Veritabanı"));
            QVERIFY(!in<QCheckBox>(w, "CheckBox2")->isChecked());
            QCOMPARE(in<QCheckBox>(w, "CheckBox2")->text(), QStringLiteral("Ayar Dosyası"));
            QCOMPARE(in<QPushButton>(w, "Button1")->text(), QStringLiteral("YEDEKLE"));
            // The places: home first, the program folder last, the mounted volumes between.
            auto *places = in<QComboBox>(w, "DriveComboBox1");
            QCOMPARE(places->itemData(0).toString(), QDir::homePath());
            QCOMPARE(places->itemData(places->count() - 1).toString(), programDir());
            QVERIFY(places->findData(QStringLiteral("/")) > 0);
            // The tree opens at the program folder, the folder the program works in.
            QCOMPARE(places->currentIndex(), places->count() - 1);
            QCOMPARE(w->location(), programDir());
            auto *tree = in<QTreeView>(w, "DirectoryOutline1");
            auto *model = qobject_cast<QFileSystemModel *>(tree->model());
            QCOMPARE(model->filePath(tree->rootIndex()), programDir());
            // Choosing a place roots the tree there.
            QVERIFY(pick(places, places->itemText(0)));
            QCOMPARE(w->location(), QDir::homePath());
            QCOMPARE(model->filePath(tree->rootIndex()), QDir::homePath());
            chooseProgramFolder(w);
            // What the user leaves in the window stays for the next opening.
            in<QLineEdit>(w, "Edit1")->setText(QStringLiteral("Haftalık"));
            in<QCheckBox>(w, "CheckBox2")->setChecked(true);
        });
    whileOpen(
        w, [&] { runMenu("VeritabannYedekle1"); },
        [&] {
            QCOMPARE(in<QLineEdit>(w, "Edit1")->text(), QStringLiteral("Haftalık"));
            QVERIFY(in<QCheckBox>(w, "CheckBox2")->isChecked());
            QCOMPARE(w->location(), programDir());
        });
}

void TestMaintenanceWindows::backupCopiesTheDatabaseIntoTheNamedFolder()
{
    start();
    TFrmYedek *w = yedek();
    Answers done({QStringLiteral("TAMAM")});
    whileOpen(
        w, [&] { runMenu("VeritabannYedekle1"); },
        [&] {
            click(w, "Button1"); // at once, on the place and folder name the window opens with
            QVERIFY(!w->isVisible()); // the window closes after the message
        });
    QCOMPARE(done.count(), 1);
    QCOMPARE(done.text(), kBackupDone);
    QCOMPARE(done.title(), QStringLiteral("Meltora"));
    const QString copy = QDir(programDir()).filePath(QStringLiteral("YedekSendika/Data.dat"));
    QVERIFY(maintenance::checkFile(copy, maintenance::Depth::Full).sound());
    Database db;
    QString error;
    QVERIFY(db.open(copy, schema::kKey, &error));
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM uyeler")).toInt(), 6);
    QVERIFY(!QFileInfo::exists(
        QDir(programDir()).filePath(QStringLiteral("YedekSendika/PersonelKayit.ini"))));
}

void TestMaintenanceWindows::backupCases_data()
{
    QTest::addColumn<bool>("database");
    QTest::addColumn<bool>("settings");
    QTest::addColumn<QString>("folderName");
    QTest::addColumn<QString>("selected"); // a folder picked in the tree under the program folder
    QTest::addColumn<QString>("expectedFolder"); // relative to the program folder
    QTest::addColumn<QString>("message");
    QTest::newRow("nothing ticked") << false << false << "YedekSendika"
                                    << ""
                                    << ""
                                    << "Yedekleme için seçim yapılmadı !";
    QTest::newRow("settings only") << false << true << "YedekSendika"
                                   << ""
                                   << "YedekSendika" << kBackupDone;
    QTest::newRow("both") << true << true << "YedekSendika"
                          << ""
                          << "YedekSendika" << kBackupDone;
    QTest::newRow("folder picked in the tree") << true << false << "Sendika"
                                               << "hedef"
                                               << "hedef/Sendika" << kBackupDone;
    QTest::newRow("empty folder name") << true << true << ""
                                       << "hedef"
                                       << "hedef" << kBackupDone;
    QTest::newRow("missing parents") << true << false << "2024/Mayıs/Yedek"
                                     << "hedef"
                                     << "hedef/2024/Mayıs/Yedek" << kBackupDone;
}

void TestMaintenanceWindows::backupCases()
{
    QFETCH(bool, database);
    QFETCH(bool, settings);
    QFETCH(QString, folderName);
    QFETCH(QString, selected);
    QFETCH(QString, expectedFolder);
    QFETCH(QString, message);
    start();
    m_main->closeAnswering(
        QStringLiteral("Hayır")); // the settings file is written at each closing attempt
    const QDir program(programDir());
    QVERIFY(program.mkdir(QStringLiteral("hedef")));
    TFrmYedek *w = yedek();
    for (int run = 0; run < 2; ++run) { // the second run replaces the first one's copies
        Answers answer({QStringLiteral("TAMAM")});
        whileOpen(
            w, [&] { runMenu("VeritabannYedekle1"); },
            [&] {
                if (run == 0) { // the window keeps the place and folder for the second run
                    chooseProgramFolder(w);
                    if (!selected.isEmpty())
                        selectFolder(w, program.filePath(selected));
                }
                in<QCheckBox>(w, "CheckBox1")->setChecked(database);
                in<QCheckBox>(w, "CheckBox2")->setChecked(settings);
                in<QLineEdit>(w, "Edit1")->setText(folderName);
                click(w, "Button1");
            });
        QCOMPARE(answer.texts, QStringList{message});
        if (expectedFolder.isEmpty()) {
            QCOMPARE(answer.title(), QStringLiteral("Dikkat !"));
            QVERIFY(!program.exists(folderName));
            return;
        }
        const QDir target(program.filePath(expectedFolder));
        QCOMPARE(QFileInfo::exists(target.filePath(QStringLiteral("Data.dat"))), database);
        QCOMPARE(QFileInfo::exists(target.filePath(QStringLiteral("PersonelKayit.ini"))), settings);
        if (settings)
            QCOMPARE(fileBytes(target.filePath(QStringLiteral("PersonelKayit.ini"))),
                     fileBytes(m_main->dir().settingsPath()));
        QCOMPARE(target.entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".tmp")),
                 QStringList());
        if (run == 0)
            m_form->data()->connection().exec(
                QStringLiteral("INSERT INTO okul (okul_adi) VALUES ('YENİ')"));
        else if (database)
            QCOMPARE(unitsIn(target.filePath(QStringLiteral("Data.dat"))), 5);
    }
}

void TestMaintenanceWindows::backupFailureKeepsTheWindowOpen()
{
    start();
    // A file stands where the backup folder should be made.
    QFile blocker(QDir(programDir()).filePath(QStringLiteral("YedekSendika")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    TFrmYedek *w = yedek();
    {
        Answers answer({QStringLiteral("TAMAM")});
        whileOpen(
            w, [&] { runMenu("VeritabannYedekle1"); },
            [&] {
                chooseProgramFolder(w);
                click(w, "Button1");
                QVERIFY(w->isVisible());
                QCOMPARE(in<QProgressBar>(w, "ProgressBar1")->value(), 0);
            });
        QCOMPARE(answer.count(), 1);
        QCOMPARE(answer.title(), QStringLiteral("Hata"));
        QVERIFY2(answer.text().contains(QDir::toNativeSeparators(blocker.fileName())),
                 qPrintable(answer.text()));
        QVERIFY2(answer.text().contains(QStringLiteral("Neden: ")), qPrintable(answer.text()));
    }
    // The folder name "" over the program folder would be the database itself.
    Answers refused({QStringLiteral("TAMAM")});
    const QByteArray database = fileBytes(m_main->dir().databasePath());
    whileOpen(
        w, [&] { runMenu("VeritabannYedekle1"); },
        [&] {
            chooseProgramFolder(w);
            in<QLineEdit>(w, "Edit1")->clear();
            click(w, "Button1");
            QVERIFY(w->isVisible());
        });
    QVERIFY2(refused.text().contains(QStringLiteral("veritabanının kendi yerine yazılamaz")),
             qPrintable(refused.texts.join(QLatin1Char('|'))));
    QCOMPARE(fileBytes(m_main->dir().databasePath()), database);
}

// ---------------------------------------------------------------- repair

void TestMaintenanceWindows::repairCompactsAndEndsTheProgram()
{
    m_main->dir().exec(
        QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                       "WHERE i < 3000) INSERT INTO veriler (okul_adi, adresi) "
                       "SELECT 'OKUL ' || i, 'ADRES ' || i FROM n"));
    m_main->dir().exec(QStringLiteral("DELETE FROM veriler"));
    start();
    const QString database = m_main->dir().databasePath();
    const qint64 sizeBefore = QFileInfo(database).size();
    runMenu("VeritabannOnar1");
    TFrmTamir *w = tamir();
    // The program is out of service: the main window hidden, its connection gone.
    QVERIFY(!m_form->isVisible());
    QVERIFY(!m_form->data()->connection().isOpen());
    QVERIFY(w->isVisible());
    QVERIFY(!w->isModal());
    QCOMPARE(w->windowTitle(), QStringLiteral("Veritabanı Bakım ve Onarımı"));
    QCOMPARE(in<QLabel>(w, "Label9")->text(),
             QStringLiteral("İŞLEM SONRASINDA PROGRAMI YENİDEN BAŞLATIN"));
    QCOMPARE(in<QLabel>(w, "Label1")->text(), QStringLiteral("Veritabanı boyutu :"));
    QCOMPARE(in<QLabel>(w, "Label2")->text(), QStringLiteral("İşlem öncesi :"));
    QCOMPARE(in<QLabel>(w, "Label4")->text(), QStringLiteral("İşlem sonrası :"));
    QCOMPARE(in<QLabel>(w, "Label5")->text(),
             QLocale().formattedDataSize(sizeBefore, 2, QLocale::DataSizeTraditionalFormat));
    QCOMPARE(in<QLabel>(w, "Label6")->text(), QStringLiteral("..."));
    QCOMPARE(in<QLabel>(w, "Label3")->text(), QStringLiteral("Gösterge paneli"));
    QVERIFY(!in<QLabel>(w, "Label3")->isEnabled());
    QCOMPARE(in<QPushButton>(w, "Button1")->text(), QStringLiteral("Başla"));
    QCOMPARE(in<QPushButton>(w, "Button6")->text(), QStringLiteral("İptal"));

    {
        Answers none;
        click(w, "Button1");
        QCOMPARE(none.count(), 0); // the file shrank: no "best shape" message
    }
    QCOMPARE(in<QLabel>(w, "Label3")->text(), QStringLiteral("İşlem başarıyla tamamlandı"));
    QVERIFY(in<QLabel>(w, "Label3")->isEnabled());
    QCOMPARE(in<QProgressBar>(w, "ProgressBar1")->value(), 100);
    QCOMPARE(in<QPushButton>(w, "Button1")->text(), QStringLiteral("Kapat"));
    QVERIFY(!in<QPushButton>(w, "Button6")->isEnabled());
    const qint64 sizeAfter = QFileInfo(database).size();
    QVERIFY(sizeAfter < sizeBefore);
    QCOMPARE(in<QLabel>(w, "Label6")->text(), TFrmTamir::sizeText(database));
    QVERIFY(!QFileInfo::exists(QDir(programDir()).filePath(QStringLiteral("Yedek.dat"))));
    QCOMPARE(rows("uyeler"), 6);
    QCOMPARE(rows("okul"), 4);

    // "Kapat" asks the exit question; "Hayır" keeps the repair window, the one on screen.
    {
        Answers no({QStringLiteral("Hayır")});
        click(w, "Button1");
        QCOMPARE(no.text(), kExitQuestion);
    }
    QVERIFY(w->isVisible());
    QVERIFY(!m_form->isVisible());
    QCOMPARE(in<QPushButton>(w, "Button1")->text(), QStringLiteral("Kapat"));
    {
        Answers yes({QStringLiteral("Evet")});
        click(w, "Button1");
        QCOMPARE(yes.text(), kExitQuestion);
    }
    QVERIFY(!w->isVisible());
    QVERIFY(QFileInfo::exists(m_main->dir().settingsPath())); // written at the closing, as always
}

void TestMaintenanceWindows::repairOfACompactDatabase()
{
    start();
    runMenu("VeritabannOnar1");
    TFrmTamir *w = tamir();
    // A fresh database is compact already: the sizes before and after read the same.
    Answers best({QStringLiteral("TAMAM")});
    click(w, "Button1");
    QCOMPARE(best.texts, QStringList{QStringLiteral(
                             "Veritabanı performansı en iyi durumda. Değişik yapılmadı.")});
    QCOMPARE(in<QLabel>(w, "Label6")->text(), in<QLabel>(w, "Label5")->text());
    QCOMPARE(in<QLabel>(w, "Label3")->text(), QStringLiteral("İşlem başarıyla tamamlandı"));
}

void TestMaintenanceWindows::repairThatFailsLeavesTheDatabase_data()
{
    QTest::addColumn<bool>("writing");
    QTest::newRow("another program writes") << true;
    QTest::newRow("another copy has it open") << false;
}

void TestMaintenanceWindows::repairThatFailsLeavesTheDatabase()
{
    QFETCH(bool, writing);
    start();
    // Another program holds the database while the repair runs.
    runMenu("VeritabannOnar1");
    TFrmTamir *w = tamir();
    const QByteArray before = fileBytes(m_main->dir().databasePath());
    Database other;
    QString error;
    QVERIFY(other.open(m_main->dir().databasePath(), schema::kKey, &error));
    if (writing)
        other.exec(QStringLiteral("BEGIN IMMEDIATE"));
    Answers told({QStringLiteral("TAMAM")});
    click(w, "Button1");
    if (writing)
        other.exec(QStringLiteral("ROLLBACK"));
    QCOMPARE(told.count(), 1);
    QCOMPARE(told.title(), QStringLiteral("Hata"));
    QVERIFY2(told.text().contains(QDir::toNativeSeparators(m_main->dir().databasePath())),
             qPrintable(told.text()));
    QVERIFY2(told.text().contains(QStringLiteral("Data.dat olduğu gibi duruyor")),
             qPrintable(told.text()));
    QCOMPARE(in<QLabel>(w, "Label3")->text(),
             QStringLiteral("Hata! Veritabanının adı değiştirilmiş veya kullanımda !"));
    QVERIFY(!in<QLabel>(w, "Label3")->font().bold());
    QCOMPARE(in<QLabel>(w, "Label3")->palette().color(QPalette::WindowText), QColor(128, 0, 0));
    QCOMPARE(in<QPushButton>(w, "Button1")->text(), QStringLiteral("İşlem Başarısız"));
    QCOMPARE(in<QProgressBar>(w, "ProgressBar1")->value(), 20);
    QVERIFY(!in<QPushButton>(w, "Button6")->isEnabled());
    QCOMPARE(fileBytes(m_main->dir().databasePath()), before);
    QVERIFY(!QFileInfo::exists(QDir(programDir()).filePath(QStringLiteral("Yedek.dat"))));

    // A database that is not there at all shows so before anything runs.
    QCOMPARE(TFrmTamir::sizeText(QDir(programDir()).filePath(QStringLiteral("yok.dat"))),
             QStringLiteral("*.mbd dosyası bulunamadı!"));
}

void TestMaintenanceWindows::repairOfADamagedDatabase_data()
{
    QTest::addColumn<bool>("save");
    QTest::newRow("readable rows saved") << true;
    QTest::newRow("left as it is") << false;
}

void TestMaintenanceWindows::repairOfADamagedDatabase()
{
    QFETCH(bool, save);
    m_main->dir().exec(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
        "WHERE i < 2000) INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir, ev_adresi) "
        "SELECT 1, 'AD' || i, 'SOYAD' || i, 'AD' || i || ' SOYAD' || i, "
        "'UZUN BİR EV ADRESİ ' || i FROM n"));
    start();
    runMenu("VeritabannOnar1");
    TFrmTamir *w = tamir();
    const QString database = m_main->dir().databasePath();
    {
        QFile f(database);
        QVERIFY(f.open(QIODevice::ReadWrite));
        for (qint64 page = f.size() / 4096 / 2; page < f.size() / 4096 / 2 + 3; ++page) {
            f.seek(page * 4096 + 300);
            f.write(QByteArray(32, '\x5a'));
        }
    }
    const QByteArray damaged = fileBytes(database);
    Answers answers(save ? QStringList{QStringLiteral("Evet"), QStringLiteral("TAMAM")}
                         : QStringList{QStringLiteral("Hayır")});
    click(w, "Button1");
    QVERIFY(answers.done());
    QCOMPARE(answers.titles.value(0), QStringLiteral("Dikkat !"));
    QVERIFY2(answers.texts.value(0).contains(QStringLiteral("hasarlı")),
             qPrintable(answers.texts.value(0)));
    QCOMPARE(in<QLabel>(w, "Label3")->text(), QStringLiteral("Hata! Veritabanı dosyası hasarlı !"));
    QCOMPARE(in<QPushButton>(w, "Button1")->text(), QStringLiteral("İşlem Başarısız"));
    QCOMPARE(fileBytes(database), damaged);
    const QStringList saved =
        QDir(programDir()).entryList({QStringLiteral("Data_kurtarilan_*.dat")});
    QCOMPARE(saved.size(), save ? 1 : 0);
    if (!save)
        return;
    const QString report = answers.texts.value(1);
    QVERIFY2(report.contains(saved.first()), qPrintable(report));
    QVERIFY2(report.contains(QStringLiteral("Birim: 4 kayıt\n")), qPrintable(report));
    QVERIFY2(report.contains(QStringLiteral(" kayıt (okunamayan kayıtlar var)")),
             qPrintable(report));
    QVERIFY(
        maintenance::checkFile(QDir(programDir()).filePath(saved.first()), maintenance::Depth::Full)
            .sound());
}

void TestMaintenanceWindows::repairWindowCloseBox()
{
    start();
    runMenu("VeritabannOnar1");
    TFrmTamir *w = tamir();
    {
        Answers no({QStringLiteral("Hayır")});
        w->close();
        QCOMPARE(no.text(), kExitQuestion);
    }
    QVERIFY(w->isVisible()); // the window stays: no window would be left on screen otherwise
    QCOMPARE(in<QPushButton>(w, "Button1")->text(), QStringLiteral("Başla"));
    {
        Answers no({QStringLiteral("Hayır")});
        QTest::keyClick(w, Qt::Key_Escape);
        QCOMPARE(no.text(), kExitQuestion);
    }
    QVERIFY(w->isVisible());
    {
        Answers yes({QStringLiteral("Evet")});
        click(w, "Button6"); // "İptal"
        QCOMPARE(yes.text(), kExitQuestion);
    }
    QVERIFY(!w->isVisible());
    QVERIFY(!m_form->isVisible());
}

// ---------------------------------------------------------------- bulk delete

void TestMaintenanceWindows::bulkDeleteBoxRules()
{
    start();
    whileSilOpen([&](TFrmSil *w) {
        QCOMPARE(w->windowTitle(), QStringLiteral("  Toplu Kayıt Silme"));
        const QStringList captions = {"Tüm Sendika Kayıtlarını Sil", "Tüm Personel Kayıtlarını Sil",
                                      "Tüm Birim Kayıtlarını Sil", "Sabit Bilgi Kayıtlarını Sil",
                                      "Program Yetkili Kayıtlarını Sil"};
        for (int n = 1; n <= 5; ++n) {
            QCOMPARE(box(n)->text(), captions[n - 1]);
            QVERIFY(!box(n)->isChecked());
        }
        QCOMPARE(in<QPushButton>(w, "BitBtn1")->text(), QStringLiteral("Tümünü Seç"));
        QCOMPARE(in<QPushButton>(w, "BitBtn2")->text(), QStringLiteral("Tümünü Bırak"));
        QCOMPARE(in<QPushButton>(w, "BitBtn3")->text(), QStringLiteral("Seçili Kayıtları Sil"));
        QCOMPARE(in<QPushButton>(w, "BitBtn4")->text(), QStringLiteral("KAPAT"));
        QCOMPARE(resultLine(w), QString());
        QVERIFY(!in<QLabel>(w, "Label1")->isEnabled());
        waitIdle();
        QVERIFY(!in<QPushButton>(w, "BitBtn3")->isEnabled());
        QVERIFY(!box(3)->isEnabled());

        tick(2);
        waitIdle();
        QVERIFY(box(3)->isEnabled());
        QVERIFY(in<QPushButton>(w, "BitBtn3")->isEnabled());
        tick(3);
        QVERIFY(box(3)->isChecked());
        // Unticking the staff unticks the units and greys them.
        tick(2);
        waitIdle();
        QVERIFY(!box(3)->isChecked());
        QVERIFY(!box(3)->isEnabled());
        QVERIFY(!in<QPushButton>(w, "BitBtn3")->isEnabled());

        click(w, "BitBtn1");
        waitIdle();
        for (int n = 1; n <= 5; ++n)
            QVERIFY(box(n)->isChecked());
        QVERIFY(in<QPushButton>(w, "BitBtn3")->isEnabled());
        click(w, "BitBtn2");
        waitIdle();
        for (int n = 1; n <= 5; ++n)
            QVERIFY(!box(n)->isChecked());
        QVERIFY(!in<QPushButton>(w, "BitBtn3")->isEnabled());
        tick(4);
        click(w, "BitBtn4"); // "KAPAT"
        QVERIFY(!w->isVisible());
    });
    // Every opening starts with nothing ticked.
    whileSilOpen([&](TFrmSil *) { QVERIFY(!box(4)->isChecked()); });
}

void TestMaintenanceWindows::bulkDeleteOfEverything()
{
    start();
    m_main->click("BitBtn1"); // the unit browser, then the member browser
    m_main->click("BitBtn2");
    waitIdle();
    Answers yes({QStringLiteral("Evet")});
    whileSilOpen([&](TFrmSil *w) {
        deleteEverything(w);
        QCOMPARE(yes.text(), kDeleteQuestion);
        QCOMPARE(yes.title(), QStringLiteral("Dikkat !"));
        const QString result = resultLine(w);
        QVERIFY2(result.startsWith(kDeleteDone + QStringLiteral(" Güvenlik kopyası: ")),
                 qPrintable(result));
        QVERIFY2(result.contains(QDir::toNativeSeparators(TFrmSil::safetyCopyFolder())),
                 qPrintable(result));
        auto *bar = in<QProgressBar>(w, "ProgressBar1");
        QCOMPARE(bar->value(),
                 bar->maximum()); // the last kind, program authority, ran to its end
        QCOMPARE(bar->maximum(), 1);
    });
    for (const char *table : {"sendikalar", "uyeler", "okul", "sabit", "yetkili"})
        QCOMPARE(rows(table), 0);
    Database db;
    QString error;
    QVERIFY(db.open(m_main->dir().databasePath(), schema::kKey, &error));
    QCOMPARE(db.scalar(QStringLiteral("SELECT group_concat(tablo) FROM (SELECT DISTINCT tablo FROM "
                                      "silinen ORDER BY rowid)"))
                 .toString(),
             QStringLiteral("sendikalar,uyeler,okul,sabit,yetkili"));

    // The safety copy holds everything as it was.
    const QStringList copies =
        QDir(TFrmSil::safetyCopyFolder()).entryList({QStringLiteral("Data_*.dat")});
    QCOMPARE(copies.size(), 1);
    Database copy;
    QVERIFY(copy.open(QDir(TFrmSil::safetyCopyFolder()).filePath(copies.first()), schema::kKey,
                      &error));
    QCOMPARE(copy.scalar(QStringLiteral("SELECT count(*) FROM uyeler")).toInt(), 6);
    QCOMPARE(copy.scalar(QStringLiteral("SELECT count(*) FROM okul")).toInt(), 4);

    // The main window's lists are empty at once, and so are the counts beside them.
    waitIdle();
    QCOMPARE(child<TSrDBGrid>(m_form, "SrDBGrid3")->model()->rowCount(), 0);
    QCOMPARE(child<TSrDBGrid>(m_form, "SrDBGrid2")->model()->rowCount(), 0);
    QCOMPARE(child<TSrDBGrid>(m_form, "SrDBGrid1")->model()->rowCount(), 0);
    QCOMPARE(m_form->labelPersonel()->text(), QStringLiteral("0"));
    QCOMPARE(m_form->statusPanel(0)->text(), QStringLiteral(" Kayıtlı Birim: 0"));
    QCOMPARE(m_form->statusPanel(1)->text(), QStringLiteral(" Birim/Personel Sayısı: 0"));
    QCOMPARE(m_form->statusPanel(2)->text(), QStringLiteral(" Toplam Kayıtlı Personel: 0"));
    QVERIFY(!child<QWidget>(m_form, "BitBtn6")->isEnabled());
}

void TestMaintenanceWindows::bulkDeleteDeclined()
{
    start();
    Answers no({QStringLiteral("Hayır")});
    whileSilOpen([&](TFrmSil *w) {
        deleteEverything(w);
        QCOMPARE(resultLine(w), QStringLiteral("İşlem iptal edildi; hiçbir kayıt silinmedi."));
    });
    QCOMPARE(no.text(), kDeleteQuestion);
    QCOMPARE(rows("uyeler"), 6);
    QCOMPARE(rows("okul"), 4);
    QCOMPARE(rows("sendikalar"), 3);
    QVERIFY(!QFileInfo::exists(TFrmSil::safetyCopyFolder()));
    // The next opening starts afresh.
    whileSilOpen([&](TFrmSil *w) {
        QCOMPARE(resultLine(w), QString());
        QCOMPARE(in<QProgressBar>(w, "ProgressBar1")->value(), 0);
        for (int n = 1; n <= 5; ++n)
            QVERIFY(!box(n)->isChecked());
    });
}

void TestMaintenanceWindows::bulkDeleteWithAMemberFilter()
{
    start();
    m_main->click("BitBtn2");
    waitIdle();
    // Only the members of one union are listed.
    QVERIFY(pick(child<QComboBox>(m_form, "CbAra"), QStringLiteral("TÜRK EĞİTİM SEN")));
    QCOMPARE(m_form->data()->QueryPersonel->recordCount(), 3);
    Answers yes({QStringLiteral("Evet")});
    whileSilOpen([&](TFrmSil *w) {
        tick(2);
        waitIdle();
        tick(3);
        waitIdle();
        click(w, "BitBtn3");
        const QString result = resultLine(w);
        QVERIFY2(
            result.startsWith(kDeleteDone + QStringLiteral(" Personeli olan 2 birim silinmedi.")),
            qPrintable(result));
    });
    QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM uyeler WHERE sendikasi = 'EĞİTİM SEN'")),
             3);
    QCOMPARE(rows("uyeler"), 3);
    // Units B (its staff all gone) and D (no staff) went; A and C keep their staff.
    Database db;
    QString error;
    QVERIFY(db.open(m_main->dir().databasePath(), schema::kKey, &error));
    QCOMPARE(db.scalar(QStringLiteral("SELECT group_concat(okul_adi) FROM okul")).toString(),
             QStringLiteral("A OKULU,C OKULU"));
    QCOMPARE(columnOf(*m_form->data()->QueryOkul, QStringLiteral("okul_adi")),
             QStringList({"A OKULU", "C OKULU"}));
    QCOMPARE(m_form->data()->Query_Uye->recordCount(), 2); // A OKULU's two remaining staff
    QCOMPARE(rows("sendikalar"), 3);
}

// The all-staff list is not open (it is opened when the member browser needs it): its kind
// still deletes the staff of its statement instead of reporting a run that deleted nothing.
void TestMaintenanceWindows::bulkDeleteOfAListNotOpen()
{
    start();
    m_form->data()->QueryPersonel->close();
    Answers yes({QStringLiteral("Evet")});
    whileSilOpen([&](TFrmSil *w) {
        tick(2);
        waitIdle();
        click(w, "BitBtn3");
        const QString result = resultLine(w);
        QVERIFY2(result.startsWith(kDeleteDone), qPrintable(result));
        QCOMPARE(in<QProgressBar>(w, "ProgressBar1")->maximum(), 6);
    });
    QCOMPARE(rows("uyeler"), 0);
    QCOMPARE(m_form->data()->QueryPersonel->recordCount(), 0);
    QCOMPARE(m_form->data()->Query_Uye->recordCount(), 0);
    QCOMPARE(QDir(TFrmSil::safetyCopyFolder()).entryList({QStringLiteral("Data_*.dat")}).size(), 1);
}

void TestMaintenanceWindows::bulkDeleteRefusedByTheDatabase()
{
    m_main->dir().exec(
        QStringLiteral("CREATE TRIGGER korunan BEFORE DELETE ON uyeler WHEN old.adi = 'EMRE' "
                       "BEGIN SELECT RAISE(ABORT, 'bu kayıt silinemez'); END"));
    start();
    Answers answers({QStringLiteral("Evet"), QStringLiteral("TAMAM")});
    whileSilOpen([&](TFrmSil *w) {
        deleteEverything(w);
        QCOMPARE(resultLine(w),
                 QStringLiteral("İşlem yarıda kaldı: Personel kayıtları silinemedi."));
    });
    QVERIFY(answers.done());
    QCOMPARE(answers.titles.value(1), QStringLiteral("Hata"));
    QVERIFY2(answers.texts.value(1).contains(QStringLiteral("bu kayıt silinemez")),
             qPrintable(answers.texts.value(1)));
    QVERIFY2(answers.texts.value(1).contains(QStringLiteral("Yedekler")),
             qPrintable(answers.texts.value(1)));
    // The unions went in their own transaction; none of the staff did, nor anything after them.
    QCOMPARE(rows("sendikalar"), 0);
    QCOMPARE(rows("uyeler"), 6);
    QCOMPARE(rows("okul"), 4);
    QCOMPARE(rows("sabit"), 1);
    QCOMPARE(m_form->data()->QueryPersonel->recordCount(), 6);
}

void TestMaintenanceWindows::bulkDeleteWithoutASafetyCopy()
{
    start();
    // A file stands where the safety copies' folder should be.
    QFile blocker(TFrmSil::safetyCopyFolder());
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    Answers answers({QStringLiteral("Evet"), QStringLiteral("TAMAM")});
    whileSilOpen([&](TFrmSil *w) {
        deleteEverything(w);
        QCOMPARE(resultLine(w),
                 QStringLiteral("Güvenlik kopyası alınamadı; hiçbir kayıt silinmedi."));
    });
    QVERIFY(answers.done());
    QCOMPARE(answers.titles.value(1), QStringLiteral("Hata"));
    QVERIFY2(answers.texts.value(1).contains(QDir::toNativeSeparators(blocker.fileName())),
             qPrintable(answers.texts.value(1)));
    for (const char *table : {"sendikalar", "uyeler", "okul", "sabit", "yetkili"})
        QVERIFY(rows(table) > 0);
    QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM silinen")), 0);
}

void TestMaintenanceWindows::bulkDeleteOfEmptyTables()
{
    m_main->dir().exec({QStringLiteral("DELETE FROM uyeler"), QStringLiteral("DELETE FROM okul"),
                        QStringLiteral("DELETE FROM sendikalar"),
                        QStringLiteral("DELETE FROM sabit"),
                        QStringLiteral("DELETE FROM yetkili")});
    start();
    Answers yes({QStringLiteral("Evet")});
    whileSilOpen([&](TFrmSil *w) {
        deleteEverything(w);
        QCOMPARE(resultLine(w), kDeleteDone);
        QCOMPARE(in<QProgressBar>(w, "ProgressBar1")->value(), 0);
    });
    // Nothing to delete, so nothing to keep a copy of.
    QVERIFY(!QFileInfo::exists(TFrmSil::safetyCopyFolder()));
}

void TestMaintenanceWindows::bulkDeleteKeepsItsOwnSafetyCopy()
{
    // Ten copies whose names sort after today's (a clock that was ahead, or copies brought
    // from another computer), written in the reverse order of their names.
    QDir folder(TFrmSil::safetyCopyFolder());
    QVERIFY(folder.mkpath(QStringLiteral(".")));
    const QDateTime written = QDateTime::currentDateTime().addDays(-30);
    QStringList later;
    for (int i = 0; i < 10; ++i) {
        later << QStringLiteral("Data_2099-01-01_00-00-%1.dat").arg(i, 2, 10, QLatin1Char('0'));
        QFile f(folder.filePath(later.last()));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("eski kopya");
        QVERIFY(f.flush()); // written before its time is set back
        QVERIFY(f.setFileTime(written.addSecs(-3600 * i), QFileDevice::FileModificationTime));
    }
    start();
    Answers yes({QStringLiteral("Evet")});
    QString result;
    whileSilOpen([&](TFrmSil *w) {
        tick(4); // "Sabit Bilgi Kayıtlarını Sil"
        waitIdle();
        click(w, "BitBtn3");
        result = resultLine(w);
    });
    QVERIFY(yes.done());
    QCOMPARE(rows("sabit"), 0);
    // The result line names the new copy, and it is there with the data it kept.
    const QString prefix = kDeleteDone + QStringLiteral(" Güvenlik kopyası: ");
    QVERIFY2(result.startsWith(prefix), qPrintable(result));
    const QString copy = QDir::fromNativeSeparators(result.mid(prefix.size()));
    QVERIFY2(QFileInfo::exists(copy), qPrintable(copy));
    Database db;
    QString error;
    QVERIFY(db.open(copy, schema::kKey, &error));
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM sabit")).toInt(), 1);
    // Ten stay: the new one and the nine written last; the one written first went.
    QStringList expected = later.mid(0, 9);
    expected << QFileInfo(copy).fileName();
    expected.sort();
    QCOMPARE(folder.entryList({QStringLiteral("Data_*.dat")}, QDir::Files, QDir::Name), expected);
}

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    TestMaintenanceWindows test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_maintenancewindows.moc"

// The database menu's backup, repair and bulk delete windows on a register on a server,
// opened from the menu and driven as the user does: the backup writes a checked Data.dat
// pulled from the server, the repair tidies the server's tables and leaves the program
// running, the bulk delete empties the narrowed lists in one go and another office's lists
// follow it.

#include "app/tform1.h"
#include "data/changenotices.h"
#include "data/database.h"
#include "data/programdir.h"
#include "data/schema.h"
#include "data/sharedqueries.h"
#include "maintenance/databasefile.h"
#include "maintenance/pauses.h"
#include "maintenance/tfrmsil.h"
#include "maintenance/tfrmyedek.h"
#include "testserver.h"
#include "testsupport.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <memory>

namespace
{

const QStringList kFixture = {
    "INSERT INTO sabit (Kurum_Adi, sendikasi) VALUES ('MEB', 'EĞİTİM BİR SEN')",
    "INSERT INTO sendikalar (sendikalar, adresi) VALUES ('EĞİTİM SEN', 'ANKARA'), "
    "('TÜRK EĞİTİM SEN', 'KIZILAY')",
    "INSERT INTO okul (okul_adi) VALUES ('A OKULU'), ('B OKULU'), ('C OKULU'), ('D OKULU')",
    "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir, sendikasi) VALUES "
    "(1, 'ALİ', 'KAYA', 'ALİ KAYA', 'EĞİTİM SEN'), (1, 'AYŞE', 'DEMİR', 'AYŞE DEMİR', 'EĞİTİM SEN'), "
    "(1, 'CEM', 'AY', 'CEM AY', 'TÜRK EĞİTİM SEN'), (2, 'DERYA', 'ÖZ', 'DERYA ÖZ', 'TÜRK EĞİTİM SEN'), "
    "(2, 'EMRE', 'UÇAR', 'EMRE UÇAR', 'TÜRK EĞİTİM SEN'), (3, 'FATMA', 'ŞEN', 'FATMA ŞEN', 'EĞİTİM SEN')",
};

} // namespace

class TestMaintenanceServer : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> m_main;
    TForm1 *m_form = nullptr;

    void runMenu(const char *item)
    {
        child<QAction>(child<QMenu>(m_form, "PopupVt"), QLatin1String(item))->trigger();
    }
    qint64 count(const QString &sql)
    {
        Database db;
        db.open(m_main->dir().address());
        return db.scalar(sql).toLongLong();
    }
    QCheckBox *box(TFrmSil *w, int n) { return child<QCheckBox>(w, QStringLiteral("CheckBox%1").arg(n)); }
    void tick(TFrmSil *w, int n)
    {
        QTest::mouseClick(box(w, n), Qt::LeftButton, {}, QPoint(6, box(w, n)->height() / 2));
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!testserver::active())
            QSKIP("these windows on a server; scripts/test.sh runs them there");
        quietOffscreenWarnings();
        maintenance::pauseFactor = 0;
    }
    void init()
    {
        m_main = std::make_unique<MainWindowFixture>(kFixture);
        m_form = m_main->start(MainWindowFixture::Windows::All);
    }
    void cleanup() { m_main.reset(); }

    // "YEDEKLE" writes a Data.dat pulled from the server and checked, openable anywhere.
    void backupWritesACheckedFile()
    {
        auto *w = child<TFrmYedek>(m_form, "FrmYedek");
        Answers done({QStringLiteral("TAMAM")});
        whileOpen(
            w, [&] { runMenu("VeritabannYedekle1"); },
            [&] { QTest::mouseClick(child<QPushButton>(w, "Button1"), Qt::LeftButton); });
        QCOMPARE(done.count(), 1);
        QVERIFY2(done.text().startsWith(QStringLiteral("Yedekleme işlemi başarıyla tamamlandı.")),
                 qPrintable(done.text()));
        const QString copy = QDir(ProgramDir::path()).filePath(QStringLiteral("YedekSendika/Data.dat"));
        QVERIFY(maintenance::checkFile(copy, maintenance::Depth::Full).sound());
        Database file;
        QString error;
        QVERIFY2(file.open(copy, schema::kKey, &error), qPrintable(error));
        QCOMPARE(file.scalar(QStringLiteral("SELECT count(*) FROM uyeler")).toInt(), 6);
        QCOMPARE(file.scalar(QStringLiteral("SELECT okul_adi FROM okul WHERE SiraNo = 4")).toString(),
                 QStringLiteral("D OKULU"));
    }

    // "Veritabanını Onar" on a server tidies its tables and the program stays in service.
    void repairTidiesTheServer()
    {
        Answers told({QStringLiteral("TAMAM")});
        runMenu("VeritabannOnar1");
        QTRY_COMPARE(told.count(), 1);
        QVERIFY2(told.text().startsWith(QStringLiteral("Sunucudaki tabloların bakımı yapıldı")), qPrintable(told.text()));
        QVERIFY(m_form->isVisible());
        QCOMPARE(m_form->data()->units()->recordCount(), 4);
    }

    // Staff narrowed to one union and the units, deleted through the window: one statement
    // each on the server, units with staff kept; another office's lists follow at once.
    void bulkDeleteAndAnotherOfficeFollows()
    {
        SharedQueries other;
        other.connect(m_main->dir().address());
        other.openAll();
        QTRY_VERIFY_WITH_TIMEOUT(other.changeNotices()->isListening(), 5000);

        m_main->click("BitBtn2");
        waitIdle();
        QVERIFY(pick(child<QComboBox>(m_form, "CbAra"), QStringLiteral("TÜRK EĞİTİM SEN")));
        QCOMPARE(m_form->data()->QueryPersonel->recordCount(), 3);
        auto *w = child<TFrmSil>(m_form, "FrmSil");
        Answers yes({QStringLiteral("Evet")});
        whileOpen(
            w, [&] { runMenu("VeritabannTemizle1"); },
            [&] {
                tick(w, 2);
                waitIdle();
                tick(w, 3);
                waitIdle();
                QTest::mouseClick(child<QPushButton>(w, "BitBtn3"), Qt::LeftButton);
                const QString result = child<QLabel>(w, "Label1")->text();
                QVERIFY2(result.contains(QStringLiteral("Personeli olan 2 birim silinmedi.")), qPrintable(result));
            });
        QCOMPARE(count(QStringLiteral("SELECT count(*) FROM uyeler")), 3);
        QCOMPARE(count(QStringLiteral("SELECT count(*) FROM okul")), 2);
        QTRY_COMPARE_WITH_TIMEOUT(columnOf(*other.units(), QStringLiteral("okul_adi")),
                                  QStringList({"A OKULU", "C OKULU"}), 1000);
        QTRY_COMPARE_WITH_TIMEOUT(columnOf(*other.staff(), QStringLiteral("Birlestir")),
                                  QStringList({"ALİ KAYA", "AYŞE DEMİR", "FATMA ŞEN"}), 1000);
    }
};

QTEST_MAIN(TestMaintenanceServer)
#include "tst_maintenanceserver.moc"

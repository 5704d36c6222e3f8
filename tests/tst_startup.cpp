// Start-up with a long staff list: the main window answers before the all-staff list has
// been read on its second connection; until it is handed over the counts show no number and
// the commands that work on the list wait for it with the wait cursor; the first "Personel
// Ara" takes the rows read at start unless the table changed since, and a later one keeps
// them while it stays unchanged; closing or repairing while the list is read ends cleanly;
// a failed reading is said as a failed opening is.
//
// Every list counts as long here (SharedQueries::setLongStaffList(0)), and the fixture can
// hold the rows back once they have arrived, so that the tests decide when they come.

#include "app/application.h"
#include "app/commands.h"
#include "app/stafflistarrival.h"
#include "app/tform1.h"
#include "toolkit/tsrdbgrid.h"
#include "data/backgroundopen.h"
#include "data/database.h"
#include "data/schema.h"
#include "data/sharedqueries.h"
#include "reports/engine/preparedreport.h"
#include "reports/printdriver.h"
#include "testsupport.h"
#include "toolkit/messages.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <limits>
#include <memory>
#include <sqlite3.h>

namespace
{

const QString kPending = QStringLiteral(" Toplam Kayıtlı Personel: ...");

const QStringList kFixture = {
    "INSERT INTO sabit (Kurum_Adi, sendikasi) VALUES ('MİLLİ EĞİTİM', 'TÜRK EĞİTİM SEN')",
    "INSERT INTO sendikalar (sendikalar, adresi) VALUES ('TÜRK EĞİTİM SEN', 'ANKARA')",
    "INSERT INTO okul (okul_adi) VALUES ('ATATÜRK İLKOKULU')",
    "INSERT INTO okul (okul_adi) VALUES ('GAZİ LİSESİ')",
    "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir) VALUES (1, 'ZEYNEP', 'AK', 'ZEYNEP AK')",
    "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir) VALUES (1, 'ALİ', 'ŞEN', 'ALİ ŞEN')",
    "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir) VALUES (2, 'CEM', 'AY', 'CEM AY')",
};

// Staff enough that reading them takes a while: a unit without staff comes first by name,
// so that the unit browser's list at start reads none of them. Long notes fill a page with
// each person.
QStringList longStaffList(int count, int notes = 0)
{
    return {
        "INSERT INTO okul (okul_adi) VALUES ('AAA BOŞ BİRİM')",
        "INSERT INTO okul (okul_adi) VALUES ('KALABALIK BİRİM')",
        QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                       "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir, sendikasi, ev_adresi, hakkinda) "
                       "SELECT 2, 'AD' || i, 'SOYAD' || i, 'AD' || i || ' SOYAD' || i, "
                       "'TÜRK EĞİTİM SEN', 'UZUN BİR EV ADRESİ, MAHALLE, SOKAK, NUMARA ' || i, "
                       "substr(hex(zeroblob(%2)), 1, %2) FROM n")
            .arg(count)
            .arg(notes),
    };
}

// Counts the statements the program's own connection runs that read the whole staff table.
struct StaffReads {
    int count = 0;
    static int onStatement(unsigned, void *context, void *, void *sql)
    {
        const QString text = QString::fromUtf8(static_cast<const char *>(sql)).simplified();
        if (text.startsWith(QLatin1String("select * from uyeler"), Qt::CaseInsensitive) &&
            !text.contains(QLatin1String("where"), Qt::CaseInsensitive))
            ++static_cast<StaffReads *>(context)->count;
        return 0;
    }
    void watch(Database &connection)
    {
        sqlite3_trace_v2(connection.handle(), SQLITE_TRACE_STMT, &StaffReads::onStatement, this);
    }
};

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindowFixture> m_main;
    TForm1 *m_form = nullptr;

    BackgroundOpen *opening() const { return m_form->data()->staffListOpening(); }
    Dataset *personel() const { return m_form->data()->QueryPersonel; }

    // The main window with every long-lived window, the staff list read but held back.
    void startHeld(const QStringList &rows = kFixture)
    {
        m_main = std::make_unique<MainWindowFixture>(rows);
        m_form = m_main->start(MainWindowFixture::Windows::All, MainWindowFixture::StaffList::Held);
        QTRY_VERIFY_WITH_TIMEOUT(opening()->hasArrived(), 10000);
        QVERIFY(opening()->isPending());
    }
    void runMenu(const char *item)
    {
        child<QAction>(child<QMenu>(m_form, "PopupVt"), QLatin1String(item))->trigger();
    }
    int rowsIn(const char *table) const
    {
        Database db;
        QString error;
        if (!db.open(m_main->dir().databasePath(), schema::kKey, &error))
            return -1;
        return db.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(QLatin1String(table))).toInt();
    }

private Q_SLOTS:
    void initTestCase()
    {
        quietOffscreenWarnings();
        SharedQueries::setLongStaffList(0);
    }
    void cleanup()
    {
        m_main.reset();
        m_form = nullptr;
    }

    void windowAnswersBeforeTheStaffListArrives();
    void commandsWaitForTheStaffList_data();
    void commandsWaitForTheStaffList();
    void firstPersonelAraTakesTheRowsReadAtStart_data();
    void firstPersonelAraTakesTheRowsReadAtStart();
    void laterPersonelAraReadsOnlyAfterAChange_data();
    void laterPersonelAraReadsOnlyAfterAChange();
    void closingWhileTheListIsReadEndsCleanly();
    void repairLetsTheReadingGo();
    void failedReadingIsSaidAsAFailedOpening();
};

void TestStartup::windowAnswersBeforeTheStaffListArrives()
{
    startHeld();
    QVERIFY(m_form->isVisible());
    QVERIFY(!personel()->isOpen());
    // No count rather than a wrong one.
    QCOMPARE(m_form->labelPersonel()->text(), QString());
    QCOMPARE(m_form->statusPanel(2)->text(), kPending);
    QCOMPARE(m_form->statusPanel(0)->text(), QStringLiteral(" Kayıtlı Birim: 2"));

    // What does not need the list works meanwhile, without a wait.
    m_main->click("BitBtn1");
    QVERIFY(m_form->panelKurum()->isVisible());
    QCOMPARE(child<TSrDBGrid>(m_form, "SrDBGrid2")->model()->rowCount(), 2);
    QCOMPARE(child<TSrDBGrid>(m_form, "SrDBGrid1")->model()->rowCount(), 2);
    QCOMPARE(m_form->statusPanel(1)->text(), QStringLiteral(" Birim/Personel Sayısı: 2"));
    QVERIFY(!QApplication::overrideCursor());
    waitIdle();
    QCOMPARE(m_form->statusPanel(2)->text(), kPending);

    opening()->holdHandOver(false);
    QVERIFY(!opening()->isPending());
    QVERIFY(personel()->isOpen());
    QCOMPARE(m_form->labelPersonel()->text(), QStringLiteral("3"));
    QCOMPARE(m_form->statusPanel(2)->text(), QStringLiteral(" Toplam Kayıtlı Personel: 3"));
}

void TestStartup::commandsWaitForTheStaffList_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("Personel Ara") << "Personel Ara";
    QTest::newRow("Liste") << "Liste";
    QTest::newRow("Veritabanını Temizle") << "Veritabanını Temizle";
}

// Each command, given while the list is on its way, waits with the wait cursor and works on
// the whole list once it is there; a command that went on at once would find it closed.
void TestStartup::commandsWaitForTheStaffList()
{
    QFETCH(QString, command);
    startHeld();
    m_form->settings().preview = true;
    QList<std::shared_ptr<const report::PreparedReport>> printed;
    child<PrintDriver>(m_form, "PrintDriver")->setOutput([&](auto report) { printed << report; });

    bool waited = false;
    QString countWhileWaiting = QStringLiteral("?");
    bool browserWhileWaiting = true;
    QTimer release;
    connect(&release, &QTimer::timeout, this, [&] {
        const QCursor *cursor = QApplication::overrideCursor();
        if (!cursor)
            return;
        release.stop();
        waited = cursor->shape() == Qt::WaitCursor;
        countWhileWaiting = m_form->labelPersonel()->text();
        browserWhileWaiting = m_form->panelPersonel()->isVisible();
        opening()->holdHandOver(false);
    });
    release.start(10);

    if (command == QLatin1String("Personel Ara")) {
        m_main->click("BitBtn2");
        QVERIFY(m_form->panelPersonel()->isVisible());
        QCOMPARE(child<TSrDBGrid>(m_form, "SrDBGrid3")->model()->rowCount(), 3);
        QCOMPARE(personel()->fieldText("Birlestir"), QStringLiteral("ALİ ŞEN"));
    } else if (command == QLatin1String("Liste")) {
        // The member browser's print, the way its button runs it.
        m_form->commands().run(Command::StaffList);
        QCOMPARE(printed.size(), 1);
        const QString page = printed.first()->pages.at(0).text;
        for (const char *name : {"ALİ ŞEN", "CEM AY", "ZEYNEP AK"})
            QVERIFY2(page.contains(QString::fromUtf8(name)), name);
    } else {
        auto *sil = child<QWidget>(m_form, "FrmSil");
        Answers yes({QStringLiteral("Evet")});
        whileOpen(sil, [&] { runMenu("VeritabannTemizle1"); }, [&] {
            QTest::mouseClick(child<QCheckBox>(sil, "CheckBox2"), Qt::LeftButton, {},
                              QPoint(6, child<QCheckBox>(sil, "CheckBox2")->height() / 2));
            waitIdle();
            QTest::mouseClick(child<QPushButton>(sil, "BitBtn3"), Qt::LeftButton);
        });
        QVERIFY(yes.done());
        QCOMPARE(rowsIn("uyeler"), 0); // all three: the list was there when the deletion ran
    }
    QVERIFY(waited);
    QCOMPARE(countWhileWaiting, QString());
    QVERIFY(!browserWhileWaiting);
    QVERIFY(!QApplication::overrideCursor());
}

void TestStartup::firstPersonelAraTakesTheRowsReadAtStart_data()
{
    QTest::addColumn<QString>("meanwhile");
    QTest::addColumn<int>("reads");
    QTest::addColumn<int>("shown");
    QTest::newRow("nothing changed") << "" << 0 << 3;
    QTest::newRow("a member saved here") << "member" << 1 << 4;
    QTest::newRow("another copy saved a member") << "other" << 1 << 4;
}

void TestStartup::firstPersonelAraTakesTheRowsReadAtStart()
{
    QFETCH(QString, meanwhile);
    QFETCH(int, reads);
    QFETCH(int, shown);
    startHeld();
    StaffReads staffReads;
    staffReads.watch(m_form->data()->connection());
    if (meanwhile == QLatin1String("member")) {
        // Saved while the list is read, through the staff list of the unit, as the member form does.
        Dataset *uye = m_form->data()->Query_Uye;
        uye->append();
        uye->setFieldText("adi", "DERYA");
        uye->setFieldText("soyadi", "KOÇ");
        uye->post();
    }
    opening()->holdHandOver(false);
    QCOMPARE(personel()->recordCount(), 3); // as read at start
    if (meanwhile == QLatin1String("other"))
        m_main->dir().exec("INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir) VALUES "
                           "(2, 'DERYA', 'KOÇ', 'DERYA KOÇ')");

    m_main->click("BitBtn2");
    QCOMPARE(staffReads.count, reads);
    auto *grid = child<TSrDBGrid>(m_form, "SrDBGrid3");
    QCOMPARE(grid->model()->rowCount(), shown);
    QCOMPARE(m_form->labelPersonel()->text(), QString::number(shown));
    QCOMPARE(m_form->statusPanel(2)->text(), QStringLiteral(" Toplam Kayıtlı Personel: %1").arg(shown));
    QCOMPARE(personel()->sql(), QStringLiteral("SELECT * FROM uyeler Order By adi"));
    QCOMPARE(columnOf(*personel(), "Birlestir").first(), QStringLiteral("ALİ ŞEN"));
    // The name search works on the rows taken over as on rows read anew.
    auto *edit3 = child<QLineEdit>(m_form, "Edit3");
    waitIdle();
    edit3->setFocus();
    typeText(edit3, QStringLiteral("zey"));
    QCOMPARE(edit3->text(), QStringLiteral("ZEY"));
    QCOMPARE(personel()->fieldText("Birlestir"), QStringLiteral("ZEYNEP AK"));

    // A later "Personel Ara" keeps them too while the table stays as it is.
    m_main->click("BitBtn1");
    m_main->click("BitBtn2");
    QCOMPARE(staffReads.count, reads);
    QCOMPARE(grid->model()->rowCount(), shown);
}

void TestStartup::laterPersonelAraReadsOnlyAfterAChange_data()
{
    QTest::addColumn<QString>("meanwhile");
    QTest::addColumn<int>("reads");
    QTest::addColumn<int>("shown");
    QTest::newRow("nothing changed") << "" << 0 << 3;
    QTest::newRow("a unit saved here") << "unit" << 0 << 3;
    QTest::newRow("a member saved here") << "member" << 1 << 4;
    QTest::newRow("another copy saved a member") << "other copy" << 1 << 4;
    QTest::newRow("another program saved a member") << "other program" << 1 << 4;
}

// "Personel Ara" after "Birim/Personel Listesi" costs what the first one does while the staff
// table is unchanged: the rows are kept. A change to it, by this program or another, has them
// read anew once, and kept again from then on.
void TestStartup::laterPersonelAraReadsOnlyAfterAChange()
{
    QFETCH(QString, meanwhile);
    QFETCH(int, reads);
    QFETCH(int, shown);
    startHeld();
    opening()->holdHandOver(false);
    StaffReads staffReads;
    staffReads.watch(m_form->data()->connection());
    auto *grid = child<TSrDBGrid>(m_form, "SrDBGrid3");
    for (int i = 0; i < 3; ++i) {
        m_main->click("BitBtn2");
        QCOMPARE(grid->model()->rowCount(), 3);
        m_main->click("BitBtn1");
    }
    QCOMPARE(staffReads.count, 0);

    if (meanwhile == QLatin1String("unit")) {
        Dataset *okul = m_form->data()->QueryOkul;
        okul->edit();
        okul->setFieldText("telefonu", "(312) 555 12 34");
        okul->post();
    } else if (meanwhile == QLatin1String("member")) {
        Dataset *uye = m_form->data()->Query_Uye;
        uye->append();
        uye->setFieldText("adi", "DERYA");
        uye->setFieldText("soyadi", "KOÇ");
        uye->post();
    } else if (meanwhile == QLatin1String("other copy")) {
        m_main->dir().exec("INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir) VALUES "
                           "(2, 'DERYA', 'KOÇ', 'DERYA KOÇ')");
    } else if (meanwhile == QLatin1String("other program")) {
        const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlcipher"));
        if (shell.isEmpty())
            QSKIP("the sqlcipher shell is not installed");
        QProcess other;
        other.start(shell, {"-bail", "-batch", m_main->dir().databasePath()});
        other.write(QByteArray("PRAGMA key = '") + schema::kKey +
                    "';\nPRAGMA cipher_page_size = 4096;\n"
                    "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir) VALUES (2, 'DERYA', "
                    "'KOÇ', 'DERYA KOÇ');\n");
        other.closeWriteChannel();
        QVERIFY(other.waitForFinished(10000));
        QCOMPARE(other.exitCode(), 0);
    }
    m_main->click("BitBtn2");
    QCOMPARE(staffReads.count, reads);
    QCOMPARE(grid->model()->rowCount(), shown);
    QCOMPARE(m_form->labelPersonel()->text(), QString::number(shown));
    QCOMPARE(personel()->fieldText("Birlestir"), QStringLiteral("ALİ ŞEN"));

    m_main->click("BitBtn1");
    m_main->click("BitBtn2");
    QCOMPARE(staffReads.count, reads);
    QCOMPARE(grid->model()->rowCount(), shown);
}

void TestStartup::closingWhileTheListIsReadEndsCleanly()
{
    m_main = std::make_unique<MainWindowFixture>(longStaffList(60000));
    m_form = m_main->start(MainWindowFixture::Windows::All, MainWindowFixture::StaffList::Held);
    QVERIFY2(!opening()->hasArrived(), "the list was read before the window could be closed");
    QCOMPARE(m_form->statusPanel(2)->text(), kPending);
    m_main->closeAnswering(QStringLiteral("Evet"));
    QVERIFY(!m_form->isVisible());
    // The reading stops and the window goes without waiting for the whole list.
    QElapsedTimer going;
    going.start();
    m_main.reset();
    m_form = nullptr;
    QVERIFY2(going.elapsed() < 2000, qPrintable(QString::number(going.elapsed())));
}

void TestStartup::repairLetsTheReadingGo()
{
    m_main = std::make_unique<MainWindowFixture>(longStaffList(60000));
    m_form = m_main->start(MainWindowFixture::Windows::All, MainWindowFixture::StaffList::Held);
    QVERIFY(opening()->isPending());
    runMenu("VeritabannOnar1");
    auto *tamir = child<QWidget>(m_form, "FrmTamir");
    QVERIFY(tamir->isVisible());
    QVERIFY(!m_form->isVisible());
    // The second connection let the file go with the first; nothing arrives later.
    QVERIFY(!opening()->isPending());
    opening()->holdHandOver(false);
    waitIdle(200);
    QVERIFY(!personel()->isOpen());
    // Nothing of this program holds the file any more, so the repair itself goes through.
    {
        Answers none;
        QTest::mouseClick(child<QPushButton>(tamir, "Button1"), Qt::LeftButton);
        QCOMPARE(none.count(), 0);
    }
    QCOMPARE(child<QLabel>(tamir, "Label3")->text(), QStringLiteral("İşlem başarıyla tamamlandı"));
    tamir->hide();
}

void TestStartup::failedReadingIsSaidAsAFailedOpening()
{
    // A page of the staff table damaged where only reading the whole table goes: the first
    // unit by name has no staff, and the table's last rows, which the start reads, are intact.
    // Each person fills a page of their own, so that the middle of the file is one of them.
    m_main = std::make_unique<MainWindowFixture>(longStaffList(300, 3000));
    const QString path = m_main->dir().databasePath();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    const qint64 page = file.size() / 4096 / 2;
    QVERIFY(file.seek(page * 4096 + 1000));
    QVERIFY(file.write(QByteArray(64, '\x5a')) == 64);
    file.close();

    // Read at once, the list stops the start with this message.
    SharedQueries::setLongStaffList(std::numeric_limits<qlonglong>::max());
    QString atOnce;
    QVERIFY(!TForm1::create(&atOnce));
    QVERIFY(!atOnce.isEmpty());
    SharedQueries::setLongStaffList(0);

    QString error;
    std::unique_ptr<TForm1> form(TForm1::create(&error));
    QVERIFY2(form, qPrintable(error));
    QSignalSpy failed(form->staffList(), &StaffListArrival::failed);
    Answers ok({QStringLiteral("TAMAM")});
    form->show();
    QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, 10000);
    QVERIFY(ok.done());
    QCOMPARE(ok.text(), messages::withFullStop(atOnce));
    QCOMPARE(ok.title(), QStringLiteral("Meltora"));
    QCOMPARE(ok.icons.value(0), QMessageBox::Critical);
    QVERIFY(!form->data()->QueryPersonel->isOpen());
    QCOMPARE(form->labelPersonel()->text(), QString());
    // A command that needed the list does nothing more: the program is ending.
    form->BitBtn2Click();
    QVERIFY(!form->panelPersonel()->isVisible());
    QCOMPARE(ok.count(), 1);
    form->hide();
}

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    TestStartup test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_startup.moc"

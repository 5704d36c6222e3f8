// "Yedekten Geri Yükle" on the real main window: a backup chosen with the file dialog or
// from the safety copies is checked, the register in use is kept as a safety copy, and the
// backup takes its place; a backup that fails the check changes nothing.

#include "app/application.h"
#include "app/tform1.h"
#include "data/database.h"
#include "data/programdir.h"
#include "data/schema.h"
#include "data/sharedqueries.h"
#include "maintenance/restore.h"
#include "maintenance/tfrmgeriyukle.h"
#include "testsupport.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <memory>
#include <sqlite3.h>

namespace
{

// The register in use: two units, three staff, one union.
const QStringList kInUse = {
    "INSERT INTO sabit (Kurum_Adi, sendikasi) VALUES ('MEB', 'EĞİTİM SEN')",
    "INSERT INTO yetkili (yetkili_adi) VALUES ('AYŞE KAYA')",
    "INSERT INTO sendikalar (sendikalar, adresi) VALUES ('EĞİTİM SEN', 'ANKARA')",
    "INSERT INTO okul (okul_adi) VALUES ('A OKULU'), ('B OKULU')",
    "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir) VALUES (1, 'ALİ', 'KAYA', 'ALİ KAYA'), "
    "(1, 'CEM', 'AY', 'CEM AY'), (2, 'EMRE', 'UÇAR', 'EMRE UÇAR')",
};

// A register with `units` units and `staff` staff in the first of them.
QStringList registerOf(int units, int staff, const QString &authority = QStringLiteral("MEHMET ÖZ"))
{
    QStringList rows = {
        QStringLiteral("INSERT INTO yetkili (yetkili_adi) VALUES ('%1')").arg(authority),
        QStringLiteral("INSERT INTO sendikalar (sendikalar, adresi) VALUES ('TÜRK EĞİTİM SEN', "
                       "'KIZILAY'), ('EĞİTİM BİR SEN', 'ÇANKAYA')")};
    for (int u = 1; u <= units; ++u)
        rows << QStringLiteral("INSERT INTO okul (okul_adi) VALUES ('YEDEK OKULU %1')").arg(u);
    for (int s = 1; s <= staff; ++s)
        rows << QStringLiteral("INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir) VALUES "
                               "(1, 'KİŞİ%1', 'YEDEK', 'KİŞİ%1 YEDEK')")
                    .arg(s);
    return rows;
}

// Makes a register file at `path` holding `rows`, with the program's key or another one.
void makeRegister(const QString &path, const QStringList &rows,
                  const QByteArray &key = QByteArray(schema::kKey))
{
    QString error;
    QVERIFY2(Database::create(path, key, &error), qPrintable(error));
    Database db;
    QVERIFY2(db.open(path, key, &error), qPrintable(error));
    if (!rows.isEmpty())
        db.exec(rows.join(QStringLiteral(";\n")));
}

qint64 countIn(const QString &path, const char *table)
{
    Database db;
    QString error;
    return db.open(path, schema::kKey, &error)
               ? db.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(QLatin1String(table)))
                     .toLongLong()
               : -1;
}

const QString kQuestionStart = QStringLiteral("Kullanılan veritabanı bu yedekle değiştirilecek:");

} // namespace

class TestRestore : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> m_main;
    TForm1 *m_form = nullptr;
    QTemporaryDir m_backups;

    TFrmGeriYukle *window() { return child<TFrmGeriYukle>(m_form, "FrmGeriYukle"); }
    QString database() const { return m_main->dir().databasePath(); }
    QString yedekler() const { return ProgramDir::file(QStringLiteral("Yedekler")); }
    QStringList safetyCopies() const
    {
        return QDir(yedekler()).entryList({QStringLiteral("Data_*.dat")}, QDir::Files);
    }
    QString backup(const QString &name) const { return m_backups.filePath(name); }

    // Opens the window from the database menu, as the user does, while the steps run.
    void whileWindowOpen(const std::function<void(TFrmGeriYukle *)> &steps)
    {
        TFrmGeriYukle *w = window();
        whileOpen(
            w,
            [&] {
                child<QAction>(child<QMenu>(m_form, "PopupVt"), "YedektenGeriYukle1")->trigger();
            },
            [&] { steps(w); });
    }
    // Picks `path` with the file dialog of "Başka Bir Yedek Seç...".
    void pickWithDialog(TFrmGeriYukle *w, const QString &path)
    {
        Answers steps;
        steps.chooseFile(path, QStringLiteral("OpenDialog1"));
        QTest::mouseClick(child<QPushButton>(w, "Button1"), Qt::LeftButton);
        QVERIFY(steps.done());
        QVERIFY(steps.unexpected.isEmpty());
    }
    // "GERİ YÜKLE", answering the question and the message that follows; what they showed
    // is kept in `answers` (the one Answers alive).
    void restore(TFrmGeriYukle *w, const QStringList &buttons, std::unique_ptr<Answers> &answers)
    {
        answers.reset();
        answers = std::make_unique<Answers>(buttons);
        QTest::mouseClick(child<QPushButton>(w, "Button2"), Qt::LeftButton);
    }
    QStringList listedUnits() { return columnOf(*m_form->data()->QueryOkul, "okul_adi"); }

private Q_SLOTS:
    void initTestCase() { quietOffscreenWarnings(); }
    void init()
    {
        m_main = std::make_unique<MainWindowFixture>(kInUse);
        m_form = m_main->start(MainWindowFixture::Windows::All);
    }
    void cleanup()
    {
        m_main.reset();
        for (const QString &name : QDir(m_backups.path()).entryList(QDir::Files))
            QFile::remove(backup(name));
    }

    void windowAsItOpens();
    void backupPickedWithTheDialogTakesThePlaceOfTheRegister();
    void changingTheMindBringsTheFormerRegisterBack();
    void safetyCopiesListedNewestFirst();
    void backupThatFailsTheCheckChangesNothing_data();
    void backupThatFailsTheCheckChangesNothing();
    void declinedQuestionChangesNothing();
    void nothingChosen();
};

void TestRestore::windowAsItOpens()
{
    whileWindowOpen([&](TFrmGeriYukle *w) {
        QCOMPARE(w->windowTitle(), QStringLiteral(" Yedekten Geri Yükle"));
        // It says which register it works on.
        QCOMPARE(child<QLabel>(w, "Label2")->text(),
                 QStringLiteral("Veri Klasörü: ") + QDir::toNativeSeparators(database()));
        QCOMPARE(child<QTreeWidget>(w, "ListView1")->topLevelItemCount(), 0);
        QCOMPARE(child<QLineEdit>(w, "Edit1")->text(), QString());
        QCOMPARE(child<QPushButton>(w, "Button2")->text(), QStringLiteral("GERİ YÜKLE"));
    });
    QCOMPARE(child<QAction>(child<QMenu>(m_form, "PopupVt"), "YedektenGeriYukle1")->text(),
             QStringLiteral("Yedekten Geri Yükle"));
}

void TestRestore::backupPickedWithTheDialogTakesThePlaceOfTheRegister()
{
    makeRegister(backup("Pazartesi.dat"), registerOf(3, 5));
    const QByteArray backupBytes = fileBytes(backup("Pazartesi.dat"));
    const QByteArray formerBytes = fileBytes(database());
    std::unique_ptr<Answers> answers;
    whileWindowOpen([&](TFrmGeriYukle *w) {
        pickWithDialog(w, backup("Pazartesi.dat"));
        QCOMPARE(w->chosen(), backup("Pazartesi.dat"));
        restore(w, {QStringLiteral("Evet"), QStringLiteral("TAMAM")}, answers);
        QVERIFY(!w->isVisible()); // done: the window closes after the message
    });
    QVERIFY2(answers && answers->done(), answers ? qPrintable(answers->texts.join(" / ")) : "no answers");
    QVERIFY(answers->texts.value(0).startsWith(kQuestionStart));
    QCOMPARE(answers->titles.value(1), QStringLiteral("Bilgi"));
    QVERIFY2(answers->texts.value(1).startsWith(QStringLiteral(
                 "Yedek geri yüklendi. Veritabanında şimdi 3 birim ve 5 personel kayıtlı.")),
             qPrintable(answers->texts.value(1)));

    // The register is the backup's, and the program shows it at once.
    QCOMPARE(fileBytes(database()), backupBytes);
    QCOMPARE(listedUnits(),
             (QStringList{"YEDEK OKULU 1", "YEDEK OKULU 2", "YEDEK OKULU 3"}));
    QCOMPARE(m_form->statusPanel(0)->text(), QStringLiteral(" Kayıtlı Birim: 3"));
    QVERIFY(m_form->windowTitle().endsWith(QStringLiteral(" - MEHMET ÖZ")));
    // A save goes into the restored register.
    m_form->data()->QueryOkul->append();
    m_form->data()->QueryOkul->setFieldText(QStringLiteral("okul_adi"), QStringLiteral("YENİ OKUL"));
    m_form->data()->QueryOkul->post();
    QCOMPARE(countIn(database(), "okul"), 4);
    // The backup itself stays as it was; the former register is the safety copy.
    QCOMPARE(fileBytes(backup("Pazartesi.dat")), backupBytes);
    QCOMPARE(safetyCopies().size(), 1);
    QCOMPARE(fileBytes(QDir(yedekler()).filePath(safetyCopies().first())), formerBytes);
    QVERIFY(answers->texts.value(1).contains(safetyCopies().first()));
    // Nothing of the work is left beside the register.
    QCOMPARE(QDir(ProgramDir::path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{"Data.dat"});
}

void TestRestore::changingTheMindBringsTheFormerRegisterBack()
{
    makeRegister(backup("Eski.dat"), registerOf(1, 0));
    const QByteArray formerBytes = fileBytes(database());
    std::unique_ptr<Answers> answers;
    whileWindowOpen([&](TFrmGeriYukle *w) {
        pickWithDialog(w, backup("Eski.dat"));
        restore(w, {QStringLiteral("Evet"), QStringLiteral("TAMAM")}, answers);
    });
    QVERIFY2(answers && answers->done(), answers ? qPrintable(answers->texts.join(" / ")) : "no answers");
    QCOMPARE(listedUnits(), QStringList{"YEDEK OKULU 1"});
    // The safety copy of the former register is the newest in the list: put back.
    whileWindowOpen([&](TFrmGeriYukle *w) {
        auto *list = child<QTreeWidget>(w, "ListView1");
        QCOMPARE(list->topLevelItemCount(), 1);
        QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("2"));
        QCOMPARE(list->topLevelItem(0)->text(2), QStringLiteral("3"));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->topLevelItem(0)).center());
        restore(w, {QStringLiteral("Evet"), QStringLiteral("TAMAM")}, answers);
    });
    QVERIFY2(answers && answers->done(), answers ? qPrintable(answers->texts.join(" / ")) : "no answers");
    QVERIFY(answers->texts.value(1).startsWith(
        QStringLiteral("Yedek geri yüklendi. Veritabanında şimdi 2 birim ve 3 personel kayıtlı.")));
    QCOMPARE(fileBytes(database()), formerBytes);
    QCOMPARE(listedUnits(), (QStringList{"A OKULU", "B OKULU"}));
    QCOMPARE(m_form->statusPanel(2)->text(), QStringLiteral(" Toplam Kayıtlı Personel: 3"));
    // Both registers are kept: the one restored first is a safety copy too now.
    QCOMPARE(safetyCopies().size(), 2);
}

void TestRestore::safetyCopiesListedNewestFirst()
{
    QVERIFY(QDir().mkpath(yedekler()));
    const QDir folder(yedekler());
    makeRegister(folder.filePath("Data_2024-05-31_14-05-09.dat"), registerOf(1, 2));
    makeRegister(folder.filePath("Data_2025-01-02_08-00-00.dat"), registerOf(4, 7));
    makeRegister(folder.filePath("Data_2024-12-30_23-59-59.dat"), registerOf(2, 0));
    QFile::copy(folder.filePath("Data_2024-05-31_14-05-09.dat"), folder.filePath("Kendi.dat"));
    std::unique_ptr<Answers> answers;
    whileWindowOpen([&](TFrmGeriYukle *w) {
        auto *list = child<QTreeWidget>(w, "ListView1");
        QStringList rows;
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *item = list->topLevelItem(i);
            rows << item->text(0) + " | " + item->text(1) + " | " + item->text(2);
        }
        QCOMPARE(rows, (QStringList{"2 Ocak 2025 08:00:00 | 4 | 7",
                                    "30 Aralık 2024 23:59:59 | 2 | 0",
                                    "31 Mayıs 2024 14:05:09 | 1 | 2"}));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->topLevelItem(1)).center());
        QCOMPARE(w->chosen(), folder.filePath("Data_2024-12-30_23-59-59.dat"));
        restore(w, {QStringLiteral("Evet"), QStringLiteral("TAMAM")}, answers);
    });
    QVERIFY2(answers && answers->done(), answers ? qPrintable(answers->texts.join(" / ")) : "no answers");
    QVERIFY(answers->texts.value(1).startsWith(
        QStringLiteral("Yedek geri yüklendi. Veritabanında şimdi 2 birim ve 0 personel kayıtlı.")));
    QCOMPARE(countIn(database(), "okul"), 2);
    QCOMPARE(listedUnits(), (QStringList{"YEDEK OKULU 1", "YEDEK OKULU 2"}));
}

void TestRestore::backupThatFailsTheCheckChangesNothing_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason"); // a part of the message
    QTest::newRow("not a database") << "text" << "Yedek dosyası açılamadı";
    QTest::newRow("empty file") << "empty" << "bu programın bir veritabanı değil";
    QTest::newRow("another key") << "key" << "Yedek dosyası açılamadı";
    QTest::newRow("a table missing") << "table" << "\"uyeler\" tablosu yok";
    QTest::newRow("damaged page") << "damaged" << "Yedek dosyası hasarlı";
    QTest::newRow("the register itself") << "self" << "kullanılan veritabanının kendisi";
}

void TestRestore::backupThatFailsTheCheckChangesNothing()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QString path = backup("Bozuk.dat");
    if (kind == "text") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(8192, 'x'));
    } else if (kind == "empty") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    } else if (kind == "key") {
        makeRegister(path, registerOf(1, 1), "baska-anahtar");
    } else if (kind == "table") {
        makeRegister(path, {});
        Database db;
        QString error;
        QVERIFY(db.open(path, schema::kKey, &error));
        db.exec(QStringLiteral("DROP TABLE uyeler"));
    } else if (kind == "damaged") {
        makeRegister(path, registerOf(3, 400));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.size() > 3 * 4096);
        file.seek(2 * 4096 + 200); // inside the third page
        file.write(QByteArray(64, '\x5a'));
    } else {
        path = database();
    }
    const QByteArray formerBytes = fileBytes(database());
    std::unique_ptr<Answers> answers;
    whileWindowOpen([&](TFrmGeriYukle *w) {
        pickWithDialog(w, path);
        restore(w, {QStringLiteral("Evet"), QStringLiteral("TAMAM")}, answers);
        QVERIFY(w->isVisible()); // the window stays for another choice
    });
    QVERIFY2(answers && answers->done(), answers ? qPrintable(answers->texts.join(" / ")) : "no answers");
    QCOMPARE(answers->titles.value(1), QStringLiteral("Hata"));
    QVERIFY2(answers->texts.value(1).contains(reason), qPrintable(answers->texts.value(1)));
    QVERIFY(answers->texts.value(1).contains(QStringLiteral("Veritabanı değiştirilmedi.")));
    QCOMPARE(fileBytes(database()), formerBytes);
    QVERIFY(safetyCopies().isEmpty());
    QCOMPARE(listedUnits(), (QStringList{"A OKULU", "B OKULU"}));
    QCOMPARE(QDir(ProgramDir::path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{"Data.dat"});
}

void TestRestore::declinedQuestionChangesNothing()
{
    makeRegister(backup("Pazartesi.dat"), registerOf(3, 5));
    const QByteArray formerBytes = fileBytes(database());
    std::unique_ptr<Answers> answers;
    whileWindowOpen([&](TFrmGeriYukle *w) {
        pickWithDialog(w, backup("Pazartesi.dat"));
        restore(w, {QStringLiteral("Hayır")}, answers);
        QVERIFY(w->isVisible());
    });
    QVERIFY(answers);
    QCOMPARE(answers->count(), 1);
    QCOMPARE(fileBytes(database()), formerBytes);
    QVERIFY(safetyCopies().isEmpty());
}

void TestRestore::nothingChosen()
{
    std::unique_ptr<Answers> answers;
    whileWindowOpen([&](TFrmGeriYukle *w) {
        restore(w, {QStringLiteral("TAMAM")}, answers);
        QVERIFY(w->isVisible());
    });
    QVERIFY(answers);
    QCOMPARE(answers->texts, QStringList{"Geri yüklenecek yedek seçilmedi !"});
    QCOMPARE(answers->titles, QStringList{"Dikkat !"});
    QVERIFY(safetyCopies().isEmpty());
}

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    TestRestore test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_restore.moc"

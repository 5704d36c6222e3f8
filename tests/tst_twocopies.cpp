// Two copies of the program on one folder, each with its own connection to the one
// Data.dat: saves wait for each other's locks, write only what was changed, and a row
// changed or deleted by the other copy is never saved over unseen.

#include "app/application.h"
#include "app/tform1.h"
#include "toolkit/tsrdbgrid.h"
#include "app/unitbrowser.h"
#include "data/database.h"
#include "data/dataset.h"
#include "data/dberror.h"
#include "data/schema.h"
#include "data/sharedqueries.h"
#include "entry/tpersonelkayit.h"
#include "testsupport.h"
#include "toolkit/dbedit.h"

#include <QMap>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <chrono>
#include <memory>
#include <sqlite3.h>
#include <thread>

namespace
{

const QStringList kFixture = {
    "INSERT INTO sabit (Kurum_Adi, sendikasi) VALUES ('MEB', 'EĞİTİM BİR SEN')",
    "INSERT INTO sendikalar (sendikalar, adresi) VALUES ('EĞİTİM BİR SEN', 'ANKARA')",
    "INSERT INTO okul (okul_adi, telefonu) VALUES ('GAZİ LİSESİ', '(312) 555 12 34')",
    "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir, cep_tel, ev_adresi) VALUES "
    "(1, 'AHMET', 'YILMAZ', 'AHMET YILMAZ', '(532) 111 22 33', 'KIZILAY'), "
    "(1, 'HASAN', 'ÇELİK', 'HASAN ÇELİK', NULL, NULL)",
};

// The other copy's connection to the same file.
std::unique_ptr<Database> otherCopy(const TestProgramDir &dir)
{
    auto db = std::make_unique<Database>();
    db->open(dir.address());
    return db;
}

// A copy's list of the staff, as its member form edits it.
std::unique_ptr<Dataset> staffOf(Database &db)
{
    auto ds = std::make_unique<Dataset>(&db, QStringLiteral("Query_Uye"));
    ds->setSql(QStringLiteral("SELECT * FROM uyeler ORDER BY KayitNo"));
    ds->open();
    return ds;
}

// Holds the file's write lock in `db` until `held` has passed, from another thread, as the
// other copy does while it saves.
class LockHolder
{
public:
    LockHolder(Database &db, std::chrono::milliseconds held) : m_db(db)
    {
        m_db.exec(QStringLiteral("BEGIN EXCLUSIVE"));
        // A server lets readers go on; its writers wait for the table as for the file.
        if (m_db.isServer())
            m_db.exec(QStringLiteral("LOCK TABLE uyeler IN EXCLUSIVE MODE"));
        m_thread = std::thread([this, held] {
            std::this_thread::sleep_for(held);
            m_db.exec(QStringLiteral("COMMIT"));
        });
    }
    ~LockHolder() { m_thread.join(); }

private:
    Database &m_db;
    std::thread m_thread;
};

// What the file holds for a member: "<none>" without the member, "<null>" for no value.
QString storedValue(Database &db, const QString &column, const QString &adi)
{
    Statement st(db, QStringLiteral("SELECT %1 FROM uyeler WHERE adi = ?").arg(column));
    st.bind(1, adi);
    if (!st.step())
        return QStringLiteral("<none>");
    return st.isNull(0) ? QStringLiteral("<null>") : st.string(0);
}

DbError::Kind refusalOf(Dataset &ds)
{
    try {
        ds.post();
    } catch (const DbError &e) {
        return e.kind();
    }
    return DbError::Kind::Refused; // stands for "not refused" here
}

} // namespace

class TestTwoCopies : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestProgramDir> m_dir;
    std::unique_ptr<Database> m_a, m_b;
    std::unique_ptr<Dataset> m_staffA, m_staffB;

    void startBothCopies()
    {
        m_dir = std::make_unique<TestProgramDir>();
        m_dir->exec(kFixture);
        m_a = otherCopy(*m_dir);
        m_b = otherCopy(*m_dir);
        m_staffA = staffOf(*m_a);
        m_staffB = staffOf(*m_b);
    }

private Q_SLOTS:
    void initTestCase() { quietOffscreenWarnings(); }
    void init() { startBothCopies(); }
    void cleanup()
    {
        m_staffA.reset();
        m_staffB.reset();
        m_a.reset();
        m_b.reset();
        m_dir.reset();
    }

    // Copy A saves the phone, copy B then the address of the same member, from what each
    // read before either saved: both changes stay.
    void savesOfDifferentColumnsBothStay()
    {
        m_staffA->edit();
        m_staffA->setFieldText("cep_tel", "(532) 999 88 77");
        m_staffB->edit();
        m_staffB->setFieldText("ev_adresi", "ÇANKAYA");
        m_staffA->post();
        m_staffB->post();
        QCOMPARE(storedValue(*m_a, "cep_tel", "AHMET"), QStringLiteral("(532) 999 88 77"));
        QCOMPARE(storedValue(*m_a, "ev_adresi", "AHMET"), QStringLiteral("ÇANKAYA"));
    }

    // Both change the same column: the later save is refused, the typing stays, and the
    // other copy's changes come into the row; saved again, it goes through knowingly.
    void aRowChangedMeanwhileIsRefusedThenSavedKnowingly()
    {
        m_staffB->edit();
        m_staffB->setFieldText("cep_tel", "(533) 444 55 66");
        m_staffA->edit();
        m_staffA->setFieldText("cep_tel", "(532) 999 88 77");
        m_staffA->setFieldText("ev_adresi", "ÇANKAYA");
        m_staffA->post();

        QCOMPARE(refusalOf(*m_staffB), DbError::Kind::RowChanged);
        QCOMPARE(m_staffB->state(), Dataset::State::Edit);
        QCOMPARE(m_staffB->fieldText("cep_tel"), QStringLiteral("(533) 444 55 66"));
        QCOMPARE(m_staffB->fieldText("ev_adresi"), QStringLiteral("ÇANKAYA"));
        QCOMPARE(storedValue(*m_a, "cep_tel", "AHMET"), QStringLiteral("(532) 999 88 77"));

        m_staffB->post();
        QCOMPARE(m_staffB->state(), Dataset::State::Browse);
        QCOMPARE(storedValue(*m_a, "cep_tel", "AHMET"), QStringLiteral("(533) 444 55 66"));
        QCOMPARE(storedValue(*m_a, "ev_adresi", "AHMET"), QStringLiteral("ÇANKAYA"));
    }

    void aRowDeletedMeanwhileIsRefused()
    {
        m_staffA->remove();
        m_staffB->edit();
        m_staffB->setFieldText("ev_adresi", "ÇANKAYA");
        QCOMPARE(refusalOf(*m_staffB), DbError::Kind::RowDeleted);
        QCOMPARE(m_staffB->state(), Dataset::State::Edit);
        QCOMPARE(m_staffB->fieldText("ev_adresi"), QStringLiteral("ÇANKAYA"));
        QCOMPARE(storedValue(*m_a, "ev_adresi", "AHMET"), QStringLiteral("<none>"));
    }

    // A copy that is starting or saving while the other one saves waits for it.
    void aBriefLockIsWaitedFor()
    {
        m_staffA->edit();
        m_staffA->setFieldText("ev_adresi", "ÇANKAYA");
        {
            LockHolder lock(*m_b, std::chrono::milliseconds(300));
            m_staffA->post();
        }
        QCOMPARE(storedValue(*m_b, "ev_adresi", "AHMET"), QStringLiteral("ÇANKAYA"));
        {
            LockHolder lock(*m_b, std::chrono::milliseconds(300));
            SharedQueries starting;
            starting.connect(m_dir->address());
            starting.openAll();
            QCOMPARE(starting.QueryPersonel->recordCount(), 2);
        }
    }

    // Held longer than a save waits: refused, with the row still being edited.
    void aLongLockIsRefusedAndTheRowKept()
    {
        m_a->setBusyTimeout(100);
        m_staffA->edit();
        m_staffA->setFieldText("ev_adresi", "ÇANKAYA");
        {
            LockHolder lock(*m_b, std::chrono::milliseconds(600));
            QCOMPARE(refusalOf(*m_staffA), DbError::Kind::Busy);
            QCOMPARE(m_staffA->state(), Dataset::State::Edit);
            QCOMPARE(m_staffA->fieldText("ev_adresi"), QStringLiteral("ÇANKAYA"));
        }
        m_staffA->post();
        QCOMPARE(storedValue(*m_b, "ev_adresi", "AHMET"), QStringLiteral("ÇANKAYA"));
    }

    // A new row's columns left to their defaults are checked against the defaults later.
    void aNewRowIsCheckedAgainstWhatTheTableMadeOfIt()
    {
        Dataset sabit(m_a.get(), QStringLiteral("QuerySabit"));
        sabit.setSql(QStringLiteral("select * from sabit"));
        sabit.open();
        sabit.remove();
        sabit.append();
        sabit.setFieldText("Kurum_Adi", "MEB");
        sabit.post();
        QCOMPARE(sabit.value("kurum_sec"), QVariant(false));
        sabit.edit();
        sabit.setValue("kurum_sec", true);
        sabit.post();
        QCOMPARE(m_b->scalar("SELECT kurum_sec FROM sabit").toInt(), 1);
    }

    // The same through the member form of the real main window.
    void memberFormKeepsTheTypingWhenTheOtherCopyGotThereFirst_data()
    {
        QTest::addColumn<QString>("other");
        QTest::newRow("changed") << "UPDATE uyeler SET soyadi = 'YILDIZ' WHERE adi = 'AHMET'";
        QTest::newRow("deleted") << "DELETE FROM uyeler WHERE adi = 'AHMET'";
        // The other copy is saving this very row: the file locks the whole file, a server the row.
        QTest::newRow("saving")
            << "BEGIN EXCLUSIVE; UPDATE uyeler SET soyadi = soyadi WHERE adi = 'AHMET'";
    }
    void memberFormKeepsTheTypingWhenTheOtherCopyGotThereFirst()
    {
        QFETCH(QString, other);
        MainWindowFixture main(kFixture);
        TForm1 *form = main.start(MainWindowFixture::Windows::All);
        main.click("BitBtn1");
        form->data()->connection().setBusyTimeout(100);
        auto *f = form->findChild<TPersonelKayit *>();
        Dataset *uye = form->data()->Query_Uye;
        std::unique_ptr<Database> otherCopyDb = otherCopy(main.dir());
        const QMap<QString, QString> said = {
            {"changed", "Bu kayıt, siz düzenlerken başka bir kullanıcı tarafından değiştirildi; "
                        "değişiklikleriniz "
                        "kaydedilmedi. Kaydın yeni hali gösteriliyor, sizin yazdıklarınız duruyor: "
                        "kaydetmek için "
                        "tekrar kaydedin ya da iptal edin."},
            {"deleted",
             "Bu kayıt, siz düzenlerken başka bir kullanıcı tarafından silindi; değişiklikleriniz "
             "kaydedilemedi."},
            {"saving", "Veritabanı şu anda başka bir kullanıcı tarafından güncelleniyor; lütfen "
                       "tekrar deneyin."},
        };
        Answers answers({"TAMAM"});
        whileOpen(
            f,
            [&] {
                QVERIFY(uye->locate("adi", "AHMET"));
                TSrDBGrid *grid = form->unitBrowser()->staffGrid();
                QTest::mouseDClick(
                    grid->viewport(), Qt::LeftButton, {},
                    grid->visualRect(grid->model()->index(uye->recNo() - 1, 0)).center());
            },
            [&] {
                DBEdit *surname = f->edit("soyadi");
                surname->selectAll();
                typeText(surname, "kaya");
                otherCopyDb->exec(other);
                waitIdle();
                QTest::mouseClick(child<QToolButton>(f, "KaydetButton"), Qt::LeftButton);
                QCOMPARE(answers.count(), 1);
                QCOMPARE(answers.text(), said.value(QTest::currentDataTag()));
                QCOMPARE(uye->state(), Dataset::State::Edit);
                QCOMPARE(surname->text(), QStringLiteral("KAYA"));
                if (other.startsWith("BEGIN"))
                    otherCopyDb->exec("COMMIT");
                if (!other.startsWith("DELETE")) {
                    QTest::mouseClick(child<QToolButton>(f, "KaydetButton"), Qt::LeftButton);
                    QCOMPARE(uye->state(), Dataset::State::Browse);
                } else {
                    uye->cancel();
                }
                QTest::mouseClick(child<QPushButton>(f, "BitBtn1"), Qt::LeftButton);
            });
        QCOMPARE(answers.count(), 1);
        const QString expected =
            other.startsWith("DELETE") ? QStringLiteral("<none>") : QStringLiteral("KAYA");
        QCOMPARE(storedValue(*otherCopyDb, "soyadi", "AHMET"), expected);
    }
};

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    TestTwoCopies test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_twocopies.moc"

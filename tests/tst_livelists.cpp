// Several offices on one server: each program's open lists follow what the others save,
// within a second, without moving the cursor, the selection or the scroll; the row being
// edited is left to the save's check; a lost connection is told, refuses saves with the
// typing kept, comes back by itself and reads what it missed.

#include "app/tform1.h"
#include "data/changenotices.h"
#include "data/database.h"
#include "data/dataset.h"
#include "data/dberror.h"
#include "data/sharedqueries.h"
#include "maintenance/bulkdelete.h"
#include "testserver.h"
#include "testsupport.h"
#include "toolkit/datasetmodel.h"
#include "toolkit/tsrdbgrid.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <memory>

namespace
{

const QStringList kFixture = {
    "INSERT INTO okul (okul_adi) VALUES ('ATATÜRK LİSESİ'), ('GAZİ LİSESİ'), ('İNÖNÜ ORTAOKULU')",
    "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir, sendikasi) VALUES "
    "(1, 'AHMET', 'YILMAZ', 'AHMET YILMAZ', 'EĞİTİM BİR SEN'), "
    "(1, 'BURAK', 'KAYA', 'BURAK KAYA', NULL), "
    "(2, 'CEMİLE', 'ŞAHİN', 'CEMİLE ŞAHİN', NULL), "
    "(2, 'DERYA', 'ÖZ', 'DERYA ÖZ', NULL), "
    "(3, 'EMRE', 'ÇELİK', 'EMRE ÇELİK', NULL), "
    "(3, 'FATMA', 'IŞIK', 'FATMA IŞIK', NULL)",
};

// One office: its program's shared lists on the server, as the main window opens them.
struct Office {
    SharedQueries data;
    explicit Office(const RegisterAddress &address)
    {
        data.connect(address);
        data.openAll();
        // Listening starts as the event loop turns.
        QTRY_VERIFY_WITH_TIMEOUT(data.changeNotices()->isListening(), 5000);
    }
    Dataset *staff() { return data.staff(); }
    Dataset *units() { return data.units(); }
};

QString currentName(Dataset *list)
{
    return list->fieldText(QStringLiteral("Birlestir"));
}

bool moveTo(Dataset *list, const QString &name)
{
    const QString field = list->hasField(QStringLiteral("Birlestir")) ? QStringLiteral("Birlestir")
                                                                      : QStringLiteral("okul_adi");
    for (list->first(); !list->eof(); list->next())
        if (list->fieldText(field) == name)
            return true;
    return false;
}

} // namespace

class TestLiveLists : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestProgramDir> m_dir;
    std::unique_ptr<Office> m_a, m_b;

private Q_SLOTS:
    void initTestCase()
    {
        if (!testserver::active())
            QSKIP("lists follow other offices on a server only");
        quietOffscreenWarnings();
    }

    void init()
    {
        m_dir = std::make_unique<TestProgramDir>();
        m_dir->exec(kFixture);
        m_a = std::make_unique<Office>(m_dir->address());
        m_b = std::make_unique<Office>(m_dir->address());
    }

    void cleanup()
    {
        m_a.reset();
        m_b.reset();
        m_dir.reset();
    }

    // A name changed in one office shows in the other's list within a second, in its place
    // in the name order, while the other's cursor, selection and scroll stay on its row.
    void aSavedNameAppearsElsewhereWithoutMovingTheCursor()
    {
        QTableView view;
        DatasetModel model(m_b->staff(), {{QStringLiteral("Birlestir"), QStringLiteral("ADI SOYADI"), 200}});
        view.setModel(&model);
        view.resize(300, 80); // a few rows high: the list scrolls
        view.show();
        QVERIFY(moveTo(m_b->staff(), QStringLiteral("DERYA ÖZ")));
        view.selectRow(m_b->staff()->recNo() - 1);
        view.scrollTo(model.index(m_b->staff()->recNo() - 1, 0), QAbstractItemView::PositionAtTop);
        const int scrolled = view.verticalScrollBar()->value();

        QVERIFY(moveTo(m_a->staff(), QStringLiteral("AHMET YILMAZ")));
        m_a->staff()->edit();
        m_a->staff()->setFieldText(QStringLiteral("adi"), QStringLiteral("ZEKİ"));
        m_a->staff()->setFieldText(QStringLiteral("Birlestir"), QStringLiteral("ZEKİ YILMAZ"));
        QElapsedTimer clock;
        clock.start();
        m_a->staff()->post();

        QTRY_COMPARE_WITH_TIMEOUT(columnOf(*m_b->staff(), QStringLiteral("Birlestir")).last(),
                                  QStringLiteral("ZEKİ YILMAZ"), 1000);
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(columnOf(*m_b->staff(), QStringLiteral("Birlestir")).first(), QStringLiteral("BURAK KAYA"));
        QCOMPARE(currentName(m_b->staff()), QStringLiteral("DERYA ÖZ"));
        QCOMPARE(view.selectionModel()->selectedRows().value(0).row(), m_b->staff()->recNo() - 1);
        QCOMPARE(model.index(m_b->staff()->recNo() - 1, 0).data().toString(), QStringLiteral("DERYA ÖZ"));
        QCOMPARE(view.verticalScrollBar()->value(), scrolled);
    }

    // Rows added and deleted in one office come and go in the other's lists, each where the
    // order puts it; the counts follow.
    void newAndDeletedRowsComeAndGo()
    {
        QSignalSpy followed(m_b->staff(), &Dataset::changesFollowed);
        QVERIFY(moveTo(m_b->staff(), QStringLiteral("EMRE ÇELİK")));

        Dataset *unitStaff = m_a->data.unitStaff();
        m_a->units()->first(); // ATATÜRK LİSESİ
        unitStaff->append();
        unitStaff->setFieldText(QStringLiteral("adi"), QStringLiteral("CAN"));
        unitStaff->setFieldText(QStringLiteral("soyadi"), QStringLiteral("ER"));
        unitStaff->post();
        QVERIFY(moveTo(m_a->staff(), QStringLiteral("BURAK KAYA")));
        m_a->staff()->remove();
        m_a->units()->append();
        m_a->units()->setFieldText(QStringLiteral("okul_adi"), QStringLiteral("BARBAROS İLKOKULU"));
        m_a->units()->post();

        QTRY_COMPARE_WITH_TIMEOUT(m_b->staff()->recordCount(), 6, 1000);
        QTRY_COMPARE_WITH_TIMEOUT(columnOf(*m_b->staff(), QStringLiteral("Birlestir")),
                                  (QStringList{"AHMET YILMAZ", "CAN ER", "CEMİLE ŞAHİN", "DERYA ÖZ",
                                               "EMRE ÇELİK", "FATMA IŞIK"}),
                                  1000);
        QCOMPARE(currentName(m_b->staff()), QStringLiteral("EMRE ÇELİK"));
        QTRY_COMPARE_WITH_TIMEOUT(columnOf(*m_b->units(), QStringLiteral("okul_adi")),
                                  (QStringList{"ATATÜRK LİSESİ", "BARBAROS İLKOKULU", "GAZİ LİSESİ",
                                               "İNÖNÜ ORTAOKULU"}),
                                  1000);
        // The unit shown in B (the first) lists its staff as they are now.
        QTRY_COMPARE_WITH_TIMEOUT(columnOf(*m_b->data.unitStaff(), QStringLiteral("Birlestir")),
                                  (QStringList{"AHMET YILMAZ", "CAN ER"}), 1000);
        QVERIFY(followed.count() >= 1);
    }

    // The row B is editing is not touched when A saves it: it is marked, B's typing stays,
    // and B's save of another column goes through; the row then holds both.
    void theRowBeingEditedIsMarkedNotTouched()
    {
        QVERIFY(moveTo(m_b->staff(), QStringLiteral("CEMİLE ŞAHİN")));
        QSignalSpy marked(m_b->staff(), &Dataset::changedElsewhere);
        m_b->staff()->edit();
        m_b->staff()->setFieldText(QStringLiteral("cep_tel"), QStringLiteral("(532) 111 22 33"));

        QVERIFY(moveTo(m_a->staff(), QStringLiteral("CEMİLE ŞAHİN")));
        m_a->staff()->edit();
        m_a->staff()->setFieldText(QStringLiteral("ev_adresi"), QStringLiteral("KIZILAY"));
        m_a->staff()->post();

        QTRY_COMPARE_WITH_TIMEOUT(marked.count(), 1, 1000);
        QVERIFY(m_b->staff()->isChangedElsewhere());
        QCOMPARE(m_b->staff()->fieldText(QStringLiteral("cep_tel")), QStringLiteral("(532) 111 22 33"));
        QCOMPARE(m_b->staff()->fieldText(QStringLiteral("ev_adresi")), QString());
        m_b->staff()->post();
        QVERIFY(!m_b->staff()->isChangedElsewhere());
        QTRY_COMPARE(m_b->staff()->fieldText(QStringLiteral("ev_adresi")), QStringLiteral("KIZILAY"));
        QCOMPARE(m_b->staff()->fieldText(QStringLiteral("cep_tel")), QStringLiteral("(532) 111 22 33"));
    }

    // A list read after the listening began keeps its rows when "Personel Ara" opens it again,
    // with what other offices changed meanwhile in the statement's order; a lost connection
    // ends that until the list has been compared with the server again.
    void aFollowedListIsKeptOnReopening()
    {
        Dataset *staff = m_b->staff();
        auto personelAra = [staff] {
            staff->clearSql();
            staff->addSql(QStringLiteral("SELECT * FROM uyeler Order By adi"));
            staff->clearParams();
            staff->reopen();
        };
        personelAra(); // read now, with the listening on
        QVERIFY(staff->isFollowedLive());

        Dataset *unitStaff = m_a->data.unitStaff();
        m_a->units()->first();
        unitStaff->append();
        unitStaff->setFieldText(QStringLiteral("adi"), QStringLiteral("CAN"));
        unitStaff->setFieldText(QStringLiteral("soyadi"), QStringLiteral("ER"));
        unitStaff->post();
        QTRY_COMPARE_WITH_TIMEOUT(staff->recordCount(), 7, 1000);
        staff->setSort(QStringLiteral("soyadi DESC")); // a title click, which a reopening undoes

        const quint64 before = m_b->data.connection().engine()->roundTrips();
        personelAra();
        QCOMPARE(m_b->data.connection().engine()->roundTrips(), before);
        QCOMPARE(columnOf(*staff, QStringLiteral("Birlestir")),
                 (QStringList{"AHMET YILMAZ", "BURAK KAYA", "CAN ER", "CEMİLE ŞAHİN", "DERYA ÖZ", "EMRE ÇELİK",
                              "FATMA IŞIK"}));

        Q_EMIT m_b->data.changeNotices()->connectionLost();
        QVERIFY(!staff->isFollowedLive());
        personelAra();
        QVERIFY(m_b->data.connection().engine()->roundTrips() > before);
    }

    // The long staff list read in the background at start-up waits for the listening, so that
    // it too is followed and the first "Personel Ara" keeps it.
    void theListReadAtStartIsFollowed()
    {
        SharedQueries::setLongStaffList(1);
        const auto restore = qScopeGuard([] { SharedQueries::setLongStaffList(10000); });
        SharedQueries data;
        data.connect(m_dir->address());
        data.openAllButLongStaffList();
        QVERIFY(!data.staff()->isOpen());
        QTRY_VERIFY_WITH_TIMEOUT(data.staff()->isOpen(), 5000);
        QVERIFY(data.changeNotices()->isListening());
        QVERIFY(data.staff()->readStarted() >= data.changeNotices()->listeningSince());
        QVERIFY(data.staff()->isFollowedLive());
        const quint64 before = data.connection().engine()->roundTrips();
        data.staff()->reopen();
        QCOMPARE(data.connection().engine()->roundTrips(), before);
        QCOMPARE(data.staff()->recordCount(), 6);
    }

    // While B enters a new row, A's changes wait, and come in once B has saved.
    void changesWaitForANewRowBeingEntered()
    {
        m_b->units()->append();
        m_b->units()->setFieldText(QStringLiteral("okul_adi"), QStringLiteral("YENİ OKUL"));
        m_a->units()->first();
        m_a->units()->edit();
        m_a->units()->setFieldText(QStringLiteral("okul_adi"), QStringLiteral("ATATÜRK ANADOLU LİSESİ"));
        m_a->units()->post();
        QTest::qWait(400);
        QCOMPARE(m_b->units()->state(), Dataset::State::Insert);
        QCOMPARE(m_b->units()->fieldText(QStringLiteral("okul_adi")), QStringLiteral("YENİ OKUL"));
        m_b->units()->post();
        QTRY_COMPARE(columnOf(*m_b->units(), QStringLiteral("okul_adi")),
                     (QStringList{"ATATÜRK ANADOLU LİSESİ", "GAZİ LİSESİ", "İNÖNÜ ORTAOKULU", "YENİ OKUL"}));
        QCOMPARE(m_b->units()->fieldText(QStringLiteral("okul_adi")), QStringLiteral("YENİ OKUL"));
    }

    // A bulk delete of every staff row in A reaches B as one change, not one per row.
    void aBurstArrivesAsOneChange()
    {
        const QString many = QStringLiteral(
            "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir) "
            "SELECT 1, 'KİŞİ', 'NO' || g, 'KİŞİ NO' || g FROM generate_series(1, 3000) g");
        Database third; // a third office, whose rows both lists hear of
        third.open(m_dir->address());
        third.exec(many);
        QTRY_COMPARE_WITH_TIMEOUT(m_a->staff()->recordCount(), 3006, 2000);
        QTRY_COMPARE_WITH_TIMEOUT(m_b->staff()->recordCount(), 3006, 2000);

        QSignalSpy followed(m_b->staff(), &Dataset::changesFollowed);
        QSignalSpy removedRows(m_b->staff(), &Dataset::rowRemoved);
        maintenance::BulkDelete bulk(&m_a->data);
        maintenance::BulkDelete::Outcome outcome;
        QString error;
        const quint64 before = m_a->data.connection().engine()->roundTrips();
        QVERIFY2(bulk.run(maintenance::BulkDelete::Kind::Staff, nullptr, &outcome, &error), qPrintable(error));
        QCOMPARE(outcome.deleted, 3006);
        QVERIFY(m_a->data.connection().engine()->roundTrips() - before < 20);
        QTRY_COMPARE_WITH_TIMEOUT(m_b->staff()->recordCount(), 0, 2000);
        QTest::qWait(300);
        QCOMPARE(followed.count(), 1);
        QCOMPARE(removedRows.count(), 0); // shown afresh, not row by row
    }

    // A unit deleted in A while B adds staff to it: the server keeps the staff's unit, and
    // B is told in Turkish; a unit with staff cannot be deleted.
    void noStaffIsLeftWithoutItsUnit()
    {
        m_b->units()->last(); // İNÖNÜ ORTAOKULU, whose staff A deletes first
        QVERIFY(moveTo(m_a->units(), QStringLiteral("İNÖNÜ ORTAOKULU")));
        while (!m_a->data.unitStaff()->isEmpty())
            m_a->data.unitStaff()->remove();
        m_b->data.unitStaff()->append();
        m_b->data.unitStaff()->setFieldText(QStringLiteral("adi"), QStringLiteral("GÜL"));
        m_a->units()->remove();
        try {
            m_b->data.unitStaff()->post();
            QFAIL("staff saved into a deleted unit");
        } catch (const DbError &e) {
            QCOMPARE(e.kind(), DbError::Kind::NoMasterRow);
        }
        QCOMPARE(m_b->data.unitStaff()->fieldText(QStringLiteral("adi")), QStringLiteral("GÜL"));
        m_b->data.unitStaff()->cancel();

        QVERIFY(moveTo(m_a->units(), QStringLiteral("GAZİ LİSESİ")));
        try {
            m_a->units()->remove();
            QFAIL("a unit with staff was deleted");
        } catch (const DbError &e) {
            QCOMPARE(e.kind(), DbError::Kind::StillInUse);
            QVERIFY(e.describe().text.contains(QStringLiteral("personel kayıtları var")));
        }
        QCOMPARE(m_a->data.connection().scalar(QStringLiteral("SELECT count(*) FROM uyeler u WHERE NOT EXISTS "
                                                               "(SELECT 1 FROM okul o WHERE o.SiraNo = u.SiraNo)"))
                     .toInt(),
                 0);
    }

    // B's connections are cut and the database takes no new ones, as while a server
    // restarts: B says so, refuses a save with the typing kept, comes back by itself once the
    // server does, and reads what A changed meanwhile.
    void aLostConnectionComesBackAndCatchesUp()
    {
        ChangeNotices *notices = m_b->data.changeNotices();
        QSignalSpy lost(notices, &ChangeNotices::connectionLost);
        QSignalSpy back(notices, &ChangeNotices::connectionBack);
        QVERIFY(moveTo(m_b->staff(), QStringLiteral("FATMA IŞIK")));

        Database &ownA = m_a->data.connection();
        const QString name = ownA.scalar(QStringLiteral("SELECT current_database()")).toString();
        Database server; // on the server's own database: the register's cannot shut itself
        server.openServer(qEnvironmentVariable("MELTORA_TEST_SERVER"));
        auto allowConnections = [&server, name](bool allow) {
            server.exec(QStringLiteral("ALTER DATABASE %1 ALLOW_CONNECTIONS %2")
                            .arg(name, allow ? QStringLiteral("true") : QStringLiteral("false")));
        };
        allowConnections(false);
        auto allowAgain = qScopeGuard([&] {
            try {
                allowConnections(true);
            } catch (const DbError &) {
            }
        });
        Statement cut(ownA, QStringLiteral("SELECT count(pg_terminate_backend(pid)) FROM pg_stat_activity "
                                            "WHERE datname = current_database() AND pid <> pg_backend_pid() "
                                            "AND pid <> ?"));
        cut.bind(1, m_a->data.changeNotices()->serverProcess());
        QVERIFY(cut.step());
        QTRY_COMPARE_WITH_TIMEOUT(lost.count(), 1, 3000);

        // What A saves now is never announced to B.
        QVERIFY(moveTo(m_a->staff(), QStringLiteral("AHMET YILMAZ")));
        m_a->staff()->edit();
        m_a->staff()->setFieldText(QStringLiteral("anne_adi"), QStringLiteral("AYŞE"));
        m_a->staff()->post();

        m_b->staff()->edit();
        m_b->staff()->setFieldText(QStringLiteral("baba_adi"), QStringLiteral("ALİ"));
        try {
            m_b->staff()->post();
            QFAIL("saved on a lost connection");
        } catch (const DbError &e) {
            QCOMPARE(e.kind(), DbError::Kind::ServerLost);
            QVERIFY(e.describe().text.contains(QStringLiteral("Yazdıklarınız duruyor")));
        }
        QCOMPARE(m_b->staff()->fieldText(QStringLiteral("baba_adi")), QStringLiteral("ALİ"));
        QTest::qWait(1500); // tries of the listener meanwhile change nothing
        QCOMPARE(back.count(), 0);
        allowAgain.dismiss();
        allowConnections(true);
        m_b->staff()->post(); // the connection is made again for it
        QCOMPARE(currentName(m_b->staff()), QStringLiteral("FATMA IŞIK"));

        QTRY_COMPARE_WITH_TIMEOUT(back.count(), 1, 5000);
        QTRY_VERIFY(moveTo(m_b->staff(), QStringLiteral("AHMET YILMAZ")) &&
                    m_b->staff()->fieldText(QStringLiteral("anne_adi")) == QStringLiteral("AYŞE"));
        QCOMPARE(m_a->data.connection().scalar(QStringLiteral("SELECT baba_adi FROM uyeler WHERE adi = 'FATMA'"))
                     .toString(),
                 QStringLiteral("ALİ"));
    }

    // A register made before the tables announced their changes learns it when a program
    // first listens on it with a role that may add the announcing.
    void anOlderRegisterLearnsToAnnounce()
    {
        cleanup();
        m_dir = std::make_unique<TestProgramDir>();
        m_dir->exec(kFixture);
        m_dir->exec(QStringList{"DROP FUNCTION meltora_duyur() CASCADE"});
        m_a = std::make_unique<Office>(m_dir->address());
        QVERIFY(m_a->data.changeNotices()->serverAnnounces());
        m_b = std::make_unique<Office>(m_dir->address());
        m_a->units()->first();
        m_a->units()->edit();
        m_a->units()->setFieldText(QStringLiteral("okul_adi"), QStringLiteral("ATATÜRK ANADOLU LİSESİ"));
        m_a->units()->post();
        QTRY_COMPARE_WITH_TIMEOUT(m_b->units()->fieldText(QStringLiteral("okul_adi")),
                                  QStringLiteral("ATATÜRK ANADOLU LİSESİ"), 1000);
    }

    // Two main windows on the server, each with "Personel Ara" pressed: a name saved in one
    // shows in the other's grid within a second, and the other's current member stays.
    void twoWindowsWithTheMemberBrowserOpen()
    {
        cleanup(); // the windows open their own connections
        MainWindowFixture main(kFixture);
        TForm1 *a = main.start(MainWindowFixture::Windows::MainOnly);
        QString error;
        std::unique_ptr<TForm1> b(TForm1::create(&error));
        QVERIFY2(b, qPrintable(error));
        b->show();
        QVERIFY(QTest::qWaitForWindowExposed(b.get()));
        for (TForm1 *form : {a, b.get()}) {
            QTest::mouseClick(child<QPushButton>(form->centralWidget(), "BitBtn2"), Qt::LeftButton);
            QTRY_VERIFY_WITH_TIMEOUT(form->data()->changeNotices()->isListening(), 5000);
        }
        auto *grid = child<TSrDBGrid>(b.get(), "SrDBGrid3");
        typeText(child<QLineEdit>(b.get(), "Edit3"), QStringLiteral("EMRE"));
        QCOMPARE(b->data()->staff()->fieldText(QStringLiteral("Birlestir")), QStringLiteral("EMRE ÇELİK"));
        Dataset *staffB = b->data()->staff();
        const int row = staffB->recNo() - 1; // the row the grid marks as current

        Dataset *staffA = a->data()->staff();
        QVERIFY(moveTo(staffA, QStringLiteral("AHMET YILMAZ")));
        staffA->edit();
        staffA->setFieldText(QStringLiteral("adi"), QStringLiteral("ZEKİ"));
        staffA->setFieldText(QStringLiteral("Birlestir"), QStringLiteral("ZEKİ YILMAZ"));
        staffA->post();

        auto names = [grid] {
            QStringList shown;
            for (int r = 0; r < grid->model()->rowCount(); ++r)
                shown << grid->model()->index(r, 0).data().toString();
            return shown;
        };
        QTRY_VERIFY_WITH_TIMEOUT(names().contains(QStringLiteral("ZEKİ YILMAZ")), 1000);
        QVERIFY(!names().contains(QStringLiteral("AHMET YILMAZ")));
        QCOMPARE(names().last(), QStringLiteral("ZEKİ YILMAZ"));
        QCOMPARE(b->data()->staff()->fieldText(QStringLiteral("Birlestir")), QStringLiteral("EMRE ÇELİK"));
        // AHMET was above EMRE and is now below him: the grid's current row is still EMRE's.
        QCOMPARE(staffB->recNo() - 1, row - 1);
        QCOMPARE(grid->model()->index(staffB->recNo() - 1, 0).data().toString(), QStringLiteral("EMRE ÇELİK"));
        b.reset();
        main.close();
    }
};

QTEST_MAIN(TestLiveLists)
#include "tst_livelists.moc"

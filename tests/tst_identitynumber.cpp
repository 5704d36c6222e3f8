// The identity number: its check digits, the lookup of other members holding a number, the
// register's audit, and the member form's warning and save question on the real main window.

#include "app/memberbrowser.h"
#include "app/tform1.h"
#include "toolkit/tsrdbgrid.h"
#include "app/unitbrowser.h"
#include "data/database.h"
#include "data/identitynumber.h"
#include "data/schema.h"
#include "data/sharedqueries.h"
#include "entry/tpersonelkayit.h"
#include "reports/tfrmkimlikdenetimi.h"
#include "testsupport.h"
#include "toolkit/dbedit.h"
#include "toolkit/recordactions.h"

#include <QAbstractItemModel>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <memory>
#include <sqlite3.h>

namespace
{

using identitynumber::Verdict;

// Two units; AHMET and HASAN share a valid number, AYŞE's fails its check, ZEYNEP has none,
// MEHMET's is valid and his alone. Listed by name: AHMET, AYŞE, HASAN, MEHMET, ZEYNEP.
const QStringList kFixture = {
    "INSERT INTO sabit (Kurum_Adi) VALUES ('MEB')",
    "INSERT INTO sendikalar (sendikalar, adresi) VALUES ('EĞİTİM SEN', 'ANKARA')",
    "INSERT INTO okul (SiraNo, okul_adi) VALUES (1, 'GAZİ LİSESİ'), (2, 'ÇAMLICA İLKOKULU')",
    "INSERT INTO uyeler (KayitNo, SiraNo, adi, soyadi, Birlestir, tc_kimlik) VALUES "
    "(1, 1, 'AHMET', 'YILMAZ', 'AHMET YILMAZ', '10000000146'), "
    "(2, 2, 'HASAN', 'ÇELİK', 'HASAN ÇELİK', '10000000146'), "
    "(3, 1, 'AYŞE', 'KAYA', 'AYŞE KAYA', '12345678901'), "
    "(4, 2, 'ZEYNEP', 'ŞAHİN', 'ZEYNEP ŞAHİN', NULL), "
    "(5, 1, 'MEHMET', 'ÖZ', 'MEHMET ÖZ', '12345678950')",
};

QStringList namesOf(const QList<identitynumber::Holder> &holders)
{
    QStringList out;
    for (const identitynumber::Holder &h : holders)
        out << h.name + QLatin1Char('/') + h.unit;
    return out;
}

} // namespace

class TestIdentityNumber : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> m_main;
    TForm1 *m_form = nullptr;
    TPersonelKayit *f = nullptr;

    DBEdit *tcBox() { return f->edit(QStringLiteral("tc_kimlik")); }
    QLabel *warning() { return child<QLabel>(f, QStringLiteral("LabelTcUyari")); }
    QToolButton *saveButton() { return child<QToolButton>(f, QStringLiteral("KaydetButton")); }
    Dataset *uye() { return m_form->data()->Query_Uye; }

    void startMainWindow()
    {
        m_main = std::make_unique<MainWindowFixture>(kFixture);
        m_form = m_main->start(MainWindowFixture::Windows::All);
        m_main->click("BitBtn1");
        f = m_form->findChild<TPersonelKayit *>();
        QVERIFY(f);
    }
    // The member form on `name`'s row, opened by a double-click on the staff grid.
    void openFormOn(const QString &unit, const QString &name, const std::function<void()> &steps)
    {
        QVERIFY(m_form->data()->QueryOkul->locate(QStringLiteral("okul_adi"), unit));
        QVERIFY(uye()->locate(QStringLiteral("adi"), name));
        TSrDBGrid *grid = m_form->unitBrowser()->staffGrid();
        const QRect cell = grid->visualRect(grid->model()->index(uye()->recNo() - 1, 0));
        whileOpen(f, [&] { QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center()); }, [&] {
            f->pages()->setCurrentIndex(2);
            QTRY_COMPARE(tcBox()->text(), uye()->fieldText(QStringLiteral("tc_kimlik")));
            steps();
        });
    }
    void retype(const QString &number)
    {
        tcBox()->setFocus();
        tcBox()->selectAll();
        QTest::keyClick(tcBox(), Qt::Key_Delete);
        typeText(tcBox(), number);
        waitIdle(); // the idle-time refresh makes Save available, as between two keystrokes
    }
    QString stored(const QString &adi)
    {
        Database db;
        db.open(m_main->dir().databasePath(), schema::kKey);
        Statement st(db.handle(), QStringLiteral("SELECT tc_kimlik FROM uyeler WHERE adi = ?"));
        st.bind(1, adi);
        return st.step() ? QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st.get(), 0)))
                         : QStringLiteral("<none>");
    }

private Q_SLOTS:
    void initTestCase() { quietOffscreenWarnings(); }
    void cleanup()
    {
        if (f && f->isVisible())
            f->hide();
        f = nullptr;
        m_main.reset();
    }

    // ---------------------------------------------------------------- the rule

    void checkDigits_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<Verdict>("verdict");
        QTest::newRow("valid") << "10000000146" << Verdict::Valid;
        QTest::newRow("valid 2") << "12345678950" << Verdict::Valid;
        QTest::newRow("valid 3") << "98765432150" << Verdict::Valid;
        QTest::newRow("valid, tenth digit 0") << "99999999990" << Verdict::Valid;
        QTest::newRow("valid, odd sum times 7 below the even sum") << "19090909018" << Verdict::Valid;
        QTest::newRow("valid, again below") << "29090909154" << Verdict::Valid;
        QTest::newRow("valid with blanks around") << " 31415926562 " << Verdict::Valid;
        QTest::newRow("empty") << "" << Verdict::Empty;
        QTest::newRow("blanks only") << "   " << Verdict::Empty;
        QTest::newRow("tenth digit wrong") << "10000000136" << Verdict::WrongCheckDigits;
        QTest::newRow("eleventh digit wrong") << "10000000147" << Verdict::WrongCheckDigits;
        QTest::newRow("two digits swapped") << "21345678950" << Verdict::WrongCheckDigits;
        QTest::newRow("tenth digit from the wrong remainder") << "19090909098" << Verdict::WrongCheckDigits;
        QTest::newRow("all ones") << "11111111111" << Verdict::WrongCheckDigits;
        QTest::newRow("leading zero") << "01234567890" << Verdict::LeadingZero;
        QTest::newRow("ten digits") << "1000000014" << Verdict::WrongLength;
        QTest::newRow("twelve digits") << "100000001460" << Verdict::WrongLength;
        QTest::newRow("a letter") << "1000000014A" << Verdict::NotDigits;
        QTest::newRow("Arabic-Indic digits") << QString::fromUtf8("١٠٠٠٠٠٠٠١٤٦") << Verdict::NotDigits;
        QTest::newRow("inner blank") << "10000 00146" << Verdict::NotDigits;
    }
    void checkDigits()
    {
        QFETCH(QString, number);
        QFETCH(Verdict, verdict);
        QCOMPARE(identitynumber::check(number), verdict);
        QCOMPARE(identitynumber::isValid(number), verdict == Verdict::Valid);
        QCOMPARE(identitynumber::problemText(verdict).isEmpty(),
                 verdict == Verdict::Valid || verdict == Verdict::Empty);
    }

    void checkDigitsFollowTheFirstNine_data()
    {
        QTest::addColumn<QString>("nine");
        QTest::addColumn<QString>("digits");
        QTest::newRow("100000001") << "100000001" << "46";
        QTest::newRow("123456789") << "123456789" << "50";
        QTest::newRow("111111111") << "111111111" << "10";
        QTest::newRow("negative difference") << "190909090" << "18";
    }
    void checkDigitsFollowTheFirstNine()
    {
        QFETCH(QString, nine);
        QFETCH(QString, digits);
        QCOMPARE(identitynumber::checkDigits(nine), digits);
    }

    // ---------------------------------------------------------------- the table

    void otherHoldersAreNamedWithTheirUnits()
    {
        TestProgramDir dir;
        dir.exec(kFixture);
        Database db;
        db.open(dir.databasePath(), schema::kKey);
        // AHMET's own row is left out; HASAN is named with his unit.
        QCOMPARE(namesOf(identitynumber::otherHolders(db, QStringLiteral("10000000146"), 1)),
                 QStringList{QStringLiteral("HASAN ÇELİK/ÇAMLICA İLKOKULU")});
        // A new row (no key yet) meets both.
        QCOMPARE(namesOf(identitynumber::otherHolders(db, QStringLiteral(" 10000000146"), QVariant())),
                 (QStringList{QStringLiteral("AHMET YILMAZ/GAZİ LİSESİ"), QStringLiteral("HASAN ÇELİK/ÇAMLICA İLKOKULU")}));
        QVERIFY(identitynumber::otherHolders(db, QStringLiteral("12345678950"), 5).isEmpty());
        QVERIFY(identitynumber::otherHolders(db, QString(), QVariant()).isEmpty());
        // The number is a value, never part of the statement.
        QVERIFY(identitynumber::otherHolders(db, QStringLiteral("' OR 1=1 --"), QVariant()).isEmpty());
        QVERIFY(identitynumber::otherHolders(db, QStringLiteral("\" OR \"\" = \""), QVariant()).isEmpty());
    }

    void auditListsFailingAndSharedNumbers()
    {
        TestProgramDir dir;
        dir.exec(kFixture);
        Database db;
        db.open(dir.databasePath(), schema::kKey);
        const QList<identitynumber::Finding> findings = identitynumber::audit(db);
        QStringList seen;
        for (const identitynumber::Finding &f : findings)
            seen << QStringLiteral("%1 %2 %3").arg(f.holder.number, f.holder.name).arg(f.sharedBy);
        QCOMPARE(seen, (QStringList{QStringLiteral("10000000146 AHMET YILMAZ 2"),
                                    QStringLiteral("10000000146 HASAN ÇELİK 2"),
                                    QStringLiteral("12345678901 AYŞE KAYA 1")}));
        QCOMPARE(findings.at(2).verdict, Verdict::WrongCheckDigits);
        QCOMPARE(identitynumber::findingText(findings.at(0)), QStringLiteral("Bu numara 2 personelde kayıtlı."));
    }

    // ---------------------------------------------------------------- the member form

    void formWarnsOfANumberAnotherMemberHolds()
    {
        startMainWindow();
        openFormOn(QStringLiteral("GAZİ"), QStringLiteral("MEHMET"), [&] {
            QVERIFY(!warning()->isVisible());
            // Typed key by key: HASAN's (and AHMET's) number.
            retype(QStringLiteral("10000000146"));
            QTRY_VERIFY(warning()->isVisible());
            QCOMPARE(warning()->text(),
                     QStringLiteral("Bu TC kimlik numarası başka bir personelde de kayıtlı: "
                                    "AHMET YILMAZ (GAZİ LİSESİ), HASAN ÇELİK (ÇAMLICA İLKOKULU)."));
            QVERIFY(child<QLabel>(f, QStringLiteral("LabelTcIsaret"))->isVisible());

            // Saving asks; "Hayır" keeps the row being edited and stores nothing.
            {
                Answers steps({QStringLiteral("Hayır")});
                QTest::mouseClick(saveButton(), Qt::LeftButton);
                QTRY_VERIFY(steps.done());
                QVERIFY2(steps.unexpected.isEmpty(), qPrintable(steps.unexpected.join(QLatin1Char('|'))));
                QCOMPARE(steps.titles.value(0), QStringLiteral("Dikkat !"));
                QCOMPARE(steps.texts.value(0), warning()->text() + QStringLiteral("\n\nYine de kaydedilsin mi?"));
            }
            QVERIFY(uye()->isEditing());
            QCOMPARE(stored(QStringLiteral("MEHMET")), QStringLiteral("12345678950"));
            QCOMPARE(f->pages()->currentIndex(), 2);

            // "Evet" saves it as typed.
            {
                Answers steps({QStringLiteral("Evet")});
                QTest::mouseClick(saveButton(), Qt::LeftButton);
                QTRY_VERIFY(steps.done());
                QVERIFY(steps.unexpected.isEmpty());
            }
            QVERIFY(!uye()->isEditing());
            QCOMPARE(stored(QStringLiteral("MEHMET")), QStringLiteral("10000000146"));
        });
    }

    void formWarnsOnTheRowsItMovesTo()
    {
        startMainWindow();
        // AHMET's own number is held by HASAN of the other unit; AYŞE's fails its check.
        openFormOn(QStringLiteral("GAZİ"), QStringLiteral("AHMET"), [&] {
            QTRY_VERIFY(warning()->isVisible());
            QCOMPARE(warning()->text(), QStringLiteral("Bu TC kimlik numarası başka bir personelde de "
                                                       "kayıtlı: HASAN ÇELİK (ÇAMLICA İLKOKULU)."));
            QTest::mouseClick(child<QToolButton>(f, QStringLiteral("SonrakiKayitButton")), Qt::LeftButton);
            QCOMPARE(uye()->fieldText(QStringLiteral("adi")), QStringLiteral("AYŞE"));
            QTRY_COMPARE(warning()->text(),
                         QStringLiteral("TC kimlik numarası geçersiz: son iki hanesi (denetim haneleri) tutmuyor."));
            QTest::mouseClick(child<QToolButton>(f, QStringLiteral("SonrakiKayitButton")), Qt::LeftButton);
            QCOMPARE(uye()->fieldText(QStringLiteral("adi")), QStringLiteral("MEHMET"));
            QTRY_VERIFY(!warning()->isVisible());
        });
    }

    void formSavesGoodAndEmptyNumbersWithoutAsking_data()
    {
        QTest::addColumn<QString>("number");
        QTest::newRow("valid and his own") << "31415926562";
        QTest::newRow("empty") << "";
    }
    void formSavesGoodAndEmptyNumbersWithoutAsking()
    {
        QFETCH(QString, number);
        startMainWindow();
        openFormOn(QStringLiteral("GAZİ"), QStringLiteral("MEHMET"), [&] {
            retype(number);
            QVERIFY(uye()->isEditing());
            Answers steps;
            QTest::mouseClick(saveButton(), Qt::LeftButton);
            waitIdle(100);
            QVERIFY2(steps.unexpected.isEmpty(), qPrintable(steps.unexpected.join(QLatin1Char('|'))));
            QVERIFY(!uye()->isEditing());
            QVERIFY(!warning()->isVisible());
        });
        QCOMPARE(stored(QStringLiteral("MEHMET")), number.isEmpty() ? QString() : number);
    }

    void closingWithAFailingNumberAsksTwice()
    {
        startMainWindow();
        openFormOn(QStringLiteral("GAZİ"), QStringLiteral("MEHMET"), [&] {
            retype(QStringLiteral("12345678951"));
            QTRY_COMPARE(warning()->text(),
                         QStringLiteral("TC kimlik numarası geçersiz: son iki hanesi (denetim haneleri) tutmuyor."));
            // "TAMAM": save the changes? yes; save it all the same? no: the form stays open.
            Answers steps({QStringLiteral("Evet"), QStringLiteral("Hayır")});
            QTest::mouseClick(child<QPushButton>(f, QStringLiteral("BitBtn1")), Qt::LeftButton);
            QTRY_VERIFY(steps.done());
            waitIdle();
            QCOMPARE(steps.texts.value(0), QStringLiteral("Değişiklikleri kaydetmek istiyor musunuz?"));
            QVERIFY(steps.texts.value(1).endsWith(QStringLiteral("Yine de kaydedilsin mi?")));
            QVERIFY(f->isVisible());
            QVERIFY(uye()->isEditing());
            QVERIFY(steps.unexpected.isEmpty());
        });
        QCOMPARE(stored(QStringLiteral("MEHMET")), QStringLiteral("12345678950"));
    }

    void newMemberWithANumberAnotherHolds()
    {
        startMainWindow();
        QVERIFY(m_form->data()->QueryOkul->locate(QStringLiteral("okul_adi"), QStringLiteral("ÇAMLICA")));
        whileOpen(f, [&] { m_main->click("BitBtn5"); }, [&] {
            typeText(f->edit(QStringLiteral("adi")), QStringLiteral("elif"));
            f->pages()->setCurrentIndex(2);
            typeText(tcBox(), QStringLiteral("12345678950"));
            QTRY_COMPARE(warning()->text(), QStringLiteral("Bu TC kimlik numarası başka bir personelde de "
                                                           "kayıtlı: MEHMET ÖZ (GAZİ LİSESİ)."));
            Answers steps({QStringLiteral("Evet")});
            QTest::mouseClick(saveButton(), Qt::LeftButton);
            QTRY_VERIFY(steps.done());
            QVERIFY(!uye()->isEditing());
        });
        QCOMPARE(stored(QStringLiteral("ELİF")), QStringLiteral("12345678950"));
    }

    // ---------------------------------------------------------------- the audit window

    void auditWindowFromTheMemberBrowser()
    {
        startMainWindow();
        m_main->click("BitBtn2"); // "Personel Ara"
        TSrDBGrid *grid = m_form->memberBrowser()->grid();
        auto *menu = child<QMenu>(m_form, QStringLiteral("PopupPersonel"));
        auto *item = child<QAction>(menu, QStringLiteral("KimlikNumarasiDenetimi1"));
        QCOMPARE(item->text(), QStringLiteral("Kimlik Numarası Denetimi"));
        const QPoint at(20, 10);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, grid->viewport()->mapToGlobal(at));
        QApplication::sendEvent(grid->viewport(), &event);
        QTRY_VERIFY(menu->isVisible());

        QStringList rows;
        QString summary;
        Answers steps;
        steps.on(QStringLiteral("FrmKimlikDenetimi"), [&](QWidget *window) {
            QCOMPARE(window->windowTitle(), QStringLiteral("  Kimlik Numarası Denetimi"));
            summary = child<QLabel>(window, QStringLiteral("LabelOzet"))->text();
            const QAbstractItemModel *model = child<QTableView>(window, QStringLiteral("ListeKimlik"))->model();
            for (int r = 0; r < model->rowCount(); ++r) {
                QStringList cells;
                for (int c = 0; c < model->columnCount(); ++c)
                    cells << model->index(r, c).data().toString();
                rows << cells.join(QLatin1Char('|'));
            }
            Answers::press(child<QPushButton>(window, QStringLiteral("BitBtn1")));
        });
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
        QTRY_VERIFY(steps.done());
        QTRY_VERIFY(!m_form->findChild<TFrmKimlikDenetimi *>());
        QVERIFY(steps.unexpected.isEmpty());
        QCOMPARE(summary, QStringLiteral("Kimlik numarası denetimi tutmayan ya da birden çok personelde "
                                         "kayıtlı olan 3 kayıt bulundu."));
        QCOMPARE(rows, (QStringList{
                           QStringLiteral("10000000146|AHMET YILMAZ|GAZİ LİSESİ|Bu numara 2 personelde kayıtlı."),
                           QStringLiteral("10000000146|HASAN ÇELİK|ÇAMLICA İLKOKULU|Bu numara 2 personelde kayıtlı."),
                           QStringLiteral("12345678901|AYŞE KAYA|GAZİ LİSESİ|TC kimlik numarası geçersiz: son iki "
                                          "hanesi (denetim haneleri) tutmuyor.")}));
    }
};

QTEST_MAIN(TestIdentityNumber)
#include "tst_identitynumber.moc"

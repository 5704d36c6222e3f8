// The member browser as the user meets it after "Personel Ara": the name search with its
// Turkish upper-casing, the union and blood-group filters, the detail pages of the current
// person, the enabling of the prints, and the colours of the name list.

#include "app/application.h"
#include "toolkit/idlerefresh.h"
#include "app/tform1.h"
#include "toolkit/tsrdbgrid.h"
#include "data/settings.h"
#include "data/sharedqueries.h"
#include "testsupport.h"

#include <QAbstractItemModelTester>
#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTest>
#include <QToolButton>
#include <memory>

namespace
{

const QString kNoMatch = QStringLiteral("Aradığınız kriterlere uygun kayıt bulunamadı.");

const QStringList kFixture = {
    "INSERT INTO sabit (Kurum_Adi, sendikasi) VALUES ('MİLLİ EĞİTİM', 'TÜRK EĞİTİM SEN')",
    "INSERT INTO sendikalar (sendikalar, adresi) VALUES ('TÜRK EĞİTİM SEN', 'ANKARA')",
    "INSERT INTO sendikalar (sendikalar, adresi) VALUES ('EĞİTİM SEN', 'İZMİR')",
    "INSERT INTO sendikalar (sendikalar, adresi) VALUES ('HAK \"İŞ\" SEN', 'BURSA')",
    "INSERT INTO okul (okul_adi) VALUES ('ATATÜRK İLKOKULU')",
    "INSERT INTO okul (okul_adi) VALUES ('GAZİ LİSESİ')",
    "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir, sendikasi, kan_grubu, unvani,"
    " unvan_kodu, bransi, hizmet_yili, calistigi_il, ilcesi, isyeri_tel, calistigi_kurum,"
    " kurum_adresi, sendika_kayit_tarihi, sendika_adresi, tc_kimlik, dogum_yeri,"
    " ogrenim_durumu, cep_tel, ev_adresi, medeni_durumu, esinin_meslegi, hakkinda)"
    " VALUES (1, 'ALİ', 'ŞEN', 'ALİ ŞEN', 'TÜRK EĞİTİM SEN', '0 Rh +', 'ÖĞRETMEN', '1001',"
    " 'MATEMATİK', '12', 'ANKARA', 'ÇANKAYA', '3124440000', 'ATATÜRK İLKOKULU',"
    " 'ATATÜRK CAD. NO 1', '01.09.2010', 'ANKARA', '12345678901', 'SİVAS', 'LİSANS',"
    " '5321112233', 'GÜL SOK. 4', 'EVLİ', 'HEMŞİRE', 'Aidatını elden ödüyor.')",
    "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir, sendikasi, kan_grubu, bransi,"
    " calistigi_il) VALUES (1, 'ALİ', 'AK', 'ALİ AK', 'EĞİTİM SEN', 'A Rh +', 'TÜRKÇE',"
    " 'İZMİR')",
    "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir, sendikasi, kan_grubu)"
    " VALUES (1, 'IŞIL', 'ÖZ', 'IŞIL ÖZ', 'EĞİTİM SEN', '0 Rh +')",
    "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir, sendikasi, kan_grubu)"
    " VALUES (2, 'IŞIK', 'DEMİR', 'IŞIK DEMİR', 'TÜRK EĞİTİM SEN', 'A Rh +')",
    "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir, sendikasi, kan_grubu)"
    " VALUES (2, 'İSMAİL', 'ÇAKIR', 'İSMAİL ÇAKIR', '<<< KAYITSIZ >>>', '0 Rh +')",
    "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir, sendikasi, kan_grubu)"
    " VALUES (2, 'İLKER', 'ÜNAL', 'İLKER ÜNAL', '<<< KAYITSIZ >>>', 'B Rh +')",
    "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir, sendikasi, kan_grubu)"
    " VALUES (1, 'ÇAĞLA', 'ÜNAL', 'ÇAĞLA ÜNAL', 'TÜRK EĞİTİM SEN', '0 Rh +')",
    "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir, sendikasi, kan_grubu)"
    " VALUES (2, 'ŞEYMA', 'KAYA', 'ŞEYMA KAYA', NULL, '0 Rh +')",
    "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir, sendikasi, kan_grubu)"
    " VALUES (1, 'ÖMER', 'IŞIK', 'ÖMER IŞIK', 'EĞİTİM SEN', 'AB Rh -')",
    "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir, sendikasi, kan_grubu)"
    " VALUES (2, 'CEM', 'AY', 'CEM AY', 'TÜRK EĞİTİM SEN', 'B Rh -')",
};

const QStringList kEverybody = {"ALİ ŞEN",      "ALİ AK",     "IŞIL ÖZ",    "IŞIK DEMİR",
                                "İSMAİL ÇAKIR", "İLKER ÜNAL", "ÇAĞLA ÜNAL", "ŞEYMA KAYA",
                                "ÖMER IŞIK",    "CEM AY"};

QStringList sorted(QStringList names)
{
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

class TestMemberBrowser : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindowFixture> m_main;
    TForm1 *m_form = nullptr;

    // The real window, with "Personel Ara" pressed.
    TForm1 *start()
    {
        m_form = m_main->start(MainWindowFixture::Windows::MainOnly);
        m_main->click("BitBtn2");
        waitIdle();
        return m_form;
    }
    QLineEdit *edit3() const { return child<QLineEdit>(m_form, "Edit3"); }
    QComboBox *cbAra() const { return child<QComboBox>(m_form, "CbAra"); }
    QComboBox *cbKan() const { return child<QComboBox>(m_form, "CbKan"); }
    TSrDBGrid *grid() const { return child<TSrDBGrid>(m_form, "SrDBGrid3"); }
    QString value(const QString &field) const
    {
        return child<QLabel>(m_form, "DBText_" + field)->text();
    }
    bool enabled(const char *name) const { return child<QWidget>(m_form, name)->isEnabled(); }
    bool shown(const char *name) const { return !child<QWidget>(m_form, name)->isHidden(); }
    QString current() const { return m_form->data()->QueryPersonel->fieldText("Birlestir"); }
    QStringList listed() const
    {
        QStringList names;
        const QAbstractItemModel *model = grid()->model();
        for (int row = 0; row < model->rowCount(); ++row)
            names << model->index(row, 0).data().toString();
        return names;
    }
    // Moves to the person as the user does: through the search box.
    void goTo(const QString &person)
    {
        edit3()->clear();
        typeText(edit3(), person);
        QCOMPARE(current(), person);
        waitIdle();
    }

private Q_SLOTS:
    void initTestCase() { quietOffscreenWarnings(); }
    void init() { m_main = std::make_unique<MainWindowFixture>(kFixture); }
    void cleanup() { m_main.reset(); }

    void panelAtStart()
    {
        TForm1 *form = start();
        QCOMPARE(child<QLabel>(form, "LabelPersonelAra")->text(), QStringLiteral("PERSONEL ARA"));
        QCOMPARE(cbAra()->currentText(), QStringLiteral("Tümünü Göster"));
        QCOMPARE(cbAra()->count(), 5);
        QCOMPARE(cbAra()->itemText(1), QStringLiteral("Sendikasızları Göster"));
        QCOMPARE(cbAra()->itemText(4), QStringLiteral("HAK \"İŞ\" SEN"));
        QVERIFY(!cbAra()->isEditable());
        QCOMPARE(cbKan()->currentIndex(), -1);
        QCOMPARE(cbKan()->placeholderText(), QStringLiteral("Kan Grubu"));
        QCOMPARE(cbKan()->count(), 8);
        QCOMPARE(cbKan()->itemText(4), QStringLiteral("0 Rh +"));
        QVERIFY(!cbKan()->isEditable());
        QCOMPARE(edit3()->statusTip(), QStringLiteral("Arama..."));
        QCOMPARE(child<QToolButton>(form, "SpeedButton3")->statusTip(),
                 QStringLiteral("Arama kutusunu temizle..."));
        QCOMPARE(child<QPushButton>(form, "BitBtn13")->statusTip(),
                 QStringLiteral("Aktif üye için üyelik iptali formu..."));
        QCOMPARE(child<QPushButton>(form, "BitBtn14")->text(), QStringLiteral("Kan G. Listesi"));
        QCOMPARE(cbKan()->statusTip(), QStringLiteral("Kan grubuna göre filtre..."));
        QCOMPARE(grid()->model()->headerData(0, Qt::Horizontal).toString(),
                 QStringLiteral(" ADI SOYADI"));
        QCOMPARE(grid()->columnWidth(0), 197);
        QCOMPARE(sorted(listed()), sorted(kEverybody));

        auto *tabs = child<QTabBar>(form, "TabSet1");
        auto *pages = child<QStackedWidget>(form, "Notebook1");
        QCOMPARE(tabs->count(), 4);
        QCOMPARE(tabs->tabText(3), QStringLiteral(" Medeni Durum/Eş Bilgileri "));
        QCOMPARE(tabs->currentIndex(), 0);
        QCOMPARE(pages->currentIndex(), 0);
        QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->tabRect(2).center());
        QCOMPARE(pages->currentIndex(), 2);

        // Nothing typed: the clear button waits for text.
        QVERIFY(!enabled("SpeedButton3"));
        QVERIFY(enabled("Edit3"));
    }

    void searchKeys_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QStringList>("currentAfterEachKey");
        QTest::newRow("dotless i") << "ış"
                                   << "IŞ" << QStringList{"IŞIK DEMİR", "IŞIK DEMİR"};
        QTest::newRow("dotted i") << "il"
                                  << "İL" << QStringList{"İLKER ÜNAL", "İLKER ÜNAL"};
        QTest::newRow("ç is not c") << "ça"
                                    << "ÇA" << QStringList{"ÇAĞLA ÜNAL", "ÇAĞLA ÜNAL"};
        QTest::newRow("c is not ç") << "c"
                                    << "C" << QStringList{"CEM AY"};
        QTest::newRow("ö") << "ö"
                           << "Ö" << QStringList{"ÖMER IŞIK"};
        QTest::newRow("ş") << "şe"
                           << "ŞE" << QStringList{"ŞEYMA KAYA", "ŞEYMA KAYA"};
        QTest::newRow("first full name")
            << "ali ş"
            << "ALİ Ş" << QStringList{"ALİ AK", "ALİ AK", "ALİ AK", "ALİ AK", "ALİ ŞEN"};
        QTest::newRow("letter by letter") << "is"
                                          << "İS" << QStringList{"İLKER ÜNAL", "İSMAİL ÇAKIR"};
    }
    void searchKeys()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QStringList, currentAfterEachKey);
        start();
        const int rows = grid()->model()->rowCount();
        for (int i = 0; i < typed.size(); ++i) {
            typeText(edit3(), typed.mid(i, 1));
            QCOMPARE(current(), currentAfterEachKey[i]);
        }
        QCOMPARE(edit3()->text(), shown);
        // The list is not narrowed; the current row is the grid's selected row.
        QCOMPARE(grid()->model()->rowCount(), rows);
        const int row = m_form->data()->QueryPersonel->recNo() - 1;
        QCOMPARE(grid()->model()->index(row, 0).data(Qt::BackgroundRole).value<QColor>(),
                 QColor(Qt::black));
        waitIdle();
        QVERIFY(enabled("SpeedButton3"));
        QTest::mouseClick(child<QToolButton>(m_form, "SpeedButton3"), Qt::LeftButton);
        QCOMPARE(edit3()->text(), QString());
        QCOMPARE(current(), currentAfterEachKey.last()); // emptying the box moves nothing
    }

    void searchWithoutMatch_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("one letter too many") << "ali"
                                             << "x"
                                             << "ALİX";
        QTest::newRow("w stays lower case") << ""
                                            << "w"
                                            << "w";
        QTest::newRow("nobody with Ü") << "ç"
                                       << "ü"
                                       << "ÇÜ";
    }
    void searchWithoutMatch()
    {
        QFETCH(QString, before);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        start();
        typeText(edit3(), before);
        const QString person = current();
        Answers ok({"TAMAM"});
        typeText(edit3(), typed);
        QVERIFY(ok.done());
        QCOMPARE(ok.text(), kNoMatch);
        QCOMPARE(ok.title(), QStringLiteral("Bilgi"));
        QCOMPARE(edit3()->text(), shown);
        QCOMPARE(current(), person);
        QCOMPARE(grid()->model()->rowCount(), kEverybody.size());
    }

    void unionFilter_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("without a union")
            << "Sendikasızları Göster" << QStringList{"İSMAİL ÇAKIR", "İLKER ÜNAL"};
        QTest::newRow("whole name only")
            << "EĞİTİM SEN" << QStringList{"ALİ AK", "IŞIL ÖZ", "ÖMER IŞIK"};
        QTest::newRow("first union")
            << "TÜRK EĞİTİM SEN" << QStringList{"ALİ ŞEN", "IŞIK DEMİR", "ÇAĞLA ÜNAL", "CEM AY"};
    }
    void unionFilter()
    {
        QFETCH(QString, item);
        QFETCH(QStringList, expected);
        TForm1 *form = start();
        QAbstractItemModelTester tester(grid()->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(pick(cbKan(), "B Rh +"));
        typeText(edit3(), "i");
        QCOMPARE(edit3()->text(), QStringLiteral("İ"));

        QVERIFY(pick(cbAra(), item));
        QCOMPARE(sorted(listed()), sorted(expected));
        QCOMPARE(cbAra()->currentText(), item);
        QCOMPARE(edit3()->text(), QString());
        QCOMPARE(cbKan()->currentIndex(), -1); // "Kan Grubu" again
        QCOMPARE(form->labelPersonel()->text(), QString::number(expected.size()));
        QCOMPARE(form->statusPanel(2)->text(),
                 QStringLiteral(" Toplam Kayıtlı Personel: %1").arg(expected.size()));
        QCOMPARE(form->data()->QueryPersonel->recNo(), 1);
    }

    void bloodGroupOverAllUnions()
    {
        start();
        QAbstractItemModelTester tester(grid()->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(pick(cbKan(), "0 Rh +"));
        QCOMPARE(sorted(listed()),
                 sorted({"ALİ ŞEN", "IŞIL ÖZ", "İSMAİL ÇAKIR", "ÇAĞLA ÜNAL", "ŞEYMA KAYA"}));
        QCOMPARE(cbAra()->currentIndex(), -1);
        QCOMPARE(cbAra()->placeholderText(), QStringLiteral("..."));
        QCOMPARE(cbKan()->currentText(), QStringLiteral("0 Rh +"));

        // "..." stands for all unions.
        QVERIFY(pick(cbKan(), "A Rh +"));
        QCOMPARE(sorted(listed()), sorted({"ALİ AK", "IŞIK DEMİR"}));
        QCOMPARE(cbAra()->currentIndex(), -1);
        QCOMPARE(m_form->labelPersonel()->text(), QStringLiteral("2"));
    }

    void bloodGroupWithinAUnion_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("union") << "TÜRK EĞİTİM SEN"
                               << "0 Rh +" << QStringList{"ALİ ŞEN", "ÇAĞLA ÜNAL"};
        QTest::newRow("second union") << "EĞİTİM SEN"
                                      << "A Rh +" << QStringList{"ALİ AK"};
        QTest::newRow("without a union") << "Sendikasızları Göster"
                                         << "0 Rh +" << QStringList{"İSMAİL ÇAKIR"};
    }
    void bloodGroupWithinAUnion()
    {
        QFETCH(QString, item);
        QFETCH(QString, group);
        QFETCH(QStringList, expected);
        start();
        QAbstractItemModelTester tester(grid()->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(pick(cbAra(), item));
        QVERIFY(pick(cbKan(), group));
        QCOMPARE(sorted(listed()), sorted(expected));
        QCOMPARE(cbAra()->currentText(), item);
        QCOMPARE(m_form->data()->QueryPersonel->sqlLines().size(), 3);

        QVERIFY(pick(cbAra(), "Tümünü Göster"));
        QCOMPARE(sorted(listed()), sorted(kEverybody));
        QCOMPARE(cbKan()->currentIndex(), -1);
        QCOMPARE(m_form->labelPersonel()->text(), QString::number(kEverybody.size()));
    }

    void filterMatchingNobody_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("group");
        // A double quote in the name is just text to the filter.
        QTest::newRow("union without members") << "HAK \"İŞ\" SEN"
                                               << "";
        QTest::newRow("union and blood group") << "EĞİTİM SEN"
                                               << "B Rh -";
    }
    void filterMatchingNobody()
    {
        QFETCH(QString, item);
        QFETCH(QString, group);
        TForm1 *form = start();
        QAbstractItemModelTester tester(grid()->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        goTo("ALİ ŞEN");
        QVERIFY(enabled("BitBtn13"));
        {
            Answers ok({"TAMAM"});
            QVERIFY(pick(cbAra(), item));
            QCOMPARE(ok.done(), group.isEmpty());
            if (group.isEmpty())
                QCOMPARE(ok.text(), kNoMatch);
        }
        if (!group.isEmpty()) {
            Answers ok({"TAMAM"});
            QVERIFY(pick(cbKan(), group));
            QVERIFY(ok.done());
            QCOMPARE(ok.text(), kNoMatch);
        }
        QVERIFY(form->data()->QueryPersonel->isOpen());
        QCOMPARE(grid()->model()->rowCount(), 0);
        QCOMPARE(form->labelPersonel()->text(), QStringLiteral("0"));
        QCOMPARE(form->statusPanel(2)->text(), QStringLiteral(" Toplam Kayıtlı Personel: 0"));
        QCOMPARE(value("unvani"), QString());
        QCOMPARE(value("sendikasi"), QString());
        waitIdle();
        for (const char *name : {"BitBtn6", "BitBtn14", "BitBtn7", "BitBtn12", "BitBtn13", "Edit3"})
            QVERIFY2(!enabled(name), name);
        QVERIFY(!shown("GroupHakkinda"));

        // "Personel Ara" lists everybody again; the filters keep what they show.
        QTest::mouseClick(child<QPushButton>(form, "BitBtn2"), Qt::LeftButton);
        waitIdle();
        QCOMPARE(grid()->model()->rowCount(), kEverybody.size());
        QCOMPARE(cbAra()->currentText(), item);
        QCOMPARE(cbKan()->currentText(), group);
        for (const char *name : {"BitBtn6", "BitBtn14", "BitBtn7", "Edit3"})
            QVERIFY2(enabled(name), name);
    }

    void personelAraKeepsTheFilters()
    {
        TForm1 *form = start();
        QVERIFY(pick(cbKan(), "0 Rh +"));
        typeText(edit3(), "ç");
        QCOMPARE(current(), QStringLiteral("ÇAĞLA ÜNAL"));
        QTest::mouseClick(child<QPushButton>(form, "BitBtn2"), Qt::LeftButton);
        QCOMPARE(edit3()->text(), QString());
        QCOMPARE(cbAra()->currentIndex(), -1);
        QCOMPARE(cbKan()->currentText(), QStringLiteral("0 Rh +"));
        QCOMPARE(grid()->model()->rowCount(), kEverybody.size());
        QCOMPARE(form->data()->QueryPersonel->recNo(), 1);
    }

    void detailPages()
    {
        start();
        goTo("ALİ ŞEN");
        QCOMPARE(value("unvani"), QStringLiteral("ÖĞRETMEN"));
        QCOMPARE(value("unvan_kodu"), QStringLiteral("1001"));
        QCOMPARE(value("bransi"), QStringLiteral("MATEMATİK"));
        QCOMPARE(value("hizmet_yili"), QStringLiteral("12"));
        QCOMPARE(value("calistigi_il"), QStringLiteral("ANKARA"));
        QCOMPARE(value("ilcesi"), QStringLiteral("ÇANKAYA"));
        QCOMPARE(value("isyeri_tel"), QStringLiteral("3124440000"));
        QCOMPARE(value("calistigi_kurum"), QStringLiteral("ATATÜRK İLKOKULU"));
        QCOMPARE(value("kurum_adresi"), QStringLiteral("ATATÜRK CAD. NO 1"));
        QCOMPARE(value("sendikasi"), QStringLiteral("TÜRK EĞİTİM SEN"));
        QCOMPARE(value("sendika_kayit_tarihi"), QStringLiteral("01.09.2010"));
        QCOMPARE(value("sendika_adresi"), QStringLiteral("ANKARA"));
        QCOMPARE(value("kan_grubu"), QStringLiteral("0 Rh +"));
        QVERIFY(child<QLabel>(m_form, "DBText_kan_grubu")->font().bold());
        QCOMPARE(value("tc_kimlik"), QStringLiteral("12345678901"));
        QCOMPARE(value("dogum_yeri"), QStringLiteral("SİVAS"));
        QCOMPARE(value("ogrenim_durumu"), QStringLiteral("LİSANS"));
        QCOMPARE(value("cep_tel"), QStringLiteral("5321112233"));
        QCOMPARE(value("isyeri_tel2"), QStringLiteral("3124440000"));
        QCOMPARE(value("ev_adresi"), QStringLiteral("GÜL SOK. 4"));
        QCOMPARE(value("medeni_durumu"), QStringLiteral("EVLİ"));
        QCOMPARE(value("esinin_meslegi"), QStringLiteral("HEMŞİRE"));
        QCOMPARE(child<QPlainTextEdit>(m_form, "DBMemoHakkinda")->toPlainText(),
                 QStringLiteral("Aidatını elden ödüyor."));
        QVERIFY(child<QPlainTextEdit>(m_form, "DBMemoHakkinda")->isReadOnly());
        QCOMPARE(child<QGroupBox>(m_form, "GroupHakkinda")->title(),
                 QStringLiteral(" Hakkındaki Notlar "));

        // The values follow a change of the current row made elsewhere.
        Dataset *personel = m_form->data()->QueryPersonel;
        personel->edit();
        personel->setFieldText("unvani", "MÜDÜR");
        personel->post();
        QCOMPARE(value("unvani"), QStringLiteral("MÜDÜR"));
    }

    void detailRules_data()
    {
        QTest::addColumn<QString>("person");
        QTest::addColumn<bool>("branchSlash");
        QTest::addColumn<bool>("districtSlash");
        QTest::addColumn<bool>("notes");
        QTest::addColumn<bool>("red");
        QTest::addColumn<bool>("membershipForm");
        QTest::addColumn<bool>("resignationForm");
        QTest::newRow("member with all details")
            << "ALİ ŞEN" << true << true << true << false << false << true;
        QTest::newRow("member without years and district")
            << "ALİ AK" << false << false << false << false << false << true;
        QTest::newRow("in no union")
            << "İSMAİL ÇAKIR" << false << false << false << true << true << false;
        QTest::newRow("union never set")
            << "ŞEYMA KAYA" << false << false << false << false << true << false;
    }
    void detailRules()
    {
        QFETCH(QString, person);
        QFETCH(bool, branchSlash);
        QFETCH(bool, districtSlash);
        QFETCH(bool, notes);
        QFETCH(bool, red);
        QFETCH(bool, membershipForm);
        QFETCH(bool, resignationForm);
        start();
        goTo(person);
        QCOMPARE(shown("LabelBransAyrac"), branchSlash);
        QCOMPARE(shown("LabelIlAyrac"), districtSlash);
        QCOMPARE(shown("GroupHakkinda"), notes);
        QCOMPARE(child<QLabel>(m_form, "DBText_sendikasi")->palette().color(QPalette::WindowText),
                 red ? QColor(Qt::red) : QColor(Qt::black));
        QCOMPARE(enabled("BitBtn12"), membershipForm);
        QCOMPARE(enabled("BitBtn13"), resignationForm);
        for (const char *name : {"BitBtn6", "BitBtn14", "BitBtn7"})
            QVERIFY2(enabled(name), name);
    }

    void unionColours()
    {
        start();
        const QColor kayitsiz(200, 0, 0), first(0, 0, 200), second(0, 128, 0);
        m_form->settings().colours[0] = colourToWin(kayitsiz);
        m_form->settings().colours[1] = colourToWin(first);
        m_form->settings().colours[2] = colourToWin(second);
        const QHash<QString, QColor> byUnion = {
            {"<<< KAYITSIZ >>>", kayitsiz}, {"TÜRK EĞİTİM SEN", first}, {"EĞİTİM SEN", second}};
        Dataset *personel = m_form->data()->QueryPersonel;
        const int unionField = personel->fieldIndex("sendikasi");
        const QAbstractItemModel *model = grid()->model();
        const int currentRow = personel->recNo() - 1;
        for (int row = 0; row < model->rowCount(); ++row) {
            const QColor text = model->index(row, 0).data(Qt::ForegroundRole).value<QColor>();
            if (row == currentRow) {
                QCOMPARE(text, QColor(Qt::yellow));
                QCOMPARE(model->index(row, 0).data(Qt::BackgroundRole).value<QColor>(),
                         QColor(Qt::black));
                continue;
            }
            const QColor expected =
                byUnion.value(personel->textAt(row, unionField), QColor(Qt::black));
            QCOMPARE(text, expected);
        }
        // The selection colours win over the union colour.
        goTo("İSMAİL ÇAKIR");
        const int row = personel->recNo() - 1;
        QCOMPARE(model->index(row, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::yellow));
    }

    void alternateRowBackgrounds()
    {
        start();
        const QAbstractItemModel *model = grid()->model();
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, Qt::NoModifier,
                          grid()->visualRect(model->index(2, 0)).center());
        QCOMPARE(m_form->data()->QueryPersonel->recNo(), 3);
        auto background = [model](int row) {
            return model->index(row, 0).data(Qt::BackgroundRole).value<QColor>();
        };
        QCOMPARE(background(0), QColor(244, 242, 242));
        QCOMPARE(background(1), QColor(Qt::white));
        QCOMPARE(background(2), QColor(Qt::black));
        QCOMPARE(background(3), QColor(Qt::white));
        QCOMPARE(background(4), QColor(244, 242, 242));
        QCOMPARE(value("sendikasi"), m_form->data()->QueryPersonel->fieldText("sendikasi"));
    }
};

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    TestMemberBrowser test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_memberbrowser.moc"

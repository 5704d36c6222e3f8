// The unit browser in the real main window: searches, the staff list following the
// current unit, sorting by title, colours, keys and the delete rule of the unit grid.

#include "app/application.h"
#include "app/tform1.h"
#include "toolkit/tsrdbgrid.h"
#include "app/unitbrowser.h"
#include "data/sharedqueries.h"
#include "testsupport.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

namespace {

const QStringList kFixture = {
    "INSERT INTO sabit (Kurum_Adi, sendikasi) VALUES ('MEB', 'EĞİTİM BİR SEN')",
    "INSERT INTO yetkili (yetkili_adi) VALUES ('AYŞE KAYA')",
    "INSERT INTO sendikalar (sendikalar) VALUES ('EĞİTİM BİR SEN')",
    "INSERT INTO sendikalar (sendikalar) VALUES ('TÜRK EĞİTİM SEN')",
    "INSERT INTO sendikalar (sendikalar) VALUES ('EĞİTİM SEN')",
    "INSERT INTO sendikalar (sendikalar) VALUES ('EĞİTİM İŞ')",
    "INSERT INTO sendikalar (sendikalar) VALUES ('AKTİF EĞİTİM SEN')",
    "INSERT INTO sendikalar (sendikalar) VALUES ('ALTINCI SEN')",
    // SiraNo 1..4; listed by name: ÇAMLICA, GAZİ, IŞIKLAR, İNÖNÜ
    "INSERT INTO okul (okul_adi, okul_muduru) VALUES ('GAZİ LİSESİ', 'ZEKİ ÖZ')",
    "INSERT INTO okul (okul_adi, okul_muduru) VALUES ('ÇAMLICA İLKOKULU', 'ALİ CAN')",
    "INSERT INTO okul (okul_adi, okul_muduru) VALUES ('İNÖNÜ ORTAOKULU', 'MERT AY')",
    "INSERT INTO okul (okul_adi, okul_muduru) VALUES ('IŞIKLAR ORTAOKULU', 'CEM ŞEN')",
    "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir, sendikasi, kan_grubu) VALUES "
    "(2, 'HASAN', 'ÇELİK', 'HASAN ÇELİK', 'EĞİTİM BİR SEN', 'A Rh +'), "
    "(2, 'ELİF', 'AK', 'ELİF AK', 'EĞİTİM SEN', '0 Rh +'), "
    "(1, 'ZEYNEP', 'KOÇ', 'ZEYNEP KOÇ', 'EĞİTİM BİR SEN', 'A Rh +'), "
    "(1, 'ÖMER', 'ŞAHİN', 'ÖMER ŞAHİN', '<<< KAYITSIZ >>>', 'B Rh -'), "
    "(1, 'İSMAİL', 'EREN', 'İSMAİL EREN', 'ALTINCI SEN', 'A Rh -'), "
    "(1, 'CAN', 'ER', 'CAN ER', NULL, 'AB Rh +')",
};

} // namespace

class TestUnitBrowser : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> m_main;
    TForm1 *m_form = nullptr;
    Dataset *okul = nullptr;
    Dataset *uye = nullptr;

    QLineEdit *edit(const char *name) { return child<QLineEdit>(m_form, name); }
    TSrDBGrid *grid(const char *name) { return child<TSrDBGrid>(m_form, name); }
    void selectUnit(const QString &name)
    {
        QVERIFY(okul->locate("okul_adi", name));
    }
    void clickTitle(TSrDBGrid *g, int column)
    {
        QHeaderView *header = g->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    }

private Q_SLOTS:
    void initTestCase() { quietOffscreenWarnings(); }
    void init()
    {
        m_main = std::make_unique<MainWindowFixture>(kFixture);
        m_form = m_main->start(MainWindowFixture::Windows::MainOnly);
        m_main->click("BitBtn1");
        okul = m_form->data()->QueryOkul;
        uye = m_form->data()->Query_Uye;
    }
    void cleanup() { m_main.reset(); }

    void unitListInTurkishOrderWithCounts()
    {
        QCOMPARE(columnOf(*okul, "okul_adi"),
                 QStringList({"ÇAMLICA İLKOKULU", "GAZİ LİSESİ", "IŞIKLAR ORTAOKULU", "İNÖNÜ ORTAOKULU"}));
        QCOMPARE(m_form->statusPanel(0)->text(), QStringLiteral(" Kayıtlı Birim: 4"));
        QCOMPARE(m_form->statusPanel(1)->text(), QStringLiteral(" Birim/Personel Sayısı: 2"));
        QCOMPARE(child<QLineEdit>(m_form, "DBEditBirim_okul_adi")->text(), QStringLiteral("ÇAMLICA İLKOKULU"));
    }

    // The detail boxes are narrower than a long name or address: they show its start, as
    // the user reads, after every move and every refresh of the row.
    void detailBoxesShowTheStartOfLongValues()
    {
        const QString name = QStringLiteral("MEHMET AKİF ERSOY MESLEKİ VE TEKNİK ANADOLU LİSESİ");
        const QString address = QStringLiteral("ŞEHİT ÖĞRETMEN AHMET YILMAZ MAHALLESİ, CUMHURİYET BULVARI "
                                               "NO 123/4, YENİMAHALLE / ANKARA");
        m_main->dir().exec(QStringLiteral("INSERT INTO okul (okul_adi, adresi) VALUES ('%1', '%2')").arg(name, address));
        okul->requery();
        auto *nameBox = child<QLineEdit>(m_form, "DBEditBirim_okul_adi");
        auto *addressBox = child<QLineEdit>(m_form, "DBEditBirim_adresi");
        QVERIFY(nameBox->fontMetrics().horizontalAdvance(name) > nameBox->width()); // it cannot all show
        for (const QString &unit : {QStringLiteral("MEHMET"), QStringLiteral("GAZİ"), QStringLiteral("MEHMET")}) {
            selectUnit(unit);
            waitIdle();
            QCOMPARE(nameBox->text(), okul->fieldText("okul_adi"));
            QCOMPARE(nameBox->cursorPosition(), 0);
            QCOMPARE(addressBox->cursorPosition(), 0);
        }
        // A change of the row elsewhere (a form's edit) is a refresh too.
        okul->edit();
        okul->setFieldText("ilcesi", "YENİMAH.");
        okul->cancel();
        QCOMPARE(nameBox->text(), name);
        QCOMPARE(nameBox->cursorPosition(), 0);
        QCOMPARE(addressBox->text(), address);
        QCOMPARE(addressBox->cursorPosition(), 0);
    }

    void typingNarrowsTheUnitsAtEachKeystroke()
    {
        typeText(edit("Edit1"), "ı");
        QCOMPARE(edit("Edit1")->text(), QStringLiteral("I"));
        QCOMPARE(columnOf(*okul, "okul_adi"), QStringList({"IŞIKLAR ORTAOKULU"}));
        QCOMPARE(m_form->statusPanel(0)->text(), QStringLiteral(" Kayıtlı Birim: 1"));
        QCOMPARE(columnOf(*uye, "adi"), QStringList()); // IŞIKLAR has no staff

        Answers ok({"TAMAM"});
        QTest::keyClicks(edit("Edit1"), "x");
        QVERIFY(ok.done());
        QCOMPARE(ok.text(), QStringLiteral("Aradığınız kriterlere uygun birim kaydı bulunamadı."));
        QCOMPARE(edit("Edit1")->text(), QString());
        QCOMPARE(okul->recordCount(), 4);
        QCOMPARE(okul->fieldText("okul_adi"), QStringLiteral("ÇAMLICA İLKOKULU"));
    }

    // After "not found" the box is empty and the user types on in it, as before the message.
    void typingGoesOnAfterNotFound_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("next");
        QTest::newRow("units") << "Edit1"
                               << "GAZİ"
                               << "Aradığınız kriterlere uygun birim kaydı bulunamadı."
                               << "g";
        QTest::newRow("staff") << "Edit2"
                               << "GAZİ"
                               << "Aradığınız kriterlere uygun personel bulunamadı."
                               << "z";
    }
    void typingGoesOnAfterNotFound()
    {
        QFETCH(QString, box);
        QFETCH(QString, unit);
        QFETCH(QString, message);
        QFETCH(QString, next);
        selectUnit(unit);
        QLineEdit *search = edit(qPrintable(box));
        m_form->activateWindow();
        search->setFocus(Qt::MouseFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), search);
        {
            Answers ok({"TAMAM"});
            typeText(QApplication::focusWidget(), "x");
            QVERIFY(ok.done());
            QCOMPARE(ok.text(), message);
        }
        QCOMPARE(search->text(), QString());
        m_form->activateWindow(); // the main window again, once the message has gone
        QTRY_COMPARE(QApplication::focusWidget(), search);
        typeText(QApplication::focusWidget(), next);
        QCOMPARE(search->text(), next.toUpper());
    }

    void searchByHead()
    {
        auto *criterion = child<QComboBox>(m_form, "ComboBox1");
        criterion->setCurrentIndex(1);
        QTest::keyClicks(edit("Edit1"), "m");
        QCOMPARE(columnOf(*okul, "okul_muduru"), QStringList({"MERT AY"}));
    }

    void typedTextIsNeverPartOfTheStatement_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("double quote") << "\"";
        QTest::newRow("column name") << "okul_adi";
        QTest::newRow("quote and or") << "' OR 1=1 --";
    }
    void typedTextIsNeverPartOfTheStatement()
    {
        QFETCH(QString, typed);
        Answers ok({"TAMAM"});
        edit("Edit1")->setText(typed);
        QVERIFY(ok.done());
        QCOMPARE(ok.text(), QStringLiteral("Aradığınız kriterlere uygun birim kaydı bulunamadı."));
        QCOMPARE(okul->recordCount(), 4);
    }

    void percentStaysAWildcard()
    {
        edit("Edit1")->setText("%OKULU");
        QCOMPARE(columnOf(*okul, "okul_adi"),
                 QStringList({"ÇAMLICA İLKOKULU", "İNÖNÜ ORTAOKULU", "IŞIKLAR ORTAOKULU"}));
    }

    void staffSearchFollowsTheCurrentUnit()
    {
        selectUnit("ÇAMLICA");
        child<QComboBox>(m_form, "ComboBox2")->setCurrentIndex(1);
        typeText(edit("Edit2"), "eğitim b");
        QCOMPARE(edit("Edit2")->text(), QStringLiteral("EĞİTİM B"));
        QCOMPARE(columnOf(*uye, "Birlestir"), QStringList({"HASAN ÇELİK"}));
        selectUnit("GAZİ");
        QCOMPARE(columnOf(*uye, "Birlestir"), QStringList({"ZEYNEP KOÇ"}));
        QCOMPARE(m_form->statusPanel(1)->text(), QStringLiteral(" Birim/Personel Sayısı: 1"));

        // A new member while the search is active still belongs to the current unit.
        uye->append();
        uye->setFieldText("adi", "YENİ");
        uye->post();
        QCOMPARE(m_form->data()->staffCountOfUnit(okul->value("SiraNo")), 5);
    }

    void staffWithoutUnionCriterion_data()
    {
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<bool>("message");
        QTest::newRow("everybody in a union") << "ÇAMLICA" << QStringList({"ELİF AK", "HASAN ÇELİK"}) << true;
        QTest::newRow("one without") << "GAZİ" << QStringList({"ÖMER ŞAHİN"}) << false;
    }
    void staffWithoutUnionCriterion()
    {
        QFETCH(QString, unit);
        QFETCH(QStringList, listed);
        QFETCH(bool, message);
        selectUnit(unit);
        Answers ok({"TAMAM"});
        auto *criterion = child<QComboBox>(m_form, "ComboBox2");
        criterion->setCurrentIndex(3);
        Q_EMIT criterion->activated(3);
        QCOMPARE(ok.done(), message);
        if (message)
            QCOMPARE(ok.text(), QStringLiteral("Aradığınız kriterlere uygun personel bulunamadı."));
        QCOMPARE(columnOf(*uye, "Birlestir"), listed);
    }

    void unitWithoutStaffDisablesTheStaffSearch()
    {
        selectUnit("İNÖNÜ");
        QVERIFY(!edit("Edit2")->isEnabled());
        QVERIFY(!child<QComboBox>(m_form, "ComboBox2")->isEnabled());
        QVERIFY(!child<QPushButton>(m_form, "BitBtn11")->isEnabled());
        selectUnit("GAZİ");
        QVERIFY(edit("Edit2")->isEnabled());
        QVERIFY(child<QPushButton>(m_form, "BitBtn11")->isEnabled());
    }

    void clearButtonsFollowTheirBoxes()
    {
        QTest::keyClicks(edit("Edit1"), "g");
        waitIdle();
        auto *clear = child<QWidget>(m_form, "SpeedButton1");
        QVERIFY(clear->isEnabled());
        QTest::mouseClick(clear, Qt::LeftButton);
        QCOMPARE(edit("Edit1")->text(), QString());
        QCOMPARE(okul->recordCount(), 4);
        waitIdle();
        QVERIFY(!clear->isEnabled());
    }

    // A wait that processes events but never blocks (as QTest::qWait does) still sees the
    // states the rules give: after input at once, after any other change within the pulse.
    void rulesHoldDuringWaitsThatNeverBlock()
    {
        auto *clear = child<QWidget>(m_form, "SpeedButton1");
        QTest::qWait(150);
        QVERIFY(!clear->isEnabled());
        QTest::keyClicks(edit("Edit1"), "g");
        QTest::qWait(1);
        QVERIFY(clear->isEnabled());
        edit("Edit1")->clear();
        QTRY_VERIFY_WITH_TIMEOUT(!clear->isEnabled(), 1000);
    }

    void titleClicksCycleTheSort()
    {
        TSrDBGrid *units = grid("SrDBGrid2");
        selectUnit("GAZİ");
        const QStringList ascending = {"ÇAMLICA İLKOKULU", "GAZİ LİSESİ", "IŞIKLAR ORTAOKULU", "İNÖNÜ ORTAOKULU"};
        QStringList descending = ascending;
        std::reverse(descending.begin(), descending.end());
        const QList<QPair<QString, QStringList>> clicks = {{"okul_adi ASC", ascending},
                                                           {"okul_adi DESC", descending},
                                                           {"okul_adi ASC", ascending}};
        for (const auto &[sort, order] : clicks) {
            clickTitle(units, 0);
            QCOMPARE(okul->sort(), sort);
            QCOMPARE(columnOf(*okul, "okul_adi"), order);
            QCOMPARE(okul->fieldText("okul_adi"), QStringLiteral("GAZİ LİSESİ")); // current stays current
        }
        auto *model = units->datasetModel();
        QCOMPARE(model->headerData(0, Qt::Horizontal, Qt::BackgroundRole).value<QColor>(), QColor(128, 128, 128));
        QVERIFY(model->headerData(0, Qt::Horizontal, Qt::FontRole).value<QFont>().bold());

        clickTitle(units, 1);
        QCOMPARE(okul->sort(), QStringLiteral("okul_muduru ASC"));
        QCOMPARE(columnOf(*okul, "okul_muduru"), QStringList({"ALİ CAN", "CEM ŞEN", "MERT AY", "ZEKİ ÖZ"}));
        QCOMPARE(model->headerData(0, Qt::Horizontal, Qt::BackgroundRole).value<QColor>(), QColor(192, 192, 192));
        QVERIFY(!model->headerData(0, Qt::Horizontal, Qt::FontRole).value<QFont>().bold());
        QVERIFY(model->headerData(1, Qt::Horizontal, Qt::FontRole).value<QFont>().bold());

        // A new search drops the sort and keeps the mark.
        QTest::keyClicks(edit("Edit1"), "i");
        QCOMPARE(okul->sort(), QString());
        QCOMPARE(units->markedColumn(), 1);
    }

    // What the title row paints, not only what the model says: silver titles, the sorted
    // column's title bold on grey; the pointing hand only where a title click sorts.
    void titlesArePaintedInTheirColours()
    {
        TSrDBGrid *units = grid("SrDBGrid2");
        QHeaderView *header = units->horizontalHeader();
        // A point of a title's own ground, right of its text.
        auto ground = [&](int column) {
            const QImage image = header->grab().toImage();
            return QColor(image.pixel(header->sectionViewportPosition(column) + header->sectionSize(column) - 8,
                                      header->height() / 2));
        };
        // Dark pixels of a title: its text's ink.
        auto ink = [&](int column) {
            const QImage image = header->grab().toImage();
            int dark = 0;
            for (int x = header->sectionViewportPosition(column); x < header->sectionViewportPosition(column) + 80; ++x)
                for (int y = 2; y < header->height() - 2; ++y)
                    dark += qGray(image.pixel(x, y)) < 60;
            return dark;
        };
        QCOMPARE(ground(0), QColor(192, 192, 192));
        QCOMPARE(ground(1), QColor(192, 192, 192));
        const int normalInk = ink(0);
        QVERIFY(normalInk > 0);
        clickTitle(units, 0);
        QCOMPARE(ground(0), QColor(128, 128, 128));
        QCOMPARE(ground(1), QColor(192, 192, 192));
        QVERIFY2(ink(0) > normalInk, "the sorted column's title is bold");
        clickTitle(units, 1);
        QCOMPARE(ground(0), QColor(192, 192, 192));
        QCOMPARE(ink(0), normalInk);
        QCOMPARE(ground(1), QColor(128, 128, 128));

        QCOMPARE(header->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(grid("SrDBGrid1")->horizontalHeader()->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(grid("SrDBGrid3")->horizontalHeader()->cursor().shape(), Qt::ArrowCursor);
    }

    void staffRowsInTheirUnionsColours()
    {
        selectUnit("GAZİ");
        m_form->settings().colours = {0x00FF00, 0x0000FF, 0x00AA00, 0xFF0000, 0x111111, 0x222222};
        TSrDBGrid *staff = grid("SrDBGrid1");
        auto *model = staff->datasetModel();
        QCOMPARE(columnOf(*uye, "Birlestir"), QStringList({"CAN ER", "İSMAİL EREN", "ÖMER ŞAHİN", "ZEYNEP KOÇ"}));
        auto text = [&](int row) { return model->data(model->index(row, 0), Qt::ForegroundRole).value<QColor>(); };
        auto back = [&](int row) { return model->data(model->index(row, 0), Qt::BackgroundRole).value<QColor>(); };
        uye->last(); // ZEYNEP KOÇ is current: selection colours win
        QCOMPARE(text(0), QColor(Qt::black));           // no union value: matches nothing
        QCOMPARE(text(1), QColor(Qt::black));           // the sixth union has no slot
        QCOMPARE(text(2), QColor(0, 255, 0));           // "<<< KAYITSIZ >>>": slot 0 (0x00FF00)
        QCOMPARE(back(3), QColor(214, 223, 247));
        QCOMPARE(text(3), QColor(Qt::black));
        uye->first();
        QCOMPARE(text(3), QColor(255, 0, 0));           // first union: slot 1 (0x0000FF, red in the low byte)
        QCOMPARE(back(1), QColor(Qt::white));           // even record number
        QCOMPARE(back(2), QColor(244, 242, 242));       // odd record number
    }

    void gridKeysMoveTheCurrentRow()
    {
        TSrDBGrid *units = grid("SrDBGrid2");
        units->setFocus();
        QTest::keyClick(units, Qt::Key_Down);
        QCOMPARE(okul->recNo(), 2);
        QTest::keyClick(units, Qt::Key_Right);
        QCOMPARE(okul->recNo(), 3);
        QTest::keyClick(units, Qt::Key_Up);
        QCOMPARE(okul->recNo(), 2);
        QTest::keyClick(units, Qt::Key_End);
        QCOMPARE(okul->recNo(), 4);
        QTest::keyClick(units, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(okul->recNo(), 1);
        QTest::keyClick(units, Qt::Key_PageDown);
        QCOMPARE(okul->recNo(), 4);
        QTest::keyClick(units, Qt::Key_Insert);
        QCOMPARE(okul->recordCount(), 4);
        // The staff grid followed the unit.
        QCOMPARE(m_form->statusPanel(1)->text(), QStringLiteral(" Birim/Personel Sayısı: 0"));
    }

    void ctrlDeleteRefusesAUnitWithStaff()
    {
        selectUnit("GAZİ");
        TSrDBGrid *units = grid("SrDBGrid2");
        units->setFocus();
        {
            Answers boxes({"TAMAM", "TAMAM"}); // the confirmation, then the refusal
            QTest::keyClick(units, Qt::Key_Delete, Qt::ControlModifier);
            QCOMPARE(boxes.texts.value(0), QStringLiteral("Delete record?"));
            QTRY_VERIFY(boxes.done());
            QCOMPARE(boxes.texts.value(1), QStringLiteral("Silmek istediğiniz birime ait personel kayıtları var. "
                                                          "Önce personel kayıtlarını silmelisiniz!"));
        }
        QCOMPARE(okul->recordCount(), 4);

        selectUnit("İNÖNÜ");
        Answers again({"TAMAM"});
        QTest::keyClick(units, Qt::Key_Delete, Qt::ControlModifier);
        QVERIFY(again.done());
        QCOMPARE(okul->recordCount(), 3);
        okul->requery();
        QCOMPARE(okul->recordCount(), 3);
    }

    void ctrlDeleteCancelled()
    {
        selectUnit("İNÖNÜ");
        TSrDBGrid *units = grid("SrDBGrid2");
        units->setFocus();
        Answers cancel({"İptal"});
        QTest::keyClick(units, Qt::Key_Delete, Qt::ControlModifier);
        QVERIFY(cancel.done());
        QCOMPARE(okul->recordCount(), 4);
    }

    void modelStaysConsistentWhileSearching()
    {
        QAbstractItemModelTester units(grid("SrDBGrid2")->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QAbstractItemModelTester staff(grid("SrDBGrid1")->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QTest::keyClicks(edit("Edit1"), "ga");
        edit("Edit1")->clear();
        selectUnit("GAZİ");
        QTest::keyClicks(edit("Edit2"), "z");
        uye->append();
        uye->cancel();
        clickTitle(grid("SrDBGrid1"), 0);
    }
};

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    TestUnitBrowser test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_unitbrowser.moc"

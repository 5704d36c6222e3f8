// The unit entry form on the real main window: opened from the unit browser as the user
// opens it and driven key by key and click by click while it runs modally.

#include "app/application.h"
#include "app/tform1.h"
#include "toolkit/tsrdbgrid.h"
#include "app/unitbrowser.h"
#include "data/sharedqueries.h"
#include "entry/tkurumkayit.h"
#include "toolkit/dbedit.h"
#include "toolkit/recordactions.h"
#include "toolkit/warningsound.h"
#include "testserver.h"
#include "testsupport.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QMenu>
#include <QTest>
#include <QToolButton>
#include <memory>

namespace {

// Units listed by name: ATATÜRK'ÜN, ÇAMLICA, GAZİ, İNÖNÜ.
const QStringList kFixture = {
    "INSERT INTO sabit (Kurum_Adi, sendikasi, ili) VALUES ('MEB', 'EĞİTİM BİR SEN', 'ANKARA')",
    "INSERT INTO yetkili (yetkili_adi) VALUES ('AYŞE KAYA')",
    "INSERT INTO sendikalar (sendikalar, adresi) VALUES ('EĞİTİM BİR SEN', 'ANKARA')",
    "INSERT INTO okul (okul_adi, ili, ilcesi) VALUES ('GAZİ LİSESİ', 'İZMİR', 'KONAK')",             // 1
    "INSERT INTO okul (okul_adi, ili) VALUES ('ÇAMLICA İLKOKULU', 'BURSA')",                       // 2
    "INSERT INTO okul (okul_adi) VALUES ('İNÖNÜ ORTAOKULU')",                                      // 3
    "INSERT INTO okul (okul_adi) VALUES ('ATATÜRK''ÜN OKULU')",                                    // 4
    "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir) VALUES "
    "(1, 'ZEYNEP', 'KOÇ', 'ZEYNEP KOÇ'), (2, 'HASAN', 'ÇELİK', 'HASAN ÇELİK'), (2, 'ELİF', 'AK', 'ELİF AK')",
};

const QString kStaffRefusal = QStringLiteral("Silmek istediğiniz birime ait personel kayıtları var. "
                                             "Önce personel kayıtlarını silmelisiniz!");

} // namespace

class TestUnitForm : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> m_main;
    TForm1 *m_form = nullptr;
    TKurumKayit *f = nullptr;
    Dataset *okul = nullptr;
    Dataset *uye = nullptr;

    DBEdit *box(const char *name) { return child<DBEdit>(f, QLatin1String(name)); }
    QToolButton *tool(const char *name) { return child<QToolButton>(f, QLatin1String(name)); }

    // A double-click on the unit's row of the unit grid.
    std::function<void()> doubleClickOn(const QString &unit)
    {
        return [this, unit] {
            QVERIFY(okul->locate("okul_adi", unit));
            TSrDBGrid *grid = m_form->unitBrowser()->unitGrid();
            const QRect cell = grid->visualRect(grid->model()->index(okul->recNo() - 1, 0));
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        };
    }
    std::function<void()> newUnitFromTheBrowser()
    {
        return [this] { m_main->click("BitBtn4"); };
    }
    void closeForm() { QTest::mouseClick(child<QPushButton>(f, "BitBtn1"), Qt::LeftButton); }
    // Moves into "İl :" with Tab from the telephone box, as the user does.
    void tabIntoProvince()
    {
        box("DBEdit4")->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(box("DBEdit4"), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), box("DBEdit5"));
    }
    // What the table holds now, read back through a fresh statement.
    QStringList storedUnits()
    {
        okul->requery();
        return columnOf(*okul, "okul_adi");
    }
    QString storedProvince(const QString &unit)
    {
        okul->requery();
        return okul->locate("okul_adi", unit) ? okul->fieldText("ili") : QStringLiteral("<none>");
    }

private Q_SLOTS:
    void initTestCase() { quietOffscreenWarnings(); }
    void init()
    {
        m_main = std::make_unique<MainWindowFixture>(kFixture);
        m_form = m_main->start(MainWindowFixture::Windows::All);
        m_main->click("BitBtn1");
        f = m_form->findChild<TKurumKayit *>();
        QVERIFY(f);
        okul = m_form->data()->QueryOkul;
        uye = m_form->data()->Query_Uye;
    }
    void cleanup()
    {
        if (f && f->isVisible())
            f->hide();
        m_main.reset();
    }

    void formAsTheUserMeetsIt()
    {
        whileOpen(f, doubleClickOn("GAZİ"), [&] {
            QCOMPARE(f->windowTitle(), QStringLiteral("  Birim Kayıt"));
            QVERIFY(f->windowFlags() & Qt::Tool);
            const QStringList columns = {"okul_adi", "okul_muduru", "adresi", "telefonu", "ili", "ilcesi"};
            const QStringList captions = {"Birim Adı", "Birim Müdürü", "Birim Adresi", "Birim Telefonu", "İl",
                                          "İlçesi"};
            for (int i = 0; i < columns.size(); ++i) {
                DBEdit *edit = f->edit(i + 1);
                QCOMPARE(edit->field(), columns[i]);
                QCOMPARE(edit->accessibleName(), captions[i]);
            }
            QCOMPARE(box("DBEdit1")->text(), QStringLiteral("GAZİ LİSESİ"));
            QCOMPARE(box("DBEdit1")->characterLimit(), 50);
            QCOMPARE(box("DBEdit6")->characterLimit(), 10);
            QCOMPARE(box("DBEdit4")->inputMask(), DBEdit::phoneMask());
            QCOMPARE(tool("ToolButton1")->toolTip(), QStringLiteral("Yeni Birim Ekle"));
            QCOMPARE(tool("ToolButton2")->toolTip(), QStringLiteral("Kayıt Sil"));
            // Save and Cancel follow the state, the moves the position.
            RecordActions *actions = f->recordActions();
            QVERIFY(!actions->save()->isEnabled());
            QVERIFY(actions->first()->isEnabled());
            QVERIFY(actions->next()->isEnabled());
            closeForm();
            QVERIFY(!f->isVisible());
        });
    }

    // The grids' context menus open the entry forms once the forms are there.
    void contextMenusOpenTheForms()
    {
        auto item = [&](const char *menu, const QString &text) -> QAction * {
            for (QAction *action : child<QMenu>(m_form, menu)->actions())
                if (action->text() == text)
                    return action;
            qFatal("no menu item %s", qPrintable(text));
        };
        for (const QString &text : {QStringLiteral("Detayları Göster"), QStringLiteral("Yeni Birim Kaydı")})
            QVERIFY2(item("PopupKurum", text)->isEnabled(), qPrintable(text));
        for (const QString &text : {QStringLiteral("Detayları Göster"), QStringLiteral("Yeni Personel Kaydı")})
            QVERIFY2(item("PopupKisisel", text)->isEnabled(), qPrintable(text));

        whileOpen(f, [&] { item("PopupKurum", QStringLiteral("Yeni Birim Kaydı"))->trigger(); }, [&] {
            QCOMPARE(okul->state(), Dataset::State::Insert);
            QCOMPARE(box("DBEdit1")->text(), QString());
        });
    }

    void deleteRefusedWhileTheUnitHasStaff_data()
    {
        QTest::addColumn<QString>("search");
        QTest::newRow("staff listed") << QString();
        // A staff search in another unit leaves this unit's list empty, not its table rows.
        QTest::newRow("staff hidden by a search") << QStringLiteral("z");
    }
    void deleteRefusedWhileTheUnitHasStaff()
    {
        QFETCH(QString, search);
        if (!search.isEmpty()) {
            QVERIFY(okul->locate("okul_adi", "GAZİ"));
            typeText(child<QLineEdit>(m_form, "Edit2"), search);
            QCOMPARE(uye->recordCount(), 1);
        }
        QVERIFY(okul->locate("okul_adi", "ÇAMLICA"));
        QCOMPARE(uye->recordCount(), search.isEmpty() ? 2 : 0);

        Answers answers({"TAMAM"});
        whileOpen(f, doubleClickOn("ÇAMLICA"), [&] {
            QTest::mouseClick(tool("ToolButton2"), Qt::LeftButton);
            QCOMPARE(answers.count(), 1);
            QCOMPARE(answers.titles.at(0), QStringLiteral("Meltora"));
            QCOMPARE(answers.texts.at(0), kStaffRefusal);
            QCOMPARE(answers.icons.at(0), QMessageBox::NoIcon);
            QCOMPARE(okul->fieldText("okul_adi"), QStringLiteral("ÇAMLICA İLKOKULU"));
            closeForm();
        });
        QCOMPARE(storedUnits().size(), 4);
        QCOMPARE(m_form->data()->staffCountOfUnit(2), 2);
    }

    void deleteAsksWithTheQuotedName_data()
    {
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QStringList>("stored");
        const QString tail = QStringLiteral(" adlı birim ve tüm personeli silinecek. Onaylıyor musunuz?");
        QTest::newRow("confirmed") << "İNÖNÜ" << "Evet" << "'İNÖNÜ ORTAOKULU'" + tail
                                   << QStringList({"ATATÜRK'ÜN OKULU", "ÇAMLICA İLKOKULU", "GAZİ LİSESİ"});
        QTest::newRow("refused") << "İNÖNÜ" << "Hayır" << "'İNÖNÜ ORTAOKULU'" + tail
                                 << QStringList({"ATATÜRK'ÜN OKULU", "ÇAMLICA İLKOKULU", "GAZİ LİSESİ",
                                                 "İNÖNÜ ORTAOKULU"});
        QTest::newRow("quote in the name") << "ATATÜRK" << "Evet" << "'ATATÜRK''ÜN OKULU'" + tail
                                           << QStringList({"ÇAMLICA İLKOKULU", "GAZİ LİSESİ", "İNÖNÜ ORTAOKULU"});
    }
    void deleteAsksWithTheQuotedName()
    {
        QFETCH(QString, unit);
        QFETCH(QString, answer);
        QFETCH(QString, question);
        QFETCH(QStringList, stored);
        Answers answers({answer});
        whileOpen(f, doubleClickOn(unit), [&] {
            QTest::mouseClick(tool("ToolButton2"), Qt::LeftButton);
            QCOMPARE(answers.count(), 1);
            QCOMPARE(answers.titles.at(0), QStringLiteral("Dikkat !"));
            QCOMPARE(answers.icons.at(0), QMessageBox::Warning);
            QCOMPARE(answers.texts.at(0), question);
            closeForm();
        });
        QCOMPARE(storedUnits(), stored);
    }

    void deleteDiscardsAPendingNewRow()
    {
        Answers answers({"Evet"});
        whileOpen(f, newUnitFromTheBrowser(), [&] {
            QCOMPARE(okul->state(), Dataset::State::Insert);
            typeText(box("DBEdit2"), "ali can");
            QTest::mouseClick(tool("ToolButton2"), Qt::LeftButton);
            QCOMPARE(answers.texts.value(0),
                     QStringLiteral("'' adlı birim ve tüm personeli silinecek. Onaylıyor musunuz?"));
            QCOMPARE(okul->state(), Dataset::State::Browse);
            QCOMPARE(okul->recordCount(), 4);
            closeForm();
        });
        QCOMPARE(storedUnits().size(), 4);
    }

    void enteringTheProvinceTakesTheFixedOne_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("stored");
        QTest::newRow("saved") << "Evet" << "ANKARA";
        QTest::newRow("not saved") << "Hayır" << "İZMİR";
    }
    void enteringTheProvinceTakesTheFixedOne()
    {
        QFETCH(QString, answer);
        QFETCH(QString, stored);
        Answers answers({answer});
        whileOpen(f, doubleClickOn("GAZİ"), [&] {
            QCOMPARE(box("DBEdit5")->text(), QStringLiteral("İZMİR"));
            tabIntoProvince();
            QCOMPARE(box("DBEdit5")->text(), QStringLiteral("ANKARA"));
            QCOMPARE(okul->fieldText("ili"), QStringLiteral("ANKARA"));
            QCOMPARE(okul->state(), Dataset::State::Edit);
            closeForm();
            QCOMPARE(answers.count(), 1);
            QCOMPARE(answers.titles.at(0), QStringLiteral("Dikkat !"));
            QCOMPARE(answers.icons.at(0), QMessageBox::NoIcon);
            QCOMPARE(answers.texts.at(0), QStringLiteral("Değişiklikleri kaydetmek istiyor musunuz?"));
            QVERIFY(!f->isVisible());
            QCOMPARE(okul->state(), Dataset::State::Browse);
        });
        QCOMPARE(storedProvince("GAZİ"), stored);
    }

    void typedProvinceLastsUntilTheBoxIsEnteredAgain()
    {
        whileOpen(f, doubleClickOn("GAZİ"), [&] {
            tabIntoProvince();
            typeText(box("DBEdit5"), "izmir"); // Tab selected the filled-in province
            QCOMPARE(okul->fieldText("ili"), QStringLiteral("İZMİR"));
            // Coming back to the window is not entering the box.
            {
                Answers answers({"TAMAM"});
                QTest::mouseClick(tool("ToolButton2"), Qt::LeftButton); // the unit has staff: a message
                QCOMPARE(answers.count(), 1);
            }
            f->activateWindow();
            waitIdle();
            QCOMPARE(okul->fieldText("ili"), QStringLiteral("İZMİR"));
            QTest::keyClick(box("DBEdit5"), Qt::Key_Tab);
            tabIntoProvince();
            QCOMPARE(okul->fieldText("ili"), QStringLiteral("ANKARA"));
            okul->cancel();
            closeForm();
        });
    }

    // On a write-protected folder the program says so once at start; a unit form with a
    // pending change can then still be left, and the user is told it was not saved.
    void readOnlyDatabaseLetsTheFormBeLeft()
    {
        SKIP_ON_SERVER("the file and its folder write-protected");
        WriteProtectedProgramDir readOnly(m_main->dir());
        {
            Answers notice({"TAMAM"});
            m_form = m_main->start(MainWindowFixture::Windows::All);
            QTRY_COMPARE(notice.count(), 1);
            waitIdle(100);
            QCOMPARE(notice.count(), 1);
            QCOMPARE(notice.title(), QStringLiteral("Dikkat !"));
            QCOMPARE(notice.text(), QStringLiteral("Veritabanı salt okunur: kayıt yapılamaz."));
        }
        m_main->click("BitBtn1");
        f = m_form->findChild<TKurumKayit *>();
        okul = m_form->data()->QueryOkul;

        Answers answers({"Evet", "TAMAM"});
        whileOpen(f, doubleClickOn("GAZİ"), [&] {
            QVERIFY(QTest::qWaitForWindowActive(f));
            tabIntoProvince(); // entering "İl :" fills the province: a pending change
            QCOMPARE(okul->state(), Dataset::State::Edit);
            closeForm();
            QVERIFY(!f->isVisible());
        });
        QCOMPARE(answers.count(), 2);
        QCOMPARE(answers.texts.at(0), QStringLiteral("Değişiklikleri kaydetmek istiyor musunuz?"));
        QCOMPARE(answers.texts.at(1), QStringLiteral("Veritabanı salt okunur: kayıt yapılamaz. Değişiklikler kaydedilmedi."));
        QVERIFY(!answers.details.at(1).isEmpty()); // the engine's words
        QCOMPARE(okul->state(), Dataset::State::Browse);
        QCOMPARE(storedProvince("GAZİ"), QStringLiteral("İZMİR"));
        m_main->close(); // while the folder still refuses the settings file
    }

    void afterNewTheProvinceWaitsForTheBox_data()
    {
        QTest::addColumn<bool>("fromBrowser");
        QTest::newRow("form's New") << false;
        QTest::newRow("browser's Yeni Birim Kaydı") << true;
    }
    void afterNewTheProvinceWaitsForTheBox()
    {
        QFETCH(bool, fromBrowser);
        whileOpen(f, fromBrowser ? newUnitFromTheBrowser() : doubleClickOn("GAZİ"), [&] {
            if (!fromBrowser) {
                QTest::mouseClick(tool("ToolButton1"), Qt::LeftButton);
                QCOMPARE(QApplication::focusWidget(), box("DBEdit1"));
            }
            QCOMPARE(okul->state(), Dataset::State::Insert);
            QCOMPARE(okul->recordCount(), 5);
            QCOMPARE(box("DBEdit5")->text(), QString());
            QVERIFY(okul->value("ili").isNull());
            tabIntoProvince();
            QCOMPARE(box("DBEdit5")->text(), QStringLiteral("ANKARA"));
            QCOMPARE(okul->fieldText("ili"), QStringLiteral("ANKARA"));
            okul->cancel();
            closeForm();
        });
    }

    void withoutFixedInformationTheProvinceEmpties()
    {
        m_form->data()->QuerySabit->remove();
        QVERIFY(m_form->data()->QuerySabit->isEmpty());
        whileOpen(f, doubleClickOn("GAZİ"), [&] {
            tabIntoProvince();
            QCOMPARE(box("DBEdit5")->text(), QString());
            QVERIFY(okul->value("ili").isNull());
            QCOMPARE(okul->state(), Dataset::State::Edit);
            Answers answers({"Evet"});
            closeForm();
            QCOMPARE(answers.count(), 1);
        });
        QCOMPARE(storedProvince("GAZİ"), QString());
    }

    void boxesTypeInCapitals_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("Birim Adı") << "DBEdit1" << "okul_adi" << "ankara" << "ANKARA";
        QTest::newRow("İl") << "DBEdit5" << "ili" << "izmir" << "İZMİR";
        QTest::newRow("Birim Müdürü") << "DBEdit2" << "okul_muduru" << "ılgaz çiçek" << "ILGAZ ÇİÇEK";
        QTest::newRow("İlçesi, q and w as typed") << "DBEdit6" << "ilcesi" << "qwx" << "qwX";
    }
    void boxesTypeInCapitals()
    {
        QFETCH(QString, box);
        QFETCH(QString, column);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        whileOpen(f, newUnitFromTheBrowser(), [&] {
            DBEdit *edit = this->box(qPrintable(box));
            edit->setFocus(Qt::TabFocusReason);
            typeText(edit, typed);
            QCOMPARE(edit->text(), shown);
            QCOMPARE(okul->fieldText(column), shown);
            okul->cancel();
            closeForm();
        });
    }

    void closingANewRowWithoutNameAsksNothing_data()
    {
        QTest::addColumn<QString>("typedHead");
        QTest::addColumn<QString>("head");
        QTest::newRow("nothing typed") << QString() << QString();
        QTest::newRow("only the head typed") << QStringLiteral("ali can") << QStringLiteral("ALİ CAN");
    }
    void closingANewRowWithoutNameAsksNothing()
    {
        QFETCH(QString, typedHead);
        QFETCH(QString, head);
        Answers answers;
        whileOpen(f, newUnitFromTheBrowser(), [&] {
            typeText(box("DBEdit2"), typedHead);
            closeForm();
            waitIdle();
            QCOMPARE(answers.count(), 0);
            QVERIFY(!f->isVisible());
        });
        QCOMPARE(okul->state(), Dataset::State::Insert);
        QCOMPARE(okul->recordCount(), 5);
        QCOMPARE(okul->fieldText("okul_muduru"), head);

        // Opened again, the form shows the pending row.
        whileOpen(f, [this] { f->execute(); }, [&] {
            QCOMPARE(okul->state(), Dataset::State::Insert);
            QCOMPARE(box("DBEdit2")->text(), head);
            okul->cancel();
            closeForm();
        });
    }

    void tooLongValueIsRefusedAndKept_data()
    {
        QTest::addColumn<bool>("byClosing");
        QTest::newRow("Kaydet") << false;
        QTest::newRow("closing, Evet") << true;
    }
    void tooLongValueIsRefusedAndKept()
    {
        QFETCH(bool, byClosing);
        const QString typed = QStringLiteral("çok programlı anadolu lisesi ve mesleki teknik eğitim");
        const QString name = QStringLiteral("ÇOK PROGRAMLI ANADOLU LİSESİ VE MESLEKİ TEKNİK EĞİTİM");
        QCOMPARE(name.size(), 53);
        Answers answers(byClosing ? QStringList{"Evet", "TAMAM"} : QStringList{"TAMAM"});
        whileOpen(f, newUnitFromTheBrowser(), [&] {
            // The box stops typing at the column's 50 characters; with its limit lifted the
            // table's own limit is what refuses.
            box("DBEdit1")->setCharacterLimit(100);
            box("DBEdit1")->setFocus(Qt::TabFocusReason);
            typeText(box("DBEdit1"), typed);
            QCOMPARE(box("DBEdit1")->text(), name);
            if (byClosing) {
                closeForm();
            } else {
                waitIdle(); // the idle-time refresh enables Save
                QTest::mouseClick(f->recordActions()->save(), Qt::LeftButton);
            }
            QCOMPARE(answers.count(), byClosing ? 2 : 1);
            QCOMPARE(answers.titles.last(), QStringLiteral("Meltora"));
            QCOMPARE(answers.texts.last(),
                     QStringLiteral("'okul_adi' alanına girilen değer çok uzun: en fazla 50 karakter olabilir."));
            QVERIFY(f->isVisible());
            QCOMPARE(okul->state(), Dataset::State::Insert);
            QCOMPARE(box("DBEdit1")->text(), name);
            QCOMPARE(okul->fieldText("okul_adi"), name);

            box("DBEdit1")->setFocus(Qt::MouseFocusReason);
            for (int extra = 0; extra < 3; ++extra)
                QTest::keyClick(box("DBEdit1"), Qt::Key_Backspace);
            waitIdle();
            QTest::mouseClick(f->recordActions()->save(), Qt::LeftButton);
            QCOMPARE(okul->state(), Dataset::State::Browse);
            closeForm();
            QVERIFY(!f->isVisible());
        });
        QVERIFY(storedUnits().contains(name.left(50)));
    }

    void warningSoundOnMouseDown_data()
    {
        QTest::addColumn<bool>("sound");
        QTest::newRow("sound on") << true;
        QTest::newRow("sound off") << false;
    }
    void warningSoundOnMouseDown()
    {
        QFETCH(bool, sound);
        m_form->settings().sound = sound;
        Answers answers({"Hayır"});
        whileOpen(f, doubleClickOn("İNÖNÜ"), [&] {
            const int before = warningsound::playCount();
            QTest::mousePress(tool("ToolButton2"), Qt::LeftButton);
            QCOMPARE(warningsound::playCount() - before, sound ? 1 : 0);
            QCOMPARE(answers.count(), 0); // the question comes with the click
            QTest::mouseRelease(tool("ToolButton2"), Qt::LeftButton);
            QCOMPARE(answers.count(), 1);
            QCOMPARE(warningsound::playCount() - before, sound ? 1 : 0);
            closeForm();
        });
        QCOMPARE(storedUnits().size(), 4);
    }

    void movesChangeTheCurrentUnitOfTheMainWindow()
    {
        whileOpen(f, doubleClickOn("ATATÜRK"), [&] {
            RecordActions *actions = f->recordActions();
            QVERIFY(!actions->first()->isEnabled());
            QTest::mouseClick(actions->next(), Qt::LeftButton);
            QCOMPARE(box("DBEdit1")->text(), QStringLiteral("ÇAMLICA İLKOKULU"));
            QCOMPARE(uye->recordCount(), 2);
            QTest::mouseClick(actions->last(), Qt::LeftButton);
            QCOMPARE(box("DBEdit1")->text(), QStringLiteral("İNÖNÜ ORTAOKULU"));
            QCOMPARE(uye->recordCount(), 0);
            waitIdle();
            QVERIFY(!actions->next()->isEnabled());
            QVERIFY(actions->prior()->isEnabled());
            closeForm();
        });
        QCOMPARE(okul->fieldText("okul_adi"), QStringLiteral("İNÖNÜ ORTAOKULU"));
    }

    // The Tab key goes round the boxes in the form's order and "TAMAM"; the tool buttons are
    // pressed with the mouse and are no stops.
    void tabGoesRoundTheBoxesAndTamam()
    {
        whileOpen(f, doubleClickOn("GAZİ"), [&] {
            box("DBEdit1")->setFocus(Qt::MouseFocusReason);
            QStringList visited;
            for (int i = 0; i < 7; ++i) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                visited << QApplication::focusWidget()->objectName();
            }
            QCOMPARE(visited, QStringList({"DBEdit2", "DBEdit3", "DBEdit4", "DBEdit5", "DBEdit6",
                                           "BitBtn1", "DBEdit1"}));
            Answers no({"Hayır"}); // entering "İl :" took the fixed province
            closeForm();
            QVERIFY(no.done());
        });
    }

    // The long hint of a control of the form shows in the main window's status bar.
    void hintsShowInTheMainStatusBar()
    {
        whileOpen(f, doubleClickOn("GAZİ"), [&] {
            for (const char *name :
                 {"ToolButton1", "ToolButton2", "KaydetButton", "SonKayitButton"}) {
                QToolButton *button = tool(name);
                hoverOver(button);
                QCOMPARE(m_form->statusPanel(3)->text(), QLatin1Char(' ') + button->statusTip());
            }
            QCOMPARE(m_form->statusPanel(3)->text(), QStringLiteral(" Son Kayıt"));
            closeForm();
        });
    }

    void escapeDoesNotClose()
    {
        whileOpen(f, doubleClickOn("GAZİ"), [&] {
            box("DBEdit1")->setFocus();
            QTest::keyClick(box("DBEdit1"), Qt::Key_Escape);
            QTest::keyClick(box("DBEdit1"), Qt::Key_Return);
            QVERIFY(f->isVisible());
            closeForm();
            QVERIFY(!f->isVisible());
        });
    }
};

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    TestUnitForm test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_unitform.moc"

// The member entry form on the real main window: opened from the unit browser as the user
// opens it, driven key by key and click by click while it runs modally.

#include "app/application.h"
#include "app/tform1.h"
#include "toolkit/tsrdbgrid.h"
#include "app/unitbrowser.h"
#include "data/changenotices.h"
#include "data/database.h"
#include "data/schema.h"
#include "data/sharedqueries.h"
#include "entry/tpersonelkayit.h"
#include "toolkit/dbcombobox.h"
#include "toolkit/dbedit.h"
#include "toolkit/warningsound.h"
#include "testserver.h"
#include "testsupport.h"

#include <QApplication>
#include <QLabel>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QUrl>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>
#include <sqlite3.h>

namespace {

const QStringList kFixture = {
    "INSERT INTO sabit (Kurum_Adi, sendikasi) VALUES ('MEB', 'EĞİTİM BİR SEN')",
    "INSERT INTO yetkili (yetkili_adi) VALUES ('AYŞE KAYA')",
    "INSERT INTO sendikalar (sendikalar, adresi) VALUES ('EĞİTİM BİR SEN', 'ANKARA')",
    "INSERT INTO sendikalar (sendikalar, adresi) VALUES ('TÜRK EĞİTİM SEN', 'KIZILAY')",
    "INSERT INTO sendikalar (sendikalar, adresi) VALUES ('EĞİTİM SEN', 'ÇANKAYA')",
    // SiraNo 1 and 2; listed by name: ÇAMLICA, GAZİ
    "INSERT INTO okul (okul_adi, adresi, telefonu, ili, ilcesi) VALUES "
    "('GAZİ LİSESİ', 'ATATÜRK BULVARI NO 5', '(312) 555 12 34', 'ANKARA', 'ÇANKAYA')",
    "INSERT INTO okul (okul_adi, adresi, telefonu, ili, ilcesi) VALUES "
    "('ÇAMLICA İLKOKULU', 'KORDON 1', '(232) 444 00 11', 'İZMİR', 'KONAK')",
    "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir, sendikasi, sendika_adresi) VALUES "
    "(1, 'AHMET', 'YILMAZ', 'AHMET YILMAZ', 'EĞİTİM SEN', 'ÇANKAYA'), "
    "(1, 'O''NEİL', 'SMİTH', 'O''NEİL SMİTH', '<<< KAYITSIZ >>>', NULL), "
    "(2, 'HASAN', 'ÇELİK', 'HASAN ÇELİK', 'EĞİTİM BİR SEN', 'ANKARA')",
};

// Catches the "mailto:" addresses that the e-mail button hands to the desktop.
class MailCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl &url) { urls << url; }
};

} // namespace

class TestMemberForm : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> m_main;
    TForm1 *m_form = nullptr;
    TPersonelKayit *f = nullptr;
    Dataset *okul = nullptr;
    Dataset *uye = nullptr;

    DBEdit *box(const QString &column) { return f->edit(column); }
    QToolButton *tool(const char *name) { return child<QToolButton>(f, QLatin1String(name)); }
    TSrDBGrid *staffGrid() { return m_form->unitBrowser()->staffGrid(); }

    void clickNewMember() { m_main->click("BitBtn5"); }
    // A double-click on the member's row of the staff grid.
    std::function<void()> doubleClickOn(const QString &adi)
    {
        return [this, adi] {
            QVERIFY(uye->locate("adi", adi));
            TSrDBGrid *grid = staffGrid();
            const QRect cell = grid->visualRect(grid->model()->index(uye->recNo() - 1, 0));
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        };
    }
    void selectUnit(const QString &name) { QVERIFY(okul->locate("okul_adi", name)); }
    void closeForm() { QTest::mouseClick(child<QPushButton>(f, "BitBtn1"), Qt::LeftButton); }
    // What the table holds now, read back through a fresh statement.
    QString stored(const QString &adi, const char *column)
    {
        uye->requery();
        if (!uye->locate("adi", adi))
            return QStringLiteral("<none>");
        return uye->fieldText(QLatin1String(column));
    }

private Q_SLOTS:
    void initTestCase() { quietOffscreenWarnings(); }
    void init()
    {
        m_main = std::make_unique<MainWindowFixture>(kFixture);
        m_form = m_main->start(MainWindowFixture::Windows::All);
        m_main->click("BitBtn1");
        f = m_form->findChild<TPersonelKayit *>();
        QVERIFY(f);
        okul = m_form->data()->QueryOkul;
        uye = m_form->data()->Query_Uye;
        selectUnit("GAZİ");
    }
    void cleanup()
    {
        if (f && f->isVisible())
            f->hide();
        m_main.reset();
    }

    // On a server, another office saving the member being edited: the form says so under its
    // fields, the typing stays, and the save keeps both offices' columns.
    void aMemberChangedElsewhereIsMarkedInTheForm()
    {
        if (!testserver::active())
            QSKIP("other offices work on a server");
        QTRY_VERIFY_WITH_TIMEOUT(m_form->data()->changeNotices()->isListening(), 5000);
        whileOpen(f, doubleClickOn("AHMET"), [&] {
            auto *note = child<QLabel>(f, "BaskaYerdeDegisti");
            QVERIFY(!note->isVisible());
            DBEdit *branch = box("bransi");
            branch->setFocus(Qt::MouseFocusReason);
            typeText(branch, QStringLiteral("MATEMATİK"));
            QVERIFY(uye->isEditing());

            Database other;
            other.open(m_main->dir().address());
            other.exec(QStringLiteral("UPDATE uyeler SET ev_adresi = 'KIZILAY' WHERE adi = 'AHMET'"));
            QTRY_VERIFY_WITH_TIMEOUT(note->isVisible(), 1000);
            QCOMPARE(note->text(), QStringLiteral("Bu kayıt siz düzenlerken başka bir yerde değiştirildi; "
                                                  "kaydettiğinizde denetlenecek."));
            QCOMPARE(branch->text(), QStringLiteral("MATEMATİK"));
            uye->post();
            QVERIFY(!note->isVisible());
            closeForm();
        });
        QCOMPARE(stored("AHMET", "bransi"), QStringLiteral("MATEMATİK"));
        QCOMPARE(stored("AHMET", "ev_adresi"), QStringLiteral("KIZILAY"));
    }

    void formIsTheOneMemberWindow()
    {
        QCOMPARE(f->windowTitle(), QStringLiteral("  Personel Kayıt"));
        QVERIFY(f->windowFlags() & Qt::Tool);
        const QStringList pages = {" Genel Bilgiler ", " İrtibat Bilgileri ", " Diğer Form Bilgileri ",
                                   " Medeni/Eş Durumu ", " Notlar "};
        for (int i = 0; i < pages.size(); ++i)
            QCOMPARE(f->pages()->tabText(i), pages.at(i));
        QCOMPARE(tool("SpeedButton1")->toolTip(), QStringLiteral("Kadro Kodları (F1)"));
        QCOMPARE(tool("SpeedButton1")->statusTip(), QStringLiteral("Kadro ünvan kodları detayları..."));
        QCOMPARE(tool("BtnMail")->toolTip(), QStringLiteral("E-Mail Gönder"));
        QCOMPARE(box("cep_tel")->inputMask(), DBEdit::phoneMask());
        QCOMPARE(box("dogum_tarihi")->inputMask(), DBEdit::dateMask());
        QCOMPARE(box("adi")->characterLimit(), 15);
        QCOMPARE(box("unvan_kodu")->characterLimit(), 4);
        QCOMPARE(child<QComboBox>(f, "DBComboBox_kan_grubu")->count(), 8);
        QCOMPARE(child<QComboBox>(f, "DBComboBox_medeni_durumu")->itemText(2), QStringLiteral("Boşanmış"));
    }

    void tabVisitsThePageInItsOrder_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("Genel Bilgiler")
            << 0
            << QStringList{"Adı", "Soyadı", "Kadro Ünvanı", "Kadro Ünvanı Kodu", "Branşı", "Hizmet Yılı", "KAN GRUBU",
                           "Kayıtlı Olduğu Sendika", "Sendika Kayıt Tarihi", "Sendika Adresi"};
        QTest::newRow("İrtibat Bilgileri")
            << 1
            << QStringList{"Cep Telefonu", "İş Telefonu", "Ev Telefonu", "Çalıştığı İl", "Çalıştığı İlçe",
                           "E-Posta Adresi", "Ev Adresi", "Çalıştığı Birim", "Birim Adresi"};
        QTest::newRow("Diğer Form Bilgileri")
            << 2
            << QStringList{"TC Kimlik No", "Doğum Yeri", "Doğum Tarihi", "Baba Adı", "Ana Adı", "Kurum Sicil No",
                           "TC. Emekli No", "SSK No", "Öğrenim Durumu", "Cinsiyeti"};
        QTest::newRow("Medeni/Eş Durumu") << 3 << QStringList{"Medeni Durumu", "Eşinin Mesleği", "Eşinin Çalıştığı Kurum"};
    }
    void tabVisitsThePageInItsOrder()
    {
        QFETCH(int, page);
        QFETCH(QStringList, order);
        QWidget *sheet = f->pages()->widget(page);
        QStringList visited;
        QWidget *w = sheet;
        do {
            w = w->nextInFocusChain();
            if (sheet->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && !w->accessibleName().isEmpty())
                visited << w->accessibleName();
        } while (w != sheet);
        QCOMPARE(visited, order);
    }

    // From the last box of each page the Tab key goes to "TAMAM", past the tool buttons.
    void tabFromTheLastBoxGoesToTamam()
    {
        whileOpen(f, doubleClickOn("AHMET"), [&] {
            const QStringList lastBoxes = {"DBEdit_sendika_adresi", "DBEdit_kurum_adresi",
                                           "DBComboBox_cinsiyeti", "DBEdit_esinin_kurumu",
                                           "DBMemo1"};
            for (int page = 0; page < lastBoxes.size(); ++page) {
                f->pages()->setCurrentIndex(page);
                auto *last = child<QWidget>(f, lastBoxes[page]);
                last->setFocus(Qt::MouseFocusReason);
                QTest::keyClick(last, Qt::Key_Tab);
                QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("BitBtn1"));
            }
            closeForm();
        });
    }

    void keyFilters_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("Adı: i the Turkish way") << "adi" << "istanbul" << "İSTANBUL";
        QTest::newRow("Adı: dotless ı") << "adi" << "ılgaz" << "ILGAZ";
        QTest::newRow("Adı: q and w stay") << "adi" << "qwx" << "qwX";
        QTest::newRow("Branşı: words") << "bransi" << "ali veli" << "Ali Veli";
        QTest::newRow("Branşı: after a full stop") << "bransi" << "dr.ayşe" << "Dr.Ayşe";
        QTest::newRow("Branşı: dotless ı") << "bransi" << "ışık" << "Işık";
        QTest::newRow("E-Posta: as typed") << "emaili" << "ali.veli@x.com" << "ali.veli@x.com";
        QTest::newRow("Doğum Yeri: upper case") << "dogum_yeri" << "çorum" << "ÇORUM";
    }
    void keyFilters()
    {
        QFETCH(QString, column);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        whileOpen(f, [this] { clickNewMember(); }, [&] {
            DBEdit *edit = box(column);
            f->pages()->setCurrentWidget(edit->parentWidget());
            edit->setFocus();
            typeText(edit, typed);
            QCOMPARE(edit->text(), shown);
            QCOMPARE(uye->fieldText(column), shown);
            uye->cancel();
            closeForm();
        });
    }

    // Typed over a selection, the character lands at the selection's start, and that place
    // decides the capital: a value the Tab key selected whole starts with one.
    void wordCapitalsOverASelection_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("whole value, as Tab selects it") << -1 << 0 << "fizik"
                                                        << "Fizik";
        QTest::newRow("a word after a blank") << 4 << 4 << "can"
                                              << "Ali Can";
        QTest::newRow("from inside a word up to a blank") << 1 << 3 << "x"
                                                          << "AxVeli";
    }
    void wordCapitalsOverASelection()
    {
        QFETCH(int, start);
        QFETCH(int, length);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QVERIFY(uye->locate("adi", "AHMET"));
        uye->edit();
        uye->setFieldText("bransi", "Ali Veli");
        uye->post();
        whileOpen(f, doubleClickOn("AHMET"), [&] {
            DBEdit *branch = box("bransi");
            if (start < 0) {
                box("unvan_kodu")->setFocus(Qt::MouseFocusReason);
                QTest::keyClick(box("unvan_kodu"), Qt::Key_Tab);
                QCOMPARE(QApplication::focusWidget(), branch);
            } else {
                branch->setFocus(Qt::MouseFocusReason);
                branch->setSelection(start, length); // made rightwards: the caret at its end
            }
            typeText(branch, typed);
            QCOMPARE(branch->text(), shown);
            uye->cancel();
            closeForm();
        });
    }

    void firstKeyInNameCopiesTheWorkplace()
    {
        whileOpen(f, [this] { clickNewMember(); }, [&] {
            QCOMPARE(uye->state(), Dataset::State::Insert);
            QCOMPARE(box("calistigi_kurum")->text(), QString());
            typeText(box("adi"), "a");
            const QList<std::pair<const char *, QString>> copied = {
                {"isyeri_tel", "(312) 555 12 34"},
                {"calistigi_il", "ANKARA"},
                {"ilcesi", "ÇANKAYA"},
                {"calistigi_kurum", "GAZİ LİSESİ"},
                {"kurum_adresi", "ATATÜRK BULVARI NO 5"},
            };
            for (const auto &[column, value] : copied)
                QCOMPARE(box(QLatin1String(column))->text(), value);

            // A hand edit lasts until the next key-down in "Adı".
            f->pages()->setCurrentIndex(1);
            box("calistigi_il")->selectAll();
            typeText(box("calistigi_il"), "x");
            QCOMPARE(box("calistigi_il")->text(), QStringLiteral("X"));
            f->pages()->setCurrentIndex(0);
            QTest::keyClick(box("adi"), Qt::Key_End);
            QCOMPARE(box("calistigi_il")->text(), QStringLiteral("ANKARA"));
            QCOMPARE(box("adi")->text(), QStringLiteral("A"));
            uye->cancel();
            closeForm();
        });
    }

    // Each key-down in "Adı" rewrites five columns of the row; the name box keeps its caret
    // and selection through it all the same, so typing lands where the user types.
    void typingInTheNameLandsAtTheCaret()
    {
        m_main->dir().exec("INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir) VALUES (1, 'EMİNE', 'SOY', 'EMİNE SOY')");
        uye->requery();
        whileOpen(f, doubleClickOn("EMİNE"), [&] {
            DBEdit *name = box("adi");
            name->setFocus(Qt::MouseFocusReason);
            QTest::keyClick(name, Qt::Key_End);
            QTest::keyClick(name, Qt::Key_Home, Qt::ShiftModifier);
            QCOMPARE(name->selectedText(), QStringLiteral("EMİNE"));
            typeText(name, "ayse");
            QCOMPARE(name->text(), QStringLiteral("AYSE"));
            // Inside the name: the caret before the last letter, one letter out, one in.
            QTest::keyClick(name, Qt::Key_Left);
            QTest::keyClick(name, Qt::Key_Backspace);
            typeText(name, "ş");
            QCOMPARE(name->text(), QStringLiteral("AYŞE"));
            QCOMPARE(name->cursorPosition(), 3);
            QCOMPARE(box("calistigi_kurum")->text(), QStringLiteral("GAZİ LİSESİ")); // the copy still ran
            waitIdle();
            QTest::mouseClick(tool("KaydetButton"), Qt::LeftButton);
            QCOMPARE(uye->state(), Dataset::State::Browse);
            closeForm();
        });
        QCOMPARE(stored("AYŞE", "Birlestir"), QStringLiteral("AYŞE SOY"));
        QCOMPARE(stored("EMİNE", "adi"), QStringLiteral("<none>"));
    }

    // The table counts characters: an emoji is one, though it takes two UTF-16 units.
    void aCharacterAtTheLimitIsNeverCutInHalf()
    {
        const QString emoji = QStringLiteral("\U0001F600");
        const QString letters = QStringLiteral("ABCDEFGHJKLMNO"); // 14 of the 15 the column holds
        auto typeEmoji = [&](QWidget *box) { QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, emoji, Qt::NoModifier); };
        whileOpen(f, doubleClickOn("AHMET"), [&] {
            DBEdit *surname = box("soyadi");
            surname->setFocus(Qt::MouseFocusReason);
            surname->selectAll();
            typeText(surname, letters.toLower());
            typeEmoji(surname);
            QCOMPARE(surname->text(), letters + emoji);
            // Full: what comes next is refused whole.
            typeEmoji(surname);
            typeText(surname, "x");
            QCOMPARE(surname->text(), letters + emoji);
            // Typed inside, the newest character is the one left out.
            QTest::keyClick(surname, Qt::Key_Home);
            typeEmoji(surname);
            QCOMPARE(surname->text(), letters + emoji);
            waitIdle();
            QTest::mouseClick(tool("KaydetButton"), Qt::LeftButton);
            QCOMPARE(uye->state(), Dataset::State::Browse);
            closeForm();
        });
        QCOMPARE(stored("AHMET", "soyadi"), letters + emoji);
    }

    // A phone number takes all ten digits of its mask, a date all eight; half of one is
    // refused on leaving the box and on saving, and what was typed stays for correcting.
    void partlyFilledMasksAreRefused_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("rest");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("message");
        QTest::newRow("phone") << "cep_tel" << 1 << "212" << "3456789" << "(212) 345 67 89"
                               << "'cep_tel' alanındaki telefon numarası eksik: on rakamın tümünü girin ya da "
                                  "alanı boş bırakın.";
        QTest::newRow("date") << "dogum_tarihi" << 2 << "0102" << "1980" << "01.02.1980"
                              << "'dogum_tarihi' alanındaki tarih eksik: gün, ay ve yıl için sekiz rakamın "
                                 "tümünü girin ya da alanı boş bırakın.";
    }
    void partlyFilledMasksAreRefused()
    {
        QFETCH(QString, column);
        QFETCH(int, page);
        QFETCH(QString, typed);
        QFETCH(QString, rest);
        QFETCH(QString, stored);
        QFETCH(QString, message);
        Answers answers({"TAMAM", "TAMAM"});
        whileOpen(f, doubleClickOn("AHMET"), [&] {
            QVERIFY(QTest::qWaitForWindowActive(f)); // the focus moves inside the form
            f->pages()->setCurrentIndex(page);
            DBEdit *masked = box(column);
            masked->setFocus(Qt::MouseFocusReason);
            QTRY_VERIFY(masked->hasFocus());
            QTest::keyClick(masked, Qt::Key_Home);
            typeText(masked, typed);
            const QString shown = masked->displayText();
            QTest::keyClick(masked, Qt::Key_Tab);
            QTRY_COMPARE(answers.count(), 1);
            QCOMPARE(answers.titles.at(0), QStringLiteral("Dikkat !"));
            QCOMPARE(answers.texts.at(0), message);
            // Back in the form, as the window manager brings it back, the box has the focus.
            f->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(f));
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(masked));
            QCOMPARE(masked->displayText(), shown);

            waitIdle();
            QTest::mouseClick(tool("KaydetButton"), Qt::LeftButton);
            QCOMPARE(answers.count(), 2);
            QCOMPARE(answers.titles.at(1), QStringLiteral("Meltora"));
            QCOMPARE(answers.texts.at(1), message);
            QCOMPARE(uye->state(), Dataset::State::Edit);
            QCOMPARE(masked->displayText(), shown);

            QTest::keyClick(masked, Qt::Key_Home);
            typeText(masked, typed + rest);
            QTest::mouseClick(tool("KaydetButton"), Qt::LeftButton);
            QCOMPARE(uye->state(), Dataset::State::Browse);
            closeForm();
        });
        QCOMPARE(answers.count(), 2);
        QCOMPARE(this->stored("AHMET", column.toLatin1().constData()), stored);
    }

    // Emptied, a masked box stores nothing at all, as a box never filled.
    void emptiedMaskStoresNothing()
    {
        Answers none;
        whileOpen(f, doubleClickOn("AHMET"), [&] {
            f->pages()->setCurrentIndex(1);
            DBEdit *phone = box("ev_tel");
            phone->setFocus(Qt::MouseFocusReason);
            typeText(phone, "2123456789");
            waitIdle();
            QTest::mouseClick(tool("KaydetButton"), Qt::LeftButton);
            phone->selectAll();
            QTest::keyClick(phone, Qt::Key_Backspace);
            QTest::keyClick(phone, Qt::Key_Tab);
            waitIdle();
            QTest::mouseClick(tool("KaydetButton"), Qt::LeftButton);
            QCOMPARE(uye->state(), Dataset::State::Browse);
            closeForm();
        });
        QCOMPARE(none.count(), 0);
        QCOMPARE(m_form->data()->connection()
                     .scalar("SELECT count(*) FROM uyeler WHERE adi = 'AHMET' AND ev_tel IS NULL AND cep_tel IS NULL")
                     .toInt(),
                 1);
    }

    // A member belongs to a stored unit: with none current, or with a new one not saved
    // yet, "Yeni Personel Kaydı" says why and opens nothing.
    void newMemberNeedsAStoredUnit_data()
    {
        QTest::addColumn<bool>("unsavedUnit");
        QTest::newRow("new unit not saved") << true;
        QTest::newRow("no unit at all") << false;
    }
    void newMemberNeedsAStoredUnit()
    {
        QFETCH(bool, unsavedUnit);
        if (unsavedUnit) {
            okul->append(); // as the unit form leaves a new unit closed without its name
        } else {
            m_main->dir().exec(QStringList{"DELETE FROM uyeler", "DELETE FROM okul"});
            okul->requery();
        }
        Answers answers({"TAMAM"});
        answers.turnAway(f->objectName());
        clickNewMember();
        QVERIFY(answers.unexpected.isEmpty()); // the form did not open
        QCOMPARE(answers.count(), 1);
        QCOMPARE(answers.text(), QStringLiteral("Yeni personel yalnızca kayıtlı bir birime eklenebilir: önce birimi "
                                                "kaydedin ya da listeden bir birim seçin."));
        QCOMPARE(uye->state(), Dataset::State::Browse);
        QCOMPARE(m_form->data()->connection().scalar("SELECT count(*) FROM uyeler WHERE SiraNo IS NULL").toInt(), 0);
    }

    // A disk with no room left refuses the save; what was typed stays for a later save.
    void aFullDiskRefusesTheSaveAndKeepsTheTyping()
    {
        SKIP_ON_SERVER("the file on a full disk");
        const QString notes = QStringLiteral("Nöbet çizelgesinde görevli. ").repeated(1000);
        Answers answers({"TAMAM"});
        whileOpen(f, [this] { clickNewMember(); }, [&] {
            typeText(box("adi"), "zeynep");
            f->pages()->setCurrentIndex(4);
            child<QPlainTextEdit>(f, "DBMemo1")->setPlainText(notes);
            waitIdle();
            {
                FullDisk full(QFileInfo(m_main->dir().databasePath()).size()); // no room for more pages
                QTest::mouseClick(tool("KaydetButton"), Qt::LeftButton);
            }
            QCOMPARE(answers.count(), 1);
            QCOMPARE(answers.text(), QStringLiteral("Disk dolu: kayıt yapılamadı. Diskte yer açıp tekrar deneyin."));
            QCOMPARE(uye->state(), Dataset::State::Insert);
            QCOMPARE(box("adi")->text(), QStringLiteral("ZEYNEP"));

            QTest::mouseClick(tool("KaydetButton"), Qt::LeftButton);
            QCOMPARE(uye->state(), Dataset::State::Browse);
            closeForm();
        });
        QCOMPARE(stored("ZEYNEP", "hakkinda"), notes);
    }

    // The demo tool writes only what the member form's fixed lists offer, so each demo
    // member shows an item in every list.
    void demoMembersShowInTheFixedLists()
    {
        QTemporaryDir demo;
        QProcess tool;
        tool.start(QStringLiteral(MELTORA_PROGRAM_DIR "/meltora-db"),
                   {"demo", demo.path(), "--units", "2", "--staff", "80"});
        QVERIFY(tool.waitForFinished(60000));
        QCOMPARE(tool.exitCode(), 0);
        Database db;
        db.open(QDir(demo.path()).filePath("Data.dat"), schema::kKey);
        for (const char *column : {"cinsiyeti", "medeni_durumu", "ogrenim_durumu", "kan_grubu"}) {
            const QStringList offered = itemTexts(child<QComboBox>(f, QStringLiteral("DBComboBox_") + column));
            Statement st(db.handle(), QStringLiteral("SELECT DISTINCT %1 FROM uyeler").arg(column));
            int values = 0;
            while (st.step()) {
                auto text = reinterpret_cast<const char *>(sqlite3_column_text(st.get(), 0));
                const QString value = text ? QString::fromUtf8(text) : QStringLiteral("<null>");
                QVERIFY2(offered.contains(value), qPrintable(QStringLiteral("%1: %2").arg(column, value)));
                ++values;
            }
            QVERIFY(values > 1);
        }
    }

    void unionListsInTableOrder()
    {
        QCOMPARE(child<QComboBox>(f, "DBComboBox1")->count(), 4);
        QCOMPARE(itemTexts(child<QComboBox>(f, "DBComboBox1")),
                 QStringList({"<<< KAYITSIZ >>>", "EĞİTİM BİR SEN", "TÜRK EĞİTİM SEN", "EĞİTİM SEN"}));
        QCOMPARE(itemTexts(child<QComboBox>(f, "CbSendikaAdres")),
                 QStringList({"<<< KAYITSIZ >>>", "ANKARA", "KIZILAY", "ÇANKAYA"}));
        QVERIFY(child<QComboBox>(f, "CbSendikaAdres")->isHidden());
    }

    void unionPickSetsTheAddress_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("union_");
        QTest::addColumn<QString>("address");
        QTest::newRow("another union") << int(Qt::Key_Up) << "TÜRK EĞİTİM SEN" << "KIZILAY";
        QTest::newRow("no union") << int(Qt::Key_Home) << "<<< KAYITSIZ >>>" << "";
    }
    void unionPickSetsTheAddress()
    {
        QFETCH(int, key);
        QFETCH(QString, union_);
        QFETCH(QString, address);
        whileOpen(f, doubleClickOn("AHMET"), [&] {
            auto *list = child<DBComboBox>(f, "DBComboBox1");
            QCOMPARE(list->currentText(), QStringLiteral("EĞİTİM SEN"));
            QCOMPARE(box("sendika_adresi")->text(), QStringLiteral("ÇANKAYA"));
            list->setFocus();
            QTest::keyClick(list, Qt::Key(key));
            QCOMPARE(list->currentText(), union_);
            QCOMPARE(child<QComboBox>(f, "CbSendikaAdres")->currentIndex(), list->currentIndex());
            QCOMPARE(box("sendika_adresi")->text(), address);
            waitIdle(); // the idle-time refresh enables Save
            QTest::mouseClick(tool("KaydetButton"), Qt::LeftButton);
            QCOMPARE(uye->state(), Dataset::State::Browse);
            closeForm();
        });
        QCOMPARE(stored("AHMET", "sendikasi"), union_);
        QCOMPARE(stored("AHMET", "sendika_adresi"), address);
    }

    void closeWithAChangeAsksOnce_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("surname");
        QTest::newRow("Evet saves") << "Evet" << "KAYA";
        QTest::newRow("Hayır cancels") << "Hayır" << "YILMAZ";
    }
    void closeWithAChangeAsksOnce()
    {
        QFETCH(QString, answer);
        QFETCH(QString, surname);
        Answers answers({answer});
        whileOpen(f, doubleClickOn("AHMET"), [&] {
            box("soyadi")->setFocus();
            box("soyadi")->selectAll();
            typeText(box("soyadi"), "kaya");
            QCOMPARE(uye->state(), Dataset::State::Edit);
            closeForm();
            QVERIFY(!f->isVisible());
        });
        QCOMPARE(answers.count(), 1);
        QCOMPARE(answers.titles.first(), QStringLiteral("Dikkat !"));
        QCOMPARE(answers.texts.first(), QStringLiteral("Değişiklikleri kaydetmek istiyor musunuz?"));
        QCOMPARE(answers.icons.first(), QMessageBox::NoIcon);
        QCOMPARE(uye->state(), Dataset::State::Browse);
        QCOMPARE(stored("AHMET", "soyadi"), surname);
        QCOMPARE(stored("AHMET", "Birlestir"), QStringLiteral("AHMET ") + surname);
    }

    void closeOfANewRowWithoutNameAsksNothing()
    {
        Answers answers;
        const int rows = uye->recordCount();
        whileOpen(f, [this] { clickNewMember(); }, [&] {
            box("soyadi")->setFocus();
            typeText(box("soyadi"), "kaya");
            closeForm();
            QVERIFY(!f->isVisible());
        });
        QCOMPARE(answers.count(), 0);
        QCOMPARE(uye->state(), Dataset::State::Insert);
        QCOMPARE(uye->recordCount(), rows + 1);
        QCOMPARE(uye->fieldText("soyadi"), QStringLiteral("KAYA"));
        uye->cancel();
    }

    void deleteDiscardsAPendingNewRow()
    {
        Answers answers({"Evet"});
        const int rows = uye->recordCount();
        whileOpen(f, [this] { clickNewMember(); }, [&] {
            QCOMPARE(uye->recordCount(), rows + 1);
            QTest::mouseClick(tool("ToolButton2"), Qt::LeftButton);
            QCOMPARE(answers.count(), 1);
            QCOMPARE(answers.texts.first(), QStringLiteral("'' adlı kişinin tüm bilgileri silinecek. Onaylıyor musunuz?"));
            QCOMPARE(uye->state(), Dataset::State::Browse);
            QCOMPARE(uye->recordCount(), rows);
            closeForm();
        });
        QCOMPARE(m_form->data()->staffCountOfUnit(okul->value("SiraNo")), rows);
    }

    void deleteAsksWithTheQuotedName_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("left");
        QTest::newRow("Evet deletes") << "Evet" << 1;
        QTest::newRow("Hayır keeps") << "Hayır" << 2;
    }
    void deleteAsksWithTheQuotedName()
    {
        QFETCH(QString, answer);
        QFETCH(int, left);
        Answers answers({answer});
        whileOpen(f, doubleClickOn("O'NEİL"), [&] {
            QTest::mouseClick(tool("ToolButton2"), Qt::LeftButton);
            closeForm();
        });
        QCOMPARE(answers.count(), 1);
        QCOMPARE(answers.titles.first(), QStringLiteral("Dikkat !"));
        QCOMPARE(answers.icons.first(), QMessageBox::Warning);
        QCOMPARE(answers.texts.first(),
                 QStringLiteral("'O''NEİL' adlı kişinin tüm bilgileri silinecek. Onaylıyor musunuz?"));
        QCOMPARE(uye->recordCount(), left);
        QCOMPARE(m_form->data()->staffCountOfUnit(okul->value("SiraNo")), left);
    }

    void deleteInAUnitWithoutStaffIsRefused()
    {
        m_main->dir().exec("INSERT INTO okul (okul_adi) VALUES ('BOŞ OKUL')");
        okul->requery();
        selectUnit("BOŞ");
        QCOMPARE(uye->recordCount(), 0);
        Answers answers({"Evet", "Evet", "TAMAM"});
        whileOpen(f, [this] { clickNewMember(); }, [&] {
            QTest::mouseClick(tool("ToolButton2"), Qt::LeftButton); // discards the new row
            QCOMPARE(uye->recordCount(), 0);
            QTest::mouseClick(tool("ToolButton2"), Qt::LeftButton);
            closeForm();
        });
        QCOMPARE(answers.count(), 3);
        QCOMPARE(answers.titles.at(2), QStringLiteral("Meltora"));
        QCOMPARE(answers.icons.at(2), QMessageBox::Critical);
        QCOMPARE(uye->recordCount(), 0);
    }

    void tooLongValueIsRefusedAndKept()
    {
        const QString title = QStringLiteral("OKUL MÜDÜR YARDIMCISI"); // 21 characters; the column holds 20
        Answers answers({"TAMAM", "Evet", "TAMAM"});
        whileOpen(f, doubleClickOn("AHMET"), [&] {
            uye->edit();
            uye->setFieldText("unvani", title);
            waitIdle(); // the idle-time refresh enables Save
            QTest::mouseClick(tool("KaydetButton"), Qt::LeftButton);
            QCOMPARE(answers.count(), 1);
            QCOMPARE(answers.titles.at(0), QStringLiteral("Meltora"));
            QCOMPARE(answers.texts.at(0),
                     QStringLiteral("'unvani' alanına girilen değer çok uzun: en fazla 20 karakter olabilir."));
            QCOMPARE(uye->state(), Dataset::State::Edit);
            QCOMPARE(uye->fieldText("unvani"), title);

            // Closing: "Evet" tries the save again; refused, the form stays open on the row.
            closeForm();
            QCOMPARE(answers.count(), 3);
            QCOMPARE(answers.texts.at(1), QStringLiteral("Değişiklikleri kaydetmek istiyor musunuz?"));
            QCOMPARE(answers.titles.at(2), QStringLiteral("Meltora"));
            QVERIFY(f->isVisible());
            QCOMPARE(uye->state(), Dataset::State::Edit);
            QCOMPARE(uye->fieldText("unvani"), title);

            uye->setFieldText("unvani", title.left(20));
            waitIdle(); // the idle-time refresh enables Save
            QTest::mouseClick(tool("KaydetButton"), Qt::LeftButton);
            QCOMPARE(uye->state(), Dataset::State::Browse);
            closeForm();
            QVERIFY(!f->isVisible());
        });
        QCOMPARE(stored("AHMET", "unvani"), title.left(20));
    }

    void warningSoundOnMouseDown_data()
    {
        QTest::addColumn<bool>("sound");
        QTest::addColumn<int>("played");
        QTest::newRow("sound on") << true << 1;
        QTest::newRow("sound off") << false << 0;
    }
    void warningSoundOnMouseDown()
    {
        QFETCH(bool, sound);
        QFETCH(int, played);
        m_form->settings().sound = sound;
        Answers answers({"Hayır"});
        whileOpen(f, doubleClickOn("AHMET"), [&] {
            const int before = warningsound::playCount();
            QTest::mousePress(tool("ToolButton2"), Qt::LeftButton);
            QCOMPARE(warningsound::playCount() - before, played);
            QCOMPARE(answers.count(), 0); // the question comes with the click
            QTest::mouseRelease(tool("ToolButton2"), Qt::LeftButton);
            QCOMPARE(answers.count(), 1);
            QCOMPARE(warningsound::playCount() - before, played);
            closeForm();
        });
        QCOMPARE(uye->recordCount(), 2);
    }

    void f1OpensTheTitleListFromAnyPage_data()
    {
        QTest::addColumn<int>("page");
        for (int page = 0; page < 5; ++page)
            QTest::newRow(qPrintable(QStringLiteral("page %1").arg(page + 1))) << page;
    }
    void f1OpensTheTitleListFromAnyPage()
    {
        QFETCH(int, page);
        Answers list;
        list.click("KAPAT", QStringLiteral("FrmUnvan"));
        whileOpen(f, doubleClickOn("AHMET"), [&] {
            f->pages()->setCurrentIndex(page);
            QWidget *target = f->pages()->currentWidget()->findChildren<QWidget *>().constFirst();
            for (QWidget *w : f->pages()->currentWidget()->findChildren<QWidget *>())
                if (w->focusPolicy() != Qt::NoFocus && (qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w) ||
                                                        qobject_cast<QPlainTextEdit *>(w))) {
                    target = w;
                    break;
                }
            target->setFocus();
            QTest::keyPress(target, Qt::Key_F1);
            QCOMPARE(list.count(), 0); // on the release, not the press
            QTest::keyRelease(target, Qt::Key_F1);
            QCOMPARE(list.count(), 1);
            QCOMPARE(list.titles.first(), QStringLiteral(" Kadro Ünvan Kodları"));
            QCOMPARE(QApplication::activeModalWidget(), f);
            uye->cancel(); // the key-down in "Adı" started an edit
            closeForm();
        });
    }

    void titleButtonOpensTheTitleList()
    {
        Answers list;
        list.click("KAPAT", QStringLiteral("FrmUnvan"));
        whileOpen(f, doubleClickOn("AHMET"), [&] {
            QTest::mouseClick(tool("SpeedButton1"), Qt::LeftButton);
            QCOMPARE(list.count(), 1);
            QVERIFY(f->isVisible());
            closeForm();
        });
    }

    void newMemberShowsAtOnceInTheStaffGrid()
    {
        const int rows = staffGrid()->model()->rowCount();
        whileOpen(f, [this] { clickNewMember(); }, [&] {
            QCOMPARE(staffGrid()->model()->rowCount(), rows + 1);
            typeText(box("adi"), "ali");
            typeText(box("soyadi"), "veli");
            waitIdle();
            QVERIFY(tool("KaydetButton")->isEnabled());
            QTest::mouseClick(tool("KaydetButton"), Qt::LeftButton);
            QCOMPARE(uye->state(), Dataset::State::Browse);
            QCOMPARE(uye->fieldText("Birlestir"), QStringLiteral("ALİ VELİ"));
            const QModelIndex name = staffGrid()->model()->index(uye->recNo() - 1, 0);
            QCOMPARE(name.data().toString(), QStringLiteral("ALİ VELİ"));
            waitIdle();
            QVERIFY(!tool("KaydetButton")->isEnabled());
            closeForm();
        });
        QCOMPARE(staffGrid()->model()->rowCount(), rows + 1);
        QCOMPARE(stored("ALİ", "Birlestir"), QStringLiteral("ALİ VELİ"));
        QCOMPARE(stored("ALİ", "SiraNo"), okul->fieldText("SiraNo"));
        QCOMPARE(stored("ALİ", "calistigi_kurum"), QStringLiteral("GAZİ LİSESİ"));
    }

    void newOnAnotherPageGoesToTheName()
    {
        whileOpen(f, doubleClickOn("AHMET"), [&] {
            f->pages()->setCurrentIndex(3);
            QTest::mouseClick(tool("ToolButton1"), Qt::LeftButton);
            QCOMPARE(f->pages()->currentIndex(), 0);
            QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(box("adi")));
            QCOMPARE(uye->state(), Dataset::State::Insert);
            uye->cancel();
            closeForm();
        });
    }

    void lastPageStaysSelected()
    {
        whileOpen(f, doubleClickOn("AHMET"), [&] {
            f->pages()->setCurrentIndex(4);
            closeForm();
        });
        whileOpen(f, doubleClickOn("O'NEİL"), [&] {
            QCOMPARE(f->pages()->currentIndex(), 4);
            closeForm();
        });
    }

    void mailButtonFollowsTheAddress()
    {
        MailCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &catcher, "open");
        whileOpen(f, doubleClickOn("AHMET"), [&] {
            f->pages()->setCurrentIndex(1);
            waitIdle();
            QVERIFY(!tool("BtnMail")->isEnabled());
            typeText(box("emaili"), "ahmet@okul.tr");
            waitIdle();
            QVERIFY(tool("BtnMail")->isEnabled());
            QTest::mouseClick(tool("BtnMail"), Qt::LeftButton);
            uye->cancel();
            waitIdle();
            QVERIFY(!tool("BtnMail")->isEnabled());
            closeForm();
        });
        QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
        QCOMPARE(catcher.urls, QList<QUrl>({QUrl(QStringLiteral("mailto:ahmet@okul.tr"))}));
    }

    void escapeAndEnterDoNotClose()
    {
        whileOpen(f, doubleClickOn("AHMET"), [&] {
            box("adi")->setFocus();
            QTest::keyClick(box("adi"), Qt::Key_Return);
            QTest::keyClick(box("adi"), Qt::Key_Escape);
            QVERIFY(f->isVisible());
            uye->cancel();
            closeForm();
            QVERIFY(!f->isVisible());
        });
    }
};

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    TestMemberForm test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_memberform.moc"

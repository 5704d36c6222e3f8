// The fixed information form on the real main window, opened from the toolbar or from the
// first-use question, and the program-wide wheel rule.

#include "app/application.h"
#include "app/tform1.h"
#include "toolkit/tsrdbgrid.h"
#include "app/unitbrowser.h"
#include "data/programdir.h"
#include "data/sharedqueries.h"
#include "entry/tsabitbilgi.h"
#include "toolkit/dbcheckbox.h"
#include "toolkit/dbedit.h"
#include "toolkit/warningsound.h"
#include "testsupport.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QWheelEvent>
#include <memory>

namespace {

const QStringList kFixture = {
    "INSERT INTO sabit (Kurum_Adi, sendikasi, ili) VALUES ('MEB', 'EĞİTİM BİR SEN', 'ANKARA')",
    "INSERT INTO yetkili (yetkili_adi) VALUES ('AYŞE KAYA')",
    "INSERT INTO sendikalar (sendikalar, adresi) VALUES ('EĞİTİM BİR SEN', 'ANKARA')",
    "INSERT INTO sendikalar (sendikalar, adresi) VALUES ('TÜRK EĞİTİM SEN', 'KIZILAY')",
    "INSERT INTO sendikalar (sendikalar, adresi) VALUES ('EĞİTİM SEN', 'ÇANKAYA')",
    "INSERT INTO okul (okul_adi) VALUES ('A OKULU'), ('B OKULU'), ('C OKULU'), ('D OKULU'), ('E OKULU'), "
    "('F OKULU')",
};
const QString kKayitsiz = QStringLiteral("<<< KAYITSIZ >>>");
const QStringList kUnionNames = {"EĞİTİM BİR SEN", "TÜRK EĞİTİM SEN", "EĞİTİM SEN"};

} // namespace

class TestFixedInformation : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> m_main;
    TForm1 *m_form = nullptr;
    TSabitBilgi *f = nullptr;
    Dataset *sabit = nullptr;
    Dataset *unions = nullptr;
    Dataset *yetkili = nullptr;

    DBEdit *box(const char *name) { return child<DBEdit>(f, QLatin1String(name)); }
    QToolButton *tool(const char *name) { return child<QToolButton>(f, QLatin1String(name)); }
    QTabWidget *pages() { return child<QTabWidget>(f, "PageControl1"); }
    QLineEdit *editAd() { return child<QLineEdit>(f, "EditAd"); }
    QLabel *logoFrame() { return child<QLabel>(f, "ImageLogo"); }
    QLabel *mainLogo() { return child<QLabel>(m_form->findChild<QWidget *>("PanelSol"), "Image1"); }

    std::function<void()> fromToolbar()
    {
        return [this] {
            auto *bar = m_form->findChild<QToolBar *>("ToolBar1", Qt::FindDirectChildrenOnly);
            QTest::mouseClick(child<QToolButton>(bar, "ToolButton1"), Qt::LeftButton);
        };
    }
    // "Birim/Personel Listesi" while the fixed information is incomplete, answered "Evet".
    std::function<void()> fromFirstUseQuestion(Answers *answers)
    {
        return [this, answers] {
            m_main->click("BitBtn1");
            QCOMPARE(answers->texts.value(0),
                     QStringLiteral("SABİT BİLGİLER veya SENDİKA İSİMLERİ  düzenlenmemiş. Şimdi düzenlensin mi?"));
        };
    }
    void closeForm() { QTest::mouseClick(child<QPushButton>(f, "BitBtn1"), Qt::LeftButton); }
    // Replaces the text of a box as the user does: select all, erase, type.
    void retype(QLineEdit *edit, const QString &text)
    {
        edit->setFocus(Qt::MouseFocusReason);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        typeText(edit, text);
    }
    int storedRows(const char *table)
    {
        Dataset *d = QLatin1String(table) == QLatin1String("sabit")      ? sabit
                     : QLatin1String(table) == QLatin1String("yetkili") ? yetkili
                                                                          : unions;
        d->requery();
        return d->recordCount();
    }
    QString stored(Dataset *d, const char *column)
    {
        d->requery();
        return d->isEmpty() ? QStringLiteral("<none>") : d->fieldText(QLatin1String(column));
    }
    // A logo file in the folder "Logo": a PNG or an SVG picture, or a file that is none.
    QString logoFile(const QString &name)
    {
        QDir(m_main->dir().path()).mkpath("Logo");
        const QString path = QDir(ProgramDir::file("Logo")).filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        if (name.endsWith(".svg")) {
            file.write("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"40\" height=\"40\">"
                       "<circle cx=\"20\" cy=\"20\" r=\"18\" fill=\"red\"/></svg>");
        } else if (name.startsWith("bozuk")) {
            file.write("bu bir resim değil");
        } else {
            file.close();
            QImage image(16, 16, QImage::Format_RGB32);
            image.fill(Qt::red);
            image.save(path, "PNG");
        }
        return path;
    }

private Q_SLOTS:
    void initTestCase() { quietOffscreenWarnings(); }
    void init()
    {
        m_main = std::make_unique<MainWindowFixture>(kFixture);
        m_form = m_main->start(MainWindowFixture::Windows::All);
        f = m_form->findChild<TSabitBilgi *>();
        QVERIFY(f);
        sabit = m_form->data()->QuerySabit;
        unions = m_form->data()->QSendika;
        yetkili = m_form->data()->QYetkili;
    }
    void cleanup()
    {
        if (f && f->isVisible())
            f->hide();
        m_main.reset();
    }

    void formAsTheUserMeetsIt()
    {
        whileOpen(f, fromToolbar(), [&] {
            QCOMPARE(f->windowTitle(), QStringLiteral("  Sabit Bilgiler"));
            QVERIFY(f->windowFlags() & Qt::Tool);
            QCOMPARE(pages()->count(), 3);
            QCOMPARE(pages()->tabText(0), QStringLiteral(" Sabit Bilgiler "));
            QCOMPARE(pages()->tabText(1), QStringLiteral(" Sendikalar "));
            QCOMPARE(pages()->tabText(2), QStringLiteral(" Program Sorumlusu / LOGO "));
            QTRY_COMPARE(QApplication::focusWidget(), box("DBEdit3"));
            QCOMPARE(box("DBEdit3")->text(), QStringLiteral("MEB"));
            QCOMPARE(box("DBEdit3")->characterLimit(), 26);
            QCOMPARE(box("DBEdit6")->characterLimit(), 2);
            QCOMPARE(editAd()->focusPolicy(), Qt::ClickFocus);
            QVERIFY(editAd()->font().bold());
            QCOMPARE(child<QWidget>(f, "DBCheckBox8")->focusPolicy(), Qt::ClickFocus);
            QCOMPARE(tool("SpeedButton1")->toolTip(), QStringLiteral("Açıklama (F1)"));
            QCOMPARE(tool("SpeedButton1")->statusTip(), QStringLiteral("Hizmet kolu ve Kurum Kodu hakkında açıklama"));
            closeForm();
            QVERIFY(!f->isVisible());
        });
    }

    // The Tab key goes from the last box of the first page to "TAMAM": the tool buttons are
    // pressed with the mouse and are no stops.
    void tabPassesTheToolButtonsBy()
    {
        whileOpen(f, fromToolbar(), [&] {
            auto *lastTick = child<QWidget>(f, "DBCheckBox7");
            lastTick->setFocus(Qt::MouseFocusReason);
            QTest::keyClick(lastTick, Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("BitBtn1"));
            closeForm();
        });
    }

    // The long hints of the form's controls show in the main window's status bar.
    void hintsShowInTheMainStatusBar()
    {
        whileOpen(f, fromToolbar(), [&] {
            hoverOver(tool("SpeedButton1"));
            QCOMPARE(m_form->statusPanel(3)->text(),
                     QStringLiteral(" Hizmet kolu ve Kurum Kodu hakkında açıklama"));
            pages()->setCurrentIndex(2);
            hoverOver(tool("ToolButton11"));
            QCOMPARE(m_form->statusPanel(3)->text(), QStringLiteral(" Logo Yükle"));
            closeForm();
        });
    }

    void closeAsksPerTableInOrder_data()
    {
        QTest::addColumn<QStringList>("changed");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QStringList>("questions");
        QTest::addColumn<bool>("saved");
        const QString sabitQ = QStringLiteral("Sabit bilgilerdeki değişiklikleri kaydetmek istiyor musunuz?");
        const QString unionQ = QStringLiteral("Sendika bilgilerindeki değişiklikleri kaydetmek istiyor musunuz?");
        const QString yetkiliQ = QStringLiteral("Program yetkilisi değişikliklerini kaydetmek istiyor musunuz?");
        const QStringList all = {"yetkili", "sendikalar", "sabit"}; // changed in the other order
        QTest::newRow("all three, Evet") << all << "Evet" << QStringList({sabitQ, unionQ, yetkiliQ}) << true;
        QTest::newRow("all three, Hayır") << all << "Hayır" << QStringList({sabitQ, unionQ, yetkiliQ}) << false;
        QTest::newRow("unions only") << QStringList({"sendikalar"}) << "Evet" << QStringList({unionQ}) << true;
        QTest::newRow("nothing changed") << QStringList() << "Evet" << QStringList() << false;
    }
    void closeAsksPerTableInOrder()
    {
        QFETCH(QStringList, changed);
        QFETCH(QString, answer);
        QFETCH(QStringList, questions);
        QFETCH(bool, saved);
        Answers answers({answer, answer, answer});
        whileOpen(f, fromToolbar(), [&] {
            for (const QString &table : changed) {
                if (table == "sabit") {
                    pages()->setCurrentIndex(0);
                    retype(box("DBEdit3"), "milli eğitim");
                } else if (table == "sendikalar") {
                    pages()->setCurrentIndex(1);
                    QTest::mouseClick(tool("ToolButton10"), Qt::LeftButton);
                    typeText(box("DBEdit10"), "yeni sen");
                } else {
                    pages()->setCurrentIndex(2);
                    retype(box("DBEdit1"), "mert can");
                }
            }
            closeForm();
            QCOMPARE(answers.texts, questions);
            for (int i = 0; i < answers.count(); ++i) {
                QCOMPARE(answers.titles.at(i), QStringLiteral("Dikkat !"));
                QCOMPARE(answers.icons.at(i), QMessageBox::NoIcon);
            }
            QVERIFY(!f->isVisible());
        });
        for (Dataset *d : {sabit, unions, yetkili})
            QCOMPARE(d->state(), Dataset::State::Browse);
        const bool all = changed.size() == 3;
        QCOMPARE(stored(sabit, "Kurum_Adi"), QString(all && saved ? "MİLLİ EĞİTİM" : "MEB"));
        QCOMPARE(stored(yetkili, "yetkili_adi"), QString(all && saved ? "Mert Can" : "AYŞE KAYA"));
        QCOMPARE(storedRows("sendikalar"), changed.contains("sendikalar") && saved ? 4 : 3);
    }

    void unionListsRebuiltOnClosing_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("addresses");
        QTest::newRow("a union added") << "add" << (kUnionNames + QStringList{"YENİ SEN"})
                                       << QStringList({"ANKARA", "KIZILAY", "ÇANKAYA", "İSTANBUL"});
        QTest::newRow("a union deleted") << "delete" << QStringList({"TÜRK EĞİTİM SEN", "EĞİTİM SEN"})
                                         << QStringList({"KIZILAY", "ÇANKAYA"});
        QTest::newRow("nothing changed") << "none" << kUnionNames << QStringList({"ANKARA", "KIZILAY", "ÇANKAYA"});
    }
    void unionListsRebuiltOnClosing()
    {
        QFETCH(QString, change);
        QFETCH(QStringList, names);
        QFETCH(QStringList, addresses);
        QComboBox *colourSlots = m_form->colourSlotList();
        QComboBox *filter = child<QComboBox>(m_form, "CbAra");
        QComboBox *picker = child<QComboBox>(m_form, "DBComboBox1");
        QComboBox *pickerAddresses = child<QComboBox>(m_form, "CbSendikaAdres");
        const QStringList before = QStringList{kKayitsiz} + kUnionNames;
        QCOMPARE(itemTexts(colourSlots), before);

        Answers answers({"Evet", "Evet"});
        whileOpen(f, fromToolbar(), [&] {
            pages()->setCurrentIndex(1);
            if (change == "add") {
                QTest::mouseClick(tool("ToolButton10"), Qt::LeftButton);
                QCOMPARE(QApplication::focusWidget(), box("DBEdit10"));
                typeText(box("DBEdit10"), "yeni sen");
                typeText(box("DBEdit11"), "istanbul");
                waitIdle();
                QTest::mouseClick(tool("ToolButton7"), Qt::LeftButton); // Kaydet
            } else if (change == "delete") {
                QTest::mouseClick(tool("ToolButton8"), Qt::LeftButton);
                QCOMPARE(answers.texts.value(0),
                         QStringLiteral("'EĞİTİM BİR SEN' adlı sendika silinecek. Onaylıyor musunuz?"));
            }
            // Union changes reach the lists only when the form closes.
            QCOMPARE(itemTexts(colourSlots), before);
            closeForm();
        });
        QCOMPARE(itemTexts(colourSlots), QStringList{kKayitsiz} + names);
        QCOMPARE(itemTexts(picker), QStringList{kKayitsiz} + names);
        QCOMPARE(itemTexts(pickerAddresses), QStringList{kKayitsiz} + addresses);
        QCOMPARE(itemTexts(filter), QStringList({"Tümünü Göster", "Sendikasızları Göster"}) + names);
        QVERIFY(unions->eof()); // the walk leaves the union query after its last row
    }

    void programNameAndCaptionOnClosing()
    {
        m_form->setProgramName("MELTORA");
        whileOpen(f, fromToolbar(), [&] {
            QCOMPARE(editAd()->text(), QStringLiteral("MELTORA"));
            retype(editAd(), "okul sendikası");
            QCOMPARE(editAd()->text(), QStringLiteral("OKUL SENDİKASI"));
            pages()->setCurrentIndex(2);
            retype(box("DBEdit1"), "mert can");
            Answers answers({"Evet"});
            closeForm();
            QCOMPARE(answers.count(), 1);
        });
        QCOMPARE(child<QLabel>(m_form, "Label67")->text(), QStringLiteral("OKUL SENDİKASI"));
        QCOMPARE(child<QLabel>(m_form, "Label68")->text(), QStringLiteral("OKUL SENDİKASI"));
        QCOMPARE(m_form->windowTitle(), QStringLiteral("OKUL SENDİKASI 2.0 - Mert Can"));
    }

    // Line breaks pasted into the program name never reach the settings file as lines of
    // their own, which would be read as keys and sections at the next start.
    void pastedLineBreaksStayOutOfTheSettingsFile()
    {
        QGuiApplication::clipboard()->setText(QStringLiteral("OKUL\r\n[Alanlar]\r\n02=0\nSENDİKASI"));
        whileOpen(f, fromToolbar(), [&] {
            editAd()->setFocus(Qt::MouseFocusReason);
            editAd()->selectAll();
            QTest::keyClick(editAd(), Qt::Key_V, Qt::ControlModifier);
            closeForm();
        });
        m_main->closeAnswering("Hayır"); // writes the settings file
        const QByteArray written = fileBytes(m_main->dir().settingsPath());
        QVERIFY(written.contains("\r\nProgram=OKUL[Alanlar]02=0SEND\xDDKASI\r\n"));
        QCOMPARE(written.count("[Alanlar]\r\n"), 1);

        m_form = m_main->start(MainWindowFixture::Windows::All); // the next start reads it
        f = m_form->findChild<TSabitBilgi *>();
        QVERIFY(m_form->settings().fieldFlags[1]); // "02" of the real "Alanlar" is still 1
        QCOMPARE(m_form->settings().programName, QStringLiteral("OKUL[Alanlar]02=0SENDİKASI"));
    }

    void openingFromToolbarOrFirstUse_data()
    {
        QTest::addColumn<bool>("toolbar");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("unionRow");
        QTest::newRow("toolbar: first page, first union") << true << 0 << 1;
        QTest::newRow("first-use question: as it was left") << false << 2 << 3;
    }
    void openingFromToolbarOrFirstUse()
    {
        QFETCH(bool, toolbar);
        QFETCH(int, page);
        QFETCH(int, unionRow);
        if (!toolbar)
            sabit->remove(); // makes "Birim/Personel Listesi" ask
        m_form->setProgramName("KAYITLI AD");
        pages()->setCurrentIndex(2);
        unions->last();
        Answers answers({"Evet"});
        whileOpen(f, toolbar ? fromToolbar() : fromFirstUseQuestion(&answers), [&] {
            QCOMPARE(pages()->currentIndex(), page);
            QCOMPARE(unions->recNo(), unionRow);
            // The name in use, never the built-in default that would replace it on closing.
            QCOMPARE(editAd()->text(), QStringLiteral("KAYITLI AD"));
            QCOMPARE(child<QLabel>(f, "Label15")->isVisible(), page == 1);
            closeForm();
        });
        QCOMPARE(answers.count(), toolbar ? 0 : 1);
        QCOMPARE(m_form->programName(), QStringLiteral("KAYITLI AD"));
    }

    void deleteAsksPerPage_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("question");
        QTest::addColumn<int>("left");
        const QString sabitQ = QStringLiteral(
            "'EĞİTİM BİR SEN' ile ilgili sabit bilgiler silinecek. ONAYLIYOR MUSUNUZ?\n\n"
            "Bilgilerin silinmesi form çıktılarında hatalara neden olacağından tekrar girmeyi unutmayınız !");
        const QString unionQ = QStringLiteral("'EĞİTİM BİR SEN' adlı sendika silinecek. Onaylıyor musunuz?");
        const QString yetkiliQ =
            QStringLiteral("'AYŞE KAYA' adlı program yetkilisine ait bilgiler silinecek. Onaylıyor musunuz?");
        QTest::newRow("fixed information") << 0 << "ToolButton2" << "sabit" << "Evet" << sabitQ << 0;
        QTest::newRow("union") << 1 << "ToolButton8" << "sendikalar" << "Evet" << unionQ << 2;
        QTest::newRow("program authority") << 2 << "ToolButton5" << "yetkili" << "Evet" << yetkiliQ << 0;
        QTest::newRow("union, Hayır") << 1 << "ToolButton8" << "sendikalar" << "Hayır" << unionQ << 3;
    }
    void deleteAsksPerPage()
    {
        QFETCH(int, page);
        QFETCH(QString, button);
        QFETCH(QString, table);
        QFETCH(QString, answer);
        QFETCH(QString, question);
        QFETCH(int, left);
        m_form->settings().sound = true;
        Answers answers({answer});
        whileOpen(f, fromToolbar(), [&] {
            pages()->setCurrentIndex(page);
            const int sounds = warningsound::playCount();
            QTest::mousePress(tool(qPrintable(button)), Qt::LeftButton);
            QCOMPARE(warningsound::playCount() - sounds, 1);
            QTest::mouseRelease(tool(qPrintable(button)), Qt::LeftButton);
            QCOMPARE(answers.count(), 1);
            QCOMPARE(answers.titles.at(0), QStringLiteral("Dikkat !"));
            QCOMPARE(answers.icons.at(0), QMessageBox::Warning);
            QCOMPARE(answers.texts.at(0), question);
            if (table == "sendikalar")
                QCOMPARE(child<QLabel>(f, "Label15")->text(), QString::number(left));
            closeForm();
        });
        QCOMPARE(storedRows(qPrintable(table)), left);
    }

    void firstKeystrokeStartsTheRowOfAnEmptyTable_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("save");
        QTest::newRow("fixed information box") << "sabit" << 0 << "DBEdit3" << "ToolButton1";
        QTest::newRow("fixed information tick box") << "sabit" << 0 << "DBCheckBox1" << "ToolButton1";
        QTest::newRow("program authority box") << "yetkili" << 2 << "DBEdit2" << "ToolButton4";
        QTest::newRow("program authority tick box") << "yetkili" << 2 << "DBCheckBox9" << "ToolButton4";
    }
    void firstKeystrokeStartsTheRowOfAnEmptyTable()
    {
        QFETCH(QString, table);
        QFETCH(int, page);
        QFETCH(QString, control);
        QFETCH(QString, save);
        Dataset *d = table == "sabit" ? sabit : yetkili;
        d->remove();
        QVERIFY(d->isEmpty());
        whileOpen(f, fromToolbar(), [&] {
            // Decided when the form shows: no fixed information, nothing to delete.
            QCOMPARE(tool("ToolButton2")->isEnabled(), table != "sabit");
            pages()->setCurrentIndex(page);
            QWidget *w = child<QWidget>(f, control);
            if (auto *edit = qobject_cast<DBEdit *>(w)) {
                edit->setFocus(Qt::MouseFocusReason);
                typeText(edit, "a");
            } else {
                QTest::mouseClick(w, Qt::LeftButton);
                QVERIFY(static_cast<DBCheckBox *>(w)->isChecked());
            }
            QCOMPARE(d->state(), Dataset::State::Insert);
            QCOMPARE(f->focusedDataset(), d);
            waitIdle();
            QVERIFY(tool(qPrintable(save))->isEnabled());
            // The program name is bound to no table: nothing to save while it has the focus.
            editAd()->setFocus(Qt::MouseFocusReason);
            waitIdle();
            QVERIFY(!tool("ToolButton1")->isEnabled());
            w->setFocus(Qt::MouseFocusReason);
            waitIdle();
            QTest::mouseClick(tool(qPrintable(save)), Qt::LeftButton);
            QCOMPARE(d->state(), Dataset::State::Browse);
            closeForm();
        });
        QCOMPARE(storedRows(qPrintable(table)), 1);
    }

    void unionCountOnTheUnionPageOnly()
    {
        whileOpen(f, fromToolbar(), [&] {
            QLabel *count = child<QLabel>(f, "Label15");
            QLabel *caption = child<QLabel>(f, "Label14");
            QCOMPARE(caption->text(), QStringLiteral("Sendika Sayısı :"));
            QVERIFY(!count->isVisible());
            QVERIFY(!caption->isVisible());
            pages()->setCurrentIndex(1);
            QVERIFY(count->isVisible());
            QVERIFY(caption->isVisible());
            QCOMPARE(count->text(), QStringLiteral("3"));
            QTest::mouseClick(tool("ToolButton10"), Qt::LeftButton);
            typeText(box("DBEdit10"), "yeni sen");
            QCOMPARE(count->text(), QStringLiteral("3")); // not stored yet
            waitIdle();
            QTest::mouseClick(tool("ToolButton7"), Qt::LeftButton);
            QCOMPARE(count->text(), QStringLiteral("4"));
            pages()->setCurrentIndex(2);
            QVERIFY(!count->isVisible());
            closeForm();
        });
    }

    void loadingTheLogo_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("emptyTable");
        QTest::addColumn<bool>("picture"); // the file is loaded as the logo
        QTest::newRow("unreadable file") << "bozuk.png" << false << false;
        QTest::newRow("picture") << "logo.png" << false << true;
        QTest::newRow("picture, no program authority yet") << "logo.png" << true << true;
        QTest::newRow("SVG drawing") << "logo.svg" << false << true;
        // Longer than the 100 characters the column holds.
        QTest::newRow("path too long to store") << QString(90, 'L') + ".png" << false << false;
    }
    void loadingTheLogo()
    {
        QFETCH(QString, file);
        QFETCH(bool, emptyTable);
        QFETCH(bool, picture);
        if (emptyTable)
            yetkili->remove();
        const QString path = logoFile(file);
        // The picture dialog: where it opened and what it offered are kept.
        bool picked = false;
        QString directory;
        QStringList filters;
        Answers answers;
        answers.on("OpenPictureDialog1", [&](QWidget *window) {
            auto *dialog = static_cast<QFileDialog *>(window);
            picked = true;
            directory = dialog->directory().absolutePath();
            filters = dialog->nameFilters();
            chooseInFileDialog(dialog, path); // then the dialog's own "Aç"
        });
        answers.click("TAMAM");
        whileOpen(f, fromToolbar(), [&] {
            pages()->setCurrentIndex(2);
            QTest::mouseClick(tool("ToolButton11"), Qt::LeftButton);
            QVERIFY(picked);
            QCOMPARE(directory, QDir(ProgramDir::file("Logo")).absolutePath());
            const QString offered = filters.join(' ');
            for (const char *pattern : {"*.bmp", "*.ico", "*.jpg", "*.jpeg", "*.png", "*.svg"})
                QVERIFY2(offered.contains(QLatin1String(pattern)), pattern);
            if (picture) {
                QCOMPARE(answers.count(), 0);
                QVERIFY(!logoFrame()->pixmap().isNull());
            } else {
                QCOMPARE(answers.count(), 1);
                QCOMPARE(answers.titles.at(0), QStringLiteral("Meltora"));
                QCOMPARE(answers.texts.at(0), QStringLiteral("Geçersiz resim formatı."));
                QVERIFY(logoFrame()->pixmap().isNull());
            }
            QCOMPARE(yetkili->state(), Dataset::State::Browse);
            closeForm();
        });
        QCOMPARE(storedRows("yetkili"), emptyTable && !picture ? 0 : 1);
        QCOMPARE(stored(yetkili, "logo"), picture ? path : QString());
        if (emptyTable && picture)
            QCOMPARE(stored(yetkili, "yetkili_adi"), QString());
        // The main window shows the logo from the moment the form closes.
        QCOMPARE(mainLogo()->pixmap().isNull(), !picture);
    }

    void clearingTheLogo()
    {
        const QString path = logoFile("logo.png");
        yetkili->edit();
        yetkili->setFieldText("logo", path);
        yetkili->post();
        m_form->loadLogo();
        QVERIFY(!mainLogo()->pixmap().isNull());
        whileOpen(f, fromToolbar(), [&] {
            pages()->setCurrentIndex(2);
            QVERIFY(!logoFrame()->pixmap().isNull()); // the main window's picture, on showing
            QTest::mouseClick(tool("ToolButton12"), Qt::LeftButton);
            QVERIFY(logoFrame()->pixmap().isNull());
            QVERIFY(!mainLogo()->pixmap().isNull()); // until the form closes
            closeForm();
        });
        QCOMPARE(stored(yetkili, "logo"), QString());
        QCOMPARE(stored(yetkili, "yetkili_adi"), QStringLiteral("AYŞE KAYA"));
        QVERIFY(mainLogo()->pixmap().isNull());
    }

    void codeListFromF1AndItsButton_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<bool>("button");
        QTest::newRow("F1 on the first page") << 0 << "DBEdit7" << false;
        QTest::newRow("F1 on the union page") << 1 << "DBEdit11" << false;
        QTest::newRow("F1 on the authority page") << 2 << "DBEdit1" << false;
        QTest::newRow("button beside Kurum Kodu") << 0 << "DBEdit7" << true;
    }
    void codeListFromF1AndItsButton()
    {
        QFETCH(int, page);
        QFETCH(QString, focus);
        QFETCH(bool, button);
        Answers list;
        list.click("KAPAT", QStringLiteral("FrmKod"));
        whileOpen(f, fromToolbar(), [&] {
            pages()->setCurrentIndex(page);
            box(qPrintable(focus))->setFocus();
            if (button) {
                QTest::mouseClick(tool("SpeedButton1"), Qt::LeftButton);
            } else {
                QTest::keyPress(box(qPrintable(focus)), Qt::Key_F1);
                QCOMPARE(list.count(), 0); // on release, not on press
                QTest::keyRelease(box(qPrintable(focus)), Qt::Key_F1);
            }
            QCOMPARE(list.count(), 1);
            QCOMPARE(list.title(), QStringLiteral("Eğitim, Öğretim ve Bilim Hizmetleri "));
            QVERIFY(f->isVisible());
            closeForm();
        });
    }

    void wheelMovesTheFocusedGridOneRowPerEvent_data()
    {
        QTest::addColumn<QList<int>>("deltas");
        QTest::addColumn<bool>("overOtherGrid");
        QTest::addColumn<int>("row");
        QTest::newRow("one notch away from the user") << QList<int>{120} << false << 2;
        QTest::newRow("one notch towards the user") << QList<int>{-120} << false << 4;
        QTest::newRow("a large turn is one row") << QList<int>{-360} << false << 4;
        QTest::newRow("high-resolution steps, one row each") << QList<int>{-15, -15, -15} << false << 6;
        QTest::newRow("back and forth") << QList<int>{120, -120, -120} << false << 4;
        QTest::newRow("mouse over the staff grid") << QList<int>{-120, -120} << true << 5;
    }
    void wheelMovesTheFocusedGridOneRowPerEvent()
    {
        QFETCH(QList<int>, deltas);
        QFETCH(bool, overOtherGrid);
        QFETCH(int, row);
        m_main->click("BitBtn1");
        Dataset *okul = m_form->data()->QueryOkul;
        TSrDBGrid *units = m_form->unitBrowser()->unitGrid();
        TSrDBGrid *staff = m_form->unitBrowser()->staffGrid();
        okul->setRecNo(3);
        units->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), units);
        QWidget *under = overOtherGrid ? staff->viewport() : units->viewport();
        const QPointF at = QPointF(under->rect().center());
        for (int delta : deltas) {
            QWheelEvent wheel(at, under->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(under, &wheel);
        }
        QCOMPARE(okul->recNo(), row);
        QCOMPARE(QApplication::focusWidget(), units);
    }
};

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    TestFixedInformation test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_fixedinformation.moc"

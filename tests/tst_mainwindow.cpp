// The main window as the user meets it: start-up on a real database, the information
// screen, the two browser commands, hints, the general error handler and closing.

#include "app/application.h"
#include "toolkit/idlerefresh.h"
#include "app/tform1.h"
#include "data/database.h"
#include "data/dberror.h"
#include "data/inifile.h"
#include "data/settings.h"
#include "data/sharedqueries.h"
#include "testsupport.h"

#include <QAction>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QStatusTipEvent>
#include <QTest>
#include <QToolButton>
#include <QElapsedTimer>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

const QStringList kFixedRows = {
    "INSERT INTO sabit (Kurum_Adi, sendikasi) VALUES ('MİLLİ EĞİTİM', 'EĞİTİM BİR SEN')",
    "INSERT INTO yetkili (yetkili_adi, sendikal_gorevi) VALUES ('AYŞE KAYA', 'TEMSİLCİ')",
};
const QStringList kUnions = {
    "INSERT INTO sendikalar (sendikalar, adresi) VALUES ('TÜRK EĞİTİM SEN', 'ANKARA')",
    "INSERT INTO sendikalar (sendikalar, adresi) VALUES ('EĞİTİM SEN', 'İZMİR')",
};
const QStringList kStaff = {
    "INSERT INTO okul (okul_adi) VALUES ('ATATÜRK İLKOKULU')",
    "INSERT INTO okul (okul_adi) VALUES ('GAZİ LİSESİ')",
    "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir) VALUES (1, 'ALİ', 'ŞEN', 'ALİ ŞEN')",
    "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir) VALUES (1, 'ZEYNEP', 'AK', 'ZEYNEP AK')",
    "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir) VALUES (2, 'CEM', 'AY', 'CEM AY')",
};

bool visibleIn(QWidget *w)
{
    return !w->isHidden();
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindowFixture> m_main;

    TForm1 *start()
    {
        TForm1 *form = m_main->start(MainWindowFixture::Windows::MainOnly);
        form->idleRefresh()->run();
        return form;
    }
    TestProgramDir &dir() { return m_main->dir(); }

private Q_SLOTS:
    void initTestCase() { quietOffscreenWarnings(); }
    void init() { m_main = std::make_unique<MainWindowFixture>(); }
    void cleanup() { m_main.reset(); }

    void startShowsTheInformationScreen()
    {
        dir().exec(kFixedRows + kUnions + kStaff);
        TForm1 *form = start();
        QCOMPARE(form->windowTitle(), QStringLiteral("MELTORA 2.0 - AYŞE KAYA"));
        QCOMPARE(child<QLabel>(form, "Label67")->text(), QStringLiteral("MELTORA"));
        QCOMPARE(child<QLabel>(form, "Label68")->text(), QStringLiteral("MELTORA"));
        QCOMPARE(child<QLabel>(form, "DBTextSendika")->text(), QStringLiteral("EĞİTİM BİR SEN"));
        QCOMPARE(child<QLabel>(form, "DBTextYetkili")->text(), QStringLiteral("AYŞE KAYA"));
        QCOMPARE(child<QLabel>(form, "DBTextGorevi")->text(), QStringLiteral("TEMSİLCİ"));
        for (int row = 1; row <= 4; ++row) {
            QVERIFY(visibleIn(child<QLabel>(form, qPrintable(QStringLiteral("LabelBaslik%1").arg(row)))));
            QVERIFY(visibleIn(child<QLabel>(form, qPrintable(QStringLiteral("LabelIkiNokta%1").arg(row)))));
        }
        QVERIFY(!visibleIn(form->panelKurum()));
        QVERIFY(!visibleIn(form->panelPersonel()));

        const QString today =
            QLocale(QLocale::Turkish, QLocale::Turkey).toString(QDate::currentDate(), "d MMMM yyyy - dddd");
        QCOMPARE(child<QLabel>(form, "Label65")->text(), today);
        QCOMPARE(child<QLabel>(form, "Label66")->text(), today);

        // Counts come from the queries' events while they open.
        QCOMPARE(form->statusPanel(0)->text(), QStringLiteral(" Kayıtlı Birim: 2"));
        QCOMPARE(form->statusPanel(1)->text(), QStringLiteral(" Birim/Personel Sayısı: 2"));
        QCOMPARE(form->statusPanel(2)->text(), QStringLiteral(" Toplam Kayıtlı Personel: 3"));
        QCOMPARE(form->labelPersonel()->text(), QStringLiteral("3"));
    }

    void emptyValuesHideTheirRows()
    {
        dir().exec(QStringLiteral("INSERT INTO yetkili (yetkili_adi, sendikal_gorevi) VALUES (NULL, 'ÜYE')"));
        TForm1 *form = start();
        QCOMPARE(form->windowTitle(), QStringLiteral("MELTORA 2.0 - "));
        QVERIFY(visibleIn(child<QLabel>(form, "LabelBaslik1")));
        QVERIFY(!visibleIn(child<QLabel>(form, "LabelBaslik2")));
        QVERIFY(!visibleIn(child<QLabel>(form, "LabelBaslik2Golge")));
        QVERIFY(!visibleIn(child<QLabel>(form, "LabelIkiNokta3")));
        QVERIFY(visibleIn(child<QLabel>(form, "LabelBaslik4")));

        // The rules follow the data at the next idle moment.
        form->data()->QYetkili->edit();
        form->data()->QYetkili->setFieldText("yetkili_adi", "MERT CAN");
        form->data()->QYetkili->post();
        waitIdle();
        QVERIFY(visibleIn(child<QLabel>(form, "LabelBaslik3")));
        form->setProgramName(QString());
        waitIdle();
        QVERIFY(!visibleIn(child<QLabel>(form, "LabelIkiNokta1")));
    }

    void unionListsFilledInTableOrder()
    {
        dir().exec(kFixedRows + kUnions);
        TForm1 *form = start();
        QComboBox *slots_ = form->colourSlotList();
        QCOMPARE(slots_->count(), 3);
        QCOMPARE(slots_->itemText(0), QStringLiteral("<<< KAYITSIZ >>>"));
        QCOMPARE(slots_->itemText(1), QStringLiteral("TÜRK EĞİTİM SEN"));
        QCOMPARE(slots_->itemText(2), QStringLiteral("EĞİTİM SEN"));

        QComboBox addresses;
        form->registerUnionList(&addresses, {"<<< KAYITSIZ >>>"}, true);
        form->rebuildUnionLists();
        QCOMPARE(slots_->count(), 3);
        QCOMPARE(addresses.itemText(2), QStringLiteral("İZMİR"));
    }

    void firstUseQuestion_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<bool>("asks");
        QTest::newRow("empty sabit") << kUnions << true;
        QTest::newRow("no unions") << kFixedRows << true;
        QTest::newRow("both filled") << (kFixedRows + kUnions) << false;
    }
    void firstUseQuestion()
    {
        QFETCH(QStringList, rows);
        QFETCH(bool, asks);
        dir().exec(rows);
        TForm1 *form = start();
        for (int attempt = 0; attempt < 2; ++attempt) {
            Answers no({"Hayır"});
            QTest::mouseClick(child<QPushButton>(form, "BitBtn1"), Qt::LeftButton);
            QCOMPARE(no.done(), asks);
            if (asks) {
                QCOMPARE(no.title(), QStringLiteral(" Meltora"));
                QCOMPARE(no.text(), QStringLiteral("SABİT BİLGİLER veya SENDİKA İSİMLERİ  düzenlenmemiş. "
                                                   "Şimdi düzenlensin mi?"));
            }
            QVERIFY(visibleIn(form->panelKurum()));
            QVERIFY(!visibleIn(form->panelPersonel()));
        }
    }

    void firstUseQuestionOpensTheFixedInformationForm()
    {
        TForm1 *form = start();
        int opened = 0;
        form->setFixedInformationForm([&](bool) { ++opened; });
        QVERIFY(child<QToolButton>(form, "ToolButton1")->isEnabled());
        Answers yes({"Evet"});
        QTest::mouseClick(child<QPushButton>(form, "BitBtn1"), Qt::LeftButton);
        QVERIFY(yes.done());
        QCOMPARE(opened, 1);
        QVERIFY(visibleIn(form->panelKurum()));
    }

    // The commands done by other windows are unavailable until the window hands its work
    // over; then every control of the command runs it.
    void commandsRunTheWorkOfTheirWindow()
    {
        TForm1 *form = start();
        auto vtItem = [&](const char *name) { return child<QAction>(form, name); };
        QAction *backup = vtItem("VeritabannYedekle1");
        QToolButton *settings = child<QToolButton>(form, "ToolButton2");
        QPushButton *blankForm = child<QPushButton>(form, "BitBtn3");
        QVERIFY(!backup->isEnabled());
        QVERIFY(!settings->isEnabled());
        QVERIFY(!blankForm->isEnabled());

        QStringList ran;
        form->setCommand(Command::Backup, [&] { ran << "backup"; });
        form->setCommand(Command::GeneralSettings, [&] { ran << "settings"; });
        form->setCommand(Command::BlankMembershipForm, [&] { ran << "blank"; });
        form->setCommand(Command::About, [&] { ran << "about"; });
        QVERIFY(backup->isEnabled());
        QVERIFY(settings->isEnabled());
        QVERIFY(blankForm->isEnabled());
        QVERIFY(!vtItem("VeritabannOnar1")->isEnabled());

        backup->trigger();
        QTest::mouseClick(settings, Qt::LeftButton);
        QTest::mouseClick(blankForm, Qt::LeftButton);
        child<QAction>(form, "Hakknda1")->trigger();
        QCOMPARE(ran, QStringList({"backup", "settings", "blank", "about"}));
    }

    // F1 released anywhere in the window opens help, once per release.
    void f1OpensHelp()
    {
        TForm1 *form = start();
        int opened = 0;
        form->setCommand(Command::Help, [&] { ++opened; });
        QWidget *search = child<QPushButton>(form, "BitBtn2");
        search->setFocus();
        QTest::keyRelease(search, Qt::Key_F1);
        QCOMPARE(opened, 1);
        QWidget *other = child<QPushButton>(form, "BitBtn1");
        other->setFocus();
        QTest::keyRelease(other, Qt::Key_F1);
        QCOMPARE(opened, 2);
        QTest::keyRelease(search, Qt::Key_F2);
        QCOMPARE(opened, 2);
    }

    void memberBrowserReopensAllStaff()
    {
        dir().exec(kFixedRows + kUnions + kStaff);
        TForm1 *form = start();
        Dataset *personel = form->data()->QueryPersonel;
        personel->close();
        personel->setSql("SELECT * FROM uyeler WHERE adi Like 'CEM'");
        personel->open();
        QCOMPARE(form->labelPersonel()->text(), QStringLiteral("1"));

        QTest::mouseClick(child<QPushButton>(form, "BitBtn2"), Qt::LeftButton);
        QCOMPARE(personel->sql(), QStringLiteral("SELECT * FROM uyeler Order By adi"));
        QCOMPARE(personel->recordCount(), 3);
        QCOMPARE(personel->fieldText("adi"), QStringLiteral("ALİ"));
        QCOMPARE(form->labelPersonel()->text(), QStringLiteral("3"));
        QVERIFY(visibleIn(form->panelPersonel()));
        QVERIFY(!visibleIn(form->panelKurum()));

        Answers yes({"Evet"});
        QTest::mouseClick(child<QPushButton>(form, "BitBtn1"), Qt::LeftButton);
        QVERIFY(visibleIn(form->panelKurum()));
        QVERIFY(!visibleIn(form->panelPersonel()));
    }

    void hintsShowTheirLongPart()
    {
        TForm1 *form = start();
        auto *button = child<QPushButton>(form, "BitBtn2");
        QCOMPARE(button->toolTip(), QString()); // a hint that begins with "|" has no tool tip
        QCOMPARE(button->statusTip(), QStringLiteral("Kayıtlı tüm peronel listesi..."));
        QStatusTipEvent tip(button->statusTip());
        QApplication::sendEvent(button, &tip);
        QCOMPARE(form->statusPanel(3)->text(), QStringLiteral(" Kayıtlı tüm peronel listesi..."));
        QCOMPARE(child<QToolButton>(form, "ToolButton10")->statusTip(),
                 QStringLiteral("Veritabanı onarım, yedekleme, silme işlemleri..."));
    }

    void emptyDatabaseShowsZeroCountsAndDisablesTheUnitSearch()
    {
        TForm1 *form = start();
        QCOMPARE(form->statusPanel(0)->text(), QStringLiteral(" Kayıtlı Birim: 0"));
        QCOMPARE(form->statusPanel(1)->text(), QStringLiteral(" Birim/Personel Sayısı: 0"));
        QCOMPARE(form->statusPanel(2)->text(), QStringLiteral(" Toplam Kayıtlı Personel: 0"));
        for (const char *name : {"Edit1", "ComboBox1", "BitBtn8", "BitBtn9", "Edit2", "ComboBox2", "BitBtn11"})
            QVERIFY2(!child<QWidget>(form->panelKurum(), name)->isEnabled(), name);
    }

    void logoFrameFollowsTheSwitch()
    {
        TForm1 *form = start();
        auto *frame = child<QWidget>(form, "Panel14");
        QVERIFY(!visibleIn(frame));
        form->settings().logo = true;
        waitIdle();
        QVERIFY(visibleIn(frame));
        form->settings().logo = false;
        waitIdle();
        QVERIFY(!visibleIn(frame));
    }

    void missingLogoLeavesTheFrameEmpty()
    {
        dir().exec(QStringLiteral("INSERT INTO yetkili (yetkili_adi, logo) VALUES ('A', '/yok/logo.png')"));
        TForm1 *form = start();
        QVERIFY(child<QLabel>(form, "Image1")->pixmap().isNull());
    }

    // The stored path names a named pipe: opening it would wait for a writer for ever, and
    // the path comes back at every start. The start goes on at once with no picture.
    void logoThatIsNoFileLeavesTheFrameEmptyAtOnce()
    {
        const QString pipe = QDir(dir().path()).filePath("logo.png");
        QVERIFY(mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        dir().exec(QStringLiteral("INSERT INTO yetkili (yetkili_adi, logo) VALUES ('A', '%1')").arg(pipe));
        // Should the start wait on the pipe after all, a writer comes after 5 s and ends the
        // wait, so that the run can report it instead of hanging.
        std::atomic<bool> done = false;
        std::thread writer([&] {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (!done) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                if (std::chrono::steady_clock::now() < deadline)
                    continue;
                const int fd = ::open(QFile::encodeName(pipe).constData(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0) {
                    ::close(fd);
                    return;
                }
            }
        });
        QElapsedTimer clock;
        clock.start();
        TForm1 *form = start();
        const qint64 elapsed = clock.elapsed();
        done = true;
        writer.join();
        QVERIFY2(elapsed < 3000, qPrintable(QStringLiteral("the start took %1 ms").arg(elapsed)));
        QVERIFY(child<QLabel>(form, "Image1")->pixmap().isNull());
    }

    void settingsLoadedAtStart()
    {
        IniFile ini;
        ini.writeString("Program Adi", "Program", "ÇAĞRI ŞUBE İŞLERİ");
        ini.writeString("Gosterim", "Logo", "1");
        QVERIFY(ini.save(dir().settingsPath(), nullptr));
        TForm1 *form = start();
        QCOMPARE(child<QLabel>(form, "Label67")->text(), QStringLiteral("ÇAĞRI ŞUBE İŞLERİ"));
        QCOMPARE(child<QLabel>(form, "Label68")->text(), QStringLiteral("ÇAĞRI ŞUBE İŞLERİ"));
        QVERIFY(form->windowTitle().startsWith("ÇAĞRI ŞUBE İŞLERİ 2.0 - "));
        QVERIFY(form->settings().logo);
    }

    void refusingToExitStillWritesTheSettings()
    {
        TForm1 *form = start();
        form->settings().colours[1] = 255;
        form->setProgramName("YENİ AD");
        m_main->closeAnswering("Hayır");
        QVERIFY(form->isVisible());
        Settings saved;
        SettingsFile::load(dir().settingsPath(), saved);
        QCOMPARE(saved.colours[1], 255);
        QCOMPARE(saved.programName, QStringLiteral("YENİ AD"));

        m_main->closeAnswering("Evet");
        QVERIFY(!form->isVisible());
    }

    // No room on the disk while the settings are written at closing: the file from before
    // stays whole, and the user hears of it as always.
    void settingsFileStaysWholeWhenTheDiskIsFull()
    {
        TForm1 *form = start();
        form->setProgramName("ESKİ AD");
        m_main->closeAnswering("Hayır"); // writes the file whole
        const QByteArray before = fileBytes(dir().settingsPath());
        QVERIFY(before.size() > 300);

        form->setProgramName("YENİ AD");
        {
            FullDisk full(100);
            Answers boxes({"Hayır", "TAMAM"});
            form->close();
            QTRY_VERIFY(boxes.done());
            QCOMPARE(boxes.texts.value(1), QStringLiteral("Unable to write to %1.").arg(dir().settingsPath()));
            // Why, in Turkish, below it.
            QCOMPARE(boxes.details.value(1),
                     QStringLiteral("Ayrıntı: '%1' dosyası yazılamadı: dosya bu disk için ya da "
                                    "izin verilen boyut için çok büyük.")
                         .arg(dir().settingsPath()));
        }
        QCOMPARE(fileBytes(dir().settingsPath()), before);
        QCOMPARE(QDir(dir().path()).entryList(QDir::Files | QDir::Hidden).filter("PersonelKayit"),
                 QStringList{"PersonelKayit.ini"}); // nothing half-written left beside it
    }

    void unwritableSettingsAreReportedAndTheCloseGoesOn()
    {
        QVERIFY(QDir().mkpath(dir().settingsPath())); // a folder where the file should be
        TForm1 *form = start();
        Answers boxes({"Evet", "TAMAM"}); // the exit question, then the error
        form->close();
        QCOMPARE(boxes.texts.value(0), QStringLiteral("Programdan çıkmak istiyor musunuz?"));
        QCOMPARE(boxes.titles.value(0), QStringLiteral(" Meltora"));
        QTRY_VERIFY(boxes.done());
        QCOMPARE(boxes.texts.value(1), QStringLiteral("Unable to write to %1.").arg(dir().settingsPath()));
        QCOMPARE(boxes.details.value(1),
                 QStringLiteral("Ayrıntı: '%1' dosyası yazılamadı: aynı adla bir klasör var.")
                     .arg(dir().settingsPath()));
        QCOMPARE(boxes.titles.value(1), QStringLiteral("Meltora"));
        QVERIFY(!form->isVisible());
    }

    // The start ends with what the user can understand; the engine's own words come as the
    // detail.
    void databaseThatCannotBeOpened_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("detail");
        QTest::newRow("missing") << "missing"
                                 << "Data.dat açılamadı: dosya program klasöründe yok ya da okunamıyor."
                                 << "unable to open database file";
        QTest::newRow("empty file") << "empty"
                                    << "Data.dat boş veya bir Meltora veritabanı değil."
                                    << "no such table: okul";
        QTest::newRow("foreign file") << "foreign"
                                      << "Data.dat boş veya bir Meltora veritabanı değil."
                                      << "file is encrypted or is not a database";
        QTest::newRow("another key") << "key"
                                     << "Data.dat boş veya bir Meltora veritabanı değil."
                                     << "file is encrypted or is not a database";
    }
    void databaseThatCannotBeOpened()
    {
        QFETCH(QString, file);
        QFETCH(QString, message);
        QFETCH(QString, detail);
        QVERIFY(QFile::remove(dir().databasePath()));
        QString error;
        if (file == "key") {
            QVERIFY(Database::create(dir().databasePath(), "başka-anahtar", &error));
        } else if (file != "missing") {
            QFile data(dir().databasePath());
            QVERIFY(data.open(QIODevice::WriteOnly));
            if (file == "foreign")
                data.write(QByteArray("Bu bir veritabanı değil.\n").repeated(200));
        }
        const QByteArray before = file == "missing" ? QByteArray() : fileBytes(dir().databasePath());
        QString shownDetail;
        std::unique_ptr<TForm1> form(TForm1::create(&error, &shownDetail));
        QVERIFY(!form);
        QCOMPARE(error, message);
        QCOMPARE(shownDetail, detail);
        QCOMPARE(QFile::exists(dir().databasePath()), file != "missing"); // never created
        if (file != "missing")
            QCOMPARE(fileBytes(dir().databasePath()), before); // nor changed
    }

    void errorsEscapingAHandlerAreShownAndTheProgramGoesOn()
    {
        TForm1 *form = start();
        Answers ok({"TAMAM"});
        // Deleting in an empty dataset is refused; the error travels to the handler.
        auto *thrower = new QPushButton(form);
        connect(thrower, &QPushButton::clicked, form, [form] { form->data()->QSendika->remove(); });
        QTest::mouseClick(thrower, Qt::LeftButton);
        QVERIFY(ok.done());
        QCOMPARE(ok.title(), QStringLiteral("Meltora"));
        QVERIFY(ok.text().endsWith('.'));
        QVERIFY(form->isVisible());
    }
};

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    TestMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwindow.moc"

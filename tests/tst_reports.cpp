// The print commands as the user runs them, through the real main window: the blank and the
// filled union forms with their fixed values, logos and ticks; the lists and record cards on
// what the browsers show; the preview window; the printer dialog; PDF files read back.
// Most checks read the prepared pages that a command hands to its last step.

#include "app/application.h"
#include "toolkit/idlerefresh.h"
#include "app/tform1.h"
#include "data/dataset.h"
#include "data/sharedqueries.h"
#include "pdfwords.h"
#include "reports/engine/pdfexport.h"
#include "reports/previewpages.h"
#include "reports/engine/textmetrics.h"
#include "reports/printdriver.h"
#include "reports/printsystem.h"
#include "reports/reportoutput.h"
#include "reports/reportpreview.h"
#include "reports/templatebuilder.h"
#include "testsupport.h"

#include <QComboBox>
#include <QDate>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTest>
#include <QToolButton>
#include <memory>

using namespace report;

namespace
{

// "EĞİTİM BİR SEN ANKARA 1" has exactly the 23 characters of the union name row.
const QString kWorkplaceUnion = QStringLiteral("EĞİTİM BİR SEN ANKARA 1");
const QString kLongAddress = QStringLiteral("KIZILAY MAHALLESİ ATATÜRK BULVARI NO 125");

QStringList fixtureRows()
{
    QStringList rows = {
        "INSERT INTO sabit (Kurum_Adi, sendikasi, sendika_adresi, hizmet_kolu, kurum_kodu, ili, "
        "il_kodu) "
        "VALUES ('MİLLİ EĞİTİM MÜDÜRLÜĞÜ', '" +
            kWorkplaceUnion + "', 'ÇANKAYA ANKARA', '10', '05', 'ANKARA', '06')",
        "INSERT INTO yetkili (yetkili_adi) VALUES ('AYŞE KAYA')",
        "INSERT INTO sendikalar (sendikalar, adresi) VALUES ('EĞİTİM BİR SEN', 'ANKARA')",
        "INSERT INTO sendikalar (sendikalar, adresi) VALUES ('TÜRK EĞİTİM SEN', 'İZMİR')",
        "INSERT INTO okul (okul_adi, okul_muduru, telefonu) VALUES ('ATATÜRK İLKOKULU', 'MEHMET "
        "ÖZ', '0312 555 11 22')",
        "INSERT INTO okul (okul_adi, okul_muduru, telefonu) VALUES ('GAZİ LİSESİ', 'SEVGİ AK', "
        "'0312 555 33 44')",
        "INSERT INTO okul (okul_adi) VALUES ('BOŞ OKUL')",
        // Unit 1: two members; unit 2: two.
        "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir, cinsiyeti, ogrenim_durumu, sendikasi, "
        "sendika_adresi, "
        "calistigi_kurum, kurum_adresi, ilcesi, tc_kimlik, emekli_sandigi, ssk, "
        "sendika_kayit_tarihi, kan_grubu, "
        "cep_tel, bransi, hakkinda) VALUES (1, 'AYŞE', 'KAYA', 'AYŞE KAYA', 'KADIN', 'LİSE', "
        "'EĞİTİM BİR SEN', '" +
            kLongAddress +
            "', 'ATATÜRK İLKOKULU MÜDÜRLÜĞÜ ÇANKAYA', 'ÇANKAYA', 'YENİMAHALL', '12345678901', "
            "'ES-1', 'SSK-2', "
            "'1.02.2003', 'A Rh +', '0532 111 22 33', 'MATEMATİK', '" +
            QStringLiteral("Notlar satırı. ").repeated(150) + "')",
        "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir, cinsiyeti, ogrenim_durumu, sendikasi, "
        "kan_grubu) "
        "VALUES (1, 'ALİ', 'ŞEN', 'ALİ ŞEN', 'ERKEK', 'YÜKSEK OKUL', '<<< KAYITSIZ >>>', 'B Rh +')",
        "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir, sendikasi, kan_grubu) "
        "VALUES (2, 'CEM', 'AY', 'CEM AY', 'TÜRK EĞİTİM SEN', 'A Rh +')",
        // Values that none of the entry form's choices give.
        "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir, cinsiyeti, ogrenim_durumu, sendikasi) "
        "VALUES (2, 'DENİZ', 'SU', 'DENİZ SU', 'Kadın', 'LISE', 'TÜRK EĞİTİM SEN')",
    };
    return rows;
}

// The named text boxes of page 1 of the union forms.
const QStringList kFormBoxes = {"MSendika",    "MHizmet",  "MSendikaAdres", "MKurum",  "MBirim",
                                "MBirimAdres", "MIl",      "MIlKod",        "MIlce",   "MHizmet2",
                                "MKurumKod",   "MAd",      "MSoyad",        "MKimlik", "MBaba",
                                "MAna",        "MDTarihi", "MDYeri",        "MErkek",  "MKadin",
                                "MIlkogretim", "MLise",    "MYuksekOkul",   "MSicil",  "MKadro",
                                "MKadroUnvan", "MEmekli",  "MSsk",          "MTarih"};

// Reading a prepared report.
struct Pages {
    std::shared_ptr<const PreparedReport> report;

    int count() const { return report->pageCount(); }
    const PreparedPage &page(int index) const { return report->pages.at(size_t(index)); }

    const PlacedItem *named(const QString &name, int index = 0) const
    {
        for (const PlacedItem &item : page(index).items)
            if (report->styleOf(item).name == name)
                return &item;
        return nullptr;
    }
    int countNamed(const QString &name, int index = 0) const
    {
        int n = 0;
        for (const PlacedItem &item : page(index).items)
            n += report->styleOf(item).name == name;
        return n;
    }
    QString text(const QString &name, int index = 0) const
    {
        const PlacedItem *item = named(name, index);
        if (!item)
            qFatal("no box named %s", qPrintable(name));
        return page(index).textOf(*item).toString();
    }
    QStringList texts(int index) const
    {
        QStringList out;
        for (const PlacedItem &item : page(index).items)
            if (item.textLength > 0)
                out << page(index).textOf(item).toString();
        return out;
    }
    const PlacedItem *withText(const QString &text, int index = 0) const
    {
        for (const PlacedItem &item : page(index).items)
            if (page(index).textOf(item) == text)
                return &item;
        return nullptr;
    }
    // The boxes of kFormBoxes that show something.
    QStringList filledBoxes() const
    {
        QStringList out;
        for (const QString &name : kFormBoxes)
            if (named(name) && !text(name).isEmpty())
                out << name;
        return out;
    }
};

QString todayText()
{
    return QDate::currentDate().toString(QStringLiteral("d.MM.yyyy"));
}

// Runs a command and tells which modal window came up, closing it.
QString modalWindowOf(const std::function<void()> &command)
{
    QString seen;
    Answers closing;
    closing.on(QStringLiteral("QDialog"), [&seen](QWidget *window) {
        seen = window->objectName();
        static_cast<QDialog *>(window)->reject();
    });
    command();
    return seen;
}

// Answers the printer dialog: printing into a PDF file, or cancelling when the path is empty.
Answers::Act printInto(const QString &pdfPath)
{
    return [pdfPath](QWidget *window) {
        auto *dialog = static_cast<QPrintDialog *>(window);
        if (pdfPath.isEmpty()) {
            dialog->reject();
            return;
        }
        dialog->printer()->setOutputFormat(QPrinter::PdfFormat);
        dialog->printer()->setOutputFileName(pdfPath);
        dialog->done(QDialog::Accepted);
    };
}

// The program's words when a job does not reach the printer.
QString printerUnusable(const QString &printer)
{
    return QStringLiteral(
               "Yazıcı kullanılamıyor: '%1'. Yazıcının açık ve bağlı olduğunu denetleyip "
               "yeniden deneyin.")
        .arg(printer);
}

// Presses the printer dialog's own print button, as the user does: the dialog then hands the
// printer picked in its list to the job.
void pressPrint(QPrintDialog *dialog)
{
    auto *buttons = dialog->findChild<QDialogButtonBox *>();
    for (QAbstractButton *button : buttons ? buttons->buttons() : QList<QAbstractButton *>())
        if (buttons->buttonRole(button) == QDialogButtonBox::AcceptRole) {
            Answers::press(button);
            return;
        }
    QFAIL("the printer dialog has no print button");
}

// Runs a command of the print service's administration; its output, or a null text when it
// is not there or failed.
QString cupsCommand(const QString &program, const QStringList &arguments)
{
    QProcess command;
    command.start(program, arguments);
    if (!command.waitForFinished(20000) || command.exitStatus() != QProcess::NormalExit ||
        command.exitCode() != 0)
        return QString();
    return QString::fromLocal8Bit(command.readAllStandardOutput()) + QLatin1Char(' ');
}

} // namespace

class TestReports : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindowFixture> m_main;
    TForm1 *m_form = nullptr;
    PrintDriver *m_driver = nullptr;
    QList<Pages> m_runs; // what each command handed to its last step
    QTemporaryDir m_out;

    void start()
    {
        m_form = m_main->start(MainWindowFixture::Windows::All);
        m_driver = m_form->findChild<PrintDriver *>();
        QVERIFY(m_driver);
        capture();
    }
    // Commands hand their prepared pages to the test instead of a preview or printer.
    void capture()
    {
        m_driver->setOutput(
            [this](std::shared_ptr<const PreparedReport> report) { m_runs.append({report}); });
    }
    SharedQueries *data() const { return m_form->data(); }

    Pages run(const char *button)
    {
        const qsizetype before = m_runs.size();
        waitIdle(); // the idle-time refresh enables the buttons
        auto *control = child<QPushButton>(m_form, QLatin1String(button));
        if (!control->isEnabled())
            qFatal("%s is disabled", button);
        QTest::mouseClick(control, Qt::LeftButton);
        if (m_runs.size() != before + 1)
            qFatal("%s printed nothing", button);
        return m_runs.last();
    }
    void showMembers() { m_main->click("BitBtn2"); }
    void showUnits() { m_main->click("BitBtn1"); }
    // Finds a member by typing the beginning of the name into the search box.
    void selectMember(const QString &name)
    {
        auto *search = child<QLineEdit>(m_form, QStringLiteral("Edit3"));
        search->clear();
        typeText(search, name);
        QCOMPARE(data()->QueryPersonel->fieldText(QStringLiteral("Birlestir")).left(name.size()),
                 name);
    }
    // Chooses an entry of one of the member browser's filter lists.
    void choose(const QString &list, const QString &entry)
    {
        QVERIFY(pick(child<QComboBox>(m_form, list), entry));
    }
    void selectUnit(const QString &name)
    {
        QVERIFY(data()->QueryOkul->locate(QStringLiteral("okul_adi"), name));
    }
    void setFixedFlags(const QStringList &on)
    {
        QStringList all = {"kurum_sec",     "sendika_sec", "sendika_adres_sec", "hizmet_kolu_sec",
                           "kurum_kod_sec", "il_sec",      "il_kod_sec"};
        QStringList sets;
        for (const QString &flag : all)
            sets << flag + (on.contains(flag) ? QStringLiteral(" = 1") : QStringLiteral(" = 0"));
        m_main->dir().exec(QStringLiteral("UPDATE sabit SET ") + sets.join(QStringLiteral(", ")));
    }
    // A red picture as the program authority's logo, with the logo flags given.
    void setLogo(const QList<int> &flagsOn, bool fileExists = true)
    {
        const QString path = m_out.filePath(QStringLiteral("logo.png"));
        QImage logo(40, 40, QImage::Format_RGB32);
        logo.fill(Qt::red);
        QVERIFY(logo.save(path));
        QStringList sets = {
            QStringLiteral("logo = '%1'").arg(fileExists ? path : path + QStringLiteral(".yok"))};
        for (int i = 1; i <= 4; ++i)
            sets << QStringLiteral("logo%1sec = %2").arg(i).arg(flagsOn.contains(i) ? 1 : 0);
        m_main->dir().exec(QStringLiteral("UPDATE yetkili SET ") + sets.join(QStringLiteral(", ")));
    }

    // The blank union form in the preview window, for `steps` to work on while it is up.
    void withBlankFormPreview(const std::function<void(ReportPreview *)> &steps)
    {
        start();
        m_driver->setOutput(nullptr);
        ReportPreview *preview = m_driver->preview();
        whileOpen(
            preview,
            [&] {
                QTest::mouseClick(child<QPushButton>(m_form, QStringLiteral("BitBtn3")),
                                  Qt::LeftButton);
            },
            [&] { steps(preview); });
    }
    // "PDF olarak kaydet" into `path`, typed into the file dialog; the messages that follow
    // are answered with `buttons`, and kept in `answers`.
    static void savePdfAs(ReportPreview *preview, const QString &path, Answers &answers,
                          const QStringList &buttons)
    {
        answers.chooseFile(path, QStringLiteral("PdfFileDialog"));
        for (const QString &button : buttons)
            answers.click(button);
        QTest::mouseClick(child<QToolButton>(preview, QStringLiteral("ToolPdf")), Qt::LeftButton);
    }

private Q_SLOTS:
    void initTestCase() { quietOffscreenWarnings(); }
    void init()
    {
        m_runs.clear();
        m_main = std::make_unique<MainWindowFixture>(fixtureRows());
    }
    void cleanup() { m_main.reset(); }

    // ---------------------------------------------------------------- blank forms

    void blankFormsPrintTheChosenFixedValues_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("membership form") << "BitBtn3";
        QTest::newRow("resignation form") << "BitBtn10";
    }

    // Each run writes or clears every fixed value as its flag now says.
    void blankFormsPrintTheChosenFixedValues()
    {
        QFETCH(QString, button);
        struct Case {
            QStringList flags;
            QStringList filled;
        };
        const QList<Case> cases = {
            {{"kurum_sec", "sendika_sec", "sendika_adres_sec", "hizmet_kolu_sec", "kurum_kod_sec",
              "il_sec", "il_kod_sec"},
             {"MSendika", "MHizmet", "MSendikaAdres", "MKurum", "MIl", "MIlKod", "MHizmet2",
              "MKurumKod", "MTarih"}},
            {{}, {"MTarih"}},
            {{"sendika_sec"}, {"MSendika", "MTarih"}},
            {{"hizmet_kolu_sec"}, {"MHizmet", "MHizmet2", "MTarih"}}, // the service branch twice
        };
        start();
        showMembers(); // a member is selected: nothing of theirs reaches a blank form
        for (const Case &c : cases) {
            setFixedFlags(c.flags);
            data()->QuerySabit->requery();
            const Pages pages = run(qPrintable(button));
            QCOMPARE(pages.count(), 2);
            QCOMPARE(pages.filledBoxes(), c.filled);
            QCOMPARE(pages.text(QStringLiteral("MTarih")),
                     QStringLiteral("....... / ....... / 20...."));
            if (c.flags.size() == 7) {
                QCOMPARE(pages.text(QStringLiteral("MSendika")), kWorkplaceUnion);
                QCOMPARE(pages.text(QStringLiteral("MHizmet")), QStringLiteral("10"));
                QCOMPARE(pages.text(QStringLiteral("MHizmet2")), QStringLiteral("10"));
                QCOMPARE(pages.text(QStringLiteral("MKurum")),
                         QStringLiteral("MİLLİ EĞİTİM MÜDÜRLÜĞÜ"));
                QCOMPARE(pages.text(QStringLiteral("MIlKod")), QStringLiteral("06"));
            }
        }
    }

    void unionNameFillsTheRowOfTwentyThreeBoxes()
    {
        setFixedFlags({"sendika_sec"});
        start();
        const Pages pages = run("BitBtn3");
        const PlacedItem *box = pages.named(QStringLiteral("MSendika"));
        QCOMPARE(box->rect(), QRectF(25 + 30, 25 + 33, 115, 8));
        QCOMPARE(pages.text(QStringLiteral("MSendika")).size(), 23);
        // 23 five-millimetre boxes under the field; below them, right of the address, the three
        // file-number boxes stay empty.
        auto boxesAt = [&](float y, float fromX) {
            int n = 0;
            for (const PlacedItem &item : pages.page(0).items)
                n += item.kind == ObjectKind::Rectangle && item.y == y && item.width == 5.f &&
                     item.x >= fromX;
            return n;
        };
        QCOMPARE(boxesAt(58, 55), 23);
        QCOMPARE(boxesAt(66, 170), 3);
        for (const PlacedItem &item : pages.page(0).items)
            QVERIFY(!(item.textLength > 0 && item.y == 66.f && item.x >= 170));
    }

    // ---------------------------------------------------------------- logos

    void logoFlagsActPerForm_data()
    {
        QTest::addColumn<QList<int>>("flags");
        QTest::addColumn<bool>("fileExists");
        QTest::addColumn<QList<int>>("withLogo"); // of the four forms, in the order of their flags
        QTest::newRow("filled membership form only") << QList<int>{3} << true << QList<int>{3};
        QTest::newRow("all four") << QList<int>{1, 2, 3, 4} << true << QList<int>{1, 2, 3, 4};
        QTest::newRow("none") << QList<int>{} << true << QList<int>{};
        QTest::newRow("no picture file") << QList<int>{1, 2, 3, 4} << false << QList<int>{};
    }

    void logoFlagsActPerForm()
    {
        QFETCH(QList<int>, flags);
        QFETCH(bool, fileExists);
        QFETCH(QList<int>, withLogo);
        setLogo(flags, fileExists);
        start();
        showMembers();
        // The filled membership form is for a member of no union, the resignation form for a
        // union member.
        const QList<QPair<const char *, QString>> commands = {{"BitBtn3", QString()},
                                                              {"BitBtn10", QString()},
                                                              {"BitBtn12", "ALİ"},
                                                              {"BitBtn13", "AYŞE"}};
        for (int form = 1; form <= 4; ++form) {
            const auto &[button, member] = commands[form - 1];
            if (!member.isEmpty())
                selectMember(member);
            const Pages pages = run(button);
            const bool expected = withLogo.contains(form);
            QCOMPARE(pages.countNamed(QStringLiteral("Picture1")), expected ? 1 : 0);
            QCOMPARE(pages.countNamed(QStringLiteral("Picture2")), expected ? 1 : 0);
            if (expected) {
                // Printed on paper on the blank membership form only; the preview shows it on all.
                const bool previewOnly =
                    pages.report->styleOf(*pages.named(QStringLiteral("Picture1"))).previewOnly;
                QCOMPARE(previewOnly, form != 1);
            }
        }
    }

    // ---------------------------------------------------------------- filled forms

    // Each run sets or clears every tick: nothing of the member printed before survives.
    void ticksFollowTheSelectedMember()
    {
        start();
        showMembers();
        const QList<QPair<QString, QStringList>> members = {
            {QStringLiteral("ALİ"), {"MErkek", "MYuksekOkul"}},
            {QStringLiteral("CEM"), {}},
            {QStringLiteral("AYŞE"), {"MKadin", "MLise"}},
            {QStringLiteral("DENİZ"), {}}, // "Kadın" and "LISE" are none of the choices
        };
        // Both filled forms, whichever of their buttons the member's union enables.
        for (auto command : {&PrintDriver::BitBtn12Click, &PrintDriver::BitBtn13Click}) {
            for (const auto &[name, ticked] : members) {
                selectMember(name);
                (m_driver->*command)();
                const Pages &pages = m_runs.last();
                QStringList ticks;
                for (const QString &box :
                     {"MErkek", "MKadin", "MIlkogretim", "MLise", "MYuksekOkul"})
                    if (pages.text(box) == QStringLiteral("X"))
                        ticks << box;
                QCOMPARE(ticks, ticked);
            }
        }
    }

    void filledMembershipForm()
    {
        start();
        showMembers();
        selectMember(QStringLiteral("ALİ"));
        Pages pages = run("BitBtn12");
        QCOMPARE(pages.count(), 2);
        // The workplace's union and institution from sabit, whatever its flags; the member's own
        // data.
        QCOMPARE(pages.text(QStringLiteral("MSendika")), kWorkplaceUnion);
        QCOMPARE(pages.text(QStringLiteral("MKurum")), QStringLiteral("MİLLİ EĞİTİM MÜDÜRLÜĞÜ"));
        QCOMPARE(pages.text(QStringLiteral("MKurumKod")), QStringLiteral("05"));
        QCOMPARE(pages.text(QStringLiteral("MAd")), QStringLiteral("ALİ"));
        QCOMPARE(pages.text(QStringLiteral("MSoyad")), QStringLiteral("ŞEN"));
        // No union registration date: the "TARİH : " line stays without a date.
        QCOMPARE(pages.text(QStringLiteral("MTarih")), QString());
        QVERIFY(
            pages.withText(QStringLiteral("EK 1 - KAMU GÖREVLİLERİ SENDİKALARINA\nÜYELİK FORMU")));
        QVERIFY(pages.withText(QStringLiteral("EK - 1 \n\nAÇIKLAMALAR\n\nDOLDURMA ŞEKLİ :"), 1));

        // A member of a union gets the form through the driver all the same.
        selectMember(QStringLiteral("AYŞE"));
        m_driver->BitBtn12Click();
        pages = m_runs.last();
        QCOMPARE(pages.text(QStringLiteral("MSendika")), kWorkplaceUnion); // not her own union
        QCOMPARE(pages.text(QStringLiteral("MTarih")), QStringLiteral("1.02.2003"));
        QCOMPARE(pages.text(QStringLiteral("MIlce")), QStringLiteral("YENİMAHALL"));
        // Each social security number in its own row.
        QCOMPARE(pages.text(QStringLiteral("MEmekli")), QStringLiteral("ES-1"));
        QCOMPARE(pages.named(QStringLiteral("MEmekli"))->rect(), QRectF(25 + 60, 25 + 182, 100, 6));
        QCOMPARE(pages.text(QStringLiteral("MSsk")), QStringLiteral("SSK-2"));
        QCOMPARE(pages.named(QStringLiteral("MSsk"))->rect(), QRectF(25 + 60, 25 + 188, 100, 6));
        // The district row holds 11 boxes here, 10 on the resignation form.
        QCOMPARE(pages.named(QStringLiteral("MIlce"))->width, 55.f);
    }

    void filledResignationForm()
    {
        start();
        showMembers();
        selectMember(QStringLiteral("AYŞE"));
        Pages pages = run("BitBtn13");
        QCOMPARE(pages.count(), 2);
        // The union she leaves, as stored with her; the day of printing.
        QCOMPARE(pages.text(QStringLiteral("MSendika")), QStringLiteral("EĞİTİM BİR SEN"));
        QCOMPARE(pages.text(QStringLiteral("MSendikaAdres")), kLongAddress);
        QCOMPARE(pages.named(QStringLiteral("MSendikaAdres"))->rect().right(), 25.0 + 145);
        QCOMPARE(pages.text(QStringLiteral("MTarih")), todayText());
        QCOMPARE(pages.text(QStringLiteral("MKurum")), QStringLiteral("MİLLİ EĞİTİM MÜDÜRLÜĞÜ"));
        // A 10-character district fills the 10 boxes of this form's row exactly.
        QCOMPARE(pages.named(QStringLiteral("MIlce"))->rect(), QRectF(25 + 110, 25 + 96, 50, 8));
        QCOMPARE(pages.text(QStringLiteral("MIlce")).size(), 10);
        QVERIFY(pages.withText(QStringLiteral("EK - 3\n\nAÇIKLAMALAR\n\nDOLDURMA ŞEKLİ :"), 1));

        // A member of no union: the union row says so.
        m_runs.clear();
        selectMember(QStringLiteral("ALİ"));
        m_driver->BitBtn13Click();
        QCOMPARE(m_runs.last().text(QStringLiteral("MSendika")),
                 QStringLiteral("<<< KAYITSIZ >>>"));
    }

    // In the PDF each character of a box field stands in its own 5 mm box, and a value longer
    // than its row stops at the row's end; the fonts travel with the file.
    void characterBoxesInThePdf()
    {
        start();
        showMembers();
        selectMember(QStringLiteral("AYŞE"));
        const Pages pages = run("BitBtn13");
        const QString path = m_out.filePath(QStringLiteral("istifa.pdf"));
        QVERIFY(writePdf(*pages.report, path).written);
        const QList<PdfWord> words = pdfWords(path);
        // The union address row: y 41 to 49 below the 25 mm margin, boxes from x 30.
        QString row;
        for (const PdfWord &word : words) {
            if (word.page != 0 || word.mm.center().y() < 66 || word.mm.center().y() > 74 ||
                word.mm.left() < 54)
                continue;
            const int box = int((word.mm.left() - 55) / 5);
            QVERIFY2(word.text.size() == 1, qPrintable(word.text));
            QVERIFY2(word.mm.left() >= 55 + 5 * box && word.mm.right() <= 55 + 5 * box + 5,
                     qPrintable(QStringLiteral("%1 in box %2").arg(word.text).arg(box)));
            QVERIFY2(word.mm.right() <= 25 + 145,
                     qPrintable(word.text)); // never into the file-number boxes
            row += word.text;
        }
        QCOMPARE(row, QString(kLongAddress.left(23)).remove(QLatin1Char(' ')));
        const QStringList fonts = pdfFonts(path);
        for (const QString &font :
             {"LiberationSans yes", "LiberationSans-Bold yes", "LiberationMono-Bold yes"})
            QVERIFY2(fonts.contains(font), qPrintable(fonts.join(", ")));
        QCOMPARE(pdfPageCount(path), 2);
    }

    // ---------------------------------------------------------------- lists

    void unitListPrintsWhatTheBrowserLists()
    {
        QStringList units;
        for (int i = 1; i <= 67; ++i)
            units << QStringLiteral("INSERT INTO okul (okul_adi) VALUES ('OKUL %1')")
                         .arg(i, 2, 10, QLatin1Char('0'));
        m_main->dir().exec(units);
        start();
        showUnits();
        Pages pages = run("BitBtn8");
        // 41 rows fit under the title of the first page, 45 on the others.
        QCOMPARE(pages.count(), 2);
        QVERIFY(pages.withText(QStringLiteral("BİRİMLER LİSTESİ")));
        QVERIFY(!pages.withText(QStringLiteral("BİRİMLER LİSTESİ"), 1));
        QVERIFY(!pages.withText(QStringLiteral("BİRİM ADI"), 1));
        QVERIFY(pages.withText(QStringLiteral("Kurum Sayısı: 41")));
        QVERIFY(pages.withText(QStringLiteral("Sayfa: 1 / 2")));
        QVERIFY(pages.withText(QStringLiteral("Kurum Sayısı: 70"), 1));
        QVERIFY(pages.withText(QStringLiteral("Sayfa: 2 / 2"), 1));
        QCOMPARE(pages.texts(0).mid(0, 9),
                 QStringList({QLocale().toString(QDate::currentDate(), QLocale::ShortFormat),
                              "BİRİMLER LİSTESİ", "BİRİM ADI", "BİRİM MÜDÜRÜ", "TELEFONU", "1",
                              "ATATÜRK İLKOKULU", "MEHMET ÖZ", "0312 555 11 22"}));
        // The unit browser stands on its last unit afterwards.
        QCOMPARE(data()->QueryOkul->recNo(), 70);

        // A search prints only what it found.
        typeText(child<QLineEdit>(m_form, QStringLiteral("Edit1")), QStringLiteral("GAZ"));
        pages = run("BitBtn8");
        QCOMPARE(pages.texts(0).mid(5, 3), QStringList({"1", "GAZİ LİSESİ", "SEVGİ AK"}));
        QVERIFY(pages.withText(QStringLiteral("Kurum Sayısı: 1")));
    }

    void emptyUnitListPrintsItsHeadings()
    {
        m_main = std::make_unique<MainWindowFixture>(QStringList{fixtureRows().mid(0, 4)});
        start();
        m_driver->BitBtn8Click(); // the button is disabled then; the report still holds
        const Pages pages = m_runs.last();
        QCOMPARE(pages.count(), 1);
        QCOMPARE(pages.texts(0).mid(1),
                 QStringList({"BİRİMLER LİSTESİ", "BİRİM ADI", "BİRİM MÜDÜRÜ", "TELEFONU",
                              "Kurum Sayısı: 0", "Sayfa: 1 / 1"}));
    }

    void unitWithItsStaff()
    {
        start();
        showUnits();
        selectUnit(QStringLiteral("ATATÜRK"));
        Pages pages = run("BitBtn9");
        QVERIFY(pages.withText(QStringLiteral("BİRİM / PERSONEL LİSTESİ")));
        QVERIFY(pages.withText(QStringLiteral("ATATÜRK İLKOKULU")));
        QVERIFY(pages.withText(QStringLiteral("MEHMET ÖZ")));
        const QStringList texts = pages.texts(0);
        QVERIFY(texts.indexOf(QStringLiteral("ALİ ŞEN")) <
                texts.indexOf(QStringLiteral("AYŞE KAYA")));
        QVERIFY(pages.withText(QStringLiteral("<<< KAYITSIZ >>>")));
        QVERIFY(pages.withText(QStringLiteral("Personel Sayısı: 2")));
        // The staff list on its last member, the unit still selected.
        QCOMPARE(data()->Query_Uye->recNo(), 2);
        QCOMPARE(data()->QueryOkul->fieldText(QStringLiteral("okul_adi")),
                 QStringLiteral("ATATÜRK İLKOKULU"));

        selectUnit(QStringLiteral("BOŞ"));
        pages = run("BitBtn9");
        QVERIFY(pages.withText(QStringLiteral("BOŞ OKUL")));
        QVERIFY(pages.withText(QStringLiteral("Adı Soyadı")));
        QVERIFY(pages.withText(QStringLiteral("Personel Sayısı: 0")));
        QVERIFY(!pages.withText(QStringLiteral("1")));
    }

    void staffListFollowsTheMemberBrowser()
    {
        start();
        showMembers();
        Pages pages = run("BitBtn6");
        QCOMPARE(pages.report->pages[0].orientation, QPageLayout::Landscape);
        const QStringList names = {"ALİ ŞEN", "AYŞE KAYA", "CEM AY", "DENİZ SU"};
        QStringList printed;
        for (const QString &text : pages.texts(0))
            if (names.contains(text))
                printed << text;
        QCOMPARE(printed, names);
        QVERIFY(pages.withText(QStringLiteral("Sayfa: 1 / 1")));
        for (const QString &text : pages.texts(0))
            QVERIFY2(!text.contains(QStringLiteral("Sayısı")),
                     qPrintable(text)); // no count on this list
        QCOMPARE(data()->QueryPersonel->recNo(), 4);

        // After the union filter only that union's members.
        choose(QStringLiteral("CbAra"), QStringLiteral("TÜRK EĞİTİM SEN"));
        pages = run("BitBtn6");
        QVERIFY(pages.withText(QStringLiteral("CEM AY")));
        QVERIFY(pages.withText(QStringLiteral("DENİZ SU")));
        QVERIFY(!pages.withText(QStringLiteral("AYŞE KAYA")));
    }

    void bloodGroupList()
    {
        start();
        showMembers();
        choose(QStringLiteral("CbKan"), QStringLiteral("A Rh +"));
        const Pages pages = run("BitBtn14");
        QCOMPARE(pages.report->pages[0].paper, QPageSize::Letter);
        QVERIFY(pages.withText(QStringLiteral("AYŞE KAYA")));
        QVERIFY(pages.withText(QStringLiteral("CEM AY")));
        QVERIFY(!pages.withText(QStringLiteral("ALİ ŞEN")));
        QVERIFY(pages.withText(QStringLiteral("Toplam: 2 kayıt.")));
        for (const QString &text : pages.texts(0))
            QVERIFY2(!text.startsWith(QStringLiteral("Sayfa")), qPrintable(text));
        // The first row is shaded, the second is not: the shading box sits behind each name.
        auto shadeBehind = [&](const QString &name) {
            const float top = pages.withText(name)->y;
            for (const PlacedItem &item : pages.page(0).items)
                if (item.kind == ObjectKind::Text && item.textLength == 0 && item.y == top)
                    return pages.report->styleOf(item).fill;
            return QColor();
        };
        QCOMPARE(shadeBehind(QStringLiteral("AYŞE KAYA")), QColor(240, 240, 240));
        QVERIFY(!shadeBehind(QStringLiteral("CEM AY")).isValid());
    }

    void recordCards()
    {
        start();
        showMembers();
        selectMember(QStringLiteral("AYŞE"));
        Pages pages = run("BitBtn7");
        QCOMPARE(pages.count(), 1);
        QVERIFY(pages.withText(QStringLiteral("KİŞİSEL BİLGİ FORUMU")));
        QVERIFY(pages.withText(QStringLiteral("Çalıştığı Kurum")));
        QVERIFY(pages.withText(QStringLiteral("Çalıştığı Birim")));
        QVERIFY(pages.withText(QStringLiteral("12345678901")));
        QVERIFY(pages.withText(QStringLiteral("KADIN")));
        // Long notes: only what fits in the 28 mm box.
        const PlacedItem *notes = nullptr;
        for (const PlacedItem &item : pages.page(0).items)
            if (pages.page(0).textOf(item).startsWith(u"Notlar satırı."))
                notes = &item;
        QVERIFY(notes);
        QCOMPARE(notes->rect(), QRectF(25 + 4, 25 + 23 + 123, 153, 28));
        const QStringList lines = pages.page(0).textOf(*notes).toString().split(QLatin1Char('\n'));
        QVERIFY(lines.size() >= 6 && lines.size() <= 7);
        QVERIFY(lines.join(QLatin1Char(' ')).size() <
                QStringLiteral("Notlar satırı. ").repeated(150).size() / 2);
        QCOMPARE(data()->QueryPersonel->fieldText(QStringLiteral("adi")),
                 QStringLiteral("AYŞE")); // nothing moved

        // From the unit's staff list: the same card, "Çalıştığı Birim" in the first box.
        showUnits();
        selectUnit(QStringLiteral("GAZİ"));
        data()->Query_Uye->last();
        pages = run("BitBtn11");
        QVERIFY(pages.withText(QStringLiteral("DENİZ SU")));
        QVERIFY(!pages.withText(QStringLiteral("Çalıştığı Kurum")));
        int workplaceLabels = 0;
        for (const QString &text : pages.texts(0))
            workplaceLabels += text == QStringLiteral("Çalıştığı Birim");
        QCOMPARE(workplaceLabels, 2);
    }

    // The full name prints whole on the record card: its box runs to the frame's right edge.
    void recordCardPrintsALongNameWhole()
    {
        const QString name = QStringLiteral("AYŞEGÜL İPEKNUR ÖZÇELİKKAYAOĞLU"); // 31 characters
        QCOMPARE(name.size(), 31);
        m_main->dir().exec(QStringLiteral("INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir) "
                                          "VALUES (1, 'AYŞEGÜL İPEKNUR', 'ÖZÇELİKKAYAOĞLU', '%1')")
                               .arg(name));
        start();
        showMembers();
        selectMember(QStringLiteral("AYŞEGÜL"));
        const Pages pages = run("BitBtn7");
        const PlacedItem *item = pages.withText(name);
        QVERIFY(item);
        const double needed = report::TextMetrics::of(templates::arial(10, true)).width(name);
        QVERIFY2(item->width >= needed, qPrintable(QStringLiteral("%1 mm for %2 mm of name")
                                                       .arg(item->width)
                                                       .arg(needed)));
        // Within the frame around it: 0 to 160 mm of the printable width, 25 mm from the edge.
        QVERIFY(item->rect().left() >= 25 && item->rect().right() <= 25 + 160);
    }

    // A PDF copy of a filled form or record card is offered under the member's full name,
    // made a valid file name; blank forms and lists are offered under their title.
    void pdfNameCarriesTheMember_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("member"); // typed into the search of the member browser
        QTest::addColumn<QString>("offered");
        const QString ek1 = QStringLiteral("EK 1 - KAMU GÖREVLİLERİ SENDİKALARINA ÜYELİK FORMU");
        const QString ek3 = QStringLiteral("EK 3 - KAMU GÖREVLİLERİ SENDİKALARI KAMU GÖREVLİSİNİN "
                                           "ÜYELİKTEN ÇEKİLME BİLDİRİMİ FORMU");
        const QString card = QStringLiteral("KİŞİSEL BİLGİ FORUMU");
        QTest::newRow("membership form") << "BitBtn12" << "ALİ" << ek1 + " - ALİ ŞEN.pdf";
        QTest::newRow("another member's") << "BitBtn12" << "ZEYNEP" << ek1 + " - ZEYNEP-ELİF ÖZ.pdf";
        QTest::newRow("resignation form") << "BitBtn13" << "AYŞE" << ek3 + " - AYŞE KAYA.pdf";
        QTest::newRow("record card") << "BitBtn7" << "AYŞE" << card + " - AYŞE KAYA.pdf";
        QTest::newRow("record card, slash and tab in the name")
            << "BitBtn7" << "ZEYNEP" << card + " - ZEYNEP-ELİF ÖZ.pdf";
        QTest::newRow("record card from the unit's staff") << "BitBtn11" << "" << card + " - DENİZ SU.pdf";
        QTest::newRow("blank membership form") << "BitBtn3" << "" << ek1 + ".pdf";
        QTest::newRow("staff list") << "BitBtn6" << "" << "ÖZEL LİSTE.pdf";
    }
    void pdfNameCarriesTheMember()
    {
        QFETCH(QString, button);
        QFETCH(QString, member);
        QFETCH(QString, offered);
        // A name typed with a slash, and a tab that came in with pasted text.
        m_main->dir().exec(QStringLiteral(
            "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir, sendikasi) VALUES (1, "
            "'ZEYNEP/ELİF', 'ÖZ', 'ZEYNEP/ELİF\tÖZ', '<<< KAYITSIZ >>>')"));
        start();
        m_driver->setOutput(nullptr);
        m_form->settings().preview = true;
        if (button == QStringLiteral("BitBtn11")) {
            showUnits();
            selectUnit(QStringLiteral("GAZİ"));
            data()->Query_Uye->last();
        } else if (!member.isEmpty()) {
            showMembers();
            selectMember(member);
        } else if (button == QStringLiteral("BitBtn6")) {
            showMembers();
        }
        ReportPreview *preview = m_driver->preview();
        QString shown;
        whileOpen(
            preview,
            [&] {
                waitIdle();
                QTest::mouseClick(child<QPushButton>(m_form, button), Qt::LeftButton);
            },
            [&] {
                Answers dialog;
                dialog.on(QStringLiteral("PdfFileDialog"), [&](QWidget *window) {
                    auto *d = static_cast<QFileDialog *>(window);
                    shown = d->selectedFiles().value(0);
                    d->reject();
                });
                QTest::mouseClick(child<QToolButton>(preview, QStringLiteral("ToolPdf")),
                                  Qt::LeftButton);
            });
        QCOMPARE(QFileInfo(shown).fileName(), offered);
    }

    // Whatever a member's name holds, the offered name is one file name that file systems
    // take: no folder separator, no control character, at most 255 bytes; Turkish letters stay.
    void pdfNameIsAValidFileName_data()
    {
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("offered");
        QTest::newRow("Turkish letters") << "ÇAĞLA IŞIK ŞENÖZ" << "KİŞİSEL BİLGİ FORUMU - ÇAĞLA IŞIK ŞENÖZ.pdf";
        QTest::newRow("slash and backslash") << "A/B\\C" << "KİŞİSEL BİLGİ FORUMU - A-B-C.pdf";
        QTest::newRow("line break and tab") << "AYŞE\nKAYA\tX" << "KİŞİSEL BİLGİ FORUMU - AYŞE KAYA X.pdf";
        QTest::newRow("only dots and blanks") << " . " << "KİŞİSEL BİLGİ FORUMU.pdf";
        QTest::newRow("very long") << QStringLiteral("Ş").repeated(300) << "";
    }
    void pdfNameIsAValidFileName()
    {
        QFETCH(QString, subject);
        QFETCH(QString, offered);
        PreparedReport prepared;
        prepared.name = QStringLiteral("RKisisel");
        prepared.title = QStringLiteral("KİŞİSEL BİLGİ FORUMU");
        const QString name = reportoutput::pdfFileName(prepared, subject);
        if (!offered.isEmpty())
            QCOMPARE(name, offered);
        QVERIFY(name.endsWith(QStringLiteral(".pdf")));
        QVERIFY(name.startsWith(prepared.title));
        QVERIFY(!name.contains(QLatin1Char('/')));
        QVERIFY(name.toUtf8().size() <= 255);
        for (const QChar ch : name)
            QVERIFY(ch.category() != QChar::Other_Control);
        // It can be written as it stands.
        QFile file(m_out.filePath(name));
        QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(file.errorString()));
        QCOMPARE(QFileInfo(file).dir(), QDir(m_out.path()));
    }

    void recordCardOfAnEmptyListShowsLabelsOnly()
    {
        start();
        showMembers();
        {
            Answers noMatch({QStringLiteral("TAMAM")});
            choose(QStringLiteral("CbKan"), QStringLiteral("0 Rh -"));
            QCOMPARE(noMatch.count(), 1);
        }
        QCOMPARE(data()->QueryPersonel->recordCount(), 0);
        m_driver->BitBtn7Click();
        const Pages pages = m_runs.last();
        QVERIFY(pages.withText(QStringLiteral("TC Kimlik No")));
        QVERIFY(pages.withText(QStringLiteral("Hakkında Notlar")));
        for (const QString &text : pages.texts(0))
            QVERIFY2(!text.contains(QStringLiteral("AYŞE")) &&
                         !text.contains(QStringLiteral("ALİ")),
                     qPrintable(text));
        // The filled forms likewise print their labels and empty boxes.
        m_driver->BitBtn12Click();
        QCOMPARE(m_runs.last().filledBoxes(),
                 QStringList({"MSendika", "MHizmet", "MSendikaAdres", "MKurum", "MIl", "MIlKod",
                              "MHizmet2", "MKurumKod"}));
    }

    // ---------------------------------------------------------------- preview and printer

    void everyCommandPreviewsOrGoesToThePrinter_data()
    {
        QTest::addColumn<bool>("preview");
        QTest::addColumn<QString>("expected");
        QTest::newRow("preview on") << true << "ReportPreview";
        QTest::newRow("preview off") << false << "PrintDialog";
    }

    void everyCommandPreviewsOrGoesToThePrinter()
    {
        QFETCH(bool, preview);
        QFETCH(QString, expected);
        start();
        m_driver->setOutput(nullptr);
        m_form->settings().preview = preview;
        auto check = [&](const char *button) {
            waitIdle();
            auto *control = child<QPushButton>(m_form, QLatin1String(button));
            QVERIFY2(control->isEnabled(), button);
            QCOMPARE(modalWindowOf([&] { QTest::mouseClick(control, Qt::LeftButton); }), expected);
        };
        check("BitBtn3");
        check("BitBtn10");
        showMembers();
        check("BitBtn6");
        check("BitBtn14");
        // The lists leave the browser on its last member: the filled forms are for the member
        // selected again.
        selectMember(QStringLiteral("ALİ"));
        check("BitBtn7");
        check("BitBtn12");
        selectMember(QStringLiteral("AYŞE"));
        check("BitBtn13");
        showUnits();
        selectUnit(QStringLiteral("ATATÜRK"));
        for (const char *button : {"BitBtn8", "BitBtn9", "BitBtn11"})
            check(button);
    }

    void previewNavigatesAndSavesPdf()
    {
        QStringList staff;
        for (int i = 1; i <= 120; ++i)
            staff << QStringLiteral("INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir) VALUES "
                                    "(3, 'ÜYE%1', 'X', 'ÜYE%1 X')")
                         .arg(i, 3, 10, QLatin1Char('0'));
        m_main->dir().exec(staff);
        start();
        m_driver->setOutput(nullptr);
        showMembers();
        ReportPreview *preview = m_driver->preview();
        const QString path = m_out.filePath(QStringLiteral("liste.pdf"));
        auto tool = [preview](const char *name) {
            return child<QToolButton>(preview, QLatin1String(name));
        };
        auto pageBox = [preview] {
            return child<QLineEdit>(preview, QStringLiteral("EditSayfa"))->text();
        };
        whileOpen(
            preview,
            [&] {
                QTest::mouseClick(child<QPushButton>(m_form, QStringLiteral("BitBtn6")),
                                  Qt::LeftButton);
            },
            [&] {
                // The first page is painted at once, the others only as they come into view.
                QTRY_VERIFY(preview->pages()->paintedPages() > 0);
                QVERIFY(preview->pages()->paintedPages() <= 2);
                QCOMPARE(preview->windowTitle(), QStringLiteral("Baskı Önizleme - ÖZEL LİSTE"));
                QCOMPARE(child<QLabel>(preview, QStringLiteral("LabelSayfaSayisi"))->text(),
                         QStringLiteral("/ 5"));
                QCOMPARE(pageBox(), QStringLiteral("1"));
                QVERIFY(!tool("ToolOnceki")->isEnabled());
                QTest::mouseClick(tool("ToolSonraki"), Qt::LeftButton);
                QCOMPARE(pageBox(), QStringLiteral("2"));
                QTest::mouseClick(tool("ToolSon"), Qt::LeftButton);
                QCOMPARE(pageBox(), QStringLiteral("5"));
                QVERIFY(!tool("ToolSonraki")->isEnabled());
                QTest::mouseClick(tool("ToolOnceki"), Qt::LeftButton);
                QCOMPARE(pageBox(), QStringLiteral("4"));
                // A page number typed into the box.
                auto *box = child<QLineEdit>(preview, QStringLiteral("EditSayfa"));
                box->selectAll();
                QTest::keyClicks(box, QStringLiteral("3"));
                QTest::keyClick(box, Qt::Key_Return);
                QCOMPARE(preview->pages()->currentPage(), 2);
                QTest::mouseClick(tool("ToolIlk"), Qt::LeftButton);
                QCOMPARE(pageBox(), QStringLiteral("1"));
                // Page Down in the pages, and zoom with Ctrl and the wheel's arrow key.
                QTest::keyClick(preview->pages(), Qt::Key_PageDown);
                QCOMPARE(pageBox(), QStringLiteral("2"));
                auto *zoom = child<QComboBox>(preview, QStringLiteral("ComboYakinlik"));
                QCOMPARE(zoom->currentText(), QStringLiteral("Tüm Sayfa"));
                zoom->setCurrentIndex(zoom->findText(QStringLiteral("%100")));
                Q_EMIT zoom->activated(zoom->currentIndex());
                QCOMPARE(qRound(preview->pages()->percent()), 100);
                QTest::keyClick(preview->pages(), Qt::Key_Up, Qt::ControlModifier);
                QCOMPARE(zoom->currentText(), QStringLiteral("%115"));
                // "PDF olarak kaydet": the file dialog offers the title as the name.
                QString offeredName;
                Answers answer;
                answer.on(QStringLiteral("PdfFileDialog"), [&](QWidget *window) {
                    auto *d = static_cast<QFileDialog *>(window);
                    offeredName = d->selectedFiles().value(0);
                    chooseInFileDialog(d, path);
                });
                QTest::mouseClick(tool("ToolPdf"), Qt::LeftButton);
                QCOMPARE(QFileInfo(offeredName).fileName(),
                         QStringLiteral("ÖZEL LİSTE.pdf"));
                QTest::keyClick(preview, Qt::Key_Escape);
                QVERIFY(!preview->isVisible());
            });
        QCOMPARE(pdfPageCount(path), 5);
        QVERIFY(pdfPageText(path, 5).contains(QStringLiteral("Sayfa: 5 / 5")));
        QVERIFY(pdfPageText(path, 1).contains(QStringLiteral("AYŞE KAYA")));
        QVERIFY(!preview->report()); // the pages are let go with the window
    }

    // The logo of the filled forms shows in the preview and never reaches the PDF.
    void previewOnlyLogoStaysOutOfThePdf()
    {
        setLogo({3});
        start();
        m_driver->setOutput(nullptr);
        showMembers();
        selectMember(QStringLiteral("ALİ"));
        ReportPreview *preview = m_driver->preview();
        const QString path = m_out.filePath(QStringLiteral("uyelik.pdf"));
        whileOpen(
            preview,
            [&] {
                QTest::mouseClick(child<QPushButton>(m_form, QStringLiteral("BitBtn12")),
                                  Qt::LeftButton);
            },
            [&] {
                const QImage shown = preview->pages()->viewport()->grab().toImage();
                int red = 0;
                for (int y = 0; y < shown.height(); y += 2)
                    for (int x = 0; x < shown.width(); x += 2)
                        red += shown.pixelColor(x, y) == QColor(Qt::red);
                QVERIFY2(red > 10, "the logo is not in the preview");
                Answers answer;
                answer.chooseFile(path, QStringLiteral("PdfFileDialog"));
                QTest::mouseClick(child<QToolButton>(preview, QStringLiteral("ToolPdf")),
                                  Qt::LeftButton);
            });
        QCOMPARE(pdfPageCount(path), 2);
        QCOMPARE(pdfImageCount(path), 0);
    }

    void pdfIntoAnUnwritablePlaceSaysSo()
    {
        withBlankFormPreview([](ReportPreview *preview) {
            Answers box;
            savePdfAs(preview, QStringLiteral("/proc/meltora-deneme.pdf"), box, {QStringLiteral("TAMAM")});
            QCOMPARE(box.count(), 1);
            QCOMPARE(box.title(), QStringLiteral("Hata"));
            QVERIFY2(box.text().startsWith(
                         QStringLiteral("'/proc/meltora-deneme.pdf' dosyası yazılamadı")),
                     qPrintable(box.text()));
        });
        QVERIFY(!QFile::exists(QStringLiteral("/proc/meltora-deneme.pdf")));
    }

    // "PDF olarak kaydet" onto a real full disk, over and over with the room left varied so
    // that the disk runs out at ever other points of the file: each save is a whole PDF, or a
    // Turkish error and no file under the name chosen.
    void pdfOnAFullDiskIsWholeOrRefused()
    {
        SmallDisk disk;
        if (!disk.mounted())
            QSKIP("a small disk cannot be mounted here");
        const QString path = disk.filePath(QStringLiteral("tam-liste.pdf"));
        const QString refusal = QStringLiteral("'%1' dosyası yazılamadı: diskte yer kalmadı.")
                                    .arg(QDir::toNativeSeparators(path));
        constexpr int kSaves = 24;
        QStringList outcomes;
        withBlankFormPreview([&](ReportPreview *preview) {
            for (int save = 0; save < kSaves; ++save) {
                QFile::remove(path);
                disk.leaveRoom(qint64(save) * 16 * 1024 / kSaves);
                Answers box;
                savePdfAs(preview, path, box, {QStringLiteral("TAMAM")});
                const QString said = QStringLiteral("save %1 with %2 bytes free: %3")
                                         .arg(save)
                                         .arg(disk.room())
                                         .arg(box.texts.join(QLatin1Char('|')));
                if (box.count() == 0) {
                    QVERIFY2(pdfPageCount(path) == 1, qPrintable(said));
                    QVERIFY2(fileBytes(path).trimmed().endsWith("%%EOF"), qPrintable(said));
                    outcomes << QStringLiteral("PDF");
                } else {
                    QVERIFY2(box.count() == 1 && box.title() == QStringLiteral("Hata"),
                             qPrintable(said));
                    QVERIFY2(box.text() == refusal, qPrintable(said));
                    QVERIFY2(!QFile::exists(path), qPrintable(said));
                    outcomes << QStringLiteral("hata");
                }
                QVERIFY2(disk.names().filter(QStringLiteral(".tmp")).isEmpty(),
                         qPrintable(disk.names().join(QLatin1Char(' '))));
            }
        });
        QCOMPARE(outcomes.size(), kSaves);
        QVERIFY2(outcomes.contains(QStringLiteral("hata")),
                 qPrintable(outcomes.join(QLatin1Char(' '))));
    }

    // A save stopped by the size the system allows a file says why in Turkish.
    void pdfBeyondTheFileSizeLimitSaysWhyInTurkish()
    {
        const QString path = m_out.filePath(QStringLiteral("tam-liste.pdf"));
        withBlankFormPreview([&](ReportPreview *preview) {
            Answers box;
            {
                FullDisk limit(4096);
                savePdfAs(preview, path, box, {QStringLiteral("TAMAM")});
            }
            QCOMPARE(box.count(), 1);
            QCOMPARE(box.text(), QStringLiteral("'%1' dosyası yazılamadı: dosya bu disk için ya "
                                                "da izin verilen boyut için çok büyük.")
                                     .arg(QDir::toNativeSeparators(path)));
        });
        QVERIFY(!QFile::exists(path));
        QCOMPARE(QDir(m_out.path()).entryList({QStringLiteral(".*.tmp")}, QDir::Files | QDir::Hidden),
                 QStringList());
    }

    // With the preview switch off a command goes to the printer dialog; cancelling prints
    // nothing, printing puts the pages on paper (here a PDF printer), logos as the forms say.
    void printerDialogPrintsOrCancels()
    {
        setLogo({1, 3});
        start();
        m_driver->setOutput(nullptr);
        m_form->settings().preview = false;
        const QString cancelled = m_out.filePath(QStringLiteral("iptal.pdf"));
        {
            Answers answer;
            answer.on(QStringLiteral("PrintDialog"), printInto(QString()));
            QTest::mouseClick(child<QPushButton>(m_form, QStringLiteral("BitBtn3")),
                              Qt::LeftButton);
            QVERIFY(answer.done());
        }
        QVERIFY(!QFile::exists(cancelled));
        const QString blank = m_out.filePath(QStringLiteral("bos.pdf"));
        {
            Answers answer;
            answer.on(QStringLiteral("PrintDialog"), printInto(blank));
            QTest::mouseClick(child<QPushButton>(m_form, QStringLiteral("BitBtn3")),
                              Qt::LeftButton);
            QVERIFY(answer.done());
        }
        QCOMPARE(pdfPageCount(blank), 2);
        QCOMPARE(pdfImageCount(blank), 2); // the blank membership form prints its logos
        QVERIFY(pdfPageText(blank, 2).contains(QStringLiteral("AÇIKLAMALAR")));

        showMembers();
        selectMember(QStringLiteral("ALİ"));
        const QString filled = m_out.filePath(QStringLiteral("dolu.pdf"));
        {
            Answers answer;
            answer.on(QStringLiteral("PrintDialog"), printInto(filled));
            QTest::mouseClick(child<QPushButton>(m_form, QStringLiteral("BitBtn12")),
                              Qt::LeftButton);
            QVERIFY(answer.done());
        }
        QCOMPARE(pdfPageCount(filled), 2);
        QCOMPARE(pdfImageCount(filled), 0); // logo3sec on, but never on paper
        QVERIFY(pdfPageText(filled, 1).remove(QLatin1Char(' ')).contains(QStringLiteral("ŞEN")));
    }

    // A job that does not reach the printer is said with the printer message: the printer was
    // gone when "Yazdır" was pressed (nothing is sent then), or the print service did not take
    // the job. Here from the preview's print button, the dialog answered as the user does; the
    // print service's answers are the test's, so that no print service is needed.
    void jobNotReachingThePrinterIsSaid_data()
    {
        QTest::addColumn<bool>("printerThere");
        QTest::addColumn<bool>("jobTaken");
        QTest::newRow("printed") << true << true;
        QTest::newRow("printer removed while the dialog was open") << false << true;
        QTest::newRow("job not taken by the print service") << true << false;
    }

    void jobNotReachingThePrinterIsSaid()
    {
        QFETCH(bool, printerThere);
        QFETCH(bool, jobTaken);
        QStringList asked;
        printsystem::setProbe({[&](const QPrinter &) {
                                   asked << QStringLiteral("printer");
                                   return printerThere;
                               },
                               [&](const QPrinter &) {
                                   asked << QStringLiteral("job");
                                   return jobTaken;
                               }});
        const auto serviceAgain = qScopeGuard([] { printsystem::setProbe({}); });
        start();
        m_driver->setOutput(nullptr);
        m_form->settings().preview = true;
        ReportPreview *preview = m_driver->preview();
        const QString path = m_out.filePath(QStringLiteral("yazici.pdf"));
        QFile::remove(path);

        const bool said = !printerThere || !jobTaken;
        Answers steps;
        steps.on(QStringLiteral("PrintDialog"), printInto(path));
        if (said)
            steps.click(QStringLiteral("TAMAM"));
        whileOpen(
            preview,
            [&] {
                QTest::mouseClick(child<QPushButton>(m_form, QStringLiteral("BitBtn3")),
                                  Qt::LeftButton);
            },
            [&] {
                QTest::mouseClick(child<QToolButton>(preview, QStringLiteral("ToolYazdir")),
                                  Qt::LeftButton);
                QTRY_VERIFY(steps.done());
            });
        QCOMPARE(steps.unexpected, QStringList());
        // The printer is named as the dialog left it: by its file when it had no name.
        QCOMPARE(steps.texts.size(), said ? 1 : 0);
        if (said)
            QVERIFY2(steps.texts.first() == printerUnusable(path) ||
                         steps.texts.first() == printerUnusable(QPrinterInfo::defaultPrinterName()),
                     qPrintable(steps.texts.first()));
        QCOMPARE(asked, printerThere ? QStringList({"printer", "job"}) : QStringList({"printer"}));
        QCOMPARE(QFile::exists(path), printerThere);
    }

    // The same on a real print service (CUPS with its PDF printer, when a scheduler runs here):
    // a queue removed while the printer dialog is open is said; a queue that stays gets the job.
    void removedPrintQueueIsSaid_data()
    {
        QTest::addColumn<bool>("removed");
        QTest::newRow("queue stays") << false;
        QTest::newRow("queue removed while the dialog is open") << true;
    }

    void removedPrintQueueIsSaid()
    {
        QFETCH(bool, removed);
        const QString lpadmin =
            QStandardPaths::findExecutable(QStringLiteral("lpadmin"), {"/usr/sbin", "/usr/bin"});
        const QString lpstat = QStandardPaths::findExecutable(QStringLiteral("lpstat"));
        const QString ppd = QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");
        if (lpadmin.isEmpty() || lpstat.isEmpty() || !QFile::exists(ppd) ||
            !cupsCommand(lpstat, {"-r"}).contains(QLatin1String("is running")))
            QSKIP("no CUPS scheduler with its PDF printer runs here");
        const QString queue = QStringLiteral("MeltoraDeneme");
        if (cupsCommand(lpadmin, {"-p", queue, "-E", "-v", "cups-pdf:/", "-P", ppd}).isNull())
            QSKIP("the PDF printer cannot be added here");
        const auto removeQueue = qScopeGuard([&] { cupsCommand(lpadmin, {"-x", queue}); });
        QTRY_VERIFY(QPrinterInfo::availablePrinterNames().contains(queue));
        const int jobsBefore =
            cupsCommand(lpstat, {"-W", "all", "-o", queue}).count(queue + QLatin1Char('-'));

        start();
        m_driver->setOutput(nullptr);
        m_form->settings().preview = true;
        ReportPreview *preview = m_driver->preview();
        Answers steps;
        steps.on(QStringLiteral("PrintDialog"), [&](QWidget *window) {
            auto *dialog = static_cast<QPrintDialog *>(window);
            auto *printers = child<QComboBox>(dialog, QStringLiteral("printers"));
            printers->setCurrentIndex(printers->findText(queue));
            QCOMPARE(printers->currentText(), queue);
            if (removed) {
                QVERIFY(!cupsCommand(lpadmin, {"-x", queue}).isNull());
                QVERIFY(!QPrinterInfo::availablePrinterNames().contains(queue));
            }
            pressPrint(dialog);
        });
        if (removed)
            steps.click(QStringLiteral("TAMAM"));
        whileOpen(
            preview,
            [&] {
                QTest::mouseClick(child<QPushButton>(m_form, QStringLiteral("BitBtn3")),
                                  Qt::LeftButton);
            },
            [&] {
                QTest::mouseClick(child<QToolButton>(preview, QStringLiteral("ToolYazdir")),
                                  Qt::LeftButton);
                QTRY_VERIFY_WITH_TIMEOUT(steps.done(), 20000);
            });
        QCOMPARE(steps.unexpected, QStringList());
        QCOMPARE(steps.texts, removed ? QStringList{printerUnusable(queue)} : QStringList());
        if (!removed)
            QTRY_COMPARE_WITH_TIMEOUT(
                cupsCommand(lpstat, {"-W", "all", "-o", queue}).count(queue + QLatin1Char('-')),
                jobsBefore + 1, 20000);
    }
};

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    TestReports test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_reports.moc"

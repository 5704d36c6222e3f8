// "Listeyi Dışa Aktar": the writers on small lists (the CSV's bytes, the workbook read back
// with openpyxl, a stop, a full disk) and the command in both browsers on the real main
// window, whose file must hold exactly the rows and columns the grid shows.

#include "reports/listexportcommand.h"
#include "app/memberbrowser.h"
#include "app/tform1.h"
#include "toolkit/tsrdbgrid.h"
#include "app/unitbrowser.h"
#include "data/safefile.h"
#include "data/sharedqueries.h"
#include "recordingprogress.h"
#include "reports/export/listexport.h"
#include "testsupport.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using listexport::Format;
using listexport::ListOfTexts;

namespace
{

// What openpyxl reads from a workbook: its sheets, every row's values (an empty cell as ""),
// the type of each cell ("s" text, "n" number, "f" formula), whether the caption row is bold,
// the widths of the columns. openpyxl leaves the workbook's escapes of characters XML cannot
// carry (_x000D_) as they are; they are read here as a spreadsheet reads them.
const char *const kReadBack = R"(
import json, re, sys, openpyxl
def text(value):
    if value is None:
        return ""
    if isinstance(value, str):
        return re.sub("_x([0-9A-Fa-f]{4})_", lambda m: chr(int(m.group(1), 16)), value)
    return value
wb = openpyxl.load_workbook(sys.argv[1])
ws = wb.worksheets[0]
out = {"sheets": wb.sheetnames, "rows": [], "types": [], "bold": [], "widths": {}}
for row in ws.iter_rows():
    out["rows"].append([text(c.value) for c in row])
    out["types"].append([c.data_type for c in row if c.value is not None])
out["bold"] = [bool(c.font.b) for c in ws[1]]
for key, dim in ws.column_dimensions.items():
    out["widths"][key] = dim.width
print(json.dumps(out))
)";

struct Workbook {
    QStringList sheets;
    QList<QStringList> rows;
    QStringList types; // of every cell that holds a value
    QList<bool> bold;
    QMap<QString, double> widths;
    QString error;
};

Workbook readBack(const QString &path)
{
    Workbook book;
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromUtf8(kReadBack), path});
    if (!python.waitForFinished(60000) || python.exitCode() != 0) {
        book.error = QString::fromUtf8(python.readAllStandardError());
        return book;
    }
    const QJsonObject o = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
    for (const QJsonValue &v : o.value(QStringLiteral("sheets")).toArray())
        book.sheets << v.toString();
    for (const QJsonValue &row : o.value(QStringLiteral("rows")).toArray()) {
        QStringList cells;
        for (const QJsonValue &cell : row.toArray())
            cells << (cell.isString() ? cell.toString() : QStringLiteral("<not text: %1>").arg(cell.toVariant().toString()));
        book.rows << cells;
    }
    for (const QJsonValue &row : o.value(QStringLiteral("types")).toArray())
        for (const QJsonValue &type : row.toArray())
            book.types << type.toString();
    for (const QJsonValue &b : o.value(QStringLiteral("bold")).toArray())
        book.bold << b.toBool();
    const QJsonObject widths = o.value(QStringLiteral("widths")).toObject();
    for (auto it = widths.begin(); it != widths.end(); ++it)
        book.widths.insert(it.key(), it.value().toDouble());
    return book;
}

// Values a spreadsheet must show as they are: formulas that must never run, leading zeros,
// masks, Turkish letters, characters XML cannot carry.
const QStringList kCaptions = {QStringLiteral("ADI SOYADI"), QStringLiteral("TC KİMLİK NO"),
                               QStringLiteral("NOT")};
const QList<QStringList> kRows = {
    {QStringLiteral("ÇİĞDEM ŞAHİN"), QStringLiteral("01234567890"), QStringLiteral("=1+2")},
    {QStringLiteral("İSMAİL IŞIK"), QStringLiteral("10000000146"), QStringLiteral("+905321112233")},
    {QStringLiteral("ÖMER ÜNAL"), QString(), QStringLiteral("-3")},
    {QStringLiteral("ayşe; \"kısa\""), QStringLiteral("(312) 555 12 34"), QStringLiteral("@SUM(A1:A2)")},
    {QStringLiteral("  boşluklu "), QStringLiteral("01.02.1980"), QStringLiteral("\tsekme")},
    {QStringLiteral("satır\nsonu"), QStringLiteral("a\rb"), QStringLiteral("=HYPERLINK(\"http://x\";\"y\")")},
    {QStringLiteral("_x0041_ kalsın"), QString(QChar(0x01)) + QStringLiteral("zil"), QStringLiteral("\rbaşta")},
};

// Many rows of long texts: far more than 16 KB, even compressed.
ListOfTexts manyRows(int rows)
{
    QList<QStringList> out;
    for (int r = 0; r < rows; ++r)
        out << QStringList{QStringLiteral("PERSONEL %1 ÇAĞLAYAN").arg(r),
                           QString::number(qint64(r) * 7919 * 104729 + 10000000000LL),
                           QStringLiteral("ADRES %1 MAHALLE %2 SOKAK").arg(r * 31).arg(r * 17)};
    return ListOfTexts(kCaptions, out);
}

// The main window for the browsers. GAZİ LİSESİ's staff, by name: AHMET, ALİ, AYŞE, BURAK.
const QStringList kFixture = {
    "INSERT INTO sabit (Kurum_Adi) VALUES ('MEB')",
    "INSERT INTO sendikalar (sendikalar, adresi) VALUES ('EĞİTİM SEN', 'ANKARA'), ('TÜRK EĞİTİM SEN', 'İZMİR')",
    "INSERT INTO okul (SiraNo, okul_adi) VALUES (1, 'GAZİ LİSESİ'), (2, 'ÇAMLICA İLKOKULU')",
    "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir, sendikasi, unvani, cep_tel, tc_kimlik, dogum_tarihi) VALUES "
    "(1, 'AHMET', 'YILMAZ', 'AHMET YILMAZ', 'EĞİTİM SEN', 'ÖĞRETMEN', '(532) 000 00 01', '01234567890', '01.02.1980'), "
    "(1, 'AYŞE', 'ÇELİK', 'AYŞE ÇELİK', '=1+2', '-ŞEF', NULL, '10000000146', NULL), "
    "(1, 'ALİ', 'ÖZ', 'ALİ ÖZ', 'TÜRK EĞİTİM SEN', '@MÜDÜR', '(212) 111 22 33', NULL, '31.12.1999'), "
    "(1, 'BURAK', 'ŞAHİN', 'BURAK ŞAHİN', 'EĞİTİM SEN', 'MEMUR', NULL, '12345678950', NULL), "
    "(2, 'CEM', 'ÜNAL', 'CEM ÜNAL', 'EĞİTİM SEN', 'MEMUR', NULL, NULL, NULL)",
};

} // namespace

class TestListExport : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> m_main;
    TForm1 *m_form = nullptr;
    QTemporaryDir m_out;

    void startMainWindow()
    {
        m_main = std::make_unique<MainWindowFixture>(kFixture);
        m_form = m_main->start(MainWindowFixture::Windows::All);
    }

    // Runs `command`, answers the save dialog with `name` in the test's folder (choosing the
    // type `filter` first when given) and the message that follows with "TAMAM"; returns
    // that message.
    QString exportAs(const QString &name, const std::function<void()> &command, const QString &filter = QString())
    {
        Answers steps;
        QString title;
        QStringList filters;
        steps.on(QStringLiteral("ListeDisaAktarDialog"), [&](QWidget *window) {
            auto *dialog = static_cast<QFileDialog *>(window);
            title = dialog->windowTitle();
            filters = dialog->nameFilters();
            if (!filter.isEmpty()) {
                auto *types = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
                if (types)
                    pick(types, filter);
            }
            chooseInFileDialog(dialog, m_out.filePath(name));
        });
        steps.click(QStringLiteral("TAMAM"));
        command();
        [&] { QTRY_VERIFY(steps.done()); }();
        waitIdle();
        [&] {
            QVERIFY2(steps.unexpected.isEmpty(), qPrintable(steps.unexpected.join(QLatin1Char('|'))));
            QCOMPARE(title, QStringLiteral("Listeyi Dışa Aktar"));
            QCOMPARE(filters, (QStringList{QStringLiteral("Excel çalışma kitabı (*.xlsx)"),
                                           QStringLiteral("CSV dosyası, noktalı virgülle ayrılmış (*.csv)")}));
        }();
        return steps.texts.value(0);
    }

    void showStaffColumns(const QList<int> &flags)
    {
        auto &fieldFlags = m_form->settings().fieldFlags;
        fieldFlags.fill(false);
        for (int n : flags)
            fieldFlags[size_t(n - 1)] = true;
        waitIdle();
    }

    void openContextMenu(TSrDBGrid *grid, const char *menuName, const char *itemName)
    {
        auto *menu = child<QMenu>(m_form, QLatin1String(menuName));
        auto *item = child<QAction>(menu, QLatin1String(itemName));
        QCOMPARE(item->text(), QStringLiteral("Listeyi Dışa Aktar"));
        const QPoint at(20, 10);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, grid->viewport()->mapToGlobal(at));
        QApplication::sendEvent(grid->viewport(), &event);
        QTRY_VERIFY(menu->isVisible());
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
    }

private Q_SLOTS:
    void initTestCase()
    {
        quietOffscreenWarnings();
        QVERIFY(m_out.isValid());
    }
    void cleanup() { m_main.reset(); }

    // ---------------------------------------------------------------- the writers

    void csvFields_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("field");
        QTest::newRow("plain") << "AHMET" << "AHMET";
        QTest::newRow("Turkish") << "ÇİĞDEM ŞAHİN" << "ÇİĞDEM ŞAHİN";
        QTest::newRow("leading zero") << "01234567890" << "01234567890";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("separator") << "a;b" << "\"a;b\"";
        QTest::newRow("quote") << "a \"b\"" << "\"a \"\"b\"\"\"";
        QTest::newRow("line feed") << "a\nb" << "\"a\nb\"";
        QTest::newRow("equals") << "=1+2" << "'=1+2";
        QTest::newRow("plus") << "+905321112233" << "'+905321112233";
        QTest::newRow("minus") << "-3" << "'-3";
        QTest::newRow("at") << "@SUM(A1)" << "'@SUM(A1)";
        QTest::newRow("tab") << "\tx" << "'\tx";
        QTest::newRow("carriage return, quoted too") << "\rx" << "\"'\rx\"";
        QTest::newRow("formula with separator") << "=A1;B1" << "\"'=A1;B1\"";
        QTest::newRow("equals inside") << "a=b" << "a=b";
    }
    void csvFields()
    {
        QFETCH(QString, value);
        QFETCH(QString, field);
        QCOMPARE(listexport::csvField(value), field);
    }

    void csvBytes()
    {
        const QString path = m_out.filePath(QStringLiteral("liste.csv"));
        const listexport::Outcome outcome =
            listexport::writeFile(ListOfTexts(kCaptions, kRows.mid(0, 4)), path, Format::Csv, QStringLiteral("Liste"));
        QVERIFY2(outcome.written, qPrintable(outcome.error));
        const QByteArray expected = QStringLiteral("\uFEFFADI SOYADI;TC KİMLİK NO;NOT\r\n"
                                                   "ÇİĞDEM ŞAHİN;01234567890;'=1+2\r\n"
                                                   "İSMAİL IŞIK;10000000146;'+905321112233\r\n"
                                                   "ÖMER ÜNAL;;'-3\r\n"
                                                   "\"ayşe; \"\"kısa\"\"\";(312) 555 12 34;'@SUM(A1:A2)\r\n")
                                        .toUtf8();
        QCOMPARE(fileBytes(path), expected);
        QVERIFY(fileBytes(path).startsWith("\xEF\xBB\xBF"));
    }

    void workbookReadsBackAsWritten()
    {
        const QString path = m_out.filePath(QStringLiteral("liste.xlsx"));
        const listexport::Outcome outcome = listexport::writeFile(ListOfTexts(kCaptions, kRows), path, Format::Xlsx,
                                                                  QStringLiteral("Personel Listesi"));
        QVERIFY2(outcome.written, qPrintable(outcome.error));
        const Workbook book = readBack(path);
        QVERIFY2(book.error.isEmpty(), qPrintable(book.error));
        QCOMPARE(book.sheets, QStringList{QStringLiteral("Personel Listesi")});
        QList<QStringList> expected = {kCaptions};
        expected << kRows;
        QCOMPARE(book.rows, expected);
        // Every value is a text cell: no formula, no number (leading zeros stay).
        QCOMPARE(book.types.count(QStringLiteral("s")), book.types.size());
        QCOMPARE(book.bold, (QList<bool>{true, true, true}));
        // Widths fit: the column of long names is wider than that of the numbers' caption.
        QVERIFY(book.widths.value(QStringLiteral("A")) >= 14);
        QVERIFY(book.widths.value(QStringLiteral("C")) > book.widths.value(QStringLiteral("B")));
        // No formula anywhere in the sheet's XML.
        QProcess unzip;
        unzip.start(QStringLiteral("/usr/bin/python3"),
                    {QStringLiteral("-c"),
                     QStringLiteral("import zipfile,sys; print(zipfile.ZipFile(sys.argv[1]).read('xl/worksheets/sheet1.xml').decode())"),
                     path});
        QVERIFY(unzip.waitForFinished(30000));
        const QByteArray sheet = unzip.readAllStandardOutput();
        QVERIFY(sheet.contains("<sheetData>"));
        QVERIFY(!sheet.contains("<f>") && !sheet.contains("<f "));
    }

    void sheetNames_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << "Birim Listesi" << "Birim Listesi";
        QTest::newRow("forbidden characters") << "A/B: [C]*?\\" << "AB C";
        QTest::newRow("long") << "GAZİ MUSTAFA KEMAL ANADOLU LİSESİ PERSONELİ" << "GAZİ MUSTAFA KEMAL ANADOLU LİSE";
        QTest::newRow("empty") << "" << "Liste";
        QTest::newRow("apostrophes around") << "'Liste'" << "Liste";
    }
    void sheetNames()
    {
        QFETCH(QString, title);
        QFETCH(QString, name);
        QCOMPARE(listexport::sheetNameOf(title), name);
    }

    void columnLetters()
    {
        QCOMPARE(listexport::columnLetters(0), QStringLiteral("A"));
        QCOMPARE(listexport::columnLetters(22), QStringLiteral("W"));
        QCOMPARE(listexport::columnLetters(25), QStringLiteral("Z"));
        QCOMPARE(listexport::columnLetters(26), QStringLiteral("AA"));
        QCOMPARE(listexport::columnLetters(27), QStringLiteral("AB"));
        QCOMPARE(listexport::columnLetters(701), QStringLiteral("ZZ"));
        QCOMPARE(listexport::columnLetters(702), QStringLiteral("AAA"));
    }

    void stoppedWriteLeavesNothing_data()
    {
        QTest::addColumn<Format>("format");
        QTest::newRow("xlsx") << Format::Xlsx;
        QTest::newRow("csv") << Format::Csv;
    }
    void stoppedWriteLeavesNothing()
    {
        QFETCH(Format, format);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("eski.") + listexport::suffixOf(format));
        QVERIFY(safefile::write(path, "eski liste", nullptr));
        RecordingProgress progress([](int done, int total) { return done < total / 2; });
        const listexport::Outcome outcome =
            listexport::writeFile(manyRows(10000), path, format, QStringLiteral("Liste"), &progress);
        QVERIFY(outcome.cancelled);
        QVERIFY(!outcome.written);
        QVERIFY(progress.reports.size() > 1);
        QCOMPARE(fileBytes(path), QByteArray("eski liste"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QFileInfo(path).fileName()});
    }

    // A full disk: no half file, the old one whole, the reason in Turkish. Where the write
    // fails depends on where a buffer ends, so it is tried again and again.
    void fullDiskLeavesNoHalfFile_data()
    {
        QTest::addColumn<Format>("format");
        QTest::newRow("xlsx") << Format::Xlsx;
        QTest::newRow("csv") << Format::Csv;
    }
    void fullDiskLeavesNoHalfFile()
    {
        QFETCH(Format, format);
        SmallDisk disk;
        if (!disk.mounted())
            QSKIP("no tmpfs can be mounted here");
        const QString path = disk.filePath(QStringLiteral("liste.") + listexport::suffixOf(format));
        QVERIFY(safefile::write(path, "eski liste", nullptr));
        for (int attempt = 0; attempt < 25; ++attempt) {
            const listexport::Outcome outcome = listexport::writeFile(manyRows(2000 + 97 * attempt), path, format,
                                                                      QStringLiteral("Liste"));
            QVERIFY2(!outcome.written, qPrintable(QString::number(attempt)));
            QVERIFY(!outcome.cancelled);
            QCOMPARE(outcome.error, QStringLiteral("'%1' dosyası yazılamadı: diskte yer kalmadı.").arg(path));
            QCOMPARE(fileBytes(path), QByteArray("eski liste"));
            QCOMPARE(disk.names(), QStringList{QFileInfo(path).fileName()});
        }
        // A short list fits, and replaces the old file.
        const listexport::Outcome outcome =
            listexport::writeFile(ListOfTexts(kCaptions, kRows), path, format, QStringLiteral("Liste"));
        QVERIFY2(outcome.written, qPrintable(outcome.error));
        QVERIFY(fileBytes(path) != QByteArray("eski liste"));
    }

    // ---------------------------------------------------------------- the browsers

    // The unit's staff as the grid shows them: a search, the order of a title clicked twice,
    // the columns the field flags show.
    void unitStaffListAsShown()
    {
        startMainWindow();
        m_main->click("BitBtn1"); // "Birim/Personel Listesi"
        QVERIFY(m_form->data()->QueryOkul->locate(QStringLiteral("okul_adi"), QStringLiteral("GAZİ")));
        showStaffColumns({1, 2, 7, 15, 17}); // name, union, mobile, identity number, birth date
        typeText(child<QLineEdit>(m_form, QStringLiteral("Edit2")), QStringLiteral("A"));
        TSrDBGrid *grid = m_form->unitBrowser()->staffGrid();
        QCOMPARE(grid->dataset()->recordCount(), 3); // BURAK is not listed
        for (int click = 0; click < 2; ++click)
            m_form->unitBrowser()->titleClick(grid, 0); // descending by name
        waitIdle();

        const QString message = exportAs(QStringLiteral("birim.xlsx"),
                                         [&] { m_main->click("BtnPersonelDisaAktar"); });
        const QString path = m_out.filePath(QStringLiteral("birim.xlsx"));
        QCOMPARE(message, QStringLiteral("Liste '%1' dosyasına aktarıldı: 3 kayıt.").arg(path));
        const Workbook book = readBack(path);
        QVERIFY2(book.error.isEmpty(), qPrintable(book.error));
        QCOMPARE(book.sheets, QStringList{QStringLiteral("Birim Personel Listesi")});
        const QList<QStringList> expected = {
            {"ADI SOYADI", "KAYITLI OLDUĞU SENDİKA", "CEP TELEFONU", "TC KİMLİK NO", "DOĞRUM TARİHİ"},
            {"AYŞE ÇELİK", "=1+2", "", "10000000146", ""},
            {"ALİ ÖZ", "TÜRK EĞİTİM SEN", "(212) 111 22 33", "", "31.12.1999"},
            {"AHMET YILMAZ", "EĞİTİM SEN", "(532) 000 00 01", "01234567890", "01.02.1980"},
        };
        QCOMPARE(book.rows, expected);
        QCOMPARE(book.types.count(QStringLiteral("s")), book.types.size());
        QCOMPARE(book.bold, (QList<bool>(5, true)));
    }

    void unitListFromItsContextMenu()
    {
        startMainWindow();
        m_main->click("BitBtn1");
        TSrDBGrid *grid = m_form->unitBrowser()->unitGrid();
        exportAs(QStringLiteral("birimler.csv"), [&] { openContextMenu(grid, "PopupKurum", "KurumDisaAktar1"); });
        QCOMPARE(fileBytes(m_out.filePath(QStringLiteral("birimler.csv"))),
                 QStringLiteral("\uFEFFBirim Adı;Birim Müdürü\r\nÇAMLICA İLKOKULU;\r\nGAZİ LİSESİ;\r\n").toUtf8());
    }

    // The member browser's list under a union filter, to CSV chosen by the type list, the name
    // typed without a suffix.
    void memberListUnderAFilter()
    {
        startMainWindow();
        m_main->click("BitBtn2"); // "Personel Ara"
        QVERIFY(pick(child<QComboBox>(m_form, QStringLiteral("CbAra")), QStringLiteral("EĞİTİM SEN")));
        waitIdle();
        QCOMPARE(m_form->memberBrowser()->grid()->dataset()->recordCount(), 3);
        exportAs(QStringLiteral("sendika"), [&] { m_main->click("BtnDisaAktar"); },
                 QStringLiteral("CSV dosyası, noktalı virgülle ayrılmış (*.csv)"));
        QCOMPARE(fileBytes(m_out.filePath(QStringLiteral("sendika.csv"))),
                 QStringLiteral("\uFEFFADI SOYADI\r\nAHMET YILMAZ\r\nBURAK ŞAHİN\r\nCEM ÜNAL\r\n").toUtf8());
    }

    void memberListFromItsContextMenu()
    {
        startMainWindow();
        m_main->click("BitBtn2");
        TSrDBGrid *grid = m_form->memberBrowser()->grid();
        exportAs(QStringLiteral("herkes.xlsx"),
                 [&] { openContextMenu(grid, "PopupPersonel", "PersonelDisaAktar1"); });
        const Workbook book = readBack(m_out.filePath(QStringLiteral("herkes.xlsx")));
        QVERIFY2(book.error.isEmpty(), qPrintable(book.error));
        const QList<QStringList> expected = {{"ADI SOYADI"}, {"AHMET YILMAZ"}, {"ALİ ÖZ"}, {"AYŞE ÇELİK"},
                                             {"BURAK ŞAHİN"}, {"CEM ÜNAL"}};
        QCOMPARE(book.rows, expected);
    }

    void fullDiskIsToldInTurkish()
    {
        SmallDisk disk;
        if (!disk.mounted())
            QSKIP("no tmpfs can be mounted here");
        // A list far too long for 16 KB.
        QStringList rows = kFixture;
        rows << QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
            "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir, sendikasi) "
            "SELECT 2, 'KİŞİ' || i, 'SOYAD' || (i * 7919 % 100003), "
            "'KİŞİ' || i || ' SOYAD' || (i * 7919 % 100003), 'EĞİTİM SEN' FROM n");
        m_main = std::make_unique<MainWindowFixture>(rows);
        m_form = m_main->start(MainWindowFixture::Windows::All);
        m_main->click("BitBtn2");
        const QString path = disk.filePath(QStringLiteral("liste.xlsx"));
        Answers steps;
        steps.chooseFile(path, QStringLiteral("ListeDisaAktarDialog")).click(QStringLiteral("TAMAM"));
        m_main->click("BtnDisaAktar");
        QTRY_VERIFY(steps.done());
        waitIdle();
        QVERIFY2(steps.unexpected.isEmpty(), qPrintable(steps.unexpected.join(QLatin1Char('|'))));
        QCOMPARE(steps.texts.value(0), QStringLiteral("'%1' dosyası yazılamadı: diskte yer kalmadı.").arg(path));
        QCOMPARE(steps.icons.value(0), QMessageBox::Critical);
        QVERIFY(disk.names().isEmpty());
    }
};

QTEST_MAIN(TestListExport)
#include "tst_listexport.moc"

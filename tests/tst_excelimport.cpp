// The file and database work of the Excel import without its window: the reader program on
// workbooks written at test time (good, damaged and not workbooks at all), the reader's own
// faults, the phone normaliser, the range boxes, and the staging table with its transfer
// to the units.

#include "data/database.h"
#include "data/dberror.h"
#include "data/schema.h"
#include "excelworkbooks.h"
#include "recordingprogress.h"
#include "maintenance/excelimport.h"
#include "maintenance/excelphone.h"
#include "maintenance/excelworkbook.h"
#include "testsupport.h"

#include <QElapsedTimer>
#include <QTest>
#include <fcntl.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>

using excelimport::StagedRow;

namespace
{

// Every cell of the first rows and six columns, as "row,column=text".
QStringList linesOf(const SheetCells &cells, int rows)
{
    QStringList out;
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= 6; ++c)
            if (!cells.text(r, c).isEmpty())
                out << QStringLiteral("%1,%2=%3").arg(r).arg(c).arg(cells.text(r, c));
    return out;
}

// The first worksheet of units.xls and units.xlsx.
const QStringList kUnitCells = {
    "1,1=Birim Adı",
    "1,2=Birim Müdürü",
    "1,3=Birim Adresi",
    "1,4=Birim Telefonu",
    "1,5=İli",
    "1,6=İlçesi",
    // text, and a 10-digit number beyond a C int
    "2,1=GAZİ LİSESİ",
    "2,2=AYŞE KAYA",
    "2,3=ATATÜRK CAD. NO:5",
    "2,4=3124567890",
    "2,5=ANKARA",
    "2,6=ÇANKAYA",
    // a negative whole number, a fraction with the decimal comma; empty cells are left out
    "3,1=ÇAMLICA İLKOKULU",
    "3,2=-7",
    "3,3=0,1",
    "3,4=0 (312) 456-78-90",
    "3,5=İZMİR",
    // a row whose first cell is empty
    "4,2=SAHİPSİZ",
    "4,3=ADRES",
    "4,4=5",
    "4,5=İL",
    "4,6=İLÇE",
    // a whole number among fractions and dates in one column; an 11-digit number; a date
    "5,1=İNÖNÜ ORTAOKULU",
    "5,2=ŞÜKRÜ ÖZ",
    "5,3=12",
    "5,4=31245678901",
    "5,5=BURSA",
    "5,6=15.03.2024",
    // date and time, time of day
    "6,1=ZEKİ OKULU",
    "6,2=2,5",
    "6,3=15.03.2024 08:30:00",
    "6,5=VAN",
    "6,6=14:05:09",
    // blanks kept, a large number without exponent
    "7,1=SON OKUL",
    "7,2=  iki boşluk  ",
    "7,3=1000000000000000",
    "7,4=312 456 78 90",
    "7,5=KARS",
};

struct Cell {
    int row, column;
    QString text;
};

// What the reader prints for these cells.
QByteArray readerOutput(const QList<Cell> &cells)
{
    QByteArray out = "MELTORA-XLSREAD 1\n";
    for (const Cell &cell : cells) {
        const QByteArray text = cell.text.toUtf8();
        out += QStringLiteral("CELL %1 %2 %3\n")
                   .arg(cell.row)
                   .arg(cell.column)
                   .arg(text.size())
                   .toUtf8() +
               text + '\n';
    }
    return out + "END " + QByteArray::number(cells.size()) + '\n';
}

StagedRow staged(int sheetRow, const QStringList &values)
{
    StagedRow row;
    row.sheetRow = sheetRow;
    for (int i = 0; i < values.size(); ++i)
        row.values[size_t(i)] = values[i];
    return row;
}

QStringList stagedColumn(const std::vector<StagedRow> &rows, int field)
{
    QStringList out;
    for (const StagedRow &row : rows)
        out << row.values[size_t(field)];
    return out;
}

// How a program run on its own ended: its exit code and its resident peak in KiB.
struct MeasuredRun {
    int exitCode = -1;
    qint64 peakKb = -1;
};

// Runs `program` with its output dropped and waits for it, measuring that one child alone.
MeasuredRun runMeasured(const QString &program, const QStringList &arguments)
{
    QList<QByteArray> words{QFile::encodeName(program)};
    for (const QString &argument : arguments)
        words << QFile::encodeName(argument);
    std::vector<char *> argv;
    for (QByteArray &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    MeasuredRun run;
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        rusage usage{};
        if (wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status)) {
            run.exitCode = WEXITSTATUS(status);
            run.peakKb = usage.ru_maxrss;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

constexpr qint64 kMiB = 1024;

} // namespace

class TestExcelImport : public QObject
{
    Q_OBJECT

    QTemporaryDir m_books;
    QString book(const char *name) const { return m_books.filePath(QLatin1String(name)); }

    // A fresh program folder and connection, made only for the tests that need them.
    std::unique_ptr<TestProgramDir> m_dir;
    std::unique_ptr<Database> m_db;
    Database &db()
    {
        if (!m_db) {
            m_dir = std::make_unique<TestProgramDir>();
            m_db = std::make_unique<Database>();
            m_db->open(m_dir->address());
        }
        return *m_db;
    }

    QStringList select(const QString &sql)
    {
        QStringList out;
        Statement st(db(), sql);
        while (st.step())
            out << st.string(0);
        return out;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_books.isValid());
        QVERIFY(makeWorkbooks(m_books.path()));
    }
    void cleanup()
    {
        m_db.reset();
        m_dir.reset();
    }

    // ------------------------------------------------------------------ the reader

    void readsTheFirstWorksheetAsText_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("expected");
        // Old exports end with the end-of-file character in a row of its own.
        const QStringList withEndMark =
            kUnitCells + QStringList{QStringLiteral("8,1=\x1a"), "8,2=GİZLİ"};
        QTest::newRow("xls") << book("units.xls") << withEndMark;
        QTest::newRow("xlsx") << book("units.xlsx") << kUnitCells;
        QTest::newRow("xlsx named .xls") << book("xlsx-named.xls") << kUnitCells;
    }
    void readsTheFirstWorksheetAsText()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, expected);
        ExcelWorkbookReader reader(QStringLiteral(MELTORA_XLSREAD));
        SheetCells cells;
        QString error;
        QVERIFY2(reader.read(file, {1, 30, 1, 6}, &cells, &error), qPrintable(error));
        QCOMPARE(linesOf(cells, 30), expected);
    }

    // Inline and rich strings, formula results, booleans, errors, cells without a reference,
    // an exponent in the file, and a first worksheet stored under another name.
    void readsWhatOnlyHandWrittenPackagesHold()
    {
        ExcelWorkbookReader reader(QStringLiteral(MELTORA_XLSREAD));
        SheetCells cells;
        QString error;
        QVERIFY2(reader.read(book("handmade.xlsx"), {1, 10, 1, 6}, &cells, &error),
                 qPrintable(error));
        QCOMPARE(linesOf(cells, 10),
                 QStringList({"1,1=GAZİ LİSESİ", "1,2= SATIR İÇİ ", "1,4=3124567890",
                              "1,5=ANKARA & ÇANKAYA", "3,1=ZENGİN METİN", "3,2=FORMÜL", "3,3=DOĞRU",
                              "3,4=YANLIŞ", "3,5=#N/A", "3,6=1000000000000000", "4,1=-0,5"}));
    }

    void readsOnlyTheRange_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("xls") << book("units.xls");
        QTest::newRow("xlsx") << book("units.xlsx");
    }
    void readsOnlyTheRange()
    {
        QFETCH(QString, file);
        ExcelWorkbookReader reader(QStringLiteral(MELTORA_XLSREAD));
        SheetCells cells;
        QString error;
        QVERIFY2(reader.read(file, {2, 3, 2, 4}, &cells, &error), qPrintable(error));
        QCOMPARE(linesOf(cells, 30),
                 QStringList({"2,2=AYŞE KAYA", "2,3=ATATÜRK CAD. NO:5", "2,4=3124567890", "3,2=-7",
                              "3,3=0,1", "3,4=0 (312) 456-78-90"}));
        QVERIFY(reader.read(file, {5, 3, 1, 6}, &cells, &error));
        QCOMPARE(cells.size(), 0);
    }

    // Whatever the file holds, the program gets a message and no cells. A damaged .xls may
    // also crash the reader inside its library: that is reported the same way.
    void filesThatAreNoWorkbook_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        const QString notWorkbook = QStringLiteral("bir Excel çalışma kitabı değil");
        const QString damaged = QStringLiteral("bozuk");
        QTest::newRow("HTML as .xls") << book("html.xls") << notWorkbook;
        QTest::newRow("CSV as .xls") << book("csv.xls") << notWorkbook;
        QTest::newRow("random bytes") << book("random.xls") << notWorkbook;
        QTest::newRow("zip without workbook") << book("notworkbook.xlsx") << notWorkbook;
        QTest::newRow("empty") << book("empty.xls") << QStringLiteral("dosyası boş");
        QTest::newRow("truncated .xls") << book("truncated.xls") << damaged;
        QTest::newRow("truncated .xlsx") << book("truncated.xlsx") << damaged;
        QTest::newRow("flipped bytes .xls") << book("flipped.xls") << damaged;
        QTest::newRow("flipped bytes .xlsx") << book("flipped.xlsx") << damaged;
        QTest::newRow("compound document of noise") << book("olenoise.xls") << damaged;
        QTest::newRow("missing") << book("nowhere.xls") << QStringLiteral("dosyası açılamadı");
        // Excel 2.x-4.x files are workbooks, of a format to be saved again.
        const QString oldFormat =
            QStringLiteral("eski bir Excel biçiminde (Excel 2.x - 4.x) kaydedilmiş; bu biçim "
                           "okunamıyor.\nDosyayı Excel'de açıp \"Excel Çalışma Kitabı (*.xlsx)\" "
                           "ya da \"Excel 97-2003 Çalışma Kitabı (*.xls)\" olarak yeniden "
                           "kaydettikten sonra tekrar deneyin.");
        QTest::newRow("Excel 2.1 worksheet") << book("excel2.xls") << oldFormat;
        QTest::newRow("Excel 3.0 worksheet") << book("excel3.xls") << oldFormat;
        QTest::newRow("Excel 4.0 worksheet") << book("excel4.xls") << oldFormat;
        QTest::newRow("Excel 4.0 workbook") << book("excel4w.xls") << oldFormat;
    }
    void filesThatAreNoWorkbook()
    {
        QFETCH(QString, file);
        QFETCH(QString, message);
        ExcelWorkbookReader reader(QStringLiteral(MELTORA_XLSREAD));
        SheetCells cells;
        QString error;
        QVERIFY(!reader.read(file, {1, 20, 1, 6}, &cells, &error));
        QVERIFY2(error.contains(message), qPrintable(error));
        QVERIFY2(error.contains(QFileInfo(file).fileName()), qPrintable(error));
        QCOMPARE(cells.size(), 0);
    }

    // A reader that crashes, hangs, stops half-way or is not there costs a message only.
    void faultsOfTheReader_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QString>("message");
        QTest::newRow("crash") << QByteArray("kill -SEGV $$")
                               << QStringLiteral("beklenmedik biçimde sonlandı");
        QTest::newRow("hang") << QByteArray("exec sleep 20")
                              << QStringLiteral("0,3 saniye içinde okunamadığı");
        QTest::newRow("output cut short")
            << QByteArray("printf 'MELTORA-XLSREAD 1\\nCELL 1 1 40\\nGAZ'")
            << QStringLiteral("bozuk");
        QTest::newRow("no output") << QByteArray("exit 0") << QStringLiteral("bozuk");
        QTest::newRow("missing") << QByteArray() << QStringLiteral("Excel okuma aracı bulunamadı");
    }
    void faultsOfTheReader()
    {
        QFETCH(QByteArray, script);
        QFETCH(QString, message);
        const QString path = m_books.filePath(
            QStringLiteral("reader-%1").arg(QLatin1String(QTest::currentDataTag())));
        if (!script.isEmpty())
            QVERIFY(!writeFakeReader(path, script).isEmpty());
        ExcelWorkbookReader reader(path);
        // Only the hanging reader meets the short limit: the others end at once, however
        // busy the machine.
        if (script.contains("sleep"))
            reader.setTimeLimit(300);
        SheetCells cells;
        QString error;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!reader.read(book("units.xls"), {1, 20, 1, 6}, &cells, &error));
        QVERIFY2(error.contains(message), qPrintable(error));
        QVERIFY(clock.elapsed() < 5000);
        QCOMPARE(cells.size(), 0);
    }

    // ------------------------------------------------------------------ oversized workbooks

    // One cell of 150 MB in a workbook of 150 KB, its text shared or inline: the reader
    // refuses it while unpacking it, before holding it, and the program holds none of it.
    void aHugeCellIsRefusedWhileItIsRead_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("shared text") << book("hugecell.xlsx");
        QTest::newRow("inline text") << book("hugecell-inline.xlsx");
    }
    void aHugeCellIsRefusedWhileItIsRead()
    {
        QFETCH(QString, file);
        QVERIFY(QFileInfo(file).size() < 200 * 1024);
        const MeasuredRun run = runMeasured(QStringLiteral(MELTORA_XLSREAD),
                                            {file, "--rows", "1", "20", "--columns", "1", "6"});
        QCOMPARE(run.exitCode, int(xlsread::CellTooLong));
        qInfo("the reader's peak: %lld KiB", run.peakKb);
        QVERIFY2(run.peakKb < 48 * kMiB, qPrintable(QString::number(run.peakKb)));

        ExcelWorkbookReader reader(QStringLiteral(MELTORA_XLSREAD));
        SheetCells cells;
        QString error;
        bool read = true;
        const qint64 growth = residentGrowthKb([&] {
            read = reader.read(file, {1, 20, 1, 6}, &cells, &error);
        });
        QVERIFY(!read);
        QVERIFY2(error.contains(QStringLiteral("Excel'in bir hücrede tutabileceğinden (32.767 "
                                               "karakter) uzun bir hücre var")),
                 qPrintable(error));
        QCOMPARE(cells.size(), 0);
        qInfo("the program grew by %lld KiB", growth);
        QVERIFY2(growth >= 0 && growth < 16 * kMiB, qPrintable(QString::number(growth)));
    }

    // A reader that prints more than any workbook gives is stopped, and what it printed is
    // dropped as it comes: the program's memory does not grow with it.
    void outputBeyondAnyWorkbookIsRefusedAsItComes_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QString>("message");
        const QByteArray header = "printf 'MELTORA-XLSREAD 1\\n'; ";
        const QByteArray huge = "head -c 157286400 /dev/zero | tr '\\0' A; ";
        QTest::newRow("a cell of 150 MB")
            << header + "printf 'CELL 1 1 157286400\\n'; " + huge + "printf '\\nEND 1\\n'"
            << QStringLiteral("uzun bir hücre var");
        QTest::newRow("150 MB without a line end") << header + huge << QStringLiteral("bozuk");
        QTest::newRow("a cell outside the range")
            << header + "printf 'CELL 21 1 1\\nA\\nEND 1\\n'" << QStringLiteral("bozuk");
        QTest::newRow("a cell given twice")
            << header + "printf 'CELL 1 1 1\\nA\\nCELL 1 1 1\\nB\\nEND 2\\n'"
            << QStringLiteral("bozuk");
        QTest::newRow("more cells than the reader may print")
            << QByteArray("exec /usr/bin/python3 -c 'import sys\n"
                          "w = sys.stdout.buffer.write\n"
                          "w(b\"MELTORA-XLSREAD 1\\n\")\n"
                          "for r in range(1, 3001): w(b\"CELL %d 1 30000\\n\" % r + b\"A\" * 30000 "
                          "+ b\"\\n\")\n"
                          "w(b\"END 3000\\n\")'")
            << QStringLiteral("fazla büyük");
    }
    void outputBeyondAnyWorkbookIsRefusedAsItComes()
    {
        QFETCH(QByteArray, script);
        QFETCH(QString, message);
        const QString path = m_books.filePath(
            QStringLiteral("reader-%1").arg(QString::number(qHash(QTest::currentDataTag()))));
        QVERIFY(!writeFakeReader(path, script).isEmpty());
        ExcelWorkbookReader reader(path);
        SheetCells cells;
        QString error;
        bool read = true;
        const bool many = script.contains("python3");
        const qint64 growth = residentGrowthKb([&] {
            read = reader.read(book("units.xlsx"), {1, many ? 3000 : 20, 1, 6}, &cells, &error);
        });
        QVERIFY(!read);
        QVERIFY2(error.contains(message), qPrintable(error));
        QCOMPARE(cells.size(), 0);
        // Up to the limit of the output, cells are held; beyond it nothing more.
        const qint64 bound = many ? 160 * kMiB : 16 * kMiB;
        qInfo("the program grew by %lld KiB", growth);
        QVERIFY2(growth >= 0 && growth < bound, qPrintable(QString::number(growth)));
    }

    // ------------------------------------------------------------------ phone numbers

    void phoneNumbers_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("normalised");
        QTest::newRow("ten digits with blanks") << "312 456 78 90"
                                                << "(312) 456 78 90";
        QTest::newRow("ten digits from a number cell") << "3124567890"
                                                       << "(312) 456 78 90";
        QTest::newRow("every separator") << "[312]-456/78.90;"
                                         << "(312) 456 78 90";
        QTest::newRow("non-breaking blanks")
            << QStringLiteral("312\u00a0456\u00a078 90") << "(312) 456 78 90";
        QTest::newRow("already stored form") << "(312) 456 78 90"
                                             << "(312) 456 78 90";
        // The trunk zero goes before grouping, so the last digit stays.
        QTest::newRow("trunk zero and separators") << "0 (312) 456-78-90"
                                                   << "(312) 456 78 90";
        QTest::newRow("trunk zero, digits only") << "03124567890"
                                                 << "(312) 456 78 90";
        QTest::newRow("trunk zero in brackets") << "0 (312) 222 33 44"
                                                << "(312) 222 33 44";
        // A number saved as text keeps its decimal part; the zeros are no digits of it.
        QTest::newRow("number saved as text") << "3122223344.0"
                                              << "(312) 222 33 44";
        QTest::newRow("decimal comma and zeros") << "3122223344,00"
                                                 << "(312) 222 33 44";
        QTest::newRow("trunk zero saved as text") << "03122223344.0"
                                                  << "(312) 222 33 44";
        // The country code goes, however it is written.
        QTest::newRow("country code with plus") << "+90 312 222 33 44"
                                                << "(312) 222 33 44";
        QTest::newRow("country code with plus, digits only") << "+905321234567"
                                                             << "(532) 123 45 67";
        QTest::newRow("country code with 00") << "0090 312 222 33 44"
                                              << "(312) 222 33 44";
        QTest::newRow("country code alone") << "90 532 123 45 67"
                                            << "(532) 123 45 67";
        QTest::newRow("country code and trunk zero") << "+90 (0312) 222 33 44"
                                                     << "(312) 222 33 44";
        QTest::newRow("00, country code and trunk zero") << "0090 0312 222 33 44"
                                                         << "(312) 222 33 44";
        // Nothing that is no phone number is touched: the empty-cell text stays.
        QTest::newRow("empty-cell text") << "-"
                                         << "-";
        QTest::newRow("a note") << "YOK"
                                << "YOK";
        QTest::newRow("empty") << ""
                               << "";
        // Short numbers are padded with zeros in front, as before.
        QTest::newRow("seven digits") << "456 78 90"
                                      << "(000) 456 78 90";
        QTest::newRow("one digit") << "5"
                                   << "(000) 000 00 05";
        // What cannot be made into ten digits stays as it was, separators and all.
        QTest::newRow("eleven digits without trunk zero") << "31245678901"
                                                          << "31245678901";
        QTest::newRow("twelve digits without country code") << "312 222 33 44 55"
                                                            << "312 222 33 44 55";
        QTest::newRow("foreign number") << "+1 212 555 0100"
                                        << "+1 212 555 0100";
        QTest::newRow("country code and too few digits") << "+90 312 222"
                                                         << "+90 312 222";
        QTest::newRow("extension") << "312 456 78 90/12"
                                   << "312 456 78 90/12";
        QTest::newRow("a fraction that is not zero") << "3122223344.5"
                                                     << "3122223344.5";
        QTest::newRow("exponent form") << "3,122223344E+09"
                                       << "3,122223344E+09";
        QTest::newRow("letters among ten") << "ABC 456 78 90"
                                           << "ABC 456 78 90";
        QTest::newRow("plus inside") << "312+222 33 44"
                                     << "312+222 33 44";
    }
    void phoneNumbers()
    {
        QFETCH(QString, value);
        QFETCH(QString, normalised);
        QCOMPARE(excelphone::normalise(value), normalised);
        // Each ends in the stored form, or is kept as it was.
        QCOMPARE(excelphone::isStored(normalised),
                 normalised != value || excelphone::isStored(value));
        QCOMPARE(excelphone::tenDigits(value).has_value(), excelphone::isStored(normalised));
    }

    void phonePassesOneByOne()
    {
        QCOMPARE(excelphone::strip(QStringLiteral("(312) 456-78.90")),
                 QStringLiteral("3124567890"));
        QCOMPARE(excelphone::strip(QStringLiteral("- -")), QStringLiteral("- -"));
        QCOMPARE(excelphone::strip(QStringLiteral("3122223344.0")), QStringLiteral("3122223344"));
        QCOMPARE(excelphone::strip(QStringLiteral("+90 312 456 78 90")),
                 QStringLiteral("+903124567890"));
        QCOMPARE(excelphone::strip(QStringLiteral("312 456 78 90/12")),
                 QStringLiteral("312 456 78 90/12"));
        QCOMPARE(excelphone::pad(QStringLiteral("4567")), QStringLiteral("0000004567"));
        QCOMPARE(excelphone::pad(QStringLiteral("031245678901")), QStringLiteral("031245678901"));
        QCOMPARE(excelphone::pad(QStringLiteral("+903124567890")), QStringLiteral("3124567890"));
        QCOMPARE(excelphone::pad(QStringLiteral("00903124567890")), QStringLiteral("3124567890"));
        QCOMPARE(excelphone::pad(QStringLiteral("903124567890")), QStringLiteral("3124567890"));
        QCOMPARE(excelphone::group(QStringLiteral("3124567890")),
                 QStringLiteral("(312) 456 78 90"));
        // Grouping alone on a short value groups its ten digits, never fewer.
        QCOMPARE(excelphone::group(QStringLiteral("31245")), QStringLiteral("(000) 003 12 45"));
        QCOMPARE(excelphone::group(QStringLiteral("31245678901")), QStringLiteral("31245678901"));
        // How a value too long for its field is staged when it is no phone number.
        QCOMPARE(excelphone::withoutSeparators(QStringLiteral("312 456 78 90 / 12")),
                 QStringLiteral("312456789012"));
    }

    // The values the normaliser kept as they were are counted, by their place in the list;
    // the empty-cell text and an empty phone are not.
    void phonesLeftAsTheyWereAreCounted()
    {
        excelimport::StagingTable table(db());
        const QStringList phones = {
            "3122223344.0",   "+90 3122223344", "YOK", "-", "", "31245678901",
            "90 532 1234567", "+1 212 555 0100"};
        std::vector<StagedRow> rows;
        for (int i = 0; i < phones.size(); ++i)
            rows.push_back(staged(i + 2, {"B", "-", "-", phones[i], "-", "-"}));
        table.append(rows);
        table.applyPhonePass(excelimport::PhonePass::Strip);
        table.applyPhonePass(excelimport::PhonePass::Pad);
        table.applyPhonePass(excelimport::PhonePass::Group);
        QCOMPARE(select("SELECT coalesce(telefonu, '<null>') FROM veriler ORDER BY KayitNo"),
                 QStringList({"(312) 222 33 44", "(312) 222 33 44", "YOK", "-", "<null>",
                              "31245678901", "(532) 123 45 67", "+1 212 555 0100"}));
        QCOMPARE(table.phonesLeftAsTheyWere(QStringLiteral("-")), QList<int>({3, 6, 8}));
        // Another empty-cell text is a value like any other.
        QCOMPARE(table.phonesLeftAsTheyWere(QStringLiteral("YOK")), QList<int>({4, 6, 8}));
    }

    // ------------------------------------------------------------------ ranges and rows

    void rangeBoxes_data()
    {
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<int>("badBox");
        QTest::addColumn<QString>("message");
        QTest::newRow("defaults") << QStringList{"1", "20", "1", "6"} << -1 << QString();
        QTest::newRow("rows backwards read nothing")
            << QStringList{"5", "3", "1", "6"} << -1 << QString();
        QTest::newRow("leading zero") << QStringList{"02", "020", "1", "6"} << -1 << QString();
        QTest::newRow("empty first row")
            << QStringList{"", "20", "1", "6"} << 0 << "satır aralığı boş";
        QTest::newRow("comma in last row")
            << QStringList{"1", "2,0", "1", "6"} << 1 << "\"2,0\" geçerli bir satır";
        QTest::newRow("row zero") << QStringList{"0", "20", "1", "6"} << 0
                                  << "\"0\" geçerli bir satır";
        QTest::newRow("row beyond a sheet")
            << QStringList{"1", "99999999999", "1", "6"} << 1 << "1048576";
        QTest::newRow("empty column")
            << QStringList{"1", "20", "1", " "} << 3 << "sütun aralığı boş";
        QTest::newRow("column 7") << QStringList{"1", "20", "1", "7"} << 3
                                  << "\"7\" geçerli bir sütun";
        QTest::newRow("column 0") << QStringList{"1", "20", "0", "6"} << 2
                                  << "\"0\" geçerli bir sütun";
        QTest::newRow("columns backwards")
            << QStringList{"1", "20", "6", "2"} << 2 << "son sütundan büyük";
    }
    void rangeBoxes()
    {
        QFETCH(QStringList, boxes);
        QFETCH(int, badBox);
        QFETCH(QString, message);
        const excelimport::RangeCheck check =
            excelimport::checkRange({boxes[0], boxes[1], boxes[2], boxes[3]});
        QCOMPARE(check.badBox, badBox);
        QCOMPARE(bool(check.range), badBox < 0);
        QVERIFY2(message.isEmpty() ? check.message.isEmpty() : check.message.contains(message),
                 qPrintable(check.message));
    }

    void rowsFromTheSheet()
    {
        SheetCells cells;
        QVERIFY(cells.parse(readerOutput({{1, 1, "A"},
                                          {1, 2, "M1"},
                                          {1, 4, "312"},
                                          {2, 2, "ORPHAN"},
                                          {3, 1, "\x1a"},
                                          {3, 2, "HIDE"},
                                          {4, 1, "B"},
                                          {4, 6, "D6"}})));
        // The first column is read whatever the range, since it decides which rows are read.
        const ExcelRange fromSecond{1, 9, 2, 6};
        QCOMPARE(excelimport::cellsToRead(fromSecond).firstColumn, 1);
        QCOMPARE(excelimport::cellsToRead(fromSecond).lastColumn, 6);
        // Rows without a first cell (or with the end mark) go; empty fields take the text.
        std::vector<StagedRow> rows =
            excelimport::rowsFromSheet(cells, {1, 9, 1, 6}, QStringLiteral("-"));
        QCOMPARE(stagedColumn(rows, 0), QStringList({"A", "B"}));
        QCOMPARE(rows[0].sheetRow, 1);
        QCOMPARE(rows[1].sheetRow, 4);
        QCOMPARE(stagedColumn(rows, 1), QStringList({"M1", "-"}));
        QCOMPARE(stagedColumn(rows, 3), QStringList({"312", "-"}));
        QCOMPARE(stagedColumn(rows, 5), QStringList({"-", "D6"}));
        // Columns 2 to 6: column 2 still goes to the second field, the first takes the text,
        // and the first cell still decides whether the row is read.
        rows = excelimport::rowsFromSheet(cells, {1, 9, 2, 6}, QStringLiteral("YOK"));
        QCOMPARE(stagedColumn(rows, 0), QStringList({"YOK", "YOK"}));
        QCOMPARE(stagedColumn(rows, 1), QStringList({"M1", "YOK"}));
        // Rows backwards read nothing.
        QVERIFY(excelimport::rowsFromSheet(cells, {5, 3, 1, 6}, QStringLiteral("-")).empty());
    }

    // A phone longer than its field arrives without its blanks and separators (the
    // normaliser would remove them anyway); what still does not fit is named.
    void overlongValues()
    {
        SheetCells cells;
        QVERIFY(cells.parse(readerOutput({{2, 1, "GAZİ"},
                                          {2, 4, "0 (312) 456-78-90"},
                                          {7, 1, QString(101, u'Ş')},
                                          {7, 4, "+90 (312) 456 78 90"},
                                          {7, 6, "YENİMAHALLE"},
                                          {8, 1, "ÇINAR"},
                                          {8, 4, "0090 (312) 456 78 90"},
                                          {9, 1, "DAHİLİ"},
                                          {9, 4, "312 456 78 90 / 12"}})));
        const std::vector<StagedRow> rows =
            excelimport::rowsFromSheet(cells, {1, 9, 1, 6}, QStringLiteral("-"));
        QCOMPARE(stagedColumn(rows, 3),
                 QStringList({"03124567890", "+903124567890", "00903124567890", "312456789012"}));
        QCOMPARE(excelimport::overlongValues(rows),
                 QStringList({"Satır 7, Birim Adı: 101 karakter (en fazla 100)",
                              "Satır 7, İlçesi: 11 karakter (en fazla 10)"}));
    }

    // ------------------------------------------------------------------ the staging table

    void stagedRowsMoveToTheUnitsInTheirOrder()
    {
        db().exec(QStringLiteral("INSERT INTO okul (okul_adi) VALUES ('ESKİ BİRİM')"));
        excelimport::StagingTable table(db());
        table.append({staged(2, {"ZEYTİN", "-", "-", "3124567890", "İZMİR", "-"}),
                      staged(3, {"ARMUT", "", "ADRES", "-", "BURSA", "-"})});
        table.append({staged(9, {"ÇINAR", "-", "-", "-", "VAN", "-"})});
        QCOMPARE(table.count(), 3);

        table.applyPhonePass(excelimport::PhonePass::Strip);
        table.applyPhonePass(excelimport::PhonePass::Pad);
        table.applyPhonePass(excelimport::PhonePass::Group);
        QCOMPARE(select("SELECT telefonu FROM veriler ORDER BY KayitNo"),
                 QStringList({"(312) 456 78 90", "-", "-"}));

        RecordingProgress progress;
        const auto moved = table.moveToUnits(&progress);
        QCOMPARE(moved.count, 3);
        QCOMPARE(progress.reports.size(), 3);
        QCOMPARE(progress.reports.back(), std::make_pair(3, 3));
        QCOMPARE(table.count(), 0);
        QCOMPARE(select("SELECT okul_adi FROM okul ORDER BY SiraNo"),
                 QStringList({"ESKİ BİRİM", "ZEYTİN", "ARMUT", "ÇINAR"}));
        QCOMPARE(moved.lastKey.toLongLong(),
                 db().scalar(QStringLiteral("SELECT max(SiraNo) FROM okul")).toLongLong());
        // An empty field stays empty, as the list showed it.
        QCOMPARE(
            select("SELECT coalesce(okul_muduru, '<null>') FROM okul WHERE okul_adi = 'ARMUT'"),
            QStringList({"<null>"}));
    }

    // A failure at any row leaves the units and the staged rows as they were.
    void transferIsAllOrNone()
    {
        excelimport::StagingTable table(db());
        table.append({staged(1, {"BİR", "-", "-", "-", "-", "-"}),
                      staged(2, {"İKİ", "-", "-", "-", "-", "-"}),
                      staged(3, {"BOZUK", "-", "-", "-", "-", "-"}),
                      staged(4, {"DÖRT", "-", "-", "-", "-", "-"})});
        db().exec(
            QStringLiteral("CREATE TRIGGER fails BEFORE INSERT ON okul WHEN NEW.okul_adi = 'BOZUK' "
                           "BEGIN SELECT RAISE(ABORT, 'disk dolu'); END"));
        RecordingProgress progress;
        QVERIFY_THROWS_EXCEPTION(DbError, table.moveToUnits(&progress));
        QCOMPARE(progress.reports.size(), 2);
        QCOMPARE(db().scalar(QStringLiteral("SELECT count(*) FROM okul")).toInt(), 0);
        QCOMPARE(table.count(), 4);
        // The connection is usable again and a later run can succeed.
        db().exec(QStringLiteral("DROP TRIGGER fails"));
        QCOMPARE(table.moveToUnits().count, 4);
        QCOMPARE(select("SELECT okul_adi FROM okul ORDER BY SiraNo"),
                 QStringList({"BİR", "İKİ", "BOZUK", "DÖRT"}));
    }

    void namesTooLongForTheUnitsAreFound()
    {
        excelimport::StagingTable table(db());
        table.append({staged(1, {QString(50, u'A'), "-", "-", "-", "-", "-"}),
                      staged(2, {QString(51, u'B'), "-", "-", "-", "-", "-"}),
                      staged(3, {"C", "-", "-", "-", "-", "-"})});
        QCOMPARE(table.namesTooLongForUnits(), QList<int>({2}));
    }
};

QTEST_GUILESS_MAIN(TestExcelImport)
#include "tst_excelimport.moc"

// "Excelden Veri Al" on the real main window: the import window opened from the database
// menu, a workbook chosen in the file dialog as the user chooses it, the staged rows reviewed,
// normalised and appended to the units, and the faults a user meets on the way.

#include "app/tform1.h"
#include "toolkit/tsrdbgrid.h"
#include "app/unitbrowser.h"
#include "data/sharedqueries.h"
#include "excelworkbooks.h"
#include "maintenance/tfrmexcel.h"
#include "maintenance/tfrmexcels.h"
#include "testserver.h"
#include "testsupport.h"
#include "toolkit/dbedit.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QToolButton>

namespace
{

const QStringList kFixture = {
    "INSERT INTO sabit (Kurum_Adi, sendikasi) VALUES ('MEB', 'EĞİTİM BİR SEN')",
    "INSERT INTO sendikalar (sendikalar, adresi) VALUES ('EĞİTİM BİR SEN', 'ANKARA')",
    "INSERT INTO okul (okul_adi) VALUES ('ATATÜRK İLKOKULU')",
};

// The units of the fixture workbooks' first worksheet, rows 2 to 7; row 4 has no first cell.
const QStringList kUnits = {"GAZİ LİSESİ", "ÇAMLICA İLKOKULU", "İNÖNÜ ORTAOKULU", "ZEKİ OKULU",
                            "SON OKUL"};

QImage painted(QWidget *widget)
{
    return widget->grab().toImage();
}

bool hasRedText(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 180 && c.green() < 80 && c.blue() < 80)
                return true;
        }
    return false;
}

} // namespace

class TestExcelWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_books;
    std::unique_ptr<MainWindowFixture> m_main;
    TForm1 *m_form = nullptr;
    TFrmExcel *w = nullptr;

    QString book(const char *name) const { return m_books.filePath(QLatin1String(name)); }
    QString readerPath() const { return m_main->dir().path() + QStringLiteral("/meltora-xlsread"); }
    void replaceReader(const QByteArray &script)
    {
        QFile::remove(readerPath());
        QVERIFY(!writeFakeReader(readerPath(), script).isEmpty());
    }

    template <typename T> T *control(const char *name) { return child<T>(w, QLatin1String(name)); }
    QLineEdit *edit(const char *name) { return control<QLineEdit>(name); }
    QPushButton *button(const char *name) { return control<QPushButton>(name); }
    QString labelText(const char *name) { return control<QLabel>(name)->text(); }
    void click(const char *name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    QStringList staged(const char *field) { return columnOf(*w->staging(), QLatin1String(field)); }

    // Replaces the box's text as the user does: select it all, type over it.
    void retype(const char *box, const QString &text)
    {
        QLineEdit *e = edit(box);
        e->setFocus();
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Delete);
        typeText(e, text);
    }

    // Opens the window from the database menu; `steps` run while it is open, then its close
    // box closes it. The window is gone afterwards.
    void withImport(const std::function<void()> &steps)
    {
        const bool ran = whileOpen(
            QStringLiteral("FrmExcel"), [&] { child<QAction>(m_form, "ExceldenVeriAl1")->trigger(); },
            [&](QWidget *window) {
                w = static_cast<TFrmExcel *>(window);
                steps();
                if (window->isVisible())
                    window->close();
            });
        w = nullptr;
        QVERIFY2(ran, "the import window never came up");
        QVERIFY(!m_form->findChild<TFrmExcel *>());
    }

    // "Excelden Veri Al" with the workbook chosen in the file dialog; the messages that
    // follow are answered with `buttons`, and kept in `answers`.
    void readWorkbook(const QString &path, Answers &answers, const QStringList &buttons)
    {
        bool came = false;
        QStringList filters;
        answers.on(QStringLiteral("OpenDialog1"), [&](QWidget *window) {
            auto *dialog = static_cast<QFileDialog *>(window);
            came = true;
            filters = dialog->nameFilters();
            chooseInFileDialog(dialog, path);
        });
        for (const QString &button : buttons)
            answers.click(button);
        click("Button1");
        QVERIFY(came);
        QCOMPARE(filters, QStringList({"Excel Dosyaları (*.xls *.xlsx)"}));
    }
    // The same, with no message coming.
    void readWorkbook(const QString &path)
    {
        Answers none;
        readWorkbook(path, none, {});
        QVERIFY2(none.count() == 0, qPrintable(none.texts.join(QLatin1Char('\n'))));
    }

    int storedStaging()
    {
        return m_form->data()->connection().scalar("SELECT count(*) FROM veriler").toInt();
    }
    int storedUnits()
    {
        return m_form->data()->connection().scalar("SELECT count(*) FROM okul").toInt();
    }

private Q_SLOTS:
    void initTestCase()
    {
        quietOffscreenWarnings();
        QVERIFY(m_books.isValid());
        QVERIFY(makeWorkbooks(m_books.path()));
        TFrmExcel::setPassPause(0);
    }
    void init()
    {
        m_main = std::make_unique<MainWindowFixture>(kFixture);
        m_form = m_main->start(MainWindowFixture::Windows::All);
        // The reader sits in the program folder, beside Data.dat.
        QVERIFY(QFile::link(QStringLiteral(MELTORA_XLSREAD), readerPath()));
        TFrmExcel::setReadTimeLimit(30000);
        m_main->click("BitBtn1");
    }
    void cleanup() { m_main.reset(); }

    void windowAsTheUserMeetsIt()
    {
        QVERIFY(child<QAction>(m_form, "ExceldenVeriAl1")->isEnabled());
        withImport([&] {
            QCOMPARE(w->windowTitle(), QStringLiteral(" Excel - Veri Al"));
            QCOMPARE(labelText("Label14"),
                     QStringLiteral("Sadece Birim Kayıtları için aktarım yapılabilir."));
            QVERIFY(hasRedText(painted(control<QLabel>("Label14"))));
            QCOMPARE(labelText("Label3"), QStringLiteral("Excel Satır Aralığı Belirle :"));
            QCOMPARE(labelText("Label7"), QStringLiteral("Excel Sütun Aralığı Belirle :"));
            QCOMPARE(labelText("Label9"), QStringLiteral("Boş Hücre :"));
            QCOMPARE(
                QStringList({edit("Edit1")->text(), edit("Edit2")->text(), edit("Edit3")->text(),
                             edit("Edit4")->text(), edit("Edit5")->text()}),
                QStringList({"1", "20", "1", "6", "-"}));
            QStringList notes;
            for (const char *name : {"Label1", "Label5", "Label10", "Label11", "Label12"})
                notes << labelText(name);
            QCOMPARE(notes,
                     QStringList(
                         {"* Excel dosyası 6 sütundan oluşmalı, alan sıralaması aynı olmalı.",
                          "* Excel dosyasında başlık satırı varsa satır aralığı 2 den başlamalı.",
                          "* Satır aralığının ikinci rakamı çekilecek kayıt sayısı kadar olmalı.",
                          "* Kayıtlarda değişiklik yapmak için ilgili kayda çift tıklanır.",
                          "* Önceki kayıtlarınız silinmez. Üzerine ekleme yapılır."}));
            QCOMPARE(button("Button1")->text(), QStringLiteral("Excelden Veri Al"));
            QCOMPARE(button("Button2")->text(), QStringLiteral("Tümünü Sil"));
            QCOMPARE(button("Button3")->text(), QStringLiteral("Tel No Alanını Formatla"));
            QCOMPARE(button("Button6")->text(), QStringLiteral("Birim Listesine Aktar"));
            QVERIFY(button("Button1")->isEnabled());
            QVERIFY(!button("Button2")->isEnabled()); // nothing staged
            QVERIFY(!button("Button3")->isEnabled());
            QVERIFY(!button("Button6")->isEnabled());
            QVERIFY(!control<QWidget>("Panel3")->isVisible());
            auto *grid = control<TSrDBGrid>("SrDBGrid1");
            QStringList titles;
            QList<int> widths;
            for (int c = 0; c < grid->model()->columnCount(); ++c) {
                titles << grid->model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
                widths << grid->columnWidth(c);
            }
            QCOMPARE(titles, QStringList({"Birim Adı", "Birim Müdürü", "Birim Adresi",
                                          "Birim Telefonu", "İli", "İlçesi"}));
            QCOMPARE(widths, QList<int>({160, 110, 150, 80, 70, 70}));
            // Escape does not close the window, which would drop what is staged.
            QTest::keyClick(edit("Edit2"), Qt::Key_Escape);
            QVERIFY(w->isVisible());
        });
    }

    // The whole way: read, review, normalise the phones, append to the units.
    void importsUnitsFromAWorkbook_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("readerInProgramFolder");
        QTest::newRow("xls") << book("units.xls") << true;
        QTest::newRow("xlsx") << book("units.xlsx") << true;
        // A program folder of its own, without the tools installed beside the program.
        QTest::newRow("reader beside the program") << book("units.xls") << false;
    }
    void importsUnitsFromAWorkbook()
    {
        QFETCH(QString, file);
        QFETCH(bool, readerInProgramFolder);
        if (!readerInProgramFolder)
            QVERIFY(QFile::remove(readerPath()));
        Dataset *okul = m_form->data()->QueryOkul;
        withImport([&] {
            retype("Edit1", QStringLiteral("2"));
            readWorkbook(file);
            QCOMPARE(staged("okul_adi"), kUnits);
            QCOMPARE(staged("okul_muduru"),
                     QStringList({"AYŞE KAYA", "-7", "ŞÜKRÜ ÖZ", "2,5", "  iki boşluk  "}));
            QCOMPARE(staged("adresi"), QStringList({"ATATÜRK CAD. NO:5", "0,1", "12",
                                                    "15.03.2024 08:30:00", "1000000000000000"}));
            // Written with separators, the phone is too long for its field and arrives without
            // them.
            QCOMPARE(staged("telefonu"), QStringList({"3124567890", "03124567890", "31245678901",
                                                      "-", "312 456 78 90"}));
            QCOMPARE(staged("ilcesi"),
                     QStringList({"ÇANKAYA", "-", "15.03.2024", "14:05:09", "-"}));
            QVERIFY(control<QWidget>("Panel3")->isVisible());
            QCOMPARE(labelText("Label2"), QStringLiteral("İşlem Tamamlandı."));
            QCOMPARE(labelText("Label6"), QStringLiteral("5 / 5"));
            QCOMPARE(control<QProgressBar>("Gauge1")->maximum(), 20);
            QVERIFY(button("Button2")->isEnabled());
            QVERIFY(button("Button3")->isEnabled());
            QVERIFY(!button("Button6")->isEnabled());
            QCOMPARE(storedStaging(), 5);

            // Eleven digits without the trunk zero cannot be made into ten: kept and told.
            Answers told({QStringLiteral("TAMAM")});
            click("Button3");
            QCOMPARE(staged("telefonu"), QStringList({"(312) 456 78 90", "(312) 456 78 90",
                                                      "31245678901", "-", "(312) 456 78 90"}));
            QCOMPARE(told.count(), 1);
            QVERIFY2(told.text().startsWith(QStringLiteral("1 kaydın telefon numarası")),
                     qPrintable(told.text()));
            QVERIFY(!button("Button3")->isEnabled());
            QVERIFY(button("Button6")->isEnabled());

            const int before = storedUnits();
            click("Button6");
            QCOMPARE(storedUnits(), before + 5);
            QCOMPARE(storedStaging(), 0);
            QCOMPARE(w->staging()->recordCount(), 0);
            QCOMPARE(labelText("Label2"), QStringLiteral("İşlem Başarılı..."));
            // The unit list behind the window shows them at once, the last one current.
            QCOMPARE(okul->recordCount(), before + 5);
            QCOMPARE(okul->fieldText("okul_adi"), QStringLiteral("SON OKUL"));
            QCOMPARE(m_form->unitBrowser()->unitGrid()->model()->rowCount(), before + 5);
            QCOMPARE(m_form->statusPanel(0)->text(),
                     QStringLiteral(" Kayıtlı Birim: %1").arg(before + 5));
            // A second press finds nothing to do.
            click("Button6");
            QCOMPARE(storedUnits(), before + 5);
        });
        QVERIFY(okul->locate("okul_adi", QStringLiteral("ÇAMLICA")));
        QCOMPARE(okul->fieldText("telefonu"), QStringLiteral("(312) 456 78 90"));
        QCOMPARE(okul->fieldText("ilcesi"), QStringLiteral("-"));
    }

    // Phones as offices type them end in the form the unit's phone box takes; what cannot be
    // made into ten digits is kept as it was, and the user is told how many and where.
    void phonesEndAsTheUnitPhoneBoxTakesThem()
    {
        Dataset *okul = m_form->data()->QueryOkul;
        const QString ankara = QStringLiteral("(312) 222 33 44");
        const QStringList normalised = {ankara,
                                        ankara,
                                        ankara,
                                        QStringLiteral("(532) 123 45 67"),
                                        ankara,
                                        QStringLiteral("+1 212 555 0100"),
                                        QStringLiteral("YOK"),
                                        QStringLiteral("-"),
                                        ankara,
                                        QStringLiteral("312222334412")};
        withImport([&] {
            retype("Edit1", QStringLiteral("2"));
            readWorkbook(book("phones.xlsx"));
            // Too long for the field as written, these arrive as the first pass leaves them.
            QCOMPARE(staged("telefonu"),
                     QStringList({"3122223344.0", "+903122223344", "00903122223344", "905321234567",
                                  "03122223344", "+1 212 555 0100", "YOK", "-", "3122223344",
                                  "312222334412"}));
            Answers told({QStringLiteral("TAMAM")});
            click("Button3");
            QCOMPARE(staged("telefonu"), normalised);
            QCOMPARE(told.count(), 1);
            QCOMPARE(told.title(), QStringLiteral("Bilgi"));
            QVERIFY2(told.text().startsWith(QStringLiteral(
                         "3 kaydın telefon numarası 10 haneli bir numaraya getirilemediği için "
                         "olduğu gibi bırakıldı (kayıt 6, 7, 10).")),
                     qPrintable(told.text()));
            QCOMPARE(labelText("Label2"),
                     QStringLiteral("3 telefon numarası olduğu gibi bırakıldı."));
            QVERIFY(button("Button6")->isEnabled());
            click("Button6");
            QCOMPARE(labelText("Label2"), QStringLiteral("İşlem Başarılı..."));
        });
        // The units keep them so, and the unit's phone box shows each normalised one whole.
        DBEdit phoneBox(okul, QStringLiteral("telefonu"));
        phoneBox.setMask(DBEdit::Mask::Phone);
        for (int unit = 1; unit <= normalised.size(); ++unit) {
            QVERIFY(okul->locate("okul_adi", QStringLiteral("BİRİM %1").arg(unit)));
            const QString stored = okul->fieldText("telefonu");
            QCOMPARE(stored, normalised[unit - 1]);
            if (!stored.startsWith(u'('))
                continue;
            phoneBox.refresh();
            QCOMPARE(phoneBox.text(), stored);
            QVERIFY(phoneBox.hasAcceptableInput() && !phoneBox.isIncomplete());
        }
    }

    // With the default rows the header row arrives as a unit; runs add up.
    void defaultRangesStageTheHeaderRow()
    {
        withImport([&] {
            readWorkbook(book("units.xlsx"));
            QCOMPARE(staged("okul_adi"), QStringList{"Birim Adı"} + kUnits);
            readWorkbook(book("units.xls"));
            QCOMPARE(w->staging()->recordCount(), 12);
        });
    }

    void rowsBackwardsReadNothing()
    {
        withImport([&] {
            retype("Edit1", QStringLiteral("5"));
            retype("Edit2", QStringLiteral("3"));
            readWorkbook(book("units.xls"));
            QCOMPARE(w->staging()->recordCount(), 0);
            QCOMPARE(labelText("Label2"), QStringLiteral("İşlem Tamamlandı."));
            QVERIFY(button("Button3")->isEnabled());
        });
    }

    // Column 2 still goes to the head of the unit; the unit name takes the empty-cell text.
    void columnsFromTheSecond()
    {
        withImport([&] {
            retype("Edit1", QStringLiteral("2"));
            retype("Edit3", QStringLiteral("2"));
            retype("Edit5", QStringLiteral("YOK"));
            readWorkbook(book("units.xlsx"));
            QCOMPARE(staged("okul_adi"), QStringList(5, QStringLiteral("YOK")));
            QCOMPARE(staged("okul_muduru").first(), QStringLiteral("AYŞE KAYA"));
            QCOMPARE(staged("ilcesi").at(1), QStringLiteral("YOK"));
        });
    }

    void rangeBoxesAreCheckedBeforeReading_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("first row empty") << "Edit1"
                                         << ""
                                         << "Excel satır aralığı boş bırakılamaz.";
        QTest::newRow("comma")
            << "Edit2"
            << "2,0"
            << "Excel satır aralığındaki \"2,0\" geçerli bir satır numarası değil.";
        QTest::newRow("column 7")
            << "Edit4"
            << "7"
            << "Excel sütun aralığındaki \"7\" geçerli bir sütun numarası değil.";
        QTest::newRow("column 0")
            << "Edit3"
            << "0"
            << "Excel sütun aralığındaki \"0\" geçerli bir sütun numarası değil.";
    }
    void rangeBoxesAreCheckedBeforeReading()
    {
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(QString, message);
        withImport([&] {
            retype(qPrintable(box), text);
            Answers ok({QStringLiteral("TAMAM")});
            ok.turnAway(QStringLiteral("OpenDialog1"));
            click("Button1");
            QVERIFY(ok.unexpected.isEmpty()); // no file dialog
            QCOMPARE(ok.count(), 1);
            QCOMPARE(ok.title(), QStringLiteral("Dikkat !"));
            QVERIFY2(ok.text().startsWith(message), qPrintable(ok.text()));
            QCOMPARE(w->focusWidget(), edit(qPrintable(box)));
            QCOMPARE(w->staging()->recordCount(), 0);
            QVERIFY(!button("Button3")->isEnabled());
        });
    }

    void rangeBoxesTakeDigitsOnly()
    {
        withImport([&] {
            QLineEdit *last = edit("Edit2");
            last->setFocus();
            last->end(false);
            Answers refused({QStringLiteral("TAMAM")});
            typeText(last, QStringLiteral("a"));
            QCOMPARE(refused.count(), 1);
            QCOMPARE(refused.text(), QStringLiteral("Bu alana sadece rakam girebilirsiniz!"));
            QCOMPARE(last->text(), QStringLiteral("20"));
            typeText(last, QStringLiteral("5,"));
            QTest::keyClick(last, Qt::Key_Backspace);
            QCOMPARE(last->text(), QStringLiteral("205"));
            QCOMPARE(refused.count(), 1);
            // The empty-cell text takes anything.
            retype("Edit5", QStringLiteral("Boş"));
            QCOMPARE(edit("Edit5")->text(), QStringLiteral("Boş"));
            QCOMPARE(refused.count(), 1);
        });
    }

    // Files that are no workbook, cells too long for their field, a reader that crashes or
    // hangs: a message, nothing staged, and the window goes on.
    void workbooksThatCannotBeRead_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("reader");
        QTest::addColumn<QString>("message");
        QTest::newRow("HTML as .xls")
            << book("html.xls") << QByteArray() << "\"html.xls\" bir Excel çalışma kitabı değil";
        QTest::newRow("random bytes")
            << book("random.xls") << QByteArray() << "bir Excel çalışma kitabı değil";
        QTest::newRow("Excel 4.0")
            << book("excel4.xls") << QByteArray()
            << "\"excel4.xls\" eski bir Excel biçiminde (Excel 2.x - 4.x) kaydedilmiş; bu biçim "
               "okunamıyor.\nDosyayı Excel'de açıp \"Excel Çalışma Kitabı (*.xlsx)\" ya da "
               "\"Excel 97-2003 Çalışma Kitabı (*.xls)\" olarak yeniden kaydettikten sonra "
               "tekrar deneyin.";
        QTest::newRow("truncated") << book("truncated.xlsx") << QByteArray() << "bozuk";
        QTest::newRow("cell too long")
            << book("handmade.xlsx") << QByteArray() << "Satır 1, İli: 16 karakter (en fazla 10)";
        QTest::newRow("reader crashes")
            << book("units.xls") << QByteArray("kill -SEGV $$") << "beklenmedik biçimde sonlandı";
        QTest::newRow("reader hangs") << book("units.xls") << QByteArray("exec sleep 20")
                                      << "okunamadığı için okuma durduruldu";
    }
    void workbooksThatCannotBeRead()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, reader);
        QFETCH(QString, message);
        if (!reader.isEmpty())
            replaceReader(reader);
        if (reader.contains("sleep"))
            TFrmExcel::setReadTimeLimit(500);
        withImport([&] {
            Answers ok;
            readWorkbook(file, ok, {QStringLiteral("TAMAM")});
            QCOMPARE(ok.count(), 1);
            QCOMPARE(ok.title(), QStringLiteral("Hata"));
            QVERIFY2(ok.text().contains(message), qPrintable(ok.text()));
            QVERIFY2(ok.text().contains(QStringLiteral("Hiçbir kayıt alınmadı.")),
                     qPrintable(ok.text()));
            QCOMPARE(w->staging()->recordCount(), 0);
            QCOMPARE(storedStaging(), 0);
            QVERIFY(!control<QWidget>("Panel3")->isVisible());
            QVERIFY(!button("Button3")->isEnabled());
            QCOMPARE(QApplication::overrideCursor(), nullptr);
        });
    }

    // One cell of 150 MB in a workbook of 150 KB: refused in Turkish while the reader unpacks
    // it, and the program's memory does not grow with it.
    void aHugeCellIsRefusedWithoutTakingMemory()
    {
        withImport([&] {
            Answers ok;
            const qint64 growth = residentGrowthKb(
                [&] { readWorkbook(book("hugecell.xlsx"), ok, {QStringLiteral("TAMAM")}); });
            QCOMPARE(ok.count(), 1);
            QCOMPARE(ok.title(), QStringLiteral("Hata"));
            QVERIFY2(ok.text().startsWith(QStringLiteral(
                         "\"hugecell.xlsx\" okunmadı: çalışma kitabında Excel'in bir hücrede "
                         "tutabileceğinden (32.767 karakter) uzun bir hücre var.")),
                     qPrintable(ok.text()));
            QVERIFY2(ok.text().endsWith(QStringLiteral("Hiçbir kayıt alınmadı.")),
                     qPrintable(ok.text()));
            QCOMPARE(w->staging()->recordCount(), 0);
            qInfo("the program grew by %lld KiB", growth);
            QVERIFY2(growth >= 0 && growth < 24 * 1024, qPrintable(QString::number(growth)));
        });
    }

    void deleteAllStagedRows()
    {
        withImport([&] {
            readWorkbook(book("units.xls"));
            Answers told({QStringLiteral("TAMAM")});
            click("Button3");
            QCOMPARE(told.count(), 1);
            click("Button2");
            QCOMPARE(w->staging()->recordCount(), 0);
            QCOMPARE(storedStaging(), 0);
            QCOMPARE(labelText("Label2"), QStringLiteral("İşlem Tamamlandı"));
            QVERIFY(!button("Button3")->isEnabled());
            QVERIFY(!button("Button6")->isEnabled());
            // A second press finds no rows.
            QVERIFY(button("Button2")->isEnabled());
            click("Button2");
            QCOMPARE(storedStaging(), 0);
        });
    }

    void recordEditorWorksOnTheListsRow()
    {
        withImport([&] {
            retype("Edit1", QStringLiteral("2"));
            readWorkbook(book("units.xlsx"));
            auto *grid = control<TSrDBGrid>("SrDBGrid1");
            const QRect row = grid->visualRect(grid->model()->index(1, 0));
            const bool ran = whileOpen(
                QStringLiteral("FrmExcels"),
                [&] {
                    // A double-click begins with a press, which makes the row current.
                    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, row.center());
                    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, row.center());
                },
                [&](QWidget *window) {
                    auto *editor = static_cast<TFrmExcels *>(window);
                    QVERIFY(editor->windowFlags() & Qt::Tool);
                    QVERIFY(editor->windowTitle().isEmpty());
                    QCOMPARE(editor->edit(1)->text(), QStringLiteral("ÇAMLICA İLKOKULU"));
                    QStringList hints;
                    for (const char *name :
                         {"IlkKayitButton", "OncekiKayitButton", "SonrakiKayitButton",
                          "SonKayitButton", "YeniKayitButton", "KayitSilButton", "KaydetButton",
                          "IptalButton"})
                        hints << child<QToolButton>(editor, QLatin1String(name))->toolTip();
                    QCOMPARE(hints,
                             QStringList({"İlk Kayıt", "Önceki Kayıt", "Sonraki Kayıt", "Son Kayıt",
                                          "Yeni Kayıt", "Kayıt Sil", "KAYDET", "İptal"}));
                    auto tool = [&](const char *name) {
                        QTest::mouseClick(child<QToolButton>(editor, name), Qt::LeftButton);
                    };
                    tool("SonrakiKayitButton");
                    QCOMPARE(editor->edit(1)->text(), QStringLiteral("İNÖNÜ ORTAOKULU"));
                    QCOMPARE(grid->dataset()->recNo(), 3);
                    // Typing into a filled box adds to what is there.
                    DBEdit *head = editor->edit(2);
                    head->setFocus();
                    head->end(false);
                    typeText(head, QStringLiteral(" BEY"));
                    QVERIFY(child<QToolButton>(editor, "KaydetButton")->isEnabled());
                    tool("KaydetButton");
                    // A staged row goes at once, without a question.
                    Answers none;
                    tool("OncekiKayitButton");
                    tool("KayitSilButton");
                    QCOMPARE(none.count(), 0);
                    QCOMPARE(editor->edit(1)->text(), QStringLiteral("İNÖNÜ ORTAOKULU"));
                    tool("YeniKayitButton");
                    typeText(editor->edit(1), QStringLiteral("YENİ OKUL"));
                    QTest::mouseClick(child<QPushButton>(editor, "Button1"),
                                      Qt::LeftButton); // "Kapat"
                    QVERIFY(!editor->isVisible());
                });
            QVERIFY(ran);
            QCOMPARE(staged("okul_adi"), QStringList({"GAZİ LİSESİ", "İNÖNÜ ORTAOKULU",
                                                      "ZEKİ OKULU", "SON OKUL", "YENİ OKUL"}));
            QCOMPARE(staged("okul_muduru").at(1), QStringLiteral("ŞÜKRÜ ÖZ BEY"));
            QCOMPARE(storedStaging(), 5);
        });
    }

    void closingDropsWhatIsStaged()
    {
        const int units = storedUnits();
        withImport([&] {
            readWorkbook(book("units.xls"));
            QCOMPARE(storedStaging(), 6);
        });
        QCOMPARE(storedStaging(), 0);
        QCOMPARE(storedUnits(), units);
        // The next window starts from the defaults with nothing staged.
        withImport([&] {
            QCOMPARE(w->staging()->recordCount(), 0);
            QCOMPARE(edit("Edit2")->text(), QStringLiteral("20"));
        });
    }

    // When the units refuse a row half-way, none arrive and the staged rows stay for another try.
    void aRefusedTransferKeepsEverything()
    {
        const int units = storedUnits();
        withImport([&] {
            retype("Edit1", QStringLiteral("2"));
            readWorkbook(book("units.xlsx"));
            m_main->dir().exec(
                testserver::active()
                    ? QStringLiteral("CREATE FUNCTION refuses() RETURNS trigger LANGUAGE plpgsql AS $$ "
                                     "BEGIN IF NEW.okul_adi = 'ZEKİ OKULU' THEN RAISE EXCEPTION 'disk dolu'; "
                                     "END IF; RETURN NEW; END $$; CREATE TRIGGER refuses BEFORE INSERT ON "
                                     "okul FOR EACH ROW EXECUTE FUNCTION refuses()")
                    : QStringLiteral("CREATE TRIGGER refuses BEFORE INSERT ON okul WHEN NEW.okul_adi = "
                                     "'ZEKİ OKULU' BEGIN SELECT RAISE(ABORT, 'disk dolu'); END"));
            // The server's database outlives the test: the trigger goes with it.
            const auto dropTrigger = qScopeGuard([this] {
                if (testserver::active())
                    m_main->dir().exec(QStringLiteral("DROP TRIGGER refuses ON okul; DROP FUNCTION refuses()"));
            });
            {
                Answers told({QStringLiteral("TAMAM")});
                click("Button3");
                QCOMPARE(told.count(), 1);
            }
            Answers ok({QStringLiteral("TAMAM")});
            click("Button6");
            QCOMPARE(ok.count(), 1);
            QVERIFY2(ok.text().contains(QStringLiteral("hiçbir kayıt aktarılmadı")),
                     qPrintable(ok.text()));
            QVERIFY2(ok.text().contains(QStringLiteral("disk dolu")), qPrintable(ok.text()));
            QCOMPARE(storedUnits(), units);
            QCOMPARE(m_form->data()->QueryOkul->recordCount(), units);
            QCOMPARE(storedStaging(), 5);
            QCOMPARE(w->staging()->recordCount(), 5);
            QVERIFY(labelText("Label2") != QStringLiteral("İşlem Başarılı..."));
        });
    }
};

QTEST_MAIN(TestExcelWindow)
#include "tst_excelwindow.moc"

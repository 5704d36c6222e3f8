// The visible-fields dialog "  Gösterilecek Bilgi Alanları" as the user meets it: opened
// from the staff grid's context menu in the unit browser of the real main window, the
// columns following the flags at the next idle moment, the factory reset, and the flags and
// widths surviving a restart through PersonelKayit.ini.

#include "app/application.h"
#include "toolkit/idlerefresh.h"
#include "app/tform1.h"
#include "app/tfrmgorunum.h"
#include "toolkit/tsrdbgrid.h"
#include "app/unitbrowser.h"
#include "data/dataset.h"
#include "data/inifile.h"
#include "data/settings.h"
#include "testsupport.h"

#include <QAction>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <memory>

namespace {

const QStringList kFixture = {
    "INSERT INTO sabit (Kurum_Adi, sendikasi) VALUES ('MİLLİ EĞİTİM', 'EĞİTİM BİR SEN')",
    "INSERT INTO yetkili (yetkili_adi, sendikal_gorevi) VALUES ('AYŞE KAYA', 'TEMSİLCİ')",
    "INSERT INTO sendikalar (sendikalar, adresi) VALUES ('TÜRK EĞİTİM SEN', 'ANKARA')",
    "INSERT INTO okul (okul_adi, okul_muduru) VALUES ('ATATÜRK İLKOKULU', 'HASAN ÖZ')",
    "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir, sendikasi, unvani) "
    "VALUES (1, 'ALİ', 'ŞEN', 'ALİ ŞEN', 'TÜRK EĞİTİM SEN', 'ÖĞRETMEN')",
    "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir, kan_grubu) "
    "VALUES (1, 'ZEYNEP', 'AK', 'ZEYNEP AK', 'A RH+')",
};

const QStringList kCaptions = {
    "Adı Soyadı",      "Kayıtlı Olduğu Sendika", "Sendikaya Kayıt Tarihi", "Kadro Ünvanı",
    "Branşı",          "Ev Telefonu",            "Cep Telefonu",           "Çalıştığı Birim",
    "İşyeri Telefonu", "Hizmet Yılı",            "Çalıştığı İl",           "E-Posta Adresi",
    "Baba Adı",        "Anne Adı",               "TC Kimlik No",           "Doğum Yeri",
    "Doğum Tarihi",    "Cinsiyeti",              "Ev Adresi",              "Medeni Durumu",
    "Eşinin Mesleği",  "Eşinin Çalıştığı Kurum", "KAN GRUBU"};

const QString kResetQuestion = QStringLiteral(
    "Bu işlem Alan Görünümü ve Genişlik ayarlarını ilk ayarlarına döndürecek. Onaylıyor musunuz?");

using Widths = std::array<int, 23>;
const Widths kFactoryWidths = {200, 190, 110, 128, 100, 110, 110, 200, 110, 64,  200, 100,
                               80,  80,  80,  100, 100, 70,  180, 70,  100, 200, 75};
const QList<int> kFactoryColumns = {0, 1, 3, 5, 6};

QString boxName(int n)
{
    return QStringLiteral("CheckBox%1").arg(n);
}

QList<int> shownColumns(QTableView *grid)
{
    QList<int> shown;
    for (int c = 0; c < grid->model()->columnCount(); ++c)
        if (!grid->isColumnHidden(c))
            shown << c;
    return shown;
}

void setBox(QDialog *dialog, int n, bool checked)
{
    auto *box = child<QCheckBox>(dialog, boxName(n));
    if (box->isChecked() != checked)
        QTest::keyClick(box, Qt::Key_Space);
    QCOMPARE(box->isChecked(), checked);
}

void click(QDialog *dialog, const char *button)
{
    QTest::mouseClick(child<QPushButton>(dialog, QLatin1String(button)), Qt::LeftButton);
}

// "Orijinal Ayarlara Dön" and the answer to its warning; the dialog stays open.
void reset(QDialog *dialog, const QString &answer)
{
    Answers warning({answer});
    click(dialog, "BitBtn3");
    QVERIFY(warning.done());
    QCOMPARE(warning.title(), QStringLiteral("Dikkat !"));
    QCOMPARE(warning.text(), kResetQuestion);
    QCOMPARE(warning.icons.value(0), QMessageBox::Warning);
    QCOMPARE(warning.buttons.value(0), (QStringList{"Evet", "Hayır"}));
    QVERIFY(dialog->isVisible());
    QCOMPARE(QApplication::activeModalWidget(), dialog);
}

} // namespace

class TestVisibleFields : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindowFixture> m_main;
    TForm1 *m_form = nullptr;

    // The main window on the fixture, with the unit browser shown on the first unit.
    TForm1 *start()
    {
        m_form = m_main->start(MainWindowFixture::Windows::MainOnly);
        m_form->idleRefresh()->run();
        // The fixture has fixed information and a union: the first-use question is not asked.
        m_main->click("BitBtn1");
        waitIdle();
        if (!m_form->panelKurum()->isVisible())
            qFatal("the unit browser did not open");
        return m_form;
    }
    void restart()
    {
        m_main->closeAnswering("Evet");
        QVERIFY(!m_form->isVisible());
        start();
    }
    TSrDBGrid *staffGrid() const { return child<TSrDBGrid>(m_form, "SrDBGrid1"); }
    QString iniPath() const { return m_main->dir().settingsPath(); }

    // Right-click on the staff grid and "Alan Gösterimleri"; the steps run while the dialog
    // is open and must close it.
    void openFields(std::function<void(QDialog *)> steps)
    {
        TSrDBGrid *grid = staffGrid();
        auto *menu = child<QMenu>(m_form, "PopupKisisel");
        auto *item = child<QAction>(menu, "AlanGsterimleri1");
        QCOMPARE(item->text(), QStringLiteral("Alan Gösterimleri"));
        QVERIFY(menu->actions().contains(item));

        const QPoint at(20, 10);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, grid->viewport()->mapToGlobal(at));
        QApplication::sendEvent(grid->viewport(), &event);
        QTRY_VERIFY(menu->isVisible());
        QDialog *dialog = m_form->visibleFieldsDialog();
        whileOpen(
            dialog, [&] { QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center()); },
            [&] { steps(dialog); });
        QVERIFY(!dialog->isVisible());
        waitIdle();
    }

    void setFlags(const QList<int> &shownFlags)
    {
        auto &flags = m_form->settings().fieldFlags;
        flags.fill(false);
        for (int n : shownFlags)
            flags[size_t(n - 1)] = true;
        waitIdle();
    }

private Q_SLOTS:
    void initTestCase() { quietOffscreenWarnings(); }
    void init() { m_main = std::make_unique<MainWindowFixture>(kFixture); }
    void cleanup() { m_main.reset(); }

    void factoryLayoutAtFirstStart()
    {
        start();
        TSrDBGrid *grid = staffGrid();
        QCOMPARE(grid->dataset()->recordCount(), 2);
        QCOMPARE(shownColumns(grid), kFactoryColumns);
        for (int c : kFactoryColumns)
            QCOMPARE(grid->columnWidth(c), kFactoryWidths[size_t(c)]);
        QCOMPARE(m_form->settings().columnWidths, kFactoryWidths);
    }

    void dialogLayout()
    {
        TForm1 *form = start();
        TFrmGorunum *dialog = form->visibleFieldsDialog();
        QVERIFY(dialog);
        openFields([&](QDialog *open) {
            QCOMPARE(open, dialog);
            QCOMPARE(open->windowTitle(), QStringLiteral("  Gösterilecek Bilgi Alanları"));
            QCOMPARE(open->windowType(), Qt::Tool);
            QCOMPARE(open->parentWidget(), form);
            QCOMPARE(open->frameGeometry().center(), form->frameGeometry().center());

            for (int n = 1; n <= 23; ++n) {
                auto *box = child<QCheckBox>(open, boxName(n));
                QCOMPARE(box->text(), kCaptions[n - 1]);
                QCOMPARE(box->accessibleName(), kCaptions[n - 1]);
                QCOMPARE(box->isEnabled(), n != 1);
                QVERIFY(box->isVisible());
                // 1..11 on the left, 12..23 on the right, top to bottom.
                auto *head = child<QCheckBox>(open, boxName(n <= 11 ? 1 : 12));
                QCOMPARE(box->x(), head->x());
                if (n != 1 && n != 12)
                    QVERIFY(box->y() > child<QCheckBox>(open, boxName(n - 1))->y());
            }
            auto *left = child<QCheckBox>(open, boxName(1));
            auto *right = child<QCheckBox>(open, boxName(12));
            QVERIFY(right->x() > left->x() + left->width() / 2);
            QCOMPARE(right->y(), left->y());
            QVERIFY(left->isChecked());

            const char *buttons[] = {"BitBtn3", "BitBtn2", "BitBtn1"};
            const QString captions[] = {"Orijinal Ayarlara Dön", "İptal", "ONAYLA"};
            int x = -1;
            const int boxesBottom = child<QCheckBox>(open, boxName(11))->geometry().bottom();
            for (int i = 0; i < 3; ++i) {
                auto *button = child<QPushButton>(open, QLatin1String(buttons[i]));
                QCOMPARE(button->text(), captions[i]);
                QCOMPARE(button->accessibleName(), captions[i]);
                QVERIFY(button->x() > x);
                QVERIFY(button->y() > boxesBottom);
                x = button->x();
            }
            click(open, "BitBtn2");
        });

        // The same window serves every opening, centred on wherever the main window is now.
        form->move(form->pos() + QPoint(60, 40));
        openFields([&](QDialog *open) {
            QCOMPARE(open, dialog);
            QCOMPARE(open->frameGeometry().center(), form->frameGeometry().center());
            click(open, "BitBtn2");
        });
        QCOMPARE(form->findChildren<TFrmGorunum *>().size(), 1);
    }

    void boxesFollowTheFlagsAtEveryOpening()
    {
        start();
        const QList<int> shown = {1, 3, 9, 15, 23};
        setFlags(shown);
        openFields([&](QDialog *open) {
            for (int n = 1; n <= 23; ++n)
                QCOMPARE(child<QCheckBox>(open, boxName(n))->isChecked(), shown.contains(n));
            setBox(open, 2, true);
            setBox(open, 3, false);
            click(open, "BitBtn2"); // "İptal" drops the change
        });
        QCOMPARE(shownColumns(staffGrid()), (QList<int>{0, 2, 8, 14, 22}));
        QVERIFY(!m_form->settings().fieldFlags[1]);
        QVERIFY(m_form->settings().fieldFlags[2]);

        openFields([&](QDialog *open) {
            QVERIFY(!child<QCheckBox>(open, boxName(2))->isChecked());
            QVERIFY(child<QCheckBox>(open, boxName(3))->isChecked());
            setBox(open, 2, true);
            setBox(open, 3, false);
            click(open, "BitBtn1");
        });
        QCOMPARE(shownColumns(staffGrid()), (QList<int>{0, 1, 8, 14, 22}));
    }

    void untickingEveryBoxLeavesTheNameColumn()
    {
        start();
        openFields([&](QDialog *open) {
            for (int n = 2; n <= 23; ++n)
                setBox(open, n, false);
            // The name column cannot be turned off.
            QTest::keyClick(child<QCheckBox>(open, boxName(1)), Qt::Key_Space);
            QVERIFY(child<QCheckBox>(open, boxName(1))->isChecked());
            click(open, "BitBtn1");
        });
        QCOMPARE(shownColumns(staffGrid()), QList<int>{0});
        QVERIFY(m_form->settings().fieldFlags[0]);
        for (int n = 2; n <= 23; ++n)
            QVERIFY(!m_form->settings().fieldFlags[size_t(n - 1)]);
    }

    void everyBoxShowsItsColumn_data()
    {
        QTest::addColumn<int>("flag");
        for (int n = 2; n <= 23; ++n)
            QTest::addRow("%s", qPrintable(kCaptions[n - 1])) << n;
    }
    void everyBoxShowsItsColumn()
    {
        QFETCH(int, flag);
        start();
        openFields([&](QDialog *open) {
            for (int n = 2; n <= 23; ++n)
                setBox(open, n, n == flag);
            click(open, "BitBtn1");
        });
        QCOMPARE(shownColumns(staffGrid()), (QList<int>{0, flag - 1}));
        QCOMPARE(staffGrid()->columnWidth(flag - 1), kFactoryWidths[size_t(flag - 1)]);
    }

    void factoryReset_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("closeWith");
        QTest::addColumn<QList<int>>("columns");
        QTest::addColumn<bool>("factoryWidths");
        const QList<int> before = {0, 2, 4, 7, 22};
        QTest::newRow("Evet, then İptal") << "Evet" << "BitBtn2" << before << true;
        QTest::newRow("Evet, then ONAYLA") << "Evet" << "BitBtn1" << kFactoryColumns << true;
        QTest::newRow("Hayır, then ONAYLA") << "Hayır" << "BitBtn1" << before << false;
        QTest::newRow("Hayır, then İptal") << "Hayır" << "BitBtn2" << before << false;
    }
    void factoryReset()
    {
        QFETCH(QString, answer);
        QFETCH(QString, closeWith);
        QFETCH(QList<int>, columns);
        QFETCH(bool, factoryWidths);
        TForm1 *form = start();
        const QList<int> shownBefore = {1, 3, 5, 8, 23};
        setFlags(shownBefore);
        Widths changed;
        changed.fill(150);
        form->setStaffColumnWidths(changed);
        staffGrid()->setColumnWidth(0, 333); // as by dragging
        changed[0] = 333;
        QCOMPARE(form->settings().columnWidths, changed);

        openFields([&](QDialog *open) {
            reset(open, answer);
            const bool reset = answer == QLatin1String("Evet");
            for (int n = 1; n <= 23; ++n) {
                const bool factory = n == 1 || n == 2 || n == 4 || n == 6 || n == 7;
                QCOMPARE(child<QCheckBox>(open, boxName(n))->isChecked(),
                         reset ? factory : shownBefore.contains(n));
            }
            // The widths change at once, while the dialog is still open.
            QCOMPARE(form->settings().columnWidths, reset ? kFactoryWidths : changed);
            click(open, qPrintable(closeWith));
        });

        const Widths widths = factoryWidths ? kFactoryWidths : changed;
        QCOMPARE(shownColumns(staffGrid()), columns);
        QCOMPARE(form->settings().columnWidths, widths);
        for (int c : columns)
            QCOMPARE(staffGrid()->columnWidth(c), widths[size_t(c)]);

        // Hidden columns got their widths too: showing every column shows them.
        form->settings().fieldFlags.fill(true);
        waitIdle();
        for (int c = 0; c < 23; ++c)
            QCOMPARE(staffGrid()->columnWidth(c), widths[size_t(c)]);
    }

    void flagsAreSavedAndComeBackAfterARestart()
    {
        start();
        openFields([&](QDialog *open) {
            setBox(open, 2, false);  // union
            setBox(open, 9, true);   // work telephone
            setBox(open, 23, true);  // blood group
            click(open, "BitBtn1");
        });
        QCOMPARE(shownColumns(staffGrid()), (QList<int>{0, 3, 5, 6, 8, 22}));

        restart();
        IniFile ini;
        QVERIFY(ini.load(iniPath()));
        QCOMPARE(ini.readString("Alanlar", "02"), QStringLiteral("0"));
        QCOMPARE(ini.readString("Alanlar", "09"), QStringLiteral("1"));
        QCOMPARE(ini.readString("Alanlar", "23"), QStringLiteral("1"));
        QCOMPARE(ini.readString("Alanlar", "01", "yok"), QStringLiteral("yok"));
        QCOMPARE(shownColumns(staffGrid()), (QList<int>{0, 3, 5, 6, 8, 22}));
        openFields([&](QDialog *open) {
            QVERIFY(!child<QCheckBox>(open, boxName(2))->isChecked());
            QVERIFY(child<QCheckBox>(open, boxName(9))->isChecked());
            click(open, "BitBtn2");
        });
    }

    void flagWrittenInTheFileHidesItsColumn_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QList<int>>("columns");
        QTest::newRow("union off") << "02" << "0" << QList<int>{0, 3, 5, 6};
        QTest::newRow("branch on") << "05" << "1" << QList<int>{0, 1, 3, 4, 5, 6};
        QTest::newRow("key 01 has no effect") << "01" << "0" << kFactoryColumns;
    }
    void flagWrittenInTheFileHidesItsColumn()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QList<int>, columns);
        IniFile ini;
        ini.writeString("Alanlar", key, value);
        QVERIFY(ini.save(iniPath()));
        start();
        QCOMPARE(shownColumns(staffGrid()), columns);
    }

    void columnWidthsFollowDraggingAndAreSaved_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("delta");
        QTest::newRow("name wider") << 0 << 40;
        QTest::newRow("title narrower") << 3 << -30;
    }
    void columnWidthsFollowDraggingAndAreSaved()
    {
        QFETCH(int, column);
        QFETCH(int, delta);
        start();
        TSrDBGrid *grid = staffGrid();
        QHeaderView *header = grid->horizontalHeader();
        const int before = grid->columnWidth(column);
        const int edge = header->sectionViewportPosition(column) + header->sectionSize(column) - 1;
        const int y = header->height() / 2;
        QTest::mousePress(header->viewport(), Qt::LeftButton, {}, QPoint(edge, y));
        QTest::mouseMove(header->viewport(), QPoint(edge + delta / 2, y));
        QTest::mouseMove(header->viewport(), QPoint(edge + delta, y));
        QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, QPoint(edge + delta, y));
        const int dragged = grid->columnWidth(column);
        QCOMPARE(dragged, before + delta);
        QCOMPARE(m_form->settings().columnWidths[size_t(column)], dragged);

        // Widths set by program code reach the settings the same way.
        grid->setColumnWidth(5, 123);
        QCOMPARE(m_form->settings().columnWidths[5], 123);

        restart();
        IniFile ini;
        QVERIFY(ini.load(iniPath()));
        const QString key = QStringLiteral("Sütun %1").arg(column + 1, 2, 10, QLatin1Char('0'));
        QCOMPARE(ini.readInteger("Sütun Ayar", key, 0), dragged);
        QCOMPARE(ini.readInteger("Sütun Ayar", "Sütun 06", 0), 123);
        QCOMPARE(m_form->settings().columnWidths[size_t(column)], dragged);
        QCOMPARE(staffGrid()->columnWidth(column), dragged);
    }

    void otherListsIgnoreFlagsAndReset_data()
    {
        QTest::addColumn<QString>("gridName");
        QTest::newRow("units") << "SrDBGrid2";
        QTest::newRow("all staff") << "SrDBGrid3";
    }
    void otherListsIgnoreFlagsAndReset()
    {
        QFETCH(QString, gridName);
        TForm1 *form = start();
        auto *grid = form->findChild<QTableView *>(gridName);
        if (!grid)
            QSKIP("this list is not in the main window yet");
        const QList<int> shown = shownColumns(grid);
        QVERIFY(!shown.isEmpty());
        QList<int> widths;
        for (int c = 0; c < grid->model()->columnCount(); ++c)
            widths << grid->columnWidth(c);
        grid->setColumnWidth(0, widths[0] + 17);
        widths[0] += 17;

        openFields([&](QDialog *open) {
            for (int n = 2; n <= 23; ++n)
                setBox(open, n, false);
            click(open, "BitBtn1");
        });
        QCOMPARE(shownColumns(grid), shown);
        openFields([&](QDialog *open) {
            reset(open, "Evet");
            click(open, "BitBtn1");
        });
        QCOMPARE(shownColumns(grid), shown);
        for (int c = 0; c < grid->model()->columnCount(); ++c)
            QCOMPARE(grid->columnWidth(c), widths[c]);
        QCOMPARE(shownColumns(staffGrid()), kFactoryColumns);
    }
};

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    TestVisibleFields test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_visiblefields.moc"

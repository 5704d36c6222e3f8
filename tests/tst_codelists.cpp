// The two read-only code lists: every row in its order, nothing to edit or select, "KAPAT".

#include "app/application.h"
#include "app/tform1.h"
#include "entry/tfrmkod.h"
#include "entry/tfrmunvan.h"
#include "testsupport.h"

#include <QApplication>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <memory>

namespace {

using Rows = QList<QStringList>;

Rows cells(QTableWidget *table)
{
    Rows out;
    for (int r = 0; r < table->rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < table->columnCount(); ++c) {
            if (table->rowSpan(r, c) == 1 || table->item(r, c))
                row << (table->item(r, c) ? table->item(r, c)->text() : QString());
        }
        out << row;
    }
    return out;
}

} // namespace

class TestCodeLists : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> m_main;
    TForm1 *m_form = nullptr;

private Q_SLOTS:
    void initTestCase() { quietOffscreenWarnings(); }
    void init()
    {
        m_main = std::make_unique<MainWindowFixture>();
        m_form = m_main->start(MainWindowFixture::Windows::All);
    }
    void cleanup() { m_main.reset(); }

    void everyRowInOrder_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("closeButton");
        QTest::addColumn<Rows>("rows");
        QTest::newRow("title codes")
            << "FrmUnvan" << " Kadro Ünvan Kodları" << "Button1"
            << Rows{{"Kadro", "Ünvan Kodu"},
                    {"Profesör", " 1550"},
                    {"Öğretmen", " 5900"},
                    {"Okul Müdürü", " 4390"},
                    {"Okul Müdür Yardımcısı", " 4805"},
                    {"Memur", " 7555"},
                    {"Yardımcı Hizmetler", " 9400"},
                    {"Teknisyen", " 8790"},
                    {"Sayman", " 7515"}};
        QTest::newRow("service-branch codes")
            << "FrmKod" << "Eğitim, Öğretim ve Bilim Hizmetleri " << "BitBtn1"
            << Rows{{"Hizmet Kolu", "Kurum Kodu", "Kurum ve Kuruluşlar"},
                    {"02", "   01", "Milli Eğitim Bakanlığı"},
                    {"   02", "Türkiye Orta Doğu Amme İdaresi Enstitüsü Genel Müdürlüğü"},
                    {"   03", "(19.3.2002 tarih ve 24700 sayılı Resmi Gazete)"},
                    {"   04", "Yüksek Öğretim Kurulu Başkanlığı"},
                    {"   05", "Üniversiteler Arası Kurul Başkanlığı"},
                    {"   06", "Öğrenci Seçme ve Yerleştirme Merkez Başkanlığı"},
                    {"   07", "Üniversiteler"},
                    {"   08", "Yüksek Teknoloji Enstitüleri"},
                    {"   09", "Yüksek Öğretim, Kredi ve Yurtlar Kurumu Müdürlüğü"}};
    }
    void everyRowInOrder()
    {
        QFETCH(QString, window);
        QFETCH(QString, caption);
        QFETCH(QString, closeButton);
        QFETCH(Rows, rows);
        auto *list = m_form->findChild<QDialog *>(window);
        QVERIFY(list);
        auto *table = list->findChild<QTableWidget *>();
        QVERIFY(table);
        auto open = [list] {
            if (auto *unvan = qobject_cast<TFrmUnvan *>(list))
                unvan->showModal();
            else
                static_cast<TFrmKod *>(list)->showModal();
        };
        bool closed = false;
        whileOpen(list, open, [&] {
            QCOMPARE(list->windowTitle(), caption);
            QCOMPARE(cells(table), rows);
            // Nothing in the list can be edited or selected.
            for (int r = 0; r < table->rowCount(); ++r)
                for (int c = 0; c < table->columnCount(); ++c)
                    if (QTableWidgetItem *item = table->item(r, c))
                        QCOMPARE(item->flags(), Qt::ItemIsEnabled);
            QCOMPARE(table->selectionMode(), QAbstractItemView::NoSelection);
            QCOMPARE(table->focusPolicy(), Qt::NoFocus);
            // F1 inside a list does nothing: it stays the window in use.
            QTest::keyClick(table, Qt::Key_F1);
            QCOMPARE(QApplication::activeModalWidget(), list);
            QTest::mouseClick(list->findChild<QPushButton *>(closeButton), Qt::LeftButton);
            closed = !list->isVisible();
        });
        QVERIFY(closed);
    }

    void styledCells()
    {
        auto *unvan = m_form->findChild<TFrmUnvan *>();
        QVERIFY(unvan->table()->item(1, 1)->font().bold());
        QVERIFY(!unvan->table()->item(1, 0)->font().bold());

        auto *kod = m_form->findChild<TFrmKod *>();
        QTableWidget *table = kod->table();
        QCOMPARE(table->rowSpan(1, 0), 9); // one tall branch cell beside every institution
        QVERIFY(table->item(1, 0)->font().bold());
        QCOMPARE(table->item(1, 0)->foreground().color(), QColor(128, 128, 128));
        QCOMPARE(table->item(3, 2)->foreground().color(), QColor(Qt::red));
        QVERIFY(table->item(3, 2)->font().italic());
        QVERIFY(!table->item(2, 2)->font().italic());
        QVERIFY(QFontInfo(table->item(1, 1)->font()).fixedPitch());
        QVERIFY(QFontInfo(table->item(1, 0)->font()).fixedPitch());
    }
};

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    TestCodeLists test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_codelists.moc"

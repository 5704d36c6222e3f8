// "Genel Ayarlar" in the real main window: the copies of the colours and switches, what
// "TAMAM", "İptal", Esc and the close box do with them, the colour boxes and their unions,
// and Qt's colour dialog.

#include "app/application.h"
#include "toolkit/idlerefresh.h"
#include "app/tform1.h"
#include "toolkit/tsrdbgrid.h"
#include "data/settings.h"
#include "data/sharedqueries.h"
#include "entry/tsabitbilgi.h"
#include "settings/colourbox.h"
#include "settings/tayarfrm.h"
#include "testsupport.h"

#include <QAbstractEventDispatcher>
#include <QCheckBox>
#include <QColorDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <memory>

namespace {

const QString kKayitsiz = QStringLiteral("<<< KAYITSIZ >>>");
const QStringList kFixed = {
    "INSERT INTO sabit (Kurum_Adi, sendikasi) VALUES ('MEB', 'EĞİTİM BİR SEN')",
    "INSERT INTO yetkili (yetkili_adi) VALUES ('AYŞE KAYA')",
    "INSERT INTO okul (okul_adi) VALUES ('GAZİ LİSESİ')",
    // In name order: AHMET AK (the current row), ZEKİ TAŞ.
    "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir, sendikasi) VALUES "
    "(1, 'ZEKİ', 'TAŞ', 'ZEKİ TAŞ', 'TÜRK EĞİTİM SEN'), "
    "(1, 'AHMET', 'AK', 'AHMET AK', 'EĞİTİM BİR SEN')",
};
const QStringList kSixUnions = {"EĞİTİM BİR SEN", "TÜRK EĞİTİM SEN",  "EĞİTİM SEN",
                                "EĞİTİM İŞ",      "AKTİF EĞİTİM SEN", "ALTINCI SEN"};
const char *const kBoxes[6] = {"RenkKayitsiz", "RenkTES", "RenkESen",
                               "RenkEBir",     "RenkEIs", "RenkTec"};

QStringList unionRows(const QStringList &names)
{
    QStringList rows;
    for (const QString &name : names)
        rows << QStringLiteral(
                    "INSERT INTO sendikalar (sendikalar, adresi) VALUES ('%1', 'ANKARA')")
                    .arg(name);
    return rows;
}

// Pixels of a strongly red colour in a part of an image: the text of a row drawn in red.
int redPixels(const QImage &image, const QRect &area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 180 && c.green() < 80 && c.blue() < 80)
                ++count;
        }
    return count;
}

} // namespace

class TestSettingsDialog : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_config;
    std::unique_ptr<MainWindowFixture> m_main;
    TForm1 *m_form = nullptr;

    void start(const QStringList &unions = kSixUnions)
    {
        m_main = std::make_unique<MainWindowFixture>(kFixed + unionRows(unions));
        m_form = m_main->start(MainWindowFixture::Windows::All);
    }
    TAyarFrm *dialog() const { return m_form->findChild<TAyarFrm *>(); }
    ColourBox *box(int slot) const
    {
        return child<ColourBox>(dialog(), QLatin1String(kBoxes[slot]));
    }
    QLabel *label(int slot) const
    {
        return child<QLabel>(dialog(), QStringLiteral("Label0%1").arg(slot + 1));
    }
    QCheckBox *check(const char *name) const
    {
        return child<QCheckBox>(dialog(), QLatin1String(name));
    }
    QTabWidget *pages() const { return child<QTabWidget>(dialog(), "PageControl1"); }
    QToolButton *toolButton(const char *name) const
    {
        auto *bar = m_form->findChild<QToolBar *>("ToolBar1", Qt::FindDirectChildrenOnly);
        return child<QToolButton>(bar, QLatin1String(name));
    }
    std::function<void()> openSettings()
    {
        return [this] { QTest::mouseClick(toolButton("ToolButton2"), Qt::LeftButton); };
    }
    void clickIn(const char *button)
    {
        QTest::mouseClick(child<QPushButton>(dialog(), QLatin1String(button)), Qt::LeftButton);
    }
    // Presses a colour box with the button and picks the colour in the colour dialog (an
    // invalid colour cancels it). Returns the colour the dialog opened with.
    QColor pickColour(int slot, const QColor &colour, Qt::MouseButton button = Qt::LeftButton,
                      QString *title = nullptr)
    {
        QColor opened;
        Answers steps;
        steps.on("QColorDialog", [&](QWidget *window) {
            auto *colours = static_cast<QColorDialog *>(window);
            opened = colours->currentColor();
            if (title)
                *title = colours->windowTitle();
            if (colour.isValid()) {
                colours->setCurrentColor(colour);
                QMetaObject::invokeMethod(colours, &QDialog::accept, Qt::QueuedConnection);
            } else {
                QMetaObject::invokeMethod(colours, &QDialog::reject, Qt::QueuedConnection);
            }
        });
        QTest::mouseClick(box(slot), button);
        [&] {
            QVERIFY(steps.done());
            QCOMPARE(steps.unexpected, QStringList());
        }();
        return opened;
    }
    QStringList labelTexts() const
    {
        QStringList texts;
        for (int slot = 0; slot < 6; ++slot)
            texts << label(slot)->text();
        return texts;
    }
    QList<bool> boxesShown() const
    {
        QList<bool> shown;
        for (int slot = 0; slot < 6; ++slot)
            shown << !box(slot)->isHidden();
        return shown;
    }

private Q_SLOTS:
    void initTestCase() { quietOffscreenWarnings(); }
    void init()
    {
        // The password lock's store stays out of the user's own folder.
        m_config = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config->path()));
    }
    void cleanup()
    {
        m_main.reset();
        m_config.reset();
    }

    void dialogAsTheUserMeetsIt()
    {
        start();
        Settings &settings = m_form->settings();
        settings.colours = {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFF00FF, 0x808080};
        settings.preview = false;
        settings.logo = true;
        settings.sound = true;
        QVERIFY(toolButton("ToolButton2")->isEnabled());
        whileOpen(dialog(), openSettings(), [&] {
            QCOMPARE(dialog()->windowTitle(), QStringLiteral("Genel Ayarlar"));
            QCOMPARE(pages()->currentIndex(), 0);
            QCOMPARE(pages()->tabText(0), QStringLiteral(" Şifre Aktivasyonu "));
            QCOMPARE(pages()->tabText(1), QStringLiteral(" Görsel/İşlevsel Ayarlar "));
            QCOMPARE(pages()->tabText(2), QStringLiteral(" Sendika Grup Renkleri "));
            QVERIFY(!check("ChkYazdir")->isChecked());
            QVERIFY(check("ChkLogo")->isChecked());
            QVERIFY(check("ChkSes")->isChecked());
            for (int slot = 0; slot < 6; ++slot)
                QCOMPARE(box(slot)->colour(), colourFromWin(settings.colours[size_t(slot)]));
            QCOMPARE(labelTexts(), QStringList{kKayitsiz} + kSixUnions.mid(0, 5));
            pages()->setCurrentIndex(2);
            waitIdle();
            QCOMPARE(boxesShown(), QList<bool>(6, true));
            QCOMPARE(box(1)->toolTip(), QStringLiteral("Zemin Renkleri"));
            QCOMPARE(box(1)->cursor().shape(), Qt::PointingHandCursor);
            auto *hint = dialog()->findChild<QLabel *>("Label7");
            QCOMPARE(hint->text(), QStringLiteral("Renk ayaları için kutucuklara tıklayın."));
            QVERIFY(!hint->isEnabled());
            clickIn("CancelBtn");
        });
        // Each opening starts on the first page.
        whileOpen(dialog(), openSettings(), [&] { QCOMPARE(pages()->currentIndex(), 0); });
    }

    void changesReachTheMainWindowOnlyOnTamam_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("applied");
        QTest::newRow("TAMAM") << "TAMAM" << true;
        QTest::newRow("İptal") << "İptal" << false;
        QTest::newRow("Esc") << "Esc" << false;
        QTest::newRow("close box") << "close box" << false;
    }
    // The server's connection string is kept on "TAMAM" and written at exit; one with a
    // password in it is refused, as nothing the program writes holds a password.
    void serverConnectionIsKeptWithoutAPassword()
    {
        start();
        whileOpen(dialog(), openSettings(), [&] {
            pages()->setCurrentIndex(3);
            auto *server = child<QLineEdit>(dialog(), "SunucuBaglantisi");
            QVERIFY(server->isVisible());
            server->setFocus();
            typeText(server, "host=sunucu dbname=meltora password=gizli");
            Answers refused({QStringLiteral("TAMAM")});
            clickIn("OKBtn");
            QCOMPARE(refused.count(), 1);
            QVERIFY2(refused.text().contains(QStringLiteral("parola yazılmaz")), qPrintable(refused.text()));
            QVERIFY(dialog()->isVisible());
            server->selectAll();
            typeText(server, "service=meltora");
            clickIn("OKBtn");
            QVERIFY(!dialog()->isVisible());
        });
        QCOMPARE(m_form->settings().server, QStringLiteral("service=meltora"));
        m_main->closeAnswering("Evet");
        Settings written;
        SettingsFile::load(SettingsFile::defaultPath(), written);
        QCOMPARE(written.server, QStringLiteral("service=meltora"));
        QVERIFY(!fileBytes(SettingsFile::defaultPath()).contains("gizli"));
    }

    void changesReachTheMainWindowOnlyOnTamam()
    {
        QFETCH(QString, how);
        QFETCH(bool, applied);
        start();
        m_main->click("BitBtn1");
        TSrDBGrid *staff = child<TSrDBGrid>(m_form, "SrDBGrid1");
        QCOMPARE(columnOf(*m_form->data()->Query_Uye, "Birlestir"),
                 QStringList({"AHMET AK", "ZEKİ TAŞ"}));
        auto rowArea = [&](int row) {
            return QRect(0, staff->rowViewportPosition(row), staff->viewport()->width(),
                         staff->rowHeight(row));
        };
        auto textColour = [&](int row) {
            auto *model = staff->datasetModel();
            return model->data(model->index(row, 0), Qt::ForegroundRole).value<QColor>();
        };
        QCOMPARE(textColour(1), QColor(Qt::black));
        QCOMPARE(redPixels(staff->viewport()->grab().toImage(), rowArea(1)), 0);
        const Settings before = m_form->settings();

        whileOpen(dialog(), openSettings(), [&] {
            pages()->setCurrentIndex(2);
            pickColour(1, Qt::red); // ZEKİ TAŞ's union is the second one: slot 2
            pickColour(2, Qt::red);
            QCOMPARE(box(2)->colour(), QColor(Qt::red));
            pages()->setCurrentIndex(1);
            for (const char *name : {"ChkYazdir", "ChkLogo", "ChkSes"})
                QTest::mouseClick(check(name), Qt::LeftButton, {},
                                  QPoint(8, check(name)->height() / 2));
            // Nothing reaches the main window before "TAMAM".
            QCOMPARE(m_form->settings().colours, before.colours);
            QCOMPARE(m_form->settings().logo, before.logo);
            if (how == "TAMAM")
                clickIn("OKBtn");
            else if (how == "İptal")
                clickIn("CancelBtn");
            else if (how == "Esc")
                QTest::keyClick(dialog(), Qt::Key_Escape);
            else
                dialog()->close();
            QVERIFY(!dialog()->isVisible());
        });
        waitIdle();
        const Settings after = m_form->settings();
        const qint32 red = colourToWin(Qt::red);
        QCOMPARE(after.colours[2], applied ? red : before.colours[2]);
        QCOMPARE(after.colours[1], applied ? red : before.colours[1]);
        QCOMPARE(after.colours[0], before.colours[0]);
        QCOMPARE(after.preview, applied ? !before.preview : before.preview);
        QCOMPARE(after.logo, applied ? !before.logo : before.logo);
        QCOMPARE(after.sound, applied ? !before.sound : before.sound);
        // The logo frame and the staff rows follow at once.
        QCOMPARE(!m_form->findChild<QWidget *>("Panel14")->isHidden(), after.logo);
        QCOMPARE(textColour(1), applied ? QColor(Qt::red) : QColor(Qt::black));
        QCOMPARE(redPixels(staff->viewport()->grab().toImage(), rowArea(1)) > 0, applied);
        // The current row keeps the grid's selection colours.
        QCOMPARE(textColour(0), staff->colorSelectText());

        // The next opening shows the main window's values again.
        whileOpen(dialog(), openSettings(), [&] {
            QCOMPARE(box(2)->colour(), colourFromWin(after.colours[2]));
            QCOMPARE(check("ChkLogo")->isChecked(), after.logo);
            clickIn("CancelBtn");
        });

        if (applied) { // a normal exit writes them, and the next start has them
            m_main->closeAnswering("Evet");
            m_form = m_main->start(MainWindowFixture::Windows::All);
            QCOMPARE(m_form->settings().colours[2], red);
            QCOMPARE(m_form->settings().sound, after.sound);
        }
    }

    void anyMouseButtonOpensTheColourDialog_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::newRow("left") << Qt::LeftButton;
        QTest::newRow("right") << Qt::RightButton;
        QTest::newRow("middle") << Qt::MiddleButton;
    }
    void anyMouseButtonOpensTheColourDialog()
    {
        QFETCH(Qt::MouseButton, button);
        start();
        m_form->settings().colours[3] = colourToWin(Qt::blue);
        whileOpen(dialog(), openSettings(), [&] {
            pages()->setCurrentIndex(2);
            QString title;
            // Qt's dialog in Turkish, opened with black at first, not with the box's colour.
            QCOMPARE(pickColour(3, Qt::green, button, &title), QColor(Qt::black));
            QCOMPARE(title, QStringLiteral("Renk Seç"));
            QCOMPARE(box(3)->colour(), QColor(Qt::green));
            clickIn("CancelBtn");
        });
    }

    void colourDialogOpensWithTheLastConfirmedColour()
    {
        start();
        const QColor orange(255, 128, 0);
        whileOpen(dialog(), openSettings(), [&] {
            pages()->setCurrentIndex(2);
            pickColour(0, orange);
            const QColor before = box(4)->colour();
            QCOMPARE(pickColour(4, QColor()), orange); // cancelled: the box keeps its colour
            QCOMPARE(box(4)->colour(), before);
            QCOMPARE(pickColour(5, QColor()), orange);
            clickIn("CancelBtn");
        });
        // Kept for the whole run, whatever closed the settings dialog.
        whileOpen(dialog(), openSettings(), [&] {
            pages()->setCurrentIndex(2);
            QCOMPARE(box(0)->colour(), QColor(Qt::black));
            QCOMPARE(pickColour(1, Qt::cyan), orange);
            QCOMPARE(pickColour(2, QColor()), QColor(Qt::cyan));
            clickIn("CancelBtn");
        });
    }

    void fewerThanFiveUnions()
    {
        start({"EĞİTİM BİR SEN", "EĞİTİM SEN"});
        m_form->settings().colours[4] = 0x123456;
        whileOpen(dialog(), openSettings(), [&] {
            pages()->setCurrentIndex(2);
            waitIdle();
            QCOMPARE(labelTexts(),
                     QStringList({kKayitsiz, "EĞİTİM BİR SEN", "EĞİTİM SEN", "", "", ""}));
            // The left column only; the right one is empty.
            QCOMPARE(boxesShown(), QList<bool>({true, true, true, false, false, false}));
            QCOMPARE(box(4)->colour(), colourFromWin(0x123456));
            pickColour(1, Qt::red);
            clickIn("OKBtn");
        });
        // The hidden slots' colours go through unchanged.
        QCOMPARE(m_form->settings().colours[4], 0x123456);
        QCOMPARE(m_form->settings().colours[1], colourToWin(Qt::red));
    }

    void boxesMatchTheUnionsAsSoonAsTheDialogIsUp()
    {
        start({"EĞİTİM BİR SEN", "EĞİTİM SEN"});
        // The event loop never waits for events in between: the idle-time refresh does not run.
        auto *dispatcher = QAbstractEventDispatcher::instance();
        QObject::disconnect(dispatcher, &QAbstractEventDispatcher::aboutToBlock,
                            m_form->idleRefresh(), &IdleRefresh::run);
        whileOpen(dialog(), openSettings(), [&] {
            pages()->setCurrentIndex(2);
            QCOMPARE(boxesShown(), QList<bool>({true, true, true, false, false, false}));
            clickIn("CancelBtn");
        });
        m_form->idleRefresh()->install();
    }

    void unionAddedInTheFixedInformationFormShowsHere()
    {
        start({"EĞİTİM BİR SEN", "EĞİTİM SEN"});
        auto *fixed = m_form->findChild<TSabitBilgi *>();
        QVERIFY(fixed);
        Answers answers({"Evet", "Evet"});
        whileOpen(
            fixed, [&] { QTest::mouseClick(toolButton("ToolButton1"), Qt::LeftButton); },
            [&] {
                child<QTabWidget>(fixed, "PageControl1")->setCurrentIndex(1);
                QTest::mouseClick(child<QToolButton>(fixed, "ToolButton10"), Qt::LeftButton);
                typeText(child<QLineEdit>(fixed, "DBEdit10"), "yeni sen");
                typeText(child<QLineEdit>(fixed, "DBEdit11"), "istanbul");
                waitIdle();
                QTest::mouseClick(child<QToolButton>(fixed, "ToolButton7"), Qt::LeftButton);
                QTest::mouseClick(child<QPushButton>(fixed, "BitBtn1"), Qt::LeftButton);
            });
        whileOpen(dialog(), openSettings(), [&] {
            pages()->setCurrentIndex(2);
            waitIdle();
            QCOMPARE(labelTexts(),
                     QStringList({kKayitsiz, "EĞİTİM BİR SEN", "EĞİTİM SEN", "YENİ SEN", "", ""}));
            QCOMPARE(boxesShown(), QList<bool>({true, true, true, true, false, false}));
            clickIn("CancelBtn");
        });
    }
};

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    TestSettingsDialog test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_settingsdialog.moc"

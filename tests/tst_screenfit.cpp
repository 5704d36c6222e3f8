// The windows within the screen: the main window and the dialogs no larger than the screen's
// available area and wholly on it. This program runs twice: on the test screen, and with the
// screen scaled twice on a 1366 × 768 screen (a small laptop), where the designed sizes no
// longer fit.

#include "app/application.h"
#include "app/tform1.h"
#include "data/settings.h"
#include "info/piechart.h"
#include "info/piechartview.h"
#include "info/tfrmhelp.h"
#include "info/tfrmistatistik.h"
#include "reports/printdriver.h"
#include "reports/reportpreview.h"
#include "testsupport.h"
#include "toolkit/screenfit.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QToolButton>
#include <memory>

namespace
{

QStringList staffOfUnions(int unions)
{
    QStringList rows;
    for (int u = 0; u < unions; ++u)
        for (int i = 0; i <= u % 4; ++i)
            rows << QStringLiteral("INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir, sendikasi) "
                                   "VALUES (1, 'AD', 'SOYAD', 'AD SOYAD', 'SENDİKA %1')")
                        .arg(u);
    return rows;
}

QString describe(const QRect &r)
{
    return QStringLiteral("%1,%2 %3×%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

} // namespace

class TestScreenFit : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> m_main;
    TForm1 *m_form = nullptr;

    void start(const QStringList &rows = {})
    {
        m_main = std::make_unique<MainWindowFixture>(rows);
        m_form = m_main->start(MainWindowFixture::Windows::All);
    }
    QRect area() const { return m_form->screen()->availableGeometry(); }
    // The window, its frame included, lies on the available area.
    void checkOnScreen(const QWidget *window)
    {
        QVERIFY2(area().contains(window->frameGeometry()),
                 qPrintable(window->objectName() + QStringLiteral(": ") +
                            describe(window->frameGeometry()) + QStringLiteral(" on ") +
                            describe(area())));
    }
    // A control of a window is wholly on the screen.
    void checkOnScreen(const QWidget *control, const QRectF &part)
    {
        const QRect global(control->mapToGlobal(part.topLeft().toPoint()),
                           part.size().toSize());
        QVERIFY2(area().contains(global),
                 qPrintable(control->objectName() + QStringLiteral(": ") + describe(global)));
    }

private Q_SLOTS:
    void initTestCase() { quietOffscreenWarnings(); }
    void cleanup() { m_main.reset(); }

    // The scaled run works on the screen it was given: half of 1366 × 768.
    void screenAsConfigured()
    {
        if (qgetenv("QT_SCALE_FACTOR") != "2")
            QSKIP("the test screen at its own scale");
        QCOMPARE(QGuiApplication::primaryScreen()->availableGeometry().size(), QSize(683, 384));
    }

    void mainWindowFits_data()
    {
        QTest::addColumn<bool>("maximised");
        QTest::newRow("shown") << false;
        QTest::newRow("maximised, as the program starts") << true;
    }
    void mainWindowFits()
    {
        QFETCH(bool, maximised);
        start();
        if (maximised)
            m_form->showMaximized();
        waitIdle();
        checkOnScreen(m_form);
        QVERIFY(m_form->minimumWidth() <= area().width());
        QVERIFY(m_form->minimumHeight() <= area().height());
    }

    // The statistics window comes up wholly on the screen, its legend and "KAPAT" with it,
    // even over a main window moved partly off the screen.
    void statisticsWindowOnScreen_data()
    {
        QTest::addColumn<QPoint>("moveBy"); // of the main window, in parts of the screen
        QTest::newRow("main window where it is") << QPoint(0, 0);
        QTest::newRow("main window towards the bottom right") << QPoint(2, 2);
        QTest::newRow("main window towards the top left") << QPoint(-2, -2);
    }
    void statisticsWindowOnScreen()
    {
        QFETCH(QPoint, moveBy);
        start(staffOfUnions(12));
        const QRect screen = area();
        m_form->move(m_form->pos() + QPoint(moveBy.x() * screen.width() / 3,
                                            moveBy.y() * screen.height() / 3));
        waitIdle();
        const bool cameUp = whileOpen(
            QStringLiteral("FrmIstatistik"),
            [&] {
                QTest::mouseClick(child<QToolButton>(m_form, QStringLiteral("ToolButton8")),
                                  Qt::LeftButton);
            },
            [&](QWidget *shown) {
                auto *window = static_cast<TFrmIstatistik *>(shown);
                checkOnScreen(window);
                auto *close = child<QPushButton>(window, QStringLiteral("BitBtn1"));
                checkOnScreen(close, QRectF(close->rect()));
                PieChartView *view = window->chartView();
                const PieChart::Layout l = view->chart().layout(QRectF(view->rect()), view);
                QCOMPARE(l.legend.size(), 12);
                checkOnScreen(view, l.legendFrame);
                QTest::mouseClick(close, Qt::LeftButton);
            });
        QVERIFY(cameUp);
    }

    // The help window and the print preview ask for more room than a scaled small screen
    // has: they come up within it.
    void largeWindowsFit()
    {
        start();
        // The help texts beside the program, as installed.
        const QDir shipped(QFINDTESTDATA("../resources/Yardim"));
        const QDir beside(m_main->dir().path());
        QVERIFY(beside.mkpath(QStringLiteral("Yardim")));
        for (const QString &file : shipped.entryList(QDir::Files))
            QVERIFY(QFile::copy(shipped.filePath(file),
                                beside.filePath(QStringLiteral("Yardim/") + file)));
        TFrmHelp *help = m_form->findChild<TFrmHelp *>();
        QVERIFY(help);
        whileOpen(
            help, [&] { child<QAction>(m_form, QStringLiteral("Yardm1"))->trigger(); },
            [&] { checkOnScreen(help); });
        m_form->settings().preview = true;
        ReportPreview *preview = m_form->findChild<PrintDriver *>()->preview();
        whileOpen(
            preview,
            [&] {
                QTest::mouseClick(child<QPushButton>(m_form, QStringLiteral("BitBtn3")),
                                  Qt::LeftButton);
            },
            [&] { checkOnScreen(preview); });
    }

    // A window placed partly off the screen, or larger than it, is brought onto it.
    void fitBringsAWindowOntoTheScreen()
    {
        QWidget window;
        window.setMinimumSize(3000, 2000);
        window.resize(3000, 2000);
        window.move(-500, 5000);
        screenfit::fit(&window);
        const QRect available = screenfit::availableArea(&window);
        QVERIFY(window.minimumWidth() <= available.width());
        QVERIFY(window.minimumHeight() <= available.height());
        QVERIFY2(available.contains(QRect(window.pos(), window.size())),
                 qPrintable(describe(QRect(window.pos(), window.size()))));
    }
};

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    TestScreenFit test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_screenfit.moc"

// The union statistics, the help window and the about window on the real main window, opened
// the user's way; and the pie chart painter on images.

#include "app/application.h"
#include "app/tform1.h"
#include "data/dataset.h"
#include "data/sharedqueries.h"
#include "info/piechart.h"
#include "info/piechartview.h"
#include "info/tfrmhakkinda.h"
#include "info/tfrmhelp.h"
#include "info/tfrmistatistik.h"
#include "maintenance/tfrmexcel.h"
#include "settings/tgetpasswdfrm.h"
#include "toolkit/messages.h"
#include "testsupport.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QRegularExpression>
#include <QTabBar>
#include <QComboBox>
#include <QAbstractButton>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolButton>
#include <QUrl>
#include <memory>

namespace
{

using Slices = QList<std::pair<QString, qint64>>;
const QString kKayitsiz = QStringLiteral("<<< KAYITSIZ >>>");
const QRectF kChartRect(0, 0, 632, 265); // the statistics window's chart

// Catches the addresses handed to the desktop.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl &url) { urls << url; }
};

QStringList memberRows(const Slices &groups)
{
    QStringList rows;
    int n = 0;
    for (const auto &[label, count] : groups) {
        for (int i = 0; i < count; ++i, ++n) {
            const QString value =
                label.isNull() ? QStringLiteral("NULL") : QStringLiteral("'%1'").arg(label);
            rows << QStringLiteral("INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir, sendikasi) "
                                   "VALUES (1, 'AD%1', 'SOYAD', 'AD%1 SOYAD', %2)")
                        .arg(n)
                        .arg(value);
        }
    }
    return rows;
}

Slices slicesOf(const PieChart &chart)
{
    Slices out;
    for (const PieChart::Slice &s : chart.slices())
        out << std::pair{s.label, s.value};
    return out;
}

PieChart chartOf(const Slices &slices)
{
    PieChart chart;
    chart.setTitle(QStringLiteral("SENDİKA ÜYE İSTATİSTİĞİ"));
    for (const auto &[label, value] : slices)
        chart.add(label, value);
    return chart;
}

// Unions as a user may have typed them: short and long names (the column holds 25
// characters), Turkish letters, counts that differ.
Slices unions(int count, bool oneBig = false)
{
    const QStringList names = {QStringLiteral("EĞİTİM-SEN"), QStringLiteral("TÜRK EĞİTİM-SEN"),
                               QStringLiteral("EĞİTİM BİR-SEN"), kKayitsiz,
                               QStringLiteral("ÇĞİÖŞÜ SENDİKASI ŞUBE AD")};
    Slices out;
    for (int i = 0; i < count; ++i) {
        const QString name = i < names.size()
                                 ? names[i]
                                 : names[i % names.size()].left(20) + QStringLiteral(" %1").arg(i, 2, 10, QLatin1Char('0'));
        out << std::pair{name, qint64(oneBig ? (i == 0 ? 400 : 2) : 3 + (i * 7) % 22)};
    }
    return out;
}

qint64 totalOf(const Slices &slices)
{
    qint64 sum = 0;
    for (const auto &s : slices)
        sum += s.second;
    return sum;
}

// Whether a point lies on the pie as painted: the top ellipse, the wall below its front and
// the lower rim, widened by a margin.
bool onPie(const PieChart::Layout &l, QPointF p, qreal margin)
{
    const qreal ax = l.rx + margin;
    const qreal ay = l.ry + margin;
    const qreal dx = (p.x() - l.centre.x()) / ax;
    auto in = [&](qreal cy) {
        const qreal dy = (p.y() - cy) / ay;
        return dx * dx + dy * dy <= 1;
    };
    return in(l.centre.y()) || in(l.centre.y() + l.depth) ||
           (std::abs(dx) <= 1 && p.y() >= l.centre.y() && p.y() <= l.centre.y() + l.depth);
}

// Whether a line passes over the pie, looked at every quarter pixel.
bool passesOverPie(const PieChart::Layout &l, const QLineF &line)
{
    const int steps = std::max(1, int(line.length() * 4));
    for (int i = 0; i <= steps; ++i)
        if (onPie(l, line.pointAt(qreal(i) / steps), 0))
            return true;
    return false;
}

// Whether two segments share a point (collinear overlaps included).
bool segmentsMeet(const QLineF &a, const QLineF &b)
{
    auto cross = [](QPointF o, QPointF p, QPointF q) {
        return (p.x() - o.x()) * (q.y() - o.y()) - (p.y() - o.y()) * (q.x() - o.x());
    };
    auto within = [](QPointF o, QPointF p, QPointF q) {
        return std::min(o.x(), p.x()) - 1e-9 <= q.x() && q.x() <= std::max(o.x(), p.x()) + 1e-9 &&
               std::min(o.y(), p.y()) - 1e-9 <= q.y() && q.y() <= std::max(o.y(), p.y()) + 1e-9;
    };
    const qreal d1 = cross(b.p1(), b.p2(), a.p1());
    const qreal d2 = cross(b.p1(), b.p2(), a.p2());
    const qreal d3 = cross(a.p1(), a.p2(), b.p1());
    const qreal d4 = cross(a.p1(), a.p2(), b.p2());
    if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0)))
        return true;
    return (std::abs(d1) < 1e-9 && within(b.p1(), b.p2(), a.p1())) ||
           (std::abs(d2) < 1e-9 && within(b.p1(), b.p2(), a.p2())) ||
           (std::abs(d3) < 1e-9 && within(a.p1(), a.p2(), b.p1())) ||
           (std::abs(d4) < 1e-9 && within(a.p1(), a.p2(), b.p2()));
}

QList<QLineF> leaderOf(const PieChart::Mark &m)
{
    return {QLineF(m.attach, m.elbow), QLineF(m.elbow, m.anchor)};
}

// A name as shown: whole, or its beginning followed by "…".
bool cutAtItsEnd(const QString &shown, const QString &name)
{
    return shown == name ||
           (shown.endsWith(QStringLiteral("…")) && name.startsWith(shown.chopped(1)) &&
            shown.size() <= name.size());
}

// The union's name in a legend line "count name (%share)".
QString nameInLegend(const PieChart &chart, const PieChart::LegendEntry &e)
{
    const QString before = QString::number(chart.slices()[e.slice].value) + QStringLiteral(" ");
    const QString after = QStringLiteral(" ") + chart.shareText(e.slice);
    if (!e.text.startsWith(before) || !e.text.endsWith(after))
        return QString();
    return e.text.mid(before.size(), e.text.size() - before.size() - after.size());
}

// Checks that every slice of the chart can be told by its legend line, its colour and, where
// it has one, its mark, as the chart stands painted in `image`.
void checkEverySliceNamed(const PieChart &chart, const QRectF &bounds, const QImage &image)
{
    const PieChart::Layout l = chart.layout(bounds, &image);
    const int n = int(chart.slices().size());

    // The legend: one line per slice, in the slices' order, inside the chart, none over
    // another; the counts it shows add up to the staff.
    QCOMPARE(l.legend.size(), n);
    qint64 counted = 0;
    const QFontMetricsF fm(l.legendFont, &image);
    for (int i = 0; i < n; ++i) {
        const PieChart::LegendEntry &e = l.legend[i];
        QCOMPARE(e.slice, i);
        const QString name = nameInLegend(chart, e);
        QVERIFY2(!name.isNull(), qPrintable(e.text));
        counted += e.text.section(QLatin1Char(' '), 0, 0).toLongLong();
        const QString label = chart.slices()[i].label;
        if (fm.horizontalAdvance(chart.legendText(i)) <= e.textRect.width())
            QCOMPARE(e.text, chart.legendText(i));
        else
            QVERIFY2(label.isEmpty() || cutAtItsEnd(name, label), qPrintable(e.text));
        QVERIFY2(fm.horizontalAdvance(e.text) <= e.textRect.width() + 0.5, qPrintable(e.text));
        const QRectF whole = e.swatch.united(e.textRect);
        QVERIFY2(bounds.contains(whole) && l.legendFrame.contains(whole), qPrintable(e.text));
        for (int j = 0; j < i; ++j)
            QVERIFY2(!whole.intersects(l.legend[j].swatch.united(l.legend[j].textRect)),
                     qPrintable(e.text));
        // Its swatch is painted in the slice's colour.
        QCOMPARE(image.pixelColor((e.swatch.center() * image.devicePixelRatio()).toPoint()),
                 chart.slices()[i].colour);
    }
    QCOMPARE(counted, chart.total());

    // No two slices share a colour, nor two colours that the eye could take for one.
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < i; ++j) {
            const QColor a = chart.slices()[i].colour;
            const QColor b = chart.slices()[j].colour;
            const qreal distance = std::hypot(a.red() - b.red(), a.green() - b.green(),
                                              a.blue() - b.blue());
            QVERIFY2(distance >= 40, qPrintable(QStringLiteral("colours of slices %1 and %2: %3, %4")
                                                    .arg(j)
                                                    .arg(i)
                                                    .arg(a.name(), b.name())));
        }
    }

    // The marks: each slice has one or is told in the number left out; a mark's name is
    // whole or cut at its end; its leader never passes over the pie, and no two leaders meet.
    int positive = 0;
    for (const PieChart::Slice &s : chart.slices())
        positive += s.value > 0;
    QCOMPARE(l.marks.size() + l.marksLeftOut, positive);
    for (int i = 0; i < l.marks.size(); ++i) {
        const PieChart::Mark &m = l.marks[i];
        const QString what = QStringLiteral("mark of slice %1").arg(m.slice);
        QVERIFY2(cutAtItsEnd(m.text, chart.slices()[m.slice].label), qPrintable(m.text));
        QVERIFY2(bounds.contains(m.box), qPrintable(what));
        QVERIFY2(!m.box.intersects(l.legendFrame), qPrintable(what));
        QVERIFY2(!onPie(l, m.elbow, 0), qPrintable(what));
        QVERIFY2(!passesOverPie(l, QLineF(m.attach, m.elbow)), qPrintable(what));
        QCOMPARE(m.attach.x(), m.left ? m.box.right() : m.box.left());
        for (int j = 0; j < i; ++j)
            for (const QLineF &a : leaderOf(m))
                for (const QLineF &b : leaderOf(l.marks[j]))
                    QVERIFY2(!segmentsMeet(a, b),
                             qPrintable(what + QStringLiteral(" meets that of slice %1")
                                                   .arg(l.marks[j].slice)));
    }
}

// Every caption the program shows: of buttons, menu items, tabs, group boxes, labels, list
// items and windows, in every window that exists now.
QSet<QString> shownCaptions()
{
    QSet<QString> out;
    auto note = [&out](QString text) {
        text.remove(QLatin1Char('&'));
        text = text.simplified();
        if (text.endsWith(QLatin1Char(':')))
            text = text.chopped(1).simplified();
        if (!text.isEmpty())
            out << text;
    };
    for (QWidget *w : QApplication::allWidgets()) {
        if (w->isWindow())
            note(w->windowTitle());
        if (auto *button = qobject_cast<QAbstractButton *>(w))
            note(button->text());
        if (auto *label = qobject_cast<QLabel *>(w))
            note(label->text());
        if (auto *group = qobject_cast<QGroupBox *>(w))
            note(group->title());
        if (auto *tabs = qobject_cast<QTabBar *>(w))
            for (int i = 0; i < tabs->count(); ++i)
                note(tabs->tabText(i));
        if (auto *combo = qobject_cast<QComboBox *>(w))
            for (int i = 0; i < combo->count(); ++i)
                note(combo->itemText(i));
        if (auto *list = qobject_cast<QListWidget *>(w))
            for (int i = 0; i < list->count(); ++i)
                note(list->item(i)->text());
        for (QAction *action : w->actions())
            note(action->text());
        // A button that shows only an icon is named by its hint.
        note(w->toolTip());
    }
    return out;
}

// The names the help topics give in bold (<b>): each is the caption of a control. (Other
// emphasis is <strong>.) A list of names in one bold run is split at its commas.
QStringList boldNames(const QString &html)
{
    QStringList out;
    static const QRegularExpression bold(QStringLiteral("<b>(.*?)</b>"),
                                         QRegularExpression::DotMatchesEverythingOption);
    for (auto it = bold.globalMatch(html); it.hasNext();) {
        QString text = it.next().captured(1);
        text.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
        text.replace(QStringLiteral("&lt;"), QStringLiteral("<"))
            .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
            .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        for (QString name : text.split(QStringLiteral(", "))) {
            name = name.simplified();
            while (name.endsWith(QLatin1Char(':')) || name.endsWith(QLatin1Char('.')))
                name.chop(1);
            if (!name.isEmpty())
                out << name;
        }
    }
    return out;
}

// Opens the statistics window with its toolbar button and runs `steps` while it is up; the
// window is hidden afterwards if the steps left it open. False when no window came up.
bool withStatistics(TForm1 *form, const std::function<void(TFrmIstatistik *)> &steps)
{
    return whileOpen(
        QStringLiteral("FrmIstatistik"),
        [form] { QTest::mouseClick(child<QToolButton>(form, QStringLiteral("ToolButton8")), Qt::LeftButton); },
        [&steps](QWidget *window) { steps(static_cast<TFrmIstatistik *>(window)); });
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray topicPage(const QString &text)
{
    return QStringLiteral(
               "<html><head><meta charset=\"utf-8\"></head><body><p>%1</p></body></html>")
        .arg(text)
        .toUtf8();
}

QString shownText(QTextBrowser *page)
{
    return page->toPlainText().trimmed();
}

void clickItem(QListWidget *list, int row)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(row)).center());
}

void leave(QWidget *widget)
{
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(widget, &event);
}

QColor textColour(const QLabel *label)
{
    return label->palette().color(QPalette::WindowText);
}

} // namespace

class TestInfo : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> m_main;
    TForm1 *m_form = nullptr;
    UrlCatcher m_urls;

    void start(const QStringList &rows = {})
    {
        m_main = std::make_unique<MainWindowFixture>(rows);
        m_form = m_main->start(MainWindowFixture::Windows::All);
        QDir(m_main->dir().path()).mkpath(QStringLiteral("Yardim"));
    }
    QString topicPath(const QString &file) const
    {
        return QDir(m_main->dir().path()).filePath(QStringLiteral("Yardim/") + file);
    }
    void writeTopics()
    {
        const QStringList files = {QStringLiteral("hakkinda.html"), QStringLiteral("sabit.html"),
                                   QStringLiteral("arama.html"), QStringLiteral("rapor.html"),
                                   QStringLiteral("diger.html")};
        for (int i = 0; i < files.size(); ++i)
            writeFile(topicPath(files[i]), topicPage(QStringLiteral("Konu %1 ğüşiöç").arg(i + 1)));
    }
    TFrmHelp *help() const { return m_form->findChild<TFrmHelp *>(); }
    TFrmHakkinda *about() const { return m_form->findChild<TFrmHakkinda *>(); }
    void openHelpFromMenu() { child<QAction>(m_form, QStringLiteral("Yardm1"))->trigger(); }
    void openAbout()
    {
        QToolButton *button = child<QToolButton>(m_form, QStringLiteral("ToolButton3"));
        // The button part, not its menu arrow at the right.
        QTest::mouseClick(button, Qt::LeftButton, {},
                          QPoint(button->width() / 3, button->height() / 2));
    }

private Q_SLOTS:
    void initTestCase()
    {
        quietOffscreenWarnings();
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &m_urls, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &m_urls, "open");
    }
    void cleanupTestCase()
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    }
    void init() { m_urls.urls.clear(); }
    void cleanup() { m_main.reset(); }

    // --- statistics ---------------------------------------------------------------------------

    void statisticsSlices_data()
    {
        QTest::addColumn<Slices>("members");
        QTest::addColumn<Slices>("slices"); // in the order the database groups them
        QTest::addColumn<QStringList>("legend");
        QTest::newRow("one union") << Slices{{"EĞİTİM-SEN", 3}} << Slices{{"EĞİTİM-SEN", 3}}
                                   << QStringList{"3 EĞİTİM-SEN (%100,0)"};
        QTest::newRow("several, with no union")
            << Slices{{"TÜRK EĞİTİM-SEN", 1}, {"EĞİTİM-SEN", 2}, {kKayitsiz, 1}}
            << Slices{{kKayitsiz, 1}, {"EĞİTİM-SEN", 2}, {"TÜRK EĞİTİM-SEN", 1}}
            << QStringList{"1 <<< KAYITSIZ >>> (%25,0)", "2 EĞİTİM-SEN (%50,0)",
                           "1 TÜRK EĞİTİM-SEN (%25,0)"};
        QTest::newRow("no staff") << Slices{} << Slices{} << QStringList{};
        QTest::newRow("empty and missing union are one slice")
            << Slices{{"", 1}, {QString(), 2}, {"EĞİTİM-SEN", 1}}
            << Slices{{"", 3}, {"EĞİTİM-SEN", 1}}
            << QStringList{"3 (%75,0)", "1 EĞİTİM-SEN (%25,0)"};
        QTest::newRow("two spellings of one union")
            << Slices{{"Eğitim-Sen", 1}, {"EĞİTİM-SEN", 2}, {"EĞİTİM-SEN KONF.", 1}}
            << Slices{{"EĞİTİM-SEN", 2}, {"EĞİTİM-SEN KONF.", 1}, {"Eğitim-Sen", 1}}
            << QStringList{"2 EĞİTİM-SEN (%50,0)", "1 EĞİTİM-SEN KONF. (%25,0)",
                           "1 Eğitim-Sen (%25,0)"};
    }
    void statisticsSlices()
    {
        QFETCH(Slices, members);
        QFETCH(Slices, slices);
        QFETCH(QStringList, legend);
        start(memberRows(members));
        QPointer<TFrmIstatistik> window;
        withStatistics(m_form, [&](TFrmIstatistik *w) {
            window = w;
            QCOMPARE(w->windowTitle(), QStringLiteral("  Sendikalar İstatistiği"));
            PieChartView *view = w->chartView();
            QCOMPARE(view->size(), QSize(632, 265));
            QCOMPARE(view->chart().title(), QStringLiteral("SENDİKA ÜYE İSTATİSTİĞİ"));
            QCOMPARE(slicesOf(view->chart()), slices);
            const PieChart::Layout layout = view->chart().layout(QRectF(view->rect()), view);
            QStringList shownLegend;
            for (const PieChart::LegendEntry &e : layout.legend)
                shownLegend << e.text;
            QCOMPARE(shownLegend, legend);
            QStringList marks;
            for (const PieChart::Mark &m : layout.marks)
                marks << m.text;
            QStringList labels;
            for (const auto &s : slices)
                labels << s.first;
            std::sort(marks.begin(), marks.end());
            std::sort(labels.begin(), labels.end());
            QCOMPARE(marks, labels);
            QTest::mouseClick(child<QPushButton>(w, QStringLiteral("BitBtn1")), Qt::LeftButton);
            QVERIFY(!w->isVisible());
        });
        QVERIFY2(window.isNull(), "the window is freed after use");
    }

    void statisticsCountsAgainAtEachOpening()
    {
        start(memberRows({{"EĞİTİM-SEN", 2}}));
        // The button's hint is both its tool tip and its status-bar text.
        auto *button = child<QToolButton>(m_form, QStringLiteral("ToolButton8"));
        QCOMPARE(button->toolTip(), QStringLiteral("Sendika kayıt istatistiği..."));
        QCOMPARE(button->statusTip(), QStringLiteral("Sendika kayıt istatistiği..."));
        Slices first;
        QVERIFY(withStatistics(
            m_form, [&](TFrmIstatistik *w) { first = slicesOf(w->chartView()->chart()); }));
        QCOMPARE(first, (Slices{{"EĞİTİM-SEN", 2}}));

        Dataset *staff = m_form->data()->QueryPersonel;
        staff->append();
        staff->setFieldText(QStringLiteral("adi"), QStringLiteral("YENİ"));
        staff->setFieldText(QStringLiteral("sendikasi"), QStringLiteral("EĞİTİM-SEN"));
        staff->post();

        Slices second;
        QVERIFY(withStatistics(
            m_form, [&](TFrmIstatistik *w) { second = slicesOf(w->chartView()->chart()); }));
        QCOMPARE(second, (Slices{{"EĞİTİM-SEN", 3}}));
    }

    void statisticsErrorShowsNoWindow()
    {
        start(memberRows({{"EĞİTİM-SEN", 1}}));
        m_main->dir().exec(QStringLiteral("DROP TABLE uyeler"));
        Answers box({QStringLiteral("TAMAM")});
        bool windowCameUp = false;
        withStatistics(m_form, [&](TFrmIstatistik *) { windowCameUp = true; });
        QVERIFY(!windowCameUp);
        QCOMPARE(box.count(), 1);
        QCOMPARE(box.text(), QStringLiteral("Veritabanı işlemi yapılamadı."));
        QVERIFY2(box.details.value(0).contains(QStringLiteral("uyeler")), qPrintable(box.details.value(0)));
        QCOMPARE(box.icons.value(0), QMessageBox::Critical);
    }

    void statisticsSavesPng()
    {
        start(memberRows({{"EĞİTİM-SEN", 2}, {kKayitsiz, 1}}));
        QTemporaryDir out;
        const QString path = out.filePath(QStringLiteral("grafik"));
        QVERIFY(withStatistics(m_form, [&](TFrmIstatistik *w) {
            Answers answer;
            answer.chooseFile(path); // then "Kaydet"
            QTest::mouseClick(child<QPushButton>(w, QStringLiteral("BtnKaydet")), Qt::LeftButton);

            QString error;
            QVERIFY(!w->saveChart(out.filePath(QStringLiteral("yok/grafik.png")), &error));
            QVERIFY(!error.isEmpty());
        }));
        // The name was given without an extension: it gets one.
        QImage saved(path + QStringLiteral(".png"));
        QVERIFY(!saved.isNull());
        QCOMPARE(saved.size(), QSize(2 * 632, 2 * 265));
        // The blue title is in it.
        bool blue = false;
        for (int x = 0; x < saved.width() && !blue; ++x)
            for (int y = 0; y < 60 && !blue; ++y)
                blue = saved.pixelColor(x, y) == QColor(Qt::blue);
        QVERIFY(blue);
    }

    // The picture saved onto a real full disk, with the room left varied: it is there whole
    // or not at all, and a refusal says why in Turkish.
    void statisticsPngOnAFullDisk()
    {
        SmallDisk disk;
        if (!disk.mounted())
            QSKIP("a small disk cannot be mounted here");
        start(memberRows({{"EĞİTİM-SEN", 2}, {kKayitsiz, 1}}));
        const QString path = disk.filePath(QStringLiteral("grafik.png"));
        constexpr int kSaves = 10;
        int refused = 0;
        QVERIFY(withStatistics(m_form, [&](TFrmIstatistik *w) {
            for (int save = 0; save < kSaves; ++save) {
                QFile::remove(path);
                disk.leaveRoom(qint64(save) * 16 * 1024 / kSaves);
                Answers box;
                box.chooseFile(path).click(QStringLiteral("TAMAM"));
                QTest::mouseClick(child<QPushButton>(w, QStringLiteral("BtnKaydet")),
                                  Qt::LeftButton);
                if (box.count() == 0) {
                    QVERIFY(!QImage(path).isNull());
                    continue;
                }
                ++refused;
                QCOMPARE(box.text(),
                         QStringLiteral("Grafik kaydedilemedi.\n'%1' dosyası yazılamadı: diskte "
                                        "yer kalmadı.")
                             .arg(path));
                QCOMPARE(disk.names(), QStringList{QStringLiteral("dolgu")});
            }
        }));
        QVERIFY(refused > 0);
    }

    // --- the pie painter ----------------------------------------------------------------------

    void marksStayApartAndInside_data()
    {
        QTest::addColumn<Slices>("slices");
        Slices oneBig{{"EĞİTİM-SEN", 1000}};
        Slices twoBig{{"BİRİNCİ", 500}};
        Slices equal;
        Slices longNames;
        for (int i = 1; i <= 11; ++i) {
            oneBig << std::pair{QStringLiteral("SENDİKA %1").arg(i), qint64(1)};
            twoBig << std::pair{QStringLiteral("KÜÇÜK %1").arg(i), qint64(1)};
            if (i == 6)
                twoBig << std::pair{QStringLiteral("İKİNCİ"), qint64(500)};
        }
        for (int i = 1; i <= 12; ++i) {
            equal << std::pair{QStringLiteral("SENDİKA %1").arg(i), qint64(10)};
            longNames << std::pair{QStringLiteral("ÇOK UZUN SENDİKA ADI NO %1").arg(i, 2),
                                   qint64(i == 1 ? 300 : 1)};
        }
        Slices many;
        for (int i = 1; i <= 40; ++i)
            many << std::pair{QStringLiteral("S%1").arg(i), qint64(i == 1 ? 1000 : 1)};
        QTest::newRow("one big, eleven tiny") << oneBig;
        QTest::newRow("two big, tiny ones between") << twoBig;
        QTest::newRow("twelve equal") << equal;
        QTest::newRow("twelve long names") << longNames;
        QTest::newRow("forty slices") << many;
        QTest::newRow("one slice") << Slices{{"TEK SENDİKA", 7}};
        QTest::newRow("empty label") << Slices{{"", 3}, {"A", 1}};
    }
    void marksStayApartAndInside()
    {
        QFETCH(Slices, slices);
        const PieChart chart = chartOf(slices);
        // Painted into the middle of a larger image, on a colour the chart never uses.
        const QColor outside(255, 0, 255);
        QImage image(732, 365, QImage::Format_ARGB32);
        image.fill(outside);
        const QRectF bounds = kChartRect.translated(50, 50);
        {
            QPainter p(&image);
            chart.paint(&p, bounds);
        }
        const PieChart::Layout l = chart.layout(bounds, &image);

        QCOMPARE(l.marks.size() + l.marksLeftOut, slices.size());
        QVERIFY(l.pieRect().width() > 60);
        for (int i = 0; i < l.marks.size(); ++i) {
            const PieChart::Mark &m = l.marks[i];
            const QString what = QStringLiteral("mark of slice %1").arg(m.slice);
            QVERIFY2(bounds.contains(m.box), qPrintable(what));
            QVERIFY2(bounds.contains(m.anchor) && bounds.contains(m.elbow), qPrintable(what));
            QVERIFY2(!m.box.intersects(l.pieRect()), qPrintable(what));
            QVERIFY2(!m.box.intersects(l.legendFrame), qPrintable(what));
            QVERIFY2(!m.box.intersects(l.titleRect), qPrintable(what));
            QCOMPARE(qRound(QLineF(m.anchor, m.elbow).length()), PieChart::kArrowLength);
            for (int j = i + 1; j < l.marks.size(); ++j)
                QVERIFY2(!m.box.intersects(l.marks[j].box), qPrintable(what));
            // The box is painted where the layout put it, and nothing painted over it: its
            // padding left of the text shows the box's own fill.
            QCOMPARE(image.pixelColor(QPointF(m.box.left() + 2.5, m.box.center().y()).toPoint()),
                     QColor(255, 255, 225));
        }
        QVERIFY(bounds.contains(l.legendFrame));
        QVERIFY(!l.legendFrame.intersects(l.pieRect()));
        QVERIFY(!l.legend.isEmpty());

        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (!bounds.contains(QPointF(x + 0.5, y + 0.5)))
                    QCOMPARE(image.pixelColor(x, y), outside);
            }
        }
        // The top of each wide slice shows its colour.
        for (int i = 0; i < slices.size(); ++i) {
            if (chart.sweepAngle(i) > -30)
                continue;
            const qreal a = qDegreesToRadians(chart.startAngle(i) + chart.sweepAngle(i) / 2);
            const QPoint inside =
                (l.centre + QPointF(0.6 * l.rx * std::cos(a), -0.6 * l.ry * std::sin(a))).toPoint();
            QCOMPARE(image.pixelColor(inside), chart.slices()[i].colour);
        }
    }

    void emptyChartShowsTitleOnly()
    {
        const PieChart chart = chartOf({});
        QImage image(kChartRect.size().toSize(), QImage::Format_ARGB32);
        image.fill(Qt::black);
        {
            QPainter p(&image);
            chart.paint(&p, kChartRect);
        }
        const PieChart::Layout l = chart.layout(kChartRect, &image);
        QVERIFY(l.marks.isEmpty());
        QVERIFY(l.legend.isEmpty());
        int blue = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (y > l.titleRect.bottom() + 1)
                    QCOMPARE(c, QColor(Qt::white));
                blue += c == QColor(Qt::blue);
            }
        }
        QVERIFY(blue > 50);
    }

    void slicesAreColouredApart()
    {
        QSet<QRgb> colours;
        for (int i = 0; i < 12; ++i)
            colours << PieChart::paletteColour(i).rgb();
        QCOMPARE(colours.size(), 12);
        QCOMPARE(chartOf({{"A", 1}, {"B", 3}}).legendText(1), QStringLiteral("3 B (%75,0)"));
    }

    // Every slice is named, for any number of unions: a legend line each, colours apart,
    // leaders that neither meet nor pass over the pie.
    void everySliceIsNamed_data()
    {
        QTest::addColumn<Slices>("slices");
        QTest::newRow("1 union") << unions(1);
        QTest::newRow("6 unions") << unions(6);
        QTest::newRow("6 unions, one big") << unions(6, true);
        QTest::newRow("17 unions") << unions(17);
        QTest::newRow("17 unions, one big") << unions(17, true);
        QTest::newRow("40 unions") << unions(40);
        QTest::newRow("40 unions, one big") << unions(40, true);
        Slices equal;
        for (int i = 1; i <= 24; ++i)
            equal << std::pair{QStringLiteral("SENDİKA %1").arg(i), qint64(10)};
        QTest::newRow("24 equal") << equal;
        Slices tiny{{"BÜYÜK", 1000}, {"", 4}};
        for (int i = 1; i <= 11; ++i)
            tiny << std::pair{QStringLiteral("KÜÇÜK %1").arg(i), qint64(1)};
        QTest::newRow("one big, eleven tiny, one unnamed") << tiny;
    }
    void everySliceIsNamed()
    {
        QFETCH(Slices, slices);
        const PieChart chart = chartOf(slices);
        // As the window shows it, and with twice the pixels, as the chart is saved.
        for (const qreal scale : {1.0, 2.0}) {
            QImage image(kChartRect.size().toSize() * scale, QImage::Format_ARGB32);
            image.setDevicePixelRatio(scale);
            image.fill(Qt::white);
            {
                QPainter p(&image);
                chart.paint(&p, kChartRect);
            }
            checkEverySliceNamed(chart, kChartRect, image);
        }
    }

    // A long union name is whole where there is room for it, and else cut at its end.
    void longNameWholeWhereItFits()
    {
        const QString name = QStringLiteral("ÇĞİÖŞÜ SENDİKASI ŞUBE AD"); // 25 characters
        const PieChart chart = chartOf({{name, 9}});
        QImage image(kChartRect.size().toSize(), QImage::Format_ARGB32);
        const PieChart::Layout l = chart.layout(kChartRect, &image);
        QCOMPARE(l.marks.size(), 1);
        QCOMPARE(l.marks[0].text, name);
        QCOMPARE(l.legend.size(), 1);
        QCOMPARE(l.legend[0].text, QStringLiteral("9 ") + name + QStringLiteral(" (%100,0)"));
    }

    // More slices than any fixed palette: every one has a colour of its own.
    void coloursNeverRepeat()
    {
        PieChart chart;
        for (int i = 0; i < 300; ++i)
            chart.add(QStringLiteral("S%1").arg(i), 1);
        QSet<QRgb> colours;
        for (const PieChart::Slice &s : chart.slices())
            colours << s.colour.rgb();
        QCOMPARE(colours.size(), 300);
    }

    // The statistics window with forty unions: its chart names all of them.
    void statisticsWithManyUnions()
    {
        Slices many = unions(40);
        // 486 staff, as counted in the office that reported it.
        for (auto &u : many)
            u.second = 1 + u.second / 3;
        many[0].second += 486 - totalOf(many);
        QCOMPARE(totalOf(many), 486);
        start(memberRows(many));
        QVERIFY(withStatistics(m_form, [&](TFrmIstatistik *w) {
            PieChartView *view = w->chartView();
            QCOMPARE(view->chart().slices().size(), 40);
            checkEverySliceNamed(view->chart(), QRectF(view->rect()), view->grab().toImage());
            // A name cut short on the chart is whole in the tip of its legend line.
            const PieChart::Layout l = view->chart().layout(QRectF(view->rect()), view);
            int cut = 0;
            for (const PieChart::LegendEntry &e : l.legend) {
                if (e.text == view->chart().legendText(e.slice))
                    continue;
                ++cut;
                QCOMPARE(view->fullTextAt(e.textRect.center().toPoint()),
                         view->chart().legendText(e.slice));
            }
            QVERIFY(cut > 0);
        }));
    }

    // --- help ---------------------------------------------------------------------------------

    void helpReopensOnTheFirstTopic()
    {
        start();
        writeTopics();
        TFrmHelp *h = help();
        // F1 released in the main window opens it.
        whileOpen(
            h,
            [&] {
                QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : m_form,
                                Qt::Key_F1);
            },
            [&] {
                QCOMPARE(h->windowTitle(), QStringLiteral("  Program Yardım"));
                QCOMPARE(h->banner()->text(), QStringLiteral("Program Hakkında"));
                QCOMPARE(shownText(h->page(0)), QStringLiteral("Konu 1 ğüşiöç"));
                QVERIFY(!h->supportList()->isVisible());
                clickItem(h->topicList(), 3);
                QCOMPARE(h->currentTopic(), 3);
                QCOMPARE(h->banner()->text(), QStringLiteral(" Raporlar"));
                QCOMPARE(shownText(h->page(3)), QStringLiteral("Konu 4 ğüşiöç"));
                QVERIFY(h->page(3)->isVisible());
                QTest::mouseClick(child<QPushButton>(h, QStringLiteral("BitBtn1")), Qt::LeftButton);
                QVERIFY(!h->isVisible());
            });
        writeFile(topicPath(QStringLiteral("hakkinda.html")),
                  topicPage(QStringLiteral("Yeni giriş")));
        whileOpen(
            h, [&] { openHelpFromMenu(); },
            [&] {
                QCOMPARE(h->currentTopic(), 0);
                QCOMPARE(h->topicList()->currentRow(), 0);
                QCOMPARE(h->banner()->text(), QStringLiteral("Program Hakkında"));
                QCOMPARE(shownText(h->page(0)), QStringLiteral("Yeni giriş"));
                QTest::mouseClick(child<QPushButton>(h, QStringLiteral("BitBtn2")),
                                  Qt::LeftButton); // TAMAM
                QVERIFY(!h->isVisible());
            });
    }

    void helpRereadsAChosenTopic()
    {
        start();
        writeTopics();
        TFrmHelp *h = help();
        whileOpen(
            h, [&] { openHelpFromMenu(); },
            [&] {
                clickItem(h->topicList(), 2);
                QCOMPARE(shownText(h->page(2)), QStringLiteral("Konu 3 ğüşiöç"));
                writeFile(topicPath(QStringLiteral("arama.html")),
                          topicPage(QStringLiteral("Değişti")));
                clickItem(h->topicList(), 2);
                QCOMPARE(shownText(h->page(2)), QStringLiteral("Değişti"));
                // The keyboard chooses too.
                writeFile(topicPath(QStringLiteral("rapor.html")),
                          topicPage(QStringLiteral("Rapor yeni")));
                h->topicList()->setFocus();
                QTest::keyClick(h->topicList(), Qt::Key_Down);
                QCOMPARE(h->banner()->text(), QStringLiteral(" Raporlar"));
                QCOMPARE(shownText(h->page(3)), QStringLiteral("Rapor yeni"));
            });
    }

    void helpTopicThatCannotBeRead_data()
    {
        QTest::addColumn<bool>("folder");
        QTest::newRow("missing file") << false;
        QTest::newRow("a folder of that name") << true;
    }
    void helpTopicThatCannotBeRead()
    {
        QFETCH(bool, folder);
        start();
        writeTopics();
        TFrmHelp *h = help();
        auto breakFile = [&](const QString &name) {
            QVERIFY(QFile::remove(topicPath(name)));
            if (folder)
                QVERIFY(QDir().mkdir(topicPath(name)));
        };
        whileOpen(
            h, [&] { openHelpFromMenu(); },
            [&] {
                clickItem(h->topicList(), 2);
                breakFile(QStringLiteral("arama.html"));
                Answers box({QStringLiteral("TAMAM")});
                clickItem(h->topicList(), 2);
                QCOMPARE(box.count(), 1);
                QCOMPARE(box.title(), QStringLiteral("Hata"));
                QVERIFY2(box.text().contains(QStringLiteral("\"arama.html\"")),
                         qPrintable(box.text()));
                QVERIFY2(box.text().contains(
                             QDir::toNativeSeparators(topicPath(QStringLiteral("arama.html")))),
                         qPrintable(box.text()));
                QCOMPARE(shownText(h->page(2)), QStringLiteral("Konu 3 ğüşiöç"));
                QCOMPARE(h->banner()->text(), QStringLiteral(" Arama Kriterleri"));
            });
        // The first topic of an opening: the message comes once the window shows.
        breakFile(QStringLiteral("hakkinda.html"));
        Answers box({QStringLiteral("TAMAM")});
        whileOpen(
            h, [&] { openHelpFromMenu(); },
            [&] {
                QTRY_COMPARE(box.count(), 1);
                QVERIFY2(box.text().contains(QStringLiteral("\"hakkinda.html\"")),
                         qPrintable(box.text()));
                QCOMPARE(shownText(h->page(0)), QStringLiteral("Konu 1 ğüşiöç"));
                QCOMPARE(h->banner()->text(), QStringLiteral("Program Hakkında"));
            });
    }

    void helpTextsThatComeWithTheProgram()
    {
        start();
        // The texts as they stand in the source tree, which the build copies beside the program.
        const QDir shipped(QFINDTESTDATA("../resources/Yardim"));
        QVERIFY(shipped.exists(QStringLiteral("hakkinda.html")));
        for (int topic = 0; topic < TFrmHelp::kTopics; ++topic) {
            const QString name = QFileInfo(TFrmHelp::topicFile(topic)).fileName();
            QVERIFY2(QFile::copy(shipped.filePath(name), topicPath(name)), qPrintable(name));
        }
        TFrmHelp *h = help();
        whileOpen(
            h, [&] { openHelpFromMenu(); },
            [&] {
                Answers none;
                for (int topic = 0; topic < TFrmHelp::kTopics; ++topic) {
                    clickItem(h->topicList(), topic);
                    QTextDocument *doc = h->page(topic)->document();
                    QVERIFY(doc->toPlainText().size() > 1000);
                    QVERIFY2(!doc->toPlainText().contains(QChar::ReplacementCharacter),
                             "UTF-8 text");
                    // Every link leads to another topic or to a web page.
                    for (QTextBlock b = doc->begin(); b != doc->end(); b = b.next()) {
                        for (auto it = b.begin(); !it.atEnd(); ++it) {
                            const QString href = it.fragment().charFormat().anchorHref();
                            if (href.isEmpty())
                                continue;
                            QVERIFY2(href.startsWith(QStringLiteral("https://")) ||
                                         QFile::exists(topicPath(href)),
                                     qPrintable(href));
                        }
                    }
                }
                QCOMPARE(none.count(), 0);
                // A link to another topic shows that topic.
                clickItem(h->topicList(), 0);
                Q_EMIT h->page(0)->anchorClicked(QUrl(QStringLiteral("sabit.html")));
                QCOMPARE(h->currentTopic(), 1);
                QCOMPARE(h->topicList()->currentRow(), 1);
            });
    }

    // The help names every control as the program shows it: each name in bold is the
    // caption of a button, menu item, tab, box or window of the program.
    void helpNamesControlsAsShown()
    {
        start();
        // The windows made for each use, made for a moment so that their captions exist.
        TFrmIstatistik statistics(m_form->data()->connection(), m_form);
        TFrmExcel excel(m_form->data(), m_form);
        TGetPassWdFrm password([](const QString &) { return true; }, m_form);
        QSet<QString> shown = shownCaptions();
        // The buttons of the program's questions.
        {
            Answers box({QStringLiteral("Evet")});
            messages::confirm(m_form, QStringLiteral("?"));
            for (const QString &button : box.buttons.value(0))
                shown << button;
        }
        QVERIFY(shown.contains(QStringLiteral("Veritanı İşlemleri")));
        const QDir shipped(QFINDTESTDATA("../resources/Yardim"));
        int names = 0;
        for (int topic = 0; topic < TFrmHelp::kTopics; ++topic) {
            const QString file = QFileInfo(TFrmHelp::topicFile(topic)).fileName();
            const QString html = QString::fromUtf8(fileBytes(shipped.filePath(file)));
            QVERIFY2(!html.isEmpty(), qPrintable(file));
            for (const QString &name : boldNames(html)) {
                ++names;
                QVERIFY2(shown.contains(name), qPrintable(file + QStringLiteral(": ") + name));
            }
        }
        QVERIFY(names > 50);
        // The topic about the program names each button of the main window's toolbar.
        const QStringList aboutNames = boldNames(QString::fromUtf8(
            fileBytes(shipped.filePath(QFileInfo(TFrmHelp::topicFile(0)).fileName()))));
        const QList<QToolButton *> toolbar =
            child<QWidget>(m_form, QStringLiteral("ToolBar1"))->findChildren<QToolButton *>();
        int buttons = 0;
        for (QToolButton *button : toolbar) {
            const QString caption = button->text().simplified();
            if (caption.isEmpty())
                continue; // the toolbar's own arrow for buttons that do not fit
            ++buttons;
            QVERIFY2(aboutNames.contains(caption), qPrintable(caption));
        }
        QCOMPARE(buttons, 6);
    }

    void helpSupportGroup()
    {
        start();
        writeTopics();
        TFrmHelp *h = help();
        whileOpen(
            h, [&] { openHelpFromMenu(); },
            [&] {
                QVERIFY(!h->supportList()->isVisible());
                QTest::mouseClick(child<QToolButton>(h, QStringLiteral("RzGroup2Caption")),
                                  Qt::LeftButton);
                QVERIFY(h->supportList()->isVisible());
                QVERIFY(h->topicList()->isVisible());
                clickItem(h->supportList(), 0);
                clickItem(h->supportList(), 1);
            });
        QCOMPARE(m_urls.urls, (QList<QUrl>{QUrl(QStringLiteral("https://www.meltora.org.tr")),
                                           QUrl(QStringLiteral("https://forum.meltora.org.tr"))}));
    }

    // --- about and the links -------------------------------------------------------------------

    void aboutShowsTitleAndAuthority_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("programName"); // empty: left as the settings give it
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("authority");
        QTest::newRow("authority")
            << QStringList{"INSERT INTO yetkili (yetkili_adi) VALUES ('AYŞE KAYA')"} << ""
            << "MELTORA"
            << "AYŞE KAYA";
        QTest::newRow("no authority row") << QStringList{} << ""
                                          << "MELTORA"
                                          << "Yetkili Atanmamış";
        QTest::newRow("authority without a name")
            << QStringList{"INSERT INTO yetkili (yetkili_adi, sendikal_gorevi) VALUES ('', "
                           "'TEMSİLCİ')"}
            << ""
            << "MELTORA"
            << "Yetkili Atanmamış";
        QTest::newRow("changed title")
            << QStringList{"INSERT INTO yetkili (yetkili_adi) VALUES ('ALİ')"} << "ÖĞRETMEN BİRLİĞİ"
            << "ÖĞRETMEN BİRLİĞİ"
            << "ALİ";
    }
    void aboutShowsTitleAndAuthority()
    {
        QFETCH(QStringList, rows);
        QFETCH(QString, programName);
        QFETCH(QString, title);
        QFETCH(QString, authority);
        start(rows);
        if (!programName.isEmpty())
            m_form->setProgramName(programName);
        TFrmHakkinda *a = about();
        whileOpen(
            a, [&] { openAbout(); },
            [&] {
                QCOMPARE(a->windowTitle(), QStringLiteral("  Program Hakkında"));
                QCOMPARE(a->titleLabel()->text(), title);
                QCOMPARE(child<QLabel>(a, QStringLiteral("RzLabel1"))->text(),
                         QStringLiteral("Program Yetkilisi"));
                QCOMPARE(a->authorityLabel()->text(), authority);
                QCOMPARE(a->linkLabel()->text(), QStringLiteral("WWW.MELTORA.ORG.TR"));
                QTest::mouseClick(child<QPushButton>(a, QStringLiteral("BitBtn1")), Qt::LeftButton);
                QVERIFY(!a->isVisible());
            });
        // The menu item opens it too.
        whileOpen(
            a, [&] { child<QAction>(m_form, QStringLiteral("Hakknda1"))->trigger(); }, [] {});
    }

    void aboutOpensHelp_data()
    {
        QTest::addColumn<bool>("key");
        QTest::newRow("F1") << true;
        QTest::newRow("Yardım (F1)") << false;
    }
    void aboutOpensHelp()
    {
        QFETCH(bool, key);
        start();
        writeTopics();
        TFrmHakkinda *a = about();
        TFrmHelp *h = help();
        bool helpShown = false;
        whileOpen(
            h,
            [&] {
                whileOpen(
                    a, [&] { openAbout(); },
                    [&] {
                        if (key) {
                            QWidget *focus = QApplication::focusWidget();
                            QTest::keyClick(focus && focus->window() == a ? focus : a, Qt::Key_F1);
                        } else {
                            QTest::mouseClick(child<QPushButton>(a, QStringLiteral("RzBitBtn1")),
                                              Qt::LeftButton);
                        }
                    });
            },
            [&] {
                helpShown = true;
                QVERIFY(!a->isVisible());
                QCOMPARE(h->banner()->text(), QStringLiteral("Program Hakkında"));
                QTest::mouseClick(child<QPushButton>(h, QStringLiteral("BitBtn1")), Qt::LeftButton);
            });
        QVERIFY(helpShown);
        QVERIFY(!h->isVisible());
        QVERIFY(!a->isVisible());
        QVERIFY(!QApplication::activeModalWidget());
    }

    void linksTurnRedAndOpen_data()
    {
        QTest::addColumn<QString>("window"); // empty: the main window
        QTest::addColumn<QString>("label");
        QTest::addColumn<QColor>("resting");
        QTest::newRow("main window") << ""
                                     << "Label69" << QColor(192, 192, 192);
        QTest::newRow("about window") << "FrmHakkinda"
                                      << "Label7" << QColor(0, 0, 255);
    }
    void linksTurnRedAndOpen()
    {
        QFETCH(QString, window);
        QFETCH(QString, label);
        QFETCH(QColor, resting);
        start();
        QObject *owner =
            window.isEmpty() ? static_cast<QObject *>(m_form) : child<QWidget>(m_form, window);
        auto *link = child<QLabel>(owner, label);
        QCOMPARE(textColour(link), resting);
        QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
        hoverOver(link);
        QCOMPARE(textColour(link), QColor(Qt::red));
        leave(link);
        QCOMPARE(textColour(link), resting);
        QTest::mouseClick(link, Qt::LeftButton);
        QCOMPARE(m_urls.urls, QList<QUrl>{QUrl(QStringLiteral("https://www.meltora.org.tr"))});
    }
};

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    TestInfo test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_info.moc"

// The band engine on its own: expressions, the stacking of bands and the page breaks, the
// page footers' counts, odd-row fills, wrapped and cut-off text, preview-only objects, the
// PDF writer, and laying a report out a slice at a time. The data comes from a small table.

#include "app/application.h"
#include "recordingprogress.h"
#include "pdfwords.h"
#include "reports/engine/layout.h"
#include "reports/engine/pagepainter.h"
#include "reports/engine/pdfexport.h"
#include "reports/engine/textmetrics.h"
#include "reports/templatebuilder.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

using namespace report;
using templates::Text;

namespace
{

// Rows held in memory; remembers where its cursor was left.
class TableSource : public DataSource
{
public:
    TableSource(QStringList fields, QList<QStringList> rows, int current = 0)
        : m_fields(std::move(fields)), m_rows(std::move(rows)),
          m_current(m_rows.isEmpty() ? -1 : current)
    {
    }
    int rowCount() const override { return int(m_rows.size()); }
    int currentRow() const override { return m_current; }
    int fieldIndex(const QString &field) const override { return int(m_fields.indexOf(field)); }
    QString text(int row, int field) const override { return m_rows[row][field]; }
    void moveTo(int row) override
    {
        m_current = row;
        ++moves;
    }
    int moves = 0;

private:
    QStringList m_fields;
    QList<QStringList> m_rows;
    int m_current;
};

QList<QStringList> numberedRows(int count)
{
    QList<QStringList> rows;
    for (int i = 1; i <= count; ++i)
        rows << QStringList{QStringLiteral("Ad %1").arg(i), QStringLiteral("%1").arg(i * 10)};
    return rows;
}

// A page whose printable area is 100 mm high: a 20 mm title, 10 mm rows, a 10 mm page
// footer, so that 7 rows fit on the first page and 9 on the others.
ReportTemplate listTemplate()
{
    ReportTemplate report(QStringLiteral("RTest"), QStringLiteral("DENEME LİSTESİ"));
    ReportPage page;
    page.paper = QPageSize::A5; // 148 x 210
    page.margins = QMarginsF(10, 10, 10, 100);
    page.bands = {
        templates::band(BandKind::ReportTitle, 20, {Text(0, 100, 0, 10, QStringLiteral("BAŞLIK"))}),
        templates::band(
            BandKind::MasterData, 10,
            {Text(0, 10, 0, 10, QStringLiteral("[LINE#]")),
             Text(10, 60, 0, 10, QStringLiteral("[t.\"ad\"]")).oddRowFill(QColor(240, 240, 240))},
            QStringLiteral("t")),
        templates::band(BandKind::Footer, 10,
                        {Text(0, 100, 0, 10, QStringLiteral("Toplam: [LINE#]"))}),
        templates::band(
            BandKind::PageFooter, 10,
            {Text(0, 100, 0, 10, QStringLiteral("[LINE#] - Sayfa: [PAGE#] / [TOTALPAGES#]"))}),
    };
    page.freeObjects = {
        Text(100, 128, 0, 5, QStringLiteral("[DATE]")).named(QStringLiteral("Tarih"))};
    report.pages.push_back(page);
    return report;
}

QStringList textsOf(const PreparedPage &page)
{
    QStringList texts;
    for (const PlacedItem &item : page.items)
        if (item.kind == ObjectKind::Text && item.textLength > 0)
            texts << page.textOf(item).toString();
    return texts;
}

const PlacedItem *itemWithText(const PreparedPage &page, const QString &text)
{
    for (const PlacedItem &item : page.items)
        if (page.textOf(item) == text)
            return &item;
    return nullptr;
}

PreparedReport prepared(const ReportTemplate &report, DataSources sources,
                        QDate today = QDate(2009, 3, 5))
{
    PrepareOptions options;
    options.today = today;
    std::optional<PreparedReport> out = prepare(report, sources, options);
    if (!out)
        qFatal("preparing was cancelled");
    return std::move(*out);
}

} // namespace

class TestReportEngine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void expressions_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("column of the walked source") << "[t.\"ad\"] / [t.\"no\"]"
                                                     << "Ad 2 / 20";
        QTest::newRow("column of another source: its current row") << "[u.\"ad\"]"
                                                                   << "Ad 3";
        QTest::newRow("running number") << "No [LINE#]"
                                        << "No 2";
        QTest::newRow("page and pages") << "[PAGE#]/[TOTALPAGES#]"
                                        << "1/1";
        QTest::newRow("date, short format") << "[DATE]"
                                            << "5.03.2009";
        QTest::newRow("unknown column") << "<[t.\"yok\"]>"
                                        << "<>";
        QTest::newRow("unknown source") << "<[v.\"ad\"]>"
                                        << "<>";
        QTest::newRow("brackets without an expression") << "[abc] [t.ad]"
                                                        << "[abc] [t.ad]";
        QTest::newRow("unclosed bracket") << "a [LINE#"
                                          << "a [LINE#";
    }

    void expressions()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        TableSource t({QStringLiteral("ad"), QStringLiteral("no")}, numberedRows(2));
        TableSource u({QStringLiteral("ad"), QStringLiteral("no")}, numberedRows(4), 2);
        ReportTemplate report;
        ReportPage page;
        page.bands = {templates::band(BandKind::MasterData, 10, {Text(0, 150, 0, 10, text)},
                                      QStringLiteral("t"))};
        report.pages.push_back(page);
        const PreparedReport out =
            prepared(report, {{QStringLiteral("t"), &t}, {QStringLiteral("u"), &u}});
        QCOMPARE(textsOf(out.pages.at(0)).value(1), expected);
    }

    void bandsStackAndPagesBreak()
    {
        TableSource t({QStringLiteral("ad"), QStringLiteral("no")}, numberedRows(20));
        const PreparedReport out = prepared(listTemplate(), {{QStringLiteral("t"), &t}});
        QCOMPARE(out.pageCount(), 3);
        // The title on the first page only, then 7, 9 and 4 rows; the footer after the last row;
        // each page footer counts the rows printed so far.
        QCOMPARE(textsOf(out.pages[0]).mid(0, 4),
                 QStringList({"5.03.2009", "BAŞLIK", "1", "Ad 1"}));
        QCOMPARE(textsOf(out.pages[0]).last(), QStringLiteral("7 - Sayfa: 1 / 3"));
        QCOMPARE(textsOf(out.pages[1]).mid(0, 3), QStringList({"5.03.2009", "8", "Ad 8"}));
        QCOMPARE(textsOf(out.pages[1]).last(), QStringLiteral("16 - Sayfa: 2 / 3"));
        QCOMPARE(textsOf(out.pages[2]).mid(textsOf(out.pages[2]).size() - 4),
                 QStringList({"20", "Ad 20", "Toplam: 20", "20 - Sayfa: 3 / 3"}));
        // Positions: bands from the top margin down, the page footer at the foot.
        QCOMPARE(itemWithText(out.pages[0], "Ad 1")->rect(), QRectF(20, 30, 50, 10));
        QCOMPARE(itemWithText(out.pages[0], "Ad 7")->rect(), QRectF(20, 90, 50, 10));
        QCOMPARE(itemWithText(out.pages[1], "Ad 8")->rect(), QRectF(20, 10, 50, 10));
        QCOMPARE(itemWithText(out.pages[0], "7 - Sayfa: 1 / 3")->rect(), QRectF(10, 100, 100, 10));
        // The walk leaves the source on its last row, once.
        QCOMPARE(t.currentRow(), 19);
        QCOMPARE(t.moves, 1);
    }

    void emptySourcePrintsHeadingsOnly()
    {
        TableSource t({QStringLiteral("ad"), QStringLiteral("no")}, {});
        const PreparedReport out = prepared(listTemplate(), {{QStringLiteral("t"), &t}});
        QCOMPARE(out.pageCount(), 1);
        QCOMPARE(textsOf(out.pages[0]),
                 QStringList({"5.03.2009", "BAŞLIK", "Toplam: 0", "0 - Sayfa: 1 / 1"}));
        QCOMPARE(t.moves, 0);
    }

    void oddRowsAreFilled()
    {
        TableSource t({QStringLiteral("ad"), QStringLiteral("no")}, numberedRows(4));
        const PreparedReport out = prepared(listTemplate(), {{QStringLiteral("t"), &t}});
        for (int row = 1; row <= 4; ++row) {
            const PlacedItem *item = itemWithText(out.pages[0], QStringLiteral("Ad %1").arg(row));
            const QColor fill = out.styleOf(*item).fill;
            QCOMPARE(fill.isValid(), row % 2 == 1);
        }
    }

    void childFollowsItsBand()
    {
        TableSource t({QStringLiteral("ad"), QStringLiteral("no")}, numberedRows(1));
        ReportTemplate report = listTemplate();
        ReportPage &page = report.pages[0];
        page.bands.push_back(
            templates::band(BandKind::Child, 5, {Text(0, 50, 0, 5, QStringLiteral("ALT BAŞLIK"))}));
        page.bands[0].child = int(page.bands.size()) - 1;
        const PreparedReport out = prepared(report, {{QStringLiteral("t"), &t}});
        QCOMPARE(itemWithText(out.pages[0], "ALT BAŞLIK")->rect().top(), 30.0);
        QCOMPARE(itemWithText(out.pages[0], "Ad 1")->rect().top(), 35.0);
    }

    void wrappedTextKeepsTheLinesThatFit()
    {
        const TextMetrics &metrics = TextMetrics::of(templates::arial(10));
        QString text;
        for (int i = 0; i < 40; ++i)
            text += QStringLiteral("kelime%1 ").arg(i);
        ReportTemplate report;
        ReportPage page;
        page.freeObjects = {Text(0, 60, 0, 3 * metrics.lineHeight() + 0.5, text).wrapped()};
        report.pages.push_back(page);
        const PreparedReport out = prepared(report, {});
        const QStringList lines = textsOf(out.pages[0]).value(0).split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[0].startsWith(QStringLiteral("kelime0 kelime1")));
        for (const QString &line : lines)
            QVERIFY2(metrics.width(line) <= 59, qPrintable(line));
    }

    void previewOnlyObjectsStayOffPaper()
    {
        QImage logo(20, 20, QImage::Format_RGB32);
        logo.fill(Qt::red);
        ReportTemplate report;
        ReportPage page;
        page.margins = QMarginsF(0, 0, 0, 0);
        page.freeObjects = {templates::picture(0, 50, 0, 50, QStringLiteral("Picture1"), true)};
        report.pages.push_back(page);
        report.setPicture(QStringLiteral("Picture1"), logo);
        const PreparedReport out = prepared(report, {});
        auto redOn = [&](PaintTarget target) {
            QImage image(210, 297, QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            paintPage(&painter, out, 0, QRectF(0, 0, 210, 297), target);
            painter.end();
            return image.pixelColor(25, 25) == QColor(Qt::red);
        };
        QVERIFY(redOn(PaintTarget::Screen));
        QVERIFY(!redOn(PaintTarget::Paper));
        // A cleared picture is not placed at all.
        report.setPicture(QStringLiteral("Picture1"), QImage());
        QVERIFY(prepared(report, {}).pages[0].items.empty());
    }

    // Spaced text stands character by character at the same pitch in the PDF, and a text
    // longer than its box stops at the box's edge.
    void pdfPlacesSpacedTextAndCutsLongText()
    {
        ReportTemplate report;
        ReportPage page;
        page.margins = QMarginsF(20, 20, 20, 20);
        page.freeObjects = {
            Text(0, 50, 0, 8, QStringLiteral("ABCDEFGHIJKLMN"))
                .font(templates::courierNew(11, true))
                .padding(0, 0, 0, 0)
                .indent(1)
                .spacing(2.67),
            Text(0, 30, 20, 6, QStringLiteral("UZUNKELIMEUZUNKELIMEUZUNKELIME")),
        };
        report.pages.push_back(page);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("spaced.pdf"));
        QVERIFY(writePdf(prepared(report, {}), path).written);
        const QList<PdfWord> words = pdfWords(path);
        QStringList letters;
        for (const PdfWord &word : words) {
            if (word.mm.top() > 35)
                continue;
            letters << word.text;
            const int k = int(letters.size()) - 1;
            const double boxLeft = 20 + 5 * k;
            QVERIFY2(word.mm.left() >= boxLeft + 0.5 && word.mm.right() <= boxLeft + 5,
                     qPrintable(QStringLiteral("%1 at %2..%3")
                                    .arg(word.text)
                                    .arg(word.mm.left())
                                    .arg(word.mm.right())));
        }
        QCOMPARE(letters.join(QString()), QStringLiteral("ABCDEFGHIJ")); // ten 5 mm boxes
        const auto cut = std::find_if(words.begin(), words.end(),
                                      [](const PdfWord &w) { return w.mm.top() > 35; });
        QVERIFY(cut != words.end());
        QVERIFY(QStringLiteral("UZUNKELIMEUZUNKELIMEUZUNKELIME").startsWith(cut->text));
        QVERIFY(cut->text.size() < 30);
        QVERIFY(cut->mm.right() <= 50 + 2.5); // no more than the last character runs over
        QCOMPARE(pdfFonts(path), QStringList({"LiberationMono-Bold yes", "LiberationSans yes"}));
    }

    void pdfFailuresLeaveNoFile()
    {
        QTemporaryDir dir;
        ReportTemplate report;
        report.pages.push_back(ReportPage());
        const PreparedReport out = prepared(report, {});
        const PdfResult missingFolder =
            writePdf(out, dir.filePath(QStringLiteral("yok/rapor.pdf")));
        QVERIFY(!missingFolder.written);
        QVERIFY(!missingFolder.cancelled);
        QVERIFY2(missingFolder.error.contains(QStringLiteral("yazılamadı")),
                 qPrintable(missingFolder.error));
        // A cancelled run keeps what was there.
        const QString path = dir.filePath(QStringLiteral("rapor.pdf"));
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("eski");
        old.close();
        RecordingProgress stop([](int, int) { return false; });
        const PdfResult cancelled = writePdf(out, path, &stop);
        QVERIFY(cancelled.cancelled);
        QVERIFY(!cancelled.written);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("eski"));
    }

    // The pages and their number exist before any row is read; laid out a slice at a time
    // they come out as laid out at once.
    void preparedSliceBySlice()
    {
        TableSource t({QStringLiteral("ad"), QStringLiteral("no")}, numberedRows(40));
        const ReportTemplate report = listTemplate();
        const DataSources sources{{QStringLiteral("t"), &t}};
        Preparation preparation(report, sources, QDate(2009, 3, 5));
        QCOMPARE(preparation.pageCount(), 5);
        QCOMPARE(preparation.readyPages(), 0);
        QVERIFY(preparation.report().pages[4].items.empty());
        preparation.prepareUntil(0);
        QCOMPARE(preparation.readyPages(), 1);
        QVERIFY(!preparation.isFinished());
        while (!preparation.isFinished())
            preparation.advance(3);
        const PreparedReport whole = prepared(report, sources);
        QCOMPARE(preparation.report().pageCount(), whole.pageCount());
        for (int i = 0; i < whole.pageCount(); ++i)
            QCOMPARE(textsOf(preparation.report().pages[size_t(i)]),
                     textsOf(whole.pages[size_t(i)]));
    }

    void cancelledPreparationMovesNothing()
    {
        TableSource t({QStringLiteral("ad"), QStringLiteral("no")}, numberedRows(2000), 5);
        PrepareOptions options;
        RecordingProgress progress([](int done, int) { return done < 1000; });
        options.progress = &progress;
        QVERIFY(!prepare(listTemplate(), {{QStringLiteral("t"), &t}}, options));
        QVERIFY(progress.reports.size() >= 2);
        QCOMPARE(t.currentRow(), 5);
    }
};

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    TestReportEngine test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_reportengine.moc"

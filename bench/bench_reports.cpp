// Times the reports on a large Data.dat through the real main window and print driver:
// preparing the staff list of every member (time, pages, extra resident memory), the preview
// until its first page is painted, the whole list written as PDF, and the unit list. The
// PDF stands beside a bare loop that draws the same texts and lines with QPainter on a
// QPdfWriter in the same run.
//
//   bench_reports DIR [--reps N]
//
// It is a measurement, not a test: figures beyond their targets are marked MISSED.

#include "app/application.h"
#include "app/tform1.h"
#include "app/windows.h"
#include "benchsupport.h"
#include "data/dataset.h"
#include "data/programdir.h"
#include "data/sharedqueries.h"
#include "reports/engine/pdfexport.h"
#include "reports/previewpages.h"
#include "reports/printdriver.h"
#include "reports/reportpreview.h"

#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <unistd.h>

namespace
{

using bench::Timer;
using namespace report;

double residentMb()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toDouble() * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

QString fixed(double value, int decimals = 0)
{
    return QString::number(value, 'f', decimals);
}

QString verdict(bool met)
{
    return met ? QStringLiteral("met") : QStringLiteral("MISSED");
}

// The reference: the texts and lines of the prepared pages drawn with nothing but QPainter
// calls on a QPdfWriter, one font change per change of style.
double bareLoopMs(const PreparedReport &report, const QString &path)
{
    Timer t;
    QPdfWriter writer(path);
    writer.setPageLayout(pageLayoutOf(report.pages.front()));
    QPainter painter(&writer);
    const double scale = writer.resolution() / 25.4;
    std::vector<QFont> fonts;
    for (const ReportObject &style : report.styles) {
        QFont font(style.font.family);
        font.setPointSizeF(style.font.size);
        font.setBold(style.font.bold);
        fonts.push_back(font);
    }
    int currentFont = -1;
    for (int i = 0; i < report.pageCount(); ++i) {
        if (i > 0)
            writer.newPage();
        const PreparedPage &page = report.pages[size_t(i)];
        for (const PlacedItem &item : page.items) {
            const QRectF r(item.x * scale, item.y * scale, item.width * scale, item.height * scale);
            if (item.kind == ObjectKind::Text) {
                if (item.textLength == 0)
                    continue;
                if (currentFont != item.style) {
                    painter.setFont(fonts[item.style]);
                    currentFont = item.style;
                }
                painter.drawText(QPointF(r.left(), r.bottom()), page.textOf(item).toString());
            } else if (item.kind == ObjectKind::Line) {
                painter.drawLine(r.topLeft(), r.bottomRight());
            } else if (item.kind == ObjectKind::Rectangle) {
                painter.drawRect(r);
            }
        }
    }
    painter.end();
    return t.ms();
}

// Runs a command whose preview window opens, and returns the time until it has painted a
// page; the window is closed then.
double firstPreviewPageMs(PrintDriver *driver, const std::function<void()> &command)
{
    ReportPreview *preview = driver->preview();
    Timer t;
    double painted = -1;
    auto connection = QObject::connect(preview->pages(), &PreviewPages::pagesPainted, preview, [&] {
        if (painted < 0) {
            painted = t.ms();
            QTimer::singleShot(0, preview, &QDialog::reject);
        }
    });
    command();
    QObject::disconnect(connection);
    return painted;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        bench::say("usage: bench_reports DIR [--reps N]");
        return 2;
    }
    const int reps = bench::option(args, QStringLiteral("--reps"), 3);
    ProgramDir::setPath(args[1]);

    QString error;
    std::unique_ptr<TForm1> form(TForm1::create(&error));
    if (!form) {
        bench::say("cannot open " + ProgramDir::file("Data.dat") + ": " + error);
        return 1;
    }
    createWindows(form.get());
    form->resize(1600, 1000);
    form->show();
    QCoreApplication::processEvents();
    form->BitBtn2Click(); // all staff, as "Personel Ara" lists them
    // The buttons' enabled states follow the lists once the event loop has gone idle.
    if (!QTest::qWaitFor(
            [&form] { return form->findChild<QPushButton *>(QStringLiteral("BitBtn6"))->isEnabled(); },
            2000)) {
        bench::say(QStringLiteral("\"Liste\" (BitBtn6) stays disabled after \"Personel Ara\""));
        return 1;
    }
    form->settings().preview = true;
    auto *driver = form->findChild<PrintDriver *>();
    SharedQueries *data = form->data();
    const int staff = data->QueryPersonel->recordCount();
    const int units = data->QueryOkul->recordCount();
    QTemporaryDir temp;
    QStringList lines;
    auto say = [&lines](const QString &line) {
        bench::say(line);
        lines << line;
    };

    // Preparing the staff list: the first run also gives the memory the pages hold.
    std::vector<double> prepares;
    double extraMb = 0;
    std::shared_ptr<const PreparedReport> list;
    for (int i = 0; i < reps; ++i) {
        list.reset();
        const double before = residentMb();
        Timer t;
        list = driver->prepare(driver->RPersonelListe);
        prepares.push_back(t.ms());
        if (i == 0)
            extraMb = residentMb() - before;
    }
    const double prepareMs = bench::median(prepares);
    say(QStringLiteral("RPersonelListe prepared for %1 staff: %2 pages, %3 ms, +%4 MB resident   "
                       "(targets <= 2000 ms, <= 150 MB: %5, %6)")
            .arg(staff)
            .arg(list->pageCount())
            .arg(fixed(prepareMs))
            .arg(fixed(extraMb, 1))
            .arg(verdict(prepareMs <= 2000), verdict(extraMb <= 150)));

    // "Liste" until the preview has painted its first page.
    std::vector<double> firsts;
    for (int i = 0; i < reps; ++i)
        firsts.push_back(firstPreviewPageMs(driver, [&form] {
            QTest::mouseClick(form->findChild<QPushButton *>(QStringLiteral("BitBtn6")),
                              Qt::LeftButton);
        }));
    const double firstMs = bench::median(firsts);
    say(QStringLiteral(
            "\"Liste\" until the preview's first page is painted: %1 ms   (target <= 500 ms: %2)")
            .arg(fixed(firstMs), verdict(firstMs >= 0 && firstMs <= 500)));

    // The whole list as PDF, beside the bare loop.
    std::vector<double> pdfs;
    std::vector<double> bares;
    for (int i = 0; i < reps; ++i) {
        Timer t;
        const PdfResult result = writePdf(*list, temp.filePath(QStringLiteral("list.pdf")));
        pdfs.push_back(t.ms());
        if (!result.written)
            say("PDF not written: " + result.error);
        bares.push_back(bareLoopMs(*list, temp.filePath(QStringLiteral("bare.pdf"))));
    }
    const double pdfMs = bench::median(pdfs);
    const double bareMs = bench::median(bares);
    say(QStringLiteral(
            "RPersonelListe as PDF (%1 pages, %2 MB): %3 ms   bare loop: %4 ms   ratio %5   "
            "(target <= 1.50: %6)")
            .arg(list->pageCount())
            .arg(fixed(QFile(temp.filePath(QStringLiteral("list.pdf"))).size() / 1048576.0, 1))
            .arg(fixed(pdfMs), fixed(bareMs), fixed(pdfMs / bareMs, 2),
                 verdict(pdfMs <= 1.5 * bareMs)));
    list.reset();

    // The unit list.
    std::vector<double> unitLists;
    std::shared_ptr<const PreparedReport> unitList;
    for (int i = 0; i < reps; ++i) {
        unitList.reset();
        Timer t;
        unitList = driver->prepare(driver->RKurum);
        unitLists.push_back(t.ms());
    }
    say(QStringLiteral("RKurum prepared for %1 units: %2 pages, %3 ms")
            .arg(units)
            .arg(unitList->pageCount())
            .arg(fixed(bench::median(unitLists))));

    bench::say(QString());
    for (const QString &line : lines)
        bench::say(line);
    return 0;
}

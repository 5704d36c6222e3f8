// Times "Listeyi Dışa Aktar" on a large Data.dat: all staff, read by the all-staff query and
// shown by a list grid as the browsers show them, written to .xlsx and .csv through the
// program's writers (SafeFile included). The reference is openpyxl's write-only mode writing
// the same rows (a bold caption row and the same column widths), timed inside Python after the
// rows are in its memory, in the same run. Also the identity-number lookups of the member form
// and of the audit window.
//
//   bench_export DIR [--reps N]
//
// It is a measurement, not a test: figures beyond their targets are marked MISSED.

#include "app/application.h"
#include "reports/listexportcommand.h"
#include "toolkit/tsrdbgrid.h"
#include "app/unitbrowser.h"
#include "benchsupport.h"
#include "data/identitynumber.h"
#include "data/programdir.h"
#include "data/sharedqueries.h"
#include "reports/export/listexport.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

namespace
{

using bench::Timer;

// openpyxl's write-only mode on the rows of a CSV file written by the program: the rows are
// read first, then the workbook is timed from its creation to its saving.
const char *const kOpenpyxl = R"(
import csv, sys, time, openpyxl
from openpyxl.cell import WriteOnlyCell
from openpyxl.styles import Font
from openpyxl.utils import get_column_letter
with open(sys.argv[1], encoding='utf-8-sig', newline='') as f:
    rows = list(csv.reader(f, delimiter=';'))
t = time.perf_counter()
wb = openpyxl.Workbook(write_only=True)
ws = wb.create_sheet('Liste')
for i, width in enumerate(sys.argv[3].split(',')):
    ws.column_dimensions[get_column_letter(i + 1)].width = float(width)
bold = Font(bold=True)
header = []
for text in rows[0]:
    cell = WriteOnlyCell(ws, value=text)
    cell.font = bold
    header.append(cell)
ws.append(header)
for row in rows[1:]:
    ws.append(row)
wb.save(sys.argv[2])
print((time.perf_counter() - t) * 1000)
)";

double openpyxlMs(const QString &csv, const QString &xlsx, int columns)
{
    QStringList widths;
    for (int c = 0; c < columns; ++c)
        widths << QStringLiteral("20");
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"), QString::fromUtf8(kOpenpyxl), csv, xlsx, widths.join(QLatin1Char(','))});
    if (!python.waitForFinished(-1) || python.exitCode() != 0) {
        bench::say(QStringLiteral("openpyxl failed: ") + QString::fromUtf8(python.readAllStandardError()));
        return -1;
    }
    return python.readAllStandardOutput().trimmed().toDouble();
}

double writeMs(const listexport::ShownList &list, const QString &path, listexport::Format format, int reps)
{
    std::vector<double> times;
    for (int i = 0; i < reps; ++i) {
        Timer t;
        const listexport::Outcome outcome = listexport::writeFile(list, path, format, QStringLiteral("Liste"));
        times.push_back(t.ms());
        if (!outcome.written) {
            bench::say(QStringLiteral("not written: ") + outcome.error);
            return -1;
        }
    }
    return bench::median(times);
}

QString megabytes(const QString &path)
{
    return QString::number(double(QFileInfo(path).size()) / 1048576.0, 'f', 1) + QStringLiteral(" MB");
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        bench::say("usage: bench_export DIR [--reps N]");
        return 2;
    }
    const int reps = bench::option(args, QStringLiteral("--reps"), 3);
    ProgramDir::setPath(args[1]);

    SharedQueries data;
    QString error;
    if (!data.connect(ProgramDir::file(QStringLiteral("Data.dat")), &error)) {
        bench::say("cannot open the database: " + error);
        return 1;
    }
    Dataset *staff = data.QueryPersonel;
    staff->open();
    const int rows = staff->recordCount();

    // The grid as the unit browser builds its staff grid: 23 columns, the factory choice of
    // five of them shown; then all 23; then the member browser's name column alone.
    TSrDBGrid grid;
    QList<GridColumn> columns;
    for (const QString &field : UnitBrowser::staffFields())
        columns.append({field, field.toUpper(), 100});
    grid.setDataset(staff, columns);
    const QList<int> factory = {0, 1, 3, 5, 6};

    QTemporaryDir temp;
    bench::Report report;
    struct Case {
        QString what;
        std::function<bool(int)> shown;
    };
    const QList<Case> cases = {
        {QStringLiteral("the member browser's list (1 column)"), [](int c) { return c == 0; }},
        {QStringLiteral("the staff grid's factory columns (5)"), [&](int c) { return factory.contains(c); }},
        {QStringLiteral("all 23 columns"), [](int) { return true; }},
    };
    for (const Case &c : cases) {
        for (int i = 0; i < columns.size(); ++i)
            grid.setColumnHidden(i, !c.shown(i));
        const std::unique_ptr<listexport::ShownList> list = listexportcommand::shownList(&grid);
        const QString xlsx = temp.filePath(QStringLiteral("liste.xlsx"));
        const QString csv = temp.filePath(QStringLiteral("liste.csv"));
        const double csvMs = writeMs(*list, csv, listexport::Format::Csv, reps);
        const double xlsxMs = writeMs(*list, xlsx, listexport::Format::Xlsx, reps);
        const double referenceMs =
            openpyxlMs(csv, temp.filePath(QStringLiteral("openpyxl.xlsx")), list->columnCount());
        report.limitBeside(QStringLiteral("%1 staff, %2, to .xlsx (%3)").arg(rows).arg(c.what, megabytes(xlsx)),
                           xlsxMs, referenceMs, 2000, QStringLiteral("openpyxl write-only"));
        report.limit(QStringLiteral("%1 staff, %2, to .csv (%3)").arg(rows).arg(c.what, megabytes(csv)), csvMs,
                     2000);
    }

    // The member form's lookup of a number's other holders, and the audit of the register.
    const QString number = staff->textAt(rows / 2, staff->fieldIndex(QStringLiteral("tc_kimlik")));
    std::vector<double> lookups;
    for (int i = 0; i < std::max(reps, 5); ++i) {
        Timer t;
        identitynumber::otherHolders(data.connection(), number, QVariant());
        lookups.push_back(t.ms());
    }
    report.limit(QStringLiteral("other holders of one identity number among %1 staff").arg(rows),
                 bench::median(lookups), 100);
    std::vector<double> audits;
    int findings = 0;
    for (int i = 0; i < reps; ++i) {
        Timer t;
        findings = int(identitynumber::audit(data.connection()).size());
        audits.push_back(t.ms());
    }
    report.limit(QStringLiteral("audit of %1 staff's identity numbers (%2 findings)").arg(rows).arg(findings),
                 bench::median(audits), 2000);

    bench::say(QString());
    report.print();
    return 0;
}

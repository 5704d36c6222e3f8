// Times the Excel import of a 5,000-row workbook (.xls and .xlsx) on the real import window
// over the main window of a large database: stage 1 (read and stage) and stage 3 (append to
// the units until the unit list is painted). The reference, measured in the same run, is the
// workbook reader alone reading the same cells.
//
//   bench_excel DIR WORKBOOKS [--reps N]
//
// DIR holds a demo database (it is copied, never changed); WORKBOOKS holds bench-5000.xls and
// bench-5000.xlsx (tests/fixtures/make_workbooks.py WORKBOOKS --rows 5000).
// It is a measurement, not a test: figures beyond their targets are marked MISSED.

#include "app/application.h"
#include "app/tform1.h"
#include "toolkit/tsrdbgrid.h"
#include "app/unitbrowser.h"
#include "app/windows.h"
#include "benchsupport.h"
#include "data/programdir.h"
#include "data/sharedqueries.h"
#include "maintenance/excelprotocol.h"
#include "maintenance/tfrmexcel.h"

#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>

namespace
{

using bench::Timer;

constexpr int kRows = 5000;

// The reader alone on the same cells, its output thrown away.
double readerMedian(const QString &reader, const QString &workbook, int reps)
{
    std::vector<double> times;
    for (int i = 0; i < reps; ++i) {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        Timer t;
        process.start(reader,
                      {workbook, "--rows", "2", QString::number(kRows + 1), "--columns", "1", "6"});
        process.waitForFinished(60000);
        times.push_back(t.ms());
    }
    return bench::median(times);
}

struct Figures {
    std::vector<double> stage1, normaliser, stage3;
};

Figures importTimes(TForm1 *form, const QString &workbook, int reps)
{
    Figures f;
    Database &db = form->data()->connection();
    const qlonglong lastUnit = db.scalar("SELECT max(SiraNo) FROM okul").toLongLong();
    TSrDBGrid *units = form->unitBrowser()->unitGrid();
    for (int i = 0; i < reps; ++i) {
        TFrmExcel window(form->data(), form);
        window.show();
        window.findChild<QLineEdit *>("Edit1")->setText("2");
        window.findChild<QLineEdit *>("Edit2")->setText(QString::number(kRows + 1));
        QCoreApplication::processEvents();

        Timer t1;
        if (!window.stageWorkbook(workbook) || window.staging()->recordCount() != kRows)
            qFatal("the workbook was not staged");
        window.repaint();
        f.stage1.push_back(t1.ms());

        Timer tn;
        window.Button3Click();
        window.repaint();
        f.normaliser.push_back(tn.ms());

        Timer t3;
        window.Button6Click();
        window.repaint();
        units->repaint();
        f.stage3.push_back(t3.ms());
        if (form->data()->QueryOkul->recordCount() < kRows)
            qFatal("the units did not arrive");

        window.close();
        // The next round starts from the same units.
        db.exec(QStringLiteral("DELETE FROM okul WHERE SiraNo > %1").arg(lastUnit));
        form->data()->QueryOkul->requery();
    }
    return f;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        bench::say("usage: bench_excel DIR WORKBOOKS [--reps N]");
        return 2;
    }
    const int reps = bench::option(args, QStringLiteral("--reps"), 3);
    const QString reader = QCoreApplication::applicationDirPath() + "/" + xlsread::kProgramName;

    // A program folder of its own: a copy of the database, the reader beside it.
    QTemporaryDir folder;
    if (!QFile::copy(args[1] + "/Data.dat", folder.filePath("Data.dat")) ||
        !QFile::link(reader, folder.filePath(xlsread::kProgramName))) {
        bench::say("cannot prepare a program folder from " + args[1]);
        return 1;
    }
    ProgramDir::setPath(folder.path());
    QString error;
    std::unique_ptr<TForm1> form(TForm1::create(&error));
    if (!form) {
        bench::say("cannot open the database: " + error);
        return 1;
    }
    createWindows(form.get());
    form->resize(1600, 1000);
    form->show();
    bench::AnswerModals anyQuestion(QStringLiteral("Hayır"));
    form->BitBtn1Click();
    QCoreApplication::processEvents();
    TFrmExcel::setPassPause(0);

    bench::Report report;
    for (const char *kind : {"xls", "xlsx"}) {
        const QString workbook = QStringLiteral("%1/bench-%2.%3").arg(args[2]).arg(kRows).arg(kind);
        if (!QFile::exists(workbook)) {
            bench::say("missing " + workbook);
            return 1;
        }
        const double alone = readerMedian(reader, workbook, reps);
        const Figures f = importTimes(form.get(), workbook, reps);
        const double stage1 = bench::median(f.stage1);
        const double stage3 = bench::median(f.stage3);
        bench::say(QStringLiteral(
                       ".%1, %2 rows: reader alone %3 ms; stage 1 %4 ms (ratio %5 to the reader); "
                       "normaliser without its pauses %6 ms; stage 3 %7 ms")
                       .arg(kind)
                       .arg(kRows)
                       .arg(alone, 0, 'f', 0)
                       .arg(stage1, 0, 'f', 0)
                       .arg(stage1 / alone, 0, 'f', 2)
                       .arg(bench::median(f.normaliser), 0, 'f', 0)
                       .arg(stage3, 0, 'f', 0));
        report.limit(
            QStringLiteral("import of a %1-row .%2, stage 1 + stage 3").arg(kRows).arg(kind),
            stage1 + stage3, 2000);
    }
    report.print();
    form->hide();
    return 0;
}

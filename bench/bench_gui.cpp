// Times the two browsers with their real widgets on a large Data.dat: what the user waits
// for after a command, a keystroke or a title click, until the grid has painted the result.
// Commands that read rows stand beside the sqlcipher shell selecting the same rows, the two
// taking turns in the same run (each going first in every other round); keystrokes are counted
// by their percentiles.
//
//   bench_gui DIR [--reps N] [--one-unit DIR2]
//
// DIR holds a demo database whose first unit is large (meltora-db demo --big-unit 2000);
// DIR2, when given, one whose first unit holds every staff row (--big-unit equal to
// --staff), for a title-click sort over a 100,000-row grid.
// It is a measurement, not a test: figures beyond their targets are marked MISSED.

#include "app/application.h"
#include "toolkit/idlerefresh.h"
#include "app/tform1.h"
#include "toolkit/tsrdbgrid.h"
#include "app/windows.h"
#include "benchsupport.h"
#include "data/backgroundopen.h"
#include "data/programdir.h"
#include "data/sharedqueries.h"
#include "data/turkish.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

using bench::Timer;

// Keystrokes counted per search box: enough for a 95th percentile that one hiccup of a busy
// machine does not decide.
constexpr int kKeystrokes = 200;

void settle(QWidget *shown)
{
    QCoreApplication::processEvents();
    // The event loop runs the idle-time refresh whenever it runs out of events.
    if (auto *form = qobject_cast<TForm1 *>(shown->window()))
        form->idleRefresh()->run();
    shown->repaint(); // the user sees the result only once it is painted
}

template <typename T>
T *child(QWidget *form, const char *name)
{
    auto *w = form->findChild<T *>(QLatin1String(name));
    if (!w)
        qFatal("no control named %s", name);
    return w;
}

// Types text into a box key by key and returns the time of each keystroke until the grid
// has painted.
std::vector<double> typeTimed(QLineEdit *edit, const QString &text, QWidget *grid)
{
    std::vector<double> times;
    for (QChar ch : text) {
        Timer t;
        QTest::sendKeyEvent(QTest::Press, edit, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, edit, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        settle(grid);
        times.push_back(t.ms());
    }
    return times;
}

// What a user would type to find existing records: the beginnings of names spread over the
// list, in lower case, as many as make up `keystrokes`.
QStringList typedNames(Dataset *query, const char *field, int length, int keystrokes)
{
    const int field_ = query->fieldIndex(QLatin1String(field));
    const int count = std::max(1, keystrokes / length + 1);
    QStringList names;
    for (int i = 0; i < count; ++i) {
        const int row = int(qlonglong(query->recordCount() - 1) * i / std::max(1, count - 1));
        names << turkish::fold(query->textAt(row, field_).left(length));
    }
    return names;
}

// Types each name into an emptied box; the times of all keystrokes.
std::vector<double> typeNames(QLineEdit *edit, const QStringList &names, QWidget *grid)
{
    std::vector<double> times;
    for (const QString &name : names) {
        edit->clear();
        settle(grid);
        const std::vector<double> t = typeTimed(edit, name, grid);
        times.insert(times.end(), t.begin(), t.end());
        // A keystroke that did not reach the box would time nothing.
        if (turkish::fold(edit->text()) != name)
            bench::say(QStringLiteral("(%1 shows \"%2\" after typing \"%3\")").arg(edit->objectName(), edit->text(), name));
    }
    edit->clear();
    settle(grid);
    return times;
}

void clickTitle(TSrDBGrid *grid, int column)
{
    QHeaderView *header = grid->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
}

// The reference and the measurement take turns, each going first in every other round: what
// runs just before a measurement (the shell reading 40 MB) weighs on it.
void inTurns(int round, const std::function<void()> &reference, const std::function<void()> &measured)
{
    if (round % 2 == 0) {
        reference();
        measured();
    } else {
        measured();
        reference();
    }
}

// The main window on the database of `dir`, shown, with its staff list there.
std::unique_ptr<TForm1> startOn(const QString &dir)
{
    ProgramDir::setPath(dir);
    QString error;
    std::unique_ptr<TForm1> form(TForm1::create(&error));
    if (!form)
        qFatal("cannot open %s: %s", qPrintable(ProgramDir::file("Data.dat")), qPrintable(error));
    createWindows(form.get());
    form->resize(1600, 1000);
    form->show();
    settle(form.get());
    form->waitForStaffList();
    return form;
}

void closeForm(std::unique_ptr<TForm1> &form)
{
    bench::AnswerModals yes(QStringLiteral("Evet"));
    form->close();
    form.reset();
}

// The unit browser on the unit with the most staff; its staff count.
int showLargestUnit(TForm1 *form)
{
    {
        bench::AnswerModals no(QStringLiteral("Hayır"));
        QTest::mouseClick(child<QPushButton>(form, "BitBtn1"), Qt::LeftButton);
    }
    SharedQueries *data = form->data();
    const QString name = data->connection()
                             .scalar(QStringLiteral("SELECT okul_adi FROM okul WHERE SiraNo = (SELECT SiraNo FROM "
                                                    "uyeler GROUP BY SiraNo ORDER BY count(*) DESC LIMIT 1)"))
                             .toString();
    data->QueryOkul->locate(QStringLiteral("okul_adi"), name);
    settle(child<TSrDBGrid>(form, "SrDBGrid1"));
    return data->Query_Uye->recordCount();
}

// A title click on SrDBGrid1 until painted, beside the shell ordering the same rows.
void timeTitleSort(TForm1 *form, int reps, bench::Report &report)
{
    SharedQueries *data = form->data();
    auto *grid1 = child<TSrDBGrid>(form, "SrDBGrid1");
    const QString database = ProgramDir::file("Data.dat");
    const QString shellSql = QStringLiteral("SELECT * FROM uyeler WHERE SiraNo = %1 ORDER BY unvani COLLATE NOCASE;")
                                 .arg(data->QueryOkul->value(QStringLiteral("SiraNo")).toLongLong());
    std::vector<double> sorts, shell;
    for (int i = 0; i < reps; ++i)
        inTurns(i, [&] { shell.push_back(bench::shellRun(database, shellSql)); }, [&] {
            Timer t;
            clickTitle(grid1, 3); // " KADRO ÜNVANI "
            settle(grid1);
            sorts.push_back(t.ms());
        });
    report.limitBeside(QStringLiteral("title-click sort on SrDBGrid1 (%1 staff)").arg(data->Query_Uye->recordCount()),
                       bench::median(sorts), bench::median(shell), 200, QStringLiteral("shell ORDER BY"));
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        bench::say("usage: bench_gui DIR [--reps N] [--one-unit DIR2]");
        return 2;
    }
    const int reps = bench::option(args, QStringLiteral("--reps"), 7);
    const QString oneUnit = bench::option(args, QStringLiteral("--one-unit"));
    std::unique_ptr<TForm1> form = startOn(args[1]);
    const QString database = ProgramDir::file("Data.dat");
    SharedQueries *data = form->data();
    bench::Report report;
    bench::AnswerModals anyMessage(QStringLiteral("TAMAM"));

    // "Personel Ara": the first after the start takes the rows read at start; every later
    // one reads all staff again, and stands beside the shell selecting them.
    auto *grid3 = child<TSrDBGrid>(form.get(), "SrDBGrid3");
    auto *bitBtn2 = child<QPushButton>(form.get(), "BitBtn2");
    {
        Timer t;
        QTest::mouseClick(bitBtn2, Qt::LeftButton);
        settle(grid3);
        report.limit(QStringLiteral("first \"Personel Ara\" after the start until shown (the rows read at start)"),
                     t.ms(), 100);
    }
    std::vector<double> shows, shellAll;
    for (int i = 0; i < reps; ++i)
        inTurns(i, [&] {
            shellAll.push_back(bench::shellRun(database, QStringLiteral("SELECT * FROM uyeler ORDER BY adi COLLATE NOCASE;")));
        }, [&] {
            Timer t;
            QTest::mouseClick(bitBtn2, Qt::LeftButton);
            settle(grid3);
            shows.push_back(t.ms());
        });
    report.ratio(QStringLiteral("\"Personel Ara\" until its %1 rows are shown").arg(data->QueryPersonel->recordCount()),
                 bench::median(shows), bench::median(shellAll), 0.5, QStringLiteral("shell selecting them"));

    // Name search: one keystroke until the located row is painted.
    auto *edit3 = child<QLineEdit>(form.get(), "Edit3");
    report.percentiles(QStringLiteral("keystroke in Edit3 (name search, %1 staff)").arg(data->QueryPersonel->recordCount()),
                       typeNames(edit3, typedNames(data->QueryPersonel, "Birlestir", 9, kKeystrokes), grid3), 16);

    // Union filter: pick a union in CbAra.
    auto *cbAra = child<QComboBox>(form.get(), "CbAra");
    const int unionIndex = cbAra->findText(QStringLiteral("EĞİTİM BİR SEN"));
    std::vector<double> filters, shellUnion;
    for (int i = 0; i < reps; ++i)
        inTurns(i, [&] {
            shellUnion.push_back(
                bench::shellRun(database, QStringLiteral("SELECT * FROM uyeler WHERE sendikasi LIKE 'EĞİTİM BİR SEN';")));
        }, [&] {
            for (int index : {unionIndex, 0}) {
                Timer t;
                cbAra->setCurrentIndex(index);
                Q_EMIT cbAra->activated(index);
                settle(grid3);
                if (index == unionIndex)
                    filters.push_back(t.ms());
            }
        });
    report.ratio("union filter pick in CbAra", bench::median(filters), bench::median(shellUnion), 1.0);

    // Page Down through the whole staff list.
    grid3->setFocus();
    data->QueryPersonel->first();
    settle(grid3);
    std::vector<double> pages;
    Timer whole;
    while (data->QueryPersonel->recNo() < data->QueryPersonel->recordCount()) {
        Timer t;
        QTest::keyClick(grid3, Qt::Key_PageDown);
        settle(grid3);
        pages.push_back(t.ms());
    }
    bench::say(QStringLiteral("Page Down through %1 staff: %2 pages in %3 ms")
                   .arg(data->QueryPersonel->recordCount())
                   .arg(pages.size())
                   .arg(whole.ms(), 0, 'f', 0));
    report.percentiles("one Page Down in SrDBGrid3", pages, 16);

    // The unit browser: its unit search, then the large unit's staff search and title sort.
    const int biggest = showLargestUnit(form.get());
    auto *grid2 = child<TSrDBGrid>(form.get(), "SrDBGrid2");
    auto *grid1 = child<TSrDBGrid>(form.get(), "SrDBGrid1");
    auto *edit2 = child<QLineEdit>(form.get(), "Edit2");
    report.percentiles(QStringLiteral("keystroke in Edit2 (staff search in a unit of %1, %2 staff)")
                           .arg(biggest)
                           .arg(data->QueryPersonel->recordCount()),
                       typeNames(edit2, typedNames(data->Query_Uye, "Birlestir", 8, kKeystrokes), grid1), 16);
    timeTitleSort(form.get(), reps, report);
    auto *edit1 = child<QLineEdit>(form.get(), "Edit1");
    report.percentiles(QStringLiteral("keystroke in Edit1 (unit search, %1 units)").arg(data->QueryOkul->recordCount()),
                       typeNames(edit1, typedNames(data->QueryOkul, "okul_adi", 12, kKeystrokes), grid2), 16);
    closeForm(form);

    // A title click over 100,000 rows: a unit that holds every staff row.
    if (!oneUnit.isEmpty()) {
        form = startOn(oneUnit);
        showLargestUnit(form.get());
        timeTitleSort(form.get(), reps, report);
        closeForm(form);
    }

    report.print();
    return 0;
}

// Times the two browsers with their real widgets on a large Data.dat: what the user waits
// for after a command, a keystroke or a title click, until the grid has painted the result.
// The union filter stands beside the sqlcipher shell selecting the same rows in the same run.
//
//   bench_gui DIR [--reps N]
//
// DIR holds a demo database whose first unit is large (meltora-db demo --big-unit 2000).
// It is a measurement, not a test: figures beyond their targets are marked MISSED.

#include "app/application.h"
#include "app/tform1.h"
#include "app/tsrdbgrid.h"
#include "app/windows.h"
#include "benchsupport.h"
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

void settle(QWidget *shown)
{
    QCoreApplication::processEvents();
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

// What a user would type to find three existing records: the beginnings of the first,
// middle and last names of the list, in lower case.
QStringList typedNames(Dataset *query, const char *field, int length)
{
    QStringList names;
    for (int row : {0, query->recordCount() / 2, query->recordCount() - 1})
        names << turkish::fold(query->textAt(row, query->fieldIndex(QLatin1String(field))).left(length));
    return names;
}

void clickTitle(TSrDBGrid *grid, int column)
{
    QHeaderView *header = grid->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        bench::say("usage: bench_gui DIR [--reps N]");
        return 2;
    }
    const QString dir = args[1];
    const int reps = args.indexOf("--reps") > 0 ? args[args.indexOf("--reps") + 1].toInt() : 5;
    ProgramDir::setPath(dir);
    const QString database = ProgramDir::file("Data.dat");

    QString error;
    Timer startTimer;
    std::unique_ptr<TForm1> form(TForm1::create(&error));
    if (!form) {
        bench::say("cannot open " + database + ": " + error);
        return 1;
    }
    createWindows(form.get());
    form->resize(1600, 1000);
    form->show();
    settle(form.get());
    bench::say(QStringLiteral("start-up until the main window is painted: %1 ms").arg(startTimer.ms(), 0, 'f', 0));

    SharedQueries *data = form->data();
    bench::Report report;
    bench::AnswerModals anyMessage(QStringLiteral("TAMAM"));

    // "Personel Ara": all staff reopened and shown.
    auto *grid3 = child<TSrDBGrid>(form.get(), "SrDBGrid3");
    std::vector<double> shows;
    for (int i = 0; i < reps; ++i) {
        Timer t;
        QTest::mouseClick(child<QPushButton>(form.get(), "BitBtn2"), Qt::LeftButton);
        settle(grid3);
        shows.push_back(t.ms());
    }
    const double shellAll = bench::shellMedian(database, "SELECT * FROM uyeler ORDER BY adi COLLATE NOCASE;", reps);
    report.ratio("\"Personel Ara\" until the list is shown", bench::median(shows), shellAll, 1.0);

    // Name search: one keystroke until the located row is painted.
    auto *edit3 = child<QLineEdit>(form.get(), "Edit3");
    std::vector<double> keys3;
    for (const QString &name : {QStringLiteral("mehmet öz"), QStringLiteral("zeynep ka"), QStringLiteral("ışıl ay"),
                                QStringLiteral("çiğdem yı")}) {
        edit3->clear();
        settle(grid3);
        auto times = typeTimed(edit3, name, grid3);
        keys3.insert(keys3.end(), times.begin(), times.end());
    }
    report.percentiles("keystroke in Edit3 (name search, 100,000 staff)", keys3, 16);

    // Union filter: pick a union in CbAra.
    auto *cbAra = child<QComboBox>(form.get(), "CbAra");
    const int unionIndex = cbAra->findText(QStringLiteral("EĞİTİM BİR SEN"));
    std::vector<double> filters;
    for (int i = 0; i < reps; ++i) {
        for (int index : {unionIndex, 0}) {
            Timer t;
            cbAra->setCurrentIndex(index);
            Q_EMIT cbAra->activated(index);
            settle(grid3);
            if (index == unionIndex)
                filters.push_back(t.ms());
        }
    }
    const double shellUnion = bench::shellMedian(
        database, "SELECT * FROM uyeler WHERE sendikasi LIKE 'EĞİTİM BİR SEN';", reps);
    report.ratio("union filter pick in CbAra", bench::median(filters), shellUnion, 1.0);

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

    // The unit browser.
    {
        bench::AnswerModals yes(QStringLiteral("Hayır"));
        QTest::mouseClick(child<QPushButton>(form.get(), "BitBtn1"), Qt::LeftButton);
    }
    auto *grid2 = child<TSrDBGrid>(form.get(), "SrDBGrid2");
    auto *grid1 = child<TSrDBGrid>(form.get(), "SrDBGrid1");
    auto *edit1 = child<QLineEdit>(form.get(), "Edit1");
    std::vector<double> keys1;
    for (const QString &name : typedNames(data->QueryOkul, "okul_adi", 12)) {
        edit1->clear();
        settle(grid2);
        auto times = typeTimed(edit1, name, grid2);
        keys1.insert(keys1.end(), times.begin(), times.end());
    }
    edit1->clear();
    report.percentiles("keystroke in Edit1 (unit search, 5,000 units)", keys1, 16);

    // The large unit: its staff search and a title sort over its 2,000 rows.
    data->QueryOkul->first();
    QVariant bigUnit;
    int biggest = 0;
    for (data->QueryOkul->first(); !data->QueryOkul->eof(); data->QueryOkul->next()) {
        const int count = data->Query_Uye->recordCount();
        if (count > biggest) {
            biggest = count;
            bigUnit = data->QueryOkul->value("SiraNo");
        }
    }
    data->QueryOkul->first();
    while (data->QueryOkul->value("SiraNo") != bigUnit)
        data->QueryOkul->next();
    settle(grid1);

    auto *edit2 = child<QLineEdit>(form.get(), "Edit2");
    std::vector<double> keys2;
    for (const QString &name : typedNames(data->Query_Uye, "Birlestir", 8)) {
        edit2->clear();
        settle(grid1);
        auto times = typeTimed(edit2, name, grid1);
        keys2.insert(keys2.end(), times.begin(), times.end());
    }
    edit2->clear();
    settle(grid1);
    report.percentiles(QStringLiteral("keystroke in Edit2 (staff search in a unit of %1, 100,000 staff)").arg(biggest),
                       keys2, 16);

    std::vector<double> sorts;
    for (int i = 0; i < reps; ++i) {
        Timer t;
        clickTitle(grid1, 3); // " KADRO ÜNVANI "
        settle(grid1);
        sorts.push_back(t.ms());
    }
    report.limit(QStringLiteral("title-click sort on SrDBGrid1 (%1 staff)").arg(data->Query_Uye->recordCount()),
                 bench::median(sorts), 200);

    report.print();
    {
        bench::AnswerModals yes(QStringLiteral("Evet"));
        form->close();
    }
    return 0;
}

// Times the data layer on a large Data.dat: opening the shared queries in a process that
// already runs (where the time goes; the start-up the user waits for is bench_startup's),
// locate, sort and a filtered reopen of the staff list, and the memory the open queries hold.
// Each figure stands beside the sqlcipher shell doing the same reading in the same run, so
// that a slow disk or a busy machine shows in both and the ratio stays meaningful.
//
//   bench_data DIR|Data.dat [--reps N] [--shell PATH]
//
// It is a measurement, not a test: the exit status is 0 whenever the measuring itself worked,
// and a figure beyond its target is marked MISSED in the output.

#include "benchsupport.h"
#include "data/dberror.h"
#include "data/schema.h"
#include "data/sharedqueries.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

void say(const QString &line)
{
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

double msSince(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> v)
{
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double maximum(const std::vector<double> &v)
{
    return v.empty() ? -1 : *std::max_element(v.begin(), v.end());
}

// Small times need decimals to be told apart; large ones do not.
QString ms(double v)
{
    if (v < 0)
        return QStringLiteral("n/a");
    const int decimals = v < 10 ? 2 : v < 100 ? 1 : 0;
    return QString::number(v, 'f', decimals) + QStringLiteral(" ms");
}

QString ratioText(double value, double reference)
{
    if (value < 0 || reference <= 0)
        return QStringLiteral("n/a");
    return QString::number(value / reference, 'f', 2);
}

// Resident and peak memory in kB, as the kernel accounts them for this process.
long statusKb(const char *field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLong();
    return -1;
}

// Other work on the machine shows in every figure; the load average tells the reader how much.
QString loadAverage()
{
    QFile f(QStringLiteral("/proc/loadavg"));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return QStringLiteral("n/a");
    return QString::fromLatin1(f.readAll()).section(QLatin1Char(' '), 0, 2);
}

QString mb(long kb)
{
    return kb < 0 ? QStringLiteral("n/a") : QString::number(double(kb) / 1024, 'f', 1) + QStringLiteral(" MB");
}

QByteArray shellQuoted(const QString &text)
{
    QByteArray s = QFile::encodeName(text);
    s.replace('\'', "'\\''");
    return '\'' + s + '\'';
}

// The sqlcipher command-line shell as the reference reader. It knows nothing of our TR
// collation, so every comparison or order on a text column names NOCASE, the nearest
// collation it has.
//
// The child is started with std::system, not QProcess: in our runs, after one QProcess start
// (Qt 6.4, Linux) this process stayed measurably slower, key derivation taking about twice as
// long, which would have been counted against our own figures.
class Shell
{
public:
    Shell(const QString &program, const QString &database) : m_database(database)
    {
        m_program = QFileInfo(program).isExecutable() ? program : QStandardPaths::findExecutable(program);
    }
    bool available() const { return !m_program.isEmpty(); }

    // Wall time of the whole child, start-up and key derivation included; -1 on failure.
    double run(const QString &statements, QByteArray *output = nullptr)
    {
        if (!available())
            return -1;
        QTemporaryFile script, out, err;
        if (!script.open() || !out.open() || !err.open())
            return -1;
        QByteArray text;
        if (!output)
            text += ".output /dev/null\n";
        text += QByteArray("PRAGMA key = '") + schema::kKey + "';\n"
                "PRAGMA cipher_page_size = 4096;\n" + statements.toUtf8() + "\n";
        script.write(text);
        script.close();
        const QByteArray command = shellQuoted(m_program) + " -bail -batch -init /dev/null " +
                                   shellQuoted(m_database) + " <" + shellQuoted(script.fileName()) +
                                   " >" + (output ? shellQuoted(out.fileName()) : QByteArray("/dev/null")) +
                                   " 2>" + shellQuoted(err.fileName());
        QElapsedTimer timer;
        timer.start();
        const int status = std::system(command.constData());
        const double elapsed = msSince(timer);
        const QByteArray errors = err.readAll().trimmed();
        if (status != 0 || !errors.isEmpty()) {
            const QString error = errors.isEmpty() ? QStringLiteral("exit status %1").arg(status)
                                                   : QString::fromUtf8(errors);
            // A reference that failed reads n/a; why it failed is said once.
            if (error != m_lastError)
                std::fprintf(stderr, "bench_data: the shell failed: %s\n", qPrintable(error));
            m_lastError = error;
            return -1;
        }
        if (output)
            *output = out.readAll();
        return elapsed;
    }
private:
    QString m_program;
    QString m_database;
    QString m_lastError;
};

// One row of the closing table.
struct Figure {
    QString name;
    QString value;
    QString reference;
    QString ratio;
    QString target;
    QString status; // "ok", "MISSED" or "info"
};

std::vector<Figure> g_figures;

QString verdict(bool met)
{
    return met ? QStringLiteral("ok") : QStringLiteral("MISSED");
}

void report(const Figure &f, const QString &line)
{
    g_figures.push_back(f);
    say(line + (f.status == QLatin1String("MISSED") ? QStringLiteral("   MISSED") : QString()));
}

struct OpenTiming {
    double total = 0;
    double connect = 0;
    QHash<QString, double> perQuery; // time from the end of the previous step
};

// Start-up as the main window does it: a fresh connection, then the seven queries.
OpenTiming timeStartup(const QString &databasePath, std::unique_ptr<SharedQueries> *keep)
{
    OpenTiming t;
    auto shared = std::make_unique<SharedQueries>();
    QElapsedTimer timer;
    double last = 0;
    for (Dataset *q : shared->all())
        QObject::connect(q, &Dataset::afterOpen, [&t, &timer, &last](Dataset *d) {
            const double now = msSince(timer);
            t.perQuery[d->name()] = now - last;
            last = now;
        });
    timer.start();
    QString error;
    if (!shared->connect(databasePath, &error))
        throw DbError(QStringLiteral("cannot open %1: %2").arg(databasePath, error));
    t.connect = last = msSince(timer);
    shared->openAll();
    t.total = msSince(timer);
    for (Dataset *q : shared->all())
        QObject::disconnect(q, &Dataset::afterOpen, nullptr, nullptr);
    if (keep)
        *keep = std::move(shared);
    return t;
}

int usage()
{
    std::fputs("usage: bench_data DIR|Data.dat [--reps N] [--shell PATH]\n", stderr);
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    const long rssAtStart = statusKb("VmRSS");
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usage();
    QString databasePath = args.takeFirst();
    if (QFileInfo(databasePath).isDir())
        databasePath = QDir(databasePath).filePath(QString::fromLatin1(schema::kDatabaseFile));
    int reps = 5;
    QString shellProgram = QStringLiteral("sqlcipher");
    for (int i = 0; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--reps"))
            reps = std::max(1, args[i + 1].toInt());
        else if (args[i] == QLatin1String("--shell"))
            shellProgram = args[i + 1];
        else
            return usage();
    }
    if (args.size() % 2)
        return usage();
    if (!QFileInfo::exists(databasePath)) {
        std::fprintf(stderr, "bench_data: %s not found\n", qPrintable(databasePath));
        return 2;
    }
    Shell shell(shellProgram, databasePath);

    try {
        say(QStringLiteral("database: %1 (%2 MB)")
                .arg(databasePath)
                .arg(double(QFileInfo(databasePath).size()) / (1024 * 1024), 0, 'f', 1));
        say(QStringLiteral("median of %1 repetitions; load average %2; reference: %3 (text columns ordered "
                           "and compared COLLATE NOCASE, the nearest built-in to our TR collation)")
                .arg(reps)
                .arg(loadAverage())
                .arg(shell.available() ? shellProgram : QStringLiteral("not found, references n/a")));

        // ---------------------------------------------------------------- memory, first open
        // The first start-up of the process is the one whose memory the user sees; later
        // ones reuse heap the allocator kept, so memory is read here and only here.
        std::unique_ptr<SharedQueries> shared;
        const long rssBefore = statusKb("VmRSS");
        timeStartup(databasePath, &shared);
        const long rssOpen = statusKb("VmRSS");
        const int staffCount = shared->QueryPersonel->recordCount();
        const qlonglong firstUnit = shared->QueryOkul->value(QStringLiteral("SiraNo")).toLongLong();
        QStringList shellStartup;
        for (Dataset *q : shared->all())
            shellStartup << bench::shellForm(q->sql(), firstUnit);
        say(QStringLiteral("%1 units, %2 staff; first unit SiraNo %3 with %4 staff")
                .arg(shared->QueryOkul->recordCount())
                .arg(staffCount)
                .arg(firstUnit)
                .arg(shared->Query_Uye->recordCount()));
        shared.reset();

        // The shell's own start: process, key derivation, schema. Not a figure, but it tells
        // how much of every reference below is fixed cost.
        std::vector<double> shellBase;
        for (int i = 0; i < reps; ++i)
            shellBase.push_back(shell.run(QStringLiteral("SELECT count(*) FROM sqlite_master;")));
        say(QStringLiteral("  (shell start-up with key derivation alone: %1)").arg(ms(median(shellBase))));
        say(QString());

        // ---------------------------------------------------------------- 1. start-up
        std::vector<double> ours, theirs, connects;
        QHash<QString, std::vector<double>> parts;
        for (int i = 0; i < reps; ++i) {
            OpenTiming t = timeStartup(databasePath, nullptr);
            ours.push_back(t.total);
            connects.push_back(t.connect);
            for (auto it = t.perQuery.cbegin(); it != t.perQuery.cend(); ++it)
                parts[it.key()].push_back(it.value());
            theirs.push_back(shell.run(shellStartup.join(QLatin1Char('\n'))));
        }
        {
            // Not what the user waits for at start (a fresh process, its first opening, the
            // window: bench_startup measures that); it tells where the data layer's time goes.
            const double a = median(ours), b = median(theirs);
            report({QStringLiteral("open seven queries again, in a running process"), ms(a), ms(b), ratioText(a, b),
                    QString(), QStringLiteral("info")},
                   QStringLiteral("open seven queries again, in a running process: %1   shell: %2   ratio %3   "
                                  "(start-up as the user waits for it: bench_startup)")
                       .arg(ms(a), ms(b), ratioText(a, b)));
            QStringList detail{QStringLiteral("connect+key %1").arg(ms(median(connects)))};
            for (const QString &name : {QStringLiteral("QueryOkul"), QStringLiteral("Query_Uye"),
                                        QStringLiteral("QuerySabit"), QStringLiteral("QueryPersonel"),
                                        QStringLiteral("QYetkili"), QStringLiteral("QSendika"),
                                        QStringLiteral("ADOQuery1")})
                detail << QStringLiteral("%1 %2").arg(name, ms(median(parts.value(name))));
            say(QStringLiteral("  (ours, medians: %1)").arg(detail.join(QStringLiteral(", "))));
            say(QStringLiteral("  (shell statements: %1)").arg(shellStartup.join(QLatin1Char(' '))));
        }

        // The queries the remaining figures work on, open as after start-up.
        timeStartup(databasePath, &shared);
        Dataset *staff = shared->QueryPersonel;

        // ---------------------------------------------------------------- 2. locate
        {
            const QStringList prefixes{QStringLiteral("MEH"), QStringLiteral("ZEY"), QStringLiteral("ÖZ"),
                                       QStringLiteral("İS"),  QStringLiteral("ışı"), QStringLiteral("XQZW")};
            QElapsedTimer timer;
            timer.start();
            const bool firstFound = staff->locate(QStringLiteral("Birlestir"), prefixes[0]);
            const double firstLocate = msSince(timer);
            // Each prefix counts with its median, like every other figure; the single slowest
            // run is shown too, but one preemption on a busy machine should not decide.
            std::vector<double> medians, all;
            QStringList detail;
            for (const QString &prefix : prefixes) {
                std::vector<double> times;
                bool found = false;
                for (int i = 0; i < reps; ++i) {
                    staff->first();
                    timer.start();
                    found = staff->locate(QStringLiteral("Birlestir"), prefix);
                    times.push_back(msSince(timer));
                }
                medians.push_back(median(times));
                all.insert(all.end(), times.begin(), times.end());
                detail << QStringLiteral("\"%1\" %2%3")
                              .arg(prefix, ms(medians.back()),
                                   found ? QStringLiteral(" at row %1").arg(staff->recNo())
                                         : QStringLiteral(" not found"));
            }
            report({QStringLiteral("first locate (builds cache)"), ms(firstLocate), QString(), QString(),
                    QString(), QStringLiteral("info")},
                   QStringLiteral("first locate on Birlestir (builds folded cache): %1%2")
                       .arg(ms(firstLocate), firstFound ? QString() : QStringLiteral(" (not found)")));
            const double med = median(medians), worst = maximum(medians);
            report({QStringLiteral("locate by name prefix"), QStringLiteral("med %1, max %2").arg(ms(med), ms(worst)),
                    QString(), QString(), QStringLiteral("max <= 5 ms"), verdict(worst <= 5.0)},
                   QStringLiteral("locate by name prefix: median %1   max %2   (target <= 5 ms)").arg(ms(med), ms(worst)));
            detail << QStringLiteral("slowest single run %1").arg(ms(maximum(all)));
            say(QStringLiteral("  (%1)").arg(detail.join(QStringLiteral(", "))));
        }

        // ---------------------------------------------------------------- 3. sort
        {
            struct SortCase {
                QString sortText;
                QString shellOrder;
            };
            const std::vector<SortCase> cases{
                {QStringLiteral("soyadi ASC"), QStringLiteral("soyadi COLLATE NOCASE")},
                {QStringLiteral("soyadi DESC"), QStringLiteral("soyadi COLLATE NOCASE DESC")},
                {QStringLiteral("Birlestir ASC"), QStringLiteral("Birlestir COLLATE NOCASE")},
            };
            for (const SortCase &c : cases) {
                std::vector<double> sortTimes, shellTimes;
                QString firstValue;
                for (int i = 0; i < reps; ++i) {
                    // Back to statement order first, so that every sort starts from the same rows.
                    staff->setSort(QString());
                    QElapsedTimer timer;
                    timer.start();
                    staff->setSort(c.sortText);
                    sortTimes.push_back(msSince(timer));
                    firstValue = staff->textAt(0, staff->fieldIndex(c.sortText.section(QLatin1Char(' '), 0, 0)));
                    shellTimes.push_back(
                        shell.run(QStringLiteral("SELECT * FROM uyeler ORDER BY %1;").arg(c.shellOrder)));
                }
                const double a = median(sortTimes), b = median(shellTimes);
                report({QStringLiteral("sort %1").arg(c.sortText), ms(a), ms(b), ratioText(a, b),
                        QStringLiteral("<= 200 ms"), verdict(a <= 200.0)},
                       QStringLiteral("sort %1: %2   shell ORDER BY %3: %4   ratio %5   (target <= 200 ms)")
                           .arg(c.sortText, ms(a), c.shellOrder, ms(b), ratioText(a, b)));
                say(QStringLiteral("  (first row after the sort: %1)").arg(firstValue));
            }
            staff->setSort(QString());
        }

        // ---------------------------------------------------------------- 4. union filter
        {
            const QString unionName = QStringLiteral("EĞİTİM BİR SEN");
            const QString shellSql =
                QStringLiteral("SELECT * FROM uyeler WHERE sendikasi = '%1' COLLATE NOCASE;").arg(unionName);
            std::vector<double> ours4, theirs4;
            for (int i = 0; i < reps; ++i) {
                QElapsedTimer timer;
                timer.start();
                staff->close();
                staff->setSql(QStringLiteral("SELECT * FROM uyeler WHERE sendikasi Like :s"));
                staff->setParam(QStringLiteral("s"), unionName);
                staff->open();
                staff->first();
                ours4.push_back(msSince(timer));
                theirs4.push_back(shell.run(shellSql));
            }
            const double a = median(ours4), b = median(theirs4);
            const bool met = b > 0 && a / b <= 1.0;
            report({QStringLiteral("reopen with union filter"), ms(a), ms(b), ratioText(a, b),
                    QStringLiteral("ratio <= 1.00"), b > 0 ? verdict(met) : QStringLiteral("n/a")},
                   QStringLiteral("reopen with union filter: %1   shell: %2   ratio %3   (target <= 1.00)")
                       .arg(ms(a), ms(b), ratioText(a, b)));
            QByteArray counted;
            QString shellCount = QStringLiteral("n/a");
            if (shell.run(QStringLiteral("SELECT count(*) FROM uyeler WHERE sendikasi = '%1' COLLATE NOCASE;")
                              .arg(unionName),
                          &counted) >= 0)
                shellCount = QString::fromUtf8(counted.trimmed());
            say(QStringLiteral("  (%1 rows; the shell's WHERE sendikasi = '%2' COLLATE NOCASE finds %3)")
                    .arg(staff->recordCount())
                    .arg(unionName, shellCount));
        }

        // ---------------------------------------------------------------- 5. memory
        {
            const bool met = rssOpen >= 0 && rssOpen <= 200 * 1024;
            report({QStringLiteral("resident memory, all open"), mb(rssOpen), QStringLiteral("before: %1").arg(mb(rssBefore)),
                    QString(), QStringLiteral("<= 200 MB"), verdict(met)},
                   QStringLiteral("resident memory: before connecting %1   with all queries open %2 (+%3)   "
                                  "(target <= 200 MB)")
                       .arg(mb(rssBefore), mb(rssOpen), mb(rssOpen - rssBefore)));
            say(QStringLiteral("  (at process start %1; after all the runs above %2; peak %3 for %4 staff rows)")
                    .arg(mb(rssAtStart), mb(statusKb("VmRSS")), mb(statusKb("VmHWM")))
                    .arg(staffCount));
        }
        shared.reset();
    } catch (const DbError &e) {
        std::fprintf(stderr, "bench_data: %s\n", qPrintable(e.message()));
        return 1;
    }

    // ---------------------------------------------------------------- summary
    say(QString());
    say(QStringLiteral("summary"));
    const QStringList headers{QStringLiteral("figure"), QStringLiteral("measured"), QStringLiteral("reference"),
                              QStringLiteral("ratio"), QStringLiteral("target"), QStringLiteral("result")};
    std::vector<int> widths;
    for (const QString &h : headers)
        widths.push_back(int(h.size()));
    auto cellsOf = [](const Figure &f) {
        return QStringList{f.name, f.value, f.reference, f.ratio, f.target, f.status};
    };
    for (const Figure &f : g_figures) {
        const QStringList cells = cellsOf(f);
        for (int i = 0; i < cells.size(); ++i)
            widths[size_t(i)] = std::max(widths[size_t(i)], int(cells[i].size()));
    }
    auto line = [&](const QStringList &cells) {
        QString s;
        for (int i = 0; i < cells.size(); ++i)
            s += cells[i].leftJustified(widths[size_t(i)]) + (i + 1 < cells.size() ? QStringLiteral("  ") : QString());
        say(s.trimmed());
    };
    line(headers);
    QStringList rule;
    for (int w : widths)
        rule << QString(w, QLatin1Char('-'));
    line(rule);
    int missed = 0;
    for (const Figure &f : g_figures) {
        line(cellsOf(f));
        missed += f.status == QLatin1String("MISSED");
    }
    say((missed ? QStringLiteral("%1 target(s) MISSED").arg(missed) : QStringLiteral("all targets met")) +
        QStringLiteral("; load average at the end %1").arg(loadAverage()));
    return 0;
}

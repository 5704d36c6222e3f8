// Times what the user waits for when the program starts, from outside, with the real
// executable: from process start until its main window is mapped and its event loop answers,
// on an X server and window manager of the benchmark's own (see xsession.h). Each start is a
// fresh process that opens the database for the first time. The reference is the sqlcipher
// shell running the seven start-up statements, started the same way; program and shell take
// turns (shell, program, shell, program, ...), so that a busy machine weighs on both alike.
// Then the resident memory of the real program once both browsers have been opened through
// its own buttons; "Personel Ara" again and again after "Birim/Personel Listesi", on the
// unchanged table and after another copy of the program saved a member (its list then read
// again, beside the shell selecting the same rows), each until the window shows the staff;
// and the resident memory after those repeats.
//
//   bench_startup DIR [--pairs N] [--program PATH] [--screenshots DIR] [--server CONNINFO]
//
// With --server the program opens the register on a server (meltora --server CONNINFO, a
// database filled by bench_server --keep) and the reference is psql running the same
// statements, output to /dev/null.
//
// DIR holds the demo database. The program runs in a program folder of its own (a copy of the
// executable beside the database), with an empty configuration folder, so that no password is
// asked. It is a measurement, not a test: figures beyond their targets are marked MISSED.

#include "benchsupport.h"
#include "data/schema.h"
#include "data/database.h"
#include "data/dberror.h"
#include "data/sharedqueries.h"
#include "xsession.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <functional>
#include <sys/wait.h>
#include <time.h>
#include <vector>

namespace {

using bench::say;

double nowMs()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

QString fixed(double value, int decimals = 0)
{
    return value < 0 ? QStringLiteral("n/a") : QString::number(value, 'f', decimals);
}

void stop(pid_t pid)
{
    kill(pid, SIGKILL);
    bench::waitExit(pid);
}

// The environment of the children: this one's, without a platform chosen for Qt.
QStringList childEnvironment(const QString &display, const QString &configDir)
{
    QStringList env;
    for (const QString &entry : bench::environment()) {
        if (!entry.startsWith(QLatin1String("QT_QPA_PLATFORM=")) && !entry.startsWith(QLatin1String("DISPLAY=")) &&
            !entry.startsWith(QLatin1String("XDG_CONFIG_HOME=")))
            env << entry;
    }
    env << QStringLiteral("DISPLAY=") + display << QStringLiteral("XDG_CONFIG_HOME=") + configDir;
    return env;
}

// The seven start-up statements as the shell runs them.
QString startupStatements(const QString &database, QString *error)
{
    Database db;
    if (!db.open(database, schema::kKey, error))
        return QString();
    // The unit the staff list of the unit browser shows first: the first by name.
    const qlonglong unit =
        db.scalar(QStringLiteral("SELECT SiraNo FROM okul ORDER BY okul_adi COLLATE TR LIMIT 1")).toLongLong();
    SharedQueries statements;
    QStringList sql;
    for (Dataset *query : statements.all())
        sql << bench::shellForm(query->sql(), unit);
    return sql.join(QLatin1Char('\n'));
}

class Bench
{
public:
    Bench(bench::XSession &x, const QString &program, const QString &database, const QString &emptyWindow,
          const QString &server)
        : m_x(x), m_database(database), m_emptyWindow(emptyWindow), m_server(server)
    {
        m_folder = m_temp.filePath(QStringLiteral("program"));
        m_config = m_temp.filePath(QStringLiteral("config"));
        QDir().mkpath(m_folder);
        QDir().mkpath(m_config);
        m_program = QDir(m_folder).filePath(QStringLiteral("meltora"));
        QFile::copy(program, m_program);
        QFile(m_program).setPermissions(QFile(program).permissions());
        QFile::link(database, QDir(m_folder).filePath(QString::fromLatin1(schema::kDatabaseFile)));
        m_log = m_temp.filePath(QStringLiteral("program.log"));
        m_env = childEnvironment(x.displayName(), m_config);
    }

    struct Start {
        double mapped = -1;
        double answering = -1;
    };

    // A program from its start until its first window is mapped and answers a ping; the
    // program is left running in *running when asked, else ended.
    Start start(const QString &program, pid_t *running = nullptr, unsigned long *window = nullptr)
    {
        Start s;
        m_x.reset();
        const double t0 = nowMs();
        QStringList command{program};
        if (program == m_program && !m_server.isEmpty())
            command << QStringLiteral("--server") << m_server;
        const pid_t pid = bench::spawn(command, m_env, QString(), m_log);
        if (pid < 0)
            return s;
        const unsigned long w = m_x.waitForMappedWindow(pid, 30000);
        if (w) {
            s.mapped = nowMs() - t0;
            if (m_x.ping(w, 30000))
                s.answering = nowMs() - t0;
        }
        if (s.answering < 0)
            reportFailure(program);
        if (running && s.answering >= 0) {
            *running = pid;
            *window = w;
        } else {
            stop(pid);
        }
        return s;
    }

    Start meltora(pid_t *running = nullptr, unsigned long *window = nullptr)
    {
        return start(m_program, running, window);
    }
    Start emptyWindow() { return start(m_emptyWindow); }

    bench::XSession &x() { return m_x; }

private:
    void reportFailure(const QString &program)
    {
        QFile log(m_log);
        log.open(QIODevice::ReadOnly);
        say(QStringLiteral("(%1 did not come up; its output: %2)")
                .arg(QFileInfo(program).fileName(), QString::fromLocal8Bit(log.readAll()).trimmed()));
    }

    bench::XSession &m_x;
    QTemporaryDir m_temp;
    QString m_database, m_emptyWindow, m_server, m_folder, m_config, m_program, m_log;
    QStringList m_env;
};

QString joined(const std::vector<double> &values)
{
    QStringList s;
    for (double v : values)
        s << fixed(v);
    return s.join(QLatin1Char('/'));
}

long statusKb(pid_t pid, const char *field)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLong();
    return -1;
}

// The left command panel's large buttons, top to bottom, found on the captured window: the
// panel is the wide grey column, a button a run of rows that cross it almost whole.
QList<QRect> leftPanelButtons(const QImage &image)
{
    const QRgb grey = qRgb(128, 128, 128);
    const int probe = image.height() * 3 / 4;
    int left = -1, right = -1;
    for (int x = 0, run = 0; x < image.width() / 2; ++x) {
        run = image.pixel(x, probe) == grey ? run + 1 : 0;
        if (run >= 150) {
            right = x;
            left = x - run + 1;
        }
    }
    if (left < 0)
        return {};
    const int centre = (left + right) / 2;
    // A button's letters may hold a pixel of the panel's grey: only a few grey pixels in a
    // row end a crossing.
    auto panelAt = [&](int x, int y) {
        for (int i = 0; i < 3; ++i)
            if (x + i > right || image.pixel(x + i, y) != grey)
                return false;
        return true;
    };
    auto crossing = [&](int y) {
        int a = centre, b = centre;
        if (panelAt(centre, y))
            return 0;
        while (a > left && !panelAt(a - 3, y))
            --a;
        while (b < right && !panelAt(b + 1, y))
            ++b;
        return b - a + 1;
    };
    QList<QRect> buttons;
    int top = -1;
    for (int y = 0; y < image.height(); ++y) {
        const int width = crossing(y);
        const bool inButton = width >= 120 && width <= 170;
        if (inButton && top < 0)
            top = y;
        if (!inButton && top >= 0) {
            if (y - top >= 30 && y - top <= 60)
                buttons << QRect(centre - 60, top, 120, y - top);
            top = -1;
        }
    }
    return buttons;
}

// Polls the window until its left panel shows its buttons (the first paint may follow the
// first answer).
QList<QRect> waitForButtons(bench::XSession &x, unsigned long window, QImage *shot)
{
    const double deadline = nowMs() + 5000;
    while (nowMs() < deadline) {
        *shot = x.capture(window);
        const QList<QRect> buttons = leftPanelButtons(*shot);
        if (buttons.size() >= 2)
            return buttons;
        QThread::msleep(50);
    }
    return {};
}

// CPU time the process has used so far, in clock ticks.
long long cpuTicks(pid_t pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    // utime and stime are the 14th and 15th fields, after the name in brackets.
    const QList<QByteArray> fields = f.readAll().split(')').value(1).trimmed().split(' ');
    return fields.value(11).toLongLong() + fields.value(12).toLongLong();
}

// Waits until the program has used no processor time for a while and answers: all its work,
// in the background too, is done. A command that waits for the staff list keeps answering
// meanwhile, so the answer alone does not tell.
bool waitUntilIdle(bench::XSession &x, unsigned long window, pid_t pid)
{
    const double deadline = nowMs() + 30000;
    long long before = cpuTicks(pid);
    int quiet = 0;
    while (nowMs() < deadline && quiet < 4) {
        QThread::msleep(50);
        const long long now = cpuTicks(pid);
        quiet = now == before ? quiet + 1 : 0;
        before = now;
    }
    return quiet >= 4 && x.ping(window, 30000);
}

// Clicks a button and waits until the program is idle again; false on failure.
bool clickAndWait(bench::XSession &x, unsigned long window, pid_t pid, const QRect &button)
{
    x.click(window, button.center().x(), button.center().y());
    return waitUntilIdle(x, window, pid);
}

// Clicks a button that changes what the window shows, and times it until a strip across the
// window's middle shows something else (the program paints once the command is done); then
// waits until the program is idle. -1 when nothing changed within 30 s.
double clickUntilShown(bench::XSession &x, unsigned long window, pid_t pid, const QRect &button)
{
    const QImage whole = x.capture(window);
    const QRect strip(0, whole.height() / 2, whole.width(), 4);
    const QImage before = x.capture(window, strip);
    const double t0 = nowMs();
    x.click(window, button.center().x(), button.center().y());
    double shown = -1;
    while (nowMs() - t0 < 30000) {
        if (x.capture(window, strip) != before) {
            shown = nowMs() - t0;
            break;
        }
        QThread::usleep(2000);
    }
    waitUntilIdle(x, window, pid);
    return shown;
}

// Another copy of the program on the same file saves a member as it was: a commit to the
// file that changes no value, so that every run reads the same rows.
class OtherCopy
{
public:
    explicit OtherCopy(const RegisterAddress &address)
    {
        try {
            m_db.open(address);
        } catch (const DbError &e) {
            m_error = e.message();
        }
    }
    bool saveMember()
    {
        try {
            m_db.exec(QStringLiteral("UPDATE uyeler SET adi = adi WHERE KayitNo = "
                                     "(SELECT max(KayitNo) FROM uyeler)"));
            return true;
        } catch (const DbError &e) {
            m_error = e.message();
            return false;
        }
    }
    QString error() const { return m_error; }

private:
    Database m_db;
    QString m_error;
};

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

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        say(QStringLiteral("usage: bench_startup DIR [--pairs N] [--program PATH] [--screenshots DIR]"));
        return 2;
    }
    const QString dir = args.takeFirst();
    const QString database = QDir(dir).filePath(QString::fromLatin1(schema::kDatabaseFile));
    int pairs = 9;
    QString program = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("meltora"));
    QString screenshots;
    QString server;
    for (int i = 0; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--pairs") || args[i] == QLatin1String("--reps"))
            pairs = std::max(7, args[i + 1].toInt());
        else if (args[i] == QLatin1String("--program"))
            program = args[i + 1];
        else if (args[i] == QLatin1String("--screenshots"))
            screenshots = args[i + 1];
        else if (args[i] == QLatin1String("--server"))
            server = args[i + 1];
    }
    // The reference: the sqlcipher shell on the file, psql on a server.
    auto reference = [&](const QString &statements, const QString &psqlStatements) {
        return server.isEmpty() ? bench::shellRun(database, statements) : bench::psqlRun(server, psqlStatements);
    };
    const QString emptyWindow = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("bench_emptywindow"));
    if (!QFileInfo(database).exists() || !QFileInfo(program).isExecutable()) {
        say(QStringLiteral("bench_startup: needs %1 and %2").arg(database, program));
        return 2;
    }

    bench::XSession x;
    QString error;
    if (!x.start(&error)) {
        say(QStringLiteral("bench_startup: %1").arg(error));
        return 1;
    }
    const QString statements = startupStatements(database, &error);
    if (statements.isEmpty()) {
        say(QStringLiteral("bench_startup: %1").arg(error));
        return 1;
    }
    Bench b(x, program, database, emptyWindow, server);
    const bool shell = !QStandardPaths::findExecutable(server.isEmpty() ? QStringLiteral("sqlcipher")
                                                                        : QStringLiteral("psql"))
                            .isEmpty();
    say(QStringLiteral("start-up of %1 on %2 (X server %3), %4 pairs; the shell runs: %5")
            .arg(program, database, x.displayName())
            .arg(pairs)
            .arg(shell ? QString(server.isEmpty() ? statements : bench::kServerStartUp)
                             .replace(QLatin1Char('\n'), QLatin1Char(' '))
                       : QStringLiteral("(no reference shell: references n/a)")));

    // One start of each first, so that every counted run finds the files in the page cache.
    reference(statements, bench::kServerStartUp);
    b.meltora();
    b.emptyWindow();

    std::vector<double> shellTimes, mapped, answering, empty;
    for (int i = 0; i < pairs; ++i) {
        shellTimes.push_back(reference(statements, bench::kServerStartUp));
        const Bench::Start s = b.meltora();
        mapped.push_back(s.mapped);
        answering.push_back(s.answering);
        empty.push_back(b.emptyWindow().answering);
    }
    bench::Report report;
    const double shellMs = bench::median(shellTimes);
    report.ratio(QStringLiteral("start-up until the main window is mapped and answers input"), bench::median(answering),
                 shellMs, 0.5,
                 server.isEmpty() ? QStringLiteral("shell, seven start-up statements")
                                  : QStringLiteral("psql, seven start-up statements"));
    say(QStringLiteral("  (until mapped: %1 ms; an empty Qt window under the same watch: %2 ms; "
                       "program runs %3 ms, shell runs %4 ms)")
            .arg(fixed(bench::median(mapped)), fixed(bench::median(empty)), joined(answering),
                 joined(shellTimes)));

    // Both browsers opened through the program's own buttons, then its resident memory.
    pid_t pid = -1;
    unsigned long window = 0;
    b.meltora(&pid, &window);
    QImage shot;
    const QList<QRect> buttons = pid > 0 ? waitForButtons(x, window, &shot) : QList<QRect>();
    if (buttons.size() < 2) {
        if (!screenshots.isEmpty())
            shot.save(QDir(screenshots).filePath(QStringLiteral("startup-0.png")));
        say(QStringLiteral("(the left panel's buttons were not found: memory n/a)"));
    } else {
        if (!screenshots.isEmpty())
            shot.save(QDir(screenshots).filePath(QStringLiteral("startup-0.png")));
        const bool units = clickAndWait(x, window, pid, buttons[0]);
        const QImage unitsShot = x.capture(window);
        const double firstClick = clickUntilShown(x, window, pid, buttons[1]);
        const QImage staffShot = x.capture(window);
        if (!screenshots.isEmpty()) {
            unitsShot.save(QDir(screenshots).filePath(QStringLiteral("startup-1-units.png")));
            staffShot.save(QDir(screenshots).filePath(QStringLiteral("startup-2-staff.png")));
        }
        if (!units || firstClick < 0 || unitsShot == shot || staffShot == unitsShot)
            say(QStringLiteral("(the browsers did not open as expected)"));
        const long rss = statusKb(pid, "VmRSS"), peak = statusKb(pid, "VmHWM");
        report.limit(QStringLiteral("resident memory of the program with both browsers open"), double(rss) / 1024,
                     150, QStringLiteral("MB"));
        say(QStringLiteral("  (peak %1 MB; \"Birim/Personel Listesi\" and \"Personel Ara\" clicked at once after the "
                           "start, both waited for to the end)")
                .arg(fixed(double(peak) / 1024, 1)));
        report.limit(QStringLiteral("first \"Personel Ara\" after the start until shown (the rows read at start)"),
                     firstClick, 100);

        // "Birim/Personel Listesi", then "Personel Ara" again, the table unchanged.
        std::vector<double> again;
        for (int i = 0; i < pairs; ++i) {
            clickAndWait(x, window, pid, buttons[0]);
            again.push_back(clickUntilShown(x, window, pid, buttons[1]));
        }
        report.limit(QStringLiteral("\"Personel Ara\" again after \"Birim/Personel Listesi\", table unchanged, "
                                    "until shown (median of %1)")
                         .arg(pairs),
                     bench::median(again), 100);
        say(QStringLiteral("  (runs %1 ms)").arg(joined(again)));

        // The same after another copy saved a member: all staff are read again.
        OtherCopy other(server.isEmpty() ? RegisterAddress{database, schema::kKey, QString(), QString()}
                                         : RegisterAddress{QString(), QByteArray(), server, QString()});
        std::vector<double> reread, shellAll;
        bool saved = true;
        for (int i = 0; i < pairs; ++i)
            inTurns(i, [&] {
                shellAll.push_back(reference(QStringLiteral("SELECT * FROM uyeler ORDER BY adi COLLATE NOCASE;"),
                                             QStringLiteral("select * from uyeler order by adi;\n")));
            }, [&] {
                clickAndWait(x, window, pid, buttons[0]);
                saved = other.saveMember() && saved;
                reread.push_back(clickUntilShown(x, window, pid, buttons[1]));
            });
        if (!saved)
            say(QStringLiteral("(the other copy could not save: %1)").arg(other.error()));
        report.ratio(QStringLiteral("\"Personel Ara\" after another copy saved a member (all staff read again), "
                                    "until shown"),
                     bench::median(reread), bench::median(shellAll), 0.5, QStringLiteral("shell selecting them"));
        say(QStringLiteral("  (runs %1 ms; shell %2 ms)").arg(joined(reread), joined(shellAll)));

        const long rssAfter = statusKb(pid, "VmRSS"), peakAfter = statusKb(pid, "VmHWM");
        report.limit(QStringLiteral("resident memory after those %1 clicks of each button").arg(2 * pairs),
                     double(rssAfter) / 1024, 150, QStringLiteral("MB"));
        say(QStringLiteral("  (peak %1 MB; %2 MB with both browsers first open)")
                .arg(fixed(double(peakAfter) / 1024, 1), fixed(double(rss) / 1024, 1)));
    }
    if (pid > 0)
        stop(pid);
    report.print();
    return 0;
}

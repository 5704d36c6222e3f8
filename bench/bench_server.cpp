// Times the register on a PostgreSQL server against psql running the same statements with its
// output sent to /dev/null, in the same run, turn about: the start-up reading of every list,
// "Personel Ara" reading the staff list, and a sort of that list by a column's title. Each
// figure comes with the round trips the program made for it (constant in the number of rows:
// no statement per row) and the resident memory at the end. Then moving the register: push
// of a file register into an empty server database and pull back into a new Data.dat, each
// with rows per second.
//
//   bench_server DIR CONNINFO [--reps N] [--keep]
//
// With --keep the database stays, for bench_startup --server to start the real program on.
//
// DIR holds a demo Data.dat (meltora-db demo DIR --units 5000 --staff 100000). CONNINFO is a
// key=value libpq string for a role that may make databases; the benchmark makes and drops a
// database "meltora_bench" there. It is a measurement, not a test: figures beyond their
// targets are marked MISSED.

#include "benchsupport.h"
#include "data/changenotices.h"
#include "data/database.h"
#include "data/dataset.h"
#include "data/registercopy.h"
#include "data/schema.h"
#include "data/sharedqueries.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTemporaryFile>

namespace
{

using bench::say;

long peakResidentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

const QString kStaff = QStringLiteral("select * from uyeler order by adi;\n");
const QString kSortBySurname = QStringLiteral("select * from uyeler order by soyadi;\n");

// meltora-db beside this program, its last line (what it moved, how fast) said.
bool runTool(const QStringList &arguments)
{
    QTemporaryFile said;
    if (!said.open())
        return false;
    const QString tool = QCoreApplication::applicationDirPath() + QStringLiteral("/meltora-db");
    const pid_t pid = bench::spawn(QStringList{tool} + arguments, bench::environment(), QString(), said.fileName());
    const bool ok = pid >= 0 && bench::waitExit(pid) == 0;
    const QList<QByteArray> lines = said.readAll().trimmed().split('\n');
    say(QStringLiteral("meltora-db %1: %2").arg(arguments.first(), QString::fromUtf8(lines.last())));
    return ok;
}

struct Measured {
    std::vector<double> program, psql;
    quint64 roundTrips = 0;
};

template <typename Action> Measured turnAbout(int reps, const QString &conninfo, const QString &psqlStatements, Action action)
{
    Measured m;
    for (int i = 0; i < reps; ++i) {
        m.psql.push_back(bench::psqlRun(conninfo, psqlStatements));
        bench::Timer timer;
        m.roundTrips = action();
        m.program.push_back(timer.ms());
    }
    return m;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2) {
        say(QStringLiteral("usage: bench_server DIR CONNINFO [--reps N] [--keep]"));
        return 2;
    }
    const QString file = QDir(args[0]).filePath(QStringLiteral("Data.dat"));
    const QString admin = args[1];
    const int reps = bench::option(args, QStringLiteral("--reps"), 5);
    const bool keep = args.contains(QStringLiteral("--keep"));
    const QString conninfo = admin + QStringLiteral(" dbname=meltora_bench");
    bench::Report report;
    try {
        Database adminDb;
        adminDb.openServer(admin);
        adminDb.exec(QStringLiteral("DROP DATABASE IF EXISTS meltora_bench WITH (FORCE)"));
        adminDb.exec(QStringLiteral("CREATE DATABASE meltora_bench"));
        QString error;
        if (!registercopy::createOnServer(conninfo, &error)) {
            say(error);
            return 1;
        }
        // Moving the register runs in meltora-db, a process of its own, so that this process's
        // memory is the program's alone.
        if (!runTool({QStringLiteral("push"), file, conninfo}))
            return 1;
        bench::psqlRun(conninfo, QStringLiteral("VACUUM ANALYZE;\n"));

        const RegisterAddress server{QString(), QByteArray(), conninfo, QString()};
        const Measured start = turnAbout(reps, conninfo, bench::kServerStartUp, [&] {
            SharedQueries data;
            data.connect(server);
            data.openAll();
            return data.connection().engine()->roundTrips();
        });
        report.ratio(QStringLiteral("start-up: every list read"), bench::median(start.program),
                     bench::median(start.psql), 0.5, QStringLiteral("psql"));
        say(QStringLiteral("start-up round trips: %1").arg(start.roundTrips));

        SharedQueries data;
        data.connect(server);
        data.openAllButLongStaffList();
        Dataset *staff = data.staff();
        const Measured search = turnAbout(reps, conninfo, kStaff, [&] {
            const quint64 before = data.connection().engine()->roundTrips();
            staff->close();
            staff->open();
            return data.connection().engine()->roundTrips() - before;
        });
        report.ratio(QStringLiteral("\"Personel Ara\": staff list read"), bench::median(search.program),
                     bench::median(search.psql), 0.5, QStringLiteral("psql"));
        say(QStringLiteral("\"Personel Ara\" round trips: %1 for %2 rows").arg(search.roundTrips).arg(staff->recordCount()));

        const Measured sort = turnAbout(reps, conninfo, kSortBySurname, [&] {
            const quint64 before = data.connection().engine()->roundTrips();
            staff->setSort(QStringLiteral("soyadi ASC"));
            staff->setSort(QStringLiteral("adi ASC"));
            return data.connection().engine()->roundTrips() - before;
        });
        report.ratio(QStringLiteral("title-click sort (two sorts)"), bench::median(sort.program),
                     bench::median(sort.psql), 1.0, QStringLiteral("psql"));
        say(QStringLiteral("sort round trips: %1").arg(sort.roundTrips));

        // Another office saves a member: from its commit until the 100,000-staff list here
        // shows the new name (the notice, its gathering, the row read again and put in place).
        for (bench::Timer wait; !data.changeNotices()->isListening() && wait.ms() < 5000;)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        Database otherOffice;
        otherOffice.openServer(conninfo);
        std::vector<double> shown;
        for (int i = 0; i < reps; ++i) {
            QEventLoop loop;
            QTimer give_up;
            give_up.setSingleShot(true);
            QObject::connect(&give_up, &QTimer::timeout, &loop, &QEventLoop::quit);
            const auto followed = QObject::connect(staff, &Dataset::changesFollowed, &loop, &QEventLoop::quit);
            bench::Timer timer;
            otherOffice.exec(QStringLiteral("UPDATE uyeler SET adi = 'ZZ%1' WHERE KayitNo = %2").arg(i).arg(1000 + i));
            give_up.start(5000);
            loop.exec();
            QObject::disconnect(followed);
            shown.push_back(give_up.isActive() ? timer.ms() : -1);
        }
        report.limit(QStringLiteral("another office's save shown in the 100,000-staff list"), bench::median(shown),
                     1000);
        say(QStringLiteral("runs: %1 ms (100 ms of it is the gathering of notices)").arg([&] {
            QStringList runs;
            for (double ms : shown)
                runs << QString::number(ms, 'f', 1);
            return runs.join(u'/');
        }()));

        report.limit(QStringLiteral("peak resident memory"), double(peakResidentKb()) / 1024.0, 150,
                     QStringLiteral("MB"));
        QTemporaryDir target;
        if (!runTool({QStringLiteral("pull"), conninfo, target.path()}))
            return 1;
        if (!keep)
            adminDb.exec(QStringLiteral("DROP DATABASE IF EXISTS meltora_bench WITH (FORCE)"));
    } catch (const DbError &e) {
        say(e.describedText());
        return 1;
    }
    report.print();
    return 0;
}

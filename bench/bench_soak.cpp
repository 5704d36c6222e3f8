// Many offices at once on one server, for longer than the test runs them: ten clients (or as
// many as asked) edit, add and delete units and staff over a shared set of 1,000 rows through
// the program's own data layer, and the figures of the run are printed. Made for
// scripts/bench.sh soak, which starts a throw-away server; by hand:
//
//   bench_soak CONNINFO [--clients N] [--seconds S]
//
// CONNINFO names a role that may make databases; the run makes one of its own and drops it.

#include "../tests/soak.h"
#include "data/database.h"
#include "data/dberror.h"
#include "data/registercopy.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: bench_soak CONNINFO [--clients N] [--seconds S]\n");
        return 2;
    }
    soak::Options options;
    options.seconds = 120;
    for (int i = 2; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--clients"))
            options.clients = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--seconds"))
            options.seconds = args[i + 1].toInt();
    }
    const QString admin = args[1];
    const QString name = QStringLiteral("meltora_soak_%1").arg(QCoreApplication::applicationPid());
    options.connection = admin + QStringLiteral(" dbname=") + name;
    try {
        Database db;
        db.openServer(admin);
        db.exec(QStringLiteral("CREATE DATABASE %1").arg(name));
        QString error;
        if (!registercopy::createOnServer(options.connection, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        std::printf("Soak: %d clients for %d s over %d units and %d staff on one server\n", options.clients,
                    options.seconds, options.units, options.staff);
        std::fflush(stdout);
        const soak::Figures figures = soak::run(options);
        for (const QString &line : figures.lines())
            std::printf("%s\n", qPrintable(line));
        for (const QString &problem : figures.problems.mid(0, 20))
            std::printf("problem: %s\n", qPrintable(problem));
        db.exec(QStringLiteral("DROP DATABASE %1 WITH (FORCE)").arg(name));
        return figures.lostUpdates == 0 && figures.problems.isEmpty() ? 0 : 1;
    } catch (const DbError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.describedText()));
        return 1;
    }
}

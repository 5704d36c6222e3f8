#pragma once

#include <QString>
#include <QStringList>

// Many offices at once on one server: clients, each with the program's own shared lists on a
// thread of its own, edit, add and delete units and staff over a shared set of rows, some at
// a user's pace and some as fast as they can, for a fixed time. Afterwards the server's rows
// are checked against every save that was reported as done, applied in the order the server
// committed them (which its change notices give), and each client's lists against the server.
namespace soak
{

struct Options {
    QString connection; // libpq's string for an empty register made by createOnServer
    int clients = 10;
    int seconds = 20;
    int units = 100;
    int staff = 900;
    unsigned seed = 1;
};

struct Figures {
    int clients = 0;
    int seconds = 0;
    qint64 savesDone = 0;
    qint64 conflicts = 0;   // refused with the program's conflict messages
    qint64 otherErrors = 0; // refused for any other reason: none expected
    qint64 lostUpdates = 0; // saves reported as done that the server does not hold as they were
    qint64 orphanStaff = 0; // staff rows without their unit
    qint64 listsDiffering = 0; // client lists that differ from the server after the last notice
    quint64 noticesReceived = 0;
    double p95Ms = 0;
    double medianMs = 0;
    qint64 latencySamples = 0;
    QStringList problems; // what went wrong, a line each
    // The figures as the benchmark and the test print them, a line each.
    QStringList lines() const;
};

Figures run(const Options &options);

} // namespace soak

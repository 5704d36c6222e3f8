#pragma once

#include <QString>

// The tests run on the register in a file, or, with MELTORA_TEST_BACKEND=server, on a
// PostgreSQL server: the one MELTORA_TEST_SERVER names, as libpq's key=value string for a role
// that may make databases (scripts/test.sh starts a throw-away one). Without that string a
// test meant for the server ends at once with code 77, which ctest counts as skipped.
namespace testserver
{

bool active();
// A fresh register on the server for one test: this process's own database, made on first
// use with the program's tables and dropped when the process ends, its tables emptied and its
// keys counting from 1 again. Its connection string.
QString freshRegister();
// The connection string of the register freshRegister() made last.
QString registerConnection();

} // namespace testserver

// Ends the test function on the server, for what only the file has (its pages, its locks,
// its journal): `why` says what.
#define SKIP_ON_SERVER(why)                                                                        \
    do {                                                                                           \
        if (testserver::active())                                                                  \
            QSKIP(why);                                                                            \
    } while (false)

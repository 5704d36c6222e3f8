#pragma once

#include "database.h"

// Which register the program works on, chosen once at start-up: the file Data.dat in the
// program's data folder (the default), or a database on a server, given with
// "meltora --server CONNINFO" or kept in the settings file. A password the server asks for
// is kept here, in memory only, for the connections opened later (a list read in the
// background); it is never written anywhere.
namespace registerchoice
{

void useFile();
void useServer(const QString &connectionString);
bool isServer();
QString serverConnection();
// The password typed for the server in this run.
void setPassword(const QString &password);

// The register as chosen.
RegisterAddress current();

} // namespace registerchoice

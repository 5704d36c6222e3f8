#pragma once

#include <QString>

class TForm1;

// A Data.dat found damaged at start is offered for rescue right there: the Rescue command of
// the database menu cannot be reached while the program cannot open. On a yes, the damaged
// file is kept aside under a dated name, what can be read of it becomes the new Data.dat,
// the user is told how many units and staff were saved, and the program opens on it.
namespace startuprescue
{

// TForm1::create; when it fails on a damaged database, the rescue is offered and, once done,
// the window is created on the rescued database. Null with the message to show as create()
// gives it: the first failure when the rescue is declined, the rescue's own when it failed.
TForm1 *createMainWindow(QString *error, QString *detail);

// Whether the file is a database of the program whose pages are damaged (it opens with the
// key, and its check finds faults), as opposed to a missing, foreign or locked one.
bool isDamaged(const QString &databasePath);

// Asks whether to rescue the damaged database and does it on a yes; true when the rescued
// database is in place. A failed rescue is told in *error.
bool offerRescue(const QString &databasePath, QString *error);

} // namespace startuprescue

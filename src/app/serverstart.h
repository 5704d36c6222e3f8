#pragma once

#include <QString>

class TForm1;

// Starting on a register kept on a PostgreSQL server.
namespace serverstart
{

// The main window on the server's register. A password the server asks for and libpq's own
// sources lack is asked for in a masked box and kept in memory for this run. When the server
// cannot be reached, refuses the login or holds no tables of the program, the user chooses:
// try again, open the register in the file instead (the choice then turns to the file and
// null comes back with no message), or stop (null with the message already shown).
TForm1 *createMainWindow(QString *error, QString *detail);

} // namespace serverstart

#pragma once

#include <QString>
#include <QStringList>

// The program's command line:
//   meltora [--data KLASÖR] [--server BAĞLANTI] [--help] [--version]
// --help and --version answer on the terminal, before any window or display is needed.
namespace commandline
{

struct Options {
    bool help = false;
    bool version = false;
    QString dataFolder;    // --data KLASÖR: the register to open instead of the usual one
    QString server;        // --server BAĞLANTI: a register on a PostgreSQL server (libpq's string)
    QString error;         // what is wrong with the command line, in Turkish
    QStringList unknown;   // arguments the program does not know
};

// Reads the arguments that follow the program's name. Arguments it does not know are kept
// in `unknown`: the toolkit's own (-platform, -style ...) are among them until the
// application object has taken them away.
Options parse(const QStringList &arguments);

QString helpText();
QString versionText();

// Before the application object exists: answers --help and --version, and a command line
// that cannot be right. -1 when the program is to start, else the exit code.
int answerWithoutWindow(int argc, char **argv);

// Once the application object has taken its own arguments: refuses an unknown argument on
// the terminal, then chooses the folder of the register, makes it and an empty register
// when there is none, and works in it. -1 when the program is to go on, else the exit code
// (the user has been told why).
int useDataFolder(const QStringList &arguments);

} // namespace commandline

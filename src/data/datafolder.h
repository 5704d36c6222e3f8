#pragma once

#include <QString>

// Where the register (Data.dat, with PersonelKayit.ini and Yedekler/ beside it) lives.
//
// A program folder that holds Data.dat is used as it is: a portable copy, or a folder shared
// by an office. An installed program keeps the register in the user's data folder
// ($XDG_DATA_HOME/Meltora, by default ~/.local/share/Meltora), as does a program whose folder
// has no register and cannot be written. The user may name another folder to open instead.
namespace datafolder
{

enum class Kind {
    Named,         // the folder the user named on the command line
    ProgramFolder, // beside the program
    UserFolder,    // the user's data folder
};

struct Choice {
    QString folder;
    Kind kind = Kind::ProgramFolder;
};

// The user's data folder for the register.
QString userFolder();

// Whether the program at `executableFolder` is installed in a system layout: it lies in a
// "bin" folder whose "share/meltora" holds the program's own files.
bool isInstalled(const QString &executableFolder);

// The folder the register is opened in. `named` is the folder given on the command line, or
// empty.
Choice choose(const QString &executableFolder, const QString &named);

// Makes the folder and, when it holds none, an empty register in it, so that a first start
// opens a register of its own. False with a Turkish message naming the folder and the reason.
bool prepare(const Choice &choice, QString *error);

} // namespace datafolder
